// The real program on the desktop (run under xvfb-run and tools/withwm.sh) logged out: from its
// toolbar while a history request waits on a slow service (it lives on, the login window comes
// back, and nothing of the old main window asks the service any more); with a remembered account,
// which the log-out forgets; and while the log-out's own request waits, when nothing brings the
// main window back.
// Pictures: <build dir>/gallery/program/logout_*.png and next_start_after_*.png.
#include "common/textcodec.h"
#include "tests/mainwindow/mainondisplay.h"

#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>

namespace {

constexpr int kPatienceMs = 30000; // a guard against hanging, not a measure

class LogoutOfTheRealProgram : public ProgramBesideTheMainWindow {
protected:
    LogoutOfTheRealProgram() : ProgramBesideTheMainWindow(QStringLiteral("LOGOUT")) {}

    // The program's shown windows of the login window's fixed size.
    QStringList loginWindows() const {
        QStringList found;
        for (const QString& w : desktop::shownWindows(program.pid(), QStringLiteral("^Quillor")))
            if (desktop::placement(w).client.size() == QSize(360, 292))
                found << w;
        return found;
    }

    [[nodiscard]] QByteArray settings() const {
        QFile f(program.path(QStringLiteral("set.ini")));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    [[nodiscard]] qsizetype logins() const {
        return service->requestLog().filter(QStringLiteral("/soft/doing.asp")).size();
    }
};

} // namespace

TEST_F(LogoutOfTheRealProgram, WhileTheTenDayHistoryWaits) {
    const QPoint button = toolbarButton(QStringLiteral("login"));
    ASSERT_FALSE(button.isNull()) << "no log-in/log-out button on the toolbar";

    // A member on the intraday tab, logged in by the program itself.
    const QString main =
        startLoggedIn({{QStringLiteral("tab"), QStringLiteral("2")}}, QStringLiteral("vip"), QStringLiteral("vip888"));
    ASSERT_FALSE(main.isEmpty()) << program.output();
    const QProcess& run = *process;

    // The ten-day history answers only after eight seconds; Alt+0 asks for it.
    service->setFaultDelayMs(8000);
    service->setFault(QStringLiteral("*"), SimService::Endpoint::TenDay, SimService::Fault::Delay);
    const auto tenDayRequests = [&] { return service->requestLog().filter(QStringLiteral("m=P10-")).size(); };
    const qsizetype before = tenDayRequests();
    desktop::press(main, QStringLiteral("alt+0"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return tenDayRequests() > before; }, 10000))
        << "Alt+0 asked for no ten-day history";
    QTest::qWait(500);
    desktop::clickIn(main, button); // "注销", while the request waits
    // The window stays while the request waits, and says that the log-out is under way.
    QTest::qWait(700);
    EXPECT_TRUE(desktop::placement(main).viewable);
    if (QScreen* screen = QGuiApplication::primaryScreen())
        savePicture(screen->grabWindow(0).toImage(), QStringLiteral("logout_under_way.png"));

    ASSERT_TRUE(QTest::qWaitFor([&] { return !loginWindows().isEmpty() || !program.running(); }, kPatienceMs))
        << "the login window did not come back";
    ASSERT_TRUE(program.running()) << "the program ended: " << program.output();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !desktop::placement(main).viewable; }, 5000))
        << "the old main window is still shown";
    if (QScreen* screen = QGuiApplication::primaryScreen())
        savePicture(screen->grabWindow(0).toImage(), QStringLiteral("logout_during_request.png"));

    // Nothing of the old window runs: no poll, no history, no keep-alive reaches the service.
    QTest::qWait(1000);
    const qsizetype asked = service->requestLog().size();
    QTest::qWait(8000);
    EXPECT_EQ(service->requestLog().size(), asked) << service->requestLog().mid(asked).join(u' ').toStdString();
    EXPECT_TRUE(program.running()) << program.output();
    for (const QString& w : desktop::shownWindows(program.pid(), QStringLiteral("^Quillor V")))
        EXPECT_LE(desktop::placement(w).client.width(), 600) << "a main window is shown again";

    // Closing the login window ends the program in order.
    const QStringList login = loginWindows();
    ASSERT_FALSE(login.isEmpty());
    desktop::press(login.front(), QStringLiteral("alt+F4"));
    ASSERT_TRUE(endsWithin(run, kPatienceMs)) << program.output();
    EXPECT_EQ(run.exitStatus(), QProcess::NormalExit) << program.output();
    EXPECT_EQ(run.exitCode(), 0) << program.output();
}

// A member who ticked "记住账号密码" logs out (or is logged out by a login elsewhere) and closes
// the login window: the account is forgotten, and the next start waits for the user instead of
// logging in by itself, on a shared PC or against the other session.
TEST_F(LogoutOfTheRealProgram, ARememberedAccountIsForgottenAfterALogOut) {
    SimService::Options options;
    // A member's keep-alive every three seconds (a fifth of the shortest period the program takes),
    // so that a login elsewhere is heard soon.
    options.helloSeconds = 15;
    const QPoint button = toolbarButton(QStringLiteral("login"), options);
    ASSERT_FALSE(button.isNull()) << "no log-in/log-out button on the toolbar";
    const QString host = QStringLiteral("127.0.0.1:%1").arg(service->httpPort());
    const QString password = EncodeText(QStringLiteral("vip888"));

    enum class Way { Toolbar, LoggedInElsewhere };
    struct Case {
        const char* name;
        Way way;
    };
    const Case cases[] = {{"注销 on the toolbar", Way::Toolbar},
                          {"the keep-alive's \"logged in elsewhere\"", Way::LoggedInElsewhere}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(program.writeSettings({{QStringLiteral("autologin"), QStringLiteral("1")},
                                           {QStringLiteral("username"), QStringLiteral("vip")},
                                           {QStringLiteral("userpass"), password}}));
        QProcess& run = program.start({host, host, host});
        const QString main = waitForMain();
        ASSERT_FALSE(main.isEmpty()) << "the remembered account did not log in: " << program.output();
        EXPECT_TRUE(settings().contains("\r\nautologin=1\r\n")) << "the login stored the account";
        QTest::qWait(1500);

        if (c.way == Way::Toolbar) {
            desktop::clickIn(main, button);
        } else {
            service->accounts().forceLoggedInElsewhere(1);
            // The program says so in a box of its own (not the login window's size), then logs out.
            QString box;
            ASSERT_TRUE(QTest::qWaitFor(
                [&] {
                    for (const QString& w : desktop::shownWindows(program.pid(), QStringLiteral("^Quillor$")))
                        if (desktop::placement(w).client.size() != QSize(360, 292))
                            box = w;
                    return !box.isEmpty() || !program.running();
                },
                kPatienceMs))
                << "no box about the login elsewhere";
            ASSERT_FALSE(box.isEmpty()) << program.output();
            desktop::press(box, QStringLiteral("Return"));
        }
        QStringList login;
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                login = loginWindows();
                return !login.isEmpty() || !program.running();
            },
            kPatienceMs))
            << "the login window did not come back";
        ASSERT_FALSE(login.isEmpty()) << program.output();
        desktop::press(login.front(), QStringLiteral("alt+F4"));
        ASSERT_TRUE(endsWithin(run, kPatienceMs)) << "closing the login window after a log-out ends the program";
        const QByteArray saved = settings();
        EXPECT_TRUE(saved.contains("\r\nautologin=0\r\n")) << saved.constData();
        EXPECT_TRUE(saved.contains("\r\nusername=\r\n")) << saved.constData();
        EXPECT_TRUE(saved.contains("\r\nuserpass=\r\n")) << saved.constData();
        service->accounts().forceLoggedInElsewhere(0);

        // The next start: the login window waits for the user.
        const qsizetype before = logins();
        QProcess& next = program.start({host, host, host});
        ASSERT_TRUE(QTest::qWaitFor([&] { return !loginWindows().isEmpty() || !program.running(); }, kPatienceMs))
            << program.output();
        QTest::qWait(3000);
        EXPECT_EQ(logins(), before) << "the next start logged in by itself";
        for (const QString& w : desktop::shownWindows(program.pid(), QStringLiteral("^Quillor V")))
            EXPECT_LE(desktop::placement(w).client.width(), 600) << "a main window came up";
        const QStringList waiting = loginWindows();
        ASSERT_FALSE(waiting.isEmpty());
        EXPECT_TRUE(desktop::windowName(waiting.front()).startsWith(QStringLiteral("Quillor V")))
            << "the login window without a remembered account carries the version";
        if (QScreen* screen = QGuiApplication::primaryScreen())
            savePicture(screen->grabWindow(0).toImage(),
                        c.way == Way::Toolbar ? QStringLiteral("next_start_after_logout.png")
                                              : QStringLiteral("next_start_after_login_elsewhere.png"));
        desktop::press(waiting.front(), QStringLiteral("alt+F4"));
        EXPECT_TRUE(endsWithin(next, kPatienceMs)) << program.output();
    }
}

// While the log-out's own request waits, the main window already hidden, no road of the desktop
// brings it back: the mini window's double click, the boss key, a second start of the program.
TEST_F(LogoutOfTheRealProgram, NothingBringsTheMainWindowBackWhileTheLogOutWaits) {
    const QPoint button = toolbarButton(QStringLiteral("login"));
    ASSERT_FALSE(button.isNull()) << "no log-in/log-out button on the toolbar";
    ASSERT_TRUE(program.writeSettings({{QStringLiteral("mini"), QStringLiteral("1")},
                                       {QStringLiteral("autologin"), QStringLiteral("1")},
                                       {QStringLiteral("username"), QStringLiteral("vip")},
                                       {QStringLiteral("userpass"), EncodeText(QStringLiteral("vip888"))}}));
    const QString host = QStringLiteral("127.0.0.1:%1").arg(service->httpPort());
    QProcess& run = program.start({host, host, host});
    const qint64 pid = program.pid();
    const QString main = waitForMain();
    ASSERT_FALSE(main.isEmpty()) << program.output();
    QString mini;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const QStringList found = desktop::shownWindows(pid, QStringLiteral("^Mini$"));
            mini = found.isEmpty() ? QString() : found.front();
            return !mini.isEmpty();
        },
        kPatienceMs))
        << "no mini window";
    QTest::qWait(1500);

    service->setFaultDelayMs(12000);
    service->setFault(QStringLiteral("*"), SimService::Endpoint::Logout, SimService::Fault::Delay, 1);
    desktop::clickIn(main, button);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !desktop::placement(main).viewable; }, 5000))
        << "the log-out hides the main window first";
    const auto logouts = [&] { return service->requestLog().filter(QStringLiteral("/user/login.asp")).size(); };
    ASSERT_TRUE(QTest::qWaitFor([&] { return logouts() == 1; }, 5000)) << "no log-out request";

    struct Road {
        const char* name;
        std::function<void()> take;
    };
    const Road roads[] = {
        {"the mini window's double click",
         [&] {
             desktop::tool(QStringLiteral("xdotool"),
                           {QStringLiteral("mousemove"), QStringLiteral("--window"), mini, QStringLiteral("30"),
                            QStringLiteral("12"), QStringLiteral("click"), QStringLiteral("--repeat"),
                            QStringLiteral("2"), QStringLiteral("--delay"), QStringLiteral("80"),
                            QStringLiteral("1")});
         }},
        {"the boss key",
         [] { desktop::tool(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("ctrl+alt+w")}); }},
        {"a second start of the program",
         [&] { EXPECT_TRUE(endsWithin(program.start({host, host, host}), 10000)) << "the second copy stays"; }},
    };
    for (const Road& road : roads) {
        road.take();
        QTest::qWait(800);
        EXPECT_FALSE(desktop::placement(main).viewable) << road.name << " brought the main window back";
    }
    EXPECT_EQ(run.state(), QProcess::Running);
    EXPECT_EQ(logouts(), 1) << "the request was still waiting";
    if (QScreen* screen = QGuiApplication::primaryScreen())
        savePicture(screen->grabWindow(0).toImage(), QStringLiteral("logout_request_waits.png"));

    // The request ends: the login window, and no main window.
    QString login;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            for (const QString& w : desktop::shownWindows(pid, QStringLiteral("^Quillor")))
                if (desktop::placement(w).client.size() == QSize(360, 292))
                    login = w;
            return !login.isEmpty() || run.state() != QProcess::Running;
        },
        kPatienceMs))
        << "the login window did not come back";
    ASSERT_FALSE(login.isEmpty()) << program.output();
    for (const QString& w : desktop::shownWindows(pid, QStringLiteral("^Quillor V")))
        EXPECT_LE(desktop::placement(w).client.width(), 600) << "a main window is shown again";
    desktop::press(login, QStringLiteral("alt+F4"));
    EXPECT_TRUE(endsWithin(run, kPatienceMs)) << program.output();
}
