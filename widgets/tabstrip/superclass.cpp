#include "widgets/tabstrip/superclass.h"

void ISuperClass::After(int&, QObject*, int, QEvent*) {}
void ISuperClass::Before(bool&, int&, QObject*, int, QEvent*) {}

cSuperClass::~cSuperClass() { UnSubclass(); }

void cSuperClass::AddMsg(int uMsg, bool before) { m_table.push_back({uMsg, before}); }

void cSuperClass::SubClass(QObject* hwnd, ISuperClass* owner, bool allMessages) {
    if (m_hooked)
        UnSubclass();
    if (hwnd == nullptr)
        return;
    m_allMessages = allMessages;
    m_hwnd = hwnd;
    m_owner = owner;
    hwnd->installEventFilter(this);
    m_hooked = true;
}

void cSuperClass::UnSubclass() {
    if (!m_hooked)
        return;
    // Pass-through first, so a message dispatched while unhooking reaches nobody.
    m_hooked = false;
    m_owner = nullptr;
    if (m_hwnd)
        m_hwnd->removeEventFilter(this);
    m_hwnd = nullptr;
    m_table.clear();
    m_allMessages = false;
}

const cSuperClass::Entry* cSuperClass::match(int uMsg) const {
    for (const Entry& e : m_table)
        if (e.uMsg == uMsg)
            return &e;
    return nullptr;
}

int cSuperClass::callPrevious(QObject* hwnd, QEvent* event) {
    hwnd->event(event);
    return event->isAccepted() ? 1 : 0;
}

bool cSuperClass::eventFilter(QObject* watched, QEvent* event) {
    if (!m_hooked || m_owner == nullptr || watched != m_hwnd.data())
        return false;
    const int uMsg = static_cast<int>(event->type());
    const Entry* entry = m_allMessages ? nullptr : match(uMsg);
    if (!m_allMessages && entry == nullptr)
        return false;
    if (entry != nullptr && entry->before) {
        bool lHandled = false;
        int lReturn = 0;
        m_owner->Before(lHandled, lReturn, watched, uMsg, event);
        if (!lHandled)
            return false;
        event->setAccepted(lReturn != 0);
        return true;
    }
    // The object's own handler may unhook, end this hook or end the object itself; then the
    // owner hears nothing more and the handler's result stands.
    const QPointer<cSuperClass> self(this);
    int lReturn = callPrevious(watched, event);
    if (self && m_hooked && m_owner != nullptr && m_hwnd) {
        m_owner->After(lReturn, watched, uMsg, event);
        event->setAccepted(lReturn != 0);
    }
    return true;
}
