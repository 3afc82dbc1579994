// The boss key on a real X display: xdotool presses Ctrl+Alt+W as a user would, and the grab on
// the root window must toggle the program once per press. Skips without a display.
#include "common/windowutil.h"
#include "companions/menuform.h"
#include "companions/mini.h"
#include "companions/tray.h"
#include "platform/eventwait.h"
#include "platform/forms.h"
#include "platform/tray.h"
#include "state/session.h"
#include "state/usersettings.h"

#include <QApplication>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <memory>

namespace {

class DisplayApp : public ::testing::Environment {
public:
    void SetUp() override {
        if (qgetenv("QT_QPA_PLATFORM") != "xcb" || qEnvironmentVariableIsEmpty("DISPLAY"))
            return;
        m_app = std::make_unique<QApplication>(m_argc, m_argv);
        // Each test unloads every form; that must not end the event loops for the next one.
        platform::setQuitHandler([] {});
    }
    void TearDown() override {
        platform::setQuitHandler(nullptr);
        m_app.reset();
    }

private:
    int m_argc = 1;
    char m_name[16] = "brelto-test";
    char* m_argv[2] = {m_name, nullptr};
    std::unique_ptr<QApplication> m_app;
};

[[maybe_unused]] const auto* const registered = ::testing::AddGlobalTestEnvironment(new DisplayApp);

bool waitFor(const std::function<bool()>& done, int ms = 3000) {
    for (int waited = 0; waited < ms; waited += 20) {
        if (done())
            return true;
        platform::pauseMs(20);
    }
    return done();
}

void xdotool(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral("xdotool"), args);
    ASSERT_TRUE(p.waitForFinished(5000));
    ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    // Let the key events reach the program.
    platform::pauseMs(300);
}

void pressBossKey() { xdotool({QStringLiteral("key"), QStringLiteral("ctrl+alt+w")}); }

class BossKeyOnDisplay : public ::testing::Test {
protected:
    platform::Form* main = nullptr;

    void SetUp() override {
        if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr)
            GTEST_SKIP() << "needs an X display: run under xvfb-run";
        if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
            GTEST_SKIP() << "needs xdotool";
        MainStarted = true;
        ShowMini = true;
        BossKeyOn = true;
        main = new platform::Form;
        main->setWindowTitle(QStringLiteral("Quillor"));
        main->resize(400, 300);
        platform::setMainForm(main, {});
        menuForm();
        addProgramTrayIcon(&menuForm());
        main->show();
        Mini().Loadskin(0);
        Mini().show();
        setHotkeyBackend(nullptr);
        ASSERT_TRUE(waitFor([this] { return main->isVisible() && Mini().isVisible(); }));
    }
    void TearDown() override {
        if (main == nullptr)
            return;
        SetHotkey(1, QString(), QStringLiteral("Del"), nullptr);
        TrayRemove();
        platform::setMainForm(nullptr, {});
        platform::unloadAll();
        platform::pauseMs(50);
        MainStarted = false;
    }
    QString state() const {
        return QStringLiteral("main %1, mini %2, tray %3")
            .arg(main->isVisible())
            .arg(Mini().isVisible())
            .arg(platform::trayIcon().isShown());
    }
    bool allShown() const {
        return main->isVisible() && Mini().isVisible() && platform::trayIcon().isShown();
    }
    bool allHidden() const {
        return !main->isVisible() && !Mini().isVisible() && !platform::trayIcon().isShown();
    }
};

TEST_F(BossKeyOnDisplay, EachPressHidesOrShowsEverything) {
    ASSERT_TRUE(SetHotkey(1, QStringLiteral("Ctrl+Alt,W"), QStringLiteral("Add"), &menuForm()));
    ASSERT_TRUE(allShown());
    for (int press = 0; press < 4; ++press) {
        pressBossKey();
        const bool hidden = press % 2 == 0;
        EXPECT_TRUE(waitFor([&] { return hidden ? allHidden() : allShown(); }))
            << "press " << press << ": " << state().toStdString();
    }
}

TEST_F(BossKeyOnDisplay, SecondAddStillTogglesOncePerPress) {
    ASSERT_TRUE(SetHotkey(1, QStringLiteral("Ctrl+Alt,W"), QStringLiteral("Add"), &menuForm()));
    EXPECT_FALSE(SetHotkey(1, QStringLiteral("Ctrl+Alt,W"), QStringLiteral("Add"), &menuForm()));
    pressBossKey();
    EXPECT_TRUE(waitFor([&] { return allHidden(); })) << state().toStdString();
    pressBossKey();
    EXPECT_TRUE(waitFor([&] { return allShown(); })) << state().toStdString();
}

TEST_F(BossKeyOnDisplay, WorksWithCapsLockOn) {
    ASSERT_TRUE(SetHotkey(1, QStringLiteral("Ctrl+Alt,W"), QStringLiteral("Add"), &menuForm()));
    xdotool({QStringLiteral("key"), QStringLiteral("Caps_Lock")});
    pressBossKey();
    const bool hid = waitFor([&] { return allHidden(); });
    pressBossKey();
    const bool back = waitFor([&] { return allShown(); });
    xdotool({QStringLiteral("key"), QStringLiteral("Caps_Lock")});
    EXPECT_TRUE(hid);
    EXPECT_TRUE(back);
}

TEST_F(BossKeyOnDisplay, MiniWindowHasNoTaskbarEntry) {
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(Mini().winId()),
                                          QStringLiteral("_NET_WM_STATE")});
    ASSERT_TRUE(xprop.waitForFinished(5000));
    const QString state = QString::fromLocal8Bit(xprop.readAllStandardOutput());
    EXPECT_TRUE(state.contains(QStringLiteral("_NET_WM_STATE_SKIP_TASKBAR"))) << state.toStdString();
}

TEST_F(BossKeyOnDisplay, DelStopsIt) {
    ASSERT_TRUE(SetHotkey(1, QStringLiteral("Ctrl+Alt,W"), QStringLiteral("Add"), &menuForm()));
    SetHotkey(1, QString(), QStringLiteral("Del"), &menuForm());
    EXPECT_FALSE(hotkeyRegistered());
    pressBossKey();
    platform::pauseMs(300);
    EXPECT_TRUE(allShown());
}

} // namespace
