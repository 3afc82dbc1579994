#pragma once

#include "common/appinfo.h"
#include "common/config.h"
#include "mainwindow/startup.h"
#include "shell/login.h"
#include "state/configstate.h"
#include "state/livelink.h"
#include "state/quotetables.h"
#include "state/session.h"
#include "state/usersettings.h"

// The shared globals a main window's run leaves behind, back to their state at start.
inline void resetMainGlobals() {
    ConfigLoaded = LoadserverOk = false;
    MainStarted = LoggedIn = IsVip = LogoutPending = LoggedInThisRun = LogoutUnderWay = false;
    UseRealtime = PushLost = LinkReady = BeatPending = false;
    LinkState = 0;
    HeartbeatTick = 0;
    MissedBeats = 0;
    PushData.clear();
    PushTime = {};
    UserName.clear();
    UserId = 0;
    SessionId.clear();
    ClientId.clear();
    LastNoticeId = 0;
    LoginMode = 0;
    ClockOffset = 0;
    CurTab = -1;
    ServerConfig.clear();
    // The quotes and histories too: a new process starts without them.
    clearQuoteTables();
}
