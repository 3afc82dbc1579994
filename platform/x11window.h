#pragma once

class QWidget;

namespace platform {

// Keeps a shown top-level window out of the desktop's taskbar and pager (the EWMH request to the
// window manager); best called from the window's show event. Does nothing where the platform is
// not X11.
void skipTaskbar(QWidget* window);

} // namespace platform
