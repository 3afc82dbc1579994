#include "simservice/simmarket.h"

#include "platform/vbtext.h"

#include <QStringList>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace {

constexpr double kGramsPerOunce = 31.1035;

// Underlying factors; every instrument is one of them or a conversion of them.
enum FactorId { XAU, XAG, XPT, WTI, DXY, CNY, TdGoldPremium, TdSilverPremium, kFactorCount };

// Weekday numbering starts on a Monday far enough back for any realistic clock; dates outside
// the range take the level at its edge, which keeps a wild clock cheap instead of slow.
const QDate kEpoch(1990, 1, 1);
const QDate kLastDay(2199, 12, 31);

// Exchange sessions of the T+D contracts as 2-minute slots from 06:00: 09:00-11:30, 13:30-15:30
// and the night session 20:00-02:30. Outside them the contract holds its last traded price.
constexpr int kNightEndSlot = 615;
bool inTdSession(int k) {
    return (k >= 90 && k <= 165) || (k >= 225 && k <= 285) || (k >= 420 && k <= kNightEndSlot);
}

// Relative trading activity by hour of the service clock, so the walk is calm in the Asian
// morning and busiest when New York trades.
double activity(int slot) {
    const int hour = (SimMarket::kDayStartHour + slot / 30) % 24;
    if (hour >= 6 && hour < 15) return 0.6;
    if (hour >= 15 && hour < 20) return 1.0;
    if (hour >= 20 || hour < 2) return 1.5;
    return 0.5;
}

uint64_t splitmix(uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

uint64_t mix(uint64_t seed, uint64_t a, uint64_t b, uint64_t c) {
    return splitmix(seed ^ splitmix(a ^ splitmix(b ^ splitmix(c))));
}

// Uniform in (0, 1].
double unit(uint64_t h) {
    return (static_cast<double>(h >> 11) + 1.0) / 9007199254740992.0;
}

double roundTo(double v, int decimals) {
    const double scale = std::pow(10.0, decimals);
    return std::round(v * scale) / scale;
}

quint64 cacheKey(int what, const QDate& d) {
    return (static_cast<quint64>(what) << 32) | static_cast<quint32>(d.toJulianDay());
}

// Caches stay bounded when a long-running tool is asked about many far-apart dates.
constexpr size_t kCacheLimit = 40000;

QString dateText(const QDate& d) {
    return platform::shortDateText(d);
}

} // namespace

namespace {

struct Factor {
    double base;
    double dailySigma; // log units, or price units for an additive factor
    double reversion;  // pull towards the base per trading day
    bool additive;
};

const Factor kFactors[kFactorCount] = {
    {1285.0, 0.011, 0.004, false}, // gold, USD per ounce
    {19.8, 0.018, 0.004, false},   // silver, USD per ounce
    {1420.0, 0.012, 0.004, false}, // platinum, USD per ounce
    {98.6, 0.017, 0.006, false},   // crude oil, USD per barrel
    {80.6, 0.004, 0.004, false},   // dollar index
    {6.153, 0.0012, 0.004, false}, // renminbi per dollar
    {0.6, 0.25, 0.15, true},       // gold T+D over bank gold, RMB per gram
    {12.0, 6.0, 0.15, true},       // silver T+D over bank silver, RMB per kilogram
};

const std::array<SimMarket::Instrument, 10>& instrumentTable() {
    static const std::array<SimMarket::Instrument, 10> table{{
        {QStringLiteral("人民币账户黄金"), QStringLiteral("gh"), 2, 0.8},
        {QStringLiteral("人民币账户白银"), QStringLiteral("ying"), 3, 0.04},
        {QStringLiteral("美元账户黄金"), QStringLiteral("mgold"), 2, 2.0},
        {QStringLiteral("美元账户白银"), QStringLiteral("msilver"), 3, 0.06},
        {QStringLiteral("黄金T+D"), QStringLiteral("tdhj"), 2, 0.0},
        {QStringLiteral("白银T+D"), QStringLiteral("tdby"), 0, 0.0},
        {QStringLiteral("美原油"), QStringLiteral("oil"), 2, 0.06},
        {QStringLiteral("人民币账户铂金"), QStringLiteral("bj"), 2, 2.0},
        {QStringLiteral("美元账户铂金"), QStringLiteral("mbj"), 2, 8.0},
        {QStringLiteral("美元指数"), QStringLiteral("usdx"), 3, 0.0},
    }};
    return table;
}
enum InstrumentId { GH, YING, MGOLD, MSILVER, TDHJ, TDBY, OIL, BJ, MBJ, USDX };
} // namespace

SimMarket::SimMarket(uint32_t seed) : seed_(seed), levels_(kFactorCount) {}

const std::vector<SimMarket::Instrument>& SimMarket::instruments() {
    static const std::vector<Instrument> list(instrumentTable().begin(), instrumentTable().end());
    return list;
}

int SimMarket::indexOf(const QString& code) {
    const auto& list = instruments();
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i].code == code) return static_cast<int>(i);
    return -1;
}

QDate SimMarket::sessionDate(const QDateTime& now) {
    return now.addSecs(-kDayStartHour * 3600).date();
}

bool SimMarket::isTradingDate(const QDate& d) {
    return d.isValid() && d.dayOfWeek() <= 5;
}

bool SimMarket::isOpen(const QDateTime& now) {
    return isTradingDate(sessionDate(now));
}

int SimMarket::slotOf(const QDateTime& now) {
    const QTime t = now.addSecs(-kDayStartHour * 3600).time();
    return t.hour() * 30 + t.minute() / 2;
}

QDate SimMarket::quoteDate(const QDateTime& now) {
    QDate d = sessionDate(now);
    while (d.isValid() && !isTradingDate(d))
        d = d.addDays(-1);
    return d;
}

int SimMarket::quoteSlot(const QDateTime& now) {
    return isOpen(now) ? slotOf(now) : kSlots - 1;
}

QDate SimMarket::previousTradingDate(const QDate& d) {
    QDate p = d.addDays(-1);
    while (p.isValid() && !isTradingDate(p))
        p = p.addDays(-1);
    return p;
}

double SimMarket::normal(uint64_t a, uint64_t b, uint64_t c) const {
    const double u1 = unit(mix(seed_, a, b, c));
    const double u2 = unit(mix(seed_ ^ 0x5DEECE66Dull, a, b, c));
    return std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * std::numbers::pi * u2);
}

// Mean-reverting walk of the factor's closing level from one trading day to the next.
double SimMarket::dailyLevel(int f, const QDate& day) const {
    const Factor& fc = kFactors[f];
    const QDate d = std::clamp(day, kEpoch, kLastDay);
    const qint64 days = kEpoch.daysTo(d);
    const qint64 idx = days / 7 * 5 + std::min<qint64>(days % 7, 4);
    std::vector<double>& xs = levels_[f];
    while (static_cast<qint64>(xs.size()) <= idx) {
        const double prev = xs.empty() ? 0.0 : xs.back();
        xs.push_back((1.0 - fc.reversion) * prev +
                     fc.dailySigma * normal(f, static_cast<uint64_t>(xs.size()), 0xFFFFu));
    }
    const double x = xs[static_cast<size_t>(idx)];
    return fc.additive ? fc.base + x : fc.base * std::exp(x);
}

// The factor's path through one trading day: from the previous close (plus a small overnight
// gap) to this day's close, as a random bridge whose steps follow the activity of the hour.
const std::vector<double>& SimMarket::factorPath(int f, const QDate& d) const {
    const quint64 key = cacheKey(f, d);
    if (auto it = factorPaths_.find(key); it != factorPaths_.end()) return it->second;

    const Factor& fc = kFactors[f];
    auto in = [&](double level) { return fc.additive ? level : std::log(level); };
    const uint64_t jd = static_cast<uint64_t>(d.toJulianDay());
    const double from =
        in(dailyLevel(f, previousTradingDate(d))) + 0.08 * fc.dailySigma * normal(f, jd, 0xFFFEu);
    const double to = in(dailyLevel(f, d));

    static const std::vector<double> stepSigma = [] {
        std::vector<double> s(kSlots, 0.0);
        double total = 0;
        for (int k = 1; k < kSlots; ++k)
            total += activity(k) * activity(k);
        for (int k = 1; k < kSlots; ++k)
            s[k] = activity(k) / std::sqrt(total);
        return s;
    }();

    std::vector<double> walk(kSlots, 0.0), time(kSlots, 0.0);
    for (int k = 1; k < kSlots; ++k) {
        const double s = fc.dailySigma * stepSigma[k];
        walk[k] = walk[k - 1] + s * normal(f, jd, static_cast<uint64_t>(k));
        time[k] = time[k - 1] + stepSigma[k] * stepSigma[k];
    }
    std::vector<double> path(kSlots);
    for (int k = 0; k < kSlots; ++k) {
        const double t = time[k] / time[kSlots - 1];
        const double v = from + (to - from) * t + (walk[k] - t * walk[kSlots - 1]);
        path[k] = fc.additive ? v : std::exp(v);
    }
    return factorPaths_.emplace(key, std::move(path)).first->second;
}

std::vector<double> SimMarket::buildSeries(int i, const QDate& d) const {
    auto path = [&](int f) -> const std::vector<double>& { return factorPath(f, d); };
    std::vector<double> raw(kSlots);
    // Bank paper metals in renminbi follow the dollar price through the exchange rate.
    auto rmbPerGram = [&](int metal, const QDate& day, int k) {
        return factorPath(metal, day)[k] * factorPath(CNY, day)[k] / kGramsPerOunce;
    };
    auto tdRaw = [&](const QDate& day, int k) {
        return i == TDHJ ? rmbPerGram(XAU, day, k) + factorPath(TdGoldPremium, day)[k]
                         : rmbPerGram(XAG, day, k) * 1000.0 + factorPath(TdSilverPremium, day)[k];
    };
    switch (i) {
    case GH:
    case YING:
    case BJ: {
        const int metal = i == GH ? XAU : i == YING ? XAG : XPT;
        for (int k = 0; k < kSlots; ++k)
            raw[k] = rmbPerGram(metal, d, k);
        break;
    }
    case TDHJ:
    case TDBY: {
        double held = tdRaw(previousTradingDate(d), kNightEndSlot);
        for (int k = 0; k < kSlots; ++k) {
            if (inTdSession(k)) held = tdRaw(d, k);
            raw[k] = held;
        }
        break;
    }
    default: {
        const int f = i == MGOLD ? XAU : i == MSILVER ? XAG : i == MBJ ? XPT : i == OIL ? WTI : DXY;
        raw = path(f);
        break;
    }
    }
    const int decimals = instruments()[static_cast<size_t>(i)].decimals;
    for (double& v : raw)
        v = roundTo(v, decimals);
    return raw;
}

const std::vector<double>& SimMarket::series(int i, const QDate& d) const {
    const quint64 key = cacheKey(i, d);
    if (auto it = seriesCache_.find(key); it != seriesCache_.end()) return it->second;
    return seriesCache_.emplace(key, buildSeries(i, d)).first->second;
}

// Only between answers, so no reference handed out inside one is lost.
void SimMarket::trimCaches() const {
    if (factorPaths_.size() + seriesCache_.size() > kCacheLimit) {
        factorPaths_.clear();
        seriesCache_.clear();
    }
}

double SimMarket::previousClose(int i, const QDate& d) const {
    return series(i, previousTradingDate(d))[kSlots - 1];
}

double SimMarket::rmbFactor(const QDate& d, int slot) const {
    return roundTo(factorPath(CNY, d)[std::clamp(slot, 0, kSlots - 1)], 4);
}

QString SimMarket::priceText(double v) {
    return platform::singleText(static_cast<float>(v));
}

QString SimMarket::clockText(const QDateTime& now) {
    return platform::shortDateText(now.date()) + u' ' + platform::timeText(now.time());
}

QString SimMarket::snapshotText(const QDateTime& now, SnapshotShape shape) const {
    trimCaches();
    const QDate day = quoteDate(now);
    if (!day.isValid()) return {};
    const int slot = quoteSlot(now);
    // The news version moves on every three hours of the trading day.
    const qint64 newsVersion = day.toJulianDay() % 1000000 * 10 + slot / 90;
    const int headerSlot = shape == SnapshotShape::SlotPastList ? kSlots : slot;
    QStringList parts;
    parts << QStringList{QString::number(instruments().size()), priceText(rmbFactor(day, slot)),
                         QString::number(newsVersion),          dateText(now.date()),
                         platform::timeText(now.time()),        QString::number(headerSlot)}
                 .join(u',');
    auto row = [&](size_t n, const QString& name, const QString& code) {
        const int i = static_cast<int>(n);
        const Instrument& ins = instruments()[n];
        const std::vector<double>& s = series(i, day);
        const double p = s[slot];
        const auto [lo, hi] = std::minmax_element(s.begin(), s.begin() + slot + 1);
        return QStringList{name,
                           priceText(p),
                           priceText(roundTo(p - previousClose(i, day), ins.decimals)),
                           priceText(*hi),
                           priceText(*lo),
                           code,
                           priceText(ins.spread)}
            .join(u',');
    };
    for (size_t n = 0; n < instruments().size(); ++n) {
        if (shape == SnapshotShape::NoGoldPartner && instruments()[n].code == u"gh") continue;
        parts << row(n, instruments()[n].name, instruments()[n].code);
    }
    // Copies of the instruments under codes of their own, up to a 32nd row.
    constexpr qsizetype kExtraRowCount = 32;
    while (shape == SnapshotShape::ExtraRow && parts.size() <= kExtraRowCount) {
        const auto r = static_cast<int>(parts.size());
        const size_t n = static_cast<size_t>(r - 1) % instruments().size();
        parts << row(n, instruments()[n].name + QString::number(r), QStringLiteral("x%1").arg(r));
    }
    return parts.join(u'|') + u'|';
}

bool SimMarket::isGap(uint64_t salt, int i, const QDate& d, int k, double rate) const {
    return unit(mix(seed_, salt + static_cast<uint64_t>(i), static_cast<uint64_t>(d.toJulianDay()),
                    static_cast<uint64_t>(k))) < rate;
}

// One day as "date_" and the comma list of its slots: slots after lastSlot are "0" (not traded
// yet); with gaps a few lone slots are missing, as the stores answer.
QString SimMarket::dayItems(int i, const QDate& d, int lastSlot, Gaps gaps) const {
    const std::vector<double>& s = series(i, d);
    QString out = dateText(d) + u'_';
    out.reserve(kSlots * 8);
    bool previousEmpty = false;
    for (int k = 0; k < kSlots; ++k) {
        if (k > 0) out += u',';
        if (k > lastSlot) {
            out += u'0';
            continue;
        }
        // A gap never opens or closes a day (nor the traded part of today) and never follows
        // another one, so each reads as a single missing slot.
        const bool gap = gaps != Gaps::None && k > 0 && k < std::min(lastSlot, kSlots - 1) &&
                         !previousEmpty && isGap(0x6A7Bu, i, d, k, 0.004);
        previousEmpty = gap;
        if (!gap)
            out += priceText(s[k]);
        else if (gaps == Gaps::Zero)
            out += u'0';
    }
    return out;
}

QString SimMarket::intradayText(const QString& code, const QDateTime& now, bool missingSlots) const {
    trimCaches();
    const int i = indexOf(code);
    if (i < 0 || !quoteDate(now).isValid()) return {};
    const Gaps gaps = missingSlots ? Gaps::Zero : Gaps::None;
    QDate d = quoteDate(now);
    QStringList parts;
    parts << dayItems(i, d, quoteSlot(now), gaps);
    for (int back = 1; back <= 2; ++back) {
        d = previousTradingDate(d);
        parts << dayItems(i, d, kSlots - 1, gaps);
    }
    return parts.join(u'|');
}

QString SimMarket::tenDayText(const QString& code, const QDateTime& now) const {
    trimCaches();
    const int i = indexOf(code);
    if (i < 0 || !quoteDate(now).isValid()) return {};
    QDate d = quoteDate(now);
    for (int back = 0; back < 3; ++back)
        d = previousTradingDate(d);
    QStringList parts;
    for (int back = 3; back <= 9; ++back) {
        parts << dayItems(i, d, kSlots - 1, Gaps::Empty);
        d = previousTradingDate(d);
    }
    return parts.join(u'|');
}

// Daily rows "date,open,close,high,low", newest first, behind a leading "|".
QString SimMarket::yearText(const QString& code, const QDateTime& now, bool missingSlots) const {
    trimCaches();
    const int i = indexOf(code);
    if (i < 0 || !quoteDate(now).isValid()) return {};
    const QDate last = quoteDate(now);
    const QDate first = last.addDays(-365);
    QString out;
    for (QDate d = last; d.isValid() && d > first; d = previousTradingDate(d)) {
        const std::vector<double>& s = series(i, d);
        const int end = d == last ? quoteSlot(now) : kSlots - 1;
        const auto [lo, hi] = std::minmax_element(s.begin(), s.begin() + end + 1);
        // A missing close is an empty field; the client then reads the row's opening price.
        const bool gap = missingSlots && d != last && isGap(0x7E4Au, i, d, 0, 0.05);
        out += u'|';
        out += QStringList{dateText(d), priceText(s[0]), gap ? QString() : priceText(s[end]),
                           priceText(*hi), priceText(*lo)}
                   .join(u',');
    }
    return out;
}
