#include "shell/logout.h"

#include "common/appinfo.h"
#include "common/http.h"
#include "shell/login.h"
#include "shell/loginform.h"
#include "state/configstate.h"
#include "state/livelink.h"
#include "state/quotetables.h"
#include "state/session.h"
#include "state/storedlists.h"
#include "state/usersettings.h"
#include "widgets/buttons/skinbutton.h"

#include <QLabel>

QString logoutRequestUrl() { return SiteUrl + QStringLiteral("/user/login.asp"); }

QString logoutRequestBody() {
    return QStringLiteral("v=1&do=softout&username=") + QString::number(UserId) + QStringLiteral("&mac=") +
           ClientId + QStringLiteral("&session=") + SessionId;
}

void clearSessionForLogout() {
    ThreeDayChart = 0;
    UserId = 0;
    NewsId = 0;
    HoldText.clear();
    SessionId.clear();
    UserName.clear();
    LoggedIn = false;
    IsVip = false;
    for (auto& units : HoldUnits)
        units = {0.0f, 0.0f};
}

void LogoutUser(const LogoutUi& ui) {
    static bool busy = false;
    if (busy)
        return;
    busy = true;
    if (ui.hideMain)
        ui.hideMain();
    // The answer is not read: a service that cannot be reached does not keep the user logged in.
    (void)GetHttpText(logoutRequestUrl(), logoutRequestBody());
    clearSessionForLogout();
    if (ui.liveBoxTicked && ui.liveBoxTicked()) {
        UseRealtime = false;
        if (ui.closeLiveLink)
            ui.closeLiveLink();
    }
    LoginForm& login = loginForm();
    login.showForm();
    login.Labelinfo->setText(QStringLiteral("...欢迎登录..."));
    login.Command1->setEnabled(true);
    login.Command2->setEnabled(true);
    LogoutPending = true;
    if (ui.unloadMain)
        ui.unloadMain();
    busy = false;
}
