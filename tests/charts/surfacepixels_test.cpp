// The image surface writes its pixels straight into the image and keeps the texts it prints as
// pixel runs. These tests hold it to the plain way of drawing the same things: lines through
// gdi::drawLine and gdi::fillRect (patterned lines filtered from the solid path on a scratch
// image), texts through gdi::drawText, pixel for pixel.
#include "platform/surface.h"

#include "platform/gdi.h"
#include "platform/screen.h"

#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <set>
#include <sstream>
#include <string>
#include <vector>

using platform::ImageSurface;
using platform::OleColor;
namespace gdi = platform::gdi;

namespace {

constexpr OleColor kWhite = 0xFFFFFF;
constexpr OleColor kRed = 0x0000FF;

// --- The plain drawing the surface is held to ---

int pixelOf(double twips, int perPixel) {
    return static_cast<int>(std::rint(twips / perPixel));
}

std::vector<int> patternRuns(int style) {
    switch (style) {
    case platform::vbDash:
        return {18, 6};
    case platform::vbDot:
        return {3, 3};
    case platform::vbDashDot:
        return {9, 6, 3, 6};
    case platform::vbDashDotDot:
        return {9, 3, 3, 3, 3, 3};
    default:
        return {};
    }
}

bool patternOn(const std::vector<int>& runs, int step) {
    int period = 0;
    for (int run : runs)
        period += run;
    int pos = step % period;
    for (size_t i = 0; i < runs.size(); ++i) {
        if (pos < runs[i]) return i % 2 == 0;
        pos -= runs[i];
    }
    return false;
}

class PlainPen {
public:
    PlainPen(QImage& image, int width, int style, OleColor color)
        : m_image(image), m_width(width), m_style(style), m_color(color) {
        if (m_width > 1 || m_style == platform::vbInsideSolid) m_style = platform::vbSolid;
    }

    void line(double x1, double y1, double x2, double y2) {
        if (m_style == platform::vbInvisible) return;
        constexpr double kFar = 16384;
        if (std::max({std::abs(x1), std::abs(y1), std::abs(x2), std::abs(y2)}) > kFar) {
            if (!platform::clipSegment(x1, y1, x2, y2, -m_width - 2.0, -m_width - 2.0,
                           m_image.width() + m_width + 2.0, m_image.height() + m_width + 2.0))
                return;
        }
        const int ix1 = static_cast<int>(std::rint(x1));
        const int iy1 = static_cast<int>(std::rint(y1));
        const int ix2 = static_cast<int>(std::rint(x2));
        const int iy2 = static_cast<int>(std::rint(y2));
        if (m_width > 1)
            wide(ix1, iy1, ix2, iy2);
        else if (m_style == platform::vbSolid)
            solid(ix1, iy1, ix2, iy2);
        else
            patterned(ix1, iy1, ix2, iy2);
    }

private:
    void solid(int x1, int y1, int x2, int y2) {
        if (y1 == y2 && x1 != x2)
            gdi::fillRect(m_image, {x1 < x2 ? x1 : x2 + 1, y1, x1 < x2 ? x2 : x1 + 1, y1 + 1},
                          m_color);
        else if (x1 == x2 && y1 != y2)
            gdi::fillRect(m_image, {x1, y1 < y2 ? y1 : y2 + 1, x1 + 1, y1 < y2 ? y2 : y1 + 1},
                          m_color);
        else
            gdi::drawLine(m_image, x1, y1, x2, y2, m_color);
    }

    void wide(int x1, int y1, int x2, int y2) {
        const int lo = -(m_width - 1) / 2;
        const int hi = m_width / 2;
        const bool flat = std::abs(x2 - x1) >= std::abs(y2 - y1);
        for (int o = lo; o <= hi; ++o) {
            if (flat)
                gdi::drawLine(m_image, x1, y1 + o, x2, y2 + o, m_color);
            else
                gdi::drawLine(m_image, x1 + o, y1, x2 + o, y2, m_color);
        }
        gdi::fillRect(m_image, {x1 + lo, y1 + lo, x1 + hi + 1, y1 + hi + 1}, m_color);
        gdi::fillRect(m_image, {x2 + lo, y2 + lo, x2 + hi + 1, y2 + hi + 1}, m_color);
    }

    void patterned(int x1, int y1, int x2, int y2) {
        const std::vector<int> runs = patternRuns(m_style);
        // The solid path on a scratch image covering the line, then its pixels by pattern.
        const int ox = std::min(x1, x2);
        const int oy = std::min(y1, y2);
        QImage scratch = gdi::makeSurface(std::abs(x2 - x1) + 1, std::abs(y2 - y1) + 1, 0x000000);
        gdi::drawLine(scratch, x1 - ox, y1 - oy, x2 - ox, y2 - oy, 0xFFFFFF);
        const bool flat = std::abs(x2 - x1) >= std::abs(y2 - y1);
        for (int y = 0; y < scratch.height(); ++y) {
            for (int x = 0; x < scratch.width(); ++x) {
                if (gdi::pixel(scratch, x, y) != 0xFFFFFF) continue;
                const int step = flat ? std::abs(x + ox - x1) : std::abs(y + oy - y1);
                if (patternOn(runs, step)) gdi::setPixel(m_image, x + ox, y + oy, m_color);
            }
        }
    }

    QImage& m_image;
    int m_width;
    int m_style;
    OleColor m_color;
};

void plainLine(QImage& image, double x1, double y1, double x2, double y2, int width, int style,
               OleColor color) {
    PlainPen(image, width, style, color)
        .line(x1 / TwipsX, y1 / TwipsY, x2 / TwipsX, y2 / TwipsY);
}

void plainBox(QImage& image, double x1, double y1, double x2, double y2, int width, int style,
              OleColor color, bool filled) {
    const int left = std::min(pixelOf(x1, TwipsX), pixelOf(x2, TwipsX));
    const int right = std::max(pixelOf(x1, TwipsX), pixelOf(x2, TwipsX));
    const int top = std::min(pixelOf(y1, TwipsY), pixelOf(y2, TwipsY));
    const int bottom = std::max(pixelOf(y1, TwipsY), pixelOf(y2, TwipsY));
    if (filled) {
        gdi::fillRect(image, {left, top, right + 1, bottom + 1}, color);
        return;
    }
    if (width == 1 && style == platform::vbSolid) {
        gdi::drawFrame(image, left, top, right - left, bottom - top, color);
        return;
    }
    PlainPen pen(image, width, style, color);
    pen.line(left, top, right, top);
    pen.line(right, top, right, bottom);
    pen.line(right, bottom, left, bottom);
    pen.line(left, bottom, left, top);
    if (width == 1 && style != platform::vbInvisible) gdi::setPixel(image, left, top, color);
}

// Where two pictures differ first, or "" when they are the same.
std::string firstDifference(const QImage& got, const QImage& want) {
    if (got.size() != want.size()) return "size differs";
    for (int y = 0; y < want.height(); ++y)
        for (int x = 0; x < want.width(); ++x)
            if (gdi::pixel(got, x, y) != gdi::pixel(want, x, y)) {
                std::ostringstream out;
                out << "pixel (" << x << ", " << y << "): " << std::hex << gdi::pixel(got, x, y)
                    << " instead of " << gdi::pixel(want, x, y);
                return out.str();
            }
    return {};
}

int inked(const QImage& image) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (gdi::pixel(image, x, y) != static_cast<int32_t>(kWhite)) ++n;
    return n;
}

constexpr int kWidth = 40;
constexpr int kHeight = 30;

struct Segment {
    const char* name;
    double x1;
    double y1;
    double x2;
    double y2;
};

// In twips on a 40 x 30-pixel picture (600 x 450 twips).
const Segment kSegments[] = {
    {"flat", 15, 30, 555, 120},
    {"flat reversed", 555, 120, 15, 30},
    {"steep", 30, 15, 120, 435},
    {"steep reversed", 120, 435, 30, 15},
    {"steep leftwards", 450, 15, 300, 420},
    {"diagonal", 0, 0, 435, 435},
    {"horizontal", 15, 150, 570, 150},
    {"horizontal reversed", 570, 165, 15, 165},
    {"vertical", 150, 15, 150, 420},
    {"vertical reversed", 165, 420, 165, 15},
    {"single point", 150, 150, 150, 150},
    {"shorter than a pixel", 150, 150, 157, 152},
    {"one pixel", 150, 150, 165, 150},
    {"halves to even", 7.5, 22.5, 352.5, 97.5},
    {"long patterned run", 0, 15, 585, 435},
    {"through the corner", -150, -75, 700, 500},
    {"out beyond the right", 300, 225, 900, 420},
    {"along the top row", -30, 0, 700, 0},
    {"along the last column", 585, -30, 585, 600},
    {"entirely outside", -300, -300, -15, 900},
    {"far away ends", -1e7, 100, 1e7, 300},
    {"far away steep", 200, -1e9, 260, 1e9},
};

const int kStyles[] = {platform::vbSolid,     platform::vbDash,       platform::vbDot,
                       platform::vbDashDot,   platform::vbDashDotDot, platform::vbInvisible,
                       platform::vbInsideSolid};

TEST(SurfacePixelsTest, LinesMatchThePlainDrawingForEveryPen) {
    for (const Segment& seg : kSegments) {
        for (int width : {1, 2, 3}) {
            for (int style : kStyles) {
                ImageSurface s(kWidth, kHeight);
                ASSERT_TRUE(s.setDrawWidth(width));
                ASSERT_TRUE(s.setDrawStyle(style));
                s.Line(seg.x1, seg.y1, seg.x2, seg.y2, kRed);
                QImage want = gdi::makeSurface(kWidth, kHeight, kWhite);
                plainLine(want, seg.x1, seg.y1, seg.x2, seg.y2, width, style, kRed);
                EXPECT_EQ(firstDifference(s.image(), want), "")
                    << seg.name << ", width " << width << ", style " << style;
            }
        }
    }
}

// The table above must draw: a comparison of two blank pictures would show nothing.
TEST(SurfacePixelsTest, LineTableDrawsInsideExceptWhereNothingShows) {
    const std::set<std::string> blank{"single point", "shorter than a pixel", "entirely outside"};
    for (const Segment& seg : kSegments) {
        QImage want = gdi::makeSurface(kWidth, kHeight, kWhite);
        plainLine(want, seg.x1, seg.y1, seg.x2, seg.y2, 1, platform::vbSolid, kRed);
        EXPECT_EQ(inked(want) == 0, blank.count(seg.name) == 1) << seg.name;
    }
}

// A series as the charts draw it: hundreds of joined short segments on one picture.
TEST(SurfacePixelsTest, JoinedSeriesMatchesThePlainDrawing) {
    std::vector<double> ys;
    uint32_t seed = 12345;
    double y = 3000;
    for (int i = 0; i < 400; ++i) {
        seed = seed * 1103515245u + 12345u;
        y += static_cast<double>((seed >> 16) % 301) - 150;
        ys.push_back(std::clamp(y, -200.0, 6200.0));
    }
    for (int width : {1, 2}) {
        for (int style : {platform::vbSolid, platform::vbDot, platform::vbDash}) {
            ImageSurface s(600, 400);
            ASSERT_TRUE(s.setDrawWidth(width));
            ASSERT_TRUE(s.setDrawStyle(style));
            QImage want = gdi::makeSurface(600, 400, kWhite);
            for (size_t i = 0; i + 1 < ys.size(); ++i) {
                const double x1 = 650 + 21.7 * static_cast<double>(i);
                const double x2 = x1 + 21.7;
                s.Line(x1, ys[i], x2, ys[i + 1], 0xFF7F00);
                plainLine(want, x1, ys[i], x2, ys[i + 1], width, style, 0xFF7F00);
            }
            EXPECT_GT(inked(want), 400);
            EXPECT_EQ(firstDifference(s.image(), want), "") << "width " << width << ", style " << style;
        }
    }
}

// Lines drawn in one call are the lines drawn one by one: the same pixels, the same print
// position, and a line with a position that is no number left out on its own.
TEST(SurfacePixelsTest, LinesInOneCallAreTheLinesOneByOne) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<QLineF> chains[] = {
        {{15, 30, 120, 200}, {120, 200, 300, 45}, {300, 45, 580, 440}},
        {{0, 0, 600, 450}, {600, 450, 600, 450}, {-90, 200, 700, 210}},
        {{15, 30, 120, 200}, {120, 200, nan, 45}, {300, 45, 580, 440}, {30, 300, 40, nan}},
        {{150, 150, 450, 150}},
    };
    for (size_t k = 0; k < std::size(chains); ++k) {
        for (int width : {1, 2}) {
            for (int style : {platform::vbSolid, platform::vbDot}) {
                ImageSurface together(kWidth, kHeight);
                ImageSurface apart(kWidth, kHeight);
                platform::RecordingSurface recorded(kWidth, kHeight);
                for (platform::Surface* s : {static_cast<platform::Surface*>(&together),
                                             static_cast<platform::Surface*>(&apart),
                                             static_cast<platform::Surface*>(&recorded)}) {
                    ASSERT_TRUE(s->setDrawWidth(width));
                    ASSERT_TRUE(s->setDrawStyle(style));
                }
                together.Lines(chains[k], kRed);
                recorded.Lines(chains[k], kRed);
                for (const QLineF& l : chains[k])
                    apart.Line(l.x1(), l.y1(), l.x2(), l.y2(), kRed);
                const std::string name = "chain " + std::to_string(k) + ", width " +
                                         std::to_string(width) + ", style " + std::to_string(style);
                EXPECT_GT(inked(apart.image()), 0) << name;
                EXPECT_EQ(firstDifference(together.image(), apart.image()), "") << name;
                EXPECT_EQ(together.CurrentX, apart.CurrentX) << name;
                EXPECT_EQ(together.CurrentY, apart.CurrentY) << name;
                EXPECT_EQ(recorded.CurrentX, apart.CurrentX) << name;
                // A recording keeps each drawn line as its own call.
                const auto ops = recorded.ops(platform::SurfaceOp::Kind::Line);
                size_t finiteLines = 0;
                for (const QLineF& l : chains[k])
                    if (std::isfinite(l.x1()) && std::isfinite(l.y1()) && std::isfinite(l.x2()) &&
                        std::isfinite(l.y2()))
                        ++finiteLines;
                ASSERT_EQ(ops.size(), finiteLines) << name;
                EXPECT_EQ(ops.back().x2, apart.CurrentX) << name;
            }
        }
    }
}

TEST(SurfacePixelsTest, BoxesAndPointsMatchThePlainDrawing) {
    const Segment boxes[] = {
        {"box", 30, 45, 450, 300},
        {"corners swapped", 450, 300, 30, 45},
        {"flat", 30, 150, 450, 150},
        {"thin", 150, 30, 150, 300},
        {"one pixel", 150, 150, 150, 150},
        {"over the edges", -60, -60, 700, 500},
    };
    for (const Segment& b : boxes) {
        for (int width : {1, 2, 3}) {
            for (int style : kStyles) {
                for (bool filled : {false, true}) {
                    ImageSurface s(kWidth, kHeight);
                    ASSERT_TRUE(s.setDrawWidth(width));
                    ASSERT_TRUE(s.setDrawStyle(style));
                    if (filled)
                        s.FilledBox(b.x1, b.y1, b.x2, b.y2, kRed);
                    else
                        s.Box(b.x1, b.y1, b.x2, b.y2, kRed);
                    QImage want = gdi::makeSurface(kWidth, kHeight, kWhite);
                    plainBox(want, b.x1, b.y1, b.x2, b.y2, width, style, kRed, filled);
                    EXPECT_EQ(firstDifference(s.image(), want), "")
                        << b.name << ", width " << width << ", style " << style
                        << (filled ? ", filled" : "");
                }
            }
        }
    }
    for (int width : {1, 2, 3, 4}) {
        for (const auto& [x, y] : {std::pair{150.0, 150.0}, {0.0, 0.0}, {585.0, 435.0}, {-15.0, 30.0}}) {
            ImageSurface s(kWidth, kHeight);
            ASSERT_TRUE(s.setDrawWidth(width));
            s.PSet(x, y, kRed);
            const int ix = pixelOf(x, TwipsX);
            const int iy = pixelOf(y, TwipsY);
            const int lo = -(width - 1) / 2;
            const int hi = width / 2;
            QImage want = gdi::makeSurface(kWidth, kHeight, kWhite);
            gdi::fillRect(want, {ix + lo, iy + lo, ix + hi + 1, iy + hi + 1}, kRed);
            EXPECT_EQ(firstDifference(s.image(), want), "") << "point " << x << "," << y << " width " << width;
        }
    }
}

// Printed texts are the texts gdi::drawText draws at the print position, in the surface's font
// and colour: the first time and again from what the surface keeps, at other places, in other
// colours, after the font changed and came back.
TEST(SurfacePixelsTest, PrintedTextMatchesThePlainDrawing) {
    struct Font {
        QString name;
        double points;
        bool bold;
    };
    const Font fonts[] = {
        {QStringLiteral("宋体"), 9, false},
        {QStringLiteral("宋体"), 12, true},
        {QStringLiteral("System"), 10, true},
        {QStringLiteral("Tahoma"), 8, false},
        {QStringLiteral("宋体"), 36, false},
        {QStringLiteral("宋体"), 9, false}, // back to the first font
    };
    const QString texts[] = {
        QStringLiteral("2150.35"),
        QStringLiteral("伦敦金 72小时行情走势图"),
        QStringLiteral("(人民币)"),
        QStringLiteral("03月05日 星期二 $2156.32 "),
        QStringLiteral("jgy|_Q"),
        QStringLiteral("a\nb"),
    };
    struct Place {
        int x; // pixels
        int y;
        OleColor color;
    };
    const Place places[] = {
        {3, 4, kRed},
        {-7, -5, 0x00BF00},                 // cut at the left and the top
        {150, 82, 0x80000011},              // a system colour, cut at the right and bottom
        {60, 40, 0x000000},
    };
    constexpr int w = 160;
    constexpr int h = 90;
    int drawnTexts = 0;
    ImageSurface s(w, h);
    for (const QString& text : texts) {
        for (const Font& f : fonts) {
            s.setFontName(f.name);
            ASSERT_TRUE(s.setFontSize(f.points));
            s.setFontBold(f.bold);
            for (const Place& p : places) {
                s.BackColor = kWhite;
                s.Cls();
                s.CurrentX = p.x * TwipsX;
                s.CurrentY = p.y * TwipsY;
                s.ForeColor = p.color;
                s.Print(text);
                QImage want = gdi::makeSurface(w, h, kWhite);
                gdi::drawText(want, text, {p.x, p.y, p.x + (1 << 20), p.y + (1 << 20)},
                              gdi::DT_NOCLIP | gdi::DT_NOPREFIX | gdi::DT_SINGLELINE,
                              platform::surfaceFont(f.name, f.points, f.bold), p.color);
                if (inked(want) > 0) ++drawnTexts;
                EXPECT_EQ(firstDifference(s.image(), want), "")
                    << text.toStdString() << " in " << f.name.toStdString() << " " << f.points
                    << (f.bold ? " bold" : "") << " at " << p.x << "," << p.y;
            }
        }
    }
    EXPECT_GE(drawnTexts, static_cast<int>(std::size(texts) * std::size(fonts) * 3));
}

// Printing leaves the background as it was around and between the glyphs.
TEST(SurfacePixelsTest, PrintKeepsTheBackgroundUnderTheText) {
    ImageSurface s(120, 40);
    s.FilledBox(0, 0, 900, 300, 0x00FFFF);
    s.Line(0, 150, 1800, 150, 0xFF0000);
    s.ForeColor = kRed;
    s.CurrentX = 30;
    s.CurrentY = 60;
    s.Print(QStringLiteral("价格:2150.35"));
    QImage want = gdi::makeSurface(120, 40, kWhite);
    gdi::fillRect(want, {0, 0, 61, 21}, 0x00FFFF);
    gdi::fillRect(want, {0, 10, 120, 11}, 0xFF0000);
    gdi::drawText(want, QStringLiteral("价格:2150.35"), {2, 4, 2 + (1 << 20), 4 + (1 << 20)},
                  gdi::DT_NOCLIP | gdi::DT_NOPREFIX | gdi::DT_SINGLELINE, s.font(), kRed);
    EXPECT_EQ(firstDifference(s.image(), want), "");
}

} // namespace
