#include "companions/miniskins.h"

#include "companions/minilogic.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

#include <array>

namespace {

struct Look {
    int left, middle, right;
    QColor glow;
};

// The six named skins: blue, yellow, pink, green, purple, red.
const std::array<Look, 6> kLooks{{
    {9, 10, 11, QColor(60, 140, 255)},
    {18, 17, 16, QColor(250, 200, 40)},
    {24, 23, 22, QColor(255, 110, 180)},
    {30, 29, 28, QColor(60, 200, 90)},
    {36, 35, 34, QColor(170, 90, 230)},
    {42, 41, 40, QColor(235, 60, 50)},
}};

void darkBase(QPainter& p, const QSize& size, const QColor& glow) {
    QLinearGradient base(0, 0, 0, size.height());
    base.setColorAt(0, QColor(58, 60, 66));
    base.setColorAt(0.5, QColor(24, 25, 29));
    base.setColorAt(1, QColor(8, 8, 10));
    p.fillRect(QRect(QPoint(0, 0), size), base);
    // The coloured glow rises from the bottom edge.
    QLinearGradient rise(0, size.height(), 0, size.height() * 0.45);
    QColor strong = glow;
    strong.setAlpha(150);
    QColor none = glow;
    none.setAlpha(0);
    rise.setColorAt(0, strong);
    rise.setColorAt(1, none);
    p.fillRect(QRect(QPoint(0, 0), size), rise);
    p.setPen(QColor(255, 255, 255, 40));
    p.drawLine(0, 1, size.width() - 1, 1);
}

QImage drawNamed(const Look& look, int element) {
    const QSize size = mini::pieceSize(element);
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::black);
    QPainter p(&image);
    if (element == look.right) {
        p.fillRect(image.rect(), QColor(12, 12, 14));
        p.setPen(look.glow.darker(130));
        p.drawLine(size.width() - 1, 0, size.width() - 1, size.height() - 1);
        return image;
    }
    darkBase(p, size, look.glow);
    if (element == look.left) {
        // The small box at the left end, lit by the skin's colour.
        p.setRenderHint(QPainter::Antialiasing);
        QRadialGradient halo(QPointF(15, 20), 14);
        QColor h = look.glow;
        h.setAlpha(170);
        halo.setColorAt(0, h);
        h.setAlpha(0);
        halo.setColorAt(1, h);
        p.fillRect(QRect(1, 6, 28, 28), halo);
        p.setPen(QPen(QColor(235, 240, 250), 1.2));
        p.setBrush(look.glow.darker(150));
        p.drawRoundedRect(QRectF(8.5, 13.5, 13, 12), 2, 2);
        p.drawLine(QPointF(8.5, 17.5), QPointF(21.5, 17.5));
        p.drawLine(QPointF(15, 13.5), QPointF(15, 25.5));
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(QColor(0, 0, 0));
        p.drawLine(0, 0, 0, size.height() - 1);
    }
    return image;
}

QImage drawFrame(int element) {
    const QSize size = mini::pieceSize(element);
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    const bool violet = element >= 3;
    const QColor fill = violet ? QColor(92, 62, 128) : QColor(96, 98, 104);
    const QColor edge = violet ? QColor(150, 110, 200) : QColor(160, 162, 168);
    image.fill(fill);
    QPainter p(&image);
    p.setPen(edge);
    p.drawLine(0, 0, size.width() - 1, 0);
    p.drawLine(0, size.height() - 1, size.width() - 1, size.height() - 1);
    if (element % 3 == 0)
        p.drawLine(0, 0, 0, size.height() - 1);
    if (element % 3 == 2)
        p.drawLine(size.width() - 1, 0, size.width() - 1, size.height() - 1);
    return image;
}

} // namespace

QImage miniSkinPicture(int element) {
    if (mini::pieceSize(element).isEmpty())
        return QImage();
    if (element >= 0 && element <= 5)
        return drawFrame(element);
    for (const Look& look : kLooks) {
        if (element == look.left || element == look.middle || element == look.right)
            return drawNamed(look, element);
    }
    return QImage();
}
