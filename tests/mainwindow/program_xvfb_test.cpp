// The program as a user meets it, on a real display (run under xvfb-run): the login window, the
// demo login, the main window with its web panes.
#include "common/config.h"
#include "companions/tray.h"
#include "mainwindow/mainform.h"
#include "platform/eventwait.h"
#include "platform/forms.h"
#include "platform/process.h"
#include "shell/configstate.h"
#include "shell/loginform.h"
#include "shell/mainwindowlink.h"
#include "shell/session.h"
#include "shell/usersettings.h"
#include "simservice/simservice.h"
#include "tests/support/programfolder.h"

#include <QApplication>
#include <QFile>

namespace {

long residentKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

bool waitUntil(const std::function<bool()>& done, int ms) {
    for (int waited = 0; waited < ms; waited += 50) {
        if (done())
            return true;
        platform::pauseMs(50);
    }
    return done();
}

} // namespace

TEST(Program, DemoLoginLandsInTheMainWindow) {
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr)
        GTEST_SKIP() << "needs a display: run under xvfb-run";
    QTemporaryDir folder;
    setProgramFolder(folder.path());
    SimService::Options options;
    options.httpPort = 0;
    SimService service(options);
    ASSERT_TRUE(service.start());
    const QString host = QStringLiteral("127.0.0.1:%1").arg(service.httpPort());
    setConfigurationHosts({host, host, host});
    platform::setQuitHandler([] {});
    setMainWindowLink({[] { (void)Main(); }, [] { Main().show(); }, [] { Main().CheckLogin(); },
                       [] { TrayRemove(); }});

    LoginForm& login = loginForm();
    ASSERT_TRUE(ConfigLoaded);
    login.Command2_Click();
    ASSERT_TRUE(waitUntil([] { return MainStarted && platform::isLoaded<MainForm>(); }, 10000));
    EXPECT_TRUE(LoggedIn);
    EXPECT_FALSE(platform::isLoaded<LoginForm>());
    MainForm& main = Main();
    main.showNormal();
    main.setGeometry(0, 0, 1280, 800);
    platform::pauseMs(500);
    const long afterStart = residentKiB();

    QDir gallery(QStringLiteral(BRELTO_GALLERY_DIR));
    ASSERT_TRUE(gallery.mkpath(QStringLiteral("program")));
    for (int tab : {1, 2}) {
        main.Maintab->Tabs().Item(tab).setSelected(true);
        platform::pauseMs(300);
        ASSERT_TRUE(main.grab().toImage().save(gallery.filePath(QStringLiteral("program/main_tab%1.png").arg(tab))));
    }
    main.Maintab->Tabs().Item(6).setSelected(true); // the data tab shows a real web page
    platform::pauseMs(3000);
    const long afterWebTab = residentKiB();
    ASSERT_TRUE(main.grab().toImage().save(gallery.filePath(QStringLiteral("program/main_tab6.png"))));
    std::printf("resident memory after start-up: %ld KiB; after showing one web tab: %ld KiB\n", afterStart,
                afterWebTab);
    RecordProperty("rss_after_start_kib", static_cast<int>(afterStart));
    RecordProperty("rss_after_web_tab_kib", static_cast<int>(afterWebTab));
    EXPECT_GT(afterStart, 0);

    main.unload();
    platform::pauseMs(0);
    platform::setQuitHandler(nullptr);
    setMainWindowLink({});
    setConfigurationHosts({});
    setProgramFolder({});
}
