// The live link's whole exchange and the keep-alive's notice walk, driven by what a service may
// send, in any order.
#include "tests/fuzz/fuzztarget.h"

#include "common/config.h"
#include "common/textcodec.h"
#include "platform/clock.h"
#include "shell/hello.h"
#include "shell/livelink.h"
#include "state/configstate.h"
#include "state/livelink.h"
#include "state/session.h"

#include <QList>
#include <QSet>

namespace {

// A socket that connects at once (unless told to fail) and records what the link writes.
class ScriptSocket final : public LinkSocket {
public:
    bool connected = false;
    bool closed = true;
    bool refuseConnections = false;
    int connects = 0;
    QList<QByteArray> written;

    bool isConnected() const override { return connected; }
    bool isClosed() const override { return closed; }
    void connectToHost(const QString&, uint16_t) override {
        ++connects;
        connected = !refuseConnections;
        closed = refuseConnections;
    }
    void close() override {
        connected = false;
        closed = true;
    }
    void write(const QByteArray& bytes) override { written.append(bytes); }
};

void resetLinkState() {
    ServerConfig = QStringLiteral("\r\nuserserver=127.0.0.1\r\nuserport=18632\r\n");
    UserHostList = {QStringLiteral("127.0.0.2"), QStringLiteral("127.0.0.3")};
    UserPortList = {18632, 18633};
    UserServerIndex = 0;
    UserServerStart = 0;
    UserServerHost.clear();
    UserServerPort = 0;
    HeartbeatSeconds = 3;
    PushMode = 0;
    IsVip = true;
    UseRealtime = true;
    PushData.clear();
    PushTime = {};
    PushLost = false;
    RefreshCountdown = 0;
    LinkState = 0;
    LinkReady = false;
    HeartbeatTick = 0;
    BeatPending = false;
    MissedBeats = 0;
    ServerNow = platform::pcNow();
}

// Every message the link writes is framed "length|payload", the heartbeat among them.
bool isFramed(const QByteArray& bytes) {
    const qsizetype bar = bytes.indexOf('|');
    if (bar <= 0)
        return false;
    for (qsizetype i = 0; i < bar; ++i)
        if (bytes[i] < '0' || bytes[i] > '9')
            return false;
    return true;
}

} // namespace

// One event per line: the first character names it, the rest is its bytes.
//   L link   U unlink   N next server   D<bytes> data arrives   C peer closes   E socket error
//   H heartbeat tick   A the member asks again after a refusal   F connections fail from now on
//   O connections succeed again   X the connection drops without an event   R realtime box toggled
//   V membership toggled   P push mode cycled
BRELTO_FUZZ_TARGET(linkstate) {
    fuzz::setUpEnvironment();
    resetLinkState();
    ScriptSocket socket;
    QStringList applied;
    int refusals = 0;
    LiveLinkUi ui;
    ui.setStatus = [](const QString&) {};
    ui.setLiveBoxTicked = [](bool) {};
    ui.showRefusal = [&refusals](const QString&, const QString&) { ++refusals; };
    ui.applyPush = [&applied](const QString& snapshot) { applied.append(snapshot); };
    ui.currentSlot = [] { return 378; };
    LiveLink link(socket, ui);

    const QList<QByteArray> events = data.toByteArray().split('\n');
    bool askedAgain = false;
    for (const QByteArray& event : events) {
        if (event.isEmpty())
            continue;
        const QByteArray bytes = event.mid(1);
        const int connectsBefore = socket.connects;
        const bool refusedBefore = link.refused();
        switch (event[0]) {
        case 'L': link.LinkUser(); break;
        case 'U': link.UnLinkUser(); break;
        case 'N': link.ChangeUserServer(); break;
        case 'D': link.Usersock_DataArrival(bytes); break;
        case 'C': link.Usersock_Close(); break;
        case 'E': link.Usersock_Error(1, QStringLiteral("refused")); break;
        case 'H': link.heartbeat(); break;
        case 'A':
            link.allowAfterRefusal();
            askedAgain = true;
            break;
        case 'F': socket.refuseConnections = true; break;
        case 'O': socket.refuseConnections = false; break;
        case 'X': socket.close(); break;
        case 'R': UseRealtime = !UseRealtime; break;
        case 'V': IsVip = !IsVip; break;
        case 'P': PushMode = static_cast<int16_t>((PushMode + 1) % 3); break;
        default: break;
        }
        fuzz::check(LinkState >= 0 && LinkState <= 4, "the link is in one of its five states");
        // A relink keeps LinkReady until the next acceptance or close; a closed link is never ready.
        fuzz::check(LinkState != 0 || !LinkReady, "a closed link is not ready");
        fuzz::check(MissedBeats >= 0 && MissedBeats < 5, "missed beats stay below the relink limit");
        fuzz::check(!(refusedBefore && event[0] != 'A') || socket.connects == connectsBefore,
                    "after a refusal nothing links until the member asks again");
        fuzz::check(UserServerPort == 0 || UserPortList.contains(UserServerPort) || UserServerPort == 18632,
                    "the port is one of the configured ones");
    }
    for (const QByteArray& w : socket.written)
        fuzz::check(isFramed(w), "every message written is framed");
    for (const QString& snapshot : applied)
        fuzz::check(snapshot.contains(u',') && pushSlotIsCurrent(snapshot, 378), "only a current snapshot is applied");
    fuzz::check(refusals == 0 || link.refused() || askedAgain, "a refusal holds until the member asks");

    // Whatever came before, the next read is handled: a linked socket's read resets the watch.
    // Were the handling flag left set, the read would only be queued.
    link.allowAfterRefusal();
    socket.connected = true;
    socket.closed = false;
    LinkState = 4;
    MissedBeats = 3;
    link.Usersock_DataArrival(QByteArrayLiteral("x"));
    fuzz::check(MissedBeats == 0, "a read after any exchange is handled, not left waiting");
    resetLinkState();
    IsVip = false;
    UseRealtime = false;
}

// The keep-alive's answer read from any last notice id, for any reader: the id only moves forward,
// a notice taken is newer than the one before and is one of the answer's records, and walking the
// same answer again ends, each notice taken once.
BRELTO_FUZZ_TARGET(hello) {
    if (data.size() < 5)
        return;
    fuzz::setUpEnvironment();
    const auto byte = [&data](int i) { return static_cast<unsigned char>(data[i]); };
    int32_t lastId = static_cast<int32_t>(static_cast<uint32_t>(byte(0)) | static_cast<uint32_t>(byte(1)) << 8 |
                                          static_cast<uint32_t>(byte(2)) << 16 | static_cast<uint32_t>(byte(3)) << 24);
    const NoticeReader reader{(byte(4) & 1) != 0, (byte(4) & 2) != 0, (byte(4) >> 2) % 4};
    const QString answer = fuzz::gbkText(data.sliced(5));

    const QStringList parts = answer.split(QStringLiteral("||"));
    const qsizetype records = parts.size() - 1;
    QSet<QString> texts;
    for (qsizetype i = 0; i < records; ++i)
        if (const QStringList f = parts[i].split(u'|'); f.size() >= 4)
            texts.insert(DecodeText(f[3]));
    QSet<int32_t> taken;
    bool settled = false;
    // Every walk that changes anything moves the id to a record's or just below the newest one.
    for (qsizetype walk = 0; walk <= 2 * records + 2 && !settled; ++walk) {
        const int32_t before = lastId;
        const HelloAnswer a = readHelloAnswer(answer, lastId, reader);
        if (answer == u"LO") {
            fuzz::check(a.loggedElsewhere && !a.notice && lastId == before, "LO logs out and reads no notice");
            return;
        }
        fuzz::check(!a.loggedElsewhere, "only LO is a log-in elsewhere");
        fuzz::check(lastId >= before, "the last notice id never goes back");
        if (!a.notice) {
            settled = lastId == before;
            continue;
        }
        const Notice& n = *a.notice;
        fuzz::check(n.id == lastId && n.id > before, "a notice taken is newer than the last one and is the newest seen");
        fuzz::check(!taken.contains(n.id), "no notice is taken twice");
        taken.insert(n.id);
        fuzz::check(texts.contains(n.mark + n.text), "a notice's text is one of the answer's records");
        fuzz::check(n.mark.size() <= 1 && (n.mark.isEmpty() ? n.text.isEmpty() : true), "the mark is the first character");
    }
    fuzz::check(settled, "walking the same answer again settles");
    fuzz::check(taken.size() <= records, "no more notices than records");
}
