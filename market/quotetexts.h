#pragma once

#include <QString>

#include <cstdint>
#include <optional>

// Texts for people derived from the quote tables and the bookkeeping positions.

inline QString HoldCaption; // the current instrument's position line
inline QString TrayTipText; // the quote text block last built for the tray tip

// An instrument name as the quote tables keep it. Every place that shows a name (the board's
// name column, the price caption of the position label and the mini window, the tray tip, the
// selectors, the chart titles) is sized for the names a bank's board uses; a longer name from
// the service is cut, its last kept character giving way to "…", so that it never pushes the
// figures beside it out of sight.
inline constexpr qsizetype kLongestInstrumentName = 12;
[[nodiscard]] QString instrumentName(QStringView field);

// Direction of the current price since it was last shown (IsUD).
enum : int16_t { kUnchanged = 0, kRose = 1, kFell = 2 };

class QuoteTexts {
public:
    // What DoCaption shows: the position label and, for the mini window, the price caption,
    // the direction, the change and the money line.
    struct Captions {
        QString web5info;     // HoldCaption, a blank and the money line
        QString moneyLine;
        QString priceCaption;
    };

    QString PriceCaption;
    QString ChangeText;
    bool ShowLongNext = false; // which side of a two-sided position is shown next
    QString MainViewTag;       // the current price as IsUD last saw it

    // Position line, money line and price caption of the current instrument; none while the
    // three-day series has never loaded. Sets HoldCaption. A position on both sides shows one
    // side per call, in turn.
    std::optional<Captions> DoCaption();
    // The quote text block of the current instrument, lines joined by CR LF.
    [[nodiscard]] static QString GetList();
    // Rose, fell or unchanged since the last call; sets ChangeText and remembers the price.
    int16_t IsUD();
};
