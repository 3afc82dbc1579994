// The candlestick control's saved properties as plain conversions: what each bag value reads as,
// what a save stores, a round trip through the bag's bytes, and bags that were damaged.
#include "charts/klineproperties.h"

#include "platform/propertybag.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using platform::PropertyBag;

namespace {

QFont song9() { return klineFont(QStringLiteral("宋体"), 9, false); }

QFont pixelFont(const QString& face, int pixels) {
    QFont f(face);
    f.setPixelSize(pixels);
    return f;
}

} // namespace

TEST(KlinePropertiesTest, StoredValuesReadAsTheirTypes) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct ColourCase {
        const char* what;
        QVariant value;
        std::optional<platform::OleColor> colour;
    } colours[] = {
        {"int", 255, 255u},
        {"unsigned system colour", qlonglong(0x80000012), 0x80000012u},
        {"signed system colour", int(-2147483630), 0x80000012u},
        {"numeric text", QStringLiteral(" 65280 "), 0xFF00u},
        {"hex text", QStringLiteral("&HFF0000"), 0xFF0000u},
        {"half rounds to even", 254.5, 254u},
        {"highest", qlonglong(0xFFFFFFFF), 0xFFFFFFFFu},
        {"above 32 bits", qlonglong(0x100000000), std::nullopt},
        {"below 32 bits", qlonglong(-2147483649LL), std::nullopt},
        {"word", QStringLiteral("red"), std::nullopt},
        {"empty text", QString(), std::nullopt},
        {"not a number", nan, std::nullopt},
        {"font", QVariant(song9()), std::nullopt},
        {"nothing", QVariant(), std::nullopt},
    };
    for (const ColourCase& c : colours)
        EXPECT_EQ(storedColor(c.value), c.colour) << c.what;

    struct BoolCase {
        QVariant value;
        std::optional<bool> flag;
    } flags[] = {
        {true, true}, {false, false}, {-1, true}, {0, false}, {2.5, true},
        {QStringLiteral("True"), true}, {QStringLiteral("false"), false}, {QStringLiteral("0"), false},
        {QStringLiteral("yes"), std::nullopt}, {QVariant(), std::nullopt}, {QByteArray("1"), std::nullopt},
    };
    for (const BoolCase& c : flags)
        EXPECT_EQ(storedBool(c.value), c.flag) << c.value.toString().toStdString();

    struct StyleCase {
        QVariant value;
        std::optional<int16_t> style;
    } styles[] = {
        {0, 0}, {1, 1}, {QStringLiteral("1"), 1}, {0.5, 0}, {1.5, std::nullopt}, {2, std::nullopt},
        {-1, std::nullopt}, {true, std::nullopt}, {QStringLiteral("opaque"), std::nullopt},
    };
    for (const StyleCase& c : styles)
        EXPECT_EQ(storedStyle(c.value), c.style) << c.value.toString().toStdString();
}

TEST(KlinePropertiesTest, FontsCompareByWhatTheControlKeeps) {
    // 12 pixels is 9 points: the container's pixel font is the same font as the point one.
    EXPECT_EQ(klineFont(pixelFont(QStringLiteral("宋体"), 12)), song9());
    EXPECT_NE(klineFont(pixelFont(QStringLiteral("宋体"), 16)), song9());
    QFont italic = song9();
    italic.setItalic(true);
    EXPECT_NE(klineFont(italic), song9());

    EXPECT_EQ(storedFont(QVariant(pixelFont(QStringLiteral("黑体"), 16))),
              klineFont(QStringLiteral("黑体"), 12, false));
    EXPECT_EQ(storedFont(QVariant(klineFont(QString(), 9, false))), std::nullopt);
    EXPECT_EQ(storedFont(QVariant(klineFont(QStringLiteral("宋体"), 2161, false))), std::nullopt);
    EXPECT_EQ(storedFont(QVariant(QStringLiteral("宋体"))), std::nullopt);
    EXPECT_EQ(storedFont(QVariant(klineFont(QStringLiteral("宋体"), 2160, true))),
              klineFont(QStringLiteral("宋体"), 2160, true));
}

TEST(KlinePropertiesTest, DefaultsAreNotStoredAndAnEmptyBagReadsThem) {
    PropertyBag bag;
    const KlineProperties defaults = readKlineProperties(bag, song9());
    EXPECT_EQ(defaults.BackColor, 0u);
    EXPECT_EQ(defaults.ForeColor, 0x80000012u);
    EXPECT_TRUE(defaults.Enabled);
    EXPECT_EQ(defaults.Font, song9());
    EXPECT_EQ(defaults.BackStyle, 1);
    EXPECT_EQ(defaults.BorderStyle, 0);
    writeKlineProperties(defaults, bag, pixelFont(QStringLiteral("宋体"), 12));
    EXPECT_TRUE(bag.isEmpty()) << bag.keys().join(u',').toStdString();

    // A stored key that is back at its default is taken out again.
    bag.write(QStringLiteral("backcolor"), 255);
    writeKlineProperties(defaults, bag, song9());
    EXPECT_TRUE(bag.isEmpty());
}

TEST(KlinePropertiesTest, ChangedPropertiesSurviveTheBagsBytesInOrder) {
    KlineProperties p;
    p.BackColor = 0x402000;
    p.ForeColor = 0xFF;
    p.Enabled = false;
    p.Font = klineFont(QStringLiteral("黑体"), 10.5, true, true, true, false);
    p.BackStyle = 0;
    p.BorderStyle = 1;
    PropertyBag bag;
    writeKlineProperties(p, bag, song9());
    EXPECT_EQ(bag.keys(), QStringList({QStringLiteral("BackColor"), QStringLiteral("ForeColor"),
                                       QStringLiteral("Enabled"), QStringLiteral("Font"),
                                       QStringLiteral("BackStyle"), QStringLiteral("BorderStyle")}));
    const PropertyBag loaded = PropertyBag::fromBytes(bag.toBytes());
    // Another container font does not change a font that was saved.
    const KlineProperties back = readKlineProperties(loaded, pixelFont(QStringLiteral("宋体"), 16));
    EXPECT_EQ(back.BackColor, p.BackColor);
    EXPECT_EQ(back.ForeColor, p.ForeColor);
    EXPECT_EQ(back.Enabled, p.Enabled);
    EXPECT_EQ(back.Font, p.Font);
    EXPECT_EQ(back.BackStyle, p.BackStyle);
    EXPECT_EQ(back.BorderStyle, p.BorderStyle);
}

TEST(KlinePropertiesTest, AFontSizeComesBackAsTheControlKeptIt) {
    // The byte form keeps six significant digits of a size; the control keeps no more, so what it
    // saved compares equal to what it reads back.
    for (const double points : {10.1234567, 9.0, 13.0 / 3.0, 2159.99999, 0.1234567}) {
        SCOPED_TRACE(points);
        KlineProperties p;
        p.Font = klineFont(QStringLiteral("黑体"), points, false);
        PropertyBag bag;
        writeKlineProperties(p, bag, song9());
        const QByteArray saved = bag.toBytes();
        const KlineProperties back = readKlineProperties(PropertyBag::fromBytes(saved), song9());
        EXPECT_EQ(back.Font, p.Font);
        PropertyBag again;
        writeKlineProperties(back, again, song9());
        EXPECT_EQ(again.toBytes(), saved);
    }
    // A stored size with more digits than the form holds reads as the control keeps it.
    QFont seven(QStringLiteral("黑体"));
    seven.setPointSizeF(10.1234567);
    EXPECT_EQ(storedFont(QVariant(seven)), klineFont(QStringLiteral("黑体"), 10.1235, false));
}

TEST(KlinePropertiesTest, ADamagedBagKeepsTheDefaultsOfWhatItCannotRead) {
    // Each bag spoils some keys and keeps a good value in the others.
    struct Case {
        const char* what;
        QVariantMap bag;
        KlineProperties expected;
    };
    const auto props = [](platform::OleColor back, platform::OleColor fore, bool enabled,
                          const QFont& font, int16_t backStyle, int16_t borderStyle) {
        KlineProperties p;
        p.BackColor = back;
        p.ForeColor = fore;
        p.Enabled = enabled;
        p.Font = font;
        p.BackStyle = backStyle;
        p.BorderStyle = borderStyle;
        return p;
    };
    const QFont hei = klineFont(QStringLiteral("黑体"), 12, false);
    const Case cases[] = {
        {"texts in number keys",
         {{QStringLiteral("BackColor"), QStringLiteral("black")},
          {QStringLiteral("ForeColor"), 0xFF},
          {QStringLiteral("Enabled"), QStringLiteral("maybe")},
          {QStringLiteral("Font"), QVariant(hei)},
          {QStringLiteral("BackStyle"), QStringLiteral("x")},
          {QStringLiteral("BorderStyle"), 1}},
         props(0, 0xFF, true, hei, 1, 1)},
        {"out of range",
         {{QStringLiteral("BackColor"), 1e20},
          {QStringLiteral("ForeColor"), -1e10},
          {QStringLiteral("Enabled"), false},
          {QStringLiteral("Font"), QVariant(klineFont(QStringLiteral("黑体"), 5000, false))},
          {QStringLiteral("BackStyle"), 0},
          {QStringLiteral("BorderStyle"), 7}},
         props(0, 0x80000012, false, song9(), 0, 0)},
        {"wrong kinds",
         {{QStringLiteral("BackColor"), QVariant(hei)},
          {QStringLiteral("ForeColor"), QByteArray("\xff\x00", 2)},
          {QStringLiteral("Enabled"), QVariant(hei)},
          {QStringLiteral("Font"), 9},
          {QStringLiteral("BackStyle"), QVariant(QStringList{QStringLiteral("1")})},
          {QStringLiteral("BorderStyle"), QVariant()}},
         props(0, 0x80000012, true, song9(), 1, 0)},
        {"keys in other letter cases",
         {{QStringLiteral("BACKCOLOR"), 0xC0C0C0}, {QStringLiteral("borderstyle"), 1}},
         props(0xC0C0C0, 0x80000012, true, song9(), 1, 1)},
    };
    for (const Case& c : cases) {
        const KlineProperties p =
            readKlineProperties(PropertyBag::fromVariantMap(c.bag), song9());
        EXPECT_EQ(p.BackColor, c.expected.BackColor) << c.what;
        EXPECT_EQ(p.ForeColor, c.expected.ForeColor) << c.what;
        EXPECT_EQ(p.Enabled, c.expected.Enabled) << c.what;
        EXPECT_EQ(p.Font, c.expected.Font) << c.what;
        EXPECT_EQ(p.BackStyle, c.expected.BackStyle) << c.what;
        EXPECT_EQ(p.BorderStyle, c.expected.BorderStyle) << c.what;
    }

    // Bytes that are no bag, or a bag cut short, load as all defaults.
    KlineProperties changed;
    changed.BackColor = 0xFF;
    changed.BorderStyle = 1;
    PropertyBag bag;
    writeKlineProperties(changed, bag, song9());
    const QByteArray bytes = bag.toBytes();
    for (const QByteArray& damaged :
         {bytes.left(bytes.size() - 3), QByteArray("BAG1garbage"), QByteArray()}) {
        const KlineProperties p = readKlineProperties(PropertyBag::fromBytes(damaged), song9());
        EXPECT_EQ(p.BackColor, 0u);
        EXPECT_EQ(p.BorderStyle, 0);
    }
}
