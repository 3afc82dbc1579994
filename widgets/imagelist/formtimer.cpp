#include "widgets/imagelist/formtimer.h"

#include "platform/boundary.h"

#include <algorithm>
#include <vector>

namespace {

ManualClock* g_clock = nullptr;
// Timers waiting on the manual clock.
std::vector<FormTimer*>& waiting() {
    static std::vector<FormTimer*> timers;
    return timers;
}

void forget(FormTimer* timer) {
    auto& timers = waiting();
    timers.erase(std::remove(timers.begin(), timers.end(), timer), timers.end());
}

} // namespace

FormTimer::FormTimer(QObject* parent) : QObject(parent) {
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, platform::guard("formtimer m_timer timeout", this, &FormTimer::fire));
}

FormTimer::~FormTimer() {
    forget(this);
}

void FormTimer::start(int ms, std::function<void()> onTimeout) {
    stop();
    m_onTimeout = std::move(onTimeout);
    if (g_clock != nullptr) {
        m_due = g_clock->now() + std::max(0, ms);
        waiting().push_back(this);
    } else {
        m_timer.start(ms);
    }
}

void FormTimer::stop() {
    m_timer.stop();
    m_due = -1;
    forget(this);
}

bool FormTimer::isActive() const {
    return m_timer.isActive() || m_due >= 0;
}

void FormTimer::fire() {
    m_due = -1;
    forget(this);
    // The handler may delete this timer (a form unloading itself): call a copy.
    const std::function<void()> handler = m_onTimeout;
    if (handler) handler();
}

ManualClock::ManualClock() {
    g_clock = this;
}

ManualClock::~ManualClock() {
    if (g_clock == this) g_clock = nullptr;
    for (FormTimer* timer : std::vector<FormTimer*>(waiting()))
        timer->m_due = -1;
    waiting().clear();
}

void ManualClock::advance(int ms) {
    const qint64 target = m_now + std::max(0, ms);
    for (;;) {
        auto& timers = waiting();
        const auto next = std::min_element(
            timers.begin(), timers.end(),
            [](const FormTimer* a, const FormTimer* b) { return a->m_due < b->m_due; });
        if (next == timers.end() || (*next)->m_due > target) break;
        m_now = (*next)->m_due;
        (*next)->fire();
    }
    m_now = target;
}
