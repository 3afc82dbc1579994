#pragma once
// The program in the test's own process on a real display (run under xvfb-run and
// tools/withwm.sh), against a simulated service started afresh for each test, with the main
// window wired in as main() wires it. Every display test of the main window starts from here.
#include "companions/tray.h"
#include "mainwindow/mainform.h"
#include "platform/eventwait.h"
#include "platform/fonts.h"
#include "platform/forms.h"
#include "shell/instance.h"
#include "shell/login.h"
#include "shell/loginform.h"
#include "shell/mainwindowlink.h"
#include "simservice/simservice.h"
#include "state/configstate.h"
#include "state/livelink.h"
#include "state/quotetables.h"
#include "state/session.h"
#include "state/storedlists.h"
#include "state/usersettings.h"
#include "tests/support/desktopprogram.h"
#include "tests/support/forms.h"
#include "tests/support/gallery.h"
#include "tests/support/localservice.h"
#include "tests/support/programfolder.h"
#include "widgets/buttons/skinbutton.h"
#include "widgets/toolbar/flattoolbar.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLineEdit>
#include <QTest>

#include <memory>

class MainOnDisplay : public ProgramFolderTest {
protected:
    // `topic` keeps this test's single-instance channel apart from the other display tests.
    explicit MainOnDisplay(QString topic) : m_topic(std::move(topic)) {}

    void SetUp() override {
        if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr)
            GTEST_SKIP() << "needs a display: run under xvfb-run";
        ProgramFolderTest::SetUp();
        // The fonts as the program has them.
        platform::registerFontSubstitutions();
        setInstanceTopic(QStringLiteral("%1-%2").arg(m_topic).arg(QCoreApplication::applicationPid()));
        ConfigLoaded = LoggedIn = IsVip = MainStarted = UseRealtime = PushLost = false;
        LogoutPending = LoggedInThisRun = LogoutUnderWay = false;
        UserName.clear();
        CurTab = -1;
        NewsId = 0;
        platform::setQuitHandler([] {});
        setMainWindowLink({[] { (void)Main(); }, [] { Main().show(); }, [] { Main().CheckLogin(); },
                           [] { TrayRemove(); }});
    }

    void TearDown() override {
        closeBoxes();
        if (platform::isLoaded<MainForm>())
            Main().unload();
        platform::pauseMs(0);
        platform::setQuitHandler(nullptr);
        setMainWindowLink({});
        setConfigurationHosts({});
        service.reset();
        // A member's session leaves nothing behind for the next test: no alerts, no live link.
        TxCount = 0;
        TxProd = {0};
        TxCompare = {0};
        TxPrice = {0.0f};
        UseRealtime = PushLost = false;
        ProgramFolderTest::TearDown();
    }

    // Starts the service, logs in with the demo account and waits for the main window, which it
    // shows at 1280x800.
    MainForm& loginToMain(SimService::Options options = {}) {
        service = startLocalService(options);
        EXPECT_TRUE(service);
        loginForm().Command2_Click();
        return shownMain();
    }

    // Starts the service, logs the member "vip" in through the login window and waits for the
    // main window, which it shows at 1280x800.
    MainForm& memberToMain(SimService::Options options = {}) {
        service = startLocalService(options);
        EXPECT_TRUE(service);
        LoginForm& login = loginForm();
        EXPECT_TRUE(waitUntil([&] { return login.Command1->isEnabled(); }, 10000));
        login.User->setText(QStringLiteral("vip"));
        login.Userpass->setText(QStringLiteral("vip888"));
        login.Command1_Click();
        return shownMain();
    }

    std::unique_ptr<SimService> service;

private:
    static MainForm& shownMain() {
        EXPECT_TRUE(waitUntil([] { return MainStarted && platform::isLoaded<MainForm>(); }, 10000));
        MainForm& main = Main();
        main.showNormal();
        main.setGeometry(0, 0, 1280, 800);
        return main;
    }

    QString m_topic;
};

#ifdef BRELTO_APP_PATH
// The real program as a child process on the desktop (an X display with a window manager), and a
// main window in this process, which the program's is a copy of, to tell where its controls are.
class ProgramBesideTheMainWindow : public MainOnDisplay {
protected:
    using MainOnDisplay::MainOnDisplay;

    void SetUp() override {
        MainOnDisplay::SetUp();
        if (IsSkipped())
            return;
        if (QGuiApplication::platformName() != u"xcb")
            GTEST_SKIP() << "needs an X display with a window manager: run under xvfb-run and tools/withwm.sh";
        ASSERT_TRUE(program.ready());
    }

    // The centre of the toolbar button `key` in the main window, read off the main window of this
    // process once its board has the first quotes; that window then goes, and the service (started
    // with `options`) stays for the program.
    QPoint toolbarButton(const QString& key, SimService::Options options = {}) {
        MainForm& main = loginToMain(std::move(options));
        EXPECT_TRUE(waitUntil([] { return ProdCount > 0; }, 10000));
        platform::pauseMs(300);
        auto* strip = main.MainBar->findChild<QWidget*>(QStringLiteral("PicTB"));
        EXPECT_NE(strip, nullptr);
        QPoint at;
        for (int i = 1; strip != nullptr && i <= main.MainBar->ButtonCount(); ++i)
            if (main.MainBar->BtnKey(i) == key)
                at = strip->mapTo(&main, QPoint(main.MainBar->BtnLeft(i) + main.MainBar->BtnWidth(i) / 2,
                                                main.MainBar->BtnTop(i) + main.MainBar->btnHeight(i) / 2));
        main.unload();
        platform::pauseMs(100);
        setConfigurationHosts({});
        return at;
    }

    // Starts the program on the service with `user` remembered for the automatic login and
    // `settings` besides; its main window once it is shown and has asked for its first quotes,
    // empty when it never comes.
    QString startLoggedIn(QList<std::pair<QString, QString>> settings, const QString& user,
                          const QString& password) {
        EXPECT_TRUE(program.writeSettings(withRememberedLogin(std::move(settings), user, password)));
        process = &program.start(hostsOf(*service));
        const QString main = waitForMain();
        if (main.isEmpty())
            return main;
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return !service->requestLog().filter(QStringLiteral("m=now-price")).isEmpty(); },
            kProgramPatienceMs));
        QTest::qWait(1500);
        return main;
    }

    // The program's main window once it is shown; empty when it did not come up.
    QString waitForMain() {
        QString main;
        (void)QTest::qWaitFor(
            [&] {
                for (const QString& w : desktop::shownWindows(program.pid(), QStringLiteral("^Quillor V")))
                    if (desktop::placement(w).client.width() > 600)
                        main = w;
                return !main.isEmpty() || !program.running();
            },
            kProgramPatienceMs);
        return main;
    }

    static constexpr int kProgramPatienceMs = 30000; // a guard against hanging, not a measure

    ChildProgram program{QStringLiteral(BRELTO_APP_PATH)};
    QProcess* process = nullptr; // the latest run
};
#endif
