#pragma once

// What the web panes ask of the web engine, which lives in a module of its own
// (brelto-webengine.so): the engine's libraries alone hold about 20 MB once loaded, and most
// sessions never show a page, so the module is loaded when the first page is due. Nothing here
// includes the engine's headers.

#include <QString>

#include <functional>

class QUrl;
class QWidget;

namespace platform::webengine {

// What a page does, told to its pane.
struct ViewHooks {
    std::function<void(const QString& url)> urlChanged;    // a redirect, a link followed
    std::function<void(const QString& url)> loadFinished;  // also when loading failed
    std::function<void(const QUrl& url)> newWindow;        // a page asked for a window (any address)
    std::function<void(const QUrl& url)> eventAddress;     // the page went to an "event:" address itself
    std::function<bool(const QUrl& url)> mayOpen;          // false: the page's main frame stays where it is
};

class View {
public:
    virtual ~View() = default;
    // The widget to place in the pane; it is a child of the parent given to makeView.
    [[nodiscard]] virtual QWidget* widget() = 0;
    virtual void setUrl(const QString& userInput) = 0;
    virtual void setSilent(bool silent) = 0;
    // One page back in the view's history; nothing when there is none.
    virtual void back() = 0;
};

class Engine {
public:
    virtual ~Engine() = default;
    // Registers the "event" scheme; true when it is registered (now or before), false when the
    // engine has started already without it.
    virtual bool registerSchemes() = 0;
    [[nodiscard]] virtual View* makeView(QWidget* parent, ViewHooks hooks) = 0;
};

// The module's one entry point, looked up by this name.
using EntryPoint = Engine* (*)();
inline constexpr char kEntryPointName[] = "brelto_webengine";

// The engine, its module loaded on the first call; null (once with a warning on the log) when the
// module cannot be loaded. Searched beside the executable first, then where the build put it.
[[nodiscard]] Engine* engine();

// Whether the module is loaded in this process (for tests and the footprint).
[[nodiscard]] bool engineLoaded();

} // namespace platform::webengine
