// Writes pictures of the main window's toolbar for a reviewer to open, under
// <build dir>/gallery/toolbar/: mainbar_scheme<N>.png for every colour scheme (N = ThemeColor),
// the bar loaded with "登录  " on button 1 (mainbar_before.png) and after its caption was set to
// "注销  " (mainbar_caption.png), the button looks (looks.png: hot, pressed, checked, disabled,
// drop-down), a narrow bar with its overflow popup open (mainbar_overflow.png) and a sheet of
// them all three times larger (sheet_x3.png).
#include "platform/fonts.h"
#include "platform/propertybag.h"
#include "widgets/toolbar/flattoolbar.h"
#include "widgets/toolbar/mainbar.h"

#include <QDir>
#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace toolbar;

namespace {

QString galleryDir() {
    const QString dir = QStringLiteral(BRELTO_GALLERY_DIR "/toolbar");
    QDir().mkpath(dir);
    return dir;
}

std::unique_ptr<FlatToolbar> mainBar(int scheme) {
    auto bar = std::make_unique<FlatToolbar>();
    bar->readProperties(mainBarDesign());
    bar->setThemeColor(scheme);
    bar->resize(bar->totalWidthTwips() / 15, bar->height());
    return bar;
}

QImage grab(QWidget& widget) {
    return widget.grab().toImage();
}

class ToolbarGallery : public ::testing::Test {
protected:
    void SetUp() override { platform::registerFontSubstitutions(); }
};

TEST_F(ToolbarGallery, MainBarInEverySchemeAndAfterTheCaptionChange) {
    std::vector<QImage> sheet;
    for (int scheme = SchemeBlue; scheme <= SchemeAutomatic; ++scheme) {
        auto bar = mainBar(scheme);
        const QImage image = grab(*bar);
        ASSERT_TRUE(image.save(galleryDir() + QStringLiteral("/mainbar_scheme%1.png").arg(scheme)));
        sheet.push_back(image);
    }

    platform::PropertyBag beforeLogin = mainBarDesign();
    beforeLogin.write(QStringLiteral("BtnCaption1"), QStringLiteral("登录  "));
    auto bar = std::make_unique<FlatToolbar>();
    bar->readProperties(beforeLogin);
    bar->resize(bar->totalWidthTwips() / 15, bar->height());
    const QImage before = grab(*bar);
    ASSERT_TRUE(before.save(galleryDir() + QStringLiteral("/mainbar_before.png")));
    sheet.push_back(before);
    bar->setBtnCaption(1, QStringLiteral("注销  "));
    const QImage caption = grab(*bar);
    ASSERT_TRUE(caption.save(galleryDir() + QStringLiteral("/mainbar_caption.png")));
    sheet.push_back(caption);

    // Looks: button 2 hot, 3 pressed, 4 checked, 5 disabled, 7 a drop-down held down.
    bar->show();
    QTest::mouseMove(bar->PicTB(), QPoint(bar->BtnLeft(2) + 5, 10));
    bar->setBtnState(3, StatePressed);
    bar->setBtnState(4, StateChecked);
    bar->setBtnState(5, StateDisabled);
    bar->setBtnStyle(7, StyleDropDown);
    bar->Calculate_Size(1, true);
    QTest::mouseMove(bar->PicTB(), QPoint(bar->BtnLeft(2) + 5, 10));
    const QImage looks = grab(*bar);
    ASSERT_TRUE(looks.save(galleryDir() + QStringLiteral("/looks.png")));
    sheet.push_back(looks);

    auto narrow = mainBar(SchemeBlue);
    narrow->setShowMenuColor(true);
    narrow->resize(330, narrow->height());
    narrow->show();
    QTest::mousePress(narrow->PicRight(), Qt::LeftButton, {}, QPoint(6, 10));
    ASSERT_TRUE(narrow->isOverflowPopupOpen());
    const QImage popup = grab(*narrow->overflowPopup());
    QImage overflow(std::max(narrow->width(), popup.width() + 200),
                    narrow->height() + popup.height(), QImage::Format_RGB32);
    overflow.fill(Qt::white);
    {
        QPainter p(&overflow);
        p.drawImage(0, 0, grab(*narrow));
        p.drawImage(narrow->width() - popup.width(), narrow->height(), popup);
    }
    ASSERT_TRUE(overflow.save(galleryDir() + QStringLiteral("/mainbar_overflow.png")));
    narrow->closeOverflowPopup();
    sheet.push_back(overflow);

    int width = 0;
    int height = 0;
    for (const QImage& image : sheet) {
        width = std::max(width, image.width());
        height += image.height() + 4;
    }
    QImage all(width, height, QImage::Format_RGB32);
    all.fill(Qt::white);
    {
        QPainter p(&all);
        int y = 0;
        for (const QImage& image : sheet) {
            p.drawImage(0, y, image);
            y += image.height() + 4;
        }
    }
    ASSERT_TRUE(all.scaled(all.size() * 3).save(galleryDir() + QStringLiteral("/sheet_x3.png")));
}

} // namespace
