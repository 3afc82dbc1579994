#include "shell/loginform.h"

#include "common/appinfo.h"
#include "common/http.h"
#include "common/log.h"
#include "common/msgbox.h"
#include "common/settings.h"
#include "common/shellhelpers.h"
#include "common/storedlists.h"
#include "common/textcodec.h"
#include "common/update.h"
#include "platform/boundary.h"
#include "platform/eventwait.h"
#include "platform/msgbox.h"
#include "platform/process.h"
#include "platform/programicon.h"
#include "platform/shell.h"
#include "platform/vberror.h"
#include "shell/configapply.h"
#include "state/configstate.h"
#include "shell/doform.h"
#include "shell/instance.h"
#include "shell/login.h"
#include "shell/mainwindowlink.h"
#include "state/session.h"
#include "shell/updateswap.h"
#include "widgets/buttons/skinbutton.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLinearGradient>
#include <QPainter>
#include <QScreen>
#include <QPointer>
#include <QTimer>

namespace {

const QString kWelcome = QStringLiteral("...欢迎登录...");

// The banner over the login fields: drawn here rather than shipped as a picture.
QPixmap banner(QSize size) {
    QPixmap pix(size);
    QPainter p(&pix);
    QLinearGradient g(0, 0, size.width(), size.height());
    g.setColorAt(0, QColor(120, 20, 20));
    g.setColorAt(1, QColor(196, 146, 40));
    p.fillRect(pix.rect(), g);
    p.setPen(QColor(255, 236, 180));
    QFont title(QStringLiteral("宋体"));
    title.setPixelSize(size.height() / 3);
    title.setBold(true);
    p.setFont(title);
    p.drawText(QRect(16, 0, size.width() - 32, size.height() * 2 / 3), Qt::AlignLeft | Qt::AlignBottom,
               QString::fromUtf16(kProgramTitle));
    QFont sub(QStringLiteral("宋体"));
    sub.setPixelSize(12);
    p.setFont(sub);
    p.drawText(QRect(16, size.height() * 2 / 3, size.width() - 32, size.height() / 3),
               Qt::AlignLeft | Qt::AlignTop, QStringLiteral("贵金属行情 · 图表 · 交易助手"));
    return pix;
}

QLabel* linkLabel(const QString& text, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setCursor(Qt::PointingHandCursor);
    l->setStyleSheet(QStringLiteral("color: #0000ff; text-decoration: underline;"));
    return l;
}

} // namespace

LoginForm& loginForm() { return platform::form<LoginForm>(); }

QString productSitePage(const QString& path) {
    QString site = productHomePage();
    if (site.endsWith(u'/'))
        site.chop(1);
    return site + path;
}

LoginForm::LoginForm() {
    setWindowTitle(QString::fromUtf16(kProgramTitle));
    setWindowIcon(platform::programIcon());
    setFixedSize(360, 292);
    // A start window opens in the middle of the screen, where the user looks for it.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    }
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(12);
    setFont(font);

    Picture1 = new QLabel(this);
    Picture1->setGeometry(0, 0, 360, 80);
    Picture1->setPixmap(banner(Picture1->size()));
    Picture1->setCursor(Qt::PointingHandCursor);

    auto* userCaption = new QLabel(QStringLiteral("账号:"), this);
    userCaption->setGeometry(60, 100, 40, 22);
    User = new QLineEdit(this);
    User->setMaxLength(20);
    User->setGeometry(104, 100, 160, 22);
    Newuser = linkLabel(QStringLiteral("注册账号"), this);
    Newuser->setGeometry(272, 100, 60, 22);

    auto* passCaption = new QLabel(QStringLiteral("密码:"), this);
    passCaption->setGeometry(60, 132, 40, 22);
    Userpass = new QLineEdit(this);
    Userpass->setMaxLength(20);
    Userpass->setEchoMode(QLineEdit::Password);
    Userpass->setAttribute(Qt::WA_InputMethodEnabled, false);
    Userpass->setGeometry(104, 132, 160, 22);
    NOpass = linkLabel(QStringLiteral("忘记密码"), this);
    NOpass->setGeometry(272, 132, 60, 22);

    Check1 = new QCheckBox(QStringLiteral("记住账号密码,下次自动登录"), this);
    Check1->setGeometry(104, 164, 220, 22);

    Command1 = new SkinButton(this);
    Command1->setCaption(QStringLiteral("登录"));
    Command1->setButtonStyle(8);
    Command1->setGeometry(104, 198, 76, 28);
    Command1->setEnabled(false);
    Command2 = new SkinButton(this);
    Command2->setCaption(QStringLiteral("游客登录"));
    Command2->setButtonStyle(8);
    Command2->setGeometry(188, 198, 76, 28);
    Command2->setEnabled(false);

    Labelinfo = new QLabel(kWelcome, this);
    Labelinfo->setGeometry(0, 246, 360, 22);
    Labelinfo->setAlignment(Qt::AlignCenter);

    Timer1 = new QTimer(this);
    Timer1->setInterval(200);
    Timer2 = new QTimer(this);
    Timer2->setInterval(3000);

    connect(Command1, &SkinButton::Click, this, platform::guard("loginform Command1 Click", this, &LoginForm::Command1_Click));
    connect(Command2, &SkinButton::Click, this, platform::guard("loginform Command2 Click", this, &LoginForm::Command2_Click));
    connect(Timer1, &QTimer::timeout, this, platform::guard("loginform Timer1 timeout", [this] {
        Timer1->stop();
        login();
    }));
    connect(Timer2, &QTimer::timeout, this, platform::guard("loginform Timer2 timeout", [this] {
        Timer2->stop();
        Labelinfo->setText(kWelcome);
        Command1->setEnabled(true);
    }));
    for (QObject* o : {static_cast<QObject*>(Userpass), static_cast<QObject*>(Newuser),
                       static_cast<QObject*>(NOpass), static_cast<QObject*>(Picture1)})
        o->installEventFilter(this);
}

bool LoginForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Userpass && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && Command1->isEnabled()) {
            login();
            return true;
        }
    } else if ((watched == Newuser || watched == NOpass) && event->type() == QEvent::MouseButtonRelease &&
               static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        OpenUrl(productSitePage(watched == Newuser ? QStringLiteral("/register/?f=soft")
                                                   : QStringLiteral("/register/getpassword.asp?f=soft")));
    } else if (watched == Picture1 && event->type() == QEvent::MouseButtonPress &&
               static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        OpenUrl(productSitePage(QStringLiteral("/?f=soft")));
    }
    return platform::Form::eventFilter(watched, event);
}

void LoginForm::formLoad() {
    platform::InstanceChannel& channel = instanceChannel();
    static bool listening = false;
    if (!listening) {
        if (channel.previousInstanceRunning()) {
            SendToVip();
            platform::endProgram();
            return;
        }
        listening = channel.listen();
    }

    const UpdateSwapEnv swapEnv{
        [](int ms) { platform::pauseMs(ms); },
        [](const QString& text, const QString& title) {
            platform::messageBox(text, title, platform::BoxButtons::Ok, platform::BoxIcon::Critical);
        },
        [](const QString& program, const QString& dir) { return platform::startDetached(program, {}, dir); }};
    if (runUpdateSwap(programFolder(), QFileInfo(QCoreApplication::applicationFilePath()).baseName(), swapEnv)) {
        platform::endProgram();
        return;
    }

    ClientId = makeClientId();
    Labelinfo->setText(QStringLiteral("连接服务器,请稍候..."));
    showForm();
    QCoreApplication::processEvents();

    const bool autoLogin = GetIni(QStringLiteral("autologin")) == u"1";
    if (autoLogin) {
        Check1->setChecked(true);
        User->setText(GetIni(QStringLiteral("username")));
        const QString stored = GetIni(QStringLiteral("userpass"));
        if (!stored.isEmpty())
            Userpass->setText(DecodeText(stored));
    }

    QPointer<LoginForm> self(this);
    GetCon();
    if (!self || !isLoaded() || !ConfigLoaded)
        return;
    if (autoLogin) {
        showForm();
        if (!MainStarted)
            Command1_Click();
    } else {
        Labelinfo->setText(kWelcome);
        setWindowTitle(windowTitle() + QStringLiteral(" V") + QStringLiteral(BRELTO_VERSION_TEXT));
    }
}

void LoginForm::GetCon() {
    ConfigApplyUi ui;
    ui.askRetry = [this](const QString& q) {
        return platform::messageBox(q, QString(), platform::BoxButtons::YesNo, platform::BoxIcon::Question,
                                    this) == platform::BoxAnswer::Yes;
    };
    ui.info = [this](const QString& text, const QString& title) {
        platform::messageBox(text, title, platform::BoxButtons::Ok, platform::BoxIcon::Information, this);
    };
    ui.stepFailed = [this](const QString& text) {
        platform::messageBox(text, QString(), platform::BoxButtons::Ok, platform::BoxIcon::None, this);
    };
    ui.newVersionNotice = [this](const QString& text, const QString& title) {
        ShowMsg(text, title, this, QString(), false, 0);
    };
    ui.hideLoginWindow = [this] { hide(); };
    ui.unloadLoginWindow = [this] { unload(); };
    ui.enableLoginButtons = [this] {
        Command1->setEnabled(true);
        Command2->setEnabled(true);
    };
    ui.startUpdate = [] { UpdateMe(); };
    applyConfiguration(ui);
}

bool LoginForm::SendToVip() { return instanceChannel().send(QStringLiteral("HI"), 1000); }

void LoginForm::Unloadmain() {
    Command1->setEnabled(true);
    Command2->setEnabled(true);
    if (platform::Form* main = platform::mainForm())
        main->unload();
}

void LoginForm::Command1_Click() { login(); }

void LoginForm::Command2_Click() {
    if (!Command2->isEnabled())
        return;
    Command2->setEnabled(false);
    User->setText(QStringLiteral("test"));
    Userpass->setText(QStringLiteral("quarmelo"));
    login();
}

void LoginForm::backToIdle() {
    Labelinfo->setText(kWelcome);
    Command1->setEnabled(true);
    Command2->setEnabled(true);
}

void LoginForm::loginFailedInside(int number, const QString& description) {
    ShowMsg(QStringLiteral("登录过程中产生了错误.>>") + description, QStringLiteral("登录失败"), this);
    Labelinfo->setText(QStringLiteral("登录时出错"));
    LoggedIn = false;
    Command1->setEnabled(true);
    Command2->setEnabled(true);
    WriteLog(QString::number(number) + QStringLiteral(":Login>>") + description);
}

void LoginForm::login() {
    if (!Command1->isEnabled())
        return;
    Command1->setEnabled(false);
    if (User->text().isEmpty() || Userpass->text().isEmpty()) {
        ShowMsg(QStringLiteral("用户名或密码输入为空．"), QStringLiteral("输入不完整"), this, QString(), false, 3000);
        Command1->setEnabled(true);
        return;
    }
    Command2->setEnabled(false);
    Labelinfo->setText(QStringLiteral("正在登录..."));

    QPointer<LoginForm> self(this);
    const QString raw = GetHttpText(loginRequestUrl(), loginRequestBody(User->text(), Userpass->text()));
    if (!self || !isLoaded())
        return; // the window went away while the request waited
    if (raw.isEmpty()) {
        ShowMsg(QStringLiteral("远程服务器没有响应！可能是您的网络故障。如果确认您的网络畅通，可能是远程服务器正在维护，请联系客户咨询或稍候再试。"),
                QStringLiteral("登录超时"), this);
        Command1->setEnabled(true);
        Labelinfo->setText(QStringLiteral("登录失败..."));
        Command2->setEnabled(true);
        return;
    }

    const LoginAnswer answer = readLoginAnswer(raw);
    LogoutPending = false;
    std::optional<LoginSession> session;
    if (answer.status == LoginStatus::Ok) {
        Labelinfo->setText(QStringLiteral("正在分析信息..."));
        try {
            session = readLoginSession(answer.text);
        } catch (const platform::VbError&) {
            // Nothing of a malformed answer is taken: it counts as an unknown answer.
        }
    }

    if (session) {
        try {
            IsVip = session->vip;
            if (IsVip)
                LoadTx();
            User->setEnabled(false);
            Userpass->setEnabled(false);
            UserId = session->userId;
            SessionId = session->sessionId;
            HoldText = session->holdText;
            UserName = User->text();
            LoggedIn = true;
            LoggedInThisRun = true;
            Labelinfo->setText(QStringLiteral("连接行情服务器..."));
            const bool mainWasRunning = MainStarted;
            const MainWindowLink& main = mainWindowLink();
            if (main.loadHidden)
                main.loadHidden();
            if (MainStarted && main.show)
                main.show();
            if (mainWasRunning && main.checkLogin)
                main.checkLogin();
            if (!self)
                return;
            Command1->setEnabled(true);
            Command2->setEnabled(true);
            hide();
            QCoreApplication::processEvents();
            platform::pauseMs(10);
            if (self)
                unload();
        } catch (const platform::VbError& e) {
            if (self)
                loginFailedInside(e.number, e.description);
        }
        return;
    }

    switch (answer.status) {
    case LoginStatus::LoggedElsewhere:
    case LoginStatus::Disabled:
    case LoginStatus::Maintenance:
    case LoginStatus::Notice: {
        const auto notice = loginNotice(answer);
        ShowMsg(notice->text, notice->title, this);
        backToIdle();
        return;
    }
    case LoginStatus::NeedsCode: {
        Labelinfo->setText(QStringLiteral("正在获取验证码..."));
        auto* dialog = new DoForm;
        dialog->openForCode(this);
        if (self)
            backToIdle();
        return;
    }
    case LoginStatus::Ok:
    case LoginStatus::Failed:
        break;
    }
    Labelinfo->setText(QStringLiteral("登录失败,请3秒后再试."));
    ShowMsg(QStringLiteral("登录失败.请检查输入的用户名或密码是否有误.如果确认无误请稍候再试，可能是登录服务器暂时性故障，请反馈客服。"),
            QStringLiteral("登录失败"), this, QString(), false, 5000);
    User->setEnabled(true);
    Userpass->setEnabled(true);
    Command2->setEnabled(true);
    Timer2->start();
}

RememberedAccount rememberedAccountOnUnload(bool rememberTicked, bool loggedIn, bool hadSession) {
    if (!rememberTicked)
        return RememberedAccount::Clear;
    if (loggedIn)
        return RememberedAccount::Store;
    return hadSession ? RememberedAccount::Clear : RememberedAccount::Keep;
}

bool LoginForm::queryUnload() {
    switch (rememberedAccountOnUnload(Check1->isChecked(), LoggedIn, LoggedInThisRun || LogoutPending)) {
    case RememberedAccount::Store:
        SetIniMany({{QStringLiteral("username"), UserName},
                    {QStringLiteral("userpass"), EncodeText(Userpass->text())},
                    {QStringLiteral("autologin"), QStringLiteral("1")}});
        break;
    case RememberedAccount::Clear:
        SetIniMany({{QStringLiteral("username"), QString()},
                    {QStringLiteral("userpass"), QString()},
                    {QStringLiteral("autologin"), QStringLiteral("0")}});
        break;
    case RememberedAccount::Keep:
        break;
    }
    if (!MainStarted || LogoutPending) {
        if (mainWindowLink().trayRemove)
            mainWindowLink().trayRemove();
        platform::unloadAll([this](platform::Form* f) { return f == this; });
    }
    return true;
}
