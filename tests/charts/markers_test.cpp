#include "charts/chart.h"

#include "tests/charts/chartfixture.h"
#include "tests/support/qtprint.h"
#include "widgets/imagelist/balloontip.h"

#include <QSignalSpy>
#include <QSize>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

QDateTime at(int hour, int minute) {
    return QDateTime(QDate(2024, 3, 5), QTime(hour, minute));
}

class Markers : public RecordedChart {
protected:
    void SetUp() override {
        RecordedChart::SetUp();
        drawGold(1); // the plot's margins place the markers
    }
    void TearDown() override {
        chart->TIP().UnShowIng();
        RecordedChart::TearDown();
    }
    [[nodiscard]] int usedSlots() const {
        int used = 0;
        for (int k = 0; k < chart->DLCount(); ++k)
            used += chart->MarkerUsed(k) ? 1 : 0;
        return used;
    }
};

TEST_F(Markers, FirstItemCreatesTheMembersAndTakesItsSlot) {
    EXPECT_EQ(chart->DLCount(), 1);
    EXPECT_FALSE(chart->ShowChartD);
    chart->DoTheD(QStringLiteral("金价走高"), QStringLiteral("1001"), 0, at(9, 31));
    EXPECT_EQ(chart->DLCount(), 145);
    EXPECT_TRUE(chart->ShowChartD);
    ASSERT_TRUE(chart->MarkerUsed(21));
    const ChartLabel& marker = chart->DL(21);
    EXPECT_TRUE(marker.Visible);
    EXPECT_EQ(marker.Caption, QStringLiteral("*"));
    EXPECT_EQ(marker.Tag, QStringLiteral("1001"));
    EXPECT_EQ(marker.ForeColor, 0x0000FFu); // a broadcast is red
    EXPECT_DOUBLE_EQ(marker.Left, 8250.0 / 144 * 21 + 650);
    EXPECT_EQ(marker.Top, 6000 - 250 - 240);
    EXPECT_EQ(chart->MarkerText(21), QStringLiteral("2024-3-5 9:31:00\r\n金价走高"));
    EXPECT_EQ(usedSlots(), 1);
}

TEST_F(Markers, FirstItemOfASlotKeepsIt) {
    chart->DoTheD(QStringLiteral("first"), QStringLiteral("1"), 1, at(9, 31));
    chart->DoTheD(QStringLiteral("second"), QStringLiteral("2"), 2, at(9, 34));
    EXPECT_EQ(usedSlots(), 1);
    EXPECT_EQ(chart->MarkerText(21), QStringLiteral("2024-3-5 9:31:00\r\nfirst"));
    EXPECT_EQ(chart->MarkerType(21), 1);
    EXPECT_EQ(chart->DL(21).ForeColor, 0xFF0000u); // other kinds are blue
}

TEST_F(Markers, ItemBeforeSixGetsNoMarker) {
    chart->DoTheD(QStringLiteral("night"), QStringLiteral("3"), 0, at(2, 30));
    chart->DoTheD(QStringLiteral("no time"), QStringLiteral("4"), 0, QDateTime());
    EXPECT_EQ(usedSlots(), 0);
    EXPECT_EQ(chart->DLCount(), 145); // the members are made all the same
}

TEST_F(Markers, ClearRemovesEverythingAndTheNextItemStartsAfresh) {
    chart->DoTheD(QStringLiteral("a"), QStringLiteral("1"), 0, at(6, 0));
    chart->DoTheD(QStringLiteral("b"), QStringLiteral("2"), 0, at(10, 0));
    ASSERT_TRUE(chart->DL(0).Visible);
    chart->ClearD();
    EXPECT_EQ(chart->DLCount(), 1);
    EXPECT_FALSE(chart->DL(0).Visible);
    EXPECT_TRUE(chart->ShowChartD);
    EXPECT_FALSE(chart->MarkerUsed(0));
    chart->resize(500, 300); // re-placing reaches for no removed member
    chart->Me_Resize();
    EXPECT_EQ(chart->DLCount(), 1);

    chart->DoTheD(QStringLiteral("c"), QStringLiteral("3"), 2, at(10, 0));
    EXPECT_EQ(chart->DLCount(), 145);
    EXPECT_EQ(usedSlots(), 1);
    EXPECT_EQ(chart->MarkerText(24), QStringLiteral("2024-3-5 10:00:00\r\nc"));
}

TEST_F(Markers, ResizeReplacesTheUsedMarkers) {
    chart->DoTheD(QStringLiteral("a"), QStringLiteral("1"), 0, at(12, 0)); // slot 36
    chart->resize(450, 300);
    chart->Me_Resize();
    EXPECT_DOUBLE_EQ(chart->DL(36).Left, (6750.0 - 650 - 100) / 144 * 36 + 650);
    EXPECT_EQ(chart->DL(36).Top, 4500 - 250 - 240);
}

// Items placed before the chart's first drawing (the news arrives before the first quotes), and
// markers standing through drawings of other kinds, stand at their time on the time axis of the
// drawing on screen, as the crosshair reads it: one point per two minutes from 06:00.
using MarkersAndDrawings = RecordedChart;
TEST_F(MarkersAndDrawings, MarkersStandAtTheirTimeOnEachDrawingsAxis) {
    chart->DoTheD(QStringLiteral("a"), QStringLiteral("1"), 0, at(7, 53));  // slot 11
    chart->DoTheD(QStringLiteral("b"), QStringLiteral("2"), 1, at(15, 0));  // slot 54
    chart->DoTheD(QStringLiteral("c"), QStringLiteral("3"), 2, at(23, 50)); // slot 107
    const QString day = QStringList(720, QStringLiteral("1250")).join(u',');
    const struct {
        const char* name;
        std::function<void()> draw;
    } drawings[] = {
        {"DrawNum", [&] { chart->DrawNum({day, day, day}, goldColours(), captions(13), 1, 1); }},
        {"DrawNumLine", [&] { chart->DrawNumLine(day, kRed, captions(13), 1, 2); }},
        {"DrawLine", [&] {
             int16_t width = 1;
             chart->DrawLine(day, kRed, captions(13), width);
         }},
        {"DrawGraph", [&] { chart->DrawGraph({day, day, day}, goldColours(), captions(13), true); }},
    };
    for (const QSize size : {QSize(600, 400), QSize(1100, 500)}) {
        chart->resize(size);
        chart->Me_Resize();
        for (const auto& d : drawings) {
            SCOPED_TRACE(std::string(d.name) + " at " + std::to_string(size.width()));
            chart->setRows(720);
            chart->setpRows(11);
            chart->setpCols(6);
            chart->setMinValue(1200);
            chart->setMaxValue(1300);
            d.draw();
            for (const int slot : {11, 54, 107}) {
                // A twip past the marker's edge: the point of its slot, not the one before.
                const int point = charts::pointIndexAt(chart->DL(slot).Left + 1, size.width() * 15.0, chart->margins(), 720);
                EXPECT_EQ(point, slot * 5) << "slot " << slot;
            }
        }
    }
}

// The markers stand on their slot of the trading day: on a drawing whose axis is another (ticks,
// several days) they would read as another time, so they are hidden there and answer no press,
// and come back with the next drawing on a day axis. Items arriving meanwhile wait hidden.
TEST_F(Markers, MarkersShowOnlyOnADayAxis) {
    chart->show();
    chart->DoTheD(QStringLiteral("t"), QStringLiteral("9"), 1, at(12, 0)); // slot 36
    ASSERT_TRUE(chart->DL(36).Visible);
    const double left = chart->DL(36).Left;
    QSignalSpy clicks(chart.get(), &Chart::ClickIt);
    QSignalSpy downs(chart.get(), &Chart::MouseDown);
    const auto pressOnTheMarker = [&] {
        const ChartLabel& m = chart->DL(36);
        const QPoint at(static_cast<int>((m.Left + m.Width / 2) / 15), static_cast<int>((m.Top + m.Height / 2) / 15));
        QTest::mousePress(chart.get(), Qt::LeftButton, Qt::NoModifier, at);
        QTest::mouseRelease(chart.get(), Qt::LeftButton, Qt::NoModifier, at);
    };

    chart->DayAxis = false;
    drawGold(1);
    EXPECT_FALSE(chart->DL(36).Visible);
    pressOnTheMarker();
    EXPECT_EQ(clicks.size(), 0) << "a hidden marker opened its item";
    EXPECT_EQ(downs.size(), 1);
    chart->DoTheD(QStringLiteral("u"), QStringLiteral("10"), 0, at(15, 0)); // slot 54
    EXPECT_TRUE(chart->MarkerUsed(54));
    EXPECT_FALSE(chart->DL(54).Visible);
    chart->resize(chart->width() + 100, chart->height());
    chart->Me_Resize();
    EXPECT_FALSE(chart->DL(36).Visible) << "a resize showed it again";

    chart->DayAxis = true;
    chart->resize(chart->width() - 100, chart->height());
    drawGold(1);
    EXPECT_TRUE(chart->DL(36).Visible);
    EXPECT_TRUE(chart->DL(54).Visible);
    EXPECT_DOUBLE_EQ(chart->DL(36).Left, left);
    pressOnTheMarker();
    EXPECT_EQ(clicks.size(), 1);
}

TEST_F(Markers, HoverOpensTheBalloonOnce) {
    chart->DoTheD(QStringLiteral("非农数据公布..."), QStringLiteral("77"), 0, at(9, 31));
    chart->markerMouseMove(21, 0, 0, 45, 120);
    BalloonTip& tip = chart->TIP();
    EXPECT_TRUE(tip.Showing());
    EXPECT_EQ(tip.TipText(), QStringLiteral("2024-3-5 9:31:00\r\n非农数据公布..."));
    EXPECT_EQ(tip.TitleText(), QStringLiteral(" 快讯播报(有正文)"));
    EXPECT_EQ(tip.Tag(), QStringLiteral("21"));
    // Moving within the same marker does not open it again.
    tip.setTitleText(QStringLiteral("unchanged"));
    chart->markerMouseMove(21, 0, 0, 50, 100);
    EXPECT_EQ(tip.TitleText(), QStringLiteral("unchanged"));
    // A move over the chart itself hides it.
    chart->chartMouseMove(0, 0, 3000, 3000);
    EXPECT_FALSE(tip.Showing());
}

TEST_F(Markers, BalloonTitleByKind) {
    struct Case {
        int16_t type;
        const char* title;
        const char* expected;
    };
    const Case cases[] = {
        {0, "金价", " 快讯播报(无正文)"}, {0, "金价...", " 快讯播报(有正文)"},
        {1, "评论", " 黄金评论"},         {2, "新闻", " 新闻资讯"},
        {7, "其它", "earlier title"}, // any other kind leaves the title
    };
    int hour = 7;
    for (const Case& c : cases) {
        chart->TIP().UnShowIng();
        chart->TIP().setTitleText(QStringLiteral("earlier title"));
        chart->DoTheD(QString::fromUtf8(c.title), QStringLiteral("1"), c.type, at(hour, 0));
        const int slot = (hour - 6) * 6;
        chart->markerMouseMove(slot, 0, 0, 10, 10);
        EXPECT_EQ(chart->TIP().TitleText(), QString::fromUtf8(c.expected)) << c.type;
        ++hour;
    }
}

TEST_F(Markers, PressRaisesClickItOnceAndReleaseHidesTheBalloon) {
    chart->DoTheD(QStringLiteral("美联储维持利率不变"), QStringLiteral("123456"), 2, at(20, 10));
    const int slot = chart->TtoGetd(at(20, 10));
    QSignalSpy clicks(chart.get(), &Chart::ClickIt);
    chart->markerMouseMove(slot, 0, 0, 10, 10);
    ASSERT_TRUE(chart->TIP().Showing());
    chart->markerMouseDown(slot, 1, 0, 10, 10);
    ASSERT_EQ(clicks.size(), 1);
    EXPECT_EQ(clicks[0].at(0).value<int16_t>(), 2);
    EXPECT_EQ(clicks[0].at(1).value<int32_t>(), 123456);
    EXPECT_EQ(clicks[0].at(2).toString(), QStringLiteral("美联储维持利率不变"));
    EXPECT_FALSE(chart->TIP().Showing());
    EXPECT_TRUE(chart->MarkerPressed());
    chart->markerMouseMove(slot, 1, 0, 12, 12); // no balloon while pressed
    EXPECT_FALSE(chart->TIP().Showing());
    chart->markerMouseUp(slot, 1, 0, 12, 12);
    EXPECT_FALSE(chart->MarkerPressed());
    EXPECT_FALSE(chart->TIP().Showing());
    EXPECT_EQ(clicks.size(), 1);
}

TEST_F(Markers, AnIdThatIsNoNumberIsPassedAsZero) {
    chart->DoTheD(QStringLiteral("t"), QStringLiteral("news-12"), 1, at(8, 0));
    QSignalSpy clicks(chart.get(), &Chart::ClickIt);
    chart->markerMouseDown(12, 1, 0, 0, 0);
    ASSERT_EQ(clicks.size(), 1);
    EXPECT_EQ(clicks[0].at(1).value<int32_t>(), 0);
}

// A host that clears the markers from its ClickIt handler leaves no press behind.
TEST_F(Markers, ClearingDuringAPressEndsIt) {
    chart->DoTheD(QStringLiteral("t"), QStringLiteral("5"), 1, at(8, 0));
    QObject::connect(chart.get(), &Chart::ClickIt, chart.get(), [this] { chart->ClearD(); });
    chart->markerMouseDown(12, 1, 0, 0, 0);
    EXPECT_FALSE(chart->MarkerPressed());
    chart->markerMouseUp(12, 1, 0, 0, 0); // the member is gone: harmless
    chart->DoTheD(QStringLiteral("u"), QStringLiteral("6"), 1, at(8, 0));
    chart->markerMouseMove(12, 0, 0, 1, 1);
    EXPECT_TRUE(chart->TIP().Showing());
}

TEST_F(Markers, MousePressOnAMarkerGoesToTheMarker) {
    chart->DoTheD(QStringLiteral("t"), QStringLiteral("9"), 1, at(12, 0)); // slot 36
    chart->show();
    QSignalSpy clicks(chart.get(), &Chart::ClickIt);
    QSignalSpy downs(chart.get(), &Chart::MouseDown);
    const ChartLabel& m = chart->DL(36);
    const QPoint onMarker(static_cast<int>((m.Left + m.Width / 2) / 15),
                          static_cast<int>((m.Top + m.Height / 2) / 15));
    QTest::mousePress(chart.get(), Qt::LeftButton, Qt::NoModifier, onMarker);
    QTest::mouseRelease(chart.get(), Qt::LeftButton, Qt::NoModifier, onMarker);
    EXPECT_EQ(clicks.size(), 1);
    EXPECT_EQ(downs.size(), 0);
    QTest::mousePress(chart.get(), Qt::LeftButton, Qt::NoModifier, QPoint(100, 100));
    QTest::mouseRelease(chart.get(), Qt::LeftButton, Qt::NoModifier, QPoint(100, 100));
    EXPECT_EQ(clicks.size(), 1);
    EXPECT_EQ(downs.size(), 1);
}

} // namespace
