#include "shell/mainwindowlink.h"

namespace {
MainWindowLink& link() {
    static MainWindowLink l;
    return l;
}
} // namespace

void setMainWindowLink(MainWindowLink l) { link() = std::move(l); }
const MainWindowLink& mainWindowLink() { return link(); }
