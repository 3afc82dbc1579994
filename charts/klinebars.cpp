#include "charts/klinebars.h"

#include "common/tradingday.h"
#include "platform/vberror.h"
#include "platform/vbtext.h"

using platform::singleText;

const QStringList& kOptionCaptions() {
    static const QStringList captions = {QStringLiteral("日线图"),   QStringLiteral("周线图"),   QStringLiteral("60分钟图"),
                                         QStringLiteral("30分钟图"), QStringLiteral("15分钟图"), QStringLiteral("5分钟图")};
    return captions;
}

bool KjiaStep(int16_t KPeriod, int16_t& KBarCount) {
    if (KPeriod != 0 || KBarCount + kBarCountStep > 359)
        return false;
    KBarCount = static_cast<int16_t>(KBarCount + kBarCountStep);
    return true;
}

bool KjianStep(int16_t KPeriod, int16_t& KBarCount) {
    if (KPeriod != 0 || KBarCount - kBarCountStep <= 30)
        return false;
    KBarCount = static_cast<int16_t>(KBarCount - kBarCountStep);
    return true;
}

std::optional<float> klinePadding(int16_t KPeriod) {
    if (KPeriod == 2)
        return 0.002f;
    if (KPeriod >= 3 && KPeriod <= 5)
        return 0.001f;
    return std::nullopt;
}

namespace {

QStringList fieldsOf(const QString& row) {
    QStringList f = row.split(u',');
    if (f.size() < 5)
        platform::raiseSubscript();
    return f;
}

QString maxMin(const QString& list, bool isMax) { return singleText(ListMaxMin(list, isMax)); }

} // namespace

QString patchTodayRow(const QString& dayText, const QDate& today, float price, float high,
                      float low) {
    if (dayText.isEmpty())
        return dayText;
    QStringList rows = dayText.split(u'|');
    QStringList f = rows[0].split(u',');
    if (ToDate(f[0]).date() != today)
        return dayText;
    if (f.size() < 5)
        platform::raiseSubscript();
    if (price > 0)
        f[2] = singleText(price);
    if (high > 0)
        f[3] = singleText(high);
    if (low > 0)
        f[4] = singleText(low);
    rows[0] = f.join(u',');
    return rows.join(u'|');
}

QString dailyBars(const QString& dayText, int16_t& KBarCount) {
    const QStringList rows = dayText.split(u'|');
    const auto last = static_cast<int16_t>(rows.size() - 1);
    if (last < KBarCount)
        KBarCount = last;
    QStringList bars;
    bars.reserve(KBarCount + 1);
    for (int i = 0; i <= KBarCount; ++i)
        bars << rows[KBarCount - i];
    return bars.join(u'|');
}

QString weeklyBars(const QString& dayText, float price) {
    const QStringList rows = dayText.split(u'|');
    QStringList weeks;
    QString weekDate;
    QString opening;
    QString list;
    bool started = false;
    bool lastWasFriday = false;
    for (qsizetype r = rows.size() - 1; r >= 0; --r) {
        const QStringList f = fieldsOf(rows[r]);
        const int weekday = ToDate(f[0]).date().dayOfWeek();
        if (!started) {
            if (weekday != 1)
                continue;
            started = true;
        }
        if (weekday == 1) {
            weekDate = f[0];
            opening = f[2];
        }
        const QString four = f.mid(1, 4).join(u',');
        lastWasFriday = weekday == 5;
        if (!lastWasFriday) {
            list += four + u',';
            continue;
        }
        if (weeks.size() >= kMaxWeeks)
            platform::raiseSubscript();
        const QString all = opening + u',' + list + four;
        weeks << weekDate + u',' + opening + u',' + f[2] + u',' + maxMin(all, true) + u',' +
                     maxMin(all, false);
        list.clear();
    }
    if (started && !lastWasFriday) {
        if (weeks.size() >= kMaxWeeks)
            platform::raiseSubscript();
        const QString all = opening + u',' + list + singleText(price);
        weeks << weekDate + u',' + opening + u',' + singleText(price) + u',' + maxMin(all, true) +
                     u',' + maxMin(all, false);
    }
    return weeks.join(u'|');
}

int intradayBucketCount(int16_t KPeriod) {
    switch (KPeriod) {
    case 2: return 72;
    case 3: return 96;
    case 4: return 192;
    case 5: return 288;
    default: return 0;
    }
}

QString intradayBars(int16_t KPeriod, const IntradayInput& in) {
    const int B = intradayBucketCount(KPeriod);
    if (B == 0)
        return {};
    QString joined;
    int slotBase = 0;
    int16_t mode = 0;
    switch (KPeriod) {
    case 2:
        joined = FillZeros(in.series[2] + u',' + in.series[1] + u',' + in.series[0], -1);
        slotBase = DayStartHour;
        mode = -1;
        break;
    case 3:
        joined = in.series[1] + u',' + FillZeros(in.series[0], -1);
        slotBase = 2 * DayStartHour;
        mode = 0;
        break;
    case 4:
        joined = FillZeros(in.series[1] + u',' + in.series[0], -1);
        slotBase = 4 * DayStartHour;
        mode = 1;
        break;
    default:
        joined = FillZeros(in.series[0], -1);
        slotBase = 12 * DayStartHour;
        mode = 2;
        break;
    }
    const auto dateOf = [&](int f) -> const QString& {
        switch (KPeriod) {
        case 2: return f < 18 ? in.dates[2] : f < 42 ? in.dates[1] : in.dates[0];
        case 3: return f <= 35 ? in.dates[1] : in.dates[0];
        case 4: return f <= 71 ? in.dates[1] : in.dates[0];
        default: return in.dates[0];
        }
    };

    const QStringList items = joined.split(u',');
    const auto n = static_cast<int>(items.size());
    const double step = static_cast<double>(n) / B;
    const auto item = [&](int i) -> const QString& {
        if (i < 0 || i >= n)
            platform::raiseSubscript();
        return items[i];
    };
    QStringList records(B);
    for (int f = 0; f < B; ++f) {
        const int start = static_cast<int>(platform::Round(step * f));
        const int end = static_cast<int>(platform::Round(step * (f + 1) - 1));
        const auto open = static_cast<float>(platform::Val(item(start)));
        if (open == 0)
            break;
        QString values;
        for (int i = start; i <= end && i < n - 1; ++i)
            values += u',' + items[i];
        const auto close = static_cast<float>(platform::Val(item(end)));
        QString time = SlotTime(static_cast<int16_t>(slotBase + f), mode);
        if (mode == -1)
            time += QStringLiteral(":00");
        QString rec = dateOf(f) + u' ' + time + u',' + singleText(open) + u',';
        if (close != 0) {
            const QString all = singleText(close) + values;
            rec += singleText(close) + u',' + maxMin(all, true) + u',' + maxMin(all, false);
        } else {
            const QString all = singleText(close) + u',' + singleText(in.price) + values;
            rec += singleText(in.price) + u',' + maxMin(all, true) + u',' + maxMin(all, false);
        }
        records[f] = rec;
    }
    return records.join(u'|');
}
