#include "platform/gdi.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace platform::gdi {

namespace {

// One channel of step i of n, in single precision as the classic gradient computes it.
int gradientChannel(int start, int end, int n, int i) {
    const float delta = static_cast<float>(end - start) / static_cast<float>(n);
    const float value = delta * static_cast<float>(i) + static_cast<float>(start);
    return std::clamp(static_cast<int>(std::nearbyint(value)), 0, 255);
}

OleColor gradientColor(OleColor start, OleColor end, int n, int i) {
    if (n == 0)
        return start;
    return rgb(gradientChannel(redOf(start), redOf(end), n, i),
               gradientChannel(greenOf(start), greenOf(end), n, i),
               gradientChannel(blueOf(start), blueOf(end), n, i));
}

// Light and dark colour of one ring of a 3-D edge kind.
struct Ring {
    OleColor light;
    OleColor dark;
};

Ring outerRing(int edge) {
    if (edge & BDR_RAISEDOUTER)
        return {GetSysColor(COLOR_3DLIGHT), GetSysColor(COLOR_3DDKSHADOW)};
    return {GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNHIGHLIGHT)};
}

Ring innerRing(int edge) {
    if (edge & BDR_RAISEDINNER)
        return {GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNSHADOW)};
    return {GetSysColor(COLOR_3DDKSHADOW), GetSysColor(COLOR_3DLIGHT)};
}

// One ring on the outermost pixels of the rectangle; returns the rectangle left inside it.
Rect drawRing(QImage& s, Rect r, const Ring& ring, int sides) {
    if (sides & BF_TOP)
        drawLine(s, r.left, r.top, r.right, r.top, ring.light);
    if (sides & BF_LEFT)
        drawLine(s, r.left, r.top, r.left, r.bottom, ring.light);
    if (sides & BF_BOTTOM)
        drawLine(s, r.left, r.bottom - 1, r.right, r.bottom - 1, ring.dark);
    if (sides & BF_RIGHT)
        drawLine(s, r.right - 1, r.top, r.right - 1, r.bottom, ring.dark);
    if (sides & BF_TOP)
        ++r.top;
    if (sides & BF_LEFT)
        ++r.left;
    if (sides & BF_BOTTOM)
        --r.bottom;
    if (sides & BF_RIGHT)
        --r.right;
    return r;
}

int qtTextFlags(int format) {
    int flags = 0;
    if (format & DT_CENTER)
        flags |= Qt::AlignHCenter;
    else if (format & DT_RIGHT)
        flags |= Qt::AlignRight;
    else
        flags |= Qt::AlignLeft;
    // Vertical placement other than top needs a single line, as on the classic surface.
    if ((format & DT_SINGLELINE) && (format & DT_VCENTER))
        flags |= Qt::AlignVCenter;
    else if ((format & DT_SINGLELINE) && (format & DT_BOTTOM))
        flags |= Qt::AlignBottom;
    else
        flags |= Qt::AlignTop;
    if (format & DT_SINGLELINE)
        flags |= Qt::TextSingleLine;
    else if (format & DT_WORDBREAK)
        flags |= Qt::TextWordWrap;
    if (!(format & DT_NOPREFIX))
        flags |= Qt::TextShowMnemonic;
    return flags;
}

} // namespace

QImage makeSurface(int width, int height, OleColor fill) {
    QImage image(std::max(width, 0), std::max(height, 0), QImage::Format_RGB32);
    clear(image, fill);
    return image;
}

void clear(QImage& surface, OleColor color) { surface.fill(toQRgb(color)); }

void setPixel(QImage& surface, int x, int y, OleColor color) {
    if (x < 0 || y < 0 || x >= surface.width() || y >= surface.height())
        return;
    surface.setPixel(x, y, toQRgb(color));
}

int32_t pixel(const QImage& surface, int x, int y) {
    if (x < 0 || y < 0 || x >= surface.width() || y >= surface.height())
        return -1;
    return static_cast<int32_t>(fromQRgb(surface.pixel(x, y)));
}

void drawLine(QImage& surface, int x1, int y1, int x2, int y2, OleColor color) {
    const int dx = std::abs(x2 - x1);
    const int dy = std::abs(y2 - y1);
    const int sx = x2 >= x1 ? 1 : -1;
    const int sy = y2 >= y1 ? 1 : -1;
    const int n = std::max(dx, dy);
    if (n == 0)
        return;
    // Charts draw thousands of these per frame: on a 32-bit image the pixels are written straight
    // into the bits, found once, rather than through a per-pixel call.
    const bool direct = surface.depth() == 32;
    const QRgb rgb = toQRgb(color);
    uchar* bits = direct ? surface.bits() : nullptr;
    const qsizetype stride = surface.bytesPerLine();
    const int w = surface.width();
    const int h = surface.height();
    // Along the major axis one pixel per step; the minor coordinate is the nearest to the true
    // line, halves moving on. The step that reaches the end point is left out.
    for (int i = 0; i < n; ++i) {
        int x = x1;
        int y = y1;
        if (dx >= dy) {
            x += sx * i;
            y += sy * ((2 * i * dy + dx) / (2 * dx));
        } else {
            y += sy * i;
            x += sx * ((2 * i * dx + dy) / (2 * dy));
        }
        if (x < 0 || y < 0 || x >= w || y >= h)
            continue;
        if (direct)
            reinterpret_cast<QRgb*>(bits + y * stride)[x] = rgb;
        else
            surface.setPixel(x, y, rgb);
    }
}

void drawFrame(QImage& surface, int x, int y, int w, int h, OleColor color) {
    drawLine(surface, x, y, x + w, y, color);
    drawLine(surface, x + w, y, x + w, y + h, color);
    drawLine(surface, x + w, y + h, x, y + h, color);
    drawLine(surface, x, y + h, x, y, color);
}

void fillRect(QImage& surface, const Rect& rect, OleColor color) {
    const int left = std::max(rect.left, 0);
    const int top = std::max(rect.top, 0);
    const int right = std::min(rect.right, surface.width());
    const int bottom = std::min(rect.bottom, surface.height());
    const QRgb c = toQRgb(color);
    for (int y = top; y < bottom; ++y) {
        auto* line = reinterpret_cast<QRgb*>(surface.scanLine(y));
        std::fill(line + left, line + std::max(left, right), c);
    }
}

void drawGradient(QImage& surface, OleColor start, OleColor end, int left, int top, int right, int steps) {
    for (int i = 0; i <= steps; ++i)
        drawLine(surface, left, top + i, right, top + i, gradientColor(start, end, steps, i));
}

void drawGradientHorizontal(QImage& surface, OleColor start, OleColor end, int left, int top, int right,
                            int bottom) {
    const int n = right - left;
    for (int i = 0; i <= n; ++i)
        drawLine(surface, left + i, top, left + i, bottom, gradientColor(start, end, n, i));
}

void drawEdge(QImage& surface, const Rect& rect, int edge, int sides) {
    const bool outer = edge & (BDR_RAISEDOUTER | BDR_SUNKENOUTER);
    const bool inner = edge & (BDR_RAISEDINNER | BDR_SUNKENINNER);
    Rect r = rect;
    if (outer)
        r = drawRing(surface, r, outerRing(edge), sides);
    if (inner)
        drawRing(surface, r, innerRing(edge), sides);
}

void drawText(QImage& surface, const QString& text, const Rect& rect, int format, const QFont& font,
              OleColor color) {
    if (text.isEmpty())
        return;
    QFont f = font;
    f.setStyleStrategy(QFont::NoAntialias);
    QPainter painter(&surface);
    painter.setFont(f);
    painter.setPen(toQColor(color));
    const QRect box(rect.left, rect.top, rect.width(), rect.height());
    if (!(format & DT_NOCLIP))
        painter.setClipRect(box);
    const int flags = qtTextFlags(format);
    QString shown = text;
    if (format & DT_END_ELLIPSIS) {
        const QFontMetrics metrics(f);
        shown = metrics.elidedText(text, Qt::ElideRight, std::max(box.width(), 0), flags & Qt::TextShowMnemonic);
    }
    painter.drawText(box, flags, shown);
}

QRegion polygonRegion(const QPolygon& polygon) {
    if (polygon.size() < 3)
        return {};
    const QRect bounds = polygon.boundingRect();
    QRegion region;
    std::vector<double> crossings;
    for (int y = bounds.top(); y <= bounds.bottom() + 1; ++y) {
        const double yc = y + 0.5;
        crossings.clear();
        for (qsizetype i = 0; i < polygon.size(); ++i) {
            const QPoint a = polygon[i];
            const QPoint b = polygon[(i + 1) % polygon.size()];
            if (a.y() == b.y())
                continue;
            const double y0 = std::min(a.y(), b.y());
            const double y1 = std::max(a.y(), b.y());
            if (yc < y0 || yc >= y1)
                continue;
            crossings.push_back(a.x() + (yc - a.y()) * (b.x() - a.x()) / double(b.y() - a.y()));
        }
        std::sort(crossings.begin(), crossings.end());
        for (size_t k = 0; k + 1 < crossings.size(); k += 2) {
            // Pixel centres strictly between the two crossings.
            const int first = static_cast<int>(std::floor(crossings[k] - 0.5)) + 1;
            const int last = static_cast<int>(std::ceil(crossings[k + 1] - 0.5)) - 1;
            if (last >= first)
                region += QRect(first, y, last - first + 1, 1);
        }
    }
    return region;
}

QRegion roundRectRegion(const Rect& rect, int ellipseWidth, int ellipseHeight) {
    const int w = rect.width();
    const int h = rect.height();
    if (w <= 0 || h <= 0)
        return {};
    const double a = std::min(ellipseWidth, w) / 2.0;
    const double b = std::min(ellipseHeight, h) / 2.0;
    QRegion region;
    for (int row = 0; row < h; ++row) {
        // Distance of the pixel centre from the nearer of the top and bottom corner centres.
        const double yc = row + 0.5;
        const double fromEdge = std::min(yc, h - yc);
        int inset = 0;
        if (b > 0 && fromEdge < b) {
            const double dy = (b - fromEdge) / b;
            const double dx = a * std::sqrt(std::max(0.0, 1.0 - dy * dy));
            inset = std::max(0, static_cast<int>(std::ceil(a - dx - 0.5)));
        }
        if (w - 2 * inset > 0)
            region += QRect(rect.left + inset, rect.top + row, w - 2 * inset, 1);
    }
    return region;
}

} // namespace platform::gdi
