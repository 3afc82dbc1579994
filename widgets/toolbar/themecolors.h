#pragma once

#include "platform/colors.h"

#include <QString>

// The toolbar's twenty-colour palette, as a plain value so other controls (the tab strip's silver
// look) can take the same colours without a toolbar.
namespace toolbar {

struct ToolbarSchemeColors {
    platform::OleColor gradBottom = 0;
    platform::OleColor gradTop = 0;
    platform::OleColor borderColor = 0;
    platform::OleColor darkColor = 0;
    platform::OleColor chevronColor1 = 0;
    platform::OleColor chevronColor2 = 0;
    platform::OleColor chevronDownColor1 = 0;
    platform::OleColor chevronDownColor2 = 0;
    platform::OleColor chevronHotColor1 = 0;
    platform::OleColor chevronHotColor2 = 0;
    platform::OleColor hiColor1 = 0;
    platform::OleColor hiColor2 = 0;
    platform::OleColor hiColor3 = 0;
    platform::OleColor hiColor4 = 0;
    platform::OleColor popHiColor1 = 0;
    platform::OleColor popHiColor2 = 0;
    platform::OleColor popHiColor3 = 0;

    bool operator==(const ToolbarSchemeColors&) const = default;
};

// Scheme numbers of ThemeColor.
enum ToolbarScheme : int {
    SchemeBlue = 0,
    SchemeSilver = 1,
    SchemeOlive = 2,
    SchemeBeige = 3,
    SchemeGold = 4,
    SchemeAutomatic = 5,
};

// A fixed scheme; 1 and every number that names no scheme (negative ones too) give silver.
[[nodiscard]] ToolbarSchemeColors fixedSchemeColors(int scheme);

// The automatic scheme: blue under the style name "NormalColor", olive under "HomeStead", silver
// otherwise or when the desktop is not themed. Names compare exactly, case included.
[[nodiscard]] ToolbarSchemeColors systemSchemeColors(bool themed, const QString& themeName);

// The palette ThemeColor picks: 5 follows the desktop (themed, themeName), any other a fixed
// scheme.
[[nodiscard]] ToolbarSchemeColors schemeColors(int scheme, bool themed, const QString& themeName);

} // namespace toolbar
