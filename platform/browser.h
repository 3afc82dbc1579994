#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>

class QUrl;

namespace platform {

// Registers the scheme of the "EVENT:" addresses with the web engine, loading the engine's module
// (the panes do this themselves before their first page). True when the scheme is registered (now
// or earlier), false when the module cannot be loaded or the engine started without it.
bool registerBrowserSchemes();

// What the web engine needs settled before the application object exists, for a program whose
// windows hold web panes: pages are composed in software, so that no window ever turns into an
// OpenGL window and the process loads no OpenGL driver at all (about 60 MB, and a large part of a
// core for every repaint where there is no graphics card). A QT_XCB_GL_INTEGRATION chosen by the
// user is left alone. The engine itself is loaded only when a pane first shows a page. main()
// calls this first.
void prepareBrowserProcess();

// Whether the web engine may start in this process. Chromium's sandbox cannot run as root and would
// end the program; as root the panes therefore stay empty unless the sandbox was switched off on
// purpose (QTWEBENGINE_DISABLE_SANDBOX set, or --no-sandbox), with one warning on the log.
[[nodiscard]] bool webEngineCanStart();

// "EVENT:..." (any case): the addresses the program's own web pages go to in order to hand it
// data, such as the bookkeeping page's positions. They never reach the network.
[[nodiscard]] bool isEventAddress(QStringView address);

// The text handed on for an event address a page went to: "EVENT:" and the rest of the address
// with the engine's escapes undone, as the page wrote it.
[[nodiscard]] QString eventAddressText(const QUrl& url);

// Receives every event address, from the program's own navigate() calls at once and from a page
// once the engine's call has returned. Without a handler they are dropped.
using EventAddressHandler = std::function<void(const QString& address)>;
void setEventAddressHandler(EventAddressHandler handler);

// Whether an address needs a page at all: an empty address and "about:blank" show nothing, so a
// pane holding one needs no web view.
[[nodiscard]] bool isRealAddress(QStringView address);

// What a pane may open: a web address (`isWebAddress`) or "about:blank". Event addresses are not
// opened but handed on; everything else (a local file, a script, an inline page, another scheme,
// a text without a scheme) is refused, because the addresses come from the service over plain
// HTTP.
[[nodiscard]] bool isPaneAddress(QStringView address);

// What an address bar goes to for the text typed into it: a text without a scheme
// ("www.example.com", "127.0.0.1:18631/bbs/", "localhost:8080") is taken as an http address; a
// text with one stays as typed, so that the pane still refuses what it may not open.
[[nodiscard]] QString typedAddress(QStringView text);

// Told of every address a pane refused, from navigate() at once and from a page (a link, a
// redirect, a new window) once the engine's call has returned. Without a handler the refusal goes
// to the Qt log.
using RefusedAddressHandler = std::function<void(const QString& address)>;
void setRefusedAddressHandler(RefusedAddressHandler handler);

// A web pane. The real one makes its web engine view only once it is visible and holds a real
// address (and the engine can start), so a hidden pane, or one on "about:blank", costs nothing;
// until then it only remembers where it is to go.
class BrowserPane : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BrowserPane)
public:
    ~BrowserPane() override;

    // Goes to `url`. An empty address is refused without a word; an event address goes to the
    // event handler and the pane stays where it is; an address a pane may not open is refused,
    // told to the refusal handler, and the pane stays where it is.
    void navigate(const QString& url);

    // The address shown or about to be: the last one navigated to, then what the page reports
    // (redirects, links followed). Empty before the first navigation.
    [[nodiscard]] QString locationUrl() const { return m_location; }

    // A pane that refuses new windows drops a page's request for one; otherwise the pane goes to
    // the requested page itself.
    void setNewWindowsRefused(bool refused) { m_refuseNewWindows = refused; }
    [[nodiscard]] bool newWindowsRefused() const { return m_refuseNewWindows; }

    // Goes one page back in the pane's history; nothing when there is none.
    virtual void back() = 0;

    // Silent panes keep their pages' script errors to themselves.
    void setSilent(bool silent);
    [[nodiscard]] bool isSilent() const { return m_silent; }

signals:
    // The page at `url` has finished loading (also when it failed to).
    void documentComplete(const QString& url);
    // The address shown changed: a navigation, a link or redirect followed, a step back.
    void locationChanged(const QString& url);

protected:
    explicit BrowserPane(QWidget* parent);

    virtual void load(const QString& url) = 0;
    virtual void applySilent(bool /*silent*/) {}
    void setLocation(const QString& url);

private:
    QString m_location;
    bool m_silent = false;
    bool m_refuseNewWindows = false;
};

// A pane for tests: records what it loads and plays the page's side on request.
class FakeBrowserPane final : public BrowserPane {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FakeBrowserPane)
public:
    explicit FakeBrowserPane(QWidget* parent = nullptr);
    ~FakeBrowserPane() override;

    // Every address loaded, in order: the program's navigations and the links the page followed.
    [[nodiscard]] const QStringList& navigations() const { return m_navigations; }

    // As if the page went to `url` itself (a link, a script): an event address goes to the event
    // handler at once, an address a pane may not open to the refusal handler, anything else is
    // loaded.
    void followLink(const QString& url);

    // As if the current page had finished loading.
    void completeDocument();

    // Goes back to the address loaded before the current one, when there is one.
    void back() override;

protected:
    void load(const QString& url) override {
        m_navigations.append(url);
        m_history.append(url);
    }

private:
    QStringList m_navigations;
    QStringList m_history;
};

// The panes the main window makes: real ones unless a test installed another factory; a null
// factory restores the real panes. The pane is a child of `parent`.
using BrowserPaneFactory = std::function<BrowserPane*(QWidget* parent)>;
[[nodiscard]] BrowserPane* createBrowserPane(QWidget* parent);
void setBrowserPaneFactory(BrowserPaneFactory factory);

} // namespace platform
