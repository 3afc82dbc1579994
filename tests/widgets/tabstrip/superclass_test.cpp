#include "widgets/tabstrip/superclass.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

const auto kMsgA = static_cast<QEvent::Type>(QEvent::User + 1);
const auto kMsgB = static_cast<QEvent::Type>(QEvent::User + 2);
const auto kMsgC = static_cast<QEvent::Type>(QEvent::User + 3);

// The hooked object: records the messages its own handler sees and answers with a chosen
// accepted flag.
class Probe : public QObject {
public:
    bool accepts = true;
    std::vector<int> seen;
    std::function<void()> onEvent;
    bool event(QEvent* e) override {
        if (e->type() >= QEvent::User) {
            seen.push_back(e->type());
            e->setAccepted(accepts);
            if (onEvent)
                onEvent();
            return true;
        }
        return QObject::event(e);
    }
};

struct Owner : ISuperClass {
    std::vector<std::string> calls;
    bool handle = false;
    int beforeReturn = 0;
    std::function<void(int&)> after;
    int afterSaw = -1;
    void Before(bool& lHandled, int& lReturn, QObject*, int uMsg, QEvent*) override {
        calls.push_back("before " + std::to_string(uMsg - QEvent::User));
        EXPECT_FALSE(lHandled);
        EXPECT_EQ(lReturn, 0);
        lHandled = handle;
        lReturn = beforeReturn;
    }
    void After(int& lReturn, QObject*, int uMsg, QEvent*) override {
        calls.push_back("after " + std::to_string(uMsg - QEvent::User));
        afterSaw = lReturn;
        if (after)
            after(lReturn);
    }
};

// Sends a message and gives the result the sender sees: 1 accepted, 0 ignored.
int send(QObject* target, QEvent::Type type) {
    QEvent e(type);
    QCoreApplication::sendEvent(target, &e);
    return e.isAccepted() ? 1 : 0;
}

struct HookTest : ::testing::Test {
    Probe probe;
    Owner owner;
    cSuperClass hook;
};

} // namespace

TEST_F(HookTest, BeforeThatHandlesStopsTheMessageWithItsResult) {
    hook.AddMsg(kMsgA, true);
    hook.SubClass(&probe, &owner, false);
    owner.handle = true;
    owner.beforeReturn = 1;
    probe.accepts = false;
    EXPECT_EQ(send(&probe, kMsgA), 1);
    owner.beforeReturn = 0;
    probe.accepts = true;
    EXPECT_EQ(send(&probe, kMsgA), 0);
    EXPECT_TRUE(probe.seen.empty());
    EXPECT_EQ(owner.calls, (std::vector<std::string>{"before 1", "before 1"}));
}

TEST_F(HookTest, BeforeThatPassesGivesThePreviousResultAndNoAfter) {
    hook.AddMsg(kMsgA, true);
    hook.SubClass(&probe, &owner, false);
    for (bool accepts : {true, false}) {
        probe.accepts = accepts;
        EXPECT_EQ(send(&probe, kMsgA), accepts ? 1 : 0);
    }
    EXPECT_EQ(probe.seen.size(), 2u);
    EXPECT_EQ(owner.calls, (std::vector<std::string>{"before 1", "before 1"}));
}

TEST_F(HookTest, AfterRunsAfterThePreviousHandlerAndMaySetTheResult) {
    hook.AddMsg(kMsgA, false);
    hook.SubClass(&probe, &owner, false);
    probe.onEvent = [&] { EXPECT_TRUE(owner.calls.empty()) << "the object handles it first"; };
    probe.accepts = false;
    EXPECT_EQ(send(&probe, kMsgA), 0); // After leaves it: the object's own result
    EXPECT_EQ(owner.afterSaw, 0);
    probe.onEvent = nullptr;
    owner.after = [](int& r) { r = 1; };
    EXPECT_EQ(send(&probe, kMsgA), 1);
    EXPECT_EQ(probe.seen.size(), 2u);
    EXPECT_EQ(owner.calls, (std::vector<std::string>{"after 1", "after 1"}));
}

TEST_F(HookTest, FirstRegistrationWinsAndUnlistedMessagesPass) {
    hook.AddMsg(kMsgA, true);
    hook.AddMsg(kMsgA, false);
    hook.AddMsg(kMsgB, false);
    hook.AddMsg(kMsgB, true);
    hook.SubClass(&probe, &owner, false);
    send(&probe, kMsgA);
    send(&probe, kMsgB);
    probe.accepts = false;
    EXPECT_EQ(send(&probe, kMsgC), 0);
    EXPECT_EQ(owner.calls, (std::vector<std::string>{"before 1", "after 2"}));
    EXPECT_EQ(probe.seen, (std::vector<int>{kMsgA, kMsgB, kMsgC}));
}

TEST_F(HookTest, AllMessagesModeSendsEveryMessageToAfterOnly) {
    hook.SubClass(&probe, &owner, true);
    send(&probe, kMsgA);
    send(&probe, kMsgC);
    EXPECT_EQ(owner.calls, (std::vector<std::string>{"after 1", "after 3"}));
    EXPECT_EQ(probe.seen.size(), 2u);
}

TEST_F(HookTest, UnhookPassesThroughAndEmptiesTheTable) {
    hook.AddMsg(kMsgA, true);
    hook.SubClass(&probe, &owner, false);
    owner.handle = true;
    hook.UnSubclass();
    EXPECT_FALSE(hook.isHooked());
    EXPECT_EQ(hook.messageCount(), 0);
    probe.accepts = false;
    EXPECT_EQ(send(&probe, kMsgA), 0);
    EXPECT_TRUE(owner.calls.empty());
    EXPECT_EQ(probe.seen.size(), 1u);

    hook.SubClass(&probe, &owner, false); // no AddMsg again: nothing is taken
    send(&probe, kMsgA);
    EXPECT_TRUE(owner.calls.empty());
    hook.UnSubclass();
    hook.UnSubclass(); // not hooked: nothing happens
}

TEST_F(HookTest, EndingAHookedObjectRestoresTheObject) {
    {
        cSuperClass scoped;
        scoped.AddMsg(kMsgA, true);
        owner.handle = true;
        scoped.SubClass(&probe, &owner, false);
        send(&probe, kMsgA);
        EXPECT_TRUE(probe.seen.empty());
    }
    send(&probe, kMsgA);
    EXPECT_EQ(probe.seen.size(), 1u);
    EXPECT_EQ(owner.calls.size(), 1u);
}

TEST_F(HookTest, UnhookInsideTheObjectsHandlerSilencesAfter) {
    hook.AddMsg(kMsgA, false);
    hook.SubClass(&probe, &owner, false);
    probe.onEvent = [&] { hook.UnSubclass(); };
    send(&probe, kMsgA);
    EXPECT_TRUE(owner.calls.empty());
    EXPECT_EQ(probe.seen.size(), 1u);
}

TEST_F(HookTest, AHookedObjectThatGoesAwayIsNoFault) {
    auto gone = std::make_unique<Probe>();
    hook.AddMsg(kMsgA, true);
    hook.SubClass(gone.get(), &owner, false);
    gone.reset();
    hook.UnSubclass();
    EXPECT_FALSE(hook.isHooked());
    hook.SubClass(nullptr, &owner, false);
    EXPECT_FALSE(hook.isHooked());
}

TEST_F(HookTest, AnObjectEndingInItsOwnHandlerIsNotReportedAfterwards) {
    auto* doomed = new Probe;
    QPointer<QObject> watch(doomed);
    hook.SubClass(doomed, &owner, true);
    doomed->deleteLater();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(watch.isNull());
    EXPECT_TRUE(owner.calls.empty());
    hook.UnSubclass();
    EXPECT_FALSE(hook.isHooked());
}
