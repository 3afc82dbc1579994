// The program starts with its login window and nothing else; the window takes it from there.
#include "companions/tray.h"
#include "mainwindow/mainform.h"
#include "platform/browser.h"
#include "platform/fonts.h"
#include "shell/loginform.h"
#include "shell/mainwindowlink.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    // The web panes' "event:" addresses must be known before the application object exists.
    platform::registerBrowserSchemes();
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    platform::registerFontSubstitutions();
    setMainWindowLink({[] { (void)Main(); }, [] { Main().show(); }, [] { Main().CheckLogin(); },
                       [] { TrayRemove(); }});
    (void)loginForm();
    return QApplication::exec();
}
