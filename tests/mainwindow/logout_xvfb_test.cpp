// The real program on the desktop (run under xvfb-run and tools/withwm.sh), logged out from its
// toolbar while a history request waits on a slow service: it lives on, the login window comes
// back, and nothing of the old main window asks the service any more.
// Picture: <build dir>/gallery/program/logout_during_request.png.
#include "tests/mainwindow/mainondisplay.h"

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
