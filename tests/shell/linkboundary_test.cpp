// The live link's socket handler as the event loop runs it: answers that raise, or whose handling
// raises, arrive over a real socket while the program sits in a network wait. The wait must end
// as its own, the link must go on taking pushes, and it must answer the next server's greeting.
#include "shell/livelink.h"

#include "platform/boundary.h"
#include "platform/clock.h"
#include "platform/eventwait.h"
#include "platform/gbk.h"
#include "platform/vberror.h"
#include "state/configstate.h"
#include "state/livelink.h"
#include "state/session.h"
#include "tests/support/programfolder.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

QStringList boundaryLines;
void keepLine(const QString& line) { boundaryLines << line; }

QByteArray pushFrame(int slot, const QString& price) {
    return "<A" +
           platform::toGbk(QStringLiteral("0,7.1,3,2026-12-9,10:00:00,%1|白银延期,%2,3.40,3.50,3.30,tdby,0.05|")
                               .arg(slot)
                               .arg(price)) +
           "/A>";
}

bool waitFor(const std::function<bool()>& done, int ms = 3000) {
    for (int waited = 0; waited < ms && !done(); waited += 10)
        platform::pauseMs(10);
    return done();
}

class LinkBoundary : public ProgramFolderTest {
protected:
    void SetUp() override {
        ProgramFolderTest::SetUp();
        boundaryLines.clear();
        platform::setBoundaryLog(&keepLine);
        LinkState = 0;
        LinkReady = PushLost = BeatPending = false;
        PushData.clear();
        IsVip = UseRealtime = true;
        UserId = 5;
        ClientId = QStringLiteral("cid-b");
        ServerNow = platform::naiveDateTime(QDate(2026, 12, 9), QTime(10, 0));
        ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
        UserServerHost = QStringLiteral("127.0.0.1");
        UserServerPort = server.serverPort();
        socket = std::make_unique<TcpLinkSocket>();
        LiveLinkUi ui;
        ui.currentSlot = [] { return 300; };
        ui.applyPush = [this](const QString& s) {
            ++applyCalls;
            if (raiseOnApply && applyCalls == 1)
                throw platform::VbError(platform::kErrOverflow, QStringLiteral("溢出"));
            applied << s.section(u',', 6, 6);
            PushData.clear();
        };
        link = std::make_unique<LiveLink>(*socket, ui);
        socket->bind(link.get());
    }
    void TearDown() override {
        link.reset();
        socket.reset();
        server.close();
        platform::setBoundaryLog(nullptr);
        LinkState = 0;
        LinkReady = PushLost = BeatPending = false;
        PushData.clear();
        IsVip = UseRealtime = false;
        UserId = 0;
        ClientId.clear();
        UserServerHost.clear();
        UserServerPort = 0;
        ProgramFolderTest::TearDown();
    }

    // Links, greets and returns the server's end once the login record came.
    QTcpSocket* linkAndGreet() {
        link->allowAfterRefusal();
        link->LinkUser();
        if (!waitFor([this] { return server.hasPendingConnections(); }))
            return nullptr;
        QTcpSocket* peer = server.nextPendingConnection();
        peer->setParent(&server);
        peer->write("WELCOME");
        if (!waitFor([peer] { return peer->bytesAvailable() > 0; }))
            return nullptr;
        peer->readAll();
        return peer;
    }

    QTcpServer server;
    std::unique_ptr<TcpLinkSocket> socket;
    std::unique_ptr<LiveLink> link;
    bool raiseOnApply = false;
    int applyCalls = 0;
    QStringList applied; // the prices of the pushes the board took
};

} // namespace

TEST_F(LinkBoundary, ReadsThatRaiseLeaveTheWaitAndTheLinkWorking) {
    struct Case {
        const char* what;
        std::vector<QByteArray> writes; // after the greeting, each while the program waits
        bool raiseOnApply;
        QStringList applied;
        bool logged; // a failure was stopped at the read handler
    };
    const Case cases[] = {
        {"a login answer whose length is beyond the double range", {"1e999|A"}, false, {}, false},
        {"a login answer with a D exponent beyond the range", {"1D999|B"}, false, {}, false},
        {"an acceptance whose push slot is beyond the double range",
         {"5|abcde", "-<A2026-12-10,10:30:00,1,2,3,1e999|x,y,1,2,3/A>", pushFrame(300, QStringLiteral("2.00"))},
         false,
         {QStringLiteral("2.00")},
         false},
        {"a push whose applying raises",
         {"5|abcde", "-" + pushFrame(300, QStringLiteral("1.00")), pushFrame(300, QStringLiteral("2.00"))},
         true,
         {QStringLiteral("2.00")},
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        boundaryLines.clear();
        applied.clear();
        applyCalls = 0;
        raiseOnApply = c.raiseOnApply;
        QTcpSocket* peer = linkAndGreet();
        ASSERT_NE(peer, nullptr);
        for (const QByteArray& bytes : c.writes) {
            peer->write(bytes);
            // The read is handled inside this wait, as inside the login's or a snapshot's.
            QTimer answer;
            answer.setSingleShot(true);
            answer.start(150);
            bool ended = false;
            EXPECT_NO_THROW(ended = platform::waitForSignal(&answer, &QTimer::timeout, 3000));
            EXPECT_TRUE(ended) << "the wait ends with its own signal";
        }
        EXPECT_EQ(applied, c.applied);
        EXPECT_EQ(!boundaryLines.isEmpty(), c.logged) << boundaryLines.join(u'\n').toStdString();
        if (c.logged) {
            EXPECT_EQ(boundaryLines.value(0), QStringLiteral("6:溢出>>Usersock_DataArrival"));
        }

        // The next server's greeting is answered with the login record.
        QTcpSocket* next = linkAndGreet();
        EXPECT_NE(next, nullptr) << "the link answers the next greeting";
        EXPECT_EQ(LinkState, 2);
    }
}
