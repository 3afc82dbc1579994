#include "tests/market/marketfixture.h"

#include <gtest/gtest.h>

namespace {

class QuoteTextsTest : public MarketTest {
protected:
    void SetUp() override {
        MarketTest::SetUp();
        AllDataLoaded = true;
        LoggedIn = true;
        ProdName[0] = QStringLiteral("人民币账户黄金");
        ProdPrice[0][0] = 268.53f;
        ProdPrev[0] = -1.25f;
        ProdHigh[0] = 270.1f;
        ProdLow[0] = 267.8f;
        ProdSpread[0] = 0.8f;
    }
    void hold(float longUnits, float longAverage, float shortUnits, float shortAverage, float feeRate = 0) {
        HoldUnits[0] = {longUnits, shortUnits};
        HoldPrice[0] = {longAverage, shortAverage, feeRate};
    }
};

TEST_F(QuoteTextsTest, PositionLines) {
    struct Case {
        const char* what;
        float longUnits, longAverage, shortUnits, shortAverage, fee;
        QString caption;
    };
    const Case cases[] = {
        {"flat", 0, 0, 0, 0, 0, QStringLiteral("当前您的 人民币账户黄金 账号空仓 ")},
        {"long", 10, 260, 0, 0, 0,
         QStringLiteral("多头持仓:10份 均价:260元 盈亏:＋85.30元 投入资金：2600元 当前资金：2685.3元 收益率：3.18%")},
        {"long with fee", 10, 260, 0, 0, 10,
         QStringLiteral("多头持仓:10份 均价:260元 盈亏:＋82.61元 投入资金：2600元 当前资金：2682.61元 收益率：3.08%")},
        {"long at a loss", 2, 300, 0, 0, 0,
         QStringLiteral("多头持仓:2份 均价:300元 盈亏:－62.94元 投入资金：600元 当前资金：537.06元 收益率：-11.72%")},
        {"long, no profit", 1, 268.53f, 0, 0, 0,
         QStringLiteral("多头持仓:1份 均价:268.53元 盈亏:＋0.00元 投入资金：268.53元 当前资金：268.53元 收益率：0.00%")},
        // A short position is valued at the selling price, price + spread.
        {"short", 0, 0, 10, 270, 0,
         QStringLiteral("空头持仓:10份 均价:270元 盈亏:＋6.70元 投入资金：2700元 当前资金：2693.3元 收益率：0.25%")},
        {"short, no profit", 0, 0, 1, 269.33f, 0,
         QStringLiteral("空头持仓:1份 均价:269.33元 盈亏:－0.00元 投入资金：269.33元 当前资金：269.33元 收益率：0.00%")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        hold(c.longUnits, c.longAverage, c.shortUnits, c.shortAverage, c.fee);
        run.DoCaption();
        EXPECT_EQ(view.positionCaption, c.caption);
    }
}

TEST_F(QuoteTextsTest, BothSidesTakeTurns) {
    hold(10, 260, 10, 270);
    QStringList starts;
    for (int k = 0; k < 3; ++k) {
        run.DoCaption();
        starts << HoldCaption.left(5);
    }
    EXPECT_EQ(starts, (QStringList{QStringLiteral("空头持仓:"), QStringLiteral("多头持仓:"),
                                   QStringLiteral("空头持仓:")}));
}

TEST_F(QuoteTextsTest, LoggedOutAndNotYetLoaded) {
    LoggedIn = false;
    run.DoCaption();
    EXPECT_EQ(view.positionCaption, QStringLiteral("未登录,登录后方可显示持仓与盈亏信息 "));
    view.positionCaption.clear();
    AllDataLoaded = false;
    run.DoCaption();
    EXPECT_EQ(view.positionCaption, QString());
}

TEST_F(QuoteTextsTest, PriceCaptionFromTheFlags) {
    struct Case {
        bool buy, sell, swap;
        QString caption;
    };
    const Case cases[] = {
        {true, false, false, QStringLiteral(" 人民币账户黄金 买入：268.53")},
        {false, true, false, QStringLiteral(" 人民币账户黄金 卖出：269.33")},
        {true, true, false, QStringLiteral(" 人民币账户黄金 买入：268.53 卖出：269.33")},
        // Swapped: the words change places, the figures stay.
        {true, false, true, QStringLiteral(" 人民币账户黄金 卖出：268.53")},
        {false, true, true, QStringLiteral(" 人民币账户黄金 买入：269.33")},
        {true, true, true, QStringLiteral(" 人民币账户黄金 卖出：268.53 买入：269.33")},
        {false, false, false, QStringLiteral(" 人民币账户黄金 卖出：268.53 买入：269.33")}, // kept
    };
    ShowMini = true;
    for (const Case& c : cases) {
        ShowBuyPrice = c.buy;
        ShowSellPrice = c.sell;
        SwapBuySell = c.swap;
        run.DoCaption();
        EXPECT_EQ(run.texts().PriceCaption, c.caption);
        ASSERT_FALSE(view.miniCaptions.isEmpty());
        EXPECT_EQ(view.miniCaptions.last().caption, c.caption);
    }
}

TEST_F(QuoteTextsTest, MiniWindowGetsDirectionChangeAndMoneyLine) {
    ShowMini = true;
    hold(10, 260, 0, 0);
    run.DoCaption();
    ProdPrice[0][0] = 268.75f;
    run.DoCaption();
    ASSERT_EQ(view.miniCaptions.size(), 2);
    EXPECT_EQ(view.miniCaptions[0].direction, kUnchanged);
    EXPECT_EQ(view.miniCaptions[0].change, QStringLiteral("-1.25"));
    EXPECT_EQ(view.miniCaptions[1].direction, kRose);
    EXPECT_EQ(view.miniCaptions[1].change, QStringLiteral("0.22"));
    EXPECT_TRUE(view.miniCaptions[1].money.startsWith(QStringLiteral("投入资金：2600元")));
}

TEST_F(QuoteTextsTest, IsUDComparesWithThePriceLastSeen) {
    struct Step {
        float price;
        bool dayChange;
        int16_t direction;
        QString change;
    };
    const Step steps[] = {
        {268.53f, false, kUnchanged, QStringLiteral("-1.25")}, // first call: nothing to compare with
        {268.53f, false, kUnchanged, QStringLiteral("0.00")},
        {268.61f, false, kRose, QStringLiteral("0.08")},
        {268.61f, false, kUnchanged, QStringLiteral("0.00")},
        {267.9f, false, kFell, QStringLiteral("0.71")},
        {268.0f, true, kRose, QStringLiteral("-1.25")},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.price);
        ProdPrice[0][0] = s.price;
        ShowDayChange = s.dayChange;
        EXPECT_EQ(run.IsUD(), s.direction);
        EXPECT_EQ(run.texts().ChangeText, s.change);
    }
}

TEST_F(QuoteTextsTest, QuoteListLines) {
    ProdOpen[0] = 0;
    EXPECT_EQ(run.GetList(), QStringLiteral("*** 人民币账户黄金 ***\r\n当前：268.53 今开：0\r\n最高：270.1 最低：267.8\r\n"
                                            "涨跌：-1.25 幅度：-0.47%"));
    ProdPrice[0][0] = 0;
    EXPECT_EQ(run.GetList(), QStringLiteral("*** 人民币账户黄金 ***\r\n当前：0 今开：0\r\n最高：270.1 最低：267.8"));
    ProdPrice[0][0] = 5.5f;
    ProdPrev[0] = 0;
    EXPECT_TRUE(run.GetList().endsWith(QStringLiteral("涨跌：0 幅度：0%")));
}

} // namespace

namespace {

TEST_F(QuoteTextsTest, ChoosingAnotherInstrumentRefreshesItsTextsAtOnce) {
    ProdName[1] = QStringLiteral("人民币账户白银");
    ProdPrice[1][0] = 3.421f;
    ProdPrev[1] = 0.012f;
    TrayQuote = true;
    ShowMini = true;
    ShowBuyPrice = true;
    run.DoCaption(); // the gold price as last seen
    view.miniCaptions.clear();

    CurProd = 1;
    run.currentInstrumentChanged();
    EXPECT_EQ(view.positionCaption, QStringLiteral("当前您的 人民币账户白银 账号空仓 "));
    EXPECT_TRUE(TrayTipText.startsWith(QStringLiteral("*** 人民币账户白银 ***\r\n当前：3.421 ")));
    EXPECT_EQ(view.trayTips, QStringList{TrayTipText});
    ASSERT_EQ(view.miniCaptions.size(), 1);
    EXPECT_EQ(view.miniCaptions[0].caption, QStringLiteral(" 人民币账户白银 买入：3.42"));
    // Silver below gold's last price is no fall: the mini window shows no direction yet.
    EXPECT_EQ(view.miniCaptions[0].direction, 0);
    EXPECT_EQ(view.miniCaptions[0].change, QStringLiteral("+0.01"));
}

} // namespace
