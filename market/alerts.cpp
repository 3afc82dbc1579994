#include "market/alerts.h"

#include "common/storedlists.h"
#include "state/quotetables.h"
#include "platform/vbtext.h"

QList<MetAlert> metAlerts() {
    QList<MetAlert> met;
    const int count = std::min<int>(TxCount, static_cast<int>(TxProd.size()) - 1);
    for (int k = 1; k <= count; ++k) {
        const int p = TxProd[k];
        if (p < 0 || p >= kMaxProducts || p >= ProdCount)
            continue;
        const float price = ProdPrice[p][0];
        if (price == 0)
            continue;
        const float limitValue = k < TxPrice.size() ? TxPrice[k] : 0.0f;
        const QString limitText = platform::singleText(limitValue);
        // The limit as the user typed it, in the precision of the prices it is compared with.
        const auto limit = static_cast<float>(platform::Val(limitText));
        const bool atOrAbove = k >= TxCompare.size() || TxCompare[k] == 0;
        if (atOrAbove ? price < limit : price > limit)
            continue;
        met.append({k, QStringLiteral("您设置的 ") + ProdName[p] +
                           (atOrAbove ? QStringLiteral(" 已经大于等于 ") : QStringLiteral(" 已经小于等于 ")) +
                           limitText + QStringLiteral(" 元了，现价：") + platform::singleText(price)});
    }
    return met;
}
