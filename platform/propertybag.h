#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <optional>

// The saved properties of one control, as its host form stores them: key and value pairs whose
// keys match without regard to letter case. A control writes a value only when it differs from
// the value's default, and reads a missing key as the default it names, so a bag holds only what
// was changed from the defaults. Plain data: hosts and tests keep it as a QVariantMap or as bytes.
namespace platform {

class PropertyBag {
public:
    PropertyBag() = default;

    // The stored value of the key, else the default.
    [[nodiscard]] QVariant read(const QString& key, const QVariant& defaultValue = {}) const;

    // Stores the value, or removes the key when the value equals the default.
    void write(const QString& key, const QVariant& value, const QVariant& defaultValue);
    // Stores the value whatever it is.
    void write(const QString& key, const QVariant& value);

    [[nodiscard]] bool contains(const QString& key) const;
    [[nodiscard]] QStringList keys() const; // as first written, in writing order
    [[nodiscard]] bool isEmpty() const { return m_entries.isEmpty(); }
    void clear() { m_entries.clear(); }

    [[nodiscard]] QVariantMap toVariantMap() const;
    [[nodiscard]] static PropertyBag fromVariantMap(const QVariantMap& map);

    // A byte form of the bag that keeps the value types controls store (numbers, texts, bytes,
    // fonts, pictures, colours, sizes, dates); fromBytes gives an empty bag for bytes that are not
    // such a form, hold another type, or count more entries than they can hold.
    [[nodiscard]] QByteArray toBytes() const;
    [[nodiscard]] static PropertyBag fromBytes(const QByteArray& bytes);
    // The same, telling bytes that are no such form (none) from the form of an empty bag.
    [[nodiscard]] static std::optional<PropertyBag> parseBytes(const QByteArray& bytes);

    friend bool operator==(const PropertyBag& a, const PropertyBag& b);

private:
    struct Entry {
        QString key;
        QVariant value;
    };
    [[nodiscard]] qsizetype indexOf(const QString& key) const;

    QList<Entry> m_entries;
};

// Whether two property values count as the same for "write only when changed": numbers compare
// by value whatever their type, everything else through QVariant.
[[nodiscard]] bool samePropertyValue(const QVariant& a, const QVariant& b);

// The point size a font keeps through the byte form (its description text holds six significant
// digits), so a control that keeps its font at this size reads back what it saved.
[[nodiscard]] double storablePointSize(double points);

// A value of one of the number types (the flag included), as against text or bytes.
[[nodiscard]] bool isNumberVariant(const QVariant& v);

} // namespace platform
