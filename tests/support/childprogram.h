#pragma once

// The real program as a child process in a program folder of its own, and the desktop tools a
// test watches and drives it with (xdotool, xprop, xwininfo), on a display with a window manager.
#include "tests/support/qtprint.h"

#include <QDir>
#include <QFile>
#include <QPoint>
#include <QProcess>
#include <QRect>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <iostream>
#include <memory>
#include <utility>
#include <vector>

namespace desktop {

// Runs a tool while the event loop keeps serving (a service in the test answers the program
// meanwhile); its standard output.
inline QString tool(const QString& program, const QStringList& args) {
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

// Every top-level window of a process, shown or not.
inline QStringList windowsOf(qint64 pid) {
    return tool(QStringLiteral("xdotool"),
                {QStringLiteral("search"), QStringLiteral("--pid"), QString::number(pid)})
        .split(u'\n', Qt::SkipEmptyParts);
}

// The shown windows of a process whose title matches the regular expression `title`.
inline QStringList shownWindows(qint64 pid, const QString& title) {
    return tool(QStringLiteral("xdotool"),
                {QStringLiteral("search"), QStringLiteral("--all"), QStringLiteral("--onlyvisible"),
                 QStringLiteral("--pid"), QString::number(pid), QStringLiteral("--name"), title})
        .split(u'\n', Qt::SkipEmptyParts);
}

// The first shown window of the process with a matching title, other than `except`; empty when
// none comes up in time or the process ends first.
inline QString waitForWindow(const QProcess& p, const QString& title, const QString& except = {},
                             int ms = 15000) {
    QString found;
    (void)QTest::qWaitFor(
        [&] {
            for (const QString& w : shownWindows(p.processId(), title))
                if (w != except)
                    found = w;
            return !found.isEmpty() || p.state() == QProcess::NotRunning;
        },
        ms);
    return found;
}

inline QString windowName(const QString& window) {
    return tool(QStringLiteral("xdotool"), {QStringLiteral("getwindowname"), window});
}

// The window manager's states of the window (_NET_WM_STATE_MAXIMIZED_VERT, ...).
inline QStringList netWmState(const QString& window) {
    const QString line =
        tool(QStringLiteral("xprop"), {QStringLiteral("-id"), window, QStringLiteral("_NET_WM_STATE")});
    const qsizetype eq = line.indexOf(u'=');
    if (eq < 0)
        return {};
    QStringList states = line.mid(eq + 1).split(u',', Qt::SkipEmptyParts);
    for (QString& s : states)
        s = s.trimmed();
    return states;
}

inline bool isMaximised(const QString& window) {
    const QStringList states = netWmState(window);
    return states.contains(QStringLiteral("_NET_WM_STATE_MAXIMIZED_VERT")) &&
           states.contains(QStringLiteral("_NET_WM_STATE_MAXIMIZED_HORZ"));
}

// Where the window's client area is on the screen, and whether it is mapped.
struct Placement {
    QRect client;
    bool viewable = false;
};
inline Placement placement(const QString& window) {
    const QString info = tool(QStringLiteral("xwininfo"), {QStringLiteral("-id"), window});
    const auto number = [&info](const char* label) {
        const QRegularExpression re(QString::fromLatin1(label) + QStringLiteral(":\\s*(-?\\d+)"));
        return re.match(info).captured(1).toInt();
    };
    return {QRect(number("Absolute upper-left X"), number("Absolute upper-left Y"), number("Width"),
                  number("Height")),
            info.contains(QStringLiteral("IsViewable"))};
}

// The frame the window manager puts around the window: left, right, top (the title bar), bottom.
struct FrameExtents {
    int left = 0, right = 0, top = 0, bottom = 0;
};
inline FrameExtents frameExtents(const QString& window) {
    const QString line =
        tool(QStringLiteral("xprop"), {QStringLiteral("-id"), window, QStringLiteral("_NET_FRAME_EXTENTS")});
    const QStringList n = line.mid(line.indexOf(u'=') + 1).split(u',', Qt::SkipEmptyParts);
    if (n.size() != 4)
        return {};
    return {n[0].trimmed().toInt(), n[1].trimmed().toInt(), n[2].trimmed().toInt(), n[3].trimmed().toInt()};
}

// A left click at a point of the screen. (Not "--sync": a pointer already there never moves, and
// xdotool would wait for it forever.)
inline void clickAt(QPoint at) {
    tool(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()),
                                     QStringLiteral("click"), QStringLiteral("1")});
}

// Brings the window to the front and types `keys` into it ("alt+F4"), as a user at the keyboard.
inline void press(const QString& window, const QString& keys) {
    tool(QStringLiteral("xdotool"), {QStringLiteral("windowactivate"), QStringLiteral("--sync"), window});
    tool(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("--clearmodifiers"), keys});
}

// A left click at a point of the window, in its own coordinates, the window brought to the front.
inline void clickIn(const QString& window, QPoint at) {
    tool(QStringLiteral("xdotool"), {QStringLiteral("windowactivate"), QStringLiteral("--sync"), window});
    tool(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QStringLiteral("--window"), window,
                                     QString::number(at.x()), QString::number(at.y()),
                                     QStringLiteral("click"), QStringLiteral("1")});
}

} // namespace desktop

// Whether the process has ended within `ms`, the event loop serving meanwhile.
inline bool endsWithin(const QProcess& p, int ms) {
    return QTest::qWaitFor([&] { return p.state() == QProcess::NotRunning; }, ms);
}

// A copy of the program in a fresh program folder, with its own temporary and runtime folders so
// its single-instance channel meets no other copy. It may be started again in the same folder (a
// user's next start); every run still going ends with stop() or with the folder.
class ChildProgram {
public:
    explicit ChildProgram(const QString& executable) {
        const QDir folder(m_folder.path());
        m_ready = m_folder.isValid() && QFile::copy(executable, path(QStringLiteral("brelto"))) &&
                  folder.mkpath(QStringLiteral("tmp")) && folder.mkpath(QStringLiteral("run")) &&
                  QFile::setPermissions(path(QStringLiteral("run")),
                                        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    ~ChildProgram() { stop(); }
    ChildProgram(const ChildProgram&) = delete;
    ChildProgram& operator=(const ChildProgram&) = delete;

    [[nodiscard]] bool ready() const { return m_ready; }

    // Where the runs show their windows: the display, or "offscreen" where a test has none.
    QString qpaPlatform = QStringLiteral("xcb");
    [[nodiscard]] QString path(const QString& name) const { return QDir(m_folder.path()).filePath(name); }

    // set.ini as the program keeps it: section "Main Set", CR LF; the values given are ASCII.
    bool writeSettings(const QList<std::pair<QString, QString>>& keys) const {
        QByteArray text = "[Main Set]\r\n";
        for (const auto& [key, value] : keys)
            text += key.toLatin1() + '=' + value.toLatin1() + "\r\n";
        QFile f(path(QStringLiteral("set.ini")));
        return f.open(QIODevice::WriteOnly) && f.write(text) == text.size();
    }

    // Starts a run of the program against the configuration hosts given; what every run writes
    // goes to output.txt. The process stays valid as long as this object.
    QProcess& start(const QStringList& hosts) {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), qpaPlatform);
        env.insert(QStringLiteral("TMPDIR"), path(QStringLiteral("tmp")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), path(QStringLiteral("run")));
        env.insert(QStringLiteral("BRELTO_CONFIG_HOSTS"), hosts.join(u';'));
        // The web engine refuses its sandbox to root, which tests run as.
        env.insert(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"), QStringLiteral("1"));
        process->setProcessEnvironment(env);
        process->setWorkingDirectory(m_folder.path());
        process->setProcessChannelMode(QProcess::MergedChannels);
        process->setStandardOutputFile(path(QStringLiteral("output.txt")), QIODevice::Append);
        process->start(path(QStringLiteral("brelto")), {});
        EXPECT_TRUE(process->waitForStarted(5000));
        m_runs.push_back(std::move(process));
        return *m_runs.back();
    }

    // Ends every run still going.
    void stop() {
        for (const auto& p : m_runs)
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished(3000);
            }
    }

    // Of the latest run.
    [[nodiscard]] bool running() const { return !m_runs.empty() && m_runs.back()->state() == QProcess::Running; }
    [[nodiscard]] qint64 pid() const { return m_runs.empty() ? 0 : m_runs.back()->processId(); }

    // What the runs wrote, the end of it, for a failure's message.
    [[nodiscard]] std::string output() const {
        QFile f(path(QStringLiteral("output.txt")));
        return f.open(QIODevice::ReadOnly) ? f.readAll().right(2000).toStdString() : std::string();
    }

    // The program's log.txt, line by line.
    [[nodiscard]] QStringList logLines() const {
        QFile log(path(QStringLiteral("log.txt")));
        if (!log.open(QIODevice::ReadOnly))
            return {};
        return QString::fromLatin1(log.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    }

private:
    QTemporaryDir m_folder;
    bool m_ready = false;
    std::vector<std::unique_ptr<QProcess>> m_runs;
};

// A port nobody listens on: connections to it are refused at once.
inline quint16 closedPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

#ifdef BRELTO_APP_PATH
// A test of the real program in a program folder of its own: skipped without a display, and a
// failure shows what the program wrote.
class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            GTEST_SKIP() << "needs a display with a window manager: run under xvfb-run and "
                            "tools/withwm.sh";
        ASSERT_TRUE(app.ready());
    }
    void TearDown() override {
        app.stop();
        if (HasFailure())
            std::cerr << "what the program wrote:\n" << app.output() << '\n';
    }

    ChildProgram app{QStringLiteral(BRELTO_APP_PATH)};
};
#endif
