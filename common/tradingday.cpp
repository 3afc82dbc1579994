#include "common/tradingday.h"

#include "state/quotetables.h"
#include "platform/clock.h"
#include "platform/vberror.h"
#include "platform/vbtext.h"
#include "state/configstate.h"

#include <QStringList>

#include <cstdlib>

namespace {

int16_t nowSlot(int slotsPerHour) {
    if (!ServerNow.isValid())
        return 0;
    const int hour = ServerNow.addSecs(-DayStartHour * 3600).time().hour();
    return static_cast<int16_t>(hour * slotsPerHour + ServerNow.time().minute() / (60 / slotsPerHour));
}

// "h:m" read back as a time and written "HH:mm"; "" when it spells no time of day.
QString shortTime(int hours, int minutes) {
    const QTime t(hours, minutes);
    return t.isValid() ? t.toString(QStringLiteral("HH:mm")) : QString();
}

QString everyNth(const QString& List, int n) {
    if (List.isEmpty())
        return {};
    const QStringList items = List.split(u',');
    QStringList picked;
    for (qsizetype i = 0; i < items.size(); i += n)
        picked << items[i];
    return picked.join(u',');
}

} // namespace

int16_t NowSlot240() { return nowSlot(10); }
int16_t NowSlot720() { return nowSlot(30); }

QDate tradingDate(const QDateTime& serverTime) {
    if (!serverTime.isValid())
        return {};
    QDate d = serverTime.addSecs(-DayStartHour * 3600).date();
    while (d.dayOfWeek() > Qt::Friday)
        d = d.addDays(-1);
    return d;
}

QString SlotTime(int16_t Idx, int16_t Mode) {
    int idx = Idx;
    switch (Mode) {
    case -1: {
        if (idx > 23)
            idx -= 24 * (idx / 24);
        return idx < 0 ? QStringLiteral("-%1").arg(-idx, 2, 10, QLatin1Char('0'))
                       : QStringLiteral("%1").arg(idx, 2, 10, QLatin1Char('0'));
    }
    case 0: {
        if (idx >= 48)
            idx -= 48;
        if (idx >= 48)
            idx -= 48;
        const int m = idx * 30;
        if (m / 60 == 24 && m % 60 == 0)
            return shortTime(0, 0);
        return shortTime(m / 60, m % 60);
    }
    case 1: {
        if (idx >= 96)
            idx -= 96;
        const int m = idx * 15;
        int hours = m / 60;
        if (hours >= 24)
            hours -= 24;
        return shortTime(hours, m % 60);
    }
    case 2: {
        if (idx >= 288)
            idx -= 288;
        const int m = idx * 5;
        if (m / 60 == 24 && m % 60 == 0)
            return shortTime(0, 0);
        return shortTime(m / 60, m % 60);
    }
    default:
        return {};
    }
}

QString WeekName(const QDate& D) {
    static const char16_t* const kNames[] = {u"星期日", u"星期一", u"星期二", u"星期三",
                                             u"星期四", u"星期五", u"星期六"};
    if (!D.isValid())
        return {};
    return QString::fromUtf16(kNames[D.dayOfWeek() % 7]);
}

QDateTime ToDate(const QString& S) {
    const QDateTime d = platform::parseDate(S);
    return d.isValid() ? d : platform::zeroDate();
}

float ListMaxMin(const QString& List, bool IsMax) {
    float best = 0;
    for (const QString& item : List.split(u',')) {
        if (!platform::IsNumeric(item))
            continue;
        const float v = static_cast<float>(platform::CDbl(item));
        if (v > 0 && (best == 0 || (IsMax ? v > best : v < best)))
            best = v;
    }
    return best;
}

float ListLastNonZero(const QString& List) {
    if (List.isEmpty())
        return 0;
    const QStringList items = List.split(u',');
    for (qsizetype i = items.size() - 1; i >= 0; --i) {
        const double v = platform::Val(items[i]);
        if (v != 0)
            return static_cast<float>(v);
    }
    return 0;
}

QString ListEvery5(const QString& List) { return everyNth(List, 5); }
QString ListEvery3(const QString& List) { return everyNth(List, 3); }

QString FillZeros(const QString& List, int16_t Count) {
    try {
        QStringList items = List.split(u',');
        const qsizetype end = Count > 0 ? std::min<qsizetype>(Count, items.size()) : items.size();
        for (qsizetype i = 1; i < end; ++i)
            if (items[i] == u"0")
                items[i] = platform::doubleText(platform::Val(items[i - 1]));
        return items.join(u',');
    } catch (const platform::VbError&) {
        return List;
    }
}

QString FormatPrice(float V) {
    return platform::formatFixed(platform::Round(static_cast<double>(V), 2), 2);
}

QString FormatChange(float V, bool Four) {
    const int decimals = Four ? 4 : 2;
    if (V > 0)
        return platform::formatFixed(V, decimals, u'+');
    if (V == 0)
        return QStringLiteral("0");
    return platform::formatFixed(-V, decimals, u'-');
}

int16_t DecimalCount(float V) {
    const QString s = platform::singleText(V);
    const qsizetype dot = s.lastIndexOf(u'.');
    return dot < 0 ? 0 : static_cast<int16_t>(s.size() - dot - 1);
}

int32_t RandomInt(int32_t N) {
    platform::Randomize();
    return platform::CLng(static_cast<double>(platform::Rnd()) * N);
}

QString ProductCode(int16_t Idx) {
    if (Idx < 0 || Idx >= kMaxProducts)
        platform::raiseSubscript();
    return ProdCode[Idx];
}

bool hasProductCode(int Idx) { return Idx >= 0 && Idx < kMaxProducts && !ProdCode[Idx].isEmpty(); }

QString ProductIndex(const QString& Code) {
    for (int i = 0; i < kMaxProducts; ++i)
        if (ProdCode[i] == Code)
            return QString::number(i);
    return {};
}

bool MatchKeyword(const QString& Text) {
    if (!NewsKeywords.contains(u','))
        return false;
    for (const QString& item : NewsKeywords.split(u',')) {
        if (item.contains(u'|')) {
            const QStringList words = item.split(u'|');
            if (Text.contains(words[0]) && Text.contains(words[1]))
                return true;
        } else if (Text.contains(item)) {
            return true;
        }
    }
    return false;
}
