#include "common/storedlists.h"

#include "common/log.h"
#include "common/settings.h"
#include "platform/inifile.h"
#include "platform/vberror.h"
#include "platform/vbtext.h"
#include "state/session.h"

#include <QRegularExpression>

#include <cmath>
#include <limits>

namespace {

// A stored number that does not convert leaves its element as it was.
template <typename T, typename Convert>
void tryConvert(T& target, const QString& text, Convert convert) {
    try {
        target = convert(text);
    } catch (const platform::VbError&) {
    }
}

float toSingle(const QString& text) { return platform::CSng(text); }

// Stored alert entries that did not read, word for word, in their stored order.
QStringList& unreadableTx() {
    static QStringList entries;
    return entries;
}

std::optional<double> storedNumber(const QString& text) {
    try {
        const double v = platform::CDbl(text);
        return std::isfinite(v) ? std::optional<double>(v) : std::nullopt;
    } catch (const platform::VbError&) {
        return std::nullopt;
    }
}

} // namespace

std::optional<StoredAlert> readStoredAlert(const QString& text) {
    const QStringList parts = text.split(u',');
    if (parts.size() != 3)
        return std::nullopt;
    const auto prod = storedNumber(parts[0]);
    const auto compare = storedNumber(parts[1]);
    const auto price = storedNumber(parts[2]);
    if (!prod || !compare || !price)
        return std::nullopt;
    if (*prod != std::floor(*prod) || *prod < 0 || *prod >= kMaxProducts)
        return std::nullopt;
    if (*compare != 0 && *compare != 1)
        return std::nullopt;
    if (!(*price > 0) || *price > std::numeric_limits<float>::max())
        return std::nullopt;
    return StoredAlert{static_cast<int16_t>(*prod), static_cast<int16_t>(*compare), static_cast<float>(*price)};
}

void LoadTx() {
    if (!IsVip)
        return;
    int16_t count = 0;
    tryConvert(count, GetIni(QStringLiteral("tx")),
               [](const QString& t) { return platform::CInt(platform::Val(t)); });
    count = std::clamp<int16_t>(count, 0, kMaxStoredAlerts);
    // A reload after a save meets the same unreadable entries again: they are logged once.
    const QStringList known = std::exchange(unreadableTx(), {});
    TxProd = {0};
    TxCompare = {0};
    TxPrice = {0.0f};
    for (int i = 1; i <= count; ++i) {
        const QString key = QStringLiteral("tx%1").arg(i);
        const QString text = GetIni(key);
        const auto alert = readStoredAlert(text);
        if (!alert) {
            if (!known.contains(text))
                WriteLog(QStringLiteral("Alert not read, skipped: ") + key + u'=' + text);
            // An empty entry holds nothing to keep.
            if (!text.trimmed().isEmpty())
                unreadableTx() << text;
            continue;
        }
        TxProd << alert->prod;
        TxCompare << alert->compare;
        TxPrice << alert->price;
    }
    TxCount = static_cast<int16_t>(TxProd.size() - 1);
}

// The live alerts are stored without gaps as tx1..txN, the entries that did not read at the last
// load after them, with tx = the number of entries; keys of earlier, longer lists are taken out,
// so a reload reads back exactly what was saved.
void SaveTx() {
    if (!IsVip)
        return;
    static const QRegularExpression slotKey(QStringLiteral("^tx(\\d+)$"),
                                            QRegularExpression::CaseInsensitiveOption);
    (void)platform::editProfile(settingsFilePath(), [](platform::IniDocument& doc) {
        const QString section = QStringLiteral("Main Set");
        int written = 0;
        const int last = std::min<int>(TxCount, TxProd.size() - 1);
        for (int i = 1; i <= last; ++i) {
            if (TxProd[i] == -1)
                continue;
            ++written;
            doc.setValue(section, QStringLiteral("tx%1").arg(written),
                         QStringLiteral("%1,%2,%3")
                             .arg(TxProd[i])
                             .arg(i < TxCompare.size() ? TxCompare[i] : 0)
                             .arg(platform::singleText(i < TxPrice.size() ? TxPrice[i] : 0.0f)));
        }
        for (const QString& text : std::as_const(unreadableTx()))
            doc.setValue(section, QStringLiteral("tx%1").arg(++written), text);
        for (const QString& key : doc.keys(section)) {
            const auto m = slotKey.match(key);
            if (m.hasMatch() && m.captured(1).toInt() > written)
                doc.removeKey(section, key);
        }
        doc.setValue(section, QStringLiteral("tx"), QString::number(written));
    });
}

void LoadExt() {
    ExtCount = 0;
    for (qsizetype i = 0; i < ExtShow.size(); ++i) {
        const QString v = GetIni(QStringLiteral("ext%1").arg(i));
        const bool on = (i == 10 || i == 11) ? v != u"0" : v == u"1";
        if (on) {
            ExtShow[i] = true;
            ++ExtCount;
        }
    }
}

void CountExt() { ExtCount = static_cast<int16_t>(ExtShow.count(true)); }

void LoadHoldings() {
    if (HoldText.isEmpty())
        return;
    const bool anyRecord = HoldText.contains(u'|');
    QList<QStringList> records;
    if (anyRecord)
        for (const QString& r : HoldText.split(u'|'))
            if (r.contains(u','))
                records << r.split(u',');
    for (int i = 0; i < kMaxProducts; ++i) {
        const QString code = ProdCode[i].trimmed();
        const QStringList* first = nullptr;
        const QStringList* last = nullptr;
        if (!code.isEmpty())
            for (const QStringList& r : records)
                if (r[0] == code) {
                    if (first == nullptr)
                        first = &r;
                    last = &r;
                }
        if (first != nullptr && first->size() >= 5) {
            tryConvert(HoldUnits[i][0], (*first)[1], toSingle);
            tryConvert(HoldPrice[i][0], (*first)[2], toSingle);
            tryConvert(HoldUnits[i][1], (*first)[3], toSingle);
            tryConvert(HoldPrice[i][1], (*first)[4], toSingle);
        } else {
            HoldUnits[i] = {0, 0};
            HoldPrice[i][0] = HoldPrice[i][1] = 0;
        }
        if (last != nullptr && last->size() >= 8 && !(*last)[7].trimmed().isEmpty())
            tryConvert(HoldPrice[i][2], (*last)[7], [](const QString& t) {
                return static_cast<float>(platform::CDbl(t));
            });
        else
            HoldPrice[i][2] = 0;
    }
}
