// The main window's commands on a real display with a window manager (run under xvfb-run and
// tools/withwm.sh): key presses on the main window and on every window that hands its keys over,
// the report key, and the real program's toolbar copy button, Esc and Alt+Z with the desktop's
// clipboard. Pictures: <build dir>/gallery/program/text_advert.png and report_notice.png.
#include "charts/chartfeed.h"
#include "charts/kline.h"
#include "common/msgbox.h"
#include "common/textcodec.h"
#include "companions/cangjsq.h"
#include "companions/custring.h"
#include "companions/mainset.h"
#include "companions/menuform.h"
#include "companions/mini.h"
#include "companions/tray.h"
#include "mainwindow/mainform.h"
#include "platform/eventwait.h"
#include "platform/fonts.h"
#include "platform/shell.h"
#include "market/quotetexts.h"
#include "platform/forms.h"
#include "shell/instance.h"
#include "shell/loginform.h"
#include "shell/mainwindowlink.h"
#include "simservice/simservice.h"
#include "state/configstate.h"
#include "state/quotetables.h"
#include "state/session.h"
#include "state/usersettings.h"
#include "tests/support/childprogram.h"
#include "tests/support/forms.h"
#include "tests/support/localservice.h"
#include "tests/support/programfolder.h"
#include "tests/mainwindow/mainondisplay.h"
#include "widgets/toolbar/flattoolbar.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QUrl>

namespace {

constexpr int kPatienceMs = 30000; // a guard against hanging, not a measure

// Closes the report's notice when it comes up: it is modal, and the key that opened it waits for it.
class ReportNoticeCloser {
public:
    ReportNoticeCloser() {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            for (Msgform* box : openBoxes())
                if (box->windowTitle() == u"复制软件环境信息") {
                    ++closed;
                    box->unload();
                }
        });
        m_timer.start(50);
    }
    int closed = 0;

private:
    QTimer m_timer;
};

// The program in this process, against a simulated service, with the main window wired in as
// main() wires it.
class CommandsOnDisplay : public MainOnDisplay {
protected:
    CommandsOnDisplay() : MainOnDisplay(QStringLiteral("COMMANDS")) {}

    // The main window with the first quotes on its board.
    MainForm& loginToMain() {
        MainForm& main = MainOnDisplay::loginToMain();
        EXPECT_TRUE(waitUntil([] { return ProdCount > 0; }, 10000));
        platform::pauseMs(300);
        return main;
    }
};

// A key pressed in `target`, as the keyboard gives it, and a moment for what it starts.
void press(QWidget* target, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(target, key, modifiers);
    platform::pauseMs(100);
}

Qt::Key digitKey(int digit) { return static_cast<Qt::Key>(Qt::Key_0 + digit); }

TEST_F(CommandsOnDisplay, KeysActOnTheMainWindowWhereverTheyArePressed) {
    MainForm& main = loginToMain();
    QComboBox* range = main.Combos[3];
    ASSERT_EQ(range->count(), 17);
    int clicks = 0;
    QObject::connect(range, &QComboBox::currentIndexChanged, range, [&clicks] { ++clicks; });
    const auto intradayTab = [&main] {
        main.Maintab->Tabs().Item(2).setSelected(true);
        platform::pauseMs(100);
        ASSERT_EQ(CurTab, 2);
    };

    // On the main window itself, whichever control has the key.
    intradayTab();
    press(main.SetDrawtype, Qt::Key_Escape);
    EXPECT_EQ(CurTab, 1) << "Esc on the main window";
    intradayTab();
    press(main.Combos[3], Qt::Key_1, Qt::AltModifier);
    EXPECT_EQ(range->currentIndex(), 2) << "Alt+1 selects \"1天 Alt+1\"";
    EXPECT_EQ(range->currentText(), QStringLiteral("1天 Alt+1"));
    EXPECT_EQ(ChartRange, 2);
    const int afterAlt1 = clicks;
    EXPECT_GE(afterAlt1, 1);
    press(main.Combos[3], Qt::Key_1, Qt::AltModifier);
    EXPECT_EQ(clicks, afterAlt1) << "the range already shown was set again";
    press(&main, Qt::Key_A);
    EXPECT_EQ(range->currentIndex(), 2) << "a plain key changed the range";
    press(&main, Qt::Key_F3);
    EXPECT_EQ(range->currentIndex(), 1) << "F3 selects \"72小时 F3\"";
    EXPECT_EQ(ChartRange, 1);

    // Windows that hand their keys to the main window: each key acts as if pressed there.
    struct Forwarder {
        const char* name;
        std::function<QWidget*()> open; // shows the window; the control that has its keys
        bool forwardsEsc;               // the tool windows close on Esc instead
    };
    const Forwarder windows[] = {
        {"mini window", [] { Mini().show(); return static_cast<QWidget*>(&Mini()); }, true},
        {"K-line data window", [] { Klineforms().show(); return static_cast<QWidget*>(&Klineforms()); }, true},
        {"settings dialog",
         [&main] {
             mainSet().showForm(&main);
             return static_cast<QWidget*>(mainSet().findChild<QCheckBox*>());
         },
         false},
        {"position calculator",
         [&main] {
             cangJSQ().showForm(&main);
             return static_cast<QWidget*>(cangJSQ().Combo1);
         },
         false},
        {"alert pop-up",
         [&main] {
             showCustRing(QStringLiteral("测试提醒"), &main);
             return static_cast<QWidget*>(custRing().Command1);
         },
         false},
        {"message box",
         [&main] {
             ShowMsg(QStringLiteral("测试"), QStringLiteral("提示"), &main, {}, false, 0);
             return openBoxes().isEmpty() ? nullptr : static_cast<QWidget*>(openBoxes().last());
         },
         false},
    };
    int digit = 2;
    for (const Forwarder& w : windows) {
        SCOPED_TRACE(w.name);
        QWidget* target = w.open();
        ASSERT_NE(target, nullptr);
        platform::pauseMs(200);
        if (w.forwardsEsc) {
            intradayTab();
            press(target, Qt::Key_Escape);
            EXPECT_EQ(CurTab, 1);
        }
        // Alt+2 .. Alt+7, a range not shown yet each time.
        press(target, digitKey(digit), Qt::AltModifier);
        EXPECT_EQ(range->currentIndex(), digit + 1);
        // Typing into the window leaves the range alone; its F3 still picks "72小时 F3".
        press(target, Qt::Key_B);
        EXPECT_EQ(range->currentIndex(), digit + 1);
        press(target, Qt::Key_F3);
        EXPECT_EQ(range->currentIndex(), 1);
        ++digit;
    }
    closeBoxes();

    // Alt+Z: the report on the clipboard (not the quote), its notice waiting for the user.
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    ReportNoticeCloser closer;
    press(main.SetDrawtype, Qt::Key_Z, Qt::AltModifier);
    EXPECT_TRUE(waitUntil([&closer] { return closer.closed > 0; }, 10000)) << "no report notice";
    const QString report = QGuiApplication::clipboard()->text();
    const QStringList lines = report.split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 12) << report.toStdString(); // eleven lines, each ending in CR LF
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("程序启动时间："))) << lines[0].toStdString();
    EXPECT_EQ(lines[2].section(u' ', 1, 1), QStringLiteral("127.0.0.1:%1").arg(service->httpPort()));
    // The data server's address and round trip are its host's, without the port: loopback answers.
    EXPECT_EQ(lines[4].section(u' ', 1, 1), QStringLiteral("127.0.0.1")) << lines[4].toStdString();
    EXPECT_NE(lines[4].section(u':', 2), QStringLiteral("-1")) << lines[4].toStdString();
    EXPECT_EQ(lines[5].section(u' ', 1, 1), QStringLiteral("%1:%2").arg(UserServerHost).arg(UserServerPort));
    EXPECT_EQ(lines[10], QStringLiteral("当前已经登录,登录用户名:") + UserName);
    EXPECT_EQ(closer.closed, 1);
}

// The menu bar's items and the tray menu's quote copy, as a user picks them.
TEST_F(CommandsOnDisplay, MenuItemsDoWhatTheySay) {
    MainForm& main = loginToMain();
    ASSERT_TRUE(waitUntil([] { return !QuoteTime.isEmpty(); }, 10000));
    QStringList opened;
    platform::setShellOpener([&opened](const QString& target) {
        opened << target;
        return true;
    });
    const auto item = [&main](const char* name) {
        auto* action = main.findChild<QAction*>(QLatin1String(name));
        EXPECT_NE(action, nullptr) << name;
        return action;
    };
    const QString credit = QStringLiteral("\r\n由Quillor提供 ") + SiteUrl;
    QClipboard* clipboard = QGuiApplication::clipboard();

    // "复制当前市场行情": the quote block, the present time, the credit.
    item("m51")->trigger();
    QString copied = clipboard->text();
    EXPECT_TRUE(copied.startsWith(QuoteTexts::GetList() + QStringLiteral("\r\n"))) << copied.toStdString();
    EXPECT_TRUE(copied.endsWith(credit)) << copied.toStdString();
    EXPECT_EQ(copied.count(QStringLiteral("\r\n")), QuoteTexts::GetList().count(QStringLiteral("\r\n")) + 2);
    // The time line is the present date and time alone, with no blank after it.
    const QStringList lines = copied.split(QStringLiteral("\r\n"));
    const QString timeLine = lines.value(lines.size() - 2);
    EXPECT_FALSE(timeLine.endsWith(u' ')) << timeLine.toStdString();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d{4}-\\d{1,2}-\\d{1,2}( \\d{1,2}:\\d{2}:\\d{2})?$"))
                    .match(timeLine)
                    .hasMatch())
        << timeLine.toStdString();

    // The tray menu's "复制当前行情信息": the quote's own date and time, and a notice that closes
    // by itself.
    closeBoxes();
    clipboard->setText(QStringLiteral("before"));
    menuForm().mnow->trigger();
    copied = clipboard->text();
    EXPECT_TRUE(copied.endsWith(QStringLiteral("\r\n") + QuoteDate + u' ' + QuoteTime + credit)) << copied.toStdString();
    EXPECT_TRUE(boxTexts().contains(
        QStringLiteral("复制信息|已经复制了当前行情信息到剪贴板，请直接Ctrl+V在需要的位置粘帖出来即可。")))
        << boxTexts().join(u'\n').toStdString();
    closeBoxes();

    // The ETF items bring their tabs forward.
    item("m44")->trigger();
    EXPECT_EQ(CurTab, 9);
    item("m45")->trigger();
    EXPECT_EQ(CurTab, 10);
    // The tool items open the tool windows through the toolbar's dispatch.
    item("m41")->trigger();
    EXPECT_TRUE(platform::isLoaded<CangJSQ>() && cangJSQ().isVisible());
    cangJSQ().unload();
    // Signed in, "用户登录" does nothing.
    item("m21")->trigger();
    EXPECT_FALSE(platform::isLoaded<LoginForm>());
    // The web site's pages, over https on the service's host.
    const QString host = QUrl(SiteUrl).authority();
    item("m23")->trigger();
    item("m24")->trigger();
    EXPECT_EQ(opened, (QStringList{QStringLiteral("https://%1/register/").arg(host),
                                   QStringLiteral("https://%1/register/getpassword.asp").arg(host)}));
    platform::setShellOpener(nullptr);
    // "退出系统" unloads the main window.
    item("m26")->trigger();
    EXPECT_TRUE(waitUntil([] { return !platform::isLoaded<MainForm>(); }, 5000));
}

// The simulated configuration's "adno" fills the text advert across the advert strip.
TEST_F(CommandsOnDisplay, TextAdvertInTheAdvertStrip) {
    MainForm& main = loginToMain();
    ASSERT_NE(main.TextAD, nullptr);
    ASSERT_TRUE(waitUntil([&main] { return main.TextAD->isVisible(); }, 5000)) << "no text advert";
    EXPECT_TRUE(main.TextAD->text().contains(QStringLiteral("新用户注册即送一个月VIP实时行情服务，点击了解详情")));
    EXPECT_EQ(main.TextAD->toolTip(), SiteUrl + QStringLiteral("vip.asp"));
    EXPECT_EQ(main.TextAD->width(), main.YYMZ->width());
    EXPECT_EQ(main.TextAD->mapTo(&main, QPoint(0, 0)), main.YYMZ->mapTo(&main, QPoint(0, 0)));
    platform::pauseMs(300);
    // The strip with a little of the window above it, as a user sees it.
    const QRect strip = main.YYMZ->geometry().adjusted(0, -40, 0, 0).intersected(main.rect());
    const QImage picture = main.grab(strip).toImage();
    savePicture(picture, QStringLiteral("text_advert.png"));
    // The advert's own colours are there: its light strip and its dark red text.
    const QImage ad = main.TextAD->grab().toImage();
    int red = 0;
    for (int y = 0; y < ad.height(); ++y)
        for (int x = 0; x < ad.width(); ++x) {
            const QColor c = ad.pixelColor(x, y);
            red += c.red() > 0x70 && c.green() < 0x50 && c.blue() < 0x50;
        }
    EXPECT_GT(red, 50) << "no text drawn in the advert";
}

// The real program as a child process on the desktop: its toolbar's copy button and its keys,
// with the desktop's clipboard read by this process, another client of the display.
class CommandsOfTheRealProgram : public ProgramBesideTheMainWindow {
protected:
    CommandsOfTheRealProgram() : ProgramBesideTheMainWindow(QStringLiteral("COMMANDS")) {}
};

TEST_F(CommandsOfTheRealProgram, CopyButtonEscAndAltZ) {
    const QPoint button = toolbarButton(QStringLiteral("copyprice"));
    ASSERT_FALSE(button.isNull()) << "no copy button on the toolbar";

    // The program starts on the intraday tab, remembered from its last run.
    const QString main = startLoggedIn({{QStringLiteral("tab"), QStringLiteral("2")}}, QStringLiteral("test"),
                                       QStringLiteral("quarmelo"));
    ASSERT_FALSE(main.isEmpty()) << program.output();
    const QProcess& run = *process;
    const QString host = hostsOf(*service).front();

    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(QStringLiteral("before"));
    QTest::qWait(200);
    desktop::clickIn(main, button);
    QString copied;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            copied = clipboard->text();
            return copied != u"before" && !copied.isEmpty();
        },
        10000))
        << "the copy button put nothing on the clipboard";
    EXPECT_TRUE(copied.endsWith(QStringLiteral("\r\n由Quillor提供 ") + QStringLiteral("http://%1/").arg(host)))
        << copied.toStdString();
    EXPECT_GE(copied.count(QStringLiteral("\r\n")), 3) << copied.toStdString();
    // The notice closes by itself after three seconds.
    EXPECT_FALSE(desktop::waitForWindow(run, QStringLiteral("^复制信息$"), {}, 5000).isEmpty());
    EXPECT_TRUE(QTest::qWaitFor([&] { return desktop::shownWindows(program.pid(), QStringLiteral("^复制信息$")).isEmpty(); },
                                8000));

    // Alt+Z: the report replaces the quote; its notice waits for the user.
    desktop::press(main, QStringLiteral("alt+z"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return clipboard->text().startsWith(QStringLiteral("程序启动时间：")); }, 10000))
        << clipboard->text().toStdString();
    const QStringList report = clipboard->text().split(QStringLiteral("\r\n"));
    ASSERT_GE(report.size(), 5);
    EXPECT_TRUE(report[4].startsWith(QStringLiteral("数据服务器IP: 127.0.0.1 速度:"))) << report[4].toStdString();
    EXPECT_NE(report[4].section(u':', 2), QStringLiteral("-1")) << report[4].toStdString();
    const QString notice = desktop::waitForWindow(run, QStringLiteral("^复制软件环境信息$"));
    ASSERT_FALSE(notice.isEmpty()) << "no report notice";
    if (QScreen* screen = QGuiApplication::primaryScreen())
        savePicture(screen->grabWindow(0).toImage(), QStringLiteral("report_notice.png"));
    desktop::press(notice, QStringLiteral("Escape"));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return desktop::shownWindows(program.pid(), QStringLiteral("^复制软件环境信息$")).isEmpty(); }, 5000));

    // Esc brings the quote board forward, in place of the intraday chart; the program keeps the tab
    // it ends on.
    const QRect client = desktop::placement(main).client;
    const auto tabArea = [&client] {
        const QImage screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
        return screen.copy(client.x(), client.y() + 100, client.width() * 3 / 4, client.height() / 2);
    };
    const QImage chartShown = tabArea();
    desktop::press(main, QStringLiteral("Escape"));
    QTest::qWait(500);
    const QImage boardShown = tabArea();
    int differing = 0;
    for (int y = 0; y < chartShown.height(); y += 4)
        for (int x = 0; x < chartShown.width(); x += 4)
            differing += chartShown.pixel(x, y) != boardShown.pixel(x, y);
    EXPECT_GT(differing, chartShown.width() * chartShown.height() / 16 / 4) << "Esc changed little on the screen";
    savePicture(boardShown, QStringLiteral("after_escape.png"));
    desktop::press(main, QStringLiteral("alt+F4"));
    ASSERT_TRUE(endsWithin(run, kPatienceMs)) << program.output();
    QFile ini(program.path(QStringLiteral("set.ini")));
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    const QByteArray settings = ini.readAll();
    EXPECT_TRUE(settings.contains("\r\ntab=1\r\n")) << settings.toStdString();
}

} // namespace
