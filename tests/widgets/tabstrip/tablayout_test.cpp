#include "widgets/tabstrip/tablayout.h"

#include "platform/colors.h"
#include "widgets/toolbar/themecolors.h"

#include <gtest/gtest.h>

using namespace tabstrip;

namespace {

LayoutInput strip(int width, std::vector<int> captions, int selected = 1) {
    LayoutInput in;
    in.area = {0, 0, width, 100};
    for (int w : captions)
        in.tabs.push_back({w, false});
    in.selected = selected;
    return in;
}

} // namespace

TEST(TabLayout, ClientRectangleByAlignmentAndCaptionBar) {
    struct Case {
        const char* name;
        int align;
        bool showTabs;
        bool pinnable;
        Rect client;
        Rect captionBar;
    } cases[] = {
        {"top band", 0, true, false, {1, 24, 199, 99}, {}},
        {"bottom band", 1, true, false, {1, 1, 199, 76}, {}},
        {"no tabs", 0, false, false, {0, 0, 200, 100}, {}},
        {"caption bar below the top band", 0, true, true, {1, 44, 199, 99}, {1, 24, 199, 44}},
        {"caption bar above the client", 1, true, true, {1, 21, 199, 76}, {1, 1, 199, 21}},
    };
    for (const Case& c : cases) {
        LayoutInput in = strip(200, {});
        in.tabAlign = c.align;
        in.showTabs = c.showTabs;
        in.pinnable = c.pinnable;
        const LayoutResult out = layoutStrip(in);
        EXPECT_EQ(out.client, c.client) << c.name;
        EXPECT_EQ(out.captionBar, c.captionBar) << c.name;
    }
}

TEST(TabLayout, TabsAreMeasuredSideBySideAlongTheBand) {
    LayoutInput in = strip(400, {30, 10, 20});
    in.tabs[1].hasIcon = true;
    in.icon = QSize(16, 16);
    in.tabAlign = 0;
    const LayoutResult top = layoutStrip(in);
    // first at band left + 2 = 3; widths caption + 16, with an icon + 16 + 4 more
    EXPECT_EQ(top.laidOut[0], (Rect{3, 2, 49, 24}));
    EXPECT_EQ(top.laidOut[1], (Rect{49, 2, 95, 24}));
    EXPECT_EQ(top.laidOut[2], (Rect{95, 2, 131, 24}));
    in.tabAlign = 1;
    const LayoutResult bottom = layoutStrip(in);
    EXPECT_EQ(bottom.band, (Rect{1, 76, 399, 100}));
    EXPECT_EQ(bottom.laidOut[0], (Rect{3, 76, 49, 98}));
    EXPECT_EQ(bottom.paintedCount, 3);
    EXPECT_FALSE(bottom.squeezed);
}

TEST(TabLayout, WithoutScrollingTooManyTabsAreSqueezedToOneWidth) {
    struct Case {
        int width;
        bool close;
        bool squeezed;
        int tabWidth;
    } cases[] = {
        {400, true, false, 66}, // three tabs of 50 + 16 fit
        {150, true, true, 43},  // E = 149 - 16 = 133; (133 - 4) \ 3
        {150, false, true, 48}, // E = 149; (149 - 4) \ 3
    };
    for (const Case& c : cases) {
        LayoutInput in = strip(c.width, {50, 50, 50});
        in.allowScroll = false;
        in.showCloseButton = c.close;
        in.scrollOffset = 40; // no offset without scrolling
        const LayoutResult out = layoutStrip(in);
        EXPECT_EQ(out.squeezed, c.squeezed) << c.width;
        EXPECT_EQ(out.scrollOffset, 0);
        for (size_t i = 0; i < 3; ++i) {
            EXPECT_EQ(out.laidOut[i].width(), c.tabWidth) << c.width << " tab " << i;
            EXPECT_EQ(out.laidOut[i].left, 3 + static_cast<int>(i) * c.tabWidth);
        }
        EXPECT_TRUE(out.scrollLeft.width() == 0 && out.scrollRight.width() == 0);
        EXPECT_EQ(out.close.width() > 0, c.close);
    }
}

TEST(TabLayout, SelectingAHiddenTabScrollsItToSixteenFromTheLeft) {
    // Ten tabs of 60 (caption 44 + 16) from x = 3 in a 300-wide control.
    std::vector<int> captions(10, 44);
    struct Case {
        const char* name;
        int selected;
        int lastShown;
        int offsetBefore;
        int offsetAfter;
    } cases[] = {
        {"visible tab: no change", 2, 0, 0, 0},
        {"hidden on the right", 8, 0, 0, 352},           // 423 - 16 passes the last tab's need
        {"same selection as last shown", 8, 8, 100, 100}, // only a new selection scrolls
        {"hidden on the left", 3, 0, 400, 123 - 16},
        {"snaps to zero at 16 or less", 1, 0, 400, 0},     // 3 - 16 < 16
        {"tab 2 gives 47", 2, 0, 400, 47},                 // 63 - 16 = 47
    };
    for (const Case& c : cases) {
        LayoutInput in = strip(300, captions, c.selected);
        in.lastShownSelection = c.lastShown;
        in.scrollOffset = c.offsetBefore;
        const LayoutResult out = layoutStrip(in);
        EXPECT_EQ(out.scrollOffset, c.offsetAfter) << c.name;
        EXPECT_EQ(out.lastShownSelection, c.selected) << c.name;
        EXPECT_EQ(out.painted[static_cast<size_t>(c.selected - 1)].left,
                  out.laidOut[static_cast<size_t>(c.selected - 1)].left - c.offsetAfter);
    }
    // A tab scrolled into view on the right sits 16 pixels from the left, unless that would scroll
    // further than the last tab needs.
    LayoutInput in = strip(300, captions, 5);
    EXPECT_EQ(layoutStrip(in).painted[4].left, 16);
    in.selected = 8;
    EXPECT_EQ(layoutStrip(in).painted[9].right, layoutStrip(in).available);
}

TEST(TabLayout, TheOffsetNeverPassesWhatTheLastTabNeeds) {
    // Eleven tabs of 92 (caption 76 + 16) from x = 3 end at 1015.
    const std::vector<int> captions(11, 76);
    struct Case {
        const char* name;
        int width;
        int lastShown; // 11: the selection was shown before, only the width changed
        int offsetBefore;
        int offsetAfter;
    } cases[] = {
        {"grown from 300 to 1280: everything fits", 1280, 11, 727, 0},
        {"grown to 1024: only what the last tab needs", 1024, 11, 727, 1015 - 975},
        {"tab 11 newly selected at 1024", 1024, 0, 0, 1015 - 975},
        {"a negative offset", 1280, 11, -30, 0},
    };
    for (const Case& c : cases) {
        LayoutInput in = strip(c.width, captions, 11);
        in.lastShownSelection = c.lastShown;
        in.scrollOffset = c.offsetBefore;
        const LayoutResult out = layoutStrip(in);
        EXPECT_EQ(out.scrollOffset, c.offsetAfter) << c.name;
        EXPECT_EQ(out.scrollLeftEnabled, c.offsetAfter > 0) << c.name;
        EXPECT_LE(out.painted.back().right, out.available) << c.name;
        EXPECT_EQ(out.paintedCount, 11) << c.name;
    }
}

TEST(TabLayout, ScrollButtonsStepByTabsWithinTheUsefulRange) {
    std::vector<int> captions(10, 44);
    LayoutInput in = strip(300, captions, 1);
    in.showCloseButton = true;
    LayoutResult out = layoutStrip(in);
    // E = 299 - 16 (close) - 32 (two scroll buttons) = 251; tabs end at 603.
    EXPECT_EQ(out.available, 251);
    EXPECT_EQ(out.maxScrollOffset, 603 - 251);
    EXPECT_FALSE(out.scrollLeftEnabled);
    EXPECT_TRUE(out.scrollRightEnabled);
    EXPECT_EQ(out.scrollLeft, (Rect{251, 3, 267, 19}));
    EXPECT_EQ(out.scrollRight, (Rect{267, 3, 283, 19}));
    EXPECT_EQ(out.close, (Rect{283, 3, 299, 19}));
    EXPECT_EQ(out.paintedCount, 5); // tab 5 starts at 243, tab 6 at 303 > E

    EXPECT_EQ(scrollRightOffset(out), 60);
    in.scrollOffset = 60;
    in.lastShownSelection = 1;
    out = layoutStrip(in);
    EXPECT_TRUE(out.scrollLeftEnabled);
    EXPECT_EQ(scrollLeftOffset(out), 0);
    in.scrollOffset = 340;
    out = layoutStrip(in);
    EXPECT_EQ(scrollRightOffset(out), 352); // the next tab start would pass the end
    EXPECT_EQ(scrollLeftOffset(out), 300);
    in.scrollOffset = 352;
    out = layoutStrip(in);
    EXPECT_FALSE(out.scrollRightEnabled);
    EXPECT_EQ(scrollRightOffset(out), 352);
}

TEST(TabLayout, PinnableControlsHaveNoStripCloseButton) {
    LayoutInput in = strip(300, {10});
    in.pinnable = true;
    in.showCloseButton = true;
    const LayoutResult out = layoutStrip(in);
    EXPECT_EQ(out.close.width(), 0);
    EXPECT_EQ(out.available, 299 - 32);
}

TEST(TabLayout, HitTests) {
    LayoutInput in = strip(300, std::vector<int>(10, 44), 1);
    const LayoutResult out = layoutStrip(in);
    struct Case {
        QPoint pt;
        int tab;
        StripButton button;
    } cases[] = {
        {{3, 10}, 1, NoButton},    {{62, 10}, 1, NoButton},   {{63, 10}, 2, NoButton},
        {{3, 1}, 0, NoButton},     {{260, 10}, 0, ScrollLeftButton}, {{290, 10}, 0, CloseButton},
        {{270, 10}, 0, ScrollRightButton}, {{100, 50}, 0, NoButton}, {{250, 10}, 5, NoButton},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(hitTab(out, c.pt), c.tab) << c.pt.x() << "," << c.pt.y();
        EXPECT_EQ(hitStripButton(out, c.pt), c.button) << c.pt.x() << "," << c.pt.y();
    }
}

TEST(TabLayout, CaptionButtonsAndCollapsedStrip) {
    const CaptionButtons b = captionButtons({1, 24, 199, 44}, 16);
    EXPECT_EQ(b.close, (Rect{181, 26, 197, 42}));
    EXPECT_EQ(b.pin, (Rect{165, 26, 181, 42}));

    const auto rects = layoutCollapsed(24, {{30, false}, {10, true}}, QSize(16, 16));
    ASSERT_EQ(rects.size(), 2u);
    EXPECT_EQ(rects[0], (Rect{2, 2, 22, 48}));
    EXPECT_EQ(rects[1], (Rect{2, 48, 22, 94}));
    EXPECT_EQ(hitCollapsed(rects, {10, 50}), 2);
    EXPECT_EQ(hitCollapsed(rects, {10, 95}), 0);
}

TEST(TabLayout, SlidOutPanelHidesOnlyWhenLeftAlone) {
    const Rect window{100, 100, 300, 400};
    struct Case {
        QPoint cursor;
        bool left, closePressed, pinPressed, hide;
    } cases[] = {
        {{50, 50}, false, false, false, true},   {{150, 150}, false, false, false, false},
        {{50, 50}, true, false, false, false},   {{50, 50}, false, true, false, false},
        {{50, 50}, false, false, true, false},   {{300, 150}, false, false, false, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(slideOutShouldHide(window, c.cursor, c.left, c.closePressed, c.pinPressed), c.hide);
}

TEST(TabLayout, BlendColorMixesTranslatedColours) {
    using platform::OleColor;
    struct Case {
        OleColor a, b;
        int alpha;
        OleColor mixed;
    } cases[] = {
        {0xFFFFFF, 0x000000, 255, 0xFFFFFF},
        {0xFFFFFF, 0x000000, 0, 0x000000},
        {0xFFFFFF, 0x000000, 150, 0x969696},
        {0x0000FF, 0xFF0000, 100, 0x9B0064}, // red 255*100/255 = 100, blue 255*155/255 = 155
        {0x8000000F, 0xFFFFFF, 255, platform::GetSysColor(platform::COLOR_BTNFACE)},
        {0x00000A, 0x00000B, 128, 0x00000A}, // 10 * 128/255 + 11 * 127/255 = 10.498
    };
    for (const Case& c : cases)
        EXPECT_EQ(BlendColor(c.a, c.b, c.alpha), c.mixed) << std::hex << c.a << " " << c.b << " " << c.alpha;
}

TEST(TabLayout, DrawnStylesUseTheToolbarsSilverScheme) {
    const Palette p = GetGradientColors();
    const toolbar::ToolbarSchemeColors silver = toolbar::fixedSchemeColors(toolbar::SchemeSilver);
    EXPECT_EQ(p.border, silver.borderColor);
    EXPECT_EQ(p.light, silver.gradTop);
    EXPECT_EQ(p.light2, silver.gradBottom);
    EXPECT_EQ(p.border, 0x947C7Cu);
    EXPECT_EQ(p.light, 0xFBF4F4u);
}
