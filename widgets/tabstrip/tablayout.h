#pragma once

#include "platform/colors.h"
#include "platform/gdi.h"

#include <QPoint>
#include <QSize>

#include <vector>

// Geometry of the docking tab strip as plain functions: where the frame, the band of tabs, each
// tab, the strip buttons, the caption bar and the client area lie for a given state. The widget
// measures captions, calls these and paints what they give.
namespace tabstrip {

using platform::gdi::Rect;

// Sizes fixed at initialisation.
inline constexpr int kTabBandHeight = 24;
inline constexpr int kButtonWidth = 16;
inline constexpr int kCaptionBarHeight = 20;
inline constexpr int kCollapsedStripWidth = 24;
inline constexpr int kDefaultUnpinnedWidth = 192;
// Selecting a tab that is out of view scrolls it to this distance from the band's left; a
// smaller offset than this is no offset at all.
inline constexpr int kScrollSnap = 16;

// Strip buttons.
enum StripButton : int { NoButton = 0, ScrollLeftButton = 1, ScrollRightButton = 2, CloseButton = 3 };

struct TabMeasure {
    int captionWidth = 0; // single line, in the font the tab is drawn with
    bool hasIcon = false; // IconIndex >= 0 while an image list is bound
};

struct LayoutInput {
    Rect area; // the control's client area
    bool showTabs = true;
    bool allowScroll = true;
    bool showCloseButton = true;
    bool pinnable = false;
    bool pinned = true;
    int tabAlign = 0; // 1: band along the bottom; anything else: along the top
    int bandHeight = kTabBandHeight;
    int buttonWidth = kButtonWidth;
    int captionBarHeight = kCaptionBarHeight;
    QSize icon; // size of one image of the bound image list
    std::vector<TabMeasure> tabs;
    int selected = 0; // 1-based, 0 = none
    int lastShownSelection = 0;
    int scrollOffset = 0;
};

struct LayoutResult {
    Rect client;     // area offered to the panels
    Rect captionBar; // empty unless the control is pinnable and pinned
    Rect band;       // the band of tabs (empty when tabs are not shown)
    int available = 0; // right edge tabs may reach (E)
    bool squeezed = false;
    int scrollOffset = 0;
    int lastShownSelection = 0;
    int maxScrollOffset = 0;
    // Tab rectangles as laid out, and as painted (shifted left by the scroll offset).
    std::vector<Rect> laidOut;
    std::vector<Rect> painted;
    int paintedCount = 0; // tabs 1..paintedCount are painted; later ones lie beyond the right end
    Rect buttonArea;
    Rect scrollLeft, scrollRight, close; // empty when the button is not shown
    bool scrollLeftEnabled = false;
    bool scrollRightEnabled = false;
};

// The whole layout for one paint. The scroll offset and the last shown selection come back
// updated (a newly selected tab out of view is scrolled to kScrollSnap from the left).
[[nodiscard]] LayoutResult layoutStrip(const LayoutInput& in);

// Tab under a point, 1-based among the painted tabs, 0 for none.
[[nodiscard]] int hitTab(const LayoutResult& layout, QPoint pt);
// Strip button under a point.
[[nodiscard]] StripButton hitStripButton(const LayoutResult& layout, QPoint pt);

// Scrolling by one step: a step goes to the start of the next (or previous) tab, so a tab
// comes to rest at the band's left; right never passes the largest useful offset (the last
// tab's right at the right end), left never goes below 0.
[[nodiscard]] int scrollLeftOffset(const LayoutResult& layout);
[[nodiscard]] int scrollRightOffset(const LayoutResult& layout);

// Close and pin buttons of the caption bar, at its right end (close outermost).
struct CaptionButtons {
    Rect close;
    Rect pin;
};
[[nodiscard]] CaptionButtons captionButtons(const Rect& captionBar, int buttonWidth);

// The collapsed strip shown while the control is unpinned: tabs stacked from the top, captions
// running downwards; each tab is as long as its caption plus 16, plus the icon and 4.
[[nodiscard]] std::vector<Rect> layoutCollapsed(int stripWidth, const std::vector<TabMeasure>& tabs, QSize icon);
[[nodiscard]] int hitCollapsed(const std::vector<Rect>& rects, QPoint pt);

// Whether a slid-out panel should hide: only while neither caption button is pressed and the
// left button is up, when the cursor is outside the control's window.
[[nodiscard]] bool slideOutShouldHide(const Rect& window, QPoint cursor, bool leftButtonDown, bool closePressed,
                                      bool pinPressed);

// A mix of two colours: per channel A * alpha / 255 + B * (255 - alpha) / 255, the sum rounded
// to the nearest whole number (halves to even). System colours are translated first.
[[nodiscard]] platform::OleColor BlendColor(platform::OleColor a, platform::OleColor b, int alpha);

// The five palette colours of the drawn styles.
struct Palette {
    platform::OleColor light = 0;
    platform::OleColor light2 = 0;
    platform::OleColor colour3 = 0;
    platform::OleColor colour4 = 0;
    platform::OleColor border = 0;
};
// The palette for a drawing style other than 0: the desktop's colour scheme, which on this
// platform is always the silver one the toolbar uses.
[[nodiscard]] Palette GetGradientColors();

} // namespace tabstrip
