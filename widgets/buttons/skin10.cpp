#include "widgets/buttons/skin10.h"

#include "platform/gdi.h"

#include <QRegion>

#include <algorithm>
#include <cmath>
#include <optional>

// The skin is drawn here from a small model rather than kept as pixel data: each side of the pill
// has a profile of colours by distance from the edge (a light halo, a soft shade, the dark
// outline, then the face easing into the centre colour), and the corners follow an arc of radius
// 6 through the outline, blending the two side profiles by direction and softening the outline
// by how far a pixel centre lies from the arc. Corner places outside the window region (corner
// ellipse 18 x 18) are left out, so the tiles fit the region exactly.
namespace buttons {

namespace {

using platform::OleColor;
using platform::blueOf;
using platform::greenOf;
using platform::redOf;
using platform::rgb;

struct Palette {
    OleColor centre;
    OleColor leftHalo, leftShade, leftOutline;
    OleColor rightHalo, rightShade, rightOutline;
    OleColor topOutline, topLight;
    OleColor bottomShadow, bottomOutline, bottomLight;
};

constexpr Palette kNormal{0xEAE7E8, 0xF7F7F7, 0xA0A0A0, 0x999999, 0xF6F6F6, 0x9C9C9C, 0xA3A3A3,
                          0x67696A, 0xF5F4F6, 0xC5C5C5, 0x545454, 0xFBFBFB};
constexpr Palette kHot{0xE2A66A, 0xF7F7F7, 0xB0A09E, 0x712E13, 0xF6F6F6, 0xAB9B98, 0x7C3514,
                       0x450608, 0xF1D4C9, 0xC5C5C5, 0x635D40, 0xE9E2C5};
constexpr Palette kPressed{0xCC9B6A, 0xF7F7F7, 0xA99D9B, 0x632D17, 0xF6F6F6, 0xA49794, 0x6D3319,
                           0x3C090A, 0xDEC7BE, 0xC5C5C5, 0x5A563E, 0xD7D2BA};

constexpr int kArcRadius = 6;
constexpr int kTileWidth = 18;  // offsets 0 .. 17 from the side (and W-18, the column the bands miss)
constexpr int kTopTileRows = 11;
constexpr int kBottomTileRows = 11; // rows H-11 .. H-1: the bottom tiles also fill the row the bands miss

OleColor mix(OleColor a, OleColor b, double t) {
    const auto ch = [t](int x, int y) { return static_cast<int>(std::nearbyint(x + (y - x) * t)); };
    return rgb(ch(redOf(a), redOf(b)), ch(greenOf(a), greenOf(b)), ch(blueOf(a), blueOf(b)));
}

// Colours by distance from one side; the outline sits at `outline`, the face eases from `inner`
// (just inside the outline) to the centre colour at the far end.
struct Profile {
    std::vector<OleColor> colors;
    int outline = 0;
    OleColor centre = 0;

    // Colour at a fractional distance; nothing outside the first entry.
    [[nodiscard]] std::optional<OleColor> at(double d) const {
        if (d < -0.5)
            return std::nullopt;
        d = std::max(d, 0.0);
        const int n = static_cast<int>(colors.size());
        if (d >= n - 1)
            return mix(colors.back(), centre, std::min(1.0, d - (n - 1)));
        const int i = static_cast<int>(std::floor(d));
        return mix(colors[i], colors[i + 1], d - i);
    }
};

// The face part of a profile eases from `inner` to the centre colour over `reach` entries.
Profile makeProfile(std::vector<OleColor> edge, OleColor inner, OleColor centre, int length, int outline,
                    int reach) {
    Profile p{std::move(edge), outline, centre};
    const int first = static_cast<int>(p.colors.size());
    for (int i = first; i < length; ++i) {
        const double t = std::min(1.0, double(i - first) / reach);
        p.colors.push_back(mix(inner, centre, 1.0 - (1.0 - t) * (1.0 - t)));
    }
    return p;
}

// Whether a pixel of a corner, by its distances from the two sides, lies in the window region.
bool insideRegion(int i, int j) {
    static const QRegion corner = platform::gdi::roundRectRegion({0, 0, 64, 64}, 18, 18);
    return corner.contains(QPoint(i, j));
}

// Colour of a corner pixel at distance i from the side edge and j from the top or bottom edge.
std::optional<OleColor> cornerPixel(const Profile& side, const Profile& end, int i, int j) {
    if (!insideRegion(i, j))
        return std::nullopt;
    const double cx = side.outline + kArcRadius;
    const double cy = end.outline + kArcRadius;
    if (i < cx && j < cy) {
        const double dist = std::hypot(cx - i, cy - j);
        const double depth = kArcRadius - dist;
        const double towardsEnd = (cy - j) / dist;
        const auto a = side.at(side.outline + depth);
        const auto b = end.at(end.outline + depth);
        if (a && b)
            return mix(*a, *b, towardsEnd);
        return a ? a : b;
    }
    if (i < cx)
        return side.at(i);
    if (j < cy)
        return end.at(j);
    return (i - side.outline) < (j - end.outline) ? side.at(i) : end.at(j);
}

// One corner tile, row by row from the top and each row from the left, the order the painter
// places them. Right tiles count x back from W (offset = distance from the right side + 1),
// bottom tiles count y back from H likewise.
std::vector<SkinPixel> makeTile(const Profile& side, const Profile& end, int rows, bool rightSide,
                                bool bottomSide) {
    std::vector<SkinPixel> tile;
    for (int r = 0; r < rows; ++r) {
        const int j = bottomSide ? rows - 1 - r : r;
        for (int c = 0; c < kTileWidth; ++c) {
            const int i = rightSide ? kTileWidth - 1 - c : c;
            if (const auto color = cornerPixel(side, end, i, j))
                tile.push_back({rightSide ? i + 1 : i, bottomSide ? j + 1 : j, *color});
        }
    }
    return tile;
}

Skin makeSkin(const Palette& p) {
    const OleColor glossTop = platform::LightenColor(p.centre, 112);
    const OleColor glossBottom = platform::BlendColors(p.bottomLight, p.centre);
    const OleColor leftInner = platform::LightenColor(p.centre, 72);
    const OleColor rightInner = platform::ShiftColor(p.centre, -18);
    // The sides soften within a few columns; the top and bottom glosses run the whole band.
    const Profile left = makeProfile({p.leftHalo, p.leftShade, p.leftOutline}, leftInner, p.centre, 18, 2, 5);
    const Profile right = makeProfile({p.rightHalo, p.rightShade, p.rightOutline}, rightInner, p.centre, 17, 2, 5);
    const Profile top = makeProfile({p.topOutline, p.topLight}, glossTop, p.centre, 12, 0, 10);
    const Profile bottom =
        makeProfile({p.bottomShadow, p.bottomOutline, p.bottomLight}, glossBottom, p.centre, 11, 1, 8);

    Skin skin;
    skin.centre = p.centre;
    for (int i = 0; i < 18; ++i)
        skin.left[i] = left.colors[i];
    for (int i = 0; i < 17; ++i)
        skin.right[16 - i] = right.colors[i];
    for (int i = 0; i < 12; ++i)
        skin.top[i] = top.colors[i];
    for (int i = 0; i < 11; ++i)
        skin.bottom[10 - i] = bottom.colors[i];
    skin.topLeft = makeTile(left, top, kTopTileRows, false, false);
    skin.bottomLeft = makeTile(left, bottom, kBottomTileRows, false, true);
    skin.topRight = makeTile(right, top, kTopTileRows, true, false);
    skin.bottomRight = makeTile(right, bottom, kBottomTileRows, true, true);
    return skin;
}

} // namespace

const Skin& skinFor(SkinLook look) {
    static const Skin normal = makeSkin(kNormal);
    static const Skin hot = makeSkin(kHot);
    static const Skin pressed = makeSkin(kPressed);
    switch (look) {
    case SkinLook::Hot: return hot;
    case SkinLook::Pressed: return pressed;
    default: return normal;
    }
}

} // namespace buttons
