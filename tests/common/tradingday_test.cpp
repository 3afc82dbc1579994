#include "common/tradingday.h"

#include "state/quotetables.h"
#include "platform/clock.h"
#include "platform/vberror.h"
#include "platform/vbtext.h"
#include "state/configstate.h"

#include <gtest/gtest.h>

namespace {

QDateTime at(int h, int m, int day = 10) {
    return platform::naiveDateTime(QDate(2026, 12, day), QTime(h, m, 30));
}

class ServerClock : public ::testing::Test {
protected:
    void TearDown() override { ServerNow = QDateTime(); }
};

} // namespace

TEST_F(ServerClock, SlotsCountFromTheDayStart) {
    struct Case {
        int h, m;
        int slot240, slot720;
    };
    const Case cases[] = {
        {5, 59, 239, 719}, {6, 0, 0, 0},       {6, 1, 0, 0},     {6, 2, 0, 1},
        {9, 35, 35, 107},  {23, 59, 179, 539}, {0, 0, 180, 540}, {6, 6, 1, 3},
    };
    for (const Case& c : cases) {
        ServerNow = at(c.h, c.m);
        EXPECT_EQ(NowSlot240(), c.slot240) << c.h << ":" << c.m;
        EXPECT_EQ(NowSlot720(), c.slot720) << c.h << ":" << c.m;
    }
    ServerNow = QDateTime();
    EXPECT_EQ(NowSlot240(), 0);
    EXPECT_EQ(NowSlot720(), 0);
}

TEST(TradingDay, TradingDateStartsAtSixAndSkipsTheWeekend) {
    // 2026-12-11 is a Friday, 12-14 a Monday.
    struct Case {
        int day, h, m;
        int tradingDay;
    };
    const Case cases[] = {
        {10, 5, 59, 9},  {10, 6, 0, 10},  {10, 23, 59, 10}, {11, 0, 0, 10},  {11, 6, 0, 11},
        {12, 5, 59, 11}, {12, 6, 0, 11},  {13, 12, 0, 11},  {14, 0, 0, 11},  {14, 5, 59, 11},
        {14, 6, 0, 14},  {15, 5, 0, 14},
    };
    for (const Case& c : cases)
        EXPECT_EQ(tradingDate(platform::naiveDateTime(QDate(2026, 12, c.day), QTime(c.h, c.m))),
                  QDate(2026, 12, c.tradingDay))
            << c.day << " " << c.h << ":" << c.m;
    EXPECT_FALSE(tradingDate(QDateTime()).isValid());
}

TEST(TradingDay, SlotTimeLabels) {
    struct Case {
        int idx, mode;
        const char* text;
    };
    const Case cases[] = {
        {3, 0, "01:30"},  {48, 0, "00:00"},  {47, 0, "23:30"}, {95, 0, "23:30"}, {96, 0, "00:00"},
        {144, 0, "00:00"}, {150, 0, ""},     {25, -1, "01"},   {23, -1, "23"},   {49, -1, "01"},
        {0, -1, "00"},    {13, 2, "01:05"},  {287, 2, "23:55"}, {288, 2, "00:00"}, {577, 2, ""},
        {5, 1, "01:15"},  {95, 1, "23:45"},  {96, 1, "00:00"}, {101, 1, "01:15"}, {7, 3, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SlotTime(static_cast<int16_t>(c.idx), static_cast<int16_t>(c.mode)),
                  QString::fromLatin1(c.text))
            << c.idx << " mode " << c.mode;
}

TEST(TradingDay, WeekNamesAndDates) {
    EXPECT_EQ(WeekName(QDate(2026, 12, 10)), QStringLiteral("星期四"));
    EXPECT_EQ(WeekName(QDate(2026, 12, 13)), QStringLiteral("星期日"));
    EXPECT_EQ(WeekName(QDate(2026, 12, 12)), QStringLiteral("星期六"));
    EXPECT_EQ(ToDate(QStringLiteral("2026-12-10 9:30")), at(9, 30).addSecs(-30));
    EXPECT_EQ(ToDate(QStringLiteral("2026/12/10")).date(), QDate(2026, 12, 10));
    EXPECT_EQ(ToDate(QStringLiteral("no date")), platform::zeroDate());
}

TEST(TradingDay, NumberLists) {
    EXPECT_FLOAT_EQ(ListMaxMin(QStringLiteral("0,3.5,-2,abc,1.2"), true), 3.5f);
    EXPECT_FLOAT_EQ(ListMaxMin(QStringLiteral("0,3.5,-2,abc,1.2"), false), 1.2f);
    EXPECT_FLOAT_EQ(ListMaxMin(QStringLiteral("0,-1"), true), 0.0f);
    EXPECT_FLOAT_EQ(ListMaxMin(QStringLiteral("0,-1"), false), 0.0f);
    EXPECT_FLOAT_EQ(ListMaxMin(QString(), true), 0.0f);

    EXPECT_FLOAT_EQ(ListLastNonZero(QStringLiteral("1,2.5,0,0")), 2.5f);
    EXPECT_FLOAT_EQ(ListLastNonZero(QStringLiteral("0,0")), 0.0f);
    EXPECT_FLOAT_EQ(ListLastNonZero(QString()), 0.0f);

    EXPECT_EQ(ListEvery5(QStringLiteral("1,2,3,4,5,6,7,8,9,10,11")), QStringLiteral("1,6,11"));
    EXPECT_EQ(ListEvery3(QStringLiteral("1,2,3,4,5,6,7,8,9,10,11")), QStringLiteral("1,4,7,10"));
    EXPECT_EQ(ListEvery5(QString()), QString());
    EXPECT_EQ(ListEvery3(QStringLiteral("7")), QStringLiteral("7"));
}

TEST(TradingDay, FillZerosCarriesThePreviousValue) {
    struct Case {
        const char* list;
        int count;
        const char* filled;
    };
    const Case cases[] = {
        {"5,0,0,7,0", 0, "5,5,5,7,7"}, {"5,0,0,7,0", 3, "5,5,5,7,0"}, {"5,0,0,7,0", -1, "5,5,5,7,7"},
        {"0,0,3", 0, "0,0,3"},          {"268.53,0", 0, "268.53,268.53"}, {"5,0,0", 1, "5,0,0"},
        {"5,0", 99, "5,5"},             {"", 0, ""},                      {"1,0.0,0", 0, "1,0.0,0"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FillZeros(QString::fromLatin1(c.list), static_cast<int16_t>(c.count)),
                  QString::fromLatin1(c.filled))
            << c.list << " / " << c.count;
}

TEST(TradingDay, PriceAndChangeTexts) {
    EXPECT_EQ(FormatPrice(352.0f), QStringLiteral("352.00"));
    EXPECT_EQ(FormatPrice(268.53f), QStringLiteral("268.53"));
    EXPECT_EQ(FormatPrice(0.125f), QStringLiteral("0.12")); // the half goes to the even neighbour
    EXPECT_EQ(FormatPrice(0.375f), QStringLiteral("0.38"));
    EXPECT_EQ(FormatChange(0.001f, false), QStringLiteral("+0.00"));
    EXPECT_EQ(FormatChange(-12.345f, true), QStringLiteral("-12.3450"));
    EXPECT_EQ(FormatChange(0.0f, true), QStringLiteral("0"));
    EXPECT_EQ(FormatChange(1.5f, false), QStringLiteral("+1.50"));
    EXPECT_EQ(FormatChange(-0.125f, false), QStringLiteral("-0.13"));
    EXPECT_EQ(DecimalCount(352.25f), 2);
    EXPECT_EQ(DecimalCount(352.0f), 0);
    EXPECT_EQ(DecimalCount(0.1f + 0.2f), 1);
}

TEST(TradingDay, RandomIntStaysInRange) {
    bool sawLow = false, sawHigh = false;
    for (int i = 0; i < 2000; ++i) {
        const int32_t r = RandomInt(2);
        ASSERT_GE(r, 0);
        ASSERT_LE(r, 2);
        sawLow |= r == 0;
        sawHigh |= r == 2;
    }
    EXPECT_TRUE(sawLow && sawHigh);
    EXPECT_EQ(RandomInt(0), 0);
}

TEST(TradingDay, ProductCodesAndIndexes) {
    ProdCode.fill(QString());
    ProdCode[0] = QStringLiteral("gh");
    ProdCode[3] = QStringLiteral("mgold");
    ProdCode[30] = QStringLiteral("tdby");
    EXPECT_EQ(ProductCode(3), QStringLiteral("mgold"));
    EXPECT_EQ(ProductIndex(QStringLiteral("mgold")), QStringLiteral("3"));
    EXPECT_EQ(ProductIndex(QStringLiteral("tdby")), QStringLiteral("30"));
    EXPECT_EQ(ProductIndex(QStringLiteral("MGOLD")), QString());
    EXPECT_EQ(ProductIndex(QStringLiteral("oil")), QString());
    for (int bad : {-1, 31}) {
        try {
            (void)ProductCode(static_cast<int16_t>(bad));
            ADD_FAILURE() << "index " << bad << " accepted";
        } catch (const platform::VbError& e) {
            EXPECT_EQ(e.number, platform::kErrSubscript);
        }
    }
    // Only an instrument with a code can be asked for its history.
    const std::pair<int, bool> loadable[] = {{0, true}, {3, true}, {30, true}, {1, false}, {-1, false}, {31, false}};
    for (const auto& [index, has] : loadable)
        EXPECT_EQ(hasProductCode(index), has) << index;
    ProdCode.fill(QString());
}

TEST(TradingDay, NewsKeywords) {
    struct Case {
        const char16_t* keywords;
        const char16_t* text;
        bool match;
    };
    const Case cases[] = {
        {u"黄金,非农|美元", u"今日黄金走强", true},
        {u"黄金,非农|美元", u"非农数据公布，美元上涨", true},
        {u"黄金,非农|美元", u"美元指数回落", false},
        {u"黄金", u"黄金", false},              // one keyword without a comma never matches
        {u"白银,,原油", u"无关新闻", true},     // an empty item matches everything
        {u"Gold,Oil", u"gold rally", false},    // exact case
        {u"", u"黄金", false},
    };
    for (const Case& c : cases) {
        NewsKeywords = QString::fromUtf16(c.keywords);
        EXPECT_EQ(MatchKeyword(QString::fromUtf16(c.text)), c.match)
            << QString::fromUtf16(c.text).toStdString();
    }
    NewsKeywords.clear();
}
