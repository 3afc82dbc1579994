#pragma once

#include "platform/colors.h"

#include <QPoint>
#include <QPolygon>
#include <QRect>
#include <QRegion>
#include <QSize>

#include <vector>

// The balloon's measures, placement, outline and shading as plain arithmetic. Lengths are in
// twips unless they say pixels; inside the balloon a pixel is always 15 twips, only the cursor is
// converted with the screen's own factors.
namespace balloon {

inline constexpr int kTwipsPerPixel = 15;
// Label places at load (twips): the title at (90, 60), the body text at (150, 315).
inline constexpr QPoint kTitlePos{90, 60};
inline constexpr QPoint kTipPos{150, 315};
// Pointer-on-top moves the body and both labels down by this much.
inline constexpr int kTopPointerShiftPx = 15;

// The balloon as loaded, before it is placed: the rounded body around the body text, the window
// 450 twips taller than the body, and the pointer below the body near its left end.
struct Frame {
    int bodyWidth = 0;    // twips
    int bodyHeight = 0;   // twips
    int windowWidth = 0;  // twips
    int windowHeight = 0; // twips
    QPolygon pointer;     // pixels: four points, the third the tip, the last repeating the first
};
// tipLabel is the body text's label size in twips.
[[nodiscard]] Frame frameFor(QSize tipLabel);

// Where the balloon goes for a cursor position.
struct Placement {
    QPoint topLeft;            // twips, in the screen's coordinates
    QPolygon pointer;          // pixels
    int bodyTop = 0;           // pixels: 0, or 15 with the pointer on top
    bool pointerRight = false; // no room right of the cursor: pointer at the body's right end
    bool pointerTop = false;   // no room above the cursor: pointer on top, balloon below
};
// cursorPx is relative to the screen's top-left; screenWidth is in twips.
[[nodiscard]] Placement place(const Frame& frame, QPoint cursorPx, int twipsX, int twipsY,
                              int screenWidth);

// The window's shape: the body with corners rounded by a 13 x 13 pixel ellipse, united with the
// pointer triangle.
[[nodiscard]] QRegion shape(int bodyWidth, int bodyHeight, int bodyTop, const QPolygon& pointer);
// Pixels of a region that touch its outside across an edge: the 1-pixel outline.
[[nodiscard]] QRegion outline(const QRegion& region);

// The change of each colour part per pixel row: 310 divided by the body height in pixels,
// rounded to a whole number (0 for a body taller than 620 pixels).
[[nodiscard]] int gradientStep(int bodyHeight);
// The colour of every pixel row from the top down to the pointer's tip below the body: row 0 the
// back colour, then lighter by the step each row (each part at most 255) until the lightening
// passes 254, then darker again down to the back colour, and so on.
[[nodiscard]] std::vector<platform::OleColor> gradientRows(platform::OleColor backColor,
                                                           int bodyHeight);

// Twips to pixels inside the balloon, halves to even.
[[nodiscard]] int toPixels(double twips);

} // namespace balloon
