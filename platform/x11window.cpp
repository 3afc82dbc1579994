#include "platform/x11window.h"

#include <QEvent>
#include <QGuiApplication>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#ifdef BRELTO_HAVE_XCB
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#endif

namespace platform {

#ifdef BRELTO_HAVE_XCB
namespace {

// The native window last kept out of the taskbar.
constexpr char kSkippedWindow[] = "brelto_skippedWindow";

xcb_atom_t atom(xcb_connection_t* c, const char* name) {
    xcb_intern_atom_reply_t* reply =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
    if (reply == nullptr)
        return XCB_ATOM_NONE;
    const xcb_atom_t a = reply->atom;
    free(reply);
    return a;
}

} // namespace
#endif

void skipTaskbar(QWidget* window) {
#ifdef BRELTO_HAVE_XCB
    if (window == nullptr || !window->isWindow() || qGuiApp == nullptr)
        return;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 == nullptr || x11->connection() == nullptr)
        return;
    xcb_connection_t* c = x11->connection();
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    // The native window as it is now, not as the widget last knew it.
    const QWindow* handle = window->windowHandle();
    const xcb_window_t id = static_cast<xcb_window_t>(handle != nullptr ? handle->winId() : window->winId());
    const xcb_atom_t state = atom(c, "_NET_WM_STATE");
    const xcb_atom_t skip[2] = {atom(c, "_NET_WM_STATE_SKIP_TASKBAR"), atom(c, "_NET_WM_STATE_SKIP_PAGER")};
    // Not yet mapped (a show event, before the map): the property itself, which the window
    // manager reads when it takes the window on; mapped: the request to the window manager.
    xcb_change_property(c, XCB_PROP_MODE_APPEND, id, state, XCB_ATOM_ATOM, 32, 2, skip);
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = id;
    event.type = state;
    event.data.data32[0] = 1; // add
    event.data.data32[1] = skip[0];
    event.data.data32[2] = skip[1];
    event.data.data32[3] = 1; // a normal application
    xcb_send_event(c, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
    xcb_flush(c);
    // After a change of its stacking flag Qt makes the native window again while showing it, after
    // the show event that called here: the new one is told as soon as the show is through.
    window->setProperty(kSkippedWindow, static_cast<qulonglong>(id));
    QTimer::singleShot(0, window, [window] {
        const QWindow* now = window->windowHandle();
        if (now != nullptr && window->isVisible() &&
            window->property(kSkippedWindow).toULongLong() != static_cast<qulonglong>(now->winId()))
            skipTaskbar(window);
    });
#else
    (void)window;
#endif
}

namespace {

void applyOwner(QWidget* window) {
    if (!window->isWindow() || window->parentWidget() == nullptr)
        return;
    QWindow* handle = window->windowHandle();
    QWindow* owner = window->windowFlags().testFlag(Qt::WindowStaysOnTopHint)
                         ? nullptr
                         : window->parentWidget()->window()->windowHandle();
    if (handle != nullptr && handle->transientParent() != owner)
        handle->setTransientParent(owner);
    skipTaskbar(window);
}

// A show event comes before the window is mapped: the hints are in place when the window
// manager takes the window on.
class OwnerFollower : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && watched->isWidgetType())
            applyOwner(static_cast<QWidget*>(watched));
        return false;
    }
};

} // namespace

void followOwner(QWidget* window) {
    if (window != nullptr)
        window->installEventFilter(new OwnerFollower(window));
}

void setStaysOnTop(QWidget* window, bool onTop) {
    if (window == nullptr || !window->isWindow())
        return;
    const Qt::WindowFlags flags = window->windowFlags().setFlag(Qt::WindowStaysOnTopHint, onTop);
    if (flags == window->windowFlags())
        return;
    QWindow* native = window->windowHandle();
    if (native == nullptr) {
        window->setWindowFlags(flags);
        return;
    }
    // The native window changes in place: the window manager is told at once if it is shown.
    window->overrideWindowFlags(flags);
    native->setFlags(flags);
}

} // namespace platform
