// The real program left running against a service that misbehaves in every way it can: the data
// servers, the configuration host and keep-alive, the news and the live link cycle through empty,
// garbage, error-page, late, dropped and trickling answers while the market runs thirty times faster
// than the clock and the clock jumps across the day start and midnight. Afterwards the program must
// be alive and answering, show the market again, hold no box the user was not meant to see, have
// kept its memory, and have logged only lines of its own kinds. Run under xvfb-run and
// tools/withwm.sh (label "soak"); BRELTO_SOAK_SECONDS sets the length of the faulty part.
#include "common/textcodec.h"
#include "market/quoteboard.h"
#include "platform/fonts.h"
#include "platform/gbk.h"
#include "simservice/simservice.h"
#include "tests/support/childprogram.h"
#include "tests/support/resident.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QScreen>

#include <gtest/gtest.h>

#include <algorithm>
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

// The board's texts as it draws them: its face at 12 pixels, in a given colour on a given
// background, cut to the ink with two pixels of background around it (so a longer text standing
// in the same place does not match).
QFont boardFont() {
    platform::registerFontSubstitutions(); // "宋体" is the face the program maps it to
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(12);
    return font;
}

QImage textPicture(const QString& text, QRgb colour, QRgb background) {
    const QFontMetrics metrics(boardFont());
    QImage picture(metrics.horizontalAdvance(text) + 8, metrics.height() + 8, QImage::Format_RGB32);
    picture.fill(background);
    QPainter painter(&picture);
    painter.setFont(boardFont());
    painter.setPen(QColor(colour));
    painter.drawText(4, 4 + metrics.ascent(), text);
    painter.end();
    QRect inked;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            if (picture.pixel(x, y) != background)
                inked |= QRect(x, y, 1, 1);
    return picture.copy(inked.adjusted(-2, -2, 2, 2));
}

// The top-left corners of the places in `area` of the picture that hold `text` pixel for pixel,
// at most `most` of them.
QList<QPoint> findExactly(const QImage& picture, const QImage& text, const QRect& area, int most = 1) {
    QList<QPoint> found;
    const QRect places = area.intersected(picture.rect());
    for (int y = places.top(); y + text.height() <= places.bottom() + 1; ++y)
        for (int x = places.left(); x + text.width() <= places.right() + 1; ++x) {
            bool same = true;
            for (int v = 0; v < text.height() && same; ++v) {
                const auto* shown = reinterpret_cast<const QRgb*>(picture.constScanLine(y + v)) + x;
                const auto* drawn = reinterpret_cast<const QRgb*>(text.constScanLine(v));
                for (int u = 0; u < text.width() && same; ++u)
                    same = (shown[u] & 0xFFFFFF) == (drawn[u] & 0xFFFFFF);
            }
            if (same) {
                found << QPoint(x, y);
                if (found.size() >= most)
                    return found;
            }
        }
    return found;
}

// Where a text of unknown colour stands: drawn black on white, each pixel of its box must be
// background (no ink within a pixel of it), ink (covered more than half) or may be either (the
// glyphs' faint edges, which another colour on another background draws otherwise). Enough to
// find a row's name; a price is compared pixel for pixel.
QList<QPoint> findShape(const QImage& picture, const QString& text, const QRect& area, int most) {
    const QImage drawn = textPicture(text, qRgb(0, 0, 0), qRgb(255, 255, 255));
    const auto inked = [&drawn](int x, int y) {
        return drawn.rect().contains(x, y) && drawn.pixel(x, y) != qRgb(255, 255, 255);
    };
    enum Kind : uint8_t { Background, Ink, Either };
    std::vector<Kind> kind;
    for (int y = 0; y < drawn.height(); ++y)
        for (int x = 0; x < drawn.width(); ++x) {
            bool near = false;
            for (int v = -1; v <= 1; ++v)
                for (int u = -1; u <= 1; ++u)
                    near = near || inked(x + u, y + v);
            kind.push_back(!near ? Background : qGray(drawn.pixel(x, y)) < 128 ? Ink : Either);
        }
    QList<QPoint> found;
    const QRect places = area.intersected(picture.rect());
    for (int y = places.top(); y + drawn.height() <= places.bottom() + 1; ++y)
        for (int x = places.left(); x + drawn.width() <= places.right() + 1; ++x) {
            const QRgb background = picture.pixel(x, y); // the box's corner is background
            bool stands = true;
            for (int v = 0; v < drawn.height() && stands; ++v) {
                const auto* shown = reinterpret_cast<const QRgb*>(picture.constScanLine(y + v)) + x;
                for (int u = 0; u < drawn.width() && stands; ++u) {
                    const Kind k = kind[static_cast<size_t>(v * drawn.width() + u)];
                    stands = k == Either || (k == Ink) == (shown[u] != background);
                }
            }
            if (stands) {
                found << QPoint(x, y);
                if (found.size() >= most)
                    return found;
            }
        }
    return found;
}

// The rows of a snapshot answer (after the transport code): name and price text of each.
QList<std::pair<QString, QString>> snapshotRows(const QString& answer) {
    QList<std::pair<QString, QString>> rows;
    const QStringList parts = answer.split(u'|', Qt::SkipEmptyParts);
    for (qsizetype i = 1; i < parts.size(); ++i) {
        const QStringList fields = parts[i].split(u',');
        if (fields.size() >= 2)
            rows.append({fields[0], fields[1]});
    }
    return rows;
}

QRgb oleColour(uint32_t c) { return qRgb(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

// Compares the board in the picture with the snapshot: every row whose name is on the picture
// must show the snapshot's price on the same line, right of the name, in the colour of a rise or
// of a fall, exactly as the board draws it. A name may also stand at the end of a longer one
// ("黄金T+D" in "迷你黄金T+D"): one of its places must be its row. The rows found, and what is
// wrong.
std::pair<int, QStringList> compareBoard(const QImage& board, const QString& snapshot) {
    const QImage picture = board.convertToFormat(QImage::Format_RGB32);
    int found = 0;
    QStringList wrong;
    for (const auto& [name, price] : snapshotRows(snapshot)) {
        const QList<QPoint> places = findShape(picture, name, picture.rect(), 4);
        if (places.isEmpty())
            continue; // below the part of the board in the picture
        ++found;
        const bool shown = std::any_of(places.begin(), places.end(), [&](const QPoint& at) {
            const QRgb background = picture.pixel(at);
            const QRect line(at.x() + 20, at.y() - 4, picture.width(), 28);
            for (const uint32_t colour : {kRiseColour, kFallColour})
                if (!findExactly(picture, textPicture(price, oleColour(colour), background), line).isEmpty())
                    return true;
            return false;
        });
        if (!shown)
            wrong << name + QStringLiteral(" does not show ") + price;
    }
    return {found, wrong};
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
    explicit ProgramRun(const char* name) : who(name) {}
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

    // The service well again, the market at one moment: the boards come back to its snapshot and
    // stand.
    service->clearFaults();
    service->setUserMode(SimUserServer::Mode::Normal);
    setMarket(QDateTime(QDate(2026, 12, 10), QTime(10, 30), Qt::UTC), 0);
    QTest::qWait(25000);
    const QString lastSnapshot = service->market().snapshotText(service->now());
    const qsizetype snapshotRowCount = snapshotRows(lastSnapshot).size();
    ASSERT_GT(snapshotRowCount, 0) << lastSnapshot.toStdString();
    QDir gallery(QStringLiteral(BRELTO_GALLERY_DIR));
    const bool keepPictures = gallery.mkpath(QStringLiteral("soak"));
    for (ProgramRun* run : {&member, &user}) {
        const QImage boardBefore = board(*run);
        QTest::qWait(8000);
        const QImage boardAfter = board(*run);
        EXPECT_EQ(boardBefore, boardAfter) << run->who << ": the board changed while the market stood still";
        // The picture holds every row of the service's board (20 pixels each).
        const auto [rows, wrong] = compareBoard(boardAfter, lastSnapshot);
        EXPECT_EQ(rows, snapshotRowCount) << run->who << ": rows of the board are not on the screen";
        EXPECT_TRUE(wrong.isEmpty()) << run->who << ": the board is not the service's last snapshot: "
                                     << wrong.join(QStringLiteral("; ")).toStdString();
        // A board left at an earlier snapshot (an hour before) would not pass.
        const QString earlier = service->market().snapshotText(service->now().addSecs(-3600));
        EXPECT_FALSE(compareBoard(boardAfter, earlier).second.isEmpty()) << run->who << ": the comparison tells no snapshot from another";
        std::printf("soak %s: board shows the last snapshot's price in %d of %d rows on the picture (%lld rows)\n",
                    run->who, rows - static_cast<int>(wrong.size()), rows, static_cast<long long>(snapshotRowCount));
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
