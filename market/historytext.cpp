#include "market/historytext.h"

#include "common/tradingday.h"
#include "platform/vberror.h"
#include "platform/vbtext.h"

#include <QStringList>

DaySeries readDay(const QString& part) {
    const qsizetype cut = part.indexOf(u'_');
    if (cut < 0)
        platform::raiseTypeMismatch();
    return {platform::CDate(QStringView(part).left(cut)), part.mid(cut + 1)};
}

QString fillEmptyItems(QString text) {
    return text.replace(QStringLiteral(",,"), QStringLiteral(",0,"));
}

QString fillTenDayGaps(const QString& text) {
    const QString filled = fillEmptyItems(text);
    const qsizetype cut = filled.indexOf(u'_') + 1;
    return filled.left(cut) + FillZeros(filled.mid(cut), -1);
}

DailyLists foldDailyRows(const QStringList& rows) {
    DailyLists out;
    for (const QString& row : rows) {
        const QStringList f = row.split(u',');
        if (f.size() < 3)
            platform::raiseSubscript();
        const QString& close = platform::Val(f[2]) != 0 ? f[2] : f[1];
        out.closes = close + u',' + out.closes;
        out.dates = f[0] + u',' + out.dates;
    }
    return out;
}
