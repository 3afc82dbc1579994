#include "platform/singleinstance.h"

#include "platform/eventwait.h"

#include <QUuid>

#include <gtest/gtest.h>

TEST(SingleInstance, SecondCopyHandsOverItsCommand) {
    const QString topic = QStringLiteral("TEST") + QUuid::createUuid().toString(QUuid::Id128);
    platform::InstanceChannel first(QStringLiteral("Quillor"), topic);
    EXPECT_FALSE(first.previousInstanceRunning());
    ASSERT_TRUE(first.listen());
    QStringList received;

    platform::InstanceChannel second(QStringLiteral("Quillor"), topic);
    EXPECT_TRUE(second.previousInstanceRunning());
    EXPECT_FALSE(second.listen()) << "only one copy may own the channel";

    // Before the main window exists the command is received and dropped.
    EXPECT_TRUE(second.send(QStringLiteral("HI")));
    platform::pauseMs(100);
    EXPECT_TRUE(received.isEmpty());

    first.setHandler([&](const QString& c) { received << c; });
    EXPECT_TRUE(second.send(QStringLiteral("HI")));
    for (int i = 0; i < 50 && received.isEmpty(); ++i)
        platform::pauseMs(20);
    EXPECT_EQ(received, QStringList{QStringLiteral("HI")});
}

TEST(SingleInstance, NobodyListeningMeansNoDelivery) {
    platform::InstanceChannel lone(QStringLiteral("Quillor"), QUuid::createUuid().toString(QUuid::Id128));
    EXPECT_FALSE(lone.previousInstanceRunning());
    EXPECT_FALSE(lone.send(QStringLiteral("HI"), 200));
}

TEST(SingleInstance, AClosedChannelLetsTheNextCopyBeTheFirst) {
    const QString topic = QStringLiteral("TEST") + QUuid::createUuid().toString(QUuid::Id128);
    platform::InstanceChannel first(QStringLiteral("Quillor"), topic);
    ASSERT_TRUE(first.listen());
    first.close();
    platform::InstanceChannel next(QStringLiteral("Quillor"), topic);
    EXPECT_FALSE(next.previousInstanceRunning());
    EXPECT_FALSE(next.send(QStringLiteral("HI"), 200)) << "a closed channel still took a command";
    EXPECT_TRUE(next.listen());
}
