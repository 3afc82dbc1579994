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

// A text advert's line above the advert page: the strip grows by it, the tab strip gives the room,
// and the page keeps its whole height below the line.
TEST(MainLayout, TextAdvertLineSitsAboveTheAdvertPage) {
    FrameInput in;
    in.scaleWidth = 19200;
    in.scaleHeight = 12000;
    in.outerWidth = 19320;
    in.textAdHeight = 300;
    const FramePlan p = placeFrame(in);
    EXPECT_EQ(p.maintab.height, 12000 - 300 - 915 - 300 - 435);
    EXPECT_EQ(p.yymz, (TwipRect{0, p.newsOle.top + 300, 19200, 915 + 300}));
    EXPECT_EQ(p.yymz.top + p.yymz.height, 12000);
    EXPECT_EQ(p.web7, (TwipRect{-15, 300, 19200, 915}));
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

TEST(BoardColumns, EveryColumnHoldsItsWidestTextAndTheLongestName) {
    // A font where a Chinese character is 12 pixels wide and everything else 6.
    const auto width = [](const QString& text) {
        int w = 0;
        for (const QChar ch : text)
            w += ch.unicode() >= 0x2E80 ? 12 : 6;
        return w;
    };
    const QStringList heads = {"市场名称", "现价", "涨跌", "涨幅%", "最高", "最低",
                               "今开",     "昨收", "震幅", "其它",  "上次涨跌", "卖出"};
    struct Case {
        QStringList names;
        int nameWidth; // the widest name, or the seven-character minimum
    };
    const Case cases[] = {
        {{"美原油", "黄金T+D"}, 7 * 12},
        {{"人民币账户黄金", "美元指数"}, 7 * 12},
        {{"人民币账户钯金现货", "美原油"}, 9 * 12},
        {{}, 7 * 12},
    };
    for (const Case& c : cases) {
        const BoardColumns columns = boardColumns(width, heads, c.names);
        EXPECT_EQ(columns.left[0], kBoardFirstLeft);
        EXPECT_EQ(columns.width[0], c.nameWidth + kBoardColumnGap) << c.names.join(',').toStdString();
        for (int k = 0; k < 12; ++k) {
            EXPECT_GE(columns.width[k], width(heads[k]) + kBoardColumnGap) << k;
            if (k > 0) {
                EXPECT_EQ(columns.left[k], columns.left[k - 1] + columns.width[k - 1]) << k;
            }
        }
        EXPECT_EQ(columns.right(), columns.left[11] + columns.width[11]);
    }
    // The texts the cells show fit their columns with the gap to spare.
    const BoardColumns columns = boardColumns(width, heads, {});
    const std::pair<int, const char*> texts[] = {{1, "12306.123"}, {2, "-153.00"}, {2, "-0.0200"}, {3, "+12.34%"},
                                                 {8, "0.0050"},    {9, "-19.00"},  {10, "↓0.0125"}, {11, "3931.61"}};
    for (const auto& [column, text] : texts)
        EXPECT_LE(width(QString::fromUtf8(text)) + kBoardColumnGap, columns.width[column]) << text;
}

TEST(NormalPlacement, TheDesignSizeWithinTheWorkAreaWithRoomForTheFrame) {
    const QSize design(1280, 800);
    const QSize minimum(640, 480);
    struct Case {
        QRect workArea;
        QRect placed;
    };
    const Case cases[] = {
        {{0, 0, 1920, 1080}, {320, 140, 1280, 800}},      // room to spare: centred
        {{0, 0, 1280, 778}, {24, 24, 1232, 730}},         // a 1280 x 800 screen less a panel
        {{0, 30, 1024, 738}, {24, 54, 976, 690}},         // a panel at the top
        {{1920, 0, 1280, 1024}, {1920 + 24, 112, 1232, 800}}, // a second screen to the right
        {{0, 0, 600, 400}, {0, 0, 640, 480}},             // smaller than the minimum
    };
    for (const Case& c : cases) {
        const QRect placed = normalPlacement(design, c.workArea, minimum);
        EXPECT_EQ(placed, c.placed) << c.workArea.width() << 'x' << c.workArea.height();
        if (c.workArea.width() >= minimum.width() + kFrameAllowance) {
            EXPECT_GE(placed.top() - c.workArea.top(), kFrameAllowance / 2) << "room for the title bar";
        }
    }
}
