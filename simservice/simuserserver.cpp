#include "simservice/simuserserver.h"

#include "common/textcodec.h"
#include "platform/gbk.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>
#include <array>

namespace {

// The heartbeat's count is 5 whatever its text, so it is recognised whole, never by its length.
constexpr QByteArrayView kHeartbeat = "5|HI";
const QString kGreeting = QStringLiteral("WELCOME");
const QString kHeartbeatAnswer = QStringLiteral("HI");
const QString kWrongReply = QStringLiteral("NO");
// No client message comes near this; more is a broken or hostile peer.
constexpr qsizetype kInputLimit = 64 * 1024;
constexpr int kLengthDigits = 6;
constexpr qsizetype kRecordLimit = 1000;
// Challenge characters: no "I", so a reply can never be taken for the heartbeat.
constexpr char kChallengeChars[] = "ABCDEFGHJKLMNPQRSTUVWXYZ23456789";
constexpr int kChallengeLength = 12;

const std::array<std::pair<SimUserServer::Mode, const char*>, 9> kModeNames = {{
    {SimUserServer::Mode::Normal, "none"},
    {SimUserServer::Mode::SplitBytes, "split"},
    {SimUserServer::Mode::TwoFrames, "twoframes"},
    {SimUserServer::Mode::Silent, "silent"},
    {SimUserServer::Mode::Mute, "mute"},
    {SimUserServer::Mode::Drop, "drop"},
    {SimUserServer::Mode::Down, "down"},
    {SimUserServer::Mode::RefuseA, "refusea"},
    {SimUserServer::Mode::RefuseB, "refuseb"},
}};

} // namespace

// One connection: its socket, where the exchange stands and what is still to be written.
class SimUserServer::Link : public QObject {
public:
    Link(QTcpSocket* s, QObject* parent) : QObject(parent), socket(s) {
        socket->setParent(this);
        pushTimer.setSingleShot(true);
        byteTimer.setTimerType(Qt::PreciseTimer);
        graceTimer.setSingleShot(true);
    }

    QTcpSocket* socket;
    QHostAddress peer;
    Stage stage = Stage::Greeted;
    QByteArray input;
    QString challenge;
    QString clientId;
    int record = -1;   // absolute index of its login record
    QByteArray unsent; // bytes of a split message not written yet
    QTimer pushTimer;
    QTimer byteTimer;
    QTimer graceTimer;
};

SimUserServer::SimUserServer(quint16 port, Hooks hooks, Timing timing, uint32_t seed,
                             int maxLinksPerAddress, QObject* parent)
    : QObject(parent), port_(port), hooks_(std::move(hooks)), timing_(timing),
      maxLinksPerAddress_(maxLinksPerAddress), listener_(new QTcpServer(this)), random_(seed) {
    timing_.pushMinMs = std::max(1, timing_.pushMinMs);
    timing_.pushMaxMs = std::max(timing_.pushMinMs, timing_.pushMaxMs);
    timing_.byteMs = std::max(0, timing_.byteMs);
    connect(listener_, &QTcpServer::newConnection, this, &SimUserServer::acceptConnections);
}

SimUserServer::~SimUserServer() {
    // The links die with this object; nothing may call back into it meanwhile.
    for (Link* link : links_)
        link->socket->disconnect();
}

bool SimUserServer::start() {
    if (!listener_->listen(QHostAddress(QHostAddress::LocalHost), port_)) return false;
    port_ = listener_->serverPort();
    return true;
}

bool SimUserServer::setMode(Mode mode) {
    if (mode == Mode::Down) {
        if (listener_->isListening()) {
            listener_->close();
            portHolder_ = new QTcpSocket(this);
            portHolder_->bind(QHostAddress(QHostAddress::LocalHost), port_, QAbstractSocket::ReuseAddressHint);
        }
        dropLinks();
    } else if (mode_ == Mode::Down && !listener_->isListening()) {
        delete portHolder_;
        portHolder_ = nullptr;
        if (!listener_->listen(QHostAddress(QHostAddress::LocalHost), port_)) return false;
    }
    mode_ = mode;
    return true;
}

void SimUserServer::dropLinks() {
    const std::vector<Link*> links = links_;
    for (Link* link : links) {
        link->socket->abort();
        forget(link);
    }
}

int SimUserServer::linkCount() const {
    return static_cast<int>(std::count_if(links_.begin(), links_.end(),
                                          [](const Link* l) { return l->stage == Stage::Linked; }));
}

std::optional<SimUserServer::Mode> SimUserServer::modeFromName(QStringView name) {
    if (name == u"normal") return Mode::Normal;
    for (const auto& [m, n] : kModeNames)
        if (name.compare(QLatin1String(n), Qt::CaseInsensitive) == 0) return m;
    return std::nullopt;
}

QString SimUserServer::modeName(Mode m) {
    for (const auto& [v, n] : kModeNames)
        if (v == m) return QLatin1String(n);
    return {};
}

QByteArray SimUserServer::frame(const QString& text) {
    return QByteArray::number(text.size()) + '|' + platform::toGbk(text);
}

void SimUserServer::acceptConnections() {
    while (QTcpSocket* socket = listener_->nextPendingConnection()) {
        auto* link = new Link(socket, this);
        link->peer = socket->peerAddress();
        links_.push_back(link);
        // Small writes go out at once, so a split message really arrives a byte at a time.
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        connect(socket, &QTcpSocket::readyRead, link, [this, link] { readFrom(link); });
        connect(socket, &QTcpSocket::disconnected, link, [this, link] { forget(link); });
        connect(&link->pushTimer, &QTimer::timeout, link, [this, link] { push(link); });
        connect(&link->byteTimer, &QTimer::timeout, link, [this, link] { sendNextByte(link); });
        connect(&link->graceTimer, &QTimer::timeout, link,
                [link] { link->socket->disconnectFromHost(); });
        if (mode_ == Mode::Mute) continue;
        socket->write(frame(kGreeting));
        socket->flush();
    }
}

void SimUserServer::readFrom(Link* link) {
    link->input += link->socket->readAll();
    if (link->input.size() > kInputLimit) {
        link->socket->abort();
        forget(link);
        return;
    }
    if (mode_ == Mode::Mute) {
        link->input.clear();
        return;
    }
    QByteArray& in = link->input;
    while (!in.isEmpty()) {
        if (in.startsWith(kHeartbeat)) {
            in.remove(0, kHeartbeat.size());
            takeHeartbeat(link);
            continue;
        }
        const qsizetype bar = in.indexOf('|');
        const qsizetype digits = bar < 0 ? in.size() : bar;
        const bool digitsOnly = std::all_of(in.begin(), in.begin() + digits,
                                            [](char c) { return c >= '0' && c <= '9'; });
        if (!digitsOnly || digits > kLengthDigits || bar == 0) {
            link->socket->abort();
            forget(link);
            return;
        }
        if (bar < 0) return; // the length is still coming
        const qsizetype length = in.left(bar).toLongLong();
        if (in.size() < bar + 1 + length) return; // the payload is still coming
        const QByteArray payload = in.mid(bar + 1, length);
        in.remove(0, bar + 1 + length);
        switch (link->stage) {
        case Stage::Greeted:
            takeLoginRecord(link, payload);
            break;
        case Stage::Challenged:
            takeChallengeReply(link, payload);
            break;
        case Stage::Linked:
        case Stage::Refused:
            break; // nothing else is asked of a client
        }
        if (link->socket->state() != QAbstractSocket::ConnectedState) return;
    }
}

void SimUserServer::takeLoginRecord(Link* link, const QByteArray& payload) {
    // The record: version, client id, user id and the client id once more in the transport
    // code, joined by "||", the whole in the transport code.
    const QStringList fields = DecodeText(platform::fromGbk(payload)).split(QStringLiteral("||"));
    LinkRecord r;
    bool userIdOk = false;
    if (fields.size() == 4) {
        r.version = fields[0];
        r.clientId = fields[1];
        r.userId = fields[2].toInt(&userIdOk);
    }
    link->record = recordsDropped_ + static_cast<int>(records_.size());
    if (fields.size() != 4 || !userIdOk || DecodeText(fields[3]) != fields[1]) {
        r.outcome = '?';
        addRecord(r);
        link->socket->abort();
        forget(link);
        return;
    }
    link->clientId = r.clientId;
    if (const auto refusal = refusalFor(link, r.clientId, r.userId)) {
        r.outcome = *refusal;
        addRecord(r);
        link->stage = Stage::Refused;
        link->socket->write(frame(QString(QLatin1Char(*refusal))));
        link->socket->flush();
        link->graceTimer.start(timing_.refusalGraceMs);
        return;
    }
    addRecord(r);
    link->challenge.clear();
    std::uniform_int_distribution<int> pick(0, static_cast<int>(sizeof kChallengeChars) - 2);
    for (int i = 0; i < kChallengeLength; ++i)
        link->challenge += QLatin1Char(kChallengeChars[pick(random_)]);
    link->stage = Stage::Challenged;
    link->socket->write(frame(hooks_.encode(link->challenge)));
    link->socket->flush();
}

std::optional<char> SimUserServer::refusalFor(const Link* link, const QString& clientId,
                                              int userId) const {
    if (mode_ == Mode::RefuseA) return 'A';
    if (mode_ == Mode::RefuseB) return 'B';
    if (hooks_.refusal)
        if (const auto r = hooks_.refusal(userId)) return r;
    // "A": this machine already holds a link here; "B": its address holds too many.
    int fromPeer = 0;
    for (const Link* other : links_) {
        if (other == link || other->stage != Stage::Linked) continue;
        if (other->clientId == clientId) return 'A';
        if (other->peer == link->peer) ++fromPeer;
    }
    if (maxLinksPerAddress_ > 0 && fromPeer >= maxLinksPerAddress_) return 'B';
    return std::nullopt;
}

void SimUserServer::takeChallengeReply(Link* link, const QByteArray& payload) {
    LinkRecord* r = recordOf(link);
    if (platform::fromGbk(payload) != link->challenge) {
        if (r) r->outcome = 'X';
        link->stage = Stage::Refused;
        link->socket->write(frame(kWrongReply));
        link->socket->flush();
        link->socket->disconnectFromHost();
        emit recordsChanged();
        return;
    }
    link->stage = Stage::Linked;
    if (r) r->outcome = '+';
    if (acceptance_ == Acceptance::DashWithPush) {
        link->socket->write('-' + pushBytes(0));
        if (r) ++r->pushes;
    } else {
        link->socket->write(frame(QStringLiteral("OK")));
    }
    link->socket->flush();
    schedulePush(link);
    emit recordsChanged();
}

void SimUserServer::takeHeartbeat(Link* link) {
    if (link->stage != Stage::Linked) return;
    if (LinkRecord* r = recordOf(link)) ++r->heartbeats;
    if (mode_ != Mode::Silent && mode_ != Mode::Mute) send(link, frame(kHeartbeatAnswer));
    emit recordsChanged();
}

void SimUserServer::schedulePush(Link* link) {
    std::uniform_int_distribution<int> pause(timing_.pushMinMs, timing_.pushMaxMs);
    link->pushTimer.start(pause(random_));
}

void SimUserServer::push(Link* link) {
    if (link->stage != Stage::Linked) return;
    LinkRecord* r = recordOf(link);
    switch (mode_) {
    case Mode::Silent:
    case Mode::Mute:
        break;
    case Mode::Drop: {
        const QByteArray bytes = pushBytes(0);
        link->socket->write(link->unsent + bytes.left(bytes.size() / 2));
        link->socket->flush();
        link->socket->abort();
        forget(link);
        return;
    }
    case Mode::TwoFrames:
        send(link, pushBytes(1) + pushBytes(0));
        if (r) r->pushes += 2;
        break;
    case Mode::SplitBytes:
        // A slow trickle is not overtaken by the next snapshot: that one is skipped instead.
        if (!link->unsent.isEmpty()) break;
        send(link, pushBytes(0));
        if (r) ++r->pushes;
        break;
    case Mode::Normal:
    case Mode::Down:
    case Mode::RefuseA:
    case Mode::RefuseB:
        send(link, pushBytes(0));
        if (r) ++r->pushes;
        break;
    }
    schedulePush(link);
}

// Everything after the acceptance goes through here and in order, so a heartbeat answer never
// lands inside a snapshot that is still trickling out.
void SimUserServer::send(Link* link, const QByteArray& bytes) {
    link->unsent += bytes;
    if (mode_ == Mode::SplitBytes) {
        if (!link->byteTimer.isActive()) {
            sendNextByte(link);
            link->byteTimer.start(timing_.byteMs);
        }
        return;
    }
    link->byteTimer.stop();
    link->socket->write(link->unsent);
    link->socket->flush();
    link->unsent.clear();
}

void SimUserServer::sendNextByte(Link* link) {
    if (link->unsent.isEmpty()) {
        link->byteTimer.stop();
        return;
    }
    const qsizetype n = mode_ == Mode::SplitBytes ? 1 : link->unsent.size();
    link->socket->write(link->unsent.left(n));
    link->socket->flush();
    link->unsent.remove(0, n);
    if (link->unsent.isEmpty()) link->byteTimer.stop();
}

QByteArray SimUserServer::pushBytes(int secondsAgo) const {
    return platform::toGbk(QStringLiteral("<A") + hooks_.snapshot(secondsAgo) +
                           QStringLiteral("/A>"));
}

void SimUserServer::forget(Link* link) {
    const auto it = std::find(links_.begin(), links_.end(), link);
    if (it == links_.end()) return;
    links_.erase(it);
    link->pushTimer.stop();
    link->byteTimer.stop();
    link->graceTimer.stop();
    link->socket->disconnect();
    // Not deleted here: this may run inside one of the socket's own signals.
    link->deleteLater();
}

void SimUserServer::addRecord(const LinkRecord& r) {
    records_ << r;
    if (records_.size() > kRecordLimit) {
        records_.removeFirst();
        ++recordsDropped_;
    }
    emit recordsChanged();
}

SimUserServer::LinkRecord* SimUserServer::recordOf(const Link* link) {
    const int i = link->record - recordsDropped_;
    if (link->record < 0 || i < 0 || i >= records_.size()) return nullptr;
    return &records_[i];
}
