// Draws the program's icon: a gold coin with a rising quote line across it, once for each size
// asked for (strokes never thinner than a pixel, so the small ones stay readable), as PNG files
// named program-<size>.png.
//
// Usage: makeprogramicon <output folder> <size>...
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>
#include <cstdio>

namespace {

// Design units: the icon is drawn on a 256 x 256 square and scaled; widths in pixels are kept
// above one pixel at the small sizes so the line does not fade away.
QImage draw(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal unit = size / 256.0;
    auto px = [unit](qreal designUnits, qreal minimumPixels) { return std::max(designUnits * unit, minimumPixels); };

    // The coin: a dark rim, a bright face lit from the upper left, an inner ring.
    const QPointF centre(128 * unit, 128 * unit);
    const qreal radius = 124 * unit;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x8a, 0x5a, 0x00));
    p.drawEllipse(centre, radius, radius);
    QRadialGradient face(QPointF(96 * unit, 80 * unit), 190 * unit);
    face.setColorAt(0.0, QColor(0xff, 0xf1, 0xa8));
    face.setColorAt(0.45, QColor(0xf5, 0xc2, 0x2e));
    face.setColorAt(1.0, QColor(0xc0, 0x84, 0x06));
    p.setBrush(face);
    const qreal faceRadius = radius - px(14, 1.0);
    p.drawEllipse(centre, faceRadius, faceRadius);
    if (size >= 32) {
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(0xa8, 0x70, 0x00, 200), px(6, 1.0)));
        const qreal ring = faceRadius - px(16, 2.0);
        p.drawEllipse(centre, ring, ring);
    }

    // The quote line: up, a dip, and up again to the right edge, red as a rising price is shown.
    QPainterPath line;
    const QPointF points[] = {{40, 176}, {92, 132}, {132, 158}, {212, 72}};
    line.moveTo(points[0] * unit);
    for (int i = 1; i < 4; ++i)
        line.lineTo(points[i] * unit);
    const qreal width = px(26, 2.0);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, 230), width + px(16, 1.0), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(line);
    p.setPen(QPen(QColor(0xd0, 0x10, 0x10), width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(line);
    p.end();
    return image;
}

} // namespace

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: makeprogramicon <output folder> <size>...\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "makeprogramicon: cannot make %s\n", argv[1]);
        return 1;
    }
    for (int i = 2; i < argc; ++i) {
        const int size = QByteArray(argv[i]).toInt();
        if (size < 8 || size > 1024) {
            std::fprintf(stderr, "makeprogramicon: no icon of size %s\n", argv[i]);
            return 2;
        }
        const QString file = out.filePath(QStringLiteral("program-%1.png").arg(size));
        if (!draw(size).save(file)) {
            std::fprintf(stderr, "makeprogramicon: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
