#include "tests/simservice/servicefixture.h"

#include "platform/eventwait.h"
#include "platform/gbk.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QProcess>
#include <QTcpSocket>

#include <gtest/gtest.h>

#include <functional>
#include <optional>

using namespace simtest;

namespace {

const QString kClientId = QStringLiteral("00E04C6A1B2C");
constexpr int kVipId = 1001;
const QString kTable = QStringLiteral("QWERTYUPASDFGHJKLZXCVBqwertyupasdfghjkzxcvbn98765432");

bool waitUntil(const std::function<bool()>& done, int ms = 3000) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms) return false;
        platform::pauseMs(2);
    }
    return true;
}

// The client's framing: the payload's length in decimal, "|" and the payload.
QByteArray framed(const QByteArray& payload) {
    return QByteArray::number(payload.size()) + '|' + payload;
}

QByteArray loginRecord(const QString& version, const QString& clientId, int userId) {
    return framed(EncodeText(version + QStringLiteral("||") + clientId + QStringLiteral("||") +
                             QString::number(userId) + QStringLiteral("||") + EncodeText(clientId))
                      .toLatin1());
}

// The end of the server message that starts at `from`, when the whole of it has arrived: its
// decimal length, "|" and that many bytes.
std::optional<qsizetype> frameEnd(const QByteArray& in, qsizetype from = 0) {
    const qsizetype bar = in.indexOf('|', from);
    if (bar <= from) return std::nullopt;
    bool ok = false;
    const qsizetype n = in.mid(from, bar - from).toLongLong(&ok);
    if (!ok || in.size() < bar + 1 + n) return std::nullopt;
    return bar + 1 + n;
}

QByteArray pushOf(const QString& snapshot) {
    return platform::toGbk(QStringLiteral("<A") + snapshot + QStringLiteral("/A>"));
}

// A member's end of the link as raw bytes: every read is kept as it came.
class RawLink {
public:
    explicit RawLink(quint16 port) {
        QObject::connect(&socket, &QTcpSocket::readyRead, [this] {
            reads << socket.readAll();
            readTimes << clock.elapsed();
        });
        clock.start();
        socket.connectToHost(QHostAddress(QHostAddress::LocalHost), port);
    }

    QByteArray received(qsizetype fromRead = 0) const { return reads.mid(fromRead).join(); }
    void send(const QByteArray& bytes) {
        socket.write(bytes);
        socket.flush();
    }
    bool connected() const { return socket.state() == QAbstractSocket::ConnectedState; }
    bool waitForClose(int ms = 3000) {
        return waitUntil([this] { return socket.state() == QAbstractSocket::UnconnectedState; },
                         ms);
    }

    // Greeting, login record and the answer to the challenge. `answer` is what the server said to
    // the login record: the challenge, or a refusal.
    struct Steps {
        QByteArray greeting;
        QByteArray answer;
        QByteArray acceptance;
    };
    Steps linkUp(const QString& clientId = kClientId, int userId = kVipId) {
        Steps st;
        if (!waitUntil([&] { return frameEnd(received()).has_value(); })) return st;
        const QByteArray all = received();
        st.greeting = all.left(*frameEnd(all));
        send(loginRecord(QStringLiteral("3.6"), clientId, userId));
        const qsizetype at = st.greeting.size();
        if (!waitUntil([&] { return frameEnd(received(), at).has_value(); })) return st;
        st.answer = received().mid(at, *frameEnd(received(), at) - at);
        const QByteArray text = st.answer.mid(st.answer.indexOf('|') + 1);
        if (text == "A" || text == "B") return st;
        send(framed(DecodeText(QString::fromLatin1(text)).toLatin1()));
        const qsizetype after = at + st.answer.size();
        waitUntil([&] {
            const QByteArray rest = received().mid(after);
            return rest.endsWith("/A>") || rest == "2|OK";
        });
        st.acceptance = received().mid(after);
        mark = reads.size();
        return st;
    }

    QTcpSocket socket;
    QList<QByteArray> reads;
    QList<qint64> readTimes;
    QElapsedTimer clock;
    qsizetype mark = 0; // the first read after the acceptance
};

class UserServerTest : public SimServiceTest {
protected:
    // A service at a fixed moment with pushes every `pushMs`.
    SimService& startWith(int pushMs, std::function<void(SimService::Options&)> adjust = {}) {
        SimService::Options o;
        o.httpPort = 0;
        o.seed = 7;
        o.pushMinMs = pushMs;
        o.pushMaxMs = pushMs;
        o.now = [] { return kWednesday; };
        if (adjust) adjust(o);
        return start(o);
    }
    static SimUserServer::LinkRecord lastRecord(const SimService& s) {
        const QList<SimUserServer::LinkRecord> records = s.userServer(s.userPort())->records();
        return records.isEmpty() ? SimUserServer::LinkRecord{} : records.last();
    }
};

// The whole exchange as the wire carries it, for both forms of acceptance.
TEST_F(UserServerTest, HandshakeIsTheFramedExchangeOfTheLiveLink) {
    const struct {
        const char* name;
        SimUserServer::Acceptance acceptance;
        bool snapshotWithAcceptance;
    } cases[] = {{"dash with the first push", SimUserServer::Acceptance::DashWithPush, true},
                 {"framed OK", SimUserServer::Acceptance::FramedOk, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SimService& s = startWith(60000);
        s.setUserAcceptance(c.acceptance);
        RawLink link(s.userPort());
        const RawLink::Steps st = link.linkUp();

        // The greeting is one framed message; its text is not read by the client.
        ASSERT_FALSE(st.greeting.isEmpty());
        EXPECT_EQ(frameEnd(st.greeting), st.greeting.size());

        // The challenge: a framed text in the transport code, two table characters per byte.
        const qsizetype bar = st.answer.indexOf('|');
        ASSERT_GT(bar, 0) << st.answer.toStdString();
        const QString code = QString::fromLatin1(st.answer.mid(bar + 1));
        EXPECT_EQ(st.answer.left(bar).toInt(), code.size());
        EXPECT_EQ(code.size() % 2, 0);
        EXPECT_TRUE(std::all_of(code.begin(), code.end(), [](QChar ch) {
            return kTable.contains(ch);
        })) << code.toStdString();
        EXPECT_FALSE(DecodeText(code).isEmpty());

        if (c.snapshotWithAcceptance) {
            // "-" and the snapshot the data servers serve at the same moment, in one message.
            EXPECT_EQ(st.acceptance, '-' + pushOf(snapshot(s)));
        } else {
            EXPECT_EQ(st.acceptance, QByteArray("2|OK"));
        }
        EXPECT_TRUE(link.connected());

        const SimUserServer::LinkRecord r = lastRecord(s);
        EXPECT_EQ(r.version, QStringLiteral("3.6"));
        EXPECT_EQ(r.clientId, kClientId);
        EXPECT_EQ(r.userId, kVipId);
        EXPECT_EQ(r.outcome, '+');
        EXPECT_EQ(s.userServer(s.userPort())->linkCount(), 1);
    }
}

// A refusal is the framed letter alone; the server leaves the closing to the client, whose own
// close is what keeps it from linking again.
TEST_F(UserServerTest, RefusalsAAndB) {
    const struct {
        const char* name;
        int userId;
        std::optional<SimUserServer::Mode> mode;
        int linkedBefore; // links of other machines already up
        bool sameMachineLinked;
        char refusal;
    } cases[] = {
        {"account refused with A", 1004, std::nullopt, 0, false, 'A'},
        {"account refused with B", 1005, std::nullopt, 0, false, 'B'},
        {"server refusing with A", kVipId, SimUserServer::Mode::RefuseA, 0, false, 'A'},
        {"server refusing with B", kVipId, SimUserServer::Mode::RefuseB, 0, false, 'B'},
        {"machine already linked", kVipId, std::nullopt, 0, true, 'A'},
        {"too many links from the address", kVipId, std::nullopt, 2, false, 'B'},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SimService& s = startWith(60000, [](SimService::Options& o) { o.maxLinksPerAddress = 2; });
        std::vector<std::unique_ptr<RawLink>> others;
        for (int i = 0; i < c.linkedBefore; ++i) {
            others.push_back(std::make_unique<RawLink>(s.userPort()));
            ASSERT_FALSE(
                others.back()->linkUp(QStringLiteral("OTHER%1").arg(i)).acceptance.isEmpty());
        }
        if (c.sameMachineLinked) {
            others.push_back(std::make_unique<RawLink>(s.userPort()));
            ASSERT_FALSE(others.back()->linkUp().acceptance.isEmpty());
        }
        if (c.mode) s.setUserMode(*c.mode);

        RawLink link(s.userPort());
        const RawLink::Steps st = link.linkUp(kClientId, c.userId);
        EXPECT_EQ(st.answer, QByteArray("1|") + c.refusal);
        platform::pauseMs(300);
        EXPECT_EQ(link.received(), st.greeting + st.answer) << "nothing follows a refusal";
        EXPECT_TRUE(link.connected());
        EXPECT_EQ(lastRecord(s).outcome, c.refusal);
    }
}

// Once the machine's first link has gone, the same machine links again.
TEST_F(UserServerTest, MachineLinksAgainOnceItsFormerLinkIsClosed) {
    SimService& s = startWith(60000);
    auto first = std::make_unique<RawLink>(s.userPort());
    ASSERT_FALSE(first->linkUp().acceptance.isEmpty());
    first.reset();
    ASSERT_TRUE(waitUntil([&] { return s.userServer(s.userPort())->connectionCount() == 0; }));
    RawLink again(s.userPort());
    EXPECT_FALSE(again.linkUp().acceptance.isEmpty());
    EXPECT_EQ(lastRecord(s).outcome, '+');
}

// Records a client could not have made, and traffic that is no framing at all, cost the sender
// its connection and nothing else.
TEST_F(UserServerTest, UnreadableLoginRecordsDropTheConnection) {
    auto record = [](const QString& plain) { return framed(EncodeText(plain).toLatin1()); };
    const QString cid = kClientId;
    const struct {
        const char* name;
        QByteArray bytes;
        bool recorded; // the frame was whole, so its content was judged
    } cases[] = {
        {"not in the transport code", framed("3.6||X||1001||Y"), true},
        {"three fields", record(QStringLiteral("3.6||") + cid + QStringLiteral("||1001")), true},
        {"client id that does not repeat",
         record(QStringLiteral("3.6||") + cid + QStringLiteral("||1001||") +
                EncodeText(QStringLiteral("OTHER"))),
         true},
        {"user id that is no number",
         record(QStringLiteral("3.6||") + cid + QStringLiteral("||abc||") + EncodeText(cid)), true},
        {"no length", QByteArray("abc|def"), false},
        {"empty length", QByteArray("|def"), false},
        {"seven-digit length", QByteArray("1234567|x"), false},
        {"more than a client ever sends", QByteArray("999999|") + QByteArray(70000, 'Q'), false},
    };
    SimService& s = startWith(60000);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const qsizetype recordsBefore = s.userServer(s.userPort())->records().size();
        RawLink link(s.userPort());
        ASSERT_TRUE(waitUntil([&] { return frameEnd(link.received()).has_value(); }));
        link.send(c.bytes);
        EXPECT_TRUE(link.waitForClose());
        const QList<SimUserServer::LinkRecord> records = s.userServer(s.userPort())->records();
        EXPECT_EQ(records.size(), recordsBefore + (c.recorded ? 1 : 0));
        if (c.recorded) {
            EXPECT_EQ(records.last().outcome, '?');
        }
    }
    RawLink good(s.userPort());
    EXPECT_FALSE(good.linkUp().acceptance.isEmpty());
}

TEST_F(UserServerTest, WrongChallengeReplyIsAnsweredNoAndClosed) {
    SimService& s = startWith(60000);
    RawLink link(s.userPort());
    ASSERT_TRUE(waitUntil([&] { return frameEnd(link.received()).has_value(); }));
    const qsizetype at = link.received().size();
    link.send(loginRecord(QStringLiteral("3.6"), kClientId, kVipId));
    ASSERT_TRUE(waitUntil([&] { return frameEnd(link.received(), at).has_value(); }));
    const qsizetype after = *frameEnd(link.received(), at);
    link.send(framed("NOTTHECHALLENGE"));
    EXPECT_TRUE(link.waitForClose());
    EXPECT_EQ(link.received().mid(after), QByteArray("2|NO"));
    EXPECT_EQ(lastRecord(s).outcome, 'X');
    EXPECT_EQ(lastRecord(s).pushes, 0);
}

// Each push is a message of its own, one to three seconds after the one before.
TEST_F(UserServerTest, PushesComeOneToThreeSecondsApartAsSeparateMessages) {
    SimService::Options o;
    o.httpPort = 0;
    o.now = [] { return kWednesday; };
    SimService& s = start(o);
    RawLink link(s.userPort());
    ASSERT_FALSE(link.linkUp().acceptance.isEmpty());
    const QByteArray push = pushOf(snapshot(s));
    const qint64 linkedAt = link.readTimes.last();
    ASSERT_TRUE(waitUntil([&] { return link.reads.size() >= link.mark + 4; }, 15000));
    qint64 previous = linkedAt;
    for (qsizetype i = link.mark; i < link.mark + 4; ++i) {
        SCOPED_TRACE(i - link.mark);
        EXPECT_EQ(link.reads[i], push);
        // The pauses are drawn from one to three seconds; a read can come late on a busy machine,
        // which shortens the next gap as it lengthens this one, so each is held to half the
        // shortest pause and twice the longest.
        const qint64 gap = link.readTimes[i] - previous;
        EXPECT_GE(gap, 1000 / 2);
        EXPECT_LE(gap, 3000 * 2);
        previous = link.readTimes[i];
    }
    EXPECT_EQ(lastRecord(s).pushes, 1 + static_cast<int>(link.reads.size() - link.mark));
}

// Split at every byte: one byte per write, a Chinese name torn between reads, and a heartbeat
// answer queued behind the push that is trickling out, never inside it.
TEST_F(UserServerTest, SplitModeSendsEveryByteOnItsOwn) {
    SimService& s = startWith(300);
    RawLink link(s.userPort());
    ASSERT_FALSE(link.linkUp().acceptance.isEmpty());
    ASSERT_TRUE(s.setUserMode(SimUserServer::Mode::SplitBytes));
    const QByteArray push = pushOf(snapshot(s));
    ASSERT_TRUE(std::any_of(push.begin(), push.end(), [](char b) {
        return static_cast<unsigned char>(b) >= 0x81;
    })) << "the snapshot should carry Chinese names";
    ASSERT_TRUE(waitUntil([&] { return link.received(link.mark).size() >= 40; }));
    link.send("5|HI");
    const QByteArray expected = push + "2|HI";
    ASSERT_TRUE(
        waitUntil([&] { return link.received(link.mark).size() >= expected.size(); }, 10000));
    EXPECT_TRUE(link.received(link.mark).startsWith(expected));
    // Each byte is its own write; a busy reader may still find two queued at once, so the
    // check is that the message came in pieces of about a byte, not in one or a few reads.
    const qsizetype reads = link.reads.size() - link.mark;
    qsizetype singles = 0;
    for (qsizetype i = link.mark; i < link.reads.size(); ++i)
        singles += link.reads[i].size() == 1 ? 1 : 0;
    EXPECT_GE(reads, expected.size() / 2);
    EXPECT_GE(singles, reads / 2);
}

// Two snapshots in one write, the earlier first, each whole.
TEST_F(UserServerTest, TwoFramesModeWritesTwoPushesAtOnce) {
    SimService& s = startWith(200);
    RawLink link(s.userPort());
    ASSERT_FALSE(link.linkUp().acceptance.isEmpty());
    ASSERT_TRUE(s.setUserMode(SimUserServer::Mode::TwoFrames));
    platform::pauseMs(50);
    const qsizetype from = link.reads.size();
    ASSERT_TRUE(waitUntil([&] { return link.received(from).count("/A>") >= 2; }));
    const QByteArray read = link.reads[from];
    ASSERT_EQ(read.count("<A"), 2) << "both frames in one read";
    const qsizetype cut = read.indexOf("/A>") + 3;
    const QString first = platform::fromGbk(read.left(cut));
    const QByteArray second = read.mid(cut);
    EXPECT_EQ(second, pushOf(snapshot(s)));
    ASSERT_TRUE(first.startsWith(QStringLiteral("<A")) && first.endsWith(QStringLiteral("/A>")));
    const QStringList header = first.mid(2).section(u'|', 0, 0).split(u',');
    ASSERT_EQ(header.size(), 6);
    EXPECT_EQ(header[4], QStringLiteral("9:59:59"));
}

// Silence after the acceptance: no pushes, no heartbeat answer, the connection open; pushes come
// back on the same connection when the server recovers.
TEST_F(UserServerTest, SilentModeKeepsTheConnectionButSaysNothing) {
    SimService& s = startWith(100);
    RawLink link(s.userPort());
    ASSERT_FALSE(link.linkUp().acceptance.isEmpty());
    ASSERT_TRUE(s.setUserMode(SimUserServer::Mode::Silent));
    platform::pauseMs(50);
    const qsizetype from = link.reads.size();
    link.send("5|HI");
    platform::pauseMs(800);
    EXPECT_EQ(link.received(from), QByteArray());
    EXPECT_TRUE(link.connected());
    EXPECT_EQ(lastRecord(s).heartbeats, 1);

    ASSERT_TRUE(s.setUserMode(SimUserServer::Mode::Normal));
    EXPECT_TRUE(waitUntil([&] { return link.received(from).endsWith("/A>"); }, 2000));
}

// A dropped link: halfway through a push, or at once from the test.
TEST_F(UserServerTest, DroppedConnections) {
    {
        SCOPED_TRACE("drop mode");
        SimService& s = startWith(100);
        RawLink link(s.userPort());
        ASSERT_FALSE(link.linkUp().acceptance.isEmpty());
        platform::pauseMs(30);
        const qsizetype from = link.reads.size();
        ASSERT_TRUE(s.setUserMode(SimUserServer::Mode::Drop));
        ASSERT_TRUE(link.waitForClose());
        // Whole pushes may still have been on their way when the mode changed; the broken one
        // is the last thing the link carries.
        const QByteArray tail = link.received(from);
        const QByteArray push = pushOf(snapshot(s));
        const QByteArray half = push.left(push.size() / 2);
        ASSERT_TRUE(tail.endsWith(half)) << tail.right(40).toStdString();
        const QByteArray before = tail.chopped(half.size());
        EXPECT_EQ(before, push.repeated(before.size() / push.size()));
    }
    {
        SCOPED_TRACE("dropped from the test");
        SimService& s = startWith(60000);
        RawLink link(s.userPort());
        ASSERT_FALSE(link.linkUp().acceptance.isEmpty());
        const qsizetype from = link.reads.size();
        ASSERT_TRUE(s.dropUserLinks());
        EXPECT_TRUE(link.waitForClose());
        EXPECT_EQ(link.received(from), QByteArray());
        RawLink again(s.userPort());
        EXPECT_FALSE(again.linkUp().acceptance.isEmpty()) << "the server itself stays up";
    }
}

TEST_F(UserServerTest, DownModeStopsListeningUntilTheServerIsBack) {
    SimService& s = startWith(60000);
    const quint16 port = s.userPort();
    RawLink linked(port);
    ASSERT_FALSE(linked.linkUp().acceptance.isEmpty());
    ASSERT_TRUE(s.setUserMode(SimUserServer::Mode::Down));
    EXPECT_TRUE(linked.waitForClose());
    {
        RawLink refused(port);
        EXPECT_TRUE(waitUntil(
            [&] { return refused.socket.error() == QAbstractSocket::ConnectionRefusedError; }));
    }
    ASSERT_TRUE(s.setUserMode(SimUserServer::Mode::Normal));
    EXPECT_EQ(s.userPort(), port);
    RawLink back(port);
    EXPECT_FALSE(back.linkUp().acceptance.isEmpty());
}

// "5|HI" is answered whole however it arrives; before the link is up it is not a heartbeat.
TEST_F(UserServerTest, HeartbeatIsAnswered) {
    const struct {
        const char* name;
        QList<QByteArray> writes;
        int beats;
    } cases[] = {
        {"one write", {"5|HI"}, 1},
        {"split over two writes", {"5|", "HI"}, 1},
        {"byte by byte", {"5", "|", "H", "I"}, 1},
        {"two in one write", {"5|HI5|HI"}, 2},
    };
    SimService& s = startWith(60000);
    RawLink link(s.userPort());
    ASSERT_TRUE(waitUntil([&] { return frameEnd(link.received()).has_value(); }));
    link.send("5|HI");
    platform::pauseMs(200);
    EXPECT_EQ(link.received(), link.received().left(*frameEnd(link.received())))
        << "no answer before the link is up";
    // The greeting has been read already: the link-up goes on by hand.
    const qsizetype at = link.received().size();
    link.send(loginRecord(QStringLiteral("3.6"), kClientId, kVipId));
    ASSERT_TRUE(waitUntil([&] { return frameEnd(link.received(), at).has_value(); }));
    const QByteArray challenge = link.received().mid(at + link.received().mid(at).indexOf('|') + 1);
    link.send(framed(DecodeText(QString::fromLatin1(challenge)).toLatin1()));
    ASSERT_TRUE(waitUntil([&] { return link.received().endsWith("/A>"); }));

    int total = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const qsizetype from = link.reads.size();
        for (const QByteArray& w : c.writes) {
            link.send(w);
            platform::pauseMs(20);
        }
        const QByteArray expected = QByteArray("2|HI").repeated(c.beats);
        EXPECT_TRUE(waitUntil([&] { return link.received(from).size() >= expected.size(); }, 1000));
        platform::pauseMs(50);
        EXPECT_EQ(link.received(from), expected);
        total += c.beats;
        EXPECT_EQ(lastRecord(s).heartbeats, total);
    }
    EXPECT_TRUE(link.connected());
}

// The configuration's user list names every list server, the fall-back is a server of its own,
// and a mode can be set for one server alone.
TEST_F(UserServerTest, SeveralUserServersForTheClientsRotation) {
    SimService& s = startWith(60000, [](SimService::Options& o) { o.userPorts = {0, 0}; });
    const QList<quint16> list = s.userPorts();
    ASSERT_EQ(list.size(), 2);
    const quint16 fallback = s.userPort();
    EXPECT_NE(list[0], list[1]);
    EXPECT_FALSE(list.contains(fallback));
    const QString cfg = config(s);
    EXPECT_EQ(lookup(cfg, QStringLiteral("user")),
              QStringLiteral("127.0.0.1:%1,127.0.0.1:%2").arg(list[0]).arg(list[1]));
    EXPECT_EQ(lookup(cfg, QStringLiteral("userserver")), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(lookup(cfg, QStringLiteral("userport")), QString::number(fallback));

    ASSERT_TRUE(s.setUserMode(SimUserServer::Mode::Down, list[0]));
    EXPECT_FALSE(s.setUserMode(SimUserServer::Mode::Down, 1)) << "no server on that port";
    {
        RawLink refused(list[0]);
        EXPECT_TRUE(waitUntil(
            [&] { return refused.socket.error() == QAbstractSocket::ConnectionRefusedError; }));
    }
    for (const quint16 port : {list[1], fallback}) {
        SCOPED_TRACE(port);
        RawLink link(port);
        EXPECT_FALSE(link.linkUp().acceptance.isEmpty());
    }
    EXPECT_EQ(s.userServer(list[0])->mode(), SimUserServer::Mode::Down);
    EXPECT_EQ(s.userServer(list[1])->mode(), SimUserServer::Mode::Normal);
}

// "/sim/user" switches the modes while the service runs.
TEST_F(UserServerTest, AdminPathSwitchesUserServers) {
    SimService& s = startWith(60000, [](SimService::Options& o) { o.userPorts = {0, 0}; });
    const QList<quint16> list = s.userPorts();
    const QString first = QString::number(list[0]);
    using M = SimUserServer::Mode;
    const struct {
        QString query;
        QString answerStart; // the first line, or the refusal
        M first, second, fallback;
    } steps[] = {
        {QStringLiteral("?mode=split&port=") + first,
         QStringLiteral("127.0.0.1:%1 (user 1) mode split accept dash links 0").arg(list[0]),
         M::SplitBytes, M::Normal, M::Normal},
        {QStringLiteral("?mode=silent"),
         QStringLiteral("127.0.0.1:%1 (user 1) mode silent").arg(list[0]), M::Silent, M::Silent,
         M::Silent},
        {QStringLiteral("?mode=sideways"), QStringLiteral("unknown mode"), M::Silent, M::Silent,
         M::Silent},
        {QStringLiteral("?mode=none&port=1"), QStringLiteral("port must be"), M::Silent, M::Silent,
         M::Silent},
        {QStringLiteral("?mode=none&accept=ok"),
         QStringLiteral("127.0.0.1:%1 (user 1) mode none accept ok").arg(list[0]), M::Normal,
         M::Normal, M::Normal},
        {QStringLiteral("?accept=maybe"), QStringLiteral("accept must be"), M::Normal, M::Normal,
         M::Normal},
        {QStringLiteral("?mode=refuseb&port=") + QString::number(s.userPort()),
         QStringLiteral("127.0.0.1:%1 (user 1) mode none").arg(list[0]), M::Normal, M::Normal,
         M::RefuseB},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.query.toStdString());
        const QString answer = get(s.baseUrl() + QStringLiteral("sim/user") + step.query);
        EXPECT_TRUE(answer.startsWith(step.answerStart)) << answer.toStdString();
        EXPECT_EQ(s.userServer(list[0])->mode(), step.first);
        EXPECT_EQ(s.userServer(list[1])->mode(), step.second);
        EXPECT_EQ(s.userServer(s.userPort())->mode(), step.fallback);
    }
    EXPECT_EQ(s.userServer(list[1])->acceptance(), SimUserServer::Acceptance::FramedOk);
    EXPECT_TRUE(
        get(s.baseUrl() + QStringLiteral("sim/user"))
            .contains(QStringLiteral("127.0.0.1:%1 (userport) mode refuseb").arg(s.userPort())));

    RawLink link(list[1]);
    ASSERT_EQ(link.linkUp().acceptance, QByteArray("2|OK"));
    const QString listing =
        get(s.baseUrl() + QStringLiteral("sim/user?drop=1&port=") + QString::number(list[1]));
    EXPECT_TRUE(listing.contains(
        QStringLiteral("login v3.6 client %1 user %2 -> +").arg(kClientId).arg(kVipId)))
        << listing.toStdString();
    EXPECT_TRUE(link.waitForClose());
}

// The real executable serves the list it is given and says where; a list it cannot read stops it.
TEST_F(UserServerTest, CommandLineListsSeveralUserServers) {
    const struct {
        const char* ports;
        int servers; // -1: refused
    } cases[] = {{"0,0", 2}, {"0", 1}, {"0,x", -1}, {"70000", -1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ports);
        QProcess service;
        service.start(QStringLiteral(BRELTO_SIMSERVICE_EXE),
                      {QStringLiteral("--http-port"), QStringLiteral("0"),
                       QStringLiteral("--user-port"), QStringLiteral("0"),
                       QStringLiteral("--user-ports"), QLatin1String(c.ports)});
        ASSERT_TRUE(service.waitForStarted(5000));
        if (c.servers < 0) {
            ASSERT_TRUE(service.waitForFinished(5000));
            EXPECT_EQ(service.exitCode(), 2);
            continue;
        }
        QList<quint16> listed;
        quint16 fallback = 0;
        const QString listPrefix = QStringLiteral("user server: 127.0.0.1:");
        const QString fallbackPrefix =
            QStringLiteral("user server (userserver, userport): 127.0.0.1:");
        for (int tries = 0; tries < 50 && fallback == 0; ++tries) {
            service.waitForReadyRead(100);
            while (service.canReadLine()) {
                const QString line = QString::fromUtf8(service.readLine()).trimmed();
                if (line.startsWith(listPrefix)) listed << line.mid(listPrefix.size()).toUShort();
                if (line.startsWith(fallbackPrefix))
                    fallback = line.mid(fallbackPrefix.size()).toUShort();
            }
        }
        ASSERT_EQ(listed.size(), c.servers);
        ASSERT_NE(fallback, 0);
        for (const quint16 port : listed + QList<quint16>{fallback}) {
            SCOPED_TRACE(port);
            RawLink link(port);
            EXPECT_FALSE(link.linkUp().acceptance.isEmpty());
        }
        service.terminate();
        ASSERT_TRUE(service.waitForFinished(5000));
        EXPECT_EQ(service.exitCode(), 0);
    }
}

} // namespace
