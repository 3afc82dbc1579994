#include "charts/chartfeed.h"

#include "common/tradingday.h"
#include "state/quotetables.h"
#include "platform/vbtext.h"

#include <gtest/gtest.h>

#include <QDateTime>

using namespace charts;

namespace {

// A day of n points, all `base` except one high point and one low point.
QString dayList(int n, float base, float high, float low) {
    QStringList items;
    for (int k = 0; k < n; ++k)
        items << platform::singleText(k == 30 ? high : k == 60 ? low : base);
    return items.join(QLatin1Char(','));
}

QString zeros(int n) { return QStringList(n, QStringLiteral("0")).join(QLatin1Char(',')); }

class FeedBuilders : public ::testing::Test {
protected:
    void SetUp() override {
        clearQuoteTables();
        ProdName[3] = QStringLiteral("伦敦金");
        ProdPrice[3] = {1234.5f, 1220.25f, 1210.f};
        ProdPrev[3] = 14.256f;
        QuoteDate = QStringLiteral("2026-12-10");
        QuoteTime = QStringLiteral("9:05:07");
        for (int d = 0; d < kSeriesDays; ++d)
            ProdSeriesDate[3][d] = QDateTime(QDate(2026, 12, 10).addDays(-d), QTime(0, 0));
    }
    void TearDown() override { clearQuoteTables(); }
    static std::vector<QString> texts(const FeedPlan& p) {
        std::vector<QString> out;
        for (const XieText& t : p.texts)
            out.push_back(t.text);
        return out;
    }
};

} // namespace

TEST_F(FeedBuilders, RefreshminNeedsTwoSamples) {
    for (int16_t count : {0, 1}) {
        TickCount = count;
        EXPECT_FALSE(buildRefreshmin(3, {})) << count;
    }
}

TEST_F(FeedBuilders, RefreshminIntervalsFollowWindowWidth) {
    TickCount = 30;
    for (int k = 1; k <= TickCount; ++k) {
        ProdTick[3][k] = 1230.0f + k;
        TickTime[k] = QStringLiteral("2026-12-10 9:%1:00").arg(k, 2, 10, QLatin1Char('0'));
    }
    struct Case { int width; bool pane2; int pRows; int pCols; };
    for (const Case& c : {Case{16500, false, 5, 8}, Case{16501, false, 10, 13}, Case{16500, true, 5, 3},
                          Case{16501, true, 10, 5}}) {
        FeedContext ctx;
        ctx.windowWidthTwips = c.width;
        ctx.pane2On = c.pane2;
        const auto plan = buildRefreshmin(3, ctx);
        ASSERT_TRUE(plan);
        EXPECT_EQ(plan->pRows, c.pRows) << c.width;
        EXPECT_EQ(plan->pCols, c.pCols) << c.width << c.pane2;
        EXPECT_EQ(plan->rows, 29);
    }
}

TEST_F(FeedBuilders, RefreshminScaleRoundsToTwoDecimals) {
    TickCount = 3;
    ProdTick[3][1] = 1000.f;
    ProdTick[3][2] = 1234.5f;
    ProdTick[3][3] = 1100.f;
    const auto plan = buildRefreshmin(3, {});
    ASSERT_TRUE(plan);
    EXPECT_FALSE(plan->dayAxis) << "ticks on the axis";
    EXPECT_EQ(plan->lines, QStringList{QStringLiteral("1000,1234.5,1100")});
    EXPECT_FLOAT_EQ(plan->maxValue, 1234.75f); // 1234.7469
    EXPECT_FLOAT_EQ(plan->minValue, 999.8f);
    EXPECT_FLOAT_EQ(plan->xsjz, 2469.f);
    EXPECT_EQ(plan->lineLegend, QStringLiteral("最高:1234.5 最低:1000"));
    EXPECT_EQ(plan->dwtype, 2);
    EXPECT_EQ(plan->lineFs, 0);
    EXPECT_EQ(plan->showTime, false);
    EXPECT_EQ(texts(*plan), (std::vector<QString>{QStringLiteral("伦敦金 即时行情走势图"),
                                                  QStringLiteral("北京时间 2026-12-10 9:05:07")}));
}

TEST_F(FeedBuilders, RefreshminScaleKeepsTheInstrumentsDecimals) {
    struct Case {
        const char* what;
        std::vector<float> samples;
        float maxValue;
        float minValue;
        int labelDecimals; // of the value labels, which XsJZ sets
    };
    const Case cases[] = {
        // At two decimals both ends of a silver line would be 3.42.
        {"silver in thousandths", {3.421f, 3.423f, 3.42f}, 3.424f, 3.419f, 3},
        // Twice the maximum, 6.85, would show two decimals.
        {"a maximum ending in 5", {3.425f, 3.419f, 3.42f}, 3.426f, 3.418f, 3},
        {"a rate in ten-thousandths", {1.0852f, 1.0855f, 1.0853f}, 1.0857f, 1.085f, 4},
        {"whole prices keep two", {4012.f, 4020.f}, 4020.8f, 4011.2f, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TickCount = static_cast<int16_t>(c.samples.size());
        for (int k = 1; k <= TickCount; ++k)
            ProdTick[3][k] = c.samples[k - 1];
        const auto plan = buildRefreshmin(3, {});
        ASSERT_TRUE(plan);
        EXPECT_FLOAT_EQ(plan->maxValue, c.maxValue);
        EXPECT_FLOAT_EQ(plan->minValue, c.minValue);
        EXPECT_GT(plan->maxValue, plan->max);
        EXPECT_LT(plan->minValue, plan->min);
        EXPECT_EQ(DecimalCount(plan->xsjz), c.labelDecimals);
    }
}

TEST_F(FeedBuilders, TickCaptionsSampleWithTiesToEven) {
    for (int k = 1; k <= 14; ++k)
        TickTime[k] = QStringLiteral("2026-12-10 10:00:%1").arg(k, 2, 10, QLatin1Char('0'));
    // 13 / 6 * 3 = 6.5 goes to 6 (sample 7); 13 / 6 * 1 = 2.17 to 2 (sample 3).
    const QStringList many = tickCaptions(14, 6);
    EXPECT_EQ(many.mid(0, 7), (QStringList{"10:00:01", "10:00:03", "10:00:05", "10:00:07", "10:00:10",
                                           "10:00:12", "10:00:14"}));
    const QStringList two = tickCaptions(2, 6);
    EXPECT_EQ(two.size(), 13);
    EXPECT_EQ(two[0], QStringLiteral("10:00:01"));
    EXPECT_EQ(two[6], QStringLiteral("10:00:02"));
    for (int k = 1; k < 6; ++k)
        EXPECT_TRUE(two[k].isEmpty()) << k;
}

TEST_F(FeedBuilders, HourCaptionsWrapAfterMidnight) {
    EXPECT_EQ(hourCaptions13(), (QStringList{"6", "8", "10", "12", "14", "16", "18", "20", "22", "24", "2", "4", "6"}));
}

TEST_F(FeedBuilders, RefreshGraphFullDays) {
    ProdSeries[3][0] = dayList(720, 1230, 1240, 1200);
    ProdSeries[3][1] = dayList(720, 1220, 1250, 1215);
    ProdSeries[3][2] = zeros(720);
    FeedContext ctx;
    ctx.coleWidthTwips = 8001;
    const auto plan = buildRefreshGraph(3, ctx);
    ASSERT_TRUE(plan);
    EXPECT_EQ(plan->method, DrawMethod::DrawNum);
    EXPECT_EQ(plan->lines.size(), 3);
    EXPECT_FLOAT_EQ(plan->max, 1250.f);
    EXPECT_FLOAT_EQ(plan->min, 1200.f);
    EXPECT_FLOAT_EQ(plan->maxValue, 1255.f);
    EXPECT_FLOAT_EQ(plan->minValue, 1196.f);
    EXPECT_EQ(plan->rows, 720);
    EXPECT_EQ(plan->is720, true);
    EXPECT_FALSE(plan->is240.has_value());
    EXPECT_TRUE(plan->dayAxis);
    EXPECT_EQ(plan->pCols, 13);
    EXPECT_EQ(plan->dwtype, 1);
    EXPECT_EQ(plan->colors, (QList<platform::OleColor>{0x00BF00, 255, 0xFF7F00}));
    EXPECT_EQ(texts(*plan), (std::vector<QString>{QStringLiteral("伦敦金 72小时行情走势图"),
                                                  QStringLiteral("北京时间 2026年12月10日 09点05分07秒"),
                                                  QStringLiteral("当前：1234.5 涨幅：14.26")}));
    EXPECT_EQ(plan->legendTexts, (QStringList{QStringLiteral("12月10日 星期四 $1234.50 "),
                                              QStringLiteral("12月09日 星期三 $1220.25 "),
                                              QStringLiteral("12月08日 星期二 $1210.00 ")}));
}

TEST_F(FeedBuilders, RefreshGraphInformationAndLegendByPanes) {
    ProdSeries[3][0] = dayList(720, 1230, 1240, 1200);
    struct Case { int cole; bool pane2; bool pane3; size_t texts; int pCols; bool legend; };
    for (const Case& c : {Case{8000, false, false, 1, 13, true}, Case{8001, false, true, 2, 13, true},
                          Case{8001, true, true, 2, 6, false}}) {
        FeedContext ctx;
        ctx.coleWidthTwips = c.cole;
        ctx.pane2On = c.pane2;
        ctx.pane3On = c.pane3;
        const auto plan = buildRefreshGraph(3, ctx);
        ASSERT_TRUE(plan);
        EXPECT_EQ(plan->texts.size(), c.texts) << c.cole;
        EXPECT_EQ(plan->pCols, c.pCols);
        EXPECT_EQ(plan->legendTexts.isEmpty(), !c.legend);
        if (c.pane3 && c.cole > 8000) {
            EXPECT_EQ(plan->texts.back(), (XieText{600, 200, 0, 9, QStringLiteral("当前：1234.5 涨幅：14.26"), false, 2}));
        }
    }
}

TEST_F(FeedBuilders, RefreshGraphSimpleChartTakesLivePoint) {
    ProdSeries[3][0] = dayList(720, 1230, 1240, 1200);
    ProdSeries[3][1] = dayList(720, 1230, 1240, 1200);
    FeedContext ctx;
    ctx.simpleChart = true;
    ctx.nowSlot240 = 5;
    for (bool closed : {false, true}) {
        ctx.marketClosed = closed;
        const auto plan = buildRefreshGraph(3, ctx);
        ASSERT_TRUE(plan);
        const QStringList d0 = plan->lines[0].split(',');
        ASSERT_EQ(d0.size(), 240);
        EXPECT_EQ(d0[5], closed ? QStringLiteral("1230") : QStringLiteral("1234.5")) << closed;
        EXPECT_EQ(plan->rows, 240);
        EXPECT_EQ(plan->is240, true);
        EXPECT_EQ(plan->is720, false);
        EXPECT_EQ(plan->isTd, false);
    }
}

TEST_F(FeedBuilders, RefreshGraphStopsWithoutData) {
    EXPECT_FALSE(buildRefreshGraph(3, {}));
    ProdSeries[3][0] = zeros(720);
    EXPECT_FALSE(buildRefreshGraph(3, {}));
    ProdSeries[3][2] = dayList(720, 1230, 1240, 1200);
    EXPECT_TRUE(buildRefreshGraph(3, {})); // max and min come from all three days
}

TEST_F(FeedBuilders, RefreshTheDayOneDay) {
    ProdSeries[3][0] = dayList(720, 1230, 1240, 1200);
    const auto plan = buildRefreshTheDay(1, 3, {});
    ASSERT_TRUE(plan);
    EXPECT_EQ(plan->lines[0], ProdSeries[3][0]);
    EXPECT_EQ(plan->rows, 720);
    EXPECT_EQ(plan->is720, true);
    EXPECT_EQ(plan->showTime, true);
    EXPECT_EQ(plan->pRows, 11);
    EXPECT_EQ(plan->captions, hourCaptions13());
    EXPECT_TRUE(plan->dayAxis);
    EXPECT_EQ(texts(*plan)[0], QStringLiteral("伦敦金 1天价格走势图"));
}

TEST_F(FeedBuilders, RefreshTheDayTenDays) {
    for (int d = 0; d < 10; ++d)
        ProdSeries[3][d] = dayList(720, 1000 + d, 1300, 900);
    ProdSeries[3][9] = dayList(720, 1009, 1400, 900);
    FeedContext ctx;
    ctx.pane2On = true;
    const auto plan = buildRefreshTheDay(10, 3, ctx);
    ASSERT_TRUE(plan);
    const QStringList points = plan->lines[0].split(',');
    ASSERT_EQ(points.size(), 1440);
    EXPECT_FALSE(plan->dayAxis) << "ten days on the axis";
    EXPECT_EQ(points[0], QStringLiteral("1009"));    // the oldest day comes first
    EXPECT_EQ(points[6], QStringLiteral("1400"));    // its item 30 survives every 5th
    EXPECT_EQ(points[1439], QStringLiteral("1000")); // today last
    EXPECT_EQ(plan->rows, 1440);
    EXPECT_EQ(plan->is720, false);
    EXPECT_EQ(plan->showTime, false);
    EXPECT_EQ(plan->pRows, 9);
    EXPECT_EQ(plan->pCols, 7);
    EXPECT_EQ(plan->captions, (QStringList{"12-01", "12-02", "12-03", "12-04", "12-05", "12-06", "12-07", "12-08",
                                           "12-09", "12-10", "12-11"}));
}

TEST_F(FeedBuilders, RefreshTheDayMissingDayDrawsNothing) {
    ProdSeries[3][0] = dayList(720, 1230, 1240, 1200);
    ProdSeries[3][1] = dayList(720, 1230, 1240, 1200);
    EXPECT_FALSE(buildRefreshTheDay(3, 3, {}));
    EXPECT_TRUE(buildRefreshTheDay(2, 3, {}));
}

TEST_F(FeedBuilders, DayInformationLinesByPanelWidth) {
    ProdSeries[3][0] = dayList(720, 1230, 1240, 1200);
    const QString date = QStringLiteral("北京时间 2026年12月10日");
    const QString price = QStringLiteral("当前：1234.5 涨幅：14.26");
    struct Case { int cole; bool pane3; std::vector<QString> info; };
    for (const Case& c : {Case{9000, false, {}}, Case{9001, false, {date, price}}, Case{12000, true, {}},
                          Case{12001, true, {price}}}) {
        FeedContext ctx;
        ctx.coleWidthTwips = c.cole;
        ctx.pane3On = c.pane3;
        const auto plan = buildRefreshTheDay(1, 3, ctx);
        ASSERT_TRUE(plan);
        std::vector<QString> info = texts(*plan);
        info.erase(info.begin());
        EXPECT_EQ(info, c.info) << c.cole;
        if (!c.info.empty()) {
            EXPECT_EQ(plan->texts[1].x, 600);
        }
    }
}

namespace {

void fillCloses(int n) {
    QString closes;
    QString dates;
    for (int j = 0; j < n; ++j) {
        closes += QString::number(1000 + j) + QLatin1Char(',');
        dates += QDate(2026, 1, 1).addDays(j).toString("yyyy-M-d") + QLatin1Char(',');
    }
    ProdDayCloses[3] = closes;
    ProdDayDates[3] = dates;
}

} // namespace

TEST_F(FeedBuilders, RefreshMonthShortHistoryLowersDays) {
    fillCloses(200);
    int16_t days = 360;
    const auto plan = buildRefreshMonth(days, 3, {});
    ASSERT_TRUE(plan);
    EXPECT_FALSE(plan->dayAxis);
    EXPECT_EQ(days, 200);
    EXPECT_EQ(plan->rows, 200);
    EXPECT_EQ(plan->lines[0], ProdDayCloses[3]);
    EXPECT_EQ(plan->dates, ProdDayDates[3]);
    EXPECT_EQ(texts(*plan)[0], QStringLiteral("伦敦金 200天价格走势图"));
}

TEST_F(FeedBuilders, RefreshMonthTakesTheLastDays) {
    fillCloses(100);
    int16_t days = 0;
    const auto plan = buildRefreshMonth(days, 3, {});
    ASSERT_TRUE(plan);
    EXPECT_EQ(days, 30);
    const QStringList closes = plan->lines[0].split(',');
    ASSERT_EQ(closes.size(), 31);
    EXPECT_EQ(closes.front(), QStringLiteral("1070"));
    EXPECT_EQ(closes[29], QStringLiteral("1099"));
    EXPECT_TRUE(closes.back().isEmpty());
    EXPECT_TRUE(plan->dates->startsWith(QStringLiteral("2026-3-12,")));
    EXPECT_FLOAT_EQ(plan->max, 1099.f);
    EXPECT_FLOAT_EQ(plan->min, 1070.f);
    EXPECT_FLOAT_EQ(plan->maxValue, 1101.9f);
    EXPECT_FLOAT_EQ(plan->minValue, 1067.68f);
    EXPECT_EQ(plan->pRows, 8);
    EXPECT_EQ(plan->captions, QStringList(11));
    EXPECT_EQ(plan->showRarr, true);
    EXPECT_EQ(plan->showTime, true);
    EXPECT_EQ(plan->is720, false);
}

TEST_F(FeedBuilders, RefreshMonthEqualLengthKeepsWholeLists) {
    fillCloses(60);
    int16_t days = 60;
    const auto plan = buildRefreshMonth(days, 3, {});
    ASSERT_TRUE(plan);
    EXPECT_EQ(days, 60);
    EXPECT_EQ(plan->lines[0], ProdDayCloses[3]);
    int16_t none = 30;
    ProdDayCloses[3].clear();
    EXPECT_FALSE(buildRefreshMonth(none, 3, {}));
}

TEST_F(FeedBuilders, TwinChartScaleCoversOneOrThreeDays) {
    ProdSeries[3][0] = dayList(720, 1230, 1240, 1200);
    ProdSeries[3][1] = dayList(720, 1230, 1290, 1100);
    FeedContext ctx;
    ctx.marketClosed = true;
    struct Case { bool threeDay; float max; float min; DrawMethod method; qsizetype lines; };
    for (const Case& c : {Case{false, 1240, 1200, DrawMethod::DrawNumLine, 1},
                          Case{true, 1290, 1100, DrawMethod::DrawNum, 3}}) {
        const auto plan = buildTwinChart(3, c.threeDay, ctx);
        ASSERT_TRUE(plan);
        EXPECT_FLOAT_EQ(plan->maxValue, c.max + 0.2f) << c.threeDay;
        EXPECT_FLOAT_EQ(plan->minValue, c.min - 0.2f) << c.threeDay;
        EXPECT_EQ(plan->method, c.method);
        EXPECT_EQ(plan->lines.size(), c.lines);
        EXPECT_EQ(plan->dwtype, 0);
        EXPECT_EQ(plan->rows, 240);
        EXPECT_EQ(plan->pRows, 5);
        EXPECT_EQ(plan->pCols, 4);
        EXPECT_EQ(plan->captions, (QStringList{" 6", "10", "14", "18", "22", "2", "6"}));
    }
}

TEST_F(FeedBuilders, TwinChartTitleAndReadout) {
    ProdSeries[3][0] = dayList(720, 1230, 1240, 1200);
    FeedContext ctx;
    ctx.nowSlot240 = 0;
    const auto plan = buildTwinChart(3, false, ctx);
    ASSERT_TRUE(plan);
    EXPECT_EQ(plan->lines[0].section(',', 0, 0), QStringLiteral("1234.5"));
    ASSERT_EQ(plan->texts.size(), 2u);
    EXPECT_EQ(plan->texts[0], (XieText{70, 0, 255, 9, QStringLiteral("伦敦金"), true, 1}));
    EXPECT_EQ(plan->texts[1], (XieText{405, 300, 0, 9, QStringLiteral("　当前：1234.5  +14.26"), false, 0}));
    EXPECT_FALSE(buildTwinChart(4, false, ctx));
}

TEST_F(FeedBuilders, KlineCaptionStartsWithZeroOpen) {
    ProdHigh[3] = 1250.f;
    ProdLow[3] = 1199.5f;
    ProdPrev[3] = -3.5f;
    EXPECT_EQ(klineCaption(3), QStringLiteral("0,1250,1199.5,1234.5,-3.50,-"));
}

TEST(UpdateImgPlan, Dispatch) {
    using F = Feeder;
    struct Case {
        int16_t tab, kind, range;
        bool vip, p2, p3, p4;
        bool kline, refused, twins;
        std::vector<PaneCall> panes;
    };
    const Case cases[] = {
        {1, 0, 1, false, true, true, true, false, false, true, {}},
        {3, 1, 1, false, true, false, false, true, false, true, {}},
        {2, 0, -1, true, false, false, false, false, false, true, {}},
        {2, 0, 17, true, false, false, false, false, false, true, {}},
        {2, 0, 0, false, false, false, false, false, false, true, {{F::Refreshmin, 0, 1}}},
        {2, 0, 1, false, true, false, true, false, false, true, {{F::RefreshGraph, 0, 1}, {F::RefreshGraph, 0, 2}, {F::RefreshGraph, 0, 4}}},
        {3, 0, 2, false, false, false, false, false, false, true, {{F::RefreshTheDay, 1, 1}}},
        {2, 0, 11, false, true, true, false, false, false, true, {{F::RefreshTheDay, 10, 1}, {F::RefreshTheDay, 10, 2}, {F::RefreshTheDay, 10, 3}}},
        {2, 0, 12, false, false, false, false, false, false, true, {{F::RefreshMonth, 30, 1}}},
        {2, 0, 14, false, false, false, false, false, false, true, {{F::RefreshMonth, 90, 1}}},
        {2, 0, 15, false, true, false, false, false, true, false, {}},
        {2, 0, 16, false, false, false, false, false, true, false, {}},
        {2, 0, 15, true, false, false, false, false, false, true, {{F::RefreshMonth, 180, 1}}},
        {2, 0, 16, true, true, false, false, false, false, true, {{F::RefreshMonth, 360, 1}, {F::RefreshMonth, 360, 2}}},
    };
    for (const Case& c : cases) {
        const UpdatePlan plan = planUpdateImg(c.tab, c.kind, c.range, c.vip, c.p2, c.p3, c.p4);
        EXPECT_EQ(plan.kline, c.kline) << c.tab << ' ' << c.range;
        EXPECT_EQ(plan.vipRefused, c.refused) << c.range;
        EXPECT_EQ(plan.twins, c.twins) << c.range;
        EXPECT_EQ(plan.panes, c.panes) << c.tab << ' ' << c.range;
    }
}

TEST(RangeBox, Captions) {
    const QStringList& captions = rangeCaptions();
    ASSERT_EQ(captions.size(), 17);
    EXPECT_EQ(captions[1], QStringLiteral("72小时 F3"));
    EXPECT_EQ(captions[3], QStringLiteral("2天 Alt+2"));
    EXPECT_EQ(captions[11], QStringLiteral("10天 Alt+0"));
    EXPECT_EQ(captions[16], QStringLiteral("360天 Alt+T(VIP)"));
}
