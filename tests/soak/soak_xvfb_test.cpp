// The real program left running against a service that misbehaves in every way it can: the data
// servers, the configuration host and keep-alive, the news and the live link cycle through empty,
// garbage, error-page, late, dropped and trickling answers while the market runs thirty times faster
// than the clock and the clock jumps across the day start and midnight. Afterwards the program must
// be alive and answering, show the market again, hold no box the user was not meant to see, have
// kept its memory, and have logged only lines of its own kinds. Run under xvfb-run and
// tools/withwm.sh (label "soak"); BRELTO_SOAK_SECONDS sets the length of the faulty part.
#include "common/textcodec.h"
#include "platform/gbk.h"
#include "simservice/simservice.h"
#include "tests/support/childprogram.h"
#include "tests/support/resident.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QRegularExpression>
#include <QScreen>

#include <gtest/gtest.h>

#include <cstdio>

namespace {

// Lines the program writes to its log, after the date and version: nothing else may appear.
const char* const kLogLines[] = {
    R"(连接[23]号服务器\.\.\.)",
    R"(错误：初始化连接全部失败\.)",
    R"(0: Loadserver\.)",
    R"(Change Server to:\S*)",
    R"(Change User Server to:.*,\d+)",
    R"(USER SOCK ERR:.*)",
    R"(-?\d+:.*>LoadData>>\d+)",
    R"(-?\d+:.*>LoadALLData)",
    R"(-?\d+:.*>>LoadNews)",
    R"(-?\d+:.*:Login>>.*)",
    R"(-?\d+:.* GetCon\.)",
    R"(加载失败:\S*)",
    R"(加载资讯失败\.>>LoadNews)",
    R"(资讯有\d+条格式不对,已略过\.>>LoadNews)",
    R"(RefreshK>>.*)",
};

QStringList foreignLogLines(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    static const QRegularExpression head(QStringLiteral(R"(^\d{4}-\d{1,2}-\d{1,2} \d{1,2}:\d{2}:\d{2} \[3\.6\](.*)$)"));
    QList<QRegularExpression> known;
    for (const char* k : kLogLines)
        known << QRegularExpression(u'^' + QString::fromUtf8(k) + u'$');
    QStringList foreign;
    for (const QString& line : platform::fromGbk(f.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts)) {
        const auto m = head.match(line);
        bool ok = m.hasMatch();
        if (ok) {
            ok = false;
            for (const QRegularExpression& k : known)
                ok = ok || k.match(m.captured(1)).hasMatch();
        }
        if (!ok)
            foreign << line;
    }
    return foreign;
}

// Windows of the program that may be on the screen at the end: the main window, the mini window,
// the tray icon (untitled), and the notices the service may post at any time.
bool expectedWindow(const QString& name) {
    static const QStringList names = {QStringLiteral("Quillor"), QStringLiteral("系统公告"), QStringLiteral("温馨提示"),
                                      QStringLiteral("Quillor重要播报提醒")};
    if (name.isEmpty())
        return true;
    for (const QString& n : names)
        if (name.startsWith(n))
            return true;
    return false;
}

// One copy of the program on the desktop: a member, whose quotes come over the live link, or a
// plain user, who polls the data servers every six seconds.
struct ProgramRun {
    const char* who;
    ChildProgram program{QStringLiteral(BRELTO_APP_PATH)};
    qint64 pid = 0; // the first run; a second start hands over to it
    QString main;
    long warm = 0;
    QStringList before;

    QStringList shownWindowNames() const {
        QStringList names;
        for (const QString& w : desktop::shownWindows(pid, QStringLiteral(".*")))
            names << desktop::windowName(w);
        return names;
    }
    bool alive() const { return pid > 0 && QFile::exists(QStringLiteral("/proc/%1").arg(pid)); }
};

class Soak : public ::testing::Test {
protected:
    void SetUp() override {
        if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr ||
            QGuiApplication::platformName() != u"xcb")
            GTEST_SKIP() << "needs an X display with a window manager: run under xvfb-run and tools/withwm.sh";
        ASSERT_TRUE(member.program.ready() && user.program.ready());
        clock.start();
        SimService::Options options;
        options.httpPort = 0;
        options.faultDelayMs = 21000; // just past the program's 20-second time-out
        options.trickleByteMs = 150;
        options.pushMinMs = 500;
        options.pushMaxMs = 1500;
        options.now = [this] { return marketBase.addMSecs((clock.elapsed() - marketSince) * speed); };
        service = std::make_unique<SimService>(options);
        ASSERT_TRUE(service->start());
    }

    // The market clock jumps to `to` and runs on from there.
    void setMarket(const QDateTime& to, int newSpeed = 30) {
        marketBase = to;
        marketSince = clock.elapsed();
        speed = newSpeed;
    }

    // Starts the run logged in with the account remembered; its main window.
    void start(ProgramRun& run, const QString& userName, const QString& password) {
        const QList<std::pair<QString, QString>> settings = {
            {QStringLiteral("autologin"), QStringLiteral("1")},
            {QStringLiteral("username"), userName},
            {QStringLiteral("userpass"), EncodeText(password)},
            {QStringLiteral("mini"), QStringLiteral("0")},
        };
        EXPECT_TRUE(run.program.writeSettings(settings));
        const QString host = QStringLiteral("127.0.0.1:%1").arg(service->httpPort());
        run.program.start({host, host, host});
        run.pid = run.program.pid();
        (void)QTest::qWaitFor(
            [&] {
                for (const QString& w : desktop::windowsOf(run.pid))
                    if (desktop::windowName(w).startsWith(QStringLiteral("Quillor V")))
                        run.main = w;
                return !run.main.isEmpty() || !run.program.running();
            },
            60000);
    }

    int snapshotRequests() const { return service->requestLog().filter(QStringLiteral("m=now-price")).size(); }

    static QImage board(const ProgramRun& run) {
        desktop::tool(QStringLiteral("xdotool"), {QStringLiteral("windowactivate"), QStringLiteral("--sync"), run.main});
        QTest::qWait(500);
        const QRect r = desktop::placement(run.main).client;
        // The quote board's names, prices and changes: below the toolbar and the tabs, left of
        // where a notice box stands, away from the clocks and the ticker.
        return QGuiApplication::primaryScreen()->grabWindow(0).toImage().copy(r.x(), r.y() + 90, 460, 420);
    }

    ProgramRun member{"member"};
    ProgramRun user{"user"};
    std::unique_ptr<SimService> service;
    QElapsedTimer clock;
    QDateTime marketBase{QDate(2026, 12, 9), QTime(10, 0), Qt::UTC};
    qint64 marketSince = 0;
    int speed = 30;
};

TEST_F(Soak, SurvivesEveryFaultOfTheServiceAndComesBackToTheMarket) {
    start(member, QStringLiteral("vip"), QStringLiteral("vip888"));
    start(user, QStringLiteral("test"), QStringLiteral("quarmelo"));
    for (ProgramRun* run : {&member, &user})
        ASSERT_FALSE(run->main.isEmpty()) << run->who << ": no main window: " << run->program.output();
    // Start-up settles: the first snapshots, the web panes, the member's live link.
    ASSERT_TRUE(QTest::qWaitFor([&] { return snapshotRequests() >= 3; }, 60000))
        << "requests: " << service->requestLog().join(u' ').toStdString();
    QTest::qWait(15000);
    for (ProgramRun* run : {&member, &user}) {
        run->warm = residentKiB(run->pid);
        ASSERT_GT(run->warm, 0) << run->who;
        run->before = run->shownWindowNames();
    }

    using F = SimService::Fault;
    using E = SimService::Endpoint;
    const F faults[] = {F::Empty, F::Garbage, F::NotFound, F::Delay, F::Close, F::Trickle};
    const SimUserServer::Mode links[] = {SimUserServer::Mode::SplitBytes, SimUserServer::Mode::TwoFrames,
                                        SimUserServer::Mode::Silent, SimUserServer::Mode::Drop,
                                        SimUserServer::Mode::Down};
    const int seconds = qEnvironmentVariableIntValue("BRELTO_SOAK_SECONDS") > 0
                            ? qEnvironmentVariableIntValue("BRELTO_SOAK_SECONDS")
                            : 150;
    constexpr int kPhaseMs = 8000;
    const int polledBefore = snapshotRequests();
    QElapsedTimer soak;
    soak.start();
    int phase = 0;
    QStringList phases;
    while (soak.elapsed() < seconds * 1000LL && member.alive() && user.alive()) {
        service->clearFaults();
        const F f = faults[phase % std::size(faults)];
        // Alternately one data server and all three: the program fails over, or fails and waits.
        const QStringList servers = phase % 2 == 0
                                        ? QStringList{QStringLiteral("/data1"), QStringLiteral("/data2"),
                                                      QStringLiteral("/data3")}
                                        : QStringList{QStringLiteral("/data%1").arg(phase % 3 + 1)};
        for (const QString& s : servers)
            service->setFault(s, E::Any, f);
        service->setFault(QStringLiteral("/cons/config.txt"), E::Any, f);
        service->setFault(QStringLiteral("/soft/doing.asp"), E::Hello, f);
        service->setFault(QStringLiteral("/soft/news.asp"), E::Any, faults[(phase + 3) % std::size(faults)]);
        service->setUserMode(links[phase % std::size(links)]);
        // The clock crosses the day start and midnight, and back to trading hours.
        switch (phase % 4) {
        case 1:
            setMarket(QDateTime(QDate(2026, 12, 10), QTime(5, 59, 0), Qt::UTC));
            break;
        case 3:
            setMarket(QDateTime(QDate(2026, 12, 10), QTime(23, 59, 0), Qt::UTC));
            break;
        default:
            setMarket(QDateTime(QDate(2026, 12, 9), QTime(10, 0).addSecs(phase * 600), Qt::UTC));
            break;
        }
        phases << SimService::faultName(f);
        QTest::qWait(kPhaseMs);
        ++phase;
    }
    for (ProgramRun* run : {&member, &user})
        ASSERT_TRUE(run->alive()) << run->who << " ended during the faults: " << run->program.output();
    const int polledDuringFaults = snapshotRequests() - polledBefore;
    EXPECT_GE(polledDuringFaults, seconds / 12) << "the data servers' faults were hardly met";

    // The service well again, the market at one moment: the boards come back to it and stand.
    service->clearFaults();
    service->setUserMode(SimUserServer::Mode::Normal);
    setMarket(QDateTime(QDate(2026, 12, 10), QTime(10, 30), Qt::UTC), 0);
    QTest::qWait(25000);
    QDir gallery(QStringLiteral(BRELTO_GALLERY_DIR));
    const bool keepPictures = gallery.mkpath(QStringLiteral("soak"));
    for (ProgramRun* run : {&member, &user}) {
        const QImage boardBefore = board(*run);
        QTest::qWait(8000);
        const QImage boardAfter = board(*run);
        EXPECT_EQ(boardBefore, boardAfter) << run->who << ": the board changed while the market stood still";
        if (keepPictures)
            QGuiApplication::primaryScreen()->grabWindow(0).toImage().save(
                gallery.filePath(QStringLiteral("soak/after-%1.png").arg(QLatin1String(run->who))));
    }

    for (ProgramRun* run : {&member, &user}) {
        // Alive and answering: a second start hands over to it, and it comes to the front again.
        ASSERT_TRUE(run->alive()) << run->who;
        desktop::tool(QStringLiteral("xdotool"), {QStringLiteral("windowminimize"), QStringLiteral("--sync"), run->main});
        QProcess& second = run->program.start({QStringLiteral("127.0.0.1:9")});
        EXPECT_TRUE(endsWithin(second, 30000)) << run->who << ": the second start did not hand over";
        EXPECT_TRUE(QTest::qWaitFor([&] { return desktop::placement(run->main).viewable; }, 15000))
            << run->who << ": the running program did not answer the second start";

        const long end = residentKiB(run->pid);
        QStringList unexpected;
        for (const QString& n : run->shownWindowNames())
            if (!run->before.contains(n) && !expectedWindow(n))
                unexpected << n;
        EXPECT_TRUE(unexpected.isEmpty()) << run->who << ": boxes left open: " << unexpected.join(u'|').toStdString();
        EXPECT_LT(end, run->warm * 11 / 10) << run->who << ": memory grew from " << run->warm << " to " << end << " KiB";
        const QString log = run->program.path(QStringLiteral("log.txt"));
        const QStringList foreign = foreignLogLines(log);
        EXPECT_TRUE(foreign.isEmpty()) << run->who << ": " << foreign.mid(0, 5).join(u'\n').toStdString();
        QFile f(log);
        const qsizetype lines = f.open(QIODevice::ReadOnly) ? f.readAll().count("\r\n") : 0;
        std::printf("soak %s: memory %ld -> %ld KiB (%+.1f%%); log %lld lines\n", run->who, run->warm, end,
                    100.0 * (end - run->warm) / run->warm, static_cast<long long>(lines));
    }
    std::printf("soak: %d phases in %lld s (%s); snapshot requests %d, %d of them during the faults\n", phase,
                static_cast<long long>(soak.elapsed() / 1000), phases.join(u',').toUtf8().constData(),
                snapshotRequests(), polledDuringFaults);
}

} // namespace
