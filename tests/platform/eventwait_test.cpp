// Work put off until no nested wait is in progress: when it runs, in what order, and what drops it.
#include "platform/eventwait.h"

#include <QObject>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

namespace {

// Lets the event loop run once more for posted work, itself outside any wait of the program.
void settle() {
    for (int i = 0; i < 3; ++i) {
        QEventLoop loop;
        QTimer::singleShot(0, &loop, &QEventLoop::quit);
        loop.exec();
    }
}

} // namespace

TEST(WaitScope, WorkWaitsForEveryScopeAndRunsInOrderOnceTheLastHasEnded) {
    QObject context;
    QStringList ran;
    {
        const platform::WaitScope outer;
        {
            const platform::WaitScope inner;
            EXPECT_EQ(platform::waitsInProgress(), 2);
            platform::whenNoWaits(&context, [&] { ran << "first"; });
            platform::whenNoWaits(&context, [&] { ran << "second"; });
        }
        settle();
        EXPECT_TRUE(ran.isEmpty()) << "one scope is still open";
    }
    EXPECT_EQ(platform::waitsInProgress(), 0);
    EXPECT_TRUE(ran.isEmpty()) << "posted, not run from the scope's end";
    settle();
    EXPECT_EQ(ran, (QStringList{"first", "second"}));
    settle();
    EXPECT_EQ(ran.size(), 2) << "each runs once";
}

TEST(WaitScope, NothingOpenPostsTheWorkAndAGoneContextDropsIt) {
    struct Case {
        const char* name;
        bool deleteContext;
        int expected;
    };
    const Case cases[] = {{"context alive", false, 1}, {"context deleted first", true, 0}};
    for (const Case& c : cases) {
        auto context = std::make_unique<QObject>();
        int runs = 0;
        platform::whenNoWaits(context.get(), [&] { ++runs; });
        EXPECT_EQ(runs, 0) << c.name;
        if (c.deleteContext)
            context.reset();
        settle();
        EXPECT_EQ(runs, c.expected) << c.name;
    }
}

TEST(WaitScope, AWaitThatBeginsBeforeThePostedWorkRunsTakesItAlong) {
    QObject context;
    int runs = 0;
    int openWhenRun = -1;
    platform::whenNoWaits(&context, [&] {
        ++runs;
        openWhenRun = platform::waitsInProgress();
    });
    // A signal wait is a scope: the posted work comes up inside it and must not run there.
    QTimer never;
    EXPECT_FALSE(platform::waitForSignal(&never, &QTimer::timeout, 50));
    EXPECT_EQ(runs, 0);
    settle();
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(openWhenRun, 0);
}
