#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QImage>
#include <QPoint>

#include <cstdint>
#include <optional>
#include <vector>

// The image list's byte formats: the icon stream (one record per image: icon flag, hotspot, the
// colour bitmap and the mask, each a 24-byte bitmap description followed by bottom-up
// device-independent rows) and the image list file that wraps a stream with its keys.
//
// Readers take bytes, never a file name, check every length against the bytes they were given
// and fail rather than read past them. Writers grow the buffer to what the image needs.
namespace iconstream {

// The version streams are written with: the program's version 2019.11 as major x 65,536 + minor.
// Readers only ask whether a version is above 0 (32-bit colour) or not (24-bit).
inline constexpr int32_t kStreamVersion = 2019 * 65536 + 11;
// Largest image side a record may hold; the lists hold 1 to 256 pixels.
inline constexpr int kMaxRecordSide = 256;
// The file's magic number (bytes 56 E4 45 57).
inline constexpr int32_t kFileMagic = 0x5745E456;
// The byte separating the keys in a file's key text.
inline constexpr char kFileKeySeparator = '\xFF';
// Size of a bitmap description and of a record's head.
inline constexpr int kBitmapHeadSize = 24;
inline constexpr int kIconHeadSize = 12;

// One image as an icon: a colour bitmap (RGB32) and a mask of the same size (Mono, index 1 set =
// transparent), with the hotspot the icon information reports (the centre for an icon).
struct IconImage {
    QImage colour;
    QImage mask;
    QPoint hotspot;
    int32_t iconFlag = 1;
};

// The icon of a colour bitmap and mask, its hotspot at the centre.
[[nodiscard]] IconImage makeIcon(const QImage& colour, const QImage& mask);

// Room a bitmap block reserves for its pixel data (D): 32-bit colour when version > 0, else 24-bit
// with 3W + 3 bytes a row; the mask's rows by the rounded byte width. -1 for a width or height
// that is not positive or beyond kMaxRecordSide.
[[nodiscard]] int64_t pixelRoom(int width, int height, bool isMask, int32_t streamVersion);

// Writes one bitmap block at offset (the buffer grows as needed) and sets length; false, with
// nothing written, for a null bitmap. A mask pixel is set where the bitmap is light.
bool SerializeBitmap(const QImage& bitmap, bool isMask, QByteArray& buffer, qsizetype offset,
                     qsizetype& length, int32_t streamVersion);
// Writes one image record at offset and sets length; false, with nothing written, when the icon
// has no colour bitmap or its mask does not match it.
bool SerializeIcon(const IconImage& icon, QByteArray& buffer, qsizetype offset, qsizetype& length,
                   int32_t streamVersion);

// Reads one bitmap block at offset; false (bitmap and length untouched) when the description is
// not one this format writes or the block runs past the buffer.
bool DeserializeBitmap(QImage& bitmap, bool isMask, QByteArrayView buffer, qsizetype offset,
                       qsizetype& length, int32_t streamVersion);
// Reads one image record at offset; true when an icon was made (colour and mask of one size),
// else false with icon and length untouched.
bool DeserializeIcon(IconImage& icon, QByteArrayView buffer, qsizetype offset, qsizetype& length,
                     int32_t streamVersion);

// The stream of a list of icons; icons that cannot be written are left out.
[[nodiscard]] QByteArray writeStream(const std::vector<IconImage>& icons, int32_t streamVersion);

// The icons of the first `size` bytes of a stream. Reading stops at the first record that cannot
// be rebuilt (its length is unknown then); `complete` tells whether the whole size was read.
struct StreamRead {
    std::vector<IconImage> icons;
    bool complete = true;
};
[[nodiscard]] StreamRead readStream(QByteArrayView stream, int32_t streamVersion);

// An image list file's parts: the version (0 for the older layout without the magic), the icon
// stream and the key text as written (code-page bytes, keys separated by 0xFF).
struct ImageListFile {
    int32_t streamVersion = 0;
    QByteArray stream;
    QByteArray keyText;
};

[[nodiscard]] QByteArray writeFile(const ImageListFile& file);

// Why a file could not be read: it ends before the lengths it announces, or a length is negative.
enum class FileError { None, Truncated, BadLength };
[[nodiscard]] std::optional<ImageListFile> readFile(QByteArrayView bytes,
                                                    FileError* error = nullptr);

} // namespace iconstream
