#pragma once

// The system-wide hot key: a key text parser, the registration rules the program relies on, and
// an X11 back end that grabs the combination on the root window.

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

namespace platform {

inline constexpr uint32_t kModAlt = 1;
inline constexpr uint32_t kModControl = 2;
inline constexpr uint32_t kModShift = 4;

// "Ctrl+Alt,W": the modifier text before the first comma (one of a fixed set, written exactly,
// else no modifiers) and, after it, the character code of the first character as the key code.
// Without a comma the text's leading number is the key code, with no modifiers. A comma with
// nothing after it raises VbError kErrInvalidCall.
inline constexpr int kErrInvalidCall = 5;
struct KeyCombo {
    uint32_t modifiers = 0;
    int32_t key = 0;
};
[[nodiscard]] KeyCombo parseKeyText(const QString& text);
[[nodiscard]] uint32_t modifierFlags(const QString& text);

// What registers and releases a combination with the desktop. grab is false when the
// combination cannot be had (taken by another program, no display).
class HotkeyBackend {
public:
    virtual ~HotkeyBackend() = default;
    virtual bool grab(int32_t id, uint32_t modifiers, int32_t key) = 0;
    virtual void release(int32_t id) = 0;
    // The press of hot key `id` goes to `pressed` until it is replaced.
    virtual void setPressedHandler(std::function<void(int32_t id)> pressed) = 0;
};

// The X11 back end on the application's own display connection; one that refuses every grab
// where the platform is not X11.
[[nodiscard]] std::unique_ptr<HotkeyBackend> makeX11HotkeyBackend();

// Key repeat while a combination is held: X sends a release and a press with one timestamp for
// each repeat (or only presses where repeat is detectable). Only the first press of a hold counts.
class RepeatFilter {
public:
    // True when this press starts a new hold.
    bool press(uint32_t time);
    void release(uint32_t time);

private:
    bool m_held = false;
    bool m_released = false;
    uint32_t m_releaseTime = 0;
};

// The registration rules: an "Add" of a combination already registered under the id is refused
// (the key stays active, exactly one binding), "Del" of one not registered does nothing.
// `filterInstalled` mirrors the message filter: installed by the first "Add", removed by "Del".
class Hotkeys {
public:
    explicit Hotkeys(std::unique_ptr<HotkeyBackend> backend);

    // "Add" or "Del" as the program's SetHotkey: true only when "Add" registered the key. A key
    // text parseKeyText refuses raises its VbError with nothing changed.
    bool set(int32_t id, const QString& keyText, const QString& action);

    [[nodiscard]] bool filterInstalled() const { return m_filterInstalled; }
    [[nodiscard]] bool isRegistered() const { return m_registeredId != 0; }
    [[nodiscard]] int32_t registeredId() const { return m_registeredId; }
    [[nodiscard]] uint32_t modifiers() const { return m_modifiers; }
    [[nodiscard]] int32_t key() const { return m_key; }

    // Called with the id of each press while the filter is installed.
    void setAction(std::function<void(int32_t id)> action) { m_action = std::move(action); }

    HotkeyBackend& backend() { return *m_backend; }

private:
    std::unique_ptr<HotkeyBackend> m_backend;
    std::function<void(int32_t)> m_action;
    bool m_filterInstalled = false;
    int32_t m_id = 0;
    int32_t m_registeredId = 0;
    uint32_t m_modifiers = 0;
    int32_t m_key = 0;
};

} // namespace platform
