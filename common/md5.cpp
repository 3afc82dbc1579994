#include "common/md5.h"

#include "platform/gbk.h"

#include <QCryptographicHash>

QString Md5Hex(const QString& Message, int16_t Length, bool Upper) {
    QString hex = QString::fromLatin1(
        QCryptographicHash::hash(platform::toGbk(Message), QCryptographicHash::Md5).toHex());
    if (Length != 32)
        hex = hex.mid(8, 16);
    return Upper ? hex.toUpper() : hex;
}
