#include "mainwindow/startup.h"

#include "common/appinfo.h"
#include "platform/clock.h"
#include "platform/vberror.h"
#include "platform/vbtext.h"
#include "state/configstate.h"
#include "state/session.h"
#include "tests/support/qtprint.h"

#include <gtest/gtest.h>

namespace {
QDateTime at(int h, int m, int s) { return platform::naiveDateTime(QDate(2026, 12, 10), QTime(h, m, s)); }
} // namespace

TEST(MainStartup, ClockCheck) {
    struct Case {
        const char* server;
        QDateTime pc;
        bool differ;
        int offset;
    };
    const Case cases[] = {
        {"2026-12-10 9:30:05", at(9, 30, 50), false, 0},  // same clock minute
        {"2026-12-10 9:30:59", at(9, 31, 1), true, -2},   // two seconds apart across a minute
        {"2026-12-10 9:35:00", at(9, 30, 0), true, 300},
        {"2026-12-10 9:25:00", at(9, 30, 0), true, -300},
        {"2026/12/10 23:59:59", at(23, 59, 30), false, 0},
    };
    for (const Case& c : cases) {
        const auto r = checkServerClock(QString::fromLatin1(c.server), c.pc);
        ASSERT_TRUE(r.has_value()) << c.server;
        EXPECT_EQ(r->clocksDiffer, c.differ) << c.server;
        EXPECT_EQ(r->clockOffset, c.offset) << c.server;
        EXPECT_EQ(r->serverNow, c.differ ? platform::parseDate(QString::fromLatin1(c.server)) : c.pc) << c.server;
    }
    EXPECT_FALSE(checkServerClock(QStringLiteral("<html>busy</html>"), at(9, 0, 0)));
    EXPECT_FALSE(checkServerClock(QString(), at(9, 0, 0)));
}

// The offset is 32 bits of seconds: a service clock further off than that overflows instead of
// wrapping to a date decades away.
TEST(MainStartup, ClockOffsetBeyondItsRangeOverflows) {
    struct Case {
        const char* server;
        bool overflows;
    };
    const Case cases[] = {
        {"9999-12-31 23:59:59", true},
        {"100-1-1", true},
        {"2094-12-28 12:14:08", true},  // 2^31 seconds ahead
        {"2094-12-28 12:14:07", false}, // 2^31 - 1
        {"1958-11-22 5:45:52", false},  // -2^31
        {"1958-11-22 5:45:51", true},
    };
    for (const Case& c : cases) {
        if (!platform::IsDate(QString::fromLatin1(c.server)))
            continue; // a reader that refuses the year never reaches the offset
        if (c.overflows) {
            try {
                (void)checkServerClock(QString::fromLatin1(c.server), at(9, 0, 0));
                ADD_FAILURE() << c.server << " gave an offset";
            } catch (const platform::VbError& e) {
                EXPECT_EQ(e.number, platform::kErrOverflow) << c.server;
            }
        } else {
            const auto r = checkServerClock(QString::fromLatin1(c.server), at(9, 0, 0));
            ASSERT_TRUE(r.has_value()) << c.server;
            EXPECT_EQ(at(9, 0, 0).addSecs(r->clockOffset), platform::parseDate(QString::fromLatin1(c.server)))
                << c.server;
        }
    }
}

TEST(MainStartup, NoticeOnceADayAndExclusions) {
    EXPECT_TRUE(startupNoticeDue(QStringLiteral("欢迎"), QStringLiteral("1,2,"), QStringLiteral("2026-12-9"),
                                 QStringLiteral("2026-12-10")));
    EXPECT_FALSE(startupNoticeDue(QStringLiteral("欢迎"), QString(), QStringLiteral("2026-12-10"),
                                  QStringLiteral("2026-12-10")));
    EXPECT_FALSE(startupNoticeDue(QStringLiteral("欢迎"), QStringLiteral("3,0,"), QString(), QStringLiteral("2026-12-10")));
    EXPECT_FALSE(startupNoticeDue(QString(), QString(), QString(), QStringLiteral("2026-12-10")));
    EXPECT_TRUE(infoStripShown(QStringLiteral("公告"), QStringLiteral("1,2,")));
    // A plain substring test, as the service's lists have always been read: "10," names "0," too.
    EXPECT_FALSE(infoStripShown(QStringLiteral("公告"), QStringLiteral("10,")));
    EXPECT_FALSE(infoStripShown(QStringLiteral("公告"), QStringLiteral("0,")));
    EXPECT_FALSE(infoStripShown(QString(), QString()));
}

TEST(MainStartup, LoggedInDisplayTexts) {
    EXPECT_EQ(loginCaption(true, QStringLiteral("vip")).text, QStringLiteral("VIP会员:vip"));
    EXPECT_EQ(loginCaption(true, QStringLiteral("vip")).color, 0x0000FFu);
    EXPECT_EQ(loginCaption(false, QStringLiteral("test")).text, QStringLiteral("欢迎登录:test"));
    EXPECT_EQ(loginCaption(false, QStringLiteral("test")).color, 0xFFFFFFu);

    SiteUrl = QStringLiteral("http://svc/");
    SessionId = QStringLiteral("s9");
    UserId = 42;
    ClientId = QStringLiteral("cid");
    EXPECT_EQ(singleSignOnAddress(QStringLiteral("zhang")),
              QStringLiteral("http://svc//user/login.asp?v=3.6&url=zhang&do=webin&session=s9&userid=42&mac=cid"));
    SiteUrl.clear();
    SessionId.clear();
    UserId = 0;
    ClientId.clear();
}

TEST(MainStartup, RememberedTab) {
    struct Case {
        const char* stored;
        std::optional<int> tab;
    };
    const Case cases[] = {{"", std::nullopt}, {"0", std::nullopt}, {"-3", std::nullopt}, {"5", 5},
                          {"11", 11},         {"12", 1},           {"32767", 1},        {"abc", std::nullopt},
                          {"-1e20", std::nullopt}};
    for (const Case& c : cases)
        EXPECT_EQ(rememberedTab(QString::fromLatin1(c.stored)), c.tab) << c.stored;

    // Beyond the 16-bit tab number the conversion overflows; the start-up step is then skipped.
    for (const char* stored : {"32768", "99999", "1e20", "1e308"}) {
        try {
            (void)rememberedTab(QString::fromLatin1(stored));
            ADD_FAILURE() << stored << " gave a tab";
        } catch (const platform::VbError& e) {
            EXPECT_EQ(e.number, platform::kErrOverflow) << stored;
        }
    }
}

TEST(MainStartup, RememberedTwipsOutsideTheRangeMeanNone) {
    struct Case {
        const char* stored;
        int twips;
    };
    const Case cases[] = {{"", 0},           {"1500", 1500}, {"-300.7", -300}, {"2147483647", 2147483647},
                          {"2147483648", 0}, {"1e20", 0},    {"-1e20", 0},     {"x", 0}};
    for (const Case& c : cases)
        EXPECT_EQ(rememberedTwips(QString::fromLatin1(c.stored)), c.twips) << c.stored;
}
