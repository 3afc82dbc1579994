#include "widgets/imagelist/iconstream.h"

#include <QtEndian>

#include <cstring>

namespace iconstream {
namespace {


void putLong(QByteArray& buffer, qsizetype at, int32_t value) {
    qToLittleEndian<int32_t>(value, buffer.data() + at);
}

void putShort(QByteArray& buffer, qsizetype at, int16_t value) {
    qToLittleEndian<int16_t>(value, buffer.data() + at);
}

int32_t getLong(QByteArrayView bytes, qsizetype at) {
    return qFromLittleEndian<int32_t>(bytes.data() + at);
}

// Whether `count` bytes from `offset` lie inside the buffer.
bool fits(QByteArrayView bytes, qsizetype offset, int64_t count) {
    return offset >= 0 && count >= 0 && offset <= bytes.size() && count <= bytes.size() - offset;
}

void ensureSize(QByteArray& buffer, qsizetype size) {
    if (buffer.size() < size) buffer.resize(size, '\0');
}

// A mask pixel is set (transparent) when it is light, whatever format the bitmap has.
bool maskSet(const QImage& mask, int x, int y) {
    return qGray(mask.pixel(x, y)) >= 128;
}

// The row length of the padded device-independent rows of a bitmap of this width and depth.
int64_t dibRowBytes(int width, int bitsPerPixel) {
    return ((int64_t(width) * bitsPerPixel + 31) / 32) * 4;
}

// Round half to even of (width + 7) / 8, the byte width the mask's room is counted in.
int64_t maskRoundedBytes(int width) {
    const int64_t twice = 2 * (int64_t(width) + 7); // (width + 7) / 8 in sixteenths
    int64_t whole = twice / 16;
    const int64_t rest = twice % 16;
    if (rest > 8 || (rest == 8 && whole % 2 != 0)) ++whole;
    return whole;
}

} // namespace

IconImage makeIcon(const QImage& colour, const QImage& mask) {
    IconImage icon;
    icon.colour = colour;
    icon.mask = mask;
    icon.hotspot = QPoint(colour.width() / 2, colour.height() / 2);
    return icon;
}

int64_t pixelRoom(int width, int height, bool isMask, int32_t streamVersion) {
    if (width <= 0 || height <= 0 || width > kMaxRecordSide || height > kMaxRecordSide) return -1;
    if (isMask) return int64_t(height) * 4 * ((maskRoundedBytes(width) + 3) / 4);
    if (streamVersion > 0) return int64_t(width) * height * 4;
    return (3 * int64_t(width) + 3) * height;
}

bool SerializeBitmap(const QImage& bitmap, bool isMask, QByteArray& buffer, qsizetype offset,
                     qsizetype& length, int32_t streamVersion) {
    if (bitmap.isNull() || offset < 0) return false;
    const int w = bitmap.width();
    const int h = bitmap.height();
    const int64_t room = pixelRoom(w, h, isMask, streamVersion);
    if (room < 0) return false;
    ensureSize(buffer, offset + kBitmapHeadSize + room);
    char* head = buffer.data() + offset;
    std::memset(head, 0, static_cast<size_t>(kBitmapHeadSize + room));

    // The description of the device bitmap an icon is made of: the mask one bit deep with rows
    // padded to whole words, the colour bitmap as deep as the display (32 bits).
    const int deviceBits = isMask ? 1 : 32;
    putLong(buffer, offset + 0, 0);
    putLong(buffer, offset + 4, w);
    putLong(buffer, offset + 8, h);
    putLong(buffer, offset + 12, static_cast<int32_t>(((int64_t(w) * deviceBits + 15) / 16) * 2));
    putShort(buffer, offset + 16, 1);
    putShort(buffer, offset + 18, static_cast<int16_t>(deviceBits));
    putLong(buffer, offset + 20, 0);

    const int dibBits = isMask ? 1 : (streamVersion > 0 ? 32 : 24);
    const int64_t rowBytes = dibRowBytes(w, dibBits);
    auto* data = reinterpret_cast<uchar*>(buffer.data() + offset + kBitmapHeadSize);
    const QImage source = isMask ? bitmap : bitmap.convertToFormat(QImage::Format_RGB32);
    for (int row = 0; row < h; ++row) {
        const int y = h - 1 - row; // bottom-up
        uchar* out = data + row * rowBytes;
        for (int x = 0; x < w; ++x) {
            if (isMask) {
                if (maskSet(source, x, y)) out[x / 8] |= uchar(0x80 >> (x % 8));
                continue;
            }
            const QRgb px = source.pixel(x, y);
            uchar* p = out + x * (dibBits / 8);
            p[0] = uchar(qBlue(px));
            p[1] = uchar(qGreen(px));
            p[2] = uchar(qRed(px));
        }
    }
    length = static_cast<qsizetype>(kBitmapHeadSize + room);
    return true;
}

bool SerializeIcon(const IconImage& icon, QByteArray& buffer, qsizetype offset, qsizetype& length,
                   int32_t streamVersion) {
    if (icon.colour.isNull() || icon.mask.size() != icon.colour.size() || offset < 0) return false;
    QByteArray record;
    record.resize(kIconHeadSize, '\0');
    putLong(record, 0, icon.iconFlag);
    putLong(record, 4, icon.hotspot.x());
    putLong(record, 8, icon.hotspot.y());
    qsizetype colourLength = 0;
    qsizetype maskLength = 0;
    if (!SerializeBitmap(icon.colour, false, record, kIconHeadSize, colourLength, streamVersion) ||
        !SerializeBitmap(icon.mask, true, record, kIconHeadSize + colourLength, maskLength,
                         streamVersion))
        return false;
    ensureSize(buffer, offset + record.size());
    std::memcpy(buffer.data() + offset, record.constData(), static_cast<size_t>(record.size()));
    length = record.size();
    return true;
}

bool DeserializeBitmap(QImage& bitmap, bool isMask, QByteArrayView buffer, qsizetype offset,
                       qsizetype& length, int32_t streamVersion) {
    if (!fits(buffer, offset, kBitmapHeadSize)) return false;
    const int32_t w = getLong(buffer, offset + 4);
    const int32_t h = getLong(buffer, offset + 8);
    const int64_t room = pixelRoom(w, h, isMask, streamVersion);
    if (room < 0 || !fits(buffer, offset + kBitmapHeadSize, room)) return false;

    QImage image;
    if (isMask) {
        image = QImage(w, h, QImage::Format_Mono);
        if (!image.isNull()) {
            image.setColor(0, qRgb(0, 0, 0));
            image.setColor(1, qRgb(255, 255, 255));
        }
    } else {
        image = QImage(w, h, QImage::Format_RGB32);
    }
    if (image.isNull()) return false;

    const int dibBits = isMask ? 1 : (streamVersion > 0 ? 32 : 24);
    const int64_t rowBytes = dibRowBytes(w, dibBits);
    const auto* data = reinterpret_cast<const uchar*>(buffer.data() + offset + kBitmapHeadSize);
    for (int row = 0; row < h; ++row) {
        const int y = h - 1 - row;
        const uchar* in = data + row * rowBytes;
        for (int x = 0; x < w; ++x) {
            if (isMask) {
                image.setPixel(x, y, (in[x / 8] >> (7 - x % 8)) & 1);
                continue;
            }
            const uchar* p = in + x * (dibBits / 8);
            image.setPixel(x, y, qRgb(p[2], p[1], p[0]));
        }
    }
    bitmap = image;
    length = static_cast<qsizetype>(kBitmapHeadSize + room);
    return true;
}

bool DeserializeIcon(IconImage& icon, QByteArrayView buffer, qsizetype offset, qsizetype& length,
                     int32_t streamVersion) {
    if (!fits(buffer, offset, kIconHeadSize)) return false;
    IconImage read;
    read.iconFlag = 1;
    read.hotspot = QPoint(getLong(buffer, offset + 4), getLong(buffer, offset + 8));
    qsizetype colourLength = 0;
    qsizetype maskLength = 0;
    if (!DeserializeBitmap(read.colour, false, buffer, offset + kIconHeadSize, colourLength,
                           streamVersion) ||
        !DeserializeBitmap(read.mask, true, buffer, offset + kIconHeadSize + colourLength,
                           maskLength, streamVersion))
        return false;
    if (read.colour.size() != read.mask.size()) return false;
    icon = read;
    length = kIconHeadSize + colourLength + maskLength;
    return true;
}

QByteArray writeStream(const std::vector<IconImage>& icons, int32_t streamVersion) {
    QByteArray stream;
    qsizetype offset = 0;
    for (const IconImage& icon : icons) {
        qsizetype length = 0;
        if (SerializeIcon(icon, stream, offset, length, streamVersion)) offset += length;
    }
    stream.truncate(offset);
    return stream;
}

StreamRead readStream(QByteArrayView stream, int32_t streamVersion) {
    StreamRead result;
    qsizetype offset = 0;
    while (offset < stream.size()) {
        IconImage icon;
        qsizetype length = 0;
        if (!DeserializeIcon(icon, stream, offset, length, streamVersion)) {
            result.complete = false;
            break;
        }
        result.icons.push_back(icon);
        offset += length;
    }
    return result;
}

QByteArray writeFile(const ImageListFile& file) {
    QByteArray bytes;
    bytes.resize(12, '\0');
    putLong(bytes, 0, kFileMagic);
    putLong(bytes, 4, file.streamVersion);
    putLong(bytes, 8, static_cast<int32_t>(file.stream.size()));
    bytes += file.stream;
    QByteArray length(4, '\0');
    putLong(length, 0, static_cast<int32_t>(file.keyText.size()));
    bytes += length;
    bytes += file.keyText;
    return bytes;
}

std::optional<ImageListFile> readFile(QByteArrayView bytes, FileError* error) {
    auto fail = [error](FileError why) -> std::optional<ImageListFile> {
        if (error) *error = why;
        return std::nullopt;
    };
    if (error) *error = FileError::None;
    if (!fits(bytes, 0, 4)) return fail(FileError::Truncated);
    ImageListFile file;
    qsizetype at = 0;
    int32_t streamLength = getLong(bytes, 0);
    if (streamLength == kFileMagic) {
        if (!fits(bytes, 0, 12)) return fail(FileError::Truncated);
        file.streamVersion = getLong(bytes, 4);
        streamLength = getLong(bytes, 8);
        at = 12;
    } else {
        // The older layout: no magic, no version, 24-bit colour blocks.
        at = 4;
    }
    if (streamLength < 0) return fail(FileError::BadLength);
    if (!fits(bytes, at, streamLength)) return fail(FileError::Truncated);
    file.stream = bytes.sliced(at, streamLength).toByteArray();
    at += streamLength;
    if (at == bytes.size()) return file; // a file that ends after its stream has no keys
    if (!fits(bytes, at, 4)) return fail(FileError::Truncated);
    const int32_t keyLength = getLong(bytes, at);
    at += 4;
    if (keyLength < 0) return fail(FileError::BadLength);
    if (!fits(bytes, at, keyLength)) return fail(FileError::Truncated);
    file.keyText = bytes.sliced(at, keyLength).toByteArray();
    return file;
}

} // namespace iconstream
