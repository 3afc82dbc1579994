#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class QTcpSocket;

// The live link to the user server: a member's quotes arrive as pushes over one TCP connection,
// with a login exchange first and a heartbeat after. The protocol runs on plain bytes here; the
// socket is behind LinkSocket, so tests feed the bytes a server would send directly.

// Pushed snapshots in the byte stream: "<A" snapshot "/A>", not length-framed, and cut anywhere
// by the network. Bytes outside a frame (heartbeat answers, the rest of a handshake) are dropped,
// and so is a frame that grows past any real snapshot's size without its end, wherever the
// network cut it.
class PushFrameReader {
public:
    // Appends what arrived; returns the frames completed by it, oldest first. Each frame is
    // decoded from GBK as a whole, so a character cut between two reads comes out whole.
    [[nodiscard]] QStringList take(const QByteArray& bytes);
    void clear() {
        buffer_.clear();
        scanned_ = 0;
    }
    // A frame has begun and waits for its end.
    [[nodiscard]] bool inFrame() const { return buffer_.startsWith("<A"); }

private:
    QByteArray buffer_;       // the frame under way, a lone "<", or nothing
    qsizetype scanned_ = 0;   // bytes of the frame under way already read past
};

// Client messages: the payload's length in decimal, "|" and the payload.
[[nodiscard]] QByteArray framedMessage(const QString& payload);
// The login record's payload: the scrambled text of the version, the client id, the user id and
// the scrambled client id, joined by "||".
[[nodiscard]] QString loginRecord();
// The snapshot's slot index (field 5 of its first row) is the current two-minute slot or a
// neighbour of it, counting round the 720 slots of the trading day. False when it names none.
[[nodiscard]] bool pushSlotIsCurrent(const QString& snapshot, int currentSlot);
// A port of the configuration: a whole number 0..65535, else none.
[[nodiscard]] std::optional<uint16_t> userPortNumber(const QString& text);

inline constexpr char kHeartbeat[] = "5|HI";
// From the connect to the server's last handshake message: a server that takes longer (one that
// accepts the connection and never speaks) counts as a failed connection.
inline constexpr std::chrono::milliseconds kHandshakeDeadline{15000};

// The socket as the link uses it; the program's is TcpLinkSocket.
class LinkSocket {
public:
    virtual ~LinkSocket() = default;
    [[nodiscard]] virtual bool isConnected() const = 0; // Usersock state 7
    [[nodiscard]] virtual bool isClosed() const = 0;    // Usersock state 0
    virtual void connectToHost(const QString& host, uint16_t port) = 0;
    // Closes without a Close event: only the peer's close raises one.
    virtual void close() = 0;
    virtual void write(const QByteArray& bytes) = 0;
};

// What the link shows and changes on the main window.
struct LiveLinkUi {
    std::function<void(const QString& text)> setStatus;              // Nextupti
    std::function<void(bool ticked)> setLiveBoxTicked;                // Check12's value
    std::function<void(const QString& text, const QString& title)> showRefusal; // closes itself
    std::function<void(const QString& snapshot)> applyPush;           // Main.LoadData(PushData)
    std::function<int()> currentSlot;                                 // NowSlot720
};

class LiveLink {
public:
    LiveLink(LinkSocket& socket, LiveLinkUi ui);

    // Connects to the current user server (the configured fixed one when the list is empty).
    // Does nothing after a refusal until allowAfterRefusal.
    void LinkUser();
    // Closes the link, unticks the box and moves on to the next server.
    void UnLinkUser();
    void ChangeUserServer();

    // Events of the socket.
    void Usersock_DataArrival(const QByteArray& bytes);
    void Usersock_Close();
    void Usersock_Error(int number, const QString& description);

    // Timer2's every second: the heartbeat and the watch that relinks a silent link.
    void heartbeat();

    // The member ticked the box, or logged in: a refusal no longer holds the link back.
    void allowAfterRefusal() { refused_ = false; }
    [[nodiscard]] bool refused() const { return refused_; }

    // Tests shorten it; kHandshakeDeadline otherwise.
    void setHandshakeDeadline(std::chrono::milliseconds deadline) { handshakeTimer_.setInterval(deadline); }

    int32_t UserSwitchRounds = 0;   // switches since the last fall-back to the fixed server
    int32_t UserServerSwitches = 0; // every switch since the main window started

private:
    void handle(const QByteArray& bytes);
    void greeting();
    void loginAnswer();
    void acceptance();
    void pushMessage(const QByteArray& bytes);
    void refuse(const QString& text);
    void disconnect(bool moveOn);
    void useFixedServer();
    void handshakeTimedOut();

    LinkSocket& socket_;
    LiveLinkUi ui_;
    PushFrameReader frames_;
    QByteArray handshake_; // a handshake answer still arriving
    QByteArray waiting_;   // bytes that came while an earlier read was still being handled
    bool handling_ = false;
    bool refused_ = false;
    bool movedOn_ = false; // a socket error moved on to the next server; the relink stays there
    QTimer handshakeTimer_;
};

// The program's socket: a QTcpSocket whose events go to a LiveLink.
class TcpLinkSocket : public QObject, public LinkSocket {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TcpLinkSocket)
public:
    explicit TcpLinkSocket(QObject* parent = nullptr);
    ~TcpLinkSocket() override;

    void bind(LiveLink* link) { link_ = link; }

    [[nodiscard]] bool isConnected() const override;
    [[nodiscard]] bool isClosed() const override;
    void connectToHost(const QString& host, uint16_t port) override;
    void close() override;
    void write(const QByteArray& bytes) override;

private:
    void readAll();

    std::unique_ptr<QTcpSocket> socket_;
    LiveLink* link_ = nullptr;
    bool closing_ = false;
};
