#include "charts/klineproperties.h"

#include "platform/propertybag.h"
#include "platform/vbtext.h"

#include <cmath>
#include <limits>

namespace {

// A stored number: a number value, or a text that is wholly a number (as the bag's reader
// converts texts); nullopt for anything else, NaN and infinities included.
std::optional<double> storedNumber(const QVariant& value) {
    if (platform::isNumberVariant(value)) {
        // The flag reads as the classic True, -1.
        const double d = value.typeId() == QMetaType::Bool ? (value.toBool() ? -1.0 : 0.0)
                                                          : value.toDouble();
        return std::isfinite(d) ? std::optional<double>(d) : std::nullopt;
    }
    if (value.typeId() != QMetaType::QString)
        return std::nullopt;
    const QString text = value.toString();
    if (!platform::IsNumeric(text))
        return std::nullopt;
    try {
        const double d = platform::CDbl(text);
        return std::isfinite(d) ? std::optional<double>(d) : std::nullopt;
    } catch (...) {
        return std::nullopt;
    }
}

// Halves to even, within [low, high]; nullopt outside.
std::optional<long long> storedInteger(const QVariant& value, double low, double high) {
    const std::optional<double> d = storedNumber(value);
    if (!d)
        return std::nullopt;
    const double r = platform::Round(*d);
    if (r < low || r > high)
        return std::nullopt;
    return static_cast<long long>(r);
}

} // namespace

double fontPoints(const QFont& font) {
    if (font.pointSizeF() > 0)
        return font.pointSizeF();
    return font.pixelSize() > 0 ? font.pixelSize() * 72.0 / 96.0 : 0;
}

QFont klineFont(const QString& face, double points, bool bold, bool italic, bool underline,
                bool strikeOut) {
    QFont f;
    f.setFamily(face);
    if (points > 0)
        f.setPointSizeF(platform::storablePointSize(points));
    f.setBold(bold);
    f.setItalic(italic);
    f.setUnderline(underline);
    f.setStrikeOut(strikeOut);
    return f;
}

QFont klineFont(const QFont& font) {
    return klineFont(font.family(), fontPoints(font), font.bold(), font.italic(),
                     font.underline(), font.strikeOut());
}

std::optional<platform::OleColor> storedColor(const QVariant& value) {
    // A colour is a 32-bit value; saved as signed (system colours negative) or unsigned.
    const std::optional<long long> n = storedInteger(
        value, std::numeric_limits<int32_t>::min(), std::numeric_limits<uint32_t>::max());
    if (!n)
        return std::nullopt;
    return static_cast<platform::OleColor>(static_cast<uint32_t>(*n));
}

std::optional<bool> storedBool(const QVariant& value) {
    if (value.typeId() == QMetaType::QString) {
        const QString text = value.toString().trimmed();
        if (text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
            return true;
        if (text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
            return false;
    }
    const std::optional<double> d = storedNumber(value);
    if (!d)
        return std::nullopt;
    return *d != 0;
}

std::optional<int16_t> storedStyle(const QVariant& value) {
    const std::optional<long long> n = storedInteger(value, 0, 1);
    if (!n)
        return std::nullopt;
    return static_cast<int16_t>(*n);
}

std::optional<QFont> storedFont(const QVariant& value) {
    if (value.typeId() != QMetaType::QFont)
        return std::nullopt;
    const QFont font = value.value<QFont>();
    const double points = fontPoints(font);
    if (font.family().trimmed().isEmpty() || !(points > 0 && points <= kKlineMaxFontPoints))
        return std::nullopt;
    return klineFont(font);
}

KlineProperties readKlineProperties(const platform::PropertyBag& bag, const QFont& ambientFont) {
    KlineProperties p;
    p.Font = klineFont(ambientFont);
    const auto read = [&bag](const char* key) { return bag.read(QLatin1String(key)); };
    p.BackColor = storedColor(read("BackColor")).value_or(kKlineBackColor);
    p.ForeColor = storedColor(read("ForeColor")).value_or(kKlineForeColor);
    p.Enabled = storedBool(read("Enabled")).value_or(true);
    p.Font = storedFont(read("Font")).value_or(p.Font);
    p.BackStyle = storedStyle(read("BackStyle")).value_or(kBackStyleOpaque);
    p.BorderStyle = storedStyle(read("BorderStyle")).value_or(kBorderStyleNone);
    return p;
}

void writeKlineProperties(const KlineProperties& p, platform::PropertyBag& bag,
                          const QFont& ambientFont) {
    const auto colour = [](platform::OleColor c) { return QVariant(static_cast<qlonglong>(c)); };
    bag.write(QStringLiteral("BackColor"), colour(p.BackColor), colour(kKlineBackColor));
    bag.write(QStringLiteral("ForeColor"), colour(p.ForeColor), colour(kKlineForeColor));
    bag.write(QStringLiteral("Enabled"), p.Enabled, true);
    bag.write(QStringLiteral("Font"), klineFont(p.Font), klineFont(ambientFont));
    bag.write(QStringLiteral("BackStyle"), p.BackStyle, kBackStyleOpaque);
    bag.write(QStringLiteral("BorderStyle"), p.BorderStyle, kBorderStyleNone);
}
