#include "widgets/imagelist/iconstream.h"

#include <QtEndian>

#include <gtest/gtest.h>

#include <random>

using namespace iconstream;

namespace {

constexpr int32_t kVersion2019 = 0x07E3000B;

int32_t longAt(const QByteArray& bytes, qsizetype at) {
    return qFromLittleEndian<int32_t>(bytes.constData() + at);
}
int16_t shortAt(const QByteArray& bytes, qsizetype at) {
    return qFromLittleEndian<int16_t>(bytes.constData() + at);
}

QImage monoMask(int w, int h) {
    QImage mask(w, h, QImage::Format_Mono);
    mask.setColor(0, qRgb(0, 0, 0));
    mask.setColor(1, qRgb(255, 255, 255));
    mask.fill(0);
    return mask;
}

// A w x h icon whose every pixel differs, transparent along its diagonal.
IconImage patternIcon(int w, int h, int seed = 0) {
    QImage colour(w, h, QImage::Format_RGB32);
    QImage mask = monoMask(w, h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            colour.setPixel(x, y,
                            qRgb((x * 16 + seed) & 0xFF, (y * 16 + seed * 3) & 0xFF,
                                 (x + y + seed * 7) & 0xFF));
            mask.setPixel(x, y, x == y ? 1 : 0);
        }
    }
    return makeIcon(colour, mask);
}

void expectSameIcon(const IconImage& a, const IconImage& b) {
    ASSERT_EQ(a.colour.size(), b.colour.size());
    for (int y = 0; y < a.colour.height(); ++y) {
        for (int x = 0; x < a.colour.width(); ++x) {
            ASSERT_EQ(a.colour.pixel(x, y) & 0xFFFFFF, b.colour.pixel(x, y) & 0xFFFFFF)
                << x << "," << y;
            ASSERT_EQ(qGray(a.mask.pixel(x, y)) >= 128, qGray(b.mask.pixel(x, y)) >= 128)
                << x << "," << y;
        }
    }
}

} // namespace

TEST(IconStream, SixteenPixelRecordHasTheWorkedSizeAndHeaders) {
    QByteArray buffer;
    qsizetype length = 0;
    ASSERT_TRUE(SerializeIcon(patternIcon(16, 16), buffer, 0, length, kVersion2019));
    EXPECT_EQ(length, 1148);
    EXPECT_EQ(buffer.size(), 1148);
    EXPECT_EQ(longAt(buffer, 0), 1); // icon flag
    EXPECT_EQ(longAt(buffer, 4), 8); // hotspot
    EXPECT_EQ(longAt(buffer, 8), 8);
    // Colour block description.
    EXPECT_EQ(longAt(buffer, 12), 0);
    EXPECT_EQ(longAt(buffer, 16), 16);
    EXPECT_EQ(longAt(buffer, 20), 16);
    EXPECT_EQ(longAt(buffer, 24), 64);
    EXPECT_EQ(shortAt(buffer, 28), 1);
    EXPECT_EQ(shortAt(buffer, 30), 32);
    EXPECT_EQ(longAt(buffer, 32), 0);
    // Mask block right after 24 + 1,024 bytes.
    const qsizetype mask = 12 + 24 + 1024;
    EXPECT_EQ(longAt(buffer, mask + 4), 16);
    EXPECT_EQ(longAt(buffer, mask + 8), 16);
    EXPECT_EQ(longAt(buffer, mask + 12), 2);
    EXPECT_EQ(shortAt(buffer, mask + 16), 1);
    EXPECT_EQ(shortAt(buffer, mask + 18), 1);
}

TEST(IconStream, RowsRunBottomUpInBlueGreenRedOrder) {
    QImage colour(16, 16, QImage::Format_RGB32);
    colour.fill(qRgb(0, 0, 0));
    colour.setPixel(0, 0, qRgb(0x11, 0x22, 0x33));  // top-left
    colour.setPixel(1, 15, qRgb(0x44, 0x55, 0x66)); // bottom row, second pixel
    QImage mask = monoMask(16, 16);
    mask.setPixel(0, 0, 1);
    QByteArray buffer;
    qsizetype length = 0;
    for (int32_t version : {kVersion2019, 0}) {
        SCOPED_TRACE(version);
        buffer.clear();
        ASSERT_TRUE(SerializeIcon(makeIcon(colour, mask), buffer, 0, length, version));
        const qsizetype pixels = 12 + 24;
        const int bytesPerPixel = version > 0 ? 4 : 3;
        const int rowBytes = version > 0 ? 64 : 48;
        // The bottom row is stored first.
        EXPECT_EQ(uchar(buffer[pixels + bytesPerPixel + 0]), 0x66);
        EXPECT_EQ(uchar(buffer[pixels + bytesPerPixel + 1]), 0x55);
        EXPECT_EQ(uchar(buffer[pixels + bytesPerPixel + 2]), 0x44);
        const qsizetype top = pixels + 15 * rowBytes;
        EXPECT_EQ(uchar(buffer[top + 0]), 0x33);
        EXPECT_EQ(uchar(buffer[top + 1]), 0x22);
        EXPECT_EQ(uchar(buffer[top + 2]), 0x11);
        if (version > 0) {
            EXPECT_EQ(uchar(buffer[top + 3]), 0);
        }
        // The mask's top row is its last 4-byte row; a set bit is transparent, leftmost first.
        const qsizetype maskPixels = pixels + pixelRoom(16, 16, false, version) + 24;
        EXPECT_EQ(uchar(buffer[maskPixels + 15 * 4]), 0x80);
        EXPECT_EQ(uchar(buffer[maskPixels]), 0x00);
    }
}

TEST(IconStream, PixelRoomFollowsTheTable) {
    struct Case {
        int width, height;
        bool mask;
        int32_t version;
        int64_t room;
    };
    const Case cases[] = {
        {16, 16, false, 1, 16 * 16 * 4},
        {16, 16, false, 0, 816}, // 3W + 3 bytes a row: 768 bytes of rows in 816
        {16, 16, false, -5, 816},
        {16, 16, true, 1, 16 * 4},
        {24, 10, true, 1, 10 * 4},
        {32, 32, true, 1, 32 * 8},
        {48, 2, true, 0, 2 * 8},
        {72, 1, true, 1, 12},
        {13, 1, true, 1, 4}, // (13 + 7) / 8 = 2.5 rounds to 2
        {5, 1, true, 1, 4},
        {0, 16, false, 1, -1},
        {16, -1, true, 1, -1},
        {40000, 1, false, 1, -1},
        {256, 256, false, 1, 256 * 256 * 4}, // the largest side a list holds
        {257, 1, false, 1, -1},
        {1, 257, true, 1, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(pixelRoom(c.width, c.height, c.mask, c.version), c.room)
            << c.width << "x" << c.height << (c.mask ? " mask" : " colour") << " v" << c.version;
}

TEST(IconStream, ThirtyTwoPixelMaskBlockEndsInZeroRoom) {
    IconImage icon = patternIcon(32, 32);
    icon.mask.fill(1);
    QByteArray buffer;
    qsizetype length = 0;
    ASSERT_TRUE(SerializeBitmap(icon.mask, true, buffer, 0, length, 1));
    ASSERT_EQ(length, 24 + 256);
    EXPECT_EQ(buffer.mid(24, 128), QByteArray(128, '\xFF'));
    EXPECT_EQ(buffer.mid(24 + 128), QByteArray(128, '\0'));
}

TEST(IconStream, RecordsRoundTripAtBothDepthsAndSizes) {
    for (int32_t version : {kVersion2019, 0}) {
        for (QSize size : {QSize(16, 16), QSize(32, 32), QSize(72, 72), QSize(5, 3)}) {
            SCOPED_TRACE(testing::Message()
                         << version << " " << size.width() << "x" << size.height());
            const IconImage icon = patternIcon(size.width(), size.height(), 3);
            QByteArray buffer("prefix");
            qsizetype written = 0;
            ASSERT_TRUE(SerializeIcon(icon, buffer, 6, written, version));
            EXPECT_EQ(buffer.left(6), QByteArray("prefix"));
            IconImage read;
            qsizetype length = 0;
            ASSERT_TRUE(DeserializeIcon(read, buffer, 6, length, version));
            EXPECT_EQ(length, written);
            EXPECT_EQ(read.hotspot, QPoint(size.width() / 2, size.height() / 2));
            expectSameIcon(icon, read);
        }
    }
}

TEST(IconStream, LargeImagesGetTheRoomTheyNeed) {
    // 128 x 128 at 32 bits needs far more than 16,384 bytes a record.
    const std::vector<IconImage> icons{patternIcon(128, 128, 1), patternIcon(128, 128, 2)};
    const QByteArray stream = writeStream(icons, 1);
    // A 128-pixel mask row reserves 4 x ((17 + 3) div 4) = 20 bytes.
    const int64_t record = 12 + 24 + 128 * 128 * 4 + 24 + 128 * 20;
    ASSERT_EQ(stream.size(), 2 * record);
    const StreamRead read = readStream(stream, 1);
    ASSERT_TRUE(read.complete);
    ASSERT_EQ(read.icons.size(), 2u);
    expectSameIcon(icons[1], read.icons[1]);
}

TEST(IconStream, RecordsBeyondTheLargestListSideAreNeitherWrittenNorRead) {
    QByteArray buffer;
    qsizetype length = 0;
    ASSERT_TRUE(SerializeIcon(patternIcon(256, 256), buffer, 0, length, 1));
    IconImage read;
    qsizetype readLength = 0;
    EXPECT_TRUE(DeserializeIcon(read, buffer, 0, readLength, 1));
    // A colour block one row high whose bytes are all there: 256 columns read, 257 are refused
    // before anything is made of them.
    for (const int width : {256, 257}) {
        QByteArray block(24 + width * 4, '\0');
        qToLittleEndian<int32_t>(width, block.data() + 4);
        qToLittleEndian<int32_t>(1, block.data() + 8);
        QImage bitmap;
        qsizetype blockLength = 0;
        EXPECT_EQ(DeserializeBitmap(bitmap, false, block, 0, blockLength, 1), width == 256) << width;
    }
    EXPECT_FALSE(SerializeIcon(patternIcon(257, 16), buffer, 0, length, 1));
}

TEST(IconStream, FourteenImagesMakeTheStoredSize) {
    std::vector<IconImage> icons;
    for (int i = 0; i < 14; ++i)
        icons.push_back(patternIcon(16, 16, i));
    const QByteArray stream = writeStream(icons, kVersion2019);
    EXPECT_EQ(stream.size(), 16072);
    const StreamRead read = readStream(stream, kVersion2019);
    EXPECT_TRUE(read.complete);
    ASSERT_EQ(read.icons.size(), 14u);
    for (int i = 0; i < 14; ++i)
        expectSameIcon(icons[static_cast<size_t>(i)], read.icons[static_cast<size_t>(i)]);
}

TEST(IconStream, WriterRefusesWhatItCannotWrite) {
    QByteArray buffer("keep");
    qsizetype length = 77;
    EXPECT_FALSE(SerializeIcon(IconImage{}, buffer, 0, length, 1));
    IconImage mismatched = patternIcon(16, 16);
    mismatched.mask = monoMask(8, 8);
    EXPECT_FALSE(SerializeIcon(mismatched, buffer, 0, length, 1));
    EXPECT_EQ(buffer, QByteArray("keep"));
    EXPECT_EQ(length, 77);
}

TEST(IconStream, ReaderFailsCleanlyOnBrokenRecords) {
    QByteArray good;
    qsizetype length = 0;
    ASSERT_TRUE(SerializeIcon(patternIcon(16, 16), good, 0, length, 1));

    auto withLong = [&](qsizetype at, int32_t value) {
        QByteArray b = good;
        qToLittleEndian<int32_t>(value, b.data() + at);
        return b;
    };
    const qsizetype colour = 12;
    const qsizetype mask = 12 + 24 + 1024;
    struct Case {
        const char* what;
        QByteArray bytes;
        qsizetype offset;
    };
    const Case cases[] = {
        {"empty", QByteArray(), 0},
        {"head only", good.left(12), 0},
        {"colour rows cut short", good.left(12 + 24 + 100), 0},
        {"mask cut short", good.left(good.size() - 1), 0},
        {"zero width", withLong(colour + 4, 0), 0},
        {"negative height", withLong(colour + 8, -16), 0},
        {"huge width", withLong(colour + 4, 0x7FFFFFFF), 0},
        {"width beyond the bytes", withLong(colour + 4, 4096), 0},
        {"mask of another size", withLong(mask + 4, 8), 0},
        {"offset past the end", good, good.size() + 4},
        {"negative offset", good, -1},
    };
    for (const Case& c : cases) {
        IconImage icon;
        qsizetype read = 55;
        EXPECT_FALSE(DeserializeIcon(icon, c.bytes, c.offset, read, 1)) << c.what;
        EXPECT_EQ(read, 55) << c.what;
        EXPECT_TRUE(icon.colour.isNull()) << c.what;
    }
}

TEST(IconStream, ReadingStopsAtTheFirstBrokenRecord) {
    QByteArray stream =
        writeStream({patternIcon(16, 16, 1), patternIcon(16, 16, 2), patternIcon(16, 16, 3)}, 1);
    qToLittleEndian<int32_t>(0, stream.data() + 1148 + 12 + 4); // second record's colour width
    const StreamRead read = readStream(stream, 1);
    EXPECT_FALSE(read.complete);
    EXPECT_EQ(read.icons.size(), 1u);
}

TEST(ImageListFile, LayoutAndRoundTrip) {
    ImageListFile file;
    file.streamVersion = kVersion2019;
    file.stream = writeStream({patternIcon(16, 16)}, kVersion2019);
    file.keyText = QByteArray("ab\xFF\xFF", 4);
    const QByteArray bytes = writeFile(file);
    EXPECT_EQ(bytes.left(4), QByteArray("\x56\xE4\x45\x57", 4));
    EXPECT_EQ(longAt(bytes, 4), kVersion2019);
    EXPECT_EQ(longAt(bytes, 8), 1148);
    EXPECT_EQ(longAt(bytes, 12 + 1148), 4);
    EXPECT_EQ(bytes.size(), 16 + 1148 + 4);

    FileError error = FileError::Truncated;
    const auto read = readFile(bytes, &error);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(error, FileError::None);
    EXPECT_EQ(read->streamVersion, kVersion2019);
    EXPECT_EQ(read->stream, file.stream);
    EXPECT_EQ(read->keyText, file.keyText);
}

TEST(ImageListFile, OlderLayoutWithoutMagicReadsAsTwentyFourBit) {
    const QByteArray stream = writeStream({patternIcon(16, 16, 5)}, 0);
    QByteArray bytes(4, '\0');
    qToLittleEndian<int32_t>(static_cast<int32_t>(stream.size()), bytes.data());
    bytes += stream;
    const auto read = readFile(bytes);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->streamVersion, 0);
    EXPECT_EQ(read->stream, stream);
    EXPECT_TRUE(read->keyText.isEmpty()); // the file ends after its stream: no keys
    const StreamRead icons = readStream(read->stream, read->streamVersion);
    ASSERT_EQ(icons.icons.size(), 1u);
    expectSameIcon(patternIcon(16, 16, 5), icons.icons[0]);
}

TEST(ImageListFile, ShortOrInconsistentFilesAreRefused) {
    ImageListFile file;
    file.streamVersion = 1;
    file.stream = writeStream({patternIcon(16, 16)}, 1);
    file.keyText = "key\xFF\xFF";
    const QByteArray good = writeFile(file);
    auto withLong = [&](qsizetype at, int32_t value) {
        QByteArray b = good;
        qToLittleEndian<int32_t>(value, b.data() + at);
        return b;
    };
    struct Case {
        const char* what;
        QByteArray bytes;
        FileError error;
    };
    const Case cases[] = {
        {"nothing", QByteArray(), FileError::Truncated},
        {"three bytes", good.left(3), FileError::Truncated},
        {"magic without lengths", good.left(8), FileError::Truncated},
        {"stream cut short", good.left(12 + 500), FileError::Truncated},
        {"key length cut short", good.left(12 + 1148 + 2), FileError::Truncated},
        {"key text cut short", good.left(good.size() - 1), FileError::Truncated},
        {"stream longer than the file", withLong(8, 0x7FFFFFFF), FileError::Truncated},
        {"negative stream length", withLong(8, -4), FileError::BadLength},
        {"negative key length", withLong(12 + 1148, -1), FileError::BadLength},
    };
    for (const Case& c : cases) {
        FileError error = FileError::None;
        EXPECT_FALSE(readFile(c.bytes, &error).has_value()) << c.what;
        EXPECT_EQ(error, c.error) << c.what;
    }
}

TEST(ImageListFile, RandomDamageNeverCrashesTheReaders) {
    ImageListFile file;
    file.streamVersion = 1;
    file.stream =
        writeStream({patternIcon(16, 16, 1), patternIcon(24, 24, 2), patternIcon(16, 16, 3)}, 1);
    file.keyText = "one\xFFtwo\xFF\xFF";
    const QByteArray good = writeFile(file);
    std::mt19937 random(20191111);
    int readable = 0;
    size_t rebuilt = 0;
    for (int round = 0; round < 3000; ++round) {
        QByteArray bytes = good;
        const int flips = 1 + static_cast<int>(random() % 8);
        for (int i = 0; i < flips; ++i)
            bytes[static_cast<qsizetype>(random() % static_cast<uint32_t>(bytes.size()))] =
                char(random());
        if (random() % 4 == 0)
            bytes.truncate(static_cast<qsizetype>(random() % static_cast<uint32_t>(bytes.size())));
        const auto read = readFile(bytes);
        if (!read) continue;
        ++readable;
        rebuilt += readStream(read->stream, read->streamVersion).icons.size();
    }
    // Damage outside the records leaves files that still read, with their icons.
    EXPECT_GT(readable, 0);
    EXPECT_GT(rebuilt, 0u);
}
