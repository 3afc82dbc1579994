#include "widgets/buttons/buttonface.h"
#include "widgets/buttons/skin10.h"

namespace buttons {

namespace {

using platform::gdi::setPixel;

void paintSkin(ButtonFace& face, const Skin& skin) {
    QImage& dc = face.surface;
    const int W = face.W();
    const int H = face.H();
    FillSolidRect(dc, 18, 11, W - 34, H - 19, skin.centre);
    for (const SkinPixel& p : skin.topLeft)
        setPixel(dc, p.dx, p.dy, p.color);
    for (const SkinPixel& p : skin.bottomLeft)
        setPixel(dc, p.dx, H - p.dy, p.color);
    for (const SkinPixel& p : skin.topRight)
        setPixel(dc, W - p.dx, p.dy, p.color);
    for (const SkinPixel& p : skin.bottomRight)
        setPixel(dc, W - p.dx, H - p.dy, p.color);
    for (int c = 0; c < 18; ++c)
        PaintLine(dc, c, 11, c, H - 11, skin.left[c]);
    for (int k = 0; k < 17; ++k)
        PaintLine(dc, W - 17 + k, 11, W - 17 + k, H - 11, skin.right[k]);
    for (int r = 0; r < 12; ++r)
        PaintLine(dc, 17, r, W - 18, r, skin.top[r]);
    for (int k = 0; k < 11; ++k)
        PaintLine(dc, 17, H - 11 + k, W - 18, H - 11 + k, skin.bottom[k]);
}

} // namespace

void PaintSkinNormal(ButtonFace& face) { paintSkin(face, skinFor(SkinLook::Normal)); }
void PaintSkinHot(ButtonFace& face) { paintSkin(face, skinFor(SkinLook::Hot)); }
void PaintSkinPressed(ButtonFace& face) { paintSkin(face, skinFor(SkinLook::Pressed)); }

void PaintStyle10(ButtonFace& face, const FaceLook& look, int state) {
    // A focused button looks hot; a disabled one takes the normal skin (its caption shows it).
    if (state == 3)
        PaintSkinPressed(face);
    else if (state == 2 || look.hasFocus)
        PaintSkinHot(face);
    else
        PaintSkinNormal(face);
}

} // namespace buttons
