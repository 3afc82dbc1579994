#pragma once

#include "platform/colors.h"

#include <QFont>
#include <QVariant>

#include <cstdint>
#include <optional>

namespace platform {
class PropertyBag;
} // namespace platform

// The saved properties of the candlestick control and their conversions, without a widget: what a
// bag value reads as, and what a save stores. A value that cannot be read as its property (not a
// number, out of the type's range, an enumeration value the property refuses, a font no surface
// can use) reads as the property's default, so a damaged bag loads a working control.

inline constexpr platform::OleColor kKlineBackColor = 0x000000;
inline constexpr platform::OleColor kKlineForeColor = 0x80000012; // the system's button text
inline constexpr int16_t kBackStyleTransparent = 0;
inline constexpr int16_t kBackStyleOpaque = 1;
inline constexpr int16_t kBorderStyleNone = 0;
inline constexpr int16_t kBorderStyleFixedSingle = 1;
// Points a surface font may have: above 0, at most this.
inline constexpr double kKlineMaxFontPoints = 2160;

struct KlineProperties {
    platform::OleColor BackColor = kKlineBackColor;
    platform::OleColor ForeColor = kKlineForeColor;
    bool Enabled = true;
    QFont Font; // in the form klineFont gives
    int16_t BackStyle = kBackStyleOpaque;
    int16_t BorderStyle = kBorderStyleNone;
};

// A font as the control keeps it: face, size in points (a font given in pixels counts 96 pixels
// per 72 points), bold, italic, underline and strikethrough, nothing else. Two fonts equal in
// these compare equal, so a saved font equal to the container's is left out of the bag.
[[nodiscard]] QFont klineFont(const QFont& font);
// The same for a font given by its parts.
[[nodiscard]] QFont klineFont(const QString& face, double points, bool bold, bool italic = false,
                              bool underline = false, bool strikeOut = false);
// The size of a font in points, as klineFont counts it.
[[nodiscard]] double fontPoints(const QFont& font);

// A bag value as each property's type reads it; nullopt when it cannot.
[[nodiscard]] std::optional<platform::OleColor> storedColor(const QVariant& value);
[[nodiscard]] std::optional<bool> storedBool(const QVariant& value);
// BackStyle and BorderStyle: 0 or 1.
[[nodiscard]] std::optional<int16_t> storedStyle(const QVariant& value);
[[nodiscard]] std::optional<QFont> storedFont(const QVariant& value);

// Reads "BackColor", "ForeColor", "Enabled", "Font", "BackStyle" and "BorderStyle" in that order;
// a missing or unreadable value gives its default (the font: the container's, ambientFont).
[[nodiscard]] KlineProperties readKlineProperties(const platform::PropertyBag& bag,
                                                  const QFont& ambientFont);
// Writes the six keys in the same order; a value equal to its default is not stored.
void writeKlineProperties(const KlineProperties& properties, platform::PropertyBag& bag,
                          const QFont& ambientFont);
