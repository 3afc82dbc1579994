// The web pages of the service, the signed-in addresses that lead to them, and the Logintype
// switch, as the program's web panes and configuration download meet them.
#include "tests/simservice/servicefixture.h"

#include "common/md5.h"
#include "platform/eventwait.h"
#include "platform/gbk.h"
#include "simservice/simpages.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTcpSocket>

#include <gtest/gtest.h>

#include <memory>

using namespace simtest;

namespace {

bool hasChinese(const QString& text) {
    return std::any_of(text.begin(), text.end(),
                       [](QChar c) { return c.unicode() >= 0x4E00 && c.unicode() <= 0x9FFF; });
}

QString titleOf(const QString& html) {
    static const QRegularExpression title(QStringLiteral("<title>(.*)</title>"));
    return title.match(html).captured(1);
}

// One answer as a browser receives it, redirects not followed.
struct Reply {
    int status = 0;
    QByteArray contentType;
    QByteArray location;
    QString html; // the body read as GBK
};

Reply fetch(const QString& url, const QByteArray& post = {}) {
    QNetworkAccessManager nam;
    QNetworkRequest request{QUrl::fromEncoded(url.toUtf8(), QUrl::TolerantMode)};
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    request.setHeader(QNetworkRequest::ContentTypeHeader,
                      QByteArray("application/x-www-form-urlencoded"));
    std::unique_ptr<QNetworkReply> reply(post.isNull() ? nam.get(request)
                                                       : nam.post(request, post));
    if (!reply->isFinished()) platform::waitForSignal(reply.get(), &QNetworkReply::finished, 5000);
    Reply r;
    r.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    r.contentType = reply->rawHeader("Content-Type");
    r.location = reply->rawHeader("Location");
    r.html = platform::fromGbk(reply->readAll());
    return r;
}

// ---- The pages on their own ----

const SimAccounts::Member kVip{QStringLiteral("vip"), 1001, true,
                               QStringLiteral("gh,10,612.5,0,0,0,0,8/mgold,2,2630,1,2655,0,0/")};

// Every page keeps every character through GB2312 (a character the code cannot hold would come
// back as "?"), declares that charset, and is Chinese.
TEST(SimPages, EveryPageSurvivesItsCharsetAndIsChinese) {
    const SimMarket market(2);
    const QDateTime now = at(2026, 12, 16, 21, 30);
    const std::pair<const char*, simpages::Page> pages[] = {
        {"data", simpages::dataPage(market, now)},
        {"quote", simpages::quotePage(market, now)},
        {"gold etf", simpages::etfPage(2, false, QDate(2026, 12, 16))},
        {"silver etf", simpages::etfPage(2, true, QDate(2026, 12, 16))},
        {"forum", simpages::forumPage()},
        {"bookkeeping", simpages::bookkeepingPage(kVip)},
        {"bookkeeping signed out", simpages::bookkeepingPage(std::nullopt)},
        {"sms", simpages::smsPage(kVip)},
        {"member home", simpages::memberHomePage(kVip)},
        {"profile", simpages::profilePage(kVip)},
        {"login", simpages::loginPage()},
        {"vip", simpages::vipPage()},
        {"advert", simpages::bottomAdPage(QStringLiteral("http://127.0.0.1:1/vip.asp"))},
        {"news", simpages::newsPage(3, QDate(2026, 12, 16))},
        {"broadcast", simpages::broadcastPage(5, market, now)},
        {"redirect", simpages::redirectPage(
                         QStringLiteral("http://127.0.0.1:1/web/sms.asp?userid=1&session=a"))},
    };
    for (const auto& [name, page] : pages) {
        SCOPED_TRACE(name);
        const QString back = platform::fromGbk(simpages::render(page));
        EXPECT_TRUE(back.contains(page.body));
        EXPECT_EQ(titleOf(back), page.title.toHtmlEscaped());
        EXPECT_TRUE(back.contains(QStringLiteral("charset=gb2312")));
        EXPECT_TRUE(back.endsWith(QStringLiteral("</html>\r\n")));
        EXPECT_TRUE(hasChinese(page.title));
        EXPECT_TRUE(hasChinese(page.body));
    }
}

// The bookkeeping page lists the signed-in user's records by instrument name and hands them to
// the program in the form the login answer carries them ("|" after each record).
TEST(SimPages, BookkeepingShowsTheUsersRecordsAndHandsThemOver) {
    const struct {
        const char* name;
        std::optional<SimAccounts::Member> member;
        QStringList shown;
        QString handOver; // empty: no link
    } cases[] = {
        {"member with records",
         kVip,
         {QStringLiteral("<td>人民币账户黄金</td><td>10</td><td>612.5</td>"),
          QStringLiteral("<td>美元账户黄金</td><td>2</td><td>2630</td><td>1</td><td>2655</td>")},
         QStringLiteral("EVENT:gh,10,612.5,0,0,0,0,8|mgold,2,2630,1,2655,0,0|")},
        {"member without records",
         SimAccounts::Member{QStringLiteral("test"), 1000, false, {}},
         {QStringLiteral("暂无记账记录")},
         {}},
        {"signed out", std::nullopt, {QStringLiteral("请先在软件中登录")}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString body = simpages::bookkeepingPage(c.member).body;
        for (const QString& text : c.shown)
            EXPECT_TRUE(body.contains(text)) << body.toStdString();
        if (c.handOver.isEmpty())
            EXPECT_FALSE(body.contains(QStringLiteral("EVENT:")));
        else
            EXPECT_TRUE(body.contains(QStringLiteral("href=\"") + c.handOver + u'"'))
                << body.toStdString();
    }
}

TEST(SimPages, FundHoldingsAreRealisticAndStablePerSeed) {
    for (const bool silver : {false, true}) {
        SCOPED_TRACE(silver ? "silver" : "gold");
        const double low = silver ? 12000 : 900;
        const double high = silver ? 17000 : 1200;
        double previous = 0;
        for (QDate d(2026, 1, 1); d < QDate(2027, 1, 1); d = d.addDays(1)) {
            const double v = simpages::etfHoldings(9, silver, d);
            ASSERT_GT(v, low);
            ASSERT_LT(v, high);
            if (previous != 0) {
                ASSERT_LT(std::abs(v - previous) / previous, 0.01) << "a day's change";
            }
            previous = v;
        }
        EXPECT_EQ(simpages::etfHoldings(9, silver, QDate(2026, 6, 1)),
                  simpages::etfHoldings(9, silver, QDate(2026, 6, 1)));
        EXPECT_NE(simpages::etfHoldings(9, silver, QDate(2026, 6, 1)),
                  simpages::etfHoldings(10, silver, QDate(2026, 6, 1)));
    }
    // Ten trading days, newest first, each change the difference to the day before.
    const QString body = simpages::etfPage(9, false, QDate(2026, 12, 14)).body;
    EXPECT_EQ(body.count(QStringLiteral("<tr>")), 11);
    EXPECT_TRUE(body.indexOf(QStringLiteral("2026-12-14")) <
                body.indexOf(QStringLiteral("2026-12-11")));
    EXPECT_FALSE(body.contains(QStringLiteral("2026-12-13"))); // a Sunday
    const double change = simpages::etfHoldings(9, false, QDate(2026, 12, 14)) -
                          simpages::etfHoldings(9, false, QDate(2026, 12, 11));
    EXPECT_TRUE(body.contains(QString::number(std::abs(change), 'f', 2)));
}

TEST(SimPages, NewsItemsHaveTitlesOfTheirOwn) {
    QSet<QString> titles;
    for (qint64 id = -3; id < 13; ++id)
        titles << simpages::newsTitle(id);
    EXPECT_GE(titles.size(), 12);
    EXPECT_EQ(simpages::newsTitle(5), simpages::newsTitle(5));
    for (const QString& t : titles)
        EXPECT_TRUE(hasChinese(t));
}

// ---- The pages as the service serves them ----

// Every page address of the configuration answers with a page of its own, in the charset it
// declares, where a 404 or an encoded "NO" used to be.
TEST_F(SimServiceTest, EveryConfiguredPageAddressAnswersWithChineseHtml) {
    SimService& s = start(kWednesday);
    const QString cfg = config(s);
    const std::pair<const char*, const char*> addresses[] = {
        {"sjurl", ""}, {"jjurl", ""}, {"smsurl", ""},  {"bakweb", ""},      {"bbsurl", ""},
        {"etf", ""},   {"byetf", ""}, {"botturl", ""}, {"newdomain", "12"}, {"bbdomain", "5"},
    };
    QSet<QString> titles;
    for (const auto& [key, id] : addresses) {
        SCOPED_TRACE(key);
        const QString url = lookup(cfg, QLatin1String(key)) + QLatin1String(id);
        ASSERT_TRUE(url.startsWith(s.baseUrl()));
        const Reply r = fetch(url);
        EXPECT_EQ(r.status, 200);
        EXPECT_EQ(r.contentType, QByteArray("text/html; charset=gb2312"));
        EXPECT_TRUE(r.html.contains(QStringLiteral(
            "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">")));
        EXPECT_FALSE(r.html.contains(QChar::ReplacementCharacter));
        const QString title = titleOf(r.html);
        EXPECT_TRUE(hasChinese(title)) << title.toStdString();
        titles << title;
    }
    EXPECT_EQ(titles.size(), static_cast<qsizetype>(std::size(addresses)))
        << "each address has its own page";
}

// The data page and the backup quotes show the prices the snapshot carries at the same moment.
TEST_F(SimServiceTest, QuotePagesAgreeWithTheSnapshot) {
    SimService& s = start(kWednesday);
    const QString dataPage = fetch(s.baseUrl() + QStringLiteral("web/data.asp")).html;
    const QString backup = fetch(s.baseUrl() + QStringLiteral("web/quote.asp")).html;
    const QStringList parts = snapshot(s).split(u'|');
    ASSERT_EQ(parts.size(), kRows + 2);
    for (qsizetype r = 1; r <= kRows; ++r) {
        const QStringList row = parts[r].split(u',');
        const SimMarket::Instrument& ins = SimMarket::instruments()[static_cast<size_t>(r - 1)];
        SCOPED_TRACE(ins.code.toStdString());
        const QString price = QString::number(row[1].toDouble(), 'f', ins.decimals);
        EXPECT_TRUE(dataPage.contains(QStringLiteral("<td>") + row[0] +
                                      QStringLiteral("</td><td>") + price +
                                      QStringLiteral("</td>")));
        EXPECT_TRUE(backup.contains(QStringLiteral("<td>") + row[0] + QStringLiteral("</td><td>") +
                                    price + QStringLiteral("</td>")));
        if (ins.spread != 0) {
            const QString selling =
                QString::number(row[1].toDouble() + ins.spread, 'f', ins.decimals);
            EXPECT_TRUE(backup.contains(price + QStringLiteral("</td><td>") + selling +
                                        QStringLiteral("</td>")));
        }
    }
}

class SignedInPages : public SimServiceTest {
protected:
    void SetUp() override {
        s = &start(kWednesday);
        cfg = config(*s);
        site = lookup(cfg, QStringLiteral("mainurl"));
        const QString body = QStringLiteral("v=3.6&do=softin&username=vip&password=") +
                             Md5Hex(QStringLiteral("vip888"), 16, false) +
                             QStringLiteral("&mac=M1&yzm=");
        const QStringList ok =
            GetHttpText(site + QStringLiteral("soft/doing.asp"), body, 5).split(u'|');
        ASSERT_GE(ok.size(), 6);
        ASSERT_EQ(ok[0], QStringLiteral("OK"));
        userId = ok[1];
        session = ok[3];
    }
    // The two forms of signed-in address the program builds: the tab switch's and the single
    // sign-on address of the main window's start-up (its path after a base ending in "/").
    QString tabAddress(const QString& page, const QString& sessionText) const {
        return site + QStringLiteral("soft/doing.asp?url=") + page +
               QStringLiteral("&do=webin&session=") + sessionText + QStringLiteral("&userid=") +
               userId + QStringLiteral("&mac=M1");
    }
    QString signOnAddress(const QString& page, const QString& sessionText) const {
        return site + QStringLiteral("/user/login.asp?v=3.6&url=") + page +
               QStringLiteral("&do=webin&session=") + sessionText + QStringLiteral("&userid=") +
               userId + QStringLiteral("&mac=M1");
    }

    SimService* s = nullptr;
    QString cfg, site, userId, session;
};

TEST_F(SignedInPages, LeadToThePageTheyName) {
    const QString jj = lookup(cfg, QStringLiteral("jjurl"));
    const QString sms = lookup(cfg, QStringLiteral("smsurl"));
    const struct {
        const char* name;
        QString address;
        QString page;  // the redirect lands on this address
        QString shown; // what the signed-in page says
    } cases[] = {
        {"bookkeeping tab", tabAddress(QStringLiteral("zhang"), session), jj,
         QStringLiteral("EVENT:gh,10,612.5")},
        {"sms tab", tabAddress(QStringLiteral("mysms"), session), sms, QStringLiteral("vip，您好")},
        {"member home", tabAddress(QStringLiteral("index"), session),
         site + QStringLiteral("user/index.asp"), QStringLiteral("<td>VIP会员</td>")},
        {"profile", tabAddress(QStringLiteral("modi"), session),
         site + QStringLiteral("user/modi.asp"), QStringLiteral("用户名：vip")},
        {"membership", tabAddress(QStringLiteral("setvip"), session),
         site + QStringLiteral("vip.asp"), QStringLiteral("实时推送行情")},
        {"sign-on to bookkeeping", signOnAddress(jj, session), jj, QStringLiteral("同步到软件")},
        {"sign-on to sms", signOnAddress(sms, session), sms, QStringLiteral("每日早评")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Reply redirect = fetch(c.address);
        EXPECT_EQ(redirect.status, 302);
        const QString location = QString::fromUtf8(redirect.location);
        // The program's web tabs keep a page while its address contains the configured one.
        EXPECT_TRUE(location.startsWith(c.page + u'?')) << location.toStdString();
        EXPECT_TRUE(redirect.html.contains(location.toHtmlEscaped()))
            << "a link for a browser that stays";
        const Reply page = fetch(location);
        EXPECT_EQ(page.status, 200);
        EXPECT_TRUE(page.html.contains(c.shown)) << page.html.toStdString();
    }
}

// A web pane sends the single sign-on address's target as it stands, "//user/login.asp...", which
// the web server reads as a network-path reference; it must still lead to the page.
TEST_F(SignedInPages, SignOnTargetWithTwoSlashesAsABrowserSendsIt) {
    const QString jj = lookup(cfg, QStringLiteral("jjurl"));
    const QString address = signOnAddress(jj, session);
    const QByteArray target = address.mid(s->baseUrl().size() - 1).toUtf8();
    ASSERT_TRUE(target.startsWith("//user/login.asp?"));
    QTcpSocket socket;
    socket.connectToHost(QHostAddress(QHostAddress::LocalHost), s->httpPort());
    socket.write("GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
    // The service runs on this thread: wait with the event loop running until it closes.
    platform::waitForSignal(&socket, &QTcpSocket::disconnected, 5000);
    const QByteArray answer = socket.readAll();
    EXPECT_TRUE(answer.startsWith("HTTP/1.1 302 Found\r\n")) << answer.left(200).toStdString();
    EXPECT_TRUE(answer.contains("\r\nLocation: " + jj.toUtf8() + "?userid=" + userId.toUtf8()))
        << answer.left(300).toStdString();
}

TEST_F(SignedInPages, AnotherSessionOrAForeignPageIsRefused) {
    const Reply stranger =
        fetch(fetch(tabAddress(QStringLiteral("zhang"), QStringLiteral("0badc0de"))).location);
    EXPECT_EQ(stranger.status, 200);
    EXPECT_TRUE(stranger.html.contains(QStringLiteral("请先在软件中登录")));
    EXPECT_FALSE(stranger.html.contains(QStringLiteral("EVENT:")));

    for (const QString& page : {QStringLiteral("http://example.invalid/steal.asp"),
                                QStringLiteral("nowhere"), QString()}) {
        SCOPED_TRACE(page.toStdString());
        const Reply r = fetch(tabAddress(page, session));
        EXPECT_EQ(r.status, 404);
        EXPECT_TRUE(r.location.isEmpty());
    }

    // A session text with a line break stays inside the Location header.
    QNetworkAccessManager nam;
    QNetworkRequest request{
        QUrl(tabAddress(QStringLiteral("zhang"), QStringLiteral("a%0D%0ASet-Cookie:%20x=1")))};
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    std::unique_ptr<QNetworkReply> reply(nam.get(request));
    if (!reply->isFinished()) platform::waitForSignal(reply.get(), &QNetworkReply::finished, 5000);
    EXPECT_FALSE(reply->hasRawHeader("Set-Cookie"));
    EXPECT_TRUE(reply->rawHeader("Location").endsWith("&session=a%0D%0ASet-Cookie:%20x%3D1"))
        << reply->rawHeader("Location").toStdString();
}

// The log-out goes to "//user/login.asp" (a base ending in "/" and a path starting with one) and
// ends the session the signed-in pages know.
TEST_F(SignedInPages, LogOutEndsTheSession) {
    const QString bookkeeping =
        QString::fromUtf8(fetch(tabAddress(QStringLiteral("zhang"), session)).location);
    ASSERT_TRUE(fetch(bookkeeping).html.contains(QStringLiteral("EVENT:")));
    const QString body = QStringLiteral("v=1&do=softout&username=") + userId +
                         QStringLiteral("&mac=M1&session=") + session;
    const Reply out = fetch(site + QStringLiteral("/user/login.asp"), body.toLatin1());
    EXPECT_EQ(out.status, 200);
    EXPECT_EQ(out.html, QStringLiteral("OK"));
    EXPECT_EQ(s->requestLog().last(), QStringLiteral("/user/login.asp"));
    const Reply after = fetch(bookkeeping);
    EXPECT_TRUE(after.html.contains(QStringLiteral("请先在软件中登录")));
}

// ---- The Logintype switch ----

TEST_F(SimServiceTest, LoginTypeSwitchReachesTheNextConfiguration) {
    SimService::Options o;
    o.httpPort = 0;
    o.loginType = 1;
    o.now = [] { return kWednesday; };
    SimService& s = start(o);
    EXPECT_EQ(lookup(config(s), QStringLiteral("Logintype")), QStringLiteral("1"));
    const struct {
        const char* query;
        const char* answer;
        const char* inConfig;
    } steps[] = {
        {"", "logintype 1\r\n", "1"},
        {"?logintype=0", "logintype 0\r\n", "0"},
        {"?logintype=2", "logintype 2\r\n", "2"},
        {"?logintype=yes", "logintype must be a whole number\r\n", "2"},
        {"?logintype=", "logintype must be a whole number\r\n", "2"},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.query);
        EXPECT_EQ(get(s.baseUrl() + QStringLiteral("sim/config") + QLatin1String(step.query)),
                  QLatin1String(step.answer));
        EXPECT_EQ(lookup(config(s), QStringLiteral("Logintype")), QLatin1String(step.inConfig));
        EXPECT_EQ(s.loginType(), QByteArray(step.inConfig).toInt());
    }
}

// The real executable: its option sets the configuration's Logintype; a value that is no whole
// number stops it before it listens.
TEST_F(SimServiceTest, CommandLineOptionSetsTheLoginType) {
    const struct {
        const char* value;
        std::optional<const char*> inConfig; // nullopt: refused
    } cases[] = {{"1", "1"}, {"0", "0"}, {"many", std::nullopt}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        QProcess service;
        service.start(QStringLiteral(BRELTO_SIMSERVICE_EXE),
                      {QStringLiteral("--http-port"), QStringLiteral("0"),
                       QStringLiteral("--user-port"), QStringLiteral("0"),
                       QStringLiteral("--login-type"), QLatin1String(c.value)});
        ASSERT_TRUE(service.waitForStarted(5000));
        if (!c.inConfig) {
            ASSERT_TRUE(service.waitForFinished(5000));
            EXPECT_EQ(service.exitCode(), 2);
            EXPECT_TRUE(service.readAllStandardError().contains("login type"));
            continue;
        }
        QString configUrl;
        for (int tries = 0; tries < 50 && configUrl.isEmpty(); ++tries) {
            service.waitForReadyRead(100);
            while (service.canReadLine()) {
                const QString line = QString::fromUtf8(service.readLine()).trimmed();
                if (line.startsWith(QStringLiteral("config: "))) configUrl = line.mid(8);
            }
        }
        ASSERT_FALSE(configUrl.isEmpty());
        EXPECT_EQ(lookup(clientDecode(get(configUrl)), QStringLiteral("Logintype")),
                  QLatin1String(*c.inConfig));
        service.terminate();
        ASSERT_TRUE(service.waitForFinished(5000));
        EXPECT_EQ(service.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(service.exitCode(), 0);
    }
}

} // namespace
