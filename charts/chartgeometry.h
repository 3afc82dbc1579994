#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <cstdint>
#include <optional>
#include <vector>

// The numbers behind the line chart: plot margins and steps, where a point of a series lies and
// which segments join the points, where captions, labels, the legend and the news markers go,
// and the texts of the crosshair read-outs. Plain functions on plain values, in twips; the Chart
// control draws what they give through its surface.
namespace charts {

struct ChartMargins {
    int32_t Bottom = 0;
    int32_t Left = 0;
    int32_t Right = 0;
    int32_t Top = 0;
    friend bool operator==(const ChartMargins&, const ChartMargins&) = default;
};

// Margins of the four drawings; they differ only on the right (the RMB axis needs room).
inline constexpr ChartMargins kDrawNumMargins{250, 650, 100, 500};
inline constexpr ChartMargins kDrawNumLineMargins{250, 650, 90, 500};
inline constexpr ChartMargins kRmbAxisMargins{250, 650, 650, 500}; // DrawLine and DrawGraph

// The drawings' derived values. A division by a zero count or span leaves its value at 0, so
// with Rows 0 every point lies on the plot's left edge and with MaxValue = MinValue on its bottom.
struct ChartLayout {
    float plotWidth = 0;
    float plotHeight = 0;
    float pointStep = 0;
    float columnStep = 0;
    float heightPerValue = 0;
    float rowStep = 0;
    float valueStep = 0;
};

// DrawNum, DrawLine and DrawGraph spread Rows points over the plot plus one step; DrawNumLine
// over the plot exactly.
enum class PointSpacing { Widened, Exact };

// W and H are the control's size; columns is the grid's column count (pRows after the drawing's
// increment).
[[nodiscard]] ChartLayout chartLayout(double W, double H, const ChartMargins& m, int32_t Rows,
                                      int32_t columns, int32_t pCols, float MinValue,
                                      float MaxValue, PointSpacing spacing);

// Point i: x not rounded; y rounded to a whole twip (halves to even), none when the value puts
// it beyond any drawable place.
[[nodiscard]] double pointX(const ChartLayout& l, const ChartMargins& m, int i);
[[nodiscard]] std::optional<double> pointY(const ChartLayout& l, const ChartMargins& m, double H,
                                           double value, float MinValue);

// A series element as a number; none when it does not read as one.
[[nodiscard]] std::optional<double> seriesValue(QStringView element);
// Every element of a series text split at "," (an empty text has none), as a number or none.
using SeriesValues = std::vector<std::optional<double>>;
[[nodiscard]] SeriesValues seriesValues(QStringView text);
[[nodiscard]] SeriesValues seriesValues(const QStringList& pts);

// How a drawing walks its series (which points start a segment, the weekday trimming, the
// level stub of DrawGraph).
enum class SeriesRule { DrawNum, DrawNumLine, DrawLine, DrawGraph };

struct SeriesSegment {
    int from = 0; // index of the point the segment starts at
    double x1 = 0;
    double y1 = 0;
    double x2 = 0;
    double y2 = 0;
    friend bool operator==(const SeriesSegment&, const SeriesSegment&) = default;
};

// The segments of one series. weekday is 1 (Monday) .. 7 (Sunday) of the current-day series,
// 0 when unknown. A point that is 0 or no number breaks the line on both sides.
[[nodiscard]] std::vector<SeriesSegment> seriesSegments(const SeriesValues& values, SeriesRule rule,
                                                        int weekday, const ChartLayout& l,
                                                        const ChartMargins& m, double H,
                                                        float MinValue);
[[nodiscard]] std::vector<SeriesSegment> seriesSegments(const QStringList& pts, SeriesRule rule,
                                                        int weekday, const ChartLayout& l,
                                                        const ChartMargins& m, double H,
                                                        float MinValue);

// x of grid column i.
[[nodiscard]] double columnX(const ChartLayout& l, const ChartMargins& m, int i);
// The grid's inner column lines (1 .. columns - 1) and, at Rows 603, the x of the two
// separator lines (points 329 and 482).
[[nodiscard]] std::vector<double> gridColumnXs(const ChartLayout& l, const ChartMargins& m,
                                               int32_t columns);
[[nodiscard]] std::vector<double> separatorXs(const ChartLayout& l, const ChartMargins& m,
                                              int32_t Rows);
// Loops over grid divisions stop after this many, so a wild count cannot stall the drawing.
inline constexpr int32_t kMaxDivisions = 10000;
[[nodiscard]] int32_t boundedDivisions(int32_t count);

// Top of the bottom captions: centred in the bottom margin on a line of lineHeight.
[[nodiscard]] double captionY(double H, const ChartMargins& m, double lineHeight);
// DrawNum's caption i: 100 twips left of grid column i.
[[nodiscard]] double columnCaptionX(const ChartLayout& l, const ChartMargins& m, int i);
// DrawNumLine's caption i of 0 .. columns: centred on its column, the last one ending there.
[[nodiscard]] double lineCaptionX(const ChartLayout& l, const ChartMargins& m, int i,
                                  int32_t columns, double captionWidth);
// DrawNumLine's date label i of 1 .. columns + 1: 100 twips left of column i - 1, the last one
// 240 further left; the date index is that of the point under the column (halves to even),
// none when the plot has no width.
[[nodiscard]] double dateLabelX(const ChartLayout& l, const ChartMargins& m, int i,
                                int32_t columns);
[[nodiscard]] std::optional<int> dateLabelIndex(const ChartLayout& l, int i, int lastDateIndex);
// A date of the current year shows as month-day: every "<year>-" is taken out.
[[nodiscard]] QString dateLabelText(const QString& date, int currentYear);

// Value level i of 0 .. pCols (top to bottom) and the top of its label.
[[nodiscard]] double levelValue(const ChartLayout& l, int i, int32_t pCols, float MinValue);
[[nodiscard]] double levelY(const ChartLayout& l, const ChartMargins& m, int i);

// A value rounded to as many decimals as the sample XsJZ shows, in its shortest text.
[[nodiscard]] QString Fostrc(float value, float XsJZ);

// The texts of value levels 0 .. levels: with as many decimals as XsJZ shows, more (up to
// kMaxLevelDecimals) while two neighbouring levels would read the same, so a narrow range does
// not label its grid 59.68, 59.68, 59.67.
inline constexpr int kMaxLevelDecimals = 4;
[[nodiscard]] std::vector<double> levelValues(const ChartLayout& l, int32_t levels, int32_t pCols,
                                              float MinValue);
[[nodiscard]] int levelDecimals(const std::vector<double>& values, float XsJZ);
[[nodiscard]] QStringList levelTexts(const ChartLayout& l, int32_t levels, int32_t pCols,
                                     float MinValue, float XsJZ);

// Where a label of a row or column of axis labels lies along its axis, in twips.
struct LabelSpan {
    double start = 0;
    double end = 0;
};
// Which labels of an axis to print: in order, each one that keeps `gap` from the last one
// printed and does not read the same as it; a label with an empty text is left out.
[[nodiscard]] std::vector<bool> spacedLabels(const std::vector<LabelSpan>& spans,
                                             const QStringList& texts, double gap);

// Legend box corner: the given one, or a 0 replaced by W - 2600 (x) or H - 1550 (y).
[[nodiscard]] int32_t legendX(int32_t Cux, double W);
[[nodiscard]] int32_t legendY(int32_t CuY, double H);
struct TwipRect {
    double x1 = 0;
    double y1 = 0;
    double x2 = 0;
    double y2 = 0;
    friend bool operator==(const TwipRect&, const TwipRect&) = default;
};
// Top of a box printed after the boxes `taken`: where it is, or moved down below each taken box
// it would cover, `gap` lower, so that no text is printed over another.
[[nodiscard]] double topClearOf(const TwipRect& box, const std::vector<TwipRect>& taken,
                                double gap);
// Colour swatch of an entry whose text line starts at y0.
[[nodiscard]] TwipRect legendSwatch(int32_t x, int32_t y0);

// --- Crosshair read-outs ---

[[nodiscard]] bool insidePlot(double X, double Y, double W, double H, const ChartMargins& m);
[[nodiscard]] bool insidePlotRows(double Y, double H, const ChartMargins& m);
[[nodiscard]] bool insidePlotColumns(double X, double W, const ChartMargins& m);
// Value at height Y, rounded to 2 decimals (halves to even), as text; none when it is no number.
[[nodiscard]] std::optional<QString> valueReadout(float MaxValue, float ValuePerTwip, double Y,
                                                  const ChartMargins& m);
// The number a value read-out shows, times the RMB factor, rounded to 2 decimals.
[[nodiscard]] std::optional<QString> rmbReadout(const QString& valueCaption, float NowRmb);
// Index of the point under X; 0 when the plot has no width or Rows is 0.
[[nodiscard]] int pointIndexAt(double X, double W, const ChartMargins& m, int32_t Rows);
// "价格:" and the element in the "000.00" pattern and one blank; none when it is no number.
[[nodiscard]] std::optional<QString> priceReadout(const QString& element);
// A number in the "000.00" pattern: at least three integer digits, two decimals.
[[nodiscard]] QString format000(double value);
// Left edge of the series read-outs: right of the cursor while there is room, else left of it.
[[nodiscard]] double seriesReadoutLeft(double W, double X, const ChartMargins& m);

// Slot index to "HH:MM": 10-minute slots from 00:00 (no wrap), 2-minute slots from the trading
// day's start, 2-minute slots from 12 hours after it, 6-minute slots from the day's start.
[[nodiscard]] QString DtoGet(int16_t index);
[[nodiscard]] QString MDtoGet(int16_t index);
[[nodiscard]] QString MDtoTDGet(int16_t index);
[[nodiscard]] QString MStoGet(int16_t index);

// --- News markers ---

inline constexpr int kMarkerSlots = 145; // slots 0 .. 144 of 10 minutes from 06:00

// 10-minute slot of a time from 06:00 (minutes / 10 rounded, halves to even); negative before
// 06:00; -1 for a time that is not valid.
[[nodiscard]] int16_t TtoGetd(const QDateTime& IntGD);
[[nodiscard]] double markerLeft(double W, const ChartMargins& m, int slot);
[[nodiscard]] double markerTop(double H, const ChartMargins& m, double markerHeight);
// The balloon title of a marker kind; none for a kind that leaves the title as it was.
[[nodiscard]] std::optional<QString> markerTitle(int16_t type, const QString& tipText);
// The item title in a marker text (the part after the first CR LF).
[[nodiscard]] QString markerItemTitle(const QString& markerText);

} // namespace charts
