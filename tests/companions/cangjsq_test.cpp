#include "companions/cangjsq.h"

#include <gtest/gtest.h>

using namespace cangjsq;

namespace {

constexpr platform::OleColor kRed = 0xFF;
constexpr platform::OleColor kGreen = 0xC000;
constexpr platform::OleColor kBlack = 0;

struct Shown {
    const char* position;
    const char* fee;
    const char* margin;
    const char* newAverage;
    const char* averageChange;
    platform::OleColor averageChangeColour;
    const char* profit;
    platform::OleColor profitColour;
    const char* returnRate;
};

void expectShown(const Outcome& out, const Shown& want, const char* name) {
    ASSERT_TRUE(out.refusal.isEmpty()) << name << ": " << out.refusal.toStdString();
    const ResultTexts t = resultTexts(out);
    EXPECT_EQ(t.position, QLatin1String(want.position)) << name;
    EXPECT_EQ(t.fee, QLatin1String(want.fee)) << name;
    EXPECT_EQ(t.margin, QLatin1String(want.margin)) << name;
    EXPECT_EQ(t.newAverage, QLatin1String(want.newAverage)) << name;
    EXPECT_EQ(t.averageChange, QLatin1String(want.averageChange)) << name;
    EXPECT_EQ(t.averageChangeColour, want.averageChangeColour) << name;
    EXPECT_EQ(t.profit, QLatin1String(want.profit)) << name;
    EXPECT_EQ(t.profitColour, want.profitColour) << name;
    EXPECT_EQ(t.returnRate, QLatin1String(want.returnRate)) << name;
}

Inputs holding(bool shortSide, double average, double quantity, double fee, double margin, float current,
               float spread) {
    Inputs in;
    in.shortSide = shortSide;
    in.average = average;
    in.holding = quantity;
    in.feeRate = fee;
    in.marginRate = margin;
    in.current = current;
    in.spread = spread;
    return in;
}

Inputs adding(Inputs in, double price, double quantity) {
    in.addPrice = price;
    in.addQuantity = quantity;
    return in;
}

Inputs closing(Inputs in, double price, double quantity) {
    in.closePrice = price;
    in.closeQuantity = quantity;
    return in;
}

} // namespace

TEST(PositionCalculator, AddOnBothSides) {
    const struct {
        const char* name;
        Inputs in;
        Shown want;
    } cases[] = {
        // Long 10 at 370, add 10 at 380, fee 18/10000, quote 375: the exit fee is charged on 375.
        {"long", adding(holding(false, 370, 10, 18, 15, 375, 0.5f), 380, 10),
         {"20", "6.84", "570", "375.342", "+5.342", kRed, "-20.34", kGreen, "-0.27%"}},
        // Short 10 at 380, add 10 at 370: the short buys back at the selling price 375.5.
        {"short", adding(holding(true, 380, 10, 18, 15, 375, 0.5f), 370, 10),
         {"20", "6.66", "555", "374.667", "-5.333", kGreen, "-30.16", kGreen, "-0.40%"}},
        {"short in profit", adding(holding(true, 380, 10, 0, 10, 360, 0.5f), 380, 10),
         {"20", "0", "380", "380", "0", kGreen, "390.00", kRed, "+5.13%"}},
        // Before the first quote there is no profit to show.
        {"no quote", adding(holding(false, 370, 10, 0, 0, 0, 0), 380, 10),
         {"20", "0", "0", "375", "+5", kRed, "0.00", kBlack, "+0.00%"}},
    };
    for (const auto& c : cases)
        expectShown(addPosition(c.in), c.want, c.name);
}

TEST(PositionCalculator, CloseOnBothSides) {
    const struct {
        const char* name;
        Inputs in;
        Shown want;
    } cases[] = {
        {"long part", closing(holding(false, 370, 10, 18, 15, 375, 0.5f), 380, 4),
         {"6", "2.74", "0", "363.79", "-6.21", kGreen, "60.47", kRed, "+2.77%"}},
        {"short part", closing(holding(true, 380, 10, 0, 15, 375, 0.5f), 370, 5),
         {"5", "0", "0", "390", "+10", kRed, "72.50", kRed, "+3.72%"}},
        // Closing everything: the realised result of the close, by side, and its own rate.
        {"short whole", closing(holding(true, 380, 10, 18, 15, 375, 0.5f), 370, 10),
         {"0", "6.66", "0", "0", "0", kGreen, "93.34", kRed, "+2.46%"}},
        {"long whole at a loss", closing(holding(false, 370, 10, 0, 15, 375, 0.5f), 360, 10),
         {"0", "0", "0", "0", "0", kGreen, "-100.00", kGreen, "-2.70%"}},
        // A close does not wait for a quote: the remaining position is valued at 0.
        {"long part no quote", closing(holding(false, 100, 10, 0, 0, 0, 0), 110, 5),
         {"5", "0", "0", "90", "-10", kGreen, "-450.00", kGreen, "-100.00%"}},
    };
    for (const auto& c : cases)
        expectShown(closePosition(c.in), c.want, c.name);
}

TEST(PositionCalculator, NewPositionRoundsHalvesToEven) {
    const struct {
        double held;
        double added;
        int32_t position;
    } cases[] = {{10, 0.4, 10}, {10, 0.5, 10}, {11, 0.5, 12}, {10, 0.6, 11}, {1.5, 1, 2}};
    for (const auto& c : cases) {
        const Outcome out = addPosition(adding(holding(false, 100, c.held, 0, 0, 100, 0), 100, c.added));
        ASSERT_TRUE(out.refusal.isEmpty()) << c.held << "+" << c.added;
        EXPECT_EQ(out.position, c.position) << c.held << "+" << c.added;
    }
}

TEST(PositionCalculator, RefusesBadInputInOrder) {
    const Inputs good = holding(false, 370, 10, 0, 0, 375, 0.5f);
    const struct {
        Inputs in;
        bool close;
        const char16_t* message;
    } cases[] = {
        {adding(holding(false, 0, 0, 0, 0, 375, 0), 0, 0), false, u"当前均价输入不正确."},
        {adding(holding(false, 370, 0, 0, 0, 375, 0), 0, 0), false, u"当前持仓不正确."},
        {adding(good, 0, 0), false, u"加仓数量不正确."},
        {adding(good, -1, 5), false, u"加仓价格不正确."},
        // Two quantities that round to no position at all: nothing to average over.
        {adding(holding(false, 370, 0.2, 0, 0, 375, 0), 380, 0.2), false, u"加仓数量不正确."},
        {closing(holding(false, -5, 10, 0, 0, 375, 0), 0, 0), true, u"当前均价输入不正确."},
        {closing(holding(false, 370, 0, 0, 0, 375, 0), 0, 0), true, u"当前持仓输入不正确."},
        {closing(good, 380, 0), true, u"平仓数量不正确."},
        {closing(good, 0, 5), true, u"平仓价格不正确."},
        {closing(good, 380, 10.5), true, u"平仓总数不能大于当前持仓数."},
    };
    for (const auto& c : cases) {
        const Outcome out = c.close ? closePosition(c.in) : addPosition(c.in);
        EXPECT_EQ(out.refusal, QString::fromUtf16(c.message)) << QString::fromUtf16(c.message).toStdString();
    }
}

TEST(PositionCalculator, BoxesReadTheirLeadingNumberOnLeaving) {
    const struct {
        const char16_t* typed;
        const char16_t* number;
        const char16_t* fee;
        const char16_t* margin;
    } cases[] = {
        {u"0", u"0", u"18", u"15"},        {u"", u"0", u"18", u"15"},
        {u"abc", u"0", u"18", u"15"},      {u"12.50", u"12.5", u"12.5", u"12.5"},
        {u"4", u"4", u"4", u"15"},         {u"20", u"20", u"20", u"20"},
        {u"3.9", u"3.9", u"18", u"15"},    {u"20.5", u"20.5", u"18", u"20.5"},
        {u"5", u"5", u"5", u"5"},          {u"30", u"30", u"18", u"30"},
        {u"31", u"31", u"18", u"15"},      {u" 7x", u"7", u"7", u"7"},
        {u"-3", u"-3", u"18", u"15"},      {u"1e1", u"10", u"10", u"10"},
        // A number beyond any double cannot be read back: the text stays as typed.
        {u"9E9999", u"9E9999", u"9E9999", u"9E9999"},
    };
    for (const auto& c : cases) {
        const QString typed = QString::fromUtf16(c.typed);
        EXPECT_EQ(normalisedNumber(typed), QString::fromUtf16(c.number)) << typed.toStdString();
        EXPECT_EQ(normalisedFeeRate(typed), QString::fromUtf16(c.fee)) << typed.toStdString();
        EXPECT_EQ(normalisedMarginRate(typed), QString::fromUtf16(c.margin)) << typed.toStdString();
    }
}

TEST(PositionCalculator, QuotePricesBySide) {
    const struct {
        float buying;
        float spread;
        bool shortSide;
        const char* add;
        const char* close;
    } cases[] = {
        {370.2f, 0.5f, false, "370.7", "370.2"},
        {370.2f, 0.5f, true, "370.2", "370.7"},
        // The single-precision sum prints at its own digits, not as 64.58000.
        {64.53f, 0.05f, false, "64.58", "64.53"},
        {0, 0, false, "0", "0"},
    };
    for (const auto& c : cases) {
        const QuotePrices p = quotePrices(c.buying, c.spread, c.shortSide);
        EXPECT_EQ(p.addPrice, QLatin1String(c.add)) << c.buying << " short " << c.shortSide;
        EXPECT_EQ(p.closePrice, QLatin1String(c.close)) << c.buying << " short " << c.shortSide;
    }
}
