#pragma once

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

// The keep-alive: the running client reports to the service, which answers either that the
// account logged in elsewhere ("LO") or with its list of notices.

// Whom notices are for: kinds 0, 5, 6 everyone, 1 the logged-in, 2 members, 3 client type 2,
// 4 any client type but 0; other kinds nobody.
struct NoticeReader {
    bool loggedIn = false;
    bool vip = false;
    int clientType = 0;
};
[[nodiscard]] bool noticeIsFor(int64_t kind, const NoticeReader& reader);

// A notice taken from the list: its decoded text split into the first character and the rest.
struct Notice {
    int32_t id = 0;
    QString mark;
    QString text;
};

struct HelloAnswer {
    bool loggedElsewhere = false;
    std::optional<Notice> notice;
};

// Reads the keep-alive's answer. The notice list is records "id|kind|-|scrambled text" joined
// and ended by "||"; lastNoticeId, the newest notice seen (0: none yet), moves as the walk goes.
// A first contact looks only at the newest record; later ones walk the records newer than
// lastNoticeId, past those meant for others, and take the first one meant for this reader.
[[nodiscard]] HelloAnswer readHelloAnswer(const QString& answer, int32_t& lastNoticeId, const NoticeReader& reader);

[[nodiscard]] QString helloRequestUrl();
// The request body from the session, the client and the live link's server; loginTime is the
// time of day the main window took the login.
[[nodiscard]] QString helloRequestBody(const QString& loginTime);

struct HelloUi {
    std::function<void()> loggedElsewhere;               // the box, then the delayed log-out
    std::function<void(const Notice& notice)> showNotice;
};

// Sends the keep-alive and acts on its answer; a failed or empty request changes nothing.
void Hello(const QString& loginTime, const HelloUi& ui);

inline const QString kLoggedElsewhereText =
    QStringLiteral("您的账号已经在其它地方被登录,请退出其它登录后再次尝试登录.");
