#include "market/scheduler.h"

#include "tests/market/simfixture.h"

#include <gtest/gtest.h>

namespace {

class SchedulerTest : public SimMarketTest {
protected:
    void SetUp() override {
        SimMarketTest::SetUp();
        AllDataLoaded = true;
    }
    void ticks(int n) {
        for (int k = 0; k < n; ++k)
            sched.Timer1_Timer();
    }
    // A pushed snapshot of the given quote time and date that arrived `age` seconds ago.
    static void push(int age, const QString& quoteTime = QStringLiteral("10:00:00"),
                     const QString& quoteDate = QStringLiteral("2024-5-15")) {
        PushData = snapshotText({row(QStringLiteral("pushed"), QStringLiteral("2"), QStringLiteral("0"), QStringLiteral("gh"))},
                                125, 312, quoteTime)
                       .replace(QStringLiteral("2024-5-15"), quoteDate);
        PushTime = ServerNow.addSecs(-age);
    }

    RefreshScheduler sched{run, view};
};

TEST_F(SchedulerTest, CountsDownAndLoadsOnTheSixthTick) {
    ticks(6);
    EXPECT_EQ(view.statuses, (QStringList{QStringLiteral("计时: 5 秒"), QStringLiteral("计时: 4 秒"),
                                          QStringLiteral("计时: 3 秒"), QStringLiteral("计时: 2 秒"),
                                          QStringLiteral("计时: 1 秒"), QStringLiteral("计时: 0 秒"),
                                          QStringLiteral("正在更新..."), QStringLiteral("更新完成.")}));
    EXPECT_EQ(sched.PolledLoads, 1);
    EXPECT_EQ(ProdCount, marketSize());
    EXPECT_EQ(RefreshCountdown, 0);
    EXPECT_TRUE(view.timer1());
    ticks(5);
    EXPECT_EQ(sim->requestLog().size(), 1);
    ticks(1);
    EXPECT_EQ(sim->requestLog().size(), 2);
}

TEST_F(SchedulerTest, FailedLoadKeepsItsText) {
    sim->setFault(QStringLiteral("*"), SimService::Endpoint::Snapshot, SimService::Fault::Empty);
    ticks(6);
    EXPECT_EQ(view.statuses.last(), QStringLiteral("更新失败."));
    EXPECT_EQ(RefreshCountdown, 0);
    EXPECT_TRUE(view.timer1());
    ticks(1);
    EXPECT_EQ(view.statuses.last(), QStringLiteral("计时: 5 秒"));
}

TEST_F(SchedulerTest, FreshPushReplacesThePollForPushModeOne) {
    struct Case {
        int16_t mode;
        int age;
        int pushed;
        int polled;
        int requests;
        QString name;
    };
    const Case cases[] = {
        {1, 14, 1, 0, 0, QStringLiteral("pushed")},
        {1, 15, 0, 1, 1, marketName(0)},
        // Polling only: the poll still takes a fresh push instead of asking.
        {0, 14, 0, 1, 0, QStringLiteral("pushed")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.mode << "/" << c.age);
        sched.PushedLoads = sched.PolledLoads = 0;
        sim->clearRequestLog();
        ProdName[0].clear();
        PushMode = c.mode;
        push(c.age);
        ticks(6);
        EXPECT_EQ(sched.PushedLoads, c.pushed);
        EXPECT_EQ(sched.PolledLoads, c.polled);
        EXPECT_EQ(sim->requestLog().size(), c.requests);
        EXPECT_EQ(ProdName[0], c.name);
        EXPECT_TRUE(PushData.isEmpty());
    }
}

TEST_F(SchedulerTest, PushOnlyNeverPolls) {
    PushMode = 2;
    ticks(13);
    EXPECT_EQ(view.statuses.size(), 13);
    EXPECT_EQ(view.statuses.count(kLivePushText), 13);
    EXPECT_TRUE(sim->requestLog().isEmpty());
    EXPECT_EQ(sched.PolledLoads + sched.PushedLoads, 0);
}

TEST_F(SchedulerTest, LivePushHoldsTheSchedulerWhileFresh) {
    IsVip = true;
    UseRealtime = true;
    struct Case {
        const char* what;
        QString quoteDate;
        QString quoteTime;
        QDateTime now;
        bool lost;
    };
    const QString wed = QStringLiteral("2024-5-15");
    const Case cases[] = {
        {"20 s behind", wed, QStringLiteral("10:00:00"), at(2024, 5, 15, 10, 0, 20), false},
        {"21 s behind", wed, QStringLiteral("10:00:00"), at(2024, 5, 15, 10, 0, 21), true},
        {"ahead of the clock", wed, QStringLiteral("10:00:05"), at(2024, 5, 15, 10, 0, 0), false},
        {"20 s ahead", wed, QStringLiteral("10:00:20"), at(2024, 5, 15, 10, 0, 0), false},
        {"a day ahead: the service's clock moved", wed, QStringLiteral("10:00:00"), at(2024, 5, 14, 10, 0, 0), true},
        {"15 s across midnight", wed, QStringLiteral("23:59:50"), at(2024, 5, 16, 0, 0, 5), false},
        {"35 s across midnight", wed, QStringLiteral("23:59:30"), at(2024, 5, 16, 0, 0, 5), true},
        {"a day old at the same time", wed, QStringLiteral("10:00:00"), at(2024, 5, 16, 10, 0, 5), true},
        {"no quote yet", QString(), QString(), at(2024, 5, 15, 10, 0), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PushLost = false;
        RefreshCountdown = 0;
        QuoteDate = c.quoteDate;
        QuoteTime = c.quoteTime;
        ServerNow = c.now;
        ticks(1);
        EXPECT_EQ(PushLost, c.lost);
        // A lost push falls back to polling in the same tick.
        EXPECT_EQ(run.Nextupti(), c.lost ? QStringLiteral("计时: 5 秒") : kLivePushText);
        EXPECT_EQ(RefreshCountdown, c.lost ? 1 : 0);
    }
}

TEST(IsJQTest, ClosedOnSundayAndSaturdayFromSix) {
    struct Case {
        QDateTime when;
        bool closed;
    };
    const Case cases[] = {
        {at(2024, 5, 17, 23, 0), false},    // Friday night
        {at(2024, 5, 18, 5, 59), false},    // Saturday morning still trades
        {at(2024, 5, 18, 6, 0), false},
        {at(2024, 5, 18, 6, 1), true},
        {at(2024, 5, 19, 0, 0), true},      // Sunday
        {at(2024, 5, 19, 23, 59, 59), true},
        {at(2024, 5, 20, 0, 0), false},     // Monday
        {QDateTime(), false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsJQ(c.when), c.closed) << c.when.toString().toStdString();
}

TEST_F(SchedulerTest, ClosedMarketStopsTheCountdown) {
    ServerNow = at(2024, 5, 18, 6, 1);
    ticks(8);
    EXPECT_EQ(view.statuses.count(QStringLiteral("提示:休市时段.")), 8);
    EXPECT_EQ(RefreshCountdown, 0);
    EXPECT_TRUE(sim->requestLog().isEmpty());
    ServerNow = at(2024, 5, 18, 5, 59);
    ticks(1);
    EXPECT_EQ(view.statuses.last(), QStringLiteral("计时: 5 秒"));
}

TEST_F(SchedulerTest, StaleQuotesWarnAtMostEveryTenMinutes) {
    PushMode = 1;
    struct Step {
        QDateTime pc;
        QString quoteTime;
        bool warns;
        QString quoteDate = QStringLiteral("2024-5-15");
        bool newDay = false; // the first run of a trading day reloads the three days first
    };
    // The PC and the service clock agree; each load takes a push of the given quote time.
    const Step steps[] = {
        {at(2024, 5, 15, 10, 0), QStringLiteral("9:57:00"), false}, // 180 s behind: not yet
        {at(2024, 5, 15, 10, 0), QStringLiteral("9:56:59"), true},
        {at(2024, 5, 15, 10, 10), QStringLiteral("10:00:00"), false}, // 600 s after the warning
        {at(2024, 5, 15, 10, 10, 1), QStringLiteral("10:00:00"), true},
        {at(2024, 5, 15, 10, 20, 30), QStringLiteral("10:20:29"), false}, // fresh again
        {at(2024, 5, 15, 10, 20, 30), QStringLiteral("10:10:00"), true},
        {at(2024, 5, 15, 23, 55), QStringLiteral("23:50:00"), true},
        {at(2024, 5, 16, 0, 6), QStringLiteral("0:01:00"), true, QStringLiteral("2024-5-16")}, // 11 minutes later
        {at(2024, 5, 16, 0, 30), QStringLiteral("0:29:00"), false, QStringLiteral("2024-5-16")},
        // Yesterday's quote at nearly the same time of day is 24 hours old, not 30 seconds.
        {at(2024, 5, 16, 10, 0, 30), QStringLiteral("10:00:00"), true, QStringLiteral("2024-5-15"), true},
        {at(2024, 5, 16, 22, 0), QStringLiteral("10:00:00"), true},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.pc.toString().toStdString());
        pcTime = s.pc;
        ServerNow = s.pc;
        view.calls.clear();
        sim->clearRequestLog();
        push(0, s.quoteTime, s.quoteDate);
        ticks(6);
        EXPECT_EQ(view.count(QStringLiteral("CustRing")), s.warns ? 1 : 0);
        if (s.warns) {
            // Then the current instrument's three days and the live link are reloaded.
            EXPECT_EQ(requests(), QStringList(s.newDay ? 2 : 1, QStringLiteral("/data1/get.shtml?ver=3.6&m=P-gh")));
            const qsizetype ring = view.calls.indexOf(QStringLiteral("CustRing"));
            EXPECT_EQ(view.calls.indexOf(QStringLiteral("UnLinkUser")), view.calls.size() - 2);
            EXPECT_EQ(view.calls.last(), QStringLiteral("LinkUser"));
            EXPECT_GT(view.calls.indexOf(QStringLiteral("UnLinkUser")), ring);
        }
    }
    EXPECT_EQ(view.alerts.first(), QStringLiteral("报价时间[9:56:59]与本地时间[10:00:00]相差过大，"
                                                  "请检查网络是否中断，或尝试重新启动程序。"));
    EXPECT_TRUE(view.warnings.isEmpty()) << "the pop-up carried every warning";
}

TEST_F(SchedulerTest, StaleWarningReachesTheUserWithoutThePopUp) {
    PushMode = 1;
    view.popUpShows = false;
    pcTime = ServerNow = at(2024, 5, 15, 10, 0);
    push(0, QStringLiteral("9:50:00"));
    ticks(6);
    EXPECT_EQ(view.warnings, QStringList{QStringLiteral("报价时间[9:50:00]与本地时间[10:00:00]相差过大，"
                                                         "请检查网络是否中断，或尝试重新启动程序。")});
    EXPECT_TRUE(view.alerts.isEmpty());
    // The repeat rule holds for this road too.
    push(0, QStringLiteral("9:50:00"));
    ticks(6);
    EXPECT_EQ(view.warnings.size(), 1);
}

TEST_F(SchedulerTest, ServiceClockFollowsThePcClockAndOffset) {
    pcTime = at(2024, 5, 15, 9, 5, 3);
    sched.Timer2_Timer();
    EXPECT_EQ(ServerNow, pcTime);
    EXPECT_EQ(view.serviceClock, QStringLiteral("9:05:03"));
    sched.ClockOffset = -3600;
    sched.Timer2_Timer();
    EXPECT_EQ(ServerNow, at(2024, 5, 15, 8, 5, 3));
    EXPECT_EQ(view.serviceClock, QStringLiteral("8:05:03"));
    EXPECT_EQ(view.count(QStringLiteral("heartbeat")), 2);
}

TEST_F(SchedulerTest, KeepAliveEveryPeriodAFifthForMembers) {
    struct Case {
        bool vip;
        int ticks;
        int hellos;
    };
    for (const Case c : {Case{false, 299, 0}, Case{false, 300, 1}, Case{false, 600, 2}, Case{true, 60, 1},
                         Case{true, 301, 5}}) {
        IsVip = c.vip;
        sched.HelloTick = 0;
        view.calls.clear();
        for (int k = 0; k < c.ticks; ++k)
            sched.Timer3_Timer();
        EXPECT_EQ(view.count(QStringLiteral("Hello")), c.hellos) << c.vip << " " << c.ticks;
    }
    EXPECT_TRUE(view.timers.at(MarketTimer::Timer3));
}

TEST_F(SchedulerTest, DelayedLogOutRunsOnce) {
    view.timers[MarketTimer::Timer4] = true;
    sched.Timer4_Timer();
    EXPECT_FALSE(view.timers.at(MarketTimer::Timer4));
    EXPECT_EQ(view.count(QStringLiteral("LogoutUser")), 1);
}

TEST(SecondsBehindTest, FullDateTimes) {
    struct Case {
        const char* date;
        const char* time;
        QDateTime now;
        std::optional<qint64> behind;
    };
    const Case cases[] = {
        {"2024-5-15", "10:00:00", at(2024, 5, 15, 10, 3, 1), 181},
        {"2024-5-15", "23:59:30", at(2024, 5, 16, 0, 0, 10), 40},
        {"2024-5-16", "0:00:10", at(2024, 5, 15, 23, 59, 50), -20},
        {"2024-5-15", "10:00:00", at(2024, 5, 16, 10, 0, 30), 24 * 3600 + 30},
        {"2024-5-15", "10:00:00", at(2024, 5, 15, 22, 0, 1), 12 * 3600 + 1},
        {"2024/5/15", "10:00:00", at(2024, 5, 15, 10, 0, 5), 5},
        {"2024-5-15", "later", at(2024, 5, 15, 10, 0), std::nullopt},
        {"", "10:00:00", at(2024, 5, 15, 10, 0), std::nullopt},
        {"soon", "10:00:00", at(2024, 5, 15, 10, 0), std::nullopt},
        {"2024-5-15", "10:00:00", QDateTime(), std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(secondsBehind(QString::fromLatin1(c.date), QString::fromLatin1(c.time), c.now), c.behind)
            << c.date << " " << c.time;
}

} // namespace
