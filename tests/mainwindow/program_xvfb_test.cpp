// The program as a user meets it, on a real display with a window manager (run under xvfb-run and
// tools/withwm.sh): in this process, the demo login, the main window with its quotes, charts and
// web panes; as a child process, the real program on the desktop.
#include "charts/chart.h"
#include "common/config.h"
#include "common/settings.h"
#include "common/textcodec.h"
#include "companions/calc.h"
#include "companions/cangjsq.h"
#include "companions/jiaoyiform.h"
#include "companions/custring.h"
#include "companions/txform.h"
#include "companions/mainset.h"
#include "companions/menuform.h"
#include "common/storedlists.h"
#include "tests/companions/fakesound.h"
#include "companions/tray.h"
#include "mainwindow/mainform.h"
#include "platform/eventwait.h"
#include "platform/fonts.h"
#include "platform/forms.h"
#include "state/configstate.h"
#include "shell/instance.h"
#include "shell/loginform.h"
#include "shell/mainwindowlink.h"
#include "state/livelink.h"
#include "state/quotetables.h"
#include "state/session.h"
#include "state/usersettings.h"
#include "simservice/simservice.h"
#include "tests/support/desktopprogram.h"
#include "tests/support/forms.h"
#include "tests/support/localservice.h"
#include "tests/support/programfolder.h"
#include "tests/support/resident.h"
#include "tests/mainwindow/mainondisplay.h"
#include "widgets/buttons/skinbutton.h"
#include "widgets/toolbar/flattoolbar.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QSet>
#include <QTest>
#include <QUrl>

namespace {

class ProgramOnDisplay : public MainOnDisplay {
protected:
    ProgramOnDisplay() : MainOnDisplay(QStringLiteral("TEST")) {}

    static void picture(QWidget& widget, const QString& name) { savePicture(widget.grab().toImage(), name); }
};

} // namespace

TEST_F(ProgramOnDisplay, DemoLoginLandsInTheMainWindow) {
    // A first run: set.ini is empty, the twin charts take their default instruments.
    MainForm& main = loginToMain();
    EXPECT_TRUE(LoggedIn);
    EXPECT_FALSE(platform::isLoaded<LoginForm>());
    platform::pauseMs(500);
    const long afterStart = residentKiB(QCoreApplication::applicationPid());
    for (const Chart* twin : {main.YYChart, main.MZChart})
        EXPECT_GT(twin->MaxValue(), twin->MinValue()) << twin->objectName().toStdString() << " drew no scale";
    picture(*main.Frame1, QStringLiteral("twin_charts_first_run.png"));

    // The board at two widths: every name whole, the wider columns out of view at 1024.
    for (const int width : {1280, 1024}) {
        main.setGeometry(0, 0, width, width == 1280 ? 800 : 768);
        platform::pauseMs(300);
        for (const MainForm::BoardRow& row : main.boardRows)
            EXPECT_LE(row.TL[0]->sizeHint().width(), row.TL[0]->width())
                << width << ": " << row.TL[0]->text().toStdString() << " is cut";
        picture(main, QStringLiteral("board_%1.png").arg(width));
    }
    main.setGeometry(0, 0, 1280, 800);

    for (int tab : {1, 2}) {
        main.Maintab->Tabs().Item(tab).setSelected(true);
        platform::pauseMs(300);
        picture(main, QStringLiteral("main_tab%1.png").arg(tab));
    }
    // Four intraday panes.
    for (QCheckBox* box : {main.VIPChart2, main.VIPChart3, main.VIPChart4})
        if (box->isEnabled())
            box->setChecked(true);
    platform::pauseMs(1500);
    picture(main, QStringLiteral("main_tab2_four_panes.png"));

    main.Maintab->Tabs().Item(6).setSelected(true); // the data tab shows a real web page
    platform::pauseMs(3000);
    const long afterWebTab = residentKiB(QCoreApplication::applicationPid());
    picture(main, QStringLiteral("main_tab6.png"));
    std::printf("resident memory after start-up: %ld KiB; after showing one web tab: %ld KiB\n", afterStart,
                afterWebTab);
    RecordProperty("rss_after_start_kib", static_cast<int>(afterStart));
    RecordProperty("rss_after_web_tab_kib", static_cast<int>(afterWebTab));
    EXPECT_GT(afterStart, 0);
}

// The toolbar's tool buttons, clicked with the mouse, open the three tool windows; the position
// calculator takes its prices from the quotes the service sends.
TEST_F(ProgramOnDisplay, ToolbarOpensTheToolWindows) {
    MainForm& main = loginToMain();
    ASSERT_TRUE(waitUntil([] { return ProdCount > 0 && ProdPrice[0][0] > 0; }, 10000));
    platform::pauseMs(300);
    // The buttons sit on the toolbar's strip, in its coordinates.
    auto* strip = main.MainBar->findChild<QWidget*>(QStringLiteral("PicTB"));
    ASSERT_NE(strip, nullptr);
    auto click = [&main, strip](const QString& key) {
        for (int i = 1; i <= main.MainBar->ButtonCount(); ++i)
            if (main.MainBar->BtnKey(i) == key) {
                const QPoint centre(main.MainBar->BtnLeft(i) + main.MainBar->BtnWidth(i) / 2,
                                    main.MainBar->BtnTop(i) + main.MainBar->btnHeight(i) / 2);
                QTest::mouseMove(strip, centre);
                QTest::mouseClick(strip, Qt::LeftButton, {}, centre);
                platform::pauseMs(300);
                return true;
            }
        return false;
    };

    ASSERT_TRUE(click(QStringLiteral("cal")));
    ASSERT_TRUE(platform::isLoaded<Calc>());
    EXPECT_TRUE(calc().isVisible());
    EXPECT_EQ(calc().parentWidget(), nullptr); // a free window, as the system calculator would be

    ASSERT_TRUE(click(QStringLiteral("cwcal")));
    ASSERT_TRUE(platform::isLoaded<CangJSQ>());
    CangJSQ& position = cangJSQ();
    EXPECT_TRUE(position.isVisible());
    EXPECT_EQ(position.parentWidget(), &main);
    ASSERT_EQ(position.Combo1->count(), ProdCount);
    const int k = 2 < ProdCount ? 2 : 0;
    position.Combo1->setCurrentIndex(k);
    emit position.JsqJg->Click();
    const cangjsq::QuotePrices live = cangjsq::quotePrices(ProdPrice[k][0], ProdSpread[k], false);
    EXPECT_EQ(position.Text11->text(), live.addPrice);
    EXPECT_EQ(position.Text13->text(), live.closePrice);
    EXPECT_GT(position.Text13->text().toDouble(), 0.0);
    picture(position, QStringLiteral("cangjsq_live.png"));

    ASSERT_TRUE(click(QStringLiteral("jyjsq")));
    ASSERT_TRUE(platform::isLoaded<JiaoYiForm>());
    EXPECT_TRUE(jiaoYiForm().isVisible());
    EXPECT_EQ(jiaoYiForm().parentWidget(), &main);
    EXPECT_EQ(jiaoYiForm().Combo3->itemText(0), ProdName[0]);

    // A second click brings the open one forward instead of making another.
    CangJSQ* before = &position;
    ASSERT_TRUE(click(QStringLiteral("cwcal")));
    EXPECT_EQ(&cangJSQ(), before);
    EXPECT_EQ(position.Text11->text(), live.addPrice);
    // The whole screen, so that the tool windows show over the main window.
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        savePicture(screen->grabWindow(0).toImage(), QStringLiteral("tool_windows.png"));
    }
    calc().unload();
}

// A member sets two alerts in the editor; the market crosses one of them. The pop-up shows it with
// one sound, and the next start reads back only the alert that has not fired.
TEST_F(ProgramOnDisplay, PriceAlertSetInTheEditorRingsOnceAndIsGoneAfterARestart) {
    FakeSound sound;
    AlertMute = false;
    MainForm& main = memberToMain();
    ASSERT_TRUE(IsVip);
    ASSERT_TRUE(waitUntil([] { return ProdCount > 1 && ProdPrice[0][0] > 0; }, 10000));

    main.m43->trigger(); // "常用工具" / "预警提醒"
    ASSERT_TRUE(platform::isLoaded<TXFORM>());
    TXFORM& editor = txForm();
    EXPECT_EQ(editor.parentWidget(), &main);
    const float now = ProdPrice[0][0];
    auto add = [&editor](int instrument, int comparator, float price) {
        editor.Combo1->setCurrentIndex(instrument);
        editor.Combo2->setCurrentIndex(comparator);
        editor.Text1->setText(QString::number(static_cast<double>(price), 'f', 2));
        QTest::mouseClick(editor.Command1, Qt::LeftButton);
    };
    add(1, 0, ProdPrice[1][0] * 3); // far above: stays armed
    add(0, 1, now * 3);             // at or below three times the price: met at the next refresh
    add(2, 1, ProdPrice[2][0] * 3); // met by the same refresh
    ASSERT_EQ(editor.List1->count(), 3);
    picture(editor, QStringLiteral("txform_live.png"));
    ASSERT_TRUE(editor.unload());
    ASSERT_EQ(TxCount, 3);

    ASSERT_TRUE(waitUntil([] { return platform::isLoaded<CustRingForm>(); }, 20000));
    CustRingForm& ring = custRing();
    EXPECT_TRUE(ring.isVisible());
    // Both alerts met together reach the pop-up, the later one on top.
    ASSERT_EQ(ring.texts().size(), 2) << ring.Label1->text().toStdString();
    EXPECT_TRUE(ring.texts().back().text.startsWith(QStringLiteral("您设置的 %1 已经小于等于 ").arg(ProdName[0])))
        << ring.Label1->text().toStdString();
    EXPECT_TRUE(ring.texts().front().text.startsWith(QStringLiteral("您设置的 %1 已经小于等于 ").arg(ProdName[2])))
        << ring.Label1->text().toStdString();
    EXPECT_EQ(sound.played, QStringList{AlertSoundFile});
    picture(ring, QStringLiteral("custring_live.png"));
    // Later refreshes neither ring again nor fire the alert that was not met.
    platform::pauseMs(4000);
    EXPECT_EQ(sound.played.size(), 1);
    QTest::keyClick(ring.Command1, Qt::Key_Escape);
    EXPECT_FALSE(platform::isLoaded<CustRingForm>());
    EXPECT_EQ(sound.stops, 1);

    main.unload();
    // The next start, as the settings loader reads the alerts back for the member.
    TxCount = 0;
    TxProd = {0};
    IsVip = true;
    LoadTx();
    IsVip = false;
    EXPECT_EQ(TxCount, 1);
    EXPECT_EQ(TxProd.value(1), 1);
    EXPECT_EQ(TxCompare.value(1), 0);
}

// The settings dialog from the menu: its keys reach set.ini when it closes, and "恢复默认设置"
// leaves no set.ini behind when the program ends.
TEST_F(ProgramOnDisplay, SettingsDialogWritesItsKeysAndRestoresDefaults) {
    MainForm& main = loginToMain();
    ASSERT_TRUE(waitUntil([] { return ProdCount > 0; }, 10000));
    main.m25->trigger();
    ASSERT_TRUE(platform::isLoaded<MainSet>());
    MainSet& dialog = mainSet();
    EXPECT_EQ(dialog.parentWidget(), &main);
    EXPECT_EQ(dialog.List1->count(), ProdCount);
    platform::pauseMs(200);
    picture(dialog, QStringLiteral("mainset_live.png"));
    const bool muted = dialog.Check17->isChecked();
    dialog.Check17->setFocus();
    QTest::keyClick(dialog.Check17, Qt::Key_Space);
    QTest::keyClick(dialog.Check17, Qt::Key_Escape);
    EXPECT_FALSE(platform::isLoaded<MainSet>());
    EXPECT_EQ(AlertMute, !muted);
    EXPECT_EQ(GetIni(QStringLiteral("NoMedia")), muted ? QStringLiteral("0") : QStringLiteral("1"));

    // The tray menu's entry opens it too.
    menuForm().mset->trigger();
    ASSERT_TRUE(platform::isLoaded<MainSet>());
    emit mainSet().CommandButton2->Click();
    main.unload();
    EXPECT_FALSE(QFile::exists(settingsFilePath()));
}

TEST_F(ProgramOnDisplay, BoardFollowsTheMarketAndSurvivesAFailingDataServer) {
    // The market runs thirty times faster than the clock, so every poll meets a new price.
    QElapsedTimer elapsed;
    elapsed.start();
    const QDateTime tradingStart(QDate(2026, 12, 9), QTime(10, 0), Qt::UTC);
    SimService::Options options;
    options.now = [&] { return tradingStart.addMSecs(elapsed.elapsed() * 30); };
    MainForm& main = loginToMain(options);
    ASSERT_TRUE(waitUntil([&] { return !main.boardRows.empty(); }, 10000));

    auto price = [&] { return main.boardRows[0].TL[1]->text(); };
    QStringList seen{price()};
    QString failedServer;
    int changesAfterFailure = 0;
    for (int waited = 0; waited < 60000 && (seen.size() < 5 || changesAfterFailure < 2); waited += 250) {
        platform::pauseMs(250);
        if (price() == seen.last())
            continue;
        seen << price();
        if (!failedServer.isEmpty())
            ++changesAfterFailure;
        if (seen.size() == 3 && failedServer.isEmpty()) {
            // The data server in use stops answering: the board must go on from another one.
            failedServer = QUrl(DataServer).path();
            service->setFault(failedServer, SimService::Endpoint::Any, SimService::Fault::Close);
        }
    }
    EXPECT_GE(seen.size(), 5) << seen.join(u' ').toStdString();
    EXPECT_GE(changesAfterFailure, 2) << "after " << failedServer.toStdString();
    EXPECT_NE(QUrl(DataServer).path(), failedServer);
    picture(main, QStringLiteral("board.png"));
}

namespace {

constexpr int kPatienceMs = 30000; // a guard against hanging, not a measure

// The real program as a child process against a service in this test, logging in with the demo
// account it remembers in set.ini, on the desktop of the display.
class ProgramOnTheDesktop : public DesktopProgramTest {
protected:
    // Starts the program with the demo login remembered and `settings` besides; its main window.
    QString startLoggedIn(QList<std::pair<QString, QString>> settings = {}) {
        startRemembered(std::move(settings));
        QString main;
        (void)QTest::qWaitFor(
            [&] {
                for (const QString& w : desktop::windowsOf(program.pid()))
                    if (desktop::windowName(w).startsWith(QStringLiteral("Quillor V")))
                        main = w;
                return !main.isEmpty() || !program.running();
            },
            kPatienceMs);
        return main;
    }

    // The top of the window's frame (its title bar) on the screen.
    static int frameTop(const QString& window) {
        return desktop::placement(window).client.y() - desktop::frameExtents(window).top;
    }
};

} // namespace

// The first web page of a run (the data tab, remembered as the last tab) is made while the window
// is shown maximised: the window stays the same native window, maximised, its title bar on screen.
TEST_F(ProgramOnTheDesktop, OpensMaximisedAndStaysSoWhileItsFirstWebPageComesUp) {
    const QString main = startLoggedIn({{QStringLiteral("tab"), QStringLiteral("6")}});
    ASSERT_FALSE(main.isEmpty()) << "no main window: " << program.output();
    EXPECT_TRUE(QTest::qWaitFor([&] { return desktop::isMaximised(main); }, kPatienceMs))
        << desktop::netWmState(main).join(u' ').toStdString();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return !service->requestLog().filter(QStringLiteral("/web/data.asp")).isEmpty(); }, kPatienceMs))
        << "the data tab's page never loaded";
    QTest::qWait(1000); // the window manager's answer to a re-made window, were there one
    EXPECT_EQ(desktop::windowName(main), QStringLiteral("Quillor V") + QStringLiteral(BRELTO_VERSION_TEXT))
        << "the main window was made again";
    EXPECT_TRUE(desktop::isMaximised(main)) << desktop::netWmState(main).join(u' ').toStdString();
    EXPECT_TRUE(desktop::placement(main).viewable);
    EXPECT_GE(frameTop(main), 0) << "the title bar is above the screen";
}

// After the login: maximised with the title bar on screen, the program's icon in the tray; the
// minimised window goes out of sight and a left click on the icon brings it back maximised.
TEST_F(ProgramOnTheDesktop, MainWindowOnTheDesktopWithItsIconInTheTray) {
    const QString main = startLoggedIn();
    ASSERT_FALSE(main.isEmpty()) << "no main window: " << program.output();
    ASSERT_TRUE(QTest::qWaitFor([&] { return desktop::isMaximised(main); }, kPatienceMs))
        << desktop::netWmState(main).join(u' ').toStdString();
    // The board fills from the first snapshot; give it and the charts a moment to paint.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return !service->requestLog().filter(QStringLiteral("m=now-price")).isEmpty(); }, kPatienceMs));
    QTest::qWait(2000);
    EXPECT_GE(frameTop(main), 0) << "the title bar is above the screen";

    const QImage screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    savePicture(screen, QStringLiteral("main-window.png"));
    const QRect main_ = desktop::placement(main).client;
    const QRect titleBar(main_.x(), frameTop(main), main_.width(), desktop::frameExtents(main).top);
    ASSERT_TRUE(screen.rect().contains(titleBar)) << "title bar off the screen";

    const QString windowIcons =
        desktop::tool(QStringLiteral("xprop"), {QStringLiteral("-id"), main, QStringLiteral("_NET_WM_ICON")});
    EXPECT_TRUE(windowIcons.contains(QStringLiteral("Icon (16 x 16)"))) << "the main window has no icon";

    const QRect icon = trayIcon();
    ASSERT_FALSE(icon.isEmpty()) << "no icon in the tray";
    QSet<QRgb> colours;
    int gold = 0;
    for (int y = icon.top(); y <= icon.bottom(); ++y)
        for (int x = icon.left(); x <= icon.right(); ++x) {
            const QColor c = screen.pixelColor(x, y);
            colours.insert(c.rgb());
            gold += c.red() > 180 && c.green() > 120 && c.blue() < 110;
        }
    savePicture(screen.copy(icon), QStringLiteral("tray_icon.png"));
    EXPECT_GT(colours.size(), 8) << "the tray icon is a plain square";
    EXPECT_GT(gold, icon.width() * icon.height() / 6) << "the coin is not there";

    desktop::tool(QStringLiteral("xdotool"), {QStringLiteral("windowminimize"), main});
    EXPECT_TRUE(QTest::qWaitFor([&] { return !desktop::placement(main).viewable; }, kPatienceMs))
        << "a minimised main window stays in sight";
    desktop::clickAt(icon.center());
    EXPECT_TRUE(QTest::qWaitFor([&] { return desktop::placement(main).viewable && desktop::isMaximised(main); },
                                kPatienceMs))
        << "the tray icon's left click does not bring the window back maximised: "
        << desktop::netWmState(main).join(u' ').toStdString();
    EXPECT_GE(frameTop(main), 0);
}

// Asked to start minimised, the program shows only its tray icon; the icon brings the window up.
TEST_F(ProgramOnTheDesktop, StartsInTheTrayWhenAskedToStartMinimised) {
    const QString main = startLoggedIn({{QStringLiteral("armin"), QStringLiteral("1")}});
    ASSERT_FALSE(main.isEmpty()) << "no main window: " << program.output();
    QRect icon;
    ASSERT_TRUE(QTest::qWaitFor([&] { return !(icon = trayIcon()).isEmpty(); }, kPatienceMs)) << "no tray icon";
    QTest::qWait(1000);
    EXPECT_FALSE(desktop::placement(main).viewable) << "the window is in sight";
    desktop::clickAt(icon.center());
    EXPECT_TRUE(QTest::qWaitFor([&] { return desktop::placement(main).viewable; }, kPatienceMs));
    EXPECT_GE(frameTop(main), 0);
}
