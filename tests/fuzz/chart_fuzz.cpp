// The K-line tab's bar building from the quote tables' histories, as the data servers deliver them.
#include "tests/fuzz/fuzztarget.h"

#include "charts/klinebars.h"
#include "platform/vberror.h"

// The first byte picks the bar count and the period; the rest is the daily history text
// ("date,open,close,high,low" rows joined by "|", newest first), for the intraday periods
// the three days' series split at "#".
BRELTO_FUZZ_TARGET(klinebars) {
    if (data.isEmpty())
        return;
    fuzz::setUpEnvironment();
    const auto head = static_cast<unsigned char>(data[0]);
    const QString text = fuzz::gbkText(data.sliced(1));
    const QStringList rows = text.split(u'|');

    // Daily bars: the newest rows, oldest first, never more than asked for or than there are; a
    // second build from the lowered count gives the same bars.
    const auto asked = static_cast<int16_t>(kBarCountStep * (1 + head % 40));
    int16_t count = asked;
    const QString daily = dailyBars(text, count);
    fuzz::check(count <= asked && count == std::min<qsizetype>(asked, rows.size() - 1), "the bar count is lowered to the rows there are");
    const QStringList bars = daily.split(u'|');
    fuzz::check(bars.size() == count + 1, "one bar per row taken");
    for (int i = 0; i <= count; ++i)
        fuzz::check(bars[i] == rows[count - i], "the bars are the newest rows, oldest first");
    int16_t again = count;
    fuzz::check(dailyBars(text, again) == daily && again == count, "a lowered count stays");

    // Weekly bars: a week per Friday (and one running), each a full record; a row too short or too
    // many weeks is the documented subscript error.
    try {
        const QString weekly = weeklyBars(text, 3.6f);
        const QStringList weeks = weekly.isEmpty() ? QStringList() : weekly.split(u'|');
        fuzz::check(weeks.size() <= kMaxWeeks, "no more weeks than the chart holds");
        for (const QString& w : weeks)
            fuzz::check(w.count(u',') >= 4, "a week is a whole record");
    } catch (const platform::VbError& e) {
        fuzz::check(e.number == platform::kErrSubscript || e.number == platform::kErrOverflow,
                    "weekly bars fail only on a subscript or an overflowing number");
    }

    // Intraday bars: never more buckets than the period has.
    const auto period = static_cast<int16_t>(2 + (head >> 6));
    IntradayInput in;
    const QStringList days = text.split(u'#');
    for (int d = 0; d < 3; ++d) {
        in.series[static_cast<size_t>(d)] = days.value(d);
        in.dates[static_cast<size_t>(d)] = QStringLiteral("12-%1").arg(10 - d);
    }
    in.price = 3.6f;
    try {
        const QString intraday = intradayBars(period, in);
        fuzz::check(intraday.count(u'|') < intradayBucketCount(period), "no more buckets than the period has");
    } catch (const platform::VbError& e) {
        fuzz::check(e.number == platform::kErrSubscript || e.number == platform::kErrOverflow,
                    "intraday bars fail only on a subscript or an overflowing number");
    }
}
