#include "mainwindow/layout.h"

#include <gtest/gtest.h>

#include <ostream>

inline std::ostream& operator<<(std::ostream& os, const TwipRect& r) {
    return os << '(' << r.left << ", " << r.top << ", " << r.width << ", " << r.height << ')';
}

namespace {
PaneInput panes(int tab, float W, float H) {
    PaneInput in;
    in.curTab = tab;
    in.W = W;
    in.H = H;
    return in;
}
} // namespace

TEST(MainLayout, FrameAt1280x800AndAtTheMinimum) {
    struct Case {
        float width, height; // inner size in twips
    };
    for (const Case c : {Case{19200, 12000}, Case{9600, 7200}}) {
        FrameInput in;
        in.scaleWidth = c.width;
        in.scaleHeight = c.height;
        in.outerWidth = c.width + 120;
        in.mainViewWidth = c.width - 3600;
        in.mainViewHeight = 5000;
        const FramePlan p = placeFrame(in);
        EXPECT_EQ(p.mainBar, (TwipRect{0, 0, c.width - 3600, 435}));
        EXPECT_EQ(p.maintab, (TwipRect{0, 435, c.width - 3600, c.height - 300 - 915 - 435}));
        EXPECT_EQ(p.newsOle.top, p.maintab.top + p.maintab.height);
        EXPECT_EQ(p.newsOle.width, c.width + 120 + 150);
        EXPECT_EQ(p.yymz, (TwipRect{0, p.newsOle.top + 300, c.width, 915}));
        EXPECT_EQ(p.yymz.top + p.yymz.height, c.height) << "the strips fill the window to its bottom";
        EXPECT_EQ(p.web7, (TwipRect{-15, 0, c.width, 915}));
        EXPECT_EQ(p.fr, (TwipRect{c.width - 3600 + 15, 0, 3600, 435 + p.maintab.height}));
        EXPECT_EQ(p.yydo, (TwipRect{0, 4500, 3600, p.fr.height - 4500}));
    }
}

TEST(MainLayout, BoardScrollBar) {
    struct Case {
        float rows, viewport;
        bool visible;
        int max;
    };
    const Case cases[] = {
        {6000, 5000, true, 14},   // 1000 taller: (1000 + 420) / 100
        {5000, 5000, false, 50},  // fits: the bar hides, its range is the viewport's
        {1200, 5000, false, 50},
        {5001, 5000, true, 4},
    };
    for (const Case& c : cases) {
        FrameInput in;
        in.scaleWidth = 19200;
        in.scaleHeight = 12000;
        in.mainViewWidth = 15600;
        in.mainViewHeight = c.viewport;
        in.oleMoveHeight = c.rows;
        const FramePlan p = placeFrame(in);
        EXPECT_EQ(p.vscrollVisible, c.visible) << c.rows;
        EXPECT_EQ(p.vscrollMax, c.max) << c.rows;
        EXPECT_EQ(p.vscroll, (TwipRect{15600 - 255 - 30, 0, 255, c.viewport}));
        EXPECT_EQ(p.oleMoveOle, (TwipRect{0, 420, 15600, c.viewport}));
    }
}

TEST(MainLayout, IntradayPanes) {
    EXPECT_EQ(intradayPaneCount(true, true, true), 4);
    EXPECT_EQ(intradayPaneCount(true, true, false), 3);
    EXPECT_EQ(intradayPaneCount(false, false, true), 4);
    EXPECT_EQ(intradayPaneCount(true, false, false), 2);
    EXPECT_EQ(intradayPaneCount(false, false, false), 1);

    const float W = 12000, H = 8000;
    PaneInput in = panes(2, W, H);
    in.intradayPanes = 1;
    PanePlan p = placePanes(in);
    EXPECT_EQ(*p.chart1, (TwipRect{0, 0, W, H}));
    EXPECT_FALSE(p.chart2);

    in.intradayPanes = 2;
    p = placePanes(in);
    EXPECT_EQ(*p.chart1, (TwipRect{0, 0, W, 4030}));
    EXPECT_EQ(*p.chart2, (TwipRect{0, 4000, W, 4000}));
    EXPECT_FALSE(p.chart3);

    in.intradayPanes = 3;
    p = placePanes(in);
    EXPECT_EQ(*p.chart2, (TwipRect{0, 4000, W / 2, 4000}));
    EXPECT_EQ(*p.chart3, (TwipRect{W / 2, 4000, W / 2, 4000}));
    EXPECT_FALSE(p.chart4);

    in.intradayPanes = 4;
    p = placePanes(in);
    EXPECT_EQ(*p.chart1, (TwipRect{0, 0, W / 2, 4030}));
    EXPECT_EQ(*p.chart2, (TwipRect{W / 2, 0, W / 2, 4000}));
    EXPECT_EQ(*p.chart3, (TwipRect{0, 4000, W / 2, 4000}));
    EXPECT_EQ(*p.chart4, (TwipRect{W / 2, 4000, W / 2, 4000}));
}

TEST(MainLayout, PanesOfTheOtherTabs) {
    const float W = 12000, H = 9000;
    struct Case {
        int tab;
        std::optional<TwipRect> PanePlan::*pane;
        TwipRect expected;
    };
    const Case cases[] = {
        {3, &PanePlan::frame4, {W / 2 - 3900, 0, 7800, 420}},
        {3, &PanePlan::klines, {0, 420, W, H - 420}},
        {4, &PanePlan::bblist, {0, 0, W, 3000}},
        {4, &PanePlan::web0, {-15, 3000, W + 30, 6000}},
        {5, &PanePlan::plList, {0, 0, W, 3000}},
        {6, &PanePlan::web4, {-15, 0, W + 30, H}},
        {7, &PanePlan::web5info, {0, 0, W, 300}},
        {7, &PanePlan::web5, {0, 300, W, H - 300}},
        {8, &PanePlan::web6, {0, 0, W, H}},
        {9, &PanePlan::web0, {0, 0, W, H}},
        {10, &PanePlan::web0, {0, 0, W, H}},
    };
    for (const Case& c : cases) {
        const PanePlan p = placePanes(panes(c.tab, W, H));
        ASSERT_TRUE((p.*c.pane).has_value()) << "tab " << c.tab;
        EXPECT_EQ(*(p.*c.pane), c.expected) << "tab " << c.tab;
    }
    for (int tab : {1, 11, -1, 12}) {
        const PanePlan p = placePanes(panes(tab, W, H));
        EXPECT_FALSE(p.chart1 || p.web0 || p.web4 || p.klines) << "tab " << tab;
    }
}

TEST(MainLayout, AddressBar) {
    AddressBarInput in;
    in.miniWebWidth = 12000;
    in.miniWebHeight = 9000;
    in.mwtoWidth = 900;
    in.gobackWidth = 900;
    in.toBbsWidth = 900;
    in.buttonHeight = 330;
    in.mwurlLeft = 600;
    in.mwurlHeight = 300;
    in.web2Top = 540;
    const AddressBarPlan p = placeAddressBar(in);
    EXPECT_EQ(p.toBbs, (TwipRect{12000 - 900 - 60, 135, 900, 330}));
    EXPECT_EQ(p.goback, (TwipRect{12000 - 1800 - 60, 135, 900, 330}));
    EXPECT_EQ(p.mwto, (TwipRect{12000 - 900 - 105 - 1800, 135, 900, 330}));
    EXPECT_EQ(p.mwurl, (TwipRect{600, 150, p.mwto.left - 600, 300}));
    EXPECT_EQ(p.web2, (TwipRect{0, 540, 12000, 8460}));
}

TEST(MainLayout, QuoteListDragNeverPassesAnEdge) {
    struct Case {
        float top, y, dragY;
        std::optional<float> result;
    };
    // The list is 6000 high in a 4000 viewport: its top may lie in -2000..0.
    const Case cases[] = {
        {0, 100, 300, -200.0f}, {-1500, 0, 500, -2000.0f}, {-1500, 0, 501, std::nullopt},
        {0, 301, 300, std::nullopt}, {-100, 400, 300, 0.0f},
    };
    for (const Case& c : cases)
        EXPECT_EQ(framesDragTop(c.top, c.y, c.dragY, 6000, 4000), c.result) << c.top << " " << c.y;
    EXPECT_EQ(framesDragTop(0, 10, 0, 3000, 4000), std::nullopt) << "a list shorter than its viewport stays";
}

TEST(MainLayout, ScrollAndMinimum) {
    EXPECT_EQ(boardTopForScroll(3), -300);
    EXPECT_EQ(boardTopForScroll(400), -40000) << "no 16-bit overflow past 327";
    EXPECT_FALSE(belowMinimumSize(9600, 7200));
    EXPECT_TRUE(belowMinimumSize(9599, 9000));
    EXPECT_TRUE(belowMinimumSize(12000, 7000));
}
