#include "companions/custring.h"
#include "companions/txform.h"

#include "common/msgbox.h"
#include "common/settings.h"
#include "common/storedlists.h"
#include "platform/clock.h"
#include "platform/forms.h"
#include "state/quotetables.h"
#include "state/session.h"
#include "state/storedlists.h"
#include "state/usersettings.h"
#include "tests/companions/fakesound.h"
#include "tests/companions/formrows.h"
#include "tests/support/programfolder.h"

#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

void setAlerts(const QList<int16_t>& prod, const QList<int16_t>& compare, const QList<float>& price) {
    TxCount = static_cast<int16_t>(prod.size());
    TxProd = QList<int16_t>{0} + prod;
    TxCompare = QList<int16_t>{0} + compare;
    TxPrice = QList<float>{0.0f} + price;
}

void clearAlerts() { setAlerts({}, {}, {}); }

class AlertEditor : public ProgramFolderTest {
protected:
    void SetUp() override {
        ProgramFolderTest::SetUp();
        platform::setQuitHandler([] {});
        clearQuoteTables();
        const char16_t* names[] = {u"国际黄金", u"白银", u"铂金", u"美元指数"};
        for (int i = 0; i < 4; ++i)
            ProdName[i] = QString::fromUtf16(names[i]);
        ProdCount = 4;
        ProdLast = 3;
        IsVip = true;
        clearAlerts();
    }
    void TearDown() override {
        platform::unloadAll();
        platform::setQuitHandler(nullptr);
        clearQuoteTables();
        IsVip = false;
        clearAlerts();
        ProgramFolderTest::TearDown();
    }

    static QStringList notices() {
        QStringList texts;
        for (platform::Form* f : platform::loadedForms())
            if (auto* box = qobject_cast<Msgform*>(f))
                texts << box->Label1->text();
        return texts;
    }

    // Adds one alert through the form, as a user picks and types it.
    static void add(TXFORM& f, int instrument, int comparator, const QString& price) {
        f.Combo1->setCurrentIndex(instrument);
        f.Combo2->setCurrentIndex(comparator);
        f.Text1->setText(price);
        f.Command1->click();
    }

    // The next start: the arrays as the settings loader reads them back.
    static void restart() {
        clearAlerts();
        LoadTx();
    }
};

TEST(AlertEditorLogic, PriceIsNormalisedAndCheckedBeforeAnythingIsAdded) {
    struct Case {
        const char16_t* typed;
        const char16_t* shown; // the box after Add
        bool added;
    };
    const Case cases[] = {
        {u"370.50", u"370.5", true}, {u"371", u"371", true},      {u"12abc", u"12", true},
        {u"0", u"0", false},         {u"-5", u"-5", false},       {u"abc", u"0", false},
        {u"", u"0", false},          {u"1e40", u"1e40", false}, // too large for the price
    };
    for (const Case& c : cases) {
        const auto a = txform::addAlert(1, QStringLiteral("白银"), 1, QStringLiteral("小于等于"),
                                        QString::fromUtf16(c.typed), 0);
        SCOPED_TRACE(QString::fromUtf16(c.typed).toStdString());
        EXPECT_EQ(a.priceText, QString::fromUtf16(c.shown));
        EXPECT_EQ(a.refusal.isEmpty(), c.added);
        if (c.added) {
            EXPECT_EQ(a.row.line, QStringLiteral("当 白银 小于等于 %1 时，提醒我.").arg(a.priceText));
            EXPECT_EQ(a.row.record, QStringLiteral("1,1,%1").arg(a.priceText));
            EXPECT_FALSE(a.row.armed);
        } else {
            EXPECT_EQ(a.refusal, QStringLiteral("输入的价格不正确。"));
        }
    }
}

TEST(AlertEditorLogic, RefusesWithoutInstrumentAndWhenFull) {
    EXPECT_EQ(txform::addAlert(-1, {}, 0, QStringLiteral("大于等于"), QStringLiteral("5"), 0).refusal,
              QStringLiteral("请先选择要提醒的品种。"));
    EXPECT_TRUE(txform::addAlert(0, QStringLiteral("国际黄金"), 0, QStringLiteral("大于等于"), QStringLiteral("5"),
                                 kMaxStoredAlerts - 1)
                    .refusal.isEmpty());
    EXPECT_EQ(txform::addAlert(0, QStringLiteral("国际黄金"), 0, QStringLiteral("大于等于"), QStringLiteral("5"),
                               kMaxStoredAlerts)
                  .refusal,
              QStringLiteral("最多只能设置10个提醒项。"));
}

TEST_F(AlertEditor, LoadListsArmedAlertsWithTheirShortestPrices) {
    setAlerts({0, -1, 3}, {0, 1, 1}, {370.5f, 5.0f, 96.0f});
    TXFORM& f = txForm();
    ASSERT_EQ(f.Combo1->count(), 4);
    EXPECT_EQ(f.Combo1->currentIndex(), 0);
    EXPECT_EQ(f.Combo2->currentText(), QStringLiteral("大于等于"));
    ASSERT_EQ(f.List1->count(), 2);
    EXPECT_EQ(f.List1->item(0)->text(), QStringLiteral("当 国际黄金 大于等于 370.5 元时，提醒我."));
    EXPECT_EQ(f.List1->item(1)->text(), QStringLiteral("当 美元指数 小于等于 96 元时，提醒我."));
    EXPECT_EQ(f.rows()[1].record, QStringLiteral("3,1,96"));
    EXPECT_FALSE(f.Command2->isEnabled());
}

TEST_F(AlertEditor, AddDeleteAndReloadAcrossARestart) {
    TXFORM& f = txForm();
    add(f, 0, 0, QStringLiteral("380.50"));
    add(f, 1, 1, QStringLiteral("4.2"));
    add(f, 3, 0, QStringLiteral("0")); // refused
    add(f, 2, 1, QStringLiteral("210"));
    EXPECT_EQ(notices(), QStringList{QStringLiteral("输入的价格不正确。")});
    ASSERT_EQ(f.List1->count(), 3);

    f.List1->setCurrentRow(1);
    f.List1_Click();
    EXPECT_TRUE(f.Command2->isEnabled());
    f.Command2->click();
    ASSERT_EQ(f.List1->count(), 2);
    EXPECT_EQ(f.List1->item(1)->text(), QStringLiteral("当 铂金 小于等于 210 时，提醒我."));
    f.Command2->click(); // nothing is selected now: nothing goes
    EXPECT_EQ(f.List1->count(), 2);

    ASSERT_TRUE(f.unload());
    ASSERT_EQ(TxCount, 2);
    restart();
    ASSERT_EQ(TxCount, 2);
    EXPECT_EQ(TxProd[1], 0);
    EXPECT_FLOAT_EQ(TxPrice[1], 380.5f);
    EXPECT_EQ(TxProd[2], 2);
    EXPECT_EQ(TxCompare[2], 1);
    EXPECT_FLOAT_EQ(TxPrice[2], 210.0f);
}

TEST_F(AlertEditor, HoldsAtMostTheStoredListsLimit) {
    TXFORM& f = txForm();
    for (int i = 1; i <= kMaxStoredAlerts + 2; ++i)
        add(f, i % 4, 0, QString::number(i));
    EXPECT_EQ(f.List1->count(), kMaxStoredAlerts);
    EXPECT_EQ(notices().count(QStringLiteral("最多只能设置10个提醒项。")), 2);
    ASSERT_TRUE(f.unload());
    restart();
    EXPECT_EQ(TxCount, kMaxStoredAlerts);
    EXPECT_FLOAT_EQ(TxPrice[kMaxStoredAlerts], 10.0f);
}

TEST_F(AlertEditor, DeletingEveryAlertIsSavedAcrossARestart) {
    setAlerts({0, 1}, {0, 1}, {380.0f, 4.5f});
    SaveTx();
    TXFORM& f = txForm();
    while (f.List1->count() > 0) {
        f.List1->setCurrentRow(0);
        f.Command2_Click();
    }
    ASSERT_TRUE(f.unload());
    EXPECT_EQ(TxCount, 0);
    restart();
    EXPECT_EQ(TxCount, 0);
}

TEST_F(AlertEditor, AnAlertThatFiresWhileOpenIsNotArmedAgain) {
    setAlerts({0, 1, 0}, {0, 1, 0}, {380.0f, 4.5f, 380.0f});
    SaveTx();
    TXFORM& f = txForm();
    add(f, 2, 0, QStringLiteral("220"));
    // The quote run meets the second and the third alert, shows them and stores the rest.
    TxProd[2] = -1;
    TxProd[3] = -1;
    SaveTx();
    LoadTx();
    ASSERT_EQ(TxCount, 1);
    EXPECT_EQ(f.List1->count(), 4); // still listed while open
    ASSERT_TRUE(f.unload());
    ASSERT_EQ(TxCount, 2);
    EXPECT_EQ(TxProd[1], 0); // one of the two equal alerts is left
    EXPECT_FLOAT_EQ(TxPrice[1], 380.0f);
    EXPECT_EQ(TxProd[2], 2); // the one added now
    restart();
    EXPECT_EQ(TxCount, 2);
}

TEST_F(AlertEditor, AddRefusedWithoutASnapshot) {
    ProdCount = 0;
    TXFORM& f = txForm();
    EXPECT_EQ(f.Combo1->count(), 0);
    f.Text1->setText(QStringLiteral("5"));
    f.Command1_Click();
    EXPECT_EQ(f.List1->count(), 0);
    EXPECT_EQ(notices(), QStringList{QStringLiteral("请先选择要提醒的品种。")});
}

TEST_F(AlertEditor, PriceBoxNormalisesWhenItLosesFocus) {
    TXFORM& f = txForm();
    f.Text1->setText(QStringLiteral("370.50元"));
    QFocusEvent out(QEvent::FocusOut);
    QApplication::sendEvent(f.Text1, &out);
    EXPECT_EQ(f.Text1->text(), QStringLiteral("370.5"));
}

class AlertPopup : public ::testing::Test {
protected:
    void SetUp() override {
        platform::setQuitHandler([] {});
        AlertMute = false;
        AlertSoundFile = QStringLiteral("/opt/brelto/notify.wav");
    }
    void TearDown() override {
        platform::unloadAll();
        platform::setQuitHandler(nullptr);
        AlertMute = false;
        AlertSoundFile.clear();
    }
    FakeSound sound;
};

TEST_F(AlertPopup, SoundsOnceOnLoadNotWhenShownAgainAndStopsOnClose) {
    struct Case {
        bool muted;
        int plays;
        int stops;
    };
    for (const Case c : {Case{false, 1, 1}, Case{true, 0, 0}}) {
        SCOPED_TRACE(c.muted);
        sound.played.clear();
        sound.stops = 0;
        AlertMute = c.muted;
        showCustRing(QStringLiteral("第一条"), nullptr);
        showCustRing(QStringLiteral("第二条"), nullptr);
        EXPECT_EQ(custRing().texts().size(), 2);
        EXPECT_EQ(sound.played.size(), c.plays);
        if (c.plays > 0) {
            EXPECT_EQ(sound.played.first(), AlertSoundFile);
        }
        EXPECT_EQ(sound.stops, 0);
        custRing().Command1->click();
        EXPECT_FALSE(platform::isLoaded<CustRingForm>());
        EXPECT_EQ(sound.stops, c.stops);
    }
}

TEST(AlertPopupText, NewestFirstEachAfterItsTime) {
    const QDate day(2026, 12, 9);
    struct Case {
        QList<RingText> texts;
        const char16_t* message;
    };
    const Case cases[] = {
        {{}, u""},
        {{{QDateTime(day, QTime(9, 5, 7)), QStringLiteral("一")}}, u"9:05:07 一"},
        {{{QDateTime(day, QTime(14, 0, 0)), QStringLiteral("新")}, {QDateTime(day, QTime(9, 5, 7)), QStringLiteral("旧")}},
         u"14:00:00 新\n9:05:07 旧"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ringMessage(c.texts), QString::fromUtf16(c.message));
}

// An alert that fired is switched off for good: whatever comes after it while the pop-up is open
// (another alert, the stale-quote warning) joins it instead of replacing it, until the user
// closes the pop-up.
TEST_F(AlertPopup, KeepsEveryTextUntilClosed) {
    QDateTime now(QDate(2026, 12, 9), QTime(10, 0, 0));
    platform::setPcClock([&now] { return now; });
    const QString gold = QStringLiteral("您设置的 人民币账户黄金 已经大于等于 880 元了，现价：880.26");
    const QString silver = QStringLiteral("您设置的 白银延期 已经小于等于 12400 元了，现价：12305");
    const QString stale = QStringLiteral("报价时间[10:00:00]与本地时间[10:05:30]相差过大，请检查网络是否中断，或尝试重新启动程序。");
    showCustRing(gold, nullptr);
    showCustRing(silver, nullptr); // met by the same snapshot
    now = now.addSecs(330);
    showCustRing(stale, nullptr);
    CustRingForm& ring = custRing();
    EXPECT_EQ(ring.Label1->text(), QStringLiteral("10:05:30 ") + stale + QStringLiteral("\n10:00:00 ") + silver +
                                       QStringLiteral("\n10:00:00 ") + gold);
    EXPECT_EQ(sound.played.size(), 1) << "one chime per opening";
    ring.Command1->click();
    ASSERT_FALSE(platform::isLoaded<CustRingForm>());

    // Closed, it forgets them: the next text opens it again, alone, with a new chime.
    now = now.addSecs(60);
    showCustRing(gold, nullptr);
    EXPECT_EQ(custRing().Label1->text(), QStringLiteral("10:06:30 ") + gold);
    EXPECT_EQ(sound.played.size(), 2);
    platform::setPcClock(nullptr);
}

TEST_F(AlertPopup, EscClosesOtherKeysGoToTheMainWindow) {
    QList<std::pair<int, int>> keys;
    platform::Form mainStandIn;
    platform::setMainForm(&mainStandIn, [&keys](int code, int shift) { keys.append({code, shift}); });
    showCustRing(QStringLiteral("提醒内容"), nullptr);
    QTest::keyClick(custRing().Command1, Qt::Key_F5, Qt::ShiftModifier);
    // The Shift key itself goes first, as any key does.
    ASSERT_FALSE(keys.isEmpty());
    EXPECT_EQ(keys.last(), (std::pair<int, int>{0x74, 1}));
    QTest::keyClick(custRing().Command1, Qt::Key_Escape);
    EXPECT_FALSE(platform::isLoaded<CustRingForm>());
    EXPECT_EQ(sound.stops, 1);
    platform::setMainForm(nullptr, {});
}

TEST_F(AlertEditor, BoxesShowTheLongestInstrumentWhole) {
    // The names a bank account's board shows, longer than the design's box was made for.
    const char16_t* names[] = {u"人民币账户黄金", u"人民币账户白银", u"美元账户铂金", u"人民币账户原油"};
    for (int i = 0; i < 4; ++i)
        ProdName[i] = QString::fromUtf16(names[i]);
    TXFORM& editor = txForm();
    editor.show();
    expectBoxesShowTheirItems(editor);
    expectControlsApartAndInside(editor);
    // Still well inside the narrowest screen the program is used on.
    EXPECT_LE(editor.frameGeometry().width(), 1024);
    const QDir dir(QStringLiteral(BRELTO_GALLERY_DIR "/companions"));
    ASSERT_TRUE(QDir().mkpath(dir.path()));
    EXPECT_TRUE(editor.grab().toImage().save(dir.filePath(QStringLiteral("txform-long-names.png"))));
}

TEST_F(AlertEditor, GalleryPictures) {
    FakeSound sound;
    // Not a check: pictures of the editor with three alerts and of the pop-up for review.
    const QDir dir(QStringLiteral(BRELTO_GALLERY_DIR "/companions"));
    ASSERT_TRUE(QDir().mkpath(dir.path()));
    clearQuoteTables();
    ProdName[0] = QStringLiteral("国际黄金");
    ProdName[1] = QStringLiteral("白银");
    ProdName[2] = QStringLiteral("铂金");
    ProdCount = 3;
    ProdLast = 2;
    setAlerts({0, 1, 2}, {0, 1, 0}, {380.5f, 4.35f, 226.0f});
    TXFORM& editor = txForm();
    editor.show();
    const QImage e = editor.grab().toImage();
    EXPECT_TRUE(e.save(dir.filePath(QStringLiteral("txform.png"))));
    EXPECT_EQ(editor.List1->count(), 3);
    editor.unload();
    showCustRing(QStringLiteral("您设置的 国际黄金 已经大于等于 380.5 元了，现价：380.62"), nullptr);
    const QImage r = custRing().grab().toImage();
    EXPECT_TRUE(r.save(dir.filePath(QStringLiteral("custring.png"))));
    showCustRing(QStringLiteral("您设置的 白银 已经小于等于 4.35 元了，现价：4.31"), nullptr);
    const QImage several = custRing().grab().toImage();
    EXPECT_TRUE(several.save(dir.filePath(QStringLiteral("custring_several.png"))));
    clearAlerts();
    clearQuoteTables();
}

} // namespace
