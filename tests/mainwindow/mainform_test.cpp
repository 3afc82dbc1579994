#include "companions/custring.h"
#include "companions/menuform.h"
#include "companions/mini.h"
#include "tests/companions/fakesound.h"
#include "charts/kline.h"
#include "shell/usersettings.h"
#include "mainwindow/mainform.h"

#include "common/config.h"
#include "common/msgbox.h"
#include "common/settings.h"
#include "common/storedlists.h"
#include "mainwindow/startup.h"
#include "market/quoterun.h"
#include "market/quotetexts.h"
#include "market/scheduler.h"
#include "state/quotetables.h"
#include "platform/browser.h"
#include "platform/clock.h"
#include "platform/eventwait.h"
#include "platform/process.h"
#include "platform/programicon.h"
#include "platform/shell.h"
#include "platform/tray.h"
#include "shell/configapply.h"
#include "shell/instance.h"
#include "state/configstate.h"
#include "state/livelink.h"
#include "shell/login.h"
#include "shell/loginform.h"
#include "state/session.h"
#include "state/usersettings.h"
#include "simservice/simservice.h"
#include "tests/mainwindow/mainglobals.h"
#include "tests/support/forms.h"
#include "tests/support/localservice.h"
#include "tests/support/programfolder.h"
#include "widgets/buttons/skinbutton.h"
#include "widgets/toolbar/flattoolbar.h"

#include <QAction>
#include <QTest>
#include <QComboBox>
#include <QCheckBox>
#include <QDir>
#include <QFontInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QScreen>
#include <QTextDocument>
#include <QTextDocumentFragment>

#include <algorithm>
#include <cmath>
#include <string>

namespace {

// The main window against the simulated service, with fake web panes and tray.
class MainWindow : public ProgramFolderTest {
protected:
    void SetUp() override {
        ProgramFolderTest::SetUp();
        resetMainGlobals();
        // The log-out opens the login window, which looks for a running copy: on a channel of this
        // process's own, never a test running beside it.
        setInstanceTopic(QStringLiteral("MAINFORM-%1").arg(QCoreApplication::applicationPid()));
        SimService::Options options;
        options.now = [this] { return serviceNow; };
        service = startLocalService(options);
        ASSERT_TRUE(service);
        // No news here: the pop-ups of important broadcasts (tests/mainwindow/news_test.cpp) would
        // stand among the boxes these tests look for.
        service->setFault(QStringLiteral("/soft/news.asp"), SimService::Endpoint::Any, SimService::Fault::Empty);
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
        resetMainGlobals();
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
    EXPECT_NE(m.MainBar->btnState(1), toolbar::StateDisabled) << "logged in: the button logs out";
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

TEST_F(MainWindow, BackButtonGoesBackInTheBrowserTab) {
    configure();
    MainForm& m = Main();
    platform::FakeBrowserPane* pane = web(m, 2);
    const QString start = pane->locationUrl();
    emit m.Goback->Click(); // nothing to go back to
    EXPECT_EQ(pane->locationUrl(), start);
    // Typed without a scheme: an http address.
    m.Mwurl->setText(QStringLiteral("127.0.0.1:1/a.html"));
    emit m.Mwto->Click();
    ASSERT_EQ(pane->locationUrl(), QStringLiteral("http://127.0.0.1:1/a.html"));
    EXPECT_EQ(m.Mwurl->text(), pane->locationUrl());
    pane->followLink(QStringLiteral("http://127.0.0.1:1/b.html"));
    ASSERT_EQ(pane->locationUrl(), QStringLiteral("http://127.0.0.1:1/b.html"));
    EXPECT_EQ(m.Mwurl->text(), pane->locationUrl());
    emit m.Goback->Click();
    EXPECT_EQ(pane->locationUrl(), QStringLiteral("http://127.0.0.1:1/a.html"));
    EXPECT_EQ(m.Mwurl->text(), pane->locationUrl()) << "the address box names the page shown";
    // Another scheme is still refused, and the page stays.
    const qsizetype loaded = pane->navigations().size();
    m.Mwurl->setText(QStringLiteral("file:///etc/passwd"));
    emit m.Mwto->Click();
    EXPECT_EQ(pane->navigations().size(), loaded);
    EXPECT_EQ(pane->locationUrl(), QStringLiteral("http://127.0.0.1:1/a.html"));
}

TEST_F(MainWindow, RangeBoxShowsItsLongestRangeBesideTheClocks) {
    configure();
    MainForm& m = Main();
    const QComboBox* range = m.Combos[3];
    int longest = 0;
    for (int i = 0; i < range->count(); ++i)
        longest = std::max(longest, range->fontMetrics().horizontalAdvance(range->itemText(i)));
    EXPECT_GE(range->width(), longest + 16);
    const QRect clocks[] = {m.Nowtimes->geometry(), m.Systime->geometry()};
    const QWidget* frame = range->parentWidget();
    for (const QRect& clock : clocks) {
        EXPECT_FALSE(clock.intersects(range->geometry()));
        EXPECT_TRUE(frame->rect().contains(clock));
        EXPECT_GE(clock.height(), m.Nowtimes->fontMetrics().height());
        EXPECT_GE(clock.width(), m.Nowtimes->fontMetrics().horizontalAdvance(QStringLiteral("00:00:00")));
    }
    EXPECT_FALSE(clocks[0].intersects(clocks[1]));
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
        resetMainGlobals();
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

// The configuration comes over plain HTTP: markup in its texts is shown as written, so it can
// neither read a file of the disk nor stretch the window; the advert keeps its link.
TEST_F(MainWindow, ServiceTextsShowAsWritten) {
    configure();
    const QString strip = QStringLiteral("<img src=\"/etc/x.png\" width=3000><b>今日提示</b>");
    const QString advert = QStringLiteral("<img src=\"/etc/x.png\" width=3000>注册&amp;");
    const QString link = QStringLiteral("http://127.0.0.1/vip.asp?a=<b>");
    ServerConfig.replace(QStringLiteral("\nadno="), QStringLiteral("\nold_adno="));
    ServerConfig.replace(QStringLiteral("[/BRELTO]"), QStringLiteral("topadstr=%1\r\nadno=%2|%3\r\n[/BRELTO]")
                                                        .arg(strip, advert, link));
    QStringList opened;
    platform::setShellOpener([&opened](const QString& target) {
        opened << target;
        return true;
    });
    MainForm& m = Main();
    m.show();
    platform::pauseMs(0);

    ASSERT_FALSE(m.InfoOle->isHidden());
    EXPECT_EQ(m.InfoLabel->text(), strip);
    EXPECT_EQ(m.InfoLabel->textFormat(), Qt::PlainText);
    EXPECT_LT(m.InfoLabel->sizeHint().width(), 1000) << "the picture's markup took effect";

    ASSERT_FALSE(m.TextAD->isHidden());
    EXPECT_EQ(m.TextAD->textFormat(), Qt::RichText);
    // What the label shows is the text as written, inside the one link.
    QTextDocument shown;
    shown.setHtml(m.TextAD->text());
    EXPECT_EQ(shown.toPlainText(), advert);
    EXPECT_FALSE(m.TextAD->text().contains(QStringLiteral("<img")));
    EXPECT_EQ(Qt::mightBeRichText(m.TextAD->toolTip()) ? QTextDocumentFragment::fromHtml(m.TextAD->toolTip()).toPlainText()
                                                        : m.TextAD->toolTip(),
              link);
    const QRegularExpressionMatch href = QRegularExpression(QStringLiteral("href=\"([^\"]*)\"")).match(m.TextAD->text());
    ASSERT_TRUE(href.hasMatch());
    const QString target = QTextDocumentFragment::fromHtml(href.captured(1)).toPlainText();
    EXPECT_EQ(target, link);
    emit m.TextAD->linkActivated(target);
    EXPECT_EQ(opened, QStringList{link});
    platform::setShellOpener(nullptr);
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
    resetMainGlobals();
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

// The K-line bar stands centred over the chart by the width it really has, also where its
// buttons need more than the design's 520 pixels (larger fonts), at any window width.
TEST_F(MainWindow, KlineBarIsCentredByItsRealWidth) {
    configure();
    MainForm& m = Main();
    m.showNormal();
    m.Maintab->Tabs().Item(3).setSelected(true);
    ASSERT_EQ(CurTab, 3);
    const int natural = m.Frame4->minimumWidth();
    for (const int needed : {natural, 700, 900})
        for (const int windowWidth : {1280, 1000}) {
            m.Frame4->setMinimumWidth(needed);
            m.resize(windowWidth, 800);
            platform::pauseMs(0);
            const QWidget* panel = m.Frame4->parentWidget();
            const int width = std::max(needed, 520);
            EXPECT_EQ(m.Frame4->width(), width) << needed << ' ' << windowWidth;
            // Left and right margins equal, give or take the pixel an odd difference leaves.
            const int left = m.Frame4->x();
            const int right = panel->width() - (left + m.Frame4->width());
            EXPECT_LE(std::abs(left - right), 1) << needed << ' ' << windowWidth;
        }
    m.Frame4->setMinimumWidth(natural);
}

TEST_F(MainWindow, StoredInstrumentsBeyondTheMarketAreShownAndSavedAsUsed) {
    // Choices made on the largest market the tables hold.
    const std::pair<const char*, int> stored[] = {{"Drawtype", 30}, {"MDT2", 29}, {"MDT3", 30},
                                                  {"MDT4", 28}, {"rchart1", 29}, {"rchart2", 30}};
    for (const auto& [key, value] : stored)
        SetIni(QString::fromLatin1(key), QString::number(value));
    configure();
    MainForm& m = Main();
    ASSERT_GT(ProdCount, 0);
    struct Selector {
        const char* key;
        QComboBox* box;
        const int16_t* prod;
    };
    const Selector selectors[] = {{"Drawtype", m.SetDrawtype, &CurProd}, {"MDT2", m.Combos[0], &Pane2Prod},
                                  {"MDT3", m.Combos[1], &Pane3Prod},    {"MDT4", m.Combos[2], &Pane4Prod},
                                  {"rchart1", m.Combos[4], &RightChart1Prod}, {"rchart2", m.Combos[5], &RightChart2Prod}};
    for (const Selector& s : selectors) {
        EXPECT_LT(*s.prod, ProdCount) << s.key;
        EXPECT_EQ(s.box->currentIndex(), *s.prod) << s.key << ": the selector shows what is in use";
    }
    EXPECT_TRUE(AllDataLoaded);
    EXPECT_TRUE(boxTexts().isEmpty()) << boxTexts().join(u'\n').toStdString();
    for (const QString& request : service->requestLog())
        EXPECT_FALSE(request.contains(QRegularExpression(QStringLiteral("m=P(10|365)?-(&|$)")))) << request.toStdString();

    QList<int16_t> inUse;
    for (const Selector& s : selectors)
        inUse << *s.prod;
    m.unload();
    platform::pauseMs(0);
    for (qsizetype k = 0; k < inUse.size(); ++k)
        EXPECT_EQ(GetIni(QString::fromLatin1(selectors[k].key)), QString::number(inUse[k])) << selectors[k].key;
}

TEST_F(MainWindow, AnotherInstrumentIsNamedAtOnce) {
    configure();
    HoldUnits = {}; // no positions: the line names the instrument
    HoldPrice = {};
    MainForm& m = Main();
    ASSERT_GE(ProdCount, 3);
    ASSERT_TRUE(m.Web5info->text().contains(ProdName[CurProd])) << m.Web5info->text().toStdString() << " / " << CurProd;
    const int other = CurProd == 2 ? 1 : 2;
    m.SetDrawtype->setCurrentIndex(other);
    emit m.SetDrawtype->activated(other);
    EXPECT_EQ(CurProd, other);
    EXPECT_EQ(m.Web5info->text(), QStringLiteral("当前您的 ") + ProdName[other] + QStringLiteral(" 账号空仓 "));
    EXPECT_TRUE(TrayTipText.startsWith(QStringLiteral("*** ") + ProdName[other] + QStringLiteral(" ***")));
}

namespace {

// A left-button drag as the board's labels receive it: press, one move with the button held, release.
void drag(QWidget* label, int fromX, int toX) {
    const QPointF start(fromX, 5);
    const QPointF end(toX, 5);
    QMouseEvent press(QEvent::MouseButtonPress, start, label->mapToGlobal(start), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(label, &press);
    QMouseEvent move(QEvent::MouseMove, end, label->mapToGlobal(end), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(label, &move);
    QMouseEvent release(QEvent::MouseButtonRelease, end, label->mapToGlobal(end), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(label, &release);
}

// A double click as the desktop delivers it: press, release, double click, release.
void doubleClick(QWidget* w) {
    const QPointF at(w->width() / 2.0, w->height() / 2.0);
    const std::pair<QEvent::Type, Qt::MouseButtons> sequence[] = {{QEvent::MouseButtonPress, Qt::LeftButton},
                                                                  {QEvent::MouseButtonRelease, Qt::NoButton},
                                                                  {QEvent::MouseButtonDblClick, Qt::LeftButton},
                                                                  {QEvent::MouseButtonRelease, Qt::NoButton}};
    for (const auto& [type, buttons] : sequence) {
        QMouseEvent event(type, at, w->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(w, &event);
    }
}

// Where a board cell or head starts, in the board viewport's coordinates.
int leftInView(const MainForm& m, const QWidget* w) { return w->mapTo(m.MainView, QPoint(0, 0)).x(); }

} // namespace

// The tray menu's market list holds the instruments from its first entry, ticks the current one,
// and a choice there switches the instrument exactly as the selector does.
TEST_F(MainWindow, TrayMenuAndSelectorSwitchTheInstrumentAlike) {
    configure();
    HoldUnits = {};
    HoldPrice = {};
    MainForm& m = Main();
    ASSERT_GE(ProdCount, 4);
    MenuForm& menu = menuForm();
    ASSERT_EQ(menu.a0.size(), m.SetDrawtype->count());
    for (int i = 0; i < menu.a0.size(); ++i) {
        EXPECT_EQ(menu.a0[i]->text(), m.SetDrawtype->itemText(i)) << i;
        EXPECT_EQ(menu.a0[i]->isChecked(), i == CurProd) << i;
    }
    const std::function<void(int)> byMenu = [&menu](int i) { menu.a0[i]->trigger(); };
    const std::function<void(int)> bySelector = [&m](int i) {
        m.SetDrawtype->setCurrentIndex(i);
        emit m.SetDrawtype->activated(i);
    };
    // The board: a left press on a name of the short list, a double click on a row's price.
    const std::function<void(int)> byBoardName = [&m](int i) {
        QLabel* name = m.shortLines[static_cast<size_t>(i)].BLabels;
        const QPointF at(5, 5);
        QMouseEvent press(QEvent::MouseButtonPress, at, name->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(name, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, at, name->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QCoreApplication::sendEvent(name, &release);
    };
    const std::function<void(int)> byBoardRow = [&m](int i) { doubleClick(m.boardRows[static_cast<size_t>(i)].TL[1]); };
    ASSERT_GE(m.shortLines.size(), 4u);
    ASSERT_GE(m.boardRows.size(), 4u);
    const struct {
        const char* how;
        const std::function<void(int)>& choose;
        int index;
    } cases[] = {{"menu", byMenu, 1},          {"selector", bySelector, 2}, {"board name", byBoardName, 3},
                 {"menu, last entry", byMenu, ProdCount - 1}, {"board row", byBoardRow, 1},
                 {"menu, first entry", byMenu, 0}};
    for (const auto& c : cases) {
        c.choose(c.index);
        EXPECT_EQ(CurProd, c.index) << c.how;
        EXPECT_EQ(m.SetDrawtype->currentIndex(), c.index) << c.how;
        EXPECT_EQ(m.Web5info->text(), QStringLiteral("当前您的 ") + ProdName[c.index] + QStringLiteral(" 账号空仓 "))
            << c.how;
        EXPECT_TRUE(TrayTipText.startsWith(QStringLiteral("*** ") + ProdName[c.index] + QStringLiteral(" ***")))
            << c.how;
        for (int i = 0; i < menu.a0.size(); ++i)
            EXPECT_EQ(menu.a0[i]->isChecked(), i == c.index) << c.how << ": entry " << i;
    }
}

TEST_F(MainWindow, AlertsRingInThePopUpAndStaleQuotesAreShownThere) {
    FakeSound sound;
    AlertMute = false;
    configure();
    IsVip = true;
    TxCount = 1;
    TxProd = {0, 0};
    TxCompare = {0, 0};
    TxPrice = {0.0f, 0.01f}; // met by any price
    MainForm& m = Main();
    ASSERT_GT(ProdPrice[0][0], 0.0f);
    ASSERT_TRUE(platform::isLoaded<CustRingForm>());
    ASSERT_EQ(custRing().texts().size(), 1);
    const QString alert = custRing().texts().front().text;
    EXPECT_TRUE(alert.startsWith(QStringLiteral("您设置的 %1 已经大于等于 0.01 元了，现价：").arg(ProdName[0])))
        << alert.toStdString();
    EXPECT_EQ(custRing().parentWidget(), &m);
    EXPECT_EQ(sound.played.size(), 1);
    EXPECT_EQ(TxCount, 0) << "fired, stored and read back without it";

    // Ten minutes on, the service still quotes the time it had: the quotes are stale.
    pcNow = pcNow.addSecs(600);
    m.scheduler().Timer2_Timer();
    RefreshCountdown = 0;
    for (int k = 0; k < 6; ++k)
        m.scheduler().Timer1_Timer();
    EXPECT_TRUE(boxTexts().isEmpty()) << boxTexts().join(u'\n').toStdString();
    // The warning stands above the unread alert, which stays.
    ASSERT_EQ(custRing().texts().size(), 2);
    const QString warning = custRing().texts().front().text;
    EXPECT_TRUE(warning.startsWith(QStringLiteral("报价时间["))) << warning.toStdString();
    EXPECT_TRUE(warning.endsWith(QStringLiteral("]相差过大，请检查网络是否中断，或尝试重新启动程序。")));
    EXPECT_EQ(custRing().texts().back().text, alert);
    EXPECT_EQ(sound.played.size(), 1); // the open pop-up takes the new text without a new sound
    custRing().unload();
    TxCount = 0;
    IsVip = false;
}

TEST_F(MainWindow, BoardColumnsHoldTheirTextsAndStayUnderTheirHeads) {
    configure();
    MainForm& m = Main();
    m.showNormal();
    for (const int windowWidth : {1280, 1024, 640}) {
        m.resize(windowWidth, windowWidth > 640 ? 768 : 480);
        platform::pauseMs(0);
        ASSERT_GE(m.boardRows.size(), 10u);
        for (size_t i = 0; i < m.boardRows.size(); ++i) {
            const auto& row = m.boardRows[i];
            EXPECT_LE(row.TL[0]->sizeHint().width(), row.TL[0]->width())
                << windowWidth << ": the name of row " << i << " (" << row.TL[0]->text().toStdString() << ") is cut";
            for (int c = 0; c < 12; ++c) {
                // The text ends a gap before the next column begins.
                EXPECT_LE(row.TL[c]->fontMetrics().horizontalAdvance(row.TL[c]->text()) + kBoardColumnGap,
                          row.TL[c]->width())
                    << "row " << i << " column " << c << ": " << row.TL[c]->text().toStdString();
                if (c < 11) {
                    EXPECT_LT(row.TL[c]->geometry().right(), row.TL[c + 1]->x()) << "row " << i << " column " << c;
                }
                EXPECT_EQ(leftInView(m, row.TL[c]), leftInView(m, m.Mcaps[c])) << "column " << c << " under its head";
            }
        }
    }
    // In the narrowest window the last columns lie beyond the viewport; dragging the price list
    // to the left brings them into view with their heads.
    QLabel* sell = m.boardRows[0].TL[11];
    const int hidden = leftInView(m, sell) + sell->width() - m.MainView->width();
    ASSERT_GT(hidden, 0) << "nothing hidden to bring into view";
    const int before = m.OleMove->x();
    drag(m.shortLines[0].Money, 40, 40 - hidden);
    EXPECT_EQ(m.OleMove->x(), before - hidden);
    EXPECT_LE(leftInView(m, sell) + sell->width(), m.MainView->width()) << "卖出 came into view";
    for (int c = 0; c < 12; ++c)
        EXPECT_EQ(leftInView(m, m.boardRows[3].TL[c]), leftInView(m, m.Mcaps[c])) << "column " << c << " after the drag";
}

// A service whose instrument names are 100,000 characters long: every name is shown within its
// place, the board's figures stay in view beside it, and the captions, the tray tip, the selector
// and the mini window keep their sizes.
TEST_F(MainWindow, LongNamesFromTheServiceKeepEveryFigureInView) {
    service->setNameLength(100000);
    configure();
    SetIniMany({{QStringLiteral("setup"), QStringLiteral("1")}, {QStringLiteral("ma"), ClientId},
                {QStringLiteral("tp"), QStringLiteral("1")}, {QStringLiteral("mini"), QStringLiteral("1")}});
    MainForm& m = Main();
    m.showNormal();
    m.resize(1280, 800);
    QString none;
    m.LoadData(none); // the next refresh, which writes the tray tip
    platform::pauseMs(0);
    ASSERT_GE(m.boardRows.size(), 10u);
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    for (size_t i = 0; i < m.boardRows.size(); ++i) {
        const auto& row = m.boardRows[i];
        SCOPED_TRACE("row " + std::to_string(i));
        EXPECT_LE(row.TL[ColName]->text().size(), kLongestInstrumentName);
        EXPECT_LE(row.TL[ColName]->fontMetrics().horizontalAdvance(row.TL[ColName]->text()) + kBoardColumnGap,
                  row.TL[ColName]->width());
        // The figures of the row are in view without sliding the board.
        for (const int c : {ColPrice, ColChange, ColHigh, ColLow})
            EXPECT_LE(leftInView(m, row.TL[c]) + row.TL[c]->width(), m.MainView->width()) << "column " << c;
    }
    // The short list of "重点关注市场": each name ends before its price.
    ASSERT_FALSE(m.shortLines.empty());
    for (const auto& line : m.shortLines) {
        EXPECT_LE(line.BLabels->fontMetrics().horizontalAdvance(line.BLabels->text()), line.BLabels->width())
            << line.BLabels->text().toStdString();
        EXPECT_LE(line.BLabels->geometry().right(), line.Money->x());
    }
    const QString name = ProdName[CurProd];
    EXPECT_TRUE(name.endsWith(u'…'));
    EXPECT_TRUE(tray.shownTip.startsWith(QStringLiteral("*** ") + name + QStringLiteral(" ***"))) << tray.shownTip.left(80).toStdString();
    EXPECT_TRUE(m.quotes().texts().PriceCaption.startsWith(u' ' + name + u' '));
    for (int k = 0; k < m.SetDrawtype->count(); ++k)
        EXPECT_LE(m.SetDrawtype->itemText(k).size(), kLongestInstrumentName);
    EXPECT_LE(m.SetDrawtype->sizeHint().width(), area.width() / 4);
    MiniForm& mini = Mini();
    ASSERT_TRUE(mini.isVisible());
    EXPECT_LE(mini.width(), area.width());
}

TEST_F(MainWindow, ColouredAndPlainCellsOfARowShareOneFont) {
    configure();
    MainForm& m = Main();
    ASSERT_FALSE(m.boardRows.empty());
    BoardRowTexts texts;
    for (int c = 0; c < 12; ++c)
        texts.cells[c].text = QStringLiteral("12.345");
    // Rises and falls in turn: a cell changes its colour again and again.
    for (const uint32_t colour : {kRiseColour, kFallColour, kRiseColour}) {
        texts.cells[ColPrice].colour = colour;
        m.setBoardRow(0, texts);
    }
    const auto& row = m.boardRows[0].TL;
    EXPECT_EQ(row[ColPrice]->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    const QFont design = m.MainView->font();
    EXPECT_EQ(design.family(), QStringLiteral("宋体"));
    EXPECT_EQ(design.pixelSize(), 12);
    for (int c = 0; c < 12; ++c) {
        EXPECT_EQ(row[c]->font().family(), design.family()) << "column " << c;
        EXPECT_EQ(row[c]->font().pixelSize(), design.pixelSize()) << "column " << c;
        EXPECT_EQ(QFontInfo(row[c]->font()).family(), QFontInfo(design).family()) << "column " << c;
    }
}

TEST_F(MainWindow, DoubleClicksOpenTheChartExceptOnTheSellingPrice) {
    configure();
    MainForm& m = Main();
    m.resize(1280, 800);
    ASSERT_GE(m.boardRows.size(), 5u);
    const int16_t tabBefore = CurTab;
    const int16_t before = CurProd;
    doubleClick(m.boardRows[4].TL[11]);
    EXPECT_EQ(CurTab, tabBefore) << "卖出 has no double-click";
    EXPECT_EQ(CurProd, before);
    EXPECT_EQ(m.boardRows[4].Mvole->palette().color(QPalette::Window), QColor(0x40, 0x40, 0x40))
        << "its click still highlights the row";

    doubleClick(m.boardRows[4].TL[10]);
    EXPECT_EQ(CurTab, 2);
    EXPECT_EQ(CurProd, 4);
    CurProd = 0;
}

// The contrast ratio of two colours as legibility guides define it (1 to 21).
static double contrast(const QColor& a, const QColor& b) {
    const auto luminance = [](const QColor& c) {
        const auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

TEST_F(MainWindow, BoardColourPaintsEveryListedControl) {
    struct Case {
        const char* colorid;
        QColor expected; // of every painted control; invalid: none painted
    };
    for (const Case c : {Case{"8", QColor(64, 0, 64)}, Case{"3", QColor(128, 64, 64)}, Case{"0", QColor()}}) {
        SetIni(QStringLiteral("colorid"), QString::fromLatin1(c.colorid));
        configure();
        MainForm& m = Main();
        const std::vector<QWidget*> painted = m.CListBackControls();
        ASSERT_FALSE(m.boardRows.empty());
        const std::vector<QWidget*> expectedMembers = {m.MainView, m.Frames0,   m.YYDO,      m.Frame10,   m.Loged,
                                                       m.Check12,  m.Combos[0], m.Combos[3], m.Combos[5], m.SetDrawtype,
                                                       m.VIPChart2, m.VIPChart3, m.VIPChart4, m.Frame1,  m.Frame4,
                                                       m.OleMove,  m.OlemoveOle, m.Cole[8]};
        for (QWidget* w : expectedMembers)
            EXPECT_NE(std::find(painted.begin(), painted.end(), w), painted.end()) << w->metaObject()->className();
        for (const auto& row : m.boardRows)
            EXPECT_NE(std::find(painted.begin(), painted.end(), row.Mvole), painted.end()) << "every row frame";
        // The K-line panel: six period buttons, the RMB box and the chart.
        const auto* klines = m.findChild<Kline*>(QStringLiteral("Klines"));
        ASSERT_NE(klines, nullptr);
        EXPECT_NE(std::find(painted.begin(), painted.end(), klines), painted.end());
        EXPECT_EQ(painted.size(), m.boardRows.size() + 29);
        if (c.expected.isValid()) {
            EXPECT_EQ(klines->BackColor(), GetBack(static_cast<int16_t>(QByteArray(c.colorid).toInt())));
        }
        if (c.expected.isValid()) {
            for (QWidget* w : painted) {
                // What the widget fills its background with: a check box fills with its button role.
                const QPalette::ColorRole role =
                    qobject_cast<QComboBox*>(w) != nullptr ? QPalette::Button : w->backgroundRole();
                EXPECT_EQ(w->palette().color(role), c.expected) << c.colorid << ' ' << w->metaObject()->className();
                if (w == m.Frame4 || qobject_cast<QAbstractButton*>(w) != nullptr) {
                    EXPECT_GE(contrast(w->palette().color(QPalette::WindowText), c.expected), 3.0)
                        << c.colorid << ' ' << w->objectName().toStdString() << ": its caption stays readable";
                }
            }
        } else {
            EXPECT_NE(m.SetDrawtype->palette().color(QPalette::Button), QColor(0, 0, 0)) << "scheme 0 keeps the design colours";
        }
        m.unload();
        platform::pauseMs(0);
        resetMainGlobals();
    }
}

TEST_F(MainWindow, LogInAndLogOutEntriesFollowTheSession) {
    configure(false);
    MainForm& m = Main();
    EXPECT_NE(m.MainBar->btnState(1), toolbar::StateDisabled) << "not logged in: the button logs in";
    EXPECT_TRUE(m.m21->isEnabled());
    EXPECT_FALSE(m.m22->isEnabled());
    m.unload();
    platform::pauseMs(0);
    resetMainGlobals();

    configure(true);
    MainForm& again = Main();
    EXPECT_NE(again.MainBar->btnState(1), toolbar::StateDisabled);
    EXPECT_TRUE(again.m22->isEnabled());
    EXPECT_FALSE(again.m21->isEnabled());
    again.LogoutUser();
    EXPECT_FALSE(LoggedIn);
    EXPECT_FALSE(again.isLoaded());
    EXPECT_TRUE(platform::isLoaded<LoginForm>());
}

TEST_F(MainWindow, TrayTipFollowsTheQuotesWhenAskedFor) {
    for (const bool tp : {false, true}) {
        TrayQuote = false; // as every flag is when the program starts
        configure();
        SetIniMany({{QStringLiteral("setup"), QStringLiteral("1")}, {QStringLiteral("ma"), ClientId},
                    {QStringLiteral("tp"), tp ? "1" : "0"}});
        MainForm& m = Main();
        ASSERT_TRUE(tray.isShown());
        EXPECT_EQ(tray.shownTip, m.windowTitle()) << "added with the caption";
        QString none;
        m.LoadData(none); // the next refresh
        const QString quote = QStringLiteral("*** ") + ProdName[CurProd] + QStringLiteral(" ***");
        if (tp) {
            EXPECT_TRUE(tray.shownTip.startsWith(quote)) << tray.shownTip.toStdString();
            EXPECT_EQ(tray.shownTip, TrayTipText);
        } else {
            EXPECT_EQ(tray.shownTip, m.windowTitle());
        }
        m.unload();
        platform::pauseMs(0);
        resetMainGlobals();
    }
}

TEST_F(MainWindow, ProgramIconOnTheWindowAndTheTray) {
    configure();
    MainForm& m = Main();
    const QImage icon = platform::programIcon().pixmap(16, 16).toImage();
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(m.windowIcon().pixmap(16, 16).toImage(), icon);
    EXPECT_EQ(tray.shownIcon.pixmap(16, 16).toImage(), icon);
    EXPECT_EQ(loginForm().windowIcon().pixmap(16, 16).toImage(), icon);
}

TEST_F(MainWindow, LeftPressOnTheTrayBringsAMinimisedWindowBackAsItWas) {
    configure();
    MainForm& m = Main();
    platform::sendTrayMouse(platform::kTrayRightButtonUp);
    struct Case {
        Qt::WindowState before;
        bool maximised;
    };
    for (const Case c : {Case{Qt::WindowMaximized, true}, Case{Qt::WindowNoState, false}}) {
        m.setWindowState(c.before);
        m.show();
        platform::pauseMs(0);
        m.showMinimized();
        platform::pauseMs(0);
        EXPECT_FALSE(m.isVisible()) << "minimising hides the window";
        platform::sendTrayMouse(platform::kTrayRightButtonUp);
        EXPECT_FALSE(m.isVisible()) << "only the left button brings it back";
        platform::sendTrayMouse(platform::kTrayLeftButtonDown);
        EXPECT_TRUE(m.isVisible());
        EXPECT_FALSE(m.isMinimized());
        EXPECT_EQ(m.isMaximized(), c.maximised);
        platform::pauseMs(0); // the desktop's answer to the restore, before the next case
    }
    m.unload();
    platform::pauseMs(0);
    platform::sendTrayMouse(platform::kTrayLeftButtonDown);
    EXPECT_FALSE(platform::isLoaded<MainForm>()) << "after the shut-down the icon brings nothing back";
}
