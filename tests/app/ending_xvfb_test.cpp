// The program ends when it should: the real executable in a program folder of its own, driven
// through its windows with xdotool under a window manager, as a user meets it.
#include "simservice/simservice.h"
#include "tests/support/qtprint.h"

#include <QDir>
#include <QFile>
#include <QPoint>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// A port nobody listens on: connections to it are refused at once.
quint16 closedPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

class ProgramRun : public ::testing::Test {
protected:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            GTEST_SKIP() << "needs a display with a window manager: run under xvfb-run and "
                            "tools/withwm.sh";
        ASSERT_TRUE(m_folder.isValid());
        ASSERT_TRUE(QFile::copy(QStringLiteral(BRELTO_APP_PATH), path(QStringLiteral("brelto"))));
        // Its own temporary and runtime folders: its single-instance channel meets no other copy.
        const QDir folder(m_folder.path());
        ASSERT_TRUE(folder.mkpath(QStringLiteral("tmp")));
        ASSERT_TRUE(folder.mkpath(QStringLiteral("run")));
        QFile::setPermissions(path(QStringLiteral("run")),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    void TearDown() override { stopAll(); }

    void stopAll() {
        for (const auto& p : m_runs)
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished(3000);
            }
    }

    [[nodiscard]] QString path(const QString& name) const { return QDir(m_folder.path()).filePath(name); }

    // Starts a copy of the program against the configuration hosts given.
    QProcess& start(const QStringList& hosts) {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("TMPDIR"), path(QStringLiteral("tmp")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), path(QStringLiteral("run")));
        env.insert(QStringLiteral("BRELTO_CONFIG_HOSTS"), hosts.join(u';'));
        // The web engine refuses its sandbox to root, which tests run as.
        env.insert(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"), QStringLiteral("1"));
        process->setProcessEnvironment(env);
        process->setWorkingDirectory(m_folder.path());
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process->start(path(QStringLiteral("brelto")), {});
        EXPECT_TRUE(process->waitForStarted(5000));
        m_runs.push_back(std::move(process));
        return *m_runs.back();
    }

    // Runs a tool while the event loop keeps serving the program's requests; its output.
    static QString tool(const QString& program, const QStringList& args) {
        QProcess p;
        p.start(program, args);
        if (!p.waitForStarted(5000)) {
            ADD_FAILURE() << program.toStdString() << " is missing (tools/dev.sh installs it)";
            return {};
        }
        if (!QTest::qWaitFor([&] { return p.state() == QProcess::NotRunning; }, 10000))
            p.kill();
        return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    }

    // The shown windows of the process whose title matches `title`.
    static QStringList windows(const QProcess& p, const QString& title) {
        return tool(QStringLiteral("xdotool"),
                    {QStringLiteral("search"), QStringLiteral("--all"), QStringLiteral("--onlyvisible"),
                     QStringLiteral("--pid"), QString::number(p.processId()), QStringLiteral("--name"), title})
            .split(u'\n', Qt::SkipEmptyParts);
    }

    // The first shown window of the process with a matching title, other than `except`.
    static QString waitForWindow(const QProcess& p, const QString& title, const QString& except = {},
                                 int ms = 15000) {
        QString found;
        (void)QTest::qWaitFor(
            [&] {
                for (const QString& w : windows(p, title))
                    if (w != except)
                        found = w;
                return !found.isEmpty() || p.state() == QProcess::NotRunning;
            },
            ms);
        return found;
    }

    static QString windowName(const QString& window) {
        return tool(QStringLiteral("xdotool"), {QStringLiteral("getwindowname"), window});
    }

    // Brings the window to the front and types `keys` into it, as a user at the keyboard.
    static void press(const QString& window, const QString& keys) {
        tool(QStringLiteral("xdotool"), {QStringLiteral("windowactivate"), QStringLiteral("--sync"), window});
        tool(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("--clearmodifiers"), keys});
    }

    // A left click at a point of the window, in its own coordinates.
    static void click(const QString& window, QPoint at) {
        tool(QStringLiteral("xdotool"), {QStringLiteral("windowactivate"), QStringLiteral("--sync"), window});
        tool(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QStringLiteral("--window"), window,
                                         QString::number(at.x()), QString::number(at.y()),
                                         QStringLiteral("click"), QStringLiteral("1")});
    }

    static bool endsWithin(QProcess& p, int ms) {
        return QTest::qWaitFor([&] { return p.state() == QProcess::NotRunning; }, ms);
    }

    [[nodiscard]] QStringList logLines() const {
        QFile log(path(QStringLiteral("log.txt")));
        if (!log.open(QIODevice::ReadOnly))
            return {};
        return QString::fromLatin1(log.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    }

    QTemporaryDir m_folder;
    std::vector<std::unique_ptr<QProcess>> m_runs;
};

const QString kQuestionTitle = QStringLiteral("^brelto$");
const QString kLoginTitle = QStringLiteral("^Quillor");

} // namespace

// No configuration host answers: the start-up question comes up, titled with the executable's
// name; every way of closing it but "是" is "否", and "否" ends the program at once.
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
        QFile::remove(path(QStringLiteral("log.txt")));
        QProcess& program = start({host, host, host});
        QString box;
        for (const QString& keys : c.answers) {
            box = waitForWindow(program, kQuestionTitle, box);
            ASSERT_FALSE(box.isEmpty()) << c.how << ": no question box came up";
            EXPECT_EQ(windowName(box), QStringLiteral("brelto")) << c.how;
            ASSERT_EQ(program.state(), QProcess::Running) << c.how;
            press(box, keys);
        }
        EXPECT_TRUE(endsWithin(program, 2000)) << c.how << ": the program runs on after 否";
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << c.how;
        EXPECT_EQ(program.exitCode(), 0) << c.how;
        // One failed round of the three hosts per question asked.
        EXPECT_EQ(logLines().filter(QStringLiteral("0: Loadserver.")).size(), c.answers.size()) << c.how;
        // A copy left running would take the next case's start for a second copy.
        stopAll();
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

    QProcess& first = start({host, host, host});
    const QString login = waitForWindow(first, kLoginTitle);
    ASSERT_FALSE(login.isEmpty()) << "no login window came up";
    ASSERT_TRUE(QTest::qWaitFor([&] { return !service.requestLog().filter(QStringLiteral("config.txt")).isEmpty(); },
                                5000));
    EXPECT_EQ(windowName(login), QStringLiteral("Quillor")) << "the download has not finished yet";
    press(login, QStringLiteral("alt+F4"));
    EXPECT_TRUE(endsWithin(first, 2000)) << "the program runs on without a window";
    EXPECT_EQ(first.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first.exitCode(), 0);
    // A program that ran on would log its failing rounds hundreds of times a second.
    QTest::qWait(500);
    const QStringList lines = logLines();
    EXPECT_LE(lines.size(), 8) << lines.join(u'\n').toStdString();

    // The next start owns the channel: it shows its login window and waits for the user.
    service.clearFaults();
    QProcess& second = start({host, host, host});
    const QString secondLogin = waitForWindow(second, QStringLiteral("^Quillor V"));
    ASSERT_FALSE(secondLogin.isEmpty()) << "the second start handed over to a copy that should be gone";
    QTest::qWait(300);
    EXPECT_EQ(second.state(), QProcess::Running);
    // Closed before the main window has started, the login window ends the program.
    press(secondLogin, QStringLiteral("alt+F4"));
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

    QProcess& program = start({host, host, host});
    const QString login = waitForWindow(program, QStringLiteral("^Quillor V"));
    ASSERT_FALSE(login.isEmpty()) << "no login window came up";
    click(login, QPoint(226, 212)); // "游客登录"
    const QString main = waitForWindow(program, QStringLiteral("^Quillor V"), login);
    ASSERT_FALSE(main.isEmpty()) << "the demo login did not open the main window";
    QTest::qWait(1000);
    ASSERT_EQ(program.state(), QProcess::Running);

    press(main, QStringLiteral("alt+F4"));
    EXPECT_TRUE(endsWithin(program, 5000)) << "the program runs on after its main window closed";
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
    QFile settings(path(QStringLiteral("set.ini")));
    ASSERT_TRUE(settings.open(QIODevice::ReadOnly));
    const QByteArray saved = settings.readAll();
    EXPECT_TRUE(saved.startsWith("[Main Set]\r\n"));
    EXPECT_TRUE(saved.contains("\r\ntab=")) << "the main window's settings were not saved at the end";

    QProcess& next = start({host, host, host});
    const QString nextLogin = waitForWindow(next, QStringLiteral("^Quillor V"));
    ASSERT_FALSE(nextLogin.isEmpty()) << "the next start handed over to a copy that should be gone";
    press(nextLogin, QStringLiteral("alt+F4"));
    EXPECT_TRUE(endsWithin(next, 2000));
}
