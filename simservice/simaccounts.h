#pragma once

#include <QByteArray>
#include <QString>

#include <map>
#include <optional>
#include <random>

// The service's login: test accounts for every answer the client knows, the verification-code
// picture, the bookkeeping records a member gets back and the sessions the signed-in pages ask
// about.
class SimAccounts {
public:
    explicit SimAccounts(uint32_t seed) : m_random(seed) {}

    // An account signed in under a session.
    struct Member {
        QString name;
        int userId = 0;
        bool vip = false;
        QString records; // bookkeeping records, "/" after each
    };

    // The answer to a "do=softin" form body (as the client's form encoding sends it).
    [[nodiscard]] QString loginAnswer(const QByteArray& body);
    // A log-out form body ("v=1&do=softout&username=<user id>&mac=<client id>&session=<session>")
    // ends the session it names when the user id and the machine match; true when it did.
    bool logout(const QByteArray& body);
    [[nodiscard]] bool hasSession(const QString& session) const;
    // The session was ended by a login of the same account from another machine.
    [[nodiscard]] bool loggedInElsewhere(const QString& session, const QString& userId) const;
    // The next `times` keep-alives hear that the account is logged in elsewhere, whoever sends
    // them; -1 every one, 0 none.
    void forceLoggedInElsewhere(int times) { m_forcedElsewhere = times; }
    [[nodiscard]] int forcedElsewhere() const { return m_forcedElsewhere; }
    // Spends one forced answer; true when there was one.
    bool takeForcedElsewhere();
    // What the user servers answer an account's login record instead of a challenge: 'A' or 'B'.
    [[nodiscard]] static std::optional<char> linkRefusal(int userId);
    // The account whose login opened `session`, when the user id matches it.
    [[nodiscard]] std::optional<Member> member(const QString& session, const QString& userId) const;
    // A new four-character code as a GIF picture; the next login must repeat it.
    [[nodiscard]] QByteArray codePicture();

    // Every login answers with this status ("OK", "LO", "ST", "TE", "IN", "YZ", "NO") while set.
    void forceStatus(const QString& status) { m_forced = status; }
    [[nodiscard]] QString forcedStatus() const { return m_forced; }
    [[nodiscard]] QString currentCode() const { return m_code; }

    // Reads a form body as the client's encoding wrote it: GBK bytes as %XX, the rest as is.
    [[nodiscard]] static QString formValue(const QByteArray& body, const QString& key);

private:
    // An open session: who, and the machine ("mac") the login came from.
    struct Session {
        Member member;
        QString clientId;
    };
    QString okAnswer(const Member& m, const QString& clientId);

    std::mt19937 m_random;
    QString m_forced;
    QString m_code;
    std::map<QString, Session> m_sessions;
    std::map<QString, int> m_displaced; // session -> user id
    int m_forcedElsewhere = 0;
};
