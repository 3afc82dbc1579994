#pragma once

#include <functional>

// The main window as the start-up gate reaches it. The program installs these once the main
// window exists in the build; until then a login has no main window to open, and the gate's
// calls do nothing.
struct MainWindowLink {
    std::function<void()> loadHidden; // loads the main window without showing it (its start-up)
    std::function<void()> show;       // shows it, non-modal
    std::function<void()> checkLogin; // rebuilds its logged-in display
    std::function<void()> trayRemove; // takes the tray icon away
};
void setMainWindowLink(MainWindowLink link);
[[nodiscard]] const MainWindowLink& mainWindowLink();
