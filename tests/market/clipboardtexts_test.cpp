#include "market/clipboardtexts.h"

#include "platform/ping.h"
#include "platform/vberror.h"
#include "tests/market/marketfixture.h"

#include <gtest/gtest.h>

namespace {

// The clipboard and the message box as the commands see them, with what was done to them in order.
struct FakeDesk {
    QStringList calls;
    QString clipboard = QStringLiteral("old");
    std::function<void()> duringNotice;

    ClipboardHost host() {
        return {[this] {
                    calls << QStringLiteral("clear");
                    clipboard.clear();
                },
                [this](const QString& text) {
                    calls << QStringLiteral("set");
                    clipboard = text;
                },
                [this](const QString& text, const QString& title, bool modal, int ms) {
                    calls << QStringLiteral("notice %1|%2|%3|%4").arg(text, title).arg(modal).arg(ms);
                    if (duringNotice)
                        duringNotice();
                }};
    }
};

const QString kQuoteNotice =
    QStringLiteral("notice 已经复制了当前行情信息到剪贴板，请直接Ctrl+V在需要的位置粘帖出来即可。|复制信息|0|3000");
const QString kReportNotice =
    QStringLiteral("notice 已复制软件环境信息到剪贴板，请把它粘贴给技术人员以帮助检查软件运行状况。|复制软件环境信息|1|0");

TEST(QuoteCopy, ClearsPutsTheTextAndSaysSo) {
    const struct {
        const char* what;
        std::function<QString()> list;
        const char16_t* date;
        const char16_t* time;
        const char16_t* text;
    } cases[] = {
        {"a quote", [] { return QStringLiteral("黄金 268.53\r\n涨跌 -1.25"); }, u"2024-5-15", u"10:00:02",
         u"黄金 268.53\r\n涨跌 -1.25\r\n2024-5-15 10:00:02\r\n由Quillor提供 http://svc.example/"},
        {"before the first snapshot", [] { return QString(); }, u"", u"", u"\r\n \r\n由Quillor提供 http://svc.example/"},
        {"a failing quote block still copies the rest",
         []() -> QString { throw platform::VbError(9, QStringLiteral("下标越界")); }, u"2024-5-15", u"10:00:02",
         u"\r\n2024-5-15 10:00:02\r\n由Quillor提供 http://svc.example/"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeDesk desk;
        copyQuote(desk.host(), c.list, QString::fromUtf16(c.date) + u' ' + QString::fromUtf16(c.time),
                  QStringLiteral("http://svc.example/"));
        EXPECT_EQ(desk.clipboard, QString::fromUtf16(c.text));
        EXPECT_EQ(desk.calls, (QStringList{QStringLiteral("clear"), QStringLiteral("set"), kQuoteNotice}));
    }
}

TEST(QuoteCopy, AClipboardThatCannotBeClearedStillGetsTheText) {
    FakeDesk desk;
    ClipboardHost host = desk.host();
    host.clear = [] { throw platform::VbError(521, QStringLiteral("无法打开剪贴板")); };
    copyQuote(host, [] { return QStringLiteral("L"); }, QStringLiteral("d t"), QStringLiteral("s"));
    EXPECT_EQ(desk.clipboard, QStringLiteral("L\r\nd t\r\n由Quillor提供 s"));
    EXPECT_EQ(desk.calls.last(), kQuoteNotice);
}

// The quote block of the real quote tables, before anything has loaded: the copy still has its
// shape and the credit line.
class QuoteCopyTables : public MarketTest {};
TEST_F(QuoteCopyTables, EmptyTablesGiveTheBlockWithoutDateAndTime) {
    FakeDesk desk;
    copyQuote(desk.host(), [] { return QuoteTexts::GetList(); }, QuoteDate + u' ' + QuoteTime, QStringLiteral("http://s/"));
    const QString block = QuoteTexts::GetList();
    EXPECT_EQ(desk.clipboard, block + QStringLiteral("\r\n \r\n由Quillor提供 http://s/"));
}

TEST(ReportHost, DataServerWithoutSchemeAndPath) {
    const std::pair<const char*, const char*> cases[] = {
        {"http://data1.example/quote/get.shtml", "data1.example"},
        {"http://127.0.0.1:18631/d1/get.shtml", "127.0.0.1:18631"},
        {"data2.example/x", "data2.example"},
        {"http://data3.example", "data3.example"},
        {"https://data4.example/x", "https:"}, // only "http://" is taken off, as the report always did
        {"", ""},
    };
    for (const auto& [server, host] : cases)
        EXPECT_EQ(reportHost(QString::fromLatin1(server)).toStdString(), host) << server;
}

ReportFacts facts() {
    ReportFacts f;
    f.startTime = QStringLiteral("2024-5-15 9:58:01");
    f.pcTime = QStringLiteral("10:00:02");
    f.quoteTime = QStringLiteral("10:00:00");
    f.dataServer = QStringLiteral("http://data1.example/quote/get.shtml");
    f.serverSwitches = 2;
    f.polledLoads = 31;
    f.userServerHost = QStringLiteral("user.example");
    f.userServerPort = 18632;
    f.userServerSwitches = 1;
    f.pushedLoads = 7;
    f.socketState = 7;
    f.newsId = 1205;
    f.loggedIn = true;
    f.userName = QStringLiteral("张三");
    return f;
}

// A ping that knows two hosts and writes down what it was asked.
struct FakePing {
    QStringList asked;
    PingProbe probe() {
        return {[this](const QString& h) {
                    asked << QStringLiteral("ip ") + h;
                    return h == u"data1.example" ? QStringLiteral("10.1.2.3")
                           : h == u"user.example" ? QStringLiteral("10.4.5.6")
                                                  : QString();
                },
                [this](const QString& h) {
                    asked << QStringLiteral("ping ") + h;
                    return h == u"data1.example" ? 23 : h == u"user.example" ? 41 : -1;
                }};
    }
};

TEST(ReportLines, EveryLineWithAddressesAndRoundTrips) {
    FakePing ping;
    const QStringList lines = reportLines(facts(), ping.probe());
    EXPECT_EQ(lines, (QStringList{
                         QStringLiteral("程序启动时间：2024-5-15 9:58:01 当前系统时间: 10:00:02"),
                         QStringLiteral("行情更新时间: 10:00:00 已经连接配置服务器."),
                         QStringLiteral("数据服务器: data1.example 已经自动跳转 2 次."),
                         QStringLiteral("数据服务器次数:31"),
                         QStringLiteral("数据服务器IP: 10.1.2.3 速度:23"),
                         QStringLiteral("用户服务器: user.example:18632 已经自动跳转 1 次."),
                         QStringLiteral("用户服务器次数: 7"),
                         QStringLiteral("用户服务器IP: 10.4.5.6 速度:41"),
                         QStringLiteral("用户服务器连接状态:7"),
                         QStringLiteral("新闻ID:1205"),
                         QStringLiteral("当前已经登录,登录用户名:张三"),
                     }));
    EXPECT_EQ(ping.asked, (QStringList{QStringLiteral("ip data1.example"), QStringLiteral("ping data1.example"),
                                       QStringLiteral("ip user.example"), QStringLiteral("ping user.example")}));
}

TEST(ReportLines, UnresolvableUserServerAndSignedOut) {
    ReportFacts f = facts();
    f.userServerHost = QStringLiteral("nowhere.invalid");
    f.socketState = 0;
    f.loggedIn = false;
    FakePing ping;
    const QStringList lines = reportLines(f, ping.probe());
    ASSERT_EQ(lines.size(), 11);
    EXPECT_EQ(lines[5], QStringLiteral("用户服务器: nowhere.invalid:18632 已经自动跳转 1 次."));
    EXPECT_EQ(lines[7], QStringLiteral("用户服务器IP:  速度:-1"));
    EXPECT_EQ(lines[8], QStringLiteral("用户服务器连接状态:0"));
    EXPECT_EQ(lines[10], QStringLiteral("当前没有登录."));
}

// The report names the data server as configured, port and all; its address and round trip are
// those of the host name alone, which is all a name look-up and an echo can take.
TEST(ReportLines, DataServerAddressAndPingUseTheHostWithoutItsPort) {
    const struct {
        QString dataServer;
        QString named; // the report's data-server line names this
        QString asked; // look-up and ping go to this
    } cases[] = {
        {QStringLiteral("http://127.0.0.1:18631/get.shtml"), QStringLiteral("127.0.0.1:18631"),
         QStringLiteral("127.0.0.1")},
        {QStringLiteral("http://data1.example/quote/get.shtml"), QStringLiteral("data1.example"),
         QStringLiteral("data1.example")},
        {QStringLiteral("http://data1.example:8080/quote/get.shtml"), QStringLiteral("data1.example:8080"),
         QStringLiteral("data1.example")},
        {QStringLiteral("http://[::1]:18631/get.shtml"), QStringLiteral("[::1]:18631"), QStringLiteral("::1")},
        {QStringLiteral("http://[::1]/get.shtml"), QStringLiteral("[::1]"), QStringLiteral("::1")},
        {QStringLiteral("http://localhost:18631"), QStringLiteral("localhost:18631"), QStringLiteral("localhost")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dataServer.toStdString());
        ReportFacts f = facts();
        f.dataServer = c.dataServer;
        FakePing ping;
        const QStringList lines = reportLines(f, ping.probe());
        ASSERT_EQ(lines.size(), 11);
        EXPECT_EQ(lines[2], QStringLiteral("数据服务器: ") + c.named + QStringLiteral(" 已经自动跳转 2 次."));
        EXPECT_EQ(ping.asked.mid(0, 2), (QStringList{QStringLiteral("ip ") + c.asked, QStringLiteral("ping ") + c.asked}));
    }
}

TEST(ReportLines, HostWithoutPort) {
    const struct {
        QString host, expected;
    } cases[] = {
        {QStringLiteral("127.0.0.1:18631"), QStringLiteral("127.0.0.1")},
        {QStringLiteral("127.0.0.1"), QStringLiteral("127.0.0.1")},
        {QStringLiteral("data1.example:80"), QStringLiteral("data1.example")},
        {QStringLiteral("data1.example"), QStringLiteral("data1.example")},
        {QStringLiteral("[::1]:18631"), QStringLiteral("::1")},
        {QStringLiteral("[fe80::1]"), QStringLiteral("fe80::1")},
        {QStringLiteral("::1"), QStringLiteral("::1")}, // an IPv6 literal without brackets has no port
        {QStringLiteral("[::1"), QStringLiteral("[::1")}, // unclosed: left as it is
        {QStringLiteral("host:"), QStringLiteral("host")},
        {QString(), QString()},
    };
    for (const auto& c : cases)
        EXPECT_EQ(hostWithoutPort(c.host), c.expected) << c.host.toStdString();
}

// Through the program's own ping, with the system's resolver and socket replaced: the configured
// service's address, port and all, resolves and is pinged.
TEST(ReportLines, DataServerWithAPortResolvesThroughThePing) {
    platform::setResolver([](const QString& name) {
        return name == u"127.0.0.1" ? QStringLiteral("127.0.0.1") : QString();
    });
    uint32_t echoedTo = 0;
    platform::setEchoSender([&echoedTo](uint32_t address, const QByteArray&, int) {
        echoedTo = address;
        return platform::EchoResult{platform::EchoResult::Status::Reply, 3};
    });
    ReportFacts f = facts();
    f.dataServer = QStringLiteral("http://127.0.0.1:18631/get.shtml");
    const QStringList lines = reportLines(f, defaultPingProbe());
    platform::setResolver(nullptr);
    platform::setEchoSender(nullptr);
    ASSERT_EQ(lines.size(), 11);
    EXPECT_EQ(lines[4], QStringLiteral("数据服务器IP: 127.0.0.1 速度:3"));
    EXPECT_EQ(echoedTo, 0x7F000001u);
}

// The default probe is the program's own ping: its look-up and echo, here with the system's
// resolver and socket replaced.
TEST(ReportLines, DefaultProbeGoesThroughThePing) {
    platform::setResolver([](const QString& name) {
        return name == u"data1.example" ? QStringLiteral("10.1.2.3") : QString();
    });
    platform::setEchoSender([](uint32_t address, const QByteArray&, int) {
        return address == 0x0A010203u ? platform::EchoResult{platform::EchoResult::Status::Reply, 17}
                                      : platform::EchoResult{platform::EchoResult::Status::NoReply, 0};
    });
    const QStringList lines = reportLines(facts(), defaultPingProbe());
    platform::setResolver(nullptr);
    platform::setEchoSender(nullptr);
    ASSERT_EQ(lines.size(), 11);
    EXPECT_EQ(lines[4], QStringLiteral("数据服务器IP: 10.1.2.3 速度:17"));
    EXPECT_EQ(lines[7], QStringLiteral("用户服务器IP:  速度:-1"));
}

TEST(DiagnosticReportCopy, ReportOnTheClipboardThenAModalNotice) {
    FakeDesk desk;
    FakePing ping;
    DiagnosticReport report;
    report.CopyInfo(desk.host(), true, facts, ping.probe());
    EXPECT_EQ(desk.clipboard, reportLines(facts(), ping.probe()).join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
    EXPECT_EQ(desk.calls, (QStringList{QStringLiteral("clear"), QStringLiteral("set"), kReportNotice}));
    EXPECT_FALSE(report.busy());
}

TEST(DiagnosticReportCopy, NothingBeforeTheMainWindowHasStarted) {
    FakeDesk desk;
    FakePing ping;
    DiagnosticReport report;
    report.CopyInfo(desk.host(), false, facts, ping.probe());
    EXPECT_TRUE(desk.calls.isEmpty());
    EXPECT_TRUE(ping.asked.isEmpty());
    EXPECT_EQ(desk.clipboard, QStringLiteral("old"));
}

// The notice waits for the user; a second report asked for meanwhile (from the menu, or the key
// pressed again) starts nothing, and the next one after it is closed works again.
TEST(DiagnosticReportCopy, ASecondReportWhileOneIsOpenDoesNothing) {
    FakeDesk desk;
    FakePing ping;
    DiagnosticReport report;
    int nested = 0;
    desk.duringNotice = [&] {
        if (nested++ > 0)
            return;
        EXPECT_TRUE(report.busy());
        report.CopyInfo(desk.host(), true, facts, ping.probe());
    };
    report.CopyInfo(desk.host(), true, facts, ping.probe());
    EXPECT_EQ(desk.calls.size(), 3) << desk.calls.join(u'\n').toStdString();
    EXPECT_EQ(ping.asked.size(), 4);
    EXPECT_FALSE(report.busy());

    report.CopyInfo(desk.host(), true, facts, ping.probe());
    EXPECT_EQ(desk.calls.size(), 6);
}

TEST(DiagnosticReportCopy, FailingFactsStillLeaveTheCommandUsable) {
    FakeDesk desk;
    FakePing ping;
    DiagnosticReport report;
    report.CopyInfo(desk.host(), true, []() -> ReportFacts { throw platform::VbError(91, QStringLiteral("x")); },
                    ping.probe());
    EXPECT_EQ(desk.calls.last(), kReportNotice);
    EXPECT_FALSE(report.busy());
}

} // namespace
