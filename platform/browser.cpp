#include "platform/browser.h"

#include "platform/boundary.h"
#include "platform/shell.h"
#include "platform/webengine.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QRegularExpression>
#include <QShowEvent>
#include <QUrl>
#include <QVBoxLayout>

#include <memory>

#include <unistd.h>

namespace platform {
namespace {

EventAddressHandler& eventHandler() {
    static EventAddressHandler handler;
    return handler;
}

void deliverEventAddress(const QString& address) {
    // A copy: the handler may replace itself.
    if (const EventAddressHandler handler = eventHandler())
        handler(address);
}

RefusedAddressHandler& refusedHandler() {
    static RefusedAddressHandler handler;
    return handler;
}

void tellRefused(const QString& address) {
    if (const RefusedAddressHandler handler = refusedHandler())
        handler(address);
    else
        qWarning("A web pane refused to open %s", qPrintable(address));
}

// A page's own refused navigation: told from the event loop, as event addresses are.
void postRefused(const QString& address) {
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [address] { tellRefused(address); }, Qt::QueuedConnection);
}

bool isEventUrl(const QUrl& url) { return url.scheme().compare(QLatin1String("event")) == 0; }

// A page that went to an event address: the engine is in the middle of its own call, so the
// program hears of it from the event loop, where it may show a box or navigate again.
void postEventAddress(const QUrl& url) {
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        guard("EventAddress", [text = eventAddressText(url)] { deliverEventAddress(text); }),
        Qt::QueuedConnection);
}

// Chromium's sandbox refuses to run as root and takes the whole process down with it, so as root
// the engine only starts when the sandbox was switched off on purpose, as CI and the tests do.
bool sandboxSwitchedOff() {
    return qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX") ||
           qgetenv("QTWEBENGINE_CHROMIUM_FLAGS").contains("--no-sandbox") ||
           QCoreApplication::arguments().contains(QStringLiteral("--no-sandbox"));
}

class WebEnginePane final : public BrowserPane {
public:
    explicit WebEnginePane(QWidget* parent) : BrowserPane(parent) {
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
    }
    ~WebEnginePane() override = default;

protected:
    void back() override {
        if (m_view)
            m_view->back();
    }
    void load(const QString& url) override {
        if (m_view)
            m_view->setUrl(url);
        else
            makeViewWhenDue();
    }

    void applySilent(bool silent) override {
        if (m_view)
            m_view->setSilent(silent);
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
        webengine::Engine* engine = webengine::engine();
        if (engine == nullptr)
            return;
        webengine::ViewHooks hooks;
        hooks.urlChanged = [this](const QString& url) { setLocation(url); };
        hooks.loadFinished = [this](const QString& url) { emit documentComplete(url); };
        hooks.eventAddress = [](const QUrl& url) { postEventAddress(url); };
        hooks.mayOpen = [](const QUrl& url) {
            const QString address = url.toString();
            if (isPaneAddress(address))
                return true;
            postRefused(address);
            return false;
        };
        // A page that wants a new window (a link to another frame, a script) gets this pane.
        hooks.newWindow = [this](const QUrl& url) {
            if (newWindowsRefused())
                return;
            if (isEventUrl(url))
                postEventAddress(url);
            else if (!url.isEmpty())
                navigate(url.toString());
        };
        m_view.reset(engine->makeView(this, std::move(hooks)));
        m_view->setSilent(isSilent());
        layout()->addWidget(m_view->widget());
        if (!locationUrl().isEmpty())
            m_view->setUrl(locationUrl());
    }

    std::unique_ptr<webengine::View> m_view;
};

BrowserPaneFactory& paneFactory() {
    static BrowserPaneFactory factory;
    return factory;
}

} // namespace

bool registerBrowserSchemes() {
    webengine::Engine* engine = webengine::engine();
    return engine != nullptr && engine->registerSchemes();
}

void prepareBrowserProcess() {
    if (!qEnvironmentVariableIsSet("QT_XCB_GL_INTEGRATION"))
        qputenv("QT_XCB_GL_INTEGRATION", "none");
    // What the engine's library would ask for itself, had it been loaded before the application
    // object exists.
    if (QCoreApplication::instance() == nullptr)
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
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

QString typedAddress(QStringView text) {
    const QString typed = text.trimmed().toString();
    if (typed.isEmpty())
        return typed;
    if (typed.startsWith(QLatin1String("//")))
        return QStringLiteral("http:") + typed;
    // "name:" followed by digits up to the path is a host and its port, not a scheme.
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*:(?!\\d+(?:[/?#]|$))"));
    if (scheme.match(typed).hasMatch())
        return typed;
    return QStringLiteral("http://") + typed;
}

bool isPaneAddress(QStringView address) {
    return isWebAddress(address) || address.trimmed().compare(QLatin1String("about:blank"), Qt::CaseInsensitive) == 0;
}

void setRefusedAddressHandler(RefusedAddressHandler handler) { refusedHandler() = std::move(handler); }

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

namespace webengine {
namespace {

QLibrary*& loadedModule() {
    static QLibrary* module = nullptr;
    return module;
}

Engine* loadEngine() {
    const QString name = QStringLiteral("brelto-webengine.so");
    QStringList places;
    if (QCoreApplication::instance() != nullptr)
        places << QDir(QCoreApplication::applicationDirPath()).filePath(name);
    places << QStringLiteral(BRELTO_WEBENGINE_MODULE);
    QString errors;
    for (const QString& place : places) {
        if (!QFileInfo::exists(place))
            continue;
        // Never unloaded: the engine's threads outlive any pane.
        auto* module = new QLibrary(place);
        module->setLoadHints(QLibrary::PreventUnloadHint);
        if (auto entry = reinterpret_cast<EntryPoint>(module->resolve(kEntryPointName))) {
            loadedModule() = module;
            return entry();
        }
        errors += module->errorString() + u' ';
        delete module;
    }
    qWarning("Web pages stay empty: the web engine's module cannot be loaded. %s", qPrintable(errors));
    return nullptr;
}

} // namespace

Engine* engine() {
    static Engine* const loaded = loadEngine();
    return loaded;
}

bool engineLoaded() { return loadedModule() != nullptr; }

} // namespace webengine

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
    if (!isPaneAddress(address)) {
        tellRefused(address);
        return;
    }
    setLocation(address);
    load(address);
}

void BrowserPane::setLocation(const QString& url) {
    if (url == m_location)
        return;
    m_location = url;
    emit locationChanged(url);
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
    if (!isPaneAddress(url)) {
        if (!url.trimmed().isEmpty())
            tellRefused(url.trimmed());
        return;
    }
    setLocation(url);
    m_navigations.append(url);
    m_history.append(url);
}

void FakeBrowserPane::back() {
    if (m_history.size() < 2)
        return;
    m_history.removeLast();
    setLocation(m_history.last());
}

void FakeBrowserPane::completeDocument() { emit documentComplete(locationUrl()); }

BrowserPane* createBrowserPane(QWidget* parent) {
    if (const BrowserPaneFactory& factory = paneFactory())
        return factory(parent);
    return new WebEnginePane(parent);
}

void setBrowserPaneFactory(BrowserPaneFactory factory) { paneFactory() = std::move(factory); }

} // namespace platform
