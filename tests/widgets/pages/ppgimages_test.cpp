#include "pagehost.h"

#include "widgets/imagelist/keyimagelist.h"
#include "widgets/pages/ppgimages.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace pagetest;

namespace {

const QRgb kRed = qRgb(220, 30, 30);
const QRgb kGreen = qRgb(30, 200, 40);
const QRgb kBlue = qRgb(30, 60, 220);
const QRgb kYellow = qRgb(230, 210, 20);

class ImagesPage : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        host.select(&list);
    }
    QString file(const QString& name, const QByteArray& bytes) {
        return writeFile(QDir(dir.path()), name, bytes);
    }
    // Adds through the page, the dialog answering with these files.
    void add(const QStringList& names) {
        QString answer = names.size() == 1 ? dir.filePath(names[0]) : dir.path();
        if (names.size() > 1)
            for (const QString& n : names)
                answer += QChar(u'\0') + n;
        dialogs.files.push_back(answer);
        page.cmdAdd->click();
    }
    void fill(int count, const char* prefix = "k") {
        for (int i = 0; i < count; ++i)
            list.AddFromHandle(picture(qRgb(10 * i, 120, 200)), KeyImageList::TypeIcon,
                               QStringLiteral("%1%2").arg(QLatin1String(prefix)).arg(i + 1));
        host.select(&list);
    }
    [[nodiscard]] QStringList keys() const {
        QStringList out;
        for (int i = 1; i <= list.ImageCount(); ++i)
            out << list.ItemKey(i);
        return out;
    }
    [[nodiscard]] QRgb centre(int position) const {
        return list.hIml()->colourBitmap(position).pixel(8, 8) | 0xFF000000u;
    }
    QTemporaryDir dir;
    KeyImageList list;
    ppgImages page;
    ScriptedBoxes boxes;
    ScriptedDialogs dialogs;
    FakeHost host{page};
};

} // namespace

TEST_F(ImagesPage, AnEmptyListDisablesSelectionControlsAndAddingAppendsAndSelects) {
    EXPECT_EQ(page.selected(), -1);
    EXPECT_TRUE(page.txtIndex->text().isEmpty());
    EXPECT_FALSE(page.txtIndex->isEnabled());
    EXPECT_FALSE(page.txtKey->isEnabled());
    for (QPushButton* b :
         {page.cmdRemove, page.cmdBack, page.cmdNext, page.cmdMoveDown, page.cmdMoveUp})
        EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();
    EXPECT_FALSE(page.Changed());

    file(QStringLiteral("a.ico"), icoBytes(picture(kRed)));
    add({QStringLiteral("a.ico")});
    ASSERT_EQ(list.ImageCount(), 1);
    EXPECT_EQ(page.selected(), 0);
    EXPECT_EQ(page.txtIndex->text(), QStringLiteral("1 of 1"));
    EXPECT_TRUE(page.txtKey->isEnabled());
    EXPECT_TRUE(page.Changed());
    // The dialog was asked as the page asks it.
    ASSERT_EQ(dialogs.openCalls.size(), 1u);
    EXPECT_EQ(dialogs.openCalls[0].title, QStringLiteral("Choose Icon to add"));
    EXPECT_EQ(dialogs.openCalls[0].flags, 0x80200);
    EXPECT_TRUE(dialogs.openCalls[0].multi);
    EXPECT_TRUE(dialogs.openCalls[0].filter.startsWith(
        QStringLiteral("ImageList Pictures (*.ICO;*.CUR;*.ANI;*.BMP;*.DIB;*.GIF)|")));
}

TEST_F(ImagesPage, EveryAcceptedKindOfFileAddsItsImages) {
    const struct {
        const char* name;
        QByteArray bytes;
        int images;
        QRgb colour; // of the first new image's centre
    } cases[] = {
        {"icon.ico", icoBytes(picture(kRed)), 1, kRed},
        {"pointer.cur", curBytes(picture(kGreen), {3, 4}), 1, kGreen},
        {"plain.bmp", bmpBytes(picture(kBlue)), 1, kBlue},
        {"device.dib", bmpBytes(picture(kYellow)), 1, kYellow},
        {"four.gif", gifBytes(picture(kGreen)), 1, kGreen},
        {"large.ico", icoBytes(picture(kBlue, 32, 32)), 1, kBlue}, // scaled to the list's size
        {"strip.bmp", bmpBytes(picture(kRed, 48, 16)), 3, kRed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const int before = list.ImageCount();
        add({file(QString::fromLatin1(c.name), c.bytes).section(u'/', -1)});
        ASSERT_EQ(list.ImageCount(), before + c.images);
        EXPECT_TRUE(boxes.shown.empty()) << boxes.texts().join(u'\n').toStdString();
    }
    // Inserted in front of the selected image each time: the first file is now last.
    EXPECT_EQ(centre(list.ImageCount() - 1), kRed);
}

TEST_F(ImagesPage, SeveralFilesTakeKeysFromTheirNamesAndGoInFrontOfTheSelection) {
    file(QStringLiteral("a.ico"), icoBytes(picture(kRed)));
    file(QStringLiteral("b.bmp"), bmpBytes(picture(kGreen)));
    file(QStringLiteral("c.gif"), gifBytes(picture(kBlue)));
    page.chkSetKeys->setChecked(true);
    add({QStringLiteral("a.ico"), QStringLiteral("b.bmp"), QStringLiteral("c.gif")});
    EXPECT_EQ(keys(), (QStringList{"A", "B", "C"}));

    // In a list with image 2 selected each file goes in front of it: c, b, a, then the old 2.
    list.Clear();
    fill(3);
    page.cmdNext->click();
    ASSERT_EQ(page.selected(), 1);
    add({QStringLiteral("a.ico"), QStringLiteral("b.bmp"), QStringLiteral("c.gif")});
    EXPECT_EQ(keys(), (QStringList{"k1", "C", "B", "A", "k2", "k3"}));
    EXPECT_EQ(page.selected(), 1);
    EXPECT_EQ(page.txtKey->text(), QStringLiteral("C"));
}

TEST_F(ImagesPage, AStripNumbersItsKeysSkippingKeysInUse) {
    fill(0);
    list.AddFromHandle(picture(kGreen), KeyImageList::TypeIcon, QStringLiteral("X:2"));
    host.select(&list);
    page.chkSetKeys->setChecked(true);
    page.cmdBack->click(); // nothing before image 1: stays
    file(QStringLiteral("x.bmp"), bmpBytes(picture(kRed, 48, 16)));
    add({QStringLiteral("x.bmp")});
    EXPECT_EQ(keys(), (QStringList{"X:1", "X:3", "X:4", "X:2"}));
}

TEST_F(ImagesPage, AnimatedCursorsGiveAllFramesOrTheFirst) {
    const QByteArray ani =
        aniBytes({picture(kRed, 32, 32), picture(kGreen, 32, 32), picture(kBlue, 32, 32)});
    file(QStringLiteral("busy.ani"), ani);
    boxes.yes();
    add({QStringLiteral("busy.ani")});
    ASSERT_EQ(list.ImageCount(), 3);
    EXPECT_EQ(boxes.shown.front().text,
              QStringLiteral("Do you want to load all frames of the animated cursor file '") +
                  dir.filePath(QStringLiteral("busy.ani")) + QStringLiteral("'?"));
    const QRgb expected[] = {kRed, kGreen, kBlue};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(list.hIml()->imageSize(), QSize(16, 16));
        EXPECT_EQ(centre(i), expected[i]) << i;
    }
    list.Clear();
    host.select(&list);
    boxes.no();
    add({QStringLiteral("busy.ani")});
    ASSERT_EQ(list.ImageCount(), 1);
    EXPECT_EQ(centre(0), kRed);
}

TEST_F(ImagesPage, AFileThatAddsNothingIsReportedAndTheNextIsTried) {
    file(QStringLiteral("broken.ico"), QByteArray("not an icon"));
    file(QStringLiteral("photo.gif"), QByteArray("GIF89a garbage"));
    file(QStringLiteral("good.ico"), icoBytes(picture(kRed)));
    add({QStringLiteral("broken.ico"), QStringLiteral("photo.gif"), QStringLiteral("good.ico")});
    EXPECT_EQ(list.ImageCount(), 1);
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(
        boxes.shown[0].text,
        QStringLiteral("The file '") + dir.filePath(QStringLiteral("broken.ico")) +
            QStringLiteral("' could not be loaded.  Please check whether this is a valid image."));
    EXPECT_EQ(boxes.shown[1].icon, platform::BoxIcon::Information);
}

TEST_F(ImagesPage, CancellingTheFileDialogChangesNothing) {
    page.cmdAdd->click(); // cancelled: an empty answer
    EXPECT_EQ(list.ImageCount(), 0);
    EXPECT_FALSE(page.Changed());
}

TEST_F(ImagesPage, TheStripScrollsWhenImagesDoNotFit) {
    fill(25);
    const QRect strip = page.stripRect();
    const int fitting = (strip.right() - 4 - (strip.left() + 2)) / 18;
    ASSERT_LT(fitting, 25);
    EXPECT_FALSE(page.hscScroll->isHidden());
    EXPECT_EQ(page.hscScroll->maximum(), (25 - fitting) * 18);
    EXPECT_EQ(page.hscScroll->singleStep(), 18);
    EXPECT_EQ(page.hscScroll->pageStep(), 144);
    // Next on the last image that is wholly in view scrolls by the icon width and 4.
    while (page.selected() < fitting - 1)
        page.cmdNext->click();
    EXPECT_EQ(page.hscScroll->value(), 0);
    page.cmdNext->click();
    EXPECT_EQ(page.hscScroll->value(), 20);
    // A click on a partly scrolled-out image selects that image.
    page.pagePress(QPoint(strip.left() + 1, strip.top() + 10));
    EXPECT_EQ(page.selected(), (1 + 20) / 18);
    // Removing images until all fit hides the bar again.
    for (int i = 0; i < 10; ++i)
        page.cmdRemove->click();
    EXPECT_TRUE(page.hscScroll->isHidden());
    EXPECT_FALSE(page.Changed()); // removing does not ask for Apply
}

TEST_F(ImagesPage, ClicksOnlySelectImagesInsideTheStrip) {
    fill(3);
    const QRect strip = page.stripRect();
    const struct {
        QPoint at;
        int selected;
    } cases[] = {
        {{strip.left() + 2 * 18 + 5, strip.top() + 10}, 2},
        {{strip.left() + 10 * 18, strip.top() + 10}, 2}, // right of the last image
        {{strip.left() + 5, strip.top() - 1}, 2},        // above the strip
        {{strip.left(), strip.bottom()}, 0},             // edges belong to it
    };
    for (const auto& c : cases) {
        page.pagePress(c.at);
        EXPECT_EQ(page.selected(), c.selected) << c.at.x() << "," << c.at.y();
    }
}

TEST_F(ImagesPage, MovingCarriesImagesWithTheirKeysAndAsksForApply) {
    fill(3);
    EXPECT_FALSE(page.cmdMoveDown->isEnabled()); // the first cannot go back
    page.cmdMoveUp->click();
    EXPECT_EQ(keys(), (QStringList{"k2", "k1", "k3"}));
    EXPECT_EQ(page.selected(), 1);
    EXPECT_TRUE(page.Changed());
    page.cmdMoveUp->click();
    EXPECT_EQ(keys(), (QStringList{"k2", "k3", "k1"}));
    EXPECT_FALSE(page.cmdMoveUp->isEnabled()); // the last cannot go forward
    page.cmdMoveDown->click();
    EXPECT_EQ(keys(), (QStringList{"k2", "k1", "k3"}));
}

TEST_F(ImagesPage, TypedKeysAreStoredWhenTheSelectionMovesAndDuplicatesAreReported) {
    fill(3);
    page.txtKey->setText(QStringLiteral("first"));
    EXPECT_TRUE(page.Changed());
    page.cmdNext->click();
    EXPECT_EQ(list.ItemKey(1), QStringLiteral("first"));
    EXPECT_EQ(page.txtKey->text(), QStringLiteral("k2"));

    page.txtKey->setText(QStringLiteral("k3"));
    page.cmdNext->click();
    EXPECT_EQ(list.ItemKey(2), QStringLiteral("k2"));
    EXPECT_EQ(boxes.texts(), QStringList{QStringLiteral("此键已与该集合的一个元素相关联")});
    EXPECT_EQ(boxes.shown[0].icon, platform::BoxIcon::Information);

    // Applying stores a typed key too.
    page.txtKey->setText(QStringLiteral("last"));
    host.apply();
    EXPECT_EQ(list.ItemKey(3), QStringLiteral("last"));
}

TEST_F(ImagesPage, ClearingAsksFirst) {
    fill(2);
    page.cmdClear->click(); // answered No
    EXPECT_EQ(list.ImageCount(), 2);
    EXPECT_FALSE(page.Changed());
    boxes.yes();
    page.cmdClear->click();
    EXPECT_EQ(list.ImageCount(), 0);
    EXPECT_EQ(page.selected(), -1);
    EXPECT_TRUE(page.Changed());
    EXPECT_EQ(boxes.shown[0].text, QStringLiteral("Are you sure you want to remove all icons?"));
}

TEST_F(ImagesPage, TheTransparentColourControls) {
    // Automatic: the boxes are locked and the swatch is the button face.
    EXPECT_TRUE(page.txtRGB[0]->isReadOnly());
    EXPECT_FALSE(page.cmdPickColour->isEnabled());
    EXPECT_EQ(page.swatchColour(), 0x8000000Fu);
    page.optTransparentColour[1]->click();
    EXPECT_FALSE(page.txtRGB[0]->isReadOnly());
    EXPECT_TRUE(page.cmdPickColour->isEnabled());
    EXPECT_EQ(page.swatchColour(), 0xFFFF00u); // 0, 255, 255
    const struct {
        const char* red;
        uint32_t swatch;
    } cases[] = {{"300", 0xFFFFFF}, {"", 0xFFFF00}, {"12", 0xFFFF0C}};
    for (const auto& c : cases) {
        page.txtRGB[0]->setText(QString::fromLatin1(c.red));
        EXPECT_EQ(page.swatchColour(), c.swatch) << c.red;
    }
    // The colour dialog starts on the swatch; cancel changes nothing, OK fills the boxes.
    page.cmdPickColour->click();
    EXPECT_EQ(dialogs.colourStarts.back(), 0xFFFF0C);
    EXPECT_EQ(page.txtRGB[0]->text(), QStringLiteral("12"));
    dialogs.colours.push_back(0x336699);
    page.cmdPickColour->click();
    EXPECT_EQ(page.txtRGB[0]->text(), QStringLiteral("153"));
    EXPECT_EQ(page.txtRGB[1]->text(), QStringLiteral("102"));
    EXPECT_EQ(page.txtRGB[2]->text(), QStringLiteral("51"));
    EXPECT_EQ(page.swatchColour(), 0x336699u);
    EXPECT_EQ(dialogs.customSizes.back(), 16u);
    EXPECT_FALSE(page.Changed()); // the colour controls never ask for Apply

    // A bitmap added now takes the chosen colour as transparent, not its top-left pixel.
    QImage bitmap = picture(qRgb(0x99, 0x66, 0x33));
    bitmap.setPixel(0, 0, qRgb(1, 2, 3));
    file(QStringLiteral("m.bmp"), bmpBytes(bitmap));
    add({QStringLiteral("m.bmp")});
    ASSERT_EQ(list.ImageCount(), 1);
    EXPECT_EQ(list.hIml()->maskBitmap(0).pixelIndex(8, 8), 1);
    EXPECT_EQ(list.hIml()->maskBitmap(0).pixelIndex(0, 0), 0);
}
