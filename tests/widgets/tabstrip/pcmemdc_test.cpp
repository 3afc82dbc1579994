#include "widgets/tabstrip/pcmemdc.h"

#include <gtest/gtest.h>

TEST(pcMemDC, NewObjectIsEmpty) {
    pcMemDC dc;
    EXPECT_EQ(dc.hdc(), nullptr);
    EXPECT_EQ(dc.Width(), 0);
    EXPECT_EQ(dc.Height(), 0);
}

TEST(pcMemDC, GrowsSideBySideAndNeverShrinks) {
    pcMemDC dc;
    dc.setWidth(30);
    EXPECT_NE(dc.hdc(), nullptr);
    EXPECT_EQ(dc.Width(), 30);
    EXPECT_EQ(dc.Height(), 0);
    dc.setHeight(20);
    ASSERT_NE(dc.hdc(), nullptr);
    EXPECT_EQ(dc.hdc()->size(), QSize(30, 20));

    dc.hdc()->setPixel(29, 19, qRgb(1, 2, 3));
    dc.setWidth(10);
    dc.setHeight(5);
    dc.setWidth(-4);
    EXPECT_EQ(dc.Width(), 30);
    EXPECT_EQ(dc.Height(), 20);
    EXPECT_EQ(dc.hdc()->pixel(29, 19), qRgb(1, 2, 3)); // contents kept

    dc.setHeight(21); // re-created larger: blank again
    EXPECT_EQ(dc.hdc()->size(), QSize(30, 21));
    EXPECT_NE(dc.hdc()->pixel(29, 19), qRgb(1, 2, 3));
}

TEST(pcMemDC, CreateFromPictureCopiesToTheTopLeft) {
    pcMemDC dc;
    dc.setWidth(10);
    dc.setHeight(10);
    dc.hdc()->fill(qRgb(9, 9, 9));
    QImage picture(4, 3, QImage::Format_RGB32);
    picture.fill(qRgb(200, 0, 0));
    dc.CreateFromPicture(picture);
    EXPECT_EQ(dc.Width(), 10);
    EXPECT_EQ(dc.Height(), 10);
    EXPECT_EQ(dc.hdc()->pixel(3, 2), qRgb(200, 0, 0));
    EXPECT_EQ(dc.hdc()->pixel(4, 2), qRgb(9, 9, 9));
    EXPECT_EQ(dc.hdc()->pixel(3, 3), qRgb(9, 9, 9));

    QImage wide(14, 2, QImage::Format_RGB32);
    wide.fill(qRgb(0, 200, 0));
    dc.CreateFromPicture(wide);
    EXPECT_EQ(dc.Width(), 14);
    EXPECT_EQ(dc.Height(), 10);
    EXPECT_EQ(dc.hdc()->pixel(13, 1), qRgb(0, 200, 0));

    pcMemDC fresh;
    fresh.CreateFromPicture(picture);
    ASSERT_NE(fresh.hdc(), nullptr);
    EXPECT_EQ(fresh.hdc()->size(), QSize(4, 3));
    fresh.CreateFromPicture(QImage());
    EXPECT_EQ(fresh.Width(), 4);
}

TEST(pcMemDC, ASizeThatCannotBeMadeLeavesItEmpty) {
    pcMemDC dc;
    dc.setWidth(10);
    dc.setHeight(10);
    dc.setWidth(pcMemDC::kMaxSide + 1);
    EXPECT_EQ(dc.hdc(), nullptr);
    EXPECT_EQ(dc.Width(), 0);
    EXPECT_EQ(dc.Height(), 0);
}
