// The remembered login of the real program outlives a start that never logs in: the executable in
// a program folder of its own, driven through its windows with xdotool under a window manager.
#include "common/textcodec.h"
#include "simservice/simservice.h"
#include "tests/support/childprogram.h"
#include "tests/support/qtprint.h"

#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTest>

#include <gtest/gtest.h>

#include <iostream>

namespace {

class RememberedLogin : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        SimService::Options options;
        options.httpPort = 0;
        options.faultDelayMs = 15000;
        service = std::make_unique<SimService>(options);
        ASSERT_TRUE(service->start());
    }

    [[nodiscard]] QByteArray settings() const {
        QFile f(app.path(QStringLiteral("set.ini")));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    std::unique_ptr<SimService> service;
};

} // namespace

// The member ticked "记住账号密码" once. A start that ends before any login (the service out of
// reach and "否" to the question, or the login window closed while the configuration is still on
// its way) leaves the account stored, and the next start logs in by itself.
TEST_F(RememberedLogin, SurvivesAStartThatNeverLogsIn) {
    const QString password = EncodeText(QStringLiteral("vip888"));
    ASSERT_TRUE(app.writeSettings({{QStringLiteral("autologin"), QStringLiteral("1")},
                                   {QStringLiteral("username"), QStringLiteral("vip")},
                                   {QStringLiteral("userpass"), password}}));
    const QString unreachable = QStringLiteral("127.0.0.1:%1").arg(closedPort());
    const QString slow = QStringLiteral("127.0.0.1:%1").arg(service->httpPort());
    struct Case {
        const char* how;
        QString host;
        QString window; // the window the user answers
        QString keys;
    };
    const Case cases[] = {
        {"否 to the start-up question", unreachable, QStringLiteral("^Quillor$"), QStringLiteral("alt+n")},
        {"the login window closed during the download", slow, QStringLiteral("^Quillor$"), QStringLiteral("alt+F4")},
    };
    service->setFault(QStringLiteral("*"), SimService::Endpoint::Config, SimService::Fault::Delay);
    for (const Case& c : cases) {
        QProcess& program = app.start({c.host, c.host, c.host});
        const QString window = desktop::waitForWindow(program, c.window);
        ASSERT_FALSE(window.isEmpty()) << c.how << ": the window did not come up";
        desktop::press(window, c.keys);
        EXPECT_TRUE(endsWithin(program, 3000)) << c.how;
        const QByteArray saved = settings();
        EXPECT_TRUE(saved.contains("\r\nautologin=1\r\n")) << c.how << "\n" << saved.constData();
        EXPECT_TRUE(saved.contains("\r\nusername=vip\r\n")) << c.how;
        EXPECT_TRUE(saved.contains("\r\nuserpass=" + password.toLatin1() + "\r\n")) << c.how;
        app.stop();
    }

    service->clearFaults();
    const QString host = QStringLiteral("127.0.0.1:%1").arg(service->httpPort());
    QProcess& next = app.start({host, host, host});
    const QString main = desktop::waitForWindow(next, QStringLiteral("^Quillor V"));
    ASSERT_FALSE(main.isEmpty()) << "the next start did not log in by itself";
    EXPECT_EQ(service->requestLog().filter(QStringLiteral("/soft/doing.asp")).size(), 1);
    EXPECT_TRUE(settings().contains("\r\nusername=vip\r\n"));
    // The log-in's notices come right after the main window and take the keys first.
    QTest::qWait(1500);
    for (const QString& box : desktop::shownWindows(next.processId(), QStringLiteral("播报")))
        desktop::press(box, QStringLiteral("Return"));
    desktop::press(main, QStringLiteral("alt+F4"));
    EXPECT_TRUE(endsWithin(next, 5000));
}
