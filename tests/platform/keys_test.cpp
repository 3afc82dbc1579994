#include "platform/keys.h"

#include <QKeyEvent>

#include <gtest/gtest.h>

using namespace platform;

namespace {

struct KeyCase {
    int qtKey;
    Qt::KeyboardModifiers modifiers;
    int expected;
};

TEST(VirtualKey, TranslatesQtKeys) {
    const KeyCase cases[] = {
        {Qt::Key_A, Qt::NoModifier, 0x41},
        {Qt::Key_Z, Qt::ShiftModifier, 0x5A},
        {Qt::Key_0, Qt::NoModifier, 0x30},
        {Qt::Key_9, Qt::NoModifier, 0x39},
        {Qt::Key_F1, Qt::NoModifier, 0x70},
        {Qt::Key_F12, Qt::NoModifier, 0x7B},
        {Qt::Key_Return, Qt::NoModifier, VK_RETURN},
        {Qt::Key_Enter, Qt::KeypadModifier, VK_RETURN},
        {Qt::Key_Escape, Qt::NoModifier, VK_ESCAPE},
        {Qt::Key_Space, Qt::NoModifier, VK_SPACE},
        {Qt::Key_Left, Qt::NoModifier, VK_LEFT},
        {Qt::Key_Right, Qt::NoModifier, VK_RIGHT},
        {Qt::Key_Delete, Qt::NoModifier, VK_DELETE},
        {Qt::Key_Tab, Qt::NoModifier, VK_TAB},
        {Qt::Key_Backtab, Qt::ShiftModifier, VK_TAB},
        // Typed characters keep the code of the key they are on, never an arrow's code.
        {Qt::Key_Apostrophe, Qt::NoModifier, VK_OEM_7},
        {Qt::Key_Percent, Qt::ShiftModifier, '5'},
        {Qt::Key_Exclam, Qt::ShiftModifier, '1'},
        {Qt::Key_ParenLeft, Qt::ShiftModifier, '9'},
        {Qt::Key_Comma, Qt::NoModifier, 0xBC},
        {Qt::Key_Less, Qt::ShiftModifier, 0xBC},
        {Qt::Key_Minus, Qt::NoModifier, 0xBD},
        {Qt::Key_5, Qt::KeypadModifier, 0x65},
        {Qt::Key_Asterisk, Qt::KeypadModifier, 0x6A},
        {Qt::Key_Minus, Qt::KeypadModifier, 0x6D},
        {Qt::Key_unknown, Qt::NoModifier, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(virtualKey(c.qtKey, c.modifiers), c.expected) << std::hex << c.qtKey;
}

TEST(VirtualKey, ReadsKeyEvents) {
    const QKeyEvent shiftedPercent(QEvent::KeyPress, Qt::Key_Percent, Qt::ShiftModifier, QStringLiteral("%"));
    EXPECT_EQ(virtualKey(shiftedPercent), '5');
    const QKeyEvent keypadSeven(QEvent::KeyPress, Qt::Key_7, Qt::KeypadModifier, QStringLiteral("7"));
    EXPECT_EQ(virtualKey(keypadSeven), 0x67);
}

TEST(ShiftMask, OneShiftTwoCtrlFourAlt) {
    EXPECT_EQ(shiftMask(Qt::NoModifier), 0);
    EXPECT_EQ(shiftMask(Qt::ShiftModifier), 1);
    EXPECT_EQ(shiftMask(Qt::ControlModifier), 2);
    EXPECT_EQ(shiftMask(Qt::AltModifier), 4);
    EXPECT_EQ(shiftMask(Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier), 7);
    EXPECT_EQ(shiftMask(Qt::KeypadModifier | Qt::MetaModifier), 0);
}

TEST(KeyAscii, TheCharacterAKeyTypes) {
    struct Case {
        int qtKey;
        Qt::KeyboardModifiers modifiers;
        const char16_t* text;
        int expected;
    } cases[] = {
        {Qt::Key_A, Qt::NoModifier, u"a", 97},
        {Qt::Key_A, Qt::ShiftModifier, u"A", 65},
        {Qt::Key_A, Qt::ControlModifier, u"\x01", 1},
        {Qt::Key_Plus, Qt::ShiftModifier, u"+", 43},
        {Qt::Key_Minus, Qt::KeypadModifier, u"-", 45},
        {Qt::Key_Return, Qt::NoModifier, u"\r", 13},
        {Qt::Key_Escape, Qt::NoModifier, u"\x1b", 27},
        {Qt::Key_Backspace, Qt::NoModifier, u"\b", 8},
        {Qt::Key_Space, Qt::NoModifier, u" ", 32},
        // A double-byte character of the code page reads negative; one it lacks is "?".
        {Qt::Key_unknown, Qt::NoModifier, u"中", -10544},
        {Qt::Key_unknown, Qt::NoModifier, u"ก", 63},
        // Keys that type nothing.
        {Qt::Key_Up, Qt::NoModifier, u"", 0},
        {Qt::Key_F1, Qt::NoModifier, u"", 0},
        {Qt::Key_Delete, Qt::NoModifier, u"\x7f", 0},
        {Qt::Key_A, Qt::AltModifier, u"a", 0},
        {Qt::Key_unknown, Qt::NoModifier, u"ab", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(keyAscii(c.qtKey, c.modifiers, QString::fromUtf16(c.text)), c.expected)
            << std::hex << c.qtKey;
    const QKeyEvent typed(QEvent::KeyPress, Qt::Key_Equal, Qt::NoModifier, QStringLiteral("="));
    EXPECT_EQ(keyAscii(typed), 61);
}

TEST(MouseButtons, OneLeftTwoRightFourMiddleSummed) {
    EXPECT_EQ(mouseButtons(Qt::NoButton), 0);
    EXPECT_EQ(mouseButtons(Qt::LeftButton), 1);
    EXPECT_EQ(mouseButtons(Qt::RightButton), 2);
    EXPECT_EQ(mouseButtons(Qt::MiddleButton), 4);
    EXPECT_EQ(mouseButtons(Qt::LeftButton | Qt::RightButton | Qt::MiddleButton), 7);
    EXPECT_EQ(mouseButtons(Qt::BackButton | Qt::ForwardButton), 0);
    EXPECT_EQ(mouseButtons(Qt::BackButton | Qt::RightButton), 2);
}

struct CaptionCase {
    const char16_t* caption;
    char16_t key; // 0: none
    const char16_t* shown;
};

TEST(AccessKey, FirstSingleAmpersandMarksTheKey) {
    const CaptionCase cases[] = {
        {u"&OK", u'O', u"OK"},
        {u"Save &as", u'A', u"Save as"},
        {u"A && B", 0, u"A & B"},
        {u"&&x &y", u'Y', u"&x y"},
        {u"&First &Second", u'F', u"First Second"},
        {u"trailing &", 0, u"trailing "},
        {u"", 0, u""},
        {u"登录(&L)", u'L', u"登录(L)"},
        {u"论坛&&浏览器", 0, u"论坛&浏览器"},
        {u"&中", u'中', u"中"},
    };
    for (const auto& c : cases) {
        const QString caption = QString::fromUtf16(c.caption);
        EXPECT_EQ(accessKey(caption), c.key == 0 ? QChar() : QChar(c.key)) << caption.toStdString();
        EXPECT_EQ(stripAccessMarks(caption), QString::fromUtf16(c.shown)) << caption.toStdString();
    }
}

} // namespace
