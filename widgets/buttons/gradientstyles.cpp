#include "widgets/buttons/buttonface.h"

#include <cmath>

namespace buttons {

namespace {

using platform::GetSysColor;
using platform::ShiftColor;
using platform::gdi::setPixel;

OleColor sysFace() { return GetSysColor(platform::COLOR_BTNFACE); }

// C(x, y): the custom colour when custom colours are on, else the system one.
OleColor pick(const FaceLook& look, OleColor custom, OleColor system) {
    return look.useCustomColors ? custom : system;
}

// A coordinate worked out in floating point, rounded halves to even.
int px(double v) { return static_cast<int>(std::nearbyint(v)); }

} // namespace

void PaintStyle7(ButtonFace& face, const FaceLook& look, int state) {
    const OleColor C0 = pick(look, look.backColor, sysFace());
    struct Look7 {
        int baseShift;
        int bodyFrom, bodyTo, bodySteps; // steps counted back from H
        int leftFrom, leftTo, rightFrom, rightTo;
        OleColor cornerColor, innerTop, innerBottom;
        bool focusLines;
    };
    const int H0 = face.H();
    Look7 v{};
    switch (state) {
    case 2:
        v = {24, 16, -16, 3, 21, -21, -5, -32, ShiftColor(C0, -21), ShiftColor(sysFace(), 21),
             ShiftColor(sysFace(), -16), true};
        break;
    case 3:
        v = {-9, -15, 0, 2, -32, -5, -21, 21, ShiftColor(C0, -21), ShiftColor(C0, -21), ShiftColor(C0, 8), false};
        break;
    case 4:
        v = {18, 15, -15, 3, 21, -21, -5, -32, ShiftColor(C0, 5), ShiftColor(C0, 21), ShiftColor(C0, -37), false};
        break;
    default:
        v = {8, 15, -15, 3, 21, -21, -5, -32, ShiftColor(C0, -21), ShiftColor(C0, 21), ShiftColor(C0, -37),
             look.hasFocus};
        break;
    }
    const OleColor B = ShiftColor(C0, v.baseShift);
    face.setBackground(B);
    QImage& dc = face.surface;
    const int W = face.W();
    const int H = H0;

    DrawGradient(dc, ShiftColor(B, v.bodyFrom), ShiftColor(B, v.bodyTo), 1, 1, W - 2, H - v.bodySteps);
    if (state == 3) {
        DrawGradient(dc, ShiftColor(B, v.rightFrom), ShiftColor(B, v.rightTo), W - 2, 2, W - 3, H - 5);
        DrawGradient(dc, ShiftColor(B, v.leftFrom), ShiftColor(B, v.leftTo), 1, 2, 2, H - 5);
    } else {
        DrawGradient(dc, ShiftColor(B, v.leftFrom), ShiftColor(B, v.leftTo), 1, 2, 2, H - 5);
        DrawGradient(dc, ShiftColor(B, v.rightFrom), ShiftColor(B, v.rightTo), W - 2, 2, W - 3, H - 5);
    }

    const OleColor frame = ShiftColor(B, -96);
    PaintLine(dc, 2, 0, W - 2, 0, frame);
    PaintLine(dc, 0, 2, 0, H - 2, frame);
    PaintLine(dc, 2, H - 1, W - 2, H - 1, frame);
    PaintLine(dc, W - 1, 0, W - 1, H, frame);
    for (const QPoint p : {QPoint(1, 1), QPoint(1, H - 2), QPoint(W - 2, 1), QPoint(W - 2, H - 2)})
        setPixel(dc, p.x(), p.y(), frame);
    for (const QPoint p : {QPoint(1, 0), QPoint(W - 2, 0), QPoint(0, 1), QPoint(0, H - 2), QPoint(1, H - 1),
                           QPoint(W - 2, H - 1), QPoint(W - 1, 1), QPoint(W - 1, H - 2)})
        setPixel(dc, p.x(), p.y(), v.cornerColor);

    if (state == 3) {
        PaintLine(dc, 2, H - 2, W - 2, H - 2, v.innerBottom);
        PaintLine(dc, 2, 1, W - 2, 1, v.innerTop);
    } else {
        PaintLine(dc, 2, 1, W - 2, 1, v.innerTop);
        PaintLine(dc, 2, H - 2, W - 2, H - 2, v.innerBottom);
    }

    if (v.focusLines) {
        const OleColor Fh = pick(look, look.highlightColor, GetSysColor(platform::COLOR_HIGHLIGHT));
        PaintLine(dc, 2, 1, W - 2, 1, ShiftColor(Fh, 21));
        PaintLine(dc, 1, 2, W - 1, 2, ShiftColor(Fh, 21));
        PaintLine(dc, 1, H - 3, W - 1, H - 3, ShiftColor(Fh, -5));
        PaintLine(dc, 2, H - 2, W - 2, H - 2, ShiftColor(Fh, -21));
    }
}

void PaintStyle8(ButtonFace& face, const FaceLook& look, int state) {
    const OleColor C0 = pick(look, look.backColor, sysFace());
    const OleColor B = state == 1 ? C0 : pick(look, look.highlightColor, ShiftColor(sysFace(), 15));
    face.setBackground(B);
    QImage& dc = face.surface;
    const int W = face.W();
    const int H = face.H();

    if (state == 3) {
        DrawGradient(dc, ShiftColor(B, -15), ShiftColor(B, 15), 2, 2, W - 3, H - 6);
        PaintLine(dc, 2, 1, W - 3, 1, B);
        PaintLine(dc, 1, 2, 1, H - 3, B);
        PaintLine(dc, 2, H - 3, W - 2, H - 3, ShiftColor(B, 96));
    } else {
        DrawGradient(dc, ShiftColor(B, 15), ShiftColor(B, -15), 2, 2, W - 3, H - 6);
        PaintLine(dc, 2, 1, W - 3, 1, ShiftColor(B, 96));
        PaintLine(dc, 1, 2, 1, H - 3, ShiftColor(B, 96));
        PaintLine(dc, 2, H - 3, W - 2, H - 3, B);
    }

    const OleColor Fr = (state != 3 && look.hasFocus) ? ShiftColor(C0, -96) : ShiftColor(C0, -48);
    PaintLine(dc, 2, 0, W - 3, 0, Fr);
    PaintLine(dc, 0, 2, 0, H - 3, Fr);
    PaintLine(dc, 2, H - 2, W - 3, H - 2, Fr);
    PaintLine(dc, W - 2, 2, W - 2, H - 3, Fr);
    for (const QPoint p : {QPoint(1, 1), QPoint(1, H - 3), QPoint(W - 3, 1), QPoint(W - 3, H - 3)})
        setPixel(dc, p.x(), p.y(), Fr);

    const OleColor Sh = ShiftColor(Fr, 21);
    PaintLine(dc, 3, H - 1, W - 4, H - 1, Sh);
    PaintLine(dc, W - 1, 3, W - 1, H - 4, Sh);
    PaintLine(dc, W - 4, H - 1, W, H - 5, Sh);
    PaintLine(dc, W - 3, H - 1, W, H - 4, ShiftColor(Sh, 15));
}

void PaintStyle9(ButtonFace& face, const FaceLook& look, int state) {
    OleColor B = 0;
    switch (state) {
    case 2: B = ShiftColor(pick(look, look.highlightColor, sysFace()), 1); break;
    case 3: B = ShiftColor(pick(look, look.highlightColor, sysFace()), 24); break;
    case 4: B = ShiftColor(pick(look, look.backColor, sysFace()), 15); break;
    default: B = ShiftColor(pick(look, look.backColor, sysFace()), -15); break;
    }
    face.setBackground(B);
    QImage& dc = face.surface;
    const int W = face.W();
    const int H = face.H();
    const double h2 = H / 2.0;
    const auto s = [B](int n) { return ShiftColor(B, n); };
    const auto G = [&dc](OleColor a, OleColor b, double x1, double y, double x2, double n) {
        DrawGradient(dc, a, b, px(x1), px(y), px(x2), px(n));
    };
    const auto HG = [&dc](OleColor a, OleColor b, int x1, int y1, int x2, int y2) {
        DrawGradientHorizontal(dc, a, b, x1, y1, x2, y2);
    };

    G(s(32), s(-32), 5, 2, W - 5, H - 6);
    G(s(128), s(-128), 0, 0, 1, H - 4);
    G(B, s(-37), 2, 4, 3, h2 - 7);
    G(B, s(-53), 3, 3, 4, h2 - 7);
    G(B, s(-37), 4, 2, 5, h2 - 7);
    G(s(37), s(5), 5, 2, 6, h2 - 4);
    G(s(-37), s(-32), 2, h2 - 2, 3, h2 - 5);
    G(s(-53), s(-32), 3, h2 - 3, 4, h2 - 3);
    G(s(-37), s(-32), 4, h2 - 4, 5, h2 - 1);
    G(s(5), s(-5), 5, h2 - 4, 6, h2 - 3);
    HG(s(-53), s(-32), 5, H - 5, 12, H - 6);
    HG(s(-56), s(-32), 4, H - 6, 7, H - 7);
    HG(s(-37), s(-32), 3, H - 7, 5, H - 8);
    G(s(128), s(-128), W - 2, 0, W - 1, H - 4);
    G(s(128), s(-48), W - 1, 0, W, h2);
    G(s(-64), s(-8), W - 1, h2, W, h2 - 4);
    G(B, s(-37), W - 4, 4, W - 3, h2 - 5);
    G(B, s(-48), W - 5, 3, W - 4, h2 - 4);
    G(B, s(-37), W - 6, 2, W - 5, h2 - 3);
    G(s(37), s(5), W - 7, 2, W - 6, h2 - 4);
    G(s(-37), s(-21), W - 4, h2, W - 3, h2 - 5);
    G(s(-48), s(-37), W - 5, h2, W - 4, h2 - 5);
    G(s(-37), s(-53), W - 6, h2, W - 5, h2 - 4);
    G(s(-5), s(-37), W - 7, h2, W - 6, h2 - 4);
    HG(s(-32), s(-53), W - 15, H - 4, W - 7, H - 3);
    PaintLine(dc, 3, 0, W - 3, 0, s(48));
    PaintLine(dc, 1, 1, W - 1, 1, s(48));
    PaintLine(dc, 5, 1, W - 5, 1, B);
    HG(s(32), B, W - 11, 2, W - 4, 3);
    HG(s(32), B, W - 10, 3, W - 5, 4);
    HG(s(32), B, W - 9, 4, W - 6, 5);
    PaintLine(dc, 6, 3, 7, 3, s(128));
    PaintLine(dc, 3, H - 1, W - 3, H - 1, s(-16));
    PaintLine(dc, 2, H - 2, W - 3, H - 2, s(-128));
    PaintLine(dc, 7, H - 3, W - 7, H - 3, B);
    setPixel(dc, 1, H - 3, s(-112));
    setPixel(dc, W - 3, H - 3, s(-112));
    PaintLine(dc, W - 4, H - 1, W - 1, H - 4, s(-21));
}

} // namespace buttons
