#include "platform/propertybag.h"

#include <gtest/gtest.h>

using platform::PropertyBag;

namespace {

TEST(PropertyBag, MissingKeysReadAsTheirDefault) {
    const PropertyBag bag;
    EXPECT_EQ(bag.read(QStringLiteral("Style"), 3).toInt(), 3);
    EXPECT_EQ(bag.read(QStringLiteral("Caption"), QStringLiteral("SkinButton")).toString(), QStringLiteral("SkinButton"));
    EXPECT_FALSE(bag.read(QStringLiteral("Icon")).isValid());
}

TEST(PropertyBag, KeysMatchWithoutLetterCase) {
    PropertyBag bag;
    bag.write(QStringLiteral("usecustomcolors"), true, false);
    EXPECT_TRUE(bag.read(QStringLiteral("USeCustomColors"), false).toBool());
    bag.write(QStringLiteral("UseCustomColors"), 1);
    EXPECT_EQ(bag.keys(), QStringList{QStringLiteral("usecustomcolors")}); // one entry, first spelling
    EXPECT_EQ(bag.read(QStringLiteral("USECUSTOMCOLORS")).toInt(), 1);
}

TEST(PropertyBag, ValuesEqualToTheirDefaultAreNotStored) {
    PropertyBag bag;
    bag.write(QStringLiteral("Style"), 3, 3);
    bag.write(QStringLiteral("Enabled"), true, true);
    bag.write(QStringLiteral("MaskColor"), 0xC0C0C0u, 0xC0C0C0);  // numbers compare by value across types
    bag.write(QStringLiteral("Caption"), QString(), QString());
    EXPECT_TRUE(bag.isEmpty());

    bag.write(QStringLiteral("Style"), 8, 3);
    bag.write(QStringLiteral("Caption"), QString(), QStringLiteral("SkinButton"));
    EXPECT_EQ(bag.read(QStringLiteral("Style"), 3).toInt(), 8);
    EXPECT_TRUE(bag.contains(QStringLiteral("Caption")));
    EXPECT_EQ(bag.read(QStringLiteral("Caption"), QStringLiteral("SkinButton")).toString(), QString());

    // Writing the default again drops the stored value rather than leaving a stale one.
    bag.write(QStringLiteral("style"), 3, 3);
    EXPECT_FALSE(bag.contains(QStringLiteral("Style")));
}

TEST(PropertyBag, AnUntypedWriteAlwaysStores) {
    PropertyBag bag;
    bag.write(QStringLiteral("ToolTipType"), 1);
    EXPECT_TRUE(bag.contains(QStringLiteral("tooltiptype")));
}

PropertyBag sampleBag() {
    PropertyBag bag;
    bag.write(QStringLiteral("Style"), 8);
    bag.write(QStringLiteral("Caption"), QStringLiteral("登录"));
    bag.write(QStringLiteral("Enabled"), false);
    bag.write(QStringLiteral("BackColor"), 0x80000000u | 15u);
    bag.write(QStringLiteral("Tooltiptitle"), QString());
    return bag;
}

TEST(PropertyBag, RoundTripsThroughAMapAndThroughBytes) {
    const PropertyBag bag = sampleBag();

    const PropertyBag viaMap = PropertyBag::fromVariantMap(bag.toVariantMap());
    EXPECT_EQ(viaMap, bag);

    const PropertyBag viaBytes = PropertyBag::fromBytes(bag.toBytes());
    EXPECT_EQ(viaBytes, bag);
    EXPECT_EQ(viaBytes.keys(), bag.keys());
    EXPECT_EQ(viaBytes.read(QStringLiteral("caption")).toString(), QStringLiteral("登录"));
    EXPECT_EQ(viaBytes.read(QStringLiteral("BackColor")).toUInt(), 0x8000000Fu);
    EXPECT_FALSE(viaBytes.read(QStringLiteral("Enabled"), true).toBool());
}

TEST(PropertyBag, BytesThatAreNoBagGiveAnEmptyBag) {
    EXPECT_TRUE(PropertyBag::fromBytes(QByteArray()).isEmpty());
    EXPECT_TRUE(PropertyBag::fromBytes(QByteArrayLiteral("not a bag at all")).isEmpty());
    const QByteArray bytes = sampleBag().toBytes();
    EXPECT_TRUE(PropertyBag::fromBytes(bytes.left(bytes.size() - 3)).isEmpty());
}

TEST(PropertyBag, BagsDifferingInOneValueAreNotEqual) {
    PropertyBag other = sampleBag();
    other.write(QStringLiteral("STYLE"), 9);
    EXPECT_FALSE(other == sampleBag());
}

} // namespace
