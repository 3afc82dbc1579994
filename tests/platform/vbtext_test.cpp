#include "platform/vberror.h"
#include "platform/vbtext.h"

#include <gtest/gtest.h>

#include <limits>

using namespace platform;

TEST(VbText, ShortestTextOfASingle) {
    struct Case {
        float value;
        const char* text;
    };
    const Case cases[] = {
        {3.6f, "3.6"},         {268.53f, "268.53"}, {0.1f + 0.2f, "0.3"}, {1e-7f, "1E-07"},
        {0.0f, "0"},           {-0.0f, "0"},        {-1.25f, "-1.25"},    {352.0f, "352"},
        {1234567.0f, "1234567"}, {12345678.0f, "1.234568E+07"}, {0.5f, "0.5"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(singleText(c.value), QString::fromLatin1(c.text)) << c.text;
}

TEST(VbText, ShortestTextOfADouble) {
    EXPECT_EQ(doubleText(0.1 + 0.2), QStringLiteral("0.3"));
    EXPECT_EQ(doubleText(268.53), QStringLiteral("268.53"));
    EXPECT_EQ(doubleText(double(268.53f)), QStringLiteral("268.529998779297"));
    EXPECT_EQ(doubleText(-0.0), QStringLiteral("0"));
}

TEST(VbText, RoundingHalvesToEven) {
    struct Case {
        double value;
        int digits;
        double expected;
    };
    const Case cases[] = {{2.5, 0, 2},  {3.5, 0, 4},  {-2.5, 0, -2}, {-3.5, 0, -4},
                          {0.5, 0, 0},  {1.5, 0, 2},  {2.4, 0, 2},   {2.6, 0, 3},
                          {0.125, 2, 0.12}, {0.375, 2, 0.38}, {352.0, 2, 352.0}};
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(Round(c.value, c.digits), c.expected) << c.value << " " << c.digits;
    EXPECT_EQ(CInt(2.5), 2);
    EXPECT_EQ(CInt(3.5), 4);
    EXPECT_EQ(CInt(-2.5), -2);
    EXPECT_EQ(CLng(1e9 + 0.5), 1000000000);
}

TEST(VbText, IntegerConversionsOverflow) {
    EXPECT_EQ(CInt(32767.4), 32767);
    EXPECT_EQ(CInt(-32768.4), -32768);
    for (double v : {32767.5, -32768.6, 1e10, std::numeric_limits<double>::quiet_NaN()}) {
        try {
            (void)CInt(v);
            ADD_FAILURE() << "no overflow for " << v;
        } catch (const VbError& e) {
            EXPECT_EQ(e.number, kErrOverflow);
        }
    }
    EXPECT_THROW((void)CLng(3e9), VbError);
}

TEST(VbText, ValReadsTheLeadingNumber) {
    struct Case {
        const char* text;
        double value;
    };
    const Case cases[] = {
        {"12.50abc", 12.5}, {"-0.50", -0.5}, {"abc", 0},      {" 7", 7},      {"1e3", 1000},
        {"", 0},            {"1 2 3", 123},  {".5", 0.5},     {"+4", 4},      {"1e", 1},
        {"2.5e-1x", 0.25},  {"&H10", 16},    {"&HFFFF", -1},  {"&O17", 15},   {"12,5", 12},
        {"1d2", 100},       {"- 3", -3},     {"--3", 0},      {"1e-400", 0},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(Val(QString::fromLatin1(c.text)), c.value) << c.text;
    EXPECT_DOUBLE_EQ(Val(QStringLiteral("5元")), 5);
    EXPECT_THROW((void)Val(QStringLiteral("1e400")), VbError);
}

TEST(VbText, NumericTextsAndStrictConversion) {
    struct Case {
        const char* text;
        bool numeric;
    };
    const Case cases[] = {{"12", true},    {" -0.50 ", true}, {"1e3", true},  {"1,000", true},
                          {".5", true},    {"5.", true},      {"&HFF", true}, {"", false},
                          {" ", false},    {"abc", false},    {"12a", false}, {"1e", false},
                          {"-", false},    {".", false},      {"1e400", false}};
    for (const Case& c : cases)
        EXPECT_EQ(IsNumeric(QString::fromLatin1(c.text)), c.numeric) << c.text;
    EXPECT_DOUBLE_EQ(CDbl(QStringLiteral("-1.25")), -1.25);
    EXPECT_DOUBLE_EQ(CDbl(QStringLiteral("1,000.5")), 1000.5);
    try {
        (void)CDbl(QStringLiteral("1.2x"));
        ADD_FAILURE() << "no type mismatch";
    } catch (const VbError& e) {
        EXPECT_EQ(e.number, kErrTypeMismatch);
    }
    EXPECT_THROW((void)CSng(1e39), VbError);
    EXPECT_FLOAT_EQ(CSng(QStringLiteral("268.53")), 268.53f);
}

TEST(VbText, FixedDecimalsRoundHalvesAwayFromZero) {
    struct Case {
        double value;
        int decimals;
        const char* text;
    };
    const Case cases[] = {
        {352, 2, "352.00"},     {2.675, 2, "2.68"},      {-2.675, 2, "-2.68"}, {0.005, 2, "0.01"},
        {0.004, 2, "0.00"},     {-0.001, 2, "0.00"},     {9.995, 2, "10.00"},  {12.345, 4, "12.3450"},
        {0.0001, 2, "0.00"},    {123456.789, 0, "123457"}, {0, 2, "0.00"},     {1e-9, 4, "0.0000"},
        {99.5, 0, "100"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(formatFixed(c.value, c.decimals), QString::fromLatin1(c.text)) << c.value;
    // A single is rounded on its own 7-digit text: 0.125f is exact, 2.675f is 2.67499995...
    EXPECT_EQ(formatFixed(0.125f, 2), QStringLiteral("0.13"));
    EXPECT_EQ(formatFixed(2.675f, 2), QStringLiteral("2.68"));
}

TEST(VbText, Dates) {
    const QDateTime d = parseDate(u"2026-12-10 9:05:07");
    ASSERT_TRUE(d.isValid());
    EXPECT_EQ(d.date(), QDate(2026, 12, 10));
    EXPECT_EQ(d.time(), QTime(9, 5, 7));
    EXPECT_EQ(generalDateText(d), QStringLiteral("2026-12-10 9:05:07"));
    EXPECT_EQ(shortDateText(QDate(2026, 1, 5)), QStringLiteral("2026-1-5"));
    EXPECT_EQ(parseDate(u"2026/1/5").date(), QDate(2026, 1, 5));
    EXPECT_EQ(parseDate(u"2026-1-5 23:59").time(), QTime(23, 59));
    EXPECT_EQ(generalDateText(parseDate(u"2026-1-5")), QStringLiteral("2026-1-5"));
    EXPECT_EQ(generalDateText(parseDate(u"9:30:00")), QStringLiteral("9:30:00"));
    for (const char16_t* bad : {u"", u"abc", u"2026-13-01", u"2026-2-30", u"2026-1-5 25:00",
                                u"2026-1/5", u"12"})
        EXPECT_FALSE(IsDate(QString::fromUtf16(bad))) << QString::fromUtf16(bad).toStdString();
    EXPECT_THROW((void)CDate(u"x"), VbError);
    EXPECT_EQ(zeroDate().date(), QDate(1899, 12, 30));
}

TEST(VbText, SeededRandomIsRepeatableAndInRange) {
    Randomize(42);
    const float a = Rnd();
    Randomize(42);
    EXPECT_EQ(Rnd(), a);
    for (int i = 0; i < 10000; ++i) {
        const float r = Rnd();
        ASSERT_GE(r, 0.0f);
        ASSERT_LT(r, 1.0f);
    }
}
