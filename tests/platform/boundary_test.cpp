// The guard at the event loop's entry points: what it stops, what it logs, the signals it fits,
// and the application's last resort for a handler that has no guard of its own.
#include "platform/boundary.h"

#include "platform/eventwait.h"
#include "platform/vberror.h"
#include "platform/vbtext.h"

#include <QTimer>

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

QStringList lines;
void keepLine(const QString& line) { lines << line; }

// This executable's application is the program's: the last resort is part of what is tested.
platform::GuardedApplication& app() {
    static int argc = 1;
    static char name[] = "test_boundary";
    static char* argv[] = {name, nullptr};
    static auto* a = new platform::GuardedApplication(argc, argv);
    return *a;
}

class Boundary : public ::testing::Test {
protected:
    void SetUp() override {
        (void)app();
        lines.clear();
        platform::setBoundaryLog(&keepLine);
    }
    void TearDown() override { platform::setBoundaryLog(nullptr); }
};

} // namespace

TEST_F(Boundary, StopsWhateverIsRaisedAndLogsItWithTheEntryPoint) {
    struct Case {
        const char* what;
        std::function<void()> body;
        bool raises;
        QString line;
    };
    const Case cases[] = {
        {"a number beyond the double range", [] { (void)platform::Val(u"1e999"); }, true,
         QStringLiteral("6:溢出>>Usersock_DataArrival")},
        {"a numbered error with its description",
         [] { throw platform::VbError(13, QStringLiteral("类型不匹配")); }, true,
         QStringLiteral("13:类型不匹配>>Usersock_DataArrival")},
        {"any other exception", [] { throw std::runtime_error("bad reply"); }, true,
         QStringLiteral("bad reply>>Usersock_DataArrival")},
        {"something that is no exception class", [] { throw 42; }, true, QStringLiteral("?>>Usersock_DataArrival")},
        {"nothing raised", [] { (void)platform::Val(u"1e300"); }, false, QString()},
    };
    for (const Case& c : cases) {
        lines.clear();
        EXPECT_EQ(platform::guarded("Usersock_DataArrival", c.body), !c.raises) << c.what;
        EXPECT_EQ(lines, c.raises ? QStringList{c.line} : QStringList{}) << c.what;
    }
}

TEST_F(Boundary, AGuardedSlotTakesTheArgumentsItNamesAndTheConnectionLivesOn) {
    QTimer timer;
    QObject receiver;
    int calls = 0;
    // A slot that raises on its first call only: the second call shows the connection survived.
    QObject::connect(&timer, &QTimer::timeout, &receiver, platform::guard("Timer1_Timer", [&] {
                         if (++calls == 1)
                             throw platform::VbError(platform::kErrOverflow, QStringLiteral("溢出"));
                     }));
    QString seen;
    QObject::connect(&receiver, &QObject::objectNameChanged, &receiver,
                     platform::guard("name", [&](const QString& name) { seen = name; }));
    receiver.setObjectName(QStringLiteral("收到"));
    EXPECT_EQ(seen, QStringLiteral("收到"));

    timer.start(5);
    for (int waited = 0; waited < 2000 && calls < 3; waited += 10)
        platform::pauseMs(10);
    EXPECT_GE(calls, 3) << "the timer goes on after a tick that raised";
    EXPECT_TRUE(timer.isActive());
    EXPECT_EQ(lines, QStringList{QStringLiteral("6:溢出>>Timer1_Timer")});
}

TEST_F(Boundary, AWaitIsNotBrokenByAHandlerThatRaisesDuringIt) {
    // A handler with no guard of its own, run inside a network-style wait: the application stops
    // the error, the wait goes on and ends with its own signal, not with the error.
    QTimer raiser;
    raiser.setSingleShot(true);
    QObject::connect(&raiser, &QTimer::timeout, &raiser, [] { (void)platform::Val(u"62D2210"); });
    QTimer answer;
    answer.setSingleShot(true);
    raiser.start(10);
    answer.start(60);
    bool fired = false;
    EXPECT_NO_THROW(fired = platform::waitForSignal(&answer, &QTimer::timeout, 2000));
    EXPECT_TRUE(fired);
    EXPECT_EQ(lines, QStringList{QStringLiteral("6:溢出>>notify")});
}
