#pragma once

#include <QRect>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <optional>

// The main window's placement arithmetic, in twips as single-precision numbers, apart from the
// widgets: the window feeds in the sizes it has and applies the rectangles it gets back.

struct TwipRect {
    float left = 0;
    float top = 0;
    float width = 0;
    float height = 0;
    bool operator==(const TwipRect&) const = default;
};

// Design sizes the layout reads but no rule fixes; chosen to look right from the 640 x 480
// minimum up to 1280 x 800 and beyond.
namespace MainDesign {
inline constexpr float kMinWidth = 9600;       // the window's minimum outer size
inline constexpr float kMinHeight = 7200;
inline constexpr float kMainBarHeight = 435;   // 29 px
inline constexpr float kNewsOleHeight = 300;   // ticker strip, 20 px
inline constexpr float kYymzHeight = 915;      // advert strip (61 px) unless the configuration sizes it
inline constexpr float kFrWidth = 3600;        // right column, 240 px
inline constexpr float kFrame1Height = 4500;   // upper block of the right column
inline constexpr float kBoardHeadHeight = 420; // head row of the quote board
inline constexpr float kVScrollWidth = 255;    // 17 px
inline constexpr float kFrame4Width = 7800;    // K-line option bar
inline constexpr float kFrame4Height = 420;
inline constexpr float kWeb5InfoHeight = 300;  // head line of the bookkeeping tab
inline constexpr float kInfoOleHeight = 300;   // notice strip of the intraday tab
} // namespace MainDesign

// The frame of the window: toolbar, tab strip, ticker, advert strip, board viewport, right column.
struct FrameInput {
    float scaleWidth = 0;  // inner size
    float scaleHeight = 0;
    float outerWidth = 0;  // outer width (the ticker spans it)
    float mainBarHeight = MainDesign::kMainBarHeight;
    float newsOleHeight = MainDesign::kNewsOleHeight;
    float yymzHeight = MainDesign::kYymzHeight;
    // The text advert's line, when one is shown: the strip grows by it and its web pane starts
    // below it, so the line hides none of the page.
    float textAdHeight = 0;
    float frWidth = MainDesign::kFrWidth;
    float frame1Top = 0;
    float frame1Height = MainDesign::kFrame1Height;
    float mainViewLeft = 0; // the board's viewport, the panel of tab 1
    float mainViewWidth = 0;
    float mainViewHeight = 0;
    float oleMoveHeight = 0; // all rows of the board
    float vscrollWidth = MainDesign::kVScrollWidth;
    float twipsY = 15;
};

struct FramePlan {
    TwipRect maintab;
    TwipRect newsOle;
    TwipRect yymz;
    TwipRect web7;
    TwipRect oleMoveOle;
    TwipRect vscroll;
    bool vscrollVisible = false;
    int vscrollMax = 0;
    TwipRect mainBar;
    TwipRect fr;
    TwipRect yydo;
};
[[nodiscard]] FramePlan placeFrame(const FrameInput& in);

// Number of intraday panes from the three pane boxes: the four-pane box wins.
[[nodiscard]] int intradayPaneCount(bool twoTicked, bool threeTicked, bool fourTicked);

// The panes of the current tab inside its panel of width W and height H.
struct PaneInput {
    int curTab = -1;
    float W = 0;
    float H = 0;
    int intradayPanes = 1;
    float frame4Width = MainDesign::kFrame4Width;
    float frame4Height = MainDesign::kFrame4Height;
    float web5InfoHeight = MainDesign::kWeb5InfoHeight;
};

struct PanePlan {
    std::optional<TwipRect> chart1, chart2, chart3, chart4;
    std::optional<TwipRect> frame4, klines;
    std::optional<TwipRect> bblist, plList, web0, web4, web5info, web5, web6;
};
[[nodiscard]] PanePlan placePanes(const PaneInput& in);

// The browser tab's address bar: buttons at top 135 from the right edge, the address box up to
// the first button, the browser below.
struct AddressBarInput {
    float miniWebWidth = 0;
    float miniWebHeight = 0;
    float mwtoWidth = 0;
    float gobackWidth = 0;
    float toBbsWidth = 0;
    float buttonHeight = 0; // the three buttons keep their heights
    float mwurlLeft = 0;
    float mwurlHeight = 0;
    float web2Top = 0;
};
struct AddressBarPlan {
    TwipRect mwto, toBbs, goback, mwurl, web2;
};
[[nodiscard]] AddressBarPlan placeAddressBar(const AddressBarInput& in);

// The right-hand quote list's drag: the new top, or nullopt when the proposal would pull the list
// past either edge of its viewport (it is dropped, not clamped).
[[nodiscard]] std::optional<float> framesDragTop(float framesTop, float pointerY, float dragY,
                                                 float framesHeight, float viewportHeight);

// The board rows' top for a scroll position, in 32 bits so long boards never overflow.
[[nodiscard]] int32_t boardTopForScroll(int32_t scrollValue);

// The window is below its minimum size.
[[nodiscard]] bool belowMinimumSize(float outerWidth, float outerHeight);

// The quote board's twelve columns in pixels of the board's font (heads "市场名称" .. "卖出"):
// each column as wide as the widest of its head and the texts it shows (prices of five digits and
// three decimals, signed changes, the move arrow), plus a gap; the name column as wide as the
// longest name of the market, and never narrower than seven characters, as a bank's board names
// its instruments. So no text is cut and no two columns touch.
inline constexpr int kBoardFirstLeft = 8;
inline constexpr int kBoardColumnGap = 10;
struct BoardColumns {
    std::array<int, 12> left{};
    std::array<int, 12> width{};
    [[nodiscard]] int right() const { return left[11] + width[11]; }
};
[[nodiscard]] BoardColumns boardColumns(const std::function<int(const QString&)>& textWidth,
                                        const QStringList& heads, const QStringList& names);

// The window's place when it is neither maximised nor minimised: its design size, made smaller
// where the work area is smaller (keeping room for the window manager's frame, so the title bar
// never ends above the screen), never below the minimum, centred in the work area.
inline constexpr int kFrameAllowance = 48; // pixels of title bar and borders
[[nodiscard]] QRect normalPlacement(QSize design, const QRect& workArea, QSize minimum);
