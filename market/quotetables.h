#pragma once

#include <QString>

#include <array>

// The quote tables, shared by the market, chart, board and companion code. Instrument index 0..30
// follows the row order of the quote snapshot.
inline constexpr int kMaxProducts = 31;

// Instrument codes from the last snapshot ("mgold", "tdhj", ...), used in the history requests.
inline std::array<QString, kMaxProducts> ProdCode;
