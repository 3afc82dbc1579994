#include "widgets/buttons/buttonface.h"

namespace buttons {

namespace {

using platform::ShiftColor;
using platform::gdi::setPixel;

void pixels(QImage& dc, std::initializer_list<QPoint> points, OleColor color) {
    for (const QPoint& p : points)
        setPixel(dc, p.x(), p.y(), color);
}

// The twelve places the disabled look softens, in both palettes.
void disabledCorners(QImage& dc, int W, int H, OleColor color) {
    pixels(dc,
           {{0, 1}, {1, 1}, {1, 0}, {0, H - 2}, {1, H - 2}, {1, H - 1}, {W - 1, 1}, {W - 2, 1}, {W - 2, 0},
            {W - 1, H - 2}, {W - 2, H - 2}, {W - 2, H - 1}},
           color);
}

// Ring of the hot or focused look: rows 1, 2, H-3, H-2 and the two-column sides.
void ring(QImage& dc, int W, int H, OleColor row1, OleColor row2, OleColor rowH3, OleColor rowH2) {
    PaintLine(dc, 2, 1, W - 2, 1, row1);
    PaintLine(dc, 2, 2, W - 2, 2, row2);
    PaintLine(dc, 2, H - 3, W - 2, H - 3, rowH3);
    PaintLine(dc, 2, H - 2, W - 2, H - 2, rowH2);
    DrawGradient(dc, row2, rowH3, 1, 2, 3, H - 5);
    DrawGradient(dc, row2, rowH3, W - 3, 2, W - 1, H - 5);
}

} // namespace

void PaintStyle5System(ButtonFace& face, const FaceLook& look, int state) {
    face.setBackground(platform::GetSysColor(platform::COLOR_BTNFACE));
    QImage& dc = face.surface;
    const int W = face.W();
    const int H = face.H();
    if (state == 4) {
        face.setBackground(0xEAF4F5);
        FrameRectangle(dc, 0, 0, W - 1, H - 1, 0xBAC7C9);
        disabledCorners(dc, W, H, 0xC7D5D8);
        return;
    }
    if (state < 1 || state > 3)
        return;

    if (state == 3) {
        DrawGradient(dc, 0xC1CCD1, 0xDCE3E4, 2, 1, W - 1, 4);
        DrawGradient(dc, 0xDCE3E4, 0xDBE2E3, 2, 4, W - 1, H - 8);
        DrawGradient(dc, 0xDBE2E3, 0xEEF1F2, 3, H - 4, W - 1, 3);
        DrawGradient(dc, 0xCED8DA, 0xDBE2E3, 1, 3, 2, H - 5);
        DrawGradient(dc, 0xCED8DA, 0xDBE2E3, 2, 4, 3, H - 7);
    } else {
        DrawGradient(dc, 0xFBFCFC, 0xF0F0F0, 1, 1, W - 2, 4);
        DrawGradient(dc, 0xF9FAFA, 0xEAF0F0, 1, 4, W - 2, H - 8);
        DrawGradient(dc, 0xE6EBEB, 0xC5D0D6, 1, H - 4, W - 2, 3);
        DrawGradient(dc, 0xFAFBFB, 0xDAE2E4, W - 3, 3, W - 2, H - 5);
        DrawGradient(dc, 0xF2F4F5, 0xCDD7DB, W - 2, 3, W - 1, H - 5);
    }

    PaintLine(dc, 1, 0, W - 1, 0, 0x743C00);
    PaintLine(dc, 0, 1, 0, H - 1, 0x743C00);
    PaintLine(dc, W - 1, 1, W - 1, H - 1, 0x743C00);
    PaintLine(dc, 1, H - 1, W - 1, H - 1, 0x743C00);
    pixels(dc, {{1, 1}, {1, H - 2}, {W - 2, 1}, {W - 2, H - 2}}, 0x906E48);
    pixels(dc, {{0, 1}, {1, 0}, {1, H - 1}, {0, H - 2}, {W - 1, H - 2}, {W - 2, H - 1}, {W - 2, 0}, {W - 1, 1}},
           0xA28B6A);
    pixels(dc, {{1, 2}, {2, 1}, {2, H - 2}, {1, H - 3}, {W - 2, H - 3}, {W - 3, H - 2}, {W - 3, 1}, {W - 2, 2}},
           0xCAC7BF);

    if (state == 2) {
        ring(dc, W, H, 0xCFF0FF, 0x89D8FD, 0x30B3F8, 0x1097E5);
    } else if (state == 1 && (look.hasFocus || look.displayAsDefault)) {
        // The bottom row goes first in this ring; the rows do not overlap, so the order is free.
        ring(dc, W, H, 0xFFE7CE, 0xF6D4BC, 0xE4AD89, 0xEE8269);
    }
}

void PaintStyle5Custom(ButtonFace& face, const FaceLook& look, int state) {
    QImage& dc = face.surface;
    const int W = face.W();
    const int H = face.H();
    const OleColor B = look.backColor;
    const auto b = [B](int n) { return ShiftColor(B, n); };

    if (state == 3) {
        DrawGradient(dc, b(-37), b(-21), 2, 1, W - 1, 4);
        DrawGradient(dc, b(-21), b(-5), 2, 4, W - 1, H - 8);
        DrawGradient(dc, b(-5), b(5), 3, H - 4, W - 1, 3);
        DrawGradient(dc, b(-32), b(-22), 1, 3, 2, H - 5);
        DrawGradient(dc, b(-24), b(-15), 2, 4, 3, H - 7);
        setPixel(dc, 1, 2, b(-48));
        setPixel(dc, 2, 1, b(-48));
        setPixel(dc, 2, H - 2, b(-5));
        setPixel(dc, 1, H - 3, b(-16));
        setPixel(dc, W - 2, H - 3, b(18));
        setPixel(dc, W - 3, H - 2, b(8));
        setPixel(dc, W - 3, 1, b(-48));
        setPixel(dc, W - 2, 2, b(-37));
        PaintLine(dc, 1, 0, W - 1, 0, b(-128));
        PaintLine(dc, 0, 1, 0, H - 1, b(-128));
        PaintLine(dc, W - 1, 1, W - 1, H - 1, b(-128));
        PaintLine(dc, 1, H - 1, W - 1, H - 1, b(-128));
        pixels(dc, {{1, 1}, {1, H - 2}, {W - 2, 1}, {W - 2, H - 2}}, b(-96));
        return;
    }
    if (state == 4) {
        face.setBackground(B);
        FrameRectangle(dc, 0, 0, W - 1, H - 1, b(-64));
        disabledCorners(dc, W, H, b(-53));
        return;
    }

    face.setBackground(B);
    DrawGradient(dc, B, b(-15), 1, 1, W - 2, H - 3);
    DrawGradient(dc, b(21), b(-21), 1, 2, 2, H - 5);
    DrawGradient(dc, b(-5), b(-32), W - 2, 2, W - 1, H - 5);
    PaintLine(dc, 2, 1, W - 2, 1, b(5));
    PaintLine(dc, 1, 2, W - 1, 2, b(2));
    PaintLine(dc, 2, H - 4, W - 2, H - 4, b(-16));
    PaintLine(dc, 2, H - 3, W - 2, H - 3, b(-24));
    PaintLine(dc, 2, H - 2, W - 2, H - 2, b(-37));
    PaintLine(dc, 2, 0, W - 2, 0, b(-128));
    PaintLine(dc, 0, 2, 0, H - 2, b(-128));
    PaintLine(dc, 2, H - 1, W - 2, H - 1, b(-128));
    PaintLine(dc, W - 1, 0, W - 1, H, b(-128));
    pixels(dc, {{1, 1}, {1, H - 2}, {W - 2, 1}, {W - 2, H - 2}}, b(-128));
    pixels(dc, {{1, 0}, {W - 2, 0}, {0, 1}, {0, H - 2}, {1, H - 1}, {W - 2, H - 1}, {W - 1, 1}, {W - 1, H - 2}},
           b(-21));

    const bool ringShown = state == 2 || (state == 1 && look.hasFocus && look.showFocus);
    if (!ringShown)
        return;
    const OleColor L = state == 2 ? look.highlightColor : platform::GetSysColor(platform::COLOR_HIGHLIGHT);
    ring(dc, W, H, ShiftColor(L, 85), ShiftColor(L, 69), ShiftColor(L, 16), L);
}

} // namespace buttons
