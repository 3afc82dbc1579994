#pragma once

#include <QEventLoop>
#include <QObject>
#include <QTimer>

#include <functional>

namespace platform {

// A nested wait of the program (a request, a modal box, a form shown modally) in progress, for
// its scope. Code further down the stack of such a wait goes on after it with the objects it had
// before it; whatever would delete them (a log-out unloading its window, say) must wait for
// these scopes to end.
class WaitScope {
public:
    WaitScope();
    ~WaitScope();
    WaitScope(const WaitScope&) = delete;
    WaitScope& operator=(const WaitScope&) = delete;
};
[[nodiscard]] int waitsInProgress();
// Runs `fn` from the event loop once no WaitScope is open; dropped when `context` is deleted
// first. Each call runs once, in the order asked.
void whenNoWaits(QObject* context, std::function<void()> fn);

// The program's end: every event loop running now is left, and from then on every wait returns
// at once and the main loop is not entered, so an end asked for before the main loop began (the
// start window closes during its start-up) is not lost. It lasts until runMainLoop returns.
void endEventLoops(int code = 0);
[[nodiscard]] bool programEnding();

// The application's main loop; the code the program ends with. Returns at once when the program
// ended before the loop began.
int runMainLoop();

// Waits for `signal` of `sender` while the event loop keeps timers, sockets and input running;
// true when the signal came before `timeoutMs` passed. False at once, or as soon as the program
// ends. Callers must tolerate being re-entered from an event handled during the wait.
template <typename Sender, typename Signal>
bool waitForSignal(const Sender* sender, Signal signal, int timeoutMs) {
    if (programEnding())
        return false;
    const WaitScope scope;
    QEventLoop loop;
    bool fired = false;
    QObject::connect(sender, signal, &loop, [&] {
        fired = true;
        loop.quit();
    });
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.setTimerType(Qt::PreciseTimer);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    deadline.start(timeoutMs > 0 ? timeoutMs : 0);
    loop.exec();
    return fired;
}

// A pause that keeps the event loop running; cut short when the program ends.
void pauseMs(int ms);

} // namespace platform
