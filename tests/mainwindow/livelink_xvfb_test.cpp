// A member on a real display (run under xvfb-run and tools/withwm.sh): the board follows the
// user server's pushes, falls back to polling when the link is cut and takes the pushes again
// once the server is back.
#include "mainwindow/mainform.h"

#include "common/config.h"
#include "common/textcodec.h"
#include "common/msgbox.h"
#include "companions/tray.h"
#include "market/scheduler.h"
#include "platform/clock.h"
#include "platform/eventwait.h"
#include "platform/fonts.h"
#include "platform/forms.h"
#include "shell/instance.h"
#include "shell/loginform.h"
#include "shell/mainwindowlink.h"
#include "simservice/simservice.h"
#include "state/configstate.h"
#include "state/livelink.h"
#include "state/session.h"
#include "state/usersettings.h"
#include "tests/support/desktopprogram.h"
#include "tests/support/forms.h"
#include "tests/support/localservice.h"
#include "tests/support/programfolder.h"
#include "tests/mainwindow/mainondisplay.h"
#include "widgets/buttons/skinbutton.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QUrl>

namespace {

class LiveLinkOnDisplay : public MainOnDisplay {
protected:
    LiveLinkOnDisplay() : MainOnDisplay(QStringLiteral("LIVELINK")) {}

    void SetUp() override {
        MainOnDisplay::SetUp();
        if (IsSkipped())
            return;
        // A weekday morning, running on: the market is open and every push carries the slot
        // the program is in.
        clock.start();
        platform::setPcClock([this] { return now(); });
    }
    void TearDown() override {
        MainOnDisplay::TearDown();
        platform::unloadAll();
        platform::pauseMs(0);
        platform::setPcClock(nullptr);
    }

    QDateTime now() const {
        return platform::naiveDateTime(QDate(2026, 12, 9), QTime(10, 0, 0)).addMSecs(clock.elapsed());
    }

    int snapshotRequests() const { return service->requestLog().filter(QStringLiteral("m=now-price")).size(); }

    // Waits, with the window running, until the quote time has moved `moves` times.
    bool quoteTimeMoves(MainForm& m, int moves, int ms) {
        QString last = m.Nowtimes->text();
        int seen = 0;
        return waitUntil(
            [&] {
                if (m.Nowtimes->text() != last) {
                    last = m.Nowtimes->text();
                    ++seen;
                }
                return seen >= moves;
            },
            ms);
    }

    static void picture(QWidget& widget, const QString& name) {
        savePicture(widget.grab().toImage(), name, QStringLiteral("livelink"));
    }

    QElapsedTimer clock;
};

} // namespace

TEST_F(LiveLinkOnDisplay, PushesThenPollingWhileCutThenPushesAgain) {
    SimService::Options options;
    options.userPorts = {0};
    options.pushMinMs = 1000;
    options.pushMaxMs = 2000;
    options.heartbeatSeconds = 10;
    options.now = [this] { return now(); };
    MainForm& m = memberToMain(options);
    ASSERT_TRUE(IsVip);

    // The board follows the pushes; the data servers are left alone.
    ASSERT_TRUE(waitUntil([] { return LinkReady; }, 8000));
    EXPECT_TRUE(waitUntil([&] { return m.Nextupti->text() == kLivePushText; }, 5000))
        << m.Nextupti->text().toStdString();
    EXPECT_TRUE(m.Check12->isChecked());
    int polled = snapshotRequests();
    EXPECT_TRUE(quoteTimeMoves(m, 2, 8000));
    EXPECT_EQ(snapshotRequests(), polled);
    picture(m, QStringLiteral("pushes.png"));

    // The link is cut and the server stays away: the watch gives the push up five ticks later
    // and the scheduler polls the data server again within its six-tick round. The ticks are
    // seconds; each wait allows twice the ticks, as a busy machine runs them late.
    ASSERT_TRUE(service->setUserMode(SimUserServer::Mode::Down));
    QElapsedTimer cut;
    cut.start();
    EXPECT_TRUE(waitUntil([] { return PushLost; }, 2 * 5 * 1000));
    EXPECT_TRUE(waitUntil([&] { return snapshotRequests() > polled; },
                          2 * (5 + 6) * 1000 - static_cast<int>(cut.elapsed())))
        << "still no poll " << cut.elapsed() << " ms after the cut";
    EXPECT_TRUE(waitUntil([&] { return m.Nextupti->text().startsWith(QStringLiteral("计时: ")); }, 3000))
        << m.Nextupti->text().toStdString();
    EXPECT_TRUE(quoteTimeMoves(m, 1, 8000)) << "the board goes on from the data server";
    picture(m, QStringLiteral("polling.png"));

    // The server is back: the next relink takes the pushes up again and the polling stops.
    ASSERT_TRUE(service->setUserMode(SimUserServer::Mode::Normal));
    EXPECT_TRUE(waitUntil([] { return LinkReady && !PushLost; }, 15000));
    EXPECT_TRUE(waitUntil([&] { return m.Nextupti->text() == kLivePushText; }, 5000))
        << m.Nextupti->text().toStdString();
    EXPECT_TRUE(m.Check12->isChecked());
    polled = snapshotRequests();
    EXPECT_TRUE(quoteTimeMoves(m, 2, 8000));
    EXPECT_EQ(snapshotRequests(), polled);
    int pushes = 0;
    for (SimUserServer* s : service->userServers())
        for (const SimUserServer::LinkRecord& r : s->records())
            pushes += r.outcome == '+' ? r.pushes : 0;
    EXPECT_GE(pushes, 4);
    picture(m, QStringLiteral("pushes_again.png"));
}

namespace {

constexpr int kPatienceMs = 30000;

// The real program as a child process on the desktop, a member remembered for the automatic login.
class ProgramLinksAndLogsOut : public DesktopProgramTest {
protected:
    ProgramLinksAndLogsOut() : DesktopProgramTest(withAUserServer()) {}

    static SimService::Options withAUserServer() {
        SimService::Options options;
        options.userPorts = {0};
        return options;
    }

    // The program's shown windows whose title starts with `title`.
    QStringList shownWindows(const QString& title) {
        QStringList found;
        for (const QString& w : desktop::windowsOf(program.pid()))
            if (desktop::windowName(w).startsWith(title) && desktop::placement(w).viewable)
                found << w;
        return found;
    }

    int linked() const {
        int n = 0;
        for (SimUserServer* s : service->userServers())
            n += s->linkCount();
        return n;
    }
    int openConnections() const {
        int n = 0;
        for (SimUserServer* s : service->userServers())
            n += s->connectionCount();
        return n;
    }
};

} // namespace

TEST_F(ProgramLinksAndLogsOut, TheToolbarButtonReturnsToTheLoginWindowAndTheProgramRunsOn) {
    startRemembered({}, QStringLiteral("vip"), QStringLiteral("vip888"));
    QString main;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const QStringList w = shownWindows(QStringLiteral("Quillor V"));
            main = w.value(0);
            return !main.isEmpty() && desktop::isMaximised(main);
        },
        kPatienceMs))
        << program.output();
    EXPECT_TRUE(QTest::qWaitFor([&] { return linked() == 1; }, kPatienceMs)) << "the member's live link";

    // "注销", the toolbar's first button, under the menu bar.
    const QRect client = desktop::placement(main).client;
    desktop::clickAt(client.topLeft() + QPoint(30, 30));

    EXPECT_TRUE(QTest::qWaitFor([&] { return shownWindows(QStringLiteral("Quillor V")).isEmpty(); }, 10000))
        << "the main window goes";
    EXPECT_TRUE(QTest::qWaitFor([&] { return !shownWindows(QStringLiteral("Quillor")).isEmpty(); }, 10000))
        << "the login window comes back";
    EXPECT_TRUE(QTest::qWaitFor([&] { return openConnections() == 0; }, 10000)) << "the live link is closed";
    bool posted = false;
    for (const SimService::FormPost& p : service->formPosts())
        posted |= QUrl::fromPercentEncoding(p.body).startsWith(QStringLiteral("v=1&do=softout&username=1001&"));
    EXPECT_TRUE(posted);
    QTest::qWait(2000);
    EXPECT_TRUE(program.running()) << "the program waits at the login window\n" << program.output();
    EXPECT_EQ(shownWindows(QStringLiteral("Quillor")).size(), 1);
    EXPECT_EQ(linked(), 0) << "nothing linked again by itself";

    // Closing the login window now ends the program.
    const QString login = shownWindows(QStringLiteral("Quillor")).value(0);
    desktop::tool(QStringLiteral("xdotool"), {QStringLiteral("windowactivate"), QStringLiteral("--sync"), login,
                                              QStringLiteral("key"), QStringLiteral("alt+F4")});
    EXPECT_TRUE(QTest::qWaitFor([&] { return !program.running(); }, 10000)) << program.output();
}
