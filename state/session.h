#pragma once

#include <QString>

#include <cstdint>

// The logged-in user, set by the login and cleared at log-out.
inline bool LoggedIn = false;
inline QString UserName;
inline int32_t UserId = 0;
inline QString SessionId;
inline bool IsVip = false; // membership: live push link, longer chart ranges, stored alerts

// The main window has finished its start-up and not yet shut down.
inline bool MainStarted = false;

// A log-out is under way: from the user's request (which may wait for a request in progress to
// end) until the main window is gone. Nothing shows the main window again meanwhile.
inline bool LogoutUnderWay = false;
