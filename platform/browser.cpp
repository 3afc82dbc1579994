#include "platform/browser.h"

#include <QCoreApplication>
#include <QPointer>
#include <QQuickWindow>
#include <QShowEvent>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebEngineNewWindowRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>
#include <QWebEngineUrlSchemeHandler>
#include <QWebEngineView>

#include <unistd.h>

namespace platform {
namespace {

constexpr char kEventScheme[] = "event";

EventAddressHandler& eventHandler() {
    static EventAddressHandler handler;
    return handler;
}

void deliverEventAddress(const QString& address) {
    // A copy: the handler may replace itself.
    if (const EventAddressHandler handler = eventHandler())
        handler(address);
}

bool isEventUrl(const QUrl& url) { return url.scheme().compare(QLatin1String(kEventScheme)) == 0; }

// A page that went to an event address: the engine is in the middle of its own call, so the
// program hears of it from the event loop, where it may show a box or navigate again.
void postEventAddress(const QUrl& url) {
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [text = eventAddressText(url)] { deliverEventAddress(text); },
        Qt::QueuedConnection);
}

// What still asks for an event address after navigations are caught (a picture, a script's
// request) is refused here, so nothing of the scheme ever leaves the engine.
class EventSchemeRefusal final : public QWebEngineUrlSchemeHandler {
public:
    using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;

    void requestStarted(QWebEngineUrlRequestJob* job) override {
        job->fail(QWebEngineUrlRequestJob::RequestDenied);
    }
};

void installEventSchemeRefusal(QWebEngineProfile* profile) {
    if (profile->urlSchemeHandler(kEventScheme) == nullptr)
        profile->installUrlSchemeHandler(kEventScheme, new EventSchemeRefusal(profile));
}

class PanePage final : public QWebEnginePage {
public:
    using QWebEnginePage::QWebEnginePage;

    bool silent = false;

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override {
        if (!isEventUrl(url))
            return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
        postEventAddress(url);
        return false;
    }

    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message,
                                  int lineNumber, const QString& sourceID) override {
        if (silent && level == ErrorMessageLevel)
            return;
        QWebEnginePage::javaScriptConsoleMessage(level, message, lineNumber, sourceID);
    }
};

// Chromium's sandbox refuses to run as root and takes the whole process down with it, so as root
// the engine only starts when the sandbox was switched off on purpose, as CI and the tests do.
bool sandboxSwitchedOff() {
    return qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX") ||
           qgetenv("QTWEBENGINE_CHROMIUM_FLAGS").contains("--no-sandbox") ||
           QCoreApplication::arguments().contains(QStringLiteral("--no-sandbox"));
}

// A web view shows its page through a Qt Quick scene. Drawn by the graphics card, that scene is a
// texture inside the window, and the first one forces Qt to make the whole window again as an
// OpenGL window: the window manager forgets it was maximised, and from then on every repaint of
// the window (a clock's second, a ticker's step) is composed through OpenGL, which without a
// graphics card costs a large part of a core and the 60 MB of a software renderer. Composed in
// software, the scene is a picture the window draws like any other, and the window stays as it
// was made. Chosen before the first view exists, as the scene's graphics must be.
void composePagesInSoftware() {
    static const bool chosen = [] {
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
        return true;
    }();
    (void)chosen;
}

class WebEnginePane final : public BrowserPane {
public:
    explicit WebEnginePane(QWidget* parent) : BrowserPane(parent) {
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
    }

protected:
    void load(const QString& url) override {
        if (m_view)
            m_view->setUrl(QUrl::fromUserInput(url));
        else
            makeViewWhenDue();
    }

    void applySilent(bool silent) override {
        if (m_page)
            m_page->silent = silent;
    }

    void showEvent(QShowEvent* event) override {
        BrowserPane::showEvent(event);
        makeViewWhenDue();
    }

private:
    void makeViewWhenDue() {
        if (!m_view && isVisible() && isRealAddress(locationUrl()) && webEngineCanStart())
            makeView();
    }

    void makeView() {
        composePagesInSoftware();
        installEventSchemeRefusal(QWebEngineProfile::defaultProfile());
        m_view = new QWebEngineView(this);
        m_page = new PanePage(m_view);
        m_page->silent = isSilent();
        m_view->setPage(m_page);
        connect(m_page, &QWebEnginePage::urlChanged, this, [this](const QUrl& url) {
            if (!url.isEmpty())
                setLocation(url.toString());
        });
        connect(m_page, &QWebEnginePage::loadFinished, this,
                [this](bool) { emit documentComplete(m_page->url().toString()); });
        // A page that wants a new window (a link to another frame, a script) gets this pane.
        connect(m_page, &QWebEnginePage::newWindowRequested, this,
                [this](QWebEngineNewWindowRequest& request) {
                    if (newWindowsRefused())
                        return;
                    const QUrl url = request.requestedUrl();
                    if (isEventUrl(url))
                        postEventAddress(url);
                    else if (!url.isEmpty())
                        navigate(url.toString());
                });
        layout()->addWidget(m_view);
        if (!locationUrl().isEmpty())
            m_view->setUrl(QUrl::fromUserInput(locationUrl()));
    }

    QPointer<QWebEngineView> m_view;
    QPointer<PanePage> m_page;
};

BrowserPaneFactory& paneFactory() {
    static BrowserPaneFactory factory;
    return factory;
}

} // namespace

bool registerBrowserSchemes() {
    if (!QWebEngineUrlScheme::schemeByName(kEventScheme).name().isEmpty())
        return true;
    if (QCoreApplication::instance() != nullptr)
        return false;
    QWebEngineUrlScheme scheme(kEventScheme);
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Path);
    QWebEngineUrlScheme::registerScheme(scheme);
    return true;
}

void prepareBrowserProcess() {
    registerBrowserSchemes();
    composePagesInSoftware();
    if (!qEnvironmentVariableIsSet("QT_XCB_GL_INTEGRATION"))
        qputenv("QT_XCB_GL_INTEGRATION", "none");
}

bool webEngineCanStart() {
    if (geteuid() != 0 || sandboxSwitchedOff())
        return true;
    static bool told = false;
    if (!told) {
        qWarning("Web pages stay empty: running as root needs QTWEBENGINE_DISABLE_SANDBOX=1.");
        told = true;
    }
    return false;
}

bool isRealAddress(QStringView address) {
    const QStringView trimmed = address.trimmed();
    return !trimmed.isEmpty() && trimmed.compare(QLatin1String("about:blank"), Qt::CaseInsensitive) != 0;
}

bool isEventAddress(QStringView address) {
    return address.trimmed().startsWith(QLatin1String("event:"), Qt::CaseInsensitive);
}

QString eventAddressText(const QUrl& url) {
    QString text = QStringLiteral("EVENT:") + url.path(QUrl::FullyDecoded);
    if (url.hasQuery())
        text += u'?' + url.query(QUrl::FullyDecoded);
    if (url.hasFragment())
        text += u'#' + url.fragment(QUrl::FullyDecoded);
    return text;
}

void setEventAddressHandler(EventAddressHandler handler) { eventHandler() = std::move(handler); }

BrowserPane::BrowserPane(QWidget* parent) : QWidget(parent) {}

BrowserPane::~BrowserPane() = default;

void BrowserPane::navigate(const QString& url) {
    const QString address = url.trimmed();
    if (address.isEmpty())
        return;
    if (isEventAddress(address)) {
        deliverEventAddress(address);
        return;
    }
    m_location = address;
    load(address);
}

void BrowserPane::setSilent(bool silent) {
    m_silent = silent;
    applySilent(silent);
}

FakeBrowserPane::FakeBrowserPane(QWidget* parent) : BrowserPane(parent) {}

FakeBrowserPane::~FakeBrowserPane() = default;

void FakeBrowserPane::followLink(const QString& url) {
    const QUrl target(url.trimmed());
    if (isEventUrl(target)) {
        deliverEventAddress(eventAddressText(target));
        return;
    }
    setLocation(url);
    m_navigations.append(url);
}

void FakeBrowserPane::completeDocument() { emit documentComplete(locationUrl()); }

BrowserPane* createBrowserPane(QWidget* parent) {
    if (const BrowserPaneFactory& factory = paneFactory())
        return factory(parent);
    return new WebEnginePane(parent);
}

void setBrowserPaneFactory(BrowserPaneFactory factory) { paneFactory() = std::move(factory); }

} // namespace platform
