// Writes a picture of every button style in every look, for a reviewer to open:
// <build dir>/gallery/buttons/styleNN_<look>.png, one sheet of them all (sheet.png) and the
// same sheet three times larger (sheet_x3.png).
#include "widgets/buttons/skinbutton.h"

#include <QCursor>
#include <QDir>
#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <iostream>
#include <memory>

namespace {

constexpr int kCellWidth = 112;
constexpr int kCellHeight = 44;
const QRect kButtonRect(8, 8, 96, 28);

struct Look {
    const char* name;
    std::function<void(QWidget* host, SkinButton* button)> apply;
};

const Look kLooks[] = {
    {"normal", [](QWidget*, SkinButton*) {}},
    {"hover", [](QWidget*, SkinButton* b) { QTest::mouseMove(b, QPoint(48, 14)); }},
    {"pressed",
     [](QWidget*, SkinButton* b) {
         QTest::mouseMove(b, QPoint(48, 14));
         QTest::mousePress(b, Qt::LeftButton, {}, QPoint(48, 14));
     }},
    {"focused", [](QWidget*, SkinButton* b) { b->setFocus(); }},
    {"disabled", [](QWidget*, SkinButton* b) { b->setEnabled(false); }},
};

QPixmap makeIcon() {
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xD0, 0x30, 0x30));
    p.drawEllipse(1, 1, 14, 14);
    p.setBrush(QColor(0xF0, 0xC0, 0x20));
    p.drawRect(6, 4, 4, 8);
    return QPixmap::fromImage(image);
}

// One look of one button, drawn in a host window the colour of a dialog.
QImage render(int style, const Look& look, bool withIcon) {
    auto host = std::make_unique<QWidget>();
    host->resize(kCellWidth, kCellHeight);
    host->setAutoFillBackground(true);
    QPalette palette = host->palette();
    palette.setColor(QPalette::Window, QColor(0xEC, 0xE9, 0xD8));
    host->setPalette(palette);
    auto* button = new SkinButton(host.get());
    button->setGeometry(kButtonRect);
    button->setFont(QFont(QStringLiteral("AR PL UMing CN"), 9));
    button->setCaption(QStringLiteral("确定(&O)"));
    button->setNonThemeStyle(5); // what a saved button falls back to
    button->setButtonStyle(style);
    if (withIcon) {
        button->setIconAlign(SkinButton::AlignLeft);
        button->setIcon(makeIcon());
    }
    // Only the focused look has the focus; the host keeps it otherwise.
    host->setFocusPolicy(Qt::StrongFocus);
    QCursor::setPos(5000, 5000);
    QCoreApplication::processEvents();
    host->show();
    if (!QTest::qWaitForWindowExposed(host.get()))
        return {};
    host->activateWindow();
    host->setFocus();
    QTest::mouseMove(host.get(), QPoint(kCellWidth - 2, kCellHeight - 2));
    look.apply(host.get(), button);
    const QImage image = host->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(48, 14));
    return image;
}

TEST(ButtonGallery, EveryStyleInEveryLook) {
    const QString dir = QStringLiteral(BRELTO_GALLERY_DIR);
    ASSERT_TRUE(QDir().mkpath(dir));
    const int rows = 11 + 2; // styles 0..10, then styles 3 and 8 with an icon
    const int columns = static_cast<int>(std::size(kLooks));
    QImage sheet(columns * kCellWidth, rows * kCellHeight, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);

    for (int row = 0; row < rows; ++row) {
        const bool withIcon = row >= 11;
        const int style = withIcon ? (row == 11 ? 3 : 8) : row;
        QImage normal;
        QImage pressed;
        for (int column = 0; column < columns; ++column) {
            const Look& look = kLooks[column];
            const QImage image = render(style, look, withIcon);
            ASSERT_FALSE(image.isNull());
            const QString name = QStringLiteral("%1/style%2%3_%4.png")
                                     .arg(dir)
                                     .arg(style, 2, 10, QLatin1Char('0'))
                                     .arg(withIcon ? QStringLiteral("_icon") : QString())
                                     .arg(QLatin1String(look.name));
            EXPECT_TRUE(image.save(name)) << name.toStdString();
            painter.drawImage(column * kCellWidth, row * kCellHeight, image);
            if (column == 0)
                normal = image;
            if (column == 2)
                pressed = image;
        }
        EXPECT_NE(normal, pressed) << "style " << style << " shows no press";
    }
    painter.end();
    EXPECT_TRUE(sheet.save(dir + QStringLiteral("/sheet.png")));
    EXPECT_TRUE(sheet.scaled(sheet.size() * 3, Qt::IgnoreAspectRatio, Qt::FastTransformation)
                    .save(dir + QStringLiteral("/sheet_x3.png")));
    std::cout << "Button gallery: " << dir.toStdString() << std::endl;
}

} // namespace
