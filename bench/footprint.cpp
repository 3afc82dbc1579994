// The program's footprint beside two bare Qt programs, measured the way a user meets it: the real
// executable on an X display with a window manager, against the simulated service, logged in as
// the demo account through its login window, then left idle on tab 1. Run by hand through
// bench/footprint.sh; it prints figures and ratios, it does not pass or fail.
#include "simservice/simnews.h"
#include "simservice/simservice.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <functional>

#include <cstdio>
#include <memory>
#include <optional>

#include <unistd.h>

namespace {

constexpr int kPatienceMs = 60000;

// Keeps the event loop (and so the service in this process) going for `ms`.
void serve(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Runs a desktop tool while the service keeps answering; its standard output.
QString tool(const QString& program, const QStringList& args) {
    QProcess p;
    QEventLoop loop;
    QObject::connect(&p, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&p, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    p.start(program, args);
    loop.exec();
    if (p.state() != QProcess::NotRunning) {
        p.kill();
        p.waitForFinished(1000);
    }
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

QStringList shownWindows(qint64 pid, const QString& title) {
    return tool(QStringLiteral("xdotool"),
                {QStringLiteral("search"), QStringLiteral("--all"), QStringLiteral("--onlyvisible"),
                 QStringLiteral("--pid"), QString::number(pid), QStringLiteral("--name"), title})
        .split(u'\n', Qt::SkipEmptyParts);
}

// Polls until `ready` holds or the patience is spent; whether it held.
template <typename F>
bool waitFor(F ready, int ms = kPatienceMs) {
    QElapsedTimer t;
    t.start();
    while (!ready()) {
        if (t.elapsed() > ms)
            return false;
        serve(10);
    }
    return true;
}

// What /proc tells of one process.
struct ProcessFigures {
    qint64 rssKiB = 0;
    qint64 pssKiB = 0;
    qint64 cpuTicks = 0; // user + system
};

QByteArray readProc(qint64 pid, const char* name) {
    QFile f(QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1String(name)));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

qint64 kiBField(const QByteArray& text, const QByteArray& key) {
    for (const QByteArray& line : text.split('\n'))
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').value(0).toLongLong();
    return 0;
}

// The fields of /proc/PID/stat after the command name, which may hold blanks and parentheses.
QList<QByteArray> statFields(qint64 pid) {
    const QByteArray stat = readProc(pid, "stat");
    const qsizetype close = stat.lastIndexOf(')');
    return close < 0 ? QList<QByteArray>() : stat.mid(close + 2).split(' ');
}

std::optional<ProcessFigures> figuresOf(qint64 pid) {
    const QList<QByteArray> f = statFields(pid);
    if (f.size() < 13)
        return std::nullopt;
    ProcessFigures p;
    p.cpuTicks = f[11].toLongLong() + f[12].toLongLong(); // utime, stime
    p.rssKiB = kiBField(readProc(pid, "status"), "VmRSS:");
    p.pssKiB = kiBField(readProc(pid, "smaps_rollup"), "Pss:");
    return p;
}

// The process and all its descendants (the web engine's helpers among them).
QList<qint64> processTree(qint64 root) {
    QHash<qint64, QList<qint64>> children;
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool numeric = false;
        const qint64 pid = entry.toLongLong(&numeric);
        if (!numeric)
            continue;
        const QList<QByteArray> f = statFields(pid);
        if (f.size() > 1)
            children[f[1].toLongLong()].append(pid);
    }
    QList<qint64> tree{root};
    for (qsizetype i = 0; i < tree.size(); ++i)
        tree += children.value(tree[i]);
    return tree;
}

struct TreeFigures {
    qint64 rssKiB = 0;
    qint64 pssKiB = 0;
    int processes = 0;
    QHash<qint64, qint64> ticks; // per process
};

TreeFigures treeFigures(qint64 root) {
    TreeFigures t;
    for (const qint64 pid : processTree(root))
        if (const auto p = figuresOf(pid)) {
            t.rssKiB += p->rssKiB;
            t.pssKiB += p->pssKiB;
            ++t.processes;
            t.ticks.insert(pid, p->cpuTicks);
        }
    return t;
}

// CPU time between two samples of a tree; a process new in the second counts whole.
qint64 ticksBetween(const TreeFigures& before, const TreeFigures& after) {
    qint64 sum = 0;
    for (auto it = after.ticks.cbegin(); it != after.ticks.cend(); ++it)
        sum += it.value() - before.ticks.value(it.key(), 0);
    return sum;
}

// One measured program.
struct Subject {
    std::unique_ptr<QProcess> process;
    qint64 startToWindowMs = -1;
    qint64 loginToQuoteMs = -1;
    TreeFigures idleStart;
    TreeFigures idleEnd;
    double cpuPercent = 0;
};

QProcessEnvironment programEnvironment(const QString& folder) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    if (!folder.isEmpty()) {
        env.insert(QStringLiteral("TMPDIR"), folder + QStringLiteral("/tmp"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), folder + QStringLiteral("/run"));
    }
    // Chromium refuses its sandbox to root; the bench runs as the tests do.
    if (geteuid() == 0)
        env.insert(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"), QStringLiteral("1"));
    return env;
}

// Starts `executable` and waits for its first shown window titled `title`: the window's id.
QString startAndTimeWindow(Subject& s, const QString& executable, const QStringList& args,
                           const QProcessEnvironment& env, const QString& workDir, const QString& title) {
    s.process = std::make_unique<QProcess>();
    s.process->setProcessEnvironment(env);
    if (!workDir.isEmpty())
        s.process->setWorkingDirectory(workDir);
    s.process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    s.process->setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer clock;
    clock.start();
    s.process->start(executable, args);
    if (!s.process->waitForStarted(10000)) {
        std::fprintf(stderr, "%s did not start\n", qPrintable(executable));
        return {};
    }
    QString window;
    waitFor([&] {
        const QStringList shown = shownWindows(s.process->processId(), title);
        if (!shown.isEmpty())
            window = shown.first();
        return !window.isEmpty() || s.process->state() == QProcess::NotRunning;
    });
    if (!window.isEmpty())
        s.startToWindowMs = clock.elapsed();
    return window;
}

void stopProcess(QProcess* p) {
    if (p == nullptr || p->state() == QProcess::NotRunning)
        return;
    p->terminate();
    if (!p->waitForFinished(5000)) {
        p->kill();
        p->waitForFinished(3000);
    }
}

// The program's own folder, as a user has it: the executable and the web engine's module beside
// it, an empty settings file but for the tab to come back to, and temporary and runtime folders of
// its own so that its single-instance channel meets no other copy.
bool prepareProgramFolder(const QTemporaryDir& folder, const QString& executable) {
    const QDir dir(folder.path());
    const QString module = QStringLiteral("brelto-webengine.so");
    QFile settings(dir.filePath(QStringLiteral("set.ini")));
    return folder.isValid() && QFile::copy(executable, dir.filePath(QStringLiteral("brelto"))) &&
           QFile::copy(QFileInfo(executable).dir().filePath(module), dir.filePath(module)) &&
           dir.mkpath(QStringLiteral("tmp")) && dir.mkpath(QStringLiteral("run")) &&
           QFile::setPermissions(dir.filePath(QStringLiteral("run")),
                                 QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner) &&
           settings.open(QIODevice::WriteOnly) && settings.write("[Main Set]\r\ntab=1\r\n") > 0;
}

QString configValue(const QString& config, const QString& key) {
    for (const QString& line : config.split(QStringLiteral("\r\n")))
        if (line.startsWith(key + u'='))
            return line.mid(key.size() + 1);
    return {};
}

double mib(qint64 kib) { return kib / 1024.0; }

// The largest resident mappings of a process, by file (or kind of anonymous memory).
void printLargestMappings(qint64 pid, int count) {
    QHash<QString, qint64> byName;
    QString name;
    for (const QByteArray& line : readProc(pid, "smaps").split('\n')) {
        if (line.isEmpty())
            continue;
        if (!line.endsWith(" kB") && (QChar::fromLatin1(line.at(0)).isDigit() || (line.at(0) >= 'a' && line.at(0) <= 'f'))) {
            const QList<QByteArray> f = line.simplified().split(' ');
            name = f.size() > 5 ? QString::fromUtf8(f.mid(5).join(' ')) : QStringLiteral("[anonymous]");
        } else if (line.startsWith("Rss:")) {
            byName[name] += kiBField(line, "Rss:");
        }
    }
    QList<std::pair<qint64, QString>> sorted;
    for (auto it = byName.cbegin(); it != byName.cend(); ++it)
        sorted.append({it.value(), it.key()});
    std::sort(sorted.begin(), sorted.end(), std::greater<>());
    for (const auto& [kib, file] : sorted.mid(0, count))
        std::printf("      %7.1f MB  %s\n", mib(kib), qPrintable(file));
}

QString ratio(double a, double b) {
    return b > 0 && a >= 0 ? QString::number(a / b, 'f', 2) + u'x' : QStringLiteral("-");
}

void printRun(const QString& title, const Subject& program, const Subject& label, const Subject& web,
              bool advert, bool ticker, int idleSeconds) {
    std::printf("\n== %s ==\n", qPrintable(title));
    std::printf("%-34s %12s %12s %12s %10s %10s\n", "", "brelto", "bare label", "bare web", "/label",
                "/web");
    const auto row = [&](const char* what, double p, double l, double w, const char* format) {
        const QString pt = p < 0 ? QStringLiteral("-") : QString::asprintf(format, p);
        const QString lt = l < 0 ? QStringLiteral("-") : QString::asprintf(format, l);
        const QString wt = w < 0 ? QStringLiteral("-") : QString::asprintf(format, w);
        std::printf("%-34s %12s %12s %12s %10s %10s\n", what, qPrintable(pt), qPrintable(lt), qPrintable(wt),
                    qPrintable(ratio(p, l)), qPrintable(ratio(p, w)));
    };
    row("resident memory, all processes MB", mib(program.idleEnd.rssKiB), mib(label.idleEnd.rssKiB),
        mib(web.idleEnd.rssKiB), "%.1f");
    row("proportional (PSS) MB", mib(program.idleEnd.pssKiB), mib(label.idleEnd.pssKiB),
        mib(web.idleEnd.pssKiB), "%.1f");
    row("processes", program.idleEnd.processes, label.idleEnd.processes, web.idleEnd.processes, "%.0f");
    const QString cpuLine = QStringLiteral("CPU idle over %1 s, % of a core").arg(idleSeconds);
    row(qPrintable(cpuLine), program.cpuPercent, label.cpuPercent, web.cpuPercent, "%.2f");
    row("start -> first window ms", static_cast<double>(program.startToWindowMs),
        static_cast<double>(label.startToWindowMs), static_cast<double>(web.startToWindowMs), "%.0f");
    row("login click -> first quote ms", static_cast<double>(program.loginToQuoteMs), -1, -1, "%.0f");
    std::printf("targets: memory %s (%s), idle CPU %.2f%% (%s), start %s of the bare label (<= 3x)\n",
                qPrintable(advert ? ratio(program.idleEnd.rssKiB, web.idleEnd.rssKiB)
                                  : ratio(program.idleEnd.rssKiB, label.idleEnd.rssKiB)),
                advert ? "<= 1.2x the bare web view" : "<= 2.5x the bare label", program.cpuPercent,
                ticker ? "<= 1.5% with the news ticker running" : "<= 0.5% with the ticker stopped",
                qPrintable(ratio(program.startToWindowMs, label.startToWindowMs)));
    std::fflush(stdout);
}

// Starts the program in a folder of its own against the service and logs in with the demo
// account's button as a user clicks it; false when it does not come up to its first quote.
bool startLoggedIn(SimService& service, const QString& executable, const QTemporaryDir& folder, Subject& program) {
    const QString host = QStringLiteral("127.0.0.1:%1").arg(service.httpPort());
    if (!prepareProgramFolder(folder, executable)) {
        std::fprintf(stderr, "cannot prepare a program folder\n");
        return false;
    }
    QProcessEnvironment env = programEnvironment(folder.path());
    env.insert(QStringLiteral("BRELTO_CONFIG_HOSTS"), QStringList{host, host, host}.join(u';'));
    const QString login = startAndTimeWindow(program, QDir(folder.path()).filePath(QStringLiteral("brelto")),
                                             {}, env, folder.path(), QStringLiteral("^Quillor V"));
    if (login.isEmpty()) {
        std::fprintf(stderr, "no login window came up\n");
        return false;
    }
    // The demo account's button, "游客登录", as a user clicks it.
    serve(500);
    const qsizetype requestsBefore = service.requestLog().size();
    tool(QStringLiteral("xdotool"), {QStringLiteral("windowactivate"), QStringLiteral("--sync"), login});
    QElapsedTimer sinceClick;
    sinceClick.start();
    tool(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QStringLiteral("--window"), login,
                                     QStringLiteral("226"), QStringLiteral("212"), QStringLiteral("click"),
                                     QStringLiteral("1")});
    // The first quote is on the board once the main window is shown and a snapshot has been
    // answered since the click (the board fills from the answer in the same turn of the loop).
    const qint64 pid = program.process->processId();
    const bool quoted = waitFor([&] {
        const QStringList requests = service.requestLog().mid(requestsBefore);
        const bool snapshot =
            std::any_of(requests.cbegin(), requests.cend(),
                        [](const QString& r) { return r.contains(QStringLiteral("m=now-price")); });
        if (!snapshot)
            return false;
        const QStringList shown = shownWindows(pid, QStringLiteral("^Quillor V"));
        return std::any_of(shown.cbegin(), shown.cend(), [&](const QString& w) { return w != login; });
    });
    if (!quoted) {
        std::fprintf(stderr, "no first quote after the login click\n");
        return false;
    }
    program.loginToQuoteMs = sinceClick.elapsed();
    return true;
}

struct Paths {
    QString program, label, web, scroller;
};

// One run: the three programs started in turn, then left idle together.
// A command run on the program while it idles ("{pid}" stands for its process id), such as
// perf record or strace, for finding what it does; its figures are then no longer clean.
QString g_probe;

// Without a ticker the news feed answers "not found", so the ticker never starts.
bool measure(SimService& service, const Paths& paths, bool advert, bool ticker, int idleSeconds) {
    service.setBottomAdvert(advert);
    service.clearFaults();
    if (!ticker)
        service.setFault(QStringLiteral("/soft/news.asp"), SimService::Endpoint::Any, SimService::Fault::NotFound);
    QString advertPage = configValue(service.configText(), QStringLiteral("botturl"));
    if (advertPage.isEmpty()) { // the bare web view shows the same page in both runs
        service.setBottomAdvert(true);
        advertPage = configValue(service.configText(), QStringLiteral("botturl"));
        service.setBottomAdvert(false);
    }

    Subject label;
    Subject web;
    Subject program;
    const QProcessEnvironment bareEnv = programEnvironment({});

    if (startAndTimeWindow(label, paths.label, {}, bareEnv, {}, QStringLiteral("^bare label$")).isEmpty())
        return false;
    if (startAndTimeWindow(web, paths.web, {advertPage}, bareEnv, {}, QStringLiteral("^bare web view$"))
            .isEmpty())
        return false;

    QTemporaryDir folder;
    if (!startLoggedIn(service, paths.program, folder, program))
        return false;
    const qint64 pid = program.process->processId();

    // Settle: the first histories, the charts and any web page come in.
    serve(5000);
    for (Subject* s : {&program, &label, &web})
        s->idleStart = treeFigures(s->process->processId());
    QProcess probe;
    if (!g_probe.isEmpty()) {
        probe.setProcessChannelMode(QProcess::ForwardedChannels);
        probe.start(QStringLiteral("bash"),
                    {QStringLiteral("-c"), QString(g_probe).replace(QStringLiteral("{pid}"), QString::number(pid))});
    }
    serve(idleSeconds * 1000);
    if (!g_probe.isEmpty())
        waitFor([&] { return probe.state() == QProcess::NotRunning; });
    const double tickSeconds = static_cast<double>(sysconf(_SC_CLK_TCK));
    for (Subject* s : {&program, &label, &web}) {
        s->idleEnd = treeFigures(s->process->processId());
        s->cpuPercent = 100.0 * ticksBetween(s->idleStart, s->idleEnd) / tickSeconds / idleSeconds;
    }

    // Where the program's memory is, process by process.
    std::printf("\nbrelto's processes (%s%s):\n", advert ? "advert page" : "no advert page",
                ticker ? "" : ", ticker stopped");
    for (const qint64 p : processTree(pid)) {
        const QByteArray name = readProc(p, "comm").trimmed();
        if (const auto f = figuresOf(p))
            std::printf("  %7lld %-20s RSS %7.1f MB  PSS %7.1f MB\n", static_cast<long long>(p), name.constData(),
                        mib(f->rssKiB), mib(f->pssKiB));
    printLargestMappings(pid, 12);
    }
    printRun(advert   ? QStringLiteral("simulated configuration as it is (advert page)")
             : ticker ? QStringLiteral("no advert page configured")
                      : QStringLiteral("no advert page configured, news feed failing: ticker stopped"),
             program, label, web, advert, ticker, idleSeconds);
    for (Subject* s : {&program, &web, &label})
        stopProcess(s->process.get());
    return true;
}

// The news ticker beside a bare program that scrolls one label of the same text at the same
// speed, idle together: the ticker's titles as the service has them, or with its newest news title
// `longTitle` characters long. The ticker's cost should follow the scroller's, however long the
// text.
bool measureTicker(SimService& service, const Paths& paths, int longTitle, int idleSeconds) {
    service.setBottomAdvert(false);
    service.clearFaults();
    service.setLongNewsTitle(longTitle);
    QTemporaryDir folder;
    if (!folder.isValid())
        return false;
    // The scroller's text: the news titles of the feed, as the ticker's strip carries them.
    QStringList titles;
    const QString feed = SimNews::feedText(service.now(), longTitle);
    for (const QString& item : feed.section(QStringLiteral("///"), 1, 1).split(u'|', Qt::SkipEmptyParts))
        titles << item.section(u',', 0, 0);
    const QString textFile = QDir(folder.path()).filePath(QStringLiteral("ticker.txt"));
    QFile text(textFile);
    if (!text.open(QIODevice::WriteOnly) || text.write(titles.mid(std::max<qsizetype>(titles.size() - 25, 0))
                                                           .join(QStringLiteral("    "))
                                                           .toUtf8()) < 0)
        return false;
    text.close();

    Subject scroller;
    Subject program;
    if (startAndTimeWindow(scroller, paths.scroller, {textFile}, programEnvironment({}), {},
                           QStringLiteral("^bare scroller$"))
            .isEmpty())
        return false;
    QTemporaryDir programFolder;
    if (!startLoggedIn(service, paths.program, programFolder, program))
        return false;
    serve(5000);
    for (Subject* s : {&program, &scroller})
        s->idleStart = treeFigures(s->process->processId());
    serve(idleSeconds * 1000);
    const double tickSeconds = static_cast<double>(sysconf(_SC_CLK_TCK));
    for (Subject* s : {&program, &scroller}) {
        s->idleEnd = treeFigures(s->process->processId());
        s->cpuPercent = 100.0 * ticksBetween(s->idleStart, s->idleEnd) / tickSeconds / idleSeconds;
    }
    std::printf("\n== news ticker, %s ==\n", longTitle > 0 ? qPrintable(QStringLiteral("newest news title %1 characters").arg(longTitle))
                                                           : "titles as the service has them");
    std::printf("scroller text %lld characters\n", static_cast<long long>(titles.join(QStringLiteral("    ")).size()));
    std::printf("%-34s %12s %12s %10s\n", "", "brelto", "bare scroll", "ratio");
    std::printf("%-34s %12.2f %12.2f %10s\n", qPrintable(QStringLiteral("CPU idle over %1 s, % of a core").arg(idleSeconds)),
                program.cpuPercent, scroller.cpuPercent, qPrintable(ratio(program.cpuPercent, scroller.cpuPercent)));
    std::fflush(stdout);
    service.setLongNewsTitle(0);
    for (Subject* s : {&program, &scroller})
        stopProcess(s->process.get());
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::fprintf(stderr, "needs an X display with a window manager: run bench/footprint.sh\n");
        return 2;
    }
    int idleSeconds = 60;
    const QStringList args = QCoreApplication::arguments();
    if (const qsizetype i = args.indexOf(QStringLiteral("--idle-seconds")); i > 0 && i + 1 < args.size())
        idleSeconds = qMax(1, args.at(i + 1).toInt());
    if (const qsizetype i = args.indexOf(QStringLiteral("--probe")); i > 0 && i + 1 < args.size())
        g_probe = args.at(i + 1);
    const bool onlyWithoutAdvert = args.contains(QStringLiteral("--no-advert-only"));
    const bool onlyTicker = args.contains(QStringLiteral("--ticker-only"));
    const QString here = QCoreApplication::applicationDirPath();
    const Paths paths{QStringLiteral(BRELTO_APP_PATH), here + QStringLiteral("/bare_label"),
                      here + QStringLiteral("/bare_webview"), here + QStringLiteral("/bare_scroller")};

    SimService::Options options;
    options.httpPort = 0;
    SimService service(options);
    if (!service.start()) {
        std::fprintf(stderr, "the simulated service cannot start\n");
        return 1;
    }
    bool ok = true;
    if (!onlyTicker) {
        if (!onlyWithoutAdvert)
            ok = measure(service, paths, true, true, idleSeconds) && ok;
        ok = measure(service, paths, false, true, idleSeconds) && ok;
        ok = measure(service, paths, false, false, idleSeconds) && ok;
    }
    ok = measureTicker(service, paths, 0, idleSeconds) && ok;
    ok = measureTicker(service, paths, 100000, idleSeconds) && ok;
    return ok ? 0 : 1;
}
