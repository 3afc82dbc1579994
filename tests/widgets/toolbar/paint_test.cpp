#include "platform/fonts.h"
#include "platform/gdi.h"
#include "widgets/toolbar/toolbarpaint.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

using namespace toolbar;
using platform::OleColor;
using platform::gdi::pixel;

namespace {

const ToolbarSchemeColors kBlue = fixedSchemeColors(SchemeBlue);

int32_t rgbOf(OleColor c) {
    return static_cast<int32_t>(c);
}

TEST(ToolbarStripBackground, GradientFromTopToBottomColourAboveTheBorderLine) {
    const QImage strip = makeStripBackground(40, 29, kBlue);
    ASSERT_EQ(strip.size(), QSize(40, 29));
    for (int x : {0, 39}) {
        EXPECT_EQ(pixel(strip, x, 0), rgbOf(kBlue.gradTop));
        EXPECT_EQ(pixel(strip, x, 28), rgbOf(kBlue.borderColor));
    }
    // Row 27 of 0 .. 28 steps from 221, 236, 254 to 129, 169, 226: each channel start + step * 27.
    const auto channel = [](int from, int to) {
        return static_cast<int>(std::nearbyint(from + (to - from) / 28.0f * 27));
    };
    EXPECT_EQ(pixel(strip, 5, 27),
              rgbOf(platform::rgb(channel(221, 129), channel(236, 169), channel(254, 226))));
}

TEST(ToolbarStripBackground, TinyAndEmptyStripsDoNotFail) {
    EXPECT_TRUE(makeStripBackground(0, 29, kBlue).isNull());
    EXPECT_TRUE(makeStripBackground(10, 0, kBlue).isNull());
    const QImage one = makeStripBackground(3, 1, kBlue);
    EXPECT_EQ(pixel(one, 0, 0), rgbOf(kBlue.borderColor));
    const QImage two = makeStripBackground(3, 2, kBlue);
    EXPECT_EQ(pixel(two, 0, 0), rgbOf(kBlue.gradTop));
}

class ToolbarButtonLooks : public ::testing::Test {
protected:
    void SetUp() override {
        platform::registerFontSubstitutions();
        button.Caption = QStringLiteral("行情");
        button.Left = 10;
        button.Top = 2;
        std::vector<ToolbarButton> one{ToolbarButton{}, button};
        calculateLayout(one, 1);
        one[1].Left = 10;
        button = one[1];
    }
    QImage draw(int state) const {
        QImage strip = makeStripBackground(120, 29, kBlue);
        paintButton(strip, button, state, kBlue);
        return strip;
    }
    ToolbarButton button;
};

TEST_F(ToolbarButtonLooks, FaceOutlineAndFillByState) {
    const QImage plain = makeStripBackground(120, 29, kBlue);
    const int right = button.Left + button.Width - 1;
    const int bottom = button.Top + button.Height - 1;
    const struct {
        int state;
        bool outlined;
        OleColor top;
        OleColor bottom;
    } cases[] = {
        {StateHot, true, kBlue.hiColor2, kBlue.hiColor1},
        {StatePressed, true, kBlue.hiColor3, kBlue.hiColor4},
        {StateHotChecked, true, kBlue.hiColor4, kBlue.hiColor3},
        {StateChecked, true, kBlue.popHiColor3, kBlue.popHiColor3},
        {StateNormal, false, 0, 0},
        {StateDisabled, false, 0, 0},
    };
    for (const auto& c : cases) {
        const QImage face = draw(c.state);
        if (c.outlined) {
            for (QPoint corner : {QPoint(button.Left, button.Top), QPoint(right, bottom)})
                EXPECT_EQ(pixel(face, corner.x(), corner.y()), rgbOf(kBlue.darkColor)) << c.state;
            EXPECT_EQ(pixel(face, button.Left + 1, button.Top + 1), rgbOf(c.top)) << c.state;
            EXPECT_EQ(pixel(face, right - 1, bottom - 1), rgbOf(c.bottom)) << c.state;
        } else {
            EXPECT_EQ(pixel(face, button.Left, button.Top), pixel(plain, button.Left, button.Top))
                << c.state;
            EXPECT_EQ(pixel(face, right - 1, bottom - 1), pixel(plain, right - 1, bottom - 1))
                << c.state;
        }
        EXPECT_EQ(pixel(face, right + 1, bottom), pixel(plain, right + 1, bottom))
            << "outside, state " << c.state;
    }
}

// Colours of the caption's pixels inside the button.
std::set<int32_t> captionInk(const QImage& face, const QImage& plain, const ToolbarButton& b) {
    std::set<int32_t> inks;
    for (int y = b.Top + 1; y < b.Top + b.Height - 1; ++y)
        for (int x = b.Left + 1; x < b.Left + b.Width - 1; ++x)
            if (pixel(face, x, y) != pixel(plain, x, y)) inks.insert(pixel(face, x, y));
    return inks;
}

TEST_F(ToolbarButtonLooks, CaptionInItsColourAndGreyWhenDisabled) {
    const QImage plain = makeStripBackground(120, 29, kBlue);
    button.ForeColor = 0x0000C0;
    EXPECT_EQ(captionInk(draw(StateNormal), plain, button), std::set<int32_t>{0x0000C0});
    EXPECT_EQ(captionInk(draw(StateDisabled), plain, button),
              std::set<int32_t>{platform::OleColorToRgb(0x80000011)});
    button.ForeColor = kWindowTextColor;
    EXPECT_EQ(captionInk(draw(StateNormal), plain, button),
              std::set<int32_t>{platform::OleColorToRgb(kWindowTextColor)});
}

TEST_F(ToolbarButtonLooks, DropDownPartHasItsArrowAndASplitWhenHot) {
    button.Style = StyleDropDown;
    button.Width += kDropDownWidth;
    const QRect arrow = placeContent(button, measureCaption(button.Caption, button.Font)).arrow;
    const QImage normal = draw(StateNormal);
    const QImage hot = draw(StateHot);
    const int midY = arrow.top() + arrow.height() / 2 - 1;
    EXPECT_EQ(pixel(normal, arrow.left() + 6, midY),
              rgbOf(platform::OleColorToRgb(kWindowTextColor)));
    EXPECT_EQ(pixel(normal, arrow.left() + 6, midY + 2),
              rgbOf(platform::OleColorToRgb(kWindowTextColor)));
    EXPECT_NE(pixel(normal, arrow.left() + 6, midY + 3),
              rgbOf(platform::OleColorToRgb(kWindowTextColor)));
    EXPECT_NE(pixel(normal, arrow.left(), arrow.top() + 3), rgbOf(kBlue.darkColor));
    EXPECT_EQ(pixel(hot, arrow.left(), arrow.top() + 3), rgbOf(kBlue.darkColor));
}

TEST_F(ToolbarButtonLooks, SeparatorIsADarkAndALightLine) {
    ToolbarButton sep;
    sep.Type = TypeSeparator;
    std::vector<ToolbarButton> bar{ToolbarButton{}, sep};
    calculateLayout(bar, 1);
    QImage strip = makeStripBackground(20, 29, kBlue);
    paintButton(strip, bar[1], StateHot, kBlue);
    EXPECT_EQ(pixel(strip, 2, 4), rgbOf(kBlue.borderColor));
    EXPECT_EQ(pixel(strip, 2, 4 + 19), rgbOf(kBlue.borderColor));
    EXPECT_NE(pixel(strip, 2, 4 + 20), rgbOf(kBlue.borderColor)); // the line leaves out its end
    EXPECT_EQ(pixel(strip, 3, 5), 0xFFFFFF);
    EXPECT_NE(pixel(strip, 2, 3), rgbOf(kBlue.borderColor));
}

TEST(ToolbarIcons, MaskColourIsTransparentAndDisabledIconsAreGrey) {
    ToolbarButton b;
    QImage icon(4, 4, QImage::Format_RGB32);
    icon.fill(qRgb(255, 0, 255));
    icon.setPixel(1, 1, qRgb(200, 40, 40));
    b.Icon = icon;

    const QImage masked = iconPicture(b, 4, false);
    EXPECT_EQ(qAlpha(masked.pixel(0, 0)), 0);
    EXPECT_EQ(masked.pixel(1, 1), qRgb(200, 40, 40));

    b.UseMaskColor = false;
    EXPECT_EQ(iconPicture(b, 4, false).pixel(0, 0), qRgb(255, 0, 255));

    b.UseMaskColor = true;
    const QRgb grey = iconPicture(b, 4, true).pixel(1, 1);
    EXPECT_EQ(qRed(grey), qGreen(grey));
    EXPECT_EQ(qGreen(grey), qBlue(grey));
    EXPECT_GT(qRed(grey), (200 + 40 + 40) / 3); // lighter than the plain grey

    EXPECT_EQ(iconPicture(b, 16, false).size(), QSize(16, 16));
    EXPECT_TRUE(iconPicture(b, 0, false).isNull());
    EXPECT_TRUE(iconPicture(ToolbarButton{}, 16, false).isNull());
}

TEST(ToolbarIcons, IconIsDrawnOverTheFaceInItsPlace) {
    ToolbarButton b;
    QImage icon(16, 16, QImage::Format_RGB32);
    icon.fill(qRgb(255, 0, 255));
    icon.setPixel(0, 0, qRgb(10, 200, 30));
    b.Icon = icon;
    std::vector<ToolbarButton> bar{ToolbarButton{}, b};
    calculateLayout(bar, 1);
    QImage strip = makeStripBackground(40, 29, kBlue);
    paintButton(strip, bar[1], StateHot, kBlue);
    // A 24 x 24 button at (2, 2) with the icon 4 pixels in.
    EXPECT_EQ(pixel(strip, 6, 6), rgbOf(platform::rgb(10, 200, 30)));
    EXPECT_EQ(pixel(strip, 7, 6), pixel(strip, 8, 6)); // the mask shows the face through
}

TEST(ToolbarParts, GripperDotsAndChevronLooks) {
    QImage gripper = makeStripBackground(kGripperWidth, 29, kBlue);
    paintGripper(gripper, kBlue);
    EXPECT_EQ(pixel(gripper, 3, 4), rgbOf(kBlue.darkColor));
    EXPECT_EQ(pixel(gripper, 4, 5), rgbOf(kBlue.darkColor));
    EXPECT_EQ(pixel(gripper, 5, 6), 0xFFFFFF);
    EXPECT_EQ(pixel(gripper, 3, 6), pixel(makeStripBackground(kGripperWidth, 29, kBlue), 3, 6));

    const struct {
        ChevronLook look;
        OleColor top;
        OleColor bottom;
    } looks[] = {
        {ChevronLook::Normal, kBlue.chevronColor1, kBlue.chevronColor2},
        {ChevronLook::Hot, kBlue.chevronHotColor1, kBlue.chevronHotColor2},
        {ChevronLook::Down, kBlue.chevronDownColor1, kBlue.chevronDownColor2},
    };
    const QImage plain = makeStripBackground(kChevronWidth, 29, kBlue);
    for (const auto& l : looks) {
        QImage chevron = plain.copy();
        paintChevron(chevron, l.look, false, kBlue);
        EXPECT_EQ(pixel(chevron, 1, 0), rgbOf(l.top));
        EXPECT_EQ(pixel(chevron, 1, 27), rgbOf(l.bottom));
        EXPECT_EQ(pixel(chevron, 0, 0), pixel(plain, 0, 0)) << "rounded corner";
        EXPECT_EQ(pixel(chevron, 1, 28), rgbOf(kBlue.borderColor));
    }

    // The "more" mark stands only while buttons are hidden.
    QImage none = plain.copy();
    QImage more = plain.copy();
    paintChevron(none, ChevronLook::Normal, false, kBlue);
    paintChevron(more, ChevronLook::Normal, true, kBlue);
    const int x = (kChevronWidth - 9) / 2;
    EXPECT_EQ(pixel(more, x, 5), 0xFFFFFF);
    EXPECT_EQ(pixel(more, x + 4, 5), 0xFFFFFF);
    EXPECT_NE(pixel(none, x, 5), 0xFFFFFF);
    EXPECT_EQ(none.copy(0, 12, kChevronWidth, 17), more.copy(0, 12, kChevronWidth, 17));

    QImage tiny = makeStripBackground(kChevronWidth, 2, kBlue);
    paintChevron(tiny, ChevronLook::Hot, true, kBlue); // too low to draw: left alone
    EXPECT_EQ(tiny, makeStripBackground(kChevronWidth, 2, kBlue));
}

TEST(ToolbarPopupPicture, HotItemCheckedSchemeAndFrame) {
    platform::registerFontSubstitutions();
    const std::vector<PopupItem> items = {
        {PopupItem::Scheme, 0, QStringLiteral("蓝色"), true, true},
        {PopupItem::Scheme, 1, QStringLiteral("银色"), true, false},
    };
    const PopupLayout layout = layoutPopup(items, QFont());
    const QImage cold = paintPopup(items, layout, {}, -1, false, QFont(), kBlue);
    const QImage hot = paintPopup(items, layout, {}, 1, false, QFont(), kBlue);
    const QImage held = paintPopup(items, layout, {}, 1, true, QFont(), kBlue);
    ASSERT_EQ(cold.size(), layout.size);
    EXPECT_EQ(pixel(cold, 0, 0), rgbOf(kBlue.borderColor));
    const QRect r = layout.rects[1];
    EXPECT_EQ(pixel(hot, r.left(), r.top()), rgbOf(kBlue.darkColor));
    EXPECT_EQ(pixel(hot, r.right() - 2, r.top() + 2), rgbOf(kBlue.popHiColor1));
    EXPECT_EQ(pixel(held, r.right() - 2, r.top() + 2), rgbOf(kBlue.popHiColor3));
    EXPECT_NE(pixel(cold, r.right() - 2, r.top() + 2), rgbOf(kBlue.popHiColor1));
    const QRect checked = layout.rects[0];
    EXPECT_EQ(pixel(cold, checked.left() + 2, checked.top() + 2), rgbOf(kBlue.darkColor));
    EXPECT_EQ(pixel(cold, checked.left() + 3, checked.top() + 3), rgbOf(kBlue.popHiColor3));
    EXPECT_TRUE(paintPopup({}, PopupLayout{}, {}, -1, false, QFont(), kBlue).isNull());
}

} // namespace
