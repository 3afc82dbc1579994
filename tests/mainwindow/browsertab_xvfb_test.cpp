// The browser tab's address bar used as a user does, through the X server with xdotool on a real
// display (run under xvfb-run and tools/withwm.sh), against the simulated service's pages.
// Picture: <build dir>/gallery/program/browser-tab-back.png.
#include "platform/browser.h"
#include "platform/eventwait.h"
#include "tests/mainwindow/mainondisplay.h"
#include "tests/support/childprogram.h"
#include "widgets/buttons/skinbutton.h"

#include <QLineEdit>

namespace {

class BrowserTabOnDisplay : public MainOnDisplay {
protected:
    BrowserTabOnDisplay() : MainOnDisplay(QStringLiteral("BROWSERTAB")) {}
};

// An address typed without a scheme opens as an http page, another scheme stays refused, and
// after 后退 the address box names the page shown again.
TEST_F(BrowserTabOnDisplay, TypedAddressWithoutASchemeAndBack) {
    MainForm& main = loginToMain();
    closeBoxes();
    platform::BrowserPane* pane = main.Web[2];
    QLineEdit* box = main.Mwurl;
    // A page still loading when the next is asked for never enters the history: each page is
    // waited for.
    QStringList completed;
    QObject::connect(pane, &platform::BrowserPane::documentComplete,
                     [&completed](const QString& url) { completed << url; });
    main.Maintab->Tabs().Item(11).setSelected(true);
    ASSERT_TRUE(waitUntil([&] { return !completed.filter(QStringLiteral("/bbs/")).isEmpty(); }, 20000))
        << pane->locationUrl().toStdString();
    const QString forum = pane->locationUrl();
    EXPECT_TRUE(waitUntil([&] { return box->text() == forum; }, 5000)) << box->text().toStdString();

    const auto typeAndGo = [&](const QString& text) {
        desktop::clickAt(box->mapToGlobal(box->rect().center()));
        desktop::tool(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("ctrl+a")});
        desktop::tool(QStringLiteral("xdotool"), {QStringLiteral("type"), QStringLiteral("--delay"),
                                                  QStringLiteral("5"), text});
        EXPECT_TRUE(waitUntil([&] { return box->text() == text; }, 3000)) << box->text().toStdString();
        desktop::clickAt(main.Mwto->mapToGlobal(main.Mwto->rect().center()));
    };
    const QString page = QStringLiteral("127.0.0.1:%1/web/quote.asp").arg(service->httpPort());
    typeAndGo(page);
    const QString opened = QStringLiteral("http://") + page;
    EXPECT_TRUE(waitUntil([&] { return pane->locationUrl() == opened; }, 10000)) << pane->locationUrl().toStdString();
    EXPECT_TRUE(waitUntil([&] { return completed.contains(opened); }, 10000));
    EXPECT_TRUE(waitUntil([&] { return box->text() == pane->locationUrl(); }, 3000)) << box->text().toStdString();

    // Another scheme is refused: the page stays.
    typeAndGo(QStringLiteral("file:///etc/passwd"));
    platform::pauseMs(500);
    EXPECT_EQ(pane->locationUrl(), opened);

    desktop::clickAt(main.Goback->mapToGlobal(main.Goback->rect().center()));
    EXPECT_TRUE(waitUntil([&] { return pane->locationUrl() == forum; }, 10000)) << pane->locationUrl().toStdString();
    EXPECT_TRUE(waitUntil([&] { return box->text() == forum; }, 3000)) << box->text().toStdString();
    platform::pauseMs(500);
    savePicture(main.grab().toImage(), QStringLiteral("browser-tab-back.png"));
}

} // namespace
