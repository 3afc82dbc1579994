#pragma once

#include "platform/fonts.h"

#include <QApplication>

// The benchmark runner brings no application object; the first benchmark that needs one (widgets,
// fonts, the network) makes it, on the offscreen platform, and it lasts the whole run.
inline void ensureBenchApplication() {
    if (QCoreApplication::instance() != nullptr)
        return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "brelto-bench";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    platform::registerFontSubstitutions();
}
