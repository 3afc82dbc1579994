#pragma once

#include <QString>

#include <cstdint>
#include <optional>

// The login exchange with the service, apart from the window that runs it.

// Verification code last typed in the captcha dialog; every later login repeats it.
inline QString CaptchaCode;
// A log-out sent the user back to the login window; the next login answer clears it.
inline bool LogoutPending = false;
// This process has had a session: a login answered "OK" since the program started.
inline bool LoggedInThisRun = false;

// A stable opaque identifier of this user on this machine, at most 20 characters.
[[nodiscard]] QString makeClientId();

// The form body of the login request (before the HTTP helper's own encoding).
[[nodiscard]] QString loginRequestBody(const QString& user, const QString& password);
[[nodiscard]] QString loginRequestUrl();

enum class LoginStatus { Ok, LoggedElsewhere, Disabled, Maintenance, Notice, NeedsCode, Failed };

struct LoginAnswer {
    LoginStatus status = LoginStatus::Failed;
    QString text; // the decoded answer
};
// Decodes an answer that holds no "|" and reads its status from the first two characters.
[[nodiscard]] LoginAnswer readLoginAnswer(const QString& raw);

// The fields of an "OK" answer, read completely before any of them is used.
struct LoginSession {
    int32_t userId = 0;
    QString sessionId;
    bool vip = false;
    QString holdText; // "/" of the answer turned into "|"
};
// Throws platform::VbError when a field is missing or not a number.
[[nodiscard]] LoginSession readLoginSession(const QString& okText);

// Message and title shown for the statuses that are refused with a notice; nullopt for others.
struct LoginNotice {
    QString text;
    QString title;
};
[[nodiscard]] std::optional<LoginNotice> loginNotice(const LoginAnswer& answer);
