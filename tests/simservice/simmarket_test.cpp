#include "simservice/simmarket.h"

#include "platform/clock.h"
#include "tests/support/qtprint.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

QDateTime at(int y, int m, int d, int h, int min) {
    return platform::naiveDateTime(QDate(y, m, d), QTime(h, min));
}

// 2024-05-13 is a Monday.
struct ClockCase {
    const char* name;
    QDateTime now;
    bool open;
    QDate quoteDate;
    int quoteSlot;
};

void PrintTo(const ClockCase& c, std::ostream* os) {
    *os << c.name;
}

class TradingClock : public ::testing::TestWithParam<ClockCase> {};

TEST_P(TradingClock, OpenDateAndSlot) {
    const ClockCase& c = GetParam();
    EXPECT_EQ(SimMarket::isOpen(c.now), c.open);
    EXPECT_EQ(SimMarket::quoteDate(c.now), c.quoteDate);
    EXPECT_EQ(SimMarket::quoteSlot(c.now), c.quoteSlot);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TradingClock,
    ::testing::Values(
        ClockCase{"MondayDayStart", at(2024, 5, 13, 6, 0), true, QDate(2024, 5, 13), 0},
        ClockCase{"MondayOneMinuteIn", at(2024, 5, 13, 6, 1), true, QDate(2024, 5, 13), 0},
        ClockCase{"MondaySecondSlot", at(2024, 5, 13, 6, 2), true, QDate(2024, 5, 13), 1},
        ClockCase{"WednesdayMorning", at(2024, 5, 15, 10, 0), true, QDate(2024, 5, 15), 120},
        ClockCase{"WednesdayBeforeDawnIsTuesday", at(2024, 5, 15, 5, 59), true, QDate(2024, 5, 14),
                  719},
        ClockCase{"SaturdayNightStillFriday", at(2024, 5, 18, 3, 0), true, QDate(2024, 5, 17), 630},
        ClockCase{"SaturdayAfterSixClosed", at(2024, 5, 18, 6, 0), false, QDate(2024, 5, 17), 719},
        ClockCase{"SundayClosed", at(2024, 5, 19, 10, 0), false, QDate(2024, 5, 17), 719},
        ClockCase{"MondayBeforeDawnClosed", at(2024, 5, 20, 5, 59), false, QDate(2024, 5, 17),
                  719}),
    [](const ::testing::TestParamInfo<ClockCase>& info) { return std::string(info.param.name); });

TEST(SimMarket, PreviousTradingDateSkipsTheWeekend) {
    EXPECT_EQ(SimMarket::previousTradingDate(QDate(2024, 5, 13)), QDate(2024, 5, 10));
    EXPECT_EQ(SimMarket::previousTradingDate(QDate(2024, 5, 15)), QDate(2024, 5, 14));
}

// Price bands of the instruments: a wrong unit or conversion (ounces for grams, silver T+D in
// grams) lands far outside them.
struct Band {
    const char* code;
    double low;
    double high;
};
constexpr Band kBands[] = {
    {"gh", 150, 450},   {"ying", 2, 8},       {"mgold", 800, 2200}, {"msilver", 10, 40},
    {"tdhj", 150, 450}, {"tdby", 2000, 8000}, {"oil", 50, 180},     {"bj", 150, 500},
    {"mbj", 800, 2400}, {"usdx", 65, 100},
};

TEST(SimMarket, AYearOfEveryInstrumentStaysRealistic) {
    const SimMarket market(11);
    ASSERT_EQ(SimMarket::instruments().size(), std::size(kBands));
    for (const Band& band : kBands) {
        SCOPED_TRACE(band.code);
        const int i = SimMarket::indexOf(QString::fromLatin1(band.code));
        ASSERT_GE(i, 0);
        for (QDate d(2024, 5, 17); d > QDate(2023, 5, 17); d = SimMarket::previousTradingDate(d)) {
            const std::vector<double>& s = market.series(i, d);
            ASSERT_EQ(s.size(), static_cast<size_t>(SimMarket::kSlots));
            const auto [lo, hi] = std::minmax_element(s.begin(), s.end());
            ASSERT_GT(*lo, band.low) << d.toString(Qt::ISODate).toStdString();
            ASSERT_LT(*hi, band.high) << d.toString(Qt::ISODate).toStdString();
            // Days chain: a day opens near the close before it, and never swings wildly.
            const double prev = market.previousClose(i, d);
            ASSERT_LT(std::abs(s[0] - prev) / prev, 0.01) << d.toString(Qt::ISODate).toStdString();
            ASSERT_LT((*hi - *lo) / *lo, 0.12) << d.toString(Qt::ISODate).toStdString();
        }
    }
}

// The board shows the T+D premium over bank metal; it must stay a small amount, not a unit error.
TEST(SimMarket, TdPremiumsOverBankMetalStaySmall) {
    const SimMarket market(3);
    const int gh = SimMarket::indexOf(QStringLiteral("gh"));
    const int tdhj = SimMarket::indexOf(QStringLiteral("tdhj"));
    const int ying = SimMarket::indexOf(QStringLiteral("ying"));
    const int tdby = SimMarket::indexOf(QStringLiteral("tdby"));
    for (QDate d(2024, 5, 17); d > QDate(2024, 2, 1); d = SimMarket::previousTradingDate(d)) {
        for (int slot : {100, 300, 500, 700}) {
            const double goldPremium = market.price(tdhj, d, slot) - market.price(gh, d, slot);
            const double silverPremium =
                market.price(tdby, d, slot) - market.price(ying, d, slot) * 1000;
            EXPECT_GT(goldPremium, -4.0);
            EXPECT_LT(goldPremium, 5.0);
            EXPECT_GT(silverPremium, -120.0);
            EXPECT_LT(silverPremium, 150.0);
        }
    }
}

TEST(SimMarket, TdContractsHoldTheirPriceBetweenExchangeSessions) {
    const SimMarket market(5);
    const QDate d(2024, 5, 15);
    for (const char* code : {"tdhj", "tdby"}) {
        SCOPED_TRACE(code);
        const std::vector<double>& s =
            market.series(SimMarket::indexOf(QString::fromLatin1(code)), d);
        // 06:00-09:00 keeps the previous night's last price, which is the previous close.
        const double prevClose =
            market.previousClose(SimMarket::indexOf(QString::fromLatin1(code)), d);
        for (int k = 0; k < 90; ++k)
            ASSERT_EQ(s[k], prevClose) << k;
        // The lunch break 11:30-13:30 and the afternoon break 15:30-20:00.
        for (int k = 166; k < 225; ++k)
            ASSERT_EQ(s[k], s[165]) << k;
        for (int k = 286; k < 420; ++k)
            ASSERT_EQ(s[k], s[285]) << k;
        // Inside the sessions the price moves.
        EXPECT_GT(
            std::count_if(s.begin() + 91, s.begin() + 166, [&](double v) { return v != s[90]; }),
            30);
    }
}

TEST(SimMarket, AnswersDependOnlyOnSeedAndClockNotOnAskingOrder) {
    const QDateTime now = at(2024, 5, 15, 10, 0);
    const SimMarket first(9);
    const SimMarket second(9);
    const QString year = first.yearText(QStringLiteral("mgold"), now);
    const QString snapshot = first.snapshotText(now);
    EXPECT_EQ(second.snapshotText(now), snapshot);
    EXPECT_EQ(second.tenDayText(QStringLiteral("mgold"), now),
              first.tenDayText(QStringLiteral("mgold"), now));
    EXPECT_EQ(second.yearText(QStringLiteral("mgold"), now), year);
    EXPECT_NE(SimMarket(10).snapshotText(now), snapshot);
}

TEST(SimMarket, WildClocksGiveAnswersWithoutFailing) {
    const SimMarket market(1);
    for (const QDateTime& now : {at(1970, 1, 5, 12, 0), at(2400, 3, 1, 12, 0), QDateTime()}) {
        const QString snapshot = market.snapshotText(now);
        if (now.isValid())
            EXPECT_TRUE(snapshot.endsWith(u'|'));
        else
            EXPECT_TRUE(snapshot.isEmpty());
    }
}

} // namespace
