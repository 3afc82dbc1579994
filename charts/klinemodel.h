#pragma once

#include "platform/colors.h"

#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <vector>

// The candlestick control's decisions as plain functions: layout and scale, which bars are real,
// candle classes, moving averages, read-out texts, the key map and the crosshair's bar. The
// control (charts/kline) only paints what these give.

inline constexpr double kKMarginTop = 250;
inline constexpr double kKMarginBottom = 210;
inline constexpr double kKMarginLeft = 630;
inline constexpr double kKMarginRight = 120;
inline constexpr platform::OleColor kYangCol = 255;
inline constexpr platform::OleColor kYingCol = 0xFFFF54;

struct KLayout {
    double width = 0;
    double height = 0;
    double plotWidth = 0;
    double plotHeight = 0;
    double slotCount = 0;
    double slotWidth = 0;
    double gapWidth = 0;
    double bodyWidth = 0;
    double priceMax = 0;
    double priceMin = 0;
    double twipsPerPrice = 0;
    double pricePerTwip = 0;
    double rowHeight = 0;
    double priceStep = 0;

    [[nodiscard]] double yOf(double price) const {
        return height - kKMarginBottom - (price - priceMin) * twipsPerPrice;
    }
    [[nodiscard]] double bodyLeft(int i) const { return kKMarginLeft + i * slotWidth + gapWidth; }
    [[nodiscard]] double bodyRight(int i) const { return kKMarginLeft + (i + 1) * slotWidth; }
    [[nodiscard]] double centre(int i) const { return bodyLeft(i) + bodyWidth / 2; }
};

// Layout of recordCount records on a W x H control with the price range of the records padded by
// maxMinBai; nullopt when the range is empty (the drawing stops after clearing).
[[nodiscard]] std::optional<KLayout> klineLayout(double W, double H, const QStringList& bars,
                                                 float maxMinBai);
// The largest and the smallest positive number among all fields of all records.
struct PriceRange {
    float high = 0;
    float low = 0;
};
[[nodiscard]] PriceRange priceRange(const QStringList& bars);
[[nodiscard]] std::optional<KLayout> klineLayout(double W, double H, qsizetype recordCount,
                                                 PriceRange range, float maxMinBai);

// The last record that is not a placeholder (empty, or four equal price texts); 0 when none.
[[nodiscard]] int LastRealBar(const QStringList& bars);

enum class CandleKind { Stop, Skip, Rising, Falling };
struct Candle {
    CandleKind kind = CandleKind::Stop;
    double open = 0, close = 0, high = 0, low = 0;
};
// What bar i draws: Stop for an empty record or one past LastRealBar, Skip when a price is not
// above 0. Raises VbError 9 for a record with fewer than five fields.
[[nodiscard]] Candle candleAt(const QStringList& bars, int i, int lastRealBar);

// Moving average of period N per record ("" where there is none). A window that meets an empty
// record, or one whose open and close both read 0, gives no average at that bar rather than a
// short sum divided by N.
[[nodiscard]] std::vector<QString> movingAverage(const QStringList& bars, int N, int lastRealBar);
// The records read once, for the five averages of one drawing.
struct BarCloses {
    bool empty = true;
    double open = 0;
    double close = 0; // the high where the close reads 0
    bool zero = false; // open and close both read 0
};
[[nodiscard]] std::vector<BarCloses> readCloses(const QStringList& bars);
[[nodiscard]] std::vector<QString> movingAverage(const std::vector<BarCloses>& bars, int N,
                                                 int lastRealBar);
inline constexpr std::array<int, 5> kMaPeriods = {5, 10, 20, 30, 60};
inline constexpr std::array<platform::OleColor, 5> kMaColours = {0xFFFFFF, 0xFFFF, 0xFF00FF,
                                                                 0xFF00, 0xFFFF00};
[[nodiscard]] QString maResetText(int N);
// The label of an average the drawing could not give a value (too few bars): no number, so the
// label does not read as a price of 0.
[[nodiscard]] QString maNoValueText(int N);
[[nodiscard]] QString maLabelText(int N, double average, bool kRmb, float nowRmb);
// Consecutive pairs of bars joined by the average's line; the last bar of the line, -1 if none.
struct MaLine {
    std::vector<std::pair<int, int>> segments;
    int lastBar = -1;
};
[[nodiscard]] MaLine maLine(const std::vector<QString>& values, int N);

// Grid price of row i (0 top .. 15 bottom), a price written as the grid writes it, and the
// grid label of row i with two decimals.
[[nodiscard]] double gridValue(const KLayout& l, int i);
[[nodiscard]] QString gridText(double value, int decimals);
[[nodiscard]] QString gridLabel(const KLayout& l, int i);

// Month ticks: (record index, month) for each record whose month differs from the one before.
[[nodiscard]] std::vector<std::pair<int, int>> monthTicks(const QStringList& bars);

// The caption read-outs cKai, cMax, cMin, cShou, cZD from a six-field caption text.
struct KCaption {
    QString kai, max, min, shou, zd;
};
// Applies ShowCaption's rules: a text without "," takes lastCaption (and text receives it); a text
// without six fields is ignored. lastCaption takes an accepted text.
[[nodiscard]] std::optional<KCaption> ShowCaptionTexts(QString& text, QString& lastCaption,
                                                       bool kRmb, float nowRmb);

// The head row (instrument, period, then each read-out after its heading), left to right: each
// item keeps its design left unless the item before it, as wide as its text, reaches past that; it
// then follows at kHeadGap. Returns the lefts, in twips.
inline constexpr double kHeadGap = 60;
struct HeadItem {
    double designLeft = 0;
    double width = 0;
    bool joined = false; // stays on the line of the item before it (a value after its heading)
};
[[nodiscard]] std::vector<double> headRowLefts(const std::vector<HeadItem>& items);

// The same row in a control whose labels must end by `right`: an item, with the items joined to
// it, that would reach past `right` starts a new line at the row's first design left and the
// rest of that line follows at kHeadGap. An item wider than a whole line stays alone on its line.
struct HeadPlace {
    double left = 0;
    int line = 0;
    friend bool operator==(const HeadPlace&, const HeadPlace&) = default;
};
[[nodiscard]] std::vector<HeadPlace> headRowPlaces(const std::vector<HeadItem>& items,
                                                   double right);

// Where the data window opens, in screen pixels: at the top right of the chart's plot, below the
// head row and the averages' row (headBottom pixels below the chart's top), kept on the screen.
[[nodiscard]] QPoint dataWindowPlace(const QRect& chart, const QSize& window, const QRect& screen,
                                     int headBottom);

enum class KlineKey { None, Jia, Jian };
[[nodiscard]] KlineKey klineKeyAction(int keyCode);

// The data window's seven values for a bar's fields, and the colour of the change row.
// A value the bar cannot give (a missing field, a price that is not a number) is nullopt, and the
// label keeps what it showed.
struct DataWindowValues {
    std::optional<QString> date, weekday, open, close, high, low, change;
    platform::OleColor changeColour = 0xFF00;
};
[[nodiscard]] DataWindowValues dataWindowValues(const QStringList& fields);

// The slot under X, and the price under Y.
[[nodiscard]] int curBarFromX(double x, double slotWidth);
[[nodiscard]] QString priceAtY(const KLayout& l, double y);
