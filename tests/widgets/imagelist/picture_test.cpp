#include "widgets/imagelist/picture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {
const QChar nul(u'\0');
}

TEST(PictureRoutines, PicturesColoursAndNulls) {
    EXPECT_TRUE(IconToPicture(QImage()).isNull());
    EXPECT_TRUE(BitmapToPicture(QImage()).isNull());
    QImage image(4, 3, QImage::Format_ARGB32);
    image.fill(Qt::red);
    EXPECT_EQ(IconToPicture(image).size(), QSize(4, 3));
    EXPECT_EQ(BitmapToPicture(image).size(), QSize(4, 3));

    EXPECT_EQ(TranslateOleColor(0x123456), 0x123456);
    EXPECT_EQ(TranslateOleColor(0x8000000F),
              static_cast<int32_t>(platform::GetSysColor(platform::COLOR_BTNFACE)));
    EXPECT_EQ(TranslateOleColor(0x800000FF), -1);

    EXPECT_EQ(TrimAtNull(QStringLiteral("abc") + nul + QStringLiteral("def")),
              QStringLiteral("abc"));
    EXPECT_EQ(TrimAtNull(QStringLiteral("abc")), QStringLiteral("abc"));
    EXPECT_EQ(TrimAtNull(QString(nul)), QString());
}

TEST(PictureRoutines, TemporaryFiles) {
    const QString folder = TempPath();
    EXPECT_TRUE(folder.endsWith(u'/'));
    // The prefix's fourth character is one the random part of a name never holds, so a name that
    // kept it shows the prefix uncut whatever the random part drew.
    const QString first = TempFileName(QStringLiteral("img_list"));
    const QString second = TempFileName(QStringLiteral("img_list"));
    ASSERT_FALSE(first.isEmpty());
    EXPECT_NE(first, second);
    EXPECT_TRUE(QFileInfo::exists(first));
    EXPECT_EQ(QFileInfo(first).size(), 0);
    EXPECT_TRUE(QFileInfo(first).fileName().startsWith(QStringLiteral("img")));
    EXPECT_FALSE(QFileInfo(first).fileName().startsWith(QStringLiteral("img_")));
    EXPECT_EQ(QFileInfo(first).absolutePath(), QDir(folder).absolutePath());
    QFile::remove(first);
    QFile::remove(second);
}

TEST(DialogRoutines, FilterTexts) {
    const QString filter = dialogFilter(QStringLiteral("Icon Files (*.ICO)|*.ICO"));
    EXPECT_EQ(filter,
              QStringLiteral("Icon Files (*.ICO)") + nul + QStringLiteral("*.ICO") + nul + nul);
    EXPECT_EQ(dialogFilter(QStringLiteral("a:b")),
              QStringLiteral("a") + nul + QStringLiteral("b") + nul + nul);

    const QString pages = dialogFilter(QStringLiteral("Icons|*.ICO|Cursors|*.CUR;*.ANI;|All|*.*"));
    EXPECT_EQ(FilterPairAt(pages, 1), QStringLiteral("Icons") + nul + QStringLiteral("*.ICO"));
    EXPECT_EQ(FilterPairAt(pages, 2),
              QStringLiteral("Cursors") + nul + QStringLiteral("*.CUR;*.ANI;"));
    EXPECT_EQ(FilterPairAt(pages, 3), QStringLiteral("All") + nul + QStringLiteral("*.*"));
    EXPECT_EQ(FilterPairAt(pages, 4), QString());
    EXPECT_EQ(FilterPairAt(pages, 0), QString());
    EXPECT_EQ(qtNameFilters(pages),
              (QStringList{"Icons (*.ICO)", "Cursors (*.CUR *.ANI)", "All (*.*)"}));
}

TEST(DialogRoutines, MultipleSelectionAndFlags) {
    EXPECT_EQ(multiSelectFileName({QStringLiteral("/pics/a.ico"), QStringLiteral("/pics/b.ico")}),
              QStringLiteral("/pics") + nul + QStringLiteral("a.ico") + nul +
                  QStringLiteral("b.ico"));
    EXPECT_EQ(multiSelectFileName({QStringLiteral("/pics/a.ico")}), QStringLiteral("/pics/a.ico"));
    EXPECT_EQ(multiSelectFileName({}), QString());

    struct Case {
        int extra;
        bool mustExist, multi, readOnly, hide;
        int flags;
    };
    const Case cases[] = {
        {0, false, false, false, false, 0},
        {0x80000 | 0x60, true, true, false, false, 0x80000 | 0x1000 | 0x200},
        {0x20, false, false, true, true, 0x1 | 0x4},
        {0x8, true, false, false, true, 0x8 | 0x1000 | 0x4},
    };
    for (const Case& c : cases)
        EXPECT_EQ(openFileFlags(c.extra, c.mustExist, c.multi, c.readOnly, c.hide), c.flags)
            << c.extra;
}
