#include "platform/surface.h"

#include "platform/gdi.h"
#include "platform/screen.h"

#include <QFontMetrics>

#include <algorithm>
#include <array>
#include <cmath>
#include <span>

namespace platform {

namespace {

constexpr double kMaxFontPoints = 2160;
// Beyond this many pixels outside the image a line is cut back to the image's neighbourhood
// first, so a wild coordinate neither overflows nor walks millions of invisible pixels.
constexpr double kFarPixels = 16384;

double pixelsOf(double twips, int perPixel) {
    return twips / perPixel;
}
int roundPixel(double pixels) {
    return static_cast<int>(std::rint(pixels));
}

bool finite(double a, double b) {
    return std::isfinite(a) && std::isfinite(b);
}


// On and off runs of the patterned pens, in pixels along the line's longer axis.
std::span<const int> penPattern(int style) {
    static constexpr std::array<int, 2> dash{18, 6};
    static constexpr std::array<int, 2> dot{3, 3};
    static constexpr std::array<int, 4> dashDot{9, 6, 3, 6};
    static constexpr std::array<int, 6> dashDotDot{9, 3, 3, 3, 3, 3};
    switch (style) {
    case vbDash:
        return dash;
    case vbDot:
        return dot;
    case vbDashDot:
        return dashDot;
    case vbDashDotDot:
        return dashDotDot;
    default:
        return {};
    }
}

} // namespace

bool clipSegment(double& x1, double& y1, double& x2, double& y2, double left, double top,
                 double right, double bottom) {
    double t0 = 0;
    double t1 = 1;
    const double dx = x2 - x1;
    const double dy = y2 - y1;
    const std::array<double, 4> p{-dx, dx, -dy, dy};
    const std::array<double, 4> q{x1 - left, right - x1, y1 - top, bottom - y1};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0) return false;
            continue;
        }
        const double r = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, r);
        else
            t1 = std::min(t1, r);
        if (t0 > t1) return false;
    }
    const double sx = x1;
    const double sy = y1;
    x1 = sx + t0 * dx;
    y1 = sy + t0 * dy;
    x2 = sx + t1 * dx;
    y2 = sy + t1 * dy;
    return true;
}

QFont surfaceFont(const QString& name, double points, bool bold) {
    QFont font(name);
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(points * 96.0 / 72.0))));
    font.setBold(bold);
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

double textWidthTwips(const QFont& font, const QString& text) {
    return static_cast<double>(QFontMetrics(font).horizontalAdvance(text)) * TwipsX;
}

double lineHeightTwips(const QFont& font) {
    return static_cast<double>(QFontMetrics(font).height()) * TwipsY;
}

// --- Surface ---------------------------------------------------------------------------------

Surface::Surface(int widthPixels, int heightPixels)
    : m_width(std::max(widthPixels, 0)), m_height(std::max(heightPixels, 0)),
      m_fontName(QStringLiteral("宋体")) {
    updateFont();
}

Surface::~Surface() = default;

double Surface::ScaleWidth() const {
    return static_cast<double>(m_width) * TwipsX;
}
double Surface::ScaleHeight() const {
    return static_cast<double>(m_height) * TwipsY;
}

void Surface::resize(int widthPixels, int heightPixels) {
    m_width = std::max(widthPixels, 0);
    m_height = std::max(heightPixels, 0);
    resized();
}

bool Surface::setDrawWidth(int pixels) {
    if (pixels < 1) return false;
    m_drawWidth = pixels;
    return true;
}

bool Surface::setDrawStyle(int style) {
    if (style < vbSolid || style > vbInsideSolid) return false;
    m_drawStyle = style;
    return true;
}

void Surface::setFontName(const QString& name) {
    m_fontName = name;
    updateFont();
}

bool Surface::setFontSize(double points) {
    if (!(points > 0 && points <= kMaxFontPoints)) return false;
    m_fontSize = points;
    updateFont();
    return true;
}

void Surface::setFontBold(bool bold) {
    m_fontBold = bold;
    updateFont();
}

void Surface::updateFont() {
    m_font = surfaceFont(m_fontName, m_fontSize, m_fontBold);
    m_lineHeight = -1; // measured when first asked: metrics need the application's fonts
    m_fontKey = m_font.key();
}

void Surface::Cls() {
    paintClear();
    CurrentX = 0;
    CurrentY = 0;
}

void Surface::Line(double x1, double y1, double x2, double y2, OleColor color) {
    if (!finite(x1, y1) || !finite(x2, y2)) return;
    paintLine(x1, y1, x2, y2, color);
    CurrentX = x2;
    CurrentY = y2;
}

void Surface::Lines(std::span<const QLineF> lines, OleColor color) {
    for (const QLineF& l : lines) {
        if (!finite(l.x1(), l.y1()) || !finite(l.x2(), l.y2())) { // rare: one by one, skipping it
            for (const QLineF& each : lines)
                Line(each.x1(), each.y1(), each.x2(), each.y2(), color);
            return;
        }
    }
    if (lines.empty()) return;
    paintLines(lines, color);
    CurrentX = lines.back().x2();
    CurrentY = lines.back().y2();
}

void Surface::paintLines(std::span<const QLineF> lines, OleColor color) {
    for (const QLineF& l : lines)
        paintLine(l.x1(), l.y1(), l.x2(), l.y2(), color);
}

void Surface::Box(double x1, double y1, double x2, double y2, OleColor color) {
    if (!finite(x1, y1) || !finite(x2, y2)) return;
    paintBox(x1, y1, x2, y2, color, false);
    CurrentX = x2;
    CurrentY = y2;
}

void Surface::FilledBox(double x1, double y1, double x2, double y2, OleColor color) {
    if (!finite(x1, y1) || !finite(x2, y2)) return;
    paintBox(x1, y1, x2, y2, color, true);
    CurrentX = x2;
    CurrentY = y2;
}

void Surface::PSet(double x, double y, OleColor color) {
    if (!finite(x, y)) return;
    paintPoint(x, y, color);
    CurrentX = x;
    CurrentY = y;
}

void Surface::Print(const QString& text) {
    if (!text.isEmpty() && finite(CurrentX, CurrentY)) paintText(CurrentX, CurrentY, text);
    const double height = TextHeight(text);
    CurrentX = 0;
    CurrentY += height;
}

double Surface::TextWidth(const QString& text) const {
    constexpr qsizetype kFonts = 16;
    constexpr qsizetype kTexts = 512;
    if (m_widths.size() >= kFonts) m_widths.clear();
    QHash<QString, double>& widths = m_widths[m_fontKey];
    if (const auto known = widths.constFind(text); known != widths.cend()) return *known;
    double widest = 0;
    for (const QString& line : text.split(u'\n'))
        widest = std::max(widest, textWidthTwips(m_font, line));
    if (widths.size() >= kTexts) widths.clear();
    widths.insert(text, widest);
    return widest;
}

double Surface::TextHeight(const QString& text) const {
    if (m_lineHeight < 0) const_cast<Surface*>(this)->m_lineHeight = lineHeightTwips(m_font);
    return m_lineHeight * static_cast<double>(text.count(u'\n') + 1);
}

// --- ImageSurface ----------------------------------------------------------------------------

namespace {

// The image's pixels, found once per drawing call. The charts draw thousands of short lines and
// runs per frame; a call per pixel or per row (each with its own detach check) costs more than
// the pixels themselves. Every write is clipped to the image.
class Raster {
public:
    explicit Raster(QImage& image)
        : m_width(image.width()), m_height(image.height()),
          m_stride(image.bytesPerLine() / static_cast<qsizetype>(sizeof(QRgb))),
          m_bits(m_width > 0 && m_height > 0 ? reinterpret_cast<QRgb*>(image.bits()) : nullptr) {}

    [[nodiscard]] int width() const { return m_width; }
    [[nodiscard]] int height() const { return m_height; }

    void set(int x, int y, QRgb c) {
        if (static_cast<unsigned>(x) < static_cast<unsigned>(m_width) &&
            static_cast<unsigned>(y) < static_cast<unsigned>(m_height))
            m_bits[y * m_stride + x] = c;
    }

    // The rectangle from (left, top) up to, not including, (right, bottom).
    void fill(int left, int top, int right, int bottom, QRgb c) {
        left = std::max(left, 0);
        top = std::max(top, 0);
        right = std::min(right, m_width);
        bottom = std::min(bottom, m_height);
        if (left >= right) return;
        for (int y = top; y < bottom; ++y) {
            QRgb* row = m_bits + y * m_stride;
            std::fill(row + left, row + right, c);
        }
    }

private:
    int m_width;
    int m_height;
    qsizetype m_stride;
    QRgb* m_bits;
};

// The pixels of the one-pixel line from (x1, y1) towards (x2, y2), the end pixel left out, as
// put(step, x, y): along the major axis one pixel per step, the minor coordinate the nearest to
// the true line, halves moving on (the path of gdi::drawLine). The minor offset
// (2 * step * minor + major) / (2 * major) is kept as a running remainder, in 64 bits.
template <typename Put>
void walkLine(int x1, int y1, int x2, int y2, Put&& put) {
    const int dx = std::abs(x2 - x1);
    const int dy = std::abs(y2 - y1);
    const int sx = x2 >= x1 ? 1 : -1;
    const int sy = y2 >= y1 ? 1 : -1;
    const bool flat = dx >= dy;
    const int n = flat ? dx : dy;
    const qint64 twoMajor = 2 * static_cast<qint64>(n);
    const qint64 twoMinor = 2 * static_cast<qint64>(flat ? dy : dx);
    qint64 rest = n;
    int minor = 0;
    for (int i = 0; i < n; ++i) {
        if (flat)
            put(i, x1 + sx * i, y1 + sy * minor);
        else
            put(i, x1 + sx * minor, y1 + sy * i);
        rest += twoMinor;
        if (rest >= twoMajor) {
            rest -= twoMajor;
            ++minor;
        }
    }
}

// Whether a patterned pen draws the pixel `step` pixels from the line's start.
class PenPattern {
public:
    explicit PenPattern(std::span<const int> runs) : m_runs(runs) {
        for (int run : runs)
            m_period += run;
    }
    [[nodiscard]] bool on(int step) const {
        int pos = step % m_period;
        for (size_t i = 0; i < m_runs.size(); ++i) {
            if (pos < m_runs[i]) return i % 2 == 0;
            pos -= m_runs[i];
        }
        return false;
    }

private:
    std::span<const int> m_runs;
    int m_period = 0;
};

// One pen stroke between pixel positions, with the pen's width and style.
class PixelPen {
public:
    PixelPen(QImage& image, int width, int style, OleColor color)
        : m_raster(image), m_width(width), m_style(style), m_rgb(toQRgb(color)) {
        if (m_width > 1 || m_style == vbInsideSolid) m_style = vbSolid;
    }

    void line(double x1, double y1, double x2, double y2) {
        if (m_style == vbInvisible) return;
        const double margin = kFarPixels;
        if (std::max({std::abs(x1), std::abs(y1), std::abs(x2), std::abs(y2)}) > margin) {
            if (!clipSegment(x1, y1, x2, y2, -m_width - 2.0, -m_width - 2.0,
                             m_raster.width() + m_width + 2.0, m_raster.height() + m_width + 2.0))
                return;
        }
        const int ix1 = roundPixel(x1);
        const int iy1 = roundPixel(y1);
        const int ix2 = roundPixel(x2);
        const int iy2 = roundPixel(y2);
        if (m_width > 1)
            wide(ix1, iy1, ix2, iy2);
        else if (m_style == vbSolid)
            solid(ix1, iy1, ix2, iy2);
        else
            patterned(ix1, iy1, ix2, iy2);
    }

private:
    void thin(int x1, int y1, int x2, int y2) {
        walkLine(x1, y1, x2, y2, [this](int, int x, int y) { m_raster.set(x, y, m_rgb); });
    }

    // A straight run (the grid and frame lines) is the one-pixel-wide rectangle of the same
    // pixels, end left out; any other line goes pixel by pixel.
    void solid(int x1, int y1, int x2, int y2) {
        if (y1 == y2 && x1 != x2)
            m_raster.fill(x1 < x2 ? x1 : x2 + 1, y1, x1 < x2 ? x2 : x1 + 1, y1 + 1, m_rgb);
        else if (x1 == x2 && y1 != y2)
            m_raster.fill(x1, y1 < y2 ? y1 : y2 + 1, x1 + 1, y1 < y2 ? y2 : y1 + 1, m_rgb);
        else
            thin(x1, y1, x2, y2);
    }

    // A wide pen: the one-pixel line repeated across the pen's width (across the shorter axis),
    // with a square of the pen's width at both ends so that joined segments leave no notch.
    void wide(int x1, int y1, int x2, int y2) {
        const int lo = -(m_width - 1) / 2;
        const int hi = m_width / 2;
        const bool flat = std::abs(x2 - x1) >= std::abs(y2 - y1);
        const int limit = flat ? m_raster.height() : m_raster.width();
        const int low = flat ? std::min(y1, y2) : std::min(x1, x2);
        const int high = flat ? std::max(y1, y2) : std::max(x1, x2);
        for (int o = lo; o <= hi; ++o) {
            if (high + o < 0 || low + o >= limit) continue;
            if (flat)
                thin(x1, y1 + o, x2, y2 + o);
            else
                thin(x1 + o, y1, x2 + o, y2);
        }
        m_raster.fill(x1 + lo, y1 + lo, x1 + hi + 1, y1 + hi + 1, m_rgb);
        m_raster.fill(x2 + lo, y2 + lo, x2 + hi + 1, y2 + hi + 1, m_rgb);
    }

    // The pixels of the solid line, kept or left out by the pen's pattern counted along the
    // longer axis from the start.
    void patterned(int x1, int y1, int x2, int y2) {
        const auto runs = penPattern(m_style);
        if (x1 == x2 || y1 == y2) { // a straight run: each "on" stretch is a short solid line
            const int n = std::max(std::abs(x2 - x1), std::abs(y2 - y1));
            const int sx = x2 > x1 ? 1 : (x2 < x1 ? -1 : 0);
            const int sy = y2 > y1 ? 1 : (y2 < y1 ? -1 : 0);
            size_t k = 0;
            for (int step = 0; step < n; k = (k + 1) % runs.size()) {
                const int run = std::min(runs[k], n - step);
                if (k % 2 == 0)
                    solid(x1 + sx * step, y1 + sy * step, x1 + sx * (step + run),
                          y1 + sy * (step + run));
                step += run;
            }
            return;
        }
        const PenPattern pattern(runs);
        walkLine(x1, y1, x2, y2, [&](int step, int x, int y) {
            if (pattern.on(step)) m_raster.set(x, y, m_rgb);
        });
    }

    Raster m_raster;
    int m_width;
    int m_style;
    QRgb m_rgb;
};

constexpr int kTextFormat = gdi::DT_NOCLIP | gdi::DT_NOPREFIX | gdi::DT_SINGLELINE;
// Room of the text's layout box: wide enough never to wrap or align anything.
constexpr int kTextRoom = 1 << 20;
// Texts above these sizes are drawn each time rather than kept.
constexpr qsizetype kLongestStamp = 256;
constexpr qint64 kLargestStampArea = 1 << 22;

} // namespace

ImageSurface::ImageSurface(int widthPixels, int heightPixels)
    : Surface(widthPixels, heightPixels),
      m_image(gdi::makeSurface(pixelWidth(), pixelHeight(), BackColor)) {}

void ImageSurface::paintClear() {
    gdi::clear(m_image, BackColor);
}

void ImageSurface::paintLine(double x1, double y1, double x2, double y2, OleColor color) {
    PixelPen pen(m_image, DrawWidth(), DrawStyle(), color);
    pen.line(pixelsOf(x1, TwipsX), pixelsOf(y1, TwipsY), pixelsOf(x2, TwipsX),
             pixelsOf(y2, TwipsY));
}

void ImageSurface::paintLines(std::span<const QLineF> lines, OleColor color) {
    PixelPen pen(m_image, DrawWidth(), DrawStyle(), color);
    for (const QLineF& l : lines)
        pen.line(pixelsOf(l.x1(), TwipsX), pixelsOf(l.y1(), TwipsY), pixelsOf(l.x2(), TwipsX),
                 pixelsOf(l.y2(), TwipsY));
}

void ImageSurface::paintBox(double x1, double y1, double x2, double y2, OleColor color,
                            bool filled) {
    const double far = kFarPixels;
    const auto px = [far](double twips, int per) {
        return roundPixel(std::clamp(pixelsOf(twips, per), -far, far));
    };
    const int left = std::min(px(x1, TwipsX), px(x2, TwipsX));
    const int right = std::max(px(x1, TwipsX), px(x2, TwipsX));
    const int top = std::min(px(y1, TwipsY), px(y2, TwipsY));
    const int bottom = std::max(px(y1, TwipsY), px(y2, TwipsY));
    if (filled) {
        Raster(m_image).fill(left, top, right + 1, bottom + 1, toQRgb(color));
        return;
    }
    PixelPen pen(m_image, DrawWidth(), DrawStyle(), color);
    if (DrawWidth() == 1 && DrawStyle() == vbSolid) {
        if (left == right || top == bottom) // degenerate: the classic outline rule decides
            gdi::drawFrame(m_image, left, top, right - left, bottom - top, color);
        else // the same outline as gdi::drawFrame, both corners included, side by side
            for (const auto& [x1, y1, x2, y2] : {std::array{left, top, right + 1, top},
                                                 {right, top, right, bottom + 1},
                                                 {left, bottom, right + 1, bottom},
                                                 {left, top, left, bottom + 1}})
                pen.line(x1, y1, x2, y2);
        return;
    }
    pen.line(left, top, right, top);
    pen.line(right, top, right, bottom);
    pen.line(right, bottom, left, bottom);
    pen.line(left, bottom, left, top);
    if (DrawWidth() == 1 && DrawStyle() != vbInvisible)
        gdi::setPixel(m_image, left, top, color); // the start pixel the last side leaves out
}

void ImageSurface::paintPoint(double x, double y, OleColor color) {
    const double cx = pixelsOf(x, TwipsX);
    const double cy = pixelsOf(y, TwipsY);
    if (std::abs(cx) > kFarPixels || std::abs(cy) > kFarPixels) return;
    const int ix = roundPixel(cx);
    const int iy = roundPixel(cy);
    const int lo = -(DrawWidth() - 1) / 2;
    const int hi = DrawWidth() / 2;
    Raster(m_image).fill(ix + lo, iy + lo, ix + hi + 1, iy + hi + 1, toQRgb(color));
}

// The text drawn once on a clear scratch image with room all round, read back as runs. A pixel
// only partly covered, or one on the scratch's border (the text may reach beyond it), means the
// runs would not give the same picture: such a text is drawn each time.
ImageSurface::TextStamp ImageSurface::makeStamp(const QString& text) const {
    TextStamp stamp;
    if (text.size() > kLongestStamp) return stamp;
    const QFontMetrics metrics(font());
    const int pad = metrics.height() + 4;
    const qint64 width = static_cast<qint64>(metrics.horizontalAdvance(text)) + 2 * pad;
    const qint64 height = static_cast<qint64>(metrics.height()) + 2 * pad;
    if (width <= 0 || height <= 0 || width * height > kLargestStampArea) return stamp;
    QImage scratch(static_cast<int>(width), static_cast<int>(height),
                   QImage::Format_ARGB32_Premultiplied);
    scratch.fill(Qt::transparent);
    gdi::drawText(scratch, text, {pad, pad, pad + kTextRoom, pad + kTextRoom}, kTextFormat, font(),
                  0xFFFFFF);
    const int w = scratch.width();
    const int h = scratch.height();
    for (int y = 0; y < h; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(scratch.constScanLine(y));
        for (int x = 0; x < w;) {
            const int alpha = qAlpha(row[x]);
            if (alpha == 0) {
                ++x;
                continue;
            }
            if (alpha != 255 || y == 0 || y == h - 1 || x == 0) return {};
            const int start = x;
            while (x < w && qAlpha(row[x]) == 255)
                ++x;
            if (x == w || qAlpha(row[x]) != 0) return {};
            stamp.runs.push_back({start - pad, y - pad, x - start});
        }
    }
    stamp.stamped = true;
    return stamp;
}

const ImageSurface::TextStamp& ImageSurface::stampOf(const QString& text) {
    constexpr qsizetype kFonts = 16;
    constexpr qsizetype kTexts = 512;
    if (m_stamps.size() >= kFonts && !m_stamps.contains(fontKey())) m_stamps.clear();
    auto& stamps = m_stamps[fontKey()];
    if (const auto known = stamps.constFind(text); known != stamps.cend()) return *known;
    if (stamps.size() >= kTexts) stamps.clear();
    return *stamps.insert(text, makeStamp(text));
}

void ImageSurface::paintText(double x, double y, const QString& text) {
    const double cx = pixelsOf(x, TwipsX);
    const double cy = pixelsOf(y, TwipsY);
    if (std::abs(cx) > kFarPixels || std::abs(cy) > kFarPixels) return;
    const int ix = roundPixel(cx);
    const int iy = roundPixel(cy);
    const TextStamp& stamp = stampOf(text);
    if (!stamp.stamped) {
        gdi::drawText(m_image, text, {ix, iy, ix + kTextRoom, iy + kTextRoom}, kTextFormat, font(),
                      ForeColor);
        return;
    }
    Raster raster(m_image);
    const QRgb c = toQRgb(ForeColor);
    for (const TextStamp::Run& run : stamp.runs)
        raster.fill(ix + run.dx, iy + run.dy, ix + run.dx + run.length, iy + run.dy + 1, c);
}

void ImageSurface::resized() {
    QImage grown = gdi::makeSurface(pixelWidth(), pixelHeight(), BackColor);
    const int w = std::min(grown.width(), m_image.width());
    const int h = std::min(grown.height(), m_image.height());
    for (int y = 0; y < h; ++y)
        std::copy_n(reinterpret_cast<const QRgb*>(m_image.constScanLine(y)), w,
                    reinterpret_cast<QRgb*>(grown.scanLine(y)));
    m_image = std::move(grown);
}

// --- RecordingSurface ------------------------------------------------------------------------

RecordingSurface::RecordingSurface(int widthPixels, int heightPixels)
    : Surface(widthPixels, heightPixels) {}

std::vector<SurfaceOp> RecordingSurface::ops(SurfaceOp::Kind kind) const {
    std::vector<SurfaceOp> picked;
    std::copy_if(m_ops.begin(), m_ops.end(), std::back_inserter(picked),
                 [kind](const SurfaceOp& o) { return o.kind == kind; });
    return picked;
}

SurfaceOp RecordingSurface::op(SurfaceOp::Kind kind, double x1, double y1, double x2, double y2,
                               OleColor color) const {
    SurfaceOp o;
    o.kind = kind;
    o.x1 = x1;
    o.y1 = y1;
    o.x2 = x2;
    o.y2 = y2;
    o.color = color;
    o.width = DrawWidth();
    o.style = DrawStyle();
    o.fontName = FontName();
    o.fontSize = FontSize();
    o.bold = FontBold();
    return o;
}

void RecordingSurface::paintClear() {
    m_ops.push_back(op(SurfaceOp::Kind::Clear, 0, 0, 0, 0, BackColor));
}

void RecordingSurface::paintLine(double x1, double y1, double x2, double y2, OleColor color) {
    m_ops.push_back(op(SurfaceOp::Kind::Line, x1, y1, x2, y2, color));
}

void RecordingSurface::paintBox(double x1, double y1, double x2, double y2, OleColor color,
                                bool filled) {
    m_ops.push_back(
        op(filled ? SurfaceOp::Kind::FilledBox : SurfaceOp::Kind::Box, x1, y1, x2, y2, color));
}

void RecordingSurface::paintPoint(double x, double y, OleColor color) {
    m_ops.push_back(op(SurfaceOp::Kind::Point, x, y, x, y, color));
}

void RecordingSurface::paintText(double x, double y, const QString& text) {
    SurfaceOp o = op(SurfaceOp::Kind::Text, x, y, x, y, ForeColor);
    o.text = text;
    m_ops.push_back(std::move(o));
}

} // namespace platform
