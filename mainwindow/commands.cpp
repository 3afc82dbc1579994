#include "mainwindow/commands.h"

#include "platform/boundary.h"
#include "platform/keys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QUrl>
#include <QWidget>

namespace commands {

ToolbarAction toolbarAction(const QString& sKey) {
    struct Entry {
        const char* key;
        ToolbarAction action;
    };
    static constexpr Entry kKeys[] = {
        {"cal", ToolbarAction::Calculator},
        {"cwcal", ToolbarAction::PositionCalculator},
        {"jyjsq", ToolbarAction::TradeCalculator},
        {"rjtx", ToolbarAction::Alerts},
        {"set", ToolbarAction::Settings},
        {"copyprice", ToolbarAction::CopyQuote},
        {"login", ToolbarAction::LoginToggle},
        // The two ETF menu items send keys of their own; the pages they name are tabs T9 and T10.
        {"goldetf", ToolbarAction::GoldEtfTab},
        {"siletf", ToolbarAction::SilverEtfTab},
    };
    for (const Entry& e : kKeys)
        if (sKey == QLatin1String(e.key))
            return e.action;
    return ToolbarAction::None;
}

std::span<const Menu> menus() {
    static constexpr Menu kMenus[] = {{"m2", u"系统"}, {"m4", u"常用工具"}, {"m5", u"复制行情"}};
    return kMenus;
}

std::span<const MenuItem> menuItems() {
    static constexpr MenuItem kItems[] = {
        {"m2", "m21", u"用户登录", MenuAction::Login},
        {"m2", "m22", u"注销登录", MenuAction::Logout},
        {"m2", "m2b1", u"", MenuAction::Separator},
        {"m2", "m23", u"注册新用户", MenuAction::Register},
        {"m2", "m24", u"找回密码", MenuAction::LostPassword},
        {"m2", "m2b2", u"", MenuAction::Separator},
        {"m2", "m25", u"程序设置(&S)", MenuAction::Settings},
        {"m2", "bosskeym", u"老板键(Ctrl+Alt+W)", MenuAction::BossKey},
        {"m2", "m2b3", u"", MenuAction::Separator},
        {"m2", "m26", u"退出系统", MenuAction::Quit},
        {"m4", "m41", u"仓位计算器", MenuAction::Toolbar, 3, "cwcal"},
        {"m4", "m42", u"数字计算器", MenuAction::Toolbar, 2, "cal"},
        {"m4", "m43", u"预警提醒", MenuAction::Toolbar, 4, "rjtx"},
        {"m4", "m4b1", u"", MenuAction::Separator},
        {"m4", "m44", u"黄金ETF持仓", MenuAction::Toolbar, 5, "goldetf"},
        {"m4", "m45", u"白银ETF持仓", MenuAction::Toolbar, 6, "siletf"},
        {"m5", "m51", u"复制当前市场行情", MenuAction::CopyQuotes},
    };
    return kItems;
}

QString serviceWebPage(const QString& siteUrl, const QString& path) {
    const QUrl site(siteUrl.trimmed());
    QString host = site.host();
    if (host.isEmpty())
        return {};
    if (site.port() > 0)
        host += u':' + QString::number(site.port());
    return QStringLiteral("https://") + host + path;
}

KeyCommand keyCommand(int KeyCode, int Shift) {
    if (KeyCode == platform::VK_ESCAPE)
        return {KeyCommand::Kind::QuoteBoardTab};
    if (Shift == platform::kAltMask) {
        if (KeyCode == 'Z')
            return {KeyCommand::Kind::CopyReport};
        if (KeyCode >= '1' && KeyCode <= '9')
            return {KeyCommand::Kind::Range, KeyCode - '1' + 2};
        static constexpr char kLetters[] = {'0', 'Q', 'W', 'E', 'R', 'T'};
        for (int i = 0; i < static_cast<int>(sizeof kLetters); ++i)
            if (KeyCode == kLetters[i])
                return {KeyCommand::Kind::Range, 11 + i};
        return {};
    }
    if (KeyCode == platform::VK_F1 + 2 && Shift == 0)
        return {KeyCommand::Kind::Range, 1};
    return {};
}

std::optional<int> rangeToSet(int current, int target) {
    if (current == target)
        return std::nullopt;
    return target;
}

KeyPreview::KeyPreview(QWidget* form, Handler handler) : m_form(form), m_handler(std::move(handler)) {
    if (QCoreApplication* app = QCoreApplication::instance())
        app->installEventFilter(this);
}

KeyPreview::~KeyPreview() {
    if (QCoreApplication* app = QCoreApplication::instance())
        app->removeEventFilter(this);
}

bool KeyPreview::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType() || !m_handler)
        return false;
    if (static_cast<QWidget*>(watched)->window() != m_form)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    bool taken = false;
    platform::guarded("Form_KeyDown", [&] {
        taken = m_handler(platform::virtualKey(*key), platform::shiftMask(key->modifiers()));
    });
    return taken;
}

} // namespace commands
