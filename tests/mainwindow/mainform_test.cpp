#include "mainwindow/mainform.h"

#include "common/config.h"
#include "common/msgbox.h"
#include "common/settings.h"
#include "common/storedlists.h"
#include "mainwindow/startup.h"
#include "state/quotetables.h"
#include "platform/browser.h"
#include "platform/clock.h"
#include "platform/eventwait.h"
#include "platform/process.h"
#include "platform/tray.h"
#include "shell/configapply.h"
#include "state/configstate.h"
#include "shell/login.h"
#include "shell/loginform.h"
#include "state/session.h"
#include "state/usersettings.h"
#include "simservice/simservice.h"
#include "tests/support/forms.h"
#include "tests/support/programfolder.h"
#include "widgets/toolbar/flattoolbar.h"

#include <QAction>
#include <QTest>
#include <QComboBox>
#include <QDir>
#include <QLabel>

namespace {

void resetGlobals() {
    ConfigLoaded = LoadserverOk = false;
    MainStarted = LoggedIn = IsVip = LogoutPending = false;
    UserName.clear();
    UserId = 0;
    SessionId.clear();
    LoginMode = 0;
    ClockOffset = 0;
    CurTab = -1;
    ServerConfig.clear();
}

// The main window against the simulated service, with fake web panes and tray.
class MainWindow : public ProgramFolderTest {
protected:
    void SetUp() override {
        ProgramFolderTest::SetUp();
        resetGlobals();
        SimService::Options options;
        options.httpPort = 0;
        options.now = [this] { return serviceNow; };
        service = std::make_unique<SimService>(options);
        ASSERT_TRUE(service->start());
        const QString host = QStringLiteral("127.0.0.1:%1").arg(service->httpPort());
        setConfigurationHosts({host, host, host});
        platform::setBrowserPaneFactory([](QWidget* parent) { return new platform::FakeBrowserPane(parent); });
        platform::setTrayIcon(&tray);
        platform::setQuitHandler([this] { ++quits; });
        platform::setProgramEnder([](int) {});
        platform::setPcClock([this] { return pcNow; });
    }
    void TearDown() override {
        closeBoxes();
        platform::unloadAll();
        platform::pauseMs(0);
        platform::setBrowserPaneFactory(nullptr);
        platform::setTrayIcon(nullptr);
        platform::setQuitHandler(nullptr);
        platform::setProgramEnder(nullptr);
        platform::setPcClock(nullptr);
        setConfigurationHosts({});
        resetGlobals();
        service.reset();
        ProgramFolderTest::TearDown();
    }
    // The configuration as the login window applies it, and a logged-in demo user.
    void configure(bool loggedIn = true) {
        ConfigApplyUi ui;
        applyConfiguration(ui);
        ASSERT_TRUE(ConfigLoaded);
        LoggedIn = loggedIn;
        UserName = QStringLiteral("test");
    }
    platform::FakeBrowserPane* web(MainForm& m, int i) { return static_cast<platform::FakeBrowserPane*>(m.Web[i]); }

    QDateTime pcNow = platform::naiveDateTime(QDate(2026, 12, 9), QTime(10, 0, 20));
    QDateTime serviceNow = pcNow;
    std::unique_ptr<SimService> service;
    platform::FakeTrayIcon tray;
    int quits = 0;
};

} // namespace

TEST_F(MainWindow, StartUpBuildsTheViewsAndTheLoggedInDisplay) {
    configure();
    MainForm& m = Main();
    EXPECT_TRUE(MainStarted);
    EXPECT_EQ(m.windowTitle(), QStringLiteral("Quillor V") + QStringLiteral(BRELTO_VERSION_TEXT));
    ASSERT_EQ(m.Maintab->Tabs().Count(), 11);
    const char16_t* captions[] = {u"综合行情", u"分时图", u"K线图 ", u"播报", u"资讯", u"数据",
                                  u"记账", u"短信", u"黄金ETF", u"白银ETF", u"论坛&&浏览器"};
    for (int i = 1; i <= 11; ++i) {
        EXPECT_EQ(m.Maintab->Tabs().Item(i).Caption(), QString::fromUtf16(captions[i - 1])) << i;
        EXPECT_EQ(m.Maintab->Tabs().Item(i).Key(), QStringLiteral("T%1").arg(i));
    }
    EXPECT_FALSE(m.Maintab->Tabs().Item(2).CanClose());
    for (int i : {0, 5, 6, 2, 3})
        EXPECT_EQ(web(m, i)->navigations().value(0), QStringLiteral("about:blank")) << i;
    EXPECT_EQ(web(m, 4)->navigations(), QStringList{DataTabUrl}) << "the data page loads at start";
    EXPECT_EQ(m.MainBar->BtnCaption(1), QStringLiteral("注销  "));
    EXPECT_EQ(m.Loginca->text(), QStringLiteral("欢迎登录:test"));
    EXPECT_FALSE(m.m21->isEnabled());
    EXPECT_TRUE(m.m22->isEnabled());
    EXPECT_EQ(m.VipUserSet->text(), QStringLiteral("升级VIP"));
    EXPECT_EQ(StartTime, pcNow);
    EXPECT_EQ(ClockOffset, 0);
    EXPECT_TRUE(tray.isShown());
    EXPECT_TRUE(m.Timer3->isActive());
    EXPECT_TRUE(m.Timer1->isActive());
    EXPECT_EQ(platform::mainForm(), &m);
    // The twin charts' stored instruments 10 and 11 are not in this market's snapshot: no history
    // is asked for them (the request would carry no code).
    for (const QString& request : service->requestLog())
        EXPECT_FALSE(request.endsWith(QStringLiteral("m=P-"))) << request.toStdString();
}

TEST_F(MainWindow, WrongPcClockTakesTheServiceTimeWithABalloon) {
    serviceNow = pcNow.addSecs(300);
    configure();
    (void)Main();
    EXPECT_EQ(ClockOffset, 300);
    EXPECT_EQ(ServerNow, serviceNow);
    // The balloon is asked for while the start-up has not yet added the tray icon, which comes
    // later in its order; the desktop then has no icon to show it on.
    const auto balloon = std::find_if(tray.calls.cbegin(), tray.calls.cend(), [](const auto& c) {
        return (c.data.flags & platform::kTrayInfo) != 0;
    });
    ASSERT_NE(balloon, tray.calls.cend());
    EXPECT_EQ(balloon->data.infoTitle, platform::trayField(u"时间", platform::kTrayInfoTitleField));
    EXPECT_EQ(balloon->data.info,
              platform::trayField(u"您的系统时间不正确，程序正在使用服务器标准时间。", platform::kTrayInfoField));
}

TEST_F(MainWindow, LoginRequiredKeepsQuotesOffAndRefusesTabs) {
    configure(false);
    LoginMode = 1;
    MainForm& m = Main();
    EXPECT_EQ(m.Nextupti->text(), QStringLiteral("请登录后方可使用本软件."));
    EXPECT_FALSE(m.Timer1->isActive());
    EXPECT_EQ(m.Loginca->text(), QStringLiteral("您还未登录"));
    const int before = CurTab;
    m.Maintab->Tabs().Item(3).setSelected(true);
    EXPECT_EQ(CurTab, before);
    EXPECT_EQ(boxTexts(), QStringList{QStringLiteral("用户登录|该操作需要登录软件,请进行用户登录.")});
}

TEST_F(MainWindow, RememberedTabIsSelectedAgain) {
    struct Case {
        const char* stored;
        int tab;
    };
    for (const Case c : {Case{"5", 5}, Case{"15", 1}, Case{"0", -1}}) {
        SetIni(QStringLiteral("tab"), QString::fromLatin1(c.stored));
        configure();
        MainForm& m = Main();
        EXPECT_EQ(CurTab, c.tab) << c.stored;
        if (c.tab > 0) {
            EXPECT_EQ(m.Maintab->SelectedTab().Index(), c.tab) << c.stored;
        }
        m.unload();
        platform::pauseMs(0);
        resetGlobals();
    }
}

TEST_F(MainWindow, TabSwitchLoadsTheSignedInPagesOnce) {
    configure();
    BookTabUrl = QStringLiteral("zhang"); // the service's page redirects to where this names
    SessionId = QStringLiteral("s1");
    UserId = 1000;
    MainForm& m = Main();
    m.Maintab->Tabs().Item(7).setSelected(true);
    EXPECT_EQ(CurTab, 7);
    const QStringList bookPages = web(m, 5)->navigations();
    ASSERT_EQ(bookPages.size(), 2);
    EXPECT_TRUE(bookPages[1].contains(QStringLiteral("soft/doing.asp?url=zhang&do=webin&session=s1&userid=1000")));
    m.Maintab->Tabs().Item(1).setSelected(true);
    m.Maintab->Tabs().Item(7).setSelected(true);
    EXPECT_EQ(web(m, 5)->navigations().size(), 2) << "the page stays while it holds the configured address";
    m.Maintab->Tabs().Item(2).setSelected(true);
    EXPECT_EQ(ChartKind, 0);
    EXPECT_TRUE(m.Combos[3]->isEnabled());
    m.Maintab->Tabs().Item(3).setSelected(true);
    EXPECT_EQ(ChartKind, 1);
    EXPECT_FALSE(m.Combos[3]->isEnabled());
}

TEST_F(MainWindow, DailyNoticeOnceAndHandOver) {
    configure();
    ServerConfig.replace(QStringLiteral("[/BRELTO]"),
                         QStringLiteral("adbeginstr=今日开盘提示\r\nadbeginurl=http://127.0.0.1/\r\n[/BRELTO]"));
    MainForm& m = Main();
    EXPECT_TRUE(boxTexts().contains(QStringLiteral("温馨提示|今日开盘提示")));
    EXPECT_EQ(GetIni(QStringLiteral("adb")), QStringLiteral("2026-12-9"));

    m.showMinimized();
    m.Form_LinkExecute(QStringLiteral("HI"));
    EXPECT_TRUE(m.isMaximized());
    EXPECT_TRUE(m.isVisible());
}

TEST_F(MainWindow, ShutDownSavesRemovesAndKeepsTheLoginWindowAfterALogOut) {
    configure();
    write(QStringLiteral("yzm.gif"), "GIF89a");
    write(QStringLiteral("otemp"), "old updater");
    MainForm& m = Main();
    EXPECT_FALSE(QFile::exists(file(QStringLiteral("otemp")))) << "a leftover updater is deleted at start";
    LogoutPending = true;
    (void)loginForm();
    m.unload();
    platform::pauseMs(0);
    EXPECT_FALSE(MainStarted);
    EXPECT_FALSE(tray.isShown());
    EXPECT_FALSE(QFile::exists(file(QStringLiteral("yzm.gif"))));
    EXPECT_FALSE(GetIni(QStringLiteral("Drawtype")).isEmpty()) << "the settings were saved";
    EXPECT_TRUE(platform::isLoaded<LoginForm>());
    EXPECT_EQ(quits, 0);

    LogoutPending = false;
    resetGlobals();
    configure();
    MainForm& again = Main();
    again.restoreDefaultsTag = QStringLiteral("1");
    again.unload();
    platform::pauseMs(0);
    EXPECT_FALSE(QFile::exists(settingsFilePath())) << "restore defaults deletes set.ini";
    EXPECT_FALSE(platform::isLoaded<LoginForm>());
}

TEST_F(MainWindow, BookkeepingPageHandsOverPositions) {
    configure();
    ProdCode[0] = QStringLiteral("gh");
    MainForm& m = Main();
    web(m, 5)->followLink(QStringLiteral("EVENT:gh,10,612.5,0,0,0,0,8|"));
    platform::pauseMs(0);
    EXPECT_EQ(HoldText, QStringLiteral("gh,10,612.5,0,0,0,0,8|"));
    EXPECT_FLOAT_EQ(HoldUnits[0][0], 10.0f);
    EXPECT_FLOAT_EQ(HoldPrice[0][0], 612.5f);
    ProdCode[0].clear();
    HoldText.clear();
}

TEST_F(MainWindow, BoardFollowsTheSnapshotAndAnswersTheMouse) {
    configure();
    MainForm& m = Main();
    m.resize(1280, 800);
    ASSERT_GE(m.boardRows.size(), 10u) << "the first snapshot fills the board";
    ASSERT_GE(m.shortLines.size(), 10u);
    EXPECT_EQ(m.boardRows[0].TL[0]->text(), ProdName[0]);
    EXPECT_EQ(m.shortLines[2].BLabels->text(), ProdName[2]);
    EXPECT_EQ(m.SetDrawtype->count(), static_cast<int>(m.shortLines.size()));

    QTest::mousePress(m.shortLines[3].BLabels, Qt::LeftButton);
    QTest::mouseRelease(m.shortLines[3].BLabels, Qt::LeftButton);
    EXPECT_EQ(CurProd, 3);
    EXPECT_EQ(CurTab, 2) << "a name brings up the intraday chart";
    EXPECT_EQ(m.SetDrawtype->currentIndex(), 3);

    QTest::mouseClick(m.boardRows[1].TL[2], Qt::LeftButton);
    EXPECT_EQ(m.boardRows[1].Mvole->palette().color(QPalette::Window), QColor(0x40, 0x40, 0x40));
    EXPECT_EQ(m.boardRows[0].Mvole->palette().color(QPalette::Window), QColor(0, 0, 0));

    m.Maintab->Tabs().Item(1).setSelected(true);
    QTest::mouseDClick(m.boardRows[4].TL[0], Qt::LeftButton);
    EXPECT_EQ(CurTab, 2);
    EXPECT_EQ(CurProd, 4);
    CurProd = 0;
}

TEST_F(MainWindow, Pictures) {
    configure();
    MainForm& m = Main();
    m.showNormal();
    m.resize(1280, 800);
    QDir gallery(QStringLiteral(BRELTO_GALLERY_DIR));
    ASSERT_TRUE(gallery.mkpath(QStringLiteral("mainwindow")));
    for (int tab : {1, 2}) {
        m.Maintab->Tabs().Item(tab).setSelected(true);
        platform::pauseMs(50);
        const QImage shot = m.grab().toImage();
        EXPECT_EQ(shot.size(), QSize(1280, 800));
        ASSERT_TRUE(shot.save(gallery.filePath(QStringLiteral("mainwindow/main_tab%1.png").arg(tab))));
    }
}
