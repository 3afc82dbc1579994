#include "companions/menuform.h"

#include "common/windowutil.h"
#include "companions/mini.h"
#include "companions/tray.h"
#include "platform/tray.h"
#include "platform/vberror.h"
#include "state/session.h"
#include "state/usersettings.h"

#include <QAction>
#include <QCursor>
#include <QMenu>

namespace {

std::unique_ptr<platform::Hotkeys>& hotkeys() {
    static std::unique_ptr<platform::Hotkeys> keys;
    return keys;
}

platform::Hotkeys& hotkeysInUse() {
    if (!hotkeys())
        setHotkeyBackend(nullptr);
    return *hotkeys();
}

void applyMiniAlpha() {
    if (platform::isLoaded<MiniForm>()) {
        int alpha = AlphaValue;
        SetWindowAlpha(&Mini(), alpha, MiniTopmost);
    }
}

} // namespace

MenuForm::MenuForm() : platform::Form(Qt::Window) {
    setWindowTitle(QStringLiteral("MenuForm"));
    MainMenu = new QMenu(QStringLiteral("Menu"), this);
    mShowme = MainMenu->addAction(QStringLiteral("显示程序(&V)"), this, [this] { mShowme_Click(); });
    mset = MainMenu->addAction(QStringLiteral("程序设置(&S)"), this, [this] {
        if (m_actions.showSettings)
            m_actions.showSettings();
    });
    MainMenu->addSeparator();
    selesc = MainMenu->addMenu(QStringLiteral("选择市场"));
    a0.append(selesc->addAction(QStringLiteral("--"), this, [this] { a0_Click(0); }));
    mnow = MainMenu->addAction(QStringLiteral("复制当前行情信息(&N)"), this, [this] {
        if (m_actions.copyQuote)
            m_actions.copyQuote();
    });
    mhide = MainMenu->addAction(QStringLiteral("老板键(&H) Ctrl+Alt+W"), this, [this] { mhide_Click(); });
    Mquit = MainMenu->addAction(QStringLiteral("退出程序(&X)"), this, [this] {
        if (m_actions.quit)
            m_actions.quit();
    });
    platform::setTrayMouseHandler([](int message) {
        if (platform::isLoaded<MenuForm>())
            menuForm().trayMouse(message);
    });
    platform::setTrayContextMenu(MainMenu);
    setMiniMenu([](const QPoint& at) {
        if (platform::isLoaded<MenuForm>())
            menuForm().MainMenu->exec(at);
    });
}

MenuForm::~MenuForm() {
    platform::setTrayMouseHandler(nullptr);
    platform::setTrayContextMenu(nullptr);
    setMiniMenu(nullptr);
}

MenuForm& menuForm() { return platform::form<MenuForm>(); }

void MenuForm::setInstruments(const QStringList& names) {
    for (int i = 0; i < names.size(); ++i)
        setInstrument(i, names[i]);
}

void MenuForm::setInstrument(int index, const QString& name) {
    if (index < 0)
        return;
    while (a0.size() <= index) {
        const int i = static_cast<int>(a0.size());
        a0.append(selesc->addAction(QStringLiteral("--"), this, [this, i] { a0_Click(i); }));
    }
    a0[index]->setText(name);
    a0[index]->setCheckable(true);
}

void MenuForm::checkInstrument(int index) {
    for (int i = 0; i < a0.size(); ++i)
        a0[i]->setChecked(i == index);
}

bool MenuForm::hasInstruments() const { return !a0.isEmpty() && a0[0]->isCheckable(); }

void restoreMainWindow() {
    platform::Form* main = platform::mainForm();
    // A main window that a log-out has hidden is on its way out: it never comes back.
    if (main == nullptr || LogoutUnderWay)
        return;
    main->setWindowState(main->property("Tag").toString() == u"2" ? Qt::WindowMaximized : Qt::WindowNoState);
    main->show();
    main->raise();
    main->activateWindow();
}

void MenuForm::trayMouse(int message) {
    if (!MainStarted)
        return;
    // The right button's menu is the tray host's (setTrayContextMenu), so only the left press
    // is ours: it always brings the main window up.
    if (message == platform::kTrayLeftButtonDown) {
        restoreMainWindow();
        applyMiniAlpha();
    }
}

void MenuForm::mShowme_Click() { restoreMainWindow(); }

void MenuForm::mhide_Click() {
    // Without a registered key nothing could bring a hidden program back.
    if (BossKeyOn && hotkeyRegistered()) {
        ShowHideMain();
        return;
    }
    TrayBalloon(this, QStringLiteral("您未启用老板键，无法隐藏程序。如果需要启用，请在程序设置里调整您的设置。"),
                QStringLiteral("未启用"), platform::kBalloonInfo);
}

void MenuForm::a0_Click(int Index) {
    if (m_actions.selectInstrument)
        m_actions.selectInstrument(Index);
}

void setHotkeyBackend(std::unique_ptr<platform::HotkeyBackend> backend) {
    if (!backend)
        backend = platform::makeX11HotkeyBackend();
    hotkeys() = std::make_unique<platform::Hotkeys>(std::move(backend));
    hotkeys()->setAction([](int32_t id) {
        if (id == 1)
            ShowHideMain();
    });
}

bool SetHotkey(int32_t Id, const QString& KeySpec, const QString& Action, QWidget* Owner) {
    try {
        return hotkeysInUse().set(Id, KeySpec, Action);
    } catch (const platform::VbError& e) {
        TrayBalloon(Owner, QStringLiteral("注册热键时出错:\n") + e.description, QStringLiteral("操作提示"),
                    platform::kBalloonInfo);
        return false;
    }
}

bool hotkeyRegistered() { return hotkeys() && hotkeys()->isRegistered(); }
