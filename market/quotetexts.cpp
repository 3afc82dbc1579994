#include "market/quotetexts.h"

#include "common/storedlists.h"
#include "common/tradingday.h"
#include "state/quotetables.h"
#include "platform/vbtext.h"
#include "state/session.h"
#include "state/usersettings.h"

#include <QStringList>

#include <cmath>

namespace {

using platform::doubleText;
using platform::formatFixed;
using platform::Round;
using platform::singleText;

bool validProduct(int i) { return i >= 0 && i < kMaxProducts; }

// "＋"/"－" (full width) and the amount; the sign rule differs per side, so the caller picks it.
QString profitText(double profit, bool plus) {
    return (plus ? QStringLiteral("＋") : QStringLiteral("－")) + formatFixed(std::fabs(profit), 2);
}

// The signed amount a profit text shows.
double profitNumber(const QString& text) {
    const double amount = platform::Val(QStringView(text).mid(1));
    return text.startsWith(u'＋') ? amount : -amount;
}

struct Side {
    const char16_t* title; // "多头持仓:" / "空头持仓:"
    float units;
    float average;
    QString profit;
    double invested;
    double current;
    double valuation; // what the yield is measured against
};

QString positionLine(const Side& s) {
    return QString::fromUtf16(s.title) + singleText(s.units) + QStringLiteral("份 均价:") +
           singleText(s.average) + QStringLiteral("元 盈亏:") + s.profit + u'元';
}

// Empty when the position is worth nothing (the yield has no measure).
QString moneyLine(const Side& s) {
    if (s.valuation == 0)
        return {};
    return QStringLiteral("投入资金：") + doubleText(Round(s.invested, 2)) + QStringLiteral("元 当前资金：") +
           doubleText(Round(s.current, 2)) + QStringLiteral("元 收益率：") +
           formatFixed(profitNumber(s.profit) / s.valuation * 100, 2) + u'%';
}

} // namespace

QString instrumentName(QStringView field) {
    if (field.size() <= kLongestInstrumentName)
        return field.toString();
    qsizetype kept = kLongestInstrumentName - 1;
    // A character outside the basic plane is kept whole or not at all.
    if (field[kept - 1].isHighSurrogate())
        --kept;
    return field.left(kept).toString() + u'…';
}

std::optional<QuoteTexts::Captions> QuoteTexts::DoCaption() {
    const int i = CurProd;
    if (!AllDataLoaded || !validProduct(i))
        return std::nullopt;
    const float price = ProdPrice[i][0];
    const float spread = ProdSpread[i];
    Captions out;

    if (!LoggedIn) {
        HoldCaption = QStringLiteral("未登录,登录后方可显示持仓与盈亏信息");
    } else {
        const float longUnits = HoldUnits[i][0];
        const float shortUnits = HoldUnits[i][1];
        const float rate = HoldPrice[i][2];
        const double perUnitFee = static_cast<double>(rate) / 10000 * price;

        const double longFee = rate != 0 ? Round(perUnitFee * longUnits, 2) : 0;
        const double longProfit = static_cast<double>(longUnits) * price -
                                  static_cast<double>(longUnits) * HoldPrice[i][0] - longFee;
        // A short position is bought back at the bank's selling price.
        const double shortFee = HoldPrice[i][1] != 0 ? Round(perUnitFee * shortUnits, 2) : 0;
        const double sellPrice = static_cast<double>(price) + spread;
        const double shortProfit = std::fabs(HoldPrice[i][1]) * static_cast<double>(shortUnits) -
                                   std::fabs(shortUnits) * sellPrice - shortFee;

        const Side longSide{u"多头持仓:",
                            longUnits,
                            HoldPrice[i][0],
                            profitText(longProfit, longProfit >= 0),
                            static_cast<double>(longUnits) * HoldPrice[i][0],
                            static_cast<double>(longUnits) * price - longFee,
                            static_cast<double>(longUnits) * price};
        const Side shortSide{u"空头持仓:",
                             shortUnits,
                             HoldPrice[i][1],
                             profitText(shortProfit, shortProfit > 0),
                             static_cast<double>(shortUnits) * HoldPrice[i][1],
                             sellPrice * shortUnits - shortFee,
                             sellPrice * shortUnits};

        const Side* shown = nullptr;
        if (longUnits != 0 && shortUnits != 0) {
            shown = ShowLongNext ? &longSide : &shortSide;
            ShowLongNext = !ShowLongNext;
        } else if (longUnits != 0) {
            shown = &longSide;
        } else if (shortUnits != 0) {
            shown = &shortSide;
        }
        if (shown == nullptr) {
            HoldCaption = QStringLiteral("当前您的 ") + ProdName[i] + QStringLiteral(" 账号空仓");
        } else {
            HoldCaption = positionLine(*shown);
            out.moneyLine = moneyLine(*shown);
        }
    }
    out.web5info = HoldCaption + u' ' + out.moneyLine;

    const QString name = u' ' + ProdName[i];
    const QString buy = FormatPrice(price);
    const QString sell = FormatPrice(price + spread);
    // Swapped, the words change places and the figures stay.
    const QString buyWord = SwapBuySell ? QStringLiteral(" 卖出：") : QStringLiteral(" 买入：");
    const QString sellWord = SwapBuySell ? QStringLiteral(" 买入：") : QStringLiteral(" 卖出：");
    if (ShowBuyPrice && ShowSellPrice)
        PriceCaption = name + buyWord + buy + sellWord + sell;
    else if (ShowBuyPrice)
        PriceCaption = name + buyWord + buy;
    else if (ShowSellPrice)
        PriceCaption = name + sellWord + sell;
    out.priceCaption = PriceCaption;
    return out;
}

QString QuoteTexts::GetList() {
    const int i = CurProd;
    if (!validProduct(i))
        return {};
    const float price = ProdPrice[i][0];
    QStringList lines{
        QStringLiteral("*** ") + ProdName[i] + QStringLiteral(" ***"),
        QStringLiteral("当前：") + singleText(price) + QStringLiteral(" 今开：") + singleText(ProdOpen[i]),
        QStringLiteral("最高：") + singleText(ProdHigh[i]) + QStringLiteral(" 最低：") + singleText(ProdLow[i]),
    };
    // Without a price the change has no measure and the line is left out.
    if (price != 0)
        lines << QStringLiteral("涨跌：") + FormatChange(ProdPrev[i], false) + QStringLiteral(" 幅度：") +
                     FormatChange(static_cast<float>(Round(ProdPrev[i] / price * 100, 2)), false) + u'%';
    return lines.join(QStringLiteral("\r\n"));
}

int16_t QuoteTexts::IsUD() {
    const int i = CurProd;
    if (!validProduct(i))
        return kUnchanged;
    const float price = ProdPrice[i][0];
    const bool seen = !MainViewTag.isEmpty();
    // The tag is the price's own text: read back as a single it compares equal when unmoved.
    const float last = static_cast<float>(platform::Val(MainViewTag));
    ChangeText = !seen || ShowDayChange ? FormatChange(ProdPrev[i], false)
                                        : formatFixed(std::fabs(price - last), 2);
    int16_t direction = kUnchanged;
    if (seen && last < price)
        direction = kRose;
    else if (seen && last > price)
        direction = kFell;
    MainViewTag = singleText(price);
    return direction;
}
