#pragma once

#include <QByteArray>
#include <QBuffer>
#include <QColor>
#include <QIcon>
#include <QImage>
#include <QImageWriter>
#include <QList>
#include <QtEndian>

#include <utility>

// An icon file drawn here: one plain square picture per (size, colour), in the order given.
inline QByteArray iconFile(const QList<std::pair<int, QColor>>& pictures) {
    QByteArray entries;
    QByteArray data;
    const int headerSize = 6 + 16 * static_cast<int>(pictures.size());
    for (const auto& [size, colour] : pictures) {
        QImage image(size, size, QImage::Format_ARGB32);
        image.fill(colour);
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "ico");
        if (!writer.write(image))
            return {};
        // A one-picture file: 6 bytes of header, one 16-byte entry, then the picture.
        const QByteArray single = buffer.data();
        QByteArray entry = single.mid(6, 16);
        qToLittleEndian<quint32>(headerSize + data.size(), entry.data() + 12);
        entries += entry;
        data += single.mid(22);
    }
    QByteArray header(6, '\0');
    qToLittleEndian<quint16>(1, header.data() + 2);
    qToLittleEndian<quint16>(static_cast<quint16>(pictures.size()), header.data() + 4);
    return header + entries + data;
}

// The colour in the middle of an icon drawn at `size`.
inline QColor iconColour(const QIcon& icon, int size) {
    const QImage image = icon.pixmap(size, size).toImage();
    return image.isNull() ? QColor() : image.pixelColor(image.width() / 2, image.height() / 2);
}
