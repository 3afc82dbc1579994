// The live link's protocol on bytes fed directly: frames, handshake, refusals, heartbeat, relink
// and the rotation of the user servers.
#include "shell/livelink.h"

#include "common/appinfo.h"
#include "common/config.h"
#include "common/textcodec.h"
#include "platform/clock.h"
#include "platform/eventwait.h"
#include "platform/gbk.h"
#include "platform/vbtext.h"
#include "state/configstate.h"
#include "state/livelink.h"
#include "state/session.h"
#include "tests/support/programfolder.h"
#include "tests/support/qtprint.h"

#include <QFile>

#include <gtest/gtest.h>

#include <chrono>
#include <vector>

namespace {

QByteArray gbk(const QString& s) { return platform::toGbk(s); }

// A snapshot in the data server's format, at a given slot, with a Chinese name.
QString snapshot(int slot, const QString& price = QStringLiteral("3.42")) {
    return QStringLiteral("0,7.1,3,2026-12-9,10:00:00,%1|白银延期,%2,3.40,3.50,3.30,tdby,0.05|")
        .arg(slot)
        .arg(price);
}
QByteArray pushFrame(const QString& text) { return "<A" + gbk(text) + "/A>"; }

} // namespace

TEST(PushFrames, TakenOutOfTheByteStream) {
    const QString a = snapshot(300, QStringLiteral("1.11"));
    const QString b = snapshot(300, QStringLiteral("2.22"));
    struct Case {
        const char* what;
        std::vector<QByteArray> reads;
        // Frames complete after each read, joined by "#".
        std::vector<QString> after;
    };
    const QByteArray fa = pushFrame(a);
    const QByteArray fb = pushFrame(b);
    std::vector<QByteArray> everyByte;
    std::vector<QString> nothingTillLast;
    for (qsizetype i = 0; i < fa.size(); ++i) {
        everyByte.push_back(fa.mid(i, 1));
        nothingTillLast.push_back(i + 1 == fa.size() ? a : QString());
    }
    // "白" is two bytes in GBK: cut it between its lead and trail byte.
    const qsizetype cut = fa.indexOf(gbk(QStringLiteral("白"))) + 1;
    const Case cases[] = {
        {"one frame", {fa}, {a}},
        {"two frames in one read", {fa + fb}, {a + u'#' + b}},
        {"split at every byte", everyByte, nothingTillLast},
        {"a Chinese name cut between reads", {fa.left(cut), fa.mid(cut)}, {QString(), a}},
        {"noise around frames is dropped", {"3|OK" + fa + "HI", "xx" + fb}, {a, b}},
        {"a frame that lost its end gives way to the next", {"<A0,broken", fa}, {QString(), a}},
        {"a marker cut after its '<'", {fa + "<", fb.mid(1)}, {a, b}},
        {"an end with no start is noise", {"1,2,3/A>"}, {QString()}},
    };
    for (const Case& c : cases) {
        PushFrameReader reader;
        ASSERT_EQ(c.reads.size(), c.after.size());
        for (size_t i = 0; i < c.reads.size(); ++i)
            EXPECT_EQ(reader.take(c.reads[i]).join(u'#'), c.after[i]) << c.what << ", read " << i;
        EXPECT_FALSE(reader.inFrame()) << c.what;
    }
}

TEST(PushFrames, AFrameNeverEndingDoesNotGrowWithoutEnd) {
    PushFrameReader reader;
    EXPECT_TRUE(reader.take("<A").isEmpty());
    EXPECT_TRUE(reader.inFrame());
    const QByteArray junk(64 * 1024, 'x');
    for (int i = 0; i < 8 && reader.inFrame(); ++i)
        EXPECT_TRUE(reader.take(junk).isEmpty());
    EXPECT_FALSE(reader.inFrame());
    EXPECT_EQ(reader.take(pushFrame(QStringLiteral("a,b"))), QStringList{QStringLiteral("a,b")});
}

TEST(PushFrames, CutAnywhereTheSameFramesComeOut) {
    // Streams whose markers sit where a resumed read must look back: a '<' or '/' ending a read,
    // markers inside a frame, an empty frame, an end marker cut in two.
    const QByteArray streams[] = {
        "<A1,2/A>",
        "<A/A><A3,4/A>",
        "x<<A<A5,6//A/A>>",
        "<A7,8</A>/A>",
        "/A><A9,0/A/A>",
        "<A1,2/A<A3,4/A><",
        "<<<AAA/A>",
    };
    for (const QByteArray& stream : streams) {
        PushFrameReader whole;
        const QStringList expected = whole.take(stream);
        for (qsizetype cut = 1; cut < stream.size(); ++cut) {
            for (qsizetype second = cut; second <= stream.size(); ++second) {
                PushFrameReader reader;
                QStringList got = reader.take(stream.left(cut));
                got += reader.take(stream.mid(cut, second - cut));
                got += reader.take(stream.mid(second));
                EXPECT_EQ(got, expected) << stream.constData() << " cut at " << cut << " and " << second;
                EXPECT_EQ(reader.inFrame(), whole.inFrame()) << stream.constData();
            }
        }
    }
    // What a whole read gives, for the streams whose answer is not obvious.
    PushFrameReader r;
    EXPECT_EQ(r.take("<A/A><A3,4/A>"), (QStringList{QString(), QStringLiteral("3,4")}));
    EXPECT_EQ(r.take("x<<A<A5,6//A/A>>"), QStringList{QStringLiteral("5,6//A")});
    EXPECT_EQ(r.take("<A7,8</A>/A>"), QStringList{QStringLiteral("7,8<")});
}

TEST(PushFrames, AFramePastTheLimitIsDroppedHoweverTheNetworkCutIt) {
    const QByteArray huge = "<A" + QByteArray(300 * 1024, 'x') + "/A>";
    const QByteArray stream = huge + "<Aa,b/A>";
    for (const qsizetype read : {stream.size(), qsizetype(64 * 1024), qsizetype(4097), qsizetype(3)}) {
        PushFrameReader reader;
        QStringList frames;
        for (qsizetype at = 0; at < stream.size(); at += read)
            frames += reader.take(stream.mid(at, read));
        EXPECT_EQ(frames, QStringList{QStringLiteral("a,b")}) << "reads of " << read;
    }
}

TEST(LinkWire, MessagesAreLengthFramed) {
    EXPECT_EQ(framedMessage(QStringLiteral("HI")), QByteArray("2|HI"));
    EXPECT_EQ(framedMessage(QString()), QByteArray("0|"));
    EXPECT_EQ(QByteArray(kHeartbeat), QByteArray("5|HI"));

    ClientId = QStringLiteral("cid-7");
    UserId = 4242;
    const QString record = loginRecord();
    const QStringList fields = DecodeText(record).split(QStringLiteral("||"));
    ASSERT_EQ(fields.size(), 4) << record.toStdString();
    EXPECT_EQ(fields[0], platform::singleText(AppVer));
    EXPECT_EQ(fields[1], QStringLiteral("cid-7"));
    EXPECT_EQ(fields[2], QStringLiteral("4242"));
    EXPECT_EQ(DecodeText(fields[3]), QStringLiteral("cid-7"));
    ClientId.clear();
    UserId = 0;
}

TEST(LinkWire, SlotOfAPushWrapsRoundTheDay) {
    struct Case {
        int pushSlot;
        int current;
        bool current_;
    };
    const Case cases[] = {
        {300, 300, true}, {299, 300, true}, {301, 300, true}, {298, 300, false}, {302, 300, false},
        {719, 0, true},   {0, 719, true},   {718, 0, false},  {1, 719, false},   {0, 0, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(pushSlotIsCurrent(snapshot(c.pushSlot), c.current), c.current_)
            << c.pushSlot << " against " << c.current;
    EXPECT_FALSE(pushSlotIsCurrent(QStringLiteral("0,7.1,3,2026-12-9|a,1"), 0)) << "no slot field";
    // A slot field without a number reads as slot 0, as every number of the snapshot does.
    EXPECT_FALSE(pushSlotIsCurrent(QStringLiteral("0,7.1,3,d,t,x|a,1"), 300));
    EXPECT_TRUE(pushSlotIsCurrent(QStringLiteral("0,7.1,3,d,t,x|a,1"), 719));
}

TEST(LinkWire, PortsAreWholeNumbersUpTo65535) {
    struct Case {
        const char* text;
        std::optional<uint16_t> port;
    };
    const Case cases[] = {{"18632", 18632}, {"0", 0},          {"65535", 65535}, {"65536", std::nullopt},
                          {"-1", std::nullopt}, {"40000", 40000}, {"", 0},         {"abc", 0}};
    for (const Case& c : cases)
        EXPECT_EQ(userPortNumber(QString::fromLatin1(c.text)), c.port) << c.text;
}

namespace {

// A socket the test drives: it records what the link does and says what state it is in.
class ScriptedSocket : public LinkSocket {
public:
    bool connected = false;
    bool closed = true;
    std::vector<QString> connects; // "host:port"
    int closes = 0;
    QByteArray written;

    bool isConnected() const override { return connected; }
    bool isClosed() const override { return closed; }
    void connectToHost(const QString& host, uint16_t port) override {
        connects.push_back(host + u':' + QString::number(port));
        closed = false;
        connected = true; // the tests play the server from here on
    }
    void close() override {
        ++closes;
        connected = false;
        closed = true;
    }
    void write(const QByteArray& bytes) override { written += bytes; }
};

class Link : public ProgramFolderTest {
protected:
    void SetUp() override {
        ProgramFolderTest::SetUp();
        resetLinkState();
        IsVip = true;
        UseRealtime = true;
        ClientId = QStringLiteral("cid");
        UserId = 77;
        UserHostList = {QStringLiteral("h0"), QStringLiteral("h1"), QStringLiteral("h2")};
        UserPortList = {1000, 1001, 1002};
        UserServerIndex = 1;
        UserServerStart = 1;
        UserServerHost = QStringLiteral("h1");
        UserServerPort = 1001;
        ServerNow = platform::naiveDateTime(QDate(2026, 12, 9), QTime(10, 0));
        LiveLinkUi ui;
        ui.setStatus = [this](const QString& t) { status = t; };
        ui.setLiveBoxTicked = [this](bool t) { boxTicked = t; };
        ui.showRefusal = [this](const QString& text, const QString& title) {
            refusals.push_back(title + u'|' + text);
        };
        ui.applyPush = [this](const QString& s) {
            applied.push_back(s);
            PushData.clear(); // the quote run takes the push it parses
        };
        ui.currentSlot = [this] { return slot; };
        link = std::make_unique<LiveLink>(socket, ui);
    }
    void TearDown() override {
        link.reset();
        resetLinkState();
        IsVip = UseRealtime = false;
        ClientId.clear();
        UserId = 0;
        UserHostList.clear();
        UserPortList.clear();
        UserServerHost.clear();
        UserServerPort = 0;
        UserServerIndex = UserServerStart = 0;
        HeartbeatSeconds = 60;
        PushMode = 0;
        ServerConfig.clear();
        ProgramFolderTest::TearDown();
    }
    static void resetLinkState() {
        LinkState = 0;
        LinkReady = BeatPending = PushLost = false;
        HeartbeatTick = 0;
        MissedBeats = 0;
        PushData.clear();
        PushTime = {};
        RefreshCountdown = 0;
    }

    // Connects and plays the server through greeting, challenge and acceptance.
    void linkUp(const QByteArray& acceptance = "-") {
        link->LinkUser();
        link->Usersock_DataArrival("WELCOME");
        const QString challenge = EncodeText(QStringLiteral("token-5"));
        link->Usersock_DataArrival(QByteArray::number(challenge.size()) + '|' + challenge.toLatin1());
        link->Usersock_DataArrival(acceptance);
        socket.written.clear();
    }

    ScriptedSocket socket;
    std::unique_ptr<LiveLink> link;
    QString status;
    bool boxTicked = true;
    std::vector<QString> refusals;
    std::vector<QString> applied;
    int slot = 300;
};

} // namespace

TEST_F(Link, HandshakeBytesAndStates) {
    link->LinkUser();
    EXPECT_EQ(socket.connects, std::vector<QString>{QStringLiteral("h1:1001")});
    EXPECT_EQ(LinkState, 1);

    link->Usersock_DataArrival("any greeting at all");
    EXPECT_EQ(LinkState, 2);
    const qsizetype bar = socket.written.indexOf('|');
    ASSERT_GT(bar, 0);
    const QByteArray payload = socket.written.mid(bar + 1);
    EXPECT_EQ(socket.written.left(bar).toInt(), payload.size()) << "the length counts the payload";
    EXPECT_EQ(DecodeText(QString::fromLatin1(payload)).section(QStringLiteral("||"), 1, 2),
              QStringLiteral("cid||77"));

    // The challenge: its length says how much of it counts; the reply is its decoded text, framed.
    socket.written.clear();
    const QString challenge = EncodeText(QStringLiteral("nonce-42"));
    link->Usersock_DataArrival(QByteArray::number(challenge.size()) + '|' + challenge.toLatin1() + "tail");
    EXPECT_EQ(status, QStringLiteral("身份验证..."));
    EXPECT_EQ(socket.written, QByteArray("8|nonce-42"));
    EXPECT_EQ(LinkState, 3);

    // Acceptance with the first snapshot behind it.
    boxTicked = false;
    link->Usersock_DataArrival("-" + pushFrame(snapshot(300)));
    EXPECT_EQ(LinkState, 4);
    EXPECT_TRUE(LinkReady);
    EXPECT_FALSE(PushLost);
    EXPECT_TRUE(boxTicked);
    EXPECT_EQ(applied, std::vector<QString>{snapshot(300)});
    EXPECT_EQ(RefreshCountdown, 0);
    EXPECT_TRUE(refusals.empty());
}

TEST_F(Link, HandshakeAnswersCutAtEveryByte) {
    link->LinkUser();
    link->Usersock_DataArrival("W");
    socket.written.clear();
    const QString challenge = EncodeText(QStringLiteral("abc"));
    const QByteArray answer = QByteArray::number(challenge.size()) + '|' + challenge.toLatin1();
    for (const char c : answer)
        link->Usersock_DataArrival(QByteArray(1, c));
    EXPECT_EQ(socket.written, QByteArray("3|abc"));
    for (const char c : QByteArray("2|OK"))
        link->Usersock_DataArrival(QByteArray(1, c));
    EXPECT_TRUE(LinkReady) << "an acceptance cut into bytes is still one";
    EXPECT_EQ(LinkState, 4);
}

TEST_F(Link, AnAnswerThatIsNotAnAcceptanceLinksWithoutReadiness) {
    linkUp("1|X");
    EXPECT_EQ(LinkState, 4);
    EXPECT_FALSE(LinkReady);
}

TEST_F(Link, RefusalsAreShownOnceAndHoldTheLinkBack) {
    struct Case {
        QByteArray answer;
        const char16_t* refusal; // nullptr: a challenge
    };
    const Case cases[] = {
        {"1|A", u"已经登录|您的机器已经在服务器上登录了,不能重复登录."},
        {"1|B", u"已经登录|您的IP地址已经在服务器过多,不能再登录."},
        {"1|Ab", u"已经登录|您的机器已经在服务器上登录了,不能重复登录."},
        {"2|Ab", nullptr},
    };
    for (const Case& c : cases) {
        SetUp();
        refusals.clear();
        boxTicked = true;
        link->LinkUser();
        link->Usersock_DataArrival("hello");
        link->Usersock_DataArrival(c.answer);
        if (c.refusal == nullptr) {
            EXPECT_TRUE(refusals.empty()) << c.answer.constData();
            EXPECT_EQ(LinkState, 3) << c.answer.constData();
            continue;
        }
        ASSERT_EQ(refusals.size(), 1u) << c.answer.constData();
        EXPECT_EQ(refusals[0], QString::fromUtf16(c.refusal));
        EXPECT_EQ(LinkState, 2);
        EXPECT_FALSE(LinkReady);
        EXPECT_TRUE(socket.closed);
        EXPECT_FALSE(UseRealtime) << "the quotes are polled again";
        EXPECT_FALSE(boxTicked);

        // The paths that relink by themselves (stale quotes, link health, the watch) do not.
        const size_t connects = socket.connects.size();
        link->LinkUser();
        BeatPending = true;
        for (int tick = 0; tick < 12; ++tick)
            link->heartbeat();
        EXPECT_EQ(socket.connects.size(), connects) << c.answer.constData();
        EXPECT_EQ(refusals.size(), 1u);

        // Ticking the box again does.
        link->allowAfterRefusal();
        link->LinkUser();
        EXPECT_EQ(socket.connects.size(), connects + 1);
    }
}

TEST_F(Link, PushesAreAppliedOnlyWhenWantedAndCurrent) {
    linkUp();
    struct Case {
        const char* what;
        int pushMode;
        bool vip;
        bool useRealtime;
        QString push;
        bool applied;
        bool lost;
    };
    const Case cases[] = {
        {"member with the box ticked", 0, true, true, snapshot(300), true, false},
        {"one slot back", 0, true, true, snapshot(299), true, false},
        {"two slots away", 0, true, true, snapshot(302), false, false},
        {"box unticked", 0, true, false, snapshot(300), false, false},
        {"pushes only", 2, false, false, snapshot(300), true, false},
        {"no comma at all", 0, true, true, QStringLiteral("garbage|x"), false, true},
    };
    for (const Case& c : cases) {
        applied.clear();
        PushLost = false;
        PushMode = static_cast<int16_t>(c.pushMode);
        IsVip = c.vip;
        UseRealtime = c.useRealtime;
        RefreshCountdown = 3;
        ServerNow = ServerNow.addSecs(1);
        link->Usersock_DataArrival(pushFrame(c.push));
        EXPECT_EQ(applied.size(), c.applied ? 1u : 0u) << c.what;
        EXPECT_EQ(RefreshCountdown, c.applied ? 0 : 3) << c.what;
        EXPECT_EQ(PushLost, c.lost) << c.what;
        EXPECT_EQ(PushTime, ServerNow) << c.what;
        if (!c.applied) {
            EXPECT_EQ(PushData, c.push) << c.what << ": kept for the scheduler";
        }
    }
}

TEST_F(Link, SeveralPushesInOneReadApplyTheLastSplitOnesWaitForTheirEnd) {
    linkUp();
    const QString older = snapshot(300, QStringLiteral("1.00"));
    const QString newer = snapshot(300, QStringLiteral("2.00"));
    link->Usersock_DataArrival(pushFrame(older) + pushFrame(newer));
    EXPECT_EQ(applied, std::vector<QString>{newer});

    applied.clear();
    const QByteArray frame = pushFrame(older);
    for (qsizetype i = 0; i + 1 < frame.size(); ++i)
        link->Usersock_DataArrival(frame.mid(i, 1));
    EXPECT_TRUE(applied.empty());
    EXPECT_FALSE(PushLost) << "a frame under way is not a lost push";
    link->Usersock_DataArrival(frame.right(1));
    EXPECT_EQ(applied, std::vector<QString>{older});
}

TEST_F(Link, BytesArrivingWhileAPushIsAppliedFollowInOrder) {
    linkUp();
    std::vector<QString> order;
    const QString first = snapshot(300, QStringLiteral("1.00"));
    const QString second = snapshot(300, QStringLiteral("2.00"));
    bool fed = false;
    LiveLinkUi ui;
    ui.currentSlot = [] { return 300; };
    ui.applyPush = [&](const QString& s) {
        order.push_back(s);
        if (!fed) {
            fed = true; // as if the snapshot run waited on the network and the socket read again
            link->Usersock_DataArrival(pushFrame(second));
            EXPECT_EQ(order.size(), 1u) << "not applied inside the first";
        }
    };
    link = std::make_unique<LiveLink>(socket, ui);
    link->Usersock_DataArrival(pushFrame(first));
    EXPECT_EQ(order, (std::vector<QString>{first, second}));
}

TEST_F(Link, HeartbeatEveryPeriodAndRelinkAfterSilence) {
    HeartbeatSeconds = 60;
    linkUp();
    socket.connects.clear();
    for (int tick = 1; tick < 60; ++tick)
        link->heartbeat();
    EXPECT_TRUE(socket.written.isEmpty());
    link->heartbeat(); // the 60th tick
    EXPECT_EQ(socket.written, QByteArray("5|HI"));
    EXPECT_TRUE(BeatPending);
    EXPECT_EQ(MissedBeats, 1) << "the sending tick counts";

    // An answer in time keeps the link.
    link->Usersock_DataArrival("HI");
    for (int tick = 0; tick < 4; ++tick)
        link->heartbeat();
    EXPECT_TRUE(socket.connects.empty());
    EXPECT_TRUE(LinkReady);

    // Silence: the link is rebuilt at the fifth tick without a message, on the next server.
    link->heartbeat();
    EXPECT_FALSE(LinkReady);
    EXPECT_TRUE(PushLost);
    EXPECT_FALSE(BeatPending);
    EXPECT_EQ(socket.connects, std::vector<QString>{QStringLiteral("h2:1002")});
    EXPECT_EQ(LinkState, 1);
}

TEST_F(Link, RelinkFourTicksAfterAHeartbeatNobodyAnswers) {
    HeartbeatSeconds = 10;
    linkUp();
    socket.connects.clear();
    int sentAt = 0;
    int relinkAt = 0;
    for (int tick = 1; tick <= 30 && relinkAt == 0; ++tick) {
        const bool hadWritten = !socket.written.isEmpty();
        link->heartbeat();
        if (!hadWritten && !socket.written.isEmpty())
            sentAt = tick;
        if (!socket.connects.empty())
            relinkAt = tick;
    }
    EXPECT_EQ(sentAt, 10);
    EXPECT_EQ(relinkAt, 14);
}

TEST_F(Link, HeartbeatWaitsForAConnectedLinkedSocket) {
    HeartbeatSeconds = 10;
    linkUp();
    socket.connected = false; // e.g. reconnecting
    for (int tick = 0; tick < 12; ++tick)
        link->heartbeat();
    EXPECT_TRUE(socket.written.isEmpty());
    EXPECT_EQ(HeartbeatTick, 12) << "counts on while linked";
    socket.connected = true;
    link->heartbeat();
    EXPECT_EQ(socket.written, QByteArray("5|HI")) << "goes out at the first tick both hold";
}

TEST_F(Link, PeerCloseRelinksAtTheFifthTick) {
    linkUp();
    socket.connects.clear();
    socket.connected = false;
    socket.closed = true;
    link->Usersock_Close();
    EXPECT_EQ(LinkState, 0);
    EXPECT_FALSE(LinkReady);
    for (int tick = 1; tick <= 4; ++tick)
        link->heartbeat();
    EXPECT_TRUE(socket.connects.empty());
    link->heartbeat();
    EXPECT_EQ(socket.connects, std::vector<QString>{QStringLiteral("h2:1002")});
}

TEST_F(Link, SocketErrorMovesOnAtOnceAndLogs) {
    NoPrevInstance = true;
    link->LinkUser();
    boxTicked = true;
    link->Usersock_Error(10061, QStringLiteral("Connection refused"));
    NoPrevInstance = false;
    EXPECT_TRUE(BeatPending);
    EXPECT_EQ(LinkState, 0);
    EXPECT_FALSE(boxTicked);
    EXPECT_EQ(UserServerHost, QStringLiteral("h2"));
    const QString log = platform::fromGbk(read(QStringLiteral("log.txt")));
    EXPECT_TRUE(log.contains(QStringLiteral("USER SOCK ERR:Connection refused"))) << log.toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral("Change User Server to:h2,1002"))) << log.toStdString();
}

TEST_F(Link, AFailedConnectionMovesOnOnce) {
    // h1 refuses connections: the error moves on to h2, and the watch's relink stays there.
    link->LinkUser();
    socket.connects.clear();
    link->Usersock_Error(10061, QStringLiteral("Connection refused"));
    for (int tick = 0; tick < 5; ++tick)
        link->heartbeat();
    EXPECT_EQ(socket.connects, std::vector<QString>{QStringLiteral("h2:1002")});
    // A second refusal: on to h0, the third entry of the list, not back to h1.
    link->Usersock_Error(10061, QStringLiteral("Connection refused"));
    for (int tick = 0; tick < 5; ++tick)
        link->heartbeat();
    EXPECT_EQ(socket.connects, (std::vector<QString>{QStringLiteral("h2:1002"), QStringLiteral("h0:1000")}));
    EXPECT_EQ(link->UserServerSwitches, 2);
}

TEST_F(Link, RotationThroughTheListThenTheFixedServer) {
    ServerConfig = QStringLiteral("\r\nuserserver=fixed.host\r\nuserport=18632\r\n");
    std::vector<QString> seen;
    for (int i = 0; i < 12; ++i) {
        link->ChangeUserServer();
        seen.push_back(UserServerHost + u':' + QString::number(UserServerPort));
    }
    const std::vector<QString> expected = {
        QStringLiteral("h2:1002"), QStringLiteral("h0:1000"), QStringLiteral("h1:1001"), QStringLiteral("h2:1002"),
        QStringLiteral("h0:1000"), QStringLiteral("h1:1001"), QStringLiteral("h2:1002"), QStringLiteral("h0:1000"),
        QStringLiteral("h1:1001"), QStringLiteral("fixed.host:18632"), // the tenth switch: more than 3 × 3
        QStringLiteral("h2:1002"), QStringLiteral("h0:1000"),          // again from the first random index
    };
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(link->UserServerSwitches, 12);
}

TEST_F(Link, ServerListShapes) {
    struct Case {
        const char* what;
        QStringList hosts;
        QList<uint16_t> ports;
        const char* config;
        std::vector<QString> switches;
    };
    const Case cases[] = {
        {"one entry returns to itself, the fourth switch takes the fixed server",
         {QStringLiteral("solo")}, {7}, "\r\nuserserver=fix\r\nuserport=9\r\n",
         {QStringLiteral("solo:7"), QStringLiteral("solo:7"), QStringLiteral("solo:7"), QStringLiteral("fix:9"),
          QStringLiteral("solo:7")}},
        {"no list: the fixed server every time", {}, {}, "\r\nuserserver=fix\r\nuserport=9\r\n",
         {QStringLiteral("fix:9"), QStringLiteral("fix:9")}},
        {"a fixed port out of range reads as 0", {}, {}, "\r\nuserserver=fix\r\nuserport=70000\r\n",
         {QStringLiteral("fix:0")}},
        {"no list and no fixed server: nothing to move to", {}, {}, "\r\nother=1\r\n",
         {QStringLiteral("h1:1001")}},
        {"hosts without ports are not indexed past", {QStringLiteral("a"), QStringLiteral("b")}, {5},
         "\r\nuserserver=fix\r\nuserport=9\r\n", {QStringLiteral("a:5"), QStringLiteral("a:5"), QStringLiteral("a:5"),
                                                   QStringLiteral("fix:9")}},
    };
    for (const Case& c : cases) {
        UserHostList = c.hosts;
        UserPortList = c.ports;
        UserServerIndex = UserServerStart = 0;
        UserServerHost = QStringLiteral("h1");
        UserServerPort = 1001;
        ServerConfig = QString::fromLatin1(c.config);
        link = std::make_unique<LiveLink>(socket, LiveLinkUi{});
        std::vector<QString> seen;
        for (size_t i = 0; i < c.switches.size(); ++i) {
            link->ChangeUserServer();
            seen.push_back(UserServerHost + u':' + QString::number(UserServerPort));
        }
        EXPECT_EQ(seen, c.switches) << c.what;
    }
}

TEST_F(Link, AnEmptyListLinksToTheFixedServer) {
    UserHostList.clear();
    UserPortList.clear();
    UserServerHost.clear();
    UserServerPort = 0;
    ServerConfig = QStringLiteral("\r\nuserserver=127.0.0.9\r\nuserport=18632\r\n");
    link->LinkUser();
    EXPECT_EQ(socket.connects, std::vector<QString>{QStringLiteral("127.0.0.9:18632")});

    ServerConfig = QStringLiteral("\r\nnothing=1\r\n");
    UserServerHost.clear();
    socket.connects.clear();
    link->LinkUser();
    EXPECT_TRUE(socket.connects.empty()) << "no server at all: nothing to connect to";
}

TEST_F(Link, UnlinkUnticksClosesAndMovesOn) {
    linkUp();
    boxTicked = true;
    link->UnLinkUser();
    EXPECT_FALSE(boxTicked);
    EXPECT_FALSE(LinkReady);
    EXPECT_EQ(LinkState, 0);
    EXPECT_TRUE(socket.closed);
    EXPECT_EQ(UserServerHost, QStringLiteral("h2"));
}

TEST_F(Link, ARelinkStartsWithEmptyBuffers) {
    linkUp();
    const QByteArray frame = pushFrame(snapshot(300));
    link->Usersock_DataArrival(frame.left(frame.size() / 2));
    link->LinkUser();
    link->Usersock_DataArrival("greeting");
    const QString challenge = EncodeText(QStringLiteral("t"));
    link->Usersock_DataArrival(QByteArray::number(challenge.size()) + '|' + challenge.toLatin1());
    link->Usersock_DataArrival("-");
    // The new server's bytes never complete the old connection's half frame.
    link->Usersock_DataArrival(frame.mid(frame.size() / 2));
    EXPECT_TRUE(applied.empty());
}

TEST_F(Link, NothingIsReadFromAClosedSocket) {
    link->LinkUser();
    socket.connected = false;
    link->Usersock_DataArrival("greeting");
    EXPECT_EQ(LinkState, 1);
    EXPECT_TRUE(socket.written.isEmpty());
}

TEST_F(Link, AHandshakeThatStallsFailsAtItsDeadline) {
    using namespace std::chrono_literals;
    const QString challenge = EncodeText(QStringLiteral("token-5"));
    const QByteArray answer = QByteArray::number(challenge.size()) + '|' + challenge.toLatin1();
    struct Case {
        const char* what;
        std::vector<QByteArray> said; // what the server says before it falls silent
        bool fails;
    };
    const Case cases[] = {
        {"not even a greeting", {}, true},
        {"a greeting, then no answer to the login", {"WELCOME"}, true},
        {"half an answer", {"WELCOME", answer.left(4)}, true},
        {"the challenge, then no acceptance", {"WELCOME", answer}, true},
        {"the whole handshake", {"WELCOME", answer, "-"}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        resetLinkState();
        UserServerIndex = 1;
        UserServerHost = QStringLiteral("h1");
        UserServerPort = 1001;
        NoPrevInstance = true;
        QFile::remove(file(QStringLiteral("log.txt")));
        link->setHandshakeDeadline(60ms);
        link->LinkUser();
        for (const QByteArray& bytes : c.said)
            link->Usersock_DataArrival(bytes);
        platform::pauseMs(150);
        NoPrevInstance = false;
        const QString log = platform::fromGbk(read(QStringLiteral("log.txt")));
        if (c.fails) {
            // As a connection error: closed, the next server chosen, the watch armed to link there.
            EXPECT_EQ(LinkState, 0);
            EXPECT_TRUE(socket.closed);
            EXPECT_TRUE(BeatPending);
            EXPECT_EQ(UserServerHost, QStringLiteral("h2"));
            EXPECT_TRUE(log.contains(QStringLiteral("USER SOCK ERR:no handshake within 0.06 s"))) << log.toStdString();
            socket.connects.clear();
            for (int tick = 0; tick < 5; ++tick)
                link->heartbeat();
            EXPECT_EQ(socket.connects, std::vector<QString>{QStringLiteral("h2:1002")});
        } else {
            EXPECT_EQ(LinkState, 4);
            EXPECT_TRUE(LinkReady);
            EXPECT_EQ(UserServerHost, QStringLiteral("h1"));
            EXPECT_FALSE(log.contains(QStringLiteral("USER SOCK ERR"))) << log.toStdString();
        }
        link->UnLinkUser();
    }
}
