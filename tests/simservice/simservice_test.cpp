#include "tests/simservice/servicefixture.h"

#include "platform/eventwait.h"
#include "platform/vbtext.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTcpSocket>

#include <gtest/gtest.h>

#include <memory>

using namespace simtest;

namespace {

const QStringList kRequiredCodes = {QStringLiteral("mgold"), QStringLiteral("gh"),
                                    QStringLiteral("ying"), QStringLiteral("tdhj"),
                                    QStringLiteral("tdby")};

struct Day {
    QString date;
    QStringList items;
};

QList<Day> parseDays(const QString& text) {
    QList<Day> days;
    for (const QString& part : text.split(u'|')) {
        const qsizetype cut = part.indexOf(u'_');
        days << Day{part.left(cut), cut < 0 ? QStringList() : part.mid(cut + 1).split(u',')};
    }
    return days;
}

TEST_F(SimServiceTest, ConfigurationFromBothPathsCarriesTheKeysTheClientReads) {
    SimService& s = start(kWednesday);
    const QString base = s.baseUrl();
    for (const QString& url : {s.configUrl(), s.mirrorConfigUrl()}) {
        SCOPED_TRACE(url.toStdString());
        const QString raw = get(url + QStringLiteral("?v=3.6&m=TESTCLIENT01"));
        EXPECT_TRUE(raw.contains(QStringLiteral("\r\n")))
            << "the encoded body should be broken into lines";
        const QString config = clientDecode(raw);
        ASSERT_TRUE(config.contains(QStringLiteral("[/BRELTO]")));
        EXPECT_FALSE(config.left(config.indexOf(u'\r')).contains(u'='));
        EXPECT_TRUE(config.endsWith(QStringLiteral("[/BRELTO]\r\n")));

        const std::pair<QString, QString> expected[] = {
            {QStringLiteral("mainurl"), base},
            {QStringLiteral("user"), QStringLiteral("127.0.0.1:%1").arg(s.userPort())},
            {QStringLiteral("userserver"), QStringLiteral("127.0.0.1")},
            {QStringLiteral("userport"), QString::number(s.userPort())},
            {QStringLiteral("UserDo"), QStringLiteral("1")},
            {QStringLiteral("Logintype"), QStringLiteral("0")},
            {QStringLiteral("new"), QStringLiteral("3.6")},
            {QStringLiteral("close"), QStringLiteral(",1.0,2.0,")},
            {QStringLiteral("tipstr"), QStringLiteral("黄金,非农|美元,美联储")},
            {QStringLiteral("helloallid"), QStringLiteral("300")},
            {QStringLiteral("VIPCheckAll"), QStringLiteral("30")},
            {QStringLiteral("adurlheight"), QStringLiteral("900")},
        };
        for (const auto& [key, value] : expected)
            EXPECT_EQ(lookup(config, key), value) << key.toStdString();
        for (const char* key : {"newspath", "sjurl", "jjurl", "smsurl", "bakweb", "bbsurl",
                                "newdomain", "bbdomain", "etf", "byetf", "botturl", "dl"})
            EXPECT_TRUE(lookup(config, QLatin1String(key)).startsWith(base)) << key;
        EXPECT_EQ(lookup(config, QStringLiteral("adno")),
                  QStringLiteral("新用户注册即送一个月VIP实时行情服务，点击了解详情|") + base + QStringLiteral("vip.asp"));

        const QString servers = lookup(config, QStringLiteral("server"));
        ASSERT_TRUE(servers.endsWith(u'|'));
        const QStringList entries = servers.split(u'|');
        ASSERT_EQ(entries.size(), 4);
        EXPECT_EQ(entries.mid(0, 3), s.dataServerUrls());
    }
}

// Without an advert page the configuration still names the key, empty, as a service that shows
// none sends it; the next download has the page again once it is switched back on.
TEST_F(SimServiceTest, AdvertPageCanBeLeftOutOfTheConfiguration) {
    SimService& s = start(kWednesday);
    const auto advertPage = [&] {
        return lookup(clientDecode(get(s.configUrl() + QStringLiteral("?v=3.6&m=TESTCLIENT01"))),
                      QStringLiteral("botturl"));
    };
    const QString page = advertPage();
    EXPECT_TRUE(page.startsWith(s.baseUrl())) << page.toStdString();
    s.setBottomAdvert(false);
    EXPECT_EQ(advertPage(), QString());
    EXPECT_TRUE(clientDecode(get(s.configUrl())).contains(QStringLiteral("\r\nbotturl=\r\n")));
    s.setBottomAdvert(true);
    EXPECT_EQ(advertPage(), page);
}

TEST_F(SimServiceTest, EveryDataServerAndItsGetShtmlFormTellTheTime) {
    SimService& s = start(at(2024, 5, 15, 0, 0)); // midnight still carries the time part
    const QStringList urls = s.servedDataUrls();
    EXPECT_EQ(urls.size(), 5);
    for (const QString& entry : s.dataServerUrls()) {
        QString shtml = entry;
        EXPECT_TRUE(urls.contains(entry));
        EXPECT_TRUE(
            urls.contains(shtml.replace(QStringLiteral("do.asp"), QStringLiteral("get.shtml"))));
    }
    for (const QString& url : urls) {
        const QString answer = get(url + QStringLiteral("?t=6&r=0.7055475"));
        EXPECT_EQ(answer, QStringLiteral("2024-5-15 0:00:00")) << url.toStdString();
        EXPECT_EQ(platform::parseDate(answer), at(2024, 5, 15, 0, 0));
    }
}

// Consistency of the snapshot with the series the client loads beside it, at different points of
// the trading week. Each case names the trading days the three-day answer must carry.
struct WeekCase {
    const char* name;
    QDateTime now;
    int slot;
    bool open;
    QStringList days; // newest first: day 0, 1, 2
};

void PrintTo(const WeekCase& c, std::ostream* os) {
    *os << c.name;
}

class SimServiceWeek : public SimServiceTest, public ::testing::WithParamInterface<WeekCase> {};

TEST_P(SimServiceWeek, SnapshotAgreesWithTheHistories) {
    const WeekCase& c = GetParam();
    SimService& s = start(c.now);

    const QStringList parts = snapshot(s).split(u'|');
    ASSERT_GE(parts.size(), 3);
    const QStringList header = parts.first().split(u',');
    ASSERT_GE(header.size(), 6);
    EXPECT_GT(platform::Val(header[1]), 5.0);
    EXPECT_LT(platform::Val(header[1]), 8.0);
    EXPECT_EQ(header[2].toInt(), platform::Val(header[2]));
    EXPECT_EQ(header[3], platform::shortDateText(c.now.date()));
    EXPECT_EQ(header[4], platform::timeText(c.now.time()));
    EXPECT_EQ(header[5], QString::number(c.slot));
    EXPECT_TRUE(parts.last().isEmpty());

    QStringList codes;
    for (qsizetype r = 1; r + 1 < parts.size(); ++r) {
        const QStringList row = parts[r].split(u',');
        ASSERT_EQ(row.size(), 7) << parts[r].toStdString();
        const QString& code = row[5];
        SCOPED_TRACE(code.toStdString());
        codes << code;
        EXPECT_FALSE(row[0].isEmpty());
        EXPECT_TRUE(platform::IsNumeric(row[2]));
        EXPECT_TRUE(platform::IsNumeric(row[6]));

        const QString rawDays =
            data(s, QStringLiteral("data1/get.shtml"), QStringLiteral("ver=3.6&m=P-") + code);
        EXPECT_GT(rawDays.size(), 99);
        const QList<Day> days = parseDays(clientDecode(rawDays));
        ASSERT_EQ(days.size(), 3);
        for (int d = 0; d < 3; ++d) {
            EXPECT_EQ(days[d].date, c.days[d]);
            ASSERT_EQ(days[d].items.size(), 720);
        }
        const QStringList& today = days[0].items;
        EXPECT_EQ(today[c.slot], row[1]);
        double high = 0;
        double low = 1e30;
        for (int k = 0; k < 720; ++k) {
            const double v = platform::Val(today[k]);
            if (k <= c.slot) {
                ASSERT_GT(v, 0) << k;
                high = std::max(high, v);
                low = std::min(low, v);
            } else {
                ASSERT_EQ(today[k], QStringLiteral("0")) << k;
            }
        }
        EXPECT_EQ(platform::Val(row[3]), high);
        EXPECT_EQ(platform::Val(row[4]), low);
        const double prevClose = platform::Val(days[1].items.last());
        EXPECT_NEAR(platform::Val(row[2]), platform::Val(row[1]) - prevClose, 1e-6 * prevClose);
        EXPECT_FALSE(days[1].items.contains(QStringLiteral("0")));
        EXPECT_FALSE(days[2].items.contains(QStringLiteral("0")));

        // The ten-day answer goes on from the day before day 2; the year ends with day 0.
        const QList<Day> older = parseDays(clientDecode(
            data(s, QStringLiteral("data2/get.shtml"), QStringLiteral("ver=3.6&m=P10-") + code)));
        ASSERT_GE(older.size(), 7);
        EXPECT_EQ(platform::parseDate(older[0].date).date(),
                  SimMarket::previousTradingDate(platform::parseDate(c.days[2]).date()));
        QString year = clientDecode(
            data(s, QStringLiteral("data3/do.asp"),
                 QStringLiteral("ver=3.6&m=P365-") + code + QStringLiteral("&rnd=0.3")));
        if (year.startsWith(u'|')) year.remove(0, 1);
        const QStringList newest = year.left(year.indexOf(u'|')).split(u',');
        ASSERT_EQ(newest.size(), 5);
        EXPECT_EQ(newest[0], c.days[0]);
        EXPECT_EQ(newest[1], today[0]);
        EXPECT_EQ(newest[2], row[1]);
        EXPECT_EQ(newest[3], row[3]);
        EXPECT_EQ(newest[4], row[4]);
    }
    for (const QString& code : kRequiredCodes)
        EXPECT_TRUE(codes.contains(code)) << code.toStdString();
    EXPECT_EQ(codes.size(), kRows);
}

INSTANTIATE_TEST_SUITE_P(Week, SimServiceWeek,
                         ::testing::Values(WeekCase{"WednesdayMorning",
                                                    kWednesday,
                                                    kWednesdaySlot,
                                                    true,
                                                    {"2024-5-15", "2024-5-14", "2024-5-13"}},
                                           WeekCase{"MondayAfterTheWeekend",
                                                    at(2024, 5, 13, 7, 0),
                                                    30,
                                                    true,
                                                    {"2024-5-13", "2024-5-10", "2024-5-9"}},
                                           WeekCase{"SaturdayNightIsFriday",
                                                    at(2024, 5, 18, 3, 0),
                                                    630,
                                                    true,
                                                    {"2024-5-17", "2024-5-16", "2024-5-15"}},
                                           WeekCase{"SundayShowsFridaysClose",
                                                    at(2024, 5, 19, 10, 0),
                                                    719,
                                                    false,
                                                    {"2024-5-17", "2024-5-16", "2024-5-15"}}),
                         [](const ::testing::TestParamInfo<WeekCase>& info) {
                             return std::string(info.param.name);
                         });

TEST_F(SimServiceTest, TenDayAnswerHasSevenEarlierDaysWithLoneGaps) {
    SimService& s = start(kWednesday);
    const QString text = clientDecode(
        data(s, QStringLiteral("data1/get.shtml"), QStringLiteral("ver=3.6&m=P10-mgold")));
    const QList<Day> days = parseDays(text);
    ASSERT_EQ(days.size(), 7);
    QDate expected = platform::parseDate(QStringLiteral("2024-5-13")).date(); // day 2
    int gaps = 0;
    for (const Day& day : days) {
        expected = SimMarket::previousTradingDate(expected);
        EXPECT_EQ(day.date, platform::shortDateText(expected));
        ASSERT_EQ(day.items.size(), 720);
        EXPECT_FALSE(day.items.first().isEmpty());
        EXPECT_FALSE(day.items.last().isEmpty());
        for (qsizetype k = 1; k < day.items.size(); ++k) {
            if (day.items[k].isEmpty()) {
                ++gaps;
                // The client's one-pass ",," repair cannot mend two missing slots in a row.
                EXPECT_FALSE(day.items[k - 1].isEmpty()) << k;
            } else {
                EXPECT_GT(platform::Val(day.items[k]), 0) << k;
            }
        }
    }
    EXPECT_GT(gaps, 0);
}

TEST_F(SimServiceTest, YearAnswerRunsNewestFirstOverAboutAYearOfTradingDays) {
    SimService& s = start(kWednesday);
    QString text = clientDecode(
        data(s, QStringLiteral("data2/get.shtml"), QStringLiteral("ver=3.6&m=P365-gh&rnd=0.1234")));
    ASSERT_TRUE(text.startsWith(u'|'));
    text.remove(0, 1);
    const QStringList rows = text.split(u'|');
    EXPECT_GE(rows.size(), 250);
    EXPECT_LE(rows.size(), 262);
    QDate previous;
    for (const QString& row : rows) {
        const QStringList f = row.split(u',');
        ASSERT_EQ(f.size(), 5) << row.toStdString();
        const QDate d = platform::parseDate(f[0]).date();
        ASSERT_TRUE(d.isValid()) << row.toStdString();
        EXPECT_LE(d.dayOfWeek(), 5);
        if (previous.isValid()) {
            EXPECT_EQ(d, SimMarket::previousTradingDate(previous));
        }
        previous = d;
        const double open = platform::Val(f[1]), close = platform::Val(f[2]);
        const double high = platform::Val(f[3]), low = platform::Val(f[4]);
        EXPECT_GT(low, 0);
        EXPECT_LE(low, std::min(open, close)) << row.toStdString();
        EXPECT_GE(high, std::max(open, close)) << row.toStdString();
    }
    EXPECT_EQ(rows.first().left(rows.first().indexOf(u',')), QStringLiteral("2024-5-15"));
    EXPECT_GT(previous, QDate(2023, 5, 15));
}

TEST_F(SimServiceTest, SameSeedGivesTheSameMarketAndAnotherSeedAnother) {
    SimService& a = start(kWednesday, 21);
    SimService& b = start(kWednesday, 21);
    SimService& c = start(kWednesday, 22);
    for (const QString& query :
         {QStringLiteral("ver=3.6&m=now-price&rnd=0.1"), QStringLiteral("ver=3.6&m=P-tdby"),
          QStringLiteral("ver=3.6&m=P10-oil"), QStringLiteral("ver=3.6&m=P365-gh&rnd=0.2")}) {
        SCOPED_TRACE(query.toStdString());
        const QString fromA = clientDecode(data(a, QStringLiteral("data1/get.shtml"), query));
        ASSERT_FALSE(fromA.isEmpty());
        EXPECT_EQ(clientDecode(data(b, QStringLiteral("data3/get.shtml"), query)), fromA);
        EXPECT_NE(clientDecode(data(c, QStringLiteral("data1/get.shtml"), query)), fromA);
    }
}

TEST_F(SimServiceTest, RequestsTheClientCannotUseGetNothingOrAnErrorPage) {
    SimService& s = start(kWednesday);
    const struct {
        const char* target;
        bool errorPage;
    } cases[] = {
        {"data1/get.shtml?ver=3.6&m=P-xau", false},
        {"data1/get.shtml?ver=3.6&m=P-GH", false},
        {"data1/get.shtml?ver=3.6&m=P10-", false},
        {"data2/get.shtml?ver=3.6&m=P365-&rnd=0.5", false},
        {"data2/get.shtml?ver=3.6&m=what", false},
        {"data2/get.shtml?t=7&r=0.5", false},
        {"data3/do.asp", false},
        {"", true},
        {"data4/do.asp?ver=3.6&m=now-price", true},
        {"data2/do.asp?ver=3.6&m=now-price", true},
        {"cons/config.asp", true},
        {"soft/nosuch.asp?ver=3.6", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.target);
        const QString answer = get(s.baseUrl() + QLatin1String(c.target));
        if (c.errorPage) {
            EXPECT_TRUE(answer.contains(QStringLiteral("<html>")));
            EXPECT_TRUE(answer.contains(QStringLiteral("404")));
        } else {
            EXPECT_EQ(answer, QString());
        }
    }
}

TEST_F(SimServiceTest, MalformedTrafficLeavesTheServiceAnswering) {
    SimService& s = start(kWednesday);
    for (const QByteArray& junk :
         {QByteArray("NONSENSE\r\n\r\n"), QByteArray("GET /cons/config.txt HTTP/9.9\r\n\r\n"),
          QByteArray("\x00\xff\xfe garbage \x81\x40", 13), QByteArray(20000, 'A'),
          QByteArray("GET /data1/get.shtml?m=P-%ZZ%&&&=== HTTP/1.1\r\nHost: x\r\n\r\n")}) {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress(QHostAddress::LocalHost), s.httpPort());
        ASSERT_TRUE(socket.waitForConnected(2000));
        socket.write(junk);
        socket.waitForBytesWritten(2000);
        platform::pauseMs(50);
        socket.abort();
    }
    for (const char* target : {"sim/fault?mode=sideways", "sim/fault?mode=empty&endpoint=all",
                               "sim/fault?mode=empty&times=0", "sim/fault?delayms=soon",
                               "sim/fault?mode=close&path=data1"}) {
        SCOPED_TRACE(target);
        const QString answer = get(s.baseUrl() + QLatin1String(target));
        EXPECT_FALSE(answer.isEmpty());
        EXPECT_FALSE(answer.startsWith(QStringLiteral("fault delay"))) << "should be refused";
    }
    EXPECT_TRUE(clientDecode(get(s.configUrl())).contains(QStringLiteral("[/BRELTO]")));
    EXPECT_FALSE(snapshot(s).isEmpty());
}

// What the client sees of each fault, on the one path it was set for.
enum class Seen { Nothing, Undecodable, ErrorPage };

struct FaultCase {
    const char* name;
    SimService::Endpoint endpoint;
    SimService::Fault fault;
    const char* path;
    const char* query;
    const char* unaffectedPath; // the same request elsewhere answers as usual
    Seen seen;
};

void PrintTo(const FaultCase& c, std::ostream* os) {
    *os << c.name;
}

class SimServiceFault : public SimServiceTest, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(SimServiceFault, IsSeenOnItsPathOnly) {
    const FaultCase& c = GetParam();
    SimService& s = start(kWednesday);
    s.setFaultDelayMs(2500);
    s.setFault(QLatin1String(c.path), c.endpoint, c.fault);
    auto fetch = [&](const char* path, int16_t timeout) {
        return get(s.baseUrl() + QLatin1String(path).mid(1) + u'?' + QLatin1String(c.query),
                   timeout);
    };
    // A two-second time-out ends between one and two seconds: well before the delayed answer.
    const QString raw = fetch(c.path, 2);
    switch (c.seen) {
    case Seen::Nothing:
        EXPECT_EQ(raw, QString());
        break;
    case Seen::Undecodable:
        EXPECT_FALSE(raw.isEmpty());
        EXPECT_EQ(clientDecode(raw), QString());
        break;
    case Seen::ErrorPage:
        EXPECT_TRUE(raw.contains(QStringLiteral("<html>")));
        EXPECT_TRUE(raw.contains(QStringLiteral("404")));
        break;
    }
    const QString elsewhere = fetch(c.unaffectedPath, 5);
    if (c.endpoint == SimService::Endpoint::Clock)
        EXPECT_TRUE(platform::IsDate(elsewhere));
    else
        EXPECT_FALSE(clientDecode(elsewhere).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Modes, SimServiceFault,
    ::testing::Values(
        FaultCase{"EmptySnapshot", SimService::Endpoint::Snapshot, SimService::Fault::Empty,
                  "/data1/get.shtml", "ver=3.6&m=now-price&rnd=0.5", "/data2/get.shtml",
                  Seen::Nothing},
        FaultCase{"GarbageSnapshot", SimService::Endpoint::Snapshot, SimService::Fault::Garbage,
                  "/data1/get.shtml", "ver=3.6&m=now-price&rnd=0.5", "/data1/do.asp",
                  Seen::Undecodable},
        FaultCase{"ErrorPageThreeDays", SimService::Endpoint::Intraday, SimService::Fault::NotFound,
                  "/data2/get.shtml", "ver=3.6&m=P-gh", "/data3/get.shtml", Seen::ErrorPage},
        FaultCase{"DroppedTenDays", SimService::Endpoint::TenDay, SimService::Fault::Close,
                  "/data3/do.asp", "ver=3.6&m=P10-gh", "/data3/get.shtml", Seen::Nothing},
        FaultCase{"DelayedYear", SimService::Endpoint::Year, SimService::Fault::Delay,
                  "/data1/get.shtml", "ver=3.6&m=P365-gh&rnd=0.5", "/data2/get.shtml",
                  Seen::Nothing},
        FaultCase{"DelayedClock", SimService::Endpoint::Clock, SimService::Fault::Delay,
                  "/data1/get.shtml", "t=6&r=0.5", "/data2/get.shtml", Seen::Nothing},
        // A byte every 100 ms: the snapshot is still arriving when the client gives up.
        FaultCase{"TricklingSnapshot", SimService::Endpoint::Snapshot, SimService::Fault::Trickle,
                  "/data1/get.shtml", "ver=3.6&m=now-price&rnd=0.5", "/data2/get.shtml", Seen::Nothing},
        FaultCase{"GarbageConfig", SimService::Endpoint::Config, SimService::Fault::Garbage,
                  "/cons/config.txt", "v=3.6&m=X", "/brelto/cons/config.txt", Seen::Undecodable},
        FaultCase{"DroppedConfig", SimService::Endpoint::Config, SimService::Fault::Close,
                  "/cons/config.txt", "v=3.6&m=X", "/brelto/cons/config.txt", Seen::Nothing},
        FaultCase{"ErrorPageMirror", SimService::Endpoint::Any, SimService::Fault::NotFound,
                  "/brelto/cons/config.txt", "v=3.6&m=X", "/cons/config.txt", Seen::ErrorPage}),
    [](const ::testing::TestParamInfo<FaultCase>& info) { return std::string(info.param.name); });

TEST_F(SimServiceTest, FaultRulesPickTheNarrowestAndCanBeSpent) {
    SimService& s = start(kWednesday);
    const QString snap = QStringLiteral("?ver=3.6&m=now-price&rnd=0.5");
    auto seenAt = [&](const char* path) {
        const QString raw = get(s.baseUrl() + QLatin1String(path) + snap);
        if (raw.isEmpty()) return QStringLiteral("nothing");
        if (raw.contains(QStringLiteral("<html>"))) return QStringLiteral("404");
        return clientDecode(raw).isEmpty() ? QStringLiteral("garbage") : QStringLiteral("ok");
    };
    s.setFault(QStringLiteral("*"), SimService::Endpoint::Any, SimService::Fault::Garbage);
    s.setFault(QStringLiteral("/data1/"), SimService::Endpoint::Any, SimService::Fault::NotFound);
    s.setFault(QStringLiteral("/data1/do.asp"), SimService::Endpoint::Snapshot,
               SimService::Fault::Empty, 1);
    EXPECT_EQ(seenAt("data1/do.asp"), u"nothing");
    EXPECT_EQ(seenAt("data1/do.asp"),
              u"404"); // the one-shot rule is spent; the folder rule remains
    EXPECT_EQ(seenAt("data1/get.shtml"), u"404");
    EXPECT_EQ(seenAt("data2/get.shtml"), u"garbage");
    s.setFault(QStringLiteral("*"), SimService::Endpoint::Any, SimService::Fault::None);
    EXPECT_EQ(seenAt("data2/get.shtml"), u"ok");
    s.clearFaults();
    EXPECT_EQ(seenAt("data1/get.shtml"), u"ok");
}

TEST_F(SimServiceTest, AdminPathSetsListsAndResetsFaults) {
    SimService& s = start(kWednesday);
    const QString listing = get(
        s.baseUrl() +
        QStringLiteral("sim/fault?path=/data1/get.shtml&endpoint=snapshot&mode=garbage&times=2"));
    EXPECT_TRUE(listing.contains(QStringLiteral("/data1/get.shtml snapshot garbage times=2")))
        << listing.toStdString();
    const QString raw =
        get(s.baseUrl() + QStringLiteral("data1/get.shtml?ver=3.6&m=now-price&rnd=0.5"));
    EXPECT_FALSE(raw.isEmpty());
    EXPECT_EQ(clientDecode(raw), QString());

    EXPECT_TRUE(get(s.baseUrl() + QStringLiteral("sim/fault?delayms=1234"))
                    .contains(QStringLiteral("fault delay 1234 ms")));
    EXPECT_EQ(s.faultDelayMs(), 1234);
    const QString afterReset = get(s.baseUrl() + QStringLiteral("sim/fault?reset=1"));
    EXPECT_FALSE(afterReset.contains(QStringLiteral("garbage")));
    EXPECT_FALSE(snapshot(s).isEmpty());
    EXPECT_TRUE(
        s.requestLog().contains(QStringLiteral("/data1/get.shtml?ver=3.6&m=now-price&rnd=0.5")));
}

// The delay holds one answer back on a timer: other requests are served meanwhile, and the held
// answer still arrives whole.
TEST_F(SimServiceTest, DelayedAnswerDoesNotHoldUpOtherRequests) {
    SimService& s = start(kWednesday);
    s.setFaultDelayMs(3000);
    s.setFault(QStringLiteral("/data1/get.shtml"), SimService::Endpoint::Snapshot,
               SimService::Fault::Delay);
    QNetworkAccessManager nam;
    std::unique_ptr<QNetworkReply> held(nam.get(QNetworkRequest(
        QUrl(s.baseUrl() + QStringLiteral("data1/get.shtml?ver=3.6&m=now-price&rnd=0.5")))));
    // Shorter than the delay: it could not succeed if the held request blocked the service.
    const QString other = get(s.baseUrl() + QStringLiteral("data2/get.shtml?ver=3.6&m=P-gh"), 2);
    EXPECT_EQ(parseDays(clientDecode(other)).size(), 3);
    if (!held->isFinished()) platform::waitForSignal(held.get(), &QNetworkReply::finished, 15000);
    ASSERT_TRUE(held->isFinished());
    const QString late = clientDecode(QString::fromLatin1(held->readAll()));
    EXPECT_TRUE(late.endsWith(u'|'));
    EXPECT_EQ(late, snapshot(s, QStringLiteral("data3/get.shtml")));
}

// The broken snapshots a test can ask for, each with exactly its one flaw.
TEST_F(SimServiceTest, SnapshotShapesCarryTheirFlaw) {
    SimService& s = start(kWednesday);
    const QStringList normal = snapshot(s).split(u'|');
    ASSERT_EQ(normal.size(), kRows + 2); // header, the rows, the empty tail

    s.setSnapshotShape(SimMarket::SnapshotShape::ExtraRow);
    const QStringList extra = snapshot(s).split(u'|');
    ASSERT_EQ(extra.size(), 34); // 32 rows
    EXPECT_EQ(extra.mid(0, kRows + 1), normal.mid(0, kRows + 1));
    EXPECT_EQ(extra[32].section(u',', 5, 5), QStringLiteral("x32"));
    EXPECT_TRUE(extra.last().isEmpty());

    s.setSnapshotShape(SimMarket::SnapshotShape::SlotPastList);
    const QStringList past = snapshot(s).split(u'|');
    EXPECT_EQ(past[0].section(u',', 5, 5), QStringLiteral("720"));
    EXPECT_EQ(past.mid(1), normal.mid(1));

    s.setSnapshotShape(SimMarket::SnapshotShape::NoGoldPartner);
    const QStringList noGh = snapshot(s).split(u'|');
    EXPECT_EQ(noGh.size(), kRows + 1);
    QStringList codes;
    for (const QString& row : noGh.mid(1, noGh.size() - 2))
        codes << row.section(u',', 5, 5);
    EXPECT_FALSE(codes.contains(QStringLiteral("gh")));
    EXPECT_TRUE(codes.contains(QStringLiteral("tdhj")));
}

TEST_F(SimServiceTest, MissingSlotsLeaveLoneHolesInTheHistories) {
    SimService& s = start(kWednesday);
    const QList<Day> whole = parseDays(threeDays(s, QStringLiteral("mgold")));
    s.setMissingSlots(true);
    const QList<Day> holed = parseDays(threeDays(s, QStringLiteral("mgold")));
    ASSERT_EQ(holed.size(), 3);
    int holes = 0;
    for (int d = 0; d < 3; ++d) {
        ASSERT_EQ(holed[d].items.size(), 720);
        const int traded = d == 0 ? kWednesdaySlot : 719;
        for (int k = 0; k < 720; ++k) {
            if (holed[d].items[k] == whole[d].items[k])
                continue;
            // A hole is a "0" inside the traded part, never first or last, never two in a row.
            ++holes;
            EXPECT_EQ(holed[d].items[k], QStringLiteral("0"));
            EXPECT_GT(k, 0);
            EXPECT_LT(k, traded);
            EXPECT_NE(holed[d].items[k - 1], QStringLiteral("0"));
        }
    }
    EXPECT_GT(holes, 0);

    const QStringList rows =
        clientDecode(data(s, QStringLiteral("data1/get.shtml"), QStringLiteral("ver=3.6&m=P365-mgold&rnd=0.5")))
            .mid(1)
            .split(u'|');
    int emptyCloses = 0;
    for (const QString& row : rows) {
        const QStringList f = row.split(u',');
        ASSERT_EQ(f.size(), 5);
        emptyCloses += f[2].isEmpty();
    }
    EXPECT_GT(emptyCloses, 0);
    EXPECT_FALSE(rows.first().section(u',', 2, 2).isEmpty()); // today's close is never missing
}

TEST_F(SimServiceTest, ScriptedAnswersGoOutEncodedOrAsTheyStand) {
    SimService& s = start(kWednesday);
    s.setAnswer(QStringLiteral("/data1"), SimService::Endpoint::Intraday, QStringLiteral("a|b|c"), true, 1);
    s.setAnswer(QStringLiteral("/data2/get.shtml"), SimService::Endpoint::Any, QStringLiteral("raw text"), false);
    EXPECT_EQ(threeDays(s, QStringLiteral("gh")), QStringLiteral("a|b|c"));
    EXPECT_EQ(parseDays(threeDays(s, QStringLiteral("gh"))).size(), 3); // spent: the market again
    EXPECT_EQ(data(s, QStringLiteral("data2/get.shtml"), QStringLiteral("ver=3.6&m=P-gh")), QStringLiteral("raw text"));
    EXPECT_FALSE(snapshot(s).isEmpty()); // other paths are untouched
    s.setFault(QStringLiteral("/data2"), SimService::Endpoint::Any, SimService::Fault::Empty);
    EXPECT_EQ(data(s, QStringLiteral("data2/get.shtml"), QStringLiteral("ver=3.6&m=P-gh")), QString());
    s.clearFaults();
    s.clearAnswers();
    EXPECT_EQ(parseDays(clientDecode(data(s, QStringLiteral("data2/get.shtml"), QStringLiteral("ver=3.6&m=P-gh")))).size(), 3);
}

TEST_F(SimServiceTest, ScenarioPathSetsShapeGapsAndClock) {
    SimService& s = start(kWednesday);
    const QString shown = get(s.baseUrl() + QStringLiteral("sim/scenario?snapshot=rows32&gaps=1&clock=2024-5-17%2005:58:00"));
    EXPECT_TRUE(shown.startsWith(QStringLiteral("snapshot rows32\r\ngaps 1\r\nclock 2024-5-17 5:58:")))
        << shown.toStdString();
    EXPECT_EQ(snapshot(s).split(u'|').size(), 34);
    const QDateTime scripted = s.now();
    EXPECT_GE(scripted, at(2024, 5, 17, 5, 58));
    EXPECT_LT(scripted, at(2024, 5, 17, 5, 59)); // runs on with the PC clock from there
    EXPECT_TRUE(get(s.baseUrl() + QStringLiteral("sim/scenario?snapshot=sideways")).startsWith(QStringLiteral("unknown snapshot")));
    EXPECT_TRUE(get(s.baseUrl() + QStringLiteral("sim/scenario?clock=soon")).startsWith(QStringLiteral("clock must be")));
    get(s.baseUrl() + QStringLiteral("sim/scenario?snapshot=normal&gaps=0&clock=pc"));
    EXPECT_EQ(snapshot(s).split(u'|').size(), kRows + 2);
    EXPECT_LT(std::abs(s.now().secsTo(platform::pcNow())), 5);
}

TEST_F(SimServiceTest, ScenarioPathStretchesTheNewestNewsTitle) {
    SimService& s = start(kWednesday);
    const QString url = s.baseUrl() + QStringLiteral("soft/news.asp?ver=3.6");
    const auto titles = [&] {
        QStringList found;
        const QString feed = GetHttpText(url, {}, 5, QStringLiteral("GB2312"), {}, true);
        for (const QString& item : feed.section(QStringLiteral("///"), 1, 1).split(u'|', Qt::SkipEmptyParts))
            found << item.section(u',', 0, 0);
        return found;
    };
    const QStringList usual = titles();
    ASSERT_GE(usual.size(), 2);
    struct Case {
        const char* query;
        int length; // of the newest title; -1: as usual
        const char* shown;
    };
    const Case cases[] = {
        {"newstitle=100000", 100000, "newstitle 100000"},
        {"newstitle=7", 7, "newstitle 7"},
        {"newstitle=0", -1, "newstitle 0"},
        {"newstitle=-3", -1, "newstitle must be"},
        {"newstitle=many", -1, "newstitle must be"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.query);
        EXPECT_TRUE(get(s.baseUrl() + QStringLiteral("sim/scenario?") + QLatin1String(c.query))
                        .contains(QLatin1String(c.shown)));
        const QStringList now = titles();
        ASSERT_EQ(now.size(), usual.size());
        EXPECT_EQ(now.mid(0, now.size() - 1), usual.mid(0, usual.size() - 1)); // the others as they were
        if (c.length < 0) {
            EXPECT_EQ(now.last(), usual.last());
        } else {
            EXPECT_EQ(now.last().size(), c.length);
            EXPECT_TRUE(now.last().startsWith(usual.last().left(c.length)));
        }
    }
}

TEST_F(SimServiceTest, ScenarioPathStretchesTheInstrumentNames) {
    SimService& s = start(kWednesday);
    const auto names = [&] {
        QStringList found;
        const QStringList rows = snapshot(s).split(u'|');
        for (const QString& row : rows.mid(1, rows.size() - 2))
            found << row.section(u',', 0, 0);
        return found;
    };
    const QStringList usual = names();
    ASSERT_GE(usual.size(), 16);
    const struct {
        const char* query;
        int length; // of every name; -1: as usual
        const char* shown;
    } cases[] = {
        {"namelength=100000", 100000, "namelength 100000"},
        {"namelength=3", 3, "namelength 3"},
        {"namelength=0", -1, "namelength 0"},
        {"namelength=-1", -1, "namelength must be"},
        {"namelength=long", -1, "namelength must be"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.query);
        EXPECT_TRUE(get(s.baseUrl() + QStringLiteral("sim/scenario?") + QLatin1String(c.query))
                        .contains(QLatin1String(c.shown)));
        const QStringList now = names();
        ASSERT_EQ(now.size(), usual.size());
        for (qsizetype k = 0; k < now.size(); ++k) {
            if (c.length < 0) {
                EXPECT_EQ(now[k], usual[k]);
            } else {
                EXPECT_EQ(now[k].size(), c.length);
                EXPECT_TRUE((usual[k].repeated(c.length)).startsWith(now[k])) << now[k].left(20).toStdString();
            }
        }
    }
}

TEST_F(SimServiceTest, ClockCanBeReplacedWhileRunning) {
    SimService& s = start(kWednesday);
    QDateTime t = at(2024, 5, 15, 23, 59, 58);
    s.setNow([&t] { return t; });
    EXPECT_TRUE(snapshot(s).startsWith(QString::number(kRows) + u','));
    EXPECT_EQ(snapshot(s).section(u',', 4, 4), QStringLiteral("23:59:58"));
    t = at(2024, 5, 16, 0, 0, 2); // across midnight: the same trading day
    const QStringList header = snapshot(s).section(u'|', 0, 0).split(u',');
    EXPECT_EQ(header[3], QStringLiteral("2024-5-16"));
    EXPECT_EQ(header[5], QString::number((18 * 60) / 2));
    t = at(2024, 5, 16, 6, 0); // across 06:00: a new trading day starts at slot 0
    EXPECT_EQ(snapshot(s).section(u'|', 0, 0).section(u',', 5, 5), QStringLiteral("0"));
}

} // namespace
