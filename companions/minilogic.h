#pragma once

// The mini quote window's decisions, without a widget: which skin pieces it wears, what the change
// label says, how wide and tall it grows, what each list row reads and where it docks. The form
// (mini.h) only applies the answers. All lengths are twips.

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <cstdint>
#include <optional>

namespace mini {

// Picture-store elements (Img1) a skin takes for its left, middle and right pieces, and the key
// LoadImg is given (empty for the two frames set directly).
struct SkinPieces {
    QString key;
    int left = 0;
    int middle = 0;
    int right = 0;
};

// Skin Dols of the table; nothing for any other value (the pieces then stay as they are).
[[nodiscard]] std::optional<SkinPieces> skinPieces(float Dols);

// Size in pixels of picture-store element `element`; an empty size for an unused element.
[[nodiscard]] QSize pieceSize(int element);

// wText after the skin Dols, given the wText before: 780 for the named skins, the width of
// element 0 for the frames, unchanged otherwise.
[[nodiscard]] int textLeftAfterSkin(float Dols, int before);

// The change label SetCaption shows: the day's change with an arrow while the day's change is
// shown, else the last tick's direction (flat, up, down) with its tip. Without a value the label
// is left as it was; a tip without a value is left as it was.
struct ChangeLabel {
    QString caption;
    std::optional<QString> tip;
    uint32_t color = 0; // OleColor
};
[[nodiscard]] std::optional<ChangeLabel> changeLabel(bool dayChange, int16_t Showt,
                                                    const QString& Showsmt);

// True when the position line fits: twice the price's height is below the panel's height.
[[nodiscard]] bool positionLineFits(bool showHolding, int labelsHeight, int miniHeight);

// The window width SetCaption leaves once it has measured the texts: wide enough for the position
// line when it shows, and for the price line; the parts are measured in twips.
struct WidthParts {
    int windowWidth = 0;
    bool cwVisible = false;
    int wText = 0;
    int cwsWidth = 0;    // the position text's width, measured also while the line is hidden
    int back2Width = 0;
    int labelsWidth = 0;
    int upsWidth = 0;
};
[[nodiscard]] int captionWidth(const WidthParts& p);

// One row of the extended list: name, "：", the price in its shortest form, " 涨跌：", the change.
[[nodiscard]] QString rowText(const QString& name, float price, float change);

// Font size of a row's text.
[[nodiscard]] inline int rowFontSize(bool bigFont) { return bigFont ? 11 : 10; }

// Height of the window with `rows` list rows of `rowHeight` under a panel `miniHeight` high, and
// the top of row r.
[[nodiscard]] inline int windowHeight(int miniHeight, int rows, int rowHeight) {
    return rows <= 0 ? miniHeight : miniHeight + rows * rowHeight;
}
[[nodiscard]] inline int rowTop(int miniHeight, int r, int rowHeight) { return miniHeight + r * rowHeight; }

// Docking. The place is the window's in twips; Ishide and the watching timer go with it.
struct Dock {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool Ishide = false;
    bool timerOn = true;
};

// Left edge that keeps a window grown to d.width within the work area [areaLeft, areaRight]: a
// window pushing past the right edge moves left; one docked behind the right edge stays docked.
[[nodiscard]] int leftWithin(const Dock& d, int areaLeft, int areaRight, int screenWidth);

// Docks at the right edge (preferred) or the top when the window touches it within 90 twips.
void HideMe(Dock& d, int screenWidth, bool noEdgeHide);
// Brings a docked window back flush with the edge it went behind; starts watching again.
void ShowMe(Dock& d, int screenWidth);
// One watching tick with the window's rectangle and the cursor in pixels (edges count as inside):
// a cursor outside stops the timer and tries to dock.
void tick(Dock& d, const QRect& windowPixels, const QPoint& cursor, int screenWidth, bool noEdgeHide);

} // namespace mini
