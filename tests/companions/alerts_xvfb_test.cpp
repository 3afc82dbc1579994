// Price alerts in the real program: the executable in a program folder of its own, logged in as a
// member by its remembered account against the simulated service, under a window manager.
#include "common/textcodec.h"
#include "simservice/simservice.h"
#include "tests/support/childprogram.h"
#include "tests/support/qtprint.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#include <iostream>

namespace {

class AlertsInTheProgram : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        SimService::Options options;
        options.httpPort = 0;
        service = std::make_unique<SimService>(options);
        ASSERT_TRUE(service->start());
    }

    std::unique_ptr<SimService> service;
};

} // namespace

// Two alerts met by the first snapshot and a damaged entry beside them: both alerts reach the
// pop-up and are switched off; the damaged one is logged, never fires and stays stored; the chime
// that cannot play here (no audio device) leaves one line in the log.
TEST_F(AlertsInTheProgram, EveryFiredAlertReachesThePopUpAndADamagedOneNeverFires) {
    ASSERT_TRUE(app.writeSettings({{QStringLiteral("autologin"), QStringLiteral("1")},
                                   {QStringLiteral("username"), QStringLiteral("vip")},
                                   {QStringLiteral("userpass"), EncodeText(QStringLiteral("vip888"))},
                                   {QStringLiteral("NoMedia"), QStringLiteral("0")},
                                   {QStringLiteral("tx"), QStringLiteral("3")},
                                   {QStringLiteral("tx1"), QStringLiteral("0,1,999999")},
                                   {QStringLiteral("tx2"), QStringLiteral("5")},
                                   {QStringLiteral("tx3"), QStringLiteral("1,1,999999")}}));
    ASSERT_TRUE(QFile::copy(QStringLiteral(BRELTO_NOTIFY_WAV), app.path(QStringLiteral("notify.wav"))));
    const QString host = QStringLiteral("127.0.0.1:%1").arg(service->httpPort());
    QProcess& program = app.start({host, host, host});
    const QString main = desktop::waitForWindow(program, QStringLiteral("^Quillor V"), {}, 20000);
    ASSERT_FALSE(main.isEmpty()) << "the remembered member was not logged in";
    const QString popUp = desktop::waitForWindow(program, QStringLiteral("^提醒$"), {}, 20000);
    ASSERT_FALSE(popUp.isEmpty()) << "no alert came up";
    // Later refreshes: nothing fires again, nothing is lost.
    QTest::qWait(5000);
    EXPECT_EQ(desktop::shownWindows(program.processId(), QStringLiteral("^提醒$")), QStringList{popUp});

    QDir gallery(QStringLiteral(BRELTO_GALLERY_DIR));
    if (gallery.mkpath(QStringLiteral("companions"))) {
        const QRect r = desktop::placement(popUp).client;
        QGuiApplication::primaryScreen()->grabWindow(0).toImage().copy(r).save(
            gallery.filePath(QStringLiteral("companions/custring_program.png")));
    }

    QFile settings(app.path(QStringLiteral("set.ini")));
    ASSERT_TRUE(settings.open(QIODevice::ReadOnly));
    const QByteArray saved = settings.readAll();
    EXPECT_TRUE(saved.contains("\r\ntx=1\r\n")) << saved.constData();
    EXPECT_TRUE(saved.contains("\r\ntx1=5\r\n")) << "the damaged entry is kept as it was";
    EXPECT_FALSE(saved.contains("\r\ntx2=")) << "both alerts are switched off";
    EXPECT_FALSE(saved.contains("\r\ntx3="));
    const QStringList log = app.logLines();
    EXPECT_EQ(log.filter(QStringLiteral("Alert not read, skipped: tx2=5")).size(), 1) << log.join(u'\n').toStdString();
    EXPECT_EQ(log.filter(QStringLiteral("Alert sound not played: ")).size(), 1) << log.join(u'\n').toStdString();

    desktop::press(popUp, QStringLiteral("Escape"));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return desktop::shownWindows(program.processId(), QStringLiteral("^提醒$")).isEmpty(); }, 5000));
    desktop::press(main, QStringLiteral("alt+F4"));
    EXPECT_TRUE(endsWithin(program, 5000));
}

// An alert that rings while the main window sits in the tray (a minimised start) comes up at once
// and in sight: the user is away from the program, which is what the alert is for.
TEST_F(AlertsInTheProgram, AnAlertRingingWhileTheMainWindowIsInTheTrayComesUpAtOnce) {
    ASSERT_TRUE(app.writeSettings({{QStringLiteral("armin"), QStringLiteral("1")},
                                   {QStringLiteral("autologin"), QStringLiteral("1")},
                                   {QStringLiteral("username"), QStringLiteral("vip")},
                                   {QStringLiteral("userpass"), EncodeText(QStringLiteral("vip888"))},
                                   {QStringLiteral("NoMedia"), QStringLiteral("0")},
                                   {QStringLiteral("tx"), QStringLiteral("1")},
                                   {QStringLiteral("tx1"), QStringLiteral("0,1,999999")}}));
    const QString host = QStringLiteral("127.0.0.1:%1").arg(service->httpPort());
    QProcess& program = app.start({host, host, host});
    const QString popUp = desktop::waitForWindow(program, QStringLiteral("^提醒$"), {}, 20000);
    ASSERT_FALSE(popUp.isEmpty()) << "the alert waited for the main window";
    EXPECT_TRUE(desktop::placement(popUp).viewable);
    EXPECT_TRUE(desktop::shownWindows(program.processId(), QStringLiteral("^Quillor V")).isEmpty())
        << "the main window left the tray";
    desktop::press(popUp, QStringLiteral("Escape"));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return desktop::shownWindows(program.processId(), QStringLiteral("^提醒$")).isEmpty(); }, 5000));
}
