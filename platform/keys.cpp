#include "platform/keys.h"

#include "platform/gbk.h"

#include <QKeyEvent>

#include <utility>

namespace platform {

namespace {

// Keys whose code does not follow from a range, with shifted symbols under the key they share.
constexpr std::pair<int, int> kKeyTable[] = {
    {Qt::Key_Backspace, VK_BACK},     {Qt::Key_Tab, VK_TAB},          {Qt::Key_Backtab, VK_TAB},
    {Qt::Key_Return, VK_RETURN},      {Qt::Key_Enter, VK_RETURN},     {Qt::Key_Shift, VK_SHIFT},
    {Qt::Key_Control, VK_CONTROL},    {Qt::Key_Alt, VK_MENU},         {Qt::Key_Pause, 0x13},
    {Qt::Key_CapsLock, 0x14},         {Qt::Key_Escape, VK_ESCAPE},    {Qt::Key_Space, VK_SPACE},
    {Qt::Key_PageUp, VK_PRIOR},       {Qt::Key_PageDown, VK_NEXT},    {Qt::Key_End, VK_END},
    {Qt::Key_Home, VK_HOME},          {Qt::Key_Left, VK_LEFT},        {Qt::Key_Up, VK_UP},
    {Qt::Key_Right, VK_RIGHT},        {Qt::Key_Down, VK_DOWN},        {Qt::Key_Print, 0x2C},
    {Qt::Key_Insert, VK_INSERT},      {Qt::Key_Delete, VK_DELETE},    {Qt::Key_Help, 0x2F},
    {Qt::Key_Meta, 0x5B},             {Qt::Key_Menu, 0x5D},           {Qt::Key_NumLock, 0x90},
    {Qt::Key_ScrollLock, 0x91},       {Qt::Key_Semicolon, 0xBA},      {Qt::Key_Colon, 0xBA},
    {Qt::Key_Equal, 0xBB},            {Qt::Key_Plus, 0xBB},           {Qt::Key_Comma, 0xBC},
    {Qt::Key_Less, 0xBC},             {Qt::Key_Minus, 0xBD},          {Qt::Key_Underscore, 0xBD},
    {Qt::Key_Period, 0xBE},           {Qt::Key_Greater, 0xBE},        {Qt::Key_Slash, 0xBF},
    {Qt::Key_Question, 0xBF},         {Qt::Key_QuoteLeft, 0xC0},      {Qt::Key_AsciiTilde, 0xC0},
    {Qt::Key_BracketLeft, 0xDB},      {Qt::Key_BraceLeft, 0xDB},      {Qt::Key_Backslash, 0xDC},
    {Qt::Key_Bar, 0xDC},              {Qt::Key_BracketRight, 0xDD},   {Qt::Key_BraceRight, 0xDD},
    {Qt::Key_Apostrophe, VK_OEM_7},   {Qt::Key_QuoteDbl, VK_OEM_7},   {Qt::Key_Exclam, '1'},
    {Qt::Key_At, '2'},                {Qt::Key_NumberSign, '3'},      {Qt::Key_Dollar, '4'},
    {Qt::Key_Percent, '5'},           {Qt::Key_AsciiCircum, '6'},     {Qt::Key_Ampersand, '7'},
    {Qt::Key_Asterisk, '8'},          {Qt::Key_ParenLeft, '9'},       {Qt::Key_ParenRight, '0'},
    {Qt::Key_Clear, 0x0C},            {Qt::Key_Select, 0x29},         {Qt::Key_Execute, 0x2B},
    {Qt::Key_Sleep, 0x5F},            {Qt::Key_VolumeMute, 0xAD},     {Qt::Key_VolumeDown, 0xAE},
    {Qt::Key_VolumeUp, 0xAF},         {Qt::Key_MediaNext, 0xB0},      {Qt::Key_MediaPrevious, 0xB1},
    {Qt::Key_MediaStop, 0xB2},
};

int keypadKey(int qtKey) {
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return VK_NUMPAD0 + (qtKey - Qt::Key_0);
    switch (qtKey) {
    case Qt::Key_Asterisk: return 0x6A;
    case Qt::Key_Plus: return 0x6B;
    case Qt::Key_Minus: return 0x6D;
    case Qt::Key_Period: return 0x6E;
    case Qt::Key_Slash: return 0x6F;
    case Qt::Key_Enter: return VK_RETURN;
    default: return -1;
    }
}

} // namespace

int virtualKey(int qtKey, Qt::KeyboardModifiers modifiers) {
    if (modifiers.testFlag(Qt::KeypadModifier)) {
        if (const int code = keypadKey(qtKey); code >= 0)
            return code;
    }
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        return 'A' + (qtKey - Qt::Key_A);
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return '0' + (qtKey - Qt::Key_0);
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return VK_F1 + (qtKey - Qt::Key_F1);
    for (const auto& [key, code] : kKeyTable) {
        if (key == qtKey)
            return code;
    }
    return 0;
}

int virtualKey(const QKeyEvent& event) { return virtualKey(event.key(), event.modifiers()); }

int shiftMask(Qt::KeyboardModifiers modifiers) {
    int mask = 0;
    if (modifiers.testFlag(Qt::ShiftModifier))
        mask |= kShiftMask;
    if (modifiers.testFlag(Qt::ControlModifier))
        mask |= kCtrlMask;
    if (modifiers.testFlag(Qt::AltModifier))
        mask |= kAltMask;
    return mask;
}

int16_t keyAscii(int qtKey, Qt::KeyboardModifiers modifiers, const QString& text) {
    // The X server gives Delete the text DEL (127); the key types nothing.
    if (text.size() != 1 || qtKey == Qt::Key_Delete || modifiers.testFlag(Qt::AltModifier))
        return 0;
    const char16_t unit = text[0].unicode();
    if (unit < 0x80)
        return static_cast<int16_t>(unit);
    const quint16 code = gbkCode(unit);
    return code == 0 ? int16_t{'?'} : static_cast<int16_t>(code);
}

int16_t keyAscii(const QKeyEvent& event) {
    return keyAscii(event.key(), event.modifiers(), event.text());
}

int mouseButtons(Qt::MouseButtons buttons) {
    int b = 0;
    if (buttons.testFlag(Qt::LeftButton))
        b |= 1;
    if (buttons.testFlag(Qt::RightButton))
        b |= 2;
    if (buttons.testFlag(Qt::MiddleButton))
        b |= 4;
    return b;
}

QChar accessKey(const QString& caption) {
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != u'&')
            continue;
        if (caption[i + 1] == u'&') {
            ++i;
            continue;
        }
        return caption[i + 1].toUpper();
    }
    return {};
}

QString stripAccessMarks(const QString& caption) {
    QString shown;
    shown.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == u'&') {
            if (i + 1 < caption.size())
                shown += caption[++i];
            continue;
        }
        shown += caption[i];
    }
    return shown;
}

} // namespace platform
