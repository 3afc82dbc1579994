#include "market/quoteboard.h"

#include "state/quotetables.h"
#include "tests/support/qtprint.h"

#include <gtest/gtest.h>

#include <functional>

// Readable failures for the board's value types.
inline void PrintTo(const BoardCell& c, std::ostream* os) {
    *os << '{' << c.text.toStdString() << ", colour " << (c.colour ? std::to_string(*c.colour) : "none") << ", tip "
        << c.tip.toStdString() << '}';
}
inline void PrintTo(const ShortListTexts& l, std::ostream* os) {
    *os << '{' << l.name.toStdString() << ", " << l.price.toStdString() << ", " << l.change.toStdString() << ", "
        << l.colour << '}';
}

namespace {

using Action = BoardInteraction::Action;
using Step = BoardInteraction::Step;

void setProduct(int i, const QString& code, float price, float change, float spread = 0, float high = 0,
                float low = 0) {
    ProdName[i] = QStringLiteral("p%1").arg(i);
    ProdCode[i] = code;
    ProdPrice[i][0] = price;
    ProdPrev[i] = change;
    ProdSpread[i] = spread;
    ProdHigh[i] = high;
    ProdLow[i] = low;
}

class QuoteBoardTest : public ::testing::Test {
protected:
    void SetUp() override { clearQuoteTables(); }
    void TearDown() override { clearQuoteTables(); }
    QuoteBoard board;
};

TEST_F(QuoteBoardTest, RowShowsEveryColumn) {
    setProduct(0, QStringLiteral("mgold"), 268.53f, -1.25f, 0.8f, 270.1f, 267.8f);
    ProdPrevClose[0] = 269.78f;
    const auto r = board.refreshRow(0);
    const auto& c = r.row.cells;
    const QString texts[] = {QStringLiteral("p0"),   QStringLiteral("268.53"), QStringLiteral("-1.25"),
                             QStringLiteral("-0.47%"), QStringLiteral("270.1"), QStringLiteral("267.8"),
                             QStringLiteral("0"),    QStringLiteral("269.78"), QStringLiteral("2.30"),
                             QStringLiteral("0.80"), QString(),                QStringLiteral("269.33")};
    for (int k = 0; k < kBoardColumns; ++k)
        EXPECT_EQ(c[k].text, texts[k]) << "column TL" << k + 1;
    for (const int k : {ColPrice, ColChange, ColChangePct, ColSell})
        EXPECT_EQ(c[k].colour, kFallColour) << "column TL" << k + 1;
    for (const int k : {ColName, ColHigh, ColLow, ColOpen, ColPrevClose, ColRange, ColOther, ColLastMove})
        EXPECT_FALSE(c[k].colour.has_value()) << "column TL" << k + 1;
    EXPECT_EQ(c[ColOther].tip, QStringLiteral("点差"));
    EXPECT_EQ(r.shortList, (ShortListTexts{QStringLiteral("p0"), QStringLiteral("268.53"), QStringLiteral("-1.25"),
                                           kFallColour}));
    EXPECT_FALSE(r.fault.has_value());
}

TEST_F(QuoteBoardTest, ChangeAndRangeDecimalsFollowThePriceLevel) {
    struct Case {
        float price, change, high, low;
        QString change3, pct4, range9;
        uint32_t colour;
    };
    const Case cases[] = {
        {20.0f, 0.126f, 21.0f, 19.5f, QStringLiteral("+0.13"), QStringLiteral("+0.63%"), QStringLiteral("1.50"), kRiseColour},
        {19.99f, 0.126f, 9.99f, 9.5f, QStringLiteral("+0.1260"), QStringLiteral("+0.63%"), QStringLiteral("0.4900"), kRiseColour},
        {5.0f, 0.0f, 10.0f, 9.75f, QStringLiteral("0"), QStringLiteral("0%"), QStringLiteral("0.25"), kFallColour},
        {5.0f, -0.00004f, 0.0f, 0.0f, QStringLiteral("0"), QStringLiteral("0%"), QStringLiteral("0.0000"), kFallColour},
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(t.price);
        setProduct(0, QStringLiteral("x"), t.price, t.change, 0, t.high, t.low);
        const auto r = board.refreshRow(0);
        EXPECT_EQ(r.row.cells[ColChange].text, t.change3);
        EXPECT_EQ(r.row.cells[ColChangePct].text, t.pct4);
        EXPECT_EQ(r.row.cells[ColRange].text, t.range9);
        EXPECT_EQ(r.row.cells[ColChange].colour, t.colour);
        EXPECT_EQ(r.shortList.colour, t.colour);
    }
}

TEST_F(QuoteBoardTest, ZeroPriceAndZeroSpreadLeaveTheirCells) {
    setProduct(0, QStringLiteral("x"), 10.0f, 0.5f, 0.2f);
    (void)board.refreshRow(0);
    setProduct(0, QStringLiteral("x"), 0.0f, 0.25f, 0.0f);
    const auto& c = board.refreshRow(0).row.cells;
    EXPECT_EQ(c[ColChangePct].text, QStringLiteral("+5.00%"));
    EXPECT_EQ(c[ColOther].text, QStringLiteral("0.20"));
    EXPECT_EQ(c[ColSell].text, QStringLiteral("10.2"));
    EXPECT_EQ(c[ColPrice].text, QStringLiteral("0"));
}

// The selling price is shown at the decimals of its two terms, not as the single-precision sum.
TEST_F(QuoteBoardTest, SellingPriceKeepsTheQuotedDecimals) {
    struct Case {
        float price, spread;
        const char* sell;
    } cases[] = {
        {64.52f, 0.06f, "64.58"},   // the plain sum prints 64.57999
        {892.16f, 0.8f, "892.96"},
        {12.178f, 0.04f, "12.218"},
        {7.0821f, 0.0005f, "7.0826"},
        {12211.0f, 3.0f, "12214"},
        {10.0f, 0.2f, "10.2"},
    };
    for (const Case& t : cases) {
        clearQuoteTables();
        QuoteBoard fresh;
        setProduct(0, QStringLiteral("x"), t.price, 0.1f, t.spread);
        EXPECT_EQ(fresh.refreshRow(0).row.cells[ColSell].text, QString::fromLatin1(t.sell)) << t.price << "+" << t.spread;
    }
}

// The board formats a cell again only when what it shows has moved: after any one input moves,
// every cell reads as a board seeing the row for the first time would show it.
TEST_F(QuoteBoardTest, EachInputMovesItsOwnCells) {
    setProduct(0, QStringLiteral("gh"), 268.53f, -1.25f, 0.8f, 270.1f, 267.8f);
    setProduct(1, QStringLiteral("tdhj"), 270.5f, 0.5f, 0.2f, 271.0f, 269.0f);
    ProdPrevClose[1] = 270.0f;
    const std::pair<const char*, std::function<void()>> moves[] = {
        {"name", [] { ProdName[1] = QStringLiteral("renamed"); }},
        {"price", [] { ProdPrice[1][0] = 270.75f; }},
        {"change", [] { ProdPrev[1] = 0.75f; }},
        {"change to a fall", [] { ProdPrev[1] = -0.125f; }},
        {"price below 20", [] { ProdPrice[1][0] = 19.5f; }},
        {"high", [] { ProdHigh[1] = 272.0f; }},
        {"low", [] { ProdLow[1] = 268.5f; }},
        {"open", [] { ProdOpen[1] = 269.9f; }},
        {"previous close", [] { ProdPrevClose[1] = 269.5f; }},
        {"spread", [] { ProdSpread[1] = 0.3f; }},
        {"partner price", [] { ProdPrice[0][0] = 268.0f; }},
        {"partner spread", [] { ProdSpread[0] = 1.0f; }},
        {"code", [] { ProdCode[1] = QStringLiteral("mgold"); }},
    };
    (void)board.refreshRow(1);
    for (const auto& [what, move] : moves) {
        SCOPED_TRACE(what);
        move();
        const auto seen = board.refreshRow(1);
        QuoteBoard fresh;
        const auto first = fresh.refreshRow(1);
        for (int k = 0; k < kBoardColumns; ++k) {
            if (k != ColLastMove) {
                EXPECT_EQ(seen.row.cells[k], first.row.cells[k]) << "column TL" << k + 1;
            }
        }
        EXPECT_EQ(seen.shortList, first.shortList);
    }
}

TEST_F(QuoteBoardTest, LastMoveShowsArrowDistanceAndColour) {
    struct Step {
        float price;
        QString text;
        std::optional<uint32_t> colour;
    };
    const Step steps[] = {
        {10.5f, QString(), std::nullopt},                       // first price: only remembered
        {10.25f, QStringLiteral("↓0.25"), kFallColour},
        {10.25f, QStringLiteral("↓0.25"), kFallColour},         // unmoved: kept
        {9.5f, QStringLiteral("↓0.7500"), kFallColour},          // below 10: four decimals
        {9.5012f, QStringLiteral("↑0.0012"), kRiseColour},
        {268.53f, QStringLiteral("↑259.03"), kRiseColour},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.price);
        setProduct(0, QStringLiteral("x"), s.price, 0);
        const BoardCell cell = board.refreshRow(0).row.cells[ColLastMove];
        EXPECT_EQ(cell.text, s.text);
        EXPECT_EQ(cell.colour, s.colour);
    }
}

TEST_F(QuoteBoardTest, PremiumOfTheTwoTdRows) {
    setProduct(0, QStringLiteral("gh"), 268.53f, 0, 0.8f);
    setProduct(1, QStringLiteral("ying"), 5.012f, 0, 0.04f);
    setProduct(2, QStringLiteral("tdhj"), 270.5f, 0, 0);
    setProduct(3, QStringLiteral("tdby"), 5000.0f, 0, 0);
    setProduct(4, QStringLiteral("mgold"), 2638.2f, 0, 1.0f);
    // tdhj: price - gh price + half the gh spread; tdby: price - (half the ying spread + ying) x 1000.
    EXPECT_EQ(premiumOf(2), std::optional<float>(2.37f));
    EXPECT_EQ(premiumOf(3), std::optional<float>(-32.0f));
    EXPECT_EQ(premiumOf(4), std::nullopt);
    const auto r = board.refreshRow(3);
    EXPECT_EQ(r.row.cells[ColOther].text, QStringLiteral("-32.00"));
    EXPECT_EQ(r.row.cells[ColOther].tip, QStringLiteral("溢价"));
    EXPECT_EQ(r.row.cells[ColSell].text, QString()); // a spread of 0 writes no selling price
}

TEST_F(QuoteBoardTest, PremiumWithoutItsPartnerKeepsTheSpread) {
    setProduct(0, QStringLiteral("tdhj"), 270.5f, 0, 0.5f);
    const auto r = board.refreshRow(0);
    EXPECT_EQ(r.row.cells[ColOther].text, QStringLiteral("0.50"));
    EXPECT_EQ(r.row.cells[ColOther].tip, QStringLiteral("点差"));
    ASSERT_TRUE(r.fault.has_value());
    EXPECT_EQ(r.fault->number, 13);
    EXPECT_EQ(r.row.cells[ColPrice].text, QStringLiteral("270.5"));
}

TEST(BoardGeometryTest, RowsStackWithAGap) {
    EXPECT_EQ(boardRowTop(1, 300, 255), 360);
    EXPECT_EQ(boardRowTop(2, 300, 255), 300 + 255 + 120);
    EXPECT_EQ(boardHeight(1, 300, 255), 300);
    EXPECT_EQ(boardHeight(3, 300, 255), 300 + 255 + 120 + 300); // top of row 2 plus a row
}

TEST(BoardInteractionTest, NamePressPicksTheInstrumentAndOpensTheChartTab) {
    struct Case {
        int button;
        int16_t tab;
        std::vector<Action> actions;
        bool dragging;
    };
    const Case cases[] = {
        {1, 0, {{Step::SetInstrument, 4}, {Step::SelectIntradayTab}}, true},
        {1, 2, {{Step::SetInstrument, 4}}, true},
        {1, 3, {{Step::SetInstrument, 4}}, true}, // the K-line tab stays
        {2, 0, {}, false},                        // right button: nothing at all
    };
    for (const Case& c : cases) {
        BoardInteraction b;
        EXPECT_EQ(b.nameMouseDown(4, c.button, 100.5f, c.tab, 0), c.actions);
        EXPECT_EQ(b.BoardDragging, c.dragging);
    }
}

TEST(BoardInteractionTest, DoubleClickSelectsTheTabBeforeTheInstrument) {
    EXPECT_EQ(BoardInteraction::rowDoubleClick(7),
              (std::vector<Action>{{Step::SelectIntradayTab}, {Step::SetInstrument, 7}}));
}

TEST(BoardInteractionTest, DragStartRoundsHalvesToEven) {
    BoardInteraction b;
    b.priceMouseDown(1, 100.5f, -30);
    EXPECT_EQ(b.BoardDragStartX, 100);
    EXPECT_EQ(b.BoardDragStartLeft, -30);
    b.priceMouseDown(1, 101.5f, -45);
    EXPECT_EQ(b.BoardDragStartX, 102);
    b.priceMouseDown(2, 500.0f, -90); // not the left button: the press before stands
    EXPECT_EQ(b.BoardDragStartX, 102);
    EXPECT_EQ(b.BoardDragStartLeft, -45);
}

// A drag through a series of pointer positions, each accepted move placing the board as the main
// window would: what each move asked of the board (none: refused).
std::vector<std::optional<int32_t>> dragThrough(BoardInteraction& b, int32_t left, int32_t width,
                                                int32_t windowWidth, const std::vector<float>& moves) {
    std::vector<std::optional<int32_t>> lefts;
    for (const float x : moves) {
        lefts.push_back(b.mouseMove(1, x, left, width, windowWidth));
        if (lefts.back())
            left = *lefts.back();
    }
    return lefts;
}

TEST(BoardInteractionTest, DragFollowsThePointerWhileTheBoardSpansTheWindowsMiddle) {
    // A window 19200 twips wide (middle 9600) and a board 14700 wide; the pointer's control stays
    // put while the board moves.
    constexpr int32_t kWindow = 19200;
    constexpr int32_t kBoard = 14700;
    const auto none = std::optional<int32_t>{};
    struct Case {
        const char* what;
        int32_t startLeft;
        float pressX;
        std::vector<float> moves;
        std::vector<std::optional<int32_t>> lefts;
    };
    const Case cases[] = {
        {"small steps add up to the pointer's distance, not more", 0, 3000, {2985, 2970, 2955, 2940},
         {-15, -30, -45, -60}},
        {"back and forth ends where the pointer is", -600, 3000, {2000, 3300, 2900}, {-1600, -300, -700}},
        {"to the right up to the middle", 0, 300, {5000, 9900}, {4700, 9600}},
        {"one twip past the middle is refused, the board stays", 0, 300, {9900, 9901, 9800}, {9600, none, 9500}},
        {"a large step past the middle is refused, not clamped", 0, 300, {12000, 600}, {none, 300}},
        // The right edge plus the pointer's offset: -5000 + 14700 - 100 = 9600 still reaches the middle.
        {"to the left until the right edge falls short of the middle", -5000, 0, {-100, -101, -50, 0},
         {-5100, none, none, -5000}},
        // Judged by where the board is before the move: 0 + 14700 - 5000 still spans the middle.
        {"a large step to the left is taken while the edge still spans the middle", 0, 3000, {-5000},
         {-8000}},
        {"from far left the board stays until the pointer brings its edge back", -9000, 0, {-10, 4000},
         {none, -5000}},
        {"a fractional pointer rounds halves to even", 0, 100, {99.5f, 98.5f}, {0, -2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BoardInteraction b;
        b.priceMouseDown(1, c.pressX, c.startLeft);
        EXPECT_EQ(dragThrough(b, c.startLeft, kBoard, kWindow, c.moves), c.lefts);
    }
}

TEST(BoardInteractionTest, TheMiddleIsHalfTheWindowsWidth) {
    // An odd width: the middle is 4800.5 twips, so a left edge of 4800 may be reached, 4801 not.
    struct Case {
        float x;
        std::optional<int32_t> left;
    };
    const Case cases[] = {{4800, 4800}, {4801, std::nullopt}};
    for (const Case& c : cases) {
        BoardInteraction b;
        b.priceMouseDown(1, 0, 0);
        EXPECT_EQ(b.mouseMove(1, c.x, 0, 14700, 9601), c.left) << c.x;
    }
}

TEST(BoardInteractionTest, DragNeedsTheLeftButtonAndAPressOnTheBoard) {
    BoardInteraction b;
    EXPECT_EQ(b.mouseMove(1, 300, 0, 15000, 19200), std::nullopt); // no press yet
    b.priceMouseDown(1, 100, 0);
    EXPECT_EQ(b.mouseMove(2, 50, 0, 15000, 19200), std::nullopt);
    EXPECT_EQ(b.mouseMove(1, 50, 0, 15000, 19200), std::optional<int32_t>(-50));
    b.mouseUp();
    EXPECT_EQ(b.mouseMove(1, 0, -50, 15000, 19200), std::nullopt);
}

TEST(BoardInteractionTest, HighlightDarkensTheClickedRow) {
    EXPECT_EQ(rowHighlight(3, 1, 0), (std::vector<uint32_t>{0, 0x404040, 0}));
    EXPECT_EQ(rowHighlight(3, 2, 0), (std::vector<uint32_t>{0, 0, 0x404040}));
    // The colour value times 0.8 as one number: 0x404040 * 0.8 = 3368601.6.
    EXPECT_EQ(rowHighlight(2, 0, 1), (std::vector<uint32_t>{3368602, 0x404040}));
    EXPECT_EQ(rowHighlight(2, 1, 7), (std::vector<uint32_t>{0x400000, 3355443}));
}

} // namespace
