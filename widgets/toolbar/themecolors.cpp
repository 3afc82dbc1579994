#include "widgets/toolbar/themecolors.h"

namespace toolbar {

using platform::rgb;

namespace {

// Every recomputation writes these first, so a switch away from beige restores them.
void setWarmHighlights(ToolbarSchemeColors& c) {
    c.popHiColor1 = rgb(255, 238, 194);
    c.popHiColor2 = rgb(255, 128, 62);
    c.popHiColor3 = rgb(255, 192, 111);
    c.hiColor1 = rgb(255, 207, 142);
    c.hiColor2 = rgb(255, 245, 206);
    c.hiColor3 = rgb(254, 145, 78);
    c.hiColor4 = rgb(254, 211, 142);
    c.chevronHotColor2 = rgb(255, 244, 204);
    c.chevronHotColor1 = rgb(255, 197, 125);
    c.chevronDownColor2 = rgb(255, 154, 87);
    c.chevronDownColor1 = rgb(255, 212, 144);
}

void setBlueHighlights(ToolbarSchemeColors& c) {
    const auto light = rgb(191, 209, 239);
    const auto deep = rgb(149, 179, 228);
    c.hiColor1 = c.hiColor2 = c.chevronHotColor2 = c.chevronHotColor1 = c.popHiColor1 = light;
    c.hiColor3 = c.hiColor4 = c.chevronDownColor2 = c.chevronDownColor1 = c.popHiColor2 =
        c.popHiColor3 = deep;
}

void setSix(ToolbarSchemeColors& c, platform::OleColor gradBottom, platform::OleColor gradTop,
            platform::OleColor border, platform::OleColor dark, platform::OleColor chevron1,
            platform::OleColor chevron2) {
    c.gradBottom = gradBottom;
    c.gradTop = gradTop;
    c.borderColor = border;
    c.darkColor = dark;
    c.chevronColor1 = chevron1;
    c.chevronColor2 = chevron2;
}

void setBlue(ToolbarSchemeColors& c) {
    setSix(c, rgb(129, 169, 226), rgb(221, 236, 254), rgb(59, 97, 156), rgb(0, 45, 150),
           rgb(118, 167, 241), rgb(0, 53, 145));
}
void setSilver(ToolbarSchemeColors& c) {
    setSix(c, rgb(153, 151, 180), rgb(244, 244, 251), rgb(124, 124, 148), rgb(75, 75, 111),
           rgb(180, 179, 200), rgb(118, 116, 146));
}
void setOlive(ToolbarSchemeColors& c) {
    setSix(c, rgb(181, 197, 143), rgb(247, 249, 225), rgb(96, 128, 88), rgb(63, 93, 56),
           rgb(177, 195, 141), rgb(96, 119, 107));
}
void setBeige(ToolbarSchemeColors& c) {
    setSix(c, rgb(194, 194, 171), rgb(248, 248, 242), rgb(145, 145, 115), rgb(49, 106, 197),
           rgb(208, 208, 198), rgb(148, 148, 119));
}
void setGold(ToolbarSchemeColors& c) {
    setSix(c, rgb(217, 172, 1), rgb(255, 239, 165), rgb(117, 91, 30), rgb(117, 91, 30),
           rgb(245, 179, 90), rgb(117, 91, 30));
}

} // namespace

ToolbarSchemeColors fixedSchemeColors(int scheme) {
    ToolbarSchemeColors c;
    setWarmHighlights(c);
    switch (scheme) {
    case SchemeBlue:
        setBlue(c);
        break;
    case SchemeOlive:
        setOlive(c);
        break;
    case SchemeBeige:
        setBeige(c);
        setBlueHighlights(c);
        break;
    case SchemeGold:
        setGold(c);
        break;
    default:
        setSilver(c);
        break;
    }
    return c;
}

ToolbarSchemeColors systemSchemeColors(bool themed, const QString& themeName) {
    ToolbarSchemeColors c;
    setWarmHighlights(c);
    if (themed && themeName == QLatin1String("NormalColor"))
        setBlue(c);
    else if (themed && themeName == QLatin1String("HomeStead"))
        setOlive(c);
    else
        setSilver(c);
    return c;
}

ToolbarSchemeColors schemeColors(int scheme, bool themed, const QString& themeName) {
    return scheme == SchemeAutomatic ? systemSchemeColors(themed, themeName)
                                     : fixedSchemeColors(scheme);
}

} // namespace toolbar
