// The snapshot run and the history loaders against the simulated service in this process: the
// service answers while the loader waits in its nested event loop.
#include "common/textcodec.h"
#include "common/tradingday.h"
#include "market/historytext.h"
#include "tests/market/simfixture.h"

#include <gtest/gtest.h>

namespace {

using Endpoint = SimService::Endpoint;
using Fault = SimService::Fault;

// The Wednesday of the fixture, 10:00: slot 120 of a trading day.
TEST_F(SimMarketTest, SnapshotComesFromTheCurrentServer) {
    AllDataLoaded = true;
    run.LoadData();
    EXPECT_EQ(ProdCount, marketSize());
    EXPECT_EQ(ProdCode[0], marketCode(0));
    EXPECT_EQ(ProdName[4], marketName(4));
    EXPECT_GT(ProdPrice[0][0], 0.0f);
    EXPECT_EQ(QuoteTime, QStringLiteral("10:00:00"));
    EXPECT_EQ(requests(), QStringList{QStringLiteral("/data1/get.shtml") + snapshotQuery()});
    EXPECT_TRUE(logTexts().isEmpty());
    EXPECT_TRUE(view.timer1());
}

TEST_F(SimMarketTest, SnapshotFailsOverToTheNextServer) {
    const Fault faults[] = {Fault::Empty, Fault::Garbage, Fault::NotFound, Fault::Close, Fault::Delay};
    for (const Fault fault : faults) {
        SCOPED_TRACE(SimService::faultName(fault).toStdString());
        clearQuoteTables();
        AllDataLoaded = true;
        QFile::remove(file(QStringLiteral("log.txt")));
        view.statuses.clear();
        sim->clearRequestLog();
        DataServerIndex = 0;
        DataServer = QString(urls[0]).replace(QStringLiteral("do.asp"), QStringLiteral("get.shtml"));
        sim->setFault(QStringLiteral("/data1"), Endpoint::Snapshot, fault);

        run.LoadData();

        EXPECT_EQ(ProdCount, marketSize());
        EXPECT_EQ(DataServer, urls[1]);
        EXPECT_EQ(logLines(), (QStringList{QStringLiteral("加载失败:") + urls[0].chopped(6) +
                                               QStringLiteral("get.shtml") + snapshotQuery() + QStringLiteral("&rnd=R"),
                                           QStringLiteral("Change Server to:") + urls[1]}));
        EXPECT_TRUE(view.statuses.contains(QStringLiteral("失败,切换服务器.")));
        EXPECT_EQ(requests().last(), QStringLiteral("/data2/get.shtml") + snapshotQuery());
        sim->clearFaults();
    }
    EXPECT_EQ(run.ServerSwitches, 5);
}

TEST_F(SimMarketTest, RefusedServerFailsOverToo) {
    AllDataLoaded = true;
    const QString dead = QStringLiteral("http://127.0.0.1:1/data1/get.shtml"); // nothing listens
    ServerList = {dead, urls[1], QString()};
    DataServer = dead;
    run.LoadData();
    EXPECT_EQ(ProdCount, marketSize());
    EXPECT_EQ(logLines(), (QStringList{QStringLiteral("加载失败:") + dead + snapshotQuery() + QStringLiteral("&rnd=R"),
                                       QStringLiteral("Change Server to:") + urls[1]}));
}

TEST_F(SimMarketTest, EveryServerFailingEndsInUpdateFailed) {
    AllDataLoaded = true;
    ProdName[0] = QStringLiteral("old");
    sim->setFault(QStringLiteral("*"), Endpoint::Snapshot, Fault::Empty);
    run.LoadData();
    const QString tail = snapshotQuery() + QStringLiteral("&rnd=R");
    EXPECT_EQ(logLines(), (QStringList{
                              QStringLiteral("加载失败:") + urls[0].chopped(6) + QStringLiteral("get.shtml") + tail,
                              QStringLiteral("Change Server to:") + urls[1],
                              QStringLiteral("加载失败:") + urls[1] + tail,
                              QStringLiteral("Change Server to:") + urls[2],
                              QStringLiteral("加载失败:") + urls[2] + tail,
                              // Back at the start, whose entry is taken as it stands.
                              QStringLiteral("Change Server to:") + urls[0],
                          }));
    EXPECT_EQ(run.Nextupti(), QStringLiteral("更新失败."));
    EXPECT_EQ(ProdName[0], QStringLiteral("old"));
    EXPECT_EQ(view.count(QStringLiteral("UpdateImg")), 1);
    EXPECT_TRUE(view.timer1());
    EXPECT_EQ(DataServerIndex, 0);
}

TEST_F(SimMarketTest, FailuresAreLoggedOnlyByTheFirstCopy) {
    AllDataLoaded = true;
    NoPrevInstance = false;
    sim->setFault(QStringLiteral("/data1"), Endpoint::Snapshot, Fault::Empty);
    run.LoadData();
    EXPECT_EQ(logTexts(), QStringList{QStringLiteral("Change Server to:") + urls[1]});
    EXPECT_EQ(ProdCount, marketSize());
}

TEST_F(SimMarketTest, PushIsUsedOnlyWhileFresh) {
    AllDataLoaded = true;
    const QString pushed = snapshotText({row(QStringLiteral("pushed"), QStringLiteral("2"), QStringLiteral("0"))});
    struct Case {
        int age;
        bool used;
    };
    for (const Case c : {Case{14, true}, Case{15, false}}) {
        SCOPED_TRACE(c.age);
        sim->clearRequestLog();
        PushData = pushed;
        PushTime = ServerNow.addSecs(-c.age);
        run.LoadData();
        EXPECT_TRUE(PushData.isEmpty()); // taken once, used or not
        EXPECT_EQ(ProdName[0], c.used ? QStringLiteral("pushed") : marketName(0));
        EXPECT_EQ(sim->requestLog().size(), c.used ? 0 : 1);
    }
}

TEST_F(SimMarketTest, PushArrivingDuringAPollIsAppliedAfterIt) {
    AllDataLoaded = true;
    int refusedCalls = 0;
    QObject::connect(sim.get(), &SimService::requestServed, sim.get(), [&](const QString& target) {
        if (!target.contains(QStringLiteral("now-price")))
            return;
        // The live link delivers a push while the poll waits for its answer.
        PushData = snapshotText({row(QStringLiteral("pushed"), QStringLiteral("2"), QStringLiteral("0"))});
        PushTime = ServerNow;
        run.LoadData(PushData);
        ++refusedCalls;
        EXPECT_TRUE(run.loading());
    });
    run.LoadData();
    EXPECT_EQ(refusedCalls, 1);
    EXPECT_EQ(ProdName[0], QStringLiteral("pushed"));
    EXPECT_EQ(ProdName[1], marketName(1)); // the poll's rows stay where the push has none
    EXPECT_TRUE(PushData.isEmpty());
    EXPECT_EQ(view.count(QStringLiteral("UpdateImg")), 2);
    EXPECT_EQ(sim->requestLog().size(), 1);
    EXPECT_FALSE(run.loading());
}

TEST_F(SimMarketTest, BrokenSnapshotsFromTheService) {
    struct Case {
        SimMarket::SnapshotShape shape;
        QStringList log;
        int count;
    };
    const Case cases[] = {
        {SimMarket::SnapshotShape::ExtraRow, {QStringLiteral("9:下标越界>LoadData>>10")}, 31},
        {SimMarket::SnapshotShape::SlotPastList, {QStringLiteral("9:下标越界>LoadData>>12")}, marketSize()},
        {SimMarket::SnapshotShape::NoGoldPartner, {QStringLiteral("13:类型不匹配>LoadData>>12")}, marketSize() - 1},
    };
    for (const Case& c : cases) {
        clearQuoteTables();
        AllDataLoaded = true;
        QFile::remove(file(QStringLiteral("log.txt")));
        view.calls.clear();
        const QString day = QStringLiteral("1,").repeated(719) + u'1';
        for (auto& days : ProdSeries)
            days[0] = day;
        sim->setSnapshotShape(c.shape);
        run.LoadData();
        EXPECT_EQ(logTexts(), c.log);
        EXPECT_EQ(ProdCount, c.count);
        EXPECT_EQ(view.count(QStringLiteral("UpdateImg")), 1);
        EXPECT_TRUE(view.timer1());
    }
}

TEST_F(SimMarketTest, FirstCompleteLoadStartsTheMembersLiveLinkAndTimer1) {
    IsVip = true;
    run.LoadData();
    EXPECT_TRUE(AllDataLoaded);
    EXPECT_EQ(ExtShow.size(), marketSize());
    EXPECT_TRUE(view.liveBoxEnabled);
    EXPECT_TRUE(view.liveBoxTicked);
    EXPECT_EQ(view.count(QStringLiteral("Check12_MouseUp 1")), 1);
    // Timer1 stays off through the nested three-day load and comes on once, at the end.
    EXPECT_EQ(view.count(QStringLiteral("Timer1 on")), 1);
    EXPECT_EQ(view.calls.last(), QStringLiteral("Timer1 on"));
    EXPECT_FALSE(ProdSeries[0][0].isEmpty());

    view.calls.clear();
    run.LoadData();
    EXPECT_EQ(view.count(QStringLiteral("Check12_MouseUp 1")), 0);
}

TEST_F(SimMarketTest, FirstCompleteLoadLeavesTheBoxUntickedForOthers) {
    run.LoadData();
    EXPECT_TRUE(view.liveBoxEnabled);
    EXPECT_FALSE(view.liveBoxTicked);
    EXPECT_EQ(view.count(QStringLiteral("Check12_MouseUp 1")), 0);
    EXPECT_TRUE(view.timer1());
}

TEST_F(SimMarketTest, StoredInstrumentsBeyondTheMarketAreBroughtIntoIt) {
    // A market of three instruments, pushed, with the service's codes for their histories.
    const QString snapshot = snapshotText({row(QStringLiteral("a"), QStringLiteral("600"), QStringLiteral("1"), QStringLiteral("gh")),
                                           row(QStringLiteral("b"), QStringLiteral("5"), QStringLiteral("0"), QStringLiteral("ying")),
                                           row(QStringLiteral("c"), QStringLiteral("2300"), QStringLiteral("2"), QStringLiteral("mgold"))});
    struct Case {
        InstrumentSelector selector;
        int16_t* prod;
        int16_t stored;
        int16_t inUse;
    };
    const Case cases[] = {
        {InstrumentSelector::Current, &CurProd, 5, 2},
        {InstrumentSelector::Pane2, &Pane2Prod, 3, 0},
        {InstrumentSelector::Pane3, &Pane3Prod, 30, 0},
        {InstrumentSelector::Pane4, &Pane4Prod, 2, 2}, // in the market: kept
        {InstrumentSelector::Right1, &RightChart1Prod, 10, 1},
        {InstrumentSelector::Right2, &RightChart2Prod, 11, 2},
    };
    for (const Case& c : cases)
        *c.prod = c.stored;
    run.LoadData(snapshot);
    for (const Case& c : cases) {
        EXPECT_EQ(*c.prod, c.inUse) << c.stored;
        EXPECT_EQ(view.selected.at(c.selector), c.inUse) << c.stored;
    }
    EXPECT_TRUE(AllDataLoaded);
    EXPECT_EQ(requests(), QStringList{QStringLiteral("/data1/get.shtml?ver=3.6&m=P-mgold")});
    EXPECT_TRUE(questions.isEmpty());
    EXPECT_EQ(view.count(QStringLiteral("CheckMenu 2")), 1);
}

TEST_F(SimMarketTest, SelectorsWaitForASnapshotWithInstruments) {
    CurProd = 1;
    run.LoadData(snapshotText({}));
    EXPECT_EQ(view.count(QStringLiteral("fitShortList")), 0);
    EXPECT_TRUE(view.selected.empty());
    EXPECT_EQ(CurProd, 1);
    run.LoadData(snapshotText({row(QStringLiteral("a"), QStringLiteral("600"), QStringLiteral("1"), QStringLiteral("gh")),
                               row(QStringLiteral("b"), QStringLiteral("5"), QStringLiteral("0"), QStringLiteral("ying"))}));
    EXPECT_EQ(view.instruments, (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
    EXPECT_EQ(view.selected.at(InstrumentSelector::Current), 1);
    EXPECT_TRUE(AllDataLoaded);
}

class ThreeDayTest : public SimMarketTest {
protected:
    void SetUp() override {
        SimMarketTest::SetUp();
        ProdCode[2] = QStringLiteral("mgold");
        CurProd = 2;
    }
};

TEST_F(ThreeDayTest, StoresThreeDaysAndFillsTodayUpToNow) {
    sim->setMissingSlots(true);
    run.LoadAllData(-1);
    EXPECT_TRUE(AllDataLoaded);
    EXPECT_EQ(requests(), QStringList{QStringLiteral("/data1/get.shtml?ver=3.6&m=P-mgold")});
    EXPECT_EQ(ProdSeriesDate[2][0].date(), QDate(2024, 5, 15));
    EXPECT_EQ(ProdSeriesDate[2][1].date(), QDate(2024, 5, 14));
    EXPECT_EQ(ProdSeriesDate[2][2].date(), QDate(2024, 5, 13));
    const QStringList today = ProdSeries[2][0].split(u',');
    ASSERT_EQ(today.size(), 720);
    // The sim's missing slots are filled before slot 120; the slots after it are still to come.
    EXPECT_FALSE(today.mid(0, 120).contains(QStringLiteral("0")));
    EXPECT_EQ(today.mid(121).count(QStringLiteral("0")), 720 - 121);
    EXPECT_FALSE(ProdSeries[2][1].split(u',').contains(QStringLiteral("0")));
    EXPECT_EQ(ProdPrice[2][1], ProdSeries[2][1].split(u',').last().toFloat());
    EXPECT_GT(ProdPrice[2][2], 0.0f);
    EXPECT_EQ(run.Nextupti(), QStringLiteral("加载日数据.."));
    EXPECT_TRUE(view.timer1());
    EXPECT_FALSE(run.LoadAllBusy);
}

// Today's missing slots are filled up to the current one and no further, also in the day's first
// slot, where nothing lies before it: the day is never drawn flat at the opening price.
TEST_F(ThreeDayTest, TodayIsFilledOnlyUpToTheCurrentSlot) {
    sim->setMissingSlots(true);
    const struct {
        QTime time;
        int slot;
    } cases[] = {{QTime(6, 0, 0), 0}, {QTime(6, 1, 59), 0}, {QTime(6, 2, 0), 1}, {QTime(6, 4, 0), 2}, {QTime(9, 0, 0), 90}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.time.toString().toStdString());
        ServerNow = platform::naiveDateTime(QDate(2024, 5, 15), c.time);
        ASSERT_EQ(NowSlot720(), c.slot);
        ProdSeries[2][0].clear();
        run.LoadAllData(-1);
        ASSERT_EQ(ProdSeriesDate[2][0].date(), QDate(2024, 5, 15));
        const QStringList today = ProdSeries[2][0].split(u',');
        ASSERT_EQ(today.size(), 720);
        EXPECT_FALSE(today.mid(0, c.slot).contains(QStringLiteral("0"))) << "a gap before now is left";
        EXPECT_NE(today[c.slot], QStringLiteral("0")) << "the price of now";
        EXPECT_EQ(today.mid(c.slot + 1).count(QStringLiteral("0")), 720 - c.slot - 1) << "a slot still to come is filled";
    }
}

TEST_F(ThreeDayTest, DayZeroOfAnotherDateIsNotFilled) {
    // Saturday: the service still answers Friday's day, which is not today's trading date.
    ServerNow = at(2024, 5, 18, 10, 0);
    sim->setMissingSlots(true);
    run.LoadAllData(-1);
    EXPECT_EQ(ProdSeriesDate[2][0].date(), QDate(2024, 5, 17));
    const QString friday = sim->market().intradayText(QStringLiteral("mgold"), ServerNow, true).section(u'|', 0, 0);
    ASSERT_TRUE(friday.split(u',').mid(1, 700).contains(QStringLiteral("0"))); // the day has holes
    EXPECT_EQ(ProdSeries[2][0], friday.section(u'_', 1));
}

TEST_F(ThreeDayTest, UnusableAnswersFailOver) {
    // A valid three-day answer of exactly 50 bytes: 100 characters in the transport code.
    QString plain = QStringLiteral("2024-5-15_1,2|2024-5-14_3|2024-5-13_4");
    while (plain.size() < 50)
        plain += QStringLiteral(",4");
    plain.truncate(50);
    const QString encoded = EncodeText(plain);
    ASSERT_EQ(encoded.size(), 100);
    struct Case {
        const char* what;
        QString answer;
        bool encode;
        QStringList log;
    };
    const Case cases[] = {
        {"99 characters", encoded.left(99), false, {}},
        {"four days", QStringLiteral("2024-5-15_1|2024-5-14_2|2024-5-13_3|2024-5-10_4").leftJustified(120, u'4'), true, {}},
        {"empty day 0", QStringLiteral("2024-5-15_|2024-5-14_2|2024-5-13_3").leftJustified(120, u'3'), true, {}},
        {"date that does not convert", QStringLiteral("soon_1|2024-5-14_2|2024-5-13_3").leftJustified(120, u'3'), true,
         {QStringLiteral("13:类型不匹配>LoadALLData")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(file(QStringLiteral("log.txt")));
        DataServerIndex = 0;
        DataServer = urls[0];
        AllDataLoaded = false;
        sim->setAnswer(QStringLiteral("/data1"), Endpoint::Intraday, c.answer, c.encode);
        run.LoadAllData(-1);
        EXPECT_TRUE(AllDataLoaded);
        EXPECT_EQ(logTexts(), QStringList(c.log) << QStringLiteral("Change Server to:") + urls[1]);
        EXPECT_EQ(ProdSeriesDate[2][1].date(), QDate(2024, 5, 14));
        sim->clearAnswers();
    }
    // The same 100 characters are taken.
    QFile::remove(file(QStringLiteral("log.txt")));
    DataServerIndex = 0;
    DataServer = urls[0];
    sim->setAnswer(QStringLiteral("/data1"), Endpoint::Intraday, encoded, false);
    run.LoadAllData(-1);
    EXPECT_TRUE(logTexts().isEmpty());
    EXPECT_TRUE(ProdSeries[2][0].startsWith(QStringLiteral("1,2")));
}

TEST_F(ThreeDayTest, RefusedAnswersLeaveTheStoredDays) {
    const QString good0 = QStringLiteral("5,6,7"), good1 = QStringLiteral("4,4,4"), good2 = QStringLiteral("3,3,3");
    struct Case {
        const char* what;
        QString answer;
    };
    const Case cases[] = {
        {"empty day 0", QStringLiteral("2024-5-15_|2024-5-14_2|2024-5-13_3").leftJustified(120, u'3')},
        {"day 2's date does not convert", QStringLiteral("2024-5-15_1|2024-5-14_2|soon_3").leftJustified(120, u'3')},
        {"four days", QStringLiteral("2024-5-15_1|2024-5-14_2|2024-5-13_3|2024-5-10_4").leftJustified(120, u'4')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ProdSeries[2][0] = good0;
        ProdSeries[2][1] = good1;
        ProdSeries[2][2] = good2;
        const QDateTime wednesday = at(2024, 5, 15, 0, 0);
        for (int d = 0; d < 3; ++d)
            ProdSeriesDate[2][d] = wednesday.addDays(-d);
        ProdPrice[2][1] = 4.0f;
        ProdPrice[2][2] = 3.0f;
        sim->setAnswer(QStringLiteral("*"), Endpoint::Intraday, c.answer);
        answers = {platform::BoxAnswer::No};
        run.LoadAllData(-1);
        EXPECT_EQ(questions.size(), 1); // every server refused
        questions.clear();
        EXPECT_EQ(ProdSeries[2][0], good0);
        EXPECT_EQ(ProdSeries[2][1], good1);
        EXPECT_EQ(ProdSeries[2][2], good2);
        for (int d = 0; d < 3; ++d)
            EXPECT_EQ(ProdSeriesDate[2][d], wednesday.addDays(-d)) << d;
        EXPECT_EQ(ProdPrice[2][1], 4.0f);
        EXPECT_EQ(ProdPrice[2][2], 3.0f);
        sim->clearAnswers();
        DataServerIndex = 0;
        DataServer = urls[0];
    }
}

TEST_F(ThreeDayTest, AllServersFailingAsksThenOpensTheWebQuotes) {
    sim->setFault(QStringLiteral("*"), Endpoint::Intraday, Fault::Empty);
    answers = {platform::BoxAnswer::Yes}; // retry once, then No
    view.timers[MarketTimer::Timer1] = true;
    run.LoadAllData(-1);
    const QString question = QStringLiteral(
        "加载图表数据失败,点击[是]将进行重试连接,点击[否]将退出程序并打开进入网站浏览行情.\r\n"
        "请确认是否已经正确连接网络,或者远程服务器暂时性故障,请过一段时间再试.\r\n"
        "如果是第一次启动程序看到此提示，请尝试关闭所有软件网络防火墙和系统的网络防火墙再试一次.");
    EXPECT_EQ(questions, (QStringList{question, question}));
    EXPECT_EQ(sim->requestLog().size(), 6);
    const QStringList switches{QStringLiteral("Change Server to:") + urls[1],
                               QStringLiteral("Change Server to:") + urls[2],
                               QStringLiteral("Change Server to:") + urls[0]};
    EXPECT_EQ(logTexts(), QStringList(switches) << switches << QStringLiteral("加载数据失败，进入网页模式。"));
    EXPECT_EQ(run.Nextupti(), QStringLiteral("加载数据失败."));
    EXPECT_EQ(opened, QStringList{BackupWebUrl});
    EXPECT_EQ(ended, 1);
    EXPECT_FALSE(view.timer1()); // the program ends instead
    EXPECT_FALSE(AllDataLoaded);
}

TEST_F(ThreeDayTest, NoHistoryIsAskedWithoutAnInstrumentCode) {
    ProdCode[4].clear();
    struct Case {
        const char* what;
        int16_t prod;
        int16_t current;
    };
    const Case cases[] = {
        {"an instrument the snapshot did not carry", 4, 2},
        {"beyond the tables", 31, 2},
        {"below them", -2, 2},
        {"the current instrument without a code", -1, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CurProd = c.current;
        view.calls.clear();
        sim->clearRequestLog();
        run.LoadAllData(c.prod);
        int16_t tenDay = c.prod;
        run.Load10Day(tenDay);
        int16_t year = c.prod;
        run.LoadLine(year);
        EXPECT_TRUE(sim->requestLog().isEmpty());
        EXPECT_TRUE(questions.isEmpty());
        EXPECT_TRUE(view.calls.isEmpty()) << view.calls.join(u';').toStdString(); // Timer1 untouched
        EXPECT_FALSE(run.LoadAllBusy || run.Load10Busy || run.LoadLineBusy);
    }
}

TEST_F(ThreeDayTest, RefusedWhileBusy) {
    run.LoadAllBusy = true;
    run.LoadAllData(-1);
    EXPECT_TRUE(sim->requestLog().isEmpty());
    EXPECT_TRUE(view.calls.isEmpty());
}

TEST_F(ThreeDayTest, TenDaysWithGapsFilled) {
    ProdDayCloses[2] = QStringLiteral("1,");
    ProdDayDates[2] = QStringLiteral("2024-5-1,");
    int16_t prod = -1;
    run.Load10Day(prod);
    EXPECT_EQ(prod, 2);
    EXPECT_EQ(requests(), QStringList{QStringLiteral("/data1/get.shtml?ver=3.6&m=P10-mgold")});
    const QDate expected[] = {QDate(2024, 5, 10), QDate(2024, 5, 9), QDate(2024, 5, 8), QDate(2024, 5, 7),
                              QDate(2024, 5, 6),  QDate(2024, 5, 3), QDate(2024, 5, 2)};
    for (int d = 3; d < 10; ++d) {
        SCOPED_TRACE(d);
        EXPECT_EQ(ProdSeriesDate[2][d].date(), expected[d - 3]);
        const QStringList items = ProdSeries[2][d].split(u',');
        EXPECT_EQ(items.size(), 720);
        EXPECT_FALSE(items.contains(QString()));
        EXPECT_FALSE(items.contains(QStringLiteral("0")));
    }
    EXPECT_TRUE(ProdDayCloses[2].isEmpty());
    EXPECT_TRUE(ProdDayDates[2].isEmpty());
    EXPECT_EQ(run.Nextupti(), QStringLiteral("加载10天数据.."));
    EXPECT_TRUE(view.timer1());
    EXPECT_FALSE(run.Load10Busy);
}

TEST_F(ThreeDayTest, TenDayAnswersThatStoreNothing) {
    const QString days = QStringLiteral("2024-5-10_1|2024-5-9_2|2024-5-8_3|2024-5-7_4|2024-5-6_5|2024-5-3_6");
    struct Case {
        const char* what;
        QString answer;
        bool encode;
    };
    const Case cases[] = {
        {"six days", days, true},
        {"empty", QString(), false},
        {"not in the transport code", QStringLiteral("服务器忙"), false},
        {"first date does not convert", QStringLiteral("soon_1|") + days, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ProdSeries[2][3] = QStringLiteral("kept");
        sim->setAnswer(QStringLiteral("/data1"), Endpoint::TenDay, c.answer, c.encode);
        int16_t prod = 2;
        run.Load10Day(prod);
        EXPECT_EQ(ProdSeries[2][3], QStringLiteral("kept"));
        EXPECT_TRUE(view.timer1());
        EXPECT_FALSE(run.Load10Busy);
    }
}

TEST(TenDayTextTest, GapsTakeThePriceBefore) {
    EXPECT_EQ(fillEmptyItems(QStringLiteral("1,,,2")), QStringLiteral("1,0,,2"));
    // The second slot of the first day takes the first price, not the date's year; in a later
    // day the item before the second slot is "price|date_price", read as the day before's price.
    EXPECT_EQ(fillTenDayGaps(QStringLiteral("2024-5-10_5,,6|2024-5-9_7,,8")),
              QStringLiteral("2024-5-10_5,5,6|2024-5-9_7,6,8"));
}

TEST_F(ThreeDayTest, DailyHistoryFolded) {
    sim->setMissingSlots(true);
    int16_t prod = -1;
    run.LoadLine(prod);
    EXPECT_EQ(prod, 2);
    ASSERT_EQ(requests().size(), 1);
    EXPECT_EQ(requests()[0], QStringLiteral("/data1/get.shtml?ver=3.6&m=P365-mgold"));
    EXPECT_TRUE(LineLoaded);
    EXPECT_FALSE(ProdDayText[2].startsWith(u'|'));
    const QStringList rows = ProdDayText[2].split(u'|');
    const QStringList dates = ProdDayDates[2].split(u',');
    const QStringList closes = ProdDayCloses[2].split(u',');
    ASSERT_EQ(dates.size(), rows.size() + 1); // each item is followed by ","
    EXPECT_EQ(dates.last(), QString());
    // Newest row first in the answer, last in the lists.
    EXPECT_EQ(dates[dates.size() - 2], QStringLiteral("2024-5-15"));
    EXPECT_EQ(dates[0], rows.last().section(u',', 0, 0));
    int missing = 0;
    for (qsizetype k = 0; k < rows.size(); ++k) {
        const QStringList f = rows[rows.size() - 1 - k].split(u',');
        const bool gap = f[2] == u"0"; // an empty close, read as 0
        missing += gap;
        EXPECT_EQ(closes[k], gap ? f[1] : f[2]);
    }
    EXPECT_GT(missing, 0);
    EXPECT_TRUE(view.timer1());

    sim->clearRequestLog();
    run.LoadLine(prod); // loaded already: nothing is asked
    EXPECT_TRUE(sim->requestLog().isEmpty());
}

TEST_F(ThreeDayTest, DailyAnswersOfFewRowsOrNone) {
    auto rows = [](int n) {
        QString text;
        for (int k = 0; k < n; ++k)
            text += QStringLiteral("|2024-4-%1,10,%2,11,9").arg(k + 1).arg(k == 0 ? 0 : 10 + k);
        return text;
    };
    struct Case {
        const char* what;
        QString answer;
        bool filled;
        bool lineLoaded;
        QString status;
    };
    const Case cases[] = {
        {"eleven rows", rows(11), true, true, QStringLiteral("加载月数据..")},
        {"ten rows", rows(10), false, true, QStringLiteral("加载月数据..")},
        {"no rows", QStringLiteral("2024-4-1,10,11"), false, false, QStringLiteral("月数据加载失败")},
        {"a row of two fields", rows(11) + QStringLiteral("|2024-4-20,10"), false, false, QStringLiteral("月数据加载失败")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ProdDayCloses[2].clear();
        LineLoaded = true;
        sim->setAnswer(QStringLiteral("/data1"), Endpoint::Year, c.answer);
        int16_t prod = 2;
        run.LoadLine(prod);
        EXPECT_EQ(LineLoaded, c.lineLoaded);
        EXPECT_EQ(run.Nextupti(), c.status);
        EXPECT_EQ(ProdDayCloses[2].isEmpty(), !c.filled);
        if (c.filled) {
            // A close of 0 takes the row's price.
            EXPECT_TRUE(ProdDayCloses[2].endsWith(QStringLiteral(",10,")));
            EXPECT_TRUE(ProdDayCloses[2].startsWith(QStringLiteral("20,19,")));
        }
        if (c.lineLoaded) {
            EXPECT_EQ(ProdDayText[2], c.answer.mid(1));
        }
        EXPECT_TRUE(view.timer1());
    }
}

TEST_F(SimMarketTest, ChangServerWalksTheListOnce) {
    struct Case {
        const char* what;
        QStringList list;
        int16_t start;
        int16_t index;
        QList<bool> results;
        QList<int16_t> indexes;
    };
    const QStringList three{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QString()};
    const Case cases[] = {
        {"three servers from 1", three, 1, 1, {true, true, false}, {2, 0, 1}},
        {"three servers from 0", three, 0, 0, {true, true, false}, {1, 2, 0}},
        {"one server", {QStringLiteral("a"), QString()}, 0, 0, {false}, {0}},
        {"no position", three, 2, -1, {false}, {2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ServerList = c.list;
        DataServerStart = c.start;
        DataServerIndex = c.index;
        for (qsizetype k = 0; k < c.results.size(); ++k) {
            EXPECT_EQ(run.ChangServer(), c.results[k]);
            EXPECT_EQ(DataServerIndex, c.indexes[k]);
            EXPECT_EQ(DataServer, c.list[c.indexes[k]]);
        }
    }
    EXPECT_EQ(run.ServerSwitches, 8);
    EXPECT_EQ(logTexts().first(), QStringLiteral("Change Server to:c"));
}

class NewDayTest : public SimMarketTest {
protected:
    void SetUp() override {
        SimMarketTest::SetUp();
        AllDataLoaded = true;
    }
    // One pushed run at the given service time; true when it reset the day.
    bool runAt(const QDateTime& t) {
        ServerNow = t;
        view.calls.clear();
        sim->clearRequestLog();
        for (auto& days : ProdSeries)
            for (int d = 0; d < kSeriesDays; ++d)
                if (days[d].isEmpty())
                    days[d] = QStringLiteral("9,9,9");
        run.LoadData(snapshotText({row(QStringLiteral("a"), QStringLiteral("1"), QStringLiteral("0"), QStringLiteral("gh")),
                                   row(QStringLiteral("b"), QStringLiteral("2"), QStringLiteral("0"), QStringLiteral("mgold"))},
                                  1000));
        const bool reset = view.count(QStringLiteral("ClearD")) == 1;
        if (reset) {
            EXPECT_EQ(requests(), QStringList{QStringLiteral("/data1/get.shtml?ver=3.6&m=P-gh")});
            EXPECT_TRUE(ProdSeries[1][5].isEmpty());
            EXPECT_FALSE(ProdSeries[0][0].isEmpty()); // reloaded
        } else {
            EXPECT_TRUE(sim->requestLog().isEmpty());
            EXPECT_EQ(ProdSeries[1][5], QStringLiteral("9,9,9"));
        }
        return reset;
    }
};

TEST_F(NewDayTest, ResetsOnceAtSlotTwo) {
    EXPECT_FALSE(runAt(at(2024, 5, 15, 5, 58))); // first run: the tables start empty anyway
    EXPECT_FALSE(runAt(at(2024, 5, 15, 6, 0)));
    EXPECT_FALSE(runAt(at(2024, 5, 15, 6, 3)));  // slot 1
    EXPECT_TRUE(runAt(at(2024, 5, 15, 6, 4)));   // slot 2
    EXPECT_FALSE(runAt(at(2024, 5, 15, 6, 5)));  // still slot 2
    EXPECT_FALSE(runAt(at(2024, 5, 15, 23, 59)));
    EXPECT_FALSE(runAt(at(2024, 5, 16, 0, 1)));  // midnight is no trading-day boundary
    EXPECT_TRUE(runAt(at(2024, 5, 16, 6, 4)));
}

TEST_F(NewDayTest, ResetsOncePerTradingDayOverTheWeekend) {
    // Friday 2024-5-17, Saturday 18, Sunday 19, Monday 20.
    struct Step {
        QDateTime when;
        bool reset;
    };
    const Step steps[] = {
        {at(2024, 5, 17, 12, 0), false},   // first run
        {at(2024, 5, 18, 5, 59), false},   // Saturday's small hours still trade Friday's day
        {at(2024, 5, 20, 0, 0), false},    // Monday 00:00: the market opens, no new trading day yet
        {at(2024, 5, 20, 3, 0), false},
        {at(2024, 5, 20, 6, 4), true},     // Monday's trading day
        {at(2024, 5, 20, 6, 10), false},
        {at(2024, 5, 21, 0, 0), false},
        {at(2024, 5, 21, 6, 4), true},
    };
    for (const Step& s : steps)
        EXPECT_EQ(runAt(s.when), s.reset) << s.when.toString().toStdString();
}

TEST_F(NewDayTest, ResetsAfterSleepingThroughSlotTwo) {
    EXPECT_FALSE(runAt(at(2024, 5, 15, 5, 59)));
    EXPECT_TRUE(runAt(at(2024, 5, 15, 7, 30)));
    EXPECT_FALSE(runAt(at(2024, 5, 15, 7, 31)));
    EXPECT_TRUE(runAt(at(2024, 5, 17, 12, 0))); // two days later
}

} // namespace
