#pragma once

#include "state/storedlists.h"

#include <optional>

// Loading and saving of the stored lists in set.ini.

// One stored alert, "instrument,comparator,price" as SaveTx writes it.
struct StoredAlert {
    int16_t prod = 0;
    int16_t compare = 0;
    float price = 0;
    bool operator==(const StoredAlert&) const = default;
};
// None unless the text is three numbers that make an alert the editor could have set: an
// instrument 0..30, a comparator 0 or 1 and a price above 0.
[[nodiscard]] std::optional<StoredAlert> readStoredAlert(const QString& text);

// Reads the member's alerts back. An entry that does not read whole is skipped with a log line
// (guessing it would be an alert at 0, met at once) and kept word for word, so that SaveTx puts
// it back after the live alerts instead of losing it.
void LoadTx();
void SaveTx();
void LoadExt();
void CountExt();
void LoadHoldings();
