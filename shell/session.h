#pragma once

#include <QString>

// The logged-in user, set by the login and cleared at log-out.
inline bool LoggedIn = false;
inline QString UserName;
inline QString UserId;
inline QString SessionId;
inline bool IsVip = false; // membership: live push link, longer chart ranges, stored alerts
