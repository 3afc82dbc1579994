#include "platform/propertybag.h"

#include <QDataStream>
#include <QIODevice>

namespace platform {

namespace {

constexpr quint32 kBagMagic = 0x42414731; // "BAG1"

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
        out << e.key << e.value;
    return bytes;
}

PropertyBag PropertyBag::fromBytes(const QByteArray& bytes) {
    QDataStream in(bytes);
    in.setVersion(QDataStream::Qt_6_4);
    quint32 magic = 0;
    qint32 count = 0;
    in >> magic >> count;
    if (in.status() != QDataStream::Ok || magic != kBagMagic || count < 0)
        return {};
    PropertyBag bag;
    for (qint32 i = 0; i < count; ++i) {
        QString key;
        QVariant value;
        in >> key >> value;
        if (in.status() != QDataStream::Ok)
            return {};
        bag.write(key, value);
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

} // namespace platform

