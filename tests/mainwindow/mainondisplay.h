#pragma once
// The program in the test's own process on a real display (run under xvfb-run and
// tools/withwm.sh), against a simulated service started afresh for each test, with the main
// window wired in as main() wires it. Every display test of the main window starts from here.
#include "companions/tray.h"
#include "mainwindow/mainform.h"
#include "platform/eventwait.h"
#include "platform/fonts.h"
#include "platform/forms.h"
#include "shell/instance.h"
#include "shell/login.h"
#include "shell/loginform.h"
#include "shell/mainwindowlink.h"
#include "simservice/simservice.h"
#include "state/configstate.h"
#include "state/livelink.h"
#include "state/quotetables.h"
#include "state/session.h"
#include "state/storedlists.h"
#include "state/usersettings.h"
#include "tests/support/forms.h"
#include "tests/support/localservice.h"
#include "tests/support/programfolder.h"

#include <QApplication>
#include <QDir>
#include <QImage>

#include <memory>

class MainOnDisplay : public ProgramFolderTest {
protected:
    // `topic` keeps this test's single-instance channel apart from the other display tests.
    explicit MainOnDisplay(QString topic) : m_topic(std::move(topic)) {}

    void SetUp() override {
        if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr)
            GTEST_SKIP() << "needs a display: run under xvfb-run";
        ProgramFolderTest::SetUp();
        // The fonts as the program has them.
        platform::registerFontSubstitutions();
        setInstanceTopic(QStringLiteral("%1-%2").arg(m_topic).arg(QCoreApplication::applicationPid()));
        ConfigLoaded = LoggedIn = IsVip = MainStarted = UseRealtime = PushLost = false;
        LogoutPending = LoggedInThisRun = LogoutUnderWay = false;
        UserName.clear();
        CurTab = -1;
        NewsId = 0;
        platform::setQuitHandler([] {});
        setMainWindowLink({[] { (void)Main(); }, [] { Main().show(); }, [] { Main().CheckLogin(); },
                           [] { TrayRemove(); }});
    }

    void TearDown() override {
        closeBoxes();
        if (platform::isLoaded<MainForm>())
            Main().unload();
        platform::pauseMs(0);
        platform::setQuitHandler(nullptr);
        setMainWindowLink({});
        setConfigurationHosts({});
        service.reset();
        // A member's session leaves nothing behind for the next test: no alerts, no live link.
        TxCount = 0;
        TxProd = {0};
        TxCompare = {0};
        TxPrice = {0.0f};
        UseRealtime = PushLost = false;
        ProgramFolderTest::TearDown();
    }

    // Starts the service, logs in with the demo account and waits for the main window, which it
    // shows at 1280x800.
    MainForm& loginToMain(SimService::Options options = {}) {
        service = startLocalService(options);
        EXPECT_TRUE(service);
        loginForm().Command2_Click();
        EXPECT_TRUE(waitUntil([] { return MainStarted && platform::isLoaded<MainForm>(); }, 10000));
        MainForm& main = Main();
        main.showNormal();
        main.setGeometry(0, 0, 1280, 800);
        return main;
    }

    // Writes a picture to <build dir>/gallery/<folder>/<name>.
    static void savePicture(const QImage& image, const QString& name,
                            const QString& folder = QStringLiteral("program")) {
        QDir gallery(QStringLiteral(BRELTO_GALLERY_DIR));
        ASSERT_TRUE(gallery.mkpath(folder));
        ASSERT_TRUE(image.save(gallery.filePath(folder + u'/' + name)));
    }

    std::unique_ptr<SimService> service;

private:
    QString m_topic;
};
