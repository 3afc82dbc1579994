// The member's stored alerts in set.ini: whatever the file holds, one save and load settle the
// list, and saving it again writes the same file.
#include "tests/fuzz/fuzztarget.h"

#include "common/settings.h"
#include "common/storedlists.h"
#include "platform/vbtext.h"
#include "state/session.h"
#include "state/storedlists.h"

#include <QDateTime>
#include <QFile>

namespace {

struct LiveAlert {
    int16_t prod;
    int16_t compare;
    QString price; // as the file holds it
    bool operator==(const LiveAlert&) const = default;
};

QList<LiveAlert> liveAlerts() {
    QList<LiveAlert> alerts;
    for (int i = 1; i <= TxCount; ++i)
        if (TxProd[i] != -1)
            alerts.append({TxProd[i], TxCompare[i], platform::singleText(TxPrice[i])});
    return alerts;
}

void checkShape() {
    fuzz::check(TxCount >= 0 && TxCount <= kMaxStoredAlerts, "the alert count stays within the list");
    fuzz::check(TxProd.size() == TxCount + 1 && TxCompare.size() == TxCount + 1 && TxPrice.size() == TxCount + 1,
                "the lists hold one slot per alert");
}

QByteArray fileBytes() {
    QFile f(settingsFilePath());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

BRELTO_FUZZ_TARGET(alerts) {
    fuzz::setUpEnvironment();
    static int run = 0;
    {
        QFile f(settingsFilePath());
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return;
        f.write(data.data(), data.size());
        // A file time of its own per run, so no cached reading of an earlier file is used.
        f.setFileTime(QDateTime::currentDateTimeUtc().addSecs(-3600).addMSecs(++run % 1000000),
                      QFileDevice::FileModificationTime);
    }
    IsVip = true;
    LoadTx();
    checkShape();
    const QList<LiveAlert> loaded = liveAlerts();

    SaveTx();
    const QByteArray saved = fileBytes();
    LoadTx();
    checkShape();
    const QList<LiveAlert> reloaded = liveAlerts();
    fuzz::check(reloaded == loaded, "the saved alerts read back as they were, in their order");
    fuzz::check(TxCount == reloaded.size(), "a saved list has no gaps");

    SaveTx();
    fuzz::check(fileBytes() == saved, "saving the list again writes the same file");
    IsVip = false;
}
