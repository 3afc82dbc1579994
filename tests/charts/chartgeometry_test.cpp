#include "charts/chartgeometry.h"

#include "tests/support/qtprint.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

using namespace charts;

namespace {

// The three-day chart of a 9000 x 6000 control: 720 points, pRows 4 (5 columns), 4 rows of
// 25 between 1200 and 1300.
ChartLayout goldLayout(PointSpacing spacing = PointSpacing::Widened) {
    return chartLayout(9000, 6000, kDrawNumMargins, 720, 5, 4, 1200, 1300, spacing);
}

std::vector<int> starts(const std::vector<SeriesSegment>& segments) {
    std::vector<int> from;
    for (const SeriesSegment& s : segments)
        from.push_back(s.from);
    return from;
}

// A series of n elements, all 100.
QStringList flat(int n) {
    return QStringList(n, QStringLiteral("100"));
}

TEST(ChartLayoutTest, StepsOfTheDrawings) {
    const ChartLayout l = goldLayout();
    EXPECT_EQ(l.plotWidth, 8250);
    EXPECT_EQ(l.plotHeight, 5250);
    EXPECT_FLOAT_EQ(l.pointStep, (8250 + 8250.0 / 720) / 720);
    EXPECT_EQ(l.columnStep, 1650);
    EXPECT_EQ(l.heightPerValue, 52.5);
    EXPECT_EQ(l.rowStep, 1312.5);
    EXPECT_EQ(l.valueStep, 25);
    EXPECT_FLOAT_EQ(goldLayout(PointSpacing::Exact).pointStep, 8250.0f / 720);
}

TEST(ChartLayoutTest, FailedDivisionsLeaveZeroNeverInfinity) {
    struct Case {
        int32_t rows;
        int32_t columns;
        int32_t pCols;
        float min;
        float max;
    };
    const float big = std::numeric_limits<float>::max();
    const Case cases[] = {
        {0, 0, 0, 1300, 1300},
        {0, 5, 4, 1200, 1300},
        {720, 0, 4, 5, 5},
        {720, 5, 4, -big, big}, // the span overflows a single
    };
    for (const Case& c : cases) {
        const ChartLayout l = chartLayout(9000, 6000, kDrawNumMargins, c.rows, c.columns, c.pCols,
                                          c.min, c.max, PointSpacing::Widened);
        for (float v : {l.pointStep, l.columnStep, l.heightPerValue, l.rowStep, l.valueStep})
            EXPECT_TRUE(std::isfinite(v));
        if (c.rows == 0) {
            EXPECT_EQ(l.pointStep, 0);
        }
        if (c.columns == 0) {
            EXPECT_EQ(l.columnStep, 0);
        }
        if (c.pCols == 0) {
            EXPECT_EQ(l.rowStep, 0);
        }
        if (c.min == c.max || !std::isfinite(c.max - c.min)) {
            EXPECT_EQ(l.heightPerValue, 0);
        }
    }
    // With Rows 0 every point is on the left edge, with MaxValue = MinValue on the bottom edge.
    const ChartLayout l =
        chartLayout(9000, 6000, kDrawNumMargins, 0, 5, 4, 5, 5, PointSpacing::Widened);
    EXPECT_EQ(pointX(l, kDrawNumMargins, 300), 650);
    EXPECT_EQ(pointY(l, kDrawNumMargins, 6000, 1234, 5), 5750);
}

TEST(ChartLayoutTest, PointPositions) {
    const ChartLayout l = goldLayout();
    EXPECT_DOUBLE_EQ(pointX(l, kDrawNumMargins, 0), 650);
    EXPECT_DOUBLE_EQ(pointX(l, kDrawNumMargins, 10), 650 + 10.0 * l.pointStep); // not rounded
    EXPECT_EQ(pointY(l, kDrawNumMargins, 6000, 1300, 1200), 500);
    EXPECT_EQ(pointY(l, kDrawNumMargins, 6000, 1200, 1200), 5750);
    EXPECT_EQ(pointY(l, kDrawNumMargins, 6000, 1250.01, 1200), 3124); // 3124.475
    EXPECT_EQ(pointY(l, kDrawNumMargins, 6000, 1e300, 1200), std::nullopt);

    // Halves go to the even twip: 0.5 twips per unit from a bottom at 750.
    ChartLayout half;
    half.heightPerValue = 0.5f;
    const ChartMargins m{250, 0, 0, 0};
    EXPECT_EQ(pointY(half, m, 1000, 1, 0), 750); // 749.5
    EXPECT_EQ(pointY(half, m, 1000, 3, 0), 748); // 748.5
    EXPECT_EQ(pointY(half, m, 1000, 5, 0), 748); // 747.5
}

TEST(SeriesValueTest, NumbersAndNonNumbers) {
    EXPECT_EQ(seriesValue(QStringLiteral("1234.5")), 1234.5);
    EXPECT_EQ(seriesValue(QStringLiteral("-2")), -2);
    EXPECT_EQ(seriesValue(QStringLiteral(" 7 ")), 7);
    EXPECT_EQ(seriesValue(QString()), std::nullopt);
    EXPECT_EQ(seriesValue(QStringLiteral("abc")), std::nullopt);
    EXPECT_EQ(seriesValue(QStringLiteral("1e999")), std::nullopt);
}

// The correctly rounded value of a plain decimal, as the general reader gives it.
double correctlyRounded(const std::string& text) {
    double value = std::numeric_limits<double>::quiet_NaN();
    const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    EXPECT_TRUE(error == std::errc() && stop == text.data() + text.size()) << text;
    return value;
}

void expectSameDouble(const std::string& text) {
    const std::optional<double> got = seriesValue(QString::fromStdString(text));
    ASSERT_TRUE(got.has_value()) << text;
    const double want = correctlyRounded(text);
    // Bit for bit: a value one unit off, or 0 for -0, would move a point on the chart's edge.
    EXPECT_EQ(std::bit_cast<uint64_t>(*got), std::bit_cast<uint64_t>(want))
        << text << ": " << *got << " instead of " << want;
}

// Plain decimals read fast, and give exactly the double the general reader gives, also where
// the fast way cannot hold the digits (beyond 2^53, more than 22 decimals).
TEST(SeriesValueTest, PlainDecimalsGiveTheCorrectlyRoundedDouble) {
    for (const char* text :
         {"0", "-0", "0.0", "5.", ".5", "-.5", "007.50", "2150.35", "-2150.35", "0.1", "0.3",
          "2156.32", "1234567.891", "9007199254740991", "9007199254740992", "9007199254740993",
          "18446744073709551617", "123456789012345678901234567890",
          "0.1234567890123456789012", "0.12345678901234567890123", "1.7976931348623157",
          "0.00000000000000000000001", "0.0000000000000000000001", "0.000000000000000000000000001", "4503599627370495.5", "2.2250738585072014"})
        expectSameDouble(text);

    // Generated prices: 1 to 19 digits with the point anywhere, either sign.
    uint64_t seed = 88172645463325252ull;
    const auto next = [&seed] {
        seed ^= seed << 13;
        seed ^= seed >> 7;
        seed ^= seed << 17;
        return seed;
    };
    for (int n = 0; n < 4000; ++n) {
        const int digits = 1 + static_cast<int>(next() % 19);
        std::string text = next() % 4 == 0 ? "-" : "";
        const int point = static_cast<int>(next() % static_cast<uint64_t>(digits + 1));
        for (int i = 0; i < digits; ++i) {
            if (i == point) text += '.';
            text += static_cast<char>('0' + next() % 10);
        }
        expectSameDouble(text);
    }
}

// Reading a whole series text gives, element by element, what seriesValue gives.
TEST(SeriesValueTest, SeriesTextReadsEachElementAsSeriesValue) {
    const char* texts[] = {
        "2150.35,2150.4,-3,0,-0",
        "1,,2,",
        ",",
        "abc, 7 ,1e3,.5,5.,-.5,.,-",
        "9007199254740993,12345678901234567890,0.00000000000000000000001,1.5",
        "0.000000000000000000000000000000000000000001,00000000000000000000000000000000000000001",
        "1.2.3,--1,1-2,&H10,2150.35",
        "7",
    };
    for (const char* text : texts) {
        const QString series = QString::fromLatin1(text);
        const SeriesValues values = seriesValues(QStringView(series));
        const QStringList elements = series.split(u',');
        ASSERT_EQ(values.size(), static_cast<size_t>(elements.size())) << text;
        for (qsizetype i = 0; i < elements.size(); ++i) {
            const std::optional<double> want = seriesValue(elements[i]);
            const std::optional<double>& got = values[static_cast<size_t>(i)];
            ASSERT_EQ(got.has_value(), want.has_value()) << text << " element " << i;
            if (want) {
                EXPECT_EQ(std::bit_cast<uint64_t>(*got), std::bit_cast<uint64_t>(*want))
                    << text << " element " << i;
            }
        }
    }
    EXPECT_TRUE(seriesValues(QStringView()).empty());
}

TEST(SeriesValueTest, MalformedPlainLookingElementsAreNoNumbers) {
    for (const char* text : {".", "-", "--1", "1.2.3", "1-2", "12a", "-.", "1..2"})
        EXPECT_EQ(seriesValue(QString::fromLatin1(text)), std::nullopt) << text;
}

// A missing point breaks the line on both sides; so does the empty element after a trailing ",".
TEST(SeriesSegmentsTest, ZerosNonNumbersAndTheTrailingEmptyElement) {
    const ChartLayout l = goldLayout();
    struct Case {
        QString series;
        SeriesRule rule;
        std::vector<int> from;
    };
    const Case cases[] = {
        {QStringLiteral("1,2,0,4,5,"), SeriesRule::DrawNum, {0, 3}},
        {QStringLiteral("1,2,0,4,5,"), SeriesRule::DrawNumLine, {0, 3}},
        {QStringLiteral("1,abc,3,4"), SeriesRule::DrawNum, {2}},
        // A negative point may start a segment but never end one.
        {QStringLiteral("-1,2,-3,4"), SeriesRule::DrawNum, {0, 2}},
        {QStringLiteral("5"), SeriesRule::DrawNum, {}},
        {QString(), SeriesRule::DrawNum, {}},
        // DrawLine stops one element early.
        {QStringLiteral("1,2,3,4"), SeriesRule::DrawLine, {0, 1}},
        // DrawGraph ends in a level stub at the last point.
        {QStringLiteral("1,2,3"), SeriesRule::DrawGraph, {0, 1, 2}},
        {QStringLiteral("1,2,3,"), SeriesRule::DrawGraph, {0, 1}},
    };
    for (const Case& c : cases) {
        const QStringList pts = c.series.isEmpty() ? QStringList{} : c.series.split(u',');
        EXPECT_EQ(starts(seriesSegments(pts, c.rule, 0, l, kDrawNumMargins, 6000, 1200)), c.from)
            << c.series.toStdString() << " rule " << static_cast<int>(c.rule);
    }
}

TEST(SeriesSegmentsTest, EachEndAtItsOwnValue) {
    const ChartLayout l = goldLayout();
    const auto segments = seriesSegments({QStringLiteral("1300"), QStringLiteral("1250")},
                                         SeriesRule::DrawNum, 0, l, kDrawNumMargins, 6000, 1200);
    ASSERT_EQ(segments.size(), 1u);
    EXPECT_EQ(segments[0],
              (SeriesSegment{0, 650, 500, 650 + static_cast<double>(l.pointStep), 3125}));
}

TEST(SeriesSegmentsTest, GraphStubIsOneStepAtTheLastSegmentsEnd) {
    const ChartLayout l = goldLayout();
    const auto segments = seriesSegments(QStringLiteral("1300,1250").split(u','),
                                         SeriesRule::DrawGraph, 0, l, kDrawNumMargins, 6000, 1200);
    ASSERT_EQ(segments.size(), 2u);
    const double x1 = 650 + static_cast<double>(l.pointStep);
    EXPECT_EQ(segments[1],
              (SeriesSegment{1, x1, 3125, x1 + static_cast<double>(l.pointStep), 3125}));
}

// The weekend trimming of the three-day chart: only a series of exactly 721 elements, only on
// Saturday (ends with the segment 210-211) and Monday (starts with 209-210).
TEST(SeriesSegmentsTest, WeekdayRuleOfDrawNum) {
    const ChartLayout l = goldLayout();
    struct Case {
        int count;
        int weekday;
        int first;
        int last;
    };
    const Case cases[] = {
        {721, 6, 0, 210}, {721, 1, 209, 719}, {721, 3, 0, 719}, {721, 0, 0, 719},
        {720, 6, 0, 718}, {722, 6, 0, 720},   {720, 1, 0, 718}, {722, 1, 0, 720},
    };
    for (const Case& c : cases) {
        const auto from = starts(seriesSegments(flat(c.count), SeriesRule::DrawNum, c.weekday, l,
                                                kDrawNumMargins, 6000, 1200));
        ASSERT_FALSE(from.empty());
        EXPECT_EQ(from.front(), c.first) << c.count << " on day " << c.weekday;
        EXPECT_EQ(from.back(), c.last) << c.count << " on day " << c.weekday;
        EXPECT_EQ(from.size(), static_cast<size_t>(c.last - c.first + 1));
    }
    // DrawNumLine has no weekday rule.
    EXPECT_EQ(seriesSegments(flat(721), SeriesRule::DrawNumLine, 6, l, kDrawNumMargins, 6000, 1200)
                  .size(),
              720u);
}

TEST(SeriesSegmentsTest, WeekdayRuleOfDrawGraph) {
    const ChartLayout l = goldLayout();
    struct Case {
        int count;
        int weekday;
        int first;
        int last;
    };
    const Case cases[] = {
        {700, 6, 0, 35}, {700, 1, 36, 699}, {701, 6, 0, 179}, {701, 1, 180, 700}, {240, 5, 0, 239},
    };
    for (const Case& c : cases) {
        const auto from = starts(seriesSegments(flat(c.count), SeriesRule::DrawGraph, c.weekday, l,
                                                kDrawNumMargins, 6000, 1200));
        ASSERT_FALSE(from.empty());
        EXPECT_EQ(from.front(), c.first) << c.count << " on day " << c.weekday;
        EXPECT_EQ(from.back(), c.last) << c.count << " on day " << c.weekday;
    }
}

TEST(GridTest, ColumnsAndSeparators) {
    const ChartLayout l = goldLayout();
    EXPECT_EQ(gridColumnXs(l, kDrawNumMargins, 5), (std::vector<double>{2300, 3950, 5600, 7250}));
    EXPECT_TRUE(gridColumnXs(l, kDrawNumMargins, 1).empty());
    EXPECT_TRUE(gridColumnXs(l, kDrawNumMargins, -3).empty());
    EXPECT_EQ(
        separatorXs(l, kDrawNumMargins, 603),
        (std::vector<double>{pointX(l, kDrawNumMargins, 329), pointX(l, kDrawNumMargins, 482)}));
    EXPECT_TRUE(separatorXs(l, kDrawNumMargins, 602).empty());
    EXPECT_TRUE(separatorXs(l, kDrawNumMargins, 604).empty());
    EXPECT_EQ(boundedDivisions(std::numeric_limits<int32_t>::max()), kMaxDivisions);
    EXPECT_EQ(boundedDivisions(5), 5);
}

TEST(CaptionPlacementTest, BottomCaptions) {
    const ChartLayout l = goldLayout();
    EXPECT_EQ(captionY(6000, kDrawNumMargins, 180), 6000 - 125 - 90);
    EXPECT_EQ(columnCaptionX(l, kDrawNumMargins, 0), 550);
    EXPECT_EQ(columnCaptionX(l, kDrawNumMargins, 5), 650 + 5 * 1650 - 100);
    // DrawNumLine: centred on the column, the last one ends on it.
    EXPECT_EQ(lineCaptionX(l, kDrawNumMargins, 2, 5, 300), 650 + 2 * 1650 - 150);
    EXPECT_EQ(lineCaptionX(l, kDrawNumMargins, 5, 5, 300), 650 + 5 * 1650 - 300);
    // Date labels: column i - 1, the last (i = columns + 1) 240 further left.
    EXPECT_EQ(dateLabelX(l, kDrawNumMargins, 1, 5), 550);
    EXPECT_EQ(dateLabelX(l, kDrawNumMargins, 6, 5), 650 + 5 * 1650 - 100 - 240);
}

TEST(CaptionPlacementTest, DateUnderEachColumnRoundsHalvesToEven) {
    // 8000 wide plot, 4 columns of 2000: column 1 is a quarter across.
    ChartLayout l;
    l.plotWidth = 8000;
    l.columnStep = 2000;
    struct Case {
        int i;
        int lastIndex;
        int expected;
    };
    const Case cases[] = {
        {1, 9, 0},  {2, 9, 2}, {3, 9, 4}, {5, 9, 8}, {2, 3, 0}, // 0.25 x 2 = 0.5 -> 0
        {2, 7, 2},                                              // 1.5 -> 2
        {2, 11, 2},                                             // 2.5 -> 2
    };
    for (const Case& c : cases)
        EXPECT_EQ(dateLabelIndex(l, c.i, c.lastIndex), c.expected) << c.i << " of " << c.lastIndex;
    l.plotWidth = 0;
    EXPECT_EQ(dateLabelIndex(l, 2, 9), std::nullopt);
}

TEST(CaptionPlacementTest, CurrentYearDatesShowAsMonthDay) {
    EXPECT_EQ(dateLabelText(QStringLiteral("2024-3-5"), 2024), QStringLiteral("3-5"));
    EXPECT_EQ(dateLabelText(QStringLiteral("2023-12-29"), 2024), QStringLiteral("2023-12-29"));
    EXPECT_EQ(dateLabelText(QStringLiteral("2024-12-2024"), 2024), QStringLiteral("12-2024"));
}

TEST(ValueLevelTest, LevelsFromTopToBottom) {
    const ChartLayout l = goldLayout();
    EXPECT_EQ(levelValue(l, 0, 4, 1200), 1300);
    EXPECT_EQ(levelValue(l, 1, 4, 1200), 1275);
    EXPECT_EQ(levelValue(l, 4, 4, 1200), 1200);
    EXPECT_EQ(levelY(l, kDrawNumMargins, 0), 500);
    EXPECT_EQ(levelY(l, kDrawNumMargins, 4), 5750);
}

TEST(FostrcTest, DecimalsOfTheSample) {
    struct Case {
        float value;
        float sample;
        const char* text;
    };
    const Case cases[] = {
        {1234.5678f, 0.01f, "1234.57"}, {1234.5678f, 1, "1235"},   {1234.5678f, 0.5f, "1234.6"},
        {0.125f, 0.01f, "0.12"},        {2.5f, 0.01f, "2.5"},      {1234.5678f, 0, "1235"},
        {1300, 0.01f, "1300"},          {-3.456f, 0.01f, "-3.46"}, {6.5f, 1, "6"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Fostrc(c.value, c.sample), QString::fromUtf8(c.text))
            << c.value << " / " << c.sample;
}

TEST(LegendGeometryTest, CornerAndSwatch) {
    EXPECT_EQ(legendX(0, 9000), 6400);
    EXPECT_EQ(legendY(0, 6000), 4450);
    EXPECT_EQ(legendX(700, 9000), 700);
    EXPECT_EQ(legendY(600, 6000), 600);
    EXPECT_EQ(legendX(0, 2600.5), 0); // halves to even
    EXPECT_EQ(legendX(0, 2601.5), 2);
    EXPECT_EQ(legendSwatch(6400, 4500), (TwipRect{6450, 4550, 6600, 4625}));
}

TEST(LegendGeometryTest, ATextGoesBelowWhatItWouldCover) {
    const std::vector<TwipRect> legendAndTitle = {{700, 600, 3500, 1200}, {2000, 220, 5000, 460}};
    struct Case {
        const char* what;
        TwipRect box;
        double top;
    };
    const Case cases[] = {
        {"clear of both: stays", {3600, 600, 5600, 780}, 600},
        {"over the legend: below it", {3000, 600, 5000, 780}, 1230},
        {"touching edges only: stays", {3500, 600, 5000, 780}, 600},
        {"below the title into the legend: below both", {1000, 400, 2500, 580}, 1230},
        {"left of everything: stays", {0, 600, 650, 780}, 600},
    };
    for (const Case& c : cases)
        EXPECT_EQ(topClearOf(c.box, legendAndTitle, 30), c.top) << c.what;
    EXPECT_EQ(topClearOf({0, 0, 10, 10}, {}, 30), 0);
}

TEST(ReadoutTest, PlotInteriorIsStrict) {
    const ChartMargins m = kDrawNumMargins;
    EXPECT_TRUE(insidePlot(651, 501, 9000, 6000, m));
    EXPECT_FALSE(insidePlot(650, 1000, 9000, 6000, m));
    EXPECT_FALSE(insidePlot(1000, 500, 9000, 6000, m));
    EXPECT_FALSE(insidePlot(8900, 1000, 9000, 6000, m));
    EXPECT_FALSE(insidePlot(1000, 5750, 9000, 6000, m));
    EXPECT_TRUE(insidePlot(8899.5, 5749.5, 9000, 6000, m));
}

TEST(ReadoutTest, ValueAndRmbReadouts) {
    // 1300 to 1200 over a 2000-twip plot: 500 below the top reads 1275, in RMB at 6.8 8670.
    const float perTwip = (1300.0f - 1200.0f) / 2000.0f;
    EXPECT_EQ(valueReadout(1300, perTwip, 1000, kDrawNumMargins), QStringLiteral("1275"));
    EXPECT_EQ(rmbReadout(QStringLiteral("1275"), 6.8f), QStringLiteral("8670"));
    EXPECT_EQ(valueReadout(1.125f, 0, 1000, kDrawNumMargins),
              QStringLiteral("1.12")); // half to even
    EXPECT_EQ(valueReadout(1300, 0.0123f, 777, kDrawNumMargins), QStringLiteral("1296.59"));
    EXPECT_EQ(rmbReadout(QStringLiteral("abc"), 6.8f), QStringLiteral("0"));
    EXPECT_EQ(valueReadout(std::numeric_limits<float>::max(), std::numeric_limits<float>::max(),
                           -1e300, kDrawNumMargins),
              std::nullopt);
}

TEST(ReadoutTest, PointIndexUnderTheCursor) {
    const ChartMargins m = kDrawNumMargins;
    const double step = 8250.0 / 720;
    EXPECT_EQ(pointIndexAt(650 + step * 10.5, 9000, m, 720), 10);
    EXPECT_EQ(pointIndexAt(650 + step * 10.99, 9000, m, 720), 10);
    EXPECT_EQ(pointIndexAt(645, 9000, m, 720), 0); // towards zero
    EXPECT_EQ(pointIndexAt(5000, 9000, m, 0), 0);  // Rows 0
    EXPECT_EQ(pointIndexAt(5000, 750, m, 720), 0); // no plot width
}

TEST(ReadoutTest, PricePattern) {
    struct Case {
        double value;
        const char* text;
    };
    const Case cases[] = {{1234.5, "1234.50"}, {5, "005.00"},   {0.125, "000.13"},
                          {12.345, "012.35"},  {-5, "-005.00"}, {999.999, "1000.00"}};
    for (const Case& c : cases)
        EXPECT_EQ(format000(c.value), QString::fromUtf8(c.text)) << c.value;
    EXPECT_EQ(priceReadout(QStringLiteral("1234.5")), QStringLiteral("价格:1234.50 "));
    EXPECT_EQ(priceReadout(QString()), std::nullopt);
    EXPECT_EQ(priceReadout(QStringLiteral("n/a")), std::nullopt);
}

TEST(ReadoutTest, SeriesReadoutsStandRightOfTheCursorWhileThereIsRoom) {
    const ChartMargins m = kDrawNumMargins;
    EXPECT_EQ(seriesReadoutLeft(9000, 6000, m), 6100); // 2350 to spare
    EXPECT_EQ(seriesReadoutLeft(9000, 6130, m), 3830); // exactly 2220: left of it
    EXPECT_EQ(seriesReadoutLeft(9000, 7000, m), 4700); // 2000 from the right edge
}

TEST(SlotTimeTest, SlotsToClockTimes) {
    struct Case {
        QString (*fn)(int16_t);
        int16_t index;
        const char* text;
    };
    const Case cases[] = {
        {MDtoGet, 1, "06:02"},   {MDtoGet, 540, "00:00"}, {MDtoGet, 539, "23:58"},
        {MDtoGet, 0, "06:00"},   {MStoGet, 25, "08:30"},  {MStoGet, 179, "23:54"},
        {MStoGet, 180, "00:00"}, {MDtoTDGet, 0, "18:00"}, {MDtoTDGet, 180, "00:00"},
        {MDtoTDGet, 1, "18:02"}, {DtoGet, 143, "23:50"},  {DtoGet, 150, "25:00"},
        {DtoGet, 0, "00:00"},    {DtoGet, 1, "00:10"},    {DtoGet, 7, "01:10"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.fn(c.index), QString::fromUtf8(c.text)) << c.index;
}

TEST(MarkerGeometryTest, SlotOfATime) {
    struct Case {
        int hour;
        int minute;
        int16_t slot;
    };
    const Case cases[] = {
        {6, 0, 0},  {6, 4, 0},     {6, 5, 0},   {6, 6, 1},   {6, 15, 2},   {6, 25, 2},
        {6, 55, 6}, {23, 59, 108}, {9, 31, 21}, {9, 34, 21}, {2, 30, -21},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TtoGetd(QDateTime(QDate(2024, 3, 5), QTime(c.hour, c.minute))), c.slot)
            << c.hour << ":" << c.minute;
    EXPECT_EQ(TtoGetd(QDateTime()), -1);
}

TEST(MarkerGeometryTest, PlaceAndTitles) {
    EXPECT_EQ(markerLeft(9000, kDrawNumMargins, 0), 650);
    EXPECT_DOUBLE_EQ(markerLeft(9000, kDrawNumMargins, 144), 8900);
    EXPECT_DOUBLE_EQ(markerLeft(9000, kDrawNumMargins, 21), 8250.0 / 144 * 21 + 650);
    EXPECT_EQ(markerTop(6000, kDrawNumMargins, 240), 5510);

    EXPECT_EQ(markerTitle(0, QStringLiteral("9:31\r\n金价大涨...")),
              QStringLiteral(" 快讯播报(有正文)"));
    EXPECT_EQ(markerTitle(0, QStringLiteral("9:31\r\n金价大涨")),
              QStringLiteral(" 快讯播报(无正文)"));
    EXPECT_EQ(markerTitle(1, QString()), QStringLiteral(" 黄金评论"));
    EXPECT_EQ(markerTitle(2, QString()), QStringLiteral(" 新闻资讯"));
    EXPECT_EQ(markerTitle(3, QString()), std::nullopt);
    EXPECT_EQ(markerItemTitle(QStringLiteral("2024-3-5 9:31:00\r\n金价\r\n大涨")),
              QStringLiteral("金价\r\n大涨"));
}

} // namespace

TEST(ChartGeometryTest, LevelTextsShowTheDecimalsTheRangeNeeds) {
    struct Case {
        const char* what;
        float minValue;
        float maxValue;
        int32_t pCols;
        float XsJZ;
        QStringList texts;
    };
    const Case cases[] = {
        {"two decimals are enough", 59.0f, 60.0f, 4, 119.35f, {"60", "59.75", "59.5", "59.25", "59"}},
        {"a narrow range gains a decimal", 59.665f, 59.69f, 5, 119.35f,
         {"59.69", "59.685", "59.68", "59.675", "59.67", "59.665"}},
        {"whole prices gain decimals only as needed", 4011.f, 4013.f, 4, 8024.f,
         {"4013", "4012.5", "4012", "4011.5", "4011"}},
        {"a flat range stops at the most decimals", 100.f, 100.f, 3, 200.f, {"100", "100", "100", "100"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const ChartLayout l = chartLayout(9000, 6000, kDrawNumLineMargins, 100, 10, c.pCols, c.minValue,
                                          c.maxValue, PointSpacing::Exact);
        EXPECT_EQ(levelTexts(l, c.pCols, c.pCols, c.minValue, c.XsJZ), c.texts);
    }
}

TEST(ChartGeometryTest, SpacedLabelsLeaveOutThoseThatWouldTouchOrRepeat) {
    struct Case {
        const char* what;
        std::vector<LabelSpan> spans;
        QStringList texts;
        std::vector<bool> shown;
    };
    const Case cases[] = {
        {"apart", {{0, 100}, {200, 300}, {400, 500}}, {"a", "b", "c"}, {true, true, true}},
        {"the gap counts", {{0, 100}, {150, 250}, {300, 400}}, {"a", "b", "c"}, {true, false, true}},
        {"exactly the gap", {{0, 100}, {160, 200}}, {"a", "b"}, {true, true}},
        {"a row crowded together keeps every other", {{0, 100}, {80, 180}, {160, 260}, {240, 340}},
         {"a", "b", "c", "d"}, {true, false, true, false}},
        {"levels run downwards", {{500, 600}, {300, 400}, {100, 200}}, {"c", "b", "a"}, {true, true, true}},
        {"an empty text is left out and holds no room", {{0, 100}, {100, 200}, {200, 300}}, {"a", "", "c"},
         {true, false, true}},
        {"the same text as the one before", {{0, 100}, {200, 300}, {400, 500}}, {"a", "a", "b"},
         {true, false, true}},
        {"fewer texts than spans", {{0, 100}, {200, 300}}, {"a"}, {true, false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(spacedLabels(c.spans, c.texts, 60), c.shown);
    }
}
