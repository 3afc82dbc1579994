#include "simservice/simservice.h"

#include "common/appinfo.h"
#include "common/textcodec.h"
#include "platform/clock.h"
#include "platform/gbk.h"
#include "platform/vbtext.h"
#include "simservice/simnews.h"
#include "simservice/simpages.h"

#include <QHostAddress>
#include <QHttpServerRequest>
#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>
#include <array>
#include <memory>

namespace {

const QString kConfigPath = QStringLiteral("/cons/config.txt");
const QString kMirrorConfigPath = QStringLiteral("/brelto/cons/config.txt");
const QString kAdminPath = QStringLiteral("/sim/fault");
const QString kLoginAdminPath = QStringLiteral("/sim/login");
const QString kScenarioPath = QStringLiteral("/sim/scenario");
const QString kConfigAdminPath = QStringLiteral("/sim/config");
const QString kUserAdminPath = QStringLiteral("/sim/user");
const QString kNoticeAdminPath = QStringLiteral("/sim/notice");
// A news title of a million characters is already more than any client is meant to meet.
constexpr int kLongestNewsTitle = 1000000;
constexpr int kLongestName = 1000000;
// Login and keep-alive (form posts, "do=softin" and "do=stat") and the signed-in redirect
// ("do=webin", a plain get).
const QString kLoginPath = QStringLiteral("/soft/doing.asp");
const QString kCaptchaPath = QStringLiteral("/user/getcode.asp");
// Log-out (a form post), the single sign-on redirect ("do=webin") and the web site's login page.
const QString kUserLoginPath = QStringLiteral("/user/login.asp");
const QString kMisreadUserLoginPath = QStringLiteral("/login.asp");
const QString kMisreadLoginPath = QStringLiteral("/doing.asp"); // the keep-alive's "//soft/doing.asp"

// The web pages the configuration names.
const QString kDataPage = QStringLiteral("/web/data.asp");
const QString kBookkeepingPage = QStringLiteral("/web/account.asp");
const QString kSmsPage = QStringLiteral("/web/sms.asp");
const QString kQuotePage = QStringLiteral("/web/quote.asp");
const QString kEtfPage = QStringLiteral("/web/etf.asp");
const QString kForumPage = QStringLiteral("/bbs/");
const QString kNewsItemPage = QStringLiteral("/news/show.asp");
const QString kBroadcastItemPage = QStringLiteral("/bobao/show.asp");
// The broadcasts and news feed the configuration names as newspath.
const QString kNewsFeedPath = QStringLiteral("/soft/news.asp");
const QString kBottomAdPage = QStringLiteral("/ad/bottom.asp");
// Pages of the web site the program opens by name.
const QString kVipPage = QStringLiteral("/vip.asp");
const QString kMemberHomePage = QStringLiteral("/user/index.asp");
const QString kProfilePage = QStringLiteral("/user/modi.asp");

// The pages a signed-in address names with "url=".
const std::array<std::pair<const char*, const QString*>, 5> kSignedInPages = {{
    {"index", &kMemberHomePage},
    {"modi", &kProfilePage},
    {"setvip", &kVipPage},
    {"zhang", &kBookkeepingPage},
    {"mysms", &kSmsPage},
}};
// The data servers as listed; a "do.asp" entry is also served as "get.shtml", the form the client
// turns its first choice into.
const std::array<QString, 3> kDataPaths = {QStringLiteral("/data1/do.asp"),
                                           QStringLiteral("/data2/get.shtml"),
                                           QStringLiteral("/data3/do.asp")};

constexpr qsizetype kRequestLogLimit = 10000;
constexpr qsizetype kPostLogLimit = 1000;
// The service breaks its encoded answers into lines, as its mail-style encoder always did; the
// client removes the breaks before decoding.
constexpr qsizetype kLineLength = 76;

QString asGetShtml(const QString& path) {
    QString p = path;
    return p.replace(QStringLiteral("do.asp"), QStringLiteral("get.shtml"));
}

bool isDataPath(const QString& path) {
    for (const QString& p : kDataPaths)
        if (path == p || path == asGetShtml(p)) return true;
    return false;
}

QByteArray reasonPhrase(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 302:
        return "Found";
    case 400:
        return "Bad Request";
    case 404:
        return "Not Found";
    default:
        return "Unknown";
    }
}

const std::array<std::pair<SimService::Endpoint, const char*>, 12> kEndpointNames = {{
    {SimService::Endpoint::Any, "any"},
    {SimService::Endpoint::Config, "config"},
    {SimService::Endpoint::Clock, "clock"},
    {SimService::Endpoint::Snapshot, "snapshot"},
    {SimService::Endpoint::Intraday, "intraday"},
    {SimService::Endpoint::TenDay, "tenday"},
    {SimService::Endpoint::Year, "year"},
    {SimService::Endpoint::Login, "login"},
    {SimService::Endpoint::Captcha, "captcha"},
    {SimService::Endpoint::Page, "page"},
    {SimService::Endpoint::Logout, "logout"},
    {SimService::Endpoint::Hello, "hello"},
}};

const std::array<std::pair<SimService::Fault, const char*>, 7> kFaultNames = {{
    {SimService::Fault::None, "none"},
    {SimService::Fault::Empty, "empty"},
    {SimService::Fault::Garbage, "garbage"},
    {SimService::Fault::NotFound, "404"},
    {SimService::Fault::Delay, "delay"},
    {SimService::Fault::Close, "close"},
    {SimService::Fault::Trickle, "trickle"},
}};

// A rule's path key without a trailing "/", so "/data1/" and "/data1" are the same folder.
QString normalisedKey(const QString& path) {
    QString key = path.trimmed();
    while (key.size() > 1 && key.endsWith(u'/'))
        key.chop(1);
    return key;
}

QString queryValue(const QUrlQuery& query, const char* key) {
    return query.queryItemValue(QLatin1String(key), QUrl::FullyDecoded);
}

} // namespace

SimService::Answer SimService::refuse(const QString& why) {
    Answer a;
    a.status = 400;
    a.body = platform::toGbk(why + QStringLiteral("\r\n"));
    return a;
}

SimService::SimService(Options options, QObject* parent)
    : QAbstractHttpServer(parent), options_(std::move(options)), market_(options_.seed),
      accounts_(options_.seed), notices_(now()), codecRandom_(options_.seed) {
    SimUserServer::Hooks hooks;
    hooks.snapshot = [this](int secondsAgo) {
        return market_.snapshotText(now().addSecs(-secondsAgo), snapshotShape_, nameLength_);
    };
    hooks.encode = [this](const QString& text) { return code(text); };
    hooks.refusal = &SimAccounts::linkRefusal;
    SimUserServer::Timing timing;
    timing.pushMinMs = options_.pushMinMs;
    timing.pushMaxMs = options_.pushMaxMs;
    timing.byteMs = options_.splitByteMs;
    auto serverFor = [&](quint16 port) {
        // A port named twice is one server; free ports (0) are each a server of their own.
        for (size_t i = 0; i < userServers_.size() && port != 0; ++i)
            if (userServers_[i]->port() == port) return i;
        userServers_.push_back(std::make_unique<SimUserServer>(
            port, hooks, timing, options_.seed * 7919u + static_cast<uint32_t>(userServers_.size()),
            options_.maxLinksPerAddress));
        return userServers_.size() - 1;
    };
    for (const quint16 port :
         options_.userPorts.isEmpty() ? QList<quint16>{options_.userPort} : options_.userPorts)
        userList_.push_back(serverFor(port));
    fallbackServer_ =
        options_.userPorts.isEmpty() ? userList_.front() : serverFor(options_.userPort);
}

bool SimService::start() {
    port_ = listen(QHostAddress(QHostAddress::LocalHost), options_.httpPort);
    if (port_ == 0) return false;
    for (const auto& server : userServers_)
        if (!server->start()) return false;
    return true;
}

quint16 SimService::userPort() const {
    return userServers_[fallbackServer_]->port();
}

QList<quint16> SimService::userPorts() const {
    QList<quint16> ports;
    for (const size_t i : userList_)
        ports << userServers_[i]->port();
    return ports;
}

QList<SimUserServer*> SimService::userServers() const {
    QList<SimUserServer*> servers;
    for (const auto& server : userServers_)
        servers << server.get();
    return servers;
}

SimUserServer* SimService::userServer(quint16 port) const {
    for (const auto& server : userServers_)
        if (server->port() == port) return server.get();
    return nullptr;
}

QList<SimUserServer*> SimService::serversOn(quint16 port) const {
    if (port == 0) return userServers();
    SimUserServer* server = userServer(port);
    return server ? QList<SimUserServer*>{server} : QList<SimUserServer*>{};
}

bool SimService::setUserMode(SimUserServer::Mode mode, quint16 port) {
    const QList<SimUserServer*> servers = serversOn(port);
    bool ok = !servers.isEmpty();
    for (SimUserServer* server : servers)
        ok = server->setMode(mode) && ok;
    return ok;
}

bool SimService::setUserAcceptance(SimUserServer::Acceptance acceptance, quint16 port) {
    const QList<SimUserServer*> servers = serversOn(port);
    for (SimUserServer* server : servers)
        server->setAcceptance(acceptance);
    return !servers.isEmpty();
}

bool SimService::dropUserLinks(quint16 port) {
    const QList<SimUserServer*> servers = serversOn(port);
    for (SimUserServer* server : servers)
        server->dropLinks();
    return !servers.isEmpty();
}

QString SimService::baseUrl() const {
    return QStringLiteral("http://127.0.0.1:%1/").arg(port_);
}

QString SimService::configUrl() const {
    return baseUrl() + kConfigPath.mid(1);
}

QString SimService::mirrorConfigUrl() const {
    return baseUrl() + kMirrorConfigPath.mid(1);
}

QStringList SimService::dataServerUrls() const {
    QStringList urls;
    for (const QString& p : kDataPaths)
        urls << baseUrl() + p.mid(1);
    return urls;
}

QStringList SimService::servedDataUrls() const {
    QStringList urls;
    for (const QString& p : kDataPaths) {
        urls << baseUrl() + p.mid(1);
        if (asGetShtml(p) != p) urls << baseUrl() + asGetShtml(p).mid(1);
    }
    return urls;
}

QString SimService::configText() const {
    const QString b = baseUrl();
    QStringList userEntries;
    for (const quint16 port : userPorts())
        userEntries << QStringLiteral("127.0.0.1:%1").arg(port);
    QString servers;
    for (const QString& url : dataServerUrls())
        servers += url + u'|';
    const QStringList lines = {
        // The client finds a key only after a line feed, so the first line is a title.
        QStringLiteral("[BRELTO]"),
        QStringLiteral("mainurl=") + b,
        QStringLiteral("server=") + servers,
        QStringLiteral("user=") + userEntries.join(u','),
        QStringLiteral("userserver=127.0.0.1"),
        QStringLiteral("userport=%1").arg(userPort()),
        QStringLiteral("helloallid=%1").arg(options_.helloSeconds),
        QStringLiteral("VIPCheckAll=%1").arg(options_.heartbeatSeconds),
        QStringLiteral("UserDo=%1").arg(options_.pushMode),
        QStringLiteral("tipstr=黄金,非农|美元,美联储"),
        QStringLiteral("new=") + platform::singleText(AppVer),
        QStringLiteral("close=,1.0,2.0,"),
        QStringLiteral("Logintype=%1").arg(options_.loginType),
        QStringLiteral("newspath=") + b + kNewsFeedPath.mid(1),
        QStringLiteral("sjurl=") + b + kDataPage.mid(1),
        QStringLiteral("jjurl=") + b + kBookkeepingPage.mid(1),
        QStringLiteral("smsurl=") + b + kSmsPage.mid(1),
        QStringLiteral("bakweb=") + b + kQuotePage.mid(1),
        QStringLiteral("bbsurl=") + b + kForumPage.mid(1),
        QStringLiteral("newdomain=") + b + kNewsItemPage.mid(1) + QStringLiteral("?id="),
        QStringLiteral("bbdomain=") + b + kBroadcastItemPage.mid(1) + QStringLiteral("?id="),
        QStringLiteral("etf=") + b + kEtfPage.mid(1) + QStringLiteral("?t=gold"),
        QStringLiteral("byetf=") + b + kEtfPage.mid(1) + QStringLiteral("?t=silver"),
        QStringLiteral("botturl=") + (options_.bottomAdvert ? b + kBottomAdPage.mid(1) : QString()),
        QStringLiteral("adurlheight=900"),
        // The bottom text advert: its text, then the page a click on it opens.
        QStringLiteral("adno=新用户注册即送一个月VIP实时行情服务，点击了解详情|") + b + kVipPage.mid(1),
        QStringLiteral("dl=") + b + QStringLiteral("soft/brelto"),
        QStringLiteral("[/BRELTO]"),
    };
    // Every entry, the last included, ends with CR LF: the client reads a value up to a CR.
    return lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

QDateTime SimService::now() const {
    QDateTime t = options_.now ? options_.now() : platform::pcNow();
    return t.isValid() ? t : platform::pcNow();
}

void SimService::setFault(const QString& path, Endpoint endpoint, Fault fault, int times) {
    const auto key = std::make_pair(normalisedKey(path), endpoint);
    if (fault == Fault::None || times == 0)
        faults_.erase(key);
    else
        faults_[key] = Rule{fault, times < 0 ? -1 : times};
}

void SimService::clearFaults() {
    faults_.clear();
}

template <typename Value>
typename SimService::RuleMap<Value>::iterator SimService::findRule(RuleMap<Value>& rules, const QString& path,
                                                                  std::optional<Endpoint> endpoint) {
    QStringList keys{path};
    for (qsizetype cut = path.lastIndexOf(u'/'); cut > 0; cut = path.lastIndexOf(u'/', cut - 1))
        keys << path.left(cut);
    keys << QStringLiteral("*");
    for (const QString& key : keys) {
        for (const std::optional<Endpoint> e : {endpoint, std::optional<Endpoint>(Endpoint::Any)}) {
            if (!e) continue;
            const auto it = rules.find(std::make_pair(key, *e));
            if (it != rules.end()) return it;
        }
    }
    return rules.end();
}

SimService::Fault SimService::takeFault(const QString& path, std::optional<Endpoint> endpoint) {
    const auto it = findRule(faults_, path, endpoint);
    if (it == faults_.end()) return Fault::None;
    const Fault fault = it->second.fault;
    if (it->second.remaining > 0 && --it->second.remaining == 0) faults_.erase(it);
    return fault;
}

void SimService::setAnswer(const QString& path, Endpoint endpoint, const QString& text, bool encode,
                           int times) {
    const auto key = std::make_pair(normalisedKey(path), endpoint);
    if (times == 0)
        answers_.erase(key);
    else
        answers_[key] = Scripted{text, encode, times < 0 ? -1 : times};
}

void SimService::clearAnswers() {
    answers_.clear();
}

std::optional<SimService::Answer> SimService::takeAnswer(const QString& path, std::optional<Endpoint> endpoint) {
    const auto it = findRule(answers_, path, endpoint);
    if (it == answers_.end()) return std::nullopt;
    Answer a;
    if (it->second.encode)
        a = encoded(it->second.text);
    else
        a.body = platform::toGbk(it->second.text);
    if (it->second.remaining > 0 && --it->second.remaining == 0) answers_.erase(it);
    return a;
}

std::optional<SimService::Endpoint> SimService::endpointFromName(QStringView name) {
    if (name == u"*") return Endpoint::Any;
    for (const auto& [e, n] : kEndpointNames)
        if (name.compare(QLatin1String(n), Qt::CaseInsensitive) == 0) return e;
    return std::nullopt;
}

std::optional<SimService::Fault> SimService::faultFromName(QStringView name) {
    if (name.compare(u"notfound", Qt::CaseInsensitive) == 0) return Fault::NotFound;
    for (const auto& [f, n] : kFaultNames)
        if (name.compare(QLatin1String(n), Qt::CaseInsensitive) == 0) return f;
    return std::nullopt;
}

QString SimService::endpointName(Endpoint e) {
    for (const auto& [v, n] : kEndpointNames)
        if (v == e) return QLatin1String(n);
    return {};
}

QString SimService::faultName(Fault f) {
    for (const auto& [v, n] : kFaultNames)
        if (v == f) return QLatin1String(n);
    return {};
}

QString SimService::code(const QString& plain) const {
    std::uniform_real_distribution<float> fraction(0.0f, 1.0f);
    // Our own generator: a client in the same process keeps its random sequence to itself.
    return EncodeText(plain, [this, &fraction] { return fraction(codecRandom_); });
}

SimService::Answer SimService::encoded(const QString& plain, bool wrapLines) const {
    Answer a;
    if (plain.isEmpty()) return a;
    const QString code = this->code(plain);
    if (!wrapLines) {
        a.body = platform::toGbk(code);
        return a;
    }
    QString wrapped;
    wrapped.reserve(code.size() + code.size() / kLineLength * 2 + 2);
    for (qsizetype i = 0; i < code.size(); i += kLineLength) {
        if (i > 0) wrapped += QStringLiteral("\r\n");
        wrapped += QStringView(code).mid(i, kLineLength);
    }
    a.body = platform::toGbk(wrapped);
    return a;
}

SimService::Answer SimService::notFound() {
    Answer a;
    a.status = 404;
    a.contentType = "text/html; charset=gb2312";
    a.body = platform::toGbk(
        u"<html><head><title>404 - 找不到文件或目录</title></head><body>"
        u"<h2>404 - "
        u"找不到文件或目录。</h2><p>您要查找的资源可能已被删除、已更改名称或者暂时不可用。</p>"
        u"</body></html>");
    return a;
}

// A server-side error text in place of an answer: blanks and characters outside the transport
// table, so it can never decode.
SimService::Answer SimService::garbage() {
    Answer a;
    a.body = platform::toGbk(u"数据库连接错误 #-2147467259: 服务器忙, 请稍后再试 (0x80004005) ~!@");
    return a;
}

SimService::Answer SimService::dataAnswer(const QUrlQuery& query,
                                          std::optional<Endpoint>& endpoint) const {
    const QDateTime t = now();
    if (query.hasQueryItem(QStringLiteral("t"))) {
        if (query.queryItemValue(QStringLiteral("t")) != u"6") return {};
        endpoint = Endpoint::Clock;
        Answer a;
        a.body = platform::toGbk(SimMarket::clockText(t));
        return a;
    }
    const QString m = query.queryItemValue(QStringLiteral("m"), QUrl::FullyDecoded);
    if (m == u"now-price") {
        endpoint = Endpoint::Snapshot;
        return encoded(market_.snapshotText(t, snapshotShape_, nameLength_));
    }
    if (m.startsWith(u"P365-")) {
        endpoint = Endpoint::Year;
        return encoded(market_.yearText(m.mid(5), t, missingSlots_));
    }
    if (m.startsWith(u"P10-")) {
        endpoint = Endpoint::TenDay;
        return encoded(market_.tenDayText(m.mid(4), t));
    }
    if (m.startsWith(u"P-")) {
        endpoint = Endpoint::Intraday;
        return encoded(market_.intradayText(m.mid(2), t, missingSlots_));
    }
    return {};
}

QString SimService::faultListing() const {
    QString out = QStringLiteral("fault delay %1 ms\r\n").arg(options_.faultDelayMs);
    for (const auto& [key, rule] : faults_) {
        out += QStringLiteral("%1 %2 %3")
                   .arg(key.first, endpointName(key.second), faultName(rule.fault));
        if (rule.remaining > 0) out += QStringLiteral(" times=%1").arg(rule.remaining);
        out += QStringLiteral("\r\n");
    }
    return out;
}

// "/sim/fault?path=P&endpoint=E&mode=M[&times=N]", "/sim/fault?delayms=N", "/sim/fault?reset=1";
// with no query it lists the rules in force.
SimService::Answer SimService::adminAnswer(const QUrlQuery& query) {
    auto value = [&query](const char* key) { return queryValue(query, key); };
    if (query.hasQueryItem(QStringLiteral("reset"))) clearFaults();
    if (query.hasQueryItem(QStringLiteral("delayms"))) {
        bool ok = false;
        const int ms = value("delayms").toInt(&ok);
        if (!ok || ms < 0)
            return refuse(QStringLiteral("delayms must be a whole number of milliseconds"));
        setFaultDelayMs(ms);
    }
    if (query.hasQueryItem(QStringLiteral("mode"))) {
        const auto fault = faultFromName(value("mode"));
        if (!fault)
            return refuse(
                QStringLiteral("unknown mode; use none, empty, garbage, 404, delay or close"));
        const QString endpointText = query.hasQueryItem(QStringLiteral("endpoint"))
                                         ? value("endpoint")
                                         : QStringLiteral("any");
        const auto endpoint = endpointFromName(endpointText);
        if (!endpoint)
            return refuse(QStringLiteral("unknown endpoint; use any, config, clock, snapshot, "
                                         "intraday, tenday, year, login, captcha, page, logout "
                                         "or hello"));
        QString path = value("path");
        if (path.isEmpty()) path = QStringLiteral("*");
        if (path != u"*" && !path.startsWith(u'/'))
            return refuse(QStringLiteral("path must be \"*\" or start with \"/\""));
        int times = -1;
        if (query.hasQueryItem(QStringLiteral("times"))) {
            bool ok = false;
            times = value("times").toInt(&ok);
            if (!ok || times < 1)
                return refuse(QStringLiteral("times must be a positive whole number"));
        }
        setFault(path, *endpoint, *fault, times);
    }
    Answer a;
    a.body = platform::toGbk(faultListing());
    return a;
}

// "/sim/scenario?snapshot=normal|rows32|slotpast|nogh", "&gaps=1" (or 0) for histories with
// missing slots, "&newstitle=N" for a newest news title N characters long (0: as usual),
// "&namelength=N" for instrument names N characters long in the snapshots (0: as usual),
// "&clock=yyyy-M-d H:mm:ss" for a service clock that starts there and runs on with the PC clock
// ("clock=pc" returns to the PC clock); with no query it shows the scenario.
SimService::Answer SimService::scenarioAnswer(const QUrlQuery& query) {
    static const std::array<std::pair<SimMarket::SnapshotShape, const char*>, 4> kShapes = {{
        {SimMarket::SnapshotShape::Normal, "normal"},
        {SimMarket::SnapshotShape::ExtraRow, "rows32"},
        {SimMarket::SnapshotShape::SlotPastList, "slotpast"},
        {SimMarket::SnapshotShape::NoGoldPartner, "nogh"},
    }};
    if (query.hasQueryItem(QStringLiteral("snapshot"))) {
        const QString name = query.queryItemValue(QStringLiteral("snapshot"), QUrl::FullyDecoded);
        const auto it = std::find_if(kShapes.begin(), kShapes.end(),
                                     [&](const auto& s) { return name == QLatin1String(s.second); });
        if (it == kShapes.end())
            return refuse(QStringLiteral("unknown snapshot; use normal, rows32, slotpast or nogh"));
        snapshotShape_ = it->first;
    }
    if (query.hasQueryItem(QStringLiteral("gaps")))
        missingSlots_ = query.queryItemValue(QStringLiteral("gaps")) == u"1";
    if (query.hasQueryItem(QStringLiteral("newstitle"))) {
        bool number = false;
        const int length = query.queryItemValue(QStringLiteral("newstitle")).toInt(&number);
        if (!number || length < 0 || length > kLongestNewsTitle)
            return refuse(QStringLiteral("newstitle must be a length from 0 to %1").arg(kLongestNewsTitle));
        news_.setLongTitle(length);
    }
    if (query.hasQueryItem(QStringLiteral("namelength"))) {
        bool number = false;
        const int length = query.queryItemValue(QStringLiteral("namelength")).toInt(&number);
        if (!number || length < 0 || length > kLongestName)
            return refuse(QStringLiteral("namelength must be a length from 0 to %1").arg(kLongestName));
        nameLength_ = length;
    }
    if (query.hasQueryItem(QStringLiteral("clock"))) {
        const QString text = query.queryItemValue(QStringLiteral("clock"), QUrl::FullyDecoded);
        if (text == u"pc") {
            setNow({});
        } else {
            const QDateTime start = platform::parseDate(text);
            if (!start.isValid())
                return refuse(QStringLiteral("clock must be \"yyyy-M-d H:mm:ss\" or \"pc\""));
            const QDateTime setAt = platform::pcNow();
            setNow([start, setAt] { return start.addMSecs(setAt.msecsTo(platform::pcNow())); });
        }
    }
    QString shape;
    for (const auto& [v, n] : kShapes)
        if (v == snapshotShape_) shape = QLatin1String(n);
    Answer a;
    a.body = platform::toGbk(
        QStringLiteral("snapshot %1\r\ngaps %2\r\nclock %3\r\nnewstitle %4\r\nnamelength %5\r\n")
            .arg(shape, missingSlots_ ? QStringLiteral("1") : QStringLiteral("0"), SimMarket::clockText(now()),
                 QString::number(news_.longTitle()), QString::number(nameLength_)));
    return a;
}

SimService::Answer SimService::htmlAnswer(const simpages::Page& page, int status) {
    Answer a;
    a.status = status;
    a.contentType = "text/html; charset=gb2312";
    a.body = simpages::render(page);
    return a;
}

std::optional<SimService::Answer> SimService::pageAnswer(const QString& path,
                                                         const QUrlQuery& query) const {
    const QDateTime t = now();
    const auto member =
        accounts_.member(query.queryItemValue(QStringLiteral("session"), QUrl::FullyDecoded),
                         query.queryItemValue(QStringLiteral("userid"), QUrl::FullyDecoded));
    const qint64 id = query.queryItemValue(QStringLiteral("id")).toLongLong();
    if (path == kDataPage) return htmlAnswer(simpages::dataPage(market_, t));
    if (path == kQuotePage) return htmlAnswer(simpages::quotePage(market_, t));
    if (path == kEtfPage) {
        const bool silver = query.queryItemValue(QStringLiteral("t")) == u"silver";
        return htmlAnswer(simpages::etfPage(options_.seed, silver, SimMarket::quoteDate(t)));
    }
    if (path == kForumPage || path == kForumPage.chopped(1) ||
        path == kForumPage + QStringLiteral("index.asp"))
        return htmlAnswer(simpages::forumPage());
    if (path == kBookkeepingPage) return htmlAnswer(simpages::bookkeepingPage(member));
    if (path == kSmsPage) return htmlAnswer(simpages::smsPage(member));
    if (path == kNewsItemPage || path == kBroadcastItemPage) {
        const int section = path == kNewsItemPage ? SimNews::kNews : SimNews::kBroadcasts;
        if (const auto item = SimNews::itemPage(section, id)) return htmlAnswer(*item);
    }
    if (path == kNewsItemPage) return htmlAnswer(simpages::newsPage(id, t.date()));
    if (path == kBroadcastItemPage) return htmlAnswer(simpages::broadcastPage(id, market_, t));
    if (path == kBottomAdPage)
        return htmlAnswer(simpages::bottomAdPage(baseUrl() + kVipPage.mid(1)));
    if (path == kVipPage) return htmlAnswer(simpages::vipPage());
    if (path == kMemberHomePage) return htmlAnswer(simpages::memberHomePage(member));
    if (path == kProfilePage) return htmlAnswer(simpages::profilePage(member));
    if (path == kUserLoginPath)
        return query.queryItemValue(QStringLiteral("do")) == u"webin"
                   ? signedInRedirect(query)
                   : htmlAnswer(simpages::loginPage());
    return std::nullopt;
}

// "do=webin&url=P&session=S&userid=U": P is a page's short name or an address on this service;
// the browser goes on to that page with the user id and session, which the page checks.
SimService::Answer SimService::signedInRedirect(const QUrlQuery& query) const {
    const QString url = query.queryItemValue(QStringLiteral("url"), QUrl::FullyDecoded);
    QString target;
    for (const auto& [name, page] : kSignedInPages)
        if (url == QLatin1String(name)) target = *page;
    if (target.isEmpty()) {
        const QUrl address(url);
        const bool here = address.isRelative()
                              ? url.startsWith(u'/')
                              : address.port() == port_ && (address.host() == u"127.0.0.1" ||
                                                            address.host() == u"localhost");
        if (!here || address.path().isEmpty()) return notFound();
        // Encoded, so nothing of the address can break the Location header.
        target = address.path(QUrl::FullyEncoded);
        if (address.hasQuery()) target += u'?' + address.query(QUrl::FullyEncoded);
    }
    QUrlQuery signedIn;
    signedIn.addQueryItem(QStringLiteral("userid"), query.queryItemValue(QStringLiteral("userid")));
    signedIn.addQueryItem(QStringLiteral("session"),
                          query.queryItemValue(QStringLiteral("session")));
    const QString location = baseUrl() + target.mid(1) + (target.contains(u'?') ? u'&' : u'?') +
                             signedIn.toString(QUrl::FullyEncoded);
    Answer a = htmlAnswer(simpages::redirectPage(location), 302);
    a.location = location.toUtf8();
    return a;
}

// "/sim/config?logintype=N": the Logintype of the configuration from the next download on; with
// no query it shows the value in force.
SimService::Answer SimService::configAdminAnswer(const QUrlQuery& query) {
    Answer a;
    if (query.hasQueryItem(QStringLiteral("logintype"))) {
        bool ok = false;
        const int v = query.queryItemValue(QStringLiteral("logintype")).toInt(&ok);
        if (!ok) {
            a.status = 400;
            a.body = platform::toGbk(QStringLiteral("logintype must be a whole number\r\n"));
            return a;
        }
        setLoginType(v);
    }
    a.body = platform::toGbk(QStringLiteral("logintype %1\r\n").arg(options_.loginType));
    return a;
}

// "LO" when the session was ended by a login from another machine, or while the answer is forced;
// otherwise the notice board, the same for members, other users and nobody logged in.
QString SimService::helloAnswer(const QByteArray& body) {
    if (accounts_.loggedInElsewhere(SimAccounts::formValue(body, QStringLiteral("session")),
                                    SimAccounts::formValue(body, QStringLiteral("uid"))) ||
        accounts_.takeForcedElsewhere())
        return QStringLiteral("LO");
    return notices_.answer([this](const QString& text) { return code(text); });
}

// "/sim/user?mode=M&port=P" (M: none, split, twoframes, silent, mute, drop, down, refusea, refuseb),
// "&accept=dash|ok", "&drop=1" (drops the links open now); without a port every user server;
// with no query it lists the servers and their newest login records.
SimService::Answer SimService::userAdminAnswer(const QUrlQuery& query) {
    quint16 port = 0;
    if (query.hasQueryItem(QStringLiteral("port"))) {
        bool ok = false;
        const uint p = query.queryItemValue(QStringLiteral("port")).toUInt(&ok);
        if (!ok || p == 0 || p > 65535 || !userServer(static_cast<quint16>(p)))
            return refuse(QStringLiteral("port must be one the user servers listen on"));
        port = static_cast<quint16>(p);
    }
    std::optional<SimUserServer::Acceptance> acceptance;
    if (query.hasQueryItem(QStringLiteral("accept"))) {
        const QString a = query.queryItemValue(QStringLiteral("accept"));
        if (a == u"dash")
            acceptance = SimUserServer::Acceptance::DashWithPush;
        else if (a == u"ok")
            acceptance = SimUserServer::Acceptance::FramedOk;
        else
            return refuse(QStringLiteral("accept must be dash or ok"));
    }
    std::optional<SimUserServer::Mode> mode;
    if (query.hasQueryItem(QStringLiteral("mode"))) {
        mode = SimUserServer::modeFromName(query.queryItemValue(QStringLiteral("mode")));
        if (!mode)
            return refuse(QStringLiteral("unknown mode; use none, split, twoframes, silent, mute, drop, "
                                         "down, refusea or refuseb"));
    }
    if (acceptance) setUserAcceptance(*acceptance, port);
    if (query.queryItemValue(QStringLiteral("drop")) == u"1") dropUserLinks(port);
    if (mode && !setUserMode(*mode, port))
        return refuse(QStringLiteral("a user server cannot listen on its port again"));

    QString out;
    for (SimUserServer* server : userServers()) {
        QStringList roles;
        for (qsizetype i = 0; i < static_cast<qsizetype>(userList_.size()); ++i)
            if (userServers_[userList_[static_cast<size_t>(i)]].get() == server)
                roles << QStringLiteral("user %1").arg(i + 1);
        if (userServers_[fallbackServer_].get() == server) roles << QStringLiteral("userport");
        out += QStringLiteral("127.0.0.1:%1 (%2) mode %3 accept %4 links %5 connections %6\r\n")
                   .arg(server->port())
                   .arg(roles.join(QStringLiteral(", ")), SimUserServer::modeName(server->mode()),
                        server->acceptance() == SimUserServer::Acceptance::DashWithPush
                            ? QStringLiteral("dash")
                            : QStringLiteral("ok"))
                   .arg(server->linkCount())
                   .arg(server->connectionCount());
        const QList<SimUserServer::LinkRecord> records = server->records();
        for (qsizetype i = std::max<qsizetype>(0, records.size() - 5); i < records.size(); ++i) {
            const SimUserServer::LinkRecord& r = records[i];
            out +=
                QStringLiteral("  login v%1 client %2 user %3 -> %4, %5 heartbeats, %6 pushes\r\n")
                    .arg(r.version, r.clientId)
                    .arg(r.userId)
                    .arg(r.outcome == 0 ? QStringLiteral("challenged")
                                        : QString(QLatin1Char(r.outcome)))
                    .arg(r.heartbeats)
                    .arg(r.pushes);
        }
    }
    Answer a;
    a.body = platform::toGbk(out);
    return a;
}

// "/sim/notice?kind=K&text=T" puts a notice on the board, "reset=1" empties it, "lo=N" makes the
// next N keep-alives answer "LO" (-1 every one, 0 none); with no query it lists the board.
SimService::Answer SimService::noticeAdminAnswer(const QUrlQuery& query) {
    auto value = [&query](const char* key) { return queryValue(query, key); };
    std::optional<int> kind;
    if (query.hasQueryItem(QStringLiteral("kind"))) {
        bool ok = false;
        kind = value("kind").toInt(&ok);
        if (!ok || value("text").isEmpty())
            return refuse(QStringLiteral("a notice needs a whole-number kind and a text"));
    }
    std::optional<int> lo;
    if (query.hasQueryItem(QStringLiteral("lo"))) {
        bool ok = false;
        lo = value("lo").toInt(&ok);
        if (!ok || *lo < -1)
            return refuse(
                QStringLiteral("the forced LO takes -1 (every keep-alive), 0 (none) or a count"));
    }
    if (query.queryItemValue(QStringLiteral("reset")) == u"1") notices_.clear();
    if (kind) notices_.add(*kind, value("text"), now());
    if (lo) accounts_.forceLoggedInElsewhere(*lo);
    QString out = QStringLiteral("lo %1\r\n").arg(accounts_.forcedElsewhere());
    for (const SimNotices::Notice& n : notices_.board())
        out += QStringLiteral("%1 kind %2 %3 %4\r\n").arg(n.id).arg(n.kind).arg(n.stamp, n.text);
    Answer a;
    a.body = platform::toGbk(out);
    return a;
}

QByteArray SimService::answerBytes(const Answer& answer) {
    QByteArray out = "HTTP/1.1 " + QByteArray::number(answer.status) + ' ' +
                     reasonPhrase(answer.status) + "\r\n";
    out += "Content-Type: " + answer.contentType + "\r\n";
    if (!answer.location.isEmpty()) out += "Location: " + answer.location + "\r\n";
    out += "Content-Length: " + QByteArray::number(answer.body.size()) + "\r\n";
    out += "Cache-Control: no-cache\r\n";
    // One request per connection: a dropped or delayed answer then never strands a reused link.
    out += "Connection: close\r\n\r\n";
    out += answer.body;
    return out;
}

void SimService::writeAnswer(QTcpSocket* socket, const Answer& answer) {
    socket->write(answerBytes(answer));
    // Closed from the event loop, not from inside the request handling that owns the socket.
    QTimer::singleShot(0, socket, [socket] { socket->disconnectFromHost(); });
}

bool SimService::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) {
    const QUrl url = request.url();
    // The program builds the log-out and single sign-on addresses from a base that ends in "/"
    // and a path that starts with one. The request target "//user/login.asp" then reads as a
    // network-path reference whose first segment is a host name, so it arrives as "/login.asp".
    QString path = url.path();
    if (path == kMisreadUserLoginPath) path = kUserLoginPath;
    if (path == kMisreadLoginPath) path = kLoginPath;
    const QUrlQuery query(url);
    const QString target = url.hasQuery() ? path + u'?' + url.query() : path;
    requests_ << target;
    if (requests_.size() > kRequestLogLimit) requests_.removeFirst();
    if (!request.body().isEmpty()) {
        posts_ << FormPost{path, request.body()};
        if (posts_.size() > kPostLogLimit) posts_.removeFirst();
    }
    emit requestServed(target);

    if (path == kAdminPath) {
        writeAnswer(socket, adminAnswer(query));
        return true;
    }

    if (path == kScenarioPath) {
        writeAnswer(socket, scenarioAnswer(query));
        return true;
    }

    if (path == kConfigAdminPath) {
        writeAnswer(socket, configAdminAnswer(query));
        return true;
    }

    if (path == kUserAdminPath) {
        writeAnswer(socket, userAdminAnswer(query));
        return true;
    }

    if (path == kNoticeAdminPath) {
        writeAnswer(socket, noticeAdminAnswer(query));
        return true;
    }

    if (path == kLoginAdminPath) {
        // "/sim/login?force=TE" makes every login answer that status; "force=" ends it.
        if (query.hasQueryItem(QStringLiteral("force")))
            accounts_.forceStatus(query.queryItemValue(QStringLiteral("force")).toUpper());
        Answer a;
        a.body = platform::toGbk(QStringLiteral("forced login status: ") + accounts_.forcedStatus() +
                                 QStringLiteral("\r\ncode: ") + accounts_.currentCode() + QStringLiteral("\r\n"));
        writeAnswer(socket, a);
        return true;
    }

    std::optional<Endpoint> endpoint;
    Answer answer;
    const bool webin = query.queryItemValue(QStringLiteral("do")) == u"webin";
    if (path == kLoginPath && webin) {
        endpoint = Endpoint::Page;
        answer = signedInRedirect(query);
    } else if (path == kLoginPath &&
               SimAccounts::formValue(request.body(), QStringLiteral("do")) == u"stat") {
        // Neither "LO" nor the list is in the transport code as a whole; only each notice's text.
        endpoint = Endpoint::Hello;
        answer.body = platform::toGbk(helloAnswer(request.body()));
    } else if (path == kLoginPath) {
        endpoint = Endpoint::Login;
        // An answer with a "|" goes out as it is; the status answers are scrambled, in one line:
        // the client decodes them without taking line breaks out.
        const QString reply = accounts_.loginAnswer(request.body());
        if (reply.contains(u'|'))
            answer.body = platform::toGbk(reply);
        else
            answer = encoded(reply, false);
    } else if (path == kCaptchaPath) {
        endpoint = Endpoint::Captcha;
        answer.contentType = "image/gif";
        answer.body = accounts_.codePicture();
    } else if (path == kConfigPath || path == kMirrorConfigPath) {
        endpoint = Endpoint::Config;
        answer = encoded(configText());
    } else if (isDataPath(path)) {
        answer = dataAnswer(query, endpoint);
    } else if (path == kUserLoginPath &&
               SimAccounts::formValue(request.body(), QStringLiteral("do")) == u"softout") {
        // The client does not read the answer.
        endpoint = Endpoint::Logout;
        accounts_.logout(request.body());
        answer.body = "OK";
    } else if (path == kNewsFeedPath) {
        endpoint = Endpoint::Page;
        bool noCache = false;
        for (const auto& [name, value] : request.headers())
            if ((name.compare("Cache-Control", Qt::CaseInsensitive) == 0 || name.compare("Pragma", Qt::CaseInsensitive) == 0) &&
                value.toLower().contains("no-cache"))
                noCache = true;
        answer.body = news_.answer(now(), noCache);
    } else if (auto page = pageAnswer(path, query)) {
        endpoint = Endpoint::Page;
        answer = std::move(*page);
    } else {
        writeAnswer(socket, notFound());
        return true;
    }

    if (auto scripted = takeAnswer(path, endpoint)) answer = std::move(*scripted);

    switch (takeFault(path, endpoint)) {
    case Fault::None:
        writeAnswer(socket, answer);
        break;
    case Fault::Empty:
        writeAnswer(socket, Answer{});
        break;
    case Fault::Garbage:
        writeAnswer(socket, garbage());
        break;
    case Fault::NotFound:
        writeAnswer(socket, notFound());
        break;
    case Fault::Delay: {
        // The right answer, but only after the client has given up; the socket may be gone by then.
        QPointer<QTcpSocket> guard(socket);
        QTimer::singleShot(options_.faultDelayMs, this, [guard, answer] {
            if (guard && guard->state() == QAbstractSocket::ConnectedState)
                writeAnswer(guard, answer);
        });
        break;
    }
    case Fault::Close:
        QTimer::singleShot(0, socket, [socket] { socket->abort(); });
        break;
    case Fault::Trickle:
        trickleAnswer(socket, answer);
        break;
    }
    return true;
}

void SimService::trickleAnswer(QTcpSocket* socket, const Answer& answer) {
    auto* timer = new QTimer(socket);
    timer->setInterval(std::max(1, options_.trickleByteMs));
    auto bytes = std::make_shared<QByteArray>(answerBytes(answer));
    auto sent = std::make_shared<qsizetype>(0);
    connect(timer, &QTimer::timeout, socket, [socket, timer, bytes, sent] {
        if (socket->state() != QAbstractSocket::ConnectedState) {
            timer->stop();
            return;
        }
        socket->write(bytes->mid((*sent)++, 1));
        if (*sent >= bytes->size()) {
            timer->stop();
            socket->disconnectFromHost();
        }
    });
    timer->start();
}

void SimService::missingHandler(const QHttpServerRequest&, QTcpSocket* socket) {
    writeAnswer(socket, notFound());
}
