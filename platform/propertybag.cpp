#include "platform/propertybag.h"

#include <QDataStream>
#include <QDateTime>
#include <QFont>
#include <QTimeZone>
#include <QIODevice>
#include <QtEndian>

#include <optional>

namespace platform {

namespace {

constexpr quint32 kBagMagic = 0x42414731; // "BAG1"

// Qt's own stream form of a font holds a list whose reader reserves room for the count it reads,
// so a font is kept as its description text behind this mark (a private-use character no
// caption starts with).
const QString kFontMark = QStringLiteral(u"\uF8FFfont:");

QVariant storedForm(const QVariant& value) {
    if (value.typeId() == QMetaType::QFont)
        return kFontMark + value.value<QFont>().toString();
    return value;
}

QVariant readForm(QVariant value) {
    if (value.typeId() == QMetaType::QString) {
        const QString text = value.toString();
        if (text.startsWith(kFontMark)) {
            QFont font;
            if (font.fromString(text.mid(kFontMark.size())))
                return font;
        }
    }
    return value;
}

// The least an entry takes in the byte form: an empty key (4) and a null value's type and flag (5).
constexpr qsizetype kMinEntryBytes = 9;

// Value types a bag may hold in its byte form. Their stream readers take sizes in steps bounded by
// the bytes present; list and map types reserve room for a count read from the input before any
// element is there, so they (and types this program never stores) make the bytes no bag.
bool storableType(quint32 typeId) {
    switch (typeId) {
    case QMetaType::UnknownType: // a value written as nothing
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::QChar:
    case QMetaType::QString:
    case QMetaType::QByteArray:
    case QMetaType::QColor:
    case QMetaType::QImage:
    case QMetaType::QPixmap:
    case QMetaType::QSize:
    case QMetaType::QPoint:
    case QMetaType::QRect:
    case QMetaType::QDate:
    case QMetaType::QTime:
    case QMetaType::QDateTime:
        return true;
    default:
        return false;
    }
}

// A value the bag can write again as it was read. A date-time in a time zone this machine does
// not know reads as a valid moment, but is written with no zone and reads back as no date: such
// bytes are no bag the program wrote (its dates carry no zone).
bool rewritable(const QVariant& value) {
    if (value.typeId() != QMetaType::QDateTime)
        return true;
    const QDateTime d = value.toDateTime();
    return d.timeSpec() != Qt::TimeZone || d.timeZone().isValid();
}

// The type of the value the stream is about to read, without reading it.
std::optional<quint32> nextValueType(QDataStream& in) {
    const QByteArray head = in.device()->peek(4);
    if (head.size() < 4)
        return std::nullopt;
    return qFromBigEndian<quint32>(head.constData());
}

} // namespace

bool isNumberVariant(const QVariant& v) {
    switch (v.typeId()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Double:
    case QMetaType::Float:
        return true;
    default:
        return false;
    }
}

bool samePropertyValue(const QVariant& a, const QVariant& b) {
    if (isNumberVariant(a) && isNumberVariant(b))
        return a.toDouble() == b.toDouble();
    if (a.typeId() != b.typeId())
        return false;
    return a == b;
}

qsizetype PropertyBag::indexOf(const QString& key) const {
    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i].key.compare(key, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QVariant PropertyBag::read(const QString& key, const QVariant& defaultValue) const {
    const qsizetype i = indexOf(key);
    return i < 0 ? defaultValue : m_entries[i].value;
}

void PropertyBag::write(const QString& key, const QVariant& value, const QVariant& defaultValue) {
    if (samePropertyValue(value, defaultValue)) {
        if (const qsizetype i = indexOf(key); i >= 0)
            m_entries.removeAt(i);
        return;
    }
    write(key, value);
}

void PropertyBag::write(const QString& key, const QVariant& value) {
    if (const qsizetype i = indexOf(key); i >= 0)
        m_entries[i].value = value;
    else
        m_entries.append({key, value});
}

bool PropertyBag::contains(const QString& key) const { return indexOf(key) >= 0; }

QStringList PropertyBag::keys() const {
    QStringList out;
    for (const Entry& e : m_entries)
        out << e.key;
    return out;
}

QVariantMap PropertyBag::toVariantMap() const {
    QVariantMap map;
    for (const Entry& e : m_entries)
        map.insert(e.key, e.value);
    return map;
}

PropertyBag PropertyBag::fromVariantMap(const QVariantMap& map) {
    PropertyBag bag;
    for (auto it = map.cbegin(); it != map.cend(); ++it)
        bag.write(it.key(), it.value());
    return bag;
}

QByteArray PropertyBag::toBytes() const {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_4);
    out << kBagMagic << static_cast<qint32>(m_entries.size());
    for (const Entry& e : m_entries)
        out << e.key << storedForm(e.value);
    return bytes;
}

PropertyBag PropertyBag::fromBytes(const QByteArray& bytes) {
    return parseBytes(bytes).value_or(PropertyBag());
}

std::optional<PropertyBag> PropertyBag::parseBytes(const QByteArray& bytes) {
    QDataStream in(bytes);
    in.setVersion(QDataStream::Qt_6_4);
    quint32 magic = 0;
    qint32 count = 0;
    in >> magic >> count;
    if (in.status() != QDataStream::Ok || magic != kBagMagic || count < 0)
        return std::nullopt;
    // A count the remaining bytes cannot hold is no bag.
    if (count > (bytes.size() - in.device()->pos()) / kMinEntryBytes)
        return std::nullopt;
    PropertyBag bag;
    for (qint32 i = 0; i < count; ++i) {
        QString key;
        QVariant value;
        in >> key;
        const std::optional<quint32> type = in.status() == QDataStream::Ok ? nextValueType(in) : std::nullopt;
        if (!type || !storableType(*type))
            return std::nullopt;
        in >> value;
        if (in.status() != QDataStream::Ok || !rewritable(value))
            return std::nullopt;
        bag.write(key, readForm(value));
    }
    return bag;
}

bool operator==(const PropertyBag& a, const PropertyBag& b) {
    if (a.m_entries.size() != b.m_entries.size())
        return false;
    for (const PropertyBag::Entry& e : a.m_entries) {
        const qsizetype i = b.indexOf(e.key);
        if (i < 0 || !samePropertyValue(e.value, b.m_entries[i].value))
            return false;
    }
    return true;
}

double storablePointSize(double points) {
    // QFont's description text writes the size as QString::number does.
    return QString::number(points).toDouble();
}

} // namespace platform

