#include "shell/livelink.h"

#include "common/appinfo.h"
#include "common/config.h"
#include "common/log.h"
#include "common/textcodec.h"
#include "platform/clock.h"
#include "platform/boundary.h"
#include "platform/gbk.h"
#include "platform/vberror.h"
#include "platform/vbtext.h"
#include "state/configstate.h"
#include "state/livelink.h"
#include "state/session.h"

#include <QScopeGuard>
#include <QTcpSocket>

#include <cmath>

namespace {

constexpr int kSlotsPerDay = 720;
constexpr int kMissedBeatsLimit = 5;
// A push frame or a handshake answer never comes near these sizes; past them the bytes are
// garbage and go, so a server that never ends a frame cannot make the buffer grow without end.
constexpr qsizetype kFrameLimit = 256 * 1024;
constexpr qsizetype kHandshakeLimit = 4096;

const QString kRefusedTitle = QStringLiteral("已经登录");

// The leading whole number of a text, when it has one that fits; a number beyond the double
// range ("1e999") fits nothing either.
std::optional<int64_t> leadingWhole(const QString& text) {
    double v = 0;
    try {
        v = platform::Val(text);
    } catch (const platform::VbError&) {
        return std::nullopt;
    }
    if (!std::isfinite(v) || std::fabs(v) > 1e15)
        return std::nullopt;
    return static_cast<int64_t>(platform::Round(v));
}

// A handshake answer is "n|text"; true while its text has not fully arrived yet.
bool answerIncomplete(const QByteArray& buffer) {
    const qsizetype bar = buffer.indexOf('|');
    const QByteArray head = bar < 0 ? buffer : buffer.left(bar);
    for (const char c : head)
        if (c < '0' || c > '9')
            return false;
    if (bar < 0)
        return true; // only the length so far
    return buffer.size() - bar - 1 < head.toLongLong();
}

} // namespace

QStringList PushFrameReader::take(const QByteArray& bytes) {
    buffer_ += bytes;
    QStringList frames;
    // One pass over what was not read before: a frame under way keeps its place at the start of
    // the buffer and how far it was read, so a stream of markers costs its length, not its square.
    const char* d = buffer_.constData();
    const qsizetype n = buffer_.size();
    qsizetype start = inFrame() ? 0 : -1; // the frame under way
    qsizetype i = start >= 0 ? scanned_ : 0;
    for (; i < n; ++i) {
        if (d[i] == '<') {
            if (i + 1 >= n)
                break; // a marker cut after its '<'
            if (d[i + 1] == 'A') {
                // A frame that starts again before it ended lost its end: the newer one counts.
                start = i;
                ++i;
                continue;
            }
        } else if (d[i] == '/' && start >= 0) {
            if (i + 2 >= n)
                break; // an end marker cut short
            if (d[i + 1] == 'A' && d[i + 2] == '>') {
                frames << platform::fromGbk(QByteArrayView(d + start + 2, i - start - 2));
                start = -1;
                i += 2;
                continue;
            }
        }
        if (start >= 0 && i + 1 - start > kFrameLimit)
            start = -1; // garbage, however the network cut it
    }
    if (start >= 0) {
        buffer_.remove(0, start);
        scanned_ = i - start;
    } else {
        // Only a "<" at the very end may matter: the first half of the next frame's marker.
        buffer_ = i < n ? QByteArray("<") : QByteArray();
        scanned_ = 0;
    }
    return frames;
}

QByteArray framedMessage(const QString& payload) {
    const QByteArray bytes = platform::toGbk(payload);
    return QByteArray::number(payload.size()) + '|' + bytes;
}

QString loginRecord() {
    return EncodeText(platform::singleText(AppVer) + QStringLiteral("||") + ClientId + QStringLiteral("||") +
                      QString::number(UserId) + QStringLiteral("||") + EncodeText(ClientId));
}

bool pushSlotIsCurrent(const QString& snapshot, int currentSlot) {
    const QStringList header = snapshot.section(u'|', 0, 0).split(u',');
    if (header.size() < 6)
        return false;
    const auto slot = leadingWhole(header[5]);
    if (!slot)
        return false;
    int64_t d = std::llabs(*slot - currentSlot) % kSlotsPerDay;
    d = std::min<int64_t>(d, kSlotsPerDay - d);
    return d <= 1;
}

std::optional<uint16_t> userPortNumber(const QString& text) {
    const auto v = leadingWhole(text);
    if (!v || *v < 0 || *v > 65535)
        return std::nullopt;
    return static_cast<uint16_t>(*v);
}

LiveLink::LiveLink(LinkSocket& socket, LiveLinkUi ui) : socket_(socket), ui_(std::move(ui)) {
    handshakeTimer_.setSingleShot(true);
    handshakeTimer_.setInterval(kHandshakeDeadline);
    QObject::connect(&handshakeTimer_, &QTimer::timeout,
                     platform::guard("handshakeTimedOut", [this] { handshakeTimedOut(); }));
}

void LiveLink::LinkUser() {
    if (refused_)
        return;
    movedOn_ = false;
    if (!socket_.isClosed())
        socket_.close();
    LinkState = 1;
    // A frame or answer cut off with the last connection would glue onto the new one.
    frames_.clear();
    handshake_.clear();
    waiting_.clear();
    if (UserServerHost.isEmpty())
        useFixedServer();
    if (UserServerHost.isEmpty())
        return;
    handshakeTimer_.start();
    socket_.connectToHost(UserServerHost, UserServerPort);
}

void LiveLink::handshakeTimedOut() {
    if (LinkState < 1 || LinkState > 3)
        return;
    Usersock_Error(static_cast<int>(QAbstractSocket::SocketTimeoutError),
                   QStringLiteral("no handshake within %1 s").arg(handshakeTimer_.interval() / 1000.0));
}

void LiveLink::UnLinkUser() { disconnect(true); }

void LiveLink::disconnect(bool moveOn) {
    handshakeTimer_.stop();
    LinkReady = false;
    LinkState = 0;
    if (ui_.setLiveBoxTicked)
        ui_.setLiveBoxTicked(false);
    if (!socket_.isClosed())
        socket_.close();
    if (moveOn)
        ChangeUserServer();
}

void LiveLink::useFixedServer() {
    const QString host = ConValue(QStringLiteral("userserver"));
    if (host.isEmpty())
        return;
    UserServerHost = host;
    UserServerPort = userPortNumber(ConValue(QStringLiteral("userport"))).value_or(0);
}

void LiveLink::ChangeUserServer() {
    ++UserServerSwitches;
    ++UserSwitchRounds;
    const qsizetype entries = std::min(UserHostList.size(), UserPortList.size());
    if (entries > 0) {
        ++UserServerIndex;
        if (UserServerIndex < 0 || UserServerIndex >= entries)
            UserServerIndex = 0;
        UserServerHost = UserHostList[UserServerIndex];
        UserServerPort = UserPortList[UserServerIndex];
    }
    // After about three rounds of the list (at once without a list), the configured server.
    if (UserSwitchRounds > 3 * entries) {
        useFixedServer();
        UserSwitchRounds = 0;
        UserServerIndex = UserServerStart >= 0 && UserServerStart < entries ? UserServerStart : 0;
    }
    WriteLog(QStringLiteral("Change User Server to:") + UserServerHost + u',' + QString::number(UserServerPort));
}

void LiveLink::Usersock_DataArrival(const QByteArray& bytes) {
    if (!socket_.isConnected())
        return;
    // Applying a push may wait on the network, and more bytes may come meanwhile: they are
    // handled after this read, in their order.
    waiting_ += bytes;
    if (handling_)
        return;
    handling_ = true;
    // A read that raises must not leave the link deaf to every later one.
    const auto done = qScopeGuard([this] { handling_ = false; });
    while (!waiting_.isEmpty()) {
        const QByteArray next = std::exchange(waiting_, {});
        handle(next);
    }
}

void LiveLink::handle(const QByteArray& bytes) {
    switch (LinkState) {
    case 1:
        greeting();
        return;
    case 2:
        handshake_ += bytes;
        loginAnswer();
        return;
    case 3:
        handshake_ += bytes;
        acceptance();
        return;
    case 4:
        MissedBeats = 0;
        pushMessage(bytes);
        return;
    default:
        return;
    }
}

void LiveLink::greeting() {
    // What the server says first is not read.
    LinkState = 2;
    socket_.write(framedMessage(loginRecord()));
}

void LiveLink::loginAnswer() {
    if (ui_.setStatus)
        ui_.setStatus(QStringLiteral("身份验证..."));
    if (answerIncomplete(handshake_) && handshake_.size() < kHandshakeLimit)
        return;
    const QString message = platform::fromGbk(std::exchange(handshake_, {}));
    const qsizetype bar = message.indexOf(u'|');
    if (bar < 0)
        return;
    const int64_t length = std::max<int64_t>(0, leadingWhole(message.left(bar)).value_or(0));
    const qsizetype take = static_cast<qsizetype>(std::min<int64_t>(length, message.size()));
    const QString answer = message.mid(bar + 1).left(take);
    if (answer == u"A") {
        refuse(QStringLiteral("您的机器已经在服务器上登录了,不能重复登录."));
        return;
    }
    if (answer == u"B") {
        refuse(QStringLiteral("您的IP地址已经在服务器过多,不能再登录."));
        return;
    }
    LinkState = 3;
    socket_.write(framedMessage(DecodeText(answer)));
}

void LiveLink::refuse(const QString& text) {
    if (ui_.showRefusal)
        ui_.showRefusal(text, kRefusedTitle);
    LinkReady = false;
    handshakeTimer_.stop();
    socket_.close();
    // Shown once: nothing links again by itself until the member asks for it, and meanwhile the
    // quotes are polled.
    refused_ = true;
    UseRealtime = false;
    PushLost = true;
    if (ui_.setLiveBoxTicked)
        ui_.setLiveBoxTicked(false);
}

void LiveLink::acceptance() {
    const bool accepted = handshake_.startsWith('-') || handshake_.contains("|OK");
    if (!accepted && answerIncomplete(handshake_) && handshake_.size() < kHandshakeLimit)
        return;
    const QByteArray message = std::exchange(handshake_, {});
    LinkState = 4;
    handshakeTimer_.stop();
    if (!accepted)
        return;
    LinkReady = true;
    PushLost = false;
    if (UseRealtime && ui_.setLiveBoxTicked)
        ui_.setLiveBoxTicked(true);
    pushMessage(message.mid(1));
}

void LiveLink::pushMessage(const QByteArray& bytes) {
    PushTime = ServerNow;
    const QStringList complete = frames_.take(bytes);
    if (complete.isEmpty())
        return;
    // Several frames in one read: the newest one is the market now.
    PushData = complete.last();
    if (!(PushMode == 2 || (IsVip && UseRealtime)))
        return;
    if (!PushData.contains(u',')) {
        PushLost = true;
        return;
    }
    const int slot = ui_.currentSlot ? ui_.currentSlot() : 0;
    if (!pushSlotIsCurrent(PushData, slot))
        return;
    if (ui_.applyPush)
        ui_.applyPush(PushData);
    RefreshCountdown = 0;
}

void LiveLink::Usersock_Close() {
    handshakeTimer_.stop();
    LinkReady = false;
    BeatPending = true;
    LinkState = 0;
}

void LiveLink::Usersock_Error(int, const QString& description) {
    BeatPending = true;
    UnLinkUser();
    movedOn_ = true;
    if (!socket_.isClosed())
        socket_.close();
    if (NoPrevInstance)
        WriteLog(QStringLiteral("USER SOCK ERR:") + description);
}

void LiveLink::heartbeat() {
    if (LinkReady) {
        ++HeartbeatTick;
        if (socket_.isConnected() && HeartbeatTick >= HeartbeatSeconds && LinkState >= 4) {
            socket_.write(QByteArray(kHeartbeat));
            MissedBeats = 0;
            HeartbeatTick = 0;
            BeatPending = true;
        }
    }
    if (!BeatPending)
        return;
    ++MissedBeats;
    if (MissedBeats < kMissedBeatsLimit)
        return;
    MissedBeats = 0;
    BeatPending = false;
    PushLost = true;
    LinkReady = false;
    // A failed connection moved on to the next server already: moving on again here would skip
    // every other entry of the list (with two servers, the second one never), and the fixed
    // server after the rounds too.
    disconnect(!movedOn_);
    LinkUser();
}

TcpLinkSocket::TcpLinkSocket(QObject* parent) : QObject(parent), socket_(std::make_unique<QTcpSocket>()) {
    connect(socket_.get(), &QTcpSocket::readyRead, this, platform::guard("Usersock_DataArrival", [this] { readAll(); }));
    connect(socket_.get(), &QTcpSocket::disconnected, this, platform::guard("Usersock_Close", [this] {
        if (!closing_ && link_ != nullptr)
            link_->Usersock_Close();
    }));
    connect(socket_.get(), &QTcpSocket::errorOccurred, this,
            platform::guard("Usersock_Error", [this](QAbstractSocket::SocketError error) {
        // The peer's close is the Close event, not an error.
        if (closing_ || link_ == nullptr || error == QAbstractSocket::RemoteHostClosedError)
            return;
        link_->Usersock_Error(static_cast<int>(error), socket_->errorString());
    }));
}

TcpLinkSocket::~TcpLinkSocket() {
    link_ = nullptr;
    closing_ = true;
    socket_->abort();
}

bool TcpLinkSocket::isConnected() const { return socket_->state() == QAbstractSocket::ConnectedState; }
bool TcpLinkSocket::isClosed() const { return socket_->state() == QAbstractSocket::UnconnectedState; }

void TcpLinkSocket::connectToHost(const QString& host, uint16_t port) { socket_->connectToHost(host, port); }

void TcpLinkSocket::close() {
    closing_ = true;
    socket_->abort();
    closing_ = false;
}

void TcpLinkSocket::write(const QByteArray& bytes) {
    if (isConnected())
        socket_->write(bytes);
}

void TcpLinkSocket::readAll() {
    // A read handled from inside a network wait of an earlier one gets no second readyRead for
    // what arrived meanwhile: take whatever waits, until nothing does.
    while (link_ != nullptr && socket_->bytesAvailable() > 0)
        link_->Usersock_DataArrival(socket_->readAll());
}
