#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <optional>
#include <span>

class QWidget;

// The main window's commands: what a toolbar key, a menu item and a key press do. The window only
// carries the actions out; everything that decides lives here.
namespace commands {

// What the toolbar handler (MainBar ButtonClick) does for a key. The tool menu items raise the
// same handler with their own keys.
enum class ToolbarAction {
    None,
    Calculator,         // "cal": the built-in calculator, a free window
    PositionCalculator, // "cwcal"
    TradeCalculator,    // "jyjsq"
    Alerts,             // "rjtx"
    Settings,           // "set"
    CopyQuote,          // "copyprice": Main.CopyPricestr
    LoginToggle,        // "login": signs out when signed in, else the login window
    GoldEtfTab,         // "goldetf": the gold ETF tab forward
    SilverEtfTab,       // "siletf": the silver ETF tab forward
};
// Exact, case-sensitive comparison; an unknown key ("bao" among them) does nothing.
[[nodiscard]] ToolbarAction toolbarAction(const QString& sKey);

// What a menu item of the main window does.
enum class MenuAction {
    Separator,
    Login,        // "用户登录": the login window while signed out, else nothing
    Logout,       // LogoutUser
    Register,     // the registration page on the service's web site
    LostPassword, // the lost-password page
    Settings,     // MainSet
    BossKey,      // the boss key's own item: hides the program, or says the key is off
    Quit,         // Main.DoEndMe
    Toolbar,      // raises the toolbar handler with btnIndex and key
    CopyQuotes,   // "复制当前市场行情"
};

struct MenuItem {
    const char* menu;          // "m2", "m4", "m5"
    const char* name;          // the item's own name
    const char16_t* caption;   // exactly as shown; empty for a separator
    MenuAction action;
    int btnIndex = 0;          // for MenuAction::Toolbar
    const char* key = nullptr; // for MenuAction::Toolbar
};
struct Menu {
    const char* name;
    const char16_t* caption;
};

[[nodiscard]] std::span<const Menu> menus();
// Every item in menu order, separators included.
[[nodiscard]] std::span<const MenuItem> menuItems();

// "https://" + the host (and port) of the service's base address + path; the path alone keeps its
// leading "/".
[[nodiscard]] QString serviceWebPage(const QString& siteUrl, const QString& path);
inline constexpr char kRegisterPath[] = "/register/";
inline constexpr char kLostPasswordPath[] = "/register/getpassword.asp";

// What a key press does on the main window (Form_KeyDown), whichever window it was pressed in.
struct KeyCommand {
    enum class Kind {
        None,
        QuoteBoardTab, // Esc: the tab "T1" forward
        CopyReport,    // Alt+Z: Main.CopyInfo
        Range,         // a chart range, rangeIndex of the range box
    };
    Kind kind = Kind::None;
    int rangeIndex = -1;
    bool operator==(const KeyCommand&) const = default;
};
// KeyCode a virtual-key code, Shift the mask (1 Shift, 2 Ctrl, 4 Alt). Esc acts whatever the
// shift state; the Alt keys need Alt alone; F3 needs no modifier. The Alt range keys pick the range
// whose caption names them: Alt+1 .. Alt+9 give 2 .. 10, Alt+0 11, Alt+Q 12, Alt+W 13, Alt+E 14,
// Alt+R 15, Alt+T 16; F3 gives 1 ("72小时 F3").
[[nodiscard]] KeyCommand keyCommand(int KeyCode, int Shift);

// The index the range box is to be set to for a range key, or none when it already shows that
// range: setting the same index again would redraw for nothing.
[[nodiscard]] std::optional<int> rangeToSet(int current, int target);

// The form's key preview: key presses in any control of `form` reach `handler` first. A press the
// handler takes (returns true for) goes no further, so a control never acts on it as well.
class KeyPreview : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(KeyPreview)
public:
    using Handler = std::function<bool(int keyCode, int shift)>;
    KeyPreview(QWidget* form, Handler handler);
    ~KeyPreview() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_form;
    Handler m_handler;
};

} // namespace commands
