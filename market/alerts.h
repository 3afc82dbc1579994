#pragma once

#include <QStringList>

// Tests the price alerts (TxCount, TxProd, TxCompare, TxPrice) against the current prices. A met
// alert is switched off (its instrument set to -1) and its text returned, in alert order. An
// alert whose instrument is outside 0..30 or not in the last snapshot, or whose price is still
// 0, is skipped: neither fired nor switched off. Saving the switched-off alerts is the caller's.
[[nodiscard]] QStringList checkAlerts();
