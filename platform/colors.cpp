#include "platform/colors.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace platform {

namespace {

// The classic "standard" desktop scheme. Index 25 has no colour of its own and reads as black.
constexpr std::array<OleColor, kSysColorCount> kSysColors = {
    0xC8D0D4, // 0 scroll bar
    0xA56E3A, // 1 desktop
    0x6A240A, // 2 active caption
    0x808080, // 3 inactive caption
    0xC8D0D4, // 4 menu
    0xFFFFFF, // 5 window
    0x000000, // 6 window frame
    0x000000, // 7 menu text
    0x000000, // 8 window text
    0xFFFFFF, // 9 caption text
    0xC8D0D4, // 10 active border
    0xC8D0D4, // 11 inactive border
    0x808080, // 12 application workspace
    0x6A240A, // 13 highlight
    0xFFFFFF, // 14 highlight text
    0xC8D0D4, // 15 button face
    0x808080, // 16 button shadow
    0x808080, // 17 grey text
    0x000000, // 18 button text
    0xC8D0D4, // 19 inactive caption text
    0xFFFFFF, // 20 button highlight
    0x404040, // 21 3-D dark shadow
    0xC8D0D4, // 22 3-D light
    0x000000, // 23 tooltip text
    0xE1FFFF, // 24 tooltip background
    0x000000, // 25
    0x800000, // 26 hot-tracked item
    0xF0CAA6, // 27 active caption gradient
    0xC0C0C0, // 28 inactive caption gradient
    0x6A240A, // 29 menu highlight
    0xC8D0D4, // 30 menu bar
};

int clampChannel(int v) { return std::clamp(v, 0, 255); }

int roundHalfEven(double v) { return static_cast<int>(std::nearbyint(v)); }

} // namespace

OleColor GetSysColor(int index) {
    if (index < 0 || index >= kSysColorCount)
        return 0;
    return kSysColors[static_cast<size_t>(index)];
}

int32_t OleColorToRgb(OleColor color) {
    switch (color >> 24) {
    case 0x00:
        return static_cast<int32_t>(color);
    case 0x02:
        return static_cast<int32_t>(color & 0xFFFFFF);
    case 0x80: {
        const OleColor index = color & 0xFFFFFF;
        if (index >= static_cast<OleColor>(kSysColorCount))
            return -1;
        return static_cast<int32_t>(GetSysColor(static_cast<int>(index)));
    }
    default:
        return -1;
    }
}

QRgb toQRgb(OleColor c) {
    const int32_t v = OleColorToRgb(c);
    const OleColor plain = v < 0 ? 0 : static_cast<OleColor>(v);
    return qRgb(redOf(plain), greenOf(plain), blueOf(plain));
}

OleColor fromQRgb(QRgb c) { return rgb(qRed(c), qGreen(c), qBlue(c)); }

QColor toQColor(OleColor c) { return QColor(toQRgb(c)); }

OleColor fromQColor(const QColor& c) { return fromQRgb(c.rgb()); }

OleColor BlendColors(OleColor a, OleColor b) {
    const auto mean = [](int x, int y) { return roundHalfEven((x + y) / 2.0); };
    return rgb(mean(redOf(a), redOf(b)), mean(greenOf(a), greenOf(b)), mean(blueOf(a), blueOf(b)));
}

OleColor LightenColor(OleColor c, int amount) {
    const auto lighten = [amount](int ch) { return std::min(255, amount + ((255 - amount) * ch) / 255); };
    return rgb(clampChannel(lighten(redOf(c))), clampChannel(lighten(greenOf(c))),
               clampChannel(lighten(blueOf(c))));
}

OleColor ShiftColor(OleColor c, int amount) {
    return rgb(clampChannel(redOf(c) + amount), clampChannel(greenOf(c) + amount),
               clampChannel(blueOf(c) + amount));
}

OleColor GrayColor(OleColor c) {
    const int v = roundHalfEven(greenOf(c) / 3.0 + blueOf(c) / 3.0 + redOf(c) / 3.0);
    return rgb(v, v, v);
}

} // namespace platform
