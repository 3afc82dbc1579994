#pragma once

#include "platform/forms.h"
#include "platform/hotkey.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>

class QAction;
class QMenu;

// The never-shown form that owns the tray icon's menu and the boss key. Its menu MainMenu opens
// on the tray icon (the desktop's tray host shows it on the right button) and on the mini window.
class MenuForm final : public platform::Form {
    Q_OBJECT
public:
    MenuForm();
    ~MenuForm() override;

    // What the menu's entries do in the main window, which lies above this folder.
    struct MainActions {
        std::function<void()> showSettings;       // mset
        std::function<void()> copyQuote;          // mnow: Main.CopyPricestr
        std::function<void()> quit;               // Mquit: Main.DoEndMe
        std::function<void(int)> selectInstrument; // a0(Index): SetDrawtype.ListIndex = Index
    };
    void setMainActions(MainActions actions) { m_actions = std::move(actions); }

    QMenu* MainMenu = nullptr;
    QAction* mShowme = nullptr;
    QAction* mset = nullptr;
    QMenu* selesc = nullptr;
    QAction* mnow = nullptr;
    QAction* mhide = nullptr;
    QAction* Mquit = nullptr;
    QList<QAction*> a0; // element 0 "--" until the quote loader names the instruments

    // The quote loader's instrument entries: element i captioned with name i (element 0 too).
    void setInstruments(const QStringList& names);
    // Element `index` captioned `name`, made when missing.
    void setInstrument(int index, const QString& name);
    // Ticks entry `index` alone (Main.CheckMenu).
    void checkInstrument(int index);
    // Whether the quote loader has named the entries (the "--" placeholder is gone).
    [[nodiscard]] bool hasInstruments() const;

    // A tray mouse message as platform/tray numbers it.
    void trayMouse(int message);

    // The menu entries' handlers.
    void mShowme_Click();
    void mhide_Click();
    void a0_Click(int Index);

private:
    MainActions m_actions;
};

MenuForm& menuForm();

// Restores the main window as it was before it was minimised ("2" in its Tag: maximised) and
// re-applies the mini window's translucency and top-most state.
void restoreMainWindow();

// "Add" registers the hot key KeySpec ("Ctrl+Alt,W") under Id, "Del" removes it; true only when
// "Add" registered it. A run-time error shows the "操作提示" balloon and gives false; a refused
// registration is silent. A press of hot key 1 runs ShowHideMain.
bool SetHotkey(int32_t Id, const QString& KeySpec, const QString& Action, QWidget* Owner);
// Whether the boss key is registered now.
[[nodiscard]] bool hotkeyRegistered();
// The rules SetHotkey works through; tests put a fake back end in (nullptr: the X11 one).
void setHotkeyBackend(std::unique_ptr<platform::HotkeyBackend> backend);
