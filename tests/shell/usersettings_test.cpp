#include "shell/usersettings.h"

#include "common/settings.h"
#include "common/storedlists.h"
#include "tests/support/programfolder.h"

namespace {

// Every flag back to the state of a fresh process.
void resetSettings() {
    FirstRun = false;
    ShowMini = TrayQuote = NoEdgeHide = SimpleChart = AlertMute = AutoStart = false;
    StartMinimized = MinNoHide = MiniTopmost = ShowDayChange = BoldChart = false;
    ShowBuyPrice = ShowSellPrice = SwapBuySell = ExtBigFont = ShowHolding = AutoPopInfo = false;
    BossKeyOn = false;
    LastNoticeId = 0;
    RightChart1Prod = 10;
    RightChart2Prod = 11;
    ThreeDayChart = QuoteBackColor = TransLevel = ColorTheme = CurProd = 0;
    Pane2Prod = Pane3Prod = Pane4Prod = ChartKind = 0;
    CurTab = -1;
    AlertSoundFile.clear();
    ExtShow.clear();
}

class UserSettings : public ProgramFolderTest {
protected:
    void SetUp() override {
        ProgramFolderTest::SetUp();
        resetSettings();
        ClientId = QStringLiteral("client-7");
        setSettingsUi({[this](int16_t s) { painted << s; }, {}, {}, {}, {}, [] {
                           return std::pair<int32_t, int32_t>{1500, 3000};
                       }});
    }
    void TearDown() override {
        setSettingsUi({});
        resetSettings();
        ClientId.clear();
        ProgramFolderTest::TearDown();
    }
    QList<int16_t> painted;
};

} // namespace

TEST_F(UserSettings, FirstRunOnAnEmptyFile) {
    FirstRun = true;
    GetSet();
    EXPECT_TRUE(FirstRun);
    for (bool flag : {ShowMini, TrayQuote, MiniTopmost, ShowBuyPrice, ShowHolding, NoEdgeHide,
                      BoldChart, ShowDayChange, AutoPopInfo, BossKeyOn})
        EXPECT_TRUE(flag);
    EXPECT_FALSE(ShowSellPrice);
    EXPECT_FALSE(SimpleChart);
    EXPECT_EQ(RightChart1Prod, 10);
    EXPECT_EQ(RightChart2Prod, 11);
    EXPECT_EQ(AlertSoundFile, file(QStringLiteral("notify.wav")));
    EXPECT_TRUE(painted.isEmpty());

    SaveSet();
    EXPECT_EQ(GetIni(QStringLiteral("setup")), QStringLiteral("1"));
    EXPECT_EQ(GetIni(QStringLiteral("ma")), QStringLiteral("client-7"));
    EXPECT_EQ(GetIni(QStringLiteral("minix")), QStringLiteral("1500"));
    EXPECT_EQ(GetIni(QStringLiteral("miniy")), QStringLiteral("3000"));
    EXPECT_FALSE(read(QStringLiteral("set.ini")).contains("ext0="));

    resetSettings();
    FirstRun = true;
    GetSet(); // the next start knows this client
    EXPECT_FALSE(FirstRun);
}

TEST_F(UserSettings, CopiedFileFromAnotherClientIsAFirstRunAgain) {
    write(QStringLiteral("set.ini"), "[Main Set]\r\nsetup=1\r\nma=other\r\nmini=0\r\n");
    FirstRun = true;
    GetSet();
    EXPECT_TRUE(FirstRun);
    EXPECT_TRUE(ShowMini); // forced on by the first run whatever the key holds
}

TEST_F(UserSettings, RoundTripOfEveryWrittenSetting) {
    ShowMini = TrayQuote = SimpleChart = StartMinimized = MinNoHide = true;
    ShowSellPrice = SwapBuySell = ExtBigFont = true;
    LastNoticeId = 4711;
    RightChart1Prod = 3;
    RightChart2Prod = 30;
    QuoteBackColor = 8;
    TransLevel = 9;
    ColorTheme = 2;
    CurProd = 5;
    Pane2Prod = 1;
    Pane3Prod = 2;
    Pane4Prod = 29;
    ChartKind = 1;
    CurTab = 4;
    ExtShow = {true, false, true};
    write(QStringLiteral("notify2.wav"), "RIFF");
    AlertSoundFile = file(QStringLiteral("notify2.wav"));
    SaveSet();

    resetSettings();
    GetSet();
    EXPECT_TRUE(ShowMini && TrayQuote && SimpleChart && StartMinimized && MinNoHide);
    EXPECT_TRUE(ShowSellPrice && SwapBuySell && ExtBigFont);
    EXPECT_FALSE(ShowBuyPrice); // the selling price is shown, so the buying one need not be
    EXPECT_EQ(LastNoticeId, 4711);
    EXPECT_EQ(RightChart1Prod, 3);
    EXPECT_EQ(RightChart2Prod, 30);
    EXPECT_EQ(QuoteBackColor, 8);
    EXPECT_EQ(painted, QList<int16_t>{8});
    EXPECT_EQ(TransLevel, 9);
    EXPECT_EQ(ColorTheme, 2);
    EXPECT_EQ(CurProd, 5);
    EXPECT_EQ(Pane4Prod, 29);
    EXPECT_EQ(ChartKind, 1);
    EXPECT_EQ(AlertSoundFile, file(QStringLiteral("notify2.wav")));
    EXPECT_EQ(GetIni(QStringLiteral("tab")), QStringLiteral("4"));
    EXPECT_EQ(GetIni(QStringLiteral("ext2")), QStringLiteral("1"));
    EXPECT_EQ(GetIni(QStringLiteral("ext1")), QStringLiteral("0"));
    EXPECT_EQ(GetIni(QStringLiteral("setup")), QString()); // not a first run
}

TEST_F(UserSettings, HandEditedValuesFallBack) {
    write(QStringLiteral("set.ini"),
          "[Main Set]\r\nmyin=0\r\nmyout=0\r\ntmid=10\r\nDrawtype=31\r\nrchart1=-4\r\nrchart2=abc\r\n"
          "MDT2=99999999999\r\nMktype=7\r\ncolorid=12\r\nJJchart=1\r\nmusic=/no/such/file.wav\r\n"
          "aid=x\r\nmini=0\r\nchartbold=no\r\n");
    GetSet();
    EXPECT_TRUE(ShowBuyPrice);
    EXPECT_EQ(TransLevel, 0);
    EXPECT_EQ(CurProd, 0);
    EXPECT_EQ(RightChart1Prod, 10);
    EXPECT_EQ(RightChart2Prod, 0) << "text that does not start with a number reads as 0";
    EXPECT_EQ(Pane2Prod, 0);
    EXPECT_EQ(ChartKind, 0);
    EXPECT_EQ(QuoteBackColor, 0);
    EXPECT_TRUE(painted.isEmpty());
    EXPECT_EQ(ThreeDayChart, 1);
    EXPECT_EQ(AlertSoundFile, file(QStringLiteral("notify.wav")));
    EXPECT_EQ(LastNoticeId, 0);
    EXPECT_FALSE(ShowMini);
    EXPECT_FALSE(BoldChart);
}

TEST(GetBack, SchemeColours) {
    EXPECT_EQ(GetBack(0), 0x000000u);
    EXPECT_EQ(GetBack(2), 0x000040u); // dark brown: red 64
    EXPECT_EQ(GetBack(3), 0x404080u);
    EXPECT_EQ(GetBack(7), 0x400000u); // dark blue: blue 64
    EXPECT_EQ(GetBack(8), 0x400040u);
    EXPECT_EQ(GetBack(9), 0x000000u);
    EXPECT_EQ(GetBack(-1), 0x000000u);
}
