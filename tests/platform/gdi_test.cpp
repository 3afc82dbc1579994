#include "platform/gdi.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>

using namespace platform;
using namespace platform::gdi;

namespace {

constexpr OleColor kPaper = 0xFFFFFF;
constexpr OleColor kInk = 0x0000FF;

using Pixels = std::set<std::pair<int, int>>;

// Every pixel of the surface that no longer has the paper colour.
Pixels painted(const QImage& s) {
    Pixels out;
    for (int y = 0; y < s.height(); ++y)
        for (int x = 0; x < s.width(); ++x)
            if (pixel(s, x, y) != static_cast<int32_t>(kPaper))
                out.insert({x, y});
    return out;
}

struct LineCase {
    int x1, y1, x2, y2;
    Pixels expected;
};

TEST(GdiLine, LeavesOutItsEndPixel) {
    const LineCase cases[] = {
        {0, 0, 10, 0, {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0}, {6, 0}, {7, 0}, {8, 0}, {9, 0}}},
        {4, 1, 0, 1, {{4, 1}, {3, 1}, {2, 1}, {1, 1}}},
        {2, 0, 2, 3, {{2, 0}, {2, 1}, {2, 2}}},
        {2, 3, 2, 0, {{2, 3}, {2, 2}, {2, 1}}},
        {0, 0, 4, 4, {{0, 0}, {1, 1}, {2, 2}, {3, 3}}},
        {6, 5, 10, 1, {{6, 5}, {7, 4}, {8, 3}, {9, 2}}},
        {3, 3, 3, 3, {}},
        {5, 0, 6, 0, {{5, 0}}},      // a one-step line is a single pixel
        {5, 2, 4, 2, {{5, 2}}},      // also backwards
        {-3, 0, 2, 0, {{0, 0}, {1, 0}}}, // clipped at the surface edge
    };
    for (const auto& c : cases) {
        QImage s = makeSurface(12, 7, kPaper);
        drawLine(s, c.x1, c.y1, c.x2, c.y2, kInk);
        EXPECT_EQ(painted(s), c.expected) << c.x1 << "," << c.y1 << " -> " << c.x2 << "," << c.y2;
    }
}

TEST(GdiLine, ShallowLineStepsOncePerColumn) {
    QImage s = makeSurface(12, 7, kPaper);
    drawLine(s, 0, 0, 8, 2, kInk);
    const Pixels p = painted(s);
    EXPECT_EQ(p.size(), 8u);
    for (int x = 0; x < 8; ++x) {
        int rows = 0;
        for (int y = 0; y < 7; ++y)
            rows += p.count({x, y}) ? 1 : 0;
        EXPECT_EQ(rows, 1) << "column " << x;
    }
    EXPECT_TRUE(p.count({0, 0}));
    EXPECT_FALSE(p.count({8, 2}));
}

TEST(GdiFrame, OutlineOfWByHCoversOneMorePixelEachWay) {
    QImage s = makeSurface(12, 7, kPaper);
    drawFrame(s, 0, 0, 9, 4, kInk);
    Pixels expected;
    for (int x = 0; x <= 9; ++x) {
        expected.insert({x, 0});
        expected.insert({x, 4});
    }
    for (int y = 0; y <= 4; ++y) {
        expected.insert({0, y});
        expected.insert({9, y});
    }
    EXPECT_EQ(painted(s), expected);
}

TEST(GdiFill, ExcludesRightAndBottomAndClips) {
    QImage s = makeSurface(6, 5, kPaper);
    fillRect(s, {1, 1, 4, 3}, kInk);
    EXPECT_EQ(painted(s), (Pixels{{1, 1}, {2, 1}, {3, 1}, {1, 2}, {2, 2}, {3, 2}}));

    QImage t = makeSurface(4, 3, kPaper);
    fillRect(t, {-5, -5, 2, 1}, kInk);
    EXPECT_EQ(painted(t), (Pixels{{0, 0}, {1, 0}}));
    fillRect(t, {3, 2, 1, 1}, kInk); // inside out: nothing
    EXPECT_EQ(painted(t).size(), 2u);
}

TEST(GdiGradient, RowsRunFromStartToEndColour) {
    QImage s = makeSurface(8, 7, kPaper);
    drawGradient(s, 0x000000, 0x000064, 1, 1, 5, 4);
    const int reds[] = {0, 25, 50, 75, 100};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(pixel(s, 1, 1 + i), reds[i]) << "row " << i;
        EXPECT_EQ(pixel(s, 4, 1 + i), reds[i]);
        EXPECT_EQ(pixel(s, 5, 1 + i), static_cast<int32_t>(kPaper)) << "right column is excluded";
        EXPECT_EQ(pixel(s, 0, 1 + i), static_cast<int32_t>(kPaper));
    }
    EXPECT_EQ(pixel(s, 1, 6), static_cast<int32_t>(kPaper));
    EXPECT_EQ(pixel(s, 1, 0), static_cast<int32_t>(kPaper));
}

TEST(GdiGradient, StepsRoundHalvesToEven) {
    QImage s = makeSurface(2, 3, kPaper);
    drawGradient(s, 0x000000, 0x000005, 0, 0, 1, 2); // 0, 2.5, 5
    EXPECT_EQ(pixel(s, 0, 1), 2);
    drawGradient(s, 0x000000, 0x000007, 0, 0, 1, 2); // 0, 3.5, 7
    EXPECT_EQ(pixel(s, 0, 1), 4);
    EXPECT_EQ(pixel(s, 0, 2), 7);
}

TEST(GdiGradient, ToolbarStripHasExactEndColours) {
    const OleColor top = rgb(221, 236, 254);
    const OleColor bottom = rgb(129, 169, 226);
    QImage s = makeSurface(3, 30, kPaper);
    drawGradient(s, top, bottom, 0, 0, 3, 28);
    EXPECT_EQ(pixel(s, 0, 0), static_cast<int32_t>(top));
    EXPECT_EQ(pixel(s, 2, 28), static_cast<int32_t>(bottom));
    EXPECT_EQ(pixel(s, 0, 29), static_cast<int32_t>(kPaper));
    // Row 14 of 28 is the exact middle: (221 + 129) / 2 = 175, (236 + 169) / 2 = 202.5 -> 202,
    // (254 + 226) / 2 = 240.
    EXPECT_EQ(pixel(s, 1, 14), static_cast<int32_t>(rgb(175, 202, 240)));
}

TEST(GdiGradient, NegativeStepsDrawNothingAndZeroStepsOneRow) {
    QImage s = makeSurface(4, 4, kPaper);
    drawGradient(s, kInk, 0, 0, 0, 4, -1);
    EXPECT_TRUE(painted(s).empty());
    drawGradient(s, kInk, 0, 0, 2, 4, 0);
    EXPECT_EQ(painted(s), (Pixels{{0, 2}, {1, 2}, {2, 2}, {3, 2}}));
    EXPECT_EQ(pixel(s, 0, 2), static_cast<int32_t>(kInk));
}

TEST(GdiGradientHorizontal, ColumnsRunFromStartToEndColour) {
    QImage s = makeSurface(7, 5, kPaper);
    drawGradientHorizontal(s, 0x000000, 0x000064, 1, 1, 5, 4);
    const int reds[] = {0, 25, 50, 75, 100};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(pixel(s, 1 + i, 1), reds[i]);
        EXPECT_EQ(pixel(s, 1 + i, 3), reds[i]);
        EXPECT_EQ(pixel(s, 1 + i, 4), static_cast<int32_t>(kPaper)) << "bottom row is excluded";
    }
    EXPECT_EQ(painted(s).size(), 15u);
}

struct EdgeCase {
    int edge;
    int outerLight, outerDark, innerLight, innerDark; // system colour indexes; -1: no inner ring
};

TEST(GdiEdge, RingsTakeTheClassicColours) {
    const EdgeCase cases[] = {
        {EDGE_RAISED, COLOR_3DLIGHT, COLOR_3DDKSHADOW, COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW},
        {EDGE_SUNKEN, COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT, COLOR_3DDKSHADOW, COLOR_3DLIGHT},
        {BDR_RAISEDINNER, COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW, -1, -1},
        {BDR_SUNKENOUTER, COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT, -1, -1},
    };
    for (const auto& c : cases) {
        QImage s = makeSurface(8, 6, kInk);
        drawEdge(s, {0, 0, 8, 6}, c.edge, BF_RECT);
        const auto sys = [](int index) { return static_cast<int32_t>(GetSysColor(index)); };
        EXPECT_EQ(pixel(s, 0, 0), sys(c.outerLight)) << c.edge;
        EXPECT_EQ(pixel(s, 3, 0), sys(c.outerLight));
        EXPECT_EQ(pixel(s, 0, 4), sys(c.outerLight));
        EXPECT_EQ(pixel(s, 7, 0), sys(c.outerDark)) << "top-right corner belongs to the dark side";
        EXPECT_EQ(pixel(s, 0, 5), sys(c.outerDark)) << "bottom-left corner belongs to the dark side";
        EXPECT_EQ(pixel(s, 7, 5), sys(c.outerDark));
        if (c.innerLight >= 0) {
            EXPECT_EQ(pixel(s, 1, 1), sys(c.innerLight));
            EXPECT_EQ(pixel(s, 6, 4), sys(c.innerDark));
            EXPECT_EQ(pixel(s, 2, 2), static_cast<int32_t>(kInk)) << "the middle is left as it was";
        } else {
            EXPECT_EQ(pixel(s, 1, 1), static_cast<int32_t>(kInk)) << "one kind alone is one ring";
        }
    }
}

TEST(GdiEdge, OnlyTheAskedSides) {
    QImage s = makeSurface(6, 6, kInk);
    drawEdge(s, {0, 0, 6, 6}, BDR_RAISEDINNER, BF_TOP | BF_LEFT);
    EXPECT_EQ(pixel(s, 5, 0), static_cast<int32_t>(GetSysColor(COLOR_BTNHIGHLIGHT)));
    EXPECT_EQ(pixel(s, 5, 5), static_cast<int32_t>(kInk));
    EXPECT_EQ(pixel(s, 5, 3), static_cast<int32_t>(kInk));
}

TEST(GdiRegion, RectanglePolygonCoversExactlyItsPixels) {
    const QRegion r = polygonRegion(QPolygon({QPoint(0, 0), QPoint(7, 0), QPoint(7, 5), QPoint(0, 5)}));
    EXPECT_EQ(r, QRegion(0, 0, 7, 5));
}

TEST(GdiRegion, DiagonalThroughAPixelCentreLeavesThePixelOut) {
    // A triangle whose long side runs through the centres of (0,0), (1,1), (2,2).
    const QRegion r = polygonRegion(QPolygon({QPoint(0, 0), QPoint(4, 0), QPoint(4, 4)}));
    EXPECT_FALSE(r.contains(QPoint(0, 0)));
    EXPECT_FALSE(r.contains(QPoint(2, 2)));
    EXPECT_TRUE(r.contains(QPoint(1, 0)));
    EXPECT_TRUE(r.contains(QPoint(3, 2)));
    EXPECT_FALSE(r.contains(QPoint(4, 0)));
}

TEST(GdiRegion, RoundRectangleCutsOnlyTheCorners) {
    const QRegion r = roundRectRegion({0, 0, 40, 30}, 18, 18);
    for (const QPoint p : {QPoint(0, 0), QPoint(39, 0), QPoint(0, 29), QPoint(39, 29), QPoint(2, 1), QPoint(37, 28)})
        EXPECT_FALSE(r.contains(p)) << p.x() << "," << p.y();
    for (const QPoint p : {QPoint(9, 0), QPoint(30, 0), QPoint(0, 9), QPoint(39, 20), QPoint(20, 29), QPoint(20, 15),
                           QPoint(3, 3), QPoint(36, 26)})
        EXPECT_TRUE(r.contains(p)) << p.x() << "," << p.y();
    // Mirror images at every corner.
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            ASSERT_EQ(r.contains(QPoint(x, y)), r.contains(QPoint(39 - x, 29 - y))) << x << "," << y;
    EXPECT_EQ(r.boundingRect(), QRect(0, 0, 40, 30));
}

} // namespace
