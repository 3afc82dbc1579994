#include "pagehost.h"

#include "widgets/imagelist/anicursor.h"
#include "widgets/imagelist/keyimagelist.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace pagetest;

TEST(AnimatedCursor, FramesAreReadInOrderAndDamageKeepsTheFramesBefore) {
    const std::vector<QImage> frames = {picture(qRgb(200, 0, 0), 32, 32),
                                        picture(qRgb(0, 200, 0), 32, 32),
                                        picture(qRgb(0, 0, 200), 32, 32)};
    const QByteArray good = aniBytes(frames);
    ASSERT_TRUE(anicursor::isAnimatedCursor(good));
    const std::vector<QImage> read = anicursor::readFrames(good);
    ASSERT_EQ(read.size(), 3u);
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(read[i].pixel(16, 16) | 0xFF000000u, frames[i].pixel(16, 16) | 0xFF000000u) << i;

    // Where the second frame's picture starts.
    const qsizetype second = good.indexOf("icon", good.indexOf("icon") + 4);
    QByteArray damaged = good;
    damaged.replace(second + 8, 4, "junk");
    QByteArray longChunk = good;
    qToLittleEndian<quint32>(0x7FFFFFF0, longChunk.data() + second + 4);
    const struct {
        const char* what;
        QByteArray bytes;
        size_t frames;
    } cases[] = {
        {"a damaged second frame", damaged, 1},
        {"a chunk longer than the file", longChunk, 1},
        {"cut in the middle", good.left(good.size() / 2), 1},
        {"only the header", good.left(12), 0},
        {"not a container", QByteArray("RIFX....ACON"), 0},
        {"an icon file", icoBytes(frames[0]), 0},
        {"nothing", QByteArray(), 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(anicursor::readFrames(c.bytes).size(), c.frames) << c.what;
}

TEST(AnimatedCursor, TheListLoadsCursorsAndTheFirstFrameOfAnimatedOnes) {
    QTemporaryDir dir;
    const QDir folder(dir.path());
    const QString cur =
        writeFile(folder, QStringLiteral("a.cur"), curBytes(picture(qRgb(10, 200, 30)), {2, 3}));
    const QString ani =
        writeFile(folder, QStringLiteral("b.ani"),
                  aniBytes({picture(qRgb(0, 0, 200), 32, 32), picture(qRgb(200, 0, 0), 32, 32)}));
    KeyImageList list;
    EXPECT_TRUE(list.AddFromFile(cur, KeyImageList::TypeCursor, QStringLiteral("c")));
    EXPECT_TRUE(list.AddFromFile(ani, KeyImageList::TypeCursor, QStringLiteral("a")));
    ASSERT_EQ(list.ImageCount(), 2);
    EXPECT_EQ(list.hIml()->colourBitmap(0).pixel(8, 8) | 0xFF000000u, qRgb(10, 200, 30));
    EXPECT_EQ(list.hIml()->colourBitmap(1).pixel(8, 8) | 0xFF000000u, qRgb(0, 0, 200));
}
