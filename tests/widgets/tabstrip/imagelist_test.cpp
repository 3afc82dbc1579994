#include "platform/imagelist.h"

#include <QPainter>

#include <gtest/gtest.h>

using platform::ImageList;

namespace {

// A 4 x 4 image: a red opaque left half, a transparent right half.
QImage halfRed(int width = 4, int height = 4) {
    QImage img(width, height, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width / 2; ++x)
            img.setPixel(x, y, qRgb(255, 0, 0));
    return img;
}

QImage solid(int width, int height, QRgb color) {
    QImage img(width, height, QImage::Format_RGB32);
    img.fill(color);
    return img;
}

} // namespace

TEST(ImageList, AddsImagesAndStripsByWidth) {
    ImageList list(4, 4);
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.add(halfRed()), 0);
    // A strip three images wide adds three; the first new index comes back.
    EXPECT_EQ(list.add(solid(12, 4, qRgb(0, 0, 255))), 1);
    EXPECT_EQ(list.count(), 4);
    EXPECT_EQ(list.imageSize(), QSize(4, 4));
    EXPECT_EQ(list.imageRect(3), QRect(0, 0, 4, 4));
    EXPECT_TRUE(list.imageRect(4).isEmpty());
    EXPECT_TRUE(list.imageRect(-1).isEmpty());
    EXPECT_EQ(list.add(QImage()), -1);
    EXPECT_EQ(list.count(), 4);
}

TEST(ImageList, MaskFollowsAlphaOrGivenMask) {
    ImageList list(4, 4);
    list.add(halfRed());
    const QImage mask = list.maskBitmap(0);
    EXPECT_EQ(mask.pixelIndex(0, 0), 0);
    EXPECT_EQ(mask.pixelIndex(3, 0), 1);
    const QImage icon = list.image(0);
    EXPECT_EQ(icon.pixel(0, 0), qRgba(255, 0, 0, 255));
    EXPECT_EQ(qAlpha(icon.pixel(3, 3)), 0);

    // An explicit mask: white is transparent whatever the colour bitmap holds.
    QImage m(4, 4, QImage::Format_RGB32);
    m.fill(Qt::black);
    m.setPixel(1, 1, qRgb(255, 255, 255));
    list.add(solid(4, 4, qRgb(0, 255, 0)), m);
    EXPECT_EQ(qAlpha(list.image(1).pixel(1, 1)), 0);
    EXPECT_EQ(list.image(1).pixel(2, 2), qRgba(0, 255, 0, 255));
}

TEST(ImageList, NarrowImageIsPaddedTransparent) {
    ImageList list(4, 4);
    list.add(solid(2, 3, qRgb(1, 2, 3)));
    EXPECT_EQ(list.count(), 1);
    EXPECT_EQ(qAlpha(list.image(0).pixel(3, 0)), 0);
    EXPECT_EQ(qAlpha(list.image(0).pixel(0, 3)), 0);
    EXPECT_EQ(list.image(0).pixel(1, 2), qRgba(1, 2, 3, 255));
}

TEST(ImageList, AddMaskedTakesTheKeyColour) {
    ImageList list(2, 2);
    QImage img = solid(2, 2, qRgb(255, 0, 255));
    img.setPixel(0, 0, qRgb(10, 20, 30));
    EXPECT_EQ(list.addMasked(img, qRgb(255, 0, 255)), 0);
    EXPECT_EQ(list.maskBitmap(0).pixelIndex(0, 0), 0);
    EXPECT_EQ(list.maskBitmap(0).pixelIndex(1, 1), 1);
    // Masked pixels of the colour bitmap become black.
    EXPECT_EQ(list.colourBitmap(0).pixel(1, 1) & 0xFFFFFF, 0u);
    EXPECT_EQ(list.colourBitmap(0).pixel(0, 0) & 0xFFFFFF, qRgb(10, 20, 30) & 0xFFFFFF);
}

TEST(ImageList, AddIconScalesToTheListSize) {
    ImageList list(4, 4);
    EXPECT_EQ(list.addIcon(halfRed(8, 8)), 0);
    EXPECT_EQ(list.image(0).size(), QSize(4, 4));
    EXPECT_EQ(list.image(0).pixel(0, 0), qRgba(255, 0, 0, 255));
    EXPECT_EQ(qAlpha(list.image(0).pixel(3, 0)), 0);
}

TEST(ImageList, ReplaceRemoveCopyAndRanges) {
    ImageList list(1, 1);
    for (QRgb c : {qRgb(1, 0, 0), qRgb(2, 0, 0), qRgb(3, 0, 0)})
        list.add(solid(1, 1, c));
    auto red = [&](int i) { return qRed(list.image(i).pixel(0, 0)); };

    EXPECT_TRUE(list.copy(0, 2, true));
    EXPECT_EQ(red(0), 3);
    EXPECT_EQ(red(2), 1);
    EXPECT_TRUE(list.copy(1, 0, false));
    EXPECT_EQ(red(1), 3);
    EXPECT_EQ(red(0), 3);
    EXPECT_TRUE(list.replace(1, solid(1, 1, qRgb(9, 0, 0))));
    EXPECT_EQ(red(1), 9);
    EXPECT_TRUE(list.remove(0));
    EXPECT_EQ(list.count(), 2);
    EXPECT_EQ(red(0), 9);

    EXPECT_FALSE(list.copy(0, 5, true));
    EXPECT_FALSE(list.replace(2, solid(1, 1, 0)));
    EXPECT_FALSE(list.replace(0, QImage()));
    EXPECT_FALSE(list.remove(-1));
    EXPECT_FALSE(list.remove(2));
    EXPECT_TRUE(list.image(7).isNull());
    EXPECT_TRUE(list.colourBitmap(-3).isNull());
    EXPECT_EQ(list.count(), 2);

    list.setImageSize(8, 8);
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.imageSize(), QSize(8, 8));
    list.add(solid(8, 8, 0));
    list.clear();
    EXPECT_EQ(list.count(), 0);
}

TEST(ImageList, DrawsTransparentlyAndGreyed) {
    ImageList list(4, 4);
    list.add(halfRed());
    QImage target = solid(8, 8, qRgb(0, 0, 255));
    EXPECT_TRUE(list.draw(target, 0, QPoint(2, 2), false));
    EXPECT_EQ(target.pixel(2, 2) & 0xFFFFFF, qRgb(255, 0, 0) & 0xFFFFFF);
    EXPECT_EQ(target.pixel(5, 5) & 0xFFFFFF, qRgb(0, 0, 255) & 0xFFFFFF); // masked: background stays
    EXPECT_FALSE(list.draw(target, 1, QPoint(0, 0), false));
    EXPECT_FALSE(list.draw(target, -1, QPoint(0, 0), true));

    // Greyed: the shape in the shadow colour with its highlight one pixel down and right.
    QImage grey = solid(8, 8, qRgb(0, 0, 255));
    EXPECT_TRUE(list.draw(grey, 0, QPoint(0, 0), true));
    const QRgb shadow = platform::toQRgb(platform::GetSysColor(platform::COLOR_BTNSHADOW)) & 0xFFFFFF;
    const QRgb light = platform::toQRgb(platform::GetSysColor(platform::COLOR_BTNHIGHLIGHT)) & 0xFFFFFF;
    EXPECT_EQ(grey.pixel(0, 0) & 0xFFFFFF, shadow);
    EXPECT_EQ(grey.pixel(2, 1) & 0xFFFFFF, light);  // right of the shape, one down
    EXPECT_EQ(grey.pixel(3, 3) & 0xFFFFFF, qRgb(0, 0, 255) & 0xFFFFFF);

    // White pixels of an image are not part of its greyed shape.
    ImageList white(2, 2);
    white.add(solid(2, 2, qRgb(255, 255, 255)));
    QImage bg = solid(4, 4, qRgb(0, 0, 255));
    white.draw(bg, 0, QPoint(0, 0), true);
    EXPECT_EQ(bg.pixel(0, 0) & 0xFFFFFF, qRgb(0, 0, 255) & 0xFFFFFF);
}

TEST(ImageList, BlendedDrawMixesHalfAndHalf) {
    ImageList list(1, 1);
    list.add(solid(1, 1, qRgb(0, 0, 0)));
    QImage target = solid(1, 1, qRgb(9, 9, 9));
    QPainter painter(&target);
    EXPECT_TRUE(list.drawBlended(painter, 0, QPoint(0, 0), 0xFFFFFF));
    painter.end();
    EXPECT_EQ(target.pixel(0, 0) & 0xFFFFFF, qRgb(128, 128, 128) & 0xFFFFFF);
}

TEST(ImageList, SharedOwnershipLetsViewersSeeItGo) {
    std::shared_ptr<ImageList> owner = ImageList::create(16, 16, 24);
    const std::weak_ptr<ImageList> viewer = owner;
    EXPECT_EQ(owner->colourDepth(), 24);
    owner.reset();
    EXPECT_TRUE(viewer.expired());
}
