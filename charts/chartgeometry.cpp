#include "charts/chartgeometry.h"

#include "charts/labelfit.h"

#include "common/tradingday.h"
#include "platform/vberror.h"
#include "platform/vbtext.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>

namespace charts {

namespace {

// A derived value stored as a single; an overflow leaves it at 0 like a failed division.
float singleOrZero(double value) {
    const auto f = static_cast<float>(value);
    return std::isfinite(f) ? f : 0.0f;
}

// The value as a whole number of twips (halves to even), none beyond the 32-bit range.
std::optional<double> wholeTwips(double value) {
    if (!std::isfinite(value)) return std::nullopt;
    const double r = std::rint(value);
    if (r < std::numeric_limits<int32_t>::min() || r > std::numeric_limits<int32_t>::max())
        return std::nullopt;
    return r;
}

// The integer text of "0" patterns: halves away from zero, at least `digits` digits.
QString paddedInteger(double value, int digits) {
    QString text = platform::formatFixed(value, 0);
    const bool negative = text.startsWith(u'-');
    if (negative) text.remove(0, 1);
    text = text.rightJustified(digits, u'0');
    return negative ? u'-' + text : text;
}

// Hour and minutes of a slot: hour = whole part of index / slotsPerHour plus the offset (less 24
// above 23 when asked); the minutes pass through their shortest text before the "00" pattern,
// so 49.99999999999997 shows as 50.
QString slotClock(int16_t index, double slotsPerHour, int hourOffset, bool wrap) {
    const double q = static_cast<double>(index) / slotsPerHour;
    const double whole = std::trunc(q);
    int hour = static_cast<int>(whole) + hourOffset;
    if (wrap && hour > 23) hour -= 24;
    const double minutes = platform::Val(platform::doubleText((q - whole) * 60.0));
    return paddedInteger(hour, 2) + u':' + paddedInteger(minutes, 2);
}

} // namespace

ChartLayout chartLayout(double W, double H, const ChartMargins& m, int32_t Rows, int32_t columns,
                        int32_t pCols, float MinValue, float MaxValue, PointSpacing spacing) {
    ChartLayout l;
    l.plotWidth = singleOrZero(W - m.Left - m.Right);
    l.plotHeight = singleOrZero(H - m.Top - m.Bottom);
    const double pw = l.plotWidth;
    const double ph = l.plotHeight;
    if (Rows != 0) {
        l.pointStep = spacing == PointSpacing::Widened ? singleOrZero((pw + pw / Rows) / Rows)
                                                       : singleOrZero(pw / Rows);
    }
    if (columns != 0) l.columnStep = singleOrZero(pw / columns);
    const float span = MaxValue - MinValue;
    if (span != 0 && std::isfinite(span)) l.heightPerValue = singleOrZero(ph / span);
    if (pCols != 0) {
        l.rowStep = singleOrZero(ph / pCols);
        if (std::isfinite(span)) l.valueStep = singleOrZero(static_cast<double>(span) / pCols);
    }
    return l;
}

double pointX(const ChartLayout& l, const ChartMargins& m, int i) {
    return m.Left + static_cast<double>(l.pointStep) * i;
}

std::optional<double> pointY(const ChartLayout& l, const ChartMargins& m, double H, double value,
                             float MinValue) {
    return wholeTwips(H - m.Bottom - (value - MinValue) * static_cast<double>(l.heightPerValue));
}

namespace {

// Powers of ten a double holds exactly.
constexpr std::array<double, 23> kExactTens{1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                            1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                            1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The common case of a series element, a plain decimal ("2150.35", "-3", "0", ".5"), read
// without the general number scanner; anything else goes the general way. Both give the same
// double: digits that make an integer below 2^53 with at most 22 decimals are the quotient of
// two exact doubles, which one division rounds correctly; other plain decimals go through
// std::from_chars.
std::optional<double> plainDecimal(QStringView element) {
    constexpr qsizetype kLongest = 40;
    const qsizetype size = element.size();
    if (size == 0 || size > kLongest) return std::nullopt;
    const char16_t* c = reinterpret_cast<const char16_t*>(element.utf16());
    const bool negative = c[0] == u'-';
    constexpr uint64_t kExactLimit = uint64_t{1} << 53;
    uint64_t mantissa = 0;
    int digits = 0;
    int decimals = -1; // none before the point
    bool exact = true;
    for (qsizetype i = negative ? 1 : 0; i < size; ++i) {
        const char16_t ch = c[i];
        if (ch >= u'0' && ch <= u'9') {
            ++digits;
            if (decimals >= 0) ++decimals;
            mantissa = mantissa * 10 + (ch - u'0');
            if (mantissa >= kExactLimit) exact = false; // later digits cannot bring it back
        } else if (ch == u'.' && decimals < 0) {
            decimals = 0;
        } else {
            return std::nullopt;
        }
        if (!exact) break;
    }
    if (exact) {
        if (digits == 0) return std::nullopt;
        const int scale = std::max(decimals, 0);
        if (scale < static_cast<int>(kExactTens.size())) {
            const double value = static_cast<double>(mantissa) / kExactTens[static_cast<size_t>(scale)];
            return negative ? -value : value;
        }
    }
    std::array<char, kLongest> text{};
    bool anyDigit = false;
    bool point = false;
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t ch = c[i];
        if (ch >= u'0' && ch <= u'9')
            anyDigit = true;
        else if (ch == u'.' && !point)
            point = true;
        else if (!(ch == u'-' && i == 0))
            return std::nullopt;
        text[static_cast<size_t>(i)] = static_cast<char>(ch);
    }
    double value = 0;
    const char* end = text.data() + size;
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (!anyDigit || error != std::errc() || stop != end || !std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace

std::optional<double> seriesValue(QStringView element) {
    if (const auto plain = plainDecimal(element)) return plain;
    if (!platform::IsNumeric(element)) return std::nullopt;
    try {
        const double v = platform::CDbl(element);
        if (std::isfinite(v)) return v;
    } catch (const platform::VbError&) {
    }
    return std::nullopt;
}

// One pass over the text: an element that is a short plain decimal held exactly (see
// plainDecimal) is read while the comma is looked for; any other goes through seriesValue.
SeriesValues seriesValues(QStringView text) {
    SeriesValues values;
    if (text.isEmpty()) return values;
    values.reserve(static_cast<size_t>(text.count(u',') + 1));
    const char16_t* c = reinterpret_cast<const char16_t*>(text.utf16());
    const qsizetype size = text.size();
    constexpr uint64_t kExactLimit = uint64_t{1} << 53;
    constexpr qsizetype kLongest = 40;
    qsizetype start = 0;
    while (true) {
        qsizetype i = start;
        const bool negative = i < size && c[i] == u'-';
        if (negative) ++i;
        uint64_t mantissa = 0;
        int digits = 0;
        int decimals = -1;
        bool fast = true;
        for (; i < size && c[i] != u','; ++i) {
            const char16_t ch = c[i];
            if (!fast) continue;
            if (ch >= u'0' && ch <= u'9') {
                ++digits;
                if (decimals >= 0) ++decimals;
                mantissa = mantissa * 10 + (ch - u'0');
                fast = mantissa < kExactLimit;
            } else if (ch == u'.' && decimals < 0) {
                decimals = 0;
            } else {
                fast = false;
            }
        }
        const int scale = std::max(decimals, 0);
        if (fast && digits > 0 && i - start <= kLongest &&
            scale < static_cast<int>(kExactTens.size())) {
            const double value = static_cast<double>(mantissa) / kExactTens[static_cast<size_t>(scale)];
            values.emplace_back(negative ? -value : value);
        } else {
            values.push_back(seriesValue(text.sliced(start, i - start)));
        }
        if (i >= size) break;
        start = i + 1;
    }
    return values;
}

SeriesValues seriesValues(const QStringList& pts) {
    SeriesValues values;
    values.reserve(static_cast<size_t>(pts.size()));
    for (const QString& element : pts)
        values.push_back(seriesValue(element));
    return values;
}

std::vector<SeriesSegment> seriesSegments(const QStringList& pts, SeriesRule rule, int weekday,
                                          const ChartLayout& l, const ChartMargins& m, double H,
                                          float MinValue) {
    return seriesSegments(seriesValues(pts), rule, weekday, l, m, H, MinValue);
}

std::vector<SeriesSegment> seriesSegments(const SeriesValues& values, SeriesRule rule, int weekday,
                                          const ChartLayout& l, const ChartMargins& m, double H,
                                          float MinValue) {
    std::vector<SeriesSegment> segments;
    const int count = static_cast<int>(values.size());
    const int last = count - 1;
    int end = last - 1; // the last point that may start a segment
    if (rule == SeriesRule::DrawLine)
        end = last - 2;
    else if (rule == SeriesRule::DrawGraph)
        end = last;

    // The weekend trimming of the three-day charts: Saturday's series ends early, Monday's starts
    // late, at points that depend on the series length.
    int saturdayLast = std::numeric_limits<int>::max();
    int mondayFirst = 0;
    if (rule == SeriesRule::DrawNum && count == 721) {
        saturdayLast = 210;
        mondayFirst = 209;
    } else if (rule == SeriesRule::DrawGraph) {
        saturdayLast = count <= 700 ? 35 : 179;
        mondayFirst = count <= 700 ? 36 : 180;
    }

    std::optional<double> lastEndY;
    int joinedFrom = -1; // the point the last segment ended on
    segments.reserve(static_cast<size_t>(std::max(count, 0)));
    for (int i = 0; i <= end; ++i) {
        if (weekday == 6 && i > saturdayLast) break;
        if (weekday == 1 && i < mondayFirst) continue;
        const std::optional<double>& value = values[static_cast<size_t>(i)];
        if (!value || *value == 0) continue;
        const double x1 = pointX(l, m, i);
        if (i == last) { // only DrawGraph gets here: the last point ends in a level stub
            if (lastEndY) segments.push_back({i, x1, *lastEndY, x1 + l.pointStep, *lastEndY});
            continue;
        }
        const std::optional<double>& next = values[static_cast<size_t>(i) + 1];
        if (!next || !(*next > 0)) continue;
        // A joined line starts where the segment before it ended: its height is known already.
        const std::optional<double> y1 = joinedFrom == i ? lastEndY : pointY(l, m, H, *value, MinValue);
        const std::optional<double> y2 = pointY(l, m, H, *next, MinValue);
        if (!y1 || !y2) continue;
        segments.push_back({i, x1, *y1, pointX(l, m, i + 1), *y2});
        lastEndY = y2;
        joinedFrom = i + 1;
    }
    return segments;
}

int32_t boundedDivisions(int32_t count) {
    return std::min(count, kMaxDivisions);
}

double columnX(const ChartLayout& l, const ChartMargins& m, int i) {
    return m.Left + static_cast<double>(l.columnStep) * i;
}

std::vector<double> gridColumnXs(const ChartLayout& l, const ChartMargins& m, int32_t columns) {
    std::vector<double> xs;
    for (int32_t i = 1; i <= boundedDivisions(columns) - 1; ++i)
        xs.push_back(columnX(l, m, i));
    return xs;
}

std::vector<double> separatorXs(const ChartLayout& l, const ChartMargins& m, int32_t Rows) {
    if (Rows != 603) return {};
    return {pointX(l, m, 329), pointX(l, m, 482)};
}

double captionY(double H, const ChartMargins& m, double lineHeight) {
    return H - m.Bottom / 2.0 - lineHeight / 2;
}

double columnCaptionX(const ChartLayout& l, const ChartMargins& m, int i) {
    return columnX(l, m, i) - 100;
}

double lineCaptionX(const ChartLayout& l, const ChartMargins& m, int i, int32_t columns,
                    double captionWidth) {
    const double column = columnX(l, m, i);
    return i == columns ? column - captionWidth : column - captionWidth / 2;
}

double dateLabelX(const ChartLayout& l, const ChartMargins& m, int i, int32_t columns) {
    const double x = columnX(l, m, i - 1) - 100;
    return i == columns + 1 ? x - 240 : x;
}

std::optional<int> dateLabelIndex(const ChartLayout& l, int i, int lastDateIndex) {
    if (l.plotWidth == 0) return std::nullopt;
    const double under = std::trunc(static_cast<double>(l.columnStep) * (i - 1));
    const double j = std::rint(under / l.plotWidth * (lastDateIndex - 1));
    if (!std::isfinite(j) || j < std::numeric_limits<int>::min() ||
        j > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(j);
}

QString dateLabelText(const QString& date, int currentYear) {
    QString text = date;
    return text.remove(QString::number(currentYear) + u'-');
}

double levelValue(const ChartLayout& l, int i, int32_t pCols, float MinValue) {
    return static_cast<double>(pCols - i) * l.valueStep + MinValue;
}

double levelY(const ChartLayout& l, const ChartMargins& m, int i) {
    return m.Top + static_cast<double>(l.rowStep) * i;
}

QString Fostrc(float value, float XsJZ) {
    return platform::doubleText(platform::Round(value, DecimalCount(XsJZ)));
}

std::vector<double> levelValues(const ChartLayout& l, int32_t levels, int32_t pCols,
                                float MinValue) {
    std::vector<double> values;
    for (int i = 0; i <= levels; ++i)
        values.push_back(static_cast<float>(levelValue(l, i, pCols, MinValue)));
    return values;
}

int levelDecimals(const std::vector<double>& values, float XsJZ) {
    const auto textsAt = [&values](int decimals) {
        QStringList texts;
        for (double v : values)
            texts << shortestText(v, decimals);
        return texts;
    };
    const auto neighboursDiffer = [](const QStringList& texts) {
        for (qsizetype i = 1; i < texts.size(); ++i)
            if (!texts[i].isEmpty() && texts[i] == texts[i - 1]) return false;
        return true;
    };
    int decimals = std::clamp<int>(DecimalCount(XsJZ), 0, kMaxLevelDecimals);
    while (decimals < kMaxLevelDecimals && !neighboursDiffer(textsAt(decimals)))
        ++decimals;
    return decimals;
}

QStringList levelTexts(const ChartLayout& l, int32_t levels, int32_t pCols, float MinValue,
                       float XsJZ) {
    const std::vector<double> values = levelValues(l, levels, pCols, MinValue);
    const int decimals = levelDecimals(values, XsJZ);
    QStringList texts;
    for (double v : values)
        texts << shortestText(v, decimals);
    return texts;
}

std::vector<bool> spacedLabels(const std::vector<LabelSpan>& spans, const QStringList& texts,
                               double gap) {
    std::vector<bool> shown(spans.size(), false);
    std::optional<size_t> last;
    for (size_t i = 0; i < spans.size(); ++i) {
        const QString text = i < static_cast<size_t>(texts.size()) ? texts[i] : QString();
        if (text.isEmpty()) continue;
        if (last) {
            const LabelSpan& a = spans[*last];
            const LabelSpan& b = spans[i];
            // The spans may run either way along the axis (levels go down, captions right).
            const bool apart = b.start >= a.end + gap || b.end + gap <= a.start;
            if (!apart || text == texts[static_cast<qsizetype>(*last)]) continue;
        }
        shown[i] = true;
        last = i;
    }
    return shown;
}

int32_t legendX(int32_t Cux, double W) {
    return Cux != 0 ? Cux : static_cast<int32_t>(wholeTwips(W - 2600).value_or(0));
}

int32_t legendY(int32_t CuY, double H) {
    return CuY != 0 ? CuY : static_cast<int32_t>(wholeTwips(H - 1550).value_or(0));
}

double topClearOf(const TwipRect& box, const std::vector<TwipRect>& taken, double gap) {
    TwipRect b = box;
    // Each pass moves the box below at least one taken box, so as many passes as boxes suffice.
    for (size_t pass = 0; pass <= taken.size(); ++pass) {
        bool moved = false;
        for (const TwipRect& r : taken) {
            if (b.x1 < r.x2 && r.x1 < b.x2 && b.y1 < r.y2 && r.y1 < b.y2) {
                const double height = b.y2 - b.y1;
                b.y1 = r.y2 + gap;
                b.y2 = b.y1 + height;
                moved = true;
            }
        }
        if (!moved) break;
    }
    return b.y1;
}

TwipRect legendSwatch(int32_t x, int32_t y0) {
    return {x + 50.0, y0 + 50.0, x + 200.0, y0 + 125.0};
}

bool insidePlotRows(double Y, double H, const ChartMargins& m) {
    return m.Top < Y && Y < H - m.Bottom;
}

bool insidePlotColumns(double X, double W, const ChartMargins& m) {
    return m.Left < X && X < W - m.Right;
}

bool insidePlot(double X, double Y, double W, double H, const ChartMargins& m) {
    return insidePlotRows(Y, H, m) && insidePlotColumns(X, W, m);
}

std::optional<QString> valueReadout(float MaxValue, float ValuePerTwip, double Y,
                                    const ChartMargins& m) {
    const double value = MaxValue - static_cast<double>(ValuePerTwip) * (Y - m.Top);
    if (!std::isfinite(value)) return std::nullopt;
    return platform::doubleText(platform::Round(value, 2));
}

std::optional<QString> rmbReadout(const QString& valueCaption, float NowRmb) {
    try {
        const double value = platform::Val(valueCaption) * static_cast<double>(NowRmb);
        if (std::isfinite(value)) return platform::doubleText(platform::Round(value, 2));
    } catch (const platform::VbError&) {
    }
    return std::nullopt;
}

int pointIndexAt(double X, double W, const ChartMargins& m, int32_t Rows) {
    if (Rows == 0) return 0;
    const double step = (W - m.Left - m.Right) / Rows;
    if (step == 0) return 0;
    const double i = std::trunc((X - m.Left) / step);
    if (!std::isfinite(i) || i < std::numeric_limits<int>::min() ||
        i > std::numeric_limits<int>::max())
        return 0;
    return static_cast<int>(i);
}

QString format000(double value) {
    const QString text = platform::formatFixed(value, 2);
    const qsizetype dot = text.indexOf(u'.');
    const bool negative = text.startsWith(u'-');
    QString whole = text.mid(negative ? 1 : 0, dot - (negative ? 1 : 0)).rightJustified(3, u'0');
    return (negative ? QStringLiteral("-") : QString()) + whole + text.mid(dot);
}

std::optional<QString> priceReadout(const QString& element) {
    const std::optional<double> value = seriesValue(element);
    if (!value) return std::nullopt;
    return QStringLiteral("价格:") + format000(*value) + u' ';
}

double seriesReadoutLeft(double W, double X, const ChartMargins& m) {
    return W - X - m.Left > 2220 ? X + 100 : X - 2300;
}

QString DtoGet(int16_t index) {
    return slotClock(index, 6, 0, false);
}
QString MDtoGet(int16_t index) {
    return slotClock(index, 30, DayStartHour, true);
}
QString MDtoTDGet(int16_t index) {
    return slotClock(index, 30, DayStartHour + 12, true);
}
QString MStoGet(int16_t index) {
    return slotClock(index, 10, DayStartHour, true);
}

int16_t TtoGetd(const QDateTime& IntGD) {
    if (!IntGD.isValid()) return -1;
    const QTime t = IntGD.time();
    // The 6 is the chart's own day start for markers, not DayStartHour.
    return static_cast<int16_t>((t.hour() - 6) * 6 + std::rint(t.minute() / 10.0));
}

double markerLeft(double W, const ChartMargins& m, int slot) {
    return (W - m.Left - m.Right) / 144 * slot + m.Left;
}

double markerTop(double H, const ChartMargins& m, double markerHeight) {
    return H - m.Bottom - markerHeight;
}

std::optional<QString> markerTitle(int16_t type, const QString& tipText) {
    switch (type) {
    case 0:
        return tipText.contains(u"...") ? QStringLiteral(" 快讯播报(有正文)")
                                        : QStringLiteral(" 快讯播报(无正文)");
    case 1:
        return QStringLiteral(" 黄金评论");
    case 2:
        return QStringLiteral(" 新闻资讯");
    default:
        return std::nullopt;
    }
}

QString markerItemTitle(const QString& markerText) {
    const qsizetype crlf = markerText.indexOf(u"\r\n");
    return crlf < 0 ? markerText : markerText.mid(crlf + 2);
}

} // namespace charts
