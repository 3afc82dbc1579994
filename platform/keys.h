#pragma once

#include <QChar>
#include <QString>
#include <Qt>

#include <cstdint>

class QKeyEvent;

// Keys as the program handles them: virtual-key codes and a shift mask (1 Shift, 2 Ctrl, 4 Alt),
// translated from Qt here and nowhere else.
namespace platform {

inline constexpr int kShiftMask = 1;
inline constexpr int kCtrlMask = 2;
inline constexpr int kAltMask = 4;

// Virtual-key codes the program names.
inline constexpr int VK_BACK = 0x08;
inline constexpr int VK_TAB = 0x09;
inline constexpr int VK_RETURN = 0x0D;
inline constexpr int VK_SHIFT = 0x10;
inline constexpr int VK_CONTROL = 0x11;
inline constexpr int VK_MENU = 0x12;
inline constexpr int VK_ESCAPE = 0x1B;
inline constexpr int VK_SPACE = 0x20;
inline constexpr int VK_PRIOR = 0x21;
inline constexpr int VK_NEXT = 0x22;
inline constexpr int VK_END = 0x23;
inline constexpr int VK_HOME = 0x24;
inline constexpr int VK_LEFT = 0x25;
inline constexpr int VK_UP = 0x26;
inline constexpr int VK_RIGHT = 0x27;
inline constexpr int VK_DOWN = 0x28;
inline constexpr int VK_INSERT = 0x2D;
inline constexpr int VK_DELETE = 0x2E;
inline constexpr int VK_NUMPAD0 = 0x60;
inline constexpr int VK_F1 = 0x70;
inline constexpr int VK_OEM_7 = 0xDE; // the apostrophe key

// Virtual-key code of a Qt key (letters and digits as their upper-case character codes, shifted
// symbols as the key they are typed on, keypad keys when the keypad modifier is set); 0 when the
// key has no code.
[[nodiscard]] int virtualKey(int qtKey, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
[[nodiscard]] int virtualKey(const QKeyEvent& event);

// Shift mask of Qt modifiers: 1 Shift, 2 Ctrl, 4 Alt.
[[nodiscard]] int shiftMask(Qt::KeyboardModifiers modifiers);

// The character code a key press types, as a key-press event passes it on: the code of an ASCII
// character (control characters such as Enter 13, Esc 27, Backspace 8 and Ctrl+A 1 included); a
// character outside ASCII as its code-page-936 code, a double-byte code reading negative as a
// 16-bit number, "?" (63) when the code page cannot hold it; 0 when the key types no character
// (arrows, function keys, Delete) or is typed with Alt, which makes a menu key instead.
[[nodiscard]] int16_t keyAscii(int qtKey, Qt::KeyboardModifiers modifiers, const QString& text);
[[nodiscard]] int16_t keyAscii(const QKeyEvent& event);

// Mouse buttons as the program counts them: 1 left, 2 right, 4 middle, summed; other buttons
// count 0.
[[nodiscard]] int mouseButtons(Qt::MouseButtons buttons);

// The access key a caption marks with "&": the character after the first single "&" ("&&" is a
// literal "&"), upper-cased; a null QChar when the caption marks none.
[[nodiscard]] QChar accessKey(const QString& caption);

// The caption as it is shown: "&" marks removed, "&&" shown as "&".
[[nodiscard]] QString stripAccessMarks(const QString& caption);

} // namespace platform
