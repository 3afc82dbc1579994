#include "simservice/simmarket.h"

#include "common/tradingday.h"

#include "platform/clock.h"
#include "tests/support/qtprint.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

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
// grams, the rate the wrong way round) lands far outside them.
struct Band {
    const char* code;
    double low;
    double high;
};
constexpr Band kBands[] = {
    {"gh", 450, 1900},    {"ying", 5, 25},       {"mgold", 2000, 8500}, {"msilver", 22, 110},
    {"tdhj", 450, 1900},  {"tdby", 5000, 25000}, {"bj", 170, 750},      {"mbj", 750, 3300},
    {"pd", 130, 800},     {"mpd", 550, 3500},    {"oil", 25, 130},      {"usdx", 75, 130},
    {"brent", 27, 140},   {"tdmini", 450, 1900}, {"au9999", 450, 1900}, {"pt9995", 170, 750},
    {"usdcny", 5.5, 9.0},
};

TEST(SimMarket, AYearOfEveryInstrumentStaysRealistic) {
    const SimMarket market(11);
    ASSERT_EQ(SimMarket::instruments().size(), std::size(kBands));
    for (const Band& band : kBands) {
        SCOPED_TRACE(band.code);
        const int i = SimMarket::indexOf(QString::fromLatin1(band.code));
        ASSERT_GE(i, 0);
        for (QDate d(2026, 12, 18); d > QDate(2025, 12, 18);
             d = SimMarket::previousTradingDate(d)) {
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

// The board a user knows: enough rows for the client's defaults, codes the history requests and
// the premium column can use, names that fit the board's name column.
TEST(SimMarket, InstrumentTableLooksLikeAnAccountsBoard) {
    const auto& list = SimMarket::instruments();
    ASSERT_GE(list.size(), 16u);
    ASSERT_LE(list.size(), 31u); // the client keeps 31 rows
    QStringList codes;
    for (const SimMarket::Instrument& ins : list) {
        SCOPED_TRACE(ins.code.toStdString());
        EXPECT_FALSE(ins.name.isEmpty());
        EXPECT_LE(ins.name.size(), 7);
        EXPECT_FALSE(ins.code.isEmpty());
        for (const QString& field : {ins.name, ins.code, ins.unit})
            EXPECT_FALSE(field.contains(u',') || field.contains(u'|') || field.contains(u'_'));
        EXPECT_EQ(ins.code, ins.code.toLower());
        EXPECT_FALSE(codes.contains(ins.code)) << "duplicate code";
        codes << ins.code;
        EXPECT_GE(ins.decimals, 0);
        EXPECT_LE(ins.decimals, 4);
        EXPECT_GE(ins.spread, 0.0);
        EXPECT_EQ(SimMarket::indexOf(ins.code), codes.size() - 1);
    }
    for (const char* code : {"gh", "ying", "mgold", "msilver", "tdhj", "tdby", "tdmini", "au9999",
                             "bj", "mbj", "pd", "mpd", "oil", "brent", "usdx", "usdcny"})
        EXPECT_TRUE(codes.contains(QLatin1String(code))) << code;
    // The settings' defaults put the two small charts on rows 10 and 11: crude oil and the
    // dollar index.
    EXPECT_EQ(list[10].code, QStringLiteral("oil"));
    EXPECT_EQ(list[11].code, QStringLiteral("usdx"));
}

// The client reads an instrument's decimals off its prices (DecimalCount): every price the
// market writes shows at most the instrument's decimals, and over a day some show them all.
TEST(SimMarket, PricesShowExactlyTheInstrumentsDecimals) {
    const SimMarket market(4);
    const auto& list = SimMarket::instruments();
    for (size_t i = 0; i < list.size(); ++i) {
        SCOPED_TRACE(list[i].code.toStdString());
        int most = 0;
        for (QDate d(2026, 12, 16); d > QDate(2026, 12, 10);
             d = SimMarket::previousTradingDate(d)) {
            for (double v : market.series(static_cast<int>(i), d)) {
                const int shown = DecimalCount(SimMarket::priceText(v).toFloat());
                ASSERT_LE(shown, list[i].decimals) << SimMarket::priceText(v).toStdString();
                most = std::max(most, shown);
            }
        }
        EXPECT_EQ(most, list[i].decimals);
        EXPECT_LE(DecimalCount(static_cast<float>(list[i].spread)), 2);
    }
}

// Renminbi metal per gram is the dollar price per ounce through the rate the board quotes, so a
// user comparing the two rows of one metal sees the same market.
TEST(SimMarket, RenminbiMetalsFollowTheDollarPriceThroughTheRate) {
    const SimMarket market(6);
    const int rate = SimMarket::indexOf(QStringLiteral("usdcny"));
    const std::pair<const char*, const char*> pairs[] = {
        {"gh", "mgold"}, {"ying", "msilver"}, {"bj", "mbj"}, {"pd", "mpd"}};
    for (const auto& [rmbCode, usdCode] : pairs) {
        SCOPED_TRACE(rmbCode);
        const int rmb = SimMarket::indexOf(QLatin1String(rmbCode));
        const int usd = SimMarket::indexOf(QLatin1String(usdCode));
        const double step =
            std::pow(10.0, -SimMarket::instruments()[static_cast<size_t>(rmb)].decimals);
        for (QDate d(2026, 12, 18); d > QDate(2026, 11, 1); d = SimMarket::previousTradingDate(d)) {
            // Slots inside the onshore rate's hours, where its quote is the rate of the moment.
            for (int slot : {120, 300, 500}) {
                const double converted =
                    market.price(usd, d, slot) * market.price(rate, d, slot) / 31.1035;
                const double quoted = market.price(rmb, d, slot);
                ASSERT_NEAR(quoted, converted, step + quoted * 2e-5)
                    << d.toString(Qt::ISODate).toStdString();
            }
        }
        EXPECT_EQ(market.rmbFactor(QDate(2026, 12, 16), 300),
                  market.price(rate, QDate(2026, 12, 16), 300));
    }
}

// The board shows the T+D premium over bank metal; it and the other exchange rows stay a small
// part of the price while both trade, never a unit error.
struct PremiumCase {
    const char* code;
    const char* partner;
    double partnerScale; // partner units per row unit (silver T+D is per kilogram)
    double maxShare;     // largest premium as a share of the price
};

TEST(SimMarket, ExchangeRowsStayCloseToTheirBankMetal) {
    const SimMarket market(3);
    const PremiumCase cases[] = {
        {"tdhj", "gh", 1, 0.006},   {"tdby", "ying", 1000, 0.01}, {"tdmini", "gh", 1, 0.007},
        {"au9999", "gh", 1, 0.006}, {"pt9995", "bj", 1, 0.025},   {"brent", "oil", 1, 0.25},
    };
    for (const PremiumCase& c : cases) {
        SCOPED_TRACE(c.code);
        const int row = SimMarket::indexOf(QLatin1String(c.code));
        const int partner = SimMarket::indexOf(QLatin1String(c.partner));
        ASSERT_GE(row, 0);
        ASSERT_GE(partner, 0);
        for (QDate d(2026, 12, 18); d > QDate(2026, 8, 1); d = SimMarket::previousTradingDate(d)) {
            for (int slot : {100, 150, 250, 280}) { // the exchange's day sessions
                const double price = market.price(row, d, slot);
                const double premium = price - market.price(partner, d, slot) * c.partnerScale;
                ASSERT_LT(std::abs(premium), price * c.maxShare)
                    << d.toString(Qt::ISODate).toStdString();
            }
        }
    }
    // Brent trades above US crude, as it has for years.
    EXPECT_GT(market.price(SimMarket::indexOf(QStringLiteral("brent")), QDate(2026, 12, 16), 400),
              market.price(SimMarket::indexOf(QStringLiteral("oil")), QDate(2026, 12, 16), 400));
}

// Rows that trade in sessions hold their last price outside them: until the first session of the
// day the previous close stands, between sessions the session's last price.
struct SessionCase {
    const char* code;
    std::vector<std::pair<int, int>> open; // slot ranges, both ends included
};

void PrintTo(const SessionCase& c, std::ostream* os) {
    *os << c.code;
}

class TradingSessions : public ::testing::TestWithParam<SessionCase> {};

TEST_P(TradingSessions, HoldThePriceOutsideTheirHours) {
    const SessionCase& c = GetParam();
    const SimMarket market(5);
    const int i = SimMarket::indexOf(QLatin1String(c.code));
    ASSERT_GE(i, 0);
    for (const QDate& d : {QDate(2026, 12, 14), QDate(2026, 12, 16)}) {
        const std::vector<double>& s = market.series(i, d);
        const double prevClose = market.previousClose(i, d);
        auto open = [&](int k) {
            return std::any_of(c.open.begin(), c.open.end(),
                               [k](const auto& r) { return k >= r.first && k <= r.second; });
        };
        for (int k = 0; k < SimMarket::kSlots; ++k) {
            if (open(k)) continue;
            if (k < c.open.front().first)
                ASSERT_EQ(s[k], prevClose) << k;
            else
                ASSERT_EQ(s[k], s[k - 1]) << k;
        }
        // Inside a session the price moves.
        const auto [from, to] = c.open.front();
        EXPECT_GT(std::count_if(s.begin() + from + 1, s.begin() + to + 1,
                                [&](double v) { return v != s[from]; }),
                  (to - from) / 3);
    }
}

const std::vector<std::pair<int, int>> kExchangeHours = {{90, 165}, {225, 285}, {420, 615}};

INSTANTIATE_TEST_SUITE_P(
    Rows, TradingSessions,
    ::testing::Values(SessionCase{"tdhj", kExchangeHours}, SessionCase{"tdby", kExchangeHours},
                      SessionCase{"tdmini", kExchangeHours}, SessionCase{"au9999", kExchangeHours},
                      SessionCase{"pt9995", {{90, 165}, {225, 285}}}, // day sessions only
                      SessionCase{"usdcny", {{105, 630}}}),           // 09:30 to 03:00
    [](const ::testing::TestParamInfo<SessionCase>& info) { return std::string(info.param.code); });

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
