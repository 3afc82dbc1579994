// The K-line tab as a user reaches it, on a real display (run under xvfb-run and tools/withwm.sh)
// against the simulated service: the mouse and the keyboard go through the X server (xdotool) to
// the window the window manager shows. A click on the tab's place on the tab strip, a click on
// the chart for the keys, the plus and minus keys and buttons, the period buttons, and the
// crosshair with its data window. Pictures: <build dir>/gallery/program/
//   kline_daily.png            the tab as the click on it shows it: daily bars
//   kline_15min_crosshair.png  the screen with 15-minute bars, crosshair mode and the data window
//   kline_weekly.png           weekly bars, crosshair mode still on
#include "charts/kline.h"
#include "charts/klinebars.h"
#include "mainwindow/mainform.h"
#include "platform/eventwait.h"
#include "platform/forms.h"
#include "state/quotetables.h"
#include "tests/mainwindow/mainondisplay.h"
#include "tests/support/childprogram.h"
#include "tests/support/forms.h"
#include "widgets/tabstrip/docktabcontrol.h"

#include <QGuiApplication>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>

namespace {

class KlineOnDisplay : public MainOnDisplay {
protected:
    KlineOnDisplay() : MainOnDisplay(QStringLiteral("KLINE")) {}

    // The main window's X window, for xdotool.
    [[nodiscard]] QString window() const { return QString::number(Main().winId()); }

    // A left click at a point of a widget of the main window, through the X server.
    void clickOn(QWidget* w, QPoint at) const {
        desktop::clickIn(window(), w->mapTo(&Main(), at));
        platform::pauseMs(150);
    }
    void clickOn(QWidget* w) const { clickOn(w, w->rect().center()); }

    // The important broadcasts of the day stand in boxes in the middle of the screen, over the
    // chart: the user closes each with Esc.
    static void dismissBoxes() {
        for (Msgform* box : openBoxes()) {
            desktop::press(QString::number(box->winId()), QStringLiteral("Escape"));
            EXPECT_TRUE(waitUntil([&] { return !openBoxes().contains(box); }, 3000))
                << "Esc did not close " << box->windowTitle().toStdString();
        }
    }

    // Keys typed on the keyboard into the main window ("Down", "plus", "KP_Subtract").
    void type(const QString& keys) const {
        desktop::press(window(), keys);
        platform::pauseMs(150);
    }
};

} // namespace

TEST_F(KlineOnDisplay, PeriodsKeysAndCrosshairOnTheKlineTab) {
    MainForm& main = loginToMain();
    ASSERT_TRUE(service && MainStarted);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    ASSERT_TRUE(waitUntil([] { return ProdCount > 0; }, 10000));
    platform::pauseMs(500);
    dismissBoxes();

    // The K-line tab, clicked where the tab strip's layout puts it.
    ASSERT_EQ(main.Maintab->Tabs().Item(3).Caption(), QStringLiteral("K线图 "));
    const tabstrip::LayoutResult& strip = main.Maintab->layout();
    ASSERT_GE(strip.paintedCount, 3);
    const tabstrip::Rect tab = strip.painted[2];
    ASSERT_GT(tab.width(), 0);
    clickOn(main.Maintab, QPoint((tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2));
    ASSERT_TRUE(waitUntil([] { return CurTab == 3; }, 5000))
        << "the click on the tab did not select it";
    auto* klines = main.findChild<Kline*>(QStringLiteral("Klines"));
    ASSERT_NE(klines, nullptr);
    ASSERT_TRUE(waitUntil([&] { return klines->isVisible() && klines->dataReady(); }, 10000));
    EXPECT_GT(klines->width(), 600);
    EXPECT_EQ(klines->Label6.Caption, QStringLiteral("日线图"));
    // A year of history: the default number of daily bars.
    const qsizetype daily = klines->bars().size();
    ASSERT_EQ(daily, kBarCountDefault + 1);

    // The button bar stands centred over the chart by the width its buttons take here.
    const QWidget* bar = main.Frame4;
    const int leftMargin = bar->x();
    const int rightMargin = bar->parentWidget()->width() - (bar->x() + bar->width());
    EXPECT_LE(std::abs(leftMargin - rightMargin), 1) << leftMargin << ' ' << rightMargin;
    EXPECT_GE(bar->width(), bar->minimumWidth());
    savePicture(main.grab().toImage(), QStringLiteral("kline_daily.png"));

    // A click on the chart gives it the keyboard; a plain click leaves no crosshair behind.
    dismissBoxes();
    clickOn(klines);
    ASSERT_TRUE(waitUntil([&] { return klines->hasFocus(); }, 3000))
        << "the click did not give the chart the keys";
    EXPECT_FALSE(klines->Linex.Visible);

    // Fewer bars and more, five at a time, from the arrows, the "-" and "+" keys of the main
    // keyboard and of the numeric pad, and the "－" and "＋" buttons.
    const auto barsBecome = [&](qsizetype n) {
        return waitUntil([&] { return klines->bars().size() == n; }, 3000);
    };
    struct Step {
        const char* what;
        std::function<void()> act;
        qsizetype bars;
    } steps[] = {
        {"Down", [&] { type(QStringLiteral("Down")); }, daily - 5},
        {"Up", [&] { type(QStringLiteral("Up")); }, daily},
        {"minus", [&] { type(QStringLiteral("minus")); }, daily - 5},
        {"plus", [&] { type(QStringLiteral("plus")); }, daily},
        {"KP_Subtract", [&] { type(QStringLiteral("KP_Subtract")); }, daily - 5},
        {"KP_Add", [&] { type(QStringLiteral("KP_Add")); }, daily},
        {"the － button", [&] { clickOn(main.findChild<QPushButton*>(QStringLiteral("Kjian"))); },
         daily - 5},
        {"the ＋ button", [&] { clickOn(main.findChild<QPushButton*>(QStringLiteral("Kjia"))); },
         daily},
        {"the ＋ button again",
         [&] { clickOn(main.findChild<QPushButton*>(QStringLiteral("Kjia"))); }, daily + 5},
        {"Down after it", [&] { type(QStringLiteral("Down")); }, daily},
    };
    for (const Step& s : steps) {
        s.act();
        EXPECT_TRUE(barsBecome(s.bars))
            << s.what << ": " << klines->bars().size() << " bars, not " << s.bars;
    }
    EXPECT_TRUE(klines->hasFocus()) << "the buttons took the keyboard from the chart";

    // The 15-minute button: the keys no longer change the number of bars.
    auto* fifteen = main.findChild<QRadioButton*>(QStringLiteral("kOptions4"));
    ASSERT_NE(fifteen, nullptr);
    clickOn(fifteen, QPoint(8, fifteen->height() / 2));
    ASSERT_TRUE(waitUntil([&] { return klines->Label6.Caption == QStringLiteral("15分钟图"); }, 5000));
    EXPECT_EQ(klines->bars().size(), 192);
    type(QStringLiteral("Down"));
    EXPECT_EQ(klines->bars().size(), 192);

    // Crosshair mode: a double click opens the data window, the mouse moved without a button
    // carries the crosshair and fills the window with the bar under it. The control's events
    // come in the order a double click gives them: the second press raises DblClick only.
    QStringList events;
    const QObject listening; // the connections end with this test, before the control does
    const auto button = [&events](const char* name) {
        return [&events, name](int16_t b, int16_t, float, float) {
            events << QStringLiteral("%1 %2").arg(QLatin1String(name)).arg(b);
        };
    };
    QObject::connect(klines, &Kline::MouseDown, &listening, button("MouseDown"));
    QObject::connect(klines, &Kline::MouseUp, &listening, button("MouseUp"));
    QObject::connect(klines, &Kline::Click, &listening,
                     [&events] { events << QStringLiteral("Click"); });
    QObject::connect(klines, &Kline::DblClick, &listening,
                     [&events] { events << QStringLiteral("DblClick"); });
    const QPoint at = klines->mapTo(&main, QPoint(klines->width() / 3, klines->height() / 2));
    desktop::tool(QStringLiteral("xdotool"),
                  {QStringLiteral("mousemove"), QStringLiteral("--window"), window(),
                   QString::number(at.x()), QString::number(at.y()), QStringLiteral("click"),
                   QStringLiteral("--repeat"), QStringLiteral("2"), QStringLiteral("--delay"),
                   QStringLiteral("80"), QStringLiteral("1")});
    ASSERT_TRUE(waitUntil(
        [] { return platform::isLoaded<KlineForms>() && Klineforms().isVisible(); }, 3000))
        << "the double click did not open the data window";
    EXPECT_TRUE(klines->crossOn());
    // Under the window manager the data window stays off the chart's head rows.
    const QRect heads(klines->mapToGlobal(QPoint(0, 0)),
                      QSize(klines->width(),
                            static_cast<int>(std::ceil((klines->Label1s[0].Top + klines->Label1s[0].Height) / 15))));
    platform::pauseMs(300); // the window manager has framed and placed it
    EXPECT_FALSE(Klineforms().frameGeometry().intersects(heads))
        << "the data window covers the head rows";
    EXPECT_EQ(events.join(u", "),
              QStringLiteral("MouseDown 1, MouseUp 1, Click, DblClick, MouseUp 1"));
    const QPoint moved = at + QPoint(40, -30);
    desktop::tool(QStringLiteral("xdotool"),
                  {QStringLiteral("mousemove"), QStringLiteral("--window"), window(),
                   QString::number(moved.x()), QString::number(moved.y())});
    const double movedX = klines->mapFrom(&main, moved).x() * 15.0;
    ASSERT_TRUE(waitUntil([&] { return std::abs(klines->Liney.X1 - movedX) < 1; }, 3000))
        << "the crosshair did not follow the mouse: " << klines->Liney.X1 << " twips, not "
        << movedX;
    EXPECT_TRUE(klines->Linex.Visible);
    EXPECT_TRUE(klines->Labely.Visible);
    EXPECT_EQ(Klineforms().klfLabels[15]->text(),
              klines->bars()[klines->curBar()].section(u',', 0, 0));
    platform::pauseMs(200);
    savePicture(QGuiApplication::primaryScreen()->grabWindow(0).toImage(),
                QStringLiteral("kline_15min_crosshair.png"));

    // The weekly button; then a double click ends crosshair mode and closes the data window.
    auto* weekly = main.findChild<QRadioButton*>(QStringLiteral("kOptions1"));
    ASSERT_NE(weekly, nullptr);
    clickOn(weekly, QPoint(8, weekly->height() / 2));
    ASSERT_TRUE(waitUntil([&] { return klines->Label6.Caption == QStringLiteral("周线图"); }, 5000));
    platform::pauseMs(200);
    savePicture(main.grab().toImage(), QStringLiteral("kline_weekly.png"));
    desktop::tool(QStringLiteral("xdotool"),
                  {QStringLiteral("mousemove"), QStringLiteral("--window"), window(),
                   QString::number(at.x()), QString::number(at.y()), QStringLiteral("click"),
                   QStringLiteral("--repeat"), QStringLiteral("2"), QStringLiteral("--delay"),
                   QStringLiteral("80"), QStringLiteral("1")});
    EXPECT_TRUE(waitUntil([] { return !platform::isLoaded<KlineForms>(); }, 3000));
    EXPECT_FALSE(klines->crossOn());
}
