#pragma once

#include <QApplication>
#include <QString>

#include <concepts>
#include <functional>
#include <type_traits>
#include <utility>

// The boundary between the event loop and the program's code. Whatever an entry point the loop
// calls (a slot, a timer, a socket or network handler, a window event) raises stops here: it is
// logged with the entry point's name and the loop goes on. The entry point's own state (busy
// flags, stopped timers) is put back by scope objects in the handler, which run on the way out.
namespace platform {

// Where the lines of stopped failures go: "<number>:<description>>><where>" for a numbered
// error, "<what>>><where>" otherwise. The program sends them to its log; unset, to stderr.
using BoundaryLog = void (*)(const QString& line);
void setBoundaryLog(BoundaryLog log);
// The line for the failure being handled now; called only from inside a catch block.
[[nodiscard]] QString currentFailureLine(const char* where);
void reportFailure(const char* where) noexcept;

// Runs `body` at a boundary named `where`; false when it raised.
template <typename Body>
bool guarded(const char* where, Body&& body) noexcept {
    try {
        std::forward<Body>(body)();
        return true;
    } catch (...) {
        reportFailure(where);
        return false;
    }
}

// The callable to connect instead of `f`: it runs `f` guarded, with as many of the signal's
// arguments as `f` takes (the constraint lets connect() find that count).
template <typename F>
auto guard(const char* where, F f) {
    return [where, f = std::move(f)]<typename... Args>(Args&&... args)
        requires std::invocable<const F&, Args...>
    {
        guarded(where, [&] { std::invoke(f, std::forward<Args>(args)...); });
    };
}

// The same for a member function of `object`.
template <typename Object, typename Method>
    requires std::is_member_function_pointer_v<Method>
auto guard(const char* where, Object* object, Method method) {
    return guard(where, [object, method]<typename... Args>(Args&&... args)
                     requires std::invocable<Method, Object*, Args...>
                 { std::invoke(method, object, std::forward<Args>(args)...); });
}

// The last resort for anything the entry points' own guards miss: an event whose handling raises
// is logged and counts as handled, so nothing ends the program.
class GuardedApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override;
};

} // namespace platform
