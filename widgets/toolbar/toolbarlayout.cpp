#include "widgets/toolbar/toolbarlayout.h"

#include "platform/screen.h"

#include <QFontMetrics>

#include <algorithm>

namespace toolbar {

QFont defaultButtonFont() {
    // Size 8 as a classic font object keeps it: 8.25, the nearest size the screen has.
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSizeF(8.25);
    return font;
}

QFont drawingFont(const QFont& font) {
    QFont f = font;
    f.setStyleStrategy(QFont::NoAntialias);
    return f;
}

TextSize measureCaption(const QString& caption, const QFont& font) {
    if (caption.isEmpty()) return {};
    const QFontMetrics metrics(drawingFont(font));
    return {metrics.horizontalAdvance(caption), metrics.height()};
}

QSize buttonSize(bool hasIcon, bool hasCaption, TextSize text, int iconSize, int alignment,
                 int style) {
    QSize size;
    if (!hasIcon && !hasCaption)
        size = {kEmptyButtonSize, kEmptyButtonSize};
    else if (!hasIcon)
        size = {text.width + 8, text.height + 8};
    else if (!hasCaption)
        size = {iconSize + 8, iconSize + 8};
    else if (alignment == AlignIconAbove || alignment == AlignIconBelow)
        size = {std::max(text.width, iconSize) + 8, text.height + iconSize + 13};
    else
        size = {text.width + iconSize + 12, std::max(text.height, iconSize) + 8};
    if (style == StyleDropDown) size.rwidth() += kDropDownWidth;
    return size;
}

int barHeight(const std::vector<ToolbarButton>& buttons) {
    int tallest = 0;
    for (size_t i = 1; i < buttons.size(); ++i) {
        if (!buttons[i].isSeparator()) tallest = std::max(tallest, buttons[i].Height);
    }
    return std::max(kMinBarHeight, tallest + 5);
}

LayoutTotals calculateLayout(std::vector<ToolbarButton>& buttons, int start,
                             const TextMeasure& measure) {
    if (buttons.empty()) buttons.resize(1);
    const int last = static_cast<int>(buttons.size()) - 1;
    const int first = std::max(start, 1);

    for (int i = first; i <= last; ++i) {
        ToolbarButton& b = buttons[i];
        b.Left = buttons[i - 1].Left + buttons[i - 1].Width + kButtonGap;
        if (b.isSeparator()) {
            b.Top = kSeparatorTop;
            b.Width = kSeparatorWidth;
        } else {
            b.Top = kButtonTop;
            const QSize size =
                buttonSize(b.hasIcon(), !b.Caption.isEmpty(), measure(b.Caption, b.Font),
                           b.IconSize, b.Alignment, b.Style);
            b.Width = size.width();
            b.Height = size.height();
        }
    }

    // Heights that follow the strip wait for the bar's height, which the buttons decide.
    const int stripHeight = barHeight(buttons);
    for (int i = first; i <= last; ++i) {
        ToolbarButton& b = buttons[i];
        if (b.isSeparator())
            b.Height = b.RHeight = stripHeight - 9;
        else
            b.RHeight = stripHeight - 2 * b.Top - 1;
    }

    const ToolbarButton& tail = buttons[last];
    return {TwipsX * (tail.Left + tail.Width + kButtonGap + kGripperWidth + kChevronWidth),
            TwipsY * stripHeight};
}

QRect buttonRect(const ToolbarButton& button) {
    return {button.Left, button.Top, button.Width, button.Height};
}

int fittingButtonCount(const std::vector<ToolbarButton>& buttons, int stripWidth) {
    int shown = 0;
    for (size_t i = 1; i < buttons.size(); ++i) {
        if (buttons[i].Left + buttons[i].Width > stripWidth) break;
        shown = static_cast<int>(i);
    }
    return shown;
}

int buttonAt(const std::vector<ToolbarButton>& buttons, int shown, QPoint point) {
    const int last = std::min(shown, static_cast<int>(buttons.size()) - 1);
    for (int i = 1; i <= last; ++i) {
        if (buttonRect(buttons[i]).contains(point)) return i;
    }
    return 0;
}

ButtonContent placeContent(const ToolbarButton& b, TextSize text) {
    ButtonContent c;
    const bool dropDown = b.Style == StyleDropDown;
    const int bodyWidth = b.Width - (dropDown ? kDropDownWidth : 0);
    if (dropDown) c.arrow = QRect(b.Left + bodyWidth, b.Top, kDropDownWidth, b.Height);
    const bool hasCaption = !b.Caption.isEmpty();
    const int s = b.IconSize;
    const auto centredX = [&](int w) { return b.Left + (bodyWidth - w) / 2; };
    const auto centredY = [&](int h) { return b.Top + (b.Height - h) / 2; };

    if (!b.hasIcon()) {
        if (hasCaption)
            c.caption = QRect(centredX(text.width), centredY(text.height), text.width, text.height);
    } else if (!hasCaption) {
        c.icon = QRect(centredX(s), centredY(s), s, s);
    } else if (b.Alignment == AlignIconAbove || b.Alignment == AlignIconBelow) {
        const int y = centredY(s + 5 + text.height);
        const bool iconFirst = b.Alignment == AlignIconAbove;
        c.icon = QRect(centredX(s), iconFirst ? y : y + text.height + 5, s, s);
        c.caption = QRect(centredX(text.width), iconFirst ? y + s + 5 : y, text.width, text.height);
    } else {
        const int x = centredX(s + 4 + text.width);
        const bool iconFirst = b.Alignment != AlignIconRight;
        c.icon = QRect(iconFirst ? x : x + text.width + 4, centredY(s), s, s);
        c.caption =
            QRect(iconFirst ? x + s + 4 : x, centredY(text.height), text.width, text.height);
    }
    return c;
}

int hotState(int restState) {
    switch (restState) {
    case StateNormal:
        return StateHot;
    case StatePressed:
    case StateChecked:
        return StateHotChecked;
    default:
        return restState;
    }
}

bool takesInput(const ToolbarButton& button) {
    return !button.isSeparator() && button.State != StateDisabled;
}

PopupLayout layoutPopup(const std::vector<PopupItem>& items, const QFont& font,
                        const TextMeasure& measure) {
    PopupLayout layout;
    int widest = 0;
    for (const PopupItem& item : items) {
        if (item.kind != PopupItem::Separator)
            widest = std::max(widest, measure(item.text, font).width);
    }
    const int width = 1 + kPopupIconColumn + 6 + widest + 16 + 1;
    int y = 1;
    for (const PopupItem& item : items) {
        const int h = item.kind == PopupItem::Separator ? kPopupSeparatorHeight : kPopupItemHeight;
        layout.rects.emplace_back(1, y, width - 2, h);
        y += h;
    }
    layout.size = QSize(width, y + 1);
    return layout;
}

int popupItemAt(const std::vector<PopupItem>& items, const PopupLayout& layout, QPoint point) {
    for (size_t i = 0; i < items.size() && i < layout.rects.size(); ++i) {
        if (layout.rects[i].contains(point))
            return items[i].kind != PopupItem::Separator && items[i].enabled ? static_cast<int>(i)
                                                                             : -1;
    }
    return -1;
}

} // namespace toolbar
