#pragma once
// The real program as a child process on a display with a window manager (run under xvfb-run and
// tools/withwm.sh), against a simulated service of the test's own on free ports.
#include "common/textcodec.h"
#include "simservice/simservice.h"
#include "tests/support/childprogram.h"
#include "tests/support/gallery.h"

#include <QApplication>
#include <QGuiApplication>
#include <QRect>

#include <gtest/gtest.h>

#include <memory>
#include <utility>

// `settings` and `user` remembered for the program's automatic login.
inline QList<std::pair<QString, QString>> withRememberedLogin(QList<std::pair<QString, QString>> settings,
                                                              const QString& user, const QString& password) {
    settings.append({{QStringLiteral("autologin"), QStringLiteral("1")},
                     {QStringLiteral("username"), user},
                     {QStringLiteral("userpass"), EncodeText(password)}});
    return settings;
}

// The configuration hosts that lead the program to the service.
inline QStringList hostsOf(const SimService& service) {
    const QString host = QStringLiteral("127.0.0.1:%1").arg(service.httpPort());
    return {host, host, host};
}

#ifdef BRELTO_APP_PATH
class DesktopProgramTest : public ::testing::Test {
protected:
    // `options` of the service besides its ports, which are free ones.
    explicit DesktopProgramTest(SimService::Options options = {}) : m_options(std::move(options)) {}

    void SetUp() override {
        if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr ||
            QGuiApplication::platformName() != u"xcb")
            GTEST_SKIP() << "needs an X display with a window manager: run under xvfb-run and tools/withwm.sh";
        ASSERT_TRUE(program.ready());
        m_options.httpPort = 0;
        service = std::make_unique<SimService>(m_options);
        ASSERT_TRUE(service->start());
    }

    // Starts the program with `user` remembered for the automatic login and `settings` besides.
    QProcess& startRemembered(QList<std::pair<QString, QString>> settings = {},
                              const QString& user = QStringLiteral("test"),
                              const QString& password = QStringLiteral("quarmelo")) {
        EXPECT_TRUE(program.writeSettings(withRememberedLogin(std::move(settings), user, password)));
        process = &program.start(hostsOf(*service));
        return *process;
    }

    // The program's icon in the notification area: its small shown window.
    [[nodiscard]] QRect trayIcon() const {
        for (const QString& w : desktop::windowsOf(program.pid())) {
            const desktop::Placement p = desktop::placement(w);
            if (p.viewable && p.client.width() <= 32 && p.client.height() <= 32)
                return p.client;
        }
        return {};
    }

    ChildProgram program{QStringLiteral(BRELTO_APP_PATH)};
    std::unique_ptr<SimService> service;
    QProcess* process = nullptr; // the latest run

private:
    SimService::Options m_options;
};
#endif
