#pragma once

#include <QEvent>
#include <QObject>
#include <QPointer>

#include <vector>

// A hook on one object's messages (its events): chosen messages are handed to an owner before or
// after the object's own handling, or every message after it.
//
// What a message returns is the event's accepted flag: a handler's result is 1 when it left the
// event accepted, 0 when it ignored it, and the result the hook settles on is written back to
// the event, so a sender sees it as Qt senders do (an ignored input event goes on to the parent).
// The "previous procedure" is the object's own event handler; a message the hook takes "after"
// reaches that handler through the hook, so event filters placed on the object before the hook
// do not see it. Messages the hook does not take (and every message once unhooked) pass on
// through the normal dispatch untouched.
class ISuperClass {
public:
    virtual ~ISuperClass() = default;
    // The object has handled the message; lReturn holds its result and what the owner leaves in
    // it is the message's result.
    virtual void After(int& lReturn, QObject* hwnd, int uMsg, QEvent* event);
    // The object has not seen the message yet; lHandled and lReturn come in false and 0. Setting
    // lHandled stops the message, and lReturn is then its result.
    virtual void Before(bool& lHandled, int& lReturn, QObject* hwnd, int uMsg, QEvent* event);
};

class cSuperClass : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(cSuperClass)

public:
    cSuperClass() = default;
    // A hooked object is unhooked.
    ~cSuperClass() override;

    // Registers a message (a QEvent::Type) for Before (before = true) or After. Entries are
    // compared in the order they were added and the first match decides, so a message added
    // twice keeps its first registration. Called before SubClass.
    void AddMsg(int uMsg, bool before);

    // Hooks the object for the owner. With allMessages every message goes to After and the
    // table is not used (fill no table for it). The owner is not owned: it unhooks (or ends
    // this object) before it goes away. Hooking again first unhooks the object hooked before.
    void SubClass(QObject* hwnd, ISuperClass* owner, bool allMessages);

    // Unhooks: from here on every message passes untouched; the table is emptied, so another
    // SubClass needs its AddMsg calls again. Nothing happens when not hooked.
    void UnSubclass();

    [[nodiscard]] bool isHooked() const { return m_hooked; }
    [[nodiscard]] int messageCount() const { return static_cast<int>(m_table.size()); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Entry {
        int uMsg;
        bool before;
    };
    const Entry* match(int uMsg) const;
    int callPrevious(QObject* hwnd, QEvent* event);

    std::vector<Entry> m_table;
    bool m_allMessages = false;
    bool m_hooked = false;
    QPointer<QObject> m_hwnd;
    ISuperClass* m_owner = nullptr;
};
