#include "platform/fonts.h"
#include "widgets/toolbar/flattoolbar.h"
#include "widgets/toolbar/mainbar.h"

#include <QApplication>
#include <QCursor>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace toolbar;

namespace {

// A shown window holding a bar of three buttons and a separator: "set", "copy", then the
// separator and "alert".
class ToolbarInput : public ::testing::Test {
protected:
    void SetUp() override {
        platform::registerFontSubstitutions();
        host = std::make_unique<QWidget>();
        host->resize(600, 80);
        bar = new FlatToolbar(host.get());
        bar->AddButton(TypeButton, QStringLiteral("设置"), QStringLiteral("set"));
        bar->AddButton(TypeButton, QStringLiteral("复制"), QStringLiteral("copy"));
        bar->AddButton(TypeSeparator, {}, {});
        bar->AddButton(TypeButton, QStringLiteral("提醒"), QStringLiteral("alert"));
        bar->move(0, 0);
        bar->resize(500, bar->height());
        host->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(host.get()));
        QCursor::setPos(host->mapToGlobal(QPoint(300, 70)));
    }
    void TearDown() override { host.reset(); }

    [[nodiscard]] QPoint inside(int index) const {
        return {bar->BtnLeft(index) + bar->BtnWidth(index) / 2,
                bar->BtnTop(index) + bar->btnHeight(index) / 2};
    }
    [[nodiscard]] QPoint outside() const { return {bar->BtnLeft(4) + bar->BtnWidth(4) + 20, 10}; }
    // Narrows the bar so only the first button fits.
    void narrow() {
        bar->resize(kGripperWidth + kChevronWidth + bar->BtnLeft(2) + 1, bar->height());
    }

    std::unique_ptr<QWidget> host;
    FlatToolbar* bar = nullptr;
};

TEST_F(ToolbarInput, HoverLightsTheButtonUnderThePointerOnly) {
    QTest::mouseMove(bar->PicTB(), inside(2));
    EXPECT_EQ(bar->hotButton(), 2);
    EXPECT_EQ(bar->runtimeState(2), StateHot);
    EXPECT_EQ(bar->runtimeState(1), StateNormal);
    EXPECT_EQ(
        static_cast<int32_t>(bar->stripImage().pixel(bar->BtnLeft(2), bar->BtnTop(2)) & 0xFFFFFF),
        static_cast<int32_t>(platform::toQRgb(bar->colors().darkColor) & 0xFFFFFF));

    QTest::mouseMove(bar->PicTB(), inside(1));
    EXPECT_EQ(bar->hotButton(), 1);
    EXPECT_EQ(bar->runtimeState(2), StateNormal);

    QTest::mouseMove(bar->PicTB(), inside(3)); // the separator takes no hover
    EXPECT_EQ(bar->hotButton(), 0);
    EXPECT_EQ(bar->runtimeState(1), StateNormal);

    QTest::mouseMove(bar->PicTB(), inside(4));
    QTest::mouseMove(host.get(), QPoint(300, 70)); // off the bar
    EXPECT_EQ(bar->hotButton(), 0);
    EXPECT_EQ(bar->runtimeState(4), StateNormal);
}

TEST_F(ToolbarInput, ACheckedButtonShowsItsOwnHotLook) {
    bar->setBtnState(1, StateChecked);
    QTest::mouseMove(bar->PicTB(), inside(1));
    EXPECT_EQ(bar->runtimeState(1), StateHotChecked);
    QTest::mouseMove(host.get(), QPoint(300, 70));
    EXPECT_EQ(bar->runtimeState(1), StateChecked);
}

TEST_F(ToolbarInput, ReleaseOverThePressedButtonClicksWithItsKey) {
    QSignalSpy clicks(bar, &FlatToolbar::ButtonClick);
    QTest::mouseMove(bar->PicTB(), inside(2));
    QTest::mousePress(bar->PicTB(), Qt::LeftButton, {}, inside(2));
    EXPECT_EQ(bar->runtimeState(2), StatePressed);
    EXPECT_EQ(clicks.count(), 0);
    QTest::mouseRelease(bar->PicTB(), Qt::LeftButton, {}, inside(2) + QPoint(3, 0));
    ASSERT_EQ(clicks.count(), 1);
    const QList<QVariant> args = clicks.takeFirst();
    EXPECT_EQ(args.at(0).toInt(), 2);
    EXPECT_EQ(args.at(1).toString(), QStringLiteral("copy"));
    EXPECT_EQ(args.at(2).toInt(), kGripperWidth + bar->BtnLeft(2));
    EXPECT_EQ(args.at(3).toInt(), bar->BtnTop(2));
    EXPECT_EQ(args.at(4).toInt(), bar->BtnWidth(2));
    EXPECT_EQ(args.at(5).toInt(), bar->btnHeight(2));
    EXPECT_TRUE(args.at(6).toBool());
    EXPECT_EQ(bar->runtimeState(2), StateHot);
    EXPECT_EQ(bar->btnState(2), StateNormal);
}

TEST_F(ToolbarInput, ReleaseElsewhereClicksNothing) {
    QSignalSpy clicks(bar, &FlatToolbar::ButtonClick);
    const struct {
        const char* what;
        QPoint release;
    } cases[] = {{"another button", inside(4)},
                 {"empty strip", outside()},
                 {"below the button", {inside(1).x(), 27}}};
    for (const auto& c : cases) {
        QTest::mousePress(bar->PicTB(), Qt::LeftButton, {}, inside(1));
        QTest::mouseMove(bar->PicTB(), c.release);
        EXPECT_EQ(bar->runtimeState(1), StateNormal) << c.what;
        QTest::mouseRelease(bar->PicTB(), Qt::LeftButton, {}, c.release);
        EXPECT_EQ(clicks.count(), 0) << c.what;
        EXPECT_EQ(bar->runtimeState(1), StateNormal) << c.what;
    }
    // Dragging back over the held button presses it again.
    QTest::mousePress(bar->PicTB(), Qt::LeftButton, {}, inside(1));
    QTest::mouseMove(bar->PicTB(), outside());
    QTest::mouseMove(bar->PicTB(), inside(1));
    EXPECT_EQ(bar->runtimeState(1), StatePressed);
    QTest::mouseRelease(bar->PicTB(), Qt::LeftButton, {}, inside(1));
    EXPECT_EQ(clicks.count(), 1);
}

TEST_F(ToolbarInput, StateDecidesInputNotEnabled) {
    QSignalSpy clicks(bar, &FlatToolbar::ButtonClick);
    ASSERT_FALSE(bar->BtnEnabled(1)); // AddButton leaves Enabled False
    QTest::mouseClick(bar->PicTB(), Qt::LeftButton, {}, inside(1));
    EXPECT_EQ(clicks.count(), 1);

    bar->setBtnState(1, StateDisabled);
    QTest::mouseMove(bar->PicTB(), inside(1));
    EXPECT_EQ(bar->runtimeState(1), StateDisabled);
    QTest::mouseClick(bar->PicTB(), Qt::LeftButton, {}, inside(1));
    QTest::mouseClick(bar->PicTB(), Qt::LeftButton, {}, inside(3)); // separator
    QTest::mouseClick(bar->PicTB(), Qt::RightButton, {}, inside(2));
    EXPECT_EQ(clicks.count(), 1);
}

TEST_F(ToolbarInput, MovingOrDeletingButtonsLeavesNoButtonLit) {
    QTest::mouseMove(bar->PicTB(), inside(2));
    ASSERT_EQ(bar->runtimeState(2), StateHot);
    EXPECT_EQ(bar->MoveButton(2, 0), 1);
    EXPECT_EQ(bar->hotButton(), 0);
    EXPECT_EQ(bar->runtimeState(1), StateNormal);
    EXPECT_EQ(bar->runtimeState(2), StateNormal);

    QTest::mouseMove(bar->PicTB(), inside(4));
    QTest::mousePress(bar->PicTB(), Qt::LeftButton, {}, inside(4));
    ASSERT_EQ(bar->runtimeState(4), StatePressed);
    EXPECT_EQ(bar->DeleteButton(1), 3);
    EXPECT_EQ(bar->hotButton(), 0);
    EXPECT_EQ(bar->runtimeState(3), StateNormal);
    QSignalSpy clicks(bar, &FlatToolbar::ButtonClick);
    QTest::mouseRelease(bar->PicTB(), Qt::LeftButton, {}, inside(3));
    EXPECT_EQ(clicks.count(), 0);
}

TEST_F(ToolbarInput, ACheckButtonTogglesItsValueOnClick) {
    bar->setBtnStyle(2, StyleCheck);
    QTest::mouseClick(bar->PicTB(), Qt::LeftButton, {}, inside(2));
    EXPECT_TRUE(bar->BtnValue(2));
    EXPECT_EQ(bar->btnState(2), StatePressed);
    EXPECT_EQ(bar->runtimeState(2), StateHotChecked);
    QTest::mouseClick(bar->PicTB(), Qt::LeftButton, {}, inside(2));
    EXPECT_FALSE(bar->BtnValue(2));
    EXPECT_EQ(bar->btnState(2), StateNormal);
}

TEST_F(ToolbarInput, AHandlerMayDeleteTheBar) {
    QObject::connect(bar, &FlatToolbar::ButtonClick, bar, [this] { delete bar; });
    QPointer<FlatToolbar> watch(bar);
    QTest::mouseClick(bar->PicTB(), Qt::LeftButton, {}, inside(1));
    EXPECT_TRUE(watch.isNull());
}

TEST_F(ToolbarInput, AHandlerMayDeleteTheBarFromThePopup) {
    narrow();
    QObject::connect(bar, &FlatToolbar::ButtonClick, bar, [this] { delete bar; });
    QPointer<FlatToolbar> watch(bar);
    bar->showOverflowPopup();
    const PopupLayout layout = layoutPopup(bar->popupItems(), bar->font());
    QTest::mouseClick(bar->overflowPopup(), Qt::LeftButton, {}, layout.rects[0].center());
    QCoreApplication::processEvents();
    EXPECT_TRUE(watch.isNull());
}

TEST_F(ToolbarInput, DeletingTheBarWithItsPopupOpen) {
    narrow();
    bar->showOverflowPopup();
    QPointer<QWidget> popup(bar->overflowPopup());
    delete bar;
    EXPECT_TRUE(popup.isNull());
    host->resize(300, 100); // the parent window no longer reaches the deleted bar
}

TEST_F(ToolbarInput, PointerTestsAskWhatIsRightUnderThePointer) {
    QCursor::setPos(bar->PicTB()->mapToGlobal(inside(1)));
    EXPECT_TRUE(bar->isCursorOverStrip());
    EXPECT_FALSE(bar->isCursorOverChevron());
    EXPECT_FALSE(bar->chevronTimerActive());

    QCursor::setPos(bar->PicRight()->mapToGlobal(QPoint(5, 10)));
    EXPECT_FALSE(bar->isCursorOverStrip());
    EXPECT_TRUE(bar->isCursorOverChevron());
    EXPECT_TRUE(bar->chevronTimerActive());

    QCursor::setPos(host->mapToGlobal(QPoint(300, 70)));
    EXPECT_FALSE(bar->isCursorOverChevron());
    EXPECT_FALSE(bar->chevronTimerActive());
}

TEST_F(ToolbarInput, TheChevronLightsUnderThePointer) {
    QTest::mouseMove(bar->PicRight(), QPoint(5, 10));
    EXPECT_EQ(bar->chevronLook(), ChevronLook::Hot);
    EXPECT_TRUE(bar->chevronTimerActive());
    EXPECT_EQ(static_cast<int32_t>(bar->chevronImage().pixel(1, 0) & 0xFFFFFF),
              static_cast<int32_t>(platform::toQRgb(bar->colors().chevronHotColor1) & 0xFFFFFF));
    QTest::mouseMove(host.get(), QPoint(300, 70));
    EXPECT_EQ(bar->chevronLook(), ChevronLook::Normal);
    EXPECT_FALSE(bar->chevronTimerActive());
}

TEST_F(ToolbarInput, ChevronOpensAPopupOfTheHiddenButtons) {
    narrow();
    ASSERT_EQ(bar->shownButtonCount(), 1);
    QTest::mousePress(bar->PicRight(), Qt::LeftButton, {}, QPoint(5, 10));
    ASSERT_TRUE(bar->isOverflowPopupOpen());
    EXPECT_EQ(bar->chevronLook(), ChevronLook::Down);
    const std::vector<PopupItem> items = bar->popupItems();
    // Hidden: "copy", the separator, "alert"; then the colour schemes after a separator.
    ASSERT_EQ(items.size(), 3u + 1u + 6u);
    EXPECT_EQ(items[0].kind, PopupItem::Button);
    EXPECT_EQ(items[0].index, 2);
    EXPECT_EQ(items[0].text, QStringLiteral("复制"));
    EXPECT_EQ(items[1].kind, PopupItem::Separator);
    EXPECT_EQ(items[2].index, 4);
    EXPECT_EQ(items[3].kind, PopupItem::Separator);
    EXPECT_EQ(items[4].kind, PopupItem::Scheme);
    EXPECT_TRUE(items[9].checked); // the automatic scheme is the current one
    QWidget* popup = bar->overflowPopup();
    EXPECT_EQ(popup->mapToGlobal(QPoint(popup->width(), 0)),
              bar->mapToGlobal(QPoint(bar->width(), bar->height())));

    QSignalSpy clicks(bar, &FlatToolbar::ButtonClick);
    const PopupLayout layout = layoutPopup(items, bar->font());
    QTest::mouseClick(popup, Qt::LeftButton, {}, layout.rects[2].center());
    EXPECT_FALSE(bar->isOverflowPopupOpen());
    EXPECT_EQ(clicks.count(), 0); // raised once the popup's own handling is over
    QCoreApplication::processEvents();
    ASSERT_EQ(clicks.count(), 1);
    EXPECT_EQ(clicks.at(0).at(1).toString(), QStringLiteral("alert"));
    EXPECT_FALSE(clicks.at(0).at(6).toBool());
    EXPECT_NE(bar->chevronLook(), ChevronLook::Down);
}

TEST_F(ToolbarInput, ASchemeChosenInThePopupBecomesTheBarsScheme) {
    QSignalSpy changed(bar, &FlatToolbar::propertyChanged);
    bar->showOverflowPopup();
    ASSERT_TRUE(bar->isOverflowPopupOpen());
    const std::vector<PopupItem> items = bar->popupItems();
    ASSERT_EQ(items.size(), 6u); // nothing hidden: only the schemes
    const PopupLayout layout = layoutPopup(items, bar->font());
    QTest::mouseClick(bar->overflowPopup(), Qt::LeftButton, {}, layout.rects[SchemeOlive].center());
    QCoreApplication::processEvents();
    EXPECT_EQ(bar->ThemeColor(), SchemeOlive);
    EXPECT_EQ(bar->colors(), fixedSchemeColors(SchemeOlive));
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.at(0).at(0).toString(), QStringLiteral("ThemeColor"));
}

TEST_F(ToolbarInput, NothingToListOpensNoPopup) {
    bar->setShowMenuColor(false);
    QTest::mousePress(bar->PicRight(), Qt::LeftButton, {}, QPoint(5, 10));
    EXPECT_FALSE(bar->isOverflowPopupOpen());
    QTest::mouseRelease(bar->PicRight(), Qt::LeftButton, {}, QPoint(5, 10));
    EXPECT_NE(bar->chevronLook(), ChevronLook::Down);
}

TEST_F(ToolbarInput, ThePopupClosesWhenTheParentWindowChanges) {
    narrow();
    const struct {
        const char* what;
        std::function<void()> change;
    } cases[] = {
        {"resized", [this] { host->resize(host->width() + 10, host->height()); }},
        {"moved", [this] { host->move(host->pos() + QPoint(5, 5)); }},
        {"deactivated",
         [this] {
             QEvent e(QEvent::WindowDeactivate);
             QApplication::sendEvent(host.get(), &e);
         }},
        {"clicked", [this] { QTest::mouseClick(host.get(), Qt::LeftButton, {}, QPoint(300, 70)); }},
        {"hidden", [this] { host->hide(); }},
    };
    for (const auto& c : cases) {
        host->show();
        bar->showOverflowPopup();
        ASSERT_TRUE(bar->isOverflowPopupOpen()) << c.what;
        c.change();
        EXPECT_FALSE(bar->isOverflowPopupOpen()) << c.what;
    }
}

TEST_F(ToolbarInput, MainBarClicksCarryTheDesignKeys) {
    auto* main = new FlatToolbar(host.get());
    main->readProperties(mainBarDesign());
    main->setGeometry(0, 40, 680, main->height());
    main->show();
    QSignalSpy clicks(main, &FlatToolbar::ButtonClick);
    for (int i = 1; i <= main->ButtonCount(); ++i) {
        const QPoint centre(main->BtnLeft(i) + main->BtnWidth(i) / 2, 12);
        QTest::mouseClick(main->PicTB(), Qt::LeftButton, {}, centre);
    }
    ASSERT_EQ(clicks.count(), 7);
    QStringList keys;
    for (const QList<QVariant>& c : clicks)
        keys << c.at(1).toString();
    EXPECT_EQ(keys, QStringList({"login", "set", "rjtx", "cal", "cwcal", "jyjsq", "copyprice"}));
}

} // namespace
