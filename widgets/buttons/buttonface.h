#pragma once

#include "platform/colors.h"
#include "platform/gdi.h"

#include <QImage>
#include <QRegion>

// The drawing of a command button face, apart from the widget: the surface with its background
// colour, the properties the painters read, the button's drawing primitives and the painters of
// the styles with their own looks. Tests call them on a bare surface.
namespace buttons {

using platform::OleColor;
using Rect = platform::gdi::Rect;

// The button's drawing surface. Giving it a background colour clears it to that colour, and the
// colour stays until the next one is given.
struct ButtonFace {
    QImage surface;
    OleColor background = 0;

    void resize(int width, int height);
    void setBackground(OleColor color);
    void clear() { setBackground(background); }
    [[nodiscard]] int W() const { return surface.width(); }
    [[nodiscard]] int H() const { return surface.height(); }
};

// What the painters read of the button besides its state.
struct FaceLook {
    bool useCustomColors = false;
    OleColor backColor = 0;
    OleColor highlightColor = 0;
    bool hasFocus = false;
    bool showFocus = false;
    bool displayAsDefault = false;
};

// Primitives, on the classic rules of platform/gdi.
void PaintLine(QImage& dc, int x1, int y1, int x2, int y2, OleColor color);
void FillSolidRect(QImage& dc, int x, int y, int w, int h, OleColor color);
void FrameRectangle(QImage& dc, int x, int y, int w, int h, OleColor color);
void FillRectWithColor(QImage& dc, const Rect& rect, OleColor color);
// The 3-D edge around the rectangle with its edges rounded to whole pixels, halves to even.
void DrawEdgeRect(QImage& dc, double left, double top, double width, double height, int edge, int sides);
// The etched two-line frame of style 3.
void DrawRoundedFrame(QImage& dc, int x, int y, int w, int h, OleColor outer, OleColor inner, OleColor corner);
void DrawGradient(QImage& dc, OleColor start, OleColor end, int left, int top, int right, int steps);
void DrawGradientHorizontal(QImage& dc, OleColor start, OleColor end, int left, int top, int right, int bottom);

// Window regions of a W x H button.
[[nodiscard]] QRegion MakeBevelRegion(int W, int H);     // corners cut by 1 at the top, 2 at the bottom
[[nodiscard]] QRegion MakeWideBevelRegion(int W, int H); // cuts of 2, 3, 3 and 4
[[nodiscard]] QRegion MakeRoundRegion(int W, int H);     // corner ellipse 18 x 18

// Painters of the styles with their own looks; each paints the whole face for the state
// (1 normal, 2 hot, 3 pressed, 4 disabled).
void PaintStyle5System(ButtonFace& face, const FaceLook& look, int state);
void PaintStyle5Custom(ButtonFace& face, const FaceLook& look, int state);
void PaintStyle7(ButtonFace& face, const FaceLook& look, int state);
void PaintStyle8(ButtonFace& face, const FaceLook& look, int state);
void PaintStyle9(ButtonFace& face, const FaceLook& look, int state);
void PaintStyle10(ButtonFace& face, const FaceLook& look, int state);
void PaintSkinNormal(ButtonFace& face);
void PaintSkinHot(ButtonFace& face);
void PaintSkinPressed(ButtonFace& face);

} // namespace buttons
