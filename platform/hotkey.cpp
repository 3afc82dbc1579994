#include "platform/hotkey.h"

#include "platform/vberror.h"
#include "platform/vbtext.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QList>

#include <array>
#include <map>

#ifdef BRELTO_HAVE_XCB
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>
#endif

namespace platform {

uint32_t modifierFlags(const QString& text) {
    static const std::array<std::pair<const char16_t*, uint32_t>, 8> table{{
        {u"Ctrl", kModControl},
        {u"Alt", kModAlt},
        {u"Shift", kModShift},
        {u"Ctrl+Alt", kModControl | kModAlt},
        {u"Ctrl+Shift", kModControl | kModShift},
        {u"Ctrl+Alt+Shift", kModControl | kModAlt | kModShift},
        {u"Shift+Alt", kModShift | kModAlt},
        {u"-", 0},
    }};
    for (const auto& [name, flags] : table) {
        if (text == QStringView(name))
            return flags;
    }
    return 0;
}

KeyCombo parseKeyText(const QString& text) {
    const qsizetype comma = text.indexOf(u',');
    if (comma < 0)
        return KeyCombo{0, static_cast<int32_t>(Val(text))};
    const QString keyPart = text.mid(comma + 1);
    KeyCombo combo;
    combo.modifiers = modifierFlags(text.left(comma));
    // A key part with no character names no key: a run-time error of the caller's, not a key 0.
    if (keyPart.isEmpty())
        throw VbError(kErrInvalidCall, QStringLiteral("无效的过程调用或参数"), QStringLiteral("Hotkey"));
    combo.key = static_cast<int32_t>(keyPart.at(0).unicode());
    return combo;
}

bool RepeatFilter::press(uint32_t time) {
    // A press stamped like the release before it is the auto-repeat's pair.
    const bool repeat = m_held || (m_released && time == m_releaseTime);
    m_held = true;
    m_released = false;
    return !repeat;
}

void RepeatFilter::release(uint32_t time) {
    m_held = false;
    m_released = true;
    m_releaseTime = time;
}

Hotkeys::Hotkeys(std::unique_ptr<HotkeyBackend> backend) : m_backend(std::move(backend)) {
    m_backend->setPressedHandler([this](int32_t id) {
        if (m_filterInstalled && m_action)
            m_action(id);
    });
}

bool Hotkeys::set(int32_t id, const QString& keyText, const QString& action) {
    const KeyCombo combo = parseKeyText(keyText);
    m_modifiers = 0;
    m_key = 0;
    m_id = 0;
    m_filterInstalled = true;
    m_id = id;
    if (action == QStringLiteral("Add")) {
        m_modifiers = combo.modifiers;
        m_key = combo.key;
        // A second registration is refused and the first stays.
        bool registered = false;
        if (m_registeredId == 0 && m_backend->grab(m_id, m_modifiers, m_key)) {
            m_registeredId = id;
            registered = true;
        }
        return registered;
    }
    if (action == QStringLiteral("Del")) {
        m_filterInstalled = false;
        if (m_registeredId == id) {
            m_backend->release(id);
            m_registeredId = 0;
        }
        return false;
    }
    return false;
}

namespace {

class NoHotkeyBackend final : public HotkeyBackend {
public:
    bool grab(int32_t, uint32_t, int32_t) override { return false; }
    void release(int32_t) override {}
    void setPressedHandler(std::function<void(int32_t)>) override {}
};

#ifdef BRELTO_HAVE_XCB

// Virtual-key code to X keysym for the keys a key text can name: letters, digits, F1-F24.
uint32_t keysymFor(int32_t vk) {
    if (vk >= 'A' && vk <= 'Z')
        return static_cast<uint32_t>(vk - 'A' + 'a');
    if (vk >= '0' && vk <= '9')
        return static_cast<uint32_t>(vk);
    if (vk >= 0x70 && vk <= 0x87)
        return 0xffbeu + static_cast<uint32_t>(vk - 0x70);
    return 0;
}

uint16_t xModifiers(uint32_t flags) {
    uint16_t mask = 0;
    if (flags & kModShift)
        mask |= XCB_MOD_MASK_SHIFT;
    if (flags & kModControl)
        mask |= XCB_MOD_MASK_CONTROL;
    if (flags & kModAlt)
        mask |= XCB_MOD_MASK_1;
    return mask;
}

// Caps Lock and Num Lock (Mod2 on every common keyboard map) must not stop the key.
constexpr std::array<uint16_t, 4> kLockVariants{0, XCB_MOD_MASK_LOCK, XCB_MOD_MASK_2,
                                                XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2};
constexpr uint16_t kRelevantMask = XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4;

class X11HotkeyBackend final : public HotkeyBackend, public QAbstractNativeEventFilter {
public:
    X11HotkeyBackend(xcb_connection_t* connection) : m_connection(connection) {
        const xcb_setup_t* setup = xcb_get_setup(connection);
        m_root = xcb_setup_roots_iterator(setup).data->root;
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
    ~X11HotkeyBackend() override {
        if (QCoreApplication::instance() != nullptr)
            QCoreApplication::instance()->removeNativeEventFilter(this);
        for (const auto& [id, binding] : m_bindings)
            ungrab(binding);
        xcb_flush(m_connection);
    }

    bool grab(int32_t id, uint32_t modifiers, int32_t key) override {
        const xcb_keycode_t code = keycodeFor(keysymFor(key));
        if (code == 0 || m_bindings.count(id) != 0)
            return false;
        Binding binding;
        binding.code = code;
        binding.mask = xModifiers(modifiers);
        bool refused = false;
        for (uint16_t lock : kLockVariants) {
            // Not owner events: with them a press while one of our windows has the focus would go to
            // that window as an ordinary key instead of to the grab.
            const xcb_void_cookie_t cookie = xcb_grab_key_checked(
                m_connection, 0, m_root, binding.mask | lock, code, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
            if (xcb_generic_error_t* error = xcb_request_check(m_connection, cookie)) {
                refused = true;
                free(error);
            }
        }
        if (refused) {
            // Another client holds the combination: take back whatever variants were had.
            ungrab(binding);
            xcb_flush(m_connection);
            return false;
        }
        xcb_flush(m_connection);
        m_bindings[id] = binding;
        return true;
    }

    void release(int32_t id) override {
        const auto it = m_bindings.find(id);
        if (it == m_bindings.end())
            return;
        ungrab(it->second);
        xcb_flush(m_connection);
        m_bindings.erase(it);
    }

    void setPressedHandler(std::function<void(int32_t)> pressed) override { m_pressed = std::move(pressed); }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
        if (eventType != "xcb_generic_event_t")
            return false;
        auto* event = static_cast<xcb_generic_event_t*>(message);
        const uint8_t type = event->response_type & 0x7f;
        if (type != XCB_KEY_PRESS && type != XCB_KEY_RELEASE)
            return false;
        auto* key = reinterpret_cast<xcb_key_press_event_t*>(event);
        if (key->event != m_root)
            return false;
        for (auto& [id, binding] : m_bindings) {
            if (key->detail != binding.code)
                continue;
            // The modifiers may be let go before the key, so a release ends the hold whatever
            // modifiers it carries.
            if (type == XCB_KEY_RELEASE) {
                binding.repeat.release(key->time);
                return true;
            }
            if ((key->state & kRelevantMask) != binding.mask)
                continue;
            if (binding.repeat.press(key->time) && m_pressed)
                m_pressed(id);
            return true;
        }
        return false;
    }

private:
    struct Binding {
        xcb_keycode_t code = 0;
        uint16_t mask = 0;
        RepeatFilter repeat;
    };

    void ungrab(const Binding& binding) {
        for (uint16_t lock : kLockVariants)
            xcb_ungrab_key(m_connection, binding.code, m_root, binding.mask | lock);
    }

    xcb_keycode_t keycodeFor(uint32_t keysym) {
        if (keysym == 0)
            return 0;
        const xcb_setup_t* setup = xcb_get_setup(m_connection);
        const uint8_t first = setup->min_keycode;
        const int count = setup->max_keycode - setup->min_keycode + 1;
        xcb_get_keyboard_mapping_reply_t* reply = xcb_get_keyboard_mapping_reply(
            m_connection, xcb_get_keyboard_mapping(m_connection, first, static_cast<uint8_t>(count)), nullptr);
        if (reply == nullptr)
            return 0;
        const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(reply);
        const int per = reply->keysyms_per_keycode;
        xcb_keycode_t found = 0;
        for (int i = 0; i < count && found == 0; ++i) {
            for (int j = 0; j < per; ++j) {
                if (syms[i * per + j] == keysym) {
                    found = static_cast<xcb_keycode_t>(first + i);
                    break;
                }
            }
        }
        free(reply);
        return found;
    }

    xcb_connection_t* m_connection;
    xcb_window_t m_root = 0;
    std::map<int32_t, Binding> m_bindings;
    std::function<void(int32_t)> m_pressed;
};

#endif

} // namespace

std::unique_ptr<HotkeyBackend> makeX11HotkeyBackend() {
#ifdef BRELTO_HAVE_XCB
    if (auto* x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr) {
        if (xcb_connection_t* connection = x11->connection())
            return std::make_unique<X11HotkeyBackend>(connection);
    }
#endif
    return std::make_unique<NoHotkeyBackend>();
}

} // namespace platform
