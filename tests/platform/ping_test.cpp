#include "platform/ping.h"

#include <gtest/gtest.h>

TEST(Ping, LoopbackEchoComesBack) {
    const platform::EchoResult r =
        platform::icmpEcho(0x7F000001u, QByteArrayLiteral("Echo This"), 1000);
    if (r.status == platform::EchoResult::Status::Unavailable)
        GTEST_SKIP() << "no ICMP socket may be opened on this machine";
    EXPECT_EQ(r.status, platform::EchoResult::Status::Reply);
    EXPECT_GE(r.rttMs, 0);
    EXPECT_LT(r.rttMs, 1000);
}

TEST(Ping, ResolvesLiteralsAndLocalNames) {
    EXPECT_EQ(platform::resolveIPv4(QStringLiteral("127.0.0.1")), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(platform::resolveIPv4(QStringLiteral("10.1.2.3")), QStringLiteral("10.1.2.3"));
    EXPECT_EQ(platform::resolveIPv4(QStringLiteral("localhost")), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(platform::resolveIPv4(QStringLiteral("no-such-host.invalid")), QString());
    EXPECT_EQ(platform::resolveIPv4(QString()), QString());
}
