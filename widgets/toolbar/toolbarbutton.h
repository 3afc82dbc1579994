#pragma once

#include "platform/colors.h"

#include <QFont>
#include <QImage>
#include <QString>

namespace toolbar {

// `Type` values.
inline constexpr int TypeButton = 0;
inline constexpr int TypeSeparator = 1;

// `Style` values.
inline constexpr int StyleNormal = 0;
inline constexpr int StyleCheck = 1;
inline constexpr int StyleDropDown = 2;

// `Alignment` values: where the icon stands beside the caption.
inline constexpr int AlignIconLeft = 0;
inline constexpr int AlignIconRight = 1;
inline constexpr int AlignIconAbove = 2;
inline constexpr int AlignIconBelow = 3;

// `State` values: the look of a button and whether it takes input.
inline constexpr int StateNormal = 0;
inline constexpr int StateHot = 1;
inline constexpr int StatePressed = 2; // also a check button whose Value is set
inline constexpr int StateHotChecked = 3;
inline constexpr int StateChecked = 4;
inline constexpr int StateDisabled = 5;

inline constexpr platform::OleColor kWindowTextColor = 0x80000008;
inline constexpr platform::OleColor kDefaultMaskColor = 0xFF00FF;
inline constexpr int kDefaultIconSize = 16;

// The font a button gets when none is given: "MS Sans Serif" of size 8.
[[nodiscard]] QFont defaultButtonFont();

// One button of the bar, fields in their saved order. Positions are in pixels on the strip and
// are the layout's to set.
struct ToolbarButton {
    QString Caption;
    bool Enabled = true;
    QString Key;
    QImage Icon; // null: no icon
    int IconSize = kDefaultIconSize;
    int Alignment = AlignIconLeft;
    QString ToolTipText;
    platform::OleColor ForeColor = kWindowTextColor;
    QFont Font = defaultButtonFont();
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    int RHeight = 0;
    int Type = TypeButton;
    int State = StateNormal;
    int Style = StyleNormal;
    platform::OleColor MaskColor = kDefaultMaskColor;
    bool UseMaskColor = true;
    bool Value = false;

    [[nodiscard]] bool isSeparator() const { return Type != TypeButton; }
    [[nodiscard]] bool hasIcon() const { return !Icon.isNull(); }
};

// What input and painting work on: the state as shown now (hover and press change it) and the
// value, next to the record's own.
struct ButtonRuntime {
    int state = StateNormal;
    bool value = false;
    bool loaded = false;
};

} // namespace toolbar
