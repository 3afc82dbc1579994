#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

// How a chart's number labels are made to fit their room, one rule for every chart: a label keeps
// its own decimals where it fits. A column of labels that shares a room (a price axis) drops
// decimals, one at a time, while its widest label is wider than the room, but never below what
// neighbouring labels need to read differently. A label still wider than its room (a lone
// read-out, an axis label at that floor) gets a room as wide as itself, kept inside the control.
// A label is therefore never cut, and never rounded into another label's value.
namespace charts {

// Width of a text in the font it is drawn in, in twips.
using TextMeasure = std::function<double(const QString&)>;
// A value written with a number of decimals; an empty text for a value that is no number.
using NumberFormat = std::function<QString(double value, int decimals)>;

// The value rounded to `decimals` (halves to even), in its shortest text.
[[nodiscard]] QString shortestText(double value, int decimals);

// The fewest decimals, up to `decimals`, at which every two neighbouring values that read
// differently with `decimals` still do.
[[nodiscard]] int neighbourDecimals(const std::vector<double>& values, int decimals,
                                    const NumberFormat& format = shortestText);

struct FittedLabels {
    QStringList texts;
    int decimals = 0;
    double widest = 0; // twips; more than the room when even the floor does not fit
};

// The texts of a column of labels sharing a room `room` twips wide, wanted with `decimals`.
[[nodiscard]] FittedLabels fitLabels(const std::vector<double>& values, int decimals, double room,
                                     const TextMeasure& width,
                                     const NumberFormat& format = shortestText);

// The room a label `width` wide takes: `room` when it fits, else its own width.
[[nodiscard]] inline double roomFor(double room, double width) {
    return width > room ? width : room;
}

// Left edge of a label `width` wide that would start at `left`, moved so it lies within
// [lo, hi]; a label wider than that starts at lo, so its leading digits show.
[[nodiscard]] double keepInside(double left, double width, double lo, double hi);

} // namespace charts
