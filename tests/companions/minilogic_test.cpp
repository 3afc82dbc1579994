#include "companions/minilogic.h"

#include <gtest/gtest.h>

namespace {

TEST(MiniSkinTest, TableGivesPiecesKeysAndTextLeft) {
    struct Case {
        float dols;
        bool known;
        const char16_t* key;
        int left, middle, right;
        int textLeft; // from a wText of 123 before
    };
    const Case cases[] = {
        {0, true, u"fenghong", 9, 10, 11, 780},
        {1, true, u"lianghuang", 18, 17, 16, 780},
        {2, true, u"danglang", 24, 23, 22, 780},
        {3, true, u"luse", 30, 29, 28, 780},
        {4, true, u"zise", 36, 35, 34, 780},
        {5, true, u"hongse", 42, 41, 40, 780},
        {6, true, u"", 0, 1, 2, 45},
        {7, true, u"", 3, 4, 5, 45},
        {8, false, u"", 0, 0, 0, 123},
        {-1, false, u"", 0, 0, 0, 123},
        {2.5f, false, u"", 0, 0, 0, 123},
    };
    for (const Case& c : cases) {
        const auto pieces = mini::skinPieces(c.dols);
        ASSERT_EQ(pieces.has_value(), c.known) << c.dols;
        EXPECT_EQ(mini::textLeftAfterSkin(c.dols, 123), c.textLeft) << c.dols;
        if (!pieces)
            continue;
        EXPECT_EQ(pieces->key, QString::fromUtf16(c.key)) << c.dols;
        EXPECT_EQ(pieces->left, c.left) << c.dols;
        EXPECT_EQ(pieces->middle, c.middle) << c.dols;
        EXPECT_EQ(pieces->right, c.right) << c.dols;
    }
}

TEST(MiniSkinTest, PieceSizesGivePanelHeights) {
    struct Case {
        float dols;
        QSize left, middle, right;
    };
    const Case cases[] = {
        {0, {137, 40}, {119, 40}, {2, 40}}, {3, {137, 40}, {119, 40}, {2, 40}},
        {5, {137, 40}, {119, 40}, {2, 40}}, {6, {3, 28}, {5, 28}, {5, 28}},
        {7, {3, 28}, {5, 28}, {5, 28}},
    };
    for (const Case& c : cases) {
        const auto pieces = mini::skinPieces(c.dols);
        ASSERT_TRUE(pieces);
        EXPECT_EQ(mini::pieceSize(pieces->left), c.left) << c.dols;
        EXPECT_EQ(mini::pieceSize(pieces->middle), c.middle) << c.dols;
        EXPECT_EQ(mini::pieceSize(pieces->right), c.right) << c.dols;
    }
    // Frames are 420 twips high, the named skins 600; unused store elements have no picture.
    EXPECT_EQ(mini::pieceSize(0).height() * 15, 420);
    EXPECT_EQ(mini::pieceSize(9).height() * 15, 600);
    for (int unused : {6, 7, 8, 12, 15, 19, 43})
        EXPECT_TRUE(mini::pieceSize(unused).isEmpty()) << unused;
}

TEST(MiniCaptionTest, ChangeLabelStates) {
    struct Case {
        bool dayChange;
        int16_t showt;
        const char16_t* showsmt;
        bool changes;
        const char16_t* caption;
        const char16_t* tip; // nullptr: tip left alone
        uint32_t color;
    };
    const Case cases[] = {
        {false, 0, u"1.20", true, u"－0.00", u"持平", 0xFFFFFF},
        {false, 1, u"1.20", true, u"↑1.20", u"上涨", 0xFF},
        {false, 2, u"-0.50", true, u"↓-0.50", u"下跌", 0xC000},
        {false, 3, u"1.20", false, u"", nullptr, 0},
        {false, -1, u"1.20", false, u"", nullptr, 0},
        {true, 2, u"+1.20", true, u"↑+1.20", nullptr, 0xFF},
        {true, 1, u"-0.30", true, u"↓-0.30", nullptr, 0xC000},
        {true, 0, u"", true, u"↑", nullptr, 0xFF},      // empty counts as 0
        {true, 7, u"0", true, u"↑0", nullptr, 0xFF},
        {true, 0, u"abc", true, u"↑abc", nullptr, 0xFF}, // no leading number: 0
    };
    for (const Case& c : cases) {
        const auto label = mini::changeLabel(c.dayChange, c.showt, QString::fromUtf16(c.showsmt));
        const std::string name = QString::fromUtf16(c.showsmt).toStdString() + " " + std::to_string(c.showt);
        ASSERT_EQ(label.has_value(), c.changes) << name;
        if (!label)
            continue;
        EXPECT_EQ(label->caption, QString::fromUtf16(c.caption)) << name;
        EXPECT_EQ(label->tip.has_value(), c.tip != nullptr) << name;
        if (c.tip != nullptr && label->tip) {
            EXPECT_EQ(*label->tip, QString::fromUtf16(c.tip)) << name;
        }
        EXPECT_EQ(label->color, c.color) << name;
    }
}

TEST(MiniCaptionTest, PositionLineFitsOnlyUnderTwiceThePriceHeight) {
    struct Case {
        bool show;
        int labels, panel;
        bool fits;
    };
    const Case cases[] = {
        {true, 240, 600, true}, {true, 209, 420, true}, {true, 210, 420, false},
        {true, 240, 420, false}, {false, 100, 600, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(mini::positionLineFits(c.show, c.labels, c.panel), c.fits) << c.labels << "/" << c.panel;
}

TEST(MiniCaptionTest, WidthRule) {
    // wText 780 and a right piece of 30 twips throughout.
    struct Case {
        const char* name;
        int window;
        bool cw;
        int cws, labels, ups;
        int width;
    };
    const Case cases[] = {
        {"price wider than the line", 500, false, 900, 1500, 600, 2910},
        {"line wider than the price", 5000, false, 3000, 1500, 600, 3810},
        {"tie takes the price sum", 100, false, 2100, 1500, 600, 2910},
        {"visible line widens a narrow window, price wider", 100, true, 900, 1500, 600, 2910},
        {"visible line widens a narrow window, line wider", 100, true, 3000, 1500, 600, 3810},
        {"visible line: a wider window shrinks to the larger need", 6000, true, 900, 1500, 600, 2910},
        {"shrinks even with a hidden line", 6000, false, 900, 1500, 600, 2910},
    };
    for (const Case& c : cases) {
        mini::WidthParts p;
        p.windowWidth = c.window;
        p.cwVisible = c.cw;
        p.wText = 780;
        p.cwsWidth = c.cws;
        p.back2Width = 30;
        p.labelsWidth = c.labels;
        p.upsWidth = c.ups;
        EXPECT_EQ(mini::captionWidth(p), c.width) << c.name;
    }
}

TEST(MiniListTest, RowTexts) {
    struct Case {
        const char16_t* name;
        float price, change;
        const char16_t* text;
    };
    const Case cases[] = {
        {u"ABC", 372.5f, 1.2f, u"ABC：372.5 涨跌：+1.20"},
        {u"白银", 3.42f, -0.5f, u"白银：3.42 涨跌：-0.50"},
        {u"黄金", 380.0f, 0.0f, u"黄金：380 涨跌：0"},
        {u"美元指数", 99.875f, 0.125f, u"美元指数：99.875 涨跌：+0.13"},
        {u"", 0.0f, -0.004f, u"：0 涨跌：-0.00"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(mini::rowText(QString::fromUtf16(c.name), c.price, c.change), QString::fromUtf16(c.text));
}

TEST(MiniListTest, HeightsAndRowTops) {
    EXPECT_EQ(mini::windowHeight(600, 0, 330), 600);
    EXPECT_EQ(mini::windowHeight(600, 3, 330), 600 + 990);
    EXPECT_EQ(mini::windowHeight(420, 1, 330), 750);
    const int tops[] = {600, 930, 1260};
    for (int r = 0; r < 3; ++r)
        EXPECT_EQ(mini::rowTop(600, r, 330), tops[r]);
    EXPECT_EQ(mini::rowFontSize(true), 11);
    EXPECT_EQ(mini::rowFontSize(false), 10);
}

constexpr int kScreen = 19200; // 1280 pixels

TEST(MiniDockTest, HideMeCases) {
    struct Case {
        const char* name;
        int left, top, width, height;
        bool noEdgeHide;
        int newLeft, newTop;
        bool docked;
    };
    const Case cases[] = {
        {"right edge exactly 90 short", kScreen - 90 - 3000, 3000, 3000, 900, false, kScreen - 45, 3000, true},
        {"right edge 91 short stays", kScreen - 91 - 3000, 3000, 3000, 900, false, kScreen - 91 - 3000, 3000, false},
        {"beyond the right edge", kScreen - 1000, 3000, 3000, 900, false, kScreen - 45, 3000, true},
        {"top at 90", 3000, 90, 3000, 900, false, 3000, 45 - 900, true},
        {"top above the screen", 3000, -200, 3000, 900, false, 3000, 45 - 900, true},
        {"top at 91 stays", 3000, 91, 3000, 900, false, 3000, 91, false},
        {"right wins over top", kScreen - 3000, 0, 3000, 900, false, kScreen - 45, 0, true},
        {"left edge never docks", 0, 5000, 3000, 900, false, 0, 5000, false},
        {"bottom edge never docks", 3000, 11000, 3000, 900, false, 3000, 11000, false},
        {"switched off", kScreen - 3000, 0, 3000, 900, true, kScreen - 3000, 0, false},
    };
    for (const Case& c : cases) {
        mini::Dock d{c.left, c.top, c.width, c.height, false, true};
        mini::HideMe(d, kScreen, c.noEdgeHide);
        EXPECT_EQ(d.left, c.newLeft) << c.name;
        EXPECT_EQ(d.top, c.newTop) << c.name;
        EXPECT_EQ(d.Ishide, c.docked) << c.name;
        EXPECT_EQ(d.timerOn, !c.docked) << c.name;
    }
}

TEST(MiniDockTest, ShowMeBringsBackFlush) {
    struct Case {
        const char* name;
        int left, top;
        int newLeft, newTop;
    };
    const Case cases[] = {
        {"docked right", kScreen - 45, 3000, kScreen - 3000, 3000},
        {"docked top", 3000, 45 - 900, 3000, 0},
        {"docked at both: right first", kScreen - 45, -500, kScreen - 3000, -500},
        {"on screen stays", 3000, 3000, 3000, 3000},
    };
    for (const Case& c : cases) {
        mini::Dock d{c.left, c.top, 3000, 900, true, false};
        mini::ShowMe(d, kScreen);
        EXPECT_EQ(d.left, c.newLeft) << c.name;
        EXPECT_EQ(d.top, c.newTop) << c.name;
        EXPECT_FALSE(d.Ishide) << c.name;
        EXPECT_TRUE(d.timerOn) << c.name;
    }
}

TEST(MiniDockTest, AWiderWindowStaysInTheWorkArea) {
    struct Case {
        const char* name;
        int left, width;
        bool hidden;
        int areaLeft, areaRight;
        int newLeft;
    };
    const Case cases[] = {
        {"fits where it is", 3000, 4000, false, 0, kScreen, 3000},
        {"grown past the right edge moves left", kScreen - 3000, 4500, false, 0, kScreen,
         kScreen - 4500},
        {"a panel on the right narrows the area", kScreen - 5000, 4500, false, 0, kScreen - 600,
         kScreen - 5100},
        {"wider than the area starts at its left", 200, kScreen + 900, false, 300, kScreen, 300},
        {"left of the area comes in", -700, 3000, false, 0, kScreen, 0},
        {"docked behind the right edge stays docked", kScreen - 45, 4500, true, 0, kScreen,
         kScreen - 45},
        {"docked at the top still keeps within", kScreen - 2000, 4500, true, 0, kScreen,
         kScreen - 4500},
    };
    for (const Case& c : cases) {
        const mini::Dock d{c.left, -400, c.width, 900, c.hidden, !c.hidden};
        EXPECT_EQ(mini::leftWithin(d, c.areaLeft, c.areaRight, kScreen), c.newLeft) << c.name;
    }
}

TEST(MiniDockTest, TickDocksOnlyWithTheCursorOutside) {
    const QRect rect(1000, 0, 200, 60); // right 1200, bottom 60 as the window's rectangle
    struct Case {
        const char* name;
        QPoint cursor;
        bool timerAfter;
        bool docked;
    };
    const Case cases[] = {
        {"inside", {1100, 30}, true, false},
        {"on the right coordinate", {1200, 30}, true, false},
        {"on the bottom coordinate", {1100, 60}, true, false},
        {"on the left and top", {1000, 0}, true, false},
        {"one past the right", {1201, 30}, false, true},
        {"one below", {1100, 61}, false, true},
        {"left of it", {999, 30}, false, true},
    };
    for (const Case& c : cases) {
        // Window in twips at the top edge, away from the right one.
        mini::Dock d{15000, 0, 3000, 900, false, true};
        mini::tick(d, rect, c.cursor, kScreen, false);
        EXPECT_EQ(d.timerOn, c.timerAfter) << c.name;
        EXPECT_EQ(d.Ishide, c.docked) << c.name;
    }
    // Outside but away from every edge: the timer stops, nothing docks (shown, idle).
    mini::Dock idle{5000, 5000, 3000, 900, false, true};
    mini::tick(idle, rect, {0, 700}, kScreen, false);
    EXPECT_FALSE(idle.timerOn);
    EXPECT_FALSE(idle.Ishide);
    EXPECT_EQ(idle.left, 5000);
    // A stopped timer does nothing.
    mini::Dock stopped{15000, 0, 3000, 900, false, false};
    mini::tick(stopped, rect, {0, 700}, kScreen, false);
    EXPECT_FALSE(stopped.Ishide);
}

} // namespace
