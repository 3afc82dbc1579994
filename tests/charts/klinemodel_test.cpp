#include "charts/klinemodel.h"

#include "platform/vberror.h"
#include "tests/support/qtprint.h"

#include <QDate>

#include <gtest/gtest.h>

#include <limits>

namespace {

// n daily records from 2026-01-01 on, close 10 + i (rising by one a day), open close - 0.5.
QStringList rising(int n) {
    QStringList bars;
    const QDate first(2026, 1, 1);
    for (int i = 0; i < n; ++i) {
        const double c = 10 + i;
        bars << QStringLiteral("%1,%2,%3,%4,%5")
                    .arg(first.addDays(i).toString(QStringLiteral("yyyy-MM-dd")))
                    .arg(c - 0.5)
                    .arg(c)
                    .arg(c + 1)
                    .arg(c - 1);
    }
    return bars;
}

} // namespace

TEST(KlineLayoutTest, GeometryOfTheDesignSize) {
    const QStringList bars = {QStringLiteral("2026-1-5,100,110,120,90"),
                              QStringLiteral("2026-1-6,110,105,115,80")};
    const auto l = klineLayout(12105, 6810, bars, 0);
    ASSERT_TRUE(l.has_value());
    EXPECT_EQ(l->plotWidth, 11355);
    EXPECT_EQ(l->plotHeight, 6350);
    EXPECT_EQ(l->slotCount, 3);
    EXPECT_DOUBLE_EQ(l->slotWidth, 3785);
    EXPECT_DOUBLE_EQ(l->gapWidth, 1135.5);
    EXPECT_DOUBLE_EQ(l->bodyWidth, 2649.5);
    // The date field (2026-1-5 is no number) stays out of the scale.
    EXPECT_FLOAT_EQ(l->priceMax, 120);
    EXPECT_FLOAT_EQ(l->priceMin, 80);
    EXPECT_DOUBLE_EQ(l->yOf(120), 250);
    EXPECT_DOUBLE_EQ(l->yOf(80), 6600);
    EXPECT_DOUBLE_EQ(l->bodyLeft(1), 630 + 3785 + 1135.5);
    EXPECT_DOUBLE_EQ(l->bodyRight(1), 630 + 2 * 3785);
    EXPECT_DOUBLE_EQ(l->centre(0), 630 + 1135.5 + 2649.5 / 2);
    EXPECT_EQ(gridLabel(*l, 0), QStringLiteral("120"));
    EXPECT_EQ(gridLabel(*l, 15), QStringLiteral("80"));
    EXPECT_EQ(gridLabel(*l, 1), QStringLiteral("117.33"));
    // Padding widens the range on both sides.
    const auto padded = klineLayout(12105, 6810, bars, 0.03f);
    EXPECT_FLOAT_EQ(padded->priceMax, 123.6f);
    EXPECT_FLOAT_EQ(padded->priceMin, 77.6f);
    // Every price equal and no padding: no scale.
    EXPECT_FALSE(klineLayout(12105, 6810, {QStringLiteral("2026-1-5,5,5,5,5"), QString()}, 0));
}

TEST(KlineLayoutTest, CrosshairReadsSlotAndPrice) {
    const auto l = klineLayout(12105, 6810, {QStringLiteral("2026-1-5,100,110,120,90"),
                                             QStringLiteral("2026-1-6,110,105,115,80")}, 0);
    struct Case {
        double x;
        int bar;
    } cases[] = {{631, 0}, {630 + 3784, 0}, {630 + 3785, 1}, {630 + 2 * 3785 + 1, 2}};
    for (const Case& c : cases)
        EXPECT_EQ(curBarFromX(c.x, l->slotWidth), c.bar) << c.x;
    EXPECT_EQ(priceAtY(*l, 250), QStringLiteral("120"));
    EXPECT_EQ(priceAtY(*l, 6600), QStringLiteral("80"));
    EXPECT_EQ(priceAtY(*l, 250 + 635), QStringLiteral("116"));
}

TEST(KlineBarsTest, LastRealBarPassesOverPlaceholders) {
    struct Case {
        QStringList bars;
        int last;
    } cases[] = {
        {{"d,1,2,3,0.5", "d,2,2,2,2", "", ""}, 0},
        {{"d,1,2,3,0.5", "d,2,3,3,2", "d,3,3,3,3", ""}, 1},
        {{"d,1,1,1,1", "d,2,2,2,2"}, 0},
        // Same value, different text: not flat.
        {{"d,1,2,3,0.5", "d,2,2.0,2,2"}, 1},
        {{}, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LastRealBar(c.bars), c.last) << c.bars.join(u'|').toStdString();
}

TEST(KlineBarsTest, CandleClasses) {
    const QStringList bars = {"d,10,12,13,9", "d,12,10,13,9", "d,10,10,11,9", "d,0,10,11,9",
                              "", "d,1,2"};
    struct Case {
        int i, lastReal;
        CandleKind kind;
    } cases[] = {
        {0, 3, CandleKind::Rising}, {1, 3, CandleKind::Falling}, {2, 3, CandleKind::Falling},
        {3, 3, CandleKind::Skip},   {4, 5, CandleKind::Stop},    {1, 0, CandleKind::Stop},
    };
    for (const Case& c : cases)
        EXPECT_EQ(candleAt(bars, c.i, c.lastReal).kind, c.kind) << c.i;
    EXPECT_THROW((void)candleAt(bars, 5, 5), platform::VbError);
}

TEST(KlineAverageTest, PeriodNeedsMoreThanNPlusOneRecords) {
    const QStringList sixtyOne = rising(61);
    EXPECT_TRUE(movingAverage(sixtyOne, 60, LastRealBar(sixtyOne))[60].isEmpty());
    const QStringList sixtyTwo = rising(62);
    const std::vector<QString> ma = movingAverage(sixtyTwo, 60, LastRealBar(sixtyTwo));
    EXPECT_TRUE(ma[58].isEmpty());
    // Closes 10..69 average 39.5.
    EXPECT_EQ(ma[59], QStringLiteral("39.5"));
    EXPECT_EQ(ma[61], QStringLiteral("41.5"));
}

TEST(KlineAverageTest, WindowsThatStopEarlyGiveNoAverage) {
    QStringList bars = rising(12);
    bars[6] = QStringLiteral("2026-1-7,0,0,17,15");
    bars[8] = QStringLiteral("2026-1-9,17.5,0,19,17");
    bars << QString() << QString();
    const std::vector<QString> ma = movingAverage(bars, 5, LastRealBar(bars));
    const QStringList want = {"", "", "", "", "12", "13", "", "", "", "", "", "19.2", "", ""};
    // Bar 11: closes 17, 19 (the high of bar 8), 19, 20, 21; windows of bars 6..10 hold the zero
    // record.
    for (int j = 0; j < want.size(); ++j)
        EXPECT_EQ(ma[j], want[j]) << j;
    const MaLine line = maLine(ma, 5);
    EXPECT_EQ(line.lastBar, 11);
    ASSERT_EQ(line.segments.size(), 1u);
    EXPECT_EQ(line.segments[0], std::make_pair(4, 5));
    EXPECT_EQ(maLine(std::vector<QString>(8), 5).lastBar, -1);
}

TEST(KlineAverageTest, LabelTexts) {
    struct Case {
        int n;
        double avg;
        bool rmb;
        float rate;
        QString text;
    } cases[] = {
        {5, 12.3, false, 7, "MA5:012.30"},   {60, 1234.567, false, 7, "MA60:1234.57"},
        {10, 12.3, true, 5, "MA10:061.50"},  {20, 0.125, false, 1, "MA20:000.13"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(maLabelText(c.n, c.avg, c.rmb, c.rate), c.text);
    EXPECT_EQ(maResetText(30), QStringLiteral("MA30:000.00"));
}

TEST(KlineAverageTest, MonthTicksLeaveOutTheLastRecord) {
    const QStringList bars = {"2026-1-30,1,2,3,1", "2026-1-31,1,2,3,1", "2026-2-1,1,2,3,1",
                              "2026-2-2,1,1,1,1", "2026-3-1,1,2,3,1"};
    const std::vector<std::pair<int, int>> want = {{0, 1}, {2, 2}};
    EXPECT_EQ(monthTicks(bars), want);
    EXPECT_TRUE(monthTicks({"1999-12-31,1,2,3,1", "2026-1-1,1,2,3,1", ""}).empty());
}

TEST(KlineCaptionTest, ShowCaptionAcceptsSixFieldsAndReusesTheLast) {
    QString last;
    QString text = QStringLiteral("1,2,3");
    EXPECT_FALSE(ShowCaptionTexts(text, last, false, 7));
    text = QString();
    EXPECT_FALSE(ShowCaptionTexts(text, last, false, 7));
    text = QStringLiteral("400.5,410,398,405.25,4.75,-");
    auto c = ShowCaptionTexts(text, last, false, 7);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->kai, QStringLiteral("400.5"));
    EXPECT_EQ(c->shou, QStringLiteral("405.25"));
    EXPECT_EQ(c->zd, QStringLiteral("4.75 -"));
    EXPECT_EQ(last, QStringLiteral("400.5,410,398,405.25,4.75,-"));
    for (const QString& bad : {QStringLiteral("1,2,3,4,5"), QStringLiteral("1,2,3,4,5,6,7")}) {
        text = bad;
        EXPECT_FALSE(ShowCaptionTexts(text, last, false, 7));
        EXPECT_EQ(last, QStringLiteral("400.5,410,398,405.25,4.75,-"));
    }
    text = QString();
    c = ShowCaptionTexts(text, last, true, 2);
    ASSERT_TRUE(c);
    EXPECT_EQ(text, last);
    EXPECT_EQ(c->kai, QStringLiteral("801.00"));
    EXPECT_EQ(c->min, QStringLiteral("796.00"));
    EXPECT_EQ(c->zd, QStringLiteral("9.50 -"));
    text = QStringLiteral("9.5,x,1,1,1,-");
    EXPECT_THROW((void)ShowCaptionTexts(text, last, true, 2), platform::VbError);
    text = QStringLiteral("3.5,4,3,3.75,0.25,-");
    EXPECT_EQ(ShowCaptionTexts(text, last, true, 2)->kai, QStringLiteral("007.00"));
}

TEST(KlineCaptionTest, HeadRowKeepsDesignPlacesUnlessATextReachesPastThem) {
    struct Case {
        const char* what;
        std::vector<HeadItem> items;
        std::vector<double> lefts;
    };
    const Case cases[] = {
        {"texts that fit keep the design", {{720, 105}, {1575, 630}, {2430, 450}}, {720, 1575, 2430}},
        {"a long name pushes the period and what follows",
         {{720, 1260}, {1575, 630}, {2430, 450}, {2925, 630}},
         {720, 2040, 2730, 3240}},
        {"the row settles back on its design once there is room again",
         {{720, 1000}, {1575, 300}, {2430, 450}},
         {720, 1780, 2430}},
        {"an item exactly at the gap stays", {{0, 100}, {160, 10}}, {0, 160}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(headRowLefts(c.items), c.lefts);
    }
}

TEST(KlineModelTest, HeadRowGoesOnInANewLineAtTheControlsEdge) {
    struct Case {
        const char* what;
        std::vector<HeadItem> items;
        double right;
        std::vector<HeadPlace> places;
    };
    const Case cases[] = {
        {"room enough: the design, one line",
         {{720, 105}, {1575, 630}, {2430, 450}},
         12000,
         {{720, 0}, {1575, 0}, {2430, 0}}},
        {"the item past the edge starts the next line at the first left",
         {{720, 500}, {1575, 630}, {2430, 450}},
         2500,
         {{720, 0}, {1575, 0}, {720, 1}}},
        {"a value goes with its heading",
         {{720, 500}, {1575, 300}, {1935, 600, true}, {2600, 300}, {2960, 600, true}},
         3000,
         {{720, 0}, {1575, 0}, {1935, 0}, {720, 1}, {1080, 1}}},
        {"wrapped lines follow at the gap",
         {{720, 800}, {1575, 800}, {2430, 800}, {3285, 800}},
         2400,
         {{720, 0}, {1580, 0}, {720, 1}, {1580, 1}}},
        {"an item wider than a line stays alone on its own",
         {{720, 300}, {1575, 5000}, {2430, 300}},
         3000,
         {{720, 0}, {720, 1}, {720, 2}}},
        {"no edge: as the plain row",
         {{720, 1260}, {1575, 630}, {2430, 450}, {2925, 630}},
         std::numeric_limits<double>::infinity(),
         {{720, 0}, {2040, 0}, {2730, 0}, {3240, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(headRowPlaces(c.items, c.right), c.places);
    }
}

TEST(KlineKeysTest, KeyMap) {
    struct Case {
        int key;
        KlineKey action;
    } cases[] = {{40, KlineKey::Jian}, {189, KlineKey::Jian}, {109, KlineKey::Jian},
                 {38, KlineKey::Jia},  {187, KlineKey::Jia},  {107, KlineKey::Jia},
                 {37, KlineKey::None}, {39, KlineKey::None},  {13, KlineKey::None}};
    for (const Case& c : cases)
        EXPECT_EQ(klineKeyAction(c.key), c.action) << c.key;
}

TEST(KlineDataWindowTest, ValuesAndChangeColour) {
    struct Case {
        QString bar;
        QString weekday, change;
        platform::OleColor colour;
    } cases[] = {
        {"2026-12-7,400,410.5,412,399", "1", "10.50", 255},
        {"2026-12-13 06:00,400,399.5,401,398", "7", "-0.50", 0xFF00},
        {"2026-12-9,400,400,401,398", "3", "0.00", 0xFF00},
        {"1999-12-31,1,2,3,1", "N/A", "1.00", 255},
    };
    for (const Case& c : cases) {
        const DataWindowValues v = dataWindowValues(c.bar.split(u','));
        EXPECT_EQ(v.date, c.bar.section(u',', 0, 0));
        EXPECT_EQ(v.weekday, c.weekday) << c.bar.toStdString();
        EXPECT_EQ(v.open, c.bar.section(u',', 1, 1));
        EXPECT_EQ(v.low, c.bar.section(u',', 4, 4));
        EXPECT_EQ(v.change, c.change) << c.bar.toStdString();
        EXPECT_EQ(v.changeColour, c.colour) << c.bar.toStdString();
    }
    const DataWindowValues part = dataWindowValues(QStringLiteral("2026-12-7,400").split(u','));
    EXPECT_EQ(part.open, QStringLiteral("400"));
    EXPECT_FALSE(part.close.has_value());
    EXPECT_FALSE(part.change.has_value());
}

TEST(KlineCaptionTest, DataWindowOpensBelowTheHeadRowsAndOnTheScreen) {
    struct Case {
        const char* what;
        QRect chart;
        QRect screen;
        QPoint place;
    };
    const QSize window(165, 140);
    const int headBottom = 37;
    const Case cases[] = {
        {"top right of the plot, below the rows", {200, 150, 807, 454}, {0, 0, 1280, 800}, {834, 189}},
        {"a chart reaching past the screen's right edge", {500, 150, 900, 454}, {0, 0, 1024, 768}, {859, 189}},
        {"a chart low on the screen", {0, 700, 800, 400}, {0, 0, 1024, 768}, {627, 628}},
        {"a second screen on the right", {1400, 100, 807, 454}, {1280, 0, 1280, 1024}, {2034, 139}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QPoint at = dataWindowPlace(c.chart, window, c.screen, headBottom);
        EXPECT_EQ(at, c.place);
        EXPECT_TRUE(c.screen.contains(QRect(at, window)));
    }
    // Where there is room, the head rows stay in view.
    const QRect chart(200, 150, 807, 454);
    const QRect heads(chart.topLeft(), QSize(chart.width(), headBottom));
    EXPECT_FALSE(QRect(dataWindowPlace(chart, window, {0, 0, 1280, 800}, headBottom), window).intersects(heads));
}
