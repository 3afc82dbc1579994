#pragma once

// The real program as a child process in a program folder of its own, and the desktop tools a
// test watches and drives it with (xdotool, xprop, xwininfo), on a display with a window manager.
#include "tests/support/qtprint.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRect>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <utility>

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

} // namespace desktop

// A copy of the program in a fresh program folder, with its own temporary and runtime folders so
// its single-instance channel meets no other copy.
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
    [[nodiscard]] QString path(const QString& name) const { return QDir(m_folder.path()).filePath(name); }

    // set.ini as the program keeps it: section "Main Set", CR LF; the values given are ASCII.
    bool writeSettings(const QList<std::pair<QString, QString>>& keys) const {
        QByteArray text = "[Main Set]\r\n";
        for (const auto& [key, value] : keys)
            text += key.toLatin1() + '=' + value.toLatin1() + "\r\n";
        QFile f(path(QStringLiteral("set.ini")));
        return f.open(QIODevice::WriteOnly) && f.write(text) == text.size();
    }

    // Starts the program against the configuration hosts given; its output goes to output.txt.
    QProcess& start(const QStringList& hosts) {
        m_process = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("TMPDIR"), path(QStringLiteral("tmp")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), path(QStringLiteral("run")));
        env.insert(QStringLiteral("BRELTO_CONFIG_HOSTS"), hosts.join(u';'));
        // The web engine refuses its sandbox to root, which tests run as.
        env.insert(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"), QStringLiteral("1"));
        m_process->setProcessEnvironment(env);
        m_process->setWorkingDirectory(m_folder.path());
        m_process->setProcessChannelMode(QProcess::MergedChannels);
        m_process->setStandardOutputFile(path(QStringLiteral("output.txt")));
        m_process->start(path(QStringLiteral("brelto")), {});
        EXPECT_TRUE(m_process->waitForStarted(5000));
        return *m_process;
    }

    void stop() {
        if (m_process && m_process->state() != QProcess::NotRunning) {
            m_process->kill();
            m_process->waitForFinished(3000);
        }
    }

    [[nodiscard]] bool running() const { return m_process && m_process->state() == QProcess::Running; }
    [[nodiscard]] qint64 pid() const { return m_process ? m_process->processId() : 0; }

    // What the program wrote, for a failure's message.
    [[nodiscard]] std::string output() const {
        QFile f(path(QStringLiteral("output.txt")));
        return f.open(QIODevice::ReadOnly) ? f.readAll().right(2000).toStdString() : std::string();
    }

private:
    QTemporaryDir m_folder;
    bool m_ready = false;
    std::unique_ptr<QProcess> m_process;
};
