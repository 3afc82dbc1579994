#pragma once

#include <QList>
#include <QString>

// What selecting a tab of the main window's strip does, decided apart from the widgets.

enum class WebPane { Web0, Web2, Web4, Web5, Web6 };

struct TabSwitchInput {
    int index = 0;           // the selected tab, 1..11
    int previousTab = -1;    // CurTab before the switch
    bool loginRequired = false; // LoginMode non-zero
    bool configLoaded = false;  // LoadserverOk
    bool loggedIn = false;
    // What the browsers show now.
    QString web0Location, web2Location, web4Location, web5Location, web6Location;
};

struct Navigation {
    WebPane pane;
    QString url;
    bool operator==(const Navigation&) const = default;
};

struct TabSwitchPlan {
    bool refused = false;     // the login notice instead, and the previous tab selected again
    int curTab = -1;
    int chartKind = -1;       // 0 or 1 when the tab sets it, else -1 (unchanged)
    int web0Panel = -1;       // the Cole panel the shared browser moves into, -1: stays
    bool combo4Enabled = false;
    bool combo4Changes = false;
    bool silentWeb2 = false;
    bool resizeWithRedraw = false; // the intraday tab lays out once with the chart redraw first
    bool updateImg = false;
    QList<Navigation> navigations; // in order; never to an empty address
};

[[nodiscard]] TabSwitchPlan planTabSwitch(const TabSwitchInput& in);

// The signed-in page of the bookkeeping ("zhang") or SMS ("mysms") tab.
[[nodiscard]] QString signedInPage(const QString& page);

inline const QString kLoginNeededText = QStringLiteral("该操作需要登录软件,请进行用户登录.");
inline const QString kLoginNeededTitle = QStringLiteral("用户登录");
