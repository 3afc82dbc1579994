#pragma once

#include <QDateTime>

#include <functional>

namespace platform {

// Dates in this program are wall-clock values without a zone. They are held as QDateTime in UTC
// spec, so adding seconds never meets a daylight-saving gap and comparisons are plain.
[[nodiscard]] QDateTime naiveDateTime(const QDate& d, const QTime& t = QTime(0, 0));

// The PC's wall clock, replaceable by tests. A null source restores the real clock.
[[nodiscard]] QDateTime pcNow();
void setPcClock(std::function<QDateTime()> source);

} // namespace platform

// The service clock: PC clock plus the offset taken from the data server, advanced every second by
// the main window. Invalid until the main window first sets it.
inline QDateTime ServerNow;
