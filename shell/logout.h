#pragma once

#include <QString>

#include <functional>

// The log-out: tells the service, clears the session, closes the live link and sends the user
// back to the login window while the main window closes. The program goes on running.

[[nodiscard]] QString logoutRequestUrl();
// The request names the numeric user id under the field "username".
[[nodiscard]] QString logoutRequestBody();

// The session as a log-out leaves it: no user, no session, no positions (their average prices
// stay), the news and the three-day chart loaded afresh after the next login.
void clearSessionForLogout();

// What the log-out does to the main window.
struct LogoutUi {
    std::function<void()> hideMain;
    std::function<bool()> liveBoxTicked;  // Check12
    std::function<void()> closeLiveLink;  // untick Check12 and UnLinkUser
    std::function<void()> unloadMain;
};

// Every step runs, also when the service cannot be reached: the request then only costs its
// time-out. A second log-out while one is under way does nothing.
void LogoutUser(const LogoutUi& ui);
