#include "widgets/imagelist/keyimagelist.h"

#include "platform/gbk.h"
#include "platform/propertybag.h"
#include "platform/vberror.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <functional>
#include <random>

namespace {

const QRgb kColours[] = {qRgb(200, 0, 0),   qRgb(0, 200, 0),   qRgb(0, 0, 200),
                         qRgb(200, 200, 0), qRgb(0, 200, 200), qRgb(200, 0, 200),
                         qRgb(90, 90, 90),  qRgb(250, 150, 50)};

QImage solid(QRgb colour, int w = 16, int h = 16) {
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(colour);
    return image;
}

QString errorSource() {
    return QFileInfo(QCoreApplication::applicationFilePath()).fileName() +
           QStringLiteral(".KeyImageList");
}

// Runs the call and checks it raised error 9 from the image list.
void expectError9(const std::function<void()>& call, const char* what) {
    try {
        call();
        ADD_FAILURE() << what << ": no error";
    } catch (const platform::VbError& e) {
        EXPECT_EQ(e.number, 9) << what;
        EXPECT_EQ(e.source, errorSource()) << what;
    }
}

int errorNumber(const std::function<void()>& call) {
    try {
        call();
    } catch (const platform::VbError& e) {
        EXPECT_EQ(e.source, errorSource());
        return e.number;
    }
    return 0;
}

// A list of five solid images keyed k1 .. k5.
class FiveImages : public ::testing::Test {
protected:
    void SetUp() override { refill(); }
    void refill() {
        list.Clear();
        for (int i = 0; i < 5; ++i)
            ASSERT_TRUE(list.AddFromHandle(solid(kColours[i]), KeyImageList::TypeIcon,
                                           QStringLiteral("k%1").arg(i + 1)));
    }
    // Which of the colours image position (zero-based) shows: 0-based index into kColours.
    int colourAt(int position) const {
        const QRgb px = list.hIml()->colourBitmap(position).pixel(8, 8) | 0xFF000000u;
        for (int i = 0; i < 8; ++i)
            if ((kColours[i] | 0xFF000000u) == px) return i;
        return -1;
    }
    std::vector<int> colours() const {
        std::vector<int> out;
        for (int i = 0; i < list.ImageCount(); ++i)
            out.push_back(colourAt(i));
        return out;
    }
    QStringList keys() const {
        QStringList out;
        for (int i = 1; i <= list.ImageCount(); ++i)
            out << list.ItemKey(i);
        return out;
    }
    KeyImageList list;
};

} // namespace

TEST_F(FiveImages, ItemIndexByPositionAndKey) {
    EXPECT_EQ(list.ItemIndex(3), 2);
    EXPECT_EQ(list.ItemIndex(1), 0);
    EXPECT_EQ(list.ItemIndex(5.0), 4);
    EXPECT_EQ(list.ItemIndex(QStringLiteral("k3")), 2);
    EXPECT_EQ(list.ItemIndex(QStringLiteral("4")), 3); // numeric text is a position
    expectError9([&] { (void)list.ItemIndex(0); }, "position 0");
    expectError9([&] { (void)list.ItemIndex(6); }, "position 6");
    expectError9([&] { (void)list.ItemIndex(-1); }, "position -1");
    expectError9([&] { (void)list.ItemIndex(QStringLiteral("K3")); }, "key of another case");
    expectError9([&] { (void)list.ItemIndex(QVariant()); }, "nothing");
    expectError9([&] { (void)list.ItemKey(0); }, "ItemKey(0)");
    expectError9([&] { list.setItemKey(6, QStringLiteral("x")); }, "ItemKey(6) let");
}

TEST_F(FiveImages, NumericKeysAreStoredButFoundAsPositions) {
    list.setItemKey(1, QStringLiteral("5"));
    EXPECT_EQ(list.ItemKey(1), QStringLiteral("5"));
    EXPECT_EQ(list.ItemIndex(QStringLiteral("5")), 4);
    list.setItemKey(2, QStringLiteral("9"));
    expectError9([&] { (void)list.ItemIndex(QStringLiteral("9")); }, "numeric key beyond the list");
}

TEST_F(FiveImages, DuplicateKeysAreRefusedSilently) {
    list.setItemKey(1, QStringLiteral("Close"));
    list.setItemKey(2, QStringLiteral("Close"));
    EXPECT_EQ(list.ItemKey(2), QStringLiteral("k2"));
    list.setItemKey(2, QStringLiteral("close"));
    EXPECT_EQ(list.ItemKey(2), QStringLiteral("close"));
    list.setItemKey(3, QString());
    list.setItemKey(4, QString());
    EXPECT_EQ(keys(), (QStringList{"Close", "close", "", "", "k5"}));
    // An add with a duplicate key still adds its image, without the key.
    EXPECT_TRUE(
        list.AddFromHandle(solid(kColours[5]), KeyImageList::TypeIcon, QStringLiteral("k5")));
    EXPECT_EQ(list.ItemKey(6), QString());
}

TEST_F(FiveImages, KeyExists) {
    EXPECT_TRUE(list.KeyExists(QStringLiteral("k2")));
    EXPECT_FALSE(list.KeyExists(QStringLiteral("K2")));
    KeyImageList empty;
    EXPECT_FALSE(empty.KeyExists(QString()));
}

TEST_F(FiveImages, AddAfterPlacesTheNewImageAndKeysMoveWithTheirImages) {
    struct Case {
        const char* what;
        QVariant after;
        std::vector<int> colours;
        QStringList keys;
    };
    const Case cases[] = {
        {"number 3 becomes image 3", 3, {0, 1, 5, 2, 3, 4}, {"k1", "k2", "new", "k3", "k4", "k5"}},
        {"key of image 3: right after it",
         QStringLiteral("k3"),
         {0, 1, 2, 5, 3, 4},
         {"k1", "k2", "k3", "new", "k4", "k5"}},
        {"number 1", 1, {5, 0, 1, 2, 3, 4}, {"new", "k1", "k2", "k3", "k4", "k5"}},
        {"key of the last image",
         QStringLiteral("k5"),
         {0, 1, 2, 3, 4, 5},
         {"k1", "k2", "k3", "k4", "k5", "new"}},
        {"0 appends", 0, {0, 1, 2, 3, 4, 5}, {"k1", "k2", "k3", "k4", "k5", "new"}},
        {"nothing appends", QVariant(), {0, 1, 2, 3, 4, 5}, {"k1", "k2", "k3", "k4", "k5", "new"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        refill();
        ASSERT_TRUE(list.AddFromHandle(solid(kColours[5]), KeyImageList::TypeIcon,
                                       QStringLiteral("new"), -1, c.after));
        EXPECT_EQ(colours(), c.colours);
        EXPECT_EQ(keys(), c.keys);
    }
}

TEST_F(FiveImages, BadInsertionTargetsRaiseErrorNineAndAddNothing) {
    for (const QVariant& after :
         {QVariant(9), QVariant(6), QVariant(-2), QVariant(QStringLiteral("nope"))}) {
        SCOPED_TRACE(after.toString().toStdString());
        expectError9(
            [&] {
                list.AddFromHandle(solid(kColours[5]), KeyImageList::TypeIcon,
                                   QStringLiteral("new"), -1, after);
            },
            "vKeyAfter");
        EXPECT_EQ(list.ImageCount(), 5);
        EXPECT_FALSE(list.KeyExists(QStringLiteral("new")));
    }
}

TEST(KeyImageList, AddToAnEmptyListAppendsWhateverFollows) {
    KeyImageList list;
    EXPECT_TRUE(
        list.AddFromHandle(solid(kColours[0]), KeyImageList::TypeIcon, QStringLiteral("a"), -1, 3));
    EXPECT_EQ(list.ImageCount(), 1);
    EXPECT_EQ(list.ItemKey(1), QStringLiteral("a"));
}

TEST_F(FiveImages, BitmapStripIsCarriedWholeToItsPlace) {
    // Three 16-pixel pieces on a magenta background, which the top-left pixel makes transparent.
    QImage strip(48, 16, QImage::Format_RGB32);
    strip.fill(qRgb(255, 0, 255));
    for (int i = 0; i < 3; ++i)
        for (int y = 4; y < 12; ++y)
            for (int x = 4; x < 12; ++x)
                strip.setPixel(i * 16 + x, y, kColours[5 + i]);
    ASSERT_TRUE(
        list.AddFromHandle(strip, KeyImageList::TypeBitmap, QStringLiteral("strip"), -1, 2));
    EXPECT_EQ(colours(), (std::vector<int>{0, 5, 6, 7, 1, 2, 3, 4}));
    EXPECT_EQ(keys(), (QStringList{"k1", "strip", "", "", "k2", "k3", "k4", "k5"}));
    // The background became the mask.
    EXPECT_EQ(qAlpha(list.hIml()->image(1).pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(list.hIml()->image(1).pixel(8, 8)), 255);
}

TEST_F(FiveImages, ExplicitMaskColourAndUnknownType) {
    QImage bitmap(16, 16, QImage::Format_RGB32);
    bitmap.fill(qRgb(0, 0, 0));
    bitmap.setPixel(3, 3, platform::toQRgb(platform::GetSysColor(platform::COLOR_BTNFACE)));
    // The button face (&H8000000F) is translated to its RGB first.
    ASSERT_TRUE(list.AddFromHandle(bitmap, KeyImageList::TypeBitmap, QVariant(), 0x8000000F));
    EXPECT_EQ(qAlpha(list.hIml()->image(5).pixel(3, 3)), 0);
    EXPECT_EQ(qAlpha(list.hIml()->image(5).pixel(0, 0)), 255);
    EXPECT_FALSE(list.AddFromHandle(bitmap, 7, QStringLiteral("odd")));
    EXPECT_FALSE(list.AddFromHandle(QImage(), KeyImageList::TypeIcon, QStringLiteral("odd")));
    EXPECT_EQ(list.ImageCount(), 6);
}

TEST_F(FiveImages, RemoveKeepsLaterKeysOnTheirImages) {
    QSignalSpy changed(&list, &KeyImageList::propertyChanged);
    list.RemoveImage(1);
    EXPECT_EQ(colours(), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(keys(), (QStringList{"k2", "k3", "k4", "k5"}));
    list.RemoveImage(QStringLiteral("k4"));
    EXPECT_EQ(keys(), (QStringList{"k2", "k3", "k5"}));
    expectError9([&] { list.RemoveImage(QStringLiteral("k4")); }, "removed key");
    EXPECT_EQ(list.ImageCount(), 3);
    QStringList names;
    for (const QList<QVariant>& signal : changed)
        names << signal.at(0).toString();
    EXPECT_TRUE(names.contains("Images") && names.contains("Size") && names.contains("Keys") &&
                names.contains("KeyCount"));
}

TEST_F(FiveImages, SwapOrCopy) {
    list.SwapOrCopyImage(QStringLiteral("k2"), 4);
    EXPECT_EQ(colours(), (std::vector<int>{0, 3, 2, 1, 4}));
    EXPECT_EQ(keys(), (QStringList{"k1", "k4", "k3", "k2", "k5"}));
    // Copy: the image at the second position is copied over the first; the keys still exchange.
    list.SwapOrCopyImage(1, 5, KeyImageList::CopyImage);
    EXPECT_EQ(colours(), (std::vector<int>{4, 3, 2, 1, 4}));
    EXPECT_EQ(keys(), (QStringList{"k5", "k4", "k3", "k2", "k1"}));
    expectError9([&] { list.SwapOrCopyImage(1, 6); }, "destination out of range");
}

TEST_F(FiveImages, PicturesStripsAndIconCopies) {
    const QPixmap picture = list.ItemPicture(QStringLiteral("k3"));
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(picture.toImage().pixel(8, 8) | 0xFF000000u, kColours[2] | 0xFF000000u);
    const iconstream::IconImage icon = list.ItemCopyOfIcon(2);
    EXPECT_EQ(icon.colour.size(), QSize(16, 16));
    EXPECT_EQ(icon.hotspot, QPoint(8, 8));

    EXPECT_TRUE(list.ImagePictureStrip(QStringLiteral("k2"), 2).isNull()); // one image: none
    EXPECT_TRUE(list.ImagePictureStrip(4, 2).isNull());
    const QImage strip = list.ImagePictureStrip(2, 4, 0xFFFFFF).toImage();
    ASSERT_EQ(strip.size(), QSize(80, 16));             // as wide as all images
    EXPECT_EQ(strip.pixel(8, 8) & 0xFFFFFF, 0xFFFFFFu); // image 1 left out
    EXPECT_EQ(strip.pixel(24, 8) & 0xFFFFFF, kColours[1] & 0xFFFFFF);
    EXPECT_EQ(strip.pixel(56, 8) & 0xFFFFFF, kColours[3] & 0xFFFFFF);
    EXPECT_EQ(strip.pixel(72, 8) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(list.ImagePictureStrip().width(), 80);
}

TEST_F(FiveImages, DrawImageLooks) {
    QImage target(40, 20, QImage::Format_RGB32);
    auto at = [&](int x, int y) { return target.pixel(x, y) & 0xFFFFFF; };
    target.fill(qRgb(255, 255, 255));
    list.DrawImage(QStringLiteral("k1"), target, 2, 2);
    EXPECT_EQ(at(10, 10), kColours[0] & 0xFFFFFF);
    EXPECT_EQ(at(1, 1), 0xFFFFFFu);
    EXPECT_EQ(at(18, 18), 0xFFFFFFu);

    target.fill(qRgb(255, 255, 255));
    list.DrawImage(1, target, 0, 0, false, true, false, 0x000000); // cut: half black
    EXPECT_EQ(at(5, 5), static_cast<QRgb>(qRgb(100, 0, 0)) & 0xFFFFFF);

    target.fill(qRgb(255, 255, 255));
    list.DrawImage(1, target, 0, 0, true); // selected: half the highlight colour
    EXPECT_NE(at(5, 5), kColours[0] & 0xFFFFFF);
    EXPECT_NE(at(5, 5), 0xFFFFFFu);

    target.fill(qRgb(255, 255, 255));
    list.DrawImage(1, target, 0, 0, false, false, true); // disabled: the etched shadow
    EXPECT_EQ(at(5, 5),
              platform::toQRgb(platform::GetSysColor(platform::COLOR_BTNSHADOW)) & 0xFFFFFF);

    // An external list is drawn from by the position resolved here.
    auto other = platform::ImageList::create(16, 16);
    other->addIcon(solid(kColours[7]));
    target.fill(qRgb(255, 255, 255));
    list.DrawImage(1, target, 0, 0, false, false, false, 0xFFFFFFFF, other);
    EXPECT_EQ(at(5, 5), kColours[7] & 0xFFFFFF);
    expectError9([&] { list.DrawImage(9, target, 0, 0); }, "DrawImage");
}

TEST(KeyImageList, PictureBoxPieceIsCutAtThePictureEdges) {
    KeyImageList list;
    QImage picture(40, 20, QImage::Format_RGB32);
    picture.fill(qRgb(0, 128, 128)); // the top-left colour: transparent
    for (int y = 0; y < 20; ++y)
        for (int x = 20; x < 40; ++x)
            picture.setPixel(x, y, qRgb(250, 0, 0));
    EXPECT_EQ(list.AddFromPictureBox(picture, QStringLiteral("p"), 30, 10), 1);
    const QImage image = list.hIml()->image(0);
    EXPECT_EQ(image.pixel(0, 0) & 0xFFFFFF, 0xFA0000u);
    EXPECT_EQ(image.pixel(9, 9) & 0xFFFFFF, 0xFA0000u);
    EXPECT_EQ(qAlpha(image.pixel(10, 0)), 0); // past the picture's right edge
    EXPECT_EQ(qAlpha(image.pixel(0, 10)), 0); // past its bottom edge
    EXPECT_EQ(list.ItemKey(1), QStringLiteral("p"));
    // A piece entirely outside still adds an image of the mask colour alone.
    EXPECT_EQ(list.AddFromPictureBox(picture, QVariant(), 100, 100, 0xFFFFFF), 2);
}

TEST(KeyImageList, WithoutAListEveryMemberDoesNothing) {
    KeyImageList list;
    list.Destroy();
    EXPECT_EQ(list.hIml(), nullptr);
    EXPECT_EQ(list.ImageCount(), 0);
    EXPECT_FALSE(list.AddFromHandle(solid(kColours[0]), KeyImageList::TypeIcon));
    EXPECT_EQ(list.AddFromPictureBox(solid(kColours[0]), QVariant(), 0, 0), 0);
    EXPECT_TRUE(list.ItemPicture(1).isNull());
    EXPECT_TRUE(list.ImagePictureStrip().isNull());
    EXPECT_FALSE(list.SaveToFile(QStringLiteral("/nonexistent/none.iml")));
    EXPECT_FALSE(list.LoadFromFile(QStringLiteral("/nonexistent/none.iml")));
    EXPECT_FALSE(list.loadFromBytes(QByteArray("junk")));
    list.RemoveImage(1);
    list.SwapOrCopyImage(1, 2);
    QImage target(4, 4, QImage::Format_RGB32);
    list.DrawImage(1, target, 0, 0);
    // A size of 0 cannot make a list.
    list.setIconSizeX(0);
    EXPECT_FALSE(list.Create());
    EXPECT_EQ(list.hIml(), nullptr);
    list.setIconSizeX(16);
    EXPECT_TRUE(list.Create());
    EXPECT_NE(list.hIml(), nullptr);
}

TEST(KeyImageList, SizesOnlyDescribeTheNextList) {
    KeyImageList list;
    QSignalSpy changed(&list, &KeyImageList::propertyChanged);
    list.setIconSizeX(32);
    list.setIconSizeY(24);
    list.setColourDepth(24);
    EXPECT_EQ(list.hIml()->imageSize(), QSize(16, 16));
    ASSERT_EQ(changed.count(), 3);
    EXPECT_EQ(changed.at(0).at(0).toString(), QStringLiteral("IconSizeX"));
    list.Clear();
    EXPECT_EQ(list.hIml()->imageSize(), QSize(32, 24));
    EXPECT_EQ(list.hIml()->colourDepth(), 24);
}

// --- The image list file ---

namespace {

// The file bytes of the older layout: no magic, 24-bit colour blocks, keys in code-page bytes.
QByteArray olderFile(const std::vector<iconstream::IconImage>& icons, const QByteArray& keyText) {
    const QByteArray stream = iconstream::writeStream(icons, 0);
    QByteArray bytes(4, '\0');
    qToLittleEndian<int32_t>(static_cast<int32_t>(stream.size()), bytes.data());
    bytes += stream;
    QByteArray length(4, '\0');
    qToLittleEndian<int32_t>(static_cast<int32_t>(keyText.size()), length.data());
    return bytes + length + keyText;
}

iconstream::IconImage solidIcon(QRgb colour) {
    QImage colourBits(16, 16, QImage::Format_RGB32);
    colourBits.fill(colour);
    QImage mask(16, 16, QImage::Format_Mono);
    mask.setColor(0, qRgb(0, 0, 0));
    mask.setColor(1, qRgb(255, 255, 255));
    mask.fill(0);
    return iconstream::makeIcon(colourBits, mask);
}

} // namespace

TEST_F(FiveImages, FileRoundTripKeepsImagesAndKeysIncludingChineseAndOneCharacter) {
    list.setItemKey(1, QStringLiteral("黄金"));
    list.setItemKey(2, QStringLiteral("x"));
    list.setItemKey(3, QString());
    list.setItemKey(4, QStringLiteral("白银ETF"));
    const QByteArray bytes = list.saveToBytes();
    // Magic, version, N = five records, then L counting the key bytes written.
    EXPECT_EQ(bytes.left(4), QByteArray("\x56\xE4\x45\x57", 4));
    EXPECT_EQ(qFromLittleEndian<int32_t>(bytes.constData() + 4), 0x07E3000B);
    EXPECT_EQ(qFromLittleEndian<int32_t>(bytes.constData() + 8), 5 * 1148);
    const QByteArray keyText = platform::toGbk(u"黄金") + "\xFF" + "x\xFF" + "\xFF" +
                               platform::toGbk(u"白银ETF") + "\xFF" + "k5\xFF" + "\xFF";
    EXPECT_EQ(qFromLittleEndian<int32_t>(bytes.constData() + 12 + 5 * 1148), keyText.size());
    EXPECT_EQ(bytes.mid(16 + 5 * 1148), keyText);

    KeyImageList loaded;
    ASSERT_TRUE(loaded.loadFromBytes(bytes));
    ASSERT_EQ(loaded.ImageCount(), 5);
    EXPECT_EQ(loaded.ItemKey(1), QStringLiteral("黄金"));
    EXPECT_EQ(loaded.ItemKey(2), QStringLiteral("x"));
    EXPECT_EQ(loaded.ItemKey(3), QString());
    EXPECT_EQ(loaded.ItemKey(4), QStringLiteral("白银ETF"));
    EXPECT_EQ(loaded.ItemKey(5), QStringLiteral("k5"));
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(loaded.hIml()->colourBitmap(i), list.hIml()->colourBitmap(i)) << i;
}

TEST_F(FiveImages, LoadingAppendsAndKeysTheLoadedImagesOnly) {
    KeyImageList three;
    for (int i = 5; i < 8; ++i)
        three.AddFromHandle(solid(kColours[i]), KeyImageList::TypeIcon,
                            QStringLiteral("f%1").arg(i));
    list.RemoveImage(5);
    list.RemoveImage(4);
    list.RemoveImage(3);
    ASSERT_TRUE(list.loadFromBytes(three.saveToBytes()));
    EXPECT_EQ(colours(), (std::vector<int>{0, 1, 5, 6, 7}));
    EXPECT_EQ(keys(), (QStringList{"k1", "k2", "f5", "f6", "f7"}));
}

TEST(KeyImageList, OlderFilesWithAsciiKeysReadTheSame) {
    KeyImageList list;
    ASSERT_TRUE(list.loadFromBytes(olderFile(
        {solidIcon(kColours[0]), solidIcon(kColours[1]), solidIcon(kColours[2])}, "ab\xFF\xFF"
                                                                                  "cd\xFF\xFF")));
    ASSERT_EQ(list.ImageCount(), 3);
    EXPECT_EQ(list.ItemKey(1), QStringLiteral("ab"));
    EXPECT_EQ(list.ItemKey(2), QString());
    EXPECT_EQ(list.ItemKey(3), QStringLiteral("cd"));
    EXPECT_EQ(list.hIml()->colourBitmap(2).pixel(0, 0) & 0xFFFFFF, kColours[2] & 0xFFFFFF);

    // A file ending right after its stream loads its images without keys.
    QByteArray noKeys = olderFile({solidIcon(kColours[3])}, {});
    noKeys.chop(4);
    ASSERT_TRUE(list.loadFromBytes(noKeys));
    EXPECT_EQ(list.ImageCount(), 4);
    EXPECT_EQ(list.ItemKey(4), QString());
}

TEST(KeyImageList, EmptyListSavesAndLoadsAsAnEmptyList) {
    KeyImageList empty;
    const QByteArray bytes = empty.saveToBytes();
    EXPECT_EQ(bytes.size(), 12 + 4 + 1);
    EXPECT_EQ(qFromLittleEndian<int32_t>(bytes.constData() + 8), 0);
    KeyImageList loaded;
    EXPECT_TRUE(loaded.loadFromBytes(bytes));
    EXPECT_EQ(loaded.ImageCount(), 0);
}

TEST_F(FiveImages, BrokenHeadersChangeNothingAndADamagedRecordKeepsTheImagesBeforeIt) {
    const QByteArray good = list.saveToBytes();
    KeyImageList target;
    target.AddFromHandle(solid(kColours[7]), KeyImageList::TypeIcon, QStringLiteral("mine"));

    EXPECT_EQ(errorNumber([&] { target.loadFromBytes(good.left(12 + 2000)); }), 62);
    EXPECT_EQ(errorNumber([&] { target.loadFromBytes(good.left(2)); }), 62);
    QByteArray negative = good;
    qToLittleEndian<int32_t>(-8, negative.data() + 8);
    EXPECT_EQ(errorNumber([&] { target.loadFromBytes(negative); }), 321);
    EXPECT_EQ(target.ImageCount(), 1);
    // A damaged third record: the two good images before it come with their keys, and the load
    // raises the error in the program's own words.
    QByteArray corrupt = good;
    qToLittleEndian<int32_t>(-16, corrupt.data() + 12 + 1148 * 2 + 12 + 8);
    try {
        target.loadFromBytes(corrupt);
        ADD_FAILURE() << "no error";
    } catch (const platform::VbError& e) {
        EXPECT_EQ(e.number, 321);
        EXPECT_EQ(e.description, QStringLiteral("无效的文件格式"));
        EXPECT_EQ(e.source, errorSource());
    }
    ASSERT_EQ(target.ImageCount(), 3);
    EXPECT_EQ(target.ItemKey(1), QStringLiteral("mine"));
    EXPECT_EQ(target.ItemKey(2), QStringLiteral("k1"));
    EXPECT_EQ(target.ItemKey(3), QStringLiteral("k2"));
}

TEST_F(FiveImages, ErrorsUseTheProgramsChineseTexts) {
    QTemporaryDir dir;
    const struct {
        std::function<void()> call;
        int number;
        const char16_t* text;
    } cases[] = {
        {[&] { (void)list.ItemIndex(QStringLiteral("nope")); }, 9, u"下标越界"},
        {[&] { list.LoadFromFile(dir.filePath("missing.iml")); }, 53, u"文件未找到"},
        {[&] { list.loadFromBytes(QByteArray("\x56\xE4\x45\x57", 4)); }, 62, u"输入超出文件尾"},
        {[&] { list.SaveToFile(dir.filePath("no/such/folder/x.iml")); }, 75, u"路径/文件访问错误"},
    };
    for (const auto& c : cases) {
        try {
            c.call();
            ADD_FAILURE() << c.number << ": no error";
        } catch (const platform::VbError& e) {
            EXPECT_EQ(e.number, c.number);
            EXPECT_EQ(e.description, QString::fromUtf16(c.text)) << c.number;
        }
    }
}

TEST_F(FiveImages, NumericKeysSurviveFileAndSavedPropertiesAlike) {
    // A key that reads as a number is stored as written; a lookup by that text is a position.
    const QStringList numeric = {"5", "007", "1e3", "&H1F", "-1"};
    for (int i = 0; i < numeric.size(); ++i)
        list.setItemKey(i + 1, numeric[i]);
    ASSERT_EQ(keys(), numeric);

    KeyImageList fromFile;
    ASSERT_TRUE(fromFile.loadFromBytes(list.saveToBytes()));
    platform::PropertyBag bag;
    list.writeProperties(bag);
    KeyImageList fromBag;
    fromBag.readProperties(bag);
    for (KeyImageList* loaded : {&fromFile, &fromBag}) {
        QStringList read;
        for (int i = 1; i <= loaded->ImageCount(); ++i)
            read << loaded->ItemKey(i);
        EXPECT_EQ(read, numeric);
        EXPECT_EQ(loaded->ItemIndex(QStringLiteral("5")), 4);
        expectError9([&] { (void)loaded->ItemIndex(QStringLiteral("007")); }, "position 7 of 5");
        // Saved again, it gives the same bytes.
        EXPECT_EQ(loaded->saveToBytes(), list.saveToBytes());
    }
}

TEST_F(FiveImages, RandomDamageNeverCrashesTheLoader) {
    const QByteArray good = list.saveToBytes();
    std::mt19937 random(7);
    int loaded = 0;
    for (int round = 0; round < 400; ++round) {
        QByteArray bytes = good;
        for (int i = 0; i < 4; ++i)
            bytes[static_cast<qsizetype>(random() % static_cast<uint32_t>(bytes.size()))] =
                char(random());
        KeyImageList target;
        try {
            if (target.loadFromBytes(bytes)) ++loaded;
            EXPECT_EQ(target.ImageCount() == 0 || target.ImageCount() == 5, true);
        } catch (const platform::VbError& e) {
            EXPECT_TRUE(e.number == 62 || e.number == 321) << e.number;
        }
    }
    EXPECT_GT(loaded, 0);
}

TEST_F(FiveImages, FilesAreReplacedWholeAndMissingFilesRaise) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("icons.iml"));
    {
        QFile longer(path);
        ASSERT_TRUE(longer.open(QIODevice::WriteOnly));
        longer.write(QByteArray(20000, 'z'));
    }
    ASSERT_TRUE(list.SaveToFile(path));
    EXPECT_EQ(QFileInfo(path).size(), list.saveToBytes().size());
    KeyImageList loaded;
    ASSERT_TRUE(loaded.LoadFromFile(path));
    EXPECT_EQ(loaded.ImageCount(), 5);
    EXPECT_EQ(loaded.ItemKey(5), QStringLiteral("k5"));

    EXPECT_EQ(
        errorNumber([&] { loaded.LoadFromFile(dir.filePath(QStringLiteral("missing.iml"))); }), 53);
    EXPECT_EQ(
        errorNumber([&] { list.SaveToFile(dir.filePath(QStringLiteral("no/such/folder/x.iml"))); }),
        75);
    EXPECT_EQ(loaded.ImageCount(), 5);
}

// --- Saved properties ---

TEST_F(FiveImages, SavedPropertiesRoundTrip) {
    list.setItemKey(2, QStringLiteral("y"));
    list.setItemKey(3, QString());
    platform::PropertyBag bag;
    list.writeProperties(bag);
    EXPECT_EQ(bag.read("Size").toInt(), 5 * 1148);
    EXPECT_EQ(bag.read("Images").toByteArray().size(), 5 * 1148);
    EXPECT_EQ(bag.read("Version").toInt(), 0x07E3000B);
    EXPECT_EQ(bag.read("KeyCount").toInt(), 5);
    const QChar sep(KeyImageList::kKeySeparator);
    EXPECT_EQ(bag.read("Keys").toString(), QStringList({"k1", "y", "", "k4", "k5"}).join(sep));
    EXPECT_FALSE(bag.contains("IconSizeX")); // defaults are not stored

    KeyImageList restored;
    restored.readProperties(bag);
    EXPECT_EQ(restored.ImageCount(), 5);
    EXPECT_EQ(restored.ItemKey(1), QStringLiteral("k1"));
    EXPECT_EQ(restored.ItemKey(2), QStringLiteral("y")); // one character survives
    EXPECT_EQ(restored.ItemKey(3), QString());
    EXPECT_EQ(restored.ItemKey(5), QStringLiteral("k5"));
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(restored.hIml()->maskBitmap(i).pixelIndex(0, 0),
                  list.hIml()->maskBitmap(i).pixelIndex(0, 0));
}

TEST(KeyImageList, FourteenImageDesignDataHasTheStoredSizes) {
    KeyImageList list;
    list.setColourDepth(24);
    list.Create();
    for (int i = 0; i < 14; ++i)
        list.AddFromHandle(solid(qRgb(i * 15, 100, 200)), KeyImageList::TypeIcon);
    platform::PropertyBag bag;
    list.writeProperties(bag);
    EXPECT_EQ(bag.read("ColourDepth").toInt(), 24);
    EXPECT_FALSE(bag.contains("IconSizeX"));
    EXPECT_EQ(bag.read("Size").toInt(), 16072);
    EXPECT_EQ(bag.read("KeyCount").toInt(), 14);
    EXPECT_EQ(bag.read("Keys").toString(), QString(13, QChar(KeyImageList::kKeySeparator)));
}

TEST(KeyImageList, EmptyListWritesOnlyDefaults) {
    KeyImageList list;
    platform::PropertyBag bag;
    bag.write("Version", 5); // a stale value from an earlier write goes
    list.writeProperties(bag);
    EXPECT_TRUE(bag.isEmpty()) << bag.keys().join(",").toStdString();
    KeyImageList restored;
    restored.readProperties(bag);
    EXPECT_NE(restored.hIml(), nullptr);
    EXPECT_EQ(restored.ImageCount(), 0);
}

TEST(KeyImageList, ApplyingSavedKeyTexts) {
    const QChar sep(KeyImageList::kKeySeparator);
    struct Case {
        const char* what;
        int images;
        QString keys;
        QStringList expected;
    };
    const Case cases[] = {
        {"one per image", 3, QStringList({"a", "bb", "ccc"}).join(sep), {"a", "bb", "ccc"}},
        {"blanks between", 3, QString(sep) + sep + "z", {"", "", "z"}},
        {"single image", 1, "only", {"only"}},
        {"more pieces than images", 2, QStringList({"a", "b", "c", "d"}).join(sep), {"a", "b"}},
        {"fewer pieces", 3, "a", {"a", "", ""}},
        {"empty text", 2, "", {"", ""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        KeyImageList source;
        for (int i = 0; i < c.images; ++i)
            source.AddFromHandle(solid(kColours[i]), KeyImageList::TypeIcon);
        platform::PropertyBag bag;
        source.writeProperties(bag);
        bag.write("Keys", c.keys);
        KeyImageList list;
        list.readProperties(bag);
        QStringList keys;
        for (int i = 1; i <= list.ImageCount(); ++i)
            keys << list.ItemKey(i);
        EXPECT_EQ(keys, c.expected);
    }
}

TEST_F(FiveImages, DamagedSavedImagesKeepTheRecordsBeforeTheDamage) {
    platform::PropertyBag bag;
    list.writeProperties(bag);
    QByteArray images = bag.read("Images").toByteArray();
    qToLittleEndian<int32_t>(0, images.data() + 3 * 1148 + 12 + 4);
    bag.write("Images", images);
    KeyImageList restored;
    EXPECT_EQ(errorNumber([&] { restored.readProperties(bag); }), 321);
    EXPECT_EQ(restored.ImageCount(), 3);
    EXPECT_EQ(restored.ItemKey(3), QStringLiteral("k3"));

    // A stored size beyond the bytes, or no bytes at all.
    bag.write("Images", images.left(1148 + 100));
    EXPECT_EQ(errorNumber([&] { restored.readProperties(bag); }), 321);
    EXPECT_EQ(restored.ImageCount(), 1);
    bag.write("Images", QStringLiteral("not bytes"));
    EXPECT_EQ(errorNumber([&] { restored.readProperties(bag); }), 321);
    EXPECT_EQ(restored.ImageCount(), 0);
}

TEST(KeyImageList, HostileSavedSizesReadAsTheDefaults) {
    struct Case {
        const char* what;
        QVariant sizeX;
        QVariant sizeY;
        QVariant depth;
        QSize size;
        int colourDepth;
    } cases[] = {
        {"the largest allowed", 256, 1, 32, {256, 1}, 32},
        {"4096 x 4096", 4096, 4096, 24, {16, 16}, 24},
        {"zero and negative", 0, -5, 0, {16, 16}, 0},
        {"beyond by one", 257, 48, 8, {16, 48}, 8},
        {"not numbers", QStringLiteral("big"), QStringLiteral("1e9"), 7, {16, 16}, 0},
    };
    for (const Case& c : cases) {
        platform::PropertyBag bag;
        bag.write("IconSizeX", c.sizeX);
        bag.write("IconSizeY", c.sizeY);
        bag.write("ColourDepth", c.depth);
        KeyImageList list;
        list.readProperties(bag);
        EXPECT_EQ(QSize(list.IconSizeX(), list.IconSizeY()), c.size) << c.what;
        EXPECT_EQ(list.ColourDepth(), c.colourDepth) << c.what;
        ASSERT_NE(list.hIml(), nullptr) << c.what;
        EXPECT_EQ(list.hIml()->imageSize(), c.size) << c.what;
    }
    // The setters take any value; a list of a size beyond the bounds is not made.
    KeyImageList list;
    list.setIconSizeX(300);
    EXPECT_FALSE(list.Create());
    EXPECT_EQ(list.hIml(), nullptr);
}

TEST(KeyImageList, StreamsOfBothVersionsRead) {
    // This program writes 2019.11; streams written as 3.6 by earlier builds are 32-bit as well.
    EXPECT_EQ(KeyImageList::ProgramStreamVersion(), 0x07E3000B);
    KeyImageList list;
    list.AddFromHandle(solid(kColours[2]), KeyImageList::TypeIcon, QStringLiteral("k"));
    for (const int32_t version : {0x07E3000B, 0x00030006}) {
        QByteArray bytes = list.saveToBytes();
        EXPECT_EQ(qFromLittleEndian<int32_t>(bytes.constData() + 4), 0x07E3000B);
        qToLittleEndian<int32_t>(version, bytes.data() + 4);
        KeyImageList loaded;
        ASSERT_TRUE(loaded.loadFromBytes(bytes)) << version;
        EXPECT_EQ(loaded.hIml()->colourBitmap(0), list.hIml()->colourBitmap(0)) << version;
        EXPECT_EQ(loaded.ItemKey(1), QStringLiteral("k"));
    }
}

TEST(KeyImageList, SavedImagesOfAnotherSizeAreFittedToTheList) {
    KeyImageList big;
    big.setIconSizeX(32);
    big.setIconSizeY(32);
    big.Create();
    big.AddFromHandle(solid(kColours[0], 32, 32), KeyImageList::TypeIcon, QStringLiteral("b"));
    platform::PropertyBag bag;
    big.writeProperties(bag);
    bag.write("IconSizeX", 16);
    bag.write("IconSizeY", 16);
    KeyImageList list;
    list.readProperties(bag);
    ASSERT_EQ(list.ImageCount(), 1);
    EXPECT_EQ(list.hIml()->imageSize(), QSize(16, 16));
    EXPECT_EQ(list.hIml()->colourBitmap(0).pixel(15, 15) & 0xFFFFFF, kColours[0] & 0xFFFFFF);
}

TEST(KeyImageList, AddFromFileLoadsIconsAtTheListSizeAndBitmapsWhole) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString icon = dir.filePath(QStringLiteral("a.png"));
    ASSERT_TRUE(solid(kColours[1], 32, 32).save(icon));
    const QString bitmap = dir.filePath(QStringLiteral("strip.bmp"));
    QImage strip(32, 16, QImage::Format_RGB32);
    strip.fill(qRgb(255, 0, 255));
    strip.setPixel(20, 5, kColours[2]);
    ASSERT_TRUE(strip.save(bitmap));

    KeyImageList list;
    QSignalSpy changed(&list, &KeyImageList::propertyChanged);
    EXPECT_TRUE(list.AddFromFile(icon, KeyImageList::TypeIcon, QStringLiteral("icon")));
    EXPECT_TRUE(
        list.AddFromFile(bitmap, KeyImageList::TypeBitmap, QStringLiteral("bmp"), false, -1, 1));
    EXPECT_FALSE(
        list.AddFromFile(dir.filePath(QStringLiteral("missing.ico")), KeyImageList::TypeIcon));
    EXPECT_EQ(list.ImageCount(), 3);
    EXPECT_EQ(list.ItemKey(1), QStringLiteral("bmp"));
    EXPECT_EQ(list.ItemKey(3), QStringLiteral("icon"));
    EXPECT_EQ(qAlpha(list.hIml()->image(1).pixel(4, 5)), 255);
    EXPECT_EQ(list.hIml()->image(1).pixel(4, 5) & 0xFFFFFF, kColours[2] & 0xFFFFFF);
    EXPECT_GE(changed.count(), 12); // every add from a file marks the images changed

    // From the program's resources, without marking anything changed.
    changed.clear();
    EXPECT_TRUE(list.AddFromResourceID(icon, KeyImageList::TypeIcon, QStringLiteral("res")));
    EXPECT_EQ(changed.count(), 0);
}

TEST(KeyImageList, DesignLookShowsTheCount) {
    KeyImageList list;
    const QImage empty = list.designLook();
    EXPECT_EQ(empty.size(), QSize(36, 36));
    list.AddFromHandle(solid(kColours[0]), KeyImageList::TypeIcon);
    EXPECT_NE(list.designLook(), empty);
}

TEST(KeyImageList1, DesignDataHoldsTheElevenTabIcons) {
    KeyImageList list;
    loadKeyImageList1(list);
    ASSERT_EQ(list.ImageCount(), 11);
    EXPECT_EQ(list.hIml()->imageSize(), QSize(16, 16));
    EXPECT_EQ(list.ColourDepth(), 24);
    for (int i = 1; i <= 11; ++i) {
        EXPECT_EQ(list.ItemKey(i), QStringLiteral("T%1").arg(i));
        // Every icon draws something and leaves something transparent or framed.
        const QImage image = list.hIml()->image(i - 1);
        int shown = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                shown += qAlpha(image.pixel(x, y)) != 0;
        EXPECT_GT(shown, 64) << i;
    }
    // The icons differ from one another.
    for (int i = 0; i < 11; ++i)
        for (int j = i + 1; j < 11; ++j)
            EXPECT_NE(list.hIml()->image(i), list.hIml()->image(j)) << i << " " << j;
}
