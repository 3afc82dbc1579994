// Real web panes showing real pages: needs an X display (run under xvfb-run); skips without one.
#include "platform/browser.h"

#include "tests/support/qtprint.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QPointer>
#include <QScreen>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <gtest/gtest.h>

#include <memory>

using platform::BrowserPane;

namespace {

constexpr int kPatienceMs = 60000; // a guard against hanging, not a measure

// A loopback web server: one page per path, every path asked for recorded.
class PageServer {
public:
    PageServer() {
        m_server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] {
            while (QTcpSocket* s = m_server.nextPendingConnection()) {
                QObject::connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
                QObject::connect(s, &QTcpSocket::readyRead, s, [this, s] { serve(s); });
            }
        });
    }

    QMap<QByteArray, QByteArray> pages;
    QList<QByteArray> paths;

    [[nodiscard]] QString url(const char* path) const {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path);
    }

private:
    void serve(QTcpSocket* s) {
        QByteArray& buffer = m_buffers[s];
        buffer += s->readAll();
        if (!buffer.contains("\r\n\r\n"))
            return;
        const QByteArray path = buffer.left(buffer.indexOf("\r\n")).split(' ').value(1);
        m_buffers.remove(s);
        paths.append(path);
        const bool known = pages.contains(path);
        const QByteArray body = pages.value(path);
        s->write((known ? "HTTP/1.1 200 OK\r\n" : "HTTP/1.1 404 Not Found\r\n") +
                 QByteArray("Content-Type: text/html; charset=utf-8\r\nContent-Length: ") +
                 QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
        s->disconnectFromHost();
    }

    QTcpServer m_server;
    QMap<QTcpSocket*, QByteArray> m_buffers;
};

// What the "js" logging category (the pages' console) reported.
struct ConsoleLine {
    QtMsgType type;
    QString text;
};
QList<ConsoleLine>* g_console = nullptr;
QtMessageHandler g_previousHandler = nullptr;

void recordConsole(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (g_console != nullptr && context.category != nullptr && qstrcmp(context.category, "js") == 0)
        g_console->append({type, text});
    else if (g_previousHandler != nullptr)
        g_previousHandler(type, context, text);
}

class BrowserOnDisplay : public ::testing::Test {
protected:
    void SetUp() override {
        if (QApplication::instance() == nullptr)
            GTEST_SKIP() << "needs an X display: run under xvfb-run";
        ASSERT_TRUE(platform::webEngineCanStart()) << "as root, set QTWEBENGINE_DISABLE_SANDBOX=1";
        platform::setEventAddressHandler([this](const QString& a) { m_received.append(a); });
        m_server.pages["/book"] =
            "<html><head><meta charset='utf-8'><title>book</title></head>"
            "<body style='background:#00c000'>"
            "<a id='hold' href='EVENT:mgold,10,350.5,0,0,0,0|tdhj,2,3,0,0,0,0|'>hold</a>"
            "<a id='chinese' href='EVENT:\xE9\xBB\x84\xE9\x87\x91,1'>chinese</a>"
            "<a id='other' href='/other' target='_blank'>other</a>"
            "<button id='pop' onclick=\"window.open('EVENT:popup|1')\">pop</button>"
            "</body></html>";
        m_server.pages["/other"] = "<html><body>other</body></html>";
        m_server.pages["/auto"] = "<html><body><script>location.href = 'EVENT:auto|1|';</script>"
                                  "</body></html>";
        m_server.pages["/picture"] =
            "<html><body><img src='EVENT:picture' onerror=\"document.title = 'refused'\" "
            "onload=\"document.title = 'loaded'\"></body></html>";
        m_server.pages["/error"] = "<html><body><script>undefinedFunction();</script>"
                                   "<script>console.warn('marker');</script></body></html>";
        m_host = std::make_unique<QWidget>();
        m_host->resize(640, 480);
    }

    void TearDown() override {
        m_host.reset();
        platform::setEventAddressHandler(nullptr);
    }

    // A pane filling the shown host window, with its first page loaded.
    BrowserPane* showPane(const char* path, bool silent = false) {
        BrowserPane* pane = platform::createBrowserPane(m_host.get());
        pane->resize(m_host->size());
        pane->setSilent(silent);
        QSignalSpy complete(pane, &BrowserPane::documentComplete);
        pane->navigate(m_server.url(path));
        pane->show();
        m_host->show();
        EXPECT_TRUE(complete.wait(kPatienceMs)) << "no document complete for " << path;
        return pane;
    }

    static QWebEnginePage* pageOf(BrowserPane* pane) {
        auto* view = pane->findChild<QWebEngineView*>();
        return view == nullptr ? nullptr : view->page();
    }

    static void click(BrowserPane* pane, const char* id) {
        pageOf(pane)->runJavaScript(QStringLiteral("document.getElementById('%1').click();")
                                        .arg(QLatin1String(id)));
    }

    bool waitForEvents(qsizetype count) {
        return QTest::qWaitFor([&] { return m_received.size() >= count; }, kPatienceMs);
    }

    PageServer m_server;
    std::unique_ptr<QWidget> m_host;
    QStringList m_received;
};

} // namespace

TEST_F(BrowserOnDisplay, ViewIsMadeOnFirstShowAndLoadsTheAddressGivenWhileHidden) {
    BrowserPane* pane = platform::createBrowserPane(m_host.get());
    pane->navigate("about:blank");
    pane->navigate(m_server.url("/book"));
    EXPECT_EQ(pane->findChild<QWebEngineView*>(), nullptr);
    QCoreApplication::processEvents();
    EXPECT_TRUE(m_server.paths.isEmpty()) << "a hidden pane must not load anything";

    QSignalSpy complete(pane, &BrowserPane::documentComplete);
    m_host->show();
    ASSERT_NE(pane->findChild<QWebEngineView*>(), nullptr);
    ASSERT_TRUE(complete.wait(kPatienceMs));
    EXPECT_EQ(complete.at(0).at(0).toString(), m_server.url("/book"));
    EXPECT_EQ(pane->locationUrl(), m_server.url("/book"));
    EXPECT_TRUE(m_server.paths.contains("/book"));
    EXPECT_FALSE(m_server.paths.contains("about:blank"));
}

TEST_F(BrowserOnDisplay, BackReturnsToThePageBeforeAndDoesNothingAtTheStart) {
    BrowserPane* pane = showPane("/book");
    pane->back(); // nothing before the first page
    QCoreApplication::processEvents();
    EXPECT_EQ(pane->locationUrl(), m_server.url("/book"));
    QSignalSpy complete(pane, &BrowserPane::documentComplete);
    pane->navigate(m_server.url("/other"));
    ASSERT_TRUE(complete.wait(kPatienceMs));
    ASSERT_EQ(pane->locationUrl(), m_server.url("/other"));
    pane->back();
    EXPECT_TRUE(QTest::qWaitFor([&] { return pane->locationUrl() == m_server.url("/book"); }, kPatienceMs))
        << pane->locationUrl().toStdString();
}

// The address shown is told as the engine changes it: a new page, and the page before after a
// step back, so an address box can follow.
TEST_F(BrowserOnDisplay, LocationChangesAreToldAlsoAfterAStepBack) {
    BrowserPane* pane = showPane("/book");
    QSignalSpy changed(pane, &BrowserPane::locationChanged);
    QSignalSpy complete(pane, &BrowserPane::documentComplete);
    pane->navigate(m_server.url("/other"));
    ASSERT_TRUE(complete.wait(kPatienceMs));
    ASSERT_FALSE(changed.isEmpty());
    EXPECT_EQ(changed.last().at(0).toString(), m_server.url("/other"));
    pane->back();
    EXPECT_TRUE(QTest::qWaitFor([&] { return changed.last().at(0).toString() == m_server.url("/book"); }, kPatienceMs))
        << changed.last().at(0).toString().toStdString();
    EXPECT_EQ(pane->locationUrl(), m_server.url("/book"));
}

TEST_F(BrowserOnDisplay, VisiblePaneMakesItsViewOnlyForARealAddress) {
    BrowserPane* pane = platform::createBrowserPane(m_host.get());
    pane->resize(m_host->size());
    m_host->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_host.get()));
    for (const char* nothing : {"about:blank", "  ABOUT:BLANK ", "EVENT:x"}) {
        pane->navigate(QString::fromLatin1(nothing));
        EXPECT_EQ(pane->findChild<QWebEngineView*>(), nullptr) << nothing;
    }
    QSignalSpy complete(pane, &BrowserPane::documentComplete);
    pane->navigate(m_server.url("/other"));
    EXPECT_NE(pane->findChild<QWebEngineView*>(), nullptr) << "a real address on a shown pane";
    ASSERT_TRUE(complete.wait(kPatienceMs));
    EXPECT_EQ(pane->locationUrl(), m_server.url("/other"));
}

TEST_F(BrowserOnDisplay, FirstViewLeavesAMaximisedWindowAsItWas) {
    // Panes made while the window is not shown yet, as the main window makes its own.
    auto window = std::make_unique<QWidget>();
    BrowserPane* pane = platform::createBrowserPane(window.get());
    pane->setGeometry(0, 0, 400, 300);
    pane->navigate("about:blank");
    window->showMaximized();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->isMaximized(); }, kPatienceMs));
    const WId before = window->winId();

    QSignalSpy complete(pane, &BrowserPane::documentComplete);
    pane->navigate(m_server.url("/other"));
    ASSERT_TRUE(complete.wait(kPatienceMs));
    QTest::qWait(300); // the window manager's answer to a re-made window, were there one
    EXPECT_EQ(window->winId(), before) << "the native window was made again";
    EXPECT_TRUE(window->isMaximized());
}

// A pane that gets its view long after the window came up (its tab first chosen much later) acts
// as one that had it from the start: what it was told while it had none is kept or handed on, the
// last address loads once, its page's event links reach the program, and the maximised window
// around it stays the same native window.
TEST_F(BrowserOnDisplay, LateViewKeepsWhatThePaneWasToldAndHandsOnEventLinks) {
    auto window = std::make_unique<QWidget>();
    BrowserPane* early = platform::createBrowserPane(window.get());
    early->navigate("about:blank");
    BrowserPane* late = platform::createBrowserPane(window.get());
    late->setGeometry(0, 0, 400, 300);
    late->hide();
    window->showMaximized();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->isMaximized(); }, kPatienceMs));
    const WId before = window->winId();

    late->navigate("EVENT:before-the-view|1|");
    late->navigate("about:blank");
    late->navigate(m_server.url("/other"));
    late->navigate(m_server.url("/book"));
    QCoreApplication::processEvents();
    EXPECT_EQ(m_received, QStringList{"EVENT:before-the-view|1|"}) << "handed on at once, view or not";
    EXPECT_EQ(late->findChild<QWebEngineView*>(), nullptr) << "a hidden pane makes no view";
    EXPECT_EQ(early->findChild<QWebEngineView*>(), nullptr) << "a pane on about:blank makes no view";
    EXPECT_TRUE(m_server.paths.isEmpty());

    QSignalSpy complete(late, &BrowserPane::documentComplete);
    late->show();
    ASSERT_TRUE(complete.wait(kPatienceMs));
    EXPECT_EQ(complete.at(0).at(0).toString(), m_server.url("/book"));
    EXPECT_EQ(m_server.paths, QList<QByteArray>{"/book"}) << "only the last address is loaded";
    EXPECT_EQ(early->findChild<QWebEngineView*>(), nullptr);
    // The page is on the screen, in the pane.
    const QPoint middle = late->mapTo(window.get(), QPoint(late->width() / 2, late->height() / 2));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            const QImage shot = window->screen()->grabWindow(window->winId()).toImage();
            return (shot.pixel(middle * shot.devicePixelRatio()) & 0xffffff) == 0x00c000;
        },
        kPatienceMs))
        << "the page's green is not on the screen";

    click(late, "hold");
    ASSERT_TRUE(waitForEvents(2));
    EXPECT_EQ(m_received.last(), "EVENT:mgold,10,350.5,0,0,0,0|tdhj,2,3,0,0,0,0|");
    EXPECT_EQ(late->locationUrl(), m_server.url("/book"));

    QTest::qWait(300); // the window manager's answer to a re-made window, were there one
    EXPECT_EQ(window->winId(), before) << "the native window was made again";
    EXPECT_TRUE(window->isMaximized());
}

TEST_F(BrowserOnDisplay, EventLinksReachTheHandlerAndThePageStays) {
    BrowserPane* pane = showPane("/book");
    ASSERT_NE(pageOf(pane), nullptr);

    click(pane, "hold");
    ASSERT_TRUE(waitForEvents(1));
    click(pane, "chinese");
    ASSERT_TRUE(waitForEvents(2));
    EXPECT_EQ(m_received, (QStringList{"EVENT:mgold,10,350.5,0,0,0,0|tdhj,2,3,0,0,0,0|",
                                       QStringLiteral("EVENT:黄金,1")}));
    EXPECT_EQ(pane->locationUrl(), m_server.url("/book"));
    EXPECT_EQ(pageOf(pane)->url().toString(), m_server.url("/book"));
    EXPECT_EQ(m_server.paths.count("/book"), 1);

    // The program's own event address goes straight to the handler.
    pane->navigate("EVENT:direct");
    EXPECT_EQ(m_received.last(), "EVENT:direct");
    EXPECT_EQ(pane->locationUrl(), m_server.url("/book"));
}

TEST_F(BrowserOnDisplay, ScriptNavigationToAnEventAddressIsCaught) {
    BrowserPane* pane = showPane("/auto");
    ASSERT_TRUE(waitForEvents(1));
    EXPECT_EQ(m_received, QStringList{"EVENT:auto|1|"});
    EXPECT_EQ(pane->locationUrl(), m_server.url("/auto"));
}

TEST_F(BrowserOnDisplay, NewWindowsOpenInThePaneAndEventPopupsAreCaught) {
    BrowserPane* pane = showPane("/book");

    click(pane, "pop");
    ASSERT_TRUE(waitForEvents(1));
    EXPECT_EQ(m_received, QStringList{"EVENT:popup|1"});

    QSignalSpy complete(pane, &BrowserPane::documentComplete);
    click(pane, "other");
    ASSERT_TRUE(complete.wait(kPatienceMs));
    EXPECT_EQ(complete.last().at(0).toString(), m_server.url("/other"));
    EXPECT_EQ(pane->locationUrl(), m_server.url("/other"));
}

TEST_F(BrowserOnDisplay, EventAddressesAsPicturesAreRefusedNotHandedOn) {
    BrowserPane* pane = showPane("/picture");
    QWebEnginePage* page = pageOf(pane);
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([page] { return page->title() == u"refused"; }, kPatienceMs))
        << page->title().toStdString();
    EXPECT_TRUE(m_received.isEmpty()) << "only navigations hand an event address on";
}

TEST_F(BrowserOnDisplay, SilentPanesKeepScriptErrorsToThemselves) {
    QList<ConsoleLine> console;
    g_console = &console;
    g_previousHandler = qInstallMessageHandler(recordConsole);
    const auto waitForMarker = [&console] {
        return QTest::qWaitFor(
            [&console] {
                return std::any_of(console.cbegin(), console.cend(),
                                   [](const ConsoleLine& l) { return l.text.contains("marker"); });
            },
            kPatienceMs);
    };
    const auto errors = [&console] {
        return std::count_if(console.cbegin(), console.cend(),
                             [](const ConsoleLine& l) { return l.type == QtCriticalMsg; });
    };

    showPane("/error", false);
    const bool loudMarker = waitForMarker();
    const auto loudErrors = errors();
    console.clear();

    showPane("/error", true);
    const bool silentMarker = waitForMarker();
    const auto silentErrors = errors();

    qInstallMessageHandler(g_previousHandler);
    g_console = nullptr;

    ASSERT_TRUE(loudMarker);
    ASSERT_TRUE(silentMarker);
    EXPECT_EQ(loudErrors, 1) << "a pane that isn't silent reports the script error";
    EXPECT_EQ(silentErrors, 0);
}

// Addresses come from the service over plain HTTP: a real pane given a file on the disk, a script
// or an inline page stays where it is and tells the refusal, while a web address loads.
TEST_F(BrowserOnDisplay, RealPaneRefusesAddressesThatAreNotWebPages) {
    QTemporaryDir dir;
    const QString onDisk = QDir(dir.path()).filePath(QStringLiteral("local.html"));
    QFile f(onDisk);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("<html><head><title>local</title></head><body>local</body></html>");
    f.close();
    QStringList refused;
    platform::setRefusedAddressHandler([&refused](const QString& a) { refused.append(a); });

    BrowserPane* pane = platform::createBrowserPane(m_host.get());
    pane->resize(m_host->size());
    m_host->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_host.get()));
    const QString fileAddress = QUrl::fromLocalFile(onDisk).toString();
    pane->navigate(fileAddress);
    EXPECT_EQ(pane->findChild<QWebEngineView*>(), nullptr) << "a refused address makes no view";
    EXPECT_EQ(pane->locationUrl(), "");

    QSignalSpy complete(pane, &BrowserPane::documentComplete);
    pane->navigate(m_server.url("/other"));
    ASSERT_TRUE(complete.wait(kPatienceMs));
    EXPECT_EQ(pane->locationUrl(), m_server.url("/other"));

    const QStringList others = {fileAddress, QStringLiteral("javascript:document.title='script'"),
                                QStringLiteral("data:text/html,<title>inline</title>")};
    for (const QString& address : others)
        pane->navigate(address);
    QTest::qWait(500); // time for a load the pane should not have started
    EXPECT_EQ(complete.size(), 1) << "nothing else was loaded";
    EXPECT_EQ(pane->locationUrl(), m_server.url("/other"));
    EXPECT_EQ(pageOf(pane)->url().toString(), m_server.url("/other"));
    EXPECT_NE(pageOf(pane)->title(), "script");
    EXPECT_NE(pageOf(pane)->title(), "inline");
    EXPECT_EQ(refused, QStringList{fileAddress} + others);
    platform::setRefusedAddressHandler(nullptr);
}

// A page asking for a new window on a file of the disk or another scheme gets nothing; one on a
// web page gets the pane, as before. (The engine itself refuses a web page's window on a local
// file; another scheme reaches the pane's rule.)
TEST_F(BrowserOnDisplay, NewWindowOnALocalFileOrAnotherSchemeIsRefused) {
    QTemporaryDir dir;
    const QString onDisk = QDir(dir.path()).filePath(QStringLiteral("local.html"));
    QFile f(onDisk);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("<html><head><title>local</title></head><body>local</body></html>");
    f.close();
    const QString fileAddress = QUrl::fromLocalFile(onDisk).toString();
    const QString otherScheme = QStringLiteral("ftp://127.0.0.1:1/x");
    m_server.pages["/opener"] = "<html><body>"
                                "<button id='file' onclick=\"window.open('" + fileAddress.toUtf8() + "')\">file</button>"
                                "<button id='ftp' onclick=\"window.open('" + otherScheme.toUtf8() + "')\">ftp</button>"
                                "<button id='web' onclick=\"window.open('/other')\">web</button>"
                                "</body></html>";
    QStringList refused;
    platform::setRefusedAddressHandler([&refused](const QString& a) { refused.append(a); });
    BrowserPane* pane = showPane("/opener");
    ASSERT_NE(pageOf(pane), nullptr);

    QSignalSpy complete(pane, &BrowserPane::documentComplete);
    click(pane, "file");
    click(pane, "ftp");
    EXPECT_TRUE(QTest::qWaitFor([&refused] { return refused.contains(QStringLiteral("ftp://127.0.0.1:1/x")); }, 5000));
    EXPECT_FALSE(refused.contains(QString())) << refused.join(u' ').toStdString();
    QTest::qWait(300); // time for a load the pane should not have started
    EXPECT_TRUE(complete.isEmpty());
    EXPECT_EQ(pane->locationUrl(), m_server.url("/opener"));
    EXPECT_NE(pageOf(pane)->title(), "local");

    click(pane, "web");
    ASSERT_TRUE(complete.wait(kPatienceMs));
    EXPECT_EQ(complete.last().at(0).toString(), m_server.url("/other"));
    EXPECT_EQ(pane->locationUrl(), m_server.url("/other"));
    for (const QString& a : refused)
        EXPECT_TRUE(a == fileAddress || a == otherScheme) << a.toStdString();
    platform::setRefusedAddressHandler(nullptr);
}
