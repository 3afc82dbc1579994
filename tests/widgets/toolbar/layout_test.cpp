#include "platform/fonts.h"
#include "widgets/toolbar/flattoolbar.h"
#include "widgets/toolbar/mainbar.h"
#include "widgets/toolbar/toolbarlayout.h"

#include <QFontMetrics>

#include <gtest/gtest.h>

using namespace toolbar;

namespace {

QImage anIcon(int size = 16) {
    QImage icon(size, size, QImage::Format_ARGB32);
    icon.fill(Qt::red);
    return icon;
}

// Captions measured as the design's font measured them: 11 pixels a CJK character, 4 a blank,
// 7 anything else, 13 high.
TextSize designMeasure(const QString& text, const QFont&) {
    if (text.isEmpty()) return {};
    int width = 0;
    for (QChar c : text)
        width += c == QLatin1Char(' ') ? 4 : c.unicode() >= 0x2E80 ? 11 : 7;
    return {width, 13};
}

ToolbarButton makeButton(const QString& caption, bool icon, int alignment = AlignIconLeft,
                         int style = StyleNormal, int type = TypeButton) {
    ToolbarButton b;
    b.Caption = caption;
    if (icon) b.Icon = anIcon();
    b.Alignment = alignment;
    b.Style = style;
    b.Type = type;
    return b;
}

TEST(ToolbarButtonSize, ByIconCaptionAlignmentAndStyle) {
    const TextSize text{40, 13};
    const struct {
        bool icon;
        bool caption;
        int alignment;
        int style;
        int iconSize;
        QSize size;
    } cases[] = {
        {false, false, AlignIconLeft, StyleNormal, 16, {24, 24}},
        {false, false, AlignIconAbove, StyleNormal, 32, {24, 24}},
        {false, true, AlignIconAbove, StyleNormal, 16, {48, 21}},
        {true, false, AlignIconLeft, StyleNormal, 16, {24, 24}},
        {true, false, AlignIconLeft, StyleNormal, 32, {40, 40}},
        {true, true, AlignIconAbove, StyleNormal, 16, {48, 42}},
        {true, true, AlignIconBelow, StyleNormal, 48, {56, 74}},
        {true, true, AlignIconLeft, StyleNormal, 16, {68, 24}},
        {true, true, AlignIconRight, StyleNormal, 16, {68, 24}},
        {true, true, AlignIconLeft, StyleNormal, 8, {60, 21}},
        {true, true, 7, StyleNormal, 16, {68, 24}}, // beyond the four alignments: side by side
        {true, true, AlignIconLeft, StyleDropDown, 16, {81, 24}},
        {false, false, AlignIconLeft, StyleDropDown, 16, {37, 24}},
        {true, true, AlignIconLeft, StyleCheck, 16, {68, 24}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(buttonSize(c.icon, c.caption, c.caption ? text : TextSize{}, c.iconSize,
                             c.alignment, c.style),
                  c.size)
            << "icon " << c.icon << " caption " << c.caption << " alignment " << c.alignment
            << " style " << c.style << " size " << c.iconSize;
    }
}

TEST(ToolbarLayout, ButtonsStandTwoPixelsApartAndSeparatorsAreThin) {
    std::vector<ToolbarButton> buttons(1);
    buttons.push_back(makeButton({}, false));
    buttons.push_back(makeButton(QStringLiteral("a caption that is ignored"), true, AlignIconLeft,
                                 StyleNormal, TypeSeparator));
    buttons.push_back(makeButton(QStringLiteral("行情"), true, AlignIconLeft, StyleDropDown));
    const LayoutTotals totals = calculateLayout(buttons, 1, designMeasure);

    EXPECT_EQ(buttonRect(buttons[1]), QRect(2, 2, 24, 24));
    EXPECT_EQ(buttons[1].RHeight, 29 - 4 - 1);
    EXPECT_EQ(buttonRect(buttons[2]), QRect(28, 4, 2, 20));
    EXPECT_EQ(buttons[2].RHeight, 20);
    EXPECT_EQ(buttonRect(buttons[3]), QRect(32, 2, 22 + 16 + 12 + 13, 24));
    EXPECT_EQ(totals.widthTwips, 15 * (32 + 63 + 2 + kGripperWidth + kChevronWidth));
    EXPECT_EQ(totals.heightTwips, 435);
}

TEST(ToolbarLayout, ATallButtonRaisesTheBarAndTheSeparatorsFollow) {
    std::vector<ToolbarButton> buttons(1);
    buttons.push_back(makeButton({}, false, AlignIconLeft, StyleNormal, TypeSeparator));
    buttons.push_back(makeButton(QStringLiteral("计算"), true, AlignIconAbove));
    const LayoutTotals totals = calculateLayout(buttons, 1, designMeasure);

    EXPECT_EQ(buttons[2].Height, 13 + 16 + 13);
    EXPECT_EQ(barHeight(buttons), 42 + 5);
    EXPECT_EQ(totals.heightTwips, 15 * 47);
    EXPECT_EQ(buttons[1].Height, 47 - 9);
    EXPECT_EQ(buttons[2].RHeight, 47 - 5);
}

TEST(ToolbarLayout, StartingLaterKeepsTheEarlierButtonsAndAStartBelowOneMeansOne) {
    std::vector<ToolbarButton> buttons(1);
    for (int i = 0; i < 3; ++i)
        buttons.push_back(makeButton(QStringLiteral("仓位"), false));
    calculateLayout(buttons, 1, designMeasure);
    buttons[1].Left = 100;
    calculateLayout(buttons, 2, designMeasure);
    EXPECT_EQ(buttons[1].Left, 100);
    EXPECT_EQ(buttons[2].Left, 100 + 30 + 2);
    calculateLayout(buttons, -5, designMeasure);
    EXPECT_EQ(buttons[1].Left, 2);
    EXPECT_EQ(buttons[3].Left, 2 + 2 * 32);
}

TEST(ToolbarLayout, AnEmptyBarIsItsGripperAndChevron) {
    std::vector<ToolbarButton> buttons(1);
    EXPECT_EQ(calculateLayout(buttons, 1).widthTwips, 15 * (2 + kGripperWidth + kChevronWidth));
    std::vector<ToolbarButton> none;
    EXPECT_EQ(calculateLayout(none, 1).heightTwips, 435);
}

TEST(ToolbarLayout, DesignPositionsOfMainBarFollowFromTheDesignFontsMetrics) {
    FlatToolbar bar;
    bar.readProperties(mainBarDesign());
    std::vector<ToolbarButton> buttons(1);
    for (int i = 1; i <= bar.ButtonCount(); ++i) {
        ToolbarButton b;
        b.Caption = bar.BtnCaption(i);
        b.Icon = bar.BtnIcon(i);
        b.IconSize = bar.BtnIconSize(i);
        buttons.push_back(b);
    }
    calculateLayout(buttons, 1, designMeasure);
    const int lefts[] = {2, 62, 152, 242, 317, 422, 542};
    const int widths[] = {58, 88, 88, 73, 103, 118, 88};
    for (int i = 1; i <= 7; ++i) {
        EXPECT_EQ(buttons[i].Left, lefts[i - 1]) << "button " << i;
        EXPECT_EQ(buttons[i].Width, widths[i - 1]) << "button " << i;
        EXPECT_EQ(buttons[i].Top, 2);
        EXPECT_EQ(buttons[i].Height, 24);
    }
}

TEST(ToolbarLayout, MainBarWithThisDesktopsFonts) {
    platform::registerFontSubstitutions();
    FlatToolbar bar;
    bar.readProperties(mainBarDesign());
    ASSERT_EQ(bar.ButtonCount(), 7);
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSizeF(8.25);
    font.setStyleStrategy(QFont::NoAntialias);
    const QFontMetrics metrics(font);
    ASSERT_LE(metrics.height(), 16) << "captions lower than the icons keep the design height";

    int left = 2;
    for (int i = 1; i <= 7; ++i) {
        const int captionWidth = metrics.horizontalAdvance(bar.BtnCaption(i));
        EXPECT_EQ(bar.BtnLeft(i), left) << "button " << i;
        EXPECT_EQ(bar.BtnWidth(i), captionWidth + 16 + 12) << "button " << i;
        EXPECT_EQ(bar.BtnTop(i), 2);
        EXPECT_EQ(bar.btnHeight(i), 24);
        left += bar.BtnWidth(i) + 2;
    }
    EXPECT_EQ(bar.height(), 29);
    EXPECT_EQ(bar.totalHeightTwips(), 435);
    EXPECT_EQ(bar.totalWidthTwips(), 15 * (left + kGripperWidth + kChevronWidth));
}

TEST(ToolbarLayout, FittingButtonsAndHits) {
    std::vector<ToolbarButton> buttons(1);
    for (int i = 0; i < 3; ++i)
        buttons.push_back(makeButton({}, false)); // 24 wide at 2, 28, 54
    calculateLayout(buttons, 1);
    const struct {
        int stripWidth;
        int fitting;
    } fits[] = {{0, 0}, {25, 0}, {26, 1}, {77, 2}, {78, 3}, {500, 3}};
    for (const auto& f : fits)
        EXPECT_EQ(fittingButtonCount(buttons, f.stripWidth), f.fitting) << f.stripWidth;

    const struct {
        QPoint point;
        int shown;
        int hit;
    } hits[] = {{{2, 2}, 3, 1},   {{25, 25}, 3, 1}, {{26, 10}, 3, 0}, {{27, 10}, 3, 0},
                {{28, 10}, 3, 2}, {{60, 10}, 3, 3}, {{60, 10}, 2, 0}, {{10, 1}, 3, 0},
                {{10, 26}, 3, 0}, {{-1, 10}, 3, 0}};
    for (const auto& h : hits)
        EXPECT_EQ(buttonAt(buttons, h.shown, h.point), h.hit)
            << h.point.x() << "," << h.point.y() << " of " << h.shown;
}

TEST(ToolbarLayout, ContentPlacementByAlignment) {
    ToolbarButton b = makeButton(QStringLiteral("行情"), true);
    b.Left = 10;
    b.Top = 2;
    const TextSize text{22, 13};
    const struct {
        int alignment;
        int style;
        QRect icon;
        QRect caption;
        QRect arrow;
    } cases[] = {
        {AlignIconLeft, StyleNormal, {14, 6, 16, 16}, {34, 7, 22, 13}, {}},
        {AlignIconRight, StyleNormal, {40, 6, 16, 16}, {14, 7, 22, 13}, {}},
        {AlignIconAbove, StyleNormal, {17, 6, 16, 16}, {14, 27, 22, 13}, {}},
        {AlignIconBelow, StyleNormal, {17, 24, 16, 16}, {14, 6, 22, 13}, {}},
        {AlignIconLeft, StyleDropDown, {14, 6, 16, 16}, {34, 7, 22, 13}, {60, 2, 13, 24}},
    };
    for (const auto& c : cases) {
        b.Alignment = c.alignment;
        b.Style = c.style;
        const QSize size = buttonSize(true, true, text, 16, c.alignment, c.style);
        b.Width = size.width();
        b.Height = size.height();
        const ButtonContent content = placeContent(b, text);
        EXPECT_EQ(content.icon, c.icon) << "alignment " << c.alignment;
        EXPECT_EQ(content.caption, c.caption) << "alignment " << c.alignment;
        EXPECT_EQ(content.arrow, c.arrow) << "alignment " << c.alignment;
    }

    b.Icon = QImage();
    b.Style = StyleNormal;
    b.Width = 30;
    b.Height = 21;
    const ButtonContent textOnly = placeContent(b, text);
    EXPECT_TRUE(textOnly.icon.isNull());
    EXPECT_EQ(textOnly.caption, QRect(14, 6, 22, 13));
}

TEST(ToolbarLayout, HotAndInputRules) {
    EXPECT_EQ(hotState(StateNormal), StateHot);
    EXPECT_EQ(hotState(StatePressed), StateHotChecked);
    EXPECT_EQ(hotState(StateChecked), StateHotChecked);
    EXPECT_EQ(hotState(StateDisabled), StateDisabled);

    ToolbarButton b;
    b.Enabled = false; // Enabled is kept, not obeyed: State decides
    EXPECT_TRUE(takesInput(b));
    b.State = StateDisabled;
    EXPECT_FALSE(takesInput(b));
    b.State = StateNormal;
    b.Type = TypeSeparator;
    EXPECT_FALSE(takesInput(b));
}

TEST(ToolbarPopupLayout, ItemsStackAndOnlyChoosableOnesAreHit) {
    const std::vector<PopupItem> items = {
        {PopupItem::Button, 4, QStringLiteral("仓位计算器"), true, false},
        {PopupItem::Button, 5, QStringLiteral("交易"), false, false},
        {PopupItem::Separator, 0, {}, false, false},
        {PopupItem::Scheme, 0, QStringLiteral("蓝色"), true, true},
    };
    const PopupLayout layout = layoutPopup(items, QFont(), designMeasure);
    ASSERT_EQ(layout.rects.size(), items.size());
    EXPECT_EQ(layout.rects[0], QRect(1, 1, layout.size.width() - 2, kPopupItemHeight));
    EXPECT_EQ(layout.rects[2].height(), kPopupSeparatorHeight);
    EXPECT_EQ(layout.rects[3].top(), 1 + 2 * kPopupItemHeight + kPopupSeparatorHeight);
    EXPECT_EQ(layout.size.height(), 1 + 3 * kPopupItemHeight + kPopupSeparatorHeight + 1);
    EXPECT_GE(layout.size.width(), kPopupIconColumn + 55);

    EXPECT_EQ(popupItemAt(items, layout, layout.rects[0].center()), 0);
    EXPECT_EQ(popupItemAt(items, layout, layout.rects[1].center()), -1); // disabled
    EXPECT_EQ(popupItemAt(items, layout, layout.rects[2].center()), -1); // separator
    EXPECT_EQ(popupItemAt(items, layout, layout.rects[3].center()), 3);
    EXPECT_EQ(popupItemAt(items, layout, QPoint(0, 0)), -1);
}

} // namespace
