// Pictures for a reviewer: the tab icons and the balloon, rendered offscreen under
// BRELTO_GALLERY_DIR/imagelist.
#include "widgets/imagelist/balloontip.h"
#include "widgets/imagelist/frmtooltip.h"
#include "widgets/imagelist/keyimagelist.h"

#include "platform/fonts.h"
#include "platform/forms.h"

#include <QCursor>
#include <QDir>
#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QString galleryFile(const QString& name) {
    const QString folder = QStringLiteral(BRELTO_GALLERY_DIR "/imagelist");
    QDir().mkpath(folder);
    return QDir(folder).filePath(name);
}

// Each pixel as a block of `scale` pixels, so a reviewer can see single pixels.
QImage enlarged(const QImage& image, int scale) {
    return image.scaled(image.size() * scale, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

// The balloon as it appears on a white desktop: its face cut by its shape.
QImage onDesktop(const frmToolTip& balloon) {
    const QImage face = balloon.face();
    QImage out(face.size() + QSize(20, 20), QImage::Format_RGB32);
    out.fill(Qt::white);
    QPainter painter(&out);
    painter.setClipRegion(balloon.windowRegion().translated(10, 10));
    painter.drawImage(10, 10, face);
    return out;
}

} // namespace

TEST(Gallery, TabIconStrip) {
    KeyImageList list;
    loadKeyImageList1(list);
    ASSERT_EQ(list.ImageCount(), 11);
    const QImage strip = list.ImagePictureStrip({}, {}, 0x8000000F).toImage();
    ASSERT_FALSE(strip.isNull());
    EXPECT_TRUE(strip.save(galleryFile(QStringLiteral("tabicons.png"))));
    EXPECT_TRUE(enlarged(strip, 6).save(galleryFile(QStringLiteral("tabicons-x6.png"))));
    EXPECT_TRUE(
        enlarged(list.designLook(), 4).save(galleryFile(QStringLiteral("design-look-x4.png"))));
}

TEST(Gallery, BalloonWithTitleAndTwoLines) {
    platform::registerFontSubstitutions();
    platform::setQuitHandler([] {});
    struct Shot {
        const char* file;
        QPoint cursor;
    };
    const Shot shots[] = {{"balloon.png", {300, 300}},
                          {"balloon-right-edge.png",
                           {QGuiApplication::primaryScreen()->geometry().width() - 10, 300}},
                          {"balloon-top-edge.png", {300, 8}}};
    for (const Shot& shot : shots) {
        QCursor::setPos(shot.cursor);
        BalloonTip tip;
        tip.setBalloonFont(QFont(QStringLiteral("宋体"), 9));
        tip.setTitleText(QStringLiteral(" 快讯播报(有正文)"));
        tip.setTipText(QStringLiteral("10:32  美联储维持利率不变\r\n现货黄金短线拉升逾10美元..."));
        tip.ShowTip(0, 0);
        frmToolTip& balloon = platform::form<frmToolTip>();
        QTRY_VERIFY_WITH_TIMEOUT(balloon.placed(), 3000);
        const QImage picture = onDesktop(balloon);
        EXPECT_TRUE(picture.save(galleryFile(QString::fromLatin1(shot.file))));
        EXPECT_TRUE(
            enlarged(picture, 3)
                .save(galleryFile(QString::fromLatin1(shot.file).replace(".png", "-x3.png"))));
        tip.UnShowIng();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    platform::setQuitHandler(nullptr);
}
