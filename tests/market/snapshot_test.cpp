// The snapshot run on texts handed in as pushes: no network, so the parse, the tables, the board
// calls and the tail can be checked one by one.
#include "tests/market/marketfixture.h"

#include <gtest/gtest.h>

namespace {

class SnapshotRunTest : public MarketTest {
protected:
    void SetUp() override {
        MarketTest::SetUp();
        AllDataLoaded = true; // no first complete load: these runs stay off the network
    }
};

TEST_F(SnapshotRunTest, ReadsHeaderAndRowIntoTheTables) {
    run.LoadData(snapshotText({row(QStringLiteral("人民币账户黄金"), QStringLiteral("268.53"),
                                   QStringLiteral("-1.25"), QStringLiteral("gh"), QStringLiteral("0.80"),
                                   QStringLiteral("270.10"), QStringLiteral("267.80"))},
                              125, 312, QStringLiteral("10:24:36")));
    EXPECT_EQ(RmbRate, 5.0f);
    EXPECT_EQ(QuoteDate, QStringLiteral("2024-5-15"));
    EXPECT_EQ(QuoteTime, QStringLiteral("10:24:36"));
    EXPECT_EQ(view.quoteTime, QStringLiteral("10:24:36"));
    EXPECT_EQ(ProdCount, 1);
    EXPECT_EQ(ProdLast, 0);
    EXPECT_EQ(ProdName[0], QStringLiteral("人民币账户黄金"));
    EXPECT_EQ(ProdCode[0], QStringLiteral("gh"));
    EXPECT_EQ(ProdPrice[0][0], 268.53f);
    EXPECT_EQ(ProdPrev[0], -1.25f);
    EXPECT_EQ(ProdPrevClose[0], 269.78f); // formed in double precision from the two texts
    EXPECT_EQ(ProdHigh[0], 270.10f);
    EXPECT_EQ(ProdLow[0], 267.80f);
    EXPECT_EQ(ProdOpen[0], 0.0f);
    EXPECT_EQ(ProdSpread[0], 0.80f);
    EXPECT_TRUE(view.timer1());
    EXPECT_EQ(view.count(QStringLiteral("UpdateImg")), 1);
}

// A name from the service is kept as long as a board's names are; a longer one is cut with "…",
// whatever its length, and the row's figures are read as usual.
TEST_F(SnapshotRunTest, LongNamesAreCutWithAnEllipsis) {
    const QString gold = QStringLiteral("人民币账户黄金");
    const QString twelve = QStringLiteral("人民币账户黄金(克)现货");
    const QString pair = QString::fromUtf16(u"\U0001F947"); // one character of two code units
    const struct {
        QString name;
        QString kept;
    } cases[] = {
        {gold, gold},
        {twelve, twelve},
        {twelve + u'A', QStringLiteral("人民币账户黄金(克)现…")},
        {gold.repeated(100000 / gold.size() + 1).left(100000), QStringLiteral("人民币账户黄金人民币账…")},
        {QStringLiteral("0123456789") + pair, QStringLiteral("0123456789") + pair},
        {QStringLiteral("0123456789") + pair + u'A', QStringLiteral("0123456789…")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name.left(20).toStdString());
        run.LoadData(snapshotText({row(c.name, QStringLiteral("268.53"), QStringLiteral("-1.25"), QStringLiteral("gh")),
                                   row(QStringLiteral("b"), QStringLiteral("5.1"), QStringLiteral("0"))}));
        EXPECT_EQ(ProdName[0], c.kept);
        EXPECT_LE(ProdName[0].size(), kLongestInstrumentName);
        EXPECT_EQ(ProdPrice[0][0], 268.53f);
        EXPECT_EQ(ProdCode[0], QStringLiteral("gh"));
        EXPECT_EQ(view.rows[0].cells[ColName].text, c.kept);
    }
}

TEST_F(SnapshotRunTest, HeaderAloneGivesNoRowsAndChangesNone) {
    ProdName[0] = QStringLiteral("old");
    run.LoadData(QStringLiteral("0,5.0,312,2024-5-15,10:00:00,125|"));
    EXPECT_EQ(ProdCount, 0);
    EXPECT_EQ(ProdName[0], QStringLiteral("old"));
    EXPECT_EQ(view.count(QStringLiteral("UpdateImg")), 1);
    EXPECT_TRUE(logTexts().isEmpty());
}

TEST_F(SnapshotRunTest, ShortHeaderEndsTheRunWithALoggedFault) {
    run.LoadData(QStringLiteral("0,5.0,312,2024-5-15,10:00:00|") + row(QStringLiteral("a"), QStringLiteral("1"),
                                                                       QStringLiteral("0")) + u'|');
    EXPECT_EQ(logTexts(), QStringList{QStringLiteral("9:下标越界>LoadData>>8")});
    EXPECT_EQ(ProdName[0], QString());
    EXPECT_EQ(view.count(QStringLiteral("UpdateImg")), 0);
    EXPECT_TRUE(view.timer1());
}

TEST_F(SnapshotRunTest, ThirtySecondRowIsLeftOutAndTheRunGoesOn) {
    QStringList rows;
    for (int r = 1; r <= 32; ++r)
        rows << row(QStringLiteral("p%1").arg(r), QString::number(100 + r), QStringLiteral("1"),
                    QStringLiteral("c%1").arg(r));
    run.LoadData(snapshotText(rows));
    EXPECT_EQ(ProdCount, 31);
    EXPECT_EQ(ProdLast, 30);
    EXPECT_EQ(ProdName[30], QStringLiteral("p31"));
    EXPECT_EQ(ProdPrice[30][0], 131.0f);
    EXPECT_EQ(view.boardRows, 31);
    EXPECT_EQ(view.rows.size(), 31);
    EXPECT_EQ(logTexts(), QStringList{QStringLiteral("9:下标越界>LoadData>>10")});
    EXPECT_EQ(view.count(QStringLiteral("UpdateImg")), 1); // the tail still ran
    EXPECT_TRUE(view.timer1());
}

// A bad row is logged and left as the last good snapshot had it; the rows after it and the tail
// still run.
TEST_F(SnapshotRunTest, BadRowsAreLoggedAndSkipped) {
    struct Case {
        const char* what;
        QString badRow;
        QString log;
    };
    const Case cases[] = {
        {"change not a number", row(QStringLiteral("b"), QStringLiteral("2"), QStringLiteral("up")),
         QStringLiteral("13:类型不匹配>LoadData>>10")},
        {"spread not a number",
         row(QStringLiteral("b"), QStringLiteral("2"), QStringLiteral("0.1"), QStringLiteral("c"), QStringLiteral("")),
         QStringLiteral("13:类型不匹配>LoadData>>10")},
        {"price not a number for the previous close", row(QStringLiteral("b"), QStringLiteral("2x"), QStringLiteral("0.1")),
         QStringLiteral("13:类型不匹配>LoadData>>10")},
        {"six fields", QStringLiteral("b,2,0.1,3,1,c"), QStringLiteral("9:下标越界>LoadData>>10")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(file(QStringLiteral("log.txt")));
        ProdName[1] = QStringLiteral("kept");
        ProdPrice[1][0] = 7.0f;
        run.LoadData(snapshotText({row(QStringLiteral("a"), QStringLiteral("1"), QStringLiteral("0")), c.badRow,
                                   row(QStringLiteral("z"), QStringLiteral("3"), QStringLiteral("0.5"))}));
        EXPECT_EQ(logTexts(), QStringList{c.log});
        EXPECT_EQ(ProdName[1], QStringLiteral("kept"));
        EXPECT_EQ(ProdPrice[1][0], 7.0f);
        EXPECT_EQ(ProdName[2], QStringLiteral("z"));
        EXPECT_EQ(ProdCount, 3);
        EXPECT_TRUE(view.timer1());
    }
    EXPECT_EQ(view.count(QStringLiteral("UpdateImg")), 4);
}

// A row is read by its first seven fields, whatever follows them; a renamed instrument or code is
// taken over by the next snapshot.
TEST_F(SnapshotRunTest, RowsAreReadByTheirFirstSevenFields) {
    const struct {
        QString row;
        const char* name;
        const char* code;
        float spread;
    } steps[] = {
        {QStringLiteral("a,2,0.5,3,1,c,0.25,extra,more"), "a", "c", 0.25f},
        {QStringLiteral("a,2,0.5,3,1,c,0.25"), "a", "c", 0.25f},
        {QStringLiteral("renamed,2,0.5,3,1,c,0.5,"), "renamed", "c", 0.5f},
        {QStringLiteral("renamed,2,0.5,3,1,recoded,0.5"), "renamed", "recoded", 0.5f},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.row.toStdString());
        run.LoadData(snapshotText({step.row}));
        EXPECT_EQ(ProdName[0], QString::fromLatin1(step.name));
        EXPECT_EQ(ProdCode[0], QString::fromLatin1(step.code));
        EXPECT_EQ(ProdSpread[0], step.spread);
        EXPECT_EQ(ProdPrice[0][0], 2.0f);
    }
    EXPECT_TRUE(logTexts().isEmpty());
}

TEST_F(SnapshotRunTest, LenientFieldsReadTheirLeadingNumber) {
    run.LoadData(QStringLiteral("0,abc,12.7x,2024-5-15,10:00:00,3.5x|") +
                 row(QStringLiteral("a"), QStringLiteral("2"), QStringLiteral("0.5"), QStringLiteral("c"),
                     QStringLiteral("0"), QStringLiteral("high"), QStringLiteral("1.5low")) +
                 u'|');
    EXPECT_EQ(RmbRate, 0.0f);
    EXPECT_EQ(ProdHigh[0], 0.0f);
    EXPECT_EQ(ProdLow[0], 1.5f);
    EXPECT_TRUE(logTexts().isEmpty());
}

TEST_F(SnapshotRunTest, TextWithAngleBracketIsDropped) {
    ProdName[0] = QStringLiteral("old");
    run.LoadData(snapshotText({row(QStringLiteral("<b>"), QStringLiteral("1"), QStringLiteral("0"))}));
    EXPECT_EQ(ProdName[0], QStringLiteral("old"));
    EXPECT_EQ(view.count(QStringLiteral("UpdateImg")), 0);
    EXPECT_TRUE(view.timer1());
}

TEST_F(SnapshotRunTest, LivePointReplacesTheSlotOfTodaysSeries) {
    ProdSeries[0][0] = QStringLiteral("1,2,3,4");
    ProdSeries[1][0] = QStringLiteral("5,6,7,8");
    run.LoadData(snapshotText({row(QStringLiteral("a"), QStringLiteral("268.53"), QStringLiteral("0")),
                               row(QStringLiteral("b"), QStringLiteral("0"), QStringLiteral("0"))},
                              2));
    EXPECT_EQ(ProdSeries[0][0], QStringLiteral("1,2,268.53,4"));
    EXPECT_EQ(ProdSeries[1][0], QStringLiteral("5,6,7,8")); // no price: no point
}

// The live point lands on its slot whether its text is as wide as the item it replaces or not,
// and a copy of the day's list taken before (as a chart holds one) keeps the old point.
TEST_F(SnapshotRunTest, LivePointReplacesItsSlotOfAnyWidth) {
    struct Case {
        const char* list;
        int slot;
        const char* price;
        const char* expected;
    };
    const Case cases[] = {
        {"11.5,22.5,33.5", 0, "44.5", "44.5,22.5,33.5"},   {"11.5,22.5,33.5", 1, "44.5", "11.5,44.5,33.5"},
        {"11.5,22.5,33.5", 2, "44.5", "11.5,22.5,44.5"},   {"11.5,22.5,33.5", 1, "22.5", "11.5,22.5,33.5"},
        {"11.5,22.5,33.5", 1, "7", "11.5,7,33.5"},         {"1,2,3", 2, "268.53", "1,2,268.53"},
        {"1,,3", 1, "5", "1,5,3"},                         {"9", 0, "8", "8"},
    };
    for (const Case& c : cases) {
        ProdSeries[0][0] = QString::fromLatin1(c.list);
        const QString before = ProdSeries[0][0];
        run.LoadData(snapshotText({row(QStringLiteral("a"), QString::fromLatin1(c.price), QStringLiteral("0"))}, c.slot));
        EXPECT_EQ(ProdSeries[0][0], QString::fromLatin1(c.expected)) << c.list << " @" << c.slot;
        EXPECT_EQ(before, QString::fromLatin1(c.list)) << "the copy changed with " << c.list;
    }
    EXPECT_TRUE(logTexts().isEmpty());
}

TEST_F(SnapshotRunTest, SlotPastTheListIsSkippedOnceAndTheBoardStillRefreshes) {
    ProdSeries[0][0] = QStringLiteral("1,2,3,4");
    ProdSeries[1][0] = QStringLiteral("5,6,7,8");
    run.LoadData(snapshotText({row(QStringLiteral("a"), QStringLiteral("10"), QStringLiteral("0")),
                               row(QStringLiteral("b"), QStringLiteral("20"), QStringLiteral("0"))},
                              4));
    EXPECT_EQ(ProdSeries[0][0], QStringLiteral("1,2,3,4"));
    EXPECT_EQ(ProdSeries[1][0], QStringLiteral("5,6,7,8"));
    EXPECT_EQ(logTexts(), QStringList{QStringLiteral("9:下标越界>LoadData>>12")});
    EXPECT_EQ(view.rows.size(), 2);
    EXPECT_EQ(TickCount, 1);
    EXPECT_EQ(view.count(QStringLiteral("UpdateImg")), 1);
}

TEST_F(SnapshotRunTest, TickSamplesNeedACurrentPrice) {
    CurProd = 1;
    run.LoadData(snapshotText({row(QStringLiteral("a"), QStringLiteral("5"), QStringLiteral("0")),
                               row(QStringLiteral("b"), QStringLiteral("0"), QStringLiteral("0"))}));
    EXPECT_EQ(TickCount, 0);
    run.LoadData(snapshotText({row(QStringLiteral("a"), QStringLiteral("5"), QStringLiteral("0")),
                               row(QStringLiteral("b"), QStringLiteral("6"), QStringLiteral("0"))}));
    EXPECT_EQ(TickCount, 1);
    EXPECT_EQ(ProdTick[0][1], 5.0f);
    EXPECT_EQ(ProdTick[1][1], 6.0f);
    EXPECT_EQ(TickTime[1], QStringLiteral("2024-5-15 10:00:00"));
}

TEST_F(SnapshotRunTest, The361stSampleDropsTheOldest) {
    for (int k = 1; k <= 361; ++k)
        run.LoadData(snapshotText({row(QStringLiteral("a"), QString::number(k), QStringLiteral("0"))}, 125, 312,
                                  QStringLiteral("10:%1:%2").arg(k / 60, 2, 10, QLatin1Char('0')).arg(k % 60, 2, 10, QLatin1Char('0'))));
    EXPECT_EQ(TickCount, 360);
    EXPECT_EQ(ProdTick[0][0], 0.0f);
    EXPECT_EQ(ProdTick[0][1], 2.0f);
    EXPECT_EQ(ProdTick[0][359], 360.0f);
    EXPECT_EQ(ProdTick[0][360], 361.0f);
    EXPECT_EQ(TickTime[0], QString());
    EXPECT_EQ(TickTime[1], QStringLiteral("2024-5-15 10:00:02"));
    EXPECT_EQ(TickTime[360], QStringLiteral("2024-5-15 10:06:01"));
}

TEST_F(SnapshotRunTest, FirstSnapshotFillsTheListsOnce) {
    Pane2Prod = 2;  // the last instrument: listed, so selected
    Pane3Prod = 3;  // beyond the list: brought into it, and selected as such
    CurProd = 1;
    const QString text = snapshotText({row(QStringLiteral("a"), QStringLiteral("1"), QStringLiteral("0")),
                                       row(QStringLiteral("b"), QStringLiteral("2"), QStringLiteral("0")),
                                       row(QStringLiteral("c"), QStringLiteral("3"), QStringLiteral("0"))});
    run.LoadData(text);
    EXPECT_EQ(view.instruments, (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
    // The twin charts' defaults 10 and 11 lie beyond this market too.
    const std::map<InstrumentSelector, int> expected{
        {InstrumentSelector::Current, 1}, {InstrumentSelector::Pane2, 2}, {InstrumentSelector::Pane3, 0},
        {InstrumentSelector::Pane4, 0},   {InstrumentSelector::Right1, 1}, {InstrumentSelector::Right2, 2}};
    EXPECT_EQ(view.selected, expected);
    EXPECT_EQ(Pane3Prod, 0);
    EXPECT_EQ(RightChart1Prod, 1);
    EXPECT_EQ(RightChart2Prod, 2);
    const qsizetype fit = view.calls.indexOf(QStringLiteral("fitShortList"));
    EXPECT_EQ(view.calls.indexOf(QStringLiteral("addInstrument 2")), fit - 1);
    EXPECT_EQ(view.calls.indexOf(QStringLiteral("CheckMenu 1")), fit + 1);
    run.LoadData(text);
    EXPECT_EQ(view.instruments.size(), 3);
    EXPECT_EQ(view.count(QStringLiteral("CheckMenu 1")), 1);
}

TEST_F(SnapshotRunTest, TailRunsInItsOrder) {
    MainStarted = true;
    UseRealtime = true;
    TrayQuote = true;
    UserServerHost = QStringLiteral("127.0.0.1");
    TxCount = 1;
    TxProd = {0, 0};
    TxCompare = {0, 0};
    TxPrice = {0.0f, 1.0f};
    run.LoadData(snapshotText({row(QStringLiteral("a"), QStringLiteral("2"), QStringLiteral("0"))}));
    QStringList tail;
    for (const QString& c : view.calls)
        if (!c.startsWith(u"status") && !c.startsWith(u"ensure") && !c.startsWith(u"addInstrument") &&
            c != u"fitShortList" && !c.startsWith(u"CheckMenu"))
            tail << c;
    EXPECT_EQ(tail, (QStringList{QStringLiteral("Timer1 off"), QStringLiteral("UpdateImg"),
                                 QStringLiteral("CustRing"), QStringLiteral("UnLinkUser"),
                                 QStringLiteral("LinkUser"), QStringLiteral("LoadNews"),
                                 QStringLiteral("Timer1 on")}));
    EXPECT_EQ(view.trayTips, QStringList{TrayTipText});
    EXPECT_TRUE(TrayTipText.startsWith(QStringLiteral("*** a ***")));
    EXPECT_EQ(NewsId, 312);
}

TEST_F(SnapshotRunTest, LinkIsRepairedOnlyWhenWantedAndDown) {
    struct Case {
        bool useRealtime;
        bool connected;
        bool started;
        QString host;
        bool relinks;
    };
    const Case cases[] = {
        {false, false, true, QStringLiteral("h"), false},
        {true, true, true, QStringLiteral("h"), false},
        {true, false, false, QStringLiteral("h"), false},
        {true, false, true, QString(), false},
        {true, false, true, QStringLiteral("h"), true},
    };
    for (const Case& c : cases) {
        view.calls.clear();
        UseRealtime = c.useRealtime;
        view.connected = c.connected;
        MainStarted = c.started;
        UserServerHost = c.host;
        run.LoadData(snapshotText({row(QStringLiteral("a"), QStringLiteral("2"), QStringLiteral("0"))}));
        EXPECT_EQ(view.count(QStringLiteral("LinkUser")), c.relinks ? 1 : 0);
        EXPECT_EQ(view.count(QStringLiteral("UnLinkUser")), c.relinks ? 1 : 0);
    }
}

TEST_F(SnapshotRunTest, NewsReloadsWhenItsVersionMoves) {
    MainStarted = true;
    NewsId = 312;
    run.LoadData(snapshotText({row(QStringLiteral("a"), QStringLiteral("2"), QStringLiteral("0"))}, 125, 312));
    EXPECT_EQ(view.count(QStringLiteral("LoadNews")), 0);
    run.LoadData(snapshotText({row(QStringLiteral("a"), QStringLiteral("2"), QStringLiteral("0"))}, 125, 313));
    EXPECT_EQ(view.count(QStringLiteral("LoadNews")), 1);
    EXPECT_EQ(NewsId, 313);
}

TEST_F(SnapshotRunTest, PushedTextIsTakenOnce) {
    PushData = snapshotText({row(QStringLiteral("pushed"), QStringLiteral("2"), QStringLiteral("0"))});
    PushTime = ServerNow.addSecs(-14);
    run.LoadData(PushData);
    EXPECT_EQ(ProdName[0], QStringLiteral("pushed"));
    EXPECT_TRUE(PushData.isEmpty());
}

} // namespace
