// Pictures of the tab strip for a reviewer: the main window's eleven tabs with their icons, tab 1
// and then tab 5 selected, at 1280 and at 640 pixels wide, written to
// <build dir>/gallery/tabstrip/strip_<width>_tab<n>.png; plus the classic colours with the band
// at the bottom and a pinnable strip with its caption bar (classic_bottom.png, pinnable.png).
// The 640-pixel pictures also come three times larger (..._x3.png).
#include "platform/fonts.h"
#include "platform/imagelist.h"
#include "widgets/tabstrip/docktabcontrol.h"

#include <QDir>
#include <QLabel>
#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

const QString kCaptions[] = {
    QStringLiteral("综合行情"), QStringLiteral("分时图"), QStringLiteral("K线图 "), QStringLiteral("播报"),
    QStringLiteral("资讯"),     QStringLiteral("数据"),   QStringLiteral("记账"),   QStringLiteral("短信"),
    QStringLiteral("黄金ETF"),  QStringLiteral("白银ETF"), QStringLiteral("论坛&&浏览器"),
};

// Eleven 16 x 16 pictograms, drawn here: a board, a line chart, candles, a speaker, a page, bars,
// a ledger, a letter, a gold and a silver coin, a globe.
QImage icon(int index) {
    QImage img(16, 16, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, false);
    const QColor ink(0x30, 0x40, 0x70);
    const std::function<void()> draw[] = {
        [&] {
            p.fillRect(1, 2, 14, 12, QColor(0xF0, 0xF0, 0xF0));
            p.setPen(ink);
            p.drawRect(1, 2, 13, 11);
            for (int y = 5; y < 13; y += 3)
                p.drawLine(3, y, 12, y);
            p.fillRect(3, 4, 3, 1, QColor(0xD0, 0x20, 0x20));
        },
        [&] {
            p.setPen(ink);
            p.drawLine(1, 14, 14, 14);
            p.drawLine(1, 1, 1, 14);
            p.setPen(QColor(0xD0, 0x20, 0x20));
            p.drawPolyline(QPolygon({QPoint(2, 11), QPoint(5, 7), QPoint(8, 9), QPoint(11, 4), QPoint(14, 6)}));
        },
        [&] {
            p.setPen(ink);
            p.drawLine(4, 2, 4, 14);
            p.drawLine(11, 1, 11, 12);
            p.fillRect(3, 5, 3, 6, QColor(0xD0, 0x20, 0x20));
            p.fillRect(10, 3, 3, 7, QColor(0x20, 0x90, 0x30));
        },
        [&] {
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(0xE0, 0x80, 0x10));
            p.drawPolygon(QPolygon({QPoint(2, 6), QPoint(5, 6), QPoint(10, 2), QPoint(10, 14), QPoint(5, 10),
                                    QPoint(2, 10)}));
            p.setPen(ink);
            p.drawLine(12, 5, 12, 11);
            p.drawLine(14, 3, 14, 13);
        },
        [&] {
            p.fillRect(3, 1, 10, 14, Qt::white);
            p.setPen(ink);
            p.drawRect(3, 1, 9, 13);
            for (int y = 4; y < 13; y += 2)
                p.drawLine(5, y, 10, y);
        },
        [&] {
            p.fillRect(2, 9, 3, 6, QColor(0x30, 0x70, 0xC0));
            p.fillRect(6, 5, 3, 10, QColor(0x30, 0x70, 0xC0));
            p.fillRect(10, 2, 3, 13, QColor(0x30, 0x70, 0xC0));
        },
        [&] {
            p.fillRect(2, 1, 12, 14, QColor(0x60, 0x90, 0x40));
            p.fillRect(4, 3, 8, 10, QColor(0xF4, 0xF4, 0xE8));
            p.setPen(ink);
            for (int y = 5; y < 12; y += 2)
                p.drawLine(5, y, 10, y);
        },
        [&] {
            p.fillRect(1, 3, 14, 10, Qt::white);
            p.setPen(ink);
            p.drawRect(1, 3, 13, 9);
            p.drawLine(1, 3, 8, 8);
            p.drawLine(14, 3, 8, 8);
        },
        [&] {
            p.setPen(QColor(0xA0, 0x70, 0x00));
            p.setBrush(QColor(0xF0, 0xC0, 0x20));
            p.drawEllipse(1, 1, 13, 13);
            p.drawLine(7, 4, 7, 10);
        },
        [&] {
            p.setPen(QColor(0x70, 0x70, 0x80));
            p.setBrush(QColor(0xD8, 0xD8, 0xE0));
            p.drawEllipse(1, 1, 13, 13);
            p.drawLine(7, 4, 7, 10);
        },
        [&] {
            p.setPen(QColor(0x20, 0x60, 0xB0));
            p.setBrush(QColor(0xB0, 0xD8, 0xF8));
            p.drawEllipse(1, 1, 13, 13);
            p.drawLine(1, 8, 14, 8);
            p.drawLine(8, 1, 8, 14);
            p.drawArc(4, 1, 7, 13, 0, 5760);
        },
    };
    draw[index]();
    return img;
}

std::shared_ptr<platform::ImageList> mainIcons() {
    auto list = platform::ImageList::create(16, 16, 24);
    for (int i = 0; i < 11; ++i)
        list->add(icon(i));
    return list;
}

QString galleryDir() {
    const QString dir = QStringLiteral(BRELTO_GALLERY_DIR "/tabstrip");
    QDir().mkpath(dir);
    return dir;
}

// The main window's strip: silver palette, band on top, no close button, tab 2 not closable.
struct MainStrip {
    std::shared_ptr<platform::ImageList> icons = mainIcons();
    std::unique_ptr<DockTabControl> control = std::make_unique<DockTabControl>();
    explicit MainStrip(int width) {
        control->resize(width, 72);
        control->setDrawStyle(2);
        control->setTabAlign(0);
        control->setImageList(icons);
        control->setShowCloseButton(false);
        for (int i = 0; i < 11; ++i) {
            cTab tab = control->Tabs().Add(QStringLiteral("T%1").arg(i + 1), {}, kCaptions[i], i);
            auto* panel = new QLabel(QStringLiteral("  ") + kCaptions[i]);
            panel->setAutoFillBackground(true);
            tab.setPanel(panel);
        }
        control->Tabs().Item(2).setCanClose(false);
    }
};

void save(const QImage& image, const QString& name) {
    const QString path = galleryDir() + QLatin1Char('/') + name;
    ASSERT_TRUE(image.save(path)) << path.toStdString();
    std::cout << "gallery: " << path.toStdString() << '\n';
}

} // namespace

TEST(Gallery, MainWindowStripAtTwoWidths) {
    platform::registerFontSubstitutions();
    for (int width : {1280, 640}) {
        MainStrip strip(width);
        strip.control->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(strip.control.get()));
        for (int selected : {1, 5}) {
            strip.control->Tabs().Item(selected).setSelected(true);
            EXPECT_EQ(strip.control->SelectedTab().Caption(), kCaptions[selected - 1]);
            const QImage face = strip.control->grab().toImage();
            save(face, QStringLiteral("strip_%1_tab%2.png").arg(width).arg(selected));
            if (width == 640)
                save(face.scaled(face.size() * 3), QStringLiteral("strip_%1_tab%2_x3.png").arg(width).arg(selected));
        }
        // Every tab is painted at the full width; at 640 the strip scrolls.
        EXPECT_EQ(strip.control->layout().scrollRightEnabled, width == 640);
    }
}

TEST(Gallery, ClassicBottomAndPinnable) {
    platform::registerFontSubstitutions();
    {
        MainStrip strip(640);
        strip.control->setDrawStyle(0);
        strip.control->setTabAlign(1);
        strip.control->setShowCloseButton(true);
        strip.control->Tabs().Item(3).setSelected(true);
        strip.control->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(strip.control.get()));
        save(strip.control->grab().toImage(), QStringLiteral("classic_bottom.png"));
    }
    {
        MainStrip strip(320);
        strip.control->resize(320, 120);
        strip.control->setPinnable(true);
        strip.control->Tabs().Item(2).setEnabled(false);
        strip.control->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(strip.control.get()));
        save(strip.control->grab().toImage(), QStringLiteral("pinnable.png"));
    }
}
