#pragma once

#include "state/quotetables.h"
#include "platform/vberror.h"

#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

// The quote board's texts and colours, computed from the quote tables without any widget: the
// main window copies them into its labels. Colours are &HBBGGRR values.
inline constexpr uint32_t kRiseColour = 255;   // red
inline constexpr uint32_t kFallColour = 65280; // green: a fall and no change alike

// Columns TL1..TL12, in header order ("市场名称" ... "卖出").
inline constexpr int kBoardColumns = 12;
enum BoardColumn {
    ColName, ColPrice, ColChange, ColChangePct, ColHigh, ColLow, ColOpen, ColPrevClose, ColRange,
    ColOther, ColLastMove, ColSell
};

struct BoardCell {
    QString text;
    std::optional<uint32_t> colour; // none: the label keeps its design colour
    QString tip;                    // tooltip; only "其它" has one
    bool operator==(const BoardCell&) const = default;
};

struct BoardRowTexts {
    std::array<BoardCell, kBoardColumns> cells;
    bool operator==(const BoardRowTexts&) const = default;
};

// One line of the short list in "重点关注市场": name, price and change, price and change in
// one colour.
struct ShortListTexts {
    QString name;
    QString price;
    QString change;
    uint32_t colour = kFallColour;
    bool operator==(const ShortListTexts&) const = default;
};

// The board as last shown. Cells keep their text until a refresh rewrites them: a zero price
// leaves "涨幅%", a zero spread leaves "其它" and "卖出", an unmoved price leaves "上次涨跌".
class QuoteBoard {
public:
    struct Refresh {
        const BoardRowTexts& row; // valid until the row is refreshed again
        const ShortListTexts& shortList;
        // The premium of a "tdhj"/"tdby" row could not be formed (its partner is not quoted);
        // the row keeps its spread in "其它". Reported for the run's log.
        std::optional<platform::VbError> fault;
    };

    // Recomputes row i (0..30) from the tables.
    Refresh refreshRow(int i);

private:
    // What a row was last formatted from.
    struct Inputs {
        QString name;
        float price, change, high, low, open, prevClose, spread;
        std::optional<float> premium;
    };

    std::array<BoardRowTexts, kMaxProducts> rows_;
    std::array<ShortListTexts, kMaxProducts> shortLines_;
    std::array<std::optional<Inputs>, kMaxProducts> shown_;
    // The price each row showed last (the tag of "现价", read back), for "上次涨跌".
    std::array<std::optional<float>, kMaxProducts> lastShown_;
    // Decimals of each row's spread as a single prints it, counted when the spread moves.
    std::array<int, kMaxProducts> spreadDecimals_{};
};

// "溢价" of a T+D row over its bank partner ("tdhj" over "gh", "tdby" over "ying" per kilogram),
// rounded to 2 decimals; none for other codes. Raises VbError 13 when the partner code is not in
// the snapshot.
[[nodiscard]] std::optional<float> premiumOf(int i);

// Board geometry in twips: rows stacked under row 0 with a 60-twip gap; the short list's lines
// 300 twips apart, price and change at fixed left edges.
[[nodiscard]] int boardRowTop(int w, int row0Height, int rowHeight);
[[nodiscard]] int boardHeight(int rowCount, int row0Height, int rowHeight);
inline constexpr int kShortListLineStep = 300;
inline constexpr int kShortListPriceLeft = 1755;
inline constexpr int kShortListChangeLeft = 2700;

// The mouse on the board: a press on a name label picks the instrument and brings up the
// intraday chart, a click on a row highlights it, a double click opens its chart, and a drag on
// the name labels or price cells slides the board sideways.
class BoardInteraction {
public:
    // What a handler asks of the main window, in this order.
    enum class Step { SelectIntradayTab, SetInstrument };
    struct Action {
        Step step;
        int index = 0; // SetInstrument: the row, which is the instrument index
        bool operator==(const Action&) const = default;
    };

    bool BoardDragging = false;
    int32_t BoardDragStartX = 0;
    // The board's left edge at that press: the board follows the pointer from there.
    int32_t BoardDragStartLeft = 0;

    // BLabels MouseDown; curTab the selected tab (2 intraday, 3 K-line stay as they are), boardLeft
    // the board's left edge now.
    std::vector<Action> nameMouseDown(int index, int button, float x, int16_t curTab, int32_t boardLeft);
    // Money MouseDown.
    void priceMouseDown(int button, float x, int32_t boardLeft);
    // BLabels/Money MouseMove: the board's new left edge, or none when the move is refused (never
    // clamped). The board follows the pointer from where both were at the press: x is in the
    // pressed control's coordinates, and that control does not move with the board. left and
    // width are the board's now, windowWidth the main window's. A move is made only while the new
    // left edge stays at or left of the window's middle and the board's right edge plus x at or
    // right of it.
    [[nodiscard]] std::optional<int32_t> mouseMove(int button, float x, int32_t left, int32_t width,
                                                   int32_t windowWidth) const;
    // BLabels/Money MouseUp, any button.
    void mouseUp() { BoardDragging = false; }
    // Mvole/TL1..TL11 DblClick: the tab first, so the tab's own handling sees the old instrument.
    [[nodiscard]] static std::vector<Action> rowDoubleClick(int index);
};

// Back colours of every row after a click on row `clicked` (Mvole/TL1..TL12 Click).
[[nodiscard]] std::vector<uint32_t> rowHighlight(int rowCount, int clicked, int16_t scheme);
