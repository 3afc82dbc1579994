#include "mainwindow/tabswitch.h"

#include "common/appinfo.h"
#include "state/configstate.h"
#include "state/session.h"

namespace {

void navigate(TabSwitchPlan& p, WebPane pane, const QString& url) {
    // An empty address would blank the pane; such a tab has nothing configured to show.
    if (!url.isEmpty())
        p.navigations << Navigation{pane, url};
}

} // namespace

QString signedInPage(const QString& page) {
    return SiteUrl + QStringLiteral("soft/doing.asp?url=") + page + QStringLiteral("&do=webin&session=") +
           SessionId + QStringLiteral("&userid=") + QString::number(UserId) + QStringLiteral("&mac=") +
           ClientId;
}

TabSwitchPlan planTabSwitch(const TabSwitchInput& in) {
    TabSwitchPlan p;
    if (in.loginRequired && in.configLoaded && !in.loggedIn) {
        p.refused = true;
        p.curTab = in.previousTab;
        return p;
    }
    p.curTab = in.index;
    switch (in.index) {
    case 2:
        p.chartKind = 0;
        p.combo4Changes = true;
        p.combo4Enabled = true;
        p.resizeWithRedraw = true;
        p.updateImg = true;
        break;
    case 3:
        p.chartKind = 1;
        p.combo4Changes = true;
        p.combo4Enabled = false;
        p.updateImg = true;
        break;
    case 4:
        p.web0Panel = 1;
        break;
    case 5:
        p.web0Panel = 2;
        break;
    case 6:
        if (in.web4Location != DataTabUrl)
            navigate(p, WebPane::Web4, DataTabUrl);
        break;
    case 7:
        if (!in.web5Location.contains(BookTabUrl))
            navigate(p, WebPane::Web5, signedInPage(QStringLiteral("zhang")));
        break;
    case 8:
        if (!in.web6Location.contains(SmsTabUrl))
            navigate(p, WebPane::Web6, signedInPage(QStringLiteral("mysms")));
        break;
    case 9:
    case 10: {
        p.web0Panel = in.index == 9 ? 3 : 4;
        const QString& url = in.index == 9 ? GoldEtfUrl : SilverEtfUrl;
        if (!in.web0Location.contains(url)) {
            navigate(p, WebPane::Web0, QStringLiteral("about:blank"));
            navigate(p, WebPane::Web0, url);
        }
        break;
    }
    case 11:
        if (!in.web2Location.toLower().contains(QStringLiteral("http"))) {
            p.silentWeb2 = true;
            navigate(p, WebPane::Web2, ForumUrl);
        }
        break;
    default:
        break;
    }
    return p;
}
