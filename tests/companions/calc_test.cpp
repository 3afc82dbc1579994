#include "companions/calc.h"

#include "platform/forms.h"
#include "platform/msgbox.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// Presses the keys a sequence names: digits, "." and "=" are entry keys; + - * / the signs;
// A "AC", S "MS", R "MR", < "<-". The result of the last key press comes back.
CalcPad::Result press(CalcPad& pad, const char* keys) {
    CalcPad::Result last = CalcPad::Result::Done;
    for (const char* k = keys; *k != 0; ++k) {
        last = CalcPad::Result::Done;
        switch (*k) {
        case '0': last = pad.entry(9); break;
        case '.': last = pad.entry(CalcPad::kDot); break;
        case '=': last = pad.entry(CalcPad::kEquals); break;
        case '+': pad.function(CalcPad::Plus); break;
        case '-': pad.function(CalcPad::Minus); break;
        case '*': pad.function(CalcPad::Times); break;
        case '/': pad.function(CalcPad::Divide); break;
        case 'A': pad.function(CalcPad::AllClear); break;
        case 'S': pad.function(CalcPad::MemoryStore); break;
        case 'R': pad.function(CalcPad::MemoryRecall); break;
        case '<': pad.function(CalcPad::Back); break;
        default: last = pad.entry(*k - '1'); break;
        }
    }
    return last;
}

} // namespace

TEST(CalcPad, KeySequences) {
    using R = CalcPad::Result;
    const struct {
        const char* keys;
        const char* display;
        R last;
    } cases[] = {
        {"5", "5", R::Done},
        {"00", "0", R::Done},
        {"=", "0", R::Done}, // a fresh "0" evaluates to itself
        {"1+2+", "1+2", R::Done},
        {"1+2-3", "1+2-3", R::Done},
        {"12**", "12*", R::Done},
        {"12*-", "12*", R::Done},
        {"7-2*3=", "1", R::Done},
        {"1/3=", "0.333333333333333", R::Done},
        {"2/3=", "0.666666666666667", R::Done},
        {"4-8=", "-4", R::Done},
        {"4-8=-", "-4", R::Done},
        {"4-8=+1=", "-3", R::Done},
        {"10/4=", "2.5", R::Done},
        {"5<", "0", R::Done},
        {"12<", "1", R::Done},
        {".", "0.", R::Done},
        {"..", "0.", R::Done},
        {"1.2.3", "1.2.3", R::Done},
        {"1.2.3=", "1.2.3", R::Failed},
        {"1/0=", "1/0", R::Failed},
        {"2.5SA1+R", "1+2.5", R::Done},
        {"1.5SA2.3R", "2.3", R::Done},
        {"2SAR", "02", R::Done},
        {"9A", "0", R::Done},
        {"123456789012345678901", "123456789012345678901", R::Done},
        {"1234567890123456789012", "123456789012345678901", R::Beep},
        {"123456789012345678901=", "123456789012345678901", R::Beep},
        {"123456789012345678901<", "12345678901234567890", R::Done},
        {"123456789012345678901A", "0", R::Done},
    };
    for (const auto& c : cases) {
        CalcPad pad;
        const R last = press(pad, c.keys);
        EXPECT_EQ(pad.display(), QLatin1String(c.display)) << c.keys;
        EXPECT_EQ(last, c.last) << c.keys;
    }
}

TEST(CalcPad, FailureCarriesTheDescription) {
    CalcPad pad;
    press(pad, "1/0=");
    EXPECT_EQ(pad.error(), QStringLiteral("被零除"));
    press(pad, "A1+=");
    EXPECT_EQ(pad.error(), QStringLiteral("语法错误"));
}

TEST(CalcPad, IsnumLooksAtTheLastCharacter) {
    const struct {
        const char* text;
        bool isNum;
    } cases[] = {{"", false}, {"1", true}, {"1.", true}, {"1+", false}, {"+1", true}, {"a", false}, {"0", true}};
    for (const auto& c : cases)
        EXPECT_EQ(CalcPad::Isnum(QLatin1String(c.text)), c.isNum) << c.text;
}

TEST(CalcPad, KeyCodesPressTheirButtons) {
    const struct {
        int key;
        int button;
    } cases[] = {
        {49, 0},   {57, 8},   {97, 0},   {105, 8},  {48, 9},   {96, 9},   {110, 10}, {187, 11},
        {13, 11},  {107, 100}, {109, 101}, {189, 101}, {106, 102}, {111, 103}, {27, 104}, {8, 107},
        {190, -1}, {65, -1},  {32, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CalcPad::buttonForKey(c.key), c.button) << c.key;
}

namespace {

class CalcForm : public ::testing::Test {
protected:
    void SetUp() override {
        platform::setQuitHandler([] {});
        platform::setMessageBoxHandler([this](const QString& text, const QString& title, platform::BoxButtons,
                                              platform::BoxIcon) {
            boxes << title + u'|' + text;
            return platform::BoxAnswer::Ok;
        });
    }
    void TearDown() override {
        platform::unloadAll();
        platform::setMessageBoxHandler(nullptr);
        platform::setQuitHandler(nullptr);
    }
    QStringList boxes;
};

} // namespace

TEST_F(CalcForm, ButtonsActOnMouseDown) {
    Calc& f = calc();
    f.showForm();
    QTest::mousePress(f.C[6], Qt::LeftButton);  // 7
    QTest::mousePress(f.Z[1], Qt::RightButton); // "-", any mouse button
    QTest::mousePress(f.C[1], Qt::LeftButton);  // 2
    EXPECT_EQ(f.T->text(), QLatin1String("7-2"));
    QTest::mousePress(f.C[11], Qt::LeftButton);
    EXPECT_EQ(f.T->text(), QLatin1String("5"));
    EXPECT_TRUE(boxes.isEmpty());
}

TEST_F(CalcForm, KeysFollowTheKeyMap) {
    Calc& f = calc();
    f.showForm();
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
    } keys[] = {
        {Qt::Key_1, Qt::NoModifier},     {Qt::Key_2, Qt::KeypadModifier},  {Qt::Key_Period, Qt::NoModifier},
        {Qt::Key_Period, Qt::KeypadModifier}, {Qt::Key_5, Qt::NoModifier}, {Qt::Key_Asterisk, Qt::KeypadModifier},
        {Qt::Key_4, Qt::NoModifier},     {Qt::Key_Return, Qt::NoModifier},
    };
    for (const auto& k : keys)
        QTest::keyClick(&f, k.key, k.modifiers);
    // 12.5*4: the main keyboard's "." is ignored, the keypad's is taken.
    EXPECT_EQ(f.T->text(), QLatin1String("50"));
    QTest::keyClick(&f, Qt::Key_Backspace);
    EXPECT_EQ(f.T->text(), QLatin1String("5"));
    QTest::keyClick(&f, Qt::Key_Minus);
    QTest::keyClick(&f, Qt::Key_9);
    QTest::keyClick(&f, Qt::Key_Equal);
    EXPECT_EQ(f.T->text(), QLatin1String("-4"));
    QTest::keyClick(&f, Qt::Key_Escape);
    EXPECT_EQ(f.T->text(), QLatin1String("0"));
    EXPECT_TRUE(f.isLoaded()); // Esc clears, it does not close
}

TEST_F(CalcForm, FailedEvaluationTellsWhyAndKeepsTheDisplay) {
    Calc& f = calc();
    f.showForm();
    for (int i : {0, 10}) // "1."
        f.pressEntry(i);
    f.pressFunction(CalcPad::Divide);
    f.pressEntry(9);
    f.Run();
    EXPECT_EQ(f.T->text(), QLatin1String("1./0"));
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_TRUE(boxes[0].endsWith(QStringLiteral("|计算错误：被零除"))) << boxes[0].toStdString();
}

TEST_F(CalcForm, CopyPutsTheDisplayOnTheClipboard) {
    Calc& f = calc();
    f.pressEntry(2);
    f.pressEntry(CalcPad::kDot);
    f.pressEntry(4);
    QGuiApplication::clipboard()->setText(QStringLiteral("old"));
    f.pressFunction(CalcPad::Copy);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QLatin1String("3.5"));
}
