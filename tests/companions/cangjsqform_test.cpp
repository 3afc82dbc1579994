#include "companions/calc.h"
#include "companions/cangjsq.h"
#include "companions/jiaoyiform.h"

#include "common/msgbox.h"
#include "platform/colors.h"
#include "platform/forms.h"
#include "state/quotetables.h"
#include "state/session.h"
#include "state/storedlists.h"
#include "widgets/buttons/skinbutton.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class PositionForm : public ::testing::Test {
protected:
    void SetUp() override {
        platform::setQuitHandler([] {});
        clearQuoteTables();
        ProdName[0] = QStringLiteral("国际黄金");
        ProdName[1] = QStringLiteral("白银");
        ProdPrice[0][0] = 375;
        ProdSpread[0] = 0.5f;
        ProdPrice[1][0] = 5.5f;
        ProdSpread[1] = 0.08f;
        ProdCount = 2;
        ProdLast = 1;
        HoldUnits = {};
        HoldPrice = {};
        LoggedIn = false;
    }
    void TearDown() override {
        platform::unloadAll();
        platform::setQuitHandler(nullptr);
        clearQuoteTables();
        HoldUnits = {};
        HoldPrice = {};
        LoggedIn = false;
    }

    // The texts of the message boxes now open.
    static QStringList notices() {
        QStringList texts;
        for (platform::Form* f : platform::loadedForms())
            if (auto* box = qobject_cast<Msgform*>(f))
                texts << box->windowTitle() + u'|' + box->Label1->text();
        return texts;
    }

    static void leave(QLineEdit* box) {
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(box, &out);
    }

    static QColor colourOf(const QLineEdit* box) { return box->palette().color(QPalette::Text); }
};

} // namespace

TEST_F(PositionForm, OpensWithTheInstrumentsAndZeroRates) {
    CangJSQ& f = cangJSQ();
    EXPECT_EQ(f.windowTitle(), QStringLiteral("仓位计算器 - Quillor"));
    ASSERT_EQ(f.Combo1->count(), 2);
    EXPECT_EQ(f.Combo1->itemText(0), QStringLiteral("国际黄金"));
    EXPECT_EQ(f.Combo1->currentIndex(), 0);
    EXPECT_TRUE(f.Option2[0]->isChecked());
    EXPECT_EQ(f.Text1->text(), QLatin1String("0"));
    EXPECT_EQ(f.Text2->text(), QLatin1String("0"));
    EXPECT_EQ(f.Text1->maxLength(), 4);
    EXPECT_EQ(f.Text2->maxLength(), 2);
    EXPECT_EQ(f.Text8->maxLength(), 7);
    for (QLineEdit* r : {f.Text3, f.Text4, f.Text5, f.Text7, f.Text14, f.Text15, f.Text16})
        EXPECT_EQ(r->text(), QLatin1String("0"));
}

TEST_F(PositionForm, LeavingABoxNormalisesIt) {
    CangJSQ& f = cangJSQ();
    const struct {
        QLineEdit* box;
        const char* typed;
        const char* shown;
    } cases[] = {
        {f.Text1, "0", "18"},     {f.Text1, "20", "20"},   {f.Text1, "3.9", "18"},
        {f.Text2, "", "15"},      {f.Text2, "5", "5"},     {f.Text2, "31", "15"},
        {f.Text8, "12.50", "12.5"}, {f.Text9, "abc", "0"}, {f.Text13, "7x", "7"},
    };
    for (const auto& c : cases) {
        c.box->setText(QLatin1String(c.typed));
        leave(c.box);
        EXPECT_EQ(c.box->text(), QLatin1String(c.shown)) << c.typed;
    }
}

TEST_F(PositionForm, FillHoldingNeedsALogin) {
    CangJSQ& f = cangJSQ();
    HoldUnits[1][1] = 3;
    HoldPrice[1][1] = 5.25f;
    f.Combo1->setCurrentIndex(1);
    emit f.CommandButton9[1]->Click();
    EXPECT_TRUE(f.Text9->text().isEmpty());
    EXPECT_TRUE(f.Option2[0]->isChecked());
    EXPECT_EQ(notices(), QStringList{QStringLiteral("登录|该操作需要登录后方可进行。")});

    LoggedIn = true;
    emit f.CommandButton9[1]->Click();
    EXPECT_EQ(f.Text9->text(), QLatin1String("3"));
    EXPECT_EQ(f.Text8->text(), QLatin1String("5.25"));
    EXPECT_TRUE(f.Option2[1]->isChecked());
    emit f.CommandButton9[0]->Click(); // nothing held long: zeros, and the long side chosen
    EXPECT_EQ(f.Text9->text(), QLatin1String("0"));
    EXPECT_TRUE(f.Option2[0]->isChecked());
}

TEST_F(PositionForm, FillPricesFromTheQuoteBySide) {
    CangJSQ& f = cangJSQ();
    emit f.JsqJg->Click();
    EXPECT_EQ(f.Text11->text(), QLatin1String("375.5"));
    EXPECT_EQ(f.Text13->text(), QLatin1String("375"));
    f.Option2[1]->setChecked(true);
    f.Combo1->setCurrentIndex(1);
    emit f.JsqJg->Click();
    EXPECT_EQ(f.Text11->text(), QLatin1String("5.5"));
    EXPECT_EQ(f.Text13->text(), QLatin1String("5.58"));
}

TEST_F(PositionForm, AddThenCloseShowTheirOwnFigures) {
    CangJSQ& f = cangJSQ();
    f.Text1->setText(QStringLiteral("18"));
    f.Text2->setText(QStringLiteral("15"));
    f.Text8->setText(QStringLiteral("370"));
    f.Text9->setText(QStringLiteral("10"));
    f.Text11->setText(QStringLiteral("380"));
    f.Text10->setText(QStringLiteral("10"));
    emit f.Command2->Click();
    EXPECT_EQ(f.Text3->text(), QLatin1String("20"));
    EXPECT_EQ(f.Text4->text(), QLatin1String("570"));
    EXPECT_EQ(f.Text14->text(), QLatin1String("-20.34"));
    EXPECT_EQ(f.Text16->text(), QLatin1String("-0.27%"));
    EXPECT_EQ(colourOf(f.Text16), platform::toQColor(0xC000));
    EXPECT_EQ(f.Text15->text(), QLatin1String("+5.342"));
    EXPECT_EQ(colourOf(f.Text15), platform::toQColor(0xFF));

    // Closing everything: the rate is the close's own, not the add's left in a new colour.
    f.Text13->setText(QStringLiteral("380"));
    f.Text12->setText(QStringLiteral("10"));
    emit f.Command3->Click();
    EXPECT_EQ(f.Text3->text(), QLatin1String("0"));
    EXPECT_EQ(f.Text4->text(), QLatin1String("0"));
    EXPECT_EQ(f.Text7->text(), QLatin1String("0"));
    EXPECT_EQ(f.Text15->text(), QLatin1String("0"));
    EXPECT_EQ(colourOf(f.Text15), platform::toQColor(0xC000));
    EXPECT_EQ(f.Text14->text(), QLatin1String("93.16")); // 3800 - 3700 - 6.84
    EXPECT_EQ(f.Text16->text(), QLatin1String("+2.52%"));
    EXPECT_EQ(colourOf(f.Text14), platform::toQColor(0xFF));
    EXPECT_TRUE(notices().isEmpty());
}

TEST_F(PositionForm, RefusedInputKeepsThePreviousResults) {
    CangJSQ& f = cangJSQ();
    f.Text8->setText(QStringLiteral("370"));
    f.Text9->setText(QStringLiteral("0.2"));
    f.Text11->setText(QStringLiteral("380"));
    f.Text10->setText(QStringLiteral("0.2"));
    emit f.Command2->Click();
    EXPECT_EQ(f.Text3->text(), QLatin1String("0"));
    EXPECT_EQ(f.Text7->text(), QLatin1String("0"));
    EXPECT_EQ(notices(), QStringList{QStringLiteral("输入不正确|加仓数量不正确.")});
}

TEST_F(PositionForm, EscapeClosesAndOtherKeysGoToTheMainWindow) {
    auto* owner = new platform::Form;
    QList<QPair<int, int>> received;
    platform::setMainForm(owner, [&](int key, int shift) { received.append({key, shift}); });
    CangJSQ& f = cangJSQ();
    f.showForm(owner);
    QTest::keyClick(f.Text8, Qt::Key_7);
    QTest::keyClick(f.Text8, Qt::Key_F5, Qt::ShiftModifier);
    EXPECT_EQ(f.Text8->text(), QLatin1String("7"));
    // Each key once, the Shift key itself included, as the window sees it.
    const QList<QPair<int, int>> expected{{'7', 0}, {0x10, 1}, {0x74, 1}};
    EXPECT_EQ(received, expected);
    QTest::keyClick(f.Text8, Qt::Key_Escape);
    EXPECT_FALSE(platform::isLoaded<CangJSQ>());
    EXPECT_TRUE(owner->isLoaded());
    platform::setMainForm(nullptr, {});
    owner->unload();
}

// Pictures of the three tool windows for a reviewer.
TEST_F(PositionForm, Gallery) {
    const QDir dir(QStringLiteral(BRELTO_GALLERY_DIR "/companions"));
    ASSERT_TRUE(dir.mkpath(QStringLiteral(".")));

    CangJSQ& position = cangJSQ();
    position.Text1->setText(QStringLiteral("18"));
    position.Text2->setText(QStringLiteral("15"));
    position.Text8->setText(QStringLiteral("370"));
    position.Text9->setText(QStringLiteral("10"));
    emit position.JsqJg->Click();
    position.Text10->setText(QStringLiteral("10"));
    emit position.Command2->Click();
    position.showForm();

    JiaoYiForm& idea = jiaoYiForm();
    idea.Option3->setChecked(true);
    idea.Command1->click();
    idea.showForm();

    Calc& pad = calc();
    for (int i : {6, 10, 4})
        pad.pressEntry(i);
    pad.pressFunction(CalcPad::Times);
    pad.pressEntry(2);
    pad.showForm();

    const struct {
        QWidget* form;
        const char* file;
    } shots[] = {{&position, "cangjsq.png"}, {&idea, "jiaoyiform.png"}, {&pad, "calc.png"}};
    for (const auto& s : shots) {
        const QImage picture = s.form->grab().toImage();
        EXPECT_EQ(picture.size(), s.form->size()) << s.file;
        EXPECT_TRUE(picture.save(dir.filePath(QLatin1String(s.file)))) << s.file;
    }
}
