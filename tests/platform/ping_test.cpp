#include "platform/ping.h"

#include <gtest/gtest.h>

TEST(Ping, LoopbackEchoComesBack) {
    // Time enough for a busy machine: the test is that the echo comes back, not how fast.
    constexpr int kTimeoutMs = 10000;
    const platform::EchoResult r =
        platform::icmpEcho(0x7F000001u, QByteArrayLiteral("Echo This"), kTimeoutMs);
    if (r.status == platform::EchoResult::Status::Unavailable)
        GTEST_SKIP() << "no ICMP socket may be opened on this machine";
    EXPECT_EQ(r.status, platform::EchoResult::Status::Reply);
    EXPECT_GE(r.rttMs, 0);
    EXPECT_LT(r.rttMs, kTimeoutMs) << "a round trip longer than the wait for it";
}

TEST(Ping, ResolvesLiteralsAndLocalNames) {
    EXPECT_EQ(platform::resolveIPv4(QStringLiteral("127.0.0.1")), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(platform::resolveIPv4(QStringLiteral("10.1.2.3")), QStringLiteral("10.1.2.3"));
    EXPECT_EQ(platform::resolveIPv4(QStringLiteral("localhost")), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(platform::resolveIPv4(QStringLiteral("no-such-host.invalid")), QString());
    EXPECT_EQ(platform::resolveIPv4(QString()), QString());
}
