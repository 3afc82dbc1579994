#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <optional>

// Bar building for the K-line tab: the quote tables' daily history and intraday series become the
// bar text the candlestick control draws (records "date,open,close,high,low" joined by "|",
// oldest first). Plain functions, so each period's bucketing is tested without a window.

// Captions of the period buttons kOptions(0..5); the index is KPeriod.
[[nodiscard]] const QStringList& kOptionCaptions();

// Bounds of KBarCount, the number of daily bars minus one.
inline constexpr int16_t kBarCountDefault = 90;
inline constexpr int16_t kBarCountStep = 5;

// The "＋" / "－" buttons (and the chart's plus and minus keys): only the daily period moves the
// count. True when KBarCount changed and the chart must be rebuilt.
bool KjiaStep(int16_t KPeriod, int16_t& KBarCount);
bool KjianStep(int16_t KPeriod, int16_t& KBarCount);

// Price padding ratio passed to DrawKline for a period; none (the control's default) for the
// daily and weekly bars.
[[nodiscard]] std::optional<float> klinePadding(int16_t KPeriod);

// Row 0 of the daily history dated Today takes the snapshot's price, high and low (fields 2, 3
// and 4), each only when above 0; the open stays as delivered. Other texts come back unchanged.
[[nodiscard]] QString patchTodayRow(const QString& dayText, const QDate& today, float price,
                                    float high, float low);

// The newest KBarCount + 1 rows, oldest first. A shorter history lowers KBarCount to its last row
// index, and the lowered value stays.
[[nodiscard]] QString dailyBars(const QString& dayText, int16_t& KBarCount);

// One record per calendar week from the first Monday on; a history that does not end on a Friday
// closes its running week at the current price. Raises VbError 9 beyond 201 weeks and on rows
// with fewer than five fields.
inline constexpr int kMaxWeeks = 201;
[[nodiscard]] QString weeklyBars(const QString& dayText, float price);

// The intraday series of today (0), yesterday (1) and the day before (2) with their short dates,
// bucketed for KPeriod 2..5 (60, 30, 15 and 5 minutes). Unfilled buckets stay empty records.
struct IntradayInput {
    std::array<QString, 3> series;
    std::array<QString, 3> dates;
    float price = 0; // the current price, for zeros that survive the gap filling
};
[[nodiscard]] int intradayBucketCount(int16_t KPeriod);
[[nodiscard]] QString intradayBars(int16_t KPeriod, const IntradayInput& in);
