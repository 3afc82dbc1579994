// The program ends when it should: the real executable in a program folder of its own, driven
// through its windows with xdotool under a window manager, as a user meets it.
#include "simservice/simservice.h"
#include "tests/support/childprogram.h"
#include "tests/support/qtprint.h"

#include <QFile>
#include <QPoint>
#include <QProcess>
#include <QTcpServer>
#include <QTest>

#include <gtest/gtest.h>

#include <iostream>

namespace {

// Every start of a test is a run of the same program folder, as a user starts it again.
class ProgramRun : public ProgramTest {};

const QString kLoginTitle = QStringLiteral("^Quillor");

// The start-up question: an untitled box, so titled with the program's title like the login
// window beside it, but a dialog; the first other than `except`.
QString waitForQuestion(const QProcess& program, const QString& except) {
    QString found;
    (void)QTest::qWaitFor(
        [&] {
            for (const QString& w : desktop::shownWindows(program.processId(), QStringLiteral("^Quillor$")))
                if (w != except && desktop::tool(QStringLiteral("xprop"), {QStringLiteral("-id"), w,
                                                                           QStringLiteral("_NET_WM_WINDOW_TYPE")})
                                       .contains(QStringLiteral("_NET_WM_WINDOW_TYPE_DIALOG")))
                    found = w;
            return !found.isEmpty() || program.state() == QProcess::NotRunning;
        },
        15000);
    return found;
}

} // namespace

// No configuration host answers: the start-up question comes up, titled with the program's
// title; every way of closing it but "是" is "否", and "否" ends the program at once.
TEST_F(ProgramRun, RefusingTheStartUpQuestionEndsTheProgram) {
    struct Case {
        const char* how;
        QStringList answers; // keys for each question in turn
    };
    const Case cases[] = {
        {"否 by its key", {QStringLiteral("alt+n")}},
        {"Escape", {QStringLiteral("Escape")}},
        {"the window manager's close", {QStringLiteral("alt+F4")}},
        {"是, then Escape", {QStringLiteral("alt+y"), QStringLiteral("Escape")}},
    };
    const QString host = QStringLiteral("127.0.0.1:%1").arg(closedPort());
    for (const Case& c : cases) {
        QFile::remove(app.path(QStringLiteral("log.txt")));
        QProcess& program = app.start({host, host, host});
        QString box;
        for (const QString& keys : c.answers) {
            box = waitForQuestion(program, box);
            ASSERT_FALSE(box.isEmpty()) << c.how << ": no question box came up";
            EXPECT_EQ(desktop::windowName(box), QStringLiteral("Quillor")) << c.how;
            ASSERT_EQ(program.state(), QProcess::Running) << c.how;
            desktop::press(box, keys);
        }
        EXPECT_TRUE(endsWithin(program, 2000)) << c.how << ": the program runs on after 否";
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << c.how;
        EXPECT_EQ(program.exitCode(), 0) << c.how;
        // One failed round of the three hosts per question asked.
        EXPECT_EQ(app.logLines().filter(QStringLiteral("0: Loadserver.")).size(), c.answers.size()) << c.how;
        // A copy left running would take the next case's start for a second copy.
        app.stop();
    }
}

// The login window is closed while the configuration download still waits for its answer: the
// program ends, its log stays short, and the next start is a first copy again, not a hand-over.
TEST_F(ProgramRun, ClosingTheLoginWindowDuringTheDownloadEndsTheProgram) {
    SimService::Options options;
    options.httpPort = 0;
    options.faultDelayMs = 15000; // answered, but well after the window is closed
    SimService service(options);
    ASSERT_TRUE(service.start());
    service.setFault(QStringLiteral("*"), SimService::Endpoint::Config, SimService::Fault::Delay);
    const QString host = QStringLiteral("127.0.0.1:%1").arg(service.httpPort());

    QProcess& first = app.start({host, host, host});
    const QString login = desktop::waitForWindow(first, kLoginTitle);
    ASSERT_FALSE(login.isEmpty()) << "no login window came up";
    ASSERT_TRUE(QTest::qWaitFor([&] { return !service.requestLog().filter(QStringLiteral("config.txt")).isEmpty(); },
                                5000));
    EXPECT_EQ(desktop::windowName(login), QStringLiteral("Quillor")) << "the download has not finished yet";
    desktop::press(login, QStringLiteral("alt+F4"));
    EXPECT_TRUE(endsWithin(first, 2000)) << "the program runs on without a window";
    EXPECT_EQ(first.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first.exitCode(), 0);
    // A program that ran on would log its failing rounds hundreds of times a second.
    QTest::qWait(500);
    const QStringList lines = app.logLines();
    EXPECT_LE(lines.size(), 8) << lines.join(u'\n').toStdString();

    // The next start owns the channel: it shows its login window and waits for the user.
    service.clearFaults();
    QProcess& second = app.start({host, host, host});
    const QString secondLogin = desktop::waitForWindow(second, QStringLiteral("^Quillor V"));
    ASSERT_FALSE(secondLogin.isEmpty()) << "the second start handed over to a copy that should be gone";
    QTest::qWait(300);
    EXPECT_EQ(second.state(), QProcess::Running);
    // Closed before the main window has started, the login window ends the program.
    desktop::press(secondLogin, QStringLiteral("alt+F4"));
    EXPECT_TRUE(endsWithin(second, 2000));
    EXPECT_EQ(second.exitCode(), 0);
}

// The user logs in and later closes the main window: the program saves its settings and ends, and
// the next start is a first copy again.
TEST_F(ProgramRun, ClosingTheMainWindowEndsTheProgram) {
    SimService::Options options;
    options.httpPort = 0;
    SimService service(options);
    ASSERT_TRUE(service.start());
    const QString host = QStringLiteral("127.0.0.1:%1").arg(service.httpPort());

    QProcess& program = app.start({host, host, host});
    const QString login = desktop::waitForWindow(program, QStringLiteral("^Quillor V"));
    ASSERT_FALSE(login.isEmpty()) << "no login window came up";
    desktop::clickIn(login, QPoint(226, 212)); // "游客登录"
    const QString main = desktop::waitForWindow(program, QStringLiteral("^Quillor V"), login);
    ASSERT_FALSE(main.isEmpty()) << "the demo login did not open the main window";
    QTest::qWait(1000);
    ASSERT_EQ(program.state(), QProcess::Running);

    desktop::press(main, QStringLiteral("alt+F4"));
    EXPECT_TRUE(endsWithin(program, 5000)) << "the program runs on after its main window closed";
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
    QFile settings(app.path(QStringLiteral("set.ini")));
    ASSERT_TRUE(settings.open(QIODevice::ReadOnly));
    const QByteArray saved = settings.readAll();
    EXPECT_TRUE(saved.startsWith("[Main Set]\r\n"));
    EXPECT_TRUE(saved.contains("\r\ntab=")) << "the main window's settings were not saved at the end";

    QProcess& next = app.start({host, host, host});
    const QString nextLogin = desktop::waitForWindow(next, QStringLiteral("^Quillor V"));
    ASSERT_FALSE(nextLogin.isEmpty()) << "the next start handed over to a copy that should be gone";
    desktop::press(nextLogin, QStringLiteral("alt+F4"));
    EXPECT_TRUE(endsWithin(next, 2000));
}
