#include "platform/forms.h"

#include "platform/boundary.h"
#include "platform/eventwait.h"
#include "platform/keys.h"
#include "platform/x11window.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QScreen>

#include <algorithm>
#include <utility>

#include <unordered_map>

namespace platform {
namespace {

struct Runtime {
    QList<Form*> loaded;
    std::unordered_map<std::type_index, Form*> globals;
    Form* main = nullptr;
    KeySink mainKeys;
    std::function<void()> quit;
};

Runtime& runtime() {
    static Runtime r;
    return r;
}

// Leaves the event loops rather than asking the windows to close (as quit() would): an unloaded
// form waiting for its deletion must not be asked again. Works before the main loop has begun too.
void leaveEventLoop() { endEventLoops(0); }

// Takes a form off every list; the last one leaving ends the process.
void forget(Form* form) {
    Runtime& r = runtime();
    if (!r.loaded.removeOne(form))
        return;
    std::erase_if(r.globals, [form](const auto& entry) { return entry.second == form; });
    if (r.main == form) {
        r.main = nullptr;
        r.mainKeys = nullptr;
    }
    if (r.loaded.isEmpty()) {
        if (r.quit)
            r.quit();
        else
            leaveEventLoop();
    }
}

// Ends a modal show once its form is hidden. A minimised window gets a hide event too, but is
// not hidden.
class HiddenWatcher : public QObject {
public:
    HiddenWatcher(QWidget* form, QEventLoop& loop) : m_form(form), m_loop(loop) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_form && event->type() == QEvent::Hide && m_form->isHidden())
            m_loop.quit();
        return false;
    }

private:
    QWidget* m_form;
    QEventLoop& m_loop;
};

} // namespace

Form::Form(Qt::WindowFlags flags) : QWidget(nullptr, flags | Qt::Window), m_freeType(windowType()) {
    QGuiApplication::setQuitOnLastWindowClosed(false);
    runtime().loaded.append(this);
    followOwner(this);
}

// A form deleted without an unload (by its owner's deletion, say) still leaves the lists.
Form::~Form() { forget(this); }

bool Form::isLoaded() const { return runtime().loaded.contains(const_cast<Form*>(this)); }

bool Form::unload() { return unloadForm(true); }

bool Form::unloadForm(bool mayRefuse) {
    if (!isLoaded() || m_unloading)
        return true;
    m_unloading = true;
    if (!queryUnload() && mayRefuse) {
        m_unloading = false;
        return false;
    }
    const QList<Form*> forms = runtime().loaded;
    for (auto it = forms.crbegin(); it != forms.crend(); ++it) {
        if (runtime().loaded.contains(*it) && (*it)->parentWidget() == this)
            (*it)->unloadForm(false);
    }
    hide();
    forget(this);
    deleteLater();
    return true;
}

void Form::closeEvent(QCloseEvent* event) {
    // A close whose unloading raised is refused: the form stays as it was.
    bool unloaded = false;
    guarded("Form_QueryUnload", [&] { unloaded = unloadForm(true); });
    if (unloaded)
        event->accept();
    else
        event->ignore();
}

void Form::showForm(QWidget* owner, bool modal) {
    // A program that is ending opens no more windows.
    if (!isLoaded() || programEnding())
        return;
    if (owner == this || (owner != nullptr && isAncestorOf(owner)))
        owner = nullptr;
    const Qt::WindowFlags flags = ownedWindowFlags(windowFlags(), m_freeType, owner != nullptr);
    if (owner != parentWidget() || flags != windowFlags())
        setParent(owner, flags);
    const bool placedItself = testAttribute(Qt::WA_Moved);
    if (!placedItself) {
        if (owner != nullptr)
            centreOnOwner(this);
        else
            centreOnScreen(this);
    }
    if (!modal) {
        m_ownerWait = OwnerWait::None;
        if (owner != nullptr && !m_shownWithoutOwner &&
            (!owner->window()->isVisible() || owner->window()->isMinimized())) {
            // Shown now, it would stand alone on the desktop, or stay iconic with its owner out of
            // the user's sight for good; and the owner, when it comes, would take the focus.
            hide();
            m_ownerWait = OwnerWait::Show;
            // The owner's place is known once it is back.
            m_centreWhenShown = !placedItself;
            return;
        }
        show();
        raise();
        activateWindow();
        return;
    }
    // Modality takes effect when a window is shown.
    if (isVisible())
        hide();
    setWindowModality(Qt::ApplicationModal);
    const WaitScope scope;
    QEventLoop loop;
    HiddenWatcher watcher(this, loop);
    installEventFilter(&watcher);
    connect(this, &QObject::destroyed, &loop, &QEventLoop::quit);
    QPointer<Form> self(this);
    show();
    raise();
    activateWindow();
    if (!isHidden())
        loop.exec(QEventLoop::DialogExec);
    // The form may be gone by now: an unload inside the loop deletes it there.
    if (self) {
        removeEventFilter(&watcher);
        setWindowModality(Qt::NonModal);
    }
}

bool Form::event(QEvent* event) {
    switch (event->type()) {
    case QEvent::Show:
    case QEvent::WindowStateChange:
        // Once the show or restore is through, so that this window is mapped first.
        QMetaObject::invokeMethod(this, [this] { showWaitingForms(); }, Qt::QueuedConnection);
        break;
    case QEvent::WindowActivate:
        // Active as it was to be: nothing more to wait for (a later click on the owner is the
        // user's choice, not to be undone).
        if (m_ownerWait == OwnerWait::Activate)
            m_ownerWait = OwnerWait::None;
        activateWaitingForms();
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

namespace {

// The loaded forms `owner` owns that wait for it as `wait` says, oldest first.
template <typename Wait>
QList<Form*> waitingFor(const Form* owner, Wait wait) {
    QList<Form*> forms;
    for (Form* f : runtime().loaded)
        if (f->parentWidget() == owner && wait(f))
            forms.append(f);
    return forms;
}

} // namespace

void Form::showWaitingForms() {
    if (!isVisible() || isMinimized())
        return;
    const QList<Form*> waiting =
        waitingFor(this, [](const Form* f) { return f->m_ownerWait != OwnerWait::None; });
    for (Form* f : waiting) {
        if (f->m_ownerWait == OwnerWait::Show) {
            f->m_ownerWait = OwnerWait::Activate;
            if (std::exchange(f->m_centreWhenShown, false))
                centreOnOwner(f);
            f->show();
        } else if (f->isMinimized()) {
            // Iconic with its owner: back with it.
            f->setWindowState(f->windowState() & ~Qt::WindowMinimized);
        }
        f->raise();
    }
    if (!waiting.isEmpty())
        waiting.back()->activateWindow();
}

void Form::activateWaitingForms() {
    const QList<Form*> waiting = waitingFor(
        this, [](const Form* f) { return f->m_ownerWait == OwnerWait::Activate && f->isVisible(); });
    for (Form* f : waiting) {
        f->m_ownerWait = OwnerWait::None;
        f->raise();
    }
    // The newest on top and active, as it would be had it come after its owner.
    if (!waiting.isEmpty())
        waiting.back()->activateWindow();
}

namespace detail {

Form* globalForm(std::type_index type) {
    const auto& globals = runtime().globals;
    const auto it = globals.find(type);
    return it == globals.end() ? nullptr : it->second;
}

void bindGlobalForm(std::type_index type, Form* form) { runtime().globals[type] = form; }

} // namespace detail

QList<Form*> loadedForms() { return runtime().loaded; }

void unloadAll(const std::function<bool(Form*)>& keep) {
    const QList<Form*> forms = runtime().loaded;
    for (auto it = forms.crbegin(); it != forms.crend(); ++it) {
        // Skip forms that went with their owner; their pointers may no longer be valid.
        if (!runtime().loaded.contains(*it))
            continue;
        if (keep && keep(*it))
            continue;
        (*it)->unload();
    }
}

void setQuitHandler(std::function<void()> quit) { runtime().quit = std::move(quit); }

void setMainForm(Form* form, KeySink receiveKeyDown) {
    Runtime& r = runtime();
    if (form == nullptr || !form->isLoaded()) {
        r.main = nullptr;
        r.mainKeys = nullptr;
        return;
    }
    r.main = form;
    r.mainKeys = std::move(receiveKeyDown);
}

Form* mainForm() { return runtime().main; }

bool Form::escapeUnloadsOtherKeysToMain(QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const int code = virtualKey(*key);
    if (code == VK_ESCAPE) {
        unload();
        return true;
    }
    if (code != 0)
        sendKeyToMain(code, shiftMask(key->modifiers()));
    return false;
}

Qt::WindowFlags ownedWindowFlags(Qt::WindowFlags flags, Qt::WindowType freeType, bool owned) {
    const Qt::WindowType type = static_cast<Qt::WindowType>(int(flags & Qt::WindowType_Mask));
    Qt::WindowType wanted = type;
    if (owned && type == Qt::Window)
        wanted = Qt::Dialog;
    else if (!owned && type == Qt::Dialog && freeType == Qt::Window)
        wanted = Qt::Window;
    return (flags & ~Qt::WindowType_Mask) | wanted;
}

QPoint centredOn(const QRect& frame, const QRect& owner, const QRect& available) {
    QRect placed = frame;
    placed.moveCenter(owner.center());
    if (available.isValid()) {
        // The title bar stays reachable: right and bottom edges first, then left and top.
        placed.moveRight(std::min(placed.right(), available.right()));
        placed.moveBottom(std::min(placed.bottom(), available.bottom()));
        placed.moveLeft(std::max(placed.left(), available.left()));
        placed.moveTop(std::max(placed.top(), available.top()));
    }
    return placed.topLeft();
}

void centreOnOwner(QWidget* window) {
    if (window == nullptr || !window->isWindow() || window->parentWidget() == nullptr)
        return;
    const QWidget* owner = window->parentWidget()->window();
    const QScreen* screen = owner->screen();
    const QRect available = screen != nullptr ? screen->availableGeometry() : QRect();
    // An owner not shown yet (a start-up notice) will stand on the work area.
    const QRect area = owner->isVisible() ? owner->frameGeometry() : available;
    if (!area.isValid())
        return;
    // Laid-out forms take their size when shown: the size they will have.
    if (window->layout() != nullptr)
        window->adjustSize();
    window->move(centredOn(window->frameGeometry(), area, available));
}

void centreOnScreen(QWidget* window) {
    if (window == nullptr || !window->isWindow())
        return;
    const QScreen* screen = window->screen() != nullptr ? window->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    const QRect available = screen->availableGeometry();
    if (window->layout() != nullptr)
        window->adjustSize();
    window->move(centredOn(window->frameGeometry(), available, available));
}

void sendKeyToMain(int keyCode, int shift) {
    const Runtime& r = runtime();
    if (r.main == nullptr || !r.mainKeys)
        return;
    // A copy: the handler may unload the main window, which drops the registered one.
    const KeySink sink = r.mainKeys;
    sink(keyCode, shift);
}

} // namespace platform
