#include "common/settings.h"
#include "common/storedlists.h"

#include "platform/gbk.h"
#include "state/storedlists.h"
#include "state/session.h"
#include "tests/support/programfolder.h"

namespace {

class Settings : public ProgramFolderTest {
protected:
    void SetUp() override {
        ProgramFolderTest::SetUp();
        IsVip = true;
        TxCount = 0;
        TxProd = {0};
        TxCompare = {0};
        TxPrice = {0.0f};
    }
    void TearDown() override {
        IsVip = false;
        ExtShow.clear();
        ExtCount = 0;
        HoldText.clear();
        ProdCode.fill(QString());
        ProgramFolderTest::TearDown();
    }
    void setAlerts(const QList<int16_t>& prod, const QList<int16_t>& compare, const QList<float>& price) {
        TxCount = static_cast<int16_t>(prod.size());
        TxProd = QList<int16_t>{0} + prod;
        TxCompare = QList<int16_t>{0} + compare;
        TxPrice = QList<float>{0.0f} + price;
    }
};

} // namespace

TEST_F(Settings, GetIniAndSetIniRoundTrip) {
    EXPECT_EQ(GetIni(QStringLiteral("username")), QString());
    SetIni(QStringLiteral("username"), QStringLiteral("张三"));
    SetIni(QStringLiteral("ShowCW"), QStringLiteral("1"));
    SetIni(QStringLiteral("blank"), QString());
    EXPECT_EQ(GetIni(QStringLiteral("USERNAME")), QStringLiteral("张三"));
    EXPECT_EQ(GetIni(QStringLiteral("showcw")), QStringLiteral("1"));
    EXPECT_EQ(read(QStringLiteral("set.ini")),
              platform::toGbk(QStringLiteral("[Main Set]\r\nusername=张三\r\nShowCW=1\r\nblank=\r\n")));
    SetIni(QStringLiteral("long"), QString(300, u'7'));
    EXPECT_EQ(GetIni(QStringLiteral("long")), QString(255, u'7'));
}

TEST_F(Settings, BrokenFileStillLoadsWhatItCan) {
    write(QStringLiteral("set.ini"),
          QByteArray("\x01\x02garbage\r\n[Main Set\r\n[Main Set]\r\n=x\r\nmini=1\r\n\xFF\xFE\r\ntab=3\r\n"));
    EXPECT_EQ(GetIni(QStringLiteral("mini")), QStringLiteral("1"));
    EXPECT_EQ(GetIni(QStringLiteral("tab")), QStringLiteral("3"));
    SetIni(QStringLiteral("tab"), QStringLiteral("4"));
    EXPECT_EQ(GetIni(QStringLiteral("tab")), QStringLiteral("4"));
    EXPECT_TRUE(read(QStringLiteral("set.ini")).startsWith("\x01\x02garbage\r\n"));
}

TEST(StoredAlert, ReadsOnlyWhatTheEditorCouldHaveSet) {
    struct Case {
        const char* text;
        std::optional<StoredAlert> alert;
    };
    const Case cases[] = {
        {"2,1,352.5", StoredAlert{2, 1, 352.5f}},
        {"0,0,0.01", StoredAlert{0, 0, 0.01f}},
        {"30,1,12305", StoredAlert{30, 1, 12305.0f}},
        {"5", std::nullopt},          // one field: once an alert at 0 that fired at once
        {"", std::nullopt},           // the gap a fired alert once left
        {"3,0,1,9", std::nullopt},    // four fields
        {"2,1", std::nullopt},
        {"4,x,7.25", std::nullopt},   // a field that is no number
        {"4,0,7.25元", std::nullopt}, // nor a number followed by more
        {"1.5,0,3", std::nullopt},    // no whole instrument
        {"31,0,3", std::nullopt},     // past the last instrument
        {"-1,0,3", std::nullopt},     // a fired alert is never stored
        {"0,2,3", std::nullopt},      // no such comparator
        {"0,0,0", std::nullopt},      // a price the editor refuses
        {"0,1,-5", std::nullopt},
        {"0,0,1e39", std::nullopt},   // beyond a single-precision price
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(readStoredAlert(QString::fromUtf8(c.text)), c.alert);
    }
}

TEST_F(Settings, UnreadableAlertsAreSkippedLoggedAndKept) {
    write(QStringLiteral("set.ini"),
          QByteArray("[Main Set]\r\ntx=5\r\ntx1=2,1,352.5\r\ntx2=5\r\ntx3=\r\ntx4=3,0,1,9\r\ntx5=7,1,612\r\n"));
    LoadTx();
    ASSERT_EQ(TxCount, 2) << "none invented for what did not read";
    ASSERT_EQ(TxProd, (QList<int16_t>{0, 2, 7}));
    EXPECT_EQ(TxCompare, (QList<int16_t>{0, 1, 1}));
    EXPECT_EQ(TxPrice, (QList<float>{0.0f, 352.5f, 612.0f}));
    const auto logLines = [this] {
        return platform::fromGbk(read(QStringLiteral("log.txt"))).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    };
    QStringList logged = logLines();
    ASSERT_EQ(logged.size(), 3) << logged.join(u'\n').toStdString();
    EXPECT_TRUE(logged[0].endsWith(QStringLiteral("tx2=5")));
    EXPECT_TRUE(logged[1].endsWith(QStringLiteral("tx3=")));
    EXPECT_TRUE(logged[2].endsWith(QStringLiteral("tx4=3,0,1,9")));

    // A fired alert rewrites the list: the live one first, then what did not read, word for word
    // (the empty gap held nothing), and no key of the longer list stays behind.
    TxProd[1] = -1;
    SaveTx();
    const QByteArray stored = read(QStringLiteral("set.ini"));
    EXPECT_TRUE(stored.contains("\r\ntx=3\r\n")) << stored.constData();
    EXPECT_TRUE(stored.contains("tx1=7,1,612\r\n"));
    EXPECT_TRUE(stored.contains("tx2=5\r\n"));
    EXPECT_TRUE(stored.contains("tx3=3,0,1,9\r\n"));
    EXPECT_FALSE(stored.contains("tx4=")) << stored.constData();
    LoadTx();
    EXPECT_EQ(TxProd, (QList<int16_t>{0, 7}));
    EXPECT_EQ(logLines().size(), 3) << "entries met again after the rewrite are not logged again";

    // At most ten entries are read, the unreadable ones among them.
    write(QStringLiteral("set.ini"), QByteArray("[Main Set]\r\ntx=12\r\ntx1=2,1,352.5\r\ntx2=x\r\n"
                                                "tx10=1,1,1\r\ntx11=5,0,5\r\n"));
    LoadTx();
    EXPECT_EQ(TxProd, (QList<int16_t>{0, 2, 1}));
    write(QStringLiteral("set.ini"), QByteArray("[Main Set]\r\ntx=\r\n"));
    LoadTx();
    EXPECT_EQ(TxCount, 0);
}

TEST_F(Settings, FiredAlertIsGoneAfterARestartAndTheOthersStay) {
    setAlerts({2, 5, 7}, {1, 0, 1}, {352.5f, 7.25f, 612.0f});
    SaveTx();
    TxProd[1] = -1; // the first alert fires
    SaveTx();
    TxCount = 0;
    TxProd = {0};
    LoadTx(); // the next start
    ASSERT_EQ(TxCount, 2);
    EXPECT_EQ(TxProd[1], 5);
    EXPECT_FLOAT_EQ(TxPrice[1], 7.25f);
    EXPECT_EQ(TxProd[2], 7);
    EXPECT_EQ(TxCompare[2], 1);
    EXPECT_FLOAT_EQ(TxPrice[2], 612.0f);
    const QByteArray stored = read(QStringLiteral("set.ini"));
    EXPECT_TRUE(stored.contains("tx1=5,0,7.25\r\n"));
    EXPECT_TRUE(stored.contains("tx2=7,1,612\r\n"));
    EXPECT_FALSE(stored.contains("tx3=")) << stored.constData();
}

TEST_F(Settings, DeletingEveryAlertIsSaved) {
    setAlerts({2, 5}, {1, 0}, {1.5f, 2.5f});
    SaveTx();
    TxCount = 0;
    TxProd = {0};
    SaveTx();
    EXPECT_EQ(GetIni(QStringLiteral("tx")), QStringLiteral("0"));
    LoadTx();
    EXPECT_EQ(TxCount, 0);
    EXPECT_FALSE(read(QStringLiteral("set.ini")).contains("tx1="));
}

TEST_F(Settings, NonMembersKeepAlertsInMemoryOnly) {
    write(QStringLiteral("set.ini"), QByteArray("[Main Set]\r\ntx=1\r\ntx1=2,1,352.5\r\n"));
    IsVip = false;
    setAlerts({9}, {0}, {1.0f});
    LoadTx();
    EXPECT_EQ(TxCount, 1);
    EXPECT_EQ(TxProd[1], 9);
    SaveTx();
    EXPECT_EQ(read(QStringLiteral("set.ini")), QByteArray("[Main Set]\r\ntx=1\r\ntx1=2,1,352.5\r\n"));
}

TEST_F(Settings, ExtendedListSwitches) {
    // 10 and 11 are on unless stored as "0"; the others only when stored as "1".
    write(QStringLiteral("set.ini"), QByteArray("[Main Set]\r\next3=yes\r\next4=1\r\next10=anything\r\n"));
    ExtShow = QList<bool>(13, false);
    LoadExt();
    for (int i = 0; i < 13; ++i)
        EXPECT_EQ(ExtShow[i], i == 4 || i == 10 || i == 11) << i;
    EXPECT_EQ(ExtCount, 3);

    write(QStringLiteral("set.ini"), QByteArray("[Main Set]\r\next10=0\r\next11=0\r\n"));
    ExtShow = QList<bool>(13, false);
    LoadExt();
    EXPECT_EQ(ExtShow.count(true), 0);
    EXPECT_EQ(ExtCount, 0);

    ExtShow[0] = true;
    ExtShow[5] = true;
    CountExt();
    EXPECT_EQ(ExtCount, 2);
    ExtShow.clear();
    CountExt();
    EXPECT_EQ(ExtCount, 0);
}

TEST_F(Settings, HoldingsFillTheirInstrumentOnly) {
    ProdCode[0] = QStringLiteral("gh");
    ProdCode[1] = QStringLiteral(" mgold ");
    ProdCode[2] = QStringLiteral("ying");
    HoldText = QStringLiteral("mgold,10,350.5,0,0,1,2|ying,5|gh,1,2,3,4,5,6,8|gh,9,9,9,9,9,9,12|");
    LoadHoldings();
    EXPECT_FLOAT_EQ(HoldUnits[1][0], 10.0f);
    EXPECT_FLOAT_EQ(HoldPrice[1][0], 350.5f);
    EXPECT_FLOAT_EQ(HoldUnits[1][1], 0.0f);
    EXPECT_FLOAT_EQ(HoldPrice[1][2], 0.0f);
    EXPECT_FLOAT_EQ(HoldUnits[0][0], 1.0f); // the first record of a code gives the position
    EXPECT_FLOAT_EQ(HoldPrice[0][1], 4.0f);
    EXPECT_FLOAT_EQ(HoldPrice[0][2], 12.0f); // the last one the fee rate
    EXPECT_FLOAT_EQ(HoldUnits[2][0], 0.0f); // fields missing
    EXPECT_FLOAT_EQ(HoldUnits[3][0], 0.0f);

    HoldText.clear();
    LoadHoldings(); // empty: nothing changes
    EXPECT_FLOAT_EQ(HoldUnits[1][0], 10.0f);
    HoldText = QStringLiteral("mgold,10,350.5,0,0,1,2");
    LoadHoldings(); // no "|": no records at all
    EXPECT_FLOAT_EQ(HoldUnits[1][0], 0.0f);
}
