#include "shell/configapply.h"

#include "common/config.h"
#include "common/textcodec.h"
#include "platform/gbk.h"
#include "platform/shell.h"
#include "platform/vbtext.h"
#include "state/configstate.h"
#include "tests/support/fakehttpserver.h"
#include "tests/support/programfolder.h"

namespace {

QString configText(const QString& entries) {
    return QStringLiteral("[BRELTO]\r\n") + entries + QStringLiteral("[/BRELTO]\r\n");
}

// Records every dialog and call applying the configuration makes.
class Apply : public ProgramFolderTest {
protected:
    void SetUp() override {
        ProgramFolderTest::SetUp();
        ConfigLoaded = false;
        setConfigurationHosts({host.hostPort(), host.hostPort(), host.hostPort()});
        platform::setShellOpener([this](const QString& t) {
            calls << QStringLiteral("open ") + t;
            return true;
        });
        ui.askRetry = [this](const QString& q) {
            calls << QStringLiteral("ask");
            question = q;
            if (retryAnswers.isEmpty())
                return false;
            const bool yes = retryAnswers.takeFirst();
            if (yes && !retryServes.isEmpty())
                host.body = retryServes.takeFirst();
            return yes;
        };
        ui.info = [this](const QString& text, const QString& title) { calls << QStringLiteral("info ") + title + u' ' + text; };
        ui.stepFailed = [this](const QString& text) { calls << QStringLiteral("failed ") + text; };
        ui.newVersionNotice = [this](const QString& text, const QString& title) {
            calls << QStringLiteral("notice ") + title + u' ' + text;
        };
        ui.hideLoginWindow = [this] { calls << QStringLiteral("hide"); };
        ui.unloadLoginWindow = [this] { calls << QStringLiteral("unload"); };
        ui.enableLoginButtons = [this] { calls << QStringLiteral("enable"); };
        ui.startUpdate = [this] { calls << QStringLiteral("update"); };
    }
    void TearDown() override {
        setConfigurationHosts({});
        platform::setShellOpener(nullptr);
        ServerConfig.clear();
        ConfigLoaded = false;
        ProgramFolderTest::TearDown();
    }
    void serve(const QString& entries) { host.body = platform::toGbk(EncodeText(configText(entries))); }
    void load(const QString& entries) {
        ServerConfig = configText(entries);
        calls.clear();
    }
    QStringList failures() const { return calls.filter(QStringLiteral("failed ")); }

    FakeServer host;
    ConfigApplyUi ui;
    QStringList calls;
    QString question;
    QList<bool> retryAnswers;
    QList<QByteArray> retryServes;
};

const QString kServer = QStringLiteral("server=http://d1/do.asp|http://d2/do.asp|http://d3/x.asp|\r\nuser=127.0.0.1:18632\r\n");

} // namespace

TEST_F(Apply, GoodConfigurationEnablesTheLoginOnce) {
    serve(kServer + QStringLiteral("new=3.6\r\nmainurl=http://svc/\r\n"));
    applyConfiguration(ui);
    EXPECT_TRUE(ConfigLoaded);
    EXPECT_EQ(calls, QStringList{QStringLiteral("enable")});
    EXPECT_EQ(SiteUrl, QStringLiteral("http://svc/"));
    EXPECT_EQ(NewsUrl, QStringLiteral("http://svc/soft/news.asp"));
    const int requests = host.requests;
    applyConfiguration(ui); // a second call changes nothing
    EXPECT_EQ(host.requests, requests);
    EXPECT_EQ(calls.size(), 1);
}

TEST_F(Apply, NoConfigurationAsksUntilTheUserGivesUp) {
    retryAnswers = {true, false};
    applyConfiguration(ui);
    EXPECT_EQ(calls, (QStringList{QStringLiteral("ask"), QStringLiteral("ask"), QStringLiteral("unload")}));
    EXPECT_FALSE(ConfigLoaded);
    EXPECT_TRUE(question.startsWith(QStringLiteral("初始化连接服务器失败,点击[是]将进行重试连接,点击[否]将退出程序.\r\n")));
    EXPECT_EQ(question.count(QStringLiteral("\r\n")), 2);

    calls.clear();
    retryAnswers = {true};
    retryServes = {platform::toGbk(EncodeText(configText(kServer)))};
    applyConfiguration(ui);
    EXPECT_EQ(calls, (QStringList{QStringLiteral("ask"), QStringLiteral("enable")}));
    EXPECT_TRUE(ConfigLoaded);
}

TEST_F(Apply, RetiredAndNewVersions) {
    serve(kServer + QStringLiteral("close=,3.5,3.6,\r\n"));
    applyConfiguration(ui);
    ASSERT_EQ(calls.size(), 4);
    EXPECT_TRUE(calls[0].startsWith(QStringLiteral("info Quillor 该版本已经停止使用了")));
    EXPECT_EQ(calls[1], QStringLiteral("open ") + productHomePage());
    EXPECT_EQ(calls.mid(2), (QStringList{QStringLiteral("hide"), QStringLiteral("update")}));
    EXPECT_FALSE(ConfigLoaded);

    calls.clear();
    serve(kServer + QStringLiteral("close=,3.65,\r\nnew=3.7\r\n"));
    applyConfiguration(ui);
    EXPECT_EQ(calls, (QStringList{QStringLiteral("notice 升级提示 Quillor发现了新版本,程序将自动下载升级,稍候可能需要关闭软件并重新启动."),
                                  QStringLiteral("update"), QStringLiteral("enable")}));
    EXPECT_TRUE(ConfigLoaded);
}

TEST_F(Apply, KeyTableDefaultsAndLimits) {
    struct Case {
        const char* entries;
        std::function<bool()> holds;
        const char* what;
    };
    const Case cases[] = {
        {"helloallid=10\r\n", [] { return HelloSeconds == 300; }, "helloallid 10 gives 300"},
        {"helloallid=11\r\n", [] { return HelloSeconds == 11; }, "helloallid 11 kept"},
        {"", [] { return HelloSeconds == 300; }, "helloallid missing"},
        {"VIPCheckAll=9\r\n", [] { return HeartbeatSeconds == 60; }, "VIPCheckAll 9 gives 60"},
        {"VIPCheckAll=10\r\n", [] { return HeartbeatSeconds == 10; }, "VIPCheckAll 10 kept"},
        {"", [] { return HeartbeatSeconds == 60; }, "VIPCheckAll missing"},
        {"bbsurl=0123456789\r\n", [] { return ForumUrl == defaultForumUrl(); }, "bbsurl of 10"},
        {"bbsurl=01234567890\r\n", [] { return ForumUrl == u"01234567890"; }, "bbsurl of 11"},
        {"", [] { return SiteUrl == defaultServiceUrl(); }, "mainurl missing"},
        {"newspath=http://n/x\r\n", [] { return NewsUrl == u"http://n/x"; }, "newspath"},
        {"etf=http://e/|1|2\r\n", [] { return GoldEtfUrl == u"http://e/"; }, "etf of three fields"},
        {"byetf=http://s/|1\r\n", [] { return SilverEtfUrl == u"http://s/|1"; }, "byetf of two fields"},
        {"adurlheight=9\r\n", [] { return BottomAdHeight == 61 * 15; }, "adurlheight 9"},
        {"adurlheight=10\r\n", [] { return BottomAdHeight == 10; }, "adurlheight 10"},
        {"adurlheight=2250\r\n", [] { return BottomAdHeight == 2250; }, "adurlheight 150 px"},
        {"adurlheight=2251\r\n", [] { return BottomAdHeight == 61 * 15; }, "adurlheight above"},
        {"UserDo=2\r\n", [] { return PushMode == 2; }, "UserDo"},
        {"Logintype=1.6\r\n", [] { return LoginMode == 2; }, "Logintype rounded"},
        {"tipstr=黄金,非农|美元\r\n", [] { return NewsKeywords == QStringLiteral("黄金,非农|美元"); }, "tipstr"},
        {"user=10.0.0.1:18632\r\n",
         [] { return UserHostList == QStringList{QStringLiteral("10.0.0.1")} && UserServerPort == 18632 && UserServerIndex == 0; },
         "one user server"},
        {"user=h1:1,h2:2\r\n", [] { return UserHostList.size() == 2 && UserPortList.size() == 2; }, "two without final comma"},
        {"user=h1:1,h2:2,\r\n", [] { return UserHostList.size() == 2 && UserPortList == QList<uint16_t>{1, 2}; }, "two with final comma"},
        {"user=h1:40000\r\n", [] { return UserServerPort == 40000; }, "ports up to 65535"},
    };
    for (const Case& c : cases) {
        load(QString::fromUtf8(c.entries) + kServer);
        applyConfigKeys(ui.stepFailed);
        EXPECT_TRUE(c.holds()) << c.what;
        EXPECT_TRUE(failures().isEmpty()) << c.what << ": " << failures().join(u';').toStdString();
    }
}

TEST_F(Apply, DataServerStartNeverPicksTheEmptyEntry) {
    QSet<QString> picked;
    for (uint32_t seed = 1; seed <= 200; ++seed) {
        platform::Randomize(seed);
        load(kServer);
        applyConfigKeys(ui.stepFailed);
        ASSERT_GE(DataServerIndex, 0);
        ASSERT_LE(DataServerIndex, 2);
        EXPECT_EQ(DataServerStart, DataServerIndex);
        picked << DataServer;
        // Only the chosen entry is rewritten; the list stays as configured.
        EXPECT_EQ(ServerList, (QStringList{QStringLiteral("http://d1/do.asp"), QStringLiteral("http://d2/do.asp"),
                                           QStringLiteral("http://d3/x.asp"), QString()}));
    }
    EXPECT_EQ(picked, (QSet<QString>{QStringLiteral("http://d1/get.shtml"), QStringLiteral("http://d2/get.shtml"),
                                     QStringLiteral("http://d3/x.asp")}));

    for (uint32_t seed = 1; seed <= 50; ++seed) {
        platform::Randomize(seed);
        load(QStringLiteral("server=http://d1/do.asp|http://d2/do.asp|http://d3/do.asp\r\nuser=h:1\r\n"));
        applyConfigKeys(ui.stepFailed);
        EXPECT_NE(DataServer, QStringLiteral("http://d3/get.shtml"));
    }
}

TEST_F(Apply, MissingUserServerIsReportedForHostAndPort) {
    UserHostList.clear();
    UserPortList.clear();
    UserServerIndex = 0;
    load(kServer.left(kServer.indexOf(QStringLiteral("user="))));
    applyConfigKeys(ui.stepFailed);
    EXPECT_EQ(failures(), (QStringList{QStringLiteral("failed 9:下标越界 GetCon."), QStringLiteral("failed 9:下标越界 GetCon.")}));
}

TEST_F(Apply, FailingStepsAreReportedAndTheRestApplies) {
    DataServer.clear();
    load(QStringLiteral("server=http://only\r\nhelloallid=42\r\nuser=h:1\r\n"));
    applyConfigKeys(ui.stepFailed);
    EXPECT_EQ(failures(), QStringList{QStringLiteral("failed 9:下标越界 GetCon.")});
    EXPECT_TRUE(DataServer.isEmpty());
    EXPECT_EQ(HelloSeconds, 42);

    UserHostList.clear();
    UserPortList.clear();
    UserServerHost.clear();
    UserServerIndex = 0;
    load(QStringLiteral("user=nocolon\r\n") + kServer);
    applyConfigKeys(ui.stepFailed);
    EXPECT_EQ(failures().size(), 2) << failures().join(u';').toStdString(); // host and port
    EXPECT_TRUE(UserServerHost.isEmpty());

    load(QStringLiteral("user=h:70000\r\n") + kServer);
    applyConfigKeys(ui.stepFailed);
    EXPECT_FALSE(failures().isEmpty());
    EXPECT_TRUE(failures()[0].startsWith(QStringLiteral("failed 6:")));
}
