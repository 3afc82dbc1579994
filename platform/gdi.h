#pragma once

#include "platform/colors.h"

#include <QFont>
#include <QImage>
#include <QPolygon>
#include <QRegion>
#include <QString>

// The classic drawing rules the drawn controls are built on, on a QImage: single pixels, no
// antialiasing; a line leaves out its end pixel; an outline of w x h covers (w + 1) x (h + 1)
// pixels; rectangles exclude their right and bottom edges; colour steps round halves to even.
// Drawing outside the image is clipped. A control draws its face into one image and copies that
// to the screen in one step.
namespace platform::gdi {

// A rectangle by its edges; columns left .. right - 1 and rows top .. bottom - 1.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    [[nodiscard]] int width() const { return right - left; }
    [[nodiscard]] int height() const { return bottom - top; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

// Text-drawing flags.
inline constexpr int DT_LEFT = 0;
inline constexpr int DT_TOP = 0;
inline constexpr int DT_CENTER = 1;
inline constexpr int DT_RIGHT = 2;
inline constexpr int DT_VCENTER = 4;
inline constexpr int DT_BOTTOM = 8;
inline constexpr int DT_WORDBREAK = 16;
inline constexpr int DT_SINGLELINE = 32;
inline constexpr int DT_NOCLIP = 0x100;
inline constexpr int DT_NOPREFIX = 0x800;
inline constexpr int DT_END_ELLIPSIS = 0x8000;

// 3-D edge kinds and sides.
inline constexpr int BDR_RAISEDOUTER = 1;
inline constexpr int BDR_SUNKENOUTER = 2;
inline constexpr int BDR_RAISEDINNER = 4;
inline constexpr int BDR_SUNKENINNER = 8;
inline constexpr int EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER;
inline constexpr int EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER;
inline constexpr int BF_LEFT = 1;
inline constexpr int BF_TOP = 2;
inline constexpr int BF_RIGHT = 4;
inline constexpr int BF_BOTTOM = 8;
inline constexpr int BF_RECT = BF_LEFT | BF_TOP | BF_RIGHT | BF_BOTTOM;

// A surface for the rules: 32-bit RGB, filled with one colour.
[[nodiscard]] QImage makeSurface(int width, int height, OleColor fill);

void clear(QImage& surface, OleColor color);
void setPixel(QImage& surface, int x, int y, OleColor color);
// Colour of a pixel; -1 outside the surface.
[[nodiscard]] int32_t pixel(const QImage& surface, int x, int y);

// Line from (x1, y1) towards (x2, y2); the end point is not drawn, so a line of no length draws
// nothing and a horizontal line from x1 to x2 covers x1 .. x2 - 1 (or x1 down to x2 + 1).
void drawLine(QImage& surface, int x1, int y1, int x2, int y2, OleColor color);

// Outline through (x, y), (x + w, y), (x + w, y + h), (x, y + h): columns x and x + w, rows y and
// y + h, corners included.
void drawFrame(QImage& surface, int x, int y, int w, int h, OleColor color);

void fillRect(QImage& surface, const Rect& rect, OleColor color);

// n + 1 horizontal lines at rows top .. top + steps from left to right (end excluded), the colour
// going channel by channel from start (row top) to end (row top + steps), each channel
// round(delta * i + start) in single precision. Nothing for a negative step count; a step count
// of 0 draws one line in the start colour.
void drawGradient(QImage& surface, OleColor start, OleColor end, int left, int top, int right, int steps);

// right - left + 1 vertical lines at columns left .. right from top to bottom (end excluded), the
// colour going from start (column left) to end (column right). Nothing when right < left.
void drawGradientHorizontal(QImage& surface, OleColor start, OleColor end, int left, int top, int right,
                            int bottom);

// The system's 3-D edge of the given kind on the given sides just inside the rectangle: outer ring
// on its outermost pixels, inner ring one pixel further in (an edge of one kind alone draws one
// ring). Top and left take the light colour of the kind, bottom and right the dark one.
void drawEdge(QImage& surface, const Rect& rect, int edge, int sides);

// Text in the rectangle with the text-drawing flags (single line, centre, right, vertical centre
// and bottom with single line, word break, end ellipsis, "&" marking an access key unless
// DT_NOPREFIX), clipped to the rectangle unless DT_NOCLIP, background left as it is. The font is
// drawn without antialiasing, as the classic surface draws it.
void drawText(QImage& surface, const QString& text, const Rect& rect, int format, const QFont& font,
              OleColor color);

// Regions of window shapes. A polygon region fills alternate (odd-even) and, like the classic
// rule, takes pixels whose centres lie inside the polygon: the rectangle polygon (0,0) (W,0) (W,H)
// (0,H) covers exactly W x H pixels.
[[nodiscard]] QRegion polygonRegion(const QPolygon& polygon);
// The rectangle with its four corners rounded by an ellipse of ellipseWidth x ellipseHeight.
[[nodiscard]] QRegion roundRectRegion(const Rect& rect, int ellipseWidth, int ellipseHeight);

} // namespace platform::gdi
