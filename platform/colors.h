#pragma once

#include <QColor>

#include <cstdint>

// Colours as the program keeps them: 32-bit values &HBBGGRR (red in the low byte). Values with
// the high byte &H80 name a system colour by index (&H8000000F is the button face); they resolve
// through one fixed table of the classic desktop defaults, so drawing is the same on every machine.
namespace platform {

using OleColor = uint32_t;

// System colour indexes the controls ask for.
enum SysColorIndex : int {
    COLOR_SCROLLBAR = 0,
    COLOR_BACKGROUND = 1,
    COLOR_ACTIVECAPTION = 2,
    COLOR_INACTIVECAPTION = 3,
    COLOR_MENU = 4,
    COLOR_WINDOW = 5,
    COLOR_WINDOWFRAME = 6,
    COLOR_MENUTEXT = 7,
    COLOR_WINDOWTEXT = 8,
    COLOR_CAPTIONTEXT = 9,
    COLOR_ACTIVEBORDER = 10,
    COLOR_INACTIVEBORDER = 11,
    COLOR_APPWORKSPACE = 12,
    COLOR_HIGHLIGHT = 13,
    COLOR_HIGHLIGHTTEXT = 14,
    COLOR_BTNFACE = 15,
    COLOR_BTNSHADOW = 16,
    COLOR_GRAYTEXT = 17,
    COLOR_BTNTEXT = 18,
    COLOR_INACTIVECAPTIONTEXT = 19,
    COLOR_BTNHIGHLIGHT = 20,
    COLOR_3DDKSHADOW = 21,
    COLOR_3DLIGHT = 22,
    COLOR_INFOTEXT = 23,
    COLOR_INFOBK = 24,
    COLOR_HOTLIGHT = 26,
    COLOR_GRADIENTACTIVECAPTION = 27,
    COLOR_GRADIENTINACTIVECAPTION = 28,
    COLOR_MENUHILIGHT = 29,
    COLOR_MENUBAR = 30,
};

inline constexpr int kSysColorCount = 31;

// RGB value of a system colour by index; black for an index outside the table.
[[nodiscard]] OleColor GetSysColor(int index);

// An OLE colour as plain &HBBGGRR: system colour codes (&H800000nn) through the table, plain
// values unchanged, palette-relative values (&H02BBGGRR) as their RGB part; -1 for anything else
// (an unknown system colour index, a palette index, an unknown high byte).
[[nodiscard]] int32_t OleColorToRgb(OleColor color);

// Channels of a plain colour and the colour made of three channels.
[[nodiscard]] constexpr int redOf(OleColor c) { return static_cast<int>(c & 0xFF); }
[[nodiscard]] constexpr int greenOf(OleColor c) { return static_cast<int>((c >> 8) & 0xFF); }
[[nodiscard]] constexpr int blueOf(OleColor c) { return static_cast<int>((c >> 16) & 0xFF); }
[[nodiscard]] constexpr OleColor rgb(int r, int g, int b) {
    return static_cast<OleColor>(r) | (static_cast<OleColor>(g) << 8) | (static_cast<OleColor>(b) << 16);
}

// Conversions for drawing with Qt; toQColor resolves system colours (and draws an untranslatable
// value as black), fromQColor drops the alpha channel.
[[nodiscard]] QColor toQColor(OleColor c);
[[nodiscard]] OleColor fromQColor(const QColor& c);
[[nodiscard]] QRgb toQRgb(OleColor c);
[[nodiscard]] OleColor fromQRgb(QRgb c);

// Colour arithmetic of the drawn controls, channel by channel, halves rounded to even.
// Mean of two colours (&H000000 and &HFFFFFF give &H808080).
[[nodiscard]] OleColor BlendColors(OleColor a, OleColor b);
// amount + ((255 - amount) * channel) \ 255, at most 255: 0 keeps the colour, 255 gives white.
[[nodiscard]] OleColor LightenColor(OleColor c, int amount);
// channel + amount, clamped to 0..255; amount may be negative.
[[nodiscard]] OleColor ShiftColor(OleColor c, int amount);
// Mean of the three channels in all three.
[[nodiscard]] OleColor GrayColor(OleColor c);

} // namespace platform
