#include "pagehost.h"

#include "widgets/imagelist/keyimagelist.h"
#include "widgets/imagelist/picture.h"
#include "widgets/pages/ppgcontrol.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace pagetest;

namespace {

const QString kAskOnButton = QStringLiteral(
    "Changing size of the image list will distort any images you have added.\n\nAre you sure you "
    "want to do this?");
const QString kAskOnApply = QStringLiteral(
    "Changing size of the image list will distort any images you have added.\n\nAre you sure?");
const QString kInvalid = QStringLiteral("Please enter a valid icon size.");

class PropertiesPage : public ::testing::Test {
protected:
    void SetUp() override { host.select(&list); }
    void addImages(int count) {
        for (int i = 0; i < count; ++i)
            list.AddFromHandle(picture(qRgb(40 * i, 200, 90)), KeyImageList::TypeIcon,
                               QStringLiteral("img%1").arg(i + 1));
    }
    void setBoxes(const QString& x, const QString& y) {
        page.txtIconSize[0]->setText(x);
        page.txtIconSize[1]->setText(y);
    }
    KeyImageList list;
    ppgControl page;
    FakeHost host{page};
    ScriptedBoxes boxes;
};

} // namespace

TEST_F(PropertiesPage, StartAndSelectionFillThePageWithoutMarkingItChanged) {
    EXPECT_TRUE(page.lblVersion->text().contains(QStringLiteral(".OCX     Version: ")));
    EXPECT_TRUE(page.lblVersion->text().endsWith(u')'));
    ASSERT_EQ(page.cboColourDepth->count(), 6);
    const int values[] = {0, 4, 8, 16, 24, 32};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(page.cboColourDepth->itemData(i).toInt(), values[i]);
    EXPECT_EQ(page.cboColourDepth->itemText(4), QStringLiteral("True Colour (24 bit)"));

    KeyImageList other;
    other.setIconSizeX(24);
    other.setIconSizeY(48);
    other.setColourDepth(8);
    host.select(&other);
    EXPECT_EQ(page.txtIconSize[0]->text(), QStringLiteral("24"));
    EXPECT_EQ(page.txtIconSize[1]->text(), QStringLiteral("48"));
    EXPECT_EQ(page.cboColourDepth->currentText(), QStringLiteral("256 colour (8 bit)"));
    EXPECT_FALSE(page.Changed());
    page.txtIconSize[0]->setText(QStringLiteral("32"));
    EXPECT_TRUE(page.Changed());
}

TEST_F(PropertiesPage, OnlyDigitsCanBeTyped) {
    page.txtIconSize[0]->clear();
    QTest::keyClicks(page.txtIconSize[0], QStringLiteral("3x-2 .4"));
    EXPECT_EQ(page.txtIconSize[0]->text(), QStringLiteral("324"));
    QTest::keyClick(page.txtIconSize[0], Qt::Key_Backspace);
    EXPECT_EQ(page.txtIconSize[0]->text(), QStringLiteral("32"));
}

TEST_F(PropertiesPage, SizeButtonsAskOnlyWhenImagesWouldBeDistorted) {
    const struct {
        const char* what;
        int images;
        int listSize;
        int button;
        bool answerYes;
        bool asks;
        QString boxes;
    } cases[] = {
        {"empty list: no question", 0, 16, 2, false, false, "32"},
        {"images, another size, yes", 2, 16, 2, true, true, "32"},
        {"images, another size, no", 2, 16, 2, false, true, "16"},
        {"images, the same size", 2, 48, 3, false, false, "48"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        list.setIconSizeX(c.listSize);
        list.setIconSizeY(c.listSize);
        list.Clear();
        addImages(c.images);
        host.select(nullptr);
        host.select(&list);
        boxes.shown.clear();
        if (c.answerYes) boxes.yes();
        page.cmdSize[static_cast<size_t>(c.button)]->click();
        EXPECT_EQ(boxes.shown.size(), c.asks ? 1u : 0u);
        if (c.asks) {
            EXPECT_EQ(boxes.shown[0].text, kAskOnButton);
            EXPECT_EQ(boxes.shown[0].icon, platform::BoxIcon::Question);
        }
        EXPECT_EQ(page.txtIconSize[0]->text(), c.boxes);
        EXPECT_EQ(page.txtIconSize[1]->text(), c.boxes);
    }
}

TEST_F(PropertiesPage, ApplyAcceptsOneToTwoHundredFiftySixAndRebuildsOnEitherSide) {
    const struct {
        const char* what;
        QString x;
        QString y;
        bool answerYes;
        QSize applied; // the list's size afterwards
        int images;
        QStringList messages;
    } cases[] = {
        {"one side only counts as a change", "32", "16", true, {32, 16}, 3, {kAskOnApply}},
        {"no keeps everything", "32", "32", false, {16, 16}, 3, {kAskOnApply}},
        {"the largest size", "256", "256", true, {256, 256}, 3, {kAskOnApply}},
        {"the smallest size", "1", "1", true, {1, 1}, 3, {kAskOnApply}},
        {"unchanged: nothing asked", "16", "16", false, {16, 16}, 3, {}},
        {"zero is refused", "0", "16", true, {16, 16}, 3, {kInvalid}},
        {"beyond 256 is refused", "16", "257", true, {16, 16}, 3, {kInvalid}},
        {"an empty box is refused", "", "16", true, {16, 16}, 3, {kInvalid}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        list.setIconSizeX(16);
        list.setIconSizeY(16);
        list.Clear();
        addImages(3);
        host.select(nullptr);
        host.select(&list);
        page.cboColourDepth->setCurrentIndex(5);
        emit page.cboColourDepth->activated(5);
        setBoxes(c.x, c.y);
        boxes.shown.clear();
        if (c.answerYes) boxes.yes();
        host.apply();
        EXPECT_EQ(boxes.texts(), c.messages);
        EXPECT_EQ(QSize(list.IconSizeX(), list.IconSizeY()), c.applied);
        ASSERT_NE(list.hIml(), nullptr);
        EXPECT_EQ(list.hIml()->imageSize(), c.applied);
        ASSERT_EQ(list.ImageCount(), c.images);
        EXPECT_EQ(list.ItemKey(3), QStringLiteral("img3"));
        // Refused or declined: not even the colour depth is applied.
        const bool applied =
            c.messages.isEmpty() || (c.answerYes && c.messages.first() != kInvalid);
        EXPECT_EQ(list.ColourDepth(), applied ? 32 : 0);
        if (!applied && c.messages.value(0) == kAskOnApply) {
            EXPECT_EQ(page.txtIconSize[0]->text(), QStringLiteral("16")); // boxes put back
            EXPECT_EQ(page.txtIconSize[1]->text(), QStringLiteral("16"));
        }
        list.setColourDepth(0);
    }
}

TEST_F(PropertiesPage, ResizingKeepsEveryImageAndLeavesNoTemporaryFile) {
    addImages(3);
    const QStringList before = QDir(TempPath()).entryList({QStringLiteral("ILS*")});
    setBoxes(QStringLiteral("72"), QStringLiteral("72"));
    boxes.yes();
    host.apply();
    ASSERT_EQ(list.ImageCount(), 3);
    EXPECT_EQ(list.hIml()->imageSize(), QSize(72, 72));
    for (int i = 1; i <= 3; ++i)
        EXPECT_EQ(list.ItemKey(i), QStringLiteral("img%1").arg(i));
    // The frame of the 16-pixel pictures is scaled with them: the corner is still dark.
    EXPECT_LT(qGray(list.hIml()->colourBitmap(2).pixel(0, 0)), 40);
    EXPECT_EQ(QDir(TempPath()).entryList({QStringLiteral("ILS*")}), before);
}

TEST_F(PropertiesPage, LoweringTheColourDepthOfAListWithImagesAsks) {
    list.setColourDepth(24);
    addImages(1);
    host.select(nullptr);
    host.select(&list);
    ASSERT_EQ(page.cboColourDepth->currentIndex(), 4);
    // Down, answered No: the remembered position comes back and nothing is marked changed.
    page.cboColourDepth->setCurrentIndex(2);
    emit page.cboColourDepth->activated(2);
    EXPECT_EQ(boxes.texts(),
              QStringList{QStringLiteral("Warning - decreasing the colour depth may affect images "
                                         "already stored in the control.  Are you sure you want to "
                                         "do this?")});
    EXPECT_EQ(page.cboColourDepth->currentIndex(), 4);
    EXPECT_FALSE(page.Changed());
    // Up never asks.
    page.cboColourDepth->setCurrentIndex(5);
    emit page.cboColourDepth->activated(5);
    EXPECT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(page.Changed());
    // Down, answered Yes.
    boxes.yes();
    page.cboColourDepth->setCurrentIndex(1);
    emit page.cboColourDepth->activated(1);
    EXPECT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(page.cboColourDepth->currentIndex(), 1);
    host.apply();
    EXPECT_EQ(list.ColourDepth(), 4);
    EXPECT_EQ(list.ImageCount(), 1);
}
