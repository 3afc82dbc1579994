#pragma once

#include <QDateTime>
#include <QString>

#include <array>
#include <cstdint>

// The quote tables, shared by the market, chart, board and companion code. Instrument index 0..30
// follows the row order of the quote snapshot. A snapshot with fewer rows leaves the higher
// indices as they were. Header-only: the common helpers read the codes without linking the
// market library.
inline constexpr int kMaxProducts = 31;
// Days of intraday series per instrument: 0 the current trading day, 1..9 the days before.
inline constexpr int kSeriesDays = 10;
// Snapshot samples kept for the tick chart, in columns 1..360 (column 0 is never written).
inline constexpr int kMaxTicks = 360;

template <typename T>
using PerProduct = std::array<T, kMaxProducts>;

inline PerProduct<QString> ProdName;
// (i, 0) the current (bank buying) price; (i, 1), (i, 2) the last non-zero price of day 1 and 2.
inline PerProduct<std::array<float, 3>> ProdPrice{};
inline PerProduct<float> ProdPrev{};      // the day's change, signed
inline PerProduct<float> ProdPrevClose{}; // price minus change
inline PerProduct<float> ProdHigh{};
inline PerProduct<float> ProdLow{};
inline PerProduct<float> ProdOpen{};      // the snapshot carries none: always 0
// Instrument codes from the last snapshot ("mgold", "tdhj", ...), used in the history requests.
inline PerProduct<QString> ProdCode;
inline PerProduct<float> ProdSpread{};    // selling price = buying price + spread

inline int32_t ProdCount = 0; // instrument rows of the last snapshot
inline int32_t ProdLast = -1; // ProdCount - 1

inline float RmbRate = 5.0f;
inline QString QuoteDate; // as the server wrote them
inline QString QuoteTime;
inline int32_t NewsId = 0; // news set last loaded

inline PerProduct<std::array<float, kMaxTicks + 1>> ProdTick{};
inline std::array<QString, kMaxTicks + 1> TickTime;
inline int16_t TickCount = 0;

// Comma lists with one price per 2-minute slot of the trading day, and the date of each day.
inline PerProduct<std::array<QString, kSeriesDays>> ProdSeries;
inline PerProduct<std::array<QDateTime, kSeriesDays>> ProdSeriesDate;
inline bool AllDataLoaded = false; // the current instrument's three days were loaded once

// Daily history: the cleaned answer kept whole for the K-line builder, and the dates and closes
// as comma lists, newest last, each ending with ",".
inline PerProduct<QString> ProdDayText;
inline PerProduct<QString> ProdDayDates;
inline PerProduct<QString> ProdDayCloses;
inline bool LineLoaded = false;

// The last data-server answer (or pushed text) after clean-up and decoding.
inline QString AnswerText;

// Everything back to its state at start.
inline void clearQuoteTables() {
    ProdName = {};
    ProdPrice = {};
    ProdPrev = {};
    ProdPrevClose = {};
    ProdHigh = {};
    ProdLow = {};
    ProdOpen = {};
    ProdCode = {};
    ProdSpread = {};
    ProdCount = 0;
    ProdLast = -1;
    RmbRate = 5.0f;
    QuoteDate.clear();
    QuoteTime.clear();
    NewsId = 0;
    ProdTick = {};
    TickTime = {};
    TickCount = 0;
    ProdSeries = {};
    ProdSeriesDate = {};
    AllDataLoaded = false;
    ProdDayText = {};
    ProdDayDates = {};
    ProdDayCloses = {};
    LineLoaded = false;
    AnswerText.clear();
}
