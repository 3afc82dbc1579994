#include "market/quoteboard.h"

#include "common/tradingday.h"
#include "platform/vbtext.h"
#include "shell/usersettings.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace {

using platform::formatFixed;
using platform::Round;
using platform::singleText;

uint32_t moveColour(float change) { return change > 0 ? kRiseColour : kFallColour; }

// Index of a partner instrument by its code; VbError 13 when the snapshot has no such code.
int partnerIndex(const QString& code) {
    return platform::CInt(platform::CDbl(ProductIndex(code)));
}

// A change shown with 2 decimals from 20 up, with 4 below (silver and the like move in
// thousandths). twoDecimals is the change already written with 2 decimals, which a change of no
// more decimals shows as it is.
QString changeText(float change, float price, const QString& twoDecimals) {
    if (price < 20)
        return FormatChange(static_cast<float>(Round(change, 4)), true);
    const auto rounded = static_cast<float>(Round(change, 2));
    return rounded == change ? twoDecimals : FormatChange(rounded, false);
}

// Decimals of a number as printed: what follows its last point.
int decimalsShown(const QString& text) {
    const qsizetype dot = text.lastIndexOf(u'.');
    return dot < 0 ? 0 : static_cast<int>(text.size() - dot - 1);
}

// The bank's selling price: the single-precision sum lands beside the decimal one (64.52 + 0.06
// gives 64.57999), so it is rounded to the decimals its two terms are quoted with. The price's
// decimals are read off its text as shown, which is the text DecimalCount would make again.
QString sellText(float price, const QString& priceText, float spread, int spreadDecimals) {
    const int decimals = std::max(decimalsShown(priceText), spreadDecimals);
    return singleText(static_cast<float>(Round(static_cast<double>(price + spread), decimals)));
}

// The value of a number the board printed, as a single. A printed single is plain ASCII, which
// from_chars reads as Val does; anything else goes through Val.
float shownValue(const QString& text) {
    char ascii[32];
    const qsizetype n = text.size();
    if (n == 0 || n >= qsizetype(sizeof ascii))
        return static_cast<float>(platform::Val(text));
    for (qsizetype k = 0; k < n; ++k) {
        const char16_t ch = text[k].unicode();
        if (ch > 0x7f)
            return static_cast<float>(platform::Val(text));
        ascii[k] = static_cast<char>(ch);
    }
    double value = 0;
    const auto [end, error] = std::from_chars(ascii, ascii + n, value);
    if (error != std::errc() || end != ascii + n)
        return static_cast<float>(platform::Val(text));
    return static_cast<float>(value);
}

// Single-precision amounts stay single when rounded and printed.
QString fixedSingle(float value, int decimals) {
    return formatFixed(static_cast<float>(Round(value, decimals)), decimals);
}

QString fixedByLevel(float value, float level, float threshold) {
    return level >= threshold ? fixedSingle(value, 2) : fixedSingle(value, 4);
}

} // namespace

std::optional<float> premiumOf(int i) {
    const QString& code = ProdCode[i];
    const float price = ProdPrice[i][0];
    if (code == u"tdhj") {
        const int g = partnerIndex(QStringLiteral("gh"));
        // As the service's users know it: the gold T+D price against the bank price plus half
        // the bank's spread.
        const float premium = price - ProdPrice[g][0] + ProdSpread[g] / 2;
        return static_cast<float>(Round(premium, 2));
    }
    if (code == u"tdby") {
        const int g = partnerIndex(QStringLiteral("ying"));
        // Silver T+D is quoted per kilogram, bank silver per gram.
        const float premium = price - (ProdSpread[g] / 2 + ProdPrice[g][0]) * 1000;
        return static_cast<float>(Round(premium, 2));
    }
    return std::nullopt;
}

QuoteBoard::Refresh QuoteBoard::refreshRow(int i) {
    const auto n = static_cast<size_t>(i);
    auto& c = rows_.at(n).cells;
    ShortListTexts& line = shortLines_.at(n);
    const float price = ProdPrice[n][0];
    const float change = ProdPrev[n];
    const float spread = ProdSpread[n];

    Inputs now{ProdName[n], price, change, ProdHigh[n], ProdLow[n], ProdOpen[n], ProdPrevClose[n], spread, {}};
    std::optional<platform::VbError> fault;
    try {
        now.premium = premiumOf(i);
    } catch (const platform::VbError& e) {
        fault = e;
    }
    // Cells are formatted again only when what they show has moved: from one snapshot to the
    // next most fields of a row stay as they were.
    const std::optional<Inputs>& before = shown_.at(n);
    auto moved = [&](auto Inputs::*field) { return !before || (*before).*field != now.*field; };
    const bool priceMoved = moved(&Inputs::price);
    const bool changeMoved = moved(&Inputs::change);
    const bool spreadMoved = moved(&Inputs::spread);

    if (moved(&Inputs::name))
        c[ColName].text = line.name = now.name;
    if (changeMoved) {
        line.colour = moveColour(change);
        for (const int k : {ColPrice, ColChange, ColChangePct, ColSell})
            c[k].colour = line.colour;
        line.change = FormatChange(change, false);
    }
    if (priceMoved)
        c[ColPrice].text = line.price = singleText(price);
    if (priceMoved || changeMoved) {
        c[ColChange].text = changeText(change, price, line.change);
        if (price != 0)
            c[ColChangePct].text =
                FormatChange(static_cast<float>(Round(change / price * 100, 2)), false) + u'%';
    }
    if (moved(&Inputs::high))
        c[ColHigh].text = singleText(now.high);
    if (moved(&Inputs::low))
        c[ColLow].text = singleText(now.low);
    if (moved(&Inputs::open))
        c[ColOpen].text = singleText(now.open);
    if (moved(&Inputs::prevClose))
        c[ColPrevClose].text = singleText(now.prevClose);
    if (moved(&Inputs::high) || moved(&Inputs::low))
        c[ColRange].text = fixedByLevel(now.high - now.low, now.high, 10);

    if (spreadMoved)
        spreadDecimals_[n] = DecimalCount(spread);
    if (spread != 0 && (spreadMoved || priceMoved))
        c[ColSell].text = sellText(price, c[ColPrice].text, spread, spreadDecimals_[n]);
    if (spreadMoved || moved(&Inputs::premium)) {
        if (spread != 0) {
            c[ColOther].text = formatFixed(spread, 2);
            c[ColOther].tip = QStringLiteral("点差");
        }
        if (now.premium) {
            c[ColOther].text = formatFixed(*now.premium, 2);
            c[ColOther].tip = QStringLiteral("溢价");
        }
    }

    // The tag holds the price's own text ("现价" as shown); read back as a single it compares
    // like with like.
    const auto tag = [&] { return shownValue(c[ColPrice].text); };
    if (!lastShown_.at(n))
        lastShown_[n] = tag();
    const float shown = *lastShown_[n];
    if (shown != price) {
        const float d = shown - price;
        c[ColLastMove].text = (d > 0 ? QStringLiteral("↓") : QStringLiteral("↑")) +
                              fixedByLevel(std::fabs(d), price, 10);
        c[ColLastMove].colour = d > 0 ? kFallColour : kRiseColour;
        lastShown_[n] = tag();
    }
    shown_[n] = std::move(now);
    return Refresh{rows_[n], line, fault};
}

int boardRowTop(int w, int row0Height, int rowHeight) {
    return row0Height + (w - 1) * rowHeight + 60 * w;
}

int boardHeight(int rowCount, int row0Height, int rowHeight) {
    return (rowCount > 1 ? boardRowTop(rowCount - 1, row0Height, rowHeight) : 0) + row0Height;
}

std::vector<BoardInteraction::Action> BoardInteraction::nameMouseDown(int index, int button, float x,
                                                                     int16_t curTab, int32_t boardLeft) {
    if (button != 1)
        return {};
    priceMouseDown(button, x, boardLeft);
    std::vector<Action> actions{{Step::SetInstrument, index}};
    if (curTab != 2 && curTab != 3)
        actions.push_back({Step::SelectIntradayTab});
    return actions;
}

void BoardInteraction::priceMouseDown(int button, float x, int32_t boardLeft) {
    if (button != 1)
        return;
    BoardDragging = true;
    BoardDragStartX = platform::CLng(x);
    BoardDragStartLeft = boardLeft;
}

// Measured from the press, not added to the board's current place: the pointer's control stays
// put while the board moves, so adding every move's distance again would run the board away.
std::optional<int32_t> BoardInteraction::mouseMove(int button, float x, int32_t left, int32_t width,
                                                   int32_t windowWidth) const {
    if (button != 1 || !BoardDragging)
        return std::nullopt;
    const double newLeft = BoardDragStartLeft + static_cast<double>(x) - BoardDragStartX;
    const double middle = windowWidth / 2.0;
    if (newLeft > middle || static_cast<double>(left) + width + static_cast<double>(x) < middle)
        return std::nullopt;
    return platform::CLng(newLeft);
}

std::vector<BoardInteraction::Action> BoardInteraction::rowDoubleClick(int index) {
    return {{Step::SelectIntradayTab}, {Step::SetInstrument, index}};
}

std::vector<uint32_t> rowHighlight(int rowCount, int clicked, int16_t scheme) {
    const uint32_t back = GetBack(scheme);
    std::vector<uint32_t> colours(static_cast<size_t>(std::max(rowCount, 0)), back);
    if (clicked < 0 || clicked >= rowCount)
        return colours;
    // The colour value taken as one number, not per channel, as the board has always darkened it.
    colours[static_cast<size_t>(clicked)] =
        scheme == 0 ? 0x404040u : static_cast<uint32_t>(platform::CLng(back * 0.8));
    return colours;
}
