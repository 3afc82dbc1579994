// The main window's live link, keep-alive and log-out against the simulated service and its user
// server: the box "启用VIP实时服务器", refusals, the "LO" answer, notices and the log-out.
#include "mainwindow/mainform.h"

#include "charts/chartfeed.h"
#include "common/config.h"
#include "common/http.h"
#include "common/msgbox.h"
#include "common/settings.h"
#include "common/windowutil.h"
#include "companions/menuform.h"
#include "companions/mini.h"
#include "charts/klinefeed.h"
#include "common/tradingday.h"
#include "platform/vbtext.h"
#include "mainwindow/news.h"
#include "mainwindow/startup.h"
#include "market/quoterun.h"
#include "market/scheduler.h"
#include "platform/browser.h"
#include "platform/clock.h"
#include "platform/eventwait.h"
#include "platform/msgbox.h"
#include "platform/process.h"
#include "platform/singleinstance.h"
#include "platform/tray.h"
#include "platform/vberror.h"
#include "shell/configapply.h"
#include "shell/hello.h"
#include "shell/instance.h"
#include "shell/livelink.h"
#include "shell/login.h"
#include "shell/loginform.h"
#include "shell/mainwindowlink.h"
#include "simservice/simservice.h"
#include "state/configstate.h"
#include "state/livelink.h"
#include "state/quotetables.h"
#include "state/session.h"
#include "state/usersettings.h"
#include "tests/mainwindow/mainglobals.h"
#include "tests/support/forms.h"
#include "tests/support/localservice.h"
#include "tests/support/programfolder.h"
#include "widgets/buttons/skinbutton.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QUrl>

namespace {

int outcomes(const SimUserServer& server, char outcome) {
    int n = 0;
    for (const SimUserServer::LinkRecord& r : server.records())
        n += r.outcome == outcome ? 1 : 0;
    return n;
}

// The main window of a member against the simulated service; the clocks run on from a weekday
// morning, so the pushes carry the current slot.
class MainLink : public ProgramFolderTest {
protected:
    void SetUp() override {
        ProgramFolderTest::SetUp();
        resetMainGlobals();
        setInstanceTopic(QStringLiteral("MAINLINK-%1").arg(QCoreApplication::applicationPid()));
        clock.start();
        SimService::Options options;
        options.userPorts = {0};
        // Pushes about as often as a real server sends them: the scheduler's one-second timer,
        // restarted by every load, ticks in the gaps.
        options.pushMinMs = 1100;
        options.pushMaxMs = 1400;
        options.heartbeatSeconds = 10;
        options.now = [this] { return now(); };
        service = startLocalService(options);
        ASSERT_TRUE(service);
        // No news here: the pop-ups of important broadcasts (tests/mainwindow/news_test.cpp) would
        // stand among the boxes these tests look for.
        service->setFault(QStringLiteral("/soft/news.asp"), SimService::Endpoint::Any, SimService::Fault::Empty);
        platform::setBrowserPaneFactory([](QWidget* parent) { return new platform::FakeBrowserPane(parent); });
        platform::setTrayIcon(&tray);
        platform::setQuitHandler([this] { ++quits; });
        platform::setProgramEnder([this](int) { ++ended; });
        platform::setPcClock([this] { return now(); });
        platform::setMessageBoxHandler([this](const QString& text, const QString& title, platform::BoxButtons,
                                              platform::BoxIcon) {
            systemBoxes << title + u'|' + text;
            return platform::BoxAnswer::Ok;
        });
    }
    void TearDown() override {
        closeBoxes();
        platform::unloadAll();
        platform::pauseMs(0);
        platform::setBrowserPaneFactory(nullptr);
        platform::setTrayIcon(nullptr);
        platform::setQuitHandler(nullptr);
        platform::setProgramEnder(nullptr);
        platform::setPcClock(nullptr);
        platform::setMessageBoxHandler(nullptr);
        setConfigurationHosts({});
        resetMainGlobals();
        service.reset();
        ProgramFolderTest::TearDown();
    }

    QDateTime now() const {
        return platform::naiveDateTime(QDate(2026, 12, 9), QTime(10, 0, 0)).addMSecs(clock.elapsed()).addDays(daysOn);
    }

    // The configuration as the login window applies it and a logged-in account of the service.
    MainForm& start(int userId, const QString& name, bool member = true) {
        ConfigApplyUi ui;
        applyConfiguration(ui);
        EXPECT_TRUE(ConfigLoaded);
        LoggedIn = true;
        IsVip = member;
        UserId = userId;
        UserName = name;
        SessionId = QStringLiteral("s-%1").arg(userId);
        ClientId = QStringLiteral("client-%1").arg(userId);
        return Main();
    }

    SimUserServer& userServer() { return *service->userServers().front(); }
    int openConnections() const {
        int open = 0;
        for (SimUserServer* s : service->userServers())
            open += s->connectionCount();
        return open;
    }
    int snapshotRequests() const { return service->requestLog().filter(QStringLiteral("m=now-price")).size(); }

    QElapsedTimer clock;
    int daysOn = 0; // both clocks, the service's and the PC's, moved on by this
    std::unique_ptr<SimService> service;
    platform::FakeTrayIcon tray;
    QStringList systemBoxes;
    int quits = 0;
    int ended = 0;
};

} // namespace

TEST_F(MainLink, AMemberLinksAndTheBoardTakesThePushes) {
    MainForm& m = start(1001, QStringLiteral("vip"));
    ASSERT_TRUE(waitUntil([] { return LinkReady; }, 5000));
    EXPECT_TRUE(m.Check12->isChecked());
    EXPECT_TRUE(UseRealtime);
    EXPECT_EQ(service->userServers().size(), 2u) << "the list's server and the fixed one";
    EXPECT_EQ(outcomes(userServer(), '+') + outcomes(*service->userServers().back(), '+'), 1)
        << "one link, however often the start-up asked for it";

    // The board follows the pushes and the data servers are not asked.
    const int polled = snapshotRequests();
    QStringList times;
    waitUntil(
        [&] {
            if (times.isEmpty() || times.back() != m.Nowtimes->text())
                times << m.Nowtimes->text();
            return times.size() >= 3;
        },
        8000);
    EXPECT_GE(times.size(), 3) << "the quote time moves with the pushes";
    EXPECT_TRUE(waitUntil([&] { return m.Nextupti->text() == kLivePushText; }, 2000))
        << m.Nextupti->text().toStdString();
    EXPECT_EQ(snapshotRequests(), polled);
    EXPECT_TRUE(m.linkConnected());
}

TEST_F(MainLink, TheBoxSwitchesTheLinkOffAndOn) {
    MainForm& m = start(1001, QStringLiteral("vip"));
    ASSERT_TRUE(waitUntil([] { return LinkReady; }, 5000));
    m.Check12->click(); // untick
    EXPECT_FALSE(UseRealtime);
    EXPECT_FALSE(m.linkConnected());
    EXPECT_TRUE(waitUntil([&] { return openConnections() == 0; }));
    m.Check12->click(); // tick again
    EXPECT_TRUE(UseRealtime);
    EXPECT_TRUE(waitUntil([] { return LinkReady; }, 5000));
}

TEST_F(MainLink, ARefusalIsShownOnceAndNothingRelinksUntilTheBoxIsTickedAgain) {
    struct Case {
        int userId;
        const char* name;
        char outcome;
        const char16_t* box;
    };
    const Case cases[] = {
        {1004, "vipa", 'A', u"已经登录|您的机器已经在服务器上登录了,不能重复登录."},
        {1005, "vipb", 'B', u"已经登录|您的IP地址已经在服务器过多,不能再登录."},
    };
    for (const Case& c : cases) {
        MainForm& m = start(c.userId, QString::fromLatin1(c.name));
        auto refusals = [&] {
            int n = 0;
            for (SimUserServer* s : service->userServers())
                n += outcomes(*s, c.outcome);
            return n;
        };
        ASSERT_TRUE(waitUntil([&] { return refusals() >= 1 && !boxTexts().isEmpty(); }, 5000)) << c.name;
        platform::pauseMs(300);
        EXPECT_EQ(boxTexts(), QStringList{QString::fromUtf16(c.box)}) << c.name;
        EXPECT_FALSE(m.Check12->isChecked());
        EXPECT_FALSE(UseRealtime) << "the quotes are polled";

        // Loads (with their link check), the heartbeat's watch and a stale-quote relink: none
        // of them links again.
        for (int i = 0; i < 3; ++i)
            m.quotes().LoadData();
        for (int tick = 0; tick < 12; ++tick)
            m.heartbeat();
        m.LinkUser();
        platform::pauseMs(500);
        EXPECT_EQ(refusals(), 1) << c.name;
        EXPECT_EQ(boxTexts().size(), 1) << c.name;

        // The member asks again.
        m.Check12->click();
        EXPECT_TRUE(waitUntil([&] { return refusals() == 2; }, 5000)) << c.name;
        m.unload();
        platform::pauseMs(0);
        closeBoxes();
        resetMainGlobals();
    }
}

TEST_F(MainLink, LogOutFromTheMenu) {
    MainForm& m = start(1001, QStringLiteral("vip"));
    ASSERT_TRUE(waitUntil([] { return LinkReady; }, 5000));
    QPointer<MainForm> main(&m);
    EXPECT_TRUE(m.m22->isEnabled());
    EXPECT_FALSE(m.m21->isEnabled());

    m.m22->trigger();

    bool posted = false;
    for (const SimService::FormPost& p : service->formPosts())
        posted |= QUrl::fromPercentEncoding(p.body).startsWith(
            QStringLiteral("v=1&do=softout&username=1001&mac=client-1001&session=s-1001"));
    EXPECT_TRUE(posted);
    EXPECT_FALSE(LoggedIn);
    EXPECT_FALSE(IsVip);
    EXPECT_EQ(UserId, 0);
    EXPECT_TRUE(SessionId.isEmpty());
    EXPECT_FALSE(UseRealtime);
    EXPECT_FALSE(LinkReady);
    EXPECT_TRUE(LogoutPending);
    EXPECT_FALSE(MainStarted);
    EXPECT_FALSE(platform::isLoaded<MainForm>());
    ASSERT_TRUE(platform::isLoaded<LoginForm>());
    LoginForm& login = loginForm();
    EXPECT_TRUE(login.isVisible());
    EXPECT_EQ(login.Labelinfo->text(), QStringLiteral("...欢迎登录..."));
    EXPECT_TRUE(login.Command1->isEnabled());
    EXPECT_TRUE(login.Command2->isEnabled());
    EXPECT_TRUE(waitUntil([&] { return openConnections() == 0; })) << "the live link is closed";
    platform::pauseMs(0);
    EXPECT_FALSE(main) << "the main window is gone";
    EXPECT_EQ(quits, 0) << "the program runs on";
    EXPECT_EQ(ended, 0);

    // A second copy's "HI" now reaches no window that is gone.
    platform::InstanceChannel second(QStringLiteral("Quillor"),
                                     QStringLiteral("MAINLINK-%1").arg(QCoreApplication::applicationPid()));
    EXPECT_TRUE(second.send(QStringLiteral("HI")));
    platform::pauseMs(200);
    EXPECT_TRUE(login.isVisible());

    // Logging in again brings a new main window with its own link.
    login.User->setText(QStringLiteral("vip"));
    login.Userpass->setText(QStringLiteral("vip888"));
    setMainWindowLink({[] { (void)Main(); }, [] { Main().show(); }, [] { Main().CheckLogin(); }, [] {}});
    login.Command1_Click();
    setMainWindowLink({});
    EXPECT_TRUE(LoggedIn);
    EXPECT_TRUE(platform::isLoaded<MainForm>());
    EXPECT_TRUE(waitUntil([] { return LinkReady; }, 5000));
}

TEST_F(MainLink, LoggedInElsewhereLogsOutOneSecondLater) {
    MainForm& m = start(1001, QStringLiteral("vip"));
    service->accounts().forceLoggedInElsewhere(1);
    m.Hello();
    EXPECT_EQ(systemBoxes, QStringList{QStringLiteral("Quillor|") + kLoggedElsewhereText});
    EXPECT_TRUE(m.Timer4->isActive());
    EXPECT_TRUE(platform::isLoaded<MainForm>());
    EXPECT_TRUE(waitUntil([] { return !platform::isLoaded<MainForm>(); }, 2500));
    EXPECT_TRUE(platform::isLoaded<LoginForm>());
    EXPECT_FALSE(LoggedIn);
    EXPECT_EQ(quits, 0);
}

TEST_F(MainLink, TheNewestNoticeIsShownAtFirstContact) {
    MainForm& m = start(1001, QStringLiteral("vip"));
    ASSERT_FALSE(service->notices().board().empty());
    const SimNotices::Notice newest = service->notices().board().back();
    m.Hello();
    EXPECT_EQ(LastNoticeId, newest.id);
    EXPECT_TRUE(boxTexts().contains(QStringLiteral("系统公告|") + newest.text.mid(1)))
        << boxTexts().join(u'\n').toStdString();
    closeBoxes();
    m.Hello();
    EXPECT_TRUE(boxTexts().isEmpty()) << "seen once";
}

TEST_F(MainLink, AKeepAliveThatRaisesLeavesTheNextOneRunning) {
    struct Case {
        const char* what;
        QString answer; // the first keep-alive's; the later ones get an empty list
        bool boxRaises; // the "logged in elsewhere" box raises while it is shown
    };
    const Case cases[] = {
        {"an id beyond the double range", QStringLiteral("1e999|0|-|x||"), false},
        {"an id with a D exponent beyond it", QStringLiteral("1D999|0|-|x||"), false},
        {"a walk that meets such an id", QStringLiteral("62D2210|0|-|x||7|0|-|y||"), false},
        {"the box of a log-out elsewhere raises", QStringLiteral("LO"), true},
    };
    MainForm& m = start(1002, QStringLiteral("user"), false);
    // Only the keep-alive is watched: nothing else polls meanwhile.
    m.Timer1->stop();
    HelloSeconds = 1;
    platform::setMessageBoxHandler(
        [this](const QString& text, const QString& title, platform::BoxButtons, platform::BoxIcon) -> platform::BoxAnswer {
            systemBoxes << title + u'|' + text;
            throw platform::VbError(platform::kErrOverflow, QStringLiteral("溢出"));
        });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        systemBoxes.clear();
        int keepAlives = 0;
        setHttpTextSource([&](const QString& url) {
            if (!url.contains(QStringLiteral("doing.asp")))
                return QString();
            return ++keepAlives == 1 ? c.answer : QString();
        });
        LastNoticeId = 3;
        m.Timer3->start();
        // The first keep-alive meets the answer; a second one runs a tick later.
        EXPECT_TRUE(waitUntil([&] { return keepAlives >= 2; }, 4000)) << keepAlives;
        EXPECT_TRUE(m.Timer3->isActive());
        EXPECT_EQ(systemBoxes.size(), c.boxRaises ? 1 : 0);
        EXPECT_FALSE(m.Timer4->isActive()) << "no log-out follows a box that never closed";
        EXPECT_TRUE(platform::isLoaded<MainForm>());
    }
    setHttpTextSource(nullptr);
    HelloSeconds = 300;
    platform::setMessageBoxHandler(
        [](const QString&, const QString&, platform::BoxButtons, platform::BoxIcon) { return platform::BoxAnswer::Ok; });
    // The log-out is not held off by a keep-alive flag left set.
    m.m22->trigger();
    EXPECT_TRUE(waitUntil([] { return !platform::isLoaded<MainForm>(); }, 3000));
}

TEST_F(MainLink, ALogOutAskedForDuringALoadWaitsForIt) {
    MainForm& m = start(1001, QStringLiteral("vip"), false);
    service->setFaultDelayMs(1500);
    service->setFault(QStringLiteral("*"), SimService::Endpoint::Snapshot, SimService::Fault::Delay, 1);
    bool loadEnded = false;
    QTimer::singleShot(0, &m, [&] {
        m.quotes().LoadData();
        loadEnded = true;
    });
    QTimer::singleShot(300, &m, [&] { m.m22->trigger(); });
    platform::pauseMs(600);
    EXPECT_TRUE(platform::isLoaded<MainForm>()) << "not while the load waits";
    // But the user sees at once that it is under way, and asking again adds nothing.
    EXPECT_EQ(m.cursor().shape(), Qt::WaitCursor);
    EXPECT_EQ(m.Nextupti->text(), QStringLiteral("正在注销,请稍候..."));
    m.m22->trigger();
    m.MainBar_ButtonClick(1, QStringLiteral("login"));
    m.setStatus(QStringLiteral("更新完成.")); // a loader ending meanwhile
    EXPECT_EQ(m.Nextupti->text(), QStringLiteral("正在注销,请稍候..."));
    // A member's range switch meanwhile, which names the live server on the status line.
    UseRealtime = IsVip = true;
    m.Combos[3]->setCurrentIndex(m.Combos[3]->currentIndex() == 1 ? 2 : 1);
    UseRealtime = IsVip = false;
    EXPECT_EQ(m.Nextupti->text(), QStringLiteral("正在注销,请稍候..."));
    EXPECT_TRUE(m.isVisible());
    EXPECT_TRUE(waitUntil([&] { return loadEnded; }, 3000));
    EXPECT_TRUE(waitUntil([] { return !platform::isLoaded<MainForm>(); }, 2500)) << "but once it is done";
    EXPECT_TRUE(platform::isLoaded<LoginForm>());
    EXPECT_FALSE(LoggedIn);
    EXPECT_FALSE(LogoutUnderWay);
    int logouts = 0;
    for (const SimService::FormPost& p : service->formPosts())
        logouts += QUrl::fromPercentEncoding(p.body).contains(QStringLiteral("do=softout")) ? 1 : 0;
    EXPECT_EQ(logouts, 1) << "one log-out for three requests";
}

// While the log-out's own request waits, with the main window already hidden, nothing brings
// that window back: it is on its way out.
TEST_F(MainLink, NothingShowsTheMainWindowWhileTheLogOutWaits) {
    SetIni(QStringLiteral("mini"), QStringLiteral("1"));
    MainForm& m = start(1001, QStringLiteral("vip"), false);
    ASSERT_TRUE(platform::isLoaded<MiniForm>());
    QPointer<MainForm> main(&m);
    service->setFaultDelayMs(2500);
    service->setFault(QStringLiteral("*"), SimService::Endpoint::Logout, SimService::Fault::Delay, 1);
    // The channel the login window listens on at the program's start.
    (void)instanceChannel().listen();
    platform::InstanceChannel second(QStringLiteral("Quillor"),
                                     QStringLiteral("MAINLINK-%1").arg(QCoreApplication::applicationPid()));
    struct Road {
        const char* name;
        std::function<void()> take;
    };
    const Road roads[] = {
        {"the mini window's double click",
         [] { QTest::mouseDClick(&Mini(), Qt::LeftButton, {}, QPoint(20, 10)); }},
        {"the tray icon's left press", [] { platform::sendTrayMouse(platform::kTrayLeftButtonDown); }},
        {"显示程序 of the tray menu", [] { menuForm().mShowme->trigger(); }},
        {"the boss key", [] { ShowHideMain(); }},
        {"a second copy's \"HI\"", [&second] { EXPECT_TRUE(second.send(QStringLiteral("HI"))); }},
    };
    QStringList shown;
    bool taken = false;
    QTimer::singleShot(0, [&] {
        // A load of the window's own may hold the log-out off for a moment.
        ASSERT_TRUE(waitUntil([&] { return main && main->isHidden(); }, 5000)) << "the log-out hides the window first";
        platform::pauseMs(200);
        for (const Road& road : roads) {
            road.take();
            platform::pauseMs(150);
            if (main && main->isVisible()) {
                shown << QString::fromUtf8(road.name);
                main->hide();
            }
        }
        taken = LoggedIn; // all of them while the request still waits
    });
    m.m22->trigger();
    EXPECT_TRUE(waitUntil([] { return !platform::isLoaded<MainForm>(); }, 8000));
    EXPECT_TRUE(taken);
    EXPECT_TRUE(shown.isEmpty()) << shown.join(u", ").toStdString();
    platform::pauseMs(0);
    EXPECT_FALSE(main) << "the window is gone";
    ASSERT_TRUE(platform::isLoaded<LoginForm>());
    EXPECT_TRUE(loginForm().isVisible());
    EXPECT_EQ(quits, 0);
}

namespace {

// Every request the window can have waiting, on a slow service, while a log-out is asked for in
// one of its ways: the log-out waits for the request, the request's end finds its window, and
// afterwards nothing of the old window runs.
class LogOutDuringARequest : public MainLink {
protected:
    enum class Way { Toolbar, Menu, LoggedInElsewhere };

    void eachRequest(Way way) {
        using Ep = SimService::Endpoint;
        struct Loader {
            const char* name;
            const char* path;
            Ep endpoint;
            std::function<void(MainForm&)> run;
        };
        const Loader loaders[] = {
            {"snapshot", "*", Ep::Snapshot, [](MainForm& m) { m.quotes().LoadData(); }},
            {"three days", "*", Ep::Intraday, [](MainForm& m) { m.quotes().LoadAllData(0); }},
            {"ten days", "*", Ep::TenDay,
             [](MainForm& m) {
                 int16_t c = 0;
                 m.quotes().Load10Day(c);
             }},
            {"year", "*", Ep::Year,
             [](MainForm& m) {
                 ProdDayCloses[0].clear();
                 int16_t c = 0;
                 m.quotes().LoadLine(c);
             }},
            {"daily K-line", "*", Ep::Year,
             [](MainForm& m) {
                 ProdDayText[0].clear();
                 ProdDayCloses[0].clear();
                 CurProd = 0;
                 m.klineFeed().kOptions_Click(0);
             }},
            {"news", "/soft/news.asp", Ep::Any, [](MainForm& m) { m.newsView().LoadNews(); }},
            {"keep-alive", "*", Ep::Hello, [](MainForm& m) { m.Hello(); }},
        };
        for (const Loader& loader : loaders) {
            const std::string what = loader.name;
            quits = 0;
            MainForm& m = start(1001, QStringLiteral("vip"), false);
            ASSERT_TRUE(waitUntil([] { return AllDataLoaded; }, 5000)) << what;
            QPointer<MainForm> main(&m);
            service->setFaultDelayMs(1500);
            service->setFault(QString::fromLatin1(loader.path), loader.endpoint, SimService::Fault::Delay, 1);
            if (way == Way::LoggedInElsewhere) {
                // The keep-alive hears "LO" and the log-out follows a second later, while the
                // request under test waits; the keep-alive under test hears it itself.
                service->accounts().forceLoggedInElsewhere(1);
                if (loader.endpoint != Ep::Hello)
                    m.Hello();
                ASSERT_TRUE(loader.endpoint == Ep::Hello || m.Timer4->isActive()) << what;
            }
            auto runEnded = std::make_shared<bool>(false);
            // No context object: the window this runs in is what may go.
            QTimer::singleShot(0, [&m, runEnded, run = loader.run] {
                run(m);
                *runEnded = true;
            });
            if (way != Way::LoggedInElsewhere)
                QTimer::singleShot(300, &m, [&m, way] {
                    if (way == Way::Toolbar)
                        m.MainBar_ButtonClick(1, QStringLiteral("login"));
                    else
                        m.m22->trigger();
                });
            platform::pauseMs(1100);
            EXPECT_TRUE(main && platform::isLoaded<MainForm>()) << what << ": not while the request waits";
            EXPECT_TRUE(waitUntil([&] { return *runEnded; }, 4000)) << what;
            EXPECT_TRUE(waitUntil([] { return !platform::isLoaded<MainForm>(); }, 4000)) << what;
            platform::pauseMs(0);
            EXPECT_FALSE(main) << what << ": the window is gone";
            ASSERT_TRUE(platform::isLoaded<LoginForm>()) << what;
            EXPECT_TRUE(loginForm().isVisible()) << what;
            EXPECT_FALSE(LoggedIn) << what;
            EXPECT_FALSE(MainStarted) << what;
            // Nothing of the old window asks the service any more: no timer, no loader, no link.
            const qsizetype asked = service->requestLog().size();
            platform::pauseMs(2000);
            EXPECT_EQ(service->requestLog().size(), asked)
                << what << ": " << service->requestLog().mid(asked).join(u' ').toStdString();
            EXPECT_EQ(openConnections(), 0) << what;
            EXPECT_EQ(quits, 0) << what << ": the program runs on";
            EXPECT_EQ(ended, 0) << what;
            service->clearFaults();
            service->accounts().forceLoggedInElsewhere(0);
            service->setFault(QStringLiteral("/soft/news.asp"), SimService::Endpoint::Any, SimService::Fault::Empty);
            closeBoxes();
            platform::unloadAll();
            platform::pauseMs(0);
            systemBoxes.clear();
            resetMainGlobals();
        }
    }
};

} // namespace

TEST_F(LogOutDuringARequest, FromTheToolbar) { eachRequest(Way::Toolbar); }
TEST_F(LogOutDuringARequest, FromTheMenu) { eachRequest(Way::Menu); }
TEST_F(LogOutDuringARequest, AfterTheKeepAliveHeardOfALoginElsewhere) { eachRequest(Way::LoggedInElsewhere); }

namespace {

// The newest date of a bar text ("date[ time],open,close,high,low|...", oldest first).
QDate lastBarDate(const QString& bars) {
    const QString last = bars.section(u'|', -1);
    return ToDate(last.section(u',', 0, 0).section(u' ', 0, 0)).date();
}

QDate newestOf(const QString& dates) {
    QDate newest;
    for (const QString& d : dates.split(u',', Qt::SkipEmptyParts))
        newest = std::max(newest, ToDate(d).date());
    return newest;
}

} // namespace

// A session that runs from a Friday into the Monday: once the program's clock is in the new
// trading day, the K-line of every period and the line charts' histories end with that day.
TEST_F(MainLink, ASessionCrossingATradingDayShowsTheNewDay) {
    daysOn = 2; // Friday 2026-12-11, 10:00
    MainForm& m = start(1001, QStringLiteral("vip"), false);
    ASSERT_TRUE(waitUntil([] { return AllDataLoaded && ProdCount > 0; }, 5000));
    CurProd = 0;
    KlineFeed& k = m.klineFeed();
    struct Period {
        int16_t option;
        const char* name;
        QDate friday;
        QDate monday;
    };
    const Period periods[] = {
        {0, "daily", QDate(2026, 12, 11), QDate(2026, 12, 14)},
        {1, "weekly", QDate(2026, 12, 7), QDate(2026, 12, 14)}, // a week is dated by its Monday
        {5, "5 minutes", QDate(2026, 12, 11), QDate(2026, 12, 14)},
    };
    for (const Period& p : periods) {
        k.kOptions_Click(p.option);
        EXPECT_EQ(lastBarDate(k.lastBars()), p.friday) << p.name << ": " << k.lastBars().right(80).toStdString();
    }
    EXPECT_EQ(ProdSeriesDate[0][0].date(), QDate(2026, 12, 11));
    EXPECT_EQ(newestOf(ProdDayDates[0]), QDate(2026, 12, 11));

    daysOn = 5; // Monday 2026-12-14, 10:00, on both clocks
    ASSERT_TRUE(waitUntil([] { return ServerNow.date() == QDate(2026, 12, 14); }, 3000));
    m.quotes().LoadData(); // the snapshot run that meets the new day
    EXPECT_EQ(ProdSeriesDate[0][0].date(), QDate(2026, 12, 14)) << "the intraday series";
    for (const Period& p : periods) {
        k.kOptions_Click(p.option);
        EXPECT_EQ(lastBarDate(k.lastBars()), p.monday) << p.name << ": " << k.lastBars().right(80).toStdString();
    }
    EXPECT_EQ(newestOf(ProdDayDates[0]), QDate(2026, 12, 14)) << "the long-range line chart's closes";
    // Today's daily bar follows the price.
    k.kOptions_Click(0);
    const QStringList today = k.lastBars().section(u'|', -1).split(u',');
    ASSERT_GE(today.size(), 5);
    EXPECT_EQ(today[2], platform::singleText(ProdPrice[0][0]));
}

// A member asks for ten days while the ten-day history is slow: the pushed quotes that arrive
// meanwhile redraw the chart, and none of those redraws may take the request for one that ended
// with nothing. Only an answer without the days moves the range to two days.
TEST_F(MainLink, ATenDayRequestKeepsItsRangeThroughThePushesOfItsWait) {
    MainForm& m = start(1001, QStringLiteral("vip"));
    ASSERT_TRUE(waitUntil([] { return LinkReady && AllDataLoaded && ProdCount > 2; }, 8000));
    m.Maintab->Tabs().Item(2).setSelected(true);
    ASSERT_EQ(CurTab, 2);
    QComboBox* range = m.Combos[3];
    const QString tenDays = QStringLiteral("10天 Alt+0");
    const QString twoDays = QStringLiteral("2天 Alt+2");
    service->setFaultDelayMs(3000);
    struct Case {
        const char* name;
        SimService::Fault fault;
        QString shown;
        qsizetype points;
    };
    const Case cases[] = {
        {"answered after the wait", SimService::Fault::Delay, tenDays, 10 * 144},
        {"answered with nothing", SimService::Fault::Empty, twoDays, 2 * 144},
    };
    int16_t instrument = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        range->setCurrentIndex(1);
        CurProd = ++instrument; // one whose ten days have not been asked for yet
        service->setFault(QStringLiteral("*"), SimService::Endpoint::TenDay, c.fault);
        // What the user sees while the request waits.
        QStringList rangesSeen;
        QStringList quoteTimes{m.Nowtimes->text()};
        QTimer look;
        look.setInterval(100);
        QObject::connect(&look, &QTimer::timeout, [&] {
            rangesSeen << range->currentText();
            if (quoteTimes.back() != m.Nowtimes->text())
                quoteTimes << m.Nowtimes->text();
        });
        look.start();
        range->setCurrentIndex(charts::rangeCaptions().indexOf(tenDays)); // what Alt+0 does
        look.stop();
        service->setFault(QStringLiteral("*"), SimService::Endpoint::TenDay, SimService::Fault::None);

        if (c.fault == SimService::Fault::Delay) {
            EXPECT_GE(quoteTimes.size(), 2) << "no quote was pushed during the wait";
            EXPECT_EQ(rangesSeen.count(tenDays), rangesSeen.size()) << rangesSeen.join(u' ').toStdString();
        }
        EXPECT_EQ(range->currentText(), c.shown);
        EXPECT_EQ(m.Charts[0]->Series1().size(), c.points);
        // The next pushes leave the range as it is.
        const QString time = m.Nowtimes->text();
        EXPECT_TRUE(waitUntil([&] { return m.Nowtimes->text() != time; }, 3000));
        EXPECT_EQ(range->currentText(), c.shown);
        EXPECT_EQ(m.Charts[0]->Series1().size(), c.points);
    }
}
