#pragma once

#include "simservice/simaccounts.h"
#include "simservice/simmarket.h"
#include "simservice/simnews.h"
#include "simservice/simnotices.h"
#include "simservice/simuserserver.h"

#include <QAbstractHttpServer>
#include <QDateTime>
#include <QStringList>
#include <QUrlQuery>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <utility>
#include <vector>

class QTcpSocket;
namespace simpages {
struct Page;
}

// The simulated web service on one HTTP port of 127.0.0.1: the configuration text (primary and
// mirror paths), three data servers (clock, quote snapshot, three-day, ten-day and one-year
// histories), the login, keep-alive with its notices and log-out, the web pages the configuration
// names (with the signed-in redirects to them) and admin paths that make any of them misbehave or
// change the configuration. Beside it run the user servers of the members' live link (TCP), one
// per port of the configuration's `user` list and the fall-back `userserver`:`userport`.
// Runs on the caller's thread and never blocks it, so a client in the same process can fetch from
// it while it waits.
class SimService : public QAbstractHttpServer {
    Q_OBJECT

public:
    // What a request asks for; Any in a fault rule stands for every one of them.
    enum class Endpoint {
        Any,
        Config,
        Clock,
        Snapshot,
        Intraday,
        TenDay,
        Year,
        Login,
        Captcha,
        Page,
        Logout,
        Hello // the keep-alive
    };
    // How an endpoint misbehaves: an empty body, a body that is not in the transport code, an
    // HTTP 404 with an HTML page, the right answer only after the fault delay, or the connection
    // dropped without an answer; or the right answer trickling out a byte at a time (trickleByteMs
    // apart), so a client's time-out ends the request before the answer has arrived whole.
    enum class Fault { None, Empty, Garbage, NotFound, Delay, Close, Trickle };

    struct Options {
        quint16 httpPort = 18631; // 0 picks a free port
        // The user server the configuration names as `userserver`:`userport`, the client's
        // fall-back; 0 picks a free port (the command line's default is 18632).
        quint16 userPort = 0;
        // The configuration's `user` list; empty: the fall-back server alone. A 0 picks a free
        // port; a port equal to userPort is that same server.
        QList<quint16> userPorts;
        int pushMinMs = 1000; // a linked client gets a snapshot after a pause in this range
        int pushMaxMs = 3000;
        int splitByteMs = 1;         // between the bytes of a split message
        int maxLinksPerAddress = 16; // more links from one address are refused with "B"
        int helloSeconds = 300;      // the configuration's helloallid
        int heartbeatSeconds = 30;   // VIPCheckAll
        int pushMode = 1;            // UserDo
        uint32_t seed = 1;
        std::function<QDateTime()> now; // the service clock; empty: platform::pcNow
        int faultDelayMs = 25000;       // longer than the client's 20-second time-out
        int trickleByteMs = 100;        // between the bytes of a trickled answer
        int loginType = 0;              // the configuration's Logintype: non-zero needs a login
        bool bottomAdvert = true;       // false: the configuration names no advert page (botturl)
    };

    explicit SimService(Options options, QObject* parent = nullptr);
    explicit SimService(QObject* parent = nullptr) : SimService(Options{}, parent) {}

    // Listens on 127.0.0.1 (HTTP and every user server); false when a port cannot be had.
    bool start();
    quint16 httpPort() const { return port_; }
    // The fall-back user server's port and the ports of the `user` list, as served once started.
    quint16 userPort() const;
    QList<quint16> userPorts() const;

    QString baseUrl() const; // "http://127.0.0.1:P/"
    QString configUrl() const;
    QString mirrorConfigUrl() const;
    // The data servers as the configuration lists them.
    QStringList dataServerUrls() const;
    // Every data-server address that answers: the listed ones and the "get.shtml" form of each
    // "do.asp" entry, the form the client uses for the entry it starts from.
    QStringList servedDataUrls() const;
    // The configuration text before the transport code.
    QString configText() const;
    // The configuration's Logintype from the next download on.
    void setLoginType(int loginType) { options_.loginType = loginType; }
    void setBottomAdvert(bool on) { options_.bottomAdvert = on; }
    int loginType() const { return options_.loginType; }

    QDateTime now() const;
    const SimMarket& market() const { return market_; }
    // The test accounts, the verification code and the forced login status.
    SimAccounts& accounts() { return accounts_; }

    // A fault rule for a path: an exact path ("/data1/get.shtml"), a folder ("/data1", which
    // covers every path below it) or "*". The narrowest rule wins: exact path before folder
    // before "*", a named endpoint before Any. times > 0 spends the rule after that many
    // requests; Fault::None removes the rule. A client's HTTP stack may resend a request whose
    // connection was dropped, so a spent Close rule can still end in a good answer to that call.
    void setFault(const QString& path, Endpoint endpoint, Fault fault, int times = -1);
    void clearFaults();
    void setFaultDelayMs(int ms) { options_.faultDelayMs = ms; }
    int faultDelayMs() const { return options_.faultDelayMs; }

    // An answer of the test's own for a path and endpoint, with the same path rules and spending
    // as setFault (a fault rule still applies on top): `text` goes out in the transport code, as
    // the data servers answer, or exactly as given when `encode` is false.
    void setAnswer(const QString& path, Endpoint endpoint, const QString& text, bool encode = true,
                   int times = -1);
    void clearAnswers();

    // Market answers with the flaws of a broken or patchy store (see SimMarket).
    void setSnapshotShape(SimMarket::SnapshotShape shape) { snapshotShape_ = shape; }
    void setMissingSlots(bool on) { missingSlots_ = on; }
    // Instrument names of the snapshots repeated to this many characters; 0: as usual.
    void setNameLength(int length) { nameLength_ = length; }
    // The newest news item's title that many characters long; 0 as usual.
    void setLongNewsTitle(int length) { news_.setLongTitle(length); }
    // Replaces the service clock; an empty function returns to the PC clock.
    void setNow(std::function<QDateTime()> now) { options_.now = std::move(now); }

    // Path and query of every request served, oldest first (the newest 10000).
    QStringList requestLog() const { return requests_; }
    void clearRequestLog() { requests_.clear(); }
    // The form bodies posted (login, keep-alive, log-out) as they arrived, oldest first (the
    // newest 1000).
    struct FormPost {
        QString path;
        QByteArray body;
    };
    QList<FormPost> formPosts() const { return posts_; }

    // The user servers: the `user` list's in order, then the fall-back when it is none of them.
    QList<SimUserServer*> userServers() const;
    // The user server on `port`; nullptr for a port none serves.
    SimUserServer* userServer(quint16 port) const;
    // Port 0: every user server. False when the port is served by none, or a server cannot
    // listen again after Down.
    bool setUserMode(SimUserServer::Mode mode, quint16 port = 0);
    bool setUserAcceptance(SimUserServer::Acceptance acceptance, quint16 port = 0);
    bool dropUserLinks(quint16 port = 0);

    // The notices every keep-alive gets back.
    SimNotices& notices() { return notices_; }

    static std::optional<Endpoint> endpointFromName(QStringView name);
    static std::optional<Fault> faultFromName(QStringView name);
    static QString endpointName(Endpoint e);
    static QString faultName(Fault f);

signals:
    void requestServed(const QString& target);

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;

private:
    struct Answer {
        int status = 200;
        QByteArray contentType = "text/plain; charset=gb2312";
        QByteArray body;
        QByteArray location; // where a redirect sends the browser
    };
    // The answer of a control address to a request it cannot carry out.
    static Answer refuse(const QString& why);
    struct Rule {
        Fault fault;
        int remaining; // -1: until removed
    };
    struct Scripted {
        QString text;
        bool encode;
        int remaining; // -1: until removed
    };
    template <typename Value>
    using RuleMap = std::map<std::pair<QString, Endpoint>, Value>;

    Answer dataAnswer(const QUrlQuery& query, std::optional<Endpoint>& endpoint) const;
    Answer adminAnswer(const QUrlQuery& query);
    Answer encoded(const QString& plain, bool wrapLines = true) const;
    static Answer notFound();
    static Answer htmlAnswer(const simpages::Page& page, int status = 200);
    static Answer garbage();
    Fault takeFault(const QString& path, std::optional<Endpoint> endpoint);
    std::optional<Answer> takeAnswer(const QString& path, std::optional<Endpoint> endpoint);
    template <typename Value>
    static typename RuleMap<Value>::iterator findRule(RuleMap<Value>& rules, const QString& path,
                                                      std::optional<Endpoint> endpoint);
    Answer scenarioAnswer(const QUrlQuery& query);
    Answer configAdminAnswer(const QUrlQuery& query);
    // The web pages and the signed-in redirects; nullopt for a path that is none of them.
    std::optional<Answer> pageAnswer(const QString& path, const QUrlQuery& query) const;
    Answer signedInRedirect(const QUrlQuery& query) const;
    QString faultListing() const;
    // The transport code with the service's own random values.
    QString code(const QString& plain) const;
    QString helloAnswer(const QByteArray& body);
    Answer userAdminAnswer(const QUrlQuery& query);
    Answer noticeAdminAnswer(const QUrlQuery& query);
    QList<SimUserServer*> serversOn(quint16 port) const;
    static void writeAnswer(QTcpSocket* socket, const Answer& answer);
    static QByteArray answerBytes(const Answer& answer);
    void trickleAnswer(QTcpSocket* socket, const Answer& answer);

    Options options_;
    SimMarket market_;
    SimAccounts accounts_;
    SimNotices notices_;
    SimNews news_;
    quint16 port_ = 0;
    std::vector<std::unique_ptr<SimUserServer>> userServers_;
    std::vector<size_t> userList_; // the server of each `user` entry
    size_t fallbackServer_ = 0;
    QList<FormPost> posts_;
    RuleMap<Rule> faults_;
    RuleMap<Scripted> answers_;
    SimMarket::SnapshotShape snapshotShape_ = SimMarket::SnapshotShape::Normal;
    bool missingSlots_ = false;
    int nameLength_ = 0;
    QStringList requests_;
    mutable std::mt19937 codecRandom_;
};
