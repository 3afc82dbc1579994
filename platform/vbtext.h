#pragma once

#include <QDateTime>
#include <QString>

#include <cstdint>

// The number, text and date semantics the program was written against, in one place, so that
// prices print as "3.6" and never "3.5999999", halves round the way the service expects, and a
// server field reads the same everywhere.
namespace platform {

// Leading number of a text: blanks, tabs and line feeds are skipped anywhere, then an optional
// sign, digits, "." and digits, an exponent (E or D); "&H" and "&O" prefixes read hex and octal.
// 0 when the text starts with no number. Throws VbError 6 when the number overflows a double.
[[nodiscard]] double Val(QStringView text);

// Whole text is a number (blanks around it, a sign, thousands separators, an exponent, &H/&O).
[[nodiscard]] bool IsNumeric(QStringView text);

// Strict conversions: the whole text must be a number (VbError 13 otherwise, 6 on overflow).
[[nodiscard]] double CDbl(QStringView text);
[[nodiscard]] float CSng(QStringView text);
[[nodiscard]] float CSng(double value); // VbError 6 when outside the single range

// Shortest decimal text: 7 significant digits for a single, 15 for a double, "." as the point,
// exponent form "1E-07" for very small or large values, no "-0".
[[nodiscard]] QString singleText(float value);
[[nodiscard]] QString doubleText(double value);

// Rounding halves to the even neighbour.
[[nodiscard]] double Round(double value, int digits = 0);
[[nodiscard]] int16_t CInt(double value); // VbError 6 outside -32768..32767
[[nodiscard]] int32_t CLng(double value); // VbError 6 outside the 32-bit range

// Fixed decimals as the "0.00" pattern writes them: halves away from zero, on the value's decimal
// text (15 digits for a double, 7 for a single), so 2.675 gives "2.68".
[[nodiscard]] QString formatFixed(double value, int decimals);
[[nodiscard]] QString formatFixed(float value, int decimals);
// The same text with `lead` (a sign the caller chose) in front, made in one step.
[[nodiscard]] QString formatFixed(float value, int decimals, char16_t lead);

// Random fraction in [0, 1) from the program's one generator. Randomize() mixes the clock into it;
// Randomize(seed) restarts it at a fixed point, for repeatable tests.
[[nodiscard]] float Rnd();
// 64 random bits from the same generator, for callers that need many small random values.
[[nodiscard]] uint64_t RndBits();
void Randomize();
void Randomize(uint32_t seed);

// Dates: short date "yyyy-M-d", time "H:mm:ss", general date "yyyy-M-d H:mm:ss" (the time part is
// left out at midnight, the date part on the zero date).
[[nodiscard]] QDateTime zeroDate(); // 1899-12-30 00:00, the date that spells no day
[[nodiscard]] QString shortDateText(const QDate& d);
[[nodiscard]] QString timeText(const QTime& t);
[[nodiscard]] QString generalDateText(const QDateTime& dt);
// Accepts "yyyy-M-d" or "yyyy/M/d", optionally followed by a blank and "H:mm" or "H:mm:ss", or a
// time alone (which lies on the zero date). Invalid QDateTime when the text spells no date.
[[nodiscard]] QDateTime parseDate(QStringView text);
[[nodiscard]] bool IsDate(QStringView text);
[[nodiscard]] QDateTime CDate(QStringView text); // VbError 13 when not a date

} // namespace platform
