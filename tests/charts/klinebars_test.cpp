#include "charts/klinebars.h"

#include "platform/vberror.h"
#include "tests/support/qtprint.h"

#include <gtest/gtest.h>

namespace {

// A daily history text (newest row first) of the given dates, oldest first; row k (oldest = 0)
// has open 100+k, close 101+k, high 102+k, low 99+k.
QString history(const QDate& first, int days, bool weekdaysOnly = true) {
    QStringList rows;
    QDate d = first;
    int k = 0;
    while (rows.size() < days) {
        if (!weekdaysOnly || d.dayOfWeek() <= 5) {
            rows.prepend(QStringLiteral("%1,%2,%3,%4,%5")
                             .arg(d.toString(QStringLiteral("yyyy-MM-dd")))
                             .arg(100 + k)
                             .arg(101 + k)
                             .arg(102 + k)
                             .arg(99 + k));
            ++k;
        }
        d = d.addDays(1);
    }
    return rows.join(u'|');
}

QString historyOfDates(const QStringList& datesOldestFirst) {
    QStringList rows;
    int k = 0;
    for (const QString& d : datesOldestFirst) {
        rows.prepend(QStringLiteral("%1,%2,%3,%4,%5").arg(d).arg(100 + k).arg(101 + k).arg(102 + k).arg(99 + k));
        ++k;
    }
    return rows.join(u'|');
}

// A comma list of n items, item i = base + i.
QString ramp(int n, int base) {
    QStringList items;
    for (int i = 0; i < n; ++i)
        items << QString::number(base + i);
    return items.join(u',');
}

} // namespace

TEST(KlineBarCountTest, ButtonsMoveOnlyTheDailyCountWithinItsBounds) {
    struct Case {
        int16_t period, count;
        bool up;
        bool changed;
        int16_t after;
    } cases[] = {
        {0, 90, true, true, 95},   {0, 350, true, true, 355}, {0, 355, true, false, 355},
        {0, 90, false, true, 85},  {0, 40, false, true, 35},  {0, 35, false, false, 35},
        {3, 90, true, false, 90},  {1, 90, false, false, 90}, {5, 90, true, false, 90},
    };
    for (const Case& c : cases) {
        int16_t n = c.count;
        const bool changed = c.up ? KjiaStep(c.period, n) : KjianStep(c.period, n);
        EXPECT_EQ(changed, c.changed) << c.period << " " << c.count << " " << c.up;
        EXPECT_EQ(n, c.after) << c.period << " " << c.count << " " << c.up;
    }
}

TEST(KlineBarCountTest, PaddingByPeriod) {
    EXPECT_FALSE(klinePadding(0).has_value());
    EXPECT_FALSE(klinePadding(1).has_value());
    EXPECT_FLOAT_EQ(*klinePadding(2), 0.002f);
    for (int16_t p : {3, 4, 5})
        EXPECT_FLOAT_EQ(*klinePadding(p), 0.001f);
    EXPECT_EQ(kOptionCaptions().size(), 6);
    EXPECT_EQ(kOptionCaptions()[4], QStringLiteral("15分钟图"));
}

TEST(KlineDailyTest, ShortHistoryLowersTheCountAndKeepsIt) {
    const QString text = history(QDate(2026, 1, 5), 50);
    int16_t count = 90;
    const QStringList bars = dailyBars(text, count).split(u'|');
    const QStringList rows = text.split(u'|');
    EXPECT_EQ(count, 49);
    ASSERT_EQ(bars.size(), 50);
    EXPECT_EQ(bars.first(), rows[49]);
    EXPECT_EQ(bars.last(), rows[0]);
}

TEST(KlineDailyTest, LongHistoryGivesTheNewestCountPlusOneOldestFirst) {
    const QString text = history(QDate(2025, 1, 6), 200) ;
    const QStringList rows = text.split(u'|');
    int16_t count = 90;
    const QStringList bars = dailyBars(text, count).split(u'|');
    EXPECT_EQ(count, 90);
    ASSERT_EQ(bars.size(), 91);
    EXPECT_EQ(bars.first(), rows[90]);
    EXPECT_EQ(bars[90], rows[0]);
}

TEST(KlineDailyTest, TodayRowTakesThePositivePartsOfTheSnapshot) {
    const QString text = QStringLiteral("2026-12-10,10,11,12,9,extra|2026-12-9,8,9,10,7");
    struct Case {
        QDate today;
        float price, high, low;
        QString row0;
    } cases[] = {
        {QDate(2026, 12, 10), 11.5f, 12.75f, 0, QStringLiteral("2026-12-10,10,11.5,12.75,9,extra")},
        {QDate(2026, 12, 10), 0, 0, 8.5f, QStringLiteral("2026-12-10,10,11,12,8.5,extra")},
        {QDate(2026, 12, 11), 11.5f, 12.75f, 8.5f, QStringLiteral("2026-12-10,10,11,12,9,extra")},
    };
    for (const Case& c : cases) {
        const QStringList rows = patchTodayRow(text, c.today, c.price, c.high, c.low).split(u'|');
        EXPECT_EQ(rows[0], c.row0);
        EXPECT_EQ(rows[1], QStringLiteral("2026-12-9,8,9,10,7"));
    }
}

TEST(KlineWeeklyTest, WeeksFromTheFirstMondayClosedOnFridays) {
    // 2026-11-04 is a Wednesday: Wed, Thu, Fri give no bar; then Mon 9 .. Fri 13 closes one week.
    const QString text = history(QDate(2026, 11, 4), 8);
    const QStringList weeks = weeklyBars(text, 500).split(u'|');
    ASSERT_EQ(weeks.size(), 1);
    // Monday is row k=3 (open 103, close 104), Friday k=7 (close 108, high 109).
    EXPECT_EQ(weeks[0], QStringLiteral("2026-11-09,104,108,109,102"));
}

TEST(KlineWeeklyTest, RunningWeekClosesAtTheCurrentPrice) {
    // Mon 9 .. Fri 13, Mon 16, Tue 17: the last record is dated Monday 16 and closes at 120.5.
    const QString text = history(QDate(2026, 11, 9), 7);
    const QStringList weeks = weeklyBars(text, 120.5f).split(u'|');
    ASSERT_EQ(weeks.size(), 2);
    EXPECT_EQ(weeks[1], QStringLiteral("2026-11-16,106,120.5,120.5,104"));
    // A price below every value of the week becomes the low.
    EXPECT_EQ(weeklyBars(text, 50).split(u'|')[1], QStringLiteral("2026-11-16,106,50,108,50"));
}

TEST(KlineWeeklyTest, WeekWithoutFridayJoinsTheNextAndWeekWithoutMondayKeepsTheDate) {
    // No Friday 13: the Monday 16 replaces the date and opening value, Friday 20 closes one bar
    // with the low of the first week.
    const QString noFriday = historyOfDates({"2026-11-09", "2026-11-10", "2026-11-16", "2026-11-20"});
    EXPECT_EQ(weeklyBars(noFriday, 1), QStringLiteral("2026-11-16,103,104,105,99"));
    // No Monday 16: the week of Tuesday 17 .. Friday 20 keeps Monday 9's date and opening value.
    const QString noMonday = historyOfDates({"2026-11-09", "2026-11-13", "2026-11-17", "2026-11-20"});
    EXPECT_EQ(weeklyBars(noMonday, 1),
              QStringLiteral("2026-11-09,101,102,103,99|2026-11-09,101,104,105,101"));
}

TEST(KlineWeeklyTest, MoreThanTheWeekTableHoldsIsAFault) {
    EXPECT_EQ(weeklyBars(history(QDate(2022, 1, 3), 201 * 5), 1).split(u'|').size(), 201);
    EXPECT_THROW((void)weeklyBars(history(QDate(2022, 1, 3), 202 * 5), 1), platform::VbError);
    EXPECT_THROW((void)weeklyBars(QStringLiteral("2026-11-09,1,2"), 1), platform::VbError);
}

TEST(KlineIntradayTest, SixtyMinuteBucketsOverThreeDays) {
    IntradayInput in;
    in.series = {ramp(720, 1440 + 100), ramp(720, 720 + 100), ramp(720, 100)};
    in.dates = {QStringLiteral("2026-12-10"), QStringLiteral("2026-12-9"), QStringLiteral("2026-12-8")};
    const QStringList bars = intradayBars(2, in).split(u'|');
    ASSERT_EQ(bars.size(), 72);
    EXPECT_EQ(bars[0], QStringLiteral("2026-12-8 06:00,100,129,129,100"));
    EXPECT_EQ(bars[17].left(16), QStringLiteral("2026-12-8 23:00,"));
    EXPECT_EQ(bars[18], QStringLiteral("2026-12-9 00:00,640,669,669,640"));
    EXPECT_EQ(bars[42].left(17), QStringLiteral("2026-12-10 00:00,"));
    // The very last item is the last bucket's close but stays out of its values.
    EXPECT_EQ(bars[71], QStringLiteral("2026-12-10 05:00,2230,2259,2259,2230"));
}

TEST(KlineIntradayTest, BucketBoundsRoundHalvesToEven) {
    struct Case {
        int16_t period;
        int items;
        int bucket;
        QString record;
    } cases[] = {
        // 1,440 items in 192 buckets: step 7.5, bucket 1 covers items 8..14.
        {4, 1440, 1, QStringLiteral("2026-12-9 06:15,108,114,114,108")},
        // 720 items in 288 buckets: step 2.5, bucket 0 covers 0..2, bucket 1 covers 2..4.
        {5, 720, 0, QStringLiteral("2026-12-10 06:00,100,102,102,100")},
        {5, 720, 1, QStringLiteral("2026-12-10 06:05,102,104,104,102")},
        // 30 minutes: yesterday's 720 and today's 720 items, bucket 36 is today's first.
        {3, 1440, 36, QStringLiteral("2026-12-10 00:00,640,654,654,640")},
        {3, 1440, 35, QStringLiteral("2026-12-9 23:30,625,639,639,625")},
    };
    for (const Case& c : cases) {
        IntradayInput in;
        in.dates = {QStringLiteral("2026-12-10"), QStringLiteral("2026-12-9"), QString()};
        if (c.items == 1440) {
            in.series = {ramp(720, 820), ramp(720, 100), QString()};
        } else {
            in.series = {ramp(720, 100), QString(), QString()};
        }
        const QStringList bars = intradayBars(c.period, in).split(u'|');
        ASSERT_EQ(bars.size(), intradayBucketCount(c.period));
        EXPECT_EQ(bars[c.bucket], c.record) << c.period << " " << c.bucket;
    }
}

TEST(KlineIntradayTest, ZerosAndTheRunningBucket) {
    IntradayInput in;
    in.dates = {QStringLiteral("2026-12-10"), QStringLiteral("2026-12-9"), QString()};
    in.price = 150;
    // A first item of 0: no bar at all, one "|" fewer than the bucket count.
    in.series = {QStringLiteral("0,") + ramp(719, 100), QString(), QString()};
    QString none = intradayBars(5, in);
    EXPECT_EQ(none.count(u'|'), 287);
    EXPECT_TRUE(none.remove(u'|').isEmpty());
    // Today's later zeros become the last price: the buckets after it are flat.
    QStringList today = ramp(10, 100).split(u',');
    while (today.size() < 720)
        today << QStringLiteral("0");
    in.series = {today.join(u','), QString(), QString()};
    const QStringList bars = intradayBars(5, in).split(u'|');
    EXPECT_EQ(bars[3], QStringLiteral("2026-12-10 06:15,108,109,109,108"));
    EXPECT_EQ(bars[10], QStringLiteral("2026-12-10 06:50,109,109,109,109"));
    // Yesterday's gaps survive the 30-minute filling: a bucket ending on 0 closes at the price.
    QStringList yesterday = ramp(720, 100).split(u',');
    for (int i = 20; i < 30; ++i)
        yesterday[i] = QStringLiteral("0");
    in.series = {ramp(720, 900), yesterday.join(u','), QString()};
    const QStringList thirty = intradayBars(3, in).split(u'|');
    EXPECT_EQ(thirty[1], QStringLiteral("2026-12-9 06:30,115,150,150,115"));
}
