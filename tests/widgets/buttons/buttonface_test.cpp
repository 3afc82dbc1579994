#include "widgets/buttons/buttonface.h"

#include <gtest/gtest.h>

using namespace buttons;
using platform::GetSysColor;
using platform::ShiftColor;

namespace {

constexpr OleColor kSentinel = 0x123456; // a colour no painter uses

int32_t at(const ButtonFace& f, int x, int y) { return platform::gdi::pixel(f.surface, x, y); }
int32_t c32(OleColor c) { return static_cast<int32_t>(c); }

ButtonFace makeFace(int w, int h) {
    ButtonFace face;
    face.background = kSentinel;
    face.resize(w, h);
    return face;
}

// ---- Primitives ------------------------------------------------------------------------------

TEST(DrawRoundedFrame, EtchedFrameWithSoftenedCorners) {
    ButtonFace f = makeFace(12, 8);
    // As style 3 calls it on a 12 x 8 button: width W - 1, height H - 1.
    DrawRoundedFrame(f.surface, 0, 0, 11, 7, 0x808080, 0xFFFFFF, 0x00FF00);
    EXPECT_EQ(at(f, 5, 0), 0x808080);       // outer top
    EXPECT_EQ(at(f, 0, 3), 0x808080);       // outer left
    EXPECT_EQ(at(f, 5, 1), 0xFFFFFF);       // inner top
    EXPECT_EQ(at(f, 1, 4), 0xFFFFFF);       // inner left
    EXPECT_EQ(at(f, 10, 4), 0x808080);      // outer right, inside the inner right
    EXPECT_EQ(at(f, 11, 4), 0xFFFFFF);      // inner right
    EXPECT_EQ(at(f, 5, 6), 0x808080);       // outer bottom
    EXPECT_EQ(at(f, 5, 7), 0xFFFFFF);       // inner bottom
    EXPECT_EQ(at(f, 0, 7), 0x00FF00);       // bottom-left corner
    EXPECT_EQ(at(f, 11, 0), 0x00FF00);      // top-right corner
    EXPECT_EQ(at(f, 1, 6), 0xC0C0C0);       // BlendColors(inner, outer)
    EXPECT_EQ(at(f, 10, 1), 0xC0C0C0);
    EXPECT_EQ(at(f, 3, 3), c32(kSentinel)); // the inside is left alone
}

TEST(DrawEdgeRect, EdgesRoundHalvesToEven) {
    ButtonFace f = makeFace(10, 6);
    DrawEdgeRect(f.surface, 0.5, 0, 6.0, 4.5, platform::gdi::BDR_RAISEDINNER, platform::gdi::BF_RECT);
    // left round(0.5) = 0, right round(6.5) = 6, bottom round(4.5) = 4.
    EXPECT_EQ(at(f, 0, 0), c32(GetSysColor(platform::COLOR_BTNHIGHLIGHT)));
    EXPECT_EQ(at(f, 5, 2), c32(GetSysColor(platform::COLOR_BTNSHADOW)));
    EXPECT_EQ(at(f, 2, 3), c32(GetSysColor(platform::COLOR_BTNSHADOW)));
    EXPECT_EQ(at(f, 6, 2), c32(kSentinel));
    EXPECT_EQ(at(f, 2, 4), c32(kSentinel));
}

// ---- Regions ---------------------------------------------------------------------------------

// Pixels of a W x H rectangle missing from the region, by corner.
struct Cuts {
    int topLeft, topRight, bottomRight, bottomLeft;
};

Cuts cutsOf(const QRegion& r, int W, int H) {
    Cuts c{0, 0, 0, 0};
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            if (r.contains(QPoint(x, y)))
                continue;
            const bool left = x < W / 2;
            const bool top = y < H / 2;
            (top ? (left ? c.topLeft : c.topRight) : (left ? c.bottomLeft : c.bottomRight))++;
        }
    }
    return c;
}

TEST(Regions, BevelCutsOneAtTheTopAndTwoAtTheBottom) {
    const QRegion r = MakeBevelRegion(60, 24);
    EXPECT_FALSE(r.contains(QPoint(0, 0)));
    EXPECT_TRUE(r.contains(QPoint(1, 0)));
    EXPECT_TRUE(r.contains(QPoint(0, 1)));
    EXPECT_FALSE(r.contains(QPoint(59, 0)));
    EXPECT_FALSE(r.contains(QPoint(1, 23)));
    EXPECT_FALSE(r.contains(QPoint(0, 22)));
    EXPECT_TRUE(r.contains(QPoint(2, 23)));
    EXPECT_TRUE(r.contains(QPoint(1, 22)));
    const Cuts c = cutsOf(r, 60, 24);
    EXPECT_EQ(c.topLeft, 1);
    EXPECT_EQ(c.topRight, 1);
    EXPECT_EQ(c.bottomRight, 3);
    EXPECT_EQ(c.bottomLeft, 3);
    EXPECT_EQ(r.boundingRect(), QRect(0, 0, 60, 24));
}

TEST(Regions, WideBevelCutsTwoThreeThreeAndFour) {
    const QRegion r = MakeWideBevelRegion(60, 24);
    const Cuts c = cutsOf(r, 60, 24);
    EXPECT_EQ(c.topLeft, 3);     // 2 + 1
    EXPECT_EQ(c.topRight, 6);    // 3 + 2 + 1
    EXPECT_EQ(c.bottomRight, 6);
    EXPECT_EQ(c.bottomLeft, 10); // 4 + 3 + 2 + 1
    EXPECT_TRUE(r.contains(QPoint(2, 0)));
    EXPECT_FALSE(r.contains(QPoint(1, 0)));
    EXPECT_TRUE(r.contains(QPoint(4, 23)));
    EXPECT_FALSE(r.contains(QPoint(3, 23)));
}

TEST(Regions, RoundCornersAreMirrorImages) {
    const QRegion r = MakeRoundRegion(80, 30);
    const Cuts c = cutsOf(r, 80, 30);
    EXPECT_GT(c.topLeft, 10);
    EXPECT_EQ(c.topLeft, c.topRight);
    EXPECT_EQ(c.topLeft, c.bottomLeft);
    EXPECT_EQ(c.topLeft, c.bottomRight);
    EXPECT_TRUE(r.contains(QPoint(9, 0)));
    EXPECT_TRUE(r.contains(QPoint(0, 9)));
}

// ---- Style 5 ---------------------------------------------------------------------------------

TEST(Style5System, FrameAndRingsByState) {
    const int W = 60;
    const int H = 24;
    FaceLook look;
    struct Case {
        int state;
        bool focus;
        bool isDefault;
        int32_t row1; // pixel (10, 1)
    };
    const Case cases[] = {
        {1, false, false, 0xFBFCFC}, // face gradient start
        {1, true, false, 0xFFE7CE},  // blue ring when focused
        {1, false, true, 0xFFE7CE},  // ... or shown as the default button
        {2, false, false, 0xCFF0FF}, // orange ring when hot, focus or not
        {2, true, false, 0xCFF0FF},
        {3, true, true, 0xC1CCD1},   // pressed face, no ring
    };
    for (const auto& c : cases) {
        ButtonFace f = makeFace(W, H);
        look.hasFocus = c.focus;
        look.displayAsDefault = c.isDefault;
        PaintStyle5System(f, look, c.state);
        EXPECT_EQ(at(f, 10, 1), c.row1) << c.state << c.focus << c.isDefault;
        EXPECT_EQ(at(f, 10, 0), 0x743C00);
        EXPECT_EQ(at(f, 0, 10), 0x743C00);
        EXPECT_EQ(at(f, 1, 1), 0x906E48);
        EXPECT_EQ(at(f, 1, 0), 0xA28B6A);
        // The frame's soft inner corner, unless a ring covers row 1.
        const bool ring = c.state != 3 && c.row1 != 0xFBFCFC;
        EXPECT_EQ(at(f, 2, 1), ring ? c.row1 : 0xCAC7BF);
        // The corners stay as the face was cleared: the system button face.
        EXPECT_EQ(at(f, 0, 0), c32(GetSysColor(platform::COLOR_BTNFACE)));
        EXPECT_EQ(at(f, W - 1, H - 1), c32(GetSysColor(platform::COLOR_BTNFACE)));
    }
}

TEST(Style5System, DisabledLookAndIndifferenceToCustomColours) {
    ButtonFace f = makeFace(60, 24);
    PaintStyle5System(f, {}, 4);
    EXPECT_EQ(at(f, 30, 12), 0xEAF4F5);
    EXPECT_EQ(at(f, 30, 0), 0xBAC7C9);
    EXPECT_EQ(at(f, 0, 0), 0xBAC7C9);
    EXPECT_EQ(at(f, 1, 1), 0xC7D5D8);
    EXPECT_EQ(at(f, 58, 23), 0xC7D5D8);

    ButtonFace a = makeFace(60, 24);
    ButtonFace b = makeFace(60, 24);
    FaceLook red;
    red.backColor = 0x0000FF;
    red.highlightColor = 0x00FF00;
    PaintStyle5System(a, {}, 2);
    PaintStyle5System(b, red, 2);
    EXPECT_EQ(a.surface, b.surface);
}

TEST(Style5Custom, ShadesComeFromBackColourAndSaturate) {
    FaceLook look;
    look.useCustomColors = true;
    look.backColor = 0xFFFFFF;
    ButtonFace f = makeFace(60, 24);
    PaintStyle5Custom(f, look, 1);
    EXPECT_EQ(at(f, 10, 0), 0x7F7F7F);      // border B - 128
    EXPECT_EQ(at(f, 59, 0), 0x7F7F7F);      // the right border runs the full height
    EXPECT_EQ(at(f, 59, 23), 0x7F7F7F);
    EXPECT_EQ(at(f, 1, 0), 0xEAEAEA);       // B - 21
    EXPECT_EQ(at(f, 10, 1), 0xFFFFFF);      // B + 5 saturates
    EXPECT_EQ(at(f, 10, 21), 0xE7E7E7);     // row H-3: B - 24
    EXPECT_EQ(at(f, 10, 22), 0xDADADA);     // row H-2: B - 37

    // Pressed: corners keep the colour the face was cleared to.
    ButtonFace p = makeFace(60, 24);
    PaintStyle5Custom(p, look, 3);
    EXPECT_EQ(at(p, 0, 0), c32(kSentinel));
    EXPECT_EQ(at(p, 10, 0), 0x7F7F7F);
    EXPECT_EQ(at(p, 1, 1), 0x9F9F9F); // B - 96
}

TEST(Style5Custom, RingNeedsShowFocusWhenFocusedAndHighlightWhenHot) {
    FaceLook look;
    look.useCustomColors = true;
    look.backColor = 0x808080;
    look.highlightColor = 0x004080;
    look.hasFocus = true;
    ButtonFace plain = makeFace(60, 24);
    PaintStyle5Custom(plain, look, 1);
    EXPECT_EQ(at(plain, 10, 1), 0x858585); // B + 5: no ring without ShowFocus

    look.showFocus = true;
    ButtonFace focused = makeFace(60, 24);
    PaintStyle5Custom(focused, look, 1);
    EXPECT_EQ(at(focused, 10, 1), c32(ShiftColor(GetSysColor(platform::COLOR_HIGHLIGHT), 85)));

    ButtonFace hot = makeFace(60, 24);
    PaintStyle5Custom(hot, look, 2);
    EXPECT_EQ(at(hot, 10, 1), c32(ShiftColor(0x004080, 85)));
    EXPECT_EQ(at(hot, 10, 22), 0x004080);
}

// ---- Styles 7 to 9 ---------------------------------------------------------------------------

TEST(Style7, FocusLinesInTheHotStateAndWhenFocused) {
    const OleColor face = GetSysColor(platform::COLOR_BTNFACE);
    const OleColor hilite = GetSysColor(platform::COLOR_HIGHLIGHT);
    struct Case {
        int state;
        bool focus;
        bool lines;
    };
    const Case cases[] = {{1, false, false}, {1, true, true}, {2, false, true}, {3, true, false}, {4, true, false}};
    for (const auto& c : cases) {
        FaceLook look;
        look.hasFocus = c.focus;
        ButtonFace f = makeFace(60, 24);
        PaintStyle7(f, look, c.state);
        if (c.lines) {
            EXPECT_EQ(at(f, 10, 2), c32(ShiftColor(hilite, 21))) << c.state << c.focus;
            EXPECT_EQ(at(f, 10, 22), c32(ShiftColor(hilite, -21)));
        } else {
            EXPECT_NE(at(f, 10, 2), c32(ShiftColor(hilite, 21))) << c.state << c.focus;
        }
    }
    ButtonFace normal = makeFace(60, 24);
    PaintStyle7(normal, {}, 1);
    const OleColor B = ShiftColor(face, 8);
    EXPECT_EQ(at(normal, 10, 0), c32(ShiftColor(B, -96)));
    EXPECT_EQ(at(normal, 59, 0), c32(ShiftColor(B, -96))); // right frame full height
    EXPECT_EQ(at(normal, 1, 0), c32(ShiftColor(face, -21)));
    EXPECT_EQ(at(normal, 10, 1), c32(ShiftColor(face, 21)));
    EXPECT_EQ(at(normal, 0, 0), c32(B)); // cleared to the base
}

TEST(Style8, FrameDarkensWithFocusExceptPressed) {
    const OleColor face = GetSysColor(platform::COLOR_BTNFACE);
    struct Case {
        int state;
        bool focus;
        int shift;
    };
    const Case cases[] = {{1, false, -48}, {1, true, -96}, {2, true, -96}, {3, true, -48}, {3, false, -48}, {4, true, -96}};
    for (const auto& c : cases) {
        FaceLook look;
        look.hasFocus = c.focus;
        ButtonFace f = makeFace(60, 24);
        PaintStyle8(f, look, c.state);
        EXPECT_EQ(at(f, 10, 0), c32(ShiftColor(face, c.shift))) << c.state << c.focus;
        EXPECT_EQ(at(f, 10, 23), c32(ShiftColor(ShiftColor(face, c.shift), 21))) << "shadow line";
    }
}

TEST(Style8, CustomColoursFaceFromHighlightFrameFromBack) {
    FaceLook look;
    look.useCustomColors = true;
    look.backColor = 0x808080;
    look.highlightColor = 0x203040;
    for (int state : {2, 3, 4}) {
        ButtonFace f = makeFace(60, 24);
        PaintStyle8(f, look, state);
        EXPECT_EQ(at(f, 59, 0), 0x203040) << state;          // outside the frame: the base
        EXPECT_EQ(at(f, 10, 0), 0x505050) << state;          // frame from BackColor - 48
    }
    // With system colours the disabled face is the hot face.
    ButtonFace hot = makeFace(60, 24);
    ButtonFace disabled = makeFace(60, 24);
    PaintStyle8(hot, {}, 2);
    PaintStyle8(disabled, {}, 4);
    EXPECT_EQ(hot.surface, disabled.surface);
}

TEST(Style9, SameDrawingForEveryStateApartFromTheBase) {
    FaceLook look;
    look.useCustomColors = true;
    look.backColor = 0x808080 + 0x0F0F0F; // normal base = back - 15 = 0x808080
    look.highlightColor = 0x7F7F7F;       // hot base = highlight + 1 = 0x808080
    ButtonFace normal = makeFace(60, 24);
    ButtonFace hot = makeFace(60, 24);
    PaintStyle9(normal, look, 1);
    PaintStyle9(hot, look, 2);
    EXPECT_EQ(normal.surface, hot.surface);
    EXPECT_EQ(at(normal, 0, 0), c32(ShiftColor(0x808080, 128)));
    EXPECT_EQ(at(normal, 6, 3), c32(ShiftColor(0x808080, 128)));
    EXPECT_EQ(at(normal, 10, 22), c32(ShiftColor(0x808080, -128)));
}

TEST(Style9, HalfHeightRowsRoundHalvesToEven) {
    FaceLook look;
    look.useCustomColors = true;
    look.backColor = 0x8F8F8F;
    const OleColor B = 0x808080;
    // Column 2 runs from row 4 for H/2 - 7 steps: to row 8 when H = 23 (4.5 -> 4), row 9 when 24.
    ButtonFace odd = makeFace(60, 23);
    PaintStyle9(odd, look, 1);
    EXPECT_EQ(at(odd, 2, 8), c32(ShiftColor(B, -37)));
    EXPECT_EQ(at(odd, 2, 9), c32(B));
    ButtonFace even = makeFace(60, 24);
    PaintStyle9(even, look, 1);
    EXPECT_EQ(at(even, 2, 9), c32(ShiftColor(B, -37)));
}

// ---- Style 10 --------------------------------------------------------------------------------

TEST(Style10, SkinChosenByStateAndFocus) {
    struct Case {
        int state;
        bool focus;
        int32_t centre;
    };
    const Case cases[] = {
        {1, false, 0xEAE7E8}, {1, true, 0xE2A66A}, {2, false, 0xE2A66A}, {3, false, 0xCC9B6A},
        {3, true, 0xCC9B6A},  {4, false, 0xEAE7E8}, {4, true, 0xE2A66A},
    };
    for (const auto& c : cases) {
        FaceLook look;
        look.hasFocus = c.focus;
        look.useCustomColors = true;
        look.backColor = 0x0000FF; // plays no part
        ButtonFace f = makeFace(80, 30);
        PaintStyle10(f, look, c.state);
        EXPECT_EQ(at(f, 40, 15), c.centre) << c.state << c.focus;
    }
}

TEST(Style10, BandsCarryTheSkinsTellingColours) {
    struct Case {
        void (*paint)(ButtonFace&);
        int32_t left0, left1, left2, right3, right2, right1, top0, top1, bottom3, bottom2, bottom1;
    };
    const Case cases[] = {
        {PaintSkinNormal, 0xF7F7F7, 0xA0A0A0, 0x999999, 0xA3A3A3, 0x9C9C9C, 0xF6F6F6, 0x67696A, 0xF5F4F6, 0xFBFBFB,
         0x545454, 0xC5C5C5},
        {PaintSkinHot, 0xF7F7F7, 0xB0A09E, 0x712E13, 0x7C3514, 0xAB9B98, 0xF6F6F6, 0x450608, 0xF1D4C9, 0xE9E2C5,
         0x635D40, 0xC5C5C5},
        {PaintSkinPressed, 0xF7F7F7, 0xA99D9B, 0x632D17, 0x6D3319, 0xA49794, 0xF6F6F6, 0x3C090A, 0xDEC7BE, 0xD7D2BA,
         0x5A563E, 0xC5C5C5},
    };
    const int W = 90;
    const int H = 40;
    for (const auto& c : cases) {
        ButtonFace f = makeFace(W, H);
        c.paint(f);
        EXPECT_EQ(at(f, 0, 20), c.left0);
        EXPECT_EQ(at(f, 1, 20), c.left1);
        EXPECT_EQ(at(f, 2, 20), c.left2);
        EXPECT_EQ(at(f, W - 3, 20), c.right3);
        EXPECT_EQ(at(f, W - 2, 20), c.right2);
        EXPECT_EQ(at(f, W - 1, 20), c.right1);
        EXPECT_EQ(at(f, 45, 0), c.top0);
        EXPECT_EQ(at(f, 45, 1), c.top1);
        EXPECT_EQ(at(f, 45, H - 3), c.bottom3);
        EXPECT_EQ(at(f, 45, H - 2), c.bottom2);
        EXPECT_EQ(at(f, 45, H - 1), c.bottom1);
    }
}

TEST(Style10, SkinFillsExactlyTheRoundRegion) {
    for (const QSize size : {QSize(80, 30), QSize(41, 26), QSize(150, 60)}) {
        const int W = size.width();
        const int H = size.height();
        const QRegion region = MakeRoundRegion(W, H);
        for (auto paint : {PaintSkinNormal, PaintSkinHot, PaintSkinPressed}) {
            ButtonFace f = makeFace(W, H);
            paint(f);
            for (int y = 0; y < H; ++y)
                for (int x = 0; x < W; ++x)
                    ASSERT_EQ(at(f, x, y) != c32(kSentinel), region.contains(QPoint(x, y)))
                        << W << "x" << H << " at " << x << "," << y;
        }
    }
}

TEST(Style10, WideningKeepsTheCornerTiles) {
    ButtonFace narrow = makeFace(60, 30);
    ButtonFace wide = makeFace(130, 30);
    PaintSkinHot(narrow);
    PaintSkinHot(wide);
    for (int y = 0; y < 30; ++y) {
        for (int dx = 0; dx < 17; ++dx) {
            ASSERT_EQ(at(narrow, dx, y), at(wide, dx, y)) << dx << "," << y;
            ASSERT_EQ(at(narrow, 59 - dx, y), at(wide, 129 - dx, y)) << dx << "," << y;
        }
    }
}

} // namespace
