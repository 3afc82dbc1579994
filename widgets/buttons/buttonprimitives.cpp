#include "widgets/buttons/buttonface.h"

#include <QPolygon>

#include <cmath>

namespace buttons {

namespace gdi = platform::gdi;

void ButtonFace::resize(int width, int height) {
    surface = gdi::makeSurface(width, height, background);
}

void ButtonFace::setBackground(OleColor color) {
    background = color;
    gdi::clear(surface, color);
}

void PaintLine(QImage& dc, int x1, int y1, int x2, int y2, OleColor color) {
    gdi::drawLine(dc, x1, y1, x2, y2, color);
}

void FillSolidRect(QImage& dc, int x, int y, int w, int h, OleColor color) {
    gdi::fillRect(dc, {x, y, x + w, y + h}, color);
}

void FrameRectangle(QImage& dc, int x, int y, int w, int h, OleColor color) {
    gdi::drawFrame(dc, x, y, w, h, color);
}

void FillRectWithColor(QImage& dc, const Rect& rect, OleColor color) { gdi::fillRect(dc, rect, color); }

void DrawEdgeRect(QImage& dc, double left, double top, double width, double height, int edge, int sides) {
    const auto r = [](double v) { return static_cast<int>(std::nearbyint(v)); };
    gdi::drawEdge(dc, {r(left), r(top), r(left + width), r(top + height)}, edge, sides);
}

void DrawRoundedFrame(QImage& dc, int x, int y, int w, int h, OleColor outer, OleColor inner, OleColor corner) {
    // The inner outline, one pixel down and right, covers the outer one's right and bottom sides.
    FrameRectangle(dc, x, y, w - 1, h - 1, outer);
    FrameRectangle(dc, x + 1, y + 1, w - 1, h - 1, inner);
    gdi::setPixel(dc, x, y + h, corner);
    gdi::setPixel(dc, x + w, y, corner);
    const OleColor soft = platform::BlendColors(inner, outer);
    gdi::setPixel(dc, x + 1, y + h - 1, soft);
    gdi::setPixel(dc, x + w - 1, y + 1, soft);
}

void DrawGradient(QImage& dc, OleColor start, OleColor end, int left, int top, int right, int steps) {
    gdi::drawGradient(dc, start, end, left, top, right, steps);
}

void DrawGradientHorizontal(QImage& dc, OleColor start, OleColor end, int left, int top, int right, int bottom) {
    gdi::drawGradientHorizontal(dc, start, end, left, top, right, bottom);
}

QRegion MakeBevelRegion(int W, int H) {
    return gdi::polygonRegion(QPolygon({QPoint(0, 1), QPoint(1, 0), QPoint(W - 1, 0), QPoint(W, 1),
                                        QPoint(W, H - 2), QPoint(W - 2, H), QPoint(2, H), QPoint(0, H - 2)}));
}

QRegion MakeWideBevelRegion(int W, int H) {
    return gdi::polygonRegion(QPolygon({QPoint(0, 2), QPoint(2, 0), QPoint(W - 3, 0), QPoint(W, 3),
                                        QPoint(W, H - 3), QPoint(W - 3, H), QPoint(4, H), QPoint(0, H - 4)}));
}

QRegion MakeRoundRegion(int W, int H) { return gdi::roundRectRegion({0, 0, W, H}, 18, 18); }

} // namespace buttons
