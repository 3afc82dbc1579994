#include "widgets/buttons/skinbutton.h"

#include "platform/gdi.h"
#include "platform/propertybag.h"
#include "platform/theme.h"

#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using platform::GetSysColor;
using platform::OleColor;

namespace {

const QPoint kFarAway(5000, 5000);

int32_t c32(OleColor c) { return static_cast<int32_t>(c); }

OleColor sysColor(int index) { return GetSysColor(index); }

// A shown host window with one button of 80 x 30 at (20, 20), the pointer parked away from it.
class SkinButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_host = std::make_unique<QWidget>();
        m_host->resize(240, 120);
        button = new SkinButton(m_host.get());
        button->setGeometry(20, 20, 80, 30);
        button->setCaption(QStringLiteral("&Go"));
        // Away from where the window appears, so showing it brings no stray pointer entry.
        QCursor::setPos(kFarAway);
        QCoreApplication::processEvents();
        m_host->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_host.get()));
        QTest::mouseMove(m_host.get(), outside);
    }
    void TearDown() override { platform::setThemedOverride(std::nullopt); }

    [[nodiscard]] int32_t face(int x, int y) const { return platform::gdi::pixel(button->surface(), x, y); }
    QWidget* host() const { return m_host.get(); }

    const QPoint inside{40, 15};          // in the button
    const QPoint outsideOfButton{-15, 5}; // in the host, left of the button
    const QPoint outside{200, 100};       // in the host
    SkinButton* button = nullptr;

private:
    std::unique_ptr<QWidget> m_host;
};

// ---- Properties and defaults -----------------------------------------------------------------

TEST_F(SkinButtonTest, NewButtonTakesTheNewlyPlacedValues) {
    SkinButton fresh;
    EXPECT_EQ(fresh.buttonStyle(), 0);
    EXPECT_EQ(fresh.caption(), QString());
    EXPECT_EQ(fresh.iconSize(), 16);
    EXPECT_EQ(fresh.nonThemeStyle(), 0);
    EXPECT_TRUE(fresh.isEnabled());
    EXPECT_FALSE(fresh.useCustomColors());
    EXPECT_EQ(fresh.backColor(), sysColor(platform::COLOR_BTNFACE));
    EXPECT_EQ(fresh.highlightColor(), sysColor(platform::COLOR_HIGHLIGHT));
    EXPECT_EQ(fresh.fontColor(), sysColor(platform::COLOR_BTNTEXT));
    EXPECT_EQ(fresh.fontHighlightColor(), sysColor(platform::COLOR_BTNTEXT));
    EXPECT_EQ(fresh.state(), SkinButton::StateNormal);
    EXPECT_EQ(SkinButton::Version(), QStringLiteral("3.4.0"));
    EXPECT_EQ(fresh.font().family(), QStringLiteral("Verdana"));
}

TEST_F(SkinButtonTest, SettersTellTheHostWhichPropertyChanged) {
    QSignalSpy changed(button, &SkinButton::propertyChanged);
    button->setNonThemeStyle(7);
    button->setCaption(QStringLiteral("x"));
    button->setValue(true);
    button->setEnabled(false);
    button->setFont(QFont(QStringLiteral("AR PL UMing CN"), 9));
    button->setMousePointer(11);
    QStringList names;
    for (const auto& args : changed)
        names << args.at(0).toString();
    EXPECT_EQ(names, (QStringList{QStringLiteral("NonThemeStyle"), QStringLiteral("Caption"), QStringLiteral("Value"),
                                  QStringLiteral("Enabled"), QStringLiteral("Font"), QStringLiteral("MousePointer")}));
    EXPECT_EQ(button->cursor().shape(), Qt::WaitCursor);
}

TEST_F(SkinButtonTest, NeverSmallerThan300Twips) {
    button->resize(5, 8);
    EXPECT_EQ(button->size(), QSize(20, 20));
    EXPECT_EQ(button->surface().size(), QSize(20, 20));
}

TEST_F(SkinButtonTest, CaptionFlagsFollowCaptionAlign) {
    const std::pair<int, int> cases[] = {{0, 37}, {1, 36}, {2, 38}, {3, 33}, {4, 41}, {7, 41}};
    for (const auto& [align, format] : cases) {
        button->setCaptionAlign(align);
        EXPECT_EQ(button->captionFormat(), format) << align; // 7 keeps the flags it had
    }
    EXPECT_EQ(button->captionRect(), (buttons::Rect{4, 4, 76, 26}));
}

TEST_F(SkinButtonTest, WindowRegionFollowsTheStyle) {
    const QRegion rect(0, 0, 80, 30);
    const QRegion bevel = buttons::MakeBevelRegion(80, 30);
    const QRegion wide = buttons::MakeWideBevelRegion(80, 30);
    const QRegion round = buttons::MakeRoundRegion(80, 30);
    platform::setThemedOverride(true); // style 6 stays itself
    const QRegion expected[] = {rect, rect, rect, rect, rect, bevel, rect, bevel, wide, wide, round};
    for (int style = 0; style <= 10; ++style) {
        button->setButtonStyle(style);
        EXPECT_EQ(button->windowRegion(), expected[style]) << style;
        EXPECT_EQ(button->mask(), expected[style]) << style;
    }
    button->resize(100, 40);
    EXPECT_EQ(button->windowRegion(), buttons::MakeRoundRegion(100, 40));
}

// ---- Pointer ---------------------------------------------------------------------------------

TEST_F(SkinButtonTest, HoverEntersAndLeaves) {
    QSignalSpy entered(button, &SkinButton::MouseEnter);
    QSignalSpy left(button, &SkinButton::MouseLeave);
    QTest::mouseMove(button, inside);
    EXPECT_EQ(button->state(), SkinButton::StateHot);
    EXPECT_TRUE(button->mouseInside());
    QTest::mouseMove(button, inside + QPoint(3, 2));
    EXPECT_EQ(entered.count(), 1);
    QTest::mouseMove(host(), outside);
    EXPECT_EQ(button->state(), SkinButton::StateNormal);
    EXPECT_FALSE(button->mouseInside());
    EXPECT_EQ(left.count(), 1);
}

TEST_F(SkinButtonTest, LeftClickInsidePressesThenClicksOnce) {
    QSignalSpy clicks(button, &SkinButton::Click);
    QTest::mouseMove(button, inside);
    QTest::mousePress(button, Qt::LeftButton, {}, inside);
    EXPECT_EQ(button->state(), SkinButton::StatePressed);
    EXPECT_EQ(clicks.count(), 0);
    QTest::mouseRelease(button, Qt::LeftButton, {}, inside);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(button->state(), SkinButton::StateHot);
    EXPECT_EQ(button->lastMouseButton(), 1);
}

TEST_F(SkinButtonTest, ReleasedOutsideNoClickAndNotHot) {
    QSignalSpy clicks(button, &SkinButton::Click);
    QTest::mouseMove(button, inside);
    QTest::mousePress(button, Qt::LeftButton, {}, inside);
    QTest::mouseMove(button, outsideOfButton);
    EXPECT_EQ(button->state(), SkinButton::StateNormal) << "leaving with the button held shows normal";
    QTest::mouseMove(button, inside);
    EXPECT_EQ(button->state(), SkinButton::StateHot) << "coming back shows hot, not pressed";
    QTest::mouseMove(button, outsideOfButton);
    QTest::mouseRelease(button, Qt::LeftButton, {}, outsideOfButton);
    EXPECT_EQ(clicks.count(), 0);
    EXPECT_EQ(button->state(), SkinButton::StateNormal);
    EXPECT_FALSE(button->mouseInside());
}

TEST_F(SkinButtonTest, RightButtonChangesNothingAndDoesNotClick) {
    QSignalSpy clicks(button, &SkinButton::Click);
    QTest::mouseMove(button, inside);
    const QImage hot = button->surface();
    QTest::mousePress(button, Qt::RightButton, {}, inside);
    EXPECT_EQ(button->state(), SkinButton::StateHot);
    QTest::mouseRelease(button, Qt::RightButton, {}, inside);
    EXPECT_EQ(button->state(), SkinButton::StateHot);
    EXPECT_EQ(button->surface(), hot);
    EXPECT_EQ(button->lastMouseButton(), 2);
    EXPECT_EQ(clicks.count(), 0);
}

TEST_F(SkinButtonTest, DoubleClickPressesButClicksOnlyOnce) {
    QSignalSpy clicks(button, &SkinButton::Click);
    QTest::mouseMove(button, inside);
    QTest::mousePress(button, Qt::LeftButton, {}, inside);
    QTest::mouseRelease(button, Qt::LeftButton, {}, inside);
    QTest::mouseDClick(button, Qt::LeftButton, {}, inside);
    EXPECT_EQ(button->state(), SkinButton::StatePressed);
    QTest::mouseRelease(button, Qt::LeftButton, {}, inside);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(button->state(), SkinButton::StateHot);
}

TEST_F(SkinButtonTest, ToggleButtonKeepsItsValueLook) {
    QSignalSpy clicks(button, &SkinButton::Click);
    button->setButtonType(SkinButton::ToggleButton);
    QTest::mouseMove(button, inside);
    QTest::mousePress(button, Qt::LeftButton, {}, inside);
    EXPECT_EQ(button->state(), SkinButton::StatePressed);
    QTest::mouseRelease(button, Qt::LeftButton, {}, inside);
    EXPECT_TRUE(button->value());
    EXPECT_EQ(button->state(), SkinButton::StatePressed) << "a set toggle shows pressed";
    QTest::mousePress(button, Qt::LeftButton, {}, inside);
    QTest::mouseRelease(button, Qt::LeftButton, {}, inside);
    EXPECT_FALSE(button->value());
    EXPECT_EQ(button->state(), SkinButton::StateHot);
    EXPECT_EQ(clicks.count(), 2);

    QSignalSpy quietClicks(button, &SkinButton::Click);
    button->setValue(true);
    EXPECT_EQ(quietClicks.count(), 0) << "setting Value raises no Click";
}

// ---- Enabled ---------------------------------------------------------------------------------

TEST_F(SkinButtonTest, DisablingAHotButtonShowsDisabledAtOnceAndEnablingShowsNormal) {
    button->setButtonStyle(4);
    const int32_t normalFill = c32(platform::LightenColor(sysColor(platform::COLOR_BTNFACE), 32));
    const int32_t hotFill = c32(platform::LightenColor(sysColor(platform::COLOR_HIGHLIGHT), 176));
    QTest::mouseMove(button, inside);
    EXPECT_EQ(face(2, 2), hotFill);
    button->setEnabled(false);
    EXPECT_EQ(button->state(), SkinButton::StateDisabled);
    EXPECT_EQ(face(2, 2), normalFill);
    button->setEnabled(true);
    EXPECT_EQ(button->state(), SkinButton::StateNormal);
    EXPECT_EQ(face(2, 2), normalFill);
    QTest::mouseMove(button, inside + QPoint(1, 0));
    EXPECT_EQ(button->state(), SkinButton::StateHot) << "the next move over it makes it hot again";
}

TEST_F(SkinButtonTest, DisabledWinsOverASetToggle) {
    button->setButtonType(SkinButton::ToggleButton);
    button->setValue(true);
    EXPECT_EQ(button->state(), SkinButton::StatePressed);
    button->setEnabled(false);
    EXPECT_EQ(button->state(), SkinButton::StateDisabled);
}

TEST_F(SkinButtonTest, DisabledButtonIgnoresThePointer) {
    QSignalSpy clicks(button, &SkinButton::Click);
    button->setEnabled(false);
    QTest::mouseMove(button, inside);
    QTest::mouseClick(button, Qt::LeftButton, {}, inside);
    EXPECT_EQ(button->state(), SkinButton::StateDisabled);
    EXPECT_EQ(clicks.count(), 0);
}

// ---- Keyboard and focus ----------------------------------------------------------------------

TEST_F(SkinButtonTest, SpaceClicksOnceEvenWhenTheKeyRepeats) {
    QSignalSpy clicks(button, &SkinButton::Click);
    button->setFocus();
    QTest::keyPress(button, Qt::Key_Space);
    EXPECT_EQ(button->state(), SkinButton::StatePressed);
    for (int i = 0; i < 3; ++i) {
        QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "), true);
        QApplication::sendEvent(button, &repeat);
    }
    EXPECT_EQ(clicks.count(), 0);
    QTest::keyRelease(button, Qt::Key_Space);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(button->state(), SkinButton::StateNormal) << "the pointer is elsewhere: not hot";
}

TEST_F(SkinButtonTest, SpaceTogglesLikeAClickAndNeverLeavesAnUnsetTogglePressed) {
    button->setButtonType(SkinButton::ToggleButton);
    button->setFocus();
    QTest::keyClick(button, Qt::Key_Space);
    EXPECT_TRUE(button->value());
    EXPECT_EQ(button->state(), SkinButton::StatePressed);
    QTest::keyClick(button, Qt::Key_Space);
    EXPECT_FALSE(button->value());
    EXPECT_EQ(button->state(), SkinButton::StateNormal);
}

TEST_F(SkinButtonTest, EnterDoesNotClick) {
    QSignalSpy clicks(button, &SkinButton::Click);
    button->setFocus();
    QTest::keyClick(button, Qt::Key_Return);
    QTest::keyClick(button, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(clicks.count(), 0);
    EXPECT_EQ(button->state(), SkinButton::StateNormal);
}

TEST_F(SkinButtonTest, ArrowsMoveTheFocusTypedCharactersDoNot) {
    auto* second = new SkinButton(host());
    second->setGeometry(120, 20, 80, 30);
    second->show();
    host()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(host()));
    button->setFocus();
    ASSERT_TRUE(button->hasFocus());

    QTest::keyClick(button, Qt::Key_Apostrophe);
    QTest::keyClick(button, Qt::Key_Percent, Qt::ShiftModifier);
    EXPECT_TRUE(button->hasFocus());

    QTest::keyClick(button, Qt::Key_Right);
    EXPECT_TRUE(second->hasFocus());
    EXPECT_TRUE(second->hasFocusFlag());
    EXPECT_FALSE(button->hasFocusFlag());
    QTest::keyClick(second, Qt::Key_Left);
    EXPECT_TRUE(button->hasFocus());
}

TEST_F(SkinButtonTest, FocusRepaintsTheFace) {
    button->setButtonStyle(8);
    const OleColor face0 = sysColor(platform::COLOR_BTNFACE);
    host()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(host()));
    button->clearFocus();
    EXPECT_FALSE(button->hasFocusFlag());
    EXPECT_EQ(face(10, 0), c32(platform::ShiftColor(face0, -48)));
    button->setFocus();
    EXPECT_TRUE(button->hasFocusFlag());
    EXPECT_EQ(face(10, 0), c32(platform::ShiftColor(face0, -96)));
    button->clearFocus();
    EXPECT_EQ(face(10, 0), c32(platform::ShiftColor(face0, -48)));
}

TEST_F(SkinButtonTest, Style0OutlineForFocusWithShowFocusOrForTheDefaultButton) {
    host()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(host()));
    button->clearFocus();
    const int32_t edgeLight = c32(sysColor(platform::COLOR_3DLIGHT));
    EXPECT_EQ(face(5, 0), edgeLight);
    button->setDisplayAsDefault(true);
    EXPECT_EQ(face(5, 0), 0);
    button->setFocus();
    EXPECT_EQ(face(5, 0), edgeLight) << "focused without ShowFocus: no outline";
    button->setShowFocus(true);
    EXPECT_EQ(face(5, 0), 0);
}

TEST_F(SkinButtonTest, AccessKeyClicks) {
    QSignalSpy clicks(button, &SkinButton::Click);
    host()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(host()));
    QTest::keyClick(host(), Qt::Key_G, Qt::AltModifier);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(button->state(), SkinButton::StateNormal);

    // A right click just before does not swallow the access key.
    QTest::mouseMove(button, inside);
    QTest::mouseClick(button, Qt::RightButton, {}, inside);
    QTest::keyClick(host(), Qt::Key_G, Qt::AltModifier);
    EXPECT_EQ(clicks.count(), 2);
    EXPECT_EQ(button->state(), SkinButton::StateHot) << "the pointer is over it";

    button->setCaption(QStringLiteral("A && B"));
    QTest::keyClick(host(), Qt::Key_G, Qt::AltModifier);
    QTest::keyClick(host(), Qt::Key_B, Qt::AltModifier);
    EXPECT_EQ(clicks.count(), 2) << "no access key any more";
}

// ---- Painting --------------------------------------------------------------------------------

TEST_F(SkinButtonTest, HiddenButtonRepaintsAsAClearedSurface) {
    button->setButtonStyle(8);
    button->hide();
    button->Refresh();
    const QImage& s = button->surface();
    const QRgb first = s.pixel(0, 0);
    for (int y = 0; y < s.height(); ++y)
        for (int x = 0; x < s.width(); ++x)
            ASSERT_EQ(s.pixel(x, y), first);
}

TEST_F(SkinButtonTest, Style3HotFillsTheCaptionRectangleWithTheBlend) {
    button->setButtonStyle(3);
    button->setCaption(QString());
    const OleColor faceColor = sysColor(platform::COLOR_BTNFACE);
    const OleColor shadow = sysColor(platform::COLOR_BTNSHADOW);
    EXPECT_EQ(face(4, 4), c32(faceColor));
    QTest::mouseMove(button, inside);
    EXPECT_EQ(face(4, 4), c32(platform::BlendColors(shadow, faceColor)));
    EXPECT_EQ(face(75, 25), c32(platform::BlendColors(shadow, faceColor)));
    EXPECT_EQ(face(3, 3), c32(faceColor)) << "the band inside the frame keeps the face colour";
    EXPECT_EQ(face(2, 10), c32(faceColor));
    EXPECT_EQ(face(0, 10), c32(shadow));
    EXPECT_EQ(face(1, 10), c32(sysColor(platform::COLOR_WINDOW)));
    QTest::mousePress(button, Qt::LeftButton, {}, inside);
    EXPECT_EQ(face(4, 4), c32(shadow));
    QTest::mouseRelease(button, Qt::LeftButton, {}, inside);
}

TEST_F(SkinButtonTest, CaptionStaysInsideItsRectangle) {
    button->setButtonStyle(3);
    button->setCaption(QStringLiteral("一个非常非常长的按钮标题 with a long tail WWWWWWWWWWWW"));
    const OleColor faceColor = sysColor(platform::COLOR_BTNFACE);
    for (int x = 2; x < 78; ++x) {
        EXPECT_EQ(face(x, 2), c32(faceColor)) << x;
        EXPECT_EQ(face(x, 3), c32(faceColor)) << x;
        EXPECT_EQ(face(x, 26), c32(faceColor)) << x;
    }
}

TEST_F(SkinButtonTest, Style6WithoutThemesPaintsItsFallBackAtOnce) {
    button->setNonThemeStyle(5);
    button->setButtonStyle(6);
    EXPECT_EQ(button->buttonStyle(), 5);
    EXPECT_EQ(button->windowRegion(), buttons::MakeBevelRegion(80, 30));
    EXPECT_EQ(face(10, 0), 0x743C00) << "style 5's frame in the same repaint";

    // A fall-back to itself paints no face and does not loop.
    button->setNonThemeStyle(6);
    button->setButtonStyle(6);
    EXPECT_EQ(button->buttonStyle(), 6);
    EXPECT_EQ(face(0, 0), c32(sysColor(platform::COLOR_BTNFACE)));
}

TEST_F(SkinButtonTest, Style6WithThemesDrawsTheThemedButton) {
    platform::setThemedOverride(true);
    button->setNonThemeStyle(5);
    button->setButtonStyle(6);
    EXPECT_EQ(button->buttonStyle(), 6);
    EXPECT_EQ(button->windowRegion(), QRegion(0, 0, 80, 30));
}

QPixmap solidIcon(QRgb color, QRgb corner) {
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(color);
    image.setPixel(0, 0, corner);
    return QPixmap::fromImage(image);
}

TEST_F(SkinButtonTest, IconAlignedOutsideTheTableSitsAtTheOriginAndSinksWhenPressed) {
    button->setButtonStyle(3);
    button->setIconAlign(9);
    button->setIcon(solidIcon(qRgb(255, 0, 0), qRgb(255, 0, 0)));
    EXPECT_EQ(face(0, 0), 0x0000FF);
    EXPECT_EQ(face(15, 15), 0x0000FF);
    EXPECT_NE(face(16, 16), 0x0000FF);
    QTest::mouseMove(button, inside);
    QTest::mousePress(button, Qt::LeftButton, {}, inside);
    EXPECT_NE(face(0, 0), 0x0000FF);
    EXPECT_EQ(face(1, 1), 0x0000FF);
    EXPECT_EQ(face(16, 16), 0x0000FF);
    QTest::mouseRelease(button, Qt::LeftButton, {}, inside);
}

TEST_F(SkinButtonTest, IconPlacesByAlignAndStyleMargin) {
    button->setButtonStyle(9); // margin 7
    button->setCaption(QString());
    button->setIcon(solidIcon(qRgb(255, 0, 0), qRgb(255, 0, 0)));
    struct Case {
        int align;
        QPoint topLeft;
    };
    // 80 x 30 with a 16-pixel icon: (80 - 16) / 2 = 32, (30 - 16) / 2 = 7.
    const Case cases[] = {{0, {32, 7}}, {1, {7, 7}}, {2, {57, 7}}, {3, {32, 7}}, {4, {32, 7}}};
    for (const auto& c : cases) {
        button->setIconAlign(c.align);
        EXPECT_EQ(face(c.topLeft.x(), c.topLeft.y()), 0x0000FF) << c.align;
        EXPECT_EQ(face(c.topLeft.x() + 15, c.topLeft.y() + 15), 0x0000FF) << c.align;
        EXPECT_NE(face(c.topLeft.x() - 1, c.topLeft.y() + 8), 0x0000FF) << c.align;
    }
    button->setButtonStyle(8); // margin 4
    button->setIconAlign(1);
    EXPECT_EQ(face(4, 7), 0x0000FF);
    EXPECT_NE(face(3, 8), 0x0000FF);
}

TEST_F(SkinButtonTest, Style4HotIconCastsAGreyShadow) {
    button->setButtonStyle(4);
    button->setCaption(QString());
    button->setIconAlign(0);
    button->setIcon(solidIcon(qRgb(255, 0, 0), qRgb(255, 0, 0)));
    QTest::mouseMove(button, inside);
    // The shadow square sits at (32, 7); the icon 2 pixels up and left of it.
    EXPECT_EQ(face(30, 5), 0x0000FF);
    EXPECT_EQ(face(45, 20), 0x0000FF);
    EXPECT_EQ(face(47, 22), 0x808080);
    EXPECT_EQ(face(46, 10), 0x808080);
    EXPECT_NE(face(29, 10), 0x808080);
}

TEST_F(SkinButtonTest, MaskColourPlacesStayTransparentAndDisabledIconsGoGrey) {
    button->setButtonStyle(4);
    button->setCaption(QString());
    button->setIconAlign(0);
    button->setMaskColor(0xC0C0C0);
    button->setUseMaskColor(true);
    button->setIcon(solidIcon(qRgb(255, 0, 0), qRgb(0xC0, 0xC0, 0xC0)));
    const int32_t fill = c32(platform::LightenColor(sysColor(platform::COLOR_BTNFACE), 32));
    EXPECT_EQ(face(32, 7), fill) << "the mask-coloured corner shows the face";
    EXPECT_EQ(face(33, 7), 0x0000FF);
    button->setEnabled(false);
    EXPECT_EQ(face(32, 7), fill);
    EXPECT_EQ(face(33, 7), c32(platform::GrayColor(0x0000FF)));

    button->setUseMaskColor(false);
    // Without a mask colour a disabled icon goes through the grey-scale icon painter:
    // 0.33 * 255 = 84.15 -> 84; the corner grey &HC0C0C0 is one it keeps.
    EXPECT_EQ(face(33, 7), 0x545454);
    EXPECT_EQ(face(32, 7), 0xC0C0C0);
}

TEST(PaintIconGrayscale, KeepsTheListedGreysAndNeedsAnIcon) {
    QImage surface = platform::gdi::makeSurface(8, 2, 0xFFFFFF);
    EXPECT_FALSE(SkinButton::PaintIconGrayscale(surface, QPixmap(), 0, 0, 4, 4));
    QImage null;
    EXPECT_FALSE(SkinButton::PaintIconGrayscale(null, QPixmap(2, 2), 0, 0, 2, 2));

    const QRgb colours[] = {qRgb(0x80, 0x80, 0x80), qRgb(0x90, 0x90, 0x90), qRgb(0xA0, 0xA0, 0xA0),
                            qRgb(255, 255, 255),    qRgb(0, 255, 0),        qRgb(10, 20, 30),
                            qRgb(255, 255, 0),      qRgb(0, 0, 0)};
    const int32_t greyed[] = {0x808080, 0x949494, 0xA0A0A0, 0xFFFFFF, 0x969696, 0x121212, 0xEBEBEB, 0x000000};
    QImage icon(8, 1, QImage::Format_RGB32);
    for (int i = 0; i < 8; ++i)
        icon.setPixel(i, 0, colours[i]);
    EXPECT_TRUE(SkinButton::PaintIconGrayscale(surface, QPixmap::fromImage(icon), 0, 1, 1, 8));
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(platform::gdi::pixel(surface, i, 1), greyed[i]) << i;
    EXPECT_EQ(platform::gdi::pixel(surface, 0, 0), 0xFFFFFF);
}

// ---- Saved properties ------------------------------------------------------------------------

TEST_F(SkinButtonTest, ALoadedButtonWithAnEmptyBagWritesOnlyTheAlwaysStoredKeys) {
    const platform::PropertyBag empty;
    button->readProperties(empty);
    EXPECT_EQ(button->buttonStyle(), 3);
    EXPECT_EQ(button->caption(), QStringLiteral("SkinButton"));
    EXPECT_EQ(button->iconAlign(), 1);
    EXPECT_EQ(button->nonThemeStyle(), 5);
    EXPECT_EQ(button->maskColor(), 0xC0C0C0u);
    platform::PropertyBag bag;
    button->writeProperties(bag);
    EXPECT_EQ(bag.keys(), (QStringList{QStringLiteral("Icon"), QStringLiteral("Tooltiptitle"),
                                       QStringLiteral("ToolTipIcon"), QStringLiteral("ToolTipType"),
                                       QStringLiteral("Font")}));
}

TEST_F(SkinButtonTest, SavedPropertiesRoundTrip) {
    QSignalSpy changed(button, &SkinButton::propertyChanged);
    platform::PropertyBag source;
    source.write(QStringLiteral("style"), 8);
    source.write(QStringLiteral("caption"), QStringLiteral("登录(&L)"));
    source.write(QStringLiteral("usecustomcolors"), true); // lower case, as form data holds keys
    source.write(QStringLiteral("BackColor"), 0x336699u);
    source.write(QStringLiteral("HighlightColor"), 0x996633u);
    source.write(QStringLiteral("FontColor"), 0x111111u);
    source.write(QStringLiteral("FontHighlightColor"), 0x222222u);
    source.write(QStringLiteral("IconSize"), 24);
    source.write(QStringLiteral("IconAlign"), 2);
    source.write(QStringLiteral("CaptionAlign"), 1);
    source.write(QStringLiteral("iNonThemeStyle"), 7);
    source.write(QStringLiteral("Enabled"), false);
    source.write(QStringLiteral("ShowFocus"), true);
    source.write(QStringLiteral("ButtonType"), 1);
    source.write(QStringLiteral("Value"), true);
    source.write(QStringLiteral("MaskColor"), 0x00FF00u);
    source.write(QStringLiteral("UseMaskColor"), true);
    source.write(QStringLiteral("MousePointer"), 2);
    source.write(QStringLiteral("ToolTipText"), QStringLiteral("提示"));
    source.write(QStringLiteral("Tooltiptitle"), QStringLiteral("标题"));
    source.write(QStringLiteral("ttBackColor"), 0x010203u);
    source.write(QStringLiteral("Font"), QFont(QStringLiteral("AR PL UMing CN"), 9));
    source.write(QStringLiteral("Icon"), QVariant::fromValue(solidIcon(qRgb(1, 2, 3), qRgb(4, 5, 6))));
    button->readProperties(platform::PropertyBag::fromBytes(source.toBytes()));

    EXPECT_EQ(changed.count(), 0) << "restoring is no change to store";
    EXPECT_EQ(button->buttonStyle(), 8);
    EXPECT_TRUE(button->useCustomColors());
    EXPECT_FALSE(button->isEnabled());
    EXPECT_EQ(button->state(), SkinButton::StateDisabled);
    EXPECT_EQ(button->toolTip(), QStringLiteral("提示"));
    EXPECT_EQ(button->cursor().shape(), Qt::CrossCursor);
    EXPECT_EQ(button->font().family(), QStringLiteral("AR PL UMing CN"));
    EXPECT_EQ(button->icon().toImage().pixel(0, 0), qRgb(4, 5, 6));

    platform::PropertyBag written;
    button->writeProperties(written);
    SkinButton copy;
    copy.readProperties(platform::PropertyBag::fromBytes(written.toBytes()));
    platform::PropertyBag again;
    copy.writeProperties(again);
    for (const QString& key : written.keys()) {
        if (key == QStringLiteral("Icon"))
            EXPECT_EQ(again.read(key).value<QPixmap>().toImage(), written.read(key).value<QPixmap>().toImage());
        else
            EXPECT_TRUE(platform::samePropertyValue(again.read(key), written.read(key))) << key.toStdString();
    }
    EXPECT_EQ(again.keys().size(), written.keys().size());
    EXPECT_EQ(copy.caption(), QStringLiteral("登录(&L)"));
    EXPECT_EQ(copy.iconAlign(), 2);
    EXPECT_EQ(copy.nonThemeStyle(), 7);
    EXPECT_EQ(copy.highlightColor(), 0x996633u);
}

TEST_F(SkinButtonTest, CaptionSavedAgainstItsReadDefault) {
    platform::PropertyBag bag;
    button->setCaption(QString());
    button->writeProperties(bag);
    EXPECT_TRUE(bag.contains(QStringLiteral("Caption")));
    SkinButton emptyAgain;
    emptyAgain.readProperties(bag);
    EXPECT_EQ(emptyAgain.caption(), QString()) << "an empty caption comes back empty";

    platform::PropertyBag named;
    button->setCaption(QStringLiteral("SkinButton"));
    button->writeProperties(named);
    EXPECT_FALSE(named.contains(QStringLiteral("Caption")));
}

} // namespace
