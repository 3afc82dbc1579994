#include "shell/loginform.h"

#include "common/config.h"
#include "common/msgbox.h"
#include "common/settings.h"
#include "common/storedlists.h"
#include "common/textcodec.h"
#include "platform/clock.h"
#include "platform/eventwait.h"
#include "platform/msgbox.h"
#include "platform/process.h"
#include "state/configstate.h"
#include "shell/doform.h"
#include "shell/instance.h"
#include "shell/login.h"
#include "state/session.h"
#include "simservice/simservice.h"
#include "tests/support/childprogram.h"
#include "tests/support/forms.h"
#include "tests/support/localservice.h"
#include "tests/support/programfolder.h"
#include "widgets/buttons/skinbutton.h"

#include <QCheckBox>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QScreen>
#include <QTest>
#include <QTimer>

namespace {

void resetSession() {
    ConfigLoaded = false;
    LoggedIn = false;
    IsVip = false;
    UserId = 0;
    UserName.clear();
    SessionId.clear();
    HoldText.clear();
    MainStarted = false;
    LogoutPending = false;
    LoggedInThisRun = false;
    CaptchaCode.clear();
}

class Login : public ProgramFolderTest {
protected:
    void SetUp() override {
        ProgramFolderTest::SetUp();
        // A channel of this process's own: a copy of the program running for the same user, or
        // another copy of the tests, is never taken for a previous instance to hand over to.
        setInstanceTopic(QStringLiteral("LOGIN-%1").arg(QCoreApplication::applicationPid()));
        resetSession();
        SimService::Options options;
        options.now = [] { return platform::naiveDateTime(QDate(2026, 12, 9), QTime(10, 0)); };
        service = startLocalService(options);
        ASSERT_TRUE(service);
        platform::setQuitHandler([this] { ++quits; });
        platform::setProgramEnder([this](int) { ++ended; });
        platform::setMessageBoxHandler([this](const QString& text, const QString& title, platform::BoxButtons,
                                              platform::BoxIcon) {
            boxes << title + u'|' + text;
            return platform::BoxAnswer::Ok;
        });
    }
    void TearDown() override {
        closeBoxes();
        platform::unloadAll();
        platform::pauseMs(0);
        platform::setQuitHandler(nullptr);
        platform::setProgramEnder(nullptr);
        platform::setMessageBoxHandler(nullptr);
        setConfigurationHosts({});
        resetSession();
        service.reset();
        ProgramFolderTest::TearDown();
    }

    // Loads the login window and waits until it can be used.
    LoginForm& open() {
        LoginForm& f = loginForm();
        EXPECT_TRUE(ConfigLoaded);
        return f;
    }
    void type(LoginForm& f, const QString& user, const QString& password) {
        f.User->setText(user);
        f.Userpass->setText(password);
    }
    int loginRequests() const { return service->requestLog().filter(QStringLiteral("/soft/doing.asp")).size(); }
    static QString shownBoxes() { return boxTexts().join(u'\n'); }

    std::unique_ptr<SimService> service;
    QStringList boxes;
    int quits = 0;
    int ended = 0;
};

} // namespace

TEST_F(Login, RefusalsShowTheirNoticeAndReturnToIdle) {
    struct Case {
        const char* user;
        const char* password;
        const char16_t* shown;
    };
    const Case cases[] = {
        {"lo", "lo888", u"登录失败|您的账号已经在其它地方被登录,请退出其它登录进程后再次尝试登录."},
        {"st", "st888", u"账号停用|您的账号已经被停用,请注意是否有违反软件相关规定的操作."},
        {"te", "te888", u"系统维护|正在对系统进行维护，暂时不能进行登录操作，请稍候再试."},
        {"in", "in888", u"提示|您的账号尚未激活,请登录官方网站完成激活后再使用本软件."},
    };
    LoginForm& f = open();
    for (const Case& c : cases) {
        type(f, QString::fromLatin1(c.user), QString::fromLatin1(c.password));
        f.Command1_Click();
        EXPECT_EQ(shownBoxes(), QString::fromUtf16(c.shown)) << c.user;
        EXPECT_EQ(f.Labelinfo->text(), QStringLiteral("...欢迎登录..."));
        EXPECT_TRUE(f.Command1->isEnabled());
        EXPECT_TRUE(f.Command2->isEnabled());
        EXPECT_FALSE(LoggedIn);
        closeBoxes();
    }
}

TEST_F(Login, WrongPasswordLocksTheButtonForThreeSeconds) {
    LoginForm& f = open();
    type(f, QStringLiteral("vip"), QStringLiteral("wrong"));
    f.Command1_Click();
    EXPECT_TRUE(shownBoxes().startsWith(QStringLiteral("登录失败|登录失败.请检查输入的用户名或密码是否有误.")));
    EXPECT_EQ(f.Labelinfo->text(), QStringLiteral("登录失败,请3秒后再试."));
    EXPECT_FALSE(f.Command1->isEnabled());
    EXPECT_TRUE(f.Command2->isEnabled());
    platform::pauseMs(2500);
    EXPECT_FALSE(f.Command1->isEnabled());
    EXPECT_TRUE(waitUntil([&] { return f.Command1->isEnabled(); }, 1500));
    EXPECT_EQ(f.Labelinfo->text(), QStringLiteral("...欢迎登录..."));
}

TEST_F(Login, EmptyFieldsAreRefusedWithoutARequest) {
    LoginForm& f = open();
    type(f, QStringLiteral("vip"), QString());
    f.Command1_Click();
    EXPECT_EQ(shownBoxes(), QStringLiteral("输入不完整|用户名或密码输入为空．"));
    EXPECT_EQ(loginRequests(), 0);
    EXPECT_TRUE(f.Command1->isEnabled());
    EXPECT_TRUE(waitUntil([] { return openBoxes().isEmpty(); }, 4000)) << "the notice closes by itself";
}

TEST_F(Login, MemberLoginTakesTheSessionAndClosesTheWindow) {
    LoginForm& f = open();
    QPointer<LoginForm> window(&f);
    type(f, QStringLiteral("vip"), QStringLiteral("vip888"));
    f.Command1_Click();
    EXPECT_TRUE(LoggedIn);
    EXPECT_TRUE(IsVip);
    EXPECT_EQ(UserId, 1001);
    EXPECT_EQ(UserName, QStringLiteral("vip"));
    EXPECT_FALSE(SessionId.isEmpty());
    EXPECT_TRUE(HoldText.startsWith(QStringLiteral("gh,10,612.5,0,0,0,0,8|mgold")));
    EXPECT_FALSE(platform::isLoaded<LoginForm>());
    // Without a main window in this build the program has nothing left open.
    EXPECT_EQ(quits, 1);
    EXPECT_EQ(GetIni(QStringLiteral("autologin")), QStringLiteral("0"));
}

TEST_F(Login, DemoLoginAndRememberedAccount) {
    LoginForm& f = open();
    f.Check1->setChecked(true);
    f.Command2_Click();
    EXPECT_TRUE(LoggedIn);
    EXPECT_FALSE(IsVip);
    EXPECT_EQ(UserName, QStringLiteral("test"));
    EXPECT_EQ(GetIni(QStringLiteral("autologin")), QStringLiteral("1"));
    EXPECT_EQ(GetIni(QStringLiteral("username")), QStringLiteral("test"));
    EXPECT_EQ(DecodeText(GetIni(QStringLiteral("userpass"))), QStringLiteral("quarmelo"));

    // The next start logs in by itself from what was remembered.
    resetSession();
    const int before = loginRequests();
    (void)loginForm();
    EXPECT_EQ(loginRequests(), before + 1);
    EXPECT_TRUE(LoggedIn);
    EXPECT_EQ(UserName, QStringLiteral("test"));
}

TEST_F(Login, AutomaticLoginWithoutPasswordReportsTheEmptyField) {
    SetIniMany({{QStringLiteral("autologin"), QStringLiteral("1")}, {QStringLiteral("username"), QStringLiteral("vip")}});
    LoginForm& f = loginForm();
    EXPECT_TRUE(f.Check1->isChecked());
    EXPECT_EQ(f.User->text(), QStringLiteral("vip"));
    EXPECT_EQ(shownBoxes(), QStringLiteral("输入不完整|用户名或密码输入为空．"));
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Quillor")) << "no version in the caption with automatic login";
}

TEST_F(Login, CaptionShowsTheVersionWithoutAutomaticLogin) {
    LoginForm& f = open();
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Quillor V") + QStringLiteral(BRELTO_VERSION_TEXT));
    EXPECT_EQ(f.Labelinfo->text(), QStringLiteral("...欢迎登录..."));
}

TEST_F(Login, OpensInTheMiddleOfTheScreen) {
    LoginForm& f = open();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE((f.frameGeometry().center() - screen.center()).manhattanLength(), 4)
        << "window at " << f.frameGeometry().x() << "," << f.frameGeometry().y();
}

TEST(RememberedAccount, KeptWithoutALoginOnlyWhileThisRunHadNoSession) {
    struct Case {
        bool ticked;
        bool loggedIn;
        bool hadSession;
        RememberedAccount action;
    };
    const Case cases[] = {
        {true, true, true, RememberedAccount::Store},
        // No login yet in this run (an outage, the window closed early): the account stays.
        {true, false, false, RememberedAccount::Keep},
        // Logged out (by the user, or forced by a login elsewhere): the next start must wait.
        {true, false, true, RememberedAccount::Clear},
        {false, true, true, RememberedAccount::Clear},
        {false, false, false, RememberedAccount::Clear},
        {false, false, true, RememberedAccount::Clear},
    };
    for (const Case& c : cases)
        EXPECT_EQ(rememberedAccountOnUnload(c.ticked, c.loggedIn, c.hadSession), c.action)
            << c.ticked << c.loggedIn << c.hadSession;
}

TEST_F(Login, UnloadWithoutALoginKeepsARememberedAccountOnlyWhenTickedAndNoSessionWasHad) {
    // A wrong password: the login fails and nobody is logged in.
    const QString stored = EncodeText(QStringLiteral("wrong"));
    struct Case {
        bool ticked;
        bool hadSession; // logged in and out earlier in this run; the failed login's answer
                         // has cleared the pending log-out since
        bool kept;
    };
    const Case cases[] = {{true, false, true}, {false, false, false}, {true, true, false}, {false, true, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "ticked " << c.ticked << ", had a session " << c.hadSession);
        quits = 0;
        SetIniMany({{QStringLiteral("username"), QStringLiteral("vip")},
                    {QStringLiteral("userpass"), stored},
                    {QStringLiteral("autologin"), QStringLiteral("1")}});
        LoggedInThisRun = c.hadSession;
        LoginForm& f = open();
        closeBoxes();
        ASSERT_FALSE(LoggedIn);
        ASSERT_FALSE(LogoutPending);
        f.Check1->setChecked(c.ticked);
        f.unload();
        EXPECT_EQ(GetIni(QStringLiteral("autologin")), c.kept ? QStringLiteral("1") : QStringLiteral("0"));
        EXPECT_EQ(GetIni(QStringLiteral("username")), c.kept ? QStringLiteral("vip") : QString());
        EXPECT_EQ(GetIni(QStringLiteral("userpass")), c.kept ? stored : QString());
        EXPECT_EQ(quits, 1);
        resetSession();
    }
}

TEST_F(Login, VerificationCodeRound) {
    LoginForm& f = open();
    type(f, QStringLiteral("yz"), QStringLiteral("yz888"));
    QPointer<DoForm> dialog;
    QStringList seen;
    // The dialog is modal: the test acts on it from inside its loop.
    QTimer::singleShot(300, [&] {
        for (platform::Form* form : platform::loadedForms())
            if (auto* d = qobject_cast<DoForm*>(form))
                dialog = d;
        if (!dialog) {
            seen << QStringLiteral("no dialog");
            return;
        }
        seen << dialog->windowTitle();
        EXPECT_FALSE(dialog->Picture2->pixmap().isNull()) << "the code picture is shown";
        EXPECT_EQ(dialog->Picture2->pixmap().size(), QSize(96, 36));
        EXPECT_TRUE(dialog->Text1->isEnabled());
        EXPECT_FALSE(dialog->Command1->isEnabled());
        dialog->Text1->setText(service->accounts().currentCode().left(3));
        QTest::keyClick(dialog->Text1, Qt::Key_Return);
        EXPECT_TRUE(dialog) << "Enter is ignored while the button is not usable yet";
        QDir gallery(QStringLiteral(BRELTO_GALLERY_DIR));
        gallery.mkpath(QStringLiteral("login"));
        dialog->grab().save(gallery.filePath(QStringLiteral("login/captcha.png")));
        QTimer::singleShot(3200, [&] {
            if (!dialog)
                return;
            seen << (dialog->Command1->isEnabled() ? QStringLiteral("enabled") : QStringLiteral("disabled"));
            QTest::keyClick(dialog->Text1, Qt::Key_Return); // three characters: nothing happens
            seen << (dialog ? QStringLiteral("still open") : QStringLiteral("closed"));
            dialog->Text1->setText(service->accounts().currentCode());
            QTest::keyClick(dialog->Text1, Qt::Key_Return);
        });
    });
    f.Command1_Click();
    EXPECT_EQ(seen, (QStringList{QStringLiteral("安全验证码"), QStringLiteral("enabled"), QStringLiteral("still open")}));
    EXPECT_EQ(CaptchaCode, service->accounts().currentCode());
    // 200 ms later the login runs again with the code and succeeds.
    EXPECT_TRUE(waitUntil([] { return LoggedIn; }, 3000));
    EXPECT_EQ(UserId, 1003);
    EXPECT_TRUE(service->requestLog().filter(QStringLiteral("/user/getcode.asp")).size() == 1);
}

TEST_F(Login, FailedCodePictureGoesBackToIdle) {
    service->setFault(QStringLiteral("*"), SimService::Endpoint::Captcha, SimService::Fault::NotFound);
    LoginForm& f = open();
    type(f, QStringLiteral("yz"), QStringLiteral("yz888"));
    f.Command1_Click();
    // A box without a title of its own shows the program's title.
    EXPECT_EQ(boxes, QStringList{QStringLiteral("Quillor|拉取验证码图片时出错,请尝试重新登录")});
    EXPECT_EQ(f.Labelinfo->text(), QStringLiteral("...欢迎登录..."));
    EXPECT_TRUE(f.Command1->isEnabled());
    EXPECT_FALSE(LoggedIn);
}

TEST_F(Login, MalformedOkAnswerCommitsNothing) {
    service->accounts().forceStatus(QStringLiteral("OK"));
    // A forced "OK" for an unknown account is answered with a bare status.
    LoginForm& f = open();
    type(f, QStringLiteral("nobody"), QStringLiteral("x"));
    f.Command1_Click();
    EXPECT_FALSE(LoggedIn);
    EXPECT_EQ(UserId, 0);
    EXPECT_TRUE(f.User->isEnabled());
    EXPECT_TRUE(shownBoxes().startsWith(QStringLiteral("登录失败|登录失败.请检查")));
}

TEST_F(Login, UnreachableServiceTimesOutWithItsNotice) {
    service->setFault(QStringLiteral("*"), SimService::Endpoint::Login, SimService::Fault::Close);
    LoginForm& f = open();
    type(f, QStringLiteral("vip"), QStringLiteral("vip888"));
    f.Command1_Click();
    EXPECT_TRUE(shownBoxes().startsWith(QStringLiteral("登录超时|远程服务器没有响应！")));
    EXPECT_EQ(f.Labelinfo->text(), QStringLiteral("登录失败..."));
    EXPECT_TRUE(f.Command1->isEnabled());
}

TEST_F(Login, WindowPicture) {
    LoginForm& f = open();
    f.User->setText(QStringLiteral("vip"));
    QDir gallery(QStringLiteral(BRELTO_GALLERY_DIR));
    ASSERT_TRUE(gallery.mkpath(QStringLiteral("login")));
    const QImage shot = f.grab().toImage();
    ASSERT_TRUE(shot.save(gallery.filePath(QStringLiteral("login/loginform.png"))));
    EXPECT_EQ(shot.size(), f.size());
}

TEST_F(Login, UnreachableConfigurationAsksUntilTheAnswerIsNo) {
    service->setFault(QStringLiteral("*"), SimService::Endpoint::Config, SimService::Fault::NotFound);
    struct Case {
        std::vector<platform::BoxAnswer> answers;
        int rounds;
    };
    const Case cases[] = {
        {{platform::BoxAnswer::No}, 1},
        {{platform::BoxAnswer::Yes, platform::BoxAnswer::Yes, platform::BoxAnswer::No}, 3},
    };
    const QString question = QStringLiteral(
        "Quillor|初始化连接服务器失败,点击[是]将进行重试连接,点击[否]将退出程序.\r\n"
        "请确认是否已经正确连接网络,或者远程服务器暂时性故障,请过一段时间再试.\r\n"
        "如果是第一次启动程序看到此提示，请尝试关闭安全软件及网络防火墙再试一次.");
    const QString storedPass = EncodeText(QStringLiteral("vip888"));
    for (const Case& c : cases) {
        quits = 0;
        SetIniMany({{QStringLiteral("username"), QStringLiteral("vip")},
                    {QStringLiteral("userpass"), storedPass},
                    {QStringLiteral("autologin"), QStringLiteral("1")}});
        std::size_t asked = 0;
        QStringList questions;
        platform::setMessageBoxHandler([&](const QString& text, const QString& title, platform::BoxButtons buttons,
                                           platform::BoxIcon) {
            EXPECT_EQ(buttons, platform::BoxButtons::YesNo);
            questions << title + u'|' + text;
            return asked < c.answers.size() ? c.answers[asked++] : platform::BoxAnswer::No;
        });
        const int before = service->requestLog().filter(QStringLiteral("/cons/config.txt")).size();
        (void)loginForm();
        EXPECT_EQ(questions, QStringList(c.rounds, question));
        // Each round tries the three hosts.
        EXPECT_EQ(service->requestLog().filter(QStringLiteral("/cons/config.txt")).size() - before, 3 * c.rounds);
        EXPECT_FALSE(ConfigLoaded);
        EXPECT_FALSE(platform::isLoaded<LoginForm>()) << "否 unloads the login window";
        EXPECT_EQ(quits, 1) << "and that ends the program";
        EXPECT_EQ(GetIni(QStringLiteral("autologin")), QStringLiteral("1")) << "the remembered login stays";
        EXPECT_EQ(GetIni(QStringLiteral("username")), QStringLiteral("vip"));
        EXPECT_EQ(GetIni(QStringLiteral("userpass")), storedPass);
        platform::pauseMs(0);
    }
}

// Two copies of the real program in one program folder, whose temporary folder holds their
// channel: the second finds the first, hands over and ends, and the first runs on.
TEST_F(Login, SecondCopyHandsOverAndEnds) {
    ChildProgram copies(QStringLiteral(BRELTO_APP_PATH));
    ASSERT_TRUE(copies.ready());
    copies.qpaPlatform = QStringLiteral("offscreen");
    const QString host = QStringLiteral("127.0.0.1:%1").arg(service->httpPort());
    const QProcess& first = copies.start({host, host, host});
    // The first copy listens before it asks for its configuration.
    ASSERT_TRUE(waitUntil(
        [&] { return !service->requestLog().isEmpty() || first.state() == QProcess::NotRunning; }, 10000));
    ASSERT_EQ(first.state(), QProcess::Running) << copies.output();

    const QProcess& second = copies.start({host, host, host});
    EXPECT_TRUE(waitUntil([&] { return second.state() == QProcess::NotRunning; }, 10000)) << copies.output();
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(first.state(), QProcess::Running) << "the first copy ended: " << copies.output();
}
