// The program starts with its login window and nothing else; the window takes it from there.
#include "platform/fonts.h"
#include "shell/loginform.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    platform::registerFontSubstitutions();
    (void)loginForm();
    return QApplication::exec();
}
