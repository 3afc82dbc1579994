// The K-line tab as a user reaches it, on a real display (run under xvfb-run and tools/withwm.sh)
// against the simulated service: the tab, the period buttons, the plus and minus keys and the
// crosshair with its data window. Pictures: <build dir>/gallery/program/kline_*.png
#include "charts/kline.h"
#include "charts/klinefeed.h"
#include "mainwindow/mainform.h"
#include "platform/eventwait.h"
#include "platform/fonts.h"
#include "platform/forms.h"
#include "shell/instance.h"
#include "shell/loginform.h"
#include "shell/mainwindowlink.h"
#include "simservice/simservice.h"
#include "state/configstate.h"
#include "state/session.h"
#include "state/usersettings.h"
#include "tests/support/forms.h"
#include "tests/support/localservice.h"
#include "tests/support/programfolder.h"
#include "tests/mainwindow/mainondisplay.h"
#include "companions/tray.h"

#include <QApplication>
#include <QDir>
#include <QGuiApplication>
#include <QRadioButton>
#include <QScreen>
#include <QTest>

namespace {

class KlineOnDisplay : public MainOnDisplay {
protected:
    KlineOnDisplay() : MainOnDisplay(QStringLiteral("KLINE")) {}
};

} // namespace

TEST_F(KlineOnDisplay, PeriodsKeysAndCrosshairOnTheKlineTab) {
    MainForm& main = loginToMain();
    ASSERT_TRUE(service && MainStarted);
    platform::pauseMs(500);

    main.Maintab->Tabs().Item(3).setSelected(true);
    auto* klines = main.findChild<Kline*>(QStringLiteral("Klines"));
    ASSERT_NE(klines, nullptr);
    ASSERT_TRUE(waitUntil([&] { return klines->isVisible() && klines->dataReady(); }, 10000));
    EXPECT_GT(klines->width(), 600);
    EXPECT_EQ(klines->Label6.Caption, QStringLiteral("日线图"));
    const int dailyBars = static_cast<int>(klines->bars().size());
    EXPECT_GT(dailyBars, 30);
    savePicture(main.grab().toImage(), QStringLiteral("kline_daily.png"));

    // The minus key on the chart asks for five bars fewer (when the history is long enough).
    klines->setFocus();
    QTest::keyClick(klines, Qt::Key_Down);
    platform::pauseMs(200);
    if (dailyBars == 91) {
        EXPECT_EQ(klines->bars().size(), 86);
    }
    EXPECT_LE(klines->bars().size(), dailyBars);

    // The 15-minute button, clicked with the mouse.
    auto* fifteen = main.findChild<QRadioButton*>(QStringLiteral("kOptions4"));
    ASSERT_NE(fifteen, nullptr);
    QTest::mouseClick(fifteen, Qt::LeftButton, {}, QPoint(8, fifteen->height() / 2));
    ASSERT_TRUE(waitUntil([&] { return klines->Label6.Caption == QStringLiteral("15分钟图"); }, 5000));
    EXPECT_EQ(klines->bars().size(), 192);
    // The minus key does nothing on a minute period.
    QTest::keyClick(klines, Qt::Key_Down);
    EXPECT_EQ(klines->bars().size(), 192);

    // Crosshair mode: a double click opens the data window, the mouse fills it.
    const QPoint at(klines->width() / 3, klines->height() / 2);
    QTest::mouseDClick(klines, Qt::LeftButton, {}, at);
    ASSERT_TRUE(waitUntil([] { return platform::isLoaded<KlineForms>() && Klineforms().isVisible(); }, 3000));
    QTest::mouseMove(klines, at + QPoint(5, 0));
    QMouseEvent move(QEvent::MouseMove, QPointF(at + QPoint(6, 0)), klines->mapToGlobal(QPointF(at + QPoint(6, 0))),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(klines, &move);
    platform::pauseMs(300);
    EXPECT_FALSE(Klineforms().klfLabels[15]->text().isEmpty());
    EXPECT_TRUE(klines->Linex.Visible);
    savePicture(QGuiApplication::primaryScreen()->grabWindow(0).toImage(), QStringLiteral("kline_15min_crosshair.png"));

    // The weekly button, then the crosshair off again.
    QTest::mouseClick(main.findChild<QRadioButton*>(QStringLiteral("kOptions1")), Qt::LeftButton, {}, QPoint(8, 10));
    ASSERT_TRUE(waitUntil([&] { return klines->Label6.Caption == QStringLiteral("周线图"); }, 5000));
    savePicture(main.grab().toImage(), QStringLiteral("kline_weekly.png"));
    QTest::mouseDClick(klines, Qt::LeftButton, {}, at);
    EXPECT_FALSE(platform::isLoaded<KlineForms>());
}
