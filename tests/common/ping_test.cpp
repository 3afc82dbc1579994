#include "common/ping.h"

#include "platform/ping.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace {

// Records what is looked up and sent; resolves every name in `known`.
class FakeNetwork : public ::testing::Test {
protected:
    void SetUp() override {
        platform::setResolver([this](const QString& name) {
            lookedUp << name;
            if (name == u"www.quotes.test" || name == u"127.0.0.1")
                return name == u"127.0.0.1" ? name : QStringLiteral("10.9.8.7");
            return QString();
        });
        platform::setEchoSender([this](uint32_t address, const QByteArray& payload, int timeout) {
            sentTo << address;
            sentPayload = payload;
            sentTimeout = timeout;
            return echo;
        });
    }
    void TearDown() override {
        platform::setResolver(nullptr);
        platform::setEchoSender(nullptr);
    }
    QStringList lookedUp;
    QList<uint32_t> sentTo;
    QByteArray sentPayload;
    int sentTimeout = 0;
    platform::EchoResult echo{platform::EchoResult::Status::Reply, 7};
};

} // namespace

TEST_F(FakeNetwork, NamesAreNormalisedBeforeTheLookup) {
    cPing ping;
    struct Case {
        const char* name;
        const char* lookup;
        const char* result;
    };
    const Case cases[] = {
        {"127.0.0.1", "127.0.0.1", "127.0.0.1"},
        {"http://quotes.test", "www.quotes.test", "10.9.8.7"},
        {"http://www.quotes.test", "www.quotes.test", "10.9.8.7"},
        {"www.quotes.test", "www.quotes.test", "10.9.8.7"},
        {"quotes.test", "quotes.test", ""},
    };
    for (const Case& c : cases) {
        lookedUp.clear();
        EXPECT_EQ(ping.funcGetIPFromHostName(QString::fromLatin1(c.name)), QString::fromLatin1(c.result))
            << c.name;
        EXPECT_EQ(lookedUp.value(0), QString::fromLatin1(c.lookup)) << c.name;
    }
    EXPECT_EQ(ping.normalizePingHost(QStringLiteral("HTTP://quotes.test"), true),
              QStringLiteral("www.quotes.test"));
    EXPECT_EQ(ping.normalizePingHost(QStringLiteral("10.0.0.1"), false), QStringLiteral("10.0.0.1"));
}

TEST_F(FakeNetwork, PingSendsOneEchoAndMapsItsResult) {
    cPing ping;
    EXPECT_EQ(ping.pingTimeout, 1000);
    ping.pingTimeout = 3000;
    EXPECT_EQ(ping.Ping(QStringLiteral("http://quotes.test")), 7);
    ASSERT_EQ(sentTo.size(), 1);
    EXPECT_EQ(sentTo[0], 0x0A090807u);
    EXPECT_EQ(sentPayload, QByteArray("Echo This"));
    EXPECT_EQ(sentTimeout, 3000);

    echo = {platform::EchoResult::Status::NoReply, 0};
    EXPECT_EQ(ping.Ping(QStringLiteral("127.0.0.1")), -1);
    echo = {platform::EchoResult::Status::Unavailable, 0};
    EXPECT_EQ(ping.Ping(QStringLiteral("127.0.0.1")), 0);

    sentTo.clear();
    EXPECT_EQ(ping.Ping(QStringLiteral("unknown.test")), -1);
    EXPECT_TRUE(sentTo.isEmpty()) << "an unresolved host must not be pinged";
}

TEST(cPingAddress, DottedTextToAddress) {
    EXPECT_EQ(cPing::dottedToAddress(QStringLiteral("10.1.2.3")), 0x0A010203u);
    EXPECT_EQ(cPing::dottedToAddress(QStringLiteral("10.1.2")), 0u);
    EXPECT_EQ(cPing::dottedToAddress(QStringLiteral("10.1.2.300")), 0u);
    EXPECT_EQ(cPing::dottedToAddress(QStringLiteral("a.b.c.d")), 0u);
}
