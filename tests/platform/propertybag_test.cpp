#include "platform/propertybag.h"

#include <QDataStream>
#include <QDateTime>
#include <QFont>
#include <QIODevice>

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

// Counts in the byte form come from a file a user can replace: none may make the reader allocate
// beyond what the bytes hold, and a list type (whose reader reserves room for its count) is refused.
TEST(PropertyBag, CountsBeyondTheBytesPresentGiveAnEmptyBag) {
    struct Case {
        const char* name;
        QByteArray bytes;
    };
    const auto bagHead = [](qint32 count) {
        QByteArray b;
        QDataStream out(&b, QIODevice::WriteOnly);
        out << quint32(0x42414731) << count;
        return b;
    };
    QByteArray listValue = bagHead(1);
    {
        QDataStream out(&listValue, QIODevice::Append);
        out << QString() << quint32(QMetaType::QStringList) << quint8(0) << quint32(0x7fffffff);
    }
    // Qt's stream form of a font carries a list of families, whose reader reserves room for its
    // count before reading any; a bag keeps fonts as text, so a font in that form is no bag.
    QByteArray qtFont = bagHead(1);
    {
        QDataStream out(&qtFont, QIODevice::Append);
        out.setVersion(QDataStream::Qt_6_4);
        out << QString() << QVariant(QFont(QStringLiteral("宋体"), 9));
    }
    // A date-time in a time zone no machine knows reads as a moment but writes as no date.
    QByteArray unknownZone = bagHead(1);
    {
        QDataStream out(&unknownZone, QIODevice::Append);
        out.setVersion(QDataStream::Qt_6_4);
        out << QString() << quint32(QMetaType::QDateTime) << quint8(0) << QDate(2026, 12, 10) << QTime(9, 30)
            << qint8(Qt::TimeZone) << QStringLiteral("No/Such_Zone");
    }
    const Case cases[] = {
        {"font in the toolkit's stream form", qtFont},
        {"date-time in an unknown time zone", unknownZone},
        // 65,535 entries, the first an empty key and a byte-array list counting 825 million items.
        {"byte-array list", QByteArray::fromHex("42414731" "0000ffff" "00000000" "00000031" "00" "31310031")},
        {"text list counting 2^31", listValue},
        {"count beyond the bytes", bagHead(0x7fffffff) + QByteArray(64, '\0')},
        {"negative count", bagHead(-1)},
    };
    for (const Case& c : cases)
        EXPECT_TRUE(PropertyBag::fromBytes(c.bytes).isEmpty()) << c.name;

    // The same head with a count the bytes can hold still reads.
    PropertyBag two;
    two.write(QStringLiteral("A"), 1);
    two.write(QStringLiteral("B"), QByteArray(100, 'x'));
    two.write(QStringLiteral("C"), QVariant());
    QFont font(QStringLiteral("宋体"), 12);
    font.setBold(true);
    two.write(QStringLiteral("Font"), font);
    const QDateTime when(QDate(2026, 12, 10), QTime(9, 30), Qt::UTC);
    two.write(QStringLiteral("When"), when);
    const PropertyBag back = PropertyBag::fromBytes(two.toBytes());
    EXPECT_EQ(back.keys(), two.keys());
    EXPECT_EQ(back.read(QStringLiteral("Font")).value<QFont>(), font);
    EXPECT_EQ(back.read(QStringLiteral("Font")).typeId(), QMetaType::QFont);
    EXPECT_EQ(back.read(QStringLiteral("When")).toDateTime(), when);
}

TEST(PropertyBag, BagsDifferingInOneValueAreNotEqual) {
    PropertyBag other = sampleBag();
    other.write(QStringLiteral("STYLE"), 9);
    EXPECT_FALSE(other == sampleBag());
}

} // namespace
