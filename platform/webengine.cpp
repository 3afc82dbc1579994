// The web engine's module: everything that includes the engine's headers. Loaded by the program
// when a pane first has a page to show.
#include "platform/webengine.h"

#include <QCoreApplication>
#include <QPointer>
#include <QQuickWindow>
#include <QUrl>
#include <QWebEngineNewWindowRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>
#include <QWebEngineUrlSchemeHandler>
#include <QWebEngineView>

namespace {

constexpr char kEventScheme[] = "event";

bool isEventUrl(const QUrl& url) { return url.scheme().compare(QLatin1String(kEventScheme)) == 0; }

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
    PanePage(QObject* parent, std::function<void(const QUrl&)> eventAddress, std::function<bool(const QUrl&)> mayOpen)
        : QWebEnginePage(parent), m_eventAddress(std::move(eventAddress)), m_mayOpen(std::move(mayOpen)) {}

    bool silent = false;

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override {
        if (isEventUrl(url)) {
            m_eventAddress(url);
            return false;
        }
        // A page's links and redirects follow the same rule as the program's own addresses; frames
        // inside a page are the page's business.
        if (isMainFrame && m_mayOpen && !m_mayOpen(url))
            return false;
        return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
    }

    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message,
                                  int lineNumber, const QString& sourceID) override {
        if (silent && level == ErrorMessageLevel)
            return;
        QWebEnginePage::javaScriptConsoleMessage(level, message, lineNumber, sourceID);
    }

private:
    std::function<void(const QUrl&)> m_eventAddress;
    std::function<bool(const QUrl&)> m_mayOpen;
};

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

class EngineView final : public platform::webengine::View {
public:
    EngineView(QWidget* parent, platform::webengine::ViewHooks hooks)
        : m_hooks(std::move(hooks)), m_view(new QWebEngineView(parent)) {
        m_page = new PanePage(m_view, m_hooks.eventAddress, m_hooks.mayOpen);
        m_view->setPage(m_page);
        QObject::connect(m_page, &QWebEnginePage::urlChanged, m_view, [this](const QUrl& url) {
            if (!url.isEmpty())
                m_hooks.urlChanged(url.toString());
        });
        QObject::connect(m_page, &QWebEnginePage::loadFinished, m_view,
                         [this](bool) { m_hooks.loadFinished(m_page->url().toString()); });
        QObject::connect(m_page, &QWebEnginePage::newWindowRequested, m_view,
                         [this](QWebEngineNewWindowRequest& request) {
                             m_hooks.newWindow(request.requestedUrl());
                         });
    }
    // The widget goes with its parent; a view outliving it only lets go.
    ~EngineView() override { delete m_view.data(); }

    QWidget* widget() override { return m_view; }
    void setUrl(const QString& userInput) override {
        if (m_view)
            m_view->setUrl(QUrl::fromUserInput(userInput));
    }
    void back() override {
        if (m_view)
            m_view->back();
    }
    void setSilent(bool silent) override {
        if (m_page)
            m_page->silent = silent;
    }

private:
    platform::webengine::ViewHooks m_hooks;
    QPointer<QWebEngineView> m_view;
    QPointer<PanePage> m_page;
};

class WebEngine final : public platform::webengine::Engine {
public:
    bool registerSchemes() override {
        if (!QWebEngineUrlScheme::schemeByName(kEventScheme).name().isEmpty())
            return true;
        if (m_started)
            return false;
        QWebEngineUrlScheme scheme(kEventScheme);
        scheme.setSyntax(QWebEngineUrlScheme::Syntax::Path);
        QWebEngineUrlScheme::registerScheme(scheme);
        return !QWebEngineUrlScheme::schemeByName(kEventScheme).name().isEmpty();
    }

    platform::webengine::View* makeView(QWidget* parent, platform::webengine::ViewHooks hooks) override {
        registerSchemes();
        composePagesInSoftware();
        m_started = true;
        installEventSchemeRefusal(QWebEngineProfile::defaultProfile());
        return new EngineView(parent, std::move(hooks));
    }

private:
    bool m_started = false;
};

} // namespace

extern "C" Q_DECL_EXPORT platform::webengine::Engine* brelto_webengine() {
    static WebEngine engine;
    return &engine;
}
