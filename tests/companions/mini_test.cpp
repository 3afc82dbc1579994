#include "companions/menuform.h"
#include "companions/mini.h"

#include "common/windowutil.h"
#include "companions/tray.h"
#include "platform/tray.h"
#include "state/quotetables.h"
#include "state/session.h"
#include "state/storedlists.h"
#include "state/usersettings.h"

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// A hot-key back end that grants or refuses every grab.
struct GrantingBackend : platform::HotkeyBackend {
    bool grant = true;
    explicit GrantingBackend(bool g) : grant(g) {}
    bool grab(int32_t, uint32_t, int32_t) override { return grant; }
    void release(int32_t) override {}
    void setPressedHandler(std::function<void(int32_t)>) override {}
};

class MiniWindow : public ::testing::Test {
protected:
    platform::FakeTrayIcon tray;

    void SetUp() override {
        platform::setTrayIcon(&tray);
        // Balloons show on the icon, so it is there as after the main window's start-up.
        TrayAdd(nullptr, false, QIcon(), QString(), QStringLiteral("Quillor"));
        clearQuoteTables();
        const char16_t* names[] = {u"人民币账户黄金", u"人民币账户白银", u"美元账户黄金", u"人民币账户铂金"};
        const float prices[] = {386.52f, 5.12f, 2043.8f, 226.0f};
        const float changes[] = {1.2f, -0.034f, 0.0f, -2.5f};
        for (int i = 0; i < 4; ++i) {
            ProdName[i] = QString::fromUtf16(names[i]);
            ProdPrice[i][0] = prices[i];
            ProdPrev[i] = changes[i];
        }
        ProdCount = 4;
        ProdLast = 3;
        ExtShow = QList<bool>(4, false);
        ExtCount = 0;
        ShowDayChange = false;
        ShowHolding = false;
        ExtBigFont = false;
        NoEdgeHide = false;
        MainStarted = false;
        BossKeyOn = true;
    }
    void TearDown() override {
        platform::unloadAll();
        setHotkeyBackend(std::make_unique<GrantingBackend>(false));
        platform::setTrayIcon(nullptr);
        ExtShow.clear();
        ExtCount = 0;
    }
    static void listThree() {
        ExtShow = {true, true, false, true};
        ExtCount = 3;
    }
};

TEST_F(MiniWindow, SkinsSetPanelHeightAndTextLeft) {
    struct Case {
        float dols;
        int miniHeight;
        int wText;
    };
    const Case cases[] = {{0, 600, 780}, {5, 600, 780}, {6, 420, 45}, {7, 420, 45}, {3, 600, 780}};
    MiniForm& mini = Mini();
    for (const Case& c : cases) {
        mini.Loadskin(c.dols);
        EXPECT_EQ(mini.MiniHeight, c.miniHeight) << c.dols;
        EXPECT_EQ(mini.wText, c.wText) << c.dols;
        EXPECT_EQ(mini.sizeTwips().height(), c.miniHeight) << c.dols; // no rows: just the panel
    }
    // An unknown skin keeps the pictures (and so the height) of the one before.
    mini.Loadskin(6);
    mini.Loadskin(8);
    EXPECT_EQ(mini.MiniHeight, 420);
    EXPECT_EQ(mini.wText, 45);
    // LoadImg with an unknown key changes no picture but sets wText.
    mini.LoadImg(QStringLiteral("nosuch"));
    EXPECT_EQ(mini.MiniHeight, 420);
    EXPECT_EQ(mini.wText, 780);
}

TEST_F(MiniWindow, ListRowsSetTextsAndHeight) {
    listThree();
    MiniForm& mini = Mini();
    mini.Loadskin(0);
    EXPECT_EQ(mini.sizeTwips().height(), 600 + 3 * 330);
    EXPECT_EQ(mini.height(), (600 + 990) / 15);
    ASSERT_GE(mini.rowTexts().size(), 3);
    EXPECT_EQ(mini.rowTexts()[0], QStringLiteral("人民币账户黄金：386.52 涨跌：+1.20"));
    EXPECT_EQ(mini.rowTexts()[1], QStringLiteral("人民币账户白银：5.12 涨跌：-0.03"));
    EXPECT_EQ(mini.rowTexts()[2], QStringLiteral("人民币账户铂金：226 涨跌：-2.50"));
    // A shorter list keeps the old rows, below the window's edge.
    ExtShow = {false, false, true, false};
    ExtCount = 1;
    mini.LoadMiniExt();
    EXPECT_EQ(mini.sizeTwips().height(), 600 + 330);
    EXPECT_EQ(mini.rowCount(), 3);
    EXPECT_EQ(mini.rowTexts()[0], QStringLiteral("美元账户黄金：2043.8 涨跌：0"));
    EXPECT_EQ(mini.rowTexts()[1], QStringLiteral("人民币账户白银：5.12 涨跌：-0.03"));
    ExtCount = 0;
    mini.LoadMiniExt();
    EXPECT_EQ(mini.sizeTwips().height(), 600);
}

TEST_F(MiniWindow, CaptionStatesAndWidth) {
    MiniForm& mini = Mini();
    mini.Loadskin(0);
    mini.SetCaption(QStringLiteral("买入:386.52"), 1, QStringLiteral("1.20"), QString());
    EXPECT_EQ(mini.priceText(), QStringLiteral("买入:386.52"));
    EXPECT_EQ(mini.changeText(), QStringLiteral("↑1.20"));
    EXPECT_EQ(mini.changeColor(), 0xFFu);
    EXPECT_EQ(mini.changeTip(), QStringLiteral("上涨"));
    const int oneLine = mini.sizeTwips().width();
    EXPECT_GT(oneLine, 780);
    // A direction code outside 0..2 leaves the change as it was.
    mini.SetCaption(QStringLiteral("买入:386.50"), 9, QStringLiteral("0.9"), QString());
    EXPECT_EQ(mini.changeText(), QStringLiteral("↑1.20"));
    mini.SetCaption(QStringLiteral("买入:386.50"), 2, QStringLiteral("-0.02"), QString());
    EXPECT_EQ(mini.changeText(), QStringLiteral("↓-0.02"));
    EXPECT_EQ(mini.changeColor(), 0xC000u);
    // Switching the day's change off brings back the neutral text.
    mini.resetChange();
    EXPECT_EQ(mini.changeText(), QStringLiteral("－0.00"));
    EXPECT_EQ(mini.changeColor(), 0xFFFFFFu);
    // A long position line widens the window; it does not fit the low frame skins.
    ShowHolding = true;
    mini.holdCaption = QStringLiteral("持仓：多 100克 均价 380.00 浮动盈亏 +652.00 元");
    mini.SetCaption(QStringLiteral("买入:386.50"), 0, QString(), QStringLiteral("持仓明细"));
    EXPECT_TRUE(mini.positionLineVisible());
    EXPECT_GT(mini.sizeTwips().width(), oneLine);
    mini.Loadskin(6);
    mini.SetCaption(QStringLiteral("买入:386.50"), 0, QString(), QString());
    EXPECT_FALSE(mini.positionLineVisible());
}

TEST_F(MiniWindow, DocksAtTheRightEdgeAndComesBack) {
    MiniForm& mini = Mini();
    mini.Loadskin(0);
    mini.show();
    const int screenWidth = mini.screen()->geometry().width();
    mini.move(screenWidth - mini.width() - 3, 200);
    mini.HideMe();
    EXPECT_TRUE(mini.Ishide);
    EXPECT_EQ(mini.x(), screenWidth - 3);
    EXPECT_FALSE(mini.watching());
    mini.ShowMe();
    EXPECT_FALSE(mini.Ishide);
    EXPECT_EQ(mini.x(), screenWidth - mini.width());
    EXPECT_TRUE(mini.watching());
    // The cursor away from it docks it again on the next tick.
    mini.tickAt(QPoint(10, 700));
    EXPECT_TRUE(mini.Ishide);
    NoEdgeHide = true;
    mini.ShowMe();
    mini.tickAt(QPoint(10, 700));
    EXPECT_FALSE(mini.Ishide);
    EXPECT_FALSE(mini.watching());
}

TEST_F(MiniWindow, ALongerCaptionKeepsTheWindowInTheWorkArea) {
    MiniForm& mini = Mini();
    mini.Loadskin(0);
    ShowDayChange = true;
    mini.SetCaption(QStringLiteral("买入:386.52"), 1, QStringLiteral("1.20"), QString());
    mini.show();
    const QRect area = mini.screen()->availableGeometry();
    mini.move(area.right() + 1 - mini.width() - 4, 200);
    struct Case {
        const char* caption;
        const char* change;
    };
    const Case cases[] = {
        {"买入:386.52 卖出:386.02", "+1.20"},
        {"买入:27639.43 卖出:27631.43 人民币账户钯金", "-1234.56"},
        {"买入:386.5", "0.01"},
    };
    for (const Case& c : cases) {
        mini.SetCaption(QString::fromUtf8(c.caption), 1, QString::fromUtf8(c.change), QString());
        EXPECT_LE(mini.x() + mini.width(), area.right() + 1) << c.caption;
        EXPECT_GE(mini.x(), area.left()) << c.caption;
        EXPECT_TRUE(mini.changeText().endsWith(QString::fromUtf8(c.change))) << c.caption;
    }
    // Docked behind the right edge it stays there as its caption grows.
    mini.move(area.right() + 1 - mini.width(), 200);
    mini.HideMe();
    ASSERT_TRUE(mini.Ishide);
    const int docked = mini.x();
    mini.SetCaption(QStringLiteral("买入:27639.43 卖出:27631.43 人民币账户钯金 多"), 1,
                    QStringLiteral("+1.20"), QString());
    EXPECT_EQ(mini.x(), docked);
}

TEST_F(MiniWindow, HideEntryWithoutARegisteredKeyShowsTheBalloon) {
    struct Case {
        const char* name;
        bool bossKeyOn;
        bool grant;
    };
    const Case cases[] = {{"switched off", false, true}, {"refused", true, false}};
    for (const Case& c : cases) {
        tray.balloons.clear();
        BossKeyOn = c.bossKeyOn;
        setHotkeyBackend(std::make_unique<GrantingBackend>(c.grant));
        if (c.bossKeyOn)
            SetHotkey(1, QStringLiteral("Ctrl+Alt,W"), QStringLiteral("Add"), &menuForm());
        EXPECT_FALSE(hotkeyRegistered()) << c.name;
        menuForm().mhide->trigger();
        ASSERT_EQ(tray.balloons.size(), 1) << c.name;
        EXPECT_EQ(tray.balloons[0].title, QStringLiteral("未启用")) << c.name;
        EXPECT_EQ(tray.balloons[0].infoFlags, platform::kBalloonInfo) << c.name;
    }
    // Registered and on: the toggle runs, no balloon.
    tray.balloons.clear();
    BossKeyOn = true;
    setHotkeyBackend(std::make_unique<GrantingBackend>(true));
    EXPECT_TRUE(SetHotkey(1, QStringLiteral("Ctrl+Alt,W"), QStringLiteral("Add"), &menuForm()));
    menuForm().mhide->trigger();
    EXPECT_TRUE(tray.balloons.isEmpty());
}

TEST_F(MiniWindow, BadKeyTextShowsTheErrorBalloon) {
    setHotkeyBackend(std::make_unique<GrantingBackend>(true));
    EXPECT_FALSE(SetHotkey(1, QStringLiteral("Ctrl+Alt,"), QStringLiteral("Add"), &menuForm()));
    ASSERT_EQ(tray.balloons.size(), 1);
    EXPECT_EQ(tray.balloons[0].title, QStringLiteral("操作提示"));
    EXPECT_TRUE(tray.balloons[0].text.startsWith(QStringLiteral("注册热键时出错:\n")));
    // A refused registration is silent.
    setHotkeyBackend(std::make_unique<GrantingBackend>(false));
    EXPECT_FALSE(SetHotkey(1, QStringLiteral("Ctrl+Alt,W"), QStringLiteral("Add"), &menuForm()));
    EXPECT_EQ(tray.balloons.size(), 1);
}

TEST_F(MiniWindow, MenuEntriesAndInstrumentChoice) {
    MenuForm& menu = menuForm();
    QStringList captions;
    for (QAction* a : menu.MainMenu->actions())
        captions << (a->isSeparator() ? QStringLiteral("-") : a->text());
    EXPECT_EQ(captions, (QStringList{QStringLiteral("显示程序(&V)"), QStringLiteral("程序设置(&S)"), QStringLiteral("-"),
                                     QStringLiteral("选择市场"), QStringLiteral("复制当前行情信息(&N)"),
                                     QStringLiteral("老板键(&H) Ctrl+Alt+W"), QStringLiteral("退出程序(&X)")}));
    int chosen = -1;
    menu.setMainActions(MenuForm::MainActions{{}, {}, {}, [&chosen](int i) { chosen = i; }});
    menu.setInstrument(1, QStringLiteral("人民币账户黄金"));
    menu.setInstrument(3, QStringLiteral("美元账户黄金"));
    ASSERT_EQ(menu.a0.size(), 4);
    EXPECT_EQ(menu.a0[0]->text(), QStringLiteral("--"));
    EXPECT_EQ(menu.a0[2]->text(), QStringLiteral("--"));
    menu.a0[3]->trigger();
    EXPECT_EQ(chosen, 3);
    menu.checkInstrument(1);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(menu.a0[i]->isChecked(), i == 1) << i;
}

TEST_F(MiniWindow, DraggingDocksOnlyFromThePanel) {
    listThree();
    MiniForm& mini = Mini();
    mini.Loadskin(0);
    mini.show();
    const int screenWidth = mini.screen()->geometry().width();
    struct Case {
        const char* name;
        int pressY; // where the drag starts, in the window
        bool docks;
    };
    const Case cases[] = {{"list row", 50, false}, {"panel", 10, true}};
    for (const Case& c : cases) {
        mini.ShowMe();
        mini.move(100, 200);
        // Dropped 2 pixels short of the right edge: within the 90-twip reach.
        const int dx = screenWidth - mini.width() - 100 - 2;
        QTest::mousePress(&mini, Qt::LeftButton, {}, QPoint(10, c.pressY));
        QTest::mouseMove(&mini, QPoint(10 + dx, c.pressY));
        EXPECT_EQ(mini.x(), 100 + dx) << c.name;
        QTest::mouseRelease(&mini, Qt::LeftButton, {}, QPoint(10, c.pressY));
        EXPECT_EQ(mini.Ishide, c.docks) << c.name;
        EXPECT_EQ(mini.x(), c.docks ? screenWidth - 3 : 100 + dx) << c.name;
    }
    // The mouse over the sliver brings it back flush with the edge.
    QTest::mouseMove(&mini, QPoint(1, 10));
    EXPECT_FALSE(mini.Ishide);
    EXPECT_EQ(mini.x(), screenWidth - mini.width());
}

TEST_F(MiniWindow, RightClickMenuDoubleClickAndKeys) {
    MiniForm& mini = Mini();
    mini.Loadskin(0);
    mini.show();
    int menus = 0;
    setMiniMenu([&menus](const QPoint&) { ++menus; });
    QTest::mouseClick(&mini, Qt::RightButton, {}, QPoint(20, 10));
    EXPECT_EQ(menus, 1);

    // Unloading a form deletes it later, so it lives on the heap.
    auto* main = new platform::Form;
    main->setProperty("Tag", QStringLiteral("0"));
    QList<std::pair<int, int>> keys;
    platform::setMainForm(main, [&keys](int key, int shift) { keys.append({key, shift}); });
    main->hide();
    QTest::mouseDClick(&mini, Qt::LeftButton, {}, QPoint(20, 10));
    EXPECT_TRUE(main->isVisible());
    QTest::keyClick(&mini, Qt::Key_F5, Qt::ShiftModifier);
    // Every key goes on, the Shift key itself too.
    ASSERT_FALSE(keys.isEmpty());
    EXPECT_EQ(keys.last(), std::make_pair(0x74, 1)); // F5 with Shift
    EXPECT_TRUE(keys.contains(std::make_pair(0x10, 1)));
    platform::setMainForm(nullptr, {});
    setMiniMenu(nullptr);
    main->unload();
}

TEST_F(MiniWindow, TrayLeftPressRestoresTheMainWindowOnceStarted) {
    struct Case {
        const char* name;
        bool started;
        int message;
        bool shown;
    };
    const Case cases[] = {
        {"before the start", false, platform::kTrayLeftButtonDown, false},
        {"left press", true, platform::kTrayLeftButtonDown, true},
        {"right release is the tray host's menu", true, platform::kTrayRightButtonUp, false},
        {"double click", true, platform::kTrayLeftDoubleClick, false},
    };
    for (const Case& c : cases) {
        auto* main = new platform::Form;
        main->setProperty("Tag", QStringLiteral("2"));
        platform::setMainForm(main, {});
        MainStarted = c.started;
        menuForm();
        platform::sendTrayMouse(c.message);
        EXPECT_EQ(main->isVisible(), c.shown) << c.name;
        if (c.shown) {
            EXPECT_TRUE(main->isMaximized()) << c.name;
        }
        platform::setMainForm(nullptr, {});
        main->unload();
    }
    MainStarted = false;
}

TEST_F(MiniWindow, GalleryPictures) {
    // Not a check: the eight skins with three listed instruments, a window docked at the right
    // edge of the screen and one near that edge whose caption grew, for review.
    const QDir dir(QStringLiteral(BRELTO_GALLERY_DIR "/companions"));
    ASSERT_TRUE(QDir().mkpath(dir.path()));
    listThree();
    ShowHolding = true;
    MiniForm& mini = Mini();
    mini.holdCaption = QStringLiteral("持仓：多 100克 浮盈 +652.00");
    for (int skin = 0; skin < 8; ++skin) {
        mini.Loadskin(static_cast<float>(skin));
        mini.SetCaption(QStringLiteral("买入:386.52 卖出:386.02"), skin % 3, QStringLiteral("+1.20"), QString());
        const QImage image = mini.picture();
        EXPECT_FALSE(image.isNull());
        EXPECT_TRUE(image.save(dir.filePath(QStringLiteral("mini-skin%1.png").arg(skin))));
    }
    mini.Loadskin(0);
    mini.SetCaption(QStringLiteral("买入:386.52 卖出:386.02"), 1, QStringLiteral("+1.20"), QString());
    mini.show();
    const int screenWidth = mini.screen()->geometry().width();
    mini.move(screenWidth - mini.width(), 120);
    mini.HideMe();
    ASSERT_TRUE(mini.Ishide);
    QImage strip(screenWidth, 360, QImage::Format_RGB32);
    strip.fill(QColor(58, 110, 165));
    {
        QPainter p(&strip);
        p.drawImage(QPoint(mini.x(), 120), mini.picture());
        p.setPen(Qt::white);
        p.drawText(QPoint(screenWidth - 260, 320), QStringLiteral("屏幕右边缘"));
    }
    EXPECT_TRUE(strip.save(dir.filePath(QStringLiteral("mini-docked-right.png"))));
    mini.ShowMe();
    QImage shown = strip;
    shown.fill(QColor(58, 110, 165));
    {
        QPainter p(&shown);
        p.drawImage(QPoint(mini.x(), 120), mini.picture());
    }
    EXPECT_TRUE(shown.save(dir.filePath(QStringLiteral("mini-shown-right.png"))));
    // Near the right edge, a longer caption and the day's change: the window moves left.
    ShowDayChange = true;
    mini.move(screenWidth - mini.width() - 4, 120);
    mini.SetCaption(QStringLiteral("买入:27639.43 卖出:27631.43"), 1, QStringLiteral("-1234.56"),
                    QString());
    shown.fill(QColor(58, 110, 165));
    {
        QPainter p(&shown);
        p.drawImage(QPoint(mini.x(), 120), mini.picture());
        p.setPen(Qt::white);
        p.drawText(QPoint(screenWidth - 260, 320), QStringLiteral("屏幕右边缘"));
    }
    EXPECT_LE(mini.x() + mini.width(), mini.screen()->availableGeometry().right() + 1);
    // Named by the screen's width: on a 1024-pixel display (xvfb-run -s "-screen 0 1024x768x24",
    // QT_QPA_PLATFORM=xcb) the picture shows the window as a 1024-pixel screen has it.
    EXPECT_TRUE(shown.save(
        dir.filePath(QStringLiteral("mini-longcaption-right-%1px.png").arg(screenWidth))));
}

} // namespace
