// The one rule every chart's number labels follow to fit their room.
#include "charts/labelfit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace charts;

namespace {

// Every character 100 twips wide, so a room is a count of characters.
double hundredPerChar(const QString& text) {
    return 100.0 * static_cast<double>(text.size());
}

} // namespace

TEST(LabelFit, FewerDecimalsOnlyWhileTooWideAndNeverBelowWhatNeighboursNeed) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        const char* what;
        std::vector<double> values;
        int decimals;
        double room;
        QStringList texts;
        int fitted;
        double widest;
    };
    const Case cases[] = {
        {"fits as wanted",
         {450.7264, 448.2048, 445.6832},
         4,
         800,
         {"450.7264", "448.2048", "445.6832"},
         4,
         800},
        {"one decimal fewer fits",
         {450.7264, 448.2048, 445.6832},
         4,
         700,
         {"450.726", "448.205", "445.683"},
         3,
         700},
        {"down to two decimals (shortest texts)",
         {450.7264, 448.2048, 445.6832},
         4,
         600,
         {"450.73", "448.2", "445.68"},
         2,
         600},
        {"no room at all: the neighbours still differ",
         {450.7264, 448.2048, 445.6832},
         4,
         0,
         {"451", "448", "446"},
         0,
         300},
        {"a narrow range keeps the decimals telling it apart",
         {100.12, 100.14, 100.16},
         2,
         300,
         {"100.12", "100.14", "100.16"},
         2,
         600},
        {"neighbours alike as wanted ask for nothing",
         {5.001, 4.998, 5.002},
         2,
         0,
         {"5", "5", "5"},
         0,
         100},
        {"a value that is no number has no text", {nan, 12.346}, 3, 400, {"", "12.3"}, 1, 400},
        {"a negative decimal count is none", {3.5}, -2, 400, {"4"}, 0, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const FittedLabels f = fitLabels(c.values, c.decimals, c.room, hundredPerChar);
        EXPECT_EQ(f.texts, c.texts);
        EXPECT_EQ(f.decimals, c.fitted);
        EXPECT_DOUBLE_EQ(f.widest, c.widest);
    }
}

TEST(LabelFit, AFormatOfTheCallersOwn) {
    const NumberFormat fixed = [](double v, int d) { return QString::number(v, 'f', d); };
    EXPECT_EQ(fitLabels({2150.0, 2140.0}, 2, 600, hundredPerChar, fixed).texts,
              QStringList({"2150.0", "2140.0"}));
    EXPECT_EQ(fitLabels({2150.0, 2140.0}, 2, 500, hundredPerChar, fixed).texts,
              QStringList({"2150", "2140"}));
    EXPECT_EQ(neighbourDecimals({2150.0, 2140.0}, 2, fixed), 0);
}

TEST(LabelFit, RoomsAndPlaces) {
    EXPECT_EQ(roomFor(650, 600), 650);
    EXPECT_EQ(roomFor(120, 690), 690);
    struct Case {
        double left, width, lo, hi, placed;
    };
    const Case cases[] = {
        {100, 300, 0, 650, 100}, // inside: stays
        {-50, 300, 0, 650, 0},   // past the left edge: in from it
        {500, 300, 0, 650, 350}, // past the right edge: in from it
        {-200, 1000, 0, 650, 0}, // wider than the room: its start shows
        {11880, 690, 0, 12000, 11310},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(keepInside(c.left, c.width, c.lo, c.hi), c.placed) << c.left;
}
