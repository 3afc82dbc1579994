// The live link over real sockets against the simulated user server on loopback: what the server
// reads, what the board gets, and how the link comes back when the server misbehaves. The clock
// ticks of the heartbeat are driven by the test.
#include "shell/livelink.h"

#include "common/appinfo.h"
#include "common/config.h"
#include "common/textcodec.h"
#include "platform/clock.h"
#include "platform/eventwait.h"
#include "platform/vbtext.h"
#include "simservice/simuserserver.h"
#include "state/configstate.h"
#include "state/livelink.h"
#include "state/session.h"
#include "tests/support/programfolder.h"
#include "tests/support/qtprint.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <vector>

namespace {

constexpr int kSlot = 300;

bool waitFor(const std::function<bool()>& done, int ms = 5000) {
    for (int waited = 0; waited < ms && !done(); waited += 10)
        platform::pauseMs(10);
    return done();
}

// A snapshot with Chinese names; the earlier one of two pushes in one write has another price.
QString snapshot(int secondsAgo) {
    return QStringLiteral("0,7.1,3,2026-12-9,10:00:%1,%2|人民币账户黄金,%3,879.39,880.58,877.6,mgold,0.80|"
                          "白银延期,12305,12242,12327,12242,tdby,0|")
        .arg(59 - secondsAgo, 2, 10, QLatin1Char('0'))
        .arg(kSlot)
        .arg(secondsAgo == 0 ? QStringLiteral("880.26") : QStringLiteral("870.00"));
}

class Loopback : public ProgramFolderTest {
protected:
    void SetUp() override {
        ProgramFolderTest::SetUp();
        LinkState = 0;
        LinkReady = BeatPending = PushLost = false;
        HeartbeatTick = 0;
        MissedBeats = 0;
        PushData.clear();
        IsVip = true;
        UseRealtime = true;
        UserId = 1001;
        ClientId = QStringLiteral("cid-loop");
        HeartbeatSeconds = 10;
        ServerNow = platform::naiveDateTime(QDate(2026, 12, 9), QTime(10, 1, 0));
        socket = std::make_unique<TcpLinkSocket>();
        LiveLinkUi ui;
        ui.setStatus = [](const QString&) {};
        ui.setLiveBoxTicked = [](bool) {};
        ui.showRefusal = [this](const QString& text, const QString&) { refusals << text; };
        ui.applyPush = [this](const QString& s) {
            applied << s;
            PushData.clear();
        };
        ui.currentSlot = [] { return kSlot; };
        link = std::make_unique<LiveLink>(*socket, ui);
        socket->bind(link.get());
    }
    void TearDown() override {
        link.reset();
        socket.reset();
        servers.clear();
        IsVip = UseRealtime = LinkReady = BeatPending = PushLost = false;
        LinkState = 0;
        UserId = 0;
        ClientId.clear();
        UserHostList.clear();
        UserPortList.clear();
        UserServerHost.clear();
        UserServerPort = 0;
        UserServerIndex = UserServerStart = 0;
        HeartbeatSeconds = 60;
        ServerConfig.clear();
        ProgramFolderTest::TearDown();
    }

    SimUserServer& server(SimUserServer::Mode mode = SimUserServer::Mode::Normal) {
        SimUserServer::Hooks hooks;
        hooks.snapshot = [](int secondsAgo) { return snapshot(secondsAgo); };
        hooks.encode = [](const QString& t) { return EncodeText(t); };
        SimUserServer::Timing timing;
        timing.pushMinMs = 150;
        timing.pushMaxMs = 250;
        servers.push_back(std::make_unique<SimUserServer>(0, hooks, timing, 7, 16));
        EXPECT_TRUE(servers.back()->start());
        EXPECT_TRUE(servers.back()->setMode(mode));
        return *servers.back();
    }
    // The user server list of the configuration, linking first to entry `start`.
    void useList(const std::vector<SimUserServer*>& list, int start = 0) {
        UserHostList.clear();
        UserPortList.clear();
        for (SimUserServer* s : list) {
            UserHostList << QStringLiteral("127.0.0.1");
            UserPortList << s->port();
        }
        UserServerIndex = UserServerStart = static_cast<int16_t>(start);
        UserServerHost = UserHostList[start];
        UserServerPort = UserPortList[start];
    }
    static int outcomes(const SimUserServer& s, char outcome) {
        int n = 0;
        for (const SimUserServer::LinkRecord& r : s.records())
            n += r.outcome == outcome ? 1 : 0;
        return n;
    }
    // Clock ticks, each long enough for a push of the server to come in between.
    void ticks(int n) {
        for (int i = 0; i < n; ++i) {
            link->heartbeat();
            platform::pauseMs(260);
        }
    }

    std::unique_ptr<TcpLinkSocket> socket;
    std::unique_ptr<LiveLink> link;
    std::vector<std::unique_ptr<SimUserServer>> servers;
    QStringList applied;
    QStringList refusals;
};

} // namespace

TEST_F(Loopback, HandshakeAndTheFirstSnapshot) {
    struct Case {
        const char* what;
        SimUserServer::Acceptance acceptance;
    };
    const Case cases[] = {{"dash with the first push", SimUserServer::Acceptance::DashWithPush},
                          {"framed OK, pushes after", SimUserServer::Acceptance::FramedOk}};
    for (const Case& c : cases) {
        SimUserServer& s = server();
        s.setAcceptance(c.acceptance);
        useList({&s});
        applied.clear();
        link->LinkUser();
        ASSERT_TRUE(waitFor([&] { return LinkReady && !applied.isEmpty(); })) << c.what;
        ASSERT_EQ(s.records().size(), 1) << c.what;
        const SimUserServer::LinkRecord r = s.records().front();
        EXPECT_EQ(r.version, platform::singleText(AppVer)) << c.what;
        EXPECT_EQ(r.clientId, QStringLiteral("cid-loop")) << c.what;
        EXPECT_EQ(r.userId, 1001) << c.what;
        EXPECT_EQ(r.outcome, '+') << c.what << ": the challenge was answered right";
        EXPECT_EQ(applied.front(), snapshot(0)) << c.what;
        EXPECT_EQ(LinkState, 4);
        link->UnLinkUser();
    }
}

TEST_F(Loopback, PushesWholeHoweverTheyArrive) {
    struct Case {
        const char* what;
        SimUserServer::Mode mode;
    };
    const Case cases[] = {{"one write each", SimUserServer::Mode::Normal},
                          {"a byte at a time", SimUserServer::Mode::SplitBytes},
                          {"two in one write", SimUserServer::Mode::TwoFrames}};
    for (const Case& c : cases) {
        SimUserServer& s = server(c.mode);
        useList({&s});
        applied.clear();
        link->LinkUser();
        ASSERT_TRUE(waitFor([&] { return applied.size() >= 4; }, 8000)) << c.what;
        // Every snapshot applied is whole, its Chinese names too, and it is the newest one sent.
        for (const QString& a : applied)
            EXPECT_EQ(a, snapshot(0)) << c.what;
        EXPECT_FALSE(PushLost) << c.what;
        link->UnLinkUser();
        platform::pauseMs(50);
    }
}

TEST_F(Loopback, RefusalsCloseTheLinkOnce) {
    struct Case {
        SimUserServer::Mode mode;
        char outcome;
        const char16_t* text;
    };
    const Case cases[] = {
        {SimUserServer::Mode::RefuseA, 'A', u"您的机器已经在服务器上登录了,不能重复登录."},
        {SimUserServer::Mode::RefuseB, 'B', u"您的IP地址已经在服务器过多,不能再登录."},
    };
    for (const Case& c : cases) {
        SimUserServer& s = server(c.mode);
        useList({&s});
        refusals.clear();
        link->allowAfterRefusal();
        link->LinkUser();
        ASSERT_TRUE(waitFor([&] { return !refusals.isEmpty(); })) << c.outcome;
        EXPECT_EQ(refusals, QStringList{QString::fromUtf16(c.text)});
        EXPECT_TRUE(waitFor([&] { return s.connectionCount() == 0; })) << "the client closed the link";
        ticks(12);
        link->LinkUser();
        platform::pauseMs(200);
        EXPECT_EQ(outcomes(s, c.outcome), 1);
        EXPECT_EQ(refusals.size(), 1);
    }
}

TEST_F(Loopback, HeartbeatAnsweredKeepsTheLinkSilenceRelinks) {
    SimUserServer& s = server();
    useList({&s});
    link->LinkUser();
    ASSERT_TRUE(waitFor([] { return LinkReady; }));
    ticks(10);
    ASSERT_TRUE(waitFor([&] { return s.records().front().heartbeats == 1; })) << "\"5|HI\" at the tenth tick";
    ticks(6);
    EXPECT_EQ(s.records().size(), 1) << "the server answers and pushes: no relink";

    ASSERT_TRUE(s.setMode(SimUserServer::Mode::Silent));
    platform::pauseMs(400); // pushes that were under way are in
    ticks(4); // the tick of the next heartbeat: 20 since the first link came up
    ASSERT_TRUE(waitFor([&] { return s.records().front().heartbeats == 2; }));
    EXPECT_FALSE(PushLost);
    ticks(3);
    EXPECT_EQ(s.records().size(), 1) << "three ticks after the heartbeat the link still stands";
    link->heartbeat();
    EXPECT_TRUE(PushLost) << "the fourth tick after the heartbeat gives the push up";
    ASSERT_TRUE(waitFor([&] { return s.records().size() == 2; })) << "and links anew";
}

TEST_F(Loopback, APeerThatDropsTheLinkIsLeftForTheNextServer) {
    SimUserServer& dropping = server();
    SimUserServer& good = server();
    useList({&dropping, &good});
    link->LinkUser();
    ASSERT_TRUE(waitFor([] { return LinkReady; }));
    applied.clear();
    ASSERT_TRUE(dropping.setMode(SimUserServer::Mode::Drop));
    ASSERT_TRUE(waitFor([] { return LinkState == 0; })) << "the peer's close";
    EXPECT_TRUE(applied.isEmpty()) << "half a push is never applied";
    ticks(4);
    EXPECT_EQ(good.records().size(), 0);
    ticks(1);
    ASSERT_TRUE(waitFor([&] { return LinkReady && !applied.isEmpty(); })) << "linked to the next server";
    EXPECT_EQ(outcomes(good, '+'), 1);
    EXPECT_EQ(UserServerPort, good.port());
}

TEST_F(Loopback, ServersThatAreDownAreRotatedPastThenTheFixedOneServes) {
    SimUserServer& down1 = server(SimUserServer::Mode::Down);
    SimUserServer& down2 = server(SimUserServer::Mode::Down);
    SimUserServer& fixed = server();
    ServerConfig = QStringLiteral("\r\nuserserver=127.0.0.1\r\nuserport=%1\r\n").arg(fixed.port());
    useList({&down1, &down2});
    link->LinkUser();
    QList<uint16_t> tried{UserServerPort};
    // Each refused connection moves on to the next entry, and the watch links there five ticks
    // later.
    for (int tick = 0; tick < 60 && !LinkReady; ++tick) {
        link->heartbeat();
        platform::pauseMs(30);
        if (tried.back() != UserServerPort)
            tried << UserServerPort;
    }
    ASSERT_TRUE(waitFor([] { return LinkReady; })) << "the fixed server takes the link";
    EXPECT_EQ(outcomes(fixed, '+'), 1);
    // Three rounds of the list (six switches), then the fixed server at the seventh.
    const uint16_t d1 = down1.port();
    const uint16_t d2 = down2.port();
    EXPECT_EQ(tried, (QList<uint16_t>{d1, d2, d1, d2, d1, d2, d1, fixed.port()}));
    EXPECT_EQ(link->UserServerSwitches, 7);
}

TEST_F(Loopback, AServerThatNeverSpeaksIsLeftAtTheHandshakeDeadline) {
    SimUserServer& mute = server(SimUserServer::Mode::Mute);
    SimUserServer& good = server();
    useList({&mute, &good});
    // Long enough for a working server's handshake on a busy machine, short enough for a test.
    constexpr int kDeadlineMs = 2000;
    link->setHandshakeDeadline(std::chrono::milliseconds(kDeadlineMs));
    link->LinkUser();
    ASSERT_TRUE(waitFor([&] { return mute.connectionCount() == 1; })) << "the connection is taken";
    platform::pauseMs(150);
    EXPECT_EQ(LinkState, 1) << "and nothing is said on it";
    ASSERT_TRUE(waitFor([] { return LinkState == 0; }, 5000)) << "the deadline gives it up";
    EXPECT_EQ(UserServerPort, good.port()) << "the next server is chosen";
    EXPECT_TRUE(waitFor([&] { return mute.connectionCount() == 0; })) << "the silent connection is closed";
    ticks(5); // the watch links to it
    ASSERT_TRUE(waitFor([&] { return LinkReady && !applied.isEmpty(); })) << "the member ends up linked";
    EXPECT_EQ(outcomes(good, '+'), 1);
    EXPECT_TRUE(mute.records().empty());
    // A link that came up in time is left alone by its deadline.
    platform::pauseMs(kDeadlineMs * 3 / 2);
    EXPECT_TRUE(LinkReady);
    EXPECT_EQ(good.records().size(), 1);
    EXPECT_EQ(UserServerPort, good.port());
}
