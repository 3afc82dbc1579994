// The service's broadcasts and news: the feed over the last days, the version the snapshot carries,
// the cache in front of the feed and the item pages.
#include "tests/simservice/servicefixture.h"

#include "simservice/simnews.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace simtest;

namespace {

const QDateTime kAfternoon = at(2026, 12, 10, 15, 0);

TEST(SimNewsFeed, FortyItemsPerSectionOverTheLastDays) {
    for (const int section : {SimNews::kBroadcasts, SimNews::kNews}) {
        SCOPED_TRACE(section);
        const std::vector<SimNews::Item> items = SimNews::items(section, kAfternoon);
        ASSERT_EQ(items.size(), static_cast<size_t>(SimNews::kFeedItems));
        int today = 0;
        QSet<qint64> ids;
        for (size_t i = 0; i < items.size(); ++i) {
            const SimNews::Item& it = items[i];
            EXPECT_LE(it.time, kAfternoon);
            if (i > 0) {
                EXPECT_LT(items[i - 1].time, it.time);
            }
            EXPECT_FALSE(it.title.contains(u',') || it.title.contains(u'|')) << it.title.toStdString();
            EXPECT_GE(it.title.size(), 8) << it.title.toStdString();
            ids.insert(it.id);
            today += it.time.date() == kAfternoon.date() ? 1 : 0;
        }
        EXPECT_EQ(ids.size(), static_cast<qsizetype>(items.size()));
        EXPECT_GE(today, 10);
        EXPECT_LT(items.front().time.date(), kAfternoon.date());
    }
}

// Just after midnight the night's sparse feed still has an item of each section dated today, so
// the intraday chart has its markers at any hour.
TEST(SimNewsFeed, EveryDayHasItemsOfBothSectionsFromMidnight) {
    for (int day = 0; day < 30; ++day) {
        const QDateTime now = at(2026, 11, 1, 0, 0).addDays(day).addSecs(1);
        // (the first second of the day is the only one without an item of the day)
        for (const int section : {SimNews::kBroadcasts, SimNews::kNews}) {
            const std::vector<SimNews::Item> items = SimNews::items(section, now);
            ASSERT_FALSE(items.empty());
            EXPECT_EQ(items.back().time.date(), now.date()) << now.toString(Qt::ISODate).toStdString();
        }
    }
}

TEST(SimNewsFeed, SomeBroadcastsCarryTheConfiguredKeywords) {
    // The configuration's keywords: "黄金,非农|美元,美联储".
    int important = 0;
    const std::vector<SimNews::Item> items = SimNews::items(SimNews::kBroadcasts, kAfternoon);
    for (const SimNews::Item& it : items) {
        const QString& t = it.title;
        if (t.contains(QStringLiteral("黄金")) || t.contains(QStringLiteral("美联储")) ||
            (t.contains(QStringLiteral("非农")) && t.contains(QStringLiteral("美元"))))
            ++important;
    }
    // Enough for the ticker to show some, few enough not to bury a user starting the program in
    // pop-ups.
    EXPECT_GE(important, 1);
    EXPECT_LE(important, 4);
}

TEST(SimNewsFeed, TextHasBothSectionsWithEveryItemClosedByABar) {
    const QString text = SimNews::feedText(kAfternoon);
    const QStringList sections = text.split(QStringLiteral("///"));
    ASSERT_EQ(sections.size(), 2);
    const QRegularExpression item(QStringLiteral("^[^,|]+,\\d{4}-\\d{1,2}-\\d{1,2} \\d{1,2}:\\d\\d:\\d\\d,\\d+$"));
    for (const QString& section : sections) {
        ASSERT_TRUE(section.endsWith(u'|'));
        const QStringList items = section.chopped(1).split(u'|');
        EXPECT_EQ(items.size(), SimNews::kFeedItems);
        for (const QString& it : items)
            EXPECT_TRUE(item.match(it).hasMatch()) << it.toStdString();
    }
}

TEST(SimNewsFeed, VersionMovesExactlyWhenAnItemArrives) {
    QDateTime t = at(2026, 12, 10, 8, 0);
    QString text = SimNews::feedText(t);
    qint64 version = SimNews::version(t);
    int arrivals = 0;
    for (int step = 0; step < 6 * 120; ++step) { // six hours in 30-second steps
        t = t.addSecs(30);
        const QString nextText = SimNews::feedText(t);
        const qint64 nextVersion = SimNews::version(t);
        ASSERT_EQ(nextText != text, nextVersion != version) << t.toString().toStdString();
        arrivals += nextText != text ? 1 : 0;
        text = nextText;
        version = nextVersion;
    }
    // Every few minutes of the day: well over one an hour.
    EXPECT_GE(arrivals, 6 * 3);
}

TEST_F(SimServiceTest, FeedIsServedInGbkBehindACacheThatNoCacheBypasses) {
    QDateTime now = kAfternoon;
    SimService::Options o;
    o.httpPort = 0;
    o.now = [&now] { return now; };
    SimService& s = start(o);
    const QString url = s.baseUrl() + QStringLiteral("soft/news.asp?ver=3.6&time=2026-12-10%2015:00:00");
    EXPECT_EQ(lookup(clientDecode(get(s.configUrl())), QStringLiteral("newspath")),
              s.baseUrl() + QStringLiteral("soft/news.asp"));
    const QString first = GetHttpText(url, {}, 5, QStringLiteral("GB2312"), {}, true);
    EXPECT_EQ(first, SimNews::feedText(now));
    EXPECT_TRUE(first.contains(QStringLiteral("///")));
    // The snapshot names the version of this moment.
    EXPECT_EQ(snapshot(s).section(u',', 2, 2), QString::number(SimNews::version(now)));

    // The first arrival after that, still within the cache's five minutes.
    const QDateTime start = now;
    while (SimNews::feedText(now) == first && start.secsTo(now) < SimNews::kCacheSeconds)
        now = now.addSecs(1);
    ASSERT_LT(start.secsTo(now), SimNews::kCacheSeconds);
    EXPECT_EQ(GetHttpText(url, {}, 5, QStringLiteral("GB2312"), {}, false), first);
    EXPECT_EQ(GetHttpText(url, {}, 5, QStringLiteral("GB2312"), {}, true), SimNews::feedText(now));
    EXPECT_EQ(snapshot(s).section(u',', 2, 2), QString::number(SimNews::version(now)));
}

TEST_F(SimServiceTest, ItemPagesShowTheItemsTitle) {
    SimService& s = start(kAfternoon);
    const SimNews::Item broadcast = SimNews::items(SimNews::kBroadcasts, kAfternoon).back();
    const SimNews::Item news = SimNews::items(SimNews::kNews, kAfternoon).back();
    EXPECT_TRUE(get(s.baseUrl() + QStringLiteral("bobao/show.asp?id=%1").arg(broadcast.id)).contains(broadcast.title));
    EXPECT_TRUE(get(s.baseUrl() + QStringLiteral("news/show.asp?id=%1").arg(news.id)).contains(news.title));
    // An id no item has still answers with a page.
    EXPECT_TRUE(get(s.baseUrl() + QStringLiteral("news/show.asp?id=123")).contains(QStringLiteral("<html")));
}

} // namespace
