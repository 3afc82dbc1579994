#include "assets/mainbar/mainbaricons.h"
#include "platform/fonts.h"
#include "platform/propertybag.h"
#include "platform/vberror.h"
#include "widgets/toolbar/flattoolbar.h"
#include "widgets/toolbar/mainbar.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <functional>

using namespace toolbar;
using platform::PropertyBag;
using platform::VbError;

namespace {

QImage anIcon(QRgb colour = qRgb(0x20, 0x80, 0x20)) {
    QImage icon(16, 16, QImage::Format_RGB32);
    icon.fill(colour);
    return icon;
}

class FlatToolbarTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::registerFontSubstitutions();
        bar.resize(400, 29);
        bar.AddButton(TypeButton, QStringLiteral("设置"), QStringLiteral("set"), anIcon());
        bar.AddButton(TypeSeparator, {}, {});
        bar.AddButton(TypeButton, QStringLiteral("复制"), QStringLiteral("copy"));
        bar.resize(400, bar.height());
        // A hidden widget learns of its size when shown; the bar paints for the size it has.
        bar.show();
    }

    [[nodiscard]] QStringList keys() const {
        QStringList out;
        for (int i = 1; i <= bar.ButtonCount(); ++i)
            out << bar.BtnKey(i);
        return out;
    }

    FlatToolbar bar;
};

int errorNumber(const std::function<void()>& call) {
    try {
        call();
    } catch (const VbError& e) {
        return e.number;
    }
    return 0;
}

TEST_F(FlatToolbarTest, AnIndexOutsideTheButtonsRaisesSubscriptOutOfRange) {
    for (int index : {0, -1, 4, 32767}) {
        EXPECT_EQ(errorNumber([&] { (void)bar.BtnCaption(index); }), platform::kErrSubscript)
            << index;
        EXPECT_EQ(errorNumber([&] { (void)bar.btnState(index); }), platform::kErrSubscript)
            << index;
        EXPECT_EQ(errorNumber([&] { bar.setBtnKey(index, QStringLiteral("x")); }),
                  platform::kErrSubscript)
            << index;
        EXPECT_EQ(errorNumber([&] { bar.setBtnIcon(index, QImage()); }), platform::kErrSubscript)
            << index;
        EXPECT_EQ(
            errorNumber([&] { bar.ChangeBtnProperty(FlatToolbar::OptCaption, index, QString()); }),
            platform::kErrSubscript)
            << index;
    }
    EXPECT_EQ(errorNumber([&] { (void)bar.BtnCaption(3); }), 0);
}

TEST_F(FlatToolbarTest, SettersStoreAChangedValueAndReportItOnceUnderTheirName) {
    QFont bold = bar.BtnFont(1);
    bold.setBold(true);
    const struct {
        const char* name;
        std::function<void()> set;
        std::function<bool()> stored;
    } cases[] = {
        {"BtnCaption", [&] { bar.setBtnCaption(3, QStringLiteral("粘贴")); },
         [&] { return bar.BtnCaption(3) == QStringLiteral("粘贴"); }},
        {"BtnEnabled", [&] { bar.setBtnEnabled(3, true); }, [&] { return bar.BtnEnabled(3); }},
        {"BtnIconSize", [&] { bar.setBtnIconSize(1, 24); },
         [&] { return bar.BtnIconSize(1) == 24; }},
        {"BtnToolTipText", [&] { bar.setBtnToolTipText(1, QStringLiteral("提示")); },
         [&] { return bar.BtnToolTipText(1) == QStringLiteral("提示"); }},
        {"BtnKey", [&] { bar.setBtnKey(1, QStringLiteral("cfg")); },
         [&] { return bar.BtnKey(1) == "cfg"; }},
        {"BtnAlignment", [&] { bar.setBtnAlignment(1, AlignIconAbove); },
         [&] { return bar.BtnAlignment(1) == 2; }},
        {"BtnType", [&] { bar.setBtnType(2, TypeButton); },
         [&] { return bar.BtnType(2) == TypeButton; }},
        {"BtnStyle", [&] { bar.setBtnStyle(1, StyleCheck); },
         [&] { return bar.BtnStyle(1) == StyleCheck; }},
        {"BtnForeColor", [&] { bar.setBtnForeColor(1, 0x0000FF); },
         [&] { return bar.BtnForeColor(1) == 0x0000FF; }},
        {"BtnFont", [&] { bar.setBtnFont(1, bold); }, [&] { return bar.BtnFont(1).bold(); }},
        {"BtnState", [&] { bar.setBtnState(3, StateChecked); },
         [&] { return bar.btnState(3) == StateChecked; }},
        {"BtnValue", [&] { bar.setBtnValue(1, true); }, [&] { return bar.BtnValue(1); }},
        {"BtnLeft", [&] { bar.setBtnLeft(1, 40); }, [&] { return bar.BtnLeft(1) == 40; }},
        {"BtnTop", [&] { bar.setBtnTop(1, 3); }, [&] { return bar.BtnTop(1) == 3; }},
        {"BtnWidth", [&] { bar.setBtnWidth(1, 70); }, [&] { return bar.BtnWidth(1) == 70; }},
        {"BtnHeight", [&] { bar.setBtnHeight(1, 22); }, [&] { return bar.btnHeight(1) == 22; }},
        {"BtnRHeight", [&] { bar.setBtnRHeight(1, 21); }, [&] { return bar.btnRHeight(1) == 21; }},
        {"BtnUseMaskColor", [&] { bar.setBtnUseMaskColor(1, false); },
         [&] { return !bar.BtnUseMaskColor(1); }},
        {"BtnMaskColor", [&] { bar.setBtnMaskColor(1, 0x00FF00); },
         [&] { return bar.BtnMaskColor(1) == 0x00FF00; }},
        {"BtnIcon", [&] { bar.setBtnIcon(3, anIcon()); }, [&] { return !bar.BtnIcon(3).isNull(); }},
    };
    for (const auto& c : cases) {
        QSignalSpy changed(&bar, &FlatToolbar::propertyChanged);
        c.set();
        EXPECT_TRUE(c.stored()) << c.name;
        ASSERT_EQ(changed.count(), 1) << c.name;
        EXPECT_EQ(changed.at(0).at(0).toString(), QLatin1String(c.name));
        if (QLatin1String(c.name) != QLatin1String("BtnIcon")) {
            c.set(); // the same value again: nothing to report
            EXPECT_EQ(changed.count(), 1) << c.name;
        } else {
            c.set(); // pictures are not compared
            EXPECT_EQ(changed.count(), 2);
        }
    }
}

TEST_F(FlatToolbarTest, AFontCountsAsChangedOnlyInWhatIsSaved) {
    QSignalSpy changed(&bar, &FlatToolbar::propertyChanged);
    QFont same = bar.BtnFont(1);
    same.setLetterSpacing(QFont::AbsoluteSpacing, 3);
    bar.setBtnFont(1, same);
    EXPECT_EQ(changed.count(), 0);
    QFont larger = bar.BtnFont(1);
    larger.setPointSizeF(12);
    bar.setBtnFont(1, larger);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(bar.BtnFont(1).pointSizeF(), 12);
}

// What ChangeBtnProperty refreshes: for each option, whether the strip shows the change at once.
// A change that is drawn but not repainted must show on the next full repaint instead.
TEST_F(FlatToolbarTest, ChangeBtnPropertyRefreshesWhatEachFieldAffects) {
    // A field that is drawn shows its change at once, without waiting for the next repaint.
    const struct {
        int option;
        int index;
        QVariant value;
        bool drawn;
        std::function<bool()> stored;
    } cases[] = {
        {FlatToolbar::OptCaption, 3, QStringLiteral("粘贴行情"), true,
         [&] { return bar.BtnCaption(3) == "粘贴行情"; }},
        {FlatToolbar::OptKey, 3, QStringLiteral("paste"), false,
         [&] { return bar.BtnKey(3) == "paste"; }},
        {FlatToolbar::OptIcon, 3, anIcon(), true, [&] { return !bar.BtnIcon(3).isNull(); }},
        {FlatToolbar::OptIconSize, 1, 8, true, [&] { return bar.BtnIconSize(1) == 8; }},
        {FlatToolbar::OptToolTipText, 1, QStringLiteral("设置"), false,
         [&] { return bar.BtnToolTipText(1) == "设置"; }},
        {FlatToolbar::OptForeColor, 1, 0x0000FFu, true,
         [&] { return bar.BtnForeColor(1) == 0x0000FF; }},
        {FlatToolbar::OptStyle, 1, StyleDropDown, true,
         [&] { return bar.BtnStyle(1) == StyleDropDown; }},
        {FlatToolbar::OptState, 1, StateChecked, true,
         [&] { return bar.btnState(1) == StateChecked && bar.runtimeState(1) == StateChecked; }},
        {FlatToolbar::OptFont, 1, QFont(QStringLiteral("宋体"), 14), true,
         [&] { return bar.BtnFont(1).pointSize() == 14; }},
        // The icon is all of the new mask colour: it disappears, then comes back without the mask.
        {FlatToolbar::OptMaskColor, 1, 0x208020u, true,
         [&] { return bar.BtnMaskColor(1) == 0x208020; }},
        {FlatToolbar::OptUseMaskColor, 1, false, true,
         [&] { return !bar.BtnUseMaskColor(1); }},
    };
    for (const auto& c : cases) {
        bar.setBtnCaption(3, QStringLiteral("复制"));
        const QImage before = bar.stripImage().copy();
        bar.ChangeBtnProperty(c.option, c.index, c.value);
        EXPECT_TRUE(c.stored()) << "option " << c.option;
        const QImage now = bar.stripImage().copy();
        EXPECT_EQ(now != before, c.drawn) << "option " << c.option;
        // What shows at once is what a full repaint shows.
        bar.resize(bar.width() + 1, bar.height());
        const QRect old(0, 0, std::min(before.width(), now.width()) - 1, before.height());
        EXPECT_EQ(bar.stripImage().copy(old), now.copy(old)) << "option " << c.option;
    }
}

TEST_F(FlatToolbarTest, ADisabledButtonLooksDisabledAtOnce) {
    FlatToolbar fresh;
    fresh.resize(400, 29);
    fresh.AddButton(TypeButton, QStringLiteral("设置"), QStringLiteral("set"), anIcon());
    fresh.AddButton(TypeSeparator, {}, {});
    fresh.AddButton(TypeButton, QStringLiteral("复制"), QStringLiteral("copy"), {}, kDefaultIconSize,
                    AlignIconLeft, {}, kWindowTextColor, std::nullopt, StyleNormal, StateDisabled);
    fresh.resize(400, fresh.height());
    fresh.show();
    ASSERT_NE(bar.stripImage(), fresh.stripImage());
    bar.setBtnState(3, StateDisabled);
    EXPECT_EQ(bar.stripImage(), fresh.stripImage());
}

TEST_F(FlatToolbarTest, ValueSetsThePressedStateAndEnabledTheDisabledOne) {
    const QImage before = bar.stripImage().copy();
    bar.ChangeBtnProperty(FlatToolbar::OptValue, 1, true);
    EXPECT_TRUE(bar.BtnValue(1));
    EXPECT_EQ(bar.btnState(1), StatePressed);
    EXPECT_EQ(bar.runtimeState(1), StatePressed);
    EXPECT_NE(bar.stripImage(), before);
    bar.ChangeBtnProperty(FlatToolbar::OptValue, 1, false);
    EXPECT_EQ(bar.btnState(1), StateNormal);
    EXPECT_EQ(bar.stripImage(), before);

    bar.ChangeBtnProperty(FlatToolbar::OptEnabled, 3, false);
    EXPECT_EQ(bar.btnState(3), StateDisabled);
    EXPECT_EQ(bar.runtimeState(3), StateDisabled);
    bar.ChangeBtnProperty(FlatToolbar::OptEnabled, 3, true);
    EXPECT_EQ(bar.btnState(3), StateNormal);
    EXPECT_EQ(bar.stripImage(), before);
}

TEST_F(FlatToolbarTest, AlignmentRelaysTheBarAndTypeRepaintsItWithoutLayout) {
    const int widthBefore = bar.BtnWidth(1);
    bar.ChangeBtnProperty(FlatToolbar::OptAlignment, 1, AlignIconAbove);
    EXPECT_LT(bar.BtnWidth(1), widthBefore);
    EXPECT_GT(bar.btnHeight(1), 24);
    EXPECT_EQ(bar.height(), bar.btnHeight(1) + 5);
    EXPECT_EQ(bar.width(), bar.totalWidthTwips() / 15);
    EXPECT_EQ(bar.BtnLeft(3), bar.BtnLeft(2) + 2 + 2);

    const int width3 = bar.BtnWidth(3);
    const QImage before = bar.stripImage().copy();
    bar.ChangeBtnProperty(FlatToolbar::OptType, 3, TypeSeparator);
    EXPECT_EQ(bar.BtnType(3), TypeSeparator);
    EXPECT_EQ(bar.BtnWidth(3), width3);
    EXPECT_NE(bar.stripImage(), before);
}

TEST_F(FlatToolbarTest, ChangeBtnPropertyRejectsWhatItCannotConvertAndIgnoresUnknownOptions) {
    EXPECT_EQ(errorNumber([&] {
                  bar.ChangeBtnProperty(FlatToolbar::OptIconSize, 1, QStringLiteral("big"));
              }),
              platform::kErrTypeMismatch);
    EXPECT_EQ(bar.BtnIconSize(1), 16);
    EXPECT_EQ(errorNumber([&] {
                  bar.ChangeBtnProperty(FlatToolbar::OptIconSize, 1, QStringLiteral("24"));
              }),
              0);
    EXPECT_EQ(bar.BtnIconSize(1), 24);
    EXPECT_EQ(errorNumber(
                  [&] { bar.ChangeBtnProperty(FlatToolbar::OptFont, 1, QStringLiteral("宋体")); }),
              platform::kErrTypeMismatch);
    EXPECT_EQ(errorNumber([&] { bar.ChangeBtnProperty(FlatToolbar::OptIcon, 1, 5); }),
              platform::kErrTypeMismatch);
    EXPECT_FALSE(bar.BtnIcon(1).isNull());
    EXPECT_EQ(errorNumber([&] { bar.ChangeBtnProperty(FlatToolbar::OptIcon, 1, QVariant()); }), 0);
    EXPECT_TRUE(bar.BtnIcon(1).isNull());

    const QImage before = bar.stripImage().copy();
    for (int option : {0, 16, -1, 99})
        EXPECT_EQ(errorNumber([&] { bar.ChangeBtnProperty(option, 1, 5); }), 0);
    EXPECT_EQ(bar.stripImage(), before);
    EXPECT_EQ(bar.btnState(1), StateNormal);
}

TEST_F(FlatToolbarTest, ACaptionChangedAfterLoginShowsAtOnce) {
    FlatToolbar main;
    PropertyBag design = mainBarDesign();
    design.write(QStringLiteral("BtnCaption1"), QStringLiteral("登录  "));
    main.readProperties(design);
    main.resize(700, main.height());
    main.show();
    FlatToolbar expected;
    expected.readProperties(mainBarDesign());
    expected.resize(700, expected.height());
    expected.show();
    ASSERT_NE(main.stripImage(), expected.stripImage());

    QSignalSpy changed(&main, &FlatToolbar::propertyChanged);
    main.setBtnCaption(1, QStringLiteral("注销  "));
    EXPECT_EQ(main.stripImage(), expected.stripImage());
    EXPECT_EQ(changed.count(), 1);
}

TEST_F(FlatToolbarTest, AddButtonFillsTheNewRecordAndReturnsItsIndex) {
    QFont font(QStringLiteral("宋体"), 10);
    EXPECT_EQ(bar.AddButton(TypeButton, QStringLiteral("提醒"), QStringLiteral("alert"), anIcon(),
                            24, AlignIconRight, QStringLiteral("价格提醒"), 0x0000FF, font,
                            StyleCheck, StateChecked, false, 0x00FF00),
              4);
    EXPECT_EQ(bar.ButtonCount(), 4);
    EXPECT_EQ(bar.BtnCaption(4), QStringLiteral("提醒"));
    EXPECT_EQ(bar.BtnKey(4), QStringLiteral("alert"));
    EXPECT_EQ(bar.BtnIconSize(4), 24);
    EXPECT_EQ(bar.BtnAlignment(4), AlignIconRight);
    EXPECT_EQ(bar.BtnToolTipText(4), QStringLiteral("价格提醒"));
    EXPECT_EQ(bar.BtnForeColor(4), 0x0000FFu);
    EXPECT_EQ(bar.BtnFont(4).family(), QStringLiteral("宋体"));
    EXPECT_EQ(bar.BtnStyle(4), StyleCheck);
    EXPECT_EQ(bar.btnState(4), StateChecked);
    EXPECT_EQ(bar.runtimeState(4), StateChecked);
    EXPECT_FALSE(bar.BtnUseMaskColor(4));
    EXPECT_EQ(bar.BtnMaskColor(4), 0x00FF00u);
    EXPECT_FALSE(bar.BtnEnabled(4));
    EXPECT_FALSE(bar.BtnValue(4));
    EXPECT_EQ(bar.BtnLeft(4), bar.BtnLeft(3) + bar.BtnWidth(3) + 2);
    EXPECT_EQ(bar.width(), bar.totalWidthTwips() / 15);

    // Without a font a button takes "MS Sans Serif" of size 8.
    bar.AddButton(TypeButton, QStringLiteral("x"), QStringLiteral("x"));
    EXPECT_EQ(bar.BtnFont(5).family(), QStringLiteral("MS Sans Serif"));
    EXPECT_EQ(bar.BtnFont(5).pointSize(), 8);
    EXPECT_EQ(bar.BtnFont(5), bar.font());
}

TEST_F(FlatToolbarTest, DeleteButtonRefusesIndexesThatNameNoButton) {
    for (int index : {-1, 0, 4, 100}) {
        EXPECT_EQ(bar.DeleteButton(index), -1) << index;
        EXPECT_EQ(keys(), QStringList({"set", "", "copy"})) << index;
    }
    EXPECT_EQ(bar.DeleteButton(2), 2);
    EXPECT_EQ(keys(), QStringList({"set", "copy"}));
    EXPECT_EQ(bar.BtnLeft(2), bar.BtnLeft(1) + bar.BtnWidth(1) + 2);
    EXPECT_EQ(bar.width(), bar.totalWidthTwips() / 15);
    EXPECT_EQ(bar.DeleteButton(1), 1);
    EXPECT_EQ(bar.DeleteButton(1), 0);
    EXPECT_EQ(bar.DeleteButton(1), 0); // empty bar
    EXPECT_EQ(bar.DeleteButton(-1), 0);
}

TEST_F(FlatToolbarTest, MoveButtonExchangesNeighboursAndRelaysThem) {
    bar.setBtnState(1, StateChecked);
    const struct {
        int index;
        int direction;
        int result;
        QStringList keys;
    } cases[] = {
        {1, 0, 0, {"set", "", "copy"}}, {3, 1, 0, {"set", "", "copy"}},
        {2, 2, 0, {"set", "", "copy"}}, {0, 1, 0, {"set", "", "copy"}},
        {9, 0, 0, {"set", "", "copy"}}, {1, 1, 2, {"", "set", "copy"}},
        {3, 0, 2, {"", "copy", "set"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(bar.MoveButton(c.index, c.direction), c.result) << c.index << " " << c.direction;
        EXPECT_EQ(keys(), c.keys) << c.index << " " << c.direction;
    }
    // The run-time state travelled with its button, and the buttons stand in their new order.
    EXPECT_EQ(bar.runtimeState(3), StateChecked);
    EXPECT_EQ(bar.BtnLeft(1), 2);
    EXPECT_EQ(bar.BtnLeft(2), 2 + 2 + 2);
    EXPECT_EQ(bar.BtnLeft(3), bar.BtnLeft(2) + bar.BtnWidth(2) + 2);
}

TEST_F(FlatToolbarTest, TheControlIsNeverNarrowerThan400Twips) {
    bar.resize(5, bar.height());
    EXPECT_EQ(bar.width(), 27);
    EXPECT_GE(bar.width() * 15, 400);
    EXPECT_EQ(bar.PicRight()->geometry(), QRect(27 - kChevronWidth, 0, kChevronWidth, 29));
    EXPECT_EQ(bar.shownButtonCount(), 0);

    FlatToolbar fresh;
    fresh.InitProperties();
    EXPECT_EQ(fresh.width(), 27);
    EXPECT_EQ(fresh.height(), 29);
}

TEST_F(FlatToolbarTest, PartsOfTheBarAndWhatFits) {
    bar.resize(300, bar.height());
    EXPECT_EQ(bar.PicLeft()->geometry(), QRect(0, 0, kGripperWidth, 29));
    EXPECT_EQ(bar.PicTB()->geometry(),
              QRect(kGripperWidth, 0, 300 - kGripperWidth - kChevronWidth, 29));
    EXPECT_EQ(bar.PicRight()->geometry(), QRect(300 - kChevronWidth, 0, kChevronWidth, 29));
    EXPECT_EQ(bar.shownButtonCount(), 3);
    bar.resize(kGripperWidth + kChevronWidth + bar.BtnLeft(3) + bar.BtnWidth(3) - 1, bar.height());
    EXPECT_EQ(bar.shownButtonCount(), 2);
}

// ---- Saved properties ---------------------------------------------------------------------------

TEST(FlatToolbarProperties, AFreshBarWritesNothing) {
    FlatToolbar bar;
    PropertyBag bag;
    bar.writeProperties(bag);
    EXPECT_TRUE(bag.isEmpty()) << bag.keys().join(',').toStdString();
}

TEST(FlatToolbarProperties, ButtonsAreSavedByNameAndNumberInOrderWithoutDefaults) {
    FlatToolbar bar;
    bar.AddButton(TypeButton, {}, {});
    bar.setBtnEnabled(1, true);
    bar.setBtnCaption(1, QStringLiteral("行情"));
    PropertyBag bag;
    bar.writeProperties(bag);
    EXPECT_EQ(bag.keys(), QStringList({"ButtonCount", "BtnCaption1", "BtnLeft1", "BtnTop1",
                                       "BtnWidth1", "BtnHeight1"}));
    EXPECT_EQ(bag.read(QStringLiteral("btncaption1")).toString(), QStringLiteral("行情"));
    EXPECT_EQ(bag.read(QStringLiteral("BtnLeft1")).toInt(), 2);
}

TEST(FlatToolbarProperties, RoundTripKeepsEverySavedField) {
    platform::registerFontSubstitutions();
    FlatToolbar bar;
    bar.setAmbientBackColor(0x8000000F);
    bar.setBackColor(0x00FFFF);
    bar.setThemeColor(SchemeOlive);
    bar.setIsStrech(true);
    bar.setMenuLanguage(1);
    bar.setShowMenuColor(false);
    QFont font(QStringLiteral("宋体"), 11);
    font.setItalic(true);
    bar.AddButton(TypeButton, QStringLiteral("复制行情"), QStringLiteral("copyprice"), anIcon(), 20,
                  AlignIconBelow, QStringLiteral("复制当前行情"), 0x0000C0, font, StyleDropDown,
                  StateChecked, false, 0x123456);
    bar.AddButton(TypeSeparator, {}, {});
    bar.setBtnEnabled(1, true);
    bar.setBtnValue(1, true);

    PropertyBag saved;
    bar.writeProperties(saved);
    FlatToolbar loaded;
    loaded.readProperties(PropertyBag::fromBytes(saved.toBytes()));
    PropertyBag again;
    loaded.writeProperties(again);
    EXPECT_EQ(again, saved);

    EXPECT_EQ(loaded.BackColor(), 0x00FFFFu);
    EXPECT_EQ(loaded.ThemeColor(), SchemeOlive);
    EXPECT_EQ(loaded.colors(), fixedSchemeColors(SchemeOlive));
    EXPECT_TRUE(loaded.IsStrech());
    EXPECT_EQ(loaded.MenuLanguage(), 1);
    EXPECT_FALSE(loaded.ShowMenuColor());
    ASSERT_EQ(loaded.ButtonCount(), 2);
    EXPECT_EQ(loaded.BtnCaption(1), QStringLiteral("复制行情"));
    EXPECT_EQ(loaded.BtnKey(1), QStringLiteral("copyprice"));
    EXPECT_EQ(loaded.BtnIcon(1).pixel(3, 3), anIcon().pixel(3, 3));
    EXPECT_EQ(loaded.BtnIconSize(1), 20);
    EXPECT_EQ(loaded.BtnAlignment(1), AlignIconBelow);
    EXPECT_EQ(loaded.BtnToolTipText(1), QStringLiteral("复制当前行情"));
    EXPECT_EQ(loaded.BtnForeColor(1), 0x0000C0u);
    EXPECT_TRUE(loaded.BtnFont(1).italic());
    EXPECT_EQ(loaded.BtnStyle(1), StyleDropDown);
    EXPECT_EQ(loaded.btnState(1), StatePressed);
    EXPECT_EQ(loaded.runtimeState(1), StatePressed);
    EXPECT_TRUE(loaded.BtnValue(1));
    EXPECT_TRUE(loaded.BtnEnabled(1));
    EXPECT_FALSE(loaded.BtnUseMaskColor(1));
    EXPECT_EQ(loaded.BtnMaskColor(1), 0x123456u);
    EXPECT_EQ(loaded.BtnType(2), TypeSeparator);
    EXPECT_EQ(loaded.BtnLeft(2), bar.BtnLeft(2));
}

TEST(FlatToolbarProperties, BackColorIsWrittenAndReadAgainstTheSameDefault) {
    // Written against white but read against the host's colour, a white bar came back grey.
    FlatToolbar bar;
    bar.setAmbientBackColor(0x8000000F);
    bar.setBackColor(0xFFFFFF);
    PropertyBag bag;
    bar.writeProperties(bag);
    FlatToolbar loaded;
    loaded.setAmbientBackColor(0x8000000F);
    loaded.readProperties(bag);
    EXPECT_EQ(loaded.BackColor(), 0xFFFFFFu);

    bar.setBackColor(0x8000000F);
    PropertyBag plain;
    bar.writeProperties(plain);
    EXPECT_FALSE(plain.contains(QStringLiteral("BackColor")));
}

TEST(FlatToolbarProperties, ThePositionsAreNotReadBack) {
    FlatToolbar bar;
    PropertyBag bag;
    bag.write(QStringLiteral("ButtonCount"), 1);
    bag.write(QStringLiteral("BtnLeft1"), 300);
    bag.write(QStringLiteral("BtnWidth1"), 300);
    bag.write(QStringLiteral("BtnTop1"), 9);
    bar.readProperties(bag);
    EXPECT_EQ(bar.BtnLeft(1), 2);
    EXPECT_EQ(bar.BtnWidth(1), 24);
    EXPECT_EQ(bar.BtnTop(1), 2);
}

TEST(FlatToolbarProperties, BadBagsLoadWhatCanBeReadAndNeverFail) {
    const struct {
        const char* what;
        QVariant count;
        int buttons;
    } counts[] = {
        {"missing", QVariant(), 0},   {"text", QStringLiteral("many"), 0}, {"negative", -3, 0},
        {"beyond 16 bits", 40000, 0}, {"as text", QStringLiteral("2"), 2}, {"a double", 1.0, 1},
    };
    for (const auto& c : counts) {
        PropertyBag bag;
        if (c.count.isValid()) bag.write(QStringLiteral("ButtonCount"), c.count);
        bag.write(QStringLiteral("BtnIconSize1"), QStringLiteral("large"));
        bag.write(QStringLiteral("BtnForeColor1"), QStringLiteral("red"));
        bag.write(QStringLiteral("BtnFont1"), 12);
        bag.write(QStringLiteral("BtnIcon1"), QStringLiteral("not a picture"));
        bag.write(QStringLiteral("ThemeColor"), QStringLiteral("blue"));
        FlatToolbar bar;
        bar.readProperties(bag);
        EXPECT_EQ(bar.ButtonCount(), c.buttons) << c.what;
        EXPECT_EQ(bar.ThemeColor(), SchemeAutomatic) << c.what;
        if (c.buttons > 0) {
            EXPECT_EQ(bar.BtnIconSize(1), 16) << c.what;
            EXPECT_EQ(bar.BtnForeColor(1), kWindowTextColor) << c.what;
            EXPECT_EQ(bar.BtnFont(1), bar.font()) << c.what;
            EXPECT_TRUE(bar.BtnIcon(1).isNull()) << c.what;
        }
    }
}

TEST(FlatToolbarProperties, MainBarDesignLoadsItsSevenButtons) {
    platform::registerFontSubstitutions();
    FlatToolbar bar;
    bar.readProperties(mainBarDesign());
    EXPECT_EQ(bar.BackColor(), 0x8000000Fu);
    EXPECT_FALSE(bar.ShowMenuColor());
    EXPECT_EQ(bar.ThemeColor(), SchemeAutomatic);
    ASSERT_EQ(bar.ButtonCount(), 7);
    const char* const keys[] = {"login", "set", "rjtx", "cal", "cwcal", "jyjsq", "copyprice"};
    const int blanks[] = {2, 4, 4, 3, 5, 6, 4};
    for (int i = 1; i <= 7; ++i) {
        EXPECT_EQ(bar.BtnKey(i), QLatin1String(keys[i - 1]));
        const QString caption = bar.BtnCaption(i);
        EXPECT_EQ(caption.size() - caption.trimmed().size(), blanks[i - 1]) << i;
        EXPECT_FALSE(bar.BtnEnabled(i));
        EXPECT_EQ(bar.btnState(i), StateNormal);
        EXPECT_EQ(bar.BtnIconSize(i), 16);
        EXPECT_EQ(bar.BtnIcon(i).size(), i == 6 ? QSize(32, 32) : QSize(16, 16)) << i;
        EXPECT_EQ(bar.BtnFont(i).family(), QStringLiteral("MS Sans Serif"));
        EXPECT_EQ(bar.BtnFont(i).pointSizeF(), 8.25);
    }
    EXPECT_EQ(bar.BtnCaption(1), QStringLiteral("注销  "));
    EXPECT_EQ(bar.BtnCaption(6), QStringLiteral("运气交易宝典      "));
    EXPECT_TRUE(mainBarIcon(QStringLiteral("unknown")).isNull());
}

} // namespace
