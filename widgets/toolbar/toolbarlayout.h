#pragma once

#include "widgets/toolbar/toolbarbutton.h"

#include <QPoint>
#include <QRect>
#include <QSize>

#include <functional>
#include <vector>

// Where the bar's buttons stand and how big they are, in pixels on the button strip. Plain
// functions over the button records, so sizes can be checked without a widget.
namespace toolbar {

inline constexpr int kGripperWidth = 8;
inline constexpr int kChevronWidth = 13;
inline constexpr int kMinBarHeight = 29;
inline constexpr int kMinWidthTwips = 400;
inline constexpr int kInitialHeightTwips = 435;
inline constexpr int kButtonGap = 2;
inline constexpr int kEmptyButtonSize = 24;
inline constexpr int kDropDownWidth = 13;
inline constexpr int kSeparatorWidth = 2;
inline constexpr int kSeparatorTop = 4;
inline constexpr int kButtonTop = 2;

// Drawn width and height of a caption; an empty caption measures 0 x 0.
struct TextSize {
    int width = 0;
    int height = 0;
    friend bool operator==(const TextSize&, const TextSize&) = default;
};
using TextMeasure = std::function<TextSize(const QString& text, const QFont& font)>;

// The font as captions are drawn: without antialiasing.
[[nodiscard]] QFont drawingFont(const QFont& font);
[[nodiscard]] TextSize measureCaption(const QString& caption, const QFont& font);

// Width and height of a button (not a separator) with or without icon and caption.
// Alignments above 3 place the icon beside the caption, as 0 and 1 do.
[[nodiscard]] QSize buttonSize(bool hasIcon, bool hasCaption, TextSize text, int iconSize,
                               int alignment, int style);

// The bar's height in pixels: 29, or the tallest button plus 5.
[[nodiscard]] int barHeight(const std::vector<ToolbarButton>& buttons);

struct LayoutTotals {
    int widthTwips = 0;
    int heightTwips = 0;
};

// Lays out buttons start .. last of `buttons`, whose slot 0 is no button (its Left and Width stay
// 0, so button 1 stands at 2). A start below 1 starts at 1. The totals cover every button, the
// gripper and the chevron.
LayoutTotals calculateLayout(std::vector<ToolbarButton>& buttons, int start,
                             const TextMeasure& measure = measureCaption);

// Rectangle of button i on the strip.
[[nodiscard]] QRect buttonRect(const ToolbarButton& button);

// Number of buttons, counted from 1, that fit whole into a strip of the given width; the buttons
// after them go to the overflow popup.
[[nodiscard]] int fittingButtonCount(const std::vector<ToolbarButton>& buttons, int stripWidth);

// The button (1 .. shown) under a point of the strip, else 0. Separators count as buttons here.
[[nodiscard]] int buttonAt(const std::vector<ToolbarButton>& buttons, int shown, QPoint point);

// Where the parts of a button are drawn; null rectangles for parts it does not have.
struct ButtonContent {
    QRect icon;
    QRect caption;
    QRect arrow; // the drop-down part
};
[[nodiscard]] ButtonContent placeContent(const ToolbarButton& button, TextSize text);

// The look a button shows while the pointer is over it, and while it is held down, given the
// state it rests in.
[[nodiscard]] int hotState(int restState);
[[nodiscard]] bool takesInput(const ToolbarButton& button);

// The overflow popup: the buttons that do not fit, then, where the bar offers it, the colour
// schemes.
struct PopupItem {
    enum Kind { Button, Scheme, Separator };
    Kind kind = Button;
    int index = 0; // button index, or scheme number
    QString text;
    bool enabled = true;
    bool checked = false;
};

struct PopupLayout {
    QSize size;
    std::vector<QRect> rects; // one per item
};

inline constexpr int kPopupItemHeight = 22;
inline constexpr int kPopupSeparatorHeight = 7;
inline constexpr int kPopupIconColumn = 24;

[[nodiscard]] PopupLayout layoutPopup(const std::vector<PopupItem>& items, const QFont& font,
                                      const TextMeasure& measure = measureCaption);
// The item under a point that can be chosen, else -1.
[[nodiscard]] int popupItemAt(const std::vector<PopupItem>& items, const PopupLayout& layout,
                              QPoint point);

} // namespace toolbar
