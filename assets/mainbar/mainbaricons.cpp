#include "assets/mainbar/mainbaricons.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <numbers>

namespace toolbar {

namespace {

QImage blankIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    return image;
}

void prepare(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
}

// A door standing open with an arrow leaving through it: signing out.
QImage logoutIcon() {
    QImage image = blankIcon(16);
    QPainter p(&image);
    prepare(p);
    p.setBrush(QColor(0x8A, 0x5A, 0x2B));
    p.drawRect(QRectF(2, 1, 8, 14));
    p.setBrush(QColor(0xF4, 0xE8, 0xD0));
    p.drawRect(QRectF(3.5, 2.5, 5, 11));
    p.setBrush(QColor(0xB0, 0x74, 0x38));
    p.drawPolygon(QPolygonF({{3.5, 2.5}, {7.5, 4}, {7.5, 15}, {3.5, 13.5}}));
    p.setBrush(QColor(0xFF, 0xE0, 0x60));
    p.drawEllipse(QPointF(6.5, 9), 0.8, 0.8);
    p.setBrush(QColor(0x1E, 0x9E, 0x3A));
    p.drawPolygon(QPolygonF(
        {{8, 6.5}, {11.5, 6.5}, {11.5, 4}, {15.5, 8}, {11.5, 12}, {11.5, 9.5}, {8, 9.5}}));
    return image;
}

// A gear: the settings.
QImage gearIcon() {
    QImage image = blankIcon(16);
    QPainter p(&image);
    prepare(p);
    QPainterPath gear;
    constexpr int kTeeth = 8;
    for (int i = 0; i < kTeeth * 4; ++i) {
        const double angle = (i - 0.5) * std::numbers::pi / (kTeeth * 2);
        const double r = (i % 4 < 2) ? 7.4 : 5.4;
        const QPointF point(8 + r * std::cos(angle), 8 + r * std::sin(angle));
        if (i == 0)
            gear.moveTo(point);
        else
            gear.lineTo(point);
    }
    gear.closeSubpath();
    gear.addEllipse(QPointF(8, 8), 2.2, 2.2);
    gear.setFillRule(Qt::OddEvenFill);
    p.setPen(QPen(QColor(0x3C, 0x46, 0x55), 0.8));
    p.setBrush(QColor(0x8C, 0x9B, 0xAE));
    p.drawPath(gear);
    return image;
}

// A ringing bell: the price alerts.
QImage bellIcon() {
    QImage image = blankIcon(16);
    QPainter p(&image);
    prepare(p);
    QPainterPath bell;
    bell.moveTo(2, 12.5);
    bell.cubicTo(4, 11, 3.5, 8, 4, 6);
    bell.cubicTo(4.6, 3, 6.2, 2, 8, 2);
    bell.cubicTo(9.8, 2, 11.4, 3, 12, 6);
    bell.cubicTo(12.5, 8, 12, 11, 14, 12.5);
    bell.closeSubpath();
    p.setPen(QPen(QColor(0x9A, 0x6A, 0x00), 0.8));
    p.setBrush(QColor(0xF5, 0xC2, 0x1B));
    p.drawPath(bell);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x9A, 0x6A, 0x00));
    p.drawEllipse(QPointF(8, 13.6), 1.6, 1.6);
    p.drawEllipse(QPointF(8, 1.6), 1, 1);
    p.setBrush(QColor(0xFF, 0xF4, 0xC0));
    p.drawEllipse(QRectF(5.2, 4.2, 1.6, 4));
    p.setBrush(QColor(0xD9, 0x2B, 0x2B));
    p.drawEllipse(QPointF(13, 3), 2.2, 2.2);
    return image;
}

// A pocket calculator with its display and keys.
QImage calculatorIcon() {
    QImage image = blankIcon(16);
    QPainter p(&image);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x4A, 0x55, 0x66));
    p.drawRect(2, 0, 12, 16);
    p.setBrush(QColor(0xA8, 0xD8, 0x9A));
    p.drawRect(4, 2, 8, 3);
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            p.setBrush(col == 2 && row == 2 ? QColor(0xF0, 0x8A, 0x24) : QColor(0xE6, 0xE9, 0xEE));
            p.drawRect(4 + col * 3, 7 + row * 3, 2, 2);
        }
    }
    return image;
}

// A pie of shares: how a position is divided.
QImage positionIcon() {
    QImage image = blankIcon(16);
    QPainter p(&image);
    prepare(p);
    const QRectF disc(1, 1.5, 13, 13);
    p.setPen(QPen(QColor(0x1F, 0x3F, 0x7A), 0.8));
    p.setBrush(QColor(0x3A, 0x78, 0xD8));
    p.drawPie(disc, 90 * 16, 250 * 16);
    p.setBrush(QColor(0x5C, 0xB8, 0x48));
    p.drawPie(disc, 340 * 16, 110 * 16);
    p.setPen(QPen(QColor(0x9A, 0x4A, 0x00), 0.8));
    p.setBrush(QColor(0xF5, 0x9A, 0x23));
    p.drawPie(disc.translated(1.5, -1), 0, 90 * 16);
    return image;
}

// A bound book with a lucky star on its cover: the trading handbook. Drawn large, shown small.
QImage bookIcon() {
    QImage image = blankIcon(32);
    QPainter p(&image);
    prepare(p);
    p.setBrush(QColor(0xF2, 0xEE, 0xE2));
    p.drawRect(QRectF(7, 4, 22, 26));
    p.setPen(QPen(QColor(0xC8, 0xC0, 0xA8), 1));
    for (double y = 7; y < 29; y += 3)
        p.drawLine(QPointF(26, y), QPointF(28.5, y));
    p.setPen(QPen(QColor(0x6E, 0x12, 0x12), 1.2));
    p.setBrush(QColor(0xB0, 0x1E, 0x1E));
    p.drawRoundedRect(QRectF(3, 2, 23, 27), 2, 2);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x7E, 0x14, 0x14));
    p.drawRect(QRectF(3.6, 2.6, 3.4, 25.8));
    QPainterPath star;
    for (int i = 0; i < 10; ++i) {
        const double angle = -std::numbers::pi / 2 + i * std::numbers::pi / 5;
        const double r = (i % 2 == 0) ? 7.0 : 2.9;
        const QPointF point(16.5 + r * std::cos(angle), 13 + r * std::sin(angle));
        if (i == 0)
            star.moveTo(point);
        else
            star.lineTo(point);
    }
    star.closeSubpath();
    p.setBrush(QColor(0xFF, 0xD0, 0x3A));
    p.drawPath(star);
    p.drawRect(QRectF(10.5, 22.5, 12, 2));
    return image;
}

// Two sheets, the front one carrying a price line: copying the quotes.
QImage copyQuotesIcon() {
    QImage image = blankIcon(16);
    QPainter p(&image);
    p.setPen(QColor(0x55, 0x60, 0x70));
    p.setBrush(QColor(0xDD, 0xE3, 0xEA));
    p.drawRect(1, 1, 9, 10);
    p.setBrush(Qt::white);
    p.drawRect(5, 4, 10, 11);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0xD0, 0x22, 0x22), 1.2));
    p.drawPolyline(QPolygonF({{6.5, 13}, {8.5, 10}, {10.5, 11.5}, {13.5, 6.5}}));
    return image;
}

} // namespace

QImage mainBarIcon(const QString& key) {
    if (key == QLatin1String("login")) return logoutIcon();
    if (key == QLatin1String("set")) return gearIcon();
    if (key == QLatin1String("rjtx")) return bellIcon();
    if (key == QLatin1String("cal")) return calculatorIcon();
    if (key == QLatin1String("cwcal")) return positionIcon();
    if (key == QLatin1String("jyjsq")) return bookIcon();
    if (key == QLatin1String("copyprice")) return copyQuotesIcon();
    return {};
}

} // namespace toolbar
