#pragma once

class QWidget;

namespace platform {

// Keeps a shown top-level window out of the desktop's taskbar and pager (the EWMH request to the
// window manager); best called from the window's show event, before the window is mapped; a native
// window Qt makes again during that show is told right after it. Does nothing where the platform
// is not X11.
void skipTaskbar(QWidget* window);

// Keeps a window that has an owner (a parent widget) out of the taskbar and transient for its
// owner each time it is shown, so also after its native window was made again (a change of
// window flags does that). A window without owner is left alone. A top-most owned window is not
// transient on the window manager: window managers keep a transient window in its owner's layer,
// where other programs' windows cover it; above all others, it stays above its owner anyway.
void followOwner(QWidget* window);

// Puts a top-level window above all others, or back among them, without making its native window
// again now (the window manager would forget what it knew of it); Qt makes it again at the next
// show, whose show event gives the hints again (skipTaskbar, followOwner).
void setStaysOnTop(QWidget* window, bool onTop);

} // namespace platform
