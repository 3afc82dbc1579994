#pragma once

#include "widgets/toolbar/themecolors.h"
#include "widgets/toolbar/toolbarlayout.h"

#include <QImage>

// The bar's painters: strip background, gripper, chevron, buttons and the overflow popup, on
// images, with the drawing rules of platform/gdi and the palette of the colour scheme.
namespace toolbar {

// The strip's background: the vertical gradient from the scheme's top to its bottom colour over
// the full height, and the border line along the last row. Shared by the three parts of the bar.
[[nodiscard]] QImage makeStripBackground(int width, int height, const ToolbarSchemeColors& colors);

// Copies the background under a rectangle of a part that starts `offsetX` pixels into the bar.
void restoreBackground(QImage& surface, const QImage& background, const QRect& rect, int offsetX);

// The gripper's column of dots, onto its picture.
void paintGripper(QImage& surface, const ToolbarSchemeColors& colors);

enum class ChevronLook { Normal, Hot, Down };
// The chevron onto its picture: its face in the look's colour pair, the "more buttons" mark
// when buttons are hidden and the arrow of the popup below it.
void paintChevron(QImage& surface, ChevronLook look, bool buttonsHidden,
                  const ToolbarSchemeColors& colors);

// A button (or separator) in the given state onto the strip, whose background is already there.
void paintButton(QImage& strip, const ToolbarButton& button, int state,
                 const ToolbarSchemeColors& colors);

// The icon of a button as drawn into a square of `size`: the mask colour transparent when asked,
// greyed when disabled. Null without an icon.
[[nodiscard]] QImage iconPicture(const ToolbarButton& button, int size, bool disabled);

// The popup with its items; `hot` is the item under the pointer (-1 none), `pressed` whether it
// is held down. Icons come from the bar's buttons.
[[nodiscard]] QImage paintPopup(const std::vector<PopupItem>& items, const PopupLayout& layout,
                                const std::vector<ToolbarButton>& buttons, int hot, bool pressed,
                                const QFont& font, const ToolbarSchemeColors& colors);

} // namespace toolbar
