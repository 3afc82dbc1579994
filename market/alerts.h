#pragma once

#include <QList>
#include <QString>

// A price alert met by the current prices: its number k (1..TxCount) and the text that tells the
// user.
struct MetAlert {
    int k = 0;
    QString text;
    bool operator==(const MetAlert&) const = default;
};

// Tests the price alerts (TxCount, TxProd, TxCompare, TxPrice) against the current prices and
// returns the met ones in alert order. Nothing is switched off here: an alert fires only once it
// has been shown, which is the caller's to decide. An alert whose instrument is outside 0..30 or
// not in the last snapshot, or whose price is still 0, is never met.
[[nodiscard]] QList<MetAlert> metAlerts();
