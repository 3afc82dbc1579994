#include "shell/doform.h"

#include "common/appinfo.h"
#include "common/http.h"
#include "platform/boundary.h"
#include "platform/msgbox.h"
#include "platform/screen.h"
#include "state/configstate.h"
#include "shell/login.h"
#include "shell/loginform.h"
#include "widgets/buttons/skinbutton.h"

#include <QDir>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QScreen>
#include <QTimer>

namespace {
QString codePictureFile() { return QDir(programFolder()).filePath(QStringLiteral("yzm.gif")); }
} // namespace

DoForm::DoForm() {
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(12);
    setFont(font);

    Frame3 = new QFrame(this);
    Frame3->setGeometry(0, 0, 240, 96);
    Frame3->hide();
    Picture2 = new QLabel(Frame3);
    Picture2->setGeometry(12, 10, 96, 36);
    Picture2->setFrameShape(QFrame::Box);
    Label2 = new QLabel(QStringLiteral("输入验证码:"), Frame3);
    Label2->setGeometry(12, 58, 76, 24);
    Text1 = new QLineEdit(Frame3);
    Text1->setMaxLength(4);
    Text1->setGeometry(88, 58, 60, 24);
    Text1->setEnabled(false);
    Command1 = new SkinButton(Frame3);
    Command1->setCaption(QStringLiteral("确定"));
    Command1->setButtonStyle(8);
    Command1->setGeometry(158, 56, 70, 28);
    Command1->setEnabled(false);

    Timer2 = new QTimer(this);
    Timer2->setInterval(3000);
    connect(Timer2, &QTimer::timeout, this, platform::guard("doform Timer2 timeout", [this] {
        Timer2->stop();
        Command1->setEnabled(true);
    }));
    connect(Command1, &SkinButton::Click, this, platform::guard("doform Command1 Click", this, &DoForm::Command1_Click));
    Text1->installEventFilter(this);
}

void DoForm::openForCode(QWidget* owner) {
    Frame3->move(0, 0);
    const int width = Frame3->width() + 90 / TwipsX;
    const int height = Frame3->height();
    setFixedSize(width, height);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.width() / 2 - width / 2, area.height() / 2 - height / 2);
    }
    Frame3->show();
    setWindowTitle(QStringLiteral("安全验证码"));
    Loadyzm();
    if (m_failed)
        return;
    showForm(owner, true);
}

void DoForm::Loadyzm() {
    if (!DownFile(SiteUrl + QStringLiteral("user/getcode.asp"), codePictureFile())) {
        platform::messageBox(QStringLiteral("拉取验证码图片时出错,请尝试重新登录"), QString(),
                             platform::BoxButtons::Ok, platform::BoxIcon::Information, this);
        m_failed = true;
        unload();
        return;
    }
    Picture2->setPixmap(QPixmap(codePictureFile()));
    Text1->setEnabled(true);
    Text1->setFocus();
    Timer2->start();
}

void DoForm::Command1_Click() {
    if (Text1->text().size() < 4)
        return;
    hide();
    CaptchaCode = Text1->text();
    if (platform::isLoaded<LoginForm>())
        loginForm().Timer1->start();
    unload();
}

bool DoForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Text1 && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
            if (Command1->isEnabled())
                Command1_Click();
            return true;
        }
    }
    return platform::Form::eventFilter(watched, event);
}

bool DoForm::queryUnload() {
    if (!Frame3->isHidden() && platform::isLoaded<LoginForm>()) {
        LoginForm& login = loginForm();
        login.Command1->setEnabled(true);
        login.Command2->setEnabled(true);
        login.Labelinfo->setText(QStringLiteral("关闭验证码输入."));
    }
    return true;
}
