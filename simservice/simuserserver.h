#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>
#include <random>
#include <vector>

class QTcpServer;
class QTcpSocket;

// One user server of the members' live link on a TCP port of 127.0.0.1. It greets a new
// connection, reads the client's login record (its length, "|" and the record in the transport
// code), refuses it with "A" or "B" or sends a challenge in the transport code, checks the
// decoded challenge the client sends back, accepts the link and from then on pushes the current
// quote snapshot between "<A" and "/A>" every one to three seconds; it answers the heartbeat
// "5|HI". A mode makes it misbehave the way a real server or network does.
class SimUserServer : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SimUserServer)

public:
    enum class Mode {
        Normal,
        SplitBytes, // every message after the acceptance goes out one byte per write
        TwoFrames,  // every push carries two snapshots, the earlier one first, in one write
        Silent,     // nothing after the acceptance: no pushes, no heartbeat answers
        Mute,       // accepts connections and never says anything, not even the greeting
        Drop,       // the next push breaks off halfway and the connection is dropped
        Down,       // not listening; every connection is dropped
        RefuseA,    // every login is refused with "A"
        RefuseB     // every login is refused with "B"
    };
    // The accepting message: "-" with the first push in the same write, or the framed "OK" alone
    // (the first push then follows at the cadence).
    enum class Acceptance { DashWithPush, FramedOk };

    struct Timing {
        int pushMinMs = 1000;
        int pushMaxMs = 3000;
        int byteMs = 1; // between the bytes of a split message
        int refusalGraceMs =
            30000; // a refused client closes the link itself; after this the server does
    };
    struct Hooks {
        std::function<QString(int secondsAgo)> snapshot; // the snapshot text the data servers serve
        std::function<QString(const QString&)> encode;   // the transport code
        std::function<std::optional<char>(int userId)> refusal; // an account the servers refuse
    };

    // What one login record led to.
    struct LinkRecord {
        QString version;
        QString clientId;
        int userId = 0;
        // '+' linked, 'A'/'B' refused, '?' unreadable record, 'X' wrong answer to the challenge,
        // 0 while the challenge is open.
        char outcome = 0;
        int heartbeats = 0;
        int pushes = 0; // the snapshots written to the link, the one with the acceptance included
    };

    SimUserServer(quint16 port, Hooks hooks, Timing timing, uint32_t seed, int maxLinksPerAddress,
                  QObject* parent = nullptr);
    ~SimUserServer() override;

    // Listens on 127.0.0.1; false when the port cannot be had.
    bool start();
    quint16 port() const { return port_; }

    // Takes effect at once, also on the links that are open. Leaving Down listens again on the
    // same port; false when that port cannot be had.
    bool setMode(Mode mode);
    Mode mode() const { return mode_; }
    void setAcceptance(Acceptance a) { acceptance_ = a; }
    Acceptance acceptance() const { return acceptance_; }

    // Aborts every connection now.
    void dropLinks();
    // Connections open now, and those of them that are linked.
    int connectionCount() const { return static_cast<int>(links_.size()); }
    int linkCount() const;
    // Every login record read, oldest first (the newest 1000).
    QList<LinkRecord> records() const { return records_; }

    static std::optional<Mode> modeFromName(QStringView name);
    static QString modeName(Mode m);

    // "n|text" with n the length of the text: how both sides frame their messages.
    static QByteArray frame(const QString& text);

signals:
    // A login record was read, a link accepted or refused, a heartbeat answered.
    void recordsChanged();

private:
    class Link;
    enum class Stage { Greeted, Challenged, Linked, Refused };

    void acceptConnections();
    void readFrom(Link* link);
    void takeLoginRecord(Link* link, const QByteArray& payload);
    void takeChallengeReply(Link* link, const QByteArray& payload);
    void takeHeartbeat(Link* link);
    std::optional<char> refusalFor(const Link* link, const QString& clientId, int userId) const;
    void push(Link* link);
    void schedulePush(Link* link);
    void send(Link* link, const QByteArray& bytes);
    void sendNextByte(Link* link);
    QByteArray pushBytes(int secondsAgo) const;
    void forget(Link* link);
    void addRecord(const LinkRecord& r);
    LinkRecord* recordOf(const Link* link);

    quint16 port_;
    Hooks hooks_;
    Timing timing_;
    int maxLinksPerAddress_;
    QTcpServer* listener_;
    // While the server is down, its port stays bound but unheard: connections are refused, and
    // the port is never handed to a socket that lets the machine choose (another test's server,
    // an outgoing connection), which would leave the server nowhere to come back to.
    QTcpSocket* portHolder_ = nullptr;
    std::vector<Link*> links_;
    QList<LinkRecord> records_;
    int recordsDropped_ = 0; // records that fell off the front of the list
    Mode mode_ = Mode::Normal;
    Acceptance acceptance_ = Acceptance::DashWithPush;
    std::mt19937 random_;
};
