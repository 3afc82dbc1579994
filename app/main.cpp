// The program starts with its login window and nothing else; the window takes it from there.
#include "common/config.h"
#include "common/log.h"
#include "companions/tray.h"
#include "mainwindow/mainform.h"
#include "platform/boundary.h"
#include "platform/browser.h"
#include "platform/eventwait.h"
#include "platform/fonts.h"
#include "shell/instance.h"
#include "shell/loginform.h"
#include "shell/mainwindowlink.h"

#include <QApplication>

namespace {

// Tests and demo runs point the program at a service of their own: the configuration hosts, in
// the form of the build's list ("host:port;host:port;..."), replace the built-in ones.
void takeConfigurationHostsFromEnvironment() {
    QStringList hosts;
    for (const QString& host : qEnvironmentVariable("BRELTO_CONFIG_HOSTS").split(u';'))
        if (!host.trimmed().isEmpty())
            hosts << host.trimmed();
    if (!hosts.isEmpty())
        setConfigurationHosts(hosts);
}

} // namespace

int main(int argc, char* argv[]) {
    // How web pages will be drawn is settled before the application object exists.
    platform::prepareBrowserProcess();
    // The news ticker repaints a strip 50 times a second. Through shared memory every repaint of
    // an area just sent waits for the display server's answer first; sent in the request itself,
    // it does not wait, which halves the idle program's CPU (and the server's does not grow). A
    // user's own setting of the variable stands.
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM"))
        qputenv("QT_XCB_NO_MITSHM", "1");
    // An error that escapes an entry point's own guard is logged there and the program goes on.
    platform::GuardedApplication app(argc, argv);
    platform::setBoundaryLog(&WriteLog);
    QApplication::setQuitOnLastWindowClosed(false);
    platform::registerFontSubstitutions();
    takeConfigurationHostsFromEnvironment();
    setMainWindowLink({[] { (void)Main(); }, [] { Main().show(); }, [] { Main().CheckLogin(); },
                       [] { TrayRemove(); }});
    // The login window's start-up runs here, before the main loop: it may end the program already
    // (a refused retry, its window closed), and then the loop is never entered.
    (void)loginForm();
    const int code = platform::runMainLoop();
    // Given up while the application object still exists, so the next start is a first copy.
    instanceChannel().close();
    return code;
}
