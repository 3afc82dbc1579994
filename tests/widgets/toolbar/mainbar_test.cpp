// MainBar's design data, which brelto-designer makes at build time, against the design as it was
// once written out in code: the bar the program shows must not change.
#include "assets/mainbar/mainbaricons.h"
#include "platform/fonts.h"
#include "platform/propertybag.h"
#include "widgets/toolbar/flattoolbar.h"
#include "widgets/toolbar/mainbar.h"
#include "widgets/toolbar/toolbarpaint.h"

#include <QFont>

#include <gtest/gtest.h>

using namespace toolbar;

namespace {

// The former in-code design, kept as the reference.
struct DesignButton {
    const char16_t* caption;
    const char* key;
    int left;
    int width;
};

const DesignButton kFormerMainBar[] = {
    {u"注销  ", "login", 2, 58},
    {u"程序设置    ", "set", 62, 88},
    {u"预警提醒    ", "rjtx", 152, 88},
    {u"计算器   ", "cal", 242, 73},
    {u"仓位计算器     ", "cwcal", 317, 103},
    {u"运气交易宝典      ", "jyjsq", 422, 118},
    {u"复制行情    ", "copyprice", 542, 88},
};
constexpr int kFormerCount = static_cast<int>(std::size(kFormerMainBar));

platform::PropertyBag formerMainBarDesign() {
    platform::PropertyBag bag;
    bag.write(QStringLiteral("BackColor"), 0x8000000Fll);
    bag.write(QStringLiteral("ShowMenuColor"), false);
    bag.write(QStringLiteral("ButtonCount"), kFormerCount);
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSizeF(8.25);
    for (int i = 1; i <= kFormerCount; ++i) {
        const DesignButton& d = kFormerMainBar[i - 1];
        const auto key = [i](const char* name) { return QLatin1String(name) + QString::number(i); };
        bag.write(key("BtnCaption"), QString::fromUtf16(d.caption));
        bag.write(key("BtnEnabled"), false);
        bag.write(key("BtnIcon"), mainBarIcon(QLatin1String(d.key)));
        bag.write(key("BtnKey"), QString::fromLatin1(d.key));
        bag.write(key("BtnFont"), font);
        bag.write(key("BtnLeft"), d.left);
        bag.write(key("BtnTop"), 2);
        bag.write(key("BtnWidth"), d.width);
        bag.write(key("BtnHeight"), 24);
    }
    return bag;
}

// The button as the toolbar paints its icon: what matters of the stored picture.
ToolbarButton iconOf(const FlatToolbar& bar, int i) {
    ToolbarButton b;
    b.Icon = bar.BtnIcon(i);
    b.UseMaskColor = bar.BtnUseMaskColor(i);
    b.MaskColor = bar.BtnMaskColor(i);
    return b;
}

class MainBarDesign : public ::testing::Test {
protected:
    void SetUp() override {
        platform::registerFontSubstitutions();
        built.readProperties(mainBarDesign());
        former.readProperties(formerMainBarDesign());
    }
    FlatToolbar built;
    FlatToolbar former;
};

} // namespace

TEST_F(MainBarDesign, EveryPropertyIsTheFormerDesigns) {
    EXPECT_EQ(built.BackColor(), former.BackColor());
    EXPECT_EQ(built.ShowMenuColor(), former.ShowMenuColor());
    EXPECT_FALSE(built.ShowMenuColor());
    EXPECT_EQ(built.ThemeColor(), former.ThemeColor());
    EXPECT_EQ(built.IsStrech(), former.IsStrech());
    EXPECT_EQ(built.MenuLanguage(), former.MenuLanguage());
    ASSERT_EQ(built.ButtonCount(), kFormerCount);
    for (int i = 1; i <= kFormerCount; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(built.BtnKey(i), QLatin1String(kFormerMainBar[i - 1].key));
        EXPECT_EQ(built.BtnCaption(i), QString::fromUtf16(kFormerMainBar[i - 1].caption));
        EXPECT_EQ(built.BtnToolTipText(i), former.BtnToolTipText(i));
        EXPECT_EQ(built.BtnEnabled(i), former.BtnEnabled(i));
        EXPECT_EQ(built.BtnType(i), former.BtnType(i));
        EXPECT_EQ(built.BtnStyle(i), former.BtnStyle(i));
        EXPECT_EQ(built.btnState(i), former.btnState(i));
        EXPECT_EQ(built.BtnValue(i), former.BtnValue(i));
        EXPECT_EQ(built.BtnAlignment(i), former.BtnAlignment(i));
        EXPECT_EQ(built.BtnIconSize(i), former.BtnIconSize(i));
        EXPECT_EQ(built.BtnForeColor(i), former.BtnForeColor(i));
        EXPECT_EQ(built.BtnUseMaskColor(i), former.BtnUseMaskColor(i));
        EXPECT_EQ(built.BtnMaskColor(i), former.BtnMaskColor(i));
        EXPECT_EQ(built.BtnFont(i).family(), former.BtnFont(i).family());
        EXPECT_EQ(built.BtnFont(i).pointSizeF(), former.BtnFont(i).pointSizeF());
        EXPECT_EQ(built.BtnFont(i).bold(), former.BtnFont(i).bold());
        EXPECT_EQ(built.BtnLeft(i), former.BtnLeft(i));
        EXPECT_EQ(built.BtnTop(i), former.BtnTop(i));
        EXPECT_EQ(built.BtnWidth(i), former.BtnWidth(i));
        EXPECT_EQ(built.btnHeight(i), former.btnHeight(i));
        EXPECT_EQ(built.BtnIcon(i).size(), former.BtnIcon(i).size());
    }
}

TEST_F(MainBarDesign, TheIconsPaintAsTheFormerDesignsPixelForPixel) {
    for (int i = 1; i <= kFormerCount; ++i) {
        for (const bool disabled : {false, true}) {
            SCOPED_TRACE(testing::Message() << "button " << i << (disabled ? " disabled" : ""));
            const QImage expected = iconPicture(iconOf(former, i), 16, disabled);
            ASSERT_FALSE(expected.isNull());
            EXPECT_EQ(iconPicture(iconOf(built, i), 16, disabled), expected);
        }
    }
}

TEST_F(MainBarDesign, TheBarLooksAsBeforeLoginAndAfter) {
    for (FlatToolbar* bar : {&built, &former}) {
        bar->resize(bar->totalWidthTwips() / 15, bar->height());
        bar->show();
    }
    ASSERT_EQ(built.size(), former.size());
    EXPECT_EQ(built.stripImage(), former.stripImage());
    EXPECT_EQ(built.grab().toImage(), former.grab().toImage());
    // After login the buttons are enabled; a hot and a pressed button show their faces.
    for (FlatToolbar* bar : {&built, &former}) {
        for (int i = 1; i <= kFormerCount; ++i)
            bar->setBtnEnabled(i, true);
        bar->setBtnState(2, StateHot);
        bar->setBtnState(3, StatePressed);
    }
    EXPECT_EQ(built.stripImage(), former.stripImage());
    EXPECT_EQ(built.grab().toImage(), former.grab().toImage());
}
