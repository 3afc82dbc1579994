#include "shell/login.h"

#include "common/appinfo.h"
#include "common/md5.h"
#include "common/textcodec.h"
#include "platform/vberror.h"
#include "platform/vbtext.h"
#include "state/configstate.h"

#include <QStringList>
#include <QSysInfo>

QString makeClientId() {
    const QByteArray machine = QSysInfo::machineUniqueId();
    return Md5Hex(QString::fromLatin1(machine) + u'|' + qEnvironmentVariable("USER"), 32, false).left(20);
}

QString loginRequestUrl() { return SiteUrl + QStringLiteral("soft/doing.asp"); }

QString loginRequestBody(const QString& user, const QString& password) {
    return QStringLiteral("v=") + platform::singleText(AppVer) + QStringLiteral("&do=softin&username=") +
           user + QStringLiteral("&password=") + Md5Hex(password, 16, false) + QStringLiteral("&mac=") +
           ClientId + QStringLiteral("&yzm=") + CaptchaCode;
}

LoginAnswer readLoginAnswer(const QString& raw) {
    LoginAnswer a;
    a.text = raw.contains(u'|') ? raw : DecodeText(raw);
    const QString status = a.text.left(2);
    if (status == u"OK")
        a.status = LoginStatus::Ok;
    else if (status == u"LO")
        a.status = LoginStatus::LoggedElsewhere;
    else if (status == u"ST")
        a.status = LoginStatus::Disabled;
    else if (status == u"TE")
        a.status = LoginStatus::Maintenance;
    else if (status == u"IN")
        a.status = LoginStatus::Notice;
    else if (status == u"YZ")
        a.status = LoginStatus::NeedsCode;
    return a;
}

LoginSession readLoginSession(const QString& okText) {
    const QStringList f = okText.split(u'|');
    if (f.size() < 6)
        platform::raiseSubscript();
    LoginSession s;
    s.userId = platform::CLng(platform::CDbl(f[1]));
    s.sessionId = f[3];
    const QString vip = f[4].trimmed();
    if (vip.compare(QStringLiteral("True"), Qt::CaseInsensitive) == 0)
        s.vip = true;
    else if (vip.compare(QStringLiteral("False"), Qt::CaseInsensitive) == 0)
        s.vip = false;
    else
        s.vip = platform::CDbl(vip) != 0;
    s.holdText = QString(f[5]).replace(u'/', u'|');
    return s;
}

std::optional<LoginNotice> loginNotice(const LoginAnswer& answer) {
    switch (answer.status) {
    case LoginStatus::LoggedElsewhere:
        return LoginNotice{QStringLiteral("您的账号已经在其它地方被登录,请退出其它登录进程后再次尝试登录."),
                           QStringLiteral("登录失败")};
    case LoginStatus::Disabled:
        return LoginNotice{QStringLiteral("您的账号已经被停用,请注意是否有违反软件相关规定的操作."),
                           QStringLiteral("账号停用")};
    case LoginStatus::Maintenance:
        return LoginNotice{QStringLiteral("正在对系统进行维护，暂时不能进行登录操作，请稍候再试."),
                           QStringLiteral("系统维护")};
    case LoginStatus::Notice:
        return LoginNotice{answer.text.mid(3), QStringLiteral("提示")};
    default:
        return std::nullopt;
    }
}
