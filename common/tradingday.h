#pragma once

#include <QDateTime>
#include <QString>

#include <cstdint>

// The trading day starts at this hour of the service clock.
inline constexpr int DayStartHour = 6;

// Current 6-minute (0..239) and 2-minute (0..719) slot of the trading day on ServerNow;
// 0 when the clock is not set.
[[nodiscard]] int16_t NowSlot240();
[[nodiscard]] int16_t NowSlot720();

// The trading date of a service time: its date DayStartHour hours earlier. Saturday and Sunday
// dates belong to the Friday before, since no trading day starts before Monday's start hour.
// Invalid for an invalid time.
[[nodiscard]] QDate tradingDate(const QDateTime& serverTime);

// Axis label of a slot counted from midnight. Mode -1: hour "00".."23"; 0: 30-minute slots;
// 1: 15-minute slots; 2: 5-minute slots ("HH:mm"); any other mode, or a slot that spells no
// time, gives "".
[[nodiscard]] QString SlotTime(int16_t Idx, int16_t Mode);

[[nodiscard]] QString WeekName(const QDate& D);
// The date-time a text spells ("yyyy-M-d" or "yyyy/M/d", optional time); the zero date otherwise.
[[nodiscard]] QDateTime ToDate(const QString& S);

// Number lists: items separated by ",".
[[nodiscard]] float ListMaxMin(const QString& List, bool IsMax);
[[nodiscard]] float ListLastNonZero(const QString& List);
[[nodiscard]] QString ListEvery5(const QString& List);
[[nodiscard]] QString ListEvery3(const QString& List);
// Items "0" from the second on take the value of the item before; only indexes below Count when
// Count is positive, all items otherwise.
[[nodiscard]] QString FillZeros(const QString& List, int16_t Count);

[[nodiscard]] QString FormatPrice(float V);
[[nodiscard]] QString FormatChange(float V, bool Four);
[[nodiscard]] int16_t DecimalCount(float V);
// Reseeds from the clock, then a random whole number 0..N.
[[nodiscard]] int32_t RandomInt(int32_t N);

// Code of instrument Idx (0..30; another index raises VbError 9).
[[nodiscard]] QString ProductCode(int16_t Idx);
// True when instrument Idx lies in 0..30 and the last snapshot gave it a code: the history
// loaders ask for no other, as a request without a code fails on every server.
[[nodiscard]] bool hasProductCode(int Idx);
// First index whose code is Code, as decimal text; "" when none.
[[nodiscard]] QString ProductIndex(const QString& Code);

// True when Text holds one of the configured news keywords.
[[nodiscard]] bool MatchKeyword(const QString& Text);
