#include "pagehost.h"

#include "platform/fonts.h"
#include "platform/propertybag.h"
#include "tools/designer/designer.h"
#include "widgets/imagelist/keyimagelist.h"
#include "widgets/pages/ppgimages.h"
#include "widgets/pages/propertypage.h"
#include "widgets/toolbar/flattoolbar.h"
#include "widgets/toolbar/mainbar.h"

#include <QProcess>
#include <QScrollBar>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace pagetest;

namespace {

QByteArray readAll(const QString& path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

QString copyOf(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    return writeFile(QDir(dir.path()), name, bytes);
}

QByteArray toolbarBag(const platform::PropertyBag& design) {
    FlatToolbar bar;
    bar.InitProperties();
    bar.readProperties(design);
    platform::PropertyBag bag;
    bar.writeProperties(bag);
    return bag.toBytes();
}

struct DesignerRun {
    int exitCode;
    QString errors;
};

DesignerRun runDesigner(const QStringList& args) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(BRELTO_DESIGNER), args);
    if (!process.waitForFinished(30000)) return {-1, QStringLiteral("did not finish")};
    return {process.exitCode(), QString::fromLocal8Bit(process.readAllStandardError())};
}

} // namespace

TEST(Designer, TheTabIconsRoundTripThroughTheImagesPage) {
    QTemporaryDir dir;
    const QByteArray original = readAll(QStringLiteral(BRELTO_TABICONS_BAG));
    ASSERT_FALSE(original.isEmpty());
    const QString file = copyOf(dir, QStringLiteral("keyimagelist1.bag"), original);
    designer::Session session(designer::Kind::ImageList, file);
    QString error;
    ASSERT_TRUE(session.open(&error)) << error.toStdString();
    EXPECT_EQ(session.imageList()->ImageCount(), 11);
    // Moving the first icon forward and back again asks for Apply; OK finds the same data as
    // the file's, so nothing is written (any difference would have been).
    const QString failure = designer::runScript(
        session, {"page Images", "click cmdMoveUp", "click cmdMoveDown", "ok"}, dir.path());
    EXPECT_TRUE(failure.isEmpty()) << failure.toStdString();
    EXPECT_FALSE(session.saved());
    EXPECT_EQ(readAll(file), original);
}

TEST(Designer, TheMainToolbarRoundTripsThroughTheButtonsPage) {
    platform::registerFontSubstitutions();
    QTemporaryDir dir;
    const QByteArray original = toolbarBag(toolbar::mainBarDesign());
    const QString file = copyOf(dir, QStringLiteral("mainbar.bag"), original);
    designer::Session session(designer::Kind::Toolbar, file);
    QString error;
    ASSERT_TRUE(session.open(&error)) << error.toStdString();
    ASSERT_EQ(session.toolbar()->ButtonCount(), 7);
    // Moving button 3 right and back: the same data, so nothing is written.
    const QString failure = designer::runScript(
        session, {"set hsbIDX 3", "click btnAction3", "click btnAction2", "apply", "ok"},
        dir.path());
    EXPECT_TRUE(failure.isEmpty()) << failure.toStdString();
    EXPECT_FALSE(session.saved());
    EXPECT_EQ(readAll(file), original);

    // An edit reaches the file and nothing else changes.
    designer::Session again(designer::Kind::Toolbar, file);
    ASSERT_TRUE(again.open(&error));
    EXPECT_TRUE(designer::runScript(again, {"set hsbIDX 2", "set txtField2 设置", "ok"}, dir.path())
                    .isEmpty());
    EXPECT_TRUE(again.saved());
    FlatToolbar edited;
    edited.readProperties(platform::PropertyBag::fromBytes(readAll(file)));
    FlatToolbar expected;
    expected.readProperties(toolbar::mainBarDesign());
    for (int i = 1; i <= expected.ButtonCount(); ++i) {
        EXPECT_EQ(edited.BtnCaption(i), i == 2 ? QStringLiteral("设置") : expected.BtnCaption(i))
            << i;
        EXPECT_EQ(edited.BtnKey(i), expected.BtnKey(i)) << i;
        EXPECT_EQ(edited.BtnIcon(i).isNull(), expected.BtnIcon(i).isNull()) << i;
    }
}

TEST(Designer, OkSavesEditsThatRaiseNoChangedFlag) {
    platform::registerFontSubstitutions();
    QTemporaryDir dir;
    // Removing an image and deleting a toolbar's only button raise no changed flag.
    const QString list =
        copyOf(dir, QStringLiteral("list.bag"), readAll(QStringLiteral(BRELTO_TABICONS_BAG)));
    platform::PropertyBag oneButton;
    {
        FlatToolbar bar;
        bar.InitProperties();
        bar.AddButton(toolbar::TypeButton, QStringLiteral("only"), QStringLiteral("only"));
        bar.writeProperties(oneButton);
    }
    const QString bar = copyOf(dir, QStringLiteral("bar.bag"), oneButton.toBytes());
    const struct {
        designer::Kind kind;
        QString file;
        QStringList steps;
        int count; // images or buttons in the file afterwards
    } cases[] = {
        {designer::Kind::ImageList, list, {"page Images", "click cmdRemove", "ok"}, 10},
        {designer::Kind::ImageList, list, {"page Images", "click cmdRemove", "apply", "cancel"}, 9},
        {designer::Kind::Toolbar, bar, {"click btnAction1", "ok"}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.steps.join(QStringLiteral(", ")).toStdString());
        designer::Session session(c.kind, c.file);
        ASSERT_TRUE(session.open(nullptr));
        ASSERT_FALSE(session.dialog().applyOffered());
        const QString failure = designer::runScript(session, c.steps, dir.path());
        EXPECT_TRUE(failure.isEmpty()) << failure.toStdString();
        EXPECT_FALSE(session.dialog().applyOffered()); // no page raised its flag
        EXPECT_TRUE(session.saved());
        const platform::PropertyBag saved = platform::PropertyBag::fromBytes(readAll(c.file));
        if (c.kind == designer::Kind::ImageList) {
            KeyImageList reloaded;
            reloaded.readProperties(saved);
            EXPECT_EQ(reloaded.ImageCount(), c.count);
        } else {
            FlatToolbar reloaded;
            reloaded.readProperties(saved);
            EXPECT_EQ(reloaded.ButtonCount(), c.count);
        }
    }

    // OK with nothing done writes nothing.
    designer::Session untouched(designer::Kind::ImageList, list);
    ASSERT_TRUE(untouched.open(nullptr));
    EXPECT_TRUE(designer::runScript(untouched, {"ok"}, dir.path()).isEmpty());
    EXPECT_FALSE(untouched.saved());
}

TEST(Designer, TheControlsOwnPropertiesQuotedValuesAndTheFontSizeRange) {
    platform::registerFontSubstitutions();
    QTemporaryDir dir;
    const QString file = QDir(dir.path()).filePath(QStringLiteral("bar.bag"));
    designer::Session session(designer::Kind::Toolbar, file);
    ASSERT_TRUE(session.open(nullptr));
    ASSERT_TRUE(session.toolbar()->ShowMenuColor());
    const QString failure = designer::runScript(
        session,
        {"property ShowMenuColor False", "property ThemeColor &H2", "property MenuLanguage 1",
         "click btnAction0", "set txtField2 \"注销  \"", "font 宋体;12", "click cmdBrowseFont",
         "ok"},
        dir.path());
    ASSERT_TRUE(failure.isEmpty()) << failure.toStdString();
    FlatToolbar saved;
    saved.readProperties(platform::PropertyBag::fromBytes(readAll(file)));
    EXPECT_FALSE(saved.ShowMenuColor());
    EXPECT_EQ(saved.ThemeColor(), 2);
    EXPECT_EQ(saved.MenuLanguage(), 1);
    ASSERT_EQ(saved.ButtonCount(), 1);
    EXPECT_EQ(saved.BtnCaption(1), QStringLiteral("注销  "));
    EXPECT_EQ(saved.BtnFont(1).pointSizeF(), 12.0);

    const struct {
        designer::Kind kind;
        QStringList steps;
        const char* reason;
    } cases[] = {
        {designer::Kind::Toolbar, {"property Nothing 1"}, "no such property of the control"},
        // The widget's own properties are no saved properties of the control.
        {designer::Kind::Toolbar, {"property enabled 0"}, "no such property of the control"},
        {designer::Kind::ImageList, {"property ShowMenuColor 0"}, "no such property"},
        {designer::Kind::Toolbar, {"property ShowMenuColor maybe"}, "not a value of that property"},
        {designer::Kind::Toolbar, {"property ThemeColor blue"}, "not a value of that property"},
        {designer::Kind::Toolbar, {"property ShowMenuColor"}, "a property needs a value"},
        {designer::Kind::Toolbar,
         {"click btnAction0", "font 宋体;7", "click cmdBrowseFont"},
         "the font dialog takes sizes 8 to 72 only"},
        {designer::Kind::Toolbar,
         {"click btnAction0", "font 宋体;73", "click cmdBrowseFont"},
         "the font dialog takes sizes 8 to 72 only"},
    };
    for (const auto& c : cases) {
        designer::Session s(c.kind, QDir(dir.path()).filePath(QStringLiteral("other.bag")));
        ASSERT_TRUE(s.open(nullptr));
        const QString why = designer::runScript(s, c.steps, dir.path());
        EXPECT_TRUE(why.contains(QLatin1String(c.reason))) << why.toStdString();
        EXPECT_TRUE(why.startsWith(QStringLiteral("line %1:").arg(c.steps.size())))
            << why.toStdString();
    }
}

TEST(Designer, CancelLeavesTheFileAndBadStepsAreNamed) {
    QTemporaryDir dir;
    const QByteArray original = readAll(QStringLiteral(BRELTO_TABICONS_BAG));
    const QString file = copyOf(dir, QStringLiteral("list.bag"), original);
    designer::Session session(designer::Kind::ImageList, file);
    ASSERT_TRUE(session.open(nullptr));
    EXPECT_TRUE(designer::runScript(
                    session, {"page Images", "answer yes", "click cmdClear", "cancel"}, dir.path())
                    .isEmpty());
    EXPECT_FALSE(session.saved());
    EXPECT_EQ(readAll(file), original);

    const struct {
        QStringList steps;
        const char* reason;
    } cases[] = {
        {{"page Nowhere"}, "no such page"},
        {{"page Images", "click cmdNowhere"}, "no such control on this page"},
        {{"page Images", "set chkSetKeys maybe"}, "not 0 or 1"},
        {{"page Properties", "set cboColourDepth 9"}, "no such position"},
        {{"dance"}, "unknown step"},
    };
    for (const auto& c : cases) {
        designer::Session s(designer::Kind::ImageList, file);
        ASSERT_TRUE(s.open(nullptr));
        const QString failure = designer::runScript(s, c.steps, dir.path());
        EXPECT_TRUE(failure.contains(QLatin1String(c.reason))) << failure.toStdString();
        EXPECT_TRUE(failure.startsWith(QStringLiteral("line %1:").arg(c.steps.size())))
            << failure.toStdString();
    }
}

TEST(Designer, DamagedDesignDataIsReportedAndWhatCouldBeReadIsKept) {
    QTemporaryDir dir;
    platform::PropertyBag bag =
        platform::PropertyBag::fromBytes(readAll(QStringLiteral(BRELTO_TABICONS_BAG)));
    QByteArray images = bag.read(QStringLiteral("Images")).toByteArray();
    images.truncate(images.size() / 2);
    bag.write(QStringLiteral("Images"), images);
    const QString file = copyOf(dir, QStringLiteral("damaged.bag"), bag.toBytes());
    designer::Session session(designer::Kind::ImageList, file);
    QString error;
    EXPECT_FALSE(session.open(&error));
    EXPECT_TRUE(error.contains(QStringLiteral("无效的文件格式"))) << error.toStdString();
    EXPECT_GT(session.imageList()->ImageCount(), 0);
    EXPECT_LT(session.imageList()->ImageCount(), 11);
}

TEST(Designer, TheImagesPageRedrawsAfterThePropertiesPageResizedTheList) {
    QTemporaryDir dir;
    const QString file =
        copyOf(dir, QStringLiteral("keyimagelist1.bag"), readAll(QStringLiteral(BRELTO_TABICONS_BAG)));
    designer::Session session(designer::Kind::ImageList, file);
    QString error;
    ASSERT_TRUE(session.open(&error)) << error.toStdString();
    ASSERT_EQ(session.imageList()->ImageCount(), 11);
    const auto imagesPage = [&session] { return qobject_cast<ppgImages*>(session.dialog().tabs()->currentWidget()); };
    ASSERT_TRUE(designer::runScript(session, {"page Images"}, dir.path()).isEmpty());
    ASSERT_NE(imagesPage(), nullptr);
    // Eleven 16-pixel images fit the strip.
    EXPECT_TRUE(imagesPage()->hscScroll->isHidden());
    const QString failure = designer::runScript(
        session, {"page Properties", "set txtIconSize0 32", "set txtIconSize1 32", "answer yes", "apply", "page Images"},
        dir.path());
    ASSERT_TRUE(failure.isEmpty()) << failure.toStdString();
    ASSERT_EQ(session.imageList()->hIml()->imageSize(), QSize(32, 32));
    ppgImages* page = imagesPage();
    ASSERT_NE(page, nullptr);
    // At 32 pixels they no longer do, and a click lands on the image drawn under it.
    EXPECT_FALSE(page->hscScroll->isHidden());
    const QRect strip = page->stripRect();
    QTest::mouseClick(page, Qt::LeftButton, {}, QPoint(strip.left() + 2 + 34 * 2 + 16, strip.top() + 16));
    EXPECT_EQ(page->selected(), 2);
    EXPECT_EQ(page->txtIndex->text(), QStringLiteral("3 of 11"));
    session.dialog().reject();
}

TEST(Designer, HelpPrintsTheUsageAndSucceeds) {
    QProcess process;
    process.start(QStringLiteral(BRELTO_DESIGNER), {QStringLiteral("--help")});
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitCode(), 0);
    const QString out = QString::fromLocal8Bit(process.readAllStandardOutput());
    EXPECT_TRUE(out.startsWith(QStringLiteral("usage: brelto-designer"))) << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("--script"))) << out.toStdString();
    // Without an argument it still refuses, with the usage on the error output.
    EXPECT_EQ(runDesigner({}).exitCode, 2);
}

TEST(Designer, AControlAtItsDefaultsSavesAFileThatOpensAgain) {
    QTemporaryDir dir;
    const QString file = QDir(dir.path()).filePath(QStringLiteral("new.bag"));
    {
        designer::Session session(designer::Kind::ImageList, file);
        QString error;
        ASSERT_TRUE(session.open(&error, true));
        ASSERT_TRUE(designer::runScript(session, {"ok"}, dir.path()).isEmpty());
    }
    ASSERT_TRUE(QFile::exists(file));
    ASSERT_TRUE(platform::PropertyBag::fromBytes(readAll(file)).isEmpty()) << "a new list saves no values";
    designer::Session again(designer::Kind::ImageList, file);
    QString error;
    EXPECT_TRUE(again.open(&error)) << error.toStdString();
    // Bytes that are no saved properties at all are still refused.
    const QString garbage = copyOf(dir, QStringLiteral("garbage.bag"), QByteArray("not a bag"));
    designer::Session refused(designer::Kind::ImageList, garbage);
    EXPECT_FALSE(refused.open(&error));
}

TEST(Designer, TheExecutableMakesDesignDataFromAScript) {
    QTemporaryDir dir;
    const QDir folder(dir.path());
    writeFile(folder, QStringLiteral("A.ico"), icoBytes(picture(qRgb(200, 0, 0))));
    writeFile(folder, QStringLiteral("B.ico"), icoBytes(picture(qRgb(0, 0, 200))));
    const QString steps = writeFile(folder, QStringLiteral("make.steps"),
                                    "# two icons, keyed\n"
                                    "page Properties\n"
                                    "set txtIconSize0 24\n"
                                    "set txtIconSize1 24\n"
                                    "apply\n"
                                    "page Images\n"
                                    "set chkSetKeys 1\n"
                                    "open .|A.ico|B.ico\n"
                                    "click cmdAdd\n"
                                    "ok\n");
    const QString out = folder.filePath(QStringLiteral("out.bag"));
    const DesignerRun made =
        runDesigner({QStringLiteral("--imagelist"), QStringLiteral("--script"), steps, out});
    ASSERT_EQ(made.exitCode, 0) << made.errors.toStdString();
    KeyImageList list;
    list.readProperties(platform::PropertyBag::fromBytes(readAll(out)));
    ASSERT_EQ(list.ImageCount(), 2);
    EXPECT_EQ(list.hIml()->imageSize(), QSize(24, 24));
    EXPECT_EQ(list.ItemKey(1), QStringLiteral("A"));
    EXPECT_EQ(list.ItemKey(2), QStringLiteral("B"));
    // Run again on its own output the script adds to what is there, unless told to start anew.
    const auto imagesAfter = [&](const QStringList& args) {
        const DesignerRun run = runDesigner(args);
        EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
        KeyImageList again;
        again.readProperties(platform::PropertyBag::fromBytes(readAll(out)));
        return again.ImageCount();
    };
    EXPECT_EQ(imagesAfter({QStringLiteral("--imagelist"), QStringLiteral("--new"),
                           QStringLiteral("--script"), steps, out}),
              2);
    EXPECT_EQ(imagesAfter({QStringLiteral("--imagelist"), QStringLiteral("--script"), steps, out}),
              4);

    const QString bad =
        writeFile(folder, QStringLiteral("bad.steps"), "page Images\nclick cmdNowhere\n");
    const DesignerRun failed =
        runDesigner({QStringLiteral("--imagelist"), QStringLiteral("--script"), bad, out});
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_TRUE(failed.errors.contains(QStringLiteral("line 2"))) << failed.errors.toStdString();
    EXPECT_EQ(runDesigner({out}).exitCode, 2);
}
