#include "widgets/imagelist/anicursor.h"

#include <QBuffer>
#include <QImageReader>
#include <QtEndian>

#include <algorithm>

namespace anicursor {
namespace {

constexpr qsizetype kChunkHead = 8; // four-letter id and a 32-bit little-endian length

bool idAt(QByteArrayView bytes, qsizetype at, const char* id) {
    return at >= 0 && at + 4 <= bytes.size() && bytes.sliced(at, 4) == QByteArrayView(id, 4);
}

// A chunk's length as stored, or -1 when its head runs past `end`.
qint64 storedLength(QByteArrayView bytes, qsizetype at, qsizetype end) {
    if (at < 0 || at + kChunkHead > end) return -1;
    return qFromLittleEndian<quint32>(bytes.data() + at + 4);
}

// One frame: an icon or cursor file; the largest picture it holds.
QImage readFrame(QByteArrayView data) {
    QByteArray copy = data.toByteArray();
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "ico");
    QImage best = reader.read();
    while (reader.jumpToNextImage()) {
        const QImage next = reader.read();
        if (!next.isNull() && next.width() > best.width()) best = next;
    }
    return best;
}

// The frame list sits at the top level; lists nested deeper are not looked into, so a hostile
// file cannot nest its way down the stack.
constexpr int kMaxDepth = 2;

void collectFrames(QByteArrayView bytes, qsizetype from, qsizetype end, std::vector<QImage>& frames,
                   bool& failed, int depth) {
    for (qsizetype at = from; at < end && !failed;) {
        const qint64 stored = storedLength(bytes, at, end);
        if (stored < 0) return;
        const qsizetype data = at + kChunkHead;
        const bool cut = stored > end - data;
        // A list cut short still gives the frames it holds whole; any other chunk cut short ends
        // the reading.
        const qsizetype length = cut ? end - data : qsizetype(stored);
        if (idAt(bytes, at, "LIST") && idAt(bytes, data, "fram") && depth < kMaxDepth) {
            collectFrames(bytes, data + 4, data + length, frames, failed, depth + 1);
            if (cut) return;
        } else if (cut) {
            return;
        } else if (idAt(bytes, at, "icon")) {
            const QImage frame = readFrame(bytes.sliced(data, length));
            if (frame.isNull()) {
                failed = true;
                return;
            }
            frames.push_back(frame);
        }
        at = data + length + (length & 1); // chunks are padded to an even length
    }
}

} // namespace

bool isAnimatedCursor(QByteArrayView bytes) {
    return idAt(bytes, 0, "RIFF") && idAt(bytes, 8, "ACON");
}

std::vector<QImage> readFrames(QByteArrayView bytes) {
    std::vector<QImage> frames;
    if (!isAnimatedCursor(bytes)) return frames;
    // A file cut short is read as far as it goes.
    const qint64 stored = storedLength(bytes, 0, bytes.size());
    const qsizetype end =
        stored < 0 ? 0 : qsizetype(std::min<qint64>(kChunkHead + stored, bytes.size()));
    bool failed = false;
    collectFrames(bytes, 12, end, frames, failed, 0);
    return frames;
}

} // namespace anicursor
