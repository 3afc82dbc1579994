#include "platform/surface.h"

#include "platform/gdi.h"
#include "tests/support/qtprint.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>
#include <utility>

using platform::ImageSurface;
using platform::RecordingSurface;
using platform::SurfaceOp;

namespace {

constexpr platform::OleColor kWhite = 0xFFFFFF;
constexpr platform::OleColor kRed = 0x0000FF;

// Pixels of one colour in a row, as column numbers.
std::vector<int> rowPixels(const QImage& image, int y, platform::OleColor color) {
    std::vector<int> xs;
    for (int x = 0; x < image.width(); ++x)
        if (platform::gdi::pixel(image, x, y) == static_cast<int32_t>(color)) xs.push_back(x);
    return xs;
}

std::set<std::pair<int, int>> allPixels(const QImage& image, platform::OleColor color) {
    std::set<std::pair<int, int>> points;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (platform::gdi::pixel(image, x, y) == static_cast<int32_t>(color))
                points.insert({x, y});
    return points;
}

std::vector<int> range(int from, int to) {
    std::vector<int> xs;
    for (int x = from; x <= to; ++x)
        xs.push_back(x);
    return xs;
}

TEST(SurfaceTest, SizeIsInTwipsAndFreshSurfaceIsWhite) {
    ImageSurface s(40, 30);
    EXPECT_EQ(s.ScaleWidth(), 600);
    EXPECT_EQ(s.ScaleHeight(), 450);
    EXPECT_TRUE(allPixels(s.image(), kWhite).size() == 40u * 30u);
}

// Twips become pixels by rounding to the nearest (halves to even); the end pixel is left out.
TEST(SurfaceTest, LineRoundsTwipsToPixelsAndLeavesOutTheEnd) {
    struct Case {
        double x1;
        double x2;
        int first;
        int last;
    };
    const Case cases[] = {
        {0, 150, 0, 9},    // 0 .. 10 px: 10 is the end
        {22, 150, 1, 9},   // 1.47 px rounds down
        {23, 150, 2, 9},   // 1.53 px rounds up
        {7.5, 150, 0, 9},  // 0.5 px: half to even, 0
        {22.5, 150, 2, 9}, // 1.5 px: half to even, 2
        {150, 0, 1, 10},   // right to left: 10 down to 1
    };
    for (const Case& c : cases) {
        ImageSurface s(20, 5);
        s.Line(c.x1, 30, c.x2, 30, kRed);
        EXPECT_EQ(rowPixels(s.image(), 2, kRed), range(c.first, c.last)) << c.x1 << " to " << c.x2;
    }
}

TEST(SurfaceTest, LineMovesThePrintPositionToItsEnd) {
    RecordingSurface s(20, 20);
    s.Line(15, 30, 150, 90, kRed);
    EXPECT_EQ(s.CurrentX, 150);
    EXPECT_EQ(s.CurrentY, 90);
}

TEST(SurfaceTest, BoxOutlineAndFillCoverBothCorners) {
    ImageSurface s(10, 10);
    s.Box(15, 15, 75, 45, kRed); // pixels (1, 1) to (5, 3)
    EXPECT_EQ(rowPixels(s.image(), 1, kRed), range(1, 5));
    EXPECT_EQ(rowPixels(s.image(), 3, kRed), range(1, 5));
    EXPECT_EQ(rowPixels(s.image(), 2, kRed), (std::vector<int>{1, 5}));
    EXPECT_TRUE(rowPixels(s.image(), 4, kRed).empty());

    ImageSurface f(10, 10);
    f.FilledBox(75, 45, 15, 15, kRed); // corners in either order
    for (int y = 1; y <= 3; ++y)
        EXPECT_EQ(rowPixels(f.image(), y, kRed), range(1, 5));
    EXPECT_TRUE(rowPixels(f.image(), 4, kRed).empty());
}

TEST(SurfaceTest, WidePenIsAsThickAsItsWidth) {
    ImageSurface s(30, 12);
    ASSERT_TRUE(s.setDrawWidth(3));
    s.Line(30, 75, 300, 75, kRed); // row 5
    EXPECT_TRUE(rowPixels(s.image(), 3, kRed).empty());
    for (int y = 4; y <= 6; ++y)
        EXPECT_FALSE(rowPixels(s.image(), y, kRed).empty()) << y;
    EXPECT_TRUE(rowPixels(s.image(), 7, kRed).empty());
}

TEST(SurfaceTest, DottedPenDrawsThreeOnThreeOffOnThinLinesOnly) {
    ImageSurface s(20, 6);
    ASSERT_TRUE(s.setDrawStyle(platform::vbDot));
    s.Line(0, 15, 300, 15, kRed);
    EXPECT_EQ(rowPixels(s.image(), 1, kRed),
              (std::vector<int>{0, 1, 2, 6, 7, 8, 12, 13, 14, 18, 19}));

    ASSERT_TRUE(s.setDrawWidth(2)); // a wide pen is solid whatever its style, with square ends
    s.Line(0, 60, 150, 60, kRed);
    EXPECT_EQ(rowPixels(s.image(), 4, kRed), range(0, 11));
}

// A patterned line keeps to the path of the solid one.
TEST(SurfaceTest, PatternedLineFollowsTheSolidPath) {
    ImageSurface solid(40, 40);
    solid.Line(15, 30, 555, 480, kRed);
    for (int style :
         {platform::vbDash, platform::vbDot, platform::vbDashDot, platform::vbDashDotDot}) {
        ImageSurface dotted(40, 40);
        ASSERT_TRUE(dotted.setDrawStyle(style));
        dotted.Line(15, 30, 555, 480, kRed);
        const auto on = allPixels(dotted.image(), kRed);
        const auto path = allPixels(solid.image(), kRed);
        EXPECT_FALSE(on.empty());
        EXPECT_LT(on.size(), path.size()) << style;
        for (const auto& p : on)
            EXPECT_TRUE(path.count(p)) << style << ": " << p.first << "," << p.second;
    }
}

TEST(SurfaceTest, InvisiblePenDrawsNoLine) {
    ImageSurface s(10, 10);
    ASSERT_TRUE(s.setDrawStyle(platform::vbInvisible));
    s.Line(0, 15, 150, 15, kRed);
    s.Box(0, 0, 90, 90, kRed);
    EXPECT_TRUE(allPixels(s.image(), kRed).empty());
}

TEST(SurfaceTest, InvalidPenAndFontValuesAreRefused) {
    RecordingSurface s(10, 10);
    EXPECT_FALSE(s.setDrawWidth(0));
    EXPECT_FALSE(s.setDrawWidth(-3));
    EXPECT_EQ(s.DrawWidth(), 1);
    EXPECT_FALSE(s.setDrawStyle(7));
    EXPECT_EQ(s.DrawStyle(), platform::vbSolid);
    EXPECT_FALSE(s.setFontSize(0));
    EXPECT_FALSE(s.setFontSize(-9));
    EXPECT_FALSE(s.setFontSize(std::numeric_limits<double>::quiet_NaN()));
    EXPECT_EQ(s.FontSize(), 9);
}

TEST(SurfaceTest, NonFiniteCoordinatesDrawNothingAndKeepThePosition) {
    ImageSurface s(10, 10);
    s.CurrentX = 30;
    s.CurrentY = 45;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    s.Line(0, 0, nan, 45, kRed);
    s.Box(inf, 0, 45, 45, kRed);
    s.FilledBox(0, -inf, 45, 45, kRed);
    s.PSet(nan, nan, kRed);
    EXPECT_TRUE(allPixels(s.image(), kRed).empty());
    EXPECT_EQ(s.CurrentX, 30);
    EXPECT_EQ(s.CurrentY, 45);
}

// A line with a far-away end is cut to the image first: what shows is the same line, drawn at once.
TEST(SurfaceTest, FarAwayLineIsClippedNotWalked) {
    ImageSurface s(50, 10);
    s.Line(0, 75, 1e13, 75, kRed);
    EXPECT_EQ(rowPixels(s.image(), 5, kRed), range(0, 49));
    s.FilledBox(-1e12, -1e12, 1e12, 15, kRed);
    EXPECT_EQ(rowPixels(s.image(), 0, kRed), range(0, 49));
}

TEST(SurfaceTest, PrintDrawsAtThePositionAndMovesToTheNextLine) {
    ImageSurface s(200, 60);
    s.ForeColor = kRed;
    s.CurrentX = 300; // 20 px
    s.CurrentY = 150; // 10 px
    const double height = s.TextHeight(QStringLiteral("I"));
    ASSERT_GT(height, 0);
    s.Print(QStringLiteral("价格"));
    EXPECT_EQ(s.CurrentX, 0);
    EXPECT_EQ(s.CurrentY, 150 + height);
    const auto ink = allPixels(s.image(), kRed);
    ASSERT_FALSE(ink.empty());
    for (const auto& [x, y] : ink) {
        EXPECT_GE(x, 20);
        EXPECT_GE(y, 10);
        EXPECT_LT(y, 10 + height / 15);
    }
    // No antialiasing: every pixel is either the background or the text colour.
    EXPECT_EQ(ink.size() + allPixels(s.image(), kWhite).size(), 200u * 60u);
}

TEST(SurfaceTest, EmptyPrintMovesDownOneLine) {
    RecordingSurface s(10, 10);
    s.CurrentX = 500;
    s.CurrentY = 100;
    s.Print();
    EXPECT_EQ(s.CurrentX, 0);
    EXPECT_EQ(s.CurrentY, 100 + s.TextHeight(QString()));
    EXPECT_TRUE(s.ops(SurfaceOp::Kind::Text).empty());
}

TEST(SurfaceTest, TextMetricsFollowTheFont) {
    RecordingSurface s(10, 10);
    EXPECT_EQ(s.FontName(), QStringLiteral("宋体"));
    const double small = s.TextHeight(QStringLiteral("I"));
    const double narrow = s.TextWidth(QStringLiteral("1234.5"));
    EXPECT_EQ(s.TextWidth(QString()), 0);
    EXPECT_EQ(s.TextHeight(QString()), small);
    EXPECT_EQ(s.TextHeight(QStringLiteral("a\nb")), 2 * small);
    ASSERT_TRUE(s.setFontSize(18));
    EXPECT_GT(s.TextHeight(QStringLiteral("I")), small);
    EXPECT_GT(s.TextWidth(QStringLiteral("1234.5")), narrow);
    // Metrics are whole pixels in twips.
    EXPECT_EQ(std::fmod(s.TextWidth(QStringLiteral("1234.5")), 15), 0);
}

TEST(SurfaceTest, ClsFillsWithTheBackColourAndResetsThePosition) {
    ImageSurface s(10, 10);
    s.Line(0, 0, 150, 150, kRed);
    s.CurrentX = 40;
    s.CurrentY = 50;
    s.BackColor = 0x00FF00;
    s.Cls();
    EXPECT_EQ(allPixels(s.image(), 0x00FF00).size(), 100u);
    EXPECT_EQ(s.CurrentX, 0);
    EXPECT_EQ(s.CurrentY, 0);
}

TEST(SurfaceTest, ResizeKeepsWhatWasDrawn) {
    ImageSurface s(10, 10);
    s.FilledBox(0, 0, 135, 135, kRed); // the whole 10 x 10
    s.resize(20, 5);
    EXPECT_EQ(s.ScaleWidth(), 300);
    EXPECT_EQ(rowPixels(s.image(), 4, kRed), range(0, 9));
    EXPECT_EQ(platform::gdi::pixel(s.image(), 15, 4), static_cast<int32_t>(kWhite));
}

TEST(SurfaceTest, RecordingKeepsCallsWithPenAndFont) {
    RecordingSurface s(100, 100);
    s.Cls();
    ASSERT_TRUE(s.setDrawWidth(2));
    s.Line(10, 20, 30, 40, kRed);
    ASSERT_TRUE(s.setDrawStyle(platform::vbDot));
    s.Box(1, 2, 3, 4, 0x808080);
    s.setFontBold(true);
    s.ForeColor = 0x00FF00;
    s.CurrentX = 7;
    s.CurrentY = 8;
    s.Print(QStringLiteral("金"));
    ASSERT_EQ(s.ops().size(), 4u);
    EXPECT_EQ(s.ops()[0].kind, SurfaceOp::Kind::Clear);
    const SurfaceOp& line = s.ops()[1];
    EXPECT_EQ(line.kind, SurfaceOp::Kind::Line);
    EXPECT_EQ(std::make_tuple(line.x1, line.y1, line.x2, line.y2),
              std::make_tuple(10.0, 20.0, 30.0, 40.0));
    EXPECT_EQ(line.width, 2);
    EXPECT_EQ(line.style, platform::vbSolid);
    EXPECT_EQ(s.ops()[2].style, platform::vbDot);
    const SurfaceOp& text = s.ops()[3];
    EXPECT_EQ(text.text, QStringLiteral("金"));
    EXPECT_EQ(std::make_pair(text.x1, text.y1), std::make_pair(7.0, 8.0));
    EXPECT_EQ(text.color, 0x00FF00u);
    EXPECT_TRUE(text.bold);
    EXPECT_TRUE(s.picture().isNull());
}

} // namespace
