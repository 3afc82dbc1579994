#pragma once

#include <QList>
#include <QWidget>

#include <functional>
#include <type_traits>
#include <typeindex>
#include <typeinfo>

class QCloseEvent;

namespace platform {

// A window of the program. Constructing a form loads it; unloading hides it, forgets it at once
// and deletes it when control is back in the event loop, so an unload from one of its own event
// handlers is safe. The process ends when the last loaded form unloads (Qt's quit-on-last-window
// stays off: hidden forms such as the tray's owner keep the program alive).
class Form : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Form)
public:
    explicit Form(Qt::WindowFlags flags = Qt::Window);
    ~Form() override;

    // Shows the form with `owner` as its owner window: transient for it on the window manager
    // unless it is top-most (see followOwner); it stays above the owner, has no taskbar entry of
    // its own, unloads with it, and opens centred on it unless the form has placed itself. No
    // owner makes it a free window, centred on the screen's work area unless placed. A modal show
    // blocks input to the other windows and returns once the form is hidden or unloaded; a nested
    // event loop keeps timers, sockets and the other windows' painting running meanwhile. Nothing
    // is shown once the program is ending.
    // A form shown without waiting while its owner is hidden or minimised appears when the owner
    // is back on screen, and is then the active window, unless it shows whatever its owner does.
    void showForm(QWidget* owner = nullptr, bool modal = false);

    // A form that must be seen at once (a ringing alert) shows even while its owner is hidden in
    // the tray or minimised.
    void setShownWithoutOwner(bool shown) { m_shownWithoutOwner = shown; }

    // False when queryUnload refused; true when unloaded now or before. The forms it owns unload
    // first, without the right to refuse: their windows go with the owner's.
    bool unload();

    [[nodiscard]] bool isLoaded() const;

protected:
    // Runs right after a global form is created, once its accessor returns it: load code that
    // reaches the form through its accessor belongs here, not in the constructor.
    virtual void formLoad() {}
    // Runs when the form is about to unload (also when the user closes its window), while it is
    // still whole; false keeps it loaded.
    virtual bool queryUnload() { return true; }

    void closeEvent(QCloseEvent* event) final;
    bool event(QEvent* event) override;

    // The keys of a companion window: Escape unloads it (true: the key is used up), any other key
    // is handed to the main window as well and goes on to its control (false).
    bool escapeUnloadsOtherKeysToMain(QEvent* event);

private:
    template <typename F>
    friend F& form();

    bool unloadForm(bool mayRefuse);

    // The owned forms that wait for this one to come on screen: shown then (and made active), or
    // made active once this one is.
    void showWaitingForms();
    void activateWaitingForms();
    // What this form waits for of its owner.
    enum class OwnerWait { None, Show, Activate };
    OwnerWait m_ownerWait = OwnerWait::None;
    bool m_centreWhenShown = false;
    bool m_shownWithoutOwner = false;

    bool m_unloading = false;
    // The window type the form was made with, which it takes back when shown without owner.
    Qt::WindowType m_freeType;
};

namespace detail {
[[nodiscard]] Form* globalForm(std::type_index type);
void bindGlobalForm(std::type_index type, Form* form);
} // namespace detail

// The one global instance of form class F, created (loaded) on first use and again after it
// was unloaded. Later forms define their accessors on top: `Main()`, `Mini()`.
template <typename F>
F& form() {
    static_assert(std::is_base_of_v<Form, F>, "a global form derives from platform::Form");
    if (Form* existing = detail::globalForm(typeid(F)))
        return static_cast<F&>(*existing);
    F* created = new F;
    detail::bindGlobalForm(typeid(F), created);
    static_cast<Form*>(created)->formLoad();
    return *created;
}

// Whether the global instance of F is loaded; never loads it.
template <typename F>
[[nodiscard]] bool isLoaded() {
    return detail::globalForm(typeid(F)) != nullptr;
}

// Unloads the global instance of F when it is loaded; never loads it. False when it refused.
template <typename F>
bool unload() {
    Form* f = detail::globalForm(typeid(F));
    return f == nullptr || f->unload();
}

// Every loaded form, global or not, in the order they were loaded.
[[nodiscard]] QList<Form*> loadedForms();

// Unloads every loaded form, the most recently loaded first, except those `keep` holds on to.
void unloadAll(const std::function<bool(Form*)>& keep = {});

// What ends the process when the last form unloads; by default every event loop is left with
// code 0 and none runs again (endEventLoops), also when the main loop has not begun yet. Tests
// install a fake; a null one restores the default.
void setQuitHandler(std::function<void()> quit);

// The main window announces itself while it is loaded: the owner of program-wide notices and the
// handler its companion windows hand their key presses to (virtual-key code and shift mask). It
// is forgotten when that form unloads; a null form forgets it at once.
using KeySink = std::function<void(int keyCode, int shift)>;
void setMainForm(Form* form, KeySink receiveKeyDown);

// The main window while it is loaded, else nullptr; asking never loads it.
[[nodiscard]] Form* mainForm();

// Hands a key to the main window's handler; nothing happens while the main window isn't loaded.
void sendKeyToMain(int keyCode, int shift);

// The flags of a form shown with (`owned`) or without an owner. An owned plain window becomes a
// dialog, the type the window manager keeps above its owner (a plain window's transient parent
// never reaches it); without owner the form takes back `freeType`, the type it was made with.
[[nodiscard]] Qt::WindowFlags ownedWindowFlags(Qt::WindowFlags flags, Qt::WindowType freeType, bool owned);

// Where a window whose frame is `frame` stands centred on `owner`'s frame, kept inside
// `available` (the screen's work area) as far as it fits: its new top-left corner.
[[nodiscard]] QPoint centredOn(const QRect& frame, const QRect& owner, const QRect& available);

// Moves a window that has an owner to the middle of it (see centredOn).
void centreOnOwner(QWidget* window);

// Moves a window to the middle of its screen's work area.
void centreOnScreen(QWidget* window);

} // namespace platform
