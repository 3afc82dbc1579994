#include "platform/eventwait.h"

#include "platform/boundary.h"

#include <QCoreApplication>
#include <QPointer>

#include <vector>

namespace platform {
namespace {

struct Ending {
    bool requested = false;
    int code = 0;
};

Ending& ending() {
    static Ending e;
    return e;
}

struct Deferred {
    QPointer<QObject> context;
    std::function<void()> fn;
};

struct Waits {
    int open = 0;
    bool posted = false;
    std::vector<Deferred> deferred;
};

Waits& waits() {
    static Waits w;
    return w;
}

void runDeferred();

// Posted rather than run at the end of a scope: the code after the wait still runs with its
// objects, and the deferred work comes once the stack is back in the event loop.
void postDeferred() {
    Waits& w = waits();
    if (w.posted || w.deferred.empty() || QCoreApplication::instance() == nullptr)
        return;
    w.posted = true;
    QTimer::singleShot(0, QCoreApplication::instance(), [] { runDeferred(); });
}

void runDeferred() {
    Waits& w = waits();
    w.posted = false;
    // A wait that began before this ran takes it with it: its scope's end posts again.
    if (w.open > 0)
        return;
    std::vector<Deferred> now;
    now.swap(w.deferred);
    // A wait one of them begins has ended again when it returns: scopes nest on the stack.
    for (Deferred& d : now)
        if (d.context && d.fn)
            guarded("whenNoWaits", d.fn);
}

} // namespace

WaitScope::WaitScope() { ++waits().open; }

WaitScope::~WaitScope() {
    if (--waits().open == 0)
        postDeferred();
}

int waitsInProgress() { return waits().open; }

void whenNoWaits(QObject* context, std::function<void()> fn) {
    waits().deferred.push_back({context, std::move(fn)});
    if (waits().open == 0)
        postDeferred();
}

void endEventLoops(int code) {
    if (!ending().requested)
        ending() = {true, code};
    // Leaves every loop now running, the nested ones included, and makes Qt refuse to start new
    // ones. Before the main loop has run this alone is lost (exec() clears it), hence the flag.
    QCoreApplication::exit(code);
}

bool programEnding() { return ending().requested; }

int runMainLoop() {
    const int code = ending().requested ? ending().code : QCoreApplication::exec();
    ending() = {};
    return code;
}

void pauseMs(int ms) {
    if (programEnding())
        return;
    QEventLoop loop;
    QTimer::singleShot(ms > 0 ? ms : 0, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace platform
