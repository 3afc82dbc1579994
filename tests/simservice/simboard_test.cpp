// The simulated market read by the client's own snapshot run and history loader: every row lands
// under its code at its index, with the decimals the client reads off its prices, and the
// instruments the settings default to for the twin charts have histories.
#include "common/tradingday.h"
#include "tests/market/simfixture.h"

#include <gtest/gtest.h>

namespace {

class SimBoardTest : public SimMarketTest {};

TEST_F(SimBoardTest, SnapshotFillsTheClientsTablesRowByRow) {
    AllDataLoaded = true;
    run.LoadData();
    EXPECT_TRUE(logTexts().isEmpty()) << logTexts().join(u'\n').toStdString();
    const auto& list = SimMarket::instruments();
    ASSERT_EQ(ProdCount, static_cast<int>(list.size()));
    for (size_t n = 0; n < list.size(); ++n) {
        const int i = static_cast<int>(n);
        SCOPED_TRACE(list[n].code.toStdString());
        EXPECT_EQ(ProdName[i], list[n].name);
        EXPECT_EQ(ProdCode[i], list[n].code);
        EXPECT_EQ(ProductIndex(list[n].code), QString::number(i));
        EXPECT_EQ(ProductCode(static_cast<int16_t>(i)), list[n].code);
        EXPECT_FLOAT_EQ(ProdSpread[i], static_cast<float>(list[n].spread));
        const auto q = sim->market().quote(i, ServerNow);
        ASSERT_TRUE(q.has_value());
        EXPECT_EQ(ProdPrice[i][0], static_cast<float>(q->price));
        EXPECT_LE(DecimalCount(ProdPrice[i][0]), list[n].decimals);
        EXPECT_GT(ProdHigh[i], 0.0f);
        EXPECT_LE(ProdLow[i], ProdPrice[i][0]);
        EXPECT_GE(ProdHigh[i], ProdPrice[i][0]);
    }
    // The renminbi factor is the dollar's renminbi rate as its own row quotes it.
    EXPECT_EQ(RmbRate, ProdPrice[ProductIndex(QStringLiteral("usdcny")).toInt()][0]);
    // The board's premium rows find their partners ("tdhj" over "gh", "tdby" over "ying").
    EXPECT_FALSE(ProductIndex(QStringLiteral("gh")).isEmpty());
    EXPECT_FALSE(ProductIndex(QStringLiteral("ying")).isEmpty());
}

// Rows 10 and 11 are where the settings put the twin charts on a first run; their three-day
// histories load from the service like any other row's.
TEST_F(SimBoardTest, TheTwinChartDefaultsHaveHistories) {
    AllDataLoaded = true;
    run.LoadData();
    for (const int16_t i : {RightChart1Prod, RightChart2Prod}) {
        SCOPED_TRACE(i);
        ASSERT_LT(i, ProdCount);
        run.LoadAllData(i);
        const QStringList today = ProdSeries[i][0].split(u',');
        ASSERT_EQ(today.size(), SimMarket::kSlots);
        EXPECT_GT(ListMaxMin(ProdSeries[i][1], true), 0.0f);
        EXPECT_GT(ListMaxMin(ProdSeries[i][0], false), 0.0f);
        EXPECT_TRUE(sim->requestLog().last().endsWith(QStringLiteral("&m=P-") + ProdCode[i]));
    }
    EXPECT_TRUE(questions.isEmpty()) << "no server failed";
}

} // namespace
