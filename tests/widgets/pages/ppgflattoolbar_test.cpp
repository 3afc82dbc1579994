#include "pagehost.h"

#include "platform/fonts.h"
#include "widgets/pages/ppgflattoolbar.h"
#include "widgets/toolbar/flattoolbar.h"
#include "widgets/toolbar/toolbarpaint.h"

#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace pagetest;

namespace {

class ButtonsPage : public ::testing::Test {
protected:
    void SetUp() override { platform::registerFontSubstitutions(); }
    void make(int count) {
        for (int i = 1; i <= count; ++i)
            bar.AddButton(toolbar::TypeButton, QStringLiteral("按钮%1").arg(i),
                          QStringLiteral("b%1").arg(i));
        host.select(&bar);
    }
    [[nodiscard]] QStringList keys() const {
        QStringList out;
        for (int i = 1; i <= bar.ButtonCount(); ++i)
            out << bar.BtnKey(i);
        return out;
    }
    [[nodiscard]] bool fieldsEnabled() const {
        return page.txtField[1]->isEnabled() && page.btnAction[1]->isEnabled() &&
               page.cboType->isEnabled();
    }
    FlatToolbar bar;
    ppgFlatToolbar page;
    ScriptedBoxes boxes;
    ScriptedDialogs dialogs;
    FakeHost host{page};
};

} // namespace

TEST_F(ButtonsPage, SelectingAToolbarShowsItsFirstButton) {
    make(3);
    EXPECT_EQ(page.shownIndex(), 1);
    EXPECT_EQ(page.txtField[0]->text(), QStringLiteral("1"));
    EXPECT_EQ(page.txtField[1]->text(), QStringLiteral("b1"));
    EXPECT_EQ(page.txtField[2]->text(), QStringLiteral("按钮1"));
    EXPECT_EQ(page.txtField[4]->text(), bar.BtnFont(1).family());
    EXPECT_EQ(page.hsbIDX->maximum(), 3);
    EXPECT_FALSE(page.btnAction[2]->isEnabled()); // nothing left of button 1
    EXPECT_TRUE(page.btnAction[3]->isEnabled());
    EXPECT_FALSE(page.Changed());
    // The same toolbar again keeps the page as it is.
    page.txtField[2]->setText(QStringLiteral("edited"));
    host.select(&bar);
    EXPECT_EQ(page.txtField[2]->text(), QStringLiteral("edited"));
    EXPECT_TRUE(page.Changed());
}

TEST_F(ButtonsPage, ABoxSelectsItsWholeTextWhenItTakesTheFocus) {
    make(1);
    QWidget window;
    auto* shown = new ppgFlatToolbar(&window);
    FakeHost shownHost(*shown);
    shownHost.select(&bar);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    shown->txtField[2]->setFocus();
    QTRY_COMPARE(shown->txtField[2]->selectedText(), QStringLiteral("按钮1"));
}

TEST_F(ButtonsPage, AToolbarWithoutButtonsLeavesOnlyAppend) {
    host.select(&bar);
    EXPECT_FALSE(fieldsEnabled());
    EXPECT_TRUE(page.btnAction[0]->isEnabled());
}

TEST_F(ButtonsPage, MovingLeftSwapsAndShowsTheMovedButton) {
    make(3);
    page.showIndex(3);
    EXPECT_FALSE(page.btnAction[3]->isEnabled());
    page.btnAction[2]->click();
    EXPECT_EQ(keys(), (QStringList{"b1", "b3", "b2"}));
    EXPECT_EQ(page.shownIndex(), 2);
    EXPECT_EQ(page.hsbIDX->value(), 2);
    EXPECT_EQ(page.txtField[1]->text(), QStringLiteral("b3"));
    EXPECT_TRUE(page.Changed());
    page.btnAction[3]->click();
    EXPECT_EQ(keys(), (QStringList{"b1", "b2", "b3"}));
    EXPECT_EQ(page.shownIndex(), 3);
}

TEST_F(ButtonsPage, MovesPastTheEndsAreRefusedWithTheirMessages) {
    make(2);
    page.btnAction_Click(2);
    page.showIndex(2);
    page.btnAction_Click(3);
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[0].text, QStringLiteral("按钮不能移动到无穷居左."));
    EXPECT_EQ(boxes.shown[1].text, QStringLiteral("按钮不能移动到无穷居右."));
    for (const auto& shown : boxes.shown) {
        EXPECT_EQ(shown.title, QStringLiteral("提示"));
        EXPECT_EQ(shown.icon, platform::BoxIcon::Exclamation);
    }
    EXPECT_EQ(keys(), (QStringList{"b1", "b2"}));
}

TEST_F(ButtonsPage, DeletingShowsTheNeighbourOrDisablesTheFields) {
    const struct {
        const char* what;
        int count;
        int shown;
        QStringList keysAfter;
        int shownAfter;
        QString captionShown;
    } cases[] = {
        {"last of three", 3, 3, {"b1", "b2"}, 2, "按钮2"},
        {"first of three", 3, 1, {"b2", "b3"}, 1, "按钮2"},
        {"the only one", 1, 1, {}, 1, "按钮1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FlatToolbar fresh;
        for (int i = 1; i <= c.count; ++i)
            fresh.AddButton(toolbar::TypeButton, QStringLiteral("按钮%1").arg(i),
                            QStringLiteral("b%1").arg(i));
        ppgFlatToolbar p;
        FakeHost h(p);
        h.select(&fresh);
        p.showIndex(c.shown);
        p.txtField[2]->setText(QStringLiteral("dropped")); // a pending edit is dropped
        p.btnAction[1]->click();
        QStringList left;
        for (int i = 1; i <= fresh.ButtonCount(); ++i)
            left << fresh.BtnKey(i);
        EXPECT_EQ(left, c.keysAfter);
        EXPECT_EQ(p.shownIndex(), c.shownAfter);
        if (!c.keysAfter.isEmpty()) {
            EXPECT_EQ(p.txtField[2]->text(), c.captionShown);
            EXPECT_TRUE(p.Changed());
        } else {
            EXPECT_FALSE(p.txtField[1]->isEnabled());
            EXPECT_FALSE(p.btnAction[1]->isEnabled());
        }
        for (int i = 1; i <= fresh.ButtonCount(); ++i)
            EXPECT_NE(fresh.BtnCaption(i), QStringLiteral("dropped"));
    }
}

TEST_F(ButtonsPage, EditsGoToTheShownButtonBeforeAnotherIsShown) {
    make(2);
    page.txtField[2]->setText(QStringLiteral("新标题"));
    page.hsbIDX->setValue(2);
    EXPECT_EQ(bar.BtnCaption(1), QStringLiteral("新标题"));
    EXPECT_EQ(page.txtField[2]->text(), QStringLiteral("按钮2"));
    EXPECT_FALSE(page.Changed());
}

TEST_F(ButtonsPage, ASeparatorEmptiesAndDisablesTheButtonFields) {
    make(1);
    page.cboType->setCurrentIndex(1);
    emit page.cboType->activated(1);
    for (int i = 1; i <= 3; ++i) {
        EXPECT_TRUE(page.txtField[static_cast<size_t>(i)]->text().isEmpty()) << i;
        EXPECT_FALSE(page.txtField[static_cast<size_t>(i)]->isEnabled()) << i;
    }
    for (QWidget* w : std::initializer_list<QWidget*>{page.CboIconSize, page.CboBtnAlign,
                                                      page.CboState, page.cboStyle, page.btnBrowse,
                                                      page.cmdBrowse, page.Frame2})
        EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
    EXPECT_EQ(page.CboIconSize->currentIndex(), -1);
    EXPECT_TRUE(page.picture().isNull());
    host.apply();
    EXPECT_EQ(bar.BtnType(1), toolbar::TypeSeparator);
    page.cboType->setCurrentIndex(0);
    emit page.cboType->activated(0);
    EXPECT_TRUE(page.txtField[1]->isEnabled());
    EXPECT_TRUE(page.CboState->isEnabled());
}

TEST_F(ButtonsPage, TheStyleDecidesWhetherTheCheckCanBeSet) {
    make(1);
    const struct {
        int style;
        bool enabled;
    } cases[] = {{1, true}, {0, false}, {2, true}};
    page.chkCheck->setEnabled(true);
    page.chkCheck->setChecked(true);
    for (const auto& c : cases) {
        page.cboStyle->setCurrentIndex(c.style);
        emit page.cboStyle->activated(c.style);
        EXPECT_EQ(page.chkCheck->isEnabled(), c.enabled) << c.style;
        if (!c.enabled) {
            EXPECT_FALSE(page.chkCheck->isChecked());
        }
    }
}

TEST_F(ButtonsPage, TheIconSizeListShowsAndAppliesRealSizes) {
    bar.AddButton(toolbar::TypeButton, QStringLiteral("a"), QStringLiteral("a"), {}, 64);
    bar.AddButton(toolbar::TypeButton, QStringLiteral("b"), QStringLiteral("b"), {}, 20);
    host.select(&bar);
    EXPECT_EQ(page.CboIconSize->currentText(), QStringLiteral("64"));
    page.CboIconSize->setCurrentIndex(2);
    emit page.CboIconSize->activated(2);
    EXPECT_TRUE(page.Changed());
    host.apply();
    EXPECT_EQ(bar.BtnIconSize(1), 32);
    page.showIndex(2);
    EXPECT_EQ(page.CboIconSize->currentText(), QStringLiteral("16")); // no such item: the first
}

TEST_F(ButtonsPage, AppendingShowsTheNewButtonAtOnce) {
    make(5);
    page.txtField[3]->setText(QStringLiteral("pending tip"));
    page.btnAction[0]->click();
    ASSERT_EQ(bar.ButtonCount(), 6);
    EXPECT_EQ(bar.BtnToolTipText(1), QStringLiteral("pending tip")); // applied before appending
    EXPECT_EQ(page.shownIndex(), 6);
    EXPECT_EQ(page.hsbIDX->maximum(), 6);
    for (int i = 1; i <= 3; ++i)
        EXPECT_TRUE(page.txtField[static_cast<size_t>(i)]->text().isEmpty());
    EXPECT_EQ(page.CboIconSize->currentText(), QStringLiteral("16"));
    EXPECT_EQ(page.maskColour(), 0xFF00FFu);
    EXPECT_EQ(bar.BtnMaskColor(6), 0xFF00FFu);
    EXPECT_TRUE(page.Changed());
}

TEST_F(ButtonsPage, AnIndexBeyondTheButtonsIsReported) {
    make(3);
    bar.DeleteButton(3);
    bar.DeleteButton(2); // taken away behind the page's back
    page.showIndex(3);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, QStringLiteral("按钮索引 '3' 不存在."));
    EXPECT_EQ(boxes.shown[0].title, QStringLiteral("提示"));
    EXPECT_EQ(boxes.shown[0].icon, platform::BoxIcon::Critical);
    EXPECT_FALSE(page.txtField[1]->isEnabled());
}

TEST_F(ButtonsPage, CancelledDialogsChangeNothing) {
    make(1);
    page.cmdBrowse->click();
    page.cmdBrowseFont->click();
    page.btnBrowse->click();
    EXPECT_FALSE(page.Changed());
    EXPECT_EQ(page.maskColour(), 0xFF00FFu);
    EXPECT_EQ(dialogs.openCalls.size(), 1u);
    EXPECT_EQ(dialogs.openCalls[0].title, QStringLiteral("浏览图片"));
    EXPECT_EQ(dialogs.openCalls[0].flags, 5);
    EXPECT_EQ(dialogs.openCalls[0].folder, QCoreApplication::applicationDirPath());
    EXPECT_TRUE(dialogs.openCalls[0].filter.startsWith(QStringLiteral("图片文件 (*.ico)|*.ico|")));
    // The colour dialog had its table of sixteen custom colours.
    ASSERT_EQ(dialogs.customSizes.size(), 1u);
    EXPECT_EQ(dialogs.customSizes[0], 16u);
}

TEST_F(ButtonsPage, ColourFontAndPictureReachTheButtonOnApply) {
    make(1);
    QTemporaryDir dir;
    const QString icon = writeFile(QDir(dir.path()), QStringLiteral("p.ico"),
                                   icoBytes(picture(qRgb(0, 0, 255), 16, 16, true)));
    dialogs.colours.push_back(0x00FF00);
    page.cmdBrowse->click();
    EXPECT_EQ(page.maskColour(), 0x00FF00u);
    QFont chosen(QStringLiteral("宋体"));
    chosen.setPointSize(12);
    chosen.setBold(true);
    dialogs.fonts.push_back(chosen);
    page.cmdBrowseFont->click();
    EXPECT_EQ(page.txtField[4]->text(), chosen.family());
    dialogs.files.push_back(icon);
    page.btnBrowse->click();
    // The picture is drawn on the mask colour: its transparent corner shows the mask colour.
    ASSERT_FALSE(page.picture().isNull());
    EXPECT_EQ(page.picture().pixel(0, 0) & 0xFFFFFF, 0x00FF00u);
    EXPECT_TRUE(page.Changed());
    // The toolbar's own font is untouched until the page is applied.
    EXPECT_NE(bar.BtnFont(1).pointSize(), 12);
    QSignalSpy changed(&bar, &FlatToolbar::propertyChanged);
    host.apply();
    EXPECT_EQ(bar.BtnMaskColor(1), 0x00FF00u);
    EXPECT_EQ(bar.BtnFont(1).pointSize(), 12);
    EXPECT_TRUE(bar.BtnFont(1).bold());
    EXPECT_FALSE(bar.BtnIcon(1).isNull());
    QStringList names;
    for (const auto& call : changed)
        names << call.at(0).toString();
    EXPECT_TRUE(names.contains(QStringLiteral("BtnFont")));
    EXPECT_TRUE(names.contains(QStringLiteral("BtnMaskColor")));

    page.btnClear->click();
    host.apply();
    EXPECT_TRUE(bar.BtnIcon(1).isNull());
    // The font dialog was asked for sizes 8 to 72 only.
    ASSERT_EQ(dialogs.fontRanges.size(), 1u);
    EXPECT_EQ(dialogs.fontRanges[0], std::make_pair(8, 72));
}

TEST_F(ButtonsPage, APictureKeepsItsSoftEdgesAndTheMaskFillsOnlyWhatIsClear) {
    make(1);
    QTemporaryDir dir;
    QImage drawn = picture(qRgb(0, 0, 255), 16, 16, true);
    drawn.setPixel(1, 0, qRgba(200, 40, 40, 128)); // half covered, as an antialiased edge
    const QString file = writeFile(QDir(dir.path()), QStringLiteral("soft.png"), [&] {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        drawn.save(&buffer, "PNG");
        return buffer.data();
    }());
    dialogs.files.push_back(file);
    page.btnBrowse->click();
    const QImage& shown = page.picture();
    ASSERT_EQ(shown.size(), QSize(16, 16));
    EXPECT_EQ(shown.pixel(0, 0), 0xFFFF00FFu);             // clear: the mask colour
    EXPECT_EQ(shown.pixel(1, 0), qRgba(200, 40, 40, 128)); // half covered: as drawn
    EXPECT_EQ(shown.pixel(5, 5), drawn.pixel(5, 5));       // covered: as drawn
    host.apply();
    // Painted, the mask colour is left out and the soft edge is the picture's own.
    toolbar::ToolbarButton b;
    b.Icon = bar.BtnIcon(1);
    b.MaskColor = bar.BtnMaskColor(1);
    const QImage painted = toolbar::iconPicture(b, 16, false);
    EXPECT_EQ(qAlpha(painted.pixel(0, 0)), 0);
    EXPECT_EQ(painted.pixel(1, 0), qRgba(200, 40, 40, 128));
}

TEST_F(ButtonsPage, AnUnreadablePictureShowsTheErrorsOwnText) {
    make(1);
    QTemporaryDir dir;
    const QDir folder(dir.path());
    ASSERT_TRUE(folder.mkdir(QStringLiteral("folder.ico")));
    const QString good =
        writeFile(folder, QStringLiteral("good.ico"), icoBytes(picture(qRgb(0, 200, 0))));
    const struct {
        QString path;
        const char16_t* text;
    } cases[] = {
        {folder.filePath(QStringLiteral("missing.ico")), u"文件未找到"},
        {folder.filePath(QStringLiteral("folder.ico")), u"路径/文件访问错误"},
        {writeFile(folder, QStringLiteral("junk.ico"), "junk"), u"无效图片"},
        {writeFile(folder, QStringLiteral("empty.bmp"), {}), u"无效图片"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        dialogs.files.push_back(good);
        page.btnBrowse->click();
        ASSERT_FALSE(page.picture().isNull());
        host.apply();
        boxes.shown.clear();
        dialogs.files.push_back(c.path);
        page.btnBrowse->click();
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].text, QString::fromUtf16(c.text));
        EXPECT_NE(boxes.shown[0].title, QStringLiteral("提示")); // no title given: the program's
        EXPECT_EQ(boxes.shown[0].icon, platform::BoxIcon::Exclamation);
        // The picture is cleared, on the mask colour; nothing asks for Apply.
        EXPECT_TRUE(page.picture().isNull());
        EXPECT_TRUE(page.picImg->pixmap().isNull());
        EXPECT_EQ(page.picImg->palette().color(QPalette::Window), QColor(0xFF, 0x00, 0xFF));
        EXPECT_FALSE(page.Changed());
    }
}

TEST_F(ButtonsPage, EveryLabelWithAnAccessKeyLeadsToItsControl) {
    make(1);
    const struct {
        QLabel* label;
        QWidget* control;
    } cases[] = {
        {page.lblHdr[0], page.hsbIDX},
        {page.lblHdr[1], page.cboType},
        {page.lblHdr[2], page.txtField[1]},
        {page.lblHdr[3], page.txtField[2]},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.label->buddy(), c.control) << c.label->text().toStdString();
    // A label with "&" and no control would show the "&" itself.
    for (const QLabel* label : page.findChildren<QLabel*>()) {
        if (label->text().contains(u'&')) {
            EXPECT_NE(label->buddy(), nullptr) << label->text().toStdString();
        }
    }
}
