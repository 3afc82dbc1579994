#include "widgets/imagelist/balloonshape.h"
#include "widgets/imagelist/balloontip.h"
#include "widgets/imagelist/frmtooltip.h"

#include "platform/forms.h"
#include "platform/propertybag.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace balloon;

// --- Measures and placement ---

TEST(BalloonShape, FrameAroundTheBodyText) {
    // A body text label of 100 x 26 pixels.
    const Frame frame = frameFor(QSize(1500, 390));
    EXPECT_EQ(frame.bodyWidth, 1800);
    EXPECT_EQ(frame.bodyHeight, 315 + 390 + 60);
    EXPECT_EQ(frame.windowWidth, 1800);
    EXPECT_EQ(frame.windowHeight, 765 + 450);
    const int h = 765 / 15;
    EXPECT_EQ(frame.pointer, QPolygon({QPoint(35, h - 1), QPoint(25, h - 1), QPoint(20, h + 15),
                                       QPoint(35, h - 1)}));
}

TEST(BalloonShape, PlacementPutsTheTipAtTheCursorAndFlipsAtTheEdges) {
    const Frame frame = frameFor(QSize(1500, 390)); // window 120 x 81 pixels
    const int screenWidth = 800 * 15;
    struct Case {
        const char* what;
        QPoint cursor;
        bool right;
        bool top;
    };
    const Case cases[] = {
        {"room everywhere", {400, 300}, false, false},
        {"near the right edge", {790, 300}, true, false},
        // Room on the right: window width + cursor x - 450 + 250 twips within the screen.
        {"right edge, just room", {693, 300}, false, false},
        {"right edge, just no room", {694, 300}, true, false},
        {"near the top", {400, 20}, false, true},
        // Room above: cursor y + 300 - window height - 350 twips not below 0.
        {"top, just room", {400, 85}, false, false},
        {"top, just no room", {400, 84}, false, true},
        {"top right corner", {795, 5}, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Placement p = place(frame, c.cursor, 15, 15, screenWidth);
        EXPECT_EQ(p.pointerRight, c.right);
        EXPECT_EQ(p.pointerTop, c.top);
        EXPECT_EQ(p.bodyTop, c.top ? 15 : 0);
        const QPoint tip = p.topLeft + p.pointer[2] * kTwipsPerPixel;
        // The tip lands on the cursor's x, 75 twips above it or, pointer on top, 75 below.
        EXPECT_EQ(tip.x(), c.cursor.x() * 15);
        EXPECT_EQ(tip.y(), c.cursor.y() * 15 + (c.top ? 75 : -75));
        if (c.right) {
            // The balloon extends to the left of the cursor.
            EXPECT_EQ(p.pointer[2].x(), 120 - 20);
            EXPECT_EQ(p.topLeft.x() + frame.windowWidth, c.cursor.x() * 15 + 300);
        } else {
            EXPECT_EQ(p.pointer[2].x(), 20);
        }
        if (c.top) {
            EXPECT_EQ(p.pointer,
                      QPolygon({QPoint(p.pointer[0].x(), 15), QPoint(p.pointer[1].x(), 15),
                                QPoint(p.pointer[2].x(), 0), QPoint(p.pointer[3].x(), 15)}));
        }
    }
}

TEST(BalloonShape, CursorUsesTheScreenFactors) {
    const Frame frame = frameFor(QSize(1500, 390));
    const Placement p = place(frame, QPoint(200, 200), 12, 10, 800 * 15);
    EXPECT_EQ((p.topLeft + p.pointer[2] * kTwipsPerPixel).x(), 200 * 12);
}

TEST(BalloonShape, ShapeIsTheRoundedBodyAndThePointer) {
    const Frame frame = frameFor(QSize(1500, 390));
    const int h = frame.bodyHeight / 15;
    const QRegion below = shape(frame.bodyWidth, frame.bodyHeight, 0, frame.pointer);
    EXPECT_TRUE(below.contains(QPoint(60, 20)));
    EXPECT_FALSE(below.contains(QPoint(0, 0))); // rounded corner
    EXPECT_TRUE(below.contains(QPoint(6, 0)));
    EXPECT_TRUE(below.contains(QPoint(25, h + 5))); // inside the pointer
    EXPECT_FALSE(below.contains(QPoint(60, h + 5)));
    EXPECT_LE(below.boundingRect().bottom(), h + 15);

    Frame topFrame = frame;
    topFrame.pointer = QPolygon({QPoint(35, 15), QPoint(25, 15), QPoint(20, 0), QPoint(35, 15)});
    const QRegion above = shape(frame.bodyWidth, frame.bodyHeight, 15, topFrame.pointer);
    EXPECT_FALSE(above.contains(QPoint(60, 5)));
    EXPECT_TRUE(above.contains(QPoint(60, 16)));
    EXPECT_TRUE(above.contains(QPoint(60, h + 15)));
    EXPECT_TRUE(above.contains(QPoint(24, 10)));
}

TEST(BalloonShape, OutlineIsTheRegionsEdge) {
    const QRegion box(QRect(0, 0, 5, 4));
    const QRegion ring = outline(box);
    EXPECT_TRUE(ring.contains(QPoint(0, 0)));
    EXPECT_TRUE(ring.contains(QPoint(4, 3)));
    EXPECT_TRUE(ring.contains(QPoint(2, 0)));
    EXPECT_FALSE(ring.contains(QPoint(2, 2)));
    EXPECT_FALSE(ring.contains(QPoint(1, 1)) && ring.contains(QPoint(2, 1)) &&
                 ring.contains(QPoint(3, 2)));
}

TEST(BalloonShape, GradientStepByBodyHeight) {
    struct Case {
        int heightPx;
        int step;
    };
    const Case cases[] = {{31, 10}, {62, 5},  {60, 5},  {100, 3}, {124, 2}, {206, 2},
                          {207, 1}, {600, 1}, {620, 0}, {700, 0}, {0, 0}};
    for (const Case& c : cases)
        EXPECT_EQ(gradientStep(c.heightPx * 15), c.step) << c.heightPx;
}

TEST(BalloonShape, GradientRowsLightenThenTurnBack) {
    // Body 31 pixels: step 10; rows to the pointer's tip (31 + 15 + 1 of them).
    const std::vector<platform::OleColor> rows = gradientRows(platform::rgb(100, 40, 0), 31 * 15);
    ASSERT_EQ(rows.size(), 47u);
    EXPECT_EQ(rows[0], platform::rgb(100, 40, 0));
    EXPECT_EQ(rows[1], platform::rgb(120, 60, 20)); // row n adds (n + 1) x step
    EXPECT_EQ(rows[5], platform::rgb(160, 100, 60));
    EXPECT_EQ(rows[20], platform::rgb(255, 250, 210));
    // The shift passes 254 at 260 (row 25) and then falls by the step per row.
    EXPECT_EQ(rows[24], platform::rgb(255, 255, 250));
    EXPECT_EQ(rows[25], platform::rgb(255, 255, 255));
    EXPECT_EQ(rows[26], platform::rgb(255, 255, 250));
    EXPECT_EQ(rows[46], platform::rgb(150, 90, 50));

    // A very tall body is one plain colour.
    for (platform::OleColor c : gradientRows(0x9BFFFF, 700 * 15))
        ASSERT_EQ(c, 0x9BFFFFu);
    // A system colour is resolved first.
    EXPECT_EQ(gradientRows(0x8000000F, 31 * 15)[0], platform::GetSysColor(platform::COLOR_BTNFACE));
}

// --- The control and the balloon window ---

namespace {

class Balloon : public ::testing::Test {
protected:
    void SetUp() override {
        // The balloon is often the only form here; its unloading must not end the test.
        platform::setQuitHandler([] {});
        QCursor::setPos(QPoint(300, 300));
    }
    void TearDown() override {
        platform::unload<frmToolTip>();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        platform::setQuitHandler(nullptr);
    }
    static frmToolTip* shown() {
        return platform::isLoaded<frmToolTip>() ? &platform::form<frmToolTip>() : nullptr;
    }
};

} // namespace

TEST_F(Balloon, DefaultsChangesAndSavedProperties) {
    QWidget host;
    host.setFont(QFont(QStringLiteral("SimSun"), 9));
    BalloonTip tip(&host);
    EXPECT_EQ(tip.BackColor(), 0x9BFFFFu);
    EXPECT_EQ(tip.Icon(), 2);
    EXPECT_EQ(tip.Font().family(), host.font().family());
    EXPECT_FALSE(tip.Showing());
    EXPECT_EQ(tip.Ctrl_hWnd(), 0u);
    EXPECT_EQ(tip.size(), QSize(37, 33));
    tip.resize(200, 100);
    EXPECT_EQ(tip.size(), QSize(37, 33));
    EXPECT_TRUE(tip.isHidden());

    QSignalSpy changed(&tip, &BalloonTip::propertyChanged);
    tip.setTipText(QStringLiteral("10:30 金价上涨"));
    tip.setTitleText(QStringLiteral(" 新闻资讯"));
    tip.setTitleColor(0xFF);
    tip.setIcon(1);
    ASSERT_EQ(changed.count(), 4);
    EXPECT_EQ(changed.at(0).at(0).toString(), QStringLiteral("TipText"));

    platform::PropertyBag bag;
    tip.writeProperties(bag);
    EXPECT_EQ(bag.keys(), (QStringList{"TipText", "TitleText", "Icon", "TitleColor"}));
    bag.write("Ctrl_hWnd", 1234);
    BalloonTip restored(&host);
    restored.readProperties(bag);
    EXPECT_EQ(restored.TipText(), QStringLiteral("10:30 金价上涨"));
    EXPECT_EQ(restored.TitleText(), QStringLiteral(" 新闻资讯"));
    EXPECT_EQ(restored.TitleColor(), 0xFFu);
    EXPECT_EQ(restored.Icon(), 1);
    EXPECT_EQ(restored.Ctrl_hWnd(), 1234u); // read, never written
    platform::PropertyBag again;
    restored.writeProperties(again);
    EXPECT_FALSE(again.contains("Ctrl_hWnd"));

    restored.setTag(QStringLiteral("3"));
    EXPECT_EQ(restored.Tag(), QStringLiteral("3"));
}

TEST_F(Balloon, ShowTipFillsTheBalloonWhichShowsAtTheCursor) {
    BalloonTip tip;
    tip.setBalloonFont(QFont(QStringLiteral("SimSun"), 9));
    tip.setTitleText(QStringLiteral(" 快讯播报(有正文)"));
    tip.setTipText(QStringLiteral("10:30\r\n美联储维持利率不变..."));
    tip.setTitleColor(0xFF);
    tip.ShowTip(3000, 4000);
    EXPECT_TRUE(tip.Showing());
    EXPECT_NE(tip.Ctrl_hWnd(), 0u);
    EXPECT_EQ(ShownOwner, tip.Ctrl_hWnd());
    EXPECT_EQ(ShownTitleText, tip.TitleText());
    EXPECT_EQ(ShownFontSize, 9.0);
    EXPECT_EQ(ShownBackColor, 0x9BFFFFu);

    frmToolTip* balloon = shown();
    ASSERT_NE(balloon, nullptr);
    EXPECT_FALSE(balloon->isVisible()); // placed on the first timer tick
    EXPECT_EQ(balloon->tipCaption(), tip.TipText());
    EXPECT_EQ(balloon->titleFont().bold(), true);
    EXPECT_EQ(balloon->tipFont().bold(), false);
    // Two lines of body text make the label two lines tall; the body wraps it.
    EXPECT_EQ(balloon->frame().bodyWidth, balloon->tipLabel().width() + 300);
    EXPECT_EQ(balloon->frame().bodyHeight, 315 + balloon->tipLabel().height() + 60);
    EXPECT_GT(balloon->tipLabel().height(), balloon->titleLabel().height());

    QTRY_VERIFY_WITH_TIMEOUT(balloon->isVisible(), 3000);
    EXPECT_TRUE(balloon->placed());
    EXPECT_FALSE(balloon->placement().pointerTop);
    const QPoint tipPx = balloon->pos() + balloon->placement().pointer[2];
    EXPECT_EQ(tipPx, QCursor::pos() - QPoint(0, 5));
    EXPECT_TRUE(balloon->windowRegion().contains(balloon->placement().pointer[2] + QPoint(2, -7)));
    EXPECT_FALSE(balloon->isActiveWindow());

    tip.UnShowIng();
    EXPECT_FALSE(tip.Showing());
    EXPECT_FALSE(platform::isLoaded<frmToolTip>());
    tip.UnShowIng(); // harmless when nothing is shown
}

TEST_F(Balloon, NearTheTopThePointerGoesOnTopAndTheLabelsMoveDown) {
    QCursor::setPos(QPoint(200, 10));
    BalloonTip tip;
    tip.setTipText(QStringLiteral("text"));
    tip.ShowTip(0, 0);
    frmToolTip* balloon = shown();
    ASSERT_NE(balloon, nullptr);
    const QRect before = balloon->tipLabel();
    QTRY_VERIFY_WITH_TIMEOUT(balloon->isVisible(), 3000);
    EXPECT_TRUE(balloon->placement().pointerTop);
    EXPECT_EQ(BalloonBodyTop, 15);
    EXPECT_EQ(balloon->tipLabel(), before.translated(0, 225));
    EXPECT_EQ(balloon->pos() + balloon->placement().pointer[2], QCursor::pos() + QPoint(0, 5));
}

TEST_F(Balloon, ASecondShowKeepsTheLoadedBalloon) {
    BalloonTip tip;
    tip.setTipText(QStringLiteral("first"));
    tip.ShowTip(0, 0);
    frmToolTip* balloon = shown();
    ASSERT_NE(balloon, nullptr);
    tip.setTipText(QStringLiteral("second"));
    tip.ShowTip(0, 0);
    EXPECT_EQ(shown(), balloon);
    EXPECT_EQ(balloon->tipCaption(), QStringLiteral("first"));
    EXPECT_EQ(ShownTipText, QStringLiteral("second"));
}

TEST_F(Balloon, AnotherInstanceClaimingTheBalloonClosesIt) {
    BalloonTip first;
    BalloonTip second;
    first.setTipText(QStringLiteral("first"));
    first.ShowTip(-500, -500); // no window there: the instance is its own owner
    frmToolTip* balloon = shown();
    ASSERT_NE(balloon, nullptr);
    QTRY_VERIFY_WITH_TIMEOUT(balloon->placed(), 3000);
    QPointer<frmToolTip> watched(balloon);
    second.ShowTip(-500, -500);
    EXPECT_NE(second.Ctrl_hWnd(), first.Ctrl_hWnd());
    // Still the first balloon until control returns to the event loop, then it closes.
    EXPECT_EQ(shown(), balloon);
    QTRY_VERIFY_WITH_TIMEOUT(!platform::isLoaded<frmToolTip>(), 3000);
    EXPECT_TRUE(first.Showing()); // a flag of its own

    // The first instance keeps its token; showing it again claims nothing new.
    const quintptr token = first.Ctrl_hWnd();
    first.ShowTip(0, 0);
    EXPECT_EQ(first.Ctrl_hWnd(), token);
    EXPECT_EQ(ShownOwner, second.Ctrl_hWnd());
}

TEST_F(Balloon, TheOwnerIsTheWindowUnderThePoint) {
    QWidget window;
    window.setGeometry(100, 100, 200, 150);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    BalloonTip tip(&window);
    tip.ShowTip(150.4f, 160.0f);
    EXPECT_EQ(tip.Ctrl_hWnd(), reinterpret_cast<quintptr>(&window));
}

TEST_F(Balloon, ClosesByItselfAfterTenSeconds) {
    ManualClock clock;
    BalloonTip tip;
    tip.setTipText(QStringLiteral("time"));
    tip.ShowTip(0, 0);
    frmToolTip* balloon = shown();
    ASSERT_NE(balloon, nullptr);
    clock.advance(frmToolTip::kPlaceDelayMs - 1);
    EXPECT_FALSE(balloon->placed());
    clock.advance(1);
    EXPECT_TRUE(balloon->placed());
    EXPECT_TRUE(balloon->isVisible());
    clock.advance(frmToolTip::kLifetimeMs - frmToolTip::kPlaceDelayMs - 1);
    EXPECT_TRUE(platform::isLoaded<frmToolTip>());
    clock.advance(1);
    EXPECT_FALSE(platform::isLoaded<frmToolTip>());
    EXPECT_TRUE(tip.Showing()); // the host does not show it again for the same marker
}

TEST(ManualClock, RunsDueTimersInOrderAtTheirOwnTimes) {
    ManualClock clock;
    std::vector<std::pair<char, qint64>> fired;
    FormTimer late;
    FormTimer early;
    FormTimer chained;
    late.start(500, [&] { fired.emplace_back('L', clock.now()); });
    early.start(100, [&] {
        fired.emplace_back('E', clock.now());
        chained.start(50, [&] { fired.emplace_back('C', clock.now()); });
    });
    clock.advance(120);
    EXPECT_EQ(fired, (std::vector<std::pair<char, qint64>>{{'E', 100}}));
    EXPECT_TRUE(chained.isActive());
    late.stop();
    clock.advance(1000);
    EXPECT_EQ(fired, (std::vector<std::pair<char, qint64>>{{'E', 100}, {'C', 150}}));
    EXPECT_FALSE(late.isActive());
    EXPECT_EQ(clock.now(), 1120);
}
