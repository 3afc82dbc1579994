// The program as a user meets it, on a real display (run under xvfb-run): the login window, the
// demo login, the main window with its quotes, charts and web panes.
#include "common/config.h"
#include "common/settings.h"
#include "companions/tray.h"
#include "mainwindow/mainform.h"
#include "platform/eventwait.h"
#include "platform/forms.h"
#include "state/configstate.h"
#include "shell/instance.h"
#include "shell/loginform.h"
#include "shell/mainwindowlink.h"
#include "state/session.h"
#include "state/usersettings.h"
#include "simservice/simservice.h"
#include "tests/support/forms.h"
#include "tests/support/programfolder.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QUrl>

namespace {

long residentKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

// The program against an in-process simulated service, started afresh for each test, with the
// main window wired in as main() wires it.
class ProgramOnDisplay : public ProgramFolderTest {
protected:
    void SetUp() override {
        if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr)
            GTEST_SKIP() << "needs a display: run under xvfb-run";
        ProgramFolderTest::SetUp();
        setInstanceTopic(QStringLiteral("TEST-%1").arg(QCoreApplication::applicationPid()));
        ConfigLoaded = LoggedIn = IsVip = MainStarted = false;
        UserName.clear();
        CurTab = -1;
        platform::setQuitHandler([] {});
        setMainWindowLink({[] { (void)Main(); }, [] { Main().show(); }, [] { Main().CheckLogin(); },
                           [] { TrayRemove(); }});
    }
    void TearDown() override {
        if (platform::isLoaded<MainForm>())
            Main().unload();
        platform::pauseMs(0);
        platform::setQuitHandler(nullptr);
        setMainWindowLink({});
        setConfigurationHosts({});
        service.reset();
        ProgramFolderTest::TearDown();
    }

    // Starts the service, logs in with the demo account and waits for the main window.
    MainForm& loginToMain(SimService::Options options = {}) {
        options.httpPort = 0;
        service = std::make_unique<SimService>(options);
        EXPECT_TRUE(service->start());
        const QString host = QStringLiteral("127.0.0.1:%1").arg(service->httpPort());
        setConfigurationHosts({host, host, host});
        loginForm().Command2_Click();
        EXPECT_TRUE(waitUntil([] { return MainStarted && platform::isLoaded<MainForm>(); }, 10000));
        MainForm& main = Main();
        main.showNormal();
        main.setGeometry(0, 0, 1280, 800);
        return main;
    }

    void picture(MainForm& main, const QString& name) {
        QDir gallery(QStringLiteral(BRELTO_GALLERY_DIR));
        ASSERT_TRUE(gallery.mkpath(QStringLiteral("program")));
        ASSERT_TRUE(main.grab().toImage().save(gallery.filePath(QStringLiteral("program/") + name)));
    }

    std::unique_ptr<SimService> service;
};

} // namespace

TEST_F(ProgramOnDisplay, DemoLoginLandsInTheMainWindow) {
    // The twin charts on instruments this market quotes (the stored defaults lie beyond it).
    SetIniMany({{QStringLiteral("rchart1"), QStringLiteral("0")}, {QStringLiteral("rchart2"), QStringLiteral("2")}});
    MainForm& main = loginToMain();
    EXPECT_TRUE(LoggedIn);
    EXPECT_FALSE(platform::isLoaded<LoginForm>());
    platform::pauseMs(500);
    const long afterStart = residentKiB();

    for (int tab : {1, 2}) {
        main.Maintab->Tabs().Item(tab).setSelected(true);
        platform::pauseMs(300);
        picture(main, QStringLiteral("main_tab%1.png").arg(tab));
    }
    // Four intraday panes.
    for (QCheckBox* box : {main.VIPChart2, main.VIPChart3, main.VIPChart4})
        if (box->isEnabled())
            box->setChecked(true);
    platform::pauseMs(1500);
    picture(main, QStringLiteral("main_tab2_four_panes.png"));

    main.Maintab->Tabs().Item(6).setSelected(true); // the data tab shows a real web page
    platform::pauseMs(3000);
    const long afterWebTab = residentKiB();
    picture(main, QStringLiteral("main_tab6.png"));
    std::printf("resident memory after start-up: %ld KiB; after showing one web tab: %ld KiB\n", afterStart,
                afterWebTab);
    RecordProperty("rss_after_start_kib", static_cast<int>(afterStart));
    RecordProperty("rss_after_web_tab_kib", static_cast<int>(afterWebTab));
    EXPECT_GT(afterStart, 0);
}

TEST_F(ProgramOnDisplay, BoardFollowsTheMarketAndSurvivesAFailingDataServer) {
    // The market runs thirty times faster than the clock, so every poll meets a new price.
    QElapsedTimer elapsed;
    elapsed.start();
    const QDateTime tradingStart(QDate(2026, 12, 9), QTime(10, 0), Qt::UTC);
    SimService::Options options;
    options.now = [&] { return tradingStart.addMSecs(elapsed.elapsed() * 30); };
    MainForm& main = loginToMain(options);
    ASSERT_TRUE(waitUntil([&] { return !main.boardRows.empty(); }, 10000));

    auto price = [&] { return main.boardRows[0].TL[1]->text(); };
    QStringList seen{price()};
    QString failedServer;
    int changesAfterFailure = 0;
    for (int waited = 0; waited < 60000 && (seen.size() < 5 || changesAfterFailure < 2); waited += 250) {
        platform::pauseMs(250);
        if (price() == seen.last())
            continue;
        seen << price();
        if (!failedServer.isEmpty())
            ++changesAfterFailure;
        if (seen.size() == 3 && failedServer.isEmpty()) {
            // The data server in use stops answering: the board must go on from another one.
            failedServer = QUrl(DataServer).path();
            service->setFault(failedServer, SimService::Endpoint::Any, SimService::Fault::Close);
        }
    }
    EXPECT_GE(seen.size(), 5) << seen.join(u' ').toStdString();
    EXPECT_GE(changesAfterFailure, 2) << "after " << failedServer.toStdString();
    EXPECT_NE(QUrl(DataServer).path(), failedServer);
    picture(main, QStringLiteral("board.png"));
}
