#include "mainwindow/commands.h"

#include "platform/keys.h"
#include "tests/support/qtprint.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

using namespace commands;

namespace {

TEST(ToolbarDispatch, EveryKeyAndItsAction) {
    const std::pair<const char*, ToolbarAction> cases[] = {
        {"cal", ToolbarAction::Calculator},
        {"cwcal", ToolbarAction::PositionCalculator},
        {"jyjsq", ToolbarAction::TradeCalculator},
        {"rjtx", ToolbarAction::Alerts},
        {"set", ToolbarAction::Settings},
        {"copyprice", ToolbarAction::CopyQuote},
        {"login", ToolbarAction::LoginToggle},
        {"goldetf", ToolbarAction::GoldEtfTab},
        {"siletf", ToolbarAction::SilverEtfTab},
        // Keys of no command, and near misses: the comparison is exact and case-sensitive.
        {"bao", ToolbarAction::None},
        {"", ToolbarAction::None},
        {"Login", ToolbarAction::None},
        {"CAL", ToolbarAction::None},
        {"login ", ToolbarAction::None},
        {"copy", ToolbarAction::None},
        {"calc", ToolbarAction::None},
    };
    for (const auto& [key, action] : cases)
        EXPECT_EQ(toolbarAction(QString::fromLatin1(key)), action) << '"' << key << '"';
}

TEST(Menus, CaptionsInOrderWithTheirActions) {
    const std::map<std::string, std::string> menuCaptions = {{"m2", "系统"}, {"m4", "常用工具"}, {"m5", "复制行情"}};
    ASSERT_EQ(menus().size(), 3u);
    for (const Menu& m : menus())
        EXPECT_EQ(QString::fromUtf16(m.caption).toStdString(), menuCaptions.at(m.name)) << m.name;

    struct Expected {
        const char* menu;
        const char* name;
        const char* caption;
        MenuAction action;
        int btnIndex;
        const char* key;
    };
    const Expected expected[] = {
        {"m2", "m21", "用户登录", MenuAction::Login, 0, nullptr},
        {"m2", "m22", "注销登录", MenuAction::Logout, 0, nullptr},
        {"m2", "m2b1", "", MenuAction::Separator, 0, nullptr},
        {"m2", "m23", "注册新用户", MenuAction::Register, 0, nullptr},
        {"m2", "m24", "找回密码", MenuAction::LostPassword, 0, nullptr},
        {"m2", "m2b2", "", MenuAction::Separator, 0, nullptr},
        {"m2", "m25", "程序设置(&S)", MenuAction::Settings, 0, nullptr},
        {"m2", "bosskeym", "老板键(Ctrl+Alt+W)", MenuAction::BossKey, 0, nullptr},
        {"m2", "m2b3", "", MenuAction::Separator, 0, nullptr},
        {"m2", "m26", "退出系统", MenuAction::Quit, 0, nullptr},
        {"m4", "m41", "仓位计算器", MenuAction::Toolbar, 3, "cwcal"},
        {"m4", "m42", "数字计算器", MenuAction::Toolbar, 2, "cal"},
        {"m4", "m43", "预警提醒", MenuAction::Toolbar, 4, "rjtx"},
        {"m4", "m4b1", "", MenuAction::Separator, 0, nullptr},
        {"m4", "m44", "黄金ETF持仓", MenuAction::Toolbar, 5, "goldetf"},
        {"m4", "m45", "白银ETF持仓", MenuAction::Toolbar, 6, "siletf"},
        {"m5", "m51", "复制当前市场行情", MenuAction::CopyQuotes, 0, nullptr},
    };
    const auto items = menuItems();
    ASSERT_EQ(items.size(), std::size(expected));
    for (size_t i = 0; i < items.size(); ++i) {
        const MenuItem& got = items[i];
        const Expected& want = expected[i];
        SCOPED_TRACE(want.name);
        EXPECT_STREQ(got.menu, want.menu);
        EXPECT_STREQ(got.name, want.name);
        EXPECT_EQ(QString::fromUtf16(got.caption).toStdString(), want.caption);
        EXPECT_EQ(got.action, want.action);
        EXPECT_EQ(got.btnIndex, want.btnIndex);
        EXPECT_EQ(got.key == nullptr, want.key == nullptr);
        if (want.key != nullptr && got.key != nullptr) {
            EXPECT_STREQ(got.key, want.key);
        }
    }
}

// Every tool item raises a toolbar key that does something: an item sending a key the dispatch
// does not know would sit in the menu doing nothing.
TEST(Menus, ToolItemsReachAToolbarCommand) {
    for (const MenuItem& item : menuItems()) {
        if (item.action == MenuAction::Toolbar) {
            EXPECT_NE(toolbarAction(QString::fromLatin1(item.key)), ToolbarAction::None) << item.name;
        }
    }
}

TEST(Menus, ServiceWebPages) {
    const struct {
        const char* site;
        const char* path;
        const char* page;
    } cases[] = {
        {"http://quillor.example/", kRegisterPath, "https://quillor.example/register/"},
        {"http://quillor.example/soft/", kLostPasswordPath, "https://quillor.example/register/getpassword.asp"},
        {"https://www.quillor.example", kRegisterPath, "https://www.quillor.example/register/"},
        {"http://127.0.0.1:18631/", kRegisterPath, "https://127.0.0.1:18631/register/"},
        {"", kRegisterPath, ""},
        {"not an address", kRegisterPath, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(serviceWebPage(QString::fromLatin1(c.site), QString::fromLatin1(c.path)).toStdString(), c.page)
            << c.site;
}

constexpr int kAlt = platform::kAltMask;
constexpr int kShift = platform::kShiftMask;
constexpr int kCtrl = platform::kCtrlMask;
constexpr int kF3 = platform::VK_F1 + 2;

KeyCommand range(int index) { return {KeyCommand::Kind::Range, index}; }

TEST(Keys, CommandOfEveryShortcut) {
    using K = KeyCommand::Kind;
    const struct {
        const char* what;
        int keyCode, shift;
        KeyCommand command;
    } cases[] = {
        {"Esc", platform::VK_ESCAPE, 0, {K::QuoteBoardTab}},
        {"Shift+Esc", platform::VK_ESCAPE, kShift, {K::QuoteBoardTab}},
        {"Alt+Esc", platform::VK_ESCAPE, kAlt, {K::QuoteBoardTab}},
        {"Alt+Z", 'Z', kAlt, {K::CopyReport}},
        {"Z", 'Z', 0, {}},
        {"Ctrl+Alt+Z", 'Z', kAlt | kCtrl, {}},
        {"Alt+Shift+Z", 'Z', kAlt | kShift, {}},
        // The Alt keys select the range whose caption names them ("1天 Alt+1" is item 2).
        {"Alt+1", '1', kAlt, range(2)},
        {"Alt+5", '5', kAlt, range(6)},
        {"Alt+9", '9', kAlt, range(10)},
        {"Alt+0", '0', kAlt, range(11)},
        {"Alt+Q", 'Q', kAlt, range(12)},
        {"Alt+W", 'W', kAlt, range(13)},
        {"Alt+E", 'E', kAlt, range(14)},
        {"Alt+R", 'R', kAlt, range(15)},
        {"Alt+T", 'T', kAlt, range(16)},
        {"Alt+Y", 'Y', kAlt, {}},
        {"Alt+A", 'A', kAlt, {}},
        {"Alt+F3", kF3, kAlt, {}},
        {"Ctrl+1", '1', kCtrl, {}},
        {"Ctrl+Alt+1", '1', kCtrl | kAlt, {}},
        {"1", '1', 0, {}},
        // Only F3, unmodified, picks "72小时 F3".
        {"F3", kF3, 0, range(1)},
        {"Shift+F3", kF3, kShift, {}},
        {"Ctrl+F3", kF3, kCtrl, {}},
        {"F2", kF3 - 1, 0, {}},
        {"F4", kF3 + 1, 0, {}},
        {"A", 'A', 0, {}},
        {"Enter", platform::VK_RETURN, 0, {}},
        {"Alt alone", platform::VK_MENU, kAlt, {}},
        {"no key", 0, 0, {}},
    };
    for (const auto& c : cases) {
        const KeyCommand got = keyCommand(c.keyCode, c.shift);
        EXPECT_EQ(got, c.command) << c.what << ": kind " << static_cast<int>(got.kind) << " range " << got.rangeIndex;
    }
}

// The range box holds 17 items (0 to 16): every range key names one of them, and no two keys the
// same one.
TEST(Keys, RangeKeysNameDistinctItemsOfTheBox) {
    std::set<int> seen;
    const std::pair<int, int> keys[] = {{kF3, 0}, {'1', kAlt}, {'2', kAlt}, {'3', kAlt}, {'4', kAlt},
                                        {'5', kAlt}, {'6', kAlt}, {'7', kAlt}, {'8', kAlt}, {'9', kAlt},
                                        {'0', kAlt}, {'Q', kAlt}, {'W', kAlt}, {'E', kAlt}, {'R', kAlt},
                                        {'T', kAlt}};
    for (const auto& [code, shift] : keys) {
        const KeyCommand c = keyCommand(code, shift);
        ASSERT_EQ(c.kind, KeyCommand::Kind::Range) << code;
        EXPECT_GE(c.rangeIndex, 1);
        EXPECT_LE(c.rangeIndex, 16);
        EXPECT_TRUE(seen.insert(c.rangeIndex).second) << "two keys for item " << c.rangeIndex;
    }
    EXPECT_EQ(seen.size(), 16u); // every item but the intraday one (0), which has no key
}

TEST(Keys, RangeAlreadyShownIsNotSetAgain) {
    const struct {
        int current, target;
        std::optional<int> set;
    } cases[] = {
        {1, 1, std::nullopt}, {2, 2, std::nullopt}, {16, 16, std::nullopt},
        {3, 1, 1},            {1, 2, 2},            {0, 16, 16},
        {-1, 1, 1}, // an empty box
    };
    for (const auto& c : cases)
        EXPECT_EQ(rangeToSet(c.current, c.target), c.set) << c.current << " -> " << c.target;
}

} // namespace
