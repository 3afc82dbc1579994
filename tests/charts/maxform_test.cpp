#include "charts/maxform.h"

#include "platform/browser.h"
#include "platform/forms.h"

#include <QTest>

#include <gtest/gtest.h>

TEST(MaxFormTest, SizeSnapsToTheMinimumOnlyInTheShortDirection) {
    struct Case {
        QSizeF in, out;
    } cases[] = {
        {{6000, 6000}, {7000, 6000}},
        {{9000, 3000}, {9000, 5000}},
        {{100, 100}, {7000, 5000}},
        {{10365, 8670}, {10365, 8670}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(maxFormSnap(c.in), c.out) << c.in.width() << "x" << c.in.height();
}

TEST(MaxFormTest, BrowserFillsTheWindowAndEscapeUnloads) {
    platform::setBrowserPaneFactory([](QWidget* parent) { return new platform::FakeBrowserPane(parent); });
    MaxForm& f = maxForm();
    EXPECT_EQ(f.windowTitle(), QStringLiteral("K线看盘"));
    EXPECT_TRUE(f.Web->newWindowsRefused());
    f.show();
    f.SetShow(3);
    EXPECT_EQ(f.ShowType, 3);
    EXPECT_TRUE(f.Web->isVisibleTo(&f));
    EXPECT_EQ(f.Web->geometry(), f.rect());
    f.resize(300, 500);
    EXPECT_EQ(f.width(), 467);
    EXPECT_EQ(f.height(), 500);
    EXPECT_EQ(f.Web->geometry(), f.rect());
    QTest::keyClick(&f, Qt::Key_Escape);
    EXPECT_FALSE(platform::isLoaded<MaxForm>());
    platform::setBrowserPaneFactory(nullptr);
}
