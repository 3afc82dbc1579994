#include "platform/browser.h"
#include "platform/webengine.h"

#include "tests/support/qtprint.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUrl>
#include <QWebEngineUrlScheme>
#include <QWebEngineView>

#include <gtest/gtest.h>

#include <memory>

#include <unistd.h>

using platform::BrowserPane;
using platform::FakeBrowserPane;

namespace {

// Collects what reaches the program's event-address handler.
class EventAddresses : public ::testing::Test {
protected:
    void SetUp() override {
        platform::setEventAddressHandler([this](const QString& a) { m_received.append(a); });
    }
    void TearDown() override {
        platform::setEventAddressHandler(nullptr);
        platform::setBrowserPaneFactory(nullptr);
    }
    QStringList m_received;
};

} // namespace

// The engine's module is loaded on demand, once the application exists, and registers the scheme
// then; asking again is harmless.
TEST(BrowserSchemes, EventSchemeIsRegisteredWhenTheEngineIsLoaded) {
    ASSERT_TRUE(platform::registerBrowserSchemes());
    EXPECT_TRUE(platform::webengine::engineLoaded());
    const QWebEngineUrlScheme scheme = QWebEngineUrlScheme::schemeByName("event");
    EXPECT_EQ(scheme.name(), QByteArray("event"));
    EXPECT_EQ(scheme.syntax(), QWebEngineUrlScheme::Syntax::Path);
    EXPECT_TRUE(platform::registerBrowserSchemes());
}

TEST(BrowserSchemes, WhatCountsAsAnEventAddress) {
    const struct {
        const char* address;
        bool event;
    } cases[] = {
        {"EVENT:mgold,10,350.5|", true},
        {"event:x", true},
        {"Event:", true},
        {"  EVENT:x", true},
        {"EVENTS:x", false},
        {"EVENT", false},
        {"http://host/EVENT:x", false},
        {"about:blank", false},
        {"", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(platform::isEventAddress(QString::fromLatin1(c.address)), c.event) << c.address;
}

TEST(BrowserSchemes, EventAddressTextUndoesTheEnginesEscapes) {
    const struct {
        QByteArray engine; // the address as the engine hands it over
        const char16_t* handedOn;
    } cases[] = {
        {"event:mgold,10,350.5,0,0,0,0|tdhj,2,3,0,0,0,0|", u"EVENT:mgold,10,350.5,0,0,0,0|tdhj,2,3,0,0,0,0|"},
        {"event:a%7Cb", u"EVENT:a|b"},
        {"event:%E9%BB%84%E9%87%91,1", u"EVENT:黄金,1"},
        {"event:a%20b", u"EVENT:a b"},
        {"event:x?y=1&z=2", u"EVENT:x?y=1&z=2"},
        {"event:x#top", u"EVENT:x#top"},
        {"event:", u"EVENT:"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(platform::eventAddressText(QUrl::fromEncoded(c.engine)),
                  QString::fromUtf16(c.handedOn))
            << c.engine.toStdString();
}

TEST_F(EventAddresses, PaneRefusesEmptyAddressesAndHandsOnEventAddresses) {
    const struct {
        const char* navigate;
        const char* location;     // afterwards
        const char* loaded;       // what the pane loaded, "" for nothing
        const char* handedOn;     // what reached the handler, "" for nothing
    } steps[] = {
        {"about:blank", "about:blank", "about:blank", ""},
        {"", "about:blank", "", ""},
        {"   ", "about:blank", "", ""},
        {"http://127.0.0.1:18631/user/login.asp?url=zhang", "http://127.0.0.1:18631/user/login.asp?url=zhang",
         "http://127.0.0.1:18631/user/login.asp?url=zhang", ""},
        {"EVENT:mgold,10,350.5|", "http://127.0.0.1:18631/user/login.asp?url=zhang", "",
         "EVENT:mgold,10,350.5|"},
        {"event:lower", "http://127.0.0.1:18631/user/login.asp?url=zhang", "", "event:lower"},
        {" http://host/x ", "http://host/x", "http://host/x", ""},
    };
    FakeBrowserPane pane;
    for (const auto& s : steps) {
        const qsizetype loadedBefore = pane.navigations().size();
        const qsizetype handedBefore = m_received.size();
        pane.navigate(QString::fromLatin1(s.navigate));
        SCOPED_TRACE(s.navigate);
        EXPECT_EQ(pane.locationUrl(), QString::fromLatin1(s.location));
        if (*s.loaded) {
            ASSERT_EQ(pane.navigations().size(), loadedBefore + 1);
            EXPECT_EQ(pane.navigations().last(), QString::fromLatin1(s.loaded));
        } else {
            EXPECT_EQ(pane.navigations().size(), loadedBefore);
        }
        if (*s.handedOn) {
            ASSERT_EQ(m_received.size(), handedBefore + 1);
            EXPECT_EQ(m_received.last(), QString::fromLatin1(s.handedOn));
        } else {
            EXPECT_EQ(m_received.size(), handedBefore);
        }
    }
}

TEST_F(EventAddresses, PageFollowingAnEventLinkStaysWhereItIs) {
    FakeBrowserPane pane;
    pane.navigate("http://127.0.0.1:18631/book");
    pane.followLink("EVENT:mgold,10,350.5|tdhj,2,3|");
    EXPECT_EQ(m_received, QStringList{"EVENT:mgold,10,350.5|tdhj,2,3|"});
    EXPECT_EQ(pane.locationUrl(), "http://127.0.0.1:18631/book");

    pane.followLink("http://127.0.0.1:18631/book?page=2");
    EXPECT_EQ(pane.locationUrl(), "http://127.0.0.1:18631/book?page=2");
    EXPECT_EQ(pane.navigations(),
              (QStringList{"http://127.0.0.1:18631/book", "http://127.0.0.1:18631/book?page=2"}));
    EXPECT_EQ(m_received.size(), 1);
}

TEST_F(EventAddresses, WithoutAHandlerEventAddressesAreDroppedQuietly) {
    platform::setEventAddressHandler(nullptr);
    FakeBrowserPane pane;
    pane.navigate("about:blank");
    pane.navigate("EVENT:x");
    pane.followLink("EVENT:y");
    EXPECT_EQ(pane.locationUrl(), "about:blank");
    EXPECT_EQ(pane.navigations(), QStringList{"about:blank"});
    EXPECT_TRUE(m_received.isEmpty());
}

// Addresses come from the service over plain HTTP: a pane opens web pages and its own blank page,
// nothing on the disk, no script and no inline page, whether the program or the page asks.
TEST_F(EventAddresses, PanesOpenOnlyWebAddressesAndTheBlankPage) {
    QTemporaryDir dir;
    const QString onDisk = QDir(dir.path()).filePath(QStringLiteral("page.html"));
    QFile f(onDisk);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("<html><body>local</body></html>");
    f.close();
    const QString workDir = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));

    const struct {
        QString address;
        bool opens;
    } cases[] = {
        {QStringLiteral("http://127.0.0.1:18631/vip.asp"), true},
        {QStringLiteral("https://example.test/a?b=c"), true},
        {QStringLiteral("HTTP://EXAMPLE.TEST/"), true},
        {QStringLiteral(" https://example.test/ "), true},
        {QStringLiteral("about:blank"), true},
        {QStringLiteral("ABOUT:BLANK"), true},
        {QStringLiteral("file://") + onDisk, false},
        {QStringLiteral("FILE:///etc/passwd"), false},
        {QStringLiteral("javascript:alert(document.cookie)"), false},
        {QStringLiteral("data:text/html,<script>alert(1)</script>"), false},
        {QStringLiteral("ftp://example.test/x"), false},
        {QStringLiteral("about:config"), false},
        {QStringLiteral("http:/etc/passwd"), false},
        {QStringLiteral("http://"), false},
        {onDisk, false},
        {QStringLiteral("page.html"), false},
        {QStringLiteral("example.test/a"), false},
        {QString(), false},
    };
    QStringList refused;
    platform::setRefusedAddressHandler([&refused](const QString& a) { refused.append(a); });
    for (const auto& c : cases) {
        SCOPED_TRACE(c.address.toStdString());
        EXPECT_EQ(platform::isPaneAddress(c.address), c.opens);
        for (const bool byThePage : {false, true}) {
            FakeBrowserPane pane;
            pane.navigate(QStringLiteral("http://start.test/"));
            refused.clear();
            if (byThePage)
                pane.followLink(c.address);
            else
                pane.navigate(c.address);
            const bool loaded = pane.navigations().size() == 2;
            EXPECT_EQ(loaded, c.opens) << (byThePage ? "a link" : "the program");
            EXPECT_EQ(pane.locationUrl(), loaded ? pane.navigations().last() : QStringLiteral("http://start.test/"));
            // An empty address is no request at all: refused without a word.
            const bool told = !c.opens && !c.address.trimmed().isEmpty();
            EXPECT_EQ(refused, told ? QStringList{c.address.trimmed()} : QStringList{});
        }
    }
    EXPECT_TRUE(m_received.isEmpty());
    platform::setRefusedAddressHandler(nullptr);
    QDir::setCurrent(workDir);
}

// An address typed without a scheme is an http address; one with a scheme stays as typed, so a
// pane still refuses every scheme but http and https.
TEST_F(EventAddresses, TypedAddressWithoutASchemeIsTakenAsHttp) {
    const struct {
        QString typed;
        QString address;
        bool opens;
    } cases[] = {
        {QStringLiteral("www.example.com"), QStringLiteral("http://www.example.com"), true},
        {QStringLiteral("127.0.0.1:18631/bbs/"), QStringLiteral("http://127.0.0.1:18631/bbs/"), true},
        {QStringLiteral("localhost:18631/bbs/"), QStringLiteral("http://localhost:18631/bbs/"), true},
        {QStringLiteral("www.example.com:8080"), QStringLiteral("http://www.example.com:8080"), true},
        {QStringLiteral("example.com/a:b"), QStringLiteral("http://example.com/a:b"), true},
        {QStringLiteral("[::1]:18631/"), QStringLiteral("http://[::1]:18631/"), true},
        {QStringLiteral("//example.com/x"), QStringLiteral("http://example.com/x"), true},
        {QStringLiteral("  www.example.com  "), QStringLiteral("http://www.example.com"), true},
        {QStringLiteral("http://example.com/"), QStringLiteral("http://example.com/"), true},
        {QStringLiteral("HTTPS://example.com/"), QStringLiteral("HTTPS://example.com/"), true},
        {QStringLiteral("about:blank"), QStringLiteral("about:blank"), true},
        {QStringLiteral("file:///etc/passwd"), QStringLiteral("file:///etc/passwd"), false},
        {QStringLiteral("javascript:alert(1)"), QStringLiteral("javascript:alert(1)"), false},
        {QStringLiteral("ftp://example.com/"), QStringLiteral("ftp://example.com/"), false},
        {QStringLiteral("mailto:someone@example.com"), QStringLiteral("mailto:someone@example.com"), false},
        {QStringLiteral("localhost:18631x"), QStringLiteral("localhost:18631x"), false}, // not a port
        {QStringLiteral("   "), QString(), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        EXPECT_EQ(platform::typedAddress(c.typed), c.address);
        EXPECT_EQ(platform::isPaneAddress(platform::typedAddress(c.typed)), c.opens);
    }
}

// Whoever changes the address shown (the program, a link, a step back) tells it once.
TEST(FakePane, LocationChangesAreTold) {
    FakeBrowserPane pane;
    QSignalSpy changed(&pane, &BrowserPane::locationChanged);
    pane.navigate("http://host/a");
    pane.followLink("http://host/b");
    pane.navigate("javascript:void(0)"); // refused: the address stays
    pane.back();
    pane.back(); // nothing before the first page
    pane.navigate("http://host/a");
    QStringList told;
    for (const QList<QVariant>& call : changed)
        told << call.at(0).toString();
    EXPECT_EQ(told, (QStringList{"http://host/a", "http://host/b", "http://host/a"}));
}

TEST(FakePane, DocumentCompleteNamesTheCurrentAddress) {
    FakeBrowserPane pane;
    QSignalSpy complete(&pane, &BrowserPane::documentComplete);
    pane.navigate("http://host/a");
    pane.completeDocument();
    pane.followLink("http://host/b");
    pane.completeDocument();
    ASSERT_EQ(complete.size(), 2);
    EXPECT_EQ(complete.at(0).at(0).toString(), "http://host/a");
    EXPECT_EQ(complete.at(1).at(0).toString(), "http://host/b");
}

TEST(FakePane, SilentIsRemembered) {
    FakeBrowserPane pane;
    EXPECT_FALSE(pane.isSilent());
    pane.setSilent(true);
    EXPECT_TRUE(pane.isSilent());
    pane.setSilent(false);
    EXPECT_FALSE(pane.isSilent());
}

TEST_F(EventAddresses, HiddenRealPaneMakesNoWebViewYetFollowsTheRules) {
    QWidget host; // never shown
    BrowserPane* pane = platform::createBrowserPane(&host);
    ASSERT_NE(pane, nullptr);
    EXPECT_EQ(pane->parentWidget(), &host);
    EXPECT_EQ(dynamic_cast<FakeBrowserPane*>(pane), nullptr) << "the default factory makes real panes";
    EXPECT_EQ(pane->locationUrl(), "");

    pane->setSilent(true);
    pane->navigate("about:blank");
    pane->navigate("");
    pane->navigate("EVENT:mgold,1,2|");
    pane->navigate("http://127.0.0.1:1/never-loaded");

    EXPECT_TRUE(pane->isSilent());
    EXPECT_EQ(pane->locationUrl(), "http://127.0.0.1:1/never-loaded");
    EXPECT_EQ(m_received, QStringList{"EVENT:mgold,1,2|"});
    EXPECT_EQ(pane->findChild<QWebEngineView*>(), nullptr) << "a hidden pane must cost nothing";
}

TEST_F(EventAddresses, FactoryCanBeSwitchedToFakesAndBack) {
    QWidget host;
    QList<FakeBrowserPane*> made;
    platform::setBrowserPaneFactory([&made](QWidget* parent) {
        made.append(new FakeBrowserPane(parent));
        return made.last();
    });
    BrowserPane* first = platform::createBrowserPane(&host);
    BrowserPane* second = platform::createBrowserPane(&host);
    ASSERT_EQ(made.size(), 2);
    EXPECT_EQ(first, made[0]);
    EXPECT_EQ(second, made[1]);
    EXPECT_EQ(first->parentWidget(), &host);

    first->navigate("about:blank");
    EXPECT_EQ(made[0]->navigations(), QStringList{"about:blank"});
    EXPECT_TRUE(made[1]->navigations().isEmpty());

    platform::setBrowserPaneFactory(nullptr);
    BrowserPane* real = platform::createBrowserPane(&host);
    EXPECT_EQ(made.size(), 2);
    EXPECT_EQ(dynamic_cast<FakeBrowserPane*>(real), nullptr);
}

TEST(WebEngineStart, AsRootTheEngineStartsOnlyWithTheSandboxSwitchedOff) {
    if (geteuid() != 0) {
        EXPECT_TRUE(platform::webEngineCanStart());
        GTEST_SKIP() << "the sandbox only matters to root";
    }
    const QByteArray saved = qgetenv("QTWEBENGINE_DISABLE_SANDBOX");
    const bool wasSet = qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX");
    qunsetenv("QTWEBENGINE_DISABLE_SANDBOX");
    const bool withSandbox = platform::webEngineCanStart();
    // A pane shown now stays empty instead of taking the process down.
    QWidget host;
    BrowserPane* pane = platform::createBrowserPane(&host);
    pane->navigate("about:blank");
    host.show();
    const bool viewMade = pane->findChild<QWebEngineView*>() != nullptr;
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    const bool withoutSandbox = platform::webEngineCanStart();
    if (wasSet)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", saved);
    else
        qunsetenv("QTWEBENGINE_DISABLE_SANDBOX");

    EXPECT_FALSE(withSandbox);
    EXPECT_FALSE(viewMade);
    EXPECT_EQ(pane->locationUrl(), "about:blank");
    EXPECT_TRUE(withoutSandbox);
}
