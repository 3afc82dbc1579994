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
    // A "do=softout" form body ends the session it names; true when one was open.
    bool logout(const QByteArray& body);
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
    QString okAnswer(const Member& m);

    std::mt19937 m_random;
    QString m_forced;
    QString m_code;
    std::map<QString, Member> m_sessions;
};
