#include "simservice/gifwriter.h"

namespace {

constexpr int kMinCodeSize = 7; // 128 colours: 8-bit codes, one byte each
constexpr int kClear = 1 << kMinCodeSize;
constexpr int kEnd = kClear + 1;
// After a clear the decoder adds a table entry for every code but the first; 126 entries fit
// before the code width would have to grow past eight bits.
constexpr int kCodesPerClear = 126;

void put16(QByteArray& out, int v) {
    out.append(static_cast<char>(v & 0xFF));
    out.append(static_cast<char>((v >> 8) & 0xFF));
}

} // namespace

QByteArray writeGif(const QImage& source) {
    const QImage image = source.format() == QImage::Format_Indexed8 ? source : source.convertToFormat(QImage::Format_Indexed8);
    QByteArray out("GIF89a");
    put16(out, image.width());
    put16(out, image.height());
    out.append(static_cast<char>(0xF0 | (kMinCodeSize - 1))); // global table of 128 colours
    out.append('\0');
    out.append('\0');
    const QList<QRgb> colors = image.colorTable();
    for (int i = 0; i < kClear; ++i) {
        const QRgb c = i < colors.size() ? colors[i] : qRgb(0, 0, 0);
        out.append(static_cast<char>(qRed(c)));
        out.append(static_cast<char>(qGreen(c)));
        out.append(static_cast<char>(qBlue(c)));
    }
    out.append(',');
    put16(out, 0);
    put16(out, 0);
    put16(out, image.width());
    put16(out, image.height());
    out.append('\0');
    out.append(static_cast<char>(kMinCodeSize));

    QByteArray codes;
    int sinceClear = kCodesPerClear;
    for (int y = 0; y < image.height(); ++y) {
        const uchar* row = image.constScanLine(y);
        for (int x = 0; x < image.width(); ++x) {
            if (sinceClear == kCodesPerClear) {
                codes.append(static_cast<char>(kClear));
                sinceClear = 0;
            }
            codes.append(static_cast<char>(row[x] & (kClear - 1)));
            ++sinceClear;
        }
    }
    codes.append(static_cast<char>(kEnd));
    for (qsizetype i = 0; i < codes.size(); i += 255) {
        const QByteArray block = codes.mid(i, 255);
        out.append(static_cast<char>(block.size()));
        out.append(block);
    }
    out.append('\0');
    out.append(';');
    return out;
}
