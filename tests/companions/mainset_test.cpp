#include "companions/mainset.h"

#include "common/msgbox.h"
#include "common/settings.h"
#include "common/windowutil.h"
#include "platform/forms.h"
#include "platform/screen.h"
#include "state/quotetables.h"
#include "state/session.h"
#include "state/storedlists.h"
#include "state/usersettings.h"
#include "tests/support/programfolder.h"
#include "widgets/buttons/skinbutton.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QTest>

#include <gtest/gtest.h>

namespace {

void resetFlags() {
    ShowMini = TrayQuote = NoEdgeHide = SimpleChart = AlertMute = AutoStart = StartMinimized = MinNoHide = false;
    MiniTopmost = ShowDayChange = BoldChart = ShowBuyPrice = ShowSellPrice = SwapBuySell = ExtBigFont = false;
    ShowHolding = AutoPopInfo = BossKeyOn = false;
    ThreeDayChart = QuoteBackColor = TransLevel = ColorTheme = 0;
    IsVip = false;
    ExtShow.clear();
    ExtCount = 0;
}

// The settings dialog with a host that records what it is asked to do.
class SettingsDialog : public ProgramFolderTest {
protected:
    void SetUp() override {
        ProgramFolderTest::SetUp();
        platform::setQuitHandler([] {});
        resetFlags();
        MainStarted = true;
        clearQuoteTables();
        ProdName[0] = QStringLiteral("国际黄金");
        ProdName[1] = QStringLiteral("白银");
        ProdName[2] = QStringLiteral("铂金");
        ProdCount = 3;
        ProdLast = 2;
        ExtShow = {false, false, true};
        mainset::Host h;
        auto log = [this](const QString& what) { calls << what; };
        h.DoCaption = [log] { log(QStringLiteral("DoCaption")); };
        h.NowRefrsh = [log] { log(QStringLiteral("NowRefrsh")); };
        h.OpenMini = [log] { log(QStringLiteral("OpenMini:%1").arg(ShowMini)); };
        h.RefreshMzSy = [log] { log(QStringLiteral("RefreshMzSy")); };
        h.CListBack = [log](int i) { log(QStringLiteral("CListBack:%1").arg(i)); };
        h.GetList = [] { return QStringLiteral("国际黄金 现价:380"); };
        h.markRestoreDefaults = [log] { log(QStringLiteral("markRestoreDefaults")); };
        h.Loadskin = [log](int i) { log(QStringLiteral("Loadskin:%1").arg(i)); };
        h.applyMiniAlpha = [log] { log(QStringLiteral("applyMiniAlpha:%1:%2").arg(AlphaValue).arg(MiniTopmost)); };
        h.LoadMiniExt = [log] { log(QStringLiteral("LoadMiniExt:%1").arg(ExtCount)); };
        h.hideMini = [log] { log(QStringLiteral("hideMini")); };
        h.miniSizeTwips = [] { return QSize(3000, 900); };
        h.moveMini = [log](QPoint p) { log(QStringLiteral("moveMini:%1,%2").arg(p.x()).arg(p.y())); };
        h.resetMiniChange = [log] { log(QStringLiteral("resetMiniChange")); };
        h.TraySetTip = [log](const QString& t) { log(QStringLiteral("TraySetTip:") + t); };
        h.SetHotkey = [log](const QString& a) { log(QStringLiteral("SetHotkey:") + a); };
        h.SetAutoRun = [this, log](bool on) {
            log(QStringLiteral("SetAutoRun:%1").arg(on));
            return autorunWorks;
        };
        h.screenTwips = [] { return QSize(19200, 12000); };
        h.taskbarTwips = [] { return 450; };
        mainset::setHost(h);
    }
    void TearDown() override {
        platform::unloadAll();
        platform::setQuitHandler(nullptr);
        mainset::setHost({});
        resetFlags();
        MainStarted = false;
        clearQuoteTables();
        ProgramFolderTest::TearDown();
    }

    static QStringList notices() {
        QStringList texts;
        for (platform::Form* f : platform::loadedForms())
            if (auto* box = qobject_cast<Msgform*>(f))
                texts << box->Label1->text();
        return texts;
    }

    QStringList calls;
    bool autorunWorks = true;
};

TEST(SettingsLogic, BuyAndSellPriceNeverBothOff) {
    struct Case {
        bool ticked;
        mainset::PricesShown now, afterBuy, afterSell;
    };
    const Case cases[] = {
        {false, {true, false}, {false, true}, {true, false}},
        {false, {false, true}, {false, true}, {true, false}},
        {false, {true, true}, {false, true}, {true, false}},
        {true, {false, false}, {true, false}, {false, true}},
        {true, {true, true}, {true, true}, {true, true}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(mainset::afterBuyBox(c.ticked, c.now), c.afterBuy) << c.ticked << c.now.buy << c.now.sell;
        EXPECT_EQ(mainset::afterSellBox(c.ticked, c.now), c.afterSell) << c.ticked << c.now.buy << c.now.sell;
    }
}

TEST(SettingsLogic, MiniGoesTwentyPixelsFromTheRightAboveTheTaskbar) {
    struct Case {
        QSize screen;
        int taskbar;
        QSize mini;
        int twipsX;
        QPoint corner;
    };
    const Case cases[] = {
        {{19200, 12000}, 450, {3000, 900}, 15, {15900, 10650}},
        {{15360, 11520}, 0, {2400, 600}, 15, {12660, 10920}},
        {{28800, 16200}, 600, {3000, 900}, 10, {25600, 14700}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(mainset::miniCorner(c.screen, c.taskbar, c.mini, c.twipsX), c.corner);
}

TEST_F(SettingsDialog, OpeningTicksTheFlagsAndRunsOnlyTheClickActions) {
    ShowBuyPrice = SwapBuySell = BoldChart = ShowMini = TrayQuote = SimpleChart = AutoPopInfo = true;
    ColorTheme = 2;
    TransLevel = 3;
    QuoteBackColor = 5;
    ThreeDayChart = 1;
    MainSet& f = mainSet();
    for (QCheckBox* b : {f.Check10, f.Check18, f.Check2, f.Check8, f.Check11, f.Check6, f.Check7, f.Check14})
        EXPECT_TRUE(b->isChecked()) << b->text().toStdString();
    for (QCheckBox* b : {f.Check12, f.Check3, f.Check5, f.Check17, f.Check19})
        EXPECT_FALSE(b->isChecked()) << b->text().toStdString();
    // Buying price and the name swap recaption; the combos apply skin, opacity and colours again.
    EXPECT_EQ(calls, (QStringList{QStringLiteral("DoCaption"), QStringLiteral("DoCaption"),
                                  QStringLiteral("Loadskin:2"), QStringLiteral("DoCaption"),
                                  QStringLiteral("applyMiniAlpha:179:0"), QStringLiteral("CListBack:5"),
                                  QStringLiteral("applyMiniAlpha:179:0"), QStringLiteral("LoadMiniExt:1")}));
    ASSERT_EQ(f.List1->count(), 3);
    EXPECT_EQ(f.List1->item(1)->text(), QStringLiteral("白银"));
    EXPECT_EQ(f.List1->item(2)->checkState(), Qt::Checked);
    EXPECT_EQ(f.List1->item(0)->checkState(), Qt::Unchecked);
    EXPECT_EQ(f.CommandButton1->caption(), QStringLiteral("关闭"));
}

TEST_F(SettingsDialog, StoredTransparencyWithoutAnItemIsSkipped) {
    TransLevel = 9;
    MainSet& f = mainSet();
    EXPECT_EQ(TransLevel, 9);
    EXPECT_EQ(f.Combo2->currentIndex(), 0);
    // Only the step that always runs applies the opacity.
    EXPECT_EQ(calls.filter(QStringLiteral("applyMiniAlpha")).size(), 1) << calls.join(u' ').toStdString();
}

TEST_F(SettingsDialog, UserTogglesActByMouseAndKeyboard) {
    struct Case {
        QCheckBox* MainSet::*box;
        bool* flag;
        QString call; // the host call the toggle makes
    };
    const Case cases[] = {
        {&MainSet::Check2, &BoldChart, QStringLiteral("NowRefrsh")},
        {&MainSet::Check6, &SimpleChart, QStringLiteral("NowRefrsh")},
        {&MainSet::Check15, &ShowHolding, QStringLiteral("DoCaption")},
        {&MainSet::Check16, &NoEdgeHide, QString()},
        {&MainSet::Check13, &MiniTopmost, QStringLiteral("applyMiniAlpha:255:1")},
        {&MainSet::Check11, &TrayQuote, QStringLiteral("TraySetTip:国际黄金 现价:380")},
        {&MainSet::Check9, &ShowDayChange, QStringLiteral("DoCaption")},
        {&MainSet::Check7, &AutoPopInfo, QString()},
        {&MainSet::Check18, &SwapBuySell, QStringLiteral("DoCaption")},
        {&MainSet::Check19, &ExtBigFont, QStringLiteral("DoCaption")},
    };
    for (const bool keyboard : {false, true}) {
        for (const Case& c : cases) {
            MainSet& f = mainSet();
            f.show();
            calls.clear();
            QCheckBox* b = f.*c.box;
            SCOPED_TRACE(b->text().toStdString() + (keyboard ? " keyboard" : " mouse"));
            if (keyboard) {
                b->setFocus();
                QTest::keyClick(b, Qt::Key_Space);
            } else {
                QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(6, b->height() / 2));
            }
            EXPECT_TRUE(b->isChecked());
            EXPECT_TRUE(*c.flag);
            if (!c.call.isEmpty()) {
                EXPECT_TRUE(calls.contains(c.call)) << calls.join(u' ').toStdString();
            }
            f.unload();
            resetFlags();
        }
    }
}

TEST_F(SettingsDialog, SimpleChartFollowsTheBoxNotAPressThatChangesNothing) {
    MainSet& f = mainSet();
    f.show();
    // A right press does not toggle the box, so nothing changes.
    QTest::mouseClick(f.Check6, Qt::RightButton, {}, QPoint(6, 8));
    EXPECT_FALSE(SimpleChart);
    EXPECT_FALSE(calls.contains(QStringLiteral("NowRefrsh")));
    QTest::mouseClick(f.Check6, Qt::LeftButton, {}, QPoint(6, 8));
    EXPECT_TRUE(SimpleChart);
    QTest::mouseClick(f.Check6, Qt::LeftButton, {}, QPoint(6, 8));
    EXPECT_FALSE(SimpleChart);
    EXPECT_EQ(calls.count(QStringLiteral("NowRefrsh")), 2);
}

TEST_F(SettingsDialog, UntickingOnePriceTicksTheOther) {
    ShowBuyPrice = true;
    MainSet& f = mainSet();
    f.Check10->click();
    EXPECT_FALSE(ShowBuyPrice);
    EXPECT_TRUE(ShowSellPrice);
    EXPECT_TRUE(f.Check12->isChecked());
    f.Check12->click();
    EXPECT_TRUE(ShowBuyPrice);
    EXPECT_FALSE(ShowSellPrice);
    EXPECT_TRUE(f.Check10->isChecked());
}

TEST_F(SettingsDialog, MiniSwitchedOnAgainGoesToTheBottomRightCorner) {
    MainSet& f = mainSet();
    calls.clear();
    f.Check8->click();
    EXPECT_TRUE(ShowMini);
    EXPECT_EQ(GetIni(QStringLiteral("minix")), QStringLiteral("0"));
    EXPECT_EQ(calls, (QStringList{QStringLiteral("hideMini"), QStringLiteral("moveMini:15900,10650"),
                                  QStringLiteral("OpenMini:1")}));
    calls.clear();
    f.Check8->click();
    EXPECT_EQ(calls, QStringList{QStringLiteral("OpenMini:0")});
}

TEST_F(SettingsDialog, ThreeDayChartIsForMembersOnly) {
    MainSet& f = mainSet();
    f.Check14->click();
    EXPECT_FALSE(f.Check14->isChecked());
    EXPECT_EQ(ThreeDayChart, 0);
    EXPECT_FALSE(calls.contains(QStringLiteral("RefreshMzSy")));
    IsVip = true;
    f.Check14->click();
    EXPECT_TRUE(f.Check14->isChecked());
    EXPECT_EQ(ThreeDayChart, 1);
    EXPECT_TRUE(calls.contains(QStringLiteral("RefreshMzSy")));
}

TEST_F(SettingsDialog, ClosingReadsTheBoxesBackAndWritesItsSixKeys) {
    struct Case {
        bool autostartBox, autorunWorks, bossBox, mainRunning;
        const char* autorun;
        const char* hotkeyCall; // empty: none
    };
    const Case cases[] = {
        {true, true, true, true, "1", "SetHotkey:Add"},
        {true, false, false, true, "0", "SetHotkey:Del"}, // the desktop refused the entry
        {false, true, true, true, "0", "SetHotkey:Add"},
        {false, true, true, false, "0", ""}, // closed by the shut-down: the key stays released
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.autorun);
        autorunWorks = c.autorunWorks;
        MainStarted = c.mainRunning;
        ShowHolding = true;
        MainSet& f = mainSet();
        f.Check3->setChecked(c.autostartBox);
        f.Check5->setChecked(c.bossBox);
        f.Check17->setChecked(true);
        f.Check8->setChecked(true); // by code: no immediate action, but read back
        f.Combo1->setCurrentIndex(4);
        calls.clear();
        ASSERT_TRUE(f.unload());
        EXPECT_TRUE(ShowMini);
        EXPECT_TRUE(AlertMute);
        EXPECT_EQ(ColorTheme, 4);
        EXPECT_EQ(AutoStart, c.autostartBox && c.autorunWorks);
        EXPECT_EQ(calls.filter(QStringLiteral("SetHotkey")), *c.hotkeyCall ? QStringList{QString::fromLatin1(c.hotkeyCall)} : QStringList{});
        EXPECT_FALSE(calls.contains(QStringLiteral("OpenMini:1")));
        EXPECT_EQ(GetIni(QStringLiteral("autorun")), QString::fromLatin1(c.autorun));
        EXPECT_EQ(GetIni(QStringLiteral("UseHotkey")), c.bossBox ? QStringLiteral("1") : QStringLiteral("0"));
        EXPECT_EQ(GetIni(QStringLiteral("NoMedia")), QStringLiteral("1"));
        EXPECT_EQ(GetIni(QStringLiteral("ShowCW")), QStringLiteral("1"));
        EXPECT_EQ(GetIni(QStringLiteral("Autoshowinfo")), QStringLiteral("0"));
        EXPECT_EQ(GetIni(QStringLiteral("jjchart")), QStringLiteral("0"));
        resetFlags();
    }
}

TEST_F(SettingsDialog, ExtendedListTicksFollowTheUser) {
    MainSet& f = mainSet();
    calls.clear();
    f.List1->item(0)->setCheckState(Qt::Checked);
    EXPECT_TRUE(ExtShow[0]);
    EXPECT_EQ(calls, QStringList{QStringLiteral("LoadMiniExt:2")});
}

TEST_F(SettingsDialog, RestoreDefaultsMarksAndTells) {
    MainSet& f = mainSet();
    emit f.CommandButton2->Click();
    EXPECT_TRUE(calls.contains(QStringLiteral("markRestoreDefaults")));
    EXPECT_EQ(notices(), QStringList{QStringLiteral("已经还原所有程序默认设置，默认设置将在重新启动程序后生效。")});
}

TEST_F(SettingsDialog, EscClosesOtherKeysGoToTheMainWindow) {
    QList<int> keys;
    platform::Form mainStandIn;
    platform::setMainForm(&mainStandIn, [&keys](int code, int) { keys << code; });
    MainSet& f = mainSet();
    f.show();
    QTest::keyClick(f.Combo1, Qt::Key_F5);
    EXPECT_EQ(keys, QList<int>{0x74});
    QTest::keyClick(f.Check1, Qt::Key_Escape);
    EXPECT_FALSE(platform::isLoaded<MainSet>());
    EXPECT_FALSE(GetIni(QStringLiteral("UseHotkey")).isEmpty()); // closed the usual way
    platform::setMainForm(nullptr, {});
}

TEST_F(SettingsDialog, GalleryPicture) {
    // Not a check: a picture of the dialog for review.
    ShowBuyPrice = ShowMini = MiniTopmost = BoldChart = BossKeyOn = true;
    MainSet& f = mainSet();
    f.show();
    const QDir dir(QStringLiteral(BRELTO_GALLERY_DIR "/companions"));
    ASSERT_TRUE(QDir().mkpath(dir.path()));
    EXPECT_TRUE(f.grab().toImage().save(dir.filePath(QStringLiteral("mainset.png"))));
}

} // namespace
