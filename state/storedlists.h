#pragma once

#include "state/quotetables.h"

#include <QList>
#include <QString>

#include <array>
#include <cstdint>

// Price alerts, slots 1..TxCount (slot 0 unused). TxProd -1 marks an alert that fired or was
// removed. Stored only for members.
inline int16_t TxCount = 0;
inline QList<int16_t> TxProd{0};
inline QList<int16_t> TxCompare{0};
inline QList<float> TxPrice{0.0f};

// Instruments shown in the mini window's extended list, sized by the quote loader.
inline QList<bool> ExtShow;
inline int16_t ExtCount = 0;

// Bookkeeping positions handed over by the service: records "code,f1,...,f6[,f7]" joined by "|".
inline QString HoldText;
inline std::array<std::array<float, 2>, kMaxProducts> HoldUnits{}; // 0 long, 1 short
inline std::array<std::array<float, 3>, kMaxProducts> HoldPrice{}; // 0 long, 1 short, 2 fee rate

inline constexpr int kMaxStoredAlerts = 10;
