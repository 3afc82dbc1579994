#pragma once

class QWidget;

namespace platform {

// Keeps a shown top-level window out of the desktop's taskbar and pager (the EWMH request to the
// window manager); best called from the window's show event. Does nothing where the platform is
// not X11.
void skipTaskbar(QWidget* window);

// Keeps a window that has an owner (a parent widget) out of the taskbar and transient for its
// owner each time it is shown, so also after its native window was made again (a change of
// window flags does that). A window without owner is left alone.
void followOwner(QWidget* window);

} // namespace platform
