#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

// The simulated market: the board of a bank precious-metal account (paper gold, silver, platinum
// and palladium against the renminbi and the dollar, the gold exchange's contracts, crude oil, the
// dollar index and the dollar's renminbi rate), driven by a seeded random walk on a few underlying
// factors (the metals in dollars per ounce, oil, the dollar index, the exchange rate and the
// exchange premiums). Renminbi metal prices are the dollar price through the exchange rate per
// gram, so the rows of one metal agree with each other. Every price is a pure function of (seed,
// instrument, trading date, slot), so the live snapshot and every history answer agree whatever
// order they are asked in. The exchange's contracts and the onshore exchange rate move only in
// their sessions and hold their price in between.
//
// Trading-day clock, as the client keeps it: the day starts at 06:00, the trading date is the
// service time moved back six hours, a day has 720 two-minute slots, and the trading dates are
// Monday to Friday (so Saturday 00:00-06:00 still belongs to Friday, and Monday 00:00-06:00 is
// closed).
class SimMarket {
public:
    static constexpr int kSlots = 720;
    static constexpr int kDayStartHour = 6;

    struct Instrument {
        QString name;
        QString code;
        int decimals;
        double spread; // the bank's selling price less its buying price
        QString unit;
    };
    // One instrument at one moment, as the snapshot row carries it.
    struct Quote {
        double price;
        double change; // against the previous trading day's close
        double high;   // of the day so far
        double low;
    };

    explicit SimMarket(uint32_t seed = 1);

    uint32_t seed() const { return seed_; }
    static const std::vector<Instrument>& instruments();
    // Index of a code in instruments(); -1 for an unknown code.
    static int indexOf(const QString& code);

    // Clock rules.
    static QDate sessionDate(const QDateTime& now); // now minus six hours
    static bool isTradingDate(const QDate& d);
    static bool isOpen(const QDateTime& now);
    static int slotOf(const QDateTime& now); // 0..719 on the session date
    // The trading day the quotes belong to: today's while open, else the last one that ended.
    static QDate quoteDate(const QDateTime& now);
    // The slot whose price is the live one: the current slot while open, the final slot when
    // closed.
    static int quoteSlot(const QDateTime& now);
    static QDate previousTradingDate(const QDate& d);

    // Prices of instrument i on trading date d, one per slot, rounded to its decimals. The
    // reference stays valid until the next answer text is built.
    const std::vector<double>& series(int i, const QDate& d) const;
    double price(int i, const QDate& d, int slot) const { return series(i, d)[slot]; }
    double previousClose(int i, const QDate& d) const;
    // Instrument i at the moment the snapshot of `now` shows; nullopt when the clock is invalid.
    std::optional<Quote> quote(int i, const QDateTime& now) const;
    // The renminbi factor quoted with the snapshot: the dollar's renminbi rate of the moment, as
    // its own row quotes it.
    double rmbFactor(const QDate& d, int slot) const;

    // Snapshots a broken server sends: a 32nd instrument row (one more than the client keeps),
    // a slot index past the end of the day's 720 slots, or no row for "gh" (the partner of the
    // gold T+D row).
    enum class SnapshotShape { Normal, ExtraRow, SlotPastList, NoGoldPartner };

    // Answers as the client reads them after the transport decoding; "" for an unknown code.
    // With missingSlots, a few lone slots of the three-day answer read "0" and a few daily rows
    // have an empty close, as a store with holes answers. A nameLength above 0 repeats every
    // instrument name of the snapshot to that many characters, as a broken board would send it.
    QString snapshotText(const QDateTime& now, SnapshotShape shape = SnapshotShape::Normal,
                         int nameLength = 0) const;
    QString intradayText(const QString& code, const QDateTime& now,
                         bool missingSlots = false) const;                  // "&m=P-"
    QString tenDayText(const QString& code, const QDateTime& now) const;   // "&m=P10-"
    QString yearText(const QString& code, const QDateTime& now,
                     bool missingSlots = false) const;                     // "&m=P365-"
    static QString clockText(const QDateTime& now);

    // Price text as the wire carries it: shortest single-precision text of the rounded value.
    static QString priceText(double v);

private:
    double dailyLevel(int f, const QDate& d) const;
    const std::vector<double>& factorPath(int f, const QDate& d) const;
    std::vector<double> buildSeries(int i, const QDate& d) const;
    double rawPrice(int i, const QDate& d, int slot) const;
    // A missing slot is left empty (the long-range store) or written "0" (the intraday store).
    enum class Gaps { None, Empty, Zero };
    QString dayItems(int i, const QDate& d, int lastSlot, Gaps gaps) const;
    bool isGap(uint64_t salt, int i, const QDate& d, int k, double rate) const;
    double normal(uint64_t a, uint64_t b, uint64_t c) const;
    void trimCaches() const;

    uint32_t seed_;
    // Daily levels per factor, indexed by weekdays since the epoch, grown on demand.
    mutable std::vector<std::vector<double>> levels_;
    // Node-based maps: references handed out survive later insertions.
    mutable std::unordered_map<quint64, std::vector<double>> factorPaths_;
    mutable std::unordered_map<quint64, std::vector<double>> seriesCache_;
};
