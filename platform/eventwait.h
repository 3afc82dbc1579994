#pragma once

#include <QEventLoop>
#include <QObject>
#include <QTimer>

namespace platform {

// Waits for `signal` of `sender` while the event loop keeps timers, sockets and input running;
// true when the signal came before `timeoutMs` passed. Callers must tolerate being re-entered
// from an event handled during the wait.
template <typename Sender, typename Signal>
bool waitForSignal(const Sender* sender, Signal signal, int timeoutMs) {
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

// A pause that keeps the event loop running.
void pauseMs(int ms);

} // namespace platform
