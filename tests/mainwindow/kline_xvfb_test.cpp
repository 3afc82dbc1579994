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
#include "companions/tray.h"

#include <QApplication>
#include <QDir>
#include <QGuiApplication>
#include <QRadioButton>
#include <QScreen>
#include <QTest>

namespace {

class KlineOnDisplay : public ProgramFolderTest {
protected:
    void SetUp() override {
        if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr)
            GTEST_SKIP() << "needs a display: run under xvfb-run";
        ProgramFolderTest::SetUp();
        platform::registerFontSubstitutions();
        setInstanceTopic(QStringLiteral("KLINE-%1").arg(QCoreApplication::applicationPid()));
        ConfigLoaded = LoggedIn = IsVip = MainStarted = false;
        UserName.clear();
        CurTab = -1;
        platform::setQuitHandler([] {});
        setMainWindowLink({[] { (void)Main(); }, [] { Main().show(); }, [] { Main().CheckLogin(); },
                           [] { TrayRemove(); }});
    }
    void TearDown() override {
        if (platform::isLoaded<MainForm>())
            Main().unload();
        platform::pauseMs(0);
        platform::setQuitHandler(nullptr);
        setMainWindowLink({});
        setConfigurationHosts({});
        service.reset();
        ProgramFolderTest::TearDown();
    }

    void picture(const QImage& image, const QString& name) {
        QDir gallery(QStringLiteral(BRELTO_GALLERY_DIR));
        ASSERT_TRUE(gallery.mkpath(QStringLiteral("program")));
        ASSERT_TRUE(image.save(gallery.filePath(QStringLiteral("program/") + name)));
    }

    std::unique_ptr<SimService> service;
};

} // namespace

TEST_F(KlineOnDisplay, PeriodsKeysAndCrosshairOnTheKlineTab) {
    service = startLocalService({});
    ASSERT_TRUE(service);
    loginForm().Command2_Click();
    ASSERT_TRUE(waitUntil([] { return MainStarted && platform::isLoaded<MainForm>(); }, 10000));
    MainForm& main = Main();
    main.showNormal();
    main.setGeometry(0, 0, 1280, 800);
    platform::pauseMs(500);

    main.Maintab->Tabs().Item(3).setSelected(true);
    auto* klines = main.findChild<Kline*>(QStringLiteral("Klines"));
    ASSERT_NE(klines, nullptr);
    ASSERT_TRUE(waitUntil([&] { return klines->isVisible() && klines->dataReady(); }, 10000));
    EXPECT_GT(klines->width(), 600);
    EXPECT_EQ(klines->Label6.Caption, QStringLiteral("日线图"));
    const int dailyBars = static_cast<int>(klines->bars().size());
    EXPECT_GT(dailyBars, 30);
    picture(main.grab().toImage(), QStringLiteral("kline_daily.png"));

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
    picture(QGuiApplication::primaryScreen()->grabWindow(0).toImage(), QStringLiteral("kline_15min_crosshair.png"));

    // The weekly button, then the crosshair off again.
    QTest::mouseClick(main.findChild<QRadioButton*>(QStringLiteral("kOptions1")), Qt::LeftButton, {}, QPoint(8, 10));
    ASSERT_TRUE(waitUntil([&] { return klines->Label6.Caption == QStringLiteral("周线图"); }, 5000));
    picture(main.grab().toImage(), QStringLiteral("kline_weekly.png"));
    QTest::mouseDClick(klines, Qt::LeftButton, {}, at);
    EXPECT_FALSE(platform::isLoaded<KlineForms>());
}
