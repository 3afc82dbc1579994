// The log-out: its request, the cleared session, the live link closed, and the login window back
// while the main window goes and the program runs on.
#include "shell/logout.h"

#include "common/appinfo.h"
#include "common/settings.h"
#include "platform/eventwait.h"
#include "platform/forms.h"
#include "platform/process.h"
#include "shell/instance.h"
#include "shell/login.h"
#include "shell/loginform.h"
#include "state/configstate.h"
#include "state/livelink.h"
#include "state/quotetables.h"
#include "state/session.h"
#include "state/storedlists.h"
#include "state/usersettings.h"
#include "tests/support/fakehttpserver.h"
#include "tests/support/forms.h"
#include "tests/support/programfolder.h"
#include "widgets/buttons/skinbutton.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QUrl>

namespace {

// Stands in for the main window: a loaded, shown form the log-out hides and unloads.
class StandInMain : public platform::Form {};

class Logout : public ProgramFolderTest {
protected:
    void SetUp() override {
        ProgramFolderTest::SetUp();
        // A channel of this process's own, so a copy of the program running beside the tests is
        // never taken for a previous instance.
        setInstanceTopic(QStringLiteral("LOGOUT-%1").arg(QCoreApplication::applicationPid()));
        platform::setQuitHandler([this] { ++quits; });
        platform::setProgramEnder([this](int) { ++ended; });
        ConfigLoaded = true; // the login window's start-up then asks for no configuration
        MainStarted = true;
        LoggedIn = true;
        IsVip = true;
        UserId = 1001;
        UserName = QStringLiteral("vip");
        SessionId = QStringLiteral("sess-1");
        ClientId = QStringLiteral("cid-9");
        HoldText = QStringLiteral("gh,10,612.5,0,0,0,0,8");
        HoldUnits[3] = {10.0f, 2.0f};
        HoldPrice[3] = {612.5f, 600.0f, 0.5f};
        ThreeDayChart = 1;
        NewsId = 17;
        UseRealtime = true;
        main = new StandInMain;
        main->showForm();
    }
    void TearDown() override {
        closeBoxes();
        platform::unloadAll();
        platform::pauseMs(0);
        platform::setQuitHandler(nullptr);
        platform::setProgramEnder(nullptr);
        ConfigLoaded = MainStarted = LoggedIn = IsVip = UseRealtime = LogoutPending = LoggedInThisRun = false;
        UserId = 0;
        UserName.clear();
        SessionId.clear();
        ClientId.clear();
        HoldText.clear();
        HoldUnits = {};
        HoldPrice = {};
        ThreeDayChart = 0;
        NewsId = 0;
        SiteUrl.clear();
        ProgramFolderTest::TearDown();
    }

    LogoutUi ui(bool boxTicked) {
        return {[this] { main->hide(); },
                [boxTicked] { return boxTicked; },
                [this] { ++linkClosed; },
                [this] {
                    mainWasHiddenAtUnload = main->isHidden();
                    main->unload();
                    MainStarted = false;
                }};
    }

    void expectSessionCleared() {
        EXPECT_FALSE(LoggedIn);
        EXPECT_FALSE(IsVip);
        EXPECT_EQ(UserId, 0);
        EXPECT_TRUE(UserName.isEmpty());
        EXPECT_TRUE(SessionId.isEmpty());
        EXPECT_TRUE(HoldText.isEmpty());
        EXPECT_EQ(HoldUnits[3][0], 0.0f);
        EXPECT_EQ(HoldUnits[3][1], 0.0f);
        EXPECT_EQ(HoldPrice[3][0], 612.5f) << "average prices stay";
        EXPECT_EQ(ThreeDayChart, 0);
        EXPECT_EQ(NewsId, 0) << "the news loads afresh after the next login";
    }

    void expectLoginWindowBack() {
        ASSERT_TRUE(platform::isLoaded<LoginForm>());
        LoginForm& f = loginForm();
        EXPECT_TRUE(f.isVisible());
        EXPECT_EQ(f.Labelinfo->text(), QStringLiteral("...欢迎登录..."));
        EXPECT_TRUE(f.Command1->isEnabled());
        EXPECT_TRUE(f.Command2->isEnabled());
        EXPECT_TRUE(LogoutPending);
        EXPECT_TRUE(!main || !main->isLoaded()) << "the main window is unloaded";
        EXPECT_TRUE(mainWasHiddenAtUnload);
        EXPECT_EQ(quits, 0) << "the program goes on with the login window";
        EXPECT_EQ(ended, 0);
    }

    QPointer<StandInMain> main;
    int quits = 0;
    int ended = 0;
    int linkClosed = 0;
    bool mainWasHiddenAtUnload = false;
};

} // namespace

TEST_F(Logout, RequestThenEverythingElse) {
    FakeServer server;
    SiteUrl = server.url(QStringLiteral("/"));
    LogoutUser(ui(true));

    EXPECT_EQ(server.requests, 1);
    // The address holds "//user/login.asp"; Qt's HTTP layer collapses the doubled slash.
    EXPECT_TRUE(server.head().startsWith("POST /user/login.asp ")) << server.head().constData();
    // The numeric user id under "username"; the HTTP helper adds its own session field after.
    EXPECT_TRUE(QUrl::fromPercentEncoding(server.requestBody())
                    .startsWith(QStringLiteral("v=1&do=softout&username=1001&mac=cid-9&session=sess-1")))
        << server.requestBody().constData();
    expectSessionCleared();
    EXPECT_EQ(linkClosed, 1);
    EXPECT_FALSE(UseRealtime);
    expectLoginWindowBack();
}

TEST_F(Logout, AnUnreachableServiceStillLogsOut) {
    int port = 0;
    {
        FakeServer gone;
        port = QUrl(gone.url()).port();
    }
    SiteUrl = QStringLiteral("http://127.0.0.1:%1/").arg(port);
    LogoutUser(ui(false));
    expectSessionCleared();
    EXPECT_EQ(linkClosed, 0) << "the box was not ticked";
    EXPECT_TRUE(UseRealtime) << "left as it was";
    expectLoginWindowBack();
}

TEST_F(Logout, ClosingTheLoginWindowAfterwardsEndsTheProgramAndForgetsTheAccount) {
    FakeServer server;
    SiteUrl = server.url(QStringLiteral("/"));
    SetIniMany({{QStringLiteral("autologin"), QStringLiteral("1")},
                {QStringLiteral("username"), QStringLiteral("vip")}});
    LogoutUser(ui(true));
    LoginForm& f = loginForm();
    EXPECT_EQ(f.User->text(), QStringLiteral("vip")) << "the remembered account is filled in";
    EXPECT_EQ(server.requests, 1) << "and nothing logs in by itself";
    EXPECT_TRUE(f.Check1->isChecked());
    f.close();
    EXPECT_EQ(quits, 1);
    EXPECT_EQ(GetIni(QStringLiteral("autologin")), QStringLiteral("0"));
    EXPECT_TRUE(GetIni(QStringLiteral("username")).isEmpty());
}

TEST_F(Logout, ASecondLogOutDuringTheFirstDoesNothing) {
    FakeServer server;
    server.delayMs = 300;
    SiteUrl = server.url(QStringLiteral("/"));
    int nested = 0;
    LogoutUi outer = ui(true);
    const auto hide = outer.hideMain;
    outer.hideMain = [&] {
        hide();
        // A second request to log out (Timer4, the menu) arriving while the first one waits.
        QTimer::singleShot(50, [&] {
            ++nested;
            LogoutUser(ui(true));
        });
    };
    LogoutUser(outer);
    EXPECT_EQ(nested, 1);
    EXPECT_EQ(server.requests, 1);
    EXPECT_EQ(linkClosed, 1);
    expectLoginWindowBack();
}
