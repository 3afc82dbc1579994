#include "simservice/simmarket.h"

#include "platform/vbtext.h"
#include "simservice/simnews.h"

#include <QStringList>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace {

constexpr double kGramsPerOunce = 31.1035;

// Underlying factors; every instrument is one of them, a conversion of one, or one plus premiums.
enum FactorId {
    XAU,                 // gold, USD per ounce
    XAG,                 // silver, USD per ounce
    XPT,                 // platinum, USD per ounce
    XPD,                 // palladium, USD per ounce
    WTI,                 // US crude, USD per barrel
    BrentSpread,         // Brent over US crude, USD per barrel
    DXY,                 // dollar index
    CNY,                 // renminbi per dollar
    TdGoldPremium,       // gold T+D over bank gold, RMB per gram
    TdSilverPremium,     // silver T+D over bank silver, RMB per kilogram
    MiniTdSpread,        // mini gold T+D over gold T+D, RMB per gram
    SpotGoldPremium,     // the exchange's spot gold over bank gold, RMB per gram
    SpotPlatinumPremium, // the exchange's spot platinum over bank platinum, RMB per gram
    kFactorCount
};

// Weekday numbering starts on a Monday far enough back for any realistic clock; dates outside
// the range take the level at its edge, which keeps a wild clock cheap instead of slow.
const QDate kEpoch(1990, 1, 1);
const QDate kLastDay(2199, 12, 31);

// Trading hours, as 2-minute slots from 06:00. Outside them an instrument holds its last price.
enum class Session {
    Always,      // bank paper metals, oil and the dollar index: round the clock
    Exchange,    // the gold exchange's deferred contracts and spot gold: 09:00-11:30, 13:30-15:30
                 // and the night session 20:00-02:30
    ExchangeDay, // spot platinum: the two day sessions only
    Onshore,     // the onshore exchange rate: 09:30-03:00
};

bool inSession(Session s, int k) {
    const bool day = (k >= 90 && k <= 165) || (k >= 225 && k <= 285);
    switch (s) {
    case Session::Always:
        return true;
    case Session::Exchange:
        return day || (k >= 420 && k <= 615);
    case Session::ExchangeDay:
        return day;
    case Session::Onshore:
        return k >= 105 && k <= 630;
    }
    return true;
}

// The last traded slot of a day, whose price is held until the next session opens.
int lastSessionSlot(Session s) {
    switch (s) {
    case Session::Always:
        return SimMarket::kSlots - 1;
    case Session::Exchange:
        return 615;
    case Session::ExchangeDay:
        return 285;
    case Session::Onshore:
        return 630;
    }
    return SimMarket::kSlots - 1;
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

// Base levels as the market stood in late 2026.
const Factor kFactors[kFactorCount] = {
    {4150.0, 0.011, 0.004, false}, // XAU
    {52.0, 0.018, 0.004, false},   // XAG
    {1600.0, 0.013, 0.004, false}, // XPT
    {1450.0, 0.018, 0.008, false}, // XPD
    {62.0, 0.018, 0.006, false},   // WTI
    {4.0, 0.25, 0.1, true},        // BrentSpread
    {99.0, 0.004, 0.004, false},   // DXY
    {7.10, 0.0012, 0.004, false},  // CNY
    {0.8, 0.3, 0.15, true},        // TdGoldPremium
    {15.0, 8.0, 0.15, true},       // TdSilverPremium
    {0.0, 0.08, 0.3, true},        // MiniTdSpread
    {0.5, 0.25, 0.15, true},       // SpotGoldPremium
    {1.5, 0.8, 0.15, true},        // SpotPlatinumPremium
};

// How an instrument's price comes from the factors: the factor in its own unit, or (perGram > 0)
// the dollar price per ounce in renminbi per gram times perGram, plus up to two premiums.
struct Recipe {
    int factor;
    double perGram;
    int premium = -1;
    int premium2 = -1;
    Session session = Session::Always;
};

struct Listing {
    SimMarket::Instrument instrument;
    Recipe recipe;
};

// The board in the order the account shows it. The client's defaults put its two small charts on
// rows 10 and 11 (crude oil and the dollar index), and it pairs "tdhj" with "gh" and "tdby" with
// "ying" for the premium column.
const std::vector<Listing>& listings() {
    const QString rmbGram = QStringLiteral("元/克");
    const QString usdOunce = QStringLiteral("美元/盎司");
    const QString usdBarrel = QStringLiteral("美元/桶");
    static const std::vector<Listing> table{
        {{QStringLiteral("人民币账户黄金"), QStringLiteral("gh"), 2, 0.8, rmbGram}, {XAU, 1.0}},
        {{QStringLiteral("人民币账户白银"), QStringLiteral("ying"), 3, 0.04, rmbGram}, {XAG, 1.0}},
        {{QStringLiteral("美元账户黄金"), QStringLiteral("mgold"), 2, 2.0, usdOunce}, {XAU, 0.0}},
        {{QStringLiteral("美元账户白银"), QStringLiteral("msilver"), 3, 0.06, usdOunce},
         {XAG, 0.0}},
        {{QStringLiteral("黄金T+D"), QStringLiteral("tdhj"), 2, 0.0, rmbGram},
         {XAU, 1.0, TdGoldPremium, -1, Session::Exchange}},
        {{QStringLiteral("白银T+D"), QStringLiteral("tdby"), 0, 0.0, QStringLiteral("元/千克")},
         {XAG, 1000.0, TdSilverPremium, -1, Session::Exchange}},
        {{QStringLiteral("人民币账户铂金"), QStringLiteral("bj"), 2, 2.0, rmbGram}, {XPT, 1.0}},
        {{QStringLiteral("美元账户铂金"), QStringLiteral("mbj"), 2, 8.0, usdOunce}, {XPT, 0.0}},
        {{QStringLiteral("人民币账户钯金"), QStringLiteral("pd"), 2, 4.0, rmbGram}, {XPD, 1.0}},
        {{QStringLiteral("美元账户钯金"), QStringLiteral("mpd"), 2, 16.0, usdOunce}, {XPD, 0.0}},
        {{QStringLiteral("美原油"), QStringLiteral("oil"), 2, 0.06, usdBarrel}, {WTI, 0.0}},
        {{QStringLiteral("美元指数"), QStringLiteral("usdx"), 3, 0.0, QStringLiteral("点")},
         {DXY, 0.0}},
        {{QStringLiteral("布伦特原油"), QStringLiteral("brent"), 2, 0.06, usdBarrel},
         {WTI, 0.0, BrentSpread}},
        {{QStringLiteral("迷你黄金T+D"), QStringLiteral("tdmini"), 2, 0.0, rmbGram},
         {XAU, 1.0, TdGoldPremium, MiniTdSpread, Session::Exchange}},
        {{QStringLiteral("黄金99.99"), QStringLiteral("au9999"), 2, 0.0, rmbGram},
         {XAU, 1.0, SpotGoldPremium, -1, Session::Exchange}},
        {{QStringLiteral("铂金99.95"), QStringLiteral("pt9995"), 2, 0.0, rmbGram},
         {XPT, 1.0, SpotPlatinumPremium, -1, Session::ExchangeDay}},
        {{QStringLiteral("美元人民币"), QStringLiteral("usdcny"), 4, 0.0, QStringLiteral("元")},
         {CNY, 0.0, -1, -1, Session::Onshore}},
    };
    return table;
}

// The row whose price is the snapshot's renminbi factor.
const int kRateRow = [] {
    for (size_t i = 0; i < listings().size(); ++i)
        if (listings()[i].recipe.factor == CNY && listings()[i].recipe.perGram == 0.0)
            return static_cast<int>(i);
    return -1;
}();

} // namespace

SimMarket::SimMarket(uint32_t seed) : seed_(seed), levels_(kFactorCount) {}

const std::vector<SimMarket::Instrument>& SimMarket::instruments() {
    static const std::vector<Instrument> list = [] {
        std::vector<Instrument> out;
        for (const Listing& l : listings())
            out.push_back(l.instrument);
        return out;
    }();
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

double SimMarket::rawPrice(int i, const QDate& d, int k) const {
    const Recipe& r = listings()[static_cast<size_t>(i)].recipe;
    double v = factorPath(r.factor, d)[k];
    // Bank paper metals in renminbi follow the dollar price through the exchange rate.
    if (r.perGram > 0.0) v = v * factorPath(CNY, d)[k] / kGramsPerOunce * r.perGram;
    for (const int p : {r.premium, r.premium2})
        if (p >= 0) v += factorPath(p, d)[k];
    return v;
}

std::vector<double> SimMarket::buildSeries(int i, const QDate& d) const {
    const Session session = listings()[static_cast<size_t>(i)].recipe.session;
    std::vector<double> raw(kSlots);
    if (session == Session::Always) {
        for (int k = 0; k < kSlots; ++k)
            raw[k] = rawPrice(i, d, k);
    } else {
        // Until the first session of the day the last traded price of the day before stands.
        double held = rawPrice(i, previousTradingDate(d), lastSessionSlot(session));
        for (int k = 0; k < kSlots; ++k) {
            if (inSession(session, k)) held = rawPrice(i, d, k);
            raw[k] = held;
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
    return series(kRateRow, d)[static_cast<size_t>(std::clamp(slot, 0, kSlots - 1))];
}

std::optional<SimMarket::Quote> SimMarket::quote(int i, const QDateTime& now) const {
    const QDate day = quoteDate(now);
    if (!day.isValid() || i < 0 || i >= static_cast<int>(instruments().size())) return std::nullopt;
    const int slot = quoteSlot(now);
    const std::vector<double>& s = series(i, day);
    const double p = s[static_cast<size_t>(slot)];
    const auto [lo, hi] = std::minmax_element(s.begin(), s.begin() + slot + 1);
    const int decimals = instruments()[static_cast<size_t>(i)].decimals;
    return Quote{p, roundTo(p - previousClose(i, day), decimals), *hi, *lo};
}

QString SimMarket::priceText(double v) {
    return platform::singleText(static_cast<float>(v));
}

QString SimMarket::clockText(const QDateTime& now) {
    return platform::shortDateText(now.date()) + u' ' + platform::timeText(now.time());
}

QString SimMarket::snapshotText(const QDateTime& now, SnapshotShape shape, int nameLength) const {
    trimCaches();
    const QDate day = quoteDate(now);
    if (!day.isValid()) return {};
    const int slot = quoteSlot(now);
    // The news version moves on whenever a broadcast or a news item arrives.
    const qint64 newsVersion = SimNews::version(now);
    const int headerSlot = shape == SnapshotShape::SlotPastList ? kSlots : slot;
    QStringList parts;
    parts << QStringList{QString::number(instruments().size()), priceText(rmbFactor(day, slot)),
                         QString::number(newsVersion),          dateText(now.date()),
                         platform::timeText(now.time()),        QString::number(headerSlot)}
                 .join(u',');
    auto row = [&](size_t n, const QString& name, const QString& code) {
        const Quote q = *quote(static_cast<int>(n), now);
        return QStringList{nameLength > 0 ? name.repeated(nameLength / name.size() + 1).left(nameLength) : name,
                           priceText(q.price),
                           priceText(q.change),
                           priceText(q.high),
                           priceText(q.low),
                           code,
                           priceText(instruments()[n].spread)}
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
