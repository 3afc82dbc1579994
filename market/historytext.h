#pragma once

#include <QDateTime>
#include <QString>

// Pieces of the history answers, after the transport decoding.

// One day of an intraday answer: "date_price,price,...".
struct DaySeries {
    QDateTime date;
    QString list;
};
// Raises VbError 13 when the part has no "_" or its date does not convert.
[[nodiscard]] DaySeries readDay(const QString& part);

// Empty items read as "0": every ",," becomes ",0,", in one left-to-right pass, so ",,," becomes
// ",0,,".
[[nodiscard]] QString fillEmptyItems(QString text);

// The ten-day answer with its missing slots filled: an empty item reads as "0", and a "0" takes
// the number of the item before it, across the day boundaries too (the item "price|date_price"
// reads as the earlier day's last price). The first day's date stays out of the filling, so its
// second slot never takes the year for a price.
[[nodiscard]] QString fillTenDayGaps(const QString& text);

// The daily rows "date,price,close,..." (an optional leading "|" dropped), folded into comma
// lists of dates and closes, newest row last, each item followed by ","; a close of 0 takes the
// row's price. Raises VbError 9 for a row of fewer than three fields.
struct DailyLists {
    QString dates;
    QString closes;
};
[[nodiscard]] DailyLists foldDailyRows(const QStringList& rows);
