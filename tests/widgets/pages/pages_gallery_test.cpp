#include "pagehost.h"

#include "platform/fonts.h"
#include "platform/propertybag.h"
#include "tools/designer/designer.h"
#include "widgets/imagelist/keyimagelist.h"
#include "widgets/pages/ppgimages.h"
#include "widgets/toolbar/flattoolbar.h"
#include "widgets/toolbar/mainbar.h"

#include <QDir>
#include <QTabWidget>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// Pictures of the three pages as the designer shows them, for a reviewer to look at.
TEST(PagesGallery, TheThreePagesInTheDesignerDialog) {
    platform::registerFontSubstitutions();
    QTemporaryDir dir;
    const QDir out(QStringLiteral(BRELTO_GALLERY_DIR));
    ASSERT_TRUE(out.mkpath(QStringLiteral(".")));

    QFile tabIcons(QStringLiteral(BRELTO_TABICONS_BAG));
    ASSERT_TRUE(tabIcons.open(QIODevice::ReadOnly));
    const QString listFile =
        pagetest::writeFile(QDir(dir.path()), QStringLiteral("list.bag"), tabIcons.readAll());
    designer::Session list(designer::Kind::ImageList, listFile);
    ASSERT_TRUE(list.open(nullptr));
    list.dialog().resize(list.dialog().sizeHint());
    const QImage properties = list.dialog().grab().toImage();
    ASSERT_TRUE(
        designer::runScript(list, {"page Images", "click cmdNext", "click cmdNext"}, dir.path())
            .isEmpty());
    const QImage images = list.dialog().grab().toImage();

    platform::PropertyBag bag;
    {
        FlatToolbar bar;
        bar.readProperties(toolbar::mainBarDesign());
        bar.writeProperties(bag);
    }
    const QString barFile =
        pagetest::writeFile(QDir(dir.path()), QStringLiteral("bar.bag"), bag.toBytes());
    designer::Session bar(designer::Kind::Toolbar, barFile);
    ASSERT_TRUE(bar.open(nullptr));
    ASSERT_TRUE(designer::runScript(bar, {"set hsbIDX 2"}, dir.path()).isEmpty());
    bar.dialog().resize(bar.dialog().sizeHint());
    const QImage buttons = bar.dialog().grab().toImage();

    const std::pair<const char*, QImage> pictures[] = {
        {"page-imagelist-properties.png", properties},
        {"page-imagelist-images.png", images},
        {"page-toolbar-buttons.png", buttons},
    };
    for (const auto& [name, image] : pictures) {
        ASSERT_FALSE(image.isNull()) << name;
        const QString path = out.filePath(QLatin1String(name));
        ASSERT_TRUE(image.save(path)) << name;
        std::printf("gallery: %s\n", qPrintable(path));
    }
}
