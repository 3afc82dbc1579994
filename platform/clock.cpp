#include "platform/clock.h"

namespace platform {
namespace {
std::function<QDateTime()>& source() {
    static std::function<QDateTime()> s;
    return s;
}
} // namespace

QDateTime naiveDateTime(const QDate& d, const QTime& t) { return QDateTime(d, t, Qt::UTC); }

QDateTime pcNow() {
    if (source())
        return source()();
    const QDateTime local = QDateTime::currentDateTime();
    return naiveDateTime(local.date(), local.time());
}

void setPcClock(std::function<QDateTime()> s) { source() = std::move(s); }

} // namespace platform
