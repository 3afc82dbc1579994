#include "widgets/tabstrip/docktabcontrol.h"

#include "platform/colors.h"
#include "platform/gdi.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace tabstrip;

namespace {

QPoint centre(const Rect& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

// A shown strip in a host window, with tabs of the given captions.
struct Strip : ::testing::Test {
    std::unique_ptr<QWidget> host = std::make_unique<QWidget>();
    DockTabControl* control = new DockTabControl(host.get());
    cTabCollection tabs = control->Tabs();

    void make(int width, int count, int align = 0) {
        host->resize(width + 200, 300);
        control->setGeometry(0, 0, width, 200);
        control->setTabAlign(align);
        for (int i = 1; i <= count; ++i)
            tabs.Add({}, {}, QStringLiteral("Tab %1").arg(i));
        host->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(host.get()));
    }
    void click(QPoint pt, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mousePress(control, button, {}, pt);
        QTest::mouseRelease(control, button, {}, pt);
    }
};

bool holdsColour(const QImage& image, const Rect& r, platform::OleColor colour) {
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            if (platform::gdi::pixel(image, x, y) == static_cast<int32_t>(colour))
                return true;
    return false;
}

} // namespace

TEST_F(Strip, ClickingATabSelectsItAndReportsTheClick) {
    make(400, 3);
    QSignalSpy selected(control, &DockTabControl::TabSelected);
    QSignalSpy clicked(control, &DockTabControl::TabClick);
    QSignalSpy barClicks(control, &DockTabControl::TabBarClick);
    const QPoint onThird = centre(control->layout().painted[2]);
    QTest::mousePress(control, Qt::LeftButton, {}, onThird);
    EXPECT_EQ(selected.count(), 1); // selected on press, before the release
    EXPECT_EQ(control->SelectedTab().Index(), 3);
    QTest::mouseRelease(control, Qt::LeftButton, Qt::ShiftModifier, onThird);
    ASSERT_EQ(clicked.count(), 1);
    EXPECT_EQ(clicked[0][0].value<cTab>().Index(), 3);
    EXPECT_EQ(clicked[0][1].toInt(), 1);
    EXPECT_EQ(clicked[0][2].toInt(), 1); // Shift
    EXPECT_EQ(barClicks.count(), 0);

    click(centre(control->layout().painted[0]), Qt::RightButton); // any button selects
    EXPECT_EQ(control->SelectedTab().Index(), 1);
    EXPECT_EQ(clicked.last()[1].toInt(), 2);

    click(QPoint(300, 12)); // band, no tab
    ASSERT_EQ(barClicks.count(), 1);
    EXPECT_EQ(barClicks[0][2].toInt(), 300);
    EXPECT_EQ(selected.count(), 2);
}

TEST_F(Strip, ScrollButtonsActOnPressAndAgainOnReleaseOverThem) {
    make(300, 12);
    const QPoint right = centre(control->layout().scrollRight);
    const int step = control->layout().laidOut[1].left - control->layout().laidOut[0].left;
    QTest::mousePress(control, Qt::LeftButton, {}, right);
    EXPECT_EQ(control->scrollOffset(), step);
    QTest::mouseRelease(control, Qt::LeftButton, {}, right);
    EXPECT_EQ(control->scrollOffset(), 2 * step);

    // Released away from the button: only the press scrolled.
    QTest::mousePress(control, Qt::LeftButton, {}, right);
    QTest::mouseMove(control, QPoint(50, 100));
    QTest::mouseRelease(control, Qt::LeftButton, {}, QPoint(50, 100));
    EXPECT_EQ(control->scrollOffset(), 3 * step);

    const QPoint left = centre(control->layout().scrollLeft);
    click(left);
    EXPECT_EQ(control->scrollOffset(), step);
    click(left);
    EXPECT_EQ(control->scrollOffset(), 0);
    click(left); // nothing more to the left
    EXPECT_EQ(control->scrollOffset(), 0);
}

TEST_F(Strip, CloseButtonClosesTheSelectedTabUnlessCancelledOrNotClosable) {
    make(400, 3);
    int asked = 0; // TabClose's cancel flag is a reference, which a signal spy cannot record
    bool cancel = true;
    QObject::connect(control, &DockTabControl::TabClose, [&](cTab, bool& bCancel) {
        ++asked;
        bCancel = cancel;
    });
    tabs.Item(2).setSelected(true);
    const QPoint close = centre(control->layout().close);

    QTest::mousePress(control, Qt::LeftButton, {}, close);
    QTest::mouseRelease(control, Qt::LeftButton, {}, QPoint(200, 100)); // released away
    EXPECT_EQ(tabs.Count(), 3);
    EXPECT_EQ(asked, 0);

    click(close);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(tabs.Count(), 3);

    cancel = false;
    click(close);
    EXPECT_EQ(tabs.Count(), 2);
    EXPECT_EQ(control->SelectedTab().Caption(), "Tab 3");

    control->SelectedTab().setCanClose(false);
    click(close);
    EXPECT_EQ(asked, 2); // a tab that may not close is not even asked about
    EXPECT_EQ(tabs.Count(), 2);
}

TEST_F(Strip, ToolTipsNameTheButtonsAndTabs) {
    make(300, 12);
    tabs.Item(1).setToolTipText(QStringLiteral("first"));
    struct Case {
        QPoint pt;
        QString tip;
    } cases[] = {
        {centre(control->layout().scrollLeft), QStringLiteral("Scroll Left")},
        {centre(control->layout().scrollRight), QStringLiteral("Scroll Right")},
        {centre(control->layout().close), QStringLiteral("Close")},
        {centre(control->layout().painted[0]), QStringLiteral("first")},
        {QPoint(100, 100), QString()},
    };
    for (const Case& c : cases) {
        QTest::mouseMove(control, c.pt);
        EXPECT_EQ(control->toolTip(), c.tip);
    }
}

TEST_F(Strip, PinUnpinSlideOutAndCloseTheLastTab) {
    control->setPinnable(true);
    control->setAlign(3);
    make(300, 2);
    auto* panel = new QWidget;
    tabs.Item(2).setPanel(panel);
    ASSERT_TRUE(control->isPinned());
    EXPECT_GT(control->layout().captionBar.height(), 0);

    QSignalSpy unpinned(control, &DockTabControl::UnPinned);
    QSignalSpy pinned(control, &DockTabControl::Pinned);
    const QPoint pin = centre(captionButtons(control->layout().captionBar, kButtonWidth).pin);
    click(pin);
    EXPECT_EQ(unpinned.count(), 1);
    EXPECT_FALSE(control->isPinned());
    EXPECT_EQ(control->width(), kCollapsedStripWidth);
    EXPECT_TRUE(control->picUnpinned()->isVisible());
    EXPECT_FALSE(panel->isVisible());

    // Hovering the second tab on the collapsed strip selects it and slides its panel out.
    QTest::mouseMove(control->picUnpinned(), centre(control->collapsedLayout()[1]));
    EXPECT_EQ(control->SelectedTab().Index(), 2);
    EXPECT_TRUE(control->Shown());
    EXPECT_EQ(control->width(), kCollapsedStripWidth + control->UnpinnedWidth());
    EXPECT_TRUE(panel->isVisible());
    EXPECT_GE(panel->x(), kCollapsedStripWidth);

    // Pinning it again from the slid-out caption bar.
    click(centre(captionButtons(control->layout().captionBar, kButtonWidth).pin));
    EXPECT_EQ(pinned.count(), 1);
    EXPECT_TRUE(control->isPinned());
    EXPECT_EQ(control->width(), control->UnpinnedWidth());
    EXPECT_TRUE(panel->isVisible());
    EXPECT_FALSE(control->picUnpinned()->isVisible());

    // Unpinned with one tab left, closing it hides the slid-out panel.
    tabs.Remove(1);
    click(centre(captionButtons(control->layout().captionBar, kButtonWidth).pin));
    QTest::mouseMove(control->picUnpinned(), centre(control->collapsedLayout()[0]));
    ASSERT_TRUE(control->Shown());
    const QPoint close = centre(captionButtons(control->layout().captionBar, kButtonWidth).close);
    click(close);
    EXPECT_EQ(tabs.Count(), 0);
    EXPECT_FALSE(control->Shown());
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(control->width(), kCollapsedStripWidth);
}

TEST_F(Strip, PaintsBandAndCaptionsByAlignmentAndState) {
    make(400, 3, 0);
    const platform::OleColor shadow = platform::GetSysColor(platform::COLOR_BTNSHADOW);
    const platform::OleColor text = platform::GetSysColor(platform::COLOR_WINDOWTEXT);
    const platform::OleColor dim = platform::GetSysColor(platform::COLOR_3DDKSHADOW);
    QImage face = control->renderFace();
    // Band on top: the line between band and client runs in the frame colour.
    EXPECT_EQ(platform::gdi::pixel(face, 380, kTabBandHeight - 2), static_cast<int32_t>(shadow));
    const Rect sel = control->layout().painted[0];
    const Rect textRect{sel.left + 8, sel.top, sel.right - 8, sel.bottom};
    EXPECT_TRUE(holdsColour(face, textRect, text));

    tabs.Item(1).setEnabled(false); // a disabled selected tab is captioned dimmed
    face = control->renderFace();
    EXPECT_FALSE(holdsColour(face, textRect, text));
    EXPECT_TRUE(holdsColour(face, textRect, dim));

    control->setTabAlign(1);
    face = control->renderFace();
    EXPECT_EQ(control->layout().band.top, 200 - kTabBandHeight);
    EXPECT_EQ(platform::gdi::pixel(face, 380, 200 - kTabBandHeight + 1), static_cast<int32_t>(shadow));
}

TEST_F(Strip, WideningShowsEveryTabThatFits) {
    make(300, 11);
    tabs.Item(11).setSelected(true);
    (void)control->renderFace();
    ASSERT_GT(control->layout().scrollOffset, 0);
    host->resize(1480, 300);
    control->setGeometry(0, 0, 1280, 200);
    (void)control->renderFace();
    EXPECT_EQ(control->layout().scrollOffset, 0);
    EXPECT_EQ(control->layout().painted[0].left, control->layout().laidOut[0].left);
    EXPECT_FALSE(control->layout().scrollLeftEnabled);
}

TEST_F(Strip, MainWindowStyleJoinsTheSelectedTabToItsPage) {
    make(400, 3, 0);
    control->setDrawStyle(2);
    const Palette pal = GetGradientColors();
    const auto px = [](const QImage& f, int x, int y) { return static_cast<platform::OleColor>(platform::gdi::pixel(f, x, y)); };
    const platform::OleColor separator = BlendColor(pal.border, pal.light2, 175);
    for (const int align : {0, 1}) {
        SCOPED_TRACE(align);
        control->setTabAlign(align);
        const QImage face = control->renderFace();
        const Rect band = control->layout().band;
        const Rect client = control->layout().client;
        const platform::OleColor page = px(face, client.left + 50, (client.top + client.bottom) / 2);
        const Rect sel = control->layout().painted[0];
        const Rect second = control->layout().painted[1];
        // Where the selected tab meets the page it has the page's colour, not the band's lines.
        const int meeting = align == 1 ? band.top : band.bottom - 1;
        const int outerLine = align == 1 ? band.top + 1 : band.bottom - 2;
        EXPECT_EQ(px(face, (sel.left + sel.right) / 2, meeting), page);
        EXPECT_NE(px(face, (sel.left + sel.right) / 2, outerLine), pal.border);
        EXPECT_EQ(px(face, (second.left + second.right) / 2, outerLine), pal.border);
        // The separator after tab 2 runs from the tab's edge down to the band's lines.
        const int first = align == 1 ? band.top + 2 : second.top;
        const int last = align == 1 ? second.bottom - 1 : band.bottom - 3;
        for (int y = first; y <= last; ++y)
            EXPECT_EQ(px(face, second.right - 1, y), separator) << y;
    }
}

TEST_F(Strip, ScrollGlyphsAreDimmedWhenTheyCannotScroll) {
    make(300, 12);
    const platform::OleColor enabled = platform::GetSysColor(platform::COLOR_3DDKSHADOW);
    const QImage face = control->renderFace();
    EXPECT_FALSE(holdsColour(face, control->layout().scrollLeft, enabled));
    EXPECT_TRUE(holdsColour(face, control->layout().scrollRight, enabled));
}

TEST_F(Strip, IconsComeFromTheBoundListWhileItLives) {
    auto list = platform::ImageList::create(16, 16);
    QImage red(16, 16, QImage::Format_RGB32);
    red.fill(qRgb(255, 0, 0));
    list->add(red);
    make(400, 2);
    const int plain = control->layout().laidOut[0].width();
    control->setImageList(list);
    tabs.Item(1).setIconIndex(0);
    EXPECT_EQ(control->layout().laidOut[0].width(), plain + 20);
    const QImage face = control->renderFace();
    const Rect tab = control->layout().painted[0];
    EXPECT_TRUE(holdsColour(face, {tab.left + 8, tab.top, tab.left + 24, tab.bottom}, 0x0000FF));
    list.reset(); // the owner lets it go: no icons, no fault
    tabs.Item(1).setCaption(QStringLiteral("again"));
    EXPECT_FALSE(holdsColour(control->renderFace(), {tab.left + 8, tab.top, tab.left + 24, tab.bottom}, 0x0000FF));
}

TEST(StripImageList, TakesAListOrAControlHoldingOne) {
    struct ListControl {
        std::shared_ptr<platform::ImageList> list = platform::ImageList::create(16, 16);
        [[nodiscard]] std::shared_ptr<platform::ImageList> hIml() const { return list; }
    } holder;
    DockTabControl control;
    control.setImageList(holder);
    EXPECT_EQ(control.ImageList(), holder.list);
    control.setImageList(std::shared_ptr<platform::ImageList>());
    EXPECT_EQ(control.ImageList(), nullptr);
}
