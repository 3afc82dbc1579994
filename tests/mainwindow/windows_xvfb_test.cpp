// The program's windows as one family on the desktop: the real program as a child process under
// a window manager, its windows read with xprop and xwininfo, driven with xdotool.
#include "tests/support/desktopprogram.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

constexpr int kPatienceMs = 30000;

QString tool(const QStringList& args) { return desktop::tool(QStringLiteral("xdotool"), args); }

// The client windows from the bottom of the stack to its top, as the window manager keeps them.
QStringList stacking() {
    const QString line = desktop::tool(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_CLIENT_LIST_STACKING")});
    QStringList ids;
    for (const QString& hex : line.mid(line.indexOf(u'#') + 1).split(u',', Qt::SkipEmptyParts))
        ids << QString::number(hex.trimmed().toULongLong(nullptr, 16));
    return ids;
}

// The window's owner on the window manager; empty without one.
QString transientFor(const QString& window) {
    const QString line = desktop::tool(QStringLiteral("xprop"), {QStringLiteral("-id"), window, QStringLiteral("WM_TRANSIENT_FOR")});
    const qsizetype hash = line.indexOf(u'#');
    return hash < 0 ? QString() : QString::number(line.mid(hash + 1).trimmed().toULongLong(nullptr, 16));
}

bool skipsTaskbar(const QString& window) {
    return desktop::netWmState(window).contains(QStringLiteral("_NET_WM_STATE_SKIP_TASKBAR"));
}

bool above(const QString& window) {
    return desktop::netWmState(window).contains(QStringLiteral("_NET_WM_STATE_ABOVE"));
}

// The window that has the keyboard focus, as the window manager tells it.
QString activeWindow() {
    const QString line = desktop::tool(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_ACTIVE_WINDOW")});
    const qsizetype hash = line.indexOf(u'#');
    return hash < 0 ? QString() : QString::number(line.mid(hash + 1).trimmed().toULongLong(nullptr, 16));
}

// How much of `area` of the screen shows the colour `colour`, from 0 to 1.
double shareOf(const QImage& shot, const QRect& area, QRgb colour) {
    int hits = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            hits += (shot.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
    return area.isEmpty() ? 0.0 : static_cast<double>(hits) / (area.width() * area.height());
}

class WindowsOnTheDesktop : public DesktopProgramTest {
protected:
    // The program with the demo login remembered; its main window once it shows quotes, with the
    // notices of the log-in still open.
    // `settings` besides the log-in; `user` and `password` another account's.
    QString start(QList<std::pair<QString, QString>> settings = {}, const QString& user = QStringLiteral("test"),
                  const QString& password = QStringLiteral("quarmelo")) {
        startRemembered(std::move(settings), user, password);
        const QString main = desktop::waitForWindow(*process, QStringLiteral("^Quillor V"), {}, kPatienceMs);
        if (main.isEmpty())
            return main;
        EXPECT_TRUE(QTest::qWaitFor([&] { return desktop::isMaximised(main); }, kPatienceMs));
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return !service->requestLog().filter(QStringLiteral("m=now-price")).isEmpty(); }, kPatienceMs));
        QTest::qWait(2000);
        return main;
    }

    // The titles of the program's shown windows, the tray icon among them, sorted. (The tray
    // icon and the mini window come back as new windows: their titles tell them.)
    [[nodiscard]] QStringList shown() const {
        QStringList titles;
        for (const QString& w : desktop::shownWindows(program.pid(), QStringLiteral(".*")))
            titles << desktop::windowName(w);
        titles.sort();
        return titles;
    }

    static QImage screen() { return QGuiApplication::primaryScreen()->grabWindow(0).toImage(); }

    // The program's notices on screen once they have all come: they map one after another, and
    // the focus, which ends on the newest, must be on one of them.
    [[nodiscard]] QStringList settledNotices() const {
        const auto onScreen = [this] {
            QStringList windows = desktop::shownWindows(program.pid(), QStringLiteral("播报"));
            windows.sort();
            return windows;
        };
        QStringList notices = onScreen();
        QElapsedTimer unchanged;
        unchanged.start();
        const bool settled = QTest::qWaitFor(
            [&] {
                const QStringList now = onScreen();
                if (now != notices) {
                    notices = now;
                    unchanged.restart();
                }
                return unchanged.elapsed() >= 700 && notices.contains(activeWindow());
            },
            8000);
        EXPECT_TRUE(settled) << "the focus is elsewhere: " << activeWindow().toStdString() << ", the notices "
                             << notices.join(u' ').toStdString();
        return notices;
    }
};

// The settings dialog and the notices are owned by the main window: transient for it, above it
// after a click on it, out of the taskbar, centred on it; the mini window keeps its own state
// through a change of its stacking; the boss key hides them all and brings exactly them back.
TEST_F(WindowsOnTheDesktop, OwnedWindowsStayWithTheMainWindow) {
    const QString main = start();
    ASSERT_FALSE(main.isEmpty()) << "no main window: " << program.output();

    // The broadcasts the service sends at log-in come as notices owned by the main window: out of
    // the taskbar and above every window, its own included (window managers keep a transient
    // window in its owner's layer, so they are not transient for it). They come after it and
    // have the keyboard focus, the newest on top.
    const QStringList notices = settledNotices();
    ASSERT_FALSE(notices.isEmpty()) << "no notices at log-in";
    for (const QString& box : notices) {
        EXPECT_NE(transientFor(box), main);
        EXPECT_TRUE(skipsTaskbar(box)) << desktop::netWmState(box).join(u' ').toStdString();
        EXPECT_TRUE(above(box)) << desktop::netWmState(box).join(u' ').toStdString();
    }
    // Enter and Space press a notice's "确定"; the first Enter goes to the notice in front.
    tool({QStringLiteral("key"), QStringLiteral("--clearmodifiers"), QStringLiteral("Return")});
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return desktop::shownWindows(program.pid(), QStringLiteral("播报")).size() == notices.size() - 1; }, 5000))
        << "Enter right after log-in closed no notice";
    for (qsizetype i = 0; i < notices.size(); ++i)
        if (desktop::placement(notices[i]).viewable)
            desktop::press(notices[i], i % 2 == 0 ? QStringLiteral("Return") : QStringLiteral("space"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return desktop::shownWindows(program.pid(), QStringLiteral("播报")).isEmpty(); }, 5000))
        << "Enter or Space left a notice open";

    // The toolbar's "程序设置", which sits at the same place of the maximised window on every run.
    const QRect mainClient = desktop::placement(main).client;
    desktop::clickAt(mainClient.topLeft() + QPoint(105, 30));
    const QString settings = desktop::waitForWindow(*process, QStringLiteral("^程序设置"), {}, 10000);
    ASSERT_FALSE(settings.isEmpty()) << "the settings dialog did not open";
    QTest::qWait(500);
    EXPECT_EQ(transientFor(settings), main);
    EXPECT_TRUE(skipsTaskbar(settings)) << desktop::netWmState(settings).join(u' ').toStdString();
    const QRect placed = desktop::placement(settings).client;
    EXPECT_LE((placed.center() - mainClient.center()).manhattanLength(), 60)
        << "not centred on the main window: " << placed.x() << "," << placed.y();

    // A click on the main window's board, away from the dialog, leaves the dialog above it.
    desktop::clickAt(mainClient.topLeft() + QPoint(150, mainClient.height() - 150));
    QTest::qWait(800);
    const QStringList stack = stacking();
    EXPECT_GT(stack.indexOf(settings), stack.indexOf(main)) << "the dialog went behind the main window";
    savePicture(screen(), QStringLiteral("settings_over_main.png"));

    // "窗体置顶显示" off and on again: the mini window stays the same window, out of the taskbar.
    const QString mini = desktop::waitForWindow(*process, QStringLiteral("^Mini$"), {}, 5000);
    ASSERT_FALSE(mini.isEmpty());
    const QPoint topmostBox = placed.topLeft() + QPoint(306, 213);
    desktop::clickAt(topmostBox);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return !desktop::netWmState(mini).contains(QStringLiteral("_NET_WM_STATE_ABOVE")); }, 3000))
        << "the box did not take the mini window off the top";
    desktop::clickAt(topmostBox);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return desktop::netWmState(mini).contains(QStringLiteral("_NET_WM_STATE_ABOVE")); }, 3000));
    EXPECT_TRUE(skipsTaskbar(mini)) << desktop::netWmState(mini).join(u' ').toStdString();
    EXPECT_EQ(desktop::shownWindows(program.pid(), QStringLiteral("^Mini$")), QStringList{mini})
        << "the mini window was made again";

    // From the toolbar: the position calculator is owned like the dialog; the expression
    // calculator is a free window with its own taskbar entry.
    const struct {
        const char* title;
        int x;
        bool owned;
    } tools[] = {{"^仓位计算器", 350, true}, {"^计算器", 268, false}};
    for (const auto& t : tools) {
        desktop::clickAt(mainClient.topLeft() + QPoint(t.x, 30));
        const QString window = desktop::waitForWindow(*process, QString::fromUtf8(t.title), {}, 10000);
        ASSERT_FALSE(window.isEmpty()) << t.title << " did not open";
        QTest::qWait(300);
        EXPECT_EQ(transientFor(window), t.owned ? main : QString()) << t.title;
        EXPECT_EQ(skipsTaskbar(window), t.owned) << t.title;
        // An owned window opens on its owner, a free one in the middle of the work area; neither
        // at the screen's corner over the toolbar.
        const QRect at = desktop::placement(window).client;
        EXPECT_FALSE(at.x() < 40 && at.y() < mainClient.top() + 60) << t.title << " opened over the toolbar";
        if (!t.owned) {
            const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
            EXPECT_LE((at.center() - area.center()).manhattanLength(), 40)
                << t.title << " not centred on the work area: " << at.x() << "," << at.y();
        }
    }

    // The boss key: nothing of the program stays in sight; the next press brings those back.
    const QStringList before = shown();
    ASSERT_TRUE(before.contains(desktop::windowName(settings)));
    tool({QStringLiteral("key"), QStringLiteral("--clearmodifiers"), QStringLiteral("ctrl+alt+w")});
    EXPECT_TRUE(QTest::qWaitFor([&] { return shown().isEmpty(); }, 5000))
        << "still in sight: " << shown().join(u' ').toStdString();
    tool({QStringLiteral("key"), QStringLiteral("--clearmodifiers"), QStringLiteral("ctrl+alt+w")});
    QStringList after;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            after = shown();
            return after == before;
        },
        5000))
        << "before: " << before.join(u'|').toStdString() << " after: " << after.join(u'|').toStdString();
    EXPECT_EQ(desktop::placement(settings).client.topLeft(), placed.topLeft()) << "the dialog moved";
}

// The boss key brings a minimised main window back in front and with the keyboard focus, as a
// user restoring it would have it.
TEST_F(WindowsOnTheDesktop, TheBossKeyBringsAMinimisedMainWindowBackWithTheFocus) {
    const QString main = start();
    ASSERT_FALSE(main.isEmpty()) << "no main window: " << program.output();
    for (const QString& box : settledNotices())
        desktop::press(box, QStringLiteral("Return"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return desktop::shownWindows(program.pid(), QStringLiteral("播报")).isEmpty(); }, 5000));
    tool({QStringLiteral("windowminimize"), main});
    ASSERT_TRUE(QTest::qWaitFor([&] { return !desktop::placement(main).viewable; }, 5000)) << "not minimised";
    tool({QStringLiteral("key"), QStringLiteral("--clearmodifiers"), QStringLiteral("ctrl+alt+w")});
    EXPECT_TRUE(QTest::qWaitFor([&] { return desktop::placement(main).viewable && activeWindow() == main; }, 5000))
        << "the focus is elsewhere: " << activeWindow().toStdString();
}

// The tray menu's market list: every instrument from the first, the current one ticked; a choice
// switches the program's instrument as the main window's selector does, down to set.ini.
TEST_F(WindowsOnTheDesktop, TrayMenuChoosesTheInstrument) {
    const QString main = start();
    ASSERT_FALSE(main.isEmpty()) << "no main window: " << program.output();
    for (const QString& box : desktop::shownWindows(program.pid(), QStringLiteral("播报")))
        desktop::press(box, QStringLiteral("Return"));
    QRect icon;
    ASSERT_TRUE(QTest::qWaitFor([&] { return !(icon = trayIcon()).isEmpty(); }, kPatienceMs)) << "no tray icon";

    // Right button on the icon; "选择市场" is the third entry; its third instrument.
    tool({QStringLiteral("mousemove"), QString::number(icon.center().x()), QString::number(icon.center().y()),
          QStringLiteral("click"), QStringLiteral("3")});
    QTest::qWait(800);
    tool({QStringLiteral("key"), QStringLiteral("Down"), QStringLiteral("Down"), QStringLiteral("Down"),
          QStringLiteral("Right")});
    QTest::qWait(400);
    tool({QStringLiteral("key"), QStringLiteral("Down"), QStringLiteral("Down")});
    QTest::qWait(400);
    savePicture(screen(), QStringLiteral("tray_menu_markets.png"));
    tool({QStringLiteral("key"), QStringLiteral("Return")});
    QTest::qWait(1500);

    // The mini window's caption names the instrument chosen.
    savePicture(screen(), QStringLiteral("tray_menu_market_chosen.png"));
    // "复制当前行情信息" (the fifth entry) copies the quote of the instrument now current.
    QGuiApplication::clipboard()->clear();
    tool({QStringLiteral("mousemove"), QString::number(icon.center().x()), QString::number(icon.center().y()),
          QStringLiteral("click"), QStringLiteral("3")});
    QTest::qWait(800);
    tool({QStringLiteral("key"), QStringLiteral("Down"), QStringLiteral("Down"), QStringLiteral("Down"),
          QStringLiteral("Down"), QStringLiteral("Return")});
    QString copied;
    EXPECT_TRUE(QTest::qWaitFor([&] { return !(copied = QGuiApplication::clipboard()->text()).isEmpty(); }, 5000));
    EXPECT_TRUE(copied.contains(QStringLiteral("美元账户黄金"))) << copied.toStdString();
    EXPECT_FALSE(copied.startsWith(QStringLiteral("人民币账户"))) << copied.toStdString();

    // The choice is what the program keeps: the third instrument, index 2.
    desktop::press(main, QStringLiteral("alt+F4"));
    ASSERT_TRUE(endsWithin(*process, kPatienceMs)) << program.output();
    QFile file(program.path(QStringLiteral("set.ini")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("Drawtype=2\r\n"));
}

// "程序设置" chosen in the tray menu while the main window sits in the tray opens the settings at
// once: the user asked for them, and nothing on screen would otherwise answer the choice.
TEST_F(WindowsOnTheDesktop, TrayMenuOpensTheSettingsWhileTheMainWindowIsInTheTray) {
    const QString host = QStringLiteral("127.0.0.1:%1").arg(service->httpPort());
    ASSERT_TRUE(program.writeSettings({{QStringLiteral("armin"), QStringLiteral("1")},
                                       {QStringLiteral("autologin"), QStringLiteral("1")},
                                       {QStringLiteral("username"), QStringLiteral("test")},
                                       {QStringLiteral("userpass"), EncodeText(QStringLiteral("quarmelo"))}}));
    process = &program.start({host, host, host});
    QRect icon;
    ASSERT_TRUE(QTest::qWaitFor([&] { return !(icon = trayIcon()).isEmpty(); }, kPatienceMs)) << program.output();
    ASSERT_TRUE(QTest::qWaitFor([&] { return service->requestLog().filter(QStringLiteral("m=now-price")).size() > 0; },
                                kPatienceMs));
    ASSERT_TRUE(desktop::shownWindows(program.pid(), QStringLiteral("^Quillor V")).isEmpty()) << "not in the tray";

    // Right button on the icon; "程序设置" is the second entry.
    tool({QStringLiteral("mousemove"), QString::number(icon.center().x()), QString::number(icon.center().y()),
          QStringLiteral("click"), QStringLiteral("3")});
    QTest::qWait(800);
    tool({QStringLiteral("key"), QStringLiteral("Down"), QStringLiteral("Down"), QStringLiteral("Return")});
    const QString settings = desktop::waitForWindow(*process, QStringLiteral("^程序设置"), {}, 5000);
    ASSERT_FALSE(settings.isEmpty()) << "the settings waited for the main window";
    EXPECT_TRUE(desktop::placement(settings).viewable);
    EXPECT_TRUE(skipsTaskbar(settings)) << desktop::netWmState(settings).join(u' ').toStdString();
    desktop::press(settings, QStringLiteral("Escape"));
}

// A member's alert that rings at the first quote: its pop-up is owned by the main window, kept on
// top of every window, out of the taskbar, and stays in sight when the user clicks the main window.
TEST_F(WindowsOnTheDesktop, AlertPopUpStaysInSightAfterAClickOnTheMainWindow) {
    const QString main = start({{QStringLiteral("tx"), QStringLiteral("1")},
                                {QStringLiteral("tx1"), QStringLiteral("0,0,0.01")}},
                               QStringLiteral("vip"), QStringLiteral("vip888"));
    ASSERT_FALSE(main.isEmpty()) << "no main window: " << program.output();
    const QString popUp = desktop::waitForWindow(*process, QStringLiteral("^提醒$"), {}, kPatienceMs);
    ASSERT_FALSE(popUp.isEmpty()) << "the alert did not ring";
    QTest::qWait(500);
    // Above its owner by being above all: a transient window would share its owner's layer.
    EXPECT_NE(transientFor(popUp), main);
    EXPECT_TRUE(skipsTaskbar(popUp)) << desktop::netWmState(popUp).join(u' ').toStdString();
    EXPECT_TRUE(desktop::netWmState(popUp).contains(QStringLiteral("_NET_WM_STATE_ABOVE")));
    const QRect mainClient = desktop::placement(main).client;
    EXPECT_LE((desktop::placement(popUp).client.center() - mainClient.center()).manhattanLength(), 60)
        << "not centred on the main window";

    for (int click = 0; click < 3; ++click) {
        desktop::clickAt(mainClient.topLeft() + QPoint(150 + 40 * click, mainClient.height() - 150));
        QTest::qWait(500);
    }
    // The pop-up's face is light; the board under it is black.
    const QImage shot = screen();
    savePicture(shot, QStringLiteral("alert_popup_after_click_on_main.png"));
    const QRect face = desktop::placement(popUp).client;
    ASSERT_TRUE(desktop::placement(popUp).viewable);
    int light = 0;
    for (int y = face.top(); y <= face.bottom(); ++y)
        for (int x = face.left(); x <= face.right(); ++x)
            light += qGray(shot.pixel(x, y)) > 150;
    EXPECT_GT(light, face.width() * face.height() / 2) << "the pop-up is covered";
}

// The mini window stays out of the taskbar through every change the user can make to it: its
// stacking flag, the boss key's hide and show, and switching it off and on, which may each give
// it a new native window. Each step asks the window on screen now, not the one seen before.
TEST_F(WindowsOnTheDesktop, MiniWindowStaysOutOfTheTaskbarThroughEveryStep) {
    const QString main = start();
    ASSERT_FALSE(main.isEmpty()) << "no main window: " << program.output();
    for (const QString& box : desktop::shownWindows(program.pid(), QStringLiteral("播报")))
        desktop::press(box, QStringLiteral("Return"));
    const QRect mainClient = desktop::placement(main).client;
    QString settings;
    QPoint dialog;
    const auto openSettings = [&] {
        desktop::clickAt(mainClient.topLeft() + QPoint(105, 30));
        settings = desktop::waitForWindow(*process, QStringLiteral("^程序设置"), {}, 10000);
        ASSERT_FALSE(settings.isEmpty()) << "the settings dialog did not open";
        QTest::qWait(500);
        dialog = desktop::placement(settings).client.topLeft();
    };
    const auto click = [&](QPoint at) {
        desktop::clickAt(dialog + at);
        QTest::qWait(600);
    };
    const QPoint topmostBox(306, 213);
    const QPoint miniBox(306, 189);
    const auto closeSettings = [&] {
        desktop::press(settings, QStringLiteral("Escape"));
        ASSERT_TRUE(QTest::qWaitFor([&] { return !desktop::placement(settings).viewable; }, 5000));
    };
    const auto bossKey = [&] {
        tool({QStringLiteral("key"), QStringLiteral("--clearmodifiers"), QStringLiteral("ctrl+alt+w")});
        QTest::qWait(1200);
    };
    const struct {
        const char* step;
        std::function<void()> act;
        bool shown; // the mini window is on screen after the step
        bool onTop; // and above all others
    } steps[] = {
        {"settings opened", openSettings, true, true},
        {"窗体置顶显示 off", [&] { click(topmostBox); }, true, false},
        {"窗体置顶显示 on", [&] { click(topmostBox); }, true, true},
        {"settings closed", closeSettings, true, true},
        {"boss key hides", bossKey, false, true},
        {"boss key shows", bossKey, true, true},
        {"settings opened again", openSettings, true, true},
        {"显示浮动窗口 off", [&] { click(miniBox); }, false, true},
        {"显示浮动窗口 on", [&] { click(miniBox); }, true, true},
        {"窗体置顶显示 off again", [&] { click(topmostBox); }, true, false},
        {"settings closed again", closeSettings, true, false},
        {"boss key hides again", bossKey, false, false},
        {"boss key shows again", bossKey, true, false},
    };
    for (const auto& step : steps) {
        step.act();
        if (::testing::Test::HasFatalFailure())
            return;
        if (!step.shown) {
            EXPECT_TRUE(QTest::qWaitFor(
                [&] { return desktop::shownWindows(program.pid(), QStringLiteral("^Mini$")).isEmpty(); }, 3000))
                << step.step << ": the mini window is still on screen";
            continue;
        }
        const QString mini = desktop::waitForWindow(*process, QStringLiteral("^Mini$"), {}, 5000);
        ASSERT_FALSE(mini.isEmpty()) << step.step << ": no mini window on screen";
        // The window manager may take a moment to hear of a window made again.
        EXPECT_TRUE(QTest::qWaitFor([&] { return skipsTaskbar(mini); }, 2000))
            << step.step << ": in the taskbar, " << desktop::netWmState(mini).join(u' ').toStdString();
        EXPECT_TRUE(QTest::qWaitFor([&] { return above(mini) == step.onTop; }, 2000))
            << step.step << ": " << desktop::netWmState(mini).join(u' ').toStdString();
    }
}

// Started minimised, the program's log-in notices wait for the main window: none is on the desktop
// or iconic out of sight while it is minimised, and they come with it, in front and with the
// focus, whether it comes back by the tray icon or by the boss key.
TEST_F(WindowsOnTheDesktop, NoticesOfAMinimisedStartComeWithTheMainWindow) {
    for (const bool byTray : {true, false}) {
        SCOPED_TRACE(byTray ? "restored from the tray" : "restored by the boss key");
        program.stop();
        const QString host = QStringLiteral("127.0.0.1:%1").arg(service->httpPort());
        ASSERT_TRUE(program.writeSettings({{QStringLiteral("armin"), QStringLiteral("1")},
                                           {QStringLiteral("autologin"), QStringLiteral("1")},
                                           {QStringLiteral("username"), QStringLiteral("test")},
                                           {QStringLiteral("userpass"), EncodeText(QStringLiteral("quarmelo"))}}));
        const qsizetype quotesBefore = service->requestLog().filter(QStringLiteral("m=now-price")).size();
        process = &program.start({host, host, host});
        QRect icon;
        ASSERT_TRUE(QTest::qWaitFor([&] { return !(icon = trayIcon()).isEmpty(); }, kPatienceMs)) << program.output();
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return service->requestLog().filter(QStringLiteral("m=now-price")).size() > quotesBefore; }, kPatienceMs));
        QTest::qWait(3000);
        EXPECT_TRUE(desktop::shownWindows(program.pid(), QStringLiteral("^Quillor V")).isEmpty()) << "not minimised";
        EXPECT_TRUE(desktop::shownWindows(program.pid(), QStringLiteral("播报")).isEmpty())
            << "a notice stands on the desktop while the main window is minimised";

        if (byTray) {
            desktop::clickAt(icon.center());
        } else {
            tool({QStringLiteral("key"), QStringLiteral("--clearmodifiers"), QStringLiteral("ctrl+alt+w")});
        }
        const QString main = desktop::waitForWindow(*process, QStringLiteral("^Quillor V"), {}, 10000);
        ASSERT_FALSE(main.isEmpty()) << "the main window did not come back";
        QStringList notices;
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return !(notices = desktop::shownWindows(program.pid(), QStringLiteral("播报"))).isEmpty(); }, 5000))
            << "the notices did not come with the main window";
        notices = settledNotices();
        for (const QString& box : notices) {
            EXPECT_TRUE(desktop::placement(box).viewable);
            EXPECT_FALSE(desktop::netWmState(box).contains(QStringLiteral("_NET_WM_STATE_HIDDEN")));
            EXPECT_TRUE(skipsTaskbar(box)) << desktop::netWmState(box).join(u' ').toStdString();
        }
        if (byTray)
            savePicture(screen(), QStringLiteral("minimised_start_restored_with_notices.png"));
    }
}

// Every alert pop-up of a run stays above another program's window, not the first alone: the
// first rings at the first quote, the second after an alert added in the editor.
TEST_F(WindowsOnTheDesktop, EveryAlertPopUpStaysAboveOtherPrograms) {
    const QString main = start({{QStringLiteral("tx"), QStringLiteral("1")},
                                {QStringLiteral("tx1"), QStringLiteral("0,0,0.01")}},
                               QStringLiteral("vip"), QStringLiteral("vip888"));
    ASSERT_FALSE(main.isEmpty()) << "no main window: " << program.output();
    for (const QString& box : desktop::shownWindows(program.pid(), QStringLiteral("播报")))
        desktop::press(box, QStringLiteral("Return"));

    // Another program's window, pure red, over the whole work area.
    QWidget other;
    other.setWindowTitle(QStringLiteral("another program"));
    QPalette red = other.palette();
    red.setColor(QPalette::Window, Qt::red);
    other.setPalette(red);
    other.setAutoFillBackground(true);
    other.setGeometry(QGuiApplication::primaryScreen()->availableGeometry().adjusted(10, 40, -10, -10));
    const auto coverWithOther = [&] {
        other.show();
        QTest::qWait(300);
        tool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), QString::number(other.winId())});
        tool({QStringLiteral("windowraise"), QString::number(other.winId())});
        QTest::qWait(800);
    };

    for (int ring = 1; ring <= 2; ++ring) {
        SCOPED_TRACE(ring == 1 ? "first pop-up" : "second pop-up");
        const QString popUp = desktop::waitForWindow(*process, QStringLiteral("^提醒$"), {}, kPatienceMs);
        ASSERT_FALSE(popUp.isEmpty()) << "the alert did not ring";
        QTest::qWait(500);
        EXPECT_TRUE(above(popUp)) << desktop::netWmState(popUp).join(u' ').toStdString();
        EXPECT_TRUE(skipsTaskbar(popUp)) << desktop::netWmState(popUp).join(u' ').toStdString();
        coverWithOther();
        const QRect face = desktop::placement(popUp).client;
        const QImage shot = screen();
        savePicture(shot, QStringLiteral("alert_popup_%1_over_another_program.png").arg(ring));
        EXPECT_LT(shareOf(shot, face, qRgb(255, 0, 0)), 0.05) << "another program's window covers the pop-up";
        EXPECT_TRUE(above(popUp)) << desktop::netWmState(popUp).join(u' ').toStdString();
        other.hide();
        desktop::press(popUp, QStringLiteral("Escape"));
        ASSERT_TRUE(QTest::qWaitFor([&] { return !desktop::placement(popUp).viewable; }, 5000));
        if (ring == 2)
            break;
        // A second alert, met by any price: the editor from the toolbar, a price, "添加", closed.
        desktop::clickIn(main, QPoint(200, 30));
        const QString editor = desktop::waitForWindow(*process, QStringLiteral("^预警提醒设置"), {}, 10000);
        ASSERT_FALSE(editor.isEmpty()) << "the alert editor did not open";
        QTest::qWait(500);
        desktop::clickIn(editor, QPoint(255, 17));
        tool({QStringLiteral("type"), QStringLiteral("0.01")});
        desktop::clickIn(editor, QPoint(390, 17));
        QTest::qWait(300);
        desktop::press(editor, QStringLiteral("alt+F4"));
        ASSERT_TRUE(QTest::qWaitFor([&] { return !desktop::placement(editor).viewable; }, 5000));
    }
}

} // namespace
