#pragma once

#include <QByteArray>
#include <QString>

#include <random>

// The service's login: test accounts for every answer the client knows, the verification-code
// picture and the bookkeeping records a member gets back.
class SimAccounts {
public:
    explicit SimAccounts(uint32_t seed) : m_random(seed) {}

    // The answer to a "do=softin" form body (as the client's form encoding sends it).
    [[nodiscard]] QString loginAnswer(const QByteArray& body);
    // A new four-character code as a GIF picture; the next login must repeat it.
    [[nodiscard]] QByteArray codePicture();

    // Every login answers with this status ("OK", "LO", "ST", "TE", "IN", "YZ", "NO") while set.
    void forceStatus(const QString& status) { m_forced = status; }
    [[nodiscard]] QString forcedStatus() const { return m_forced; }
    [[nodiscard]] QString currentCode() const { return m_code; }

    // Reads a form body as the client's encoding wrote it: GBK bytes as %XX, the rest as is.
    [[nodiscard]] static QString formValue(const QByteArray& body, const QString& key);

private:
    QString okAnswer(int userId, bool member, const QString& records);

    std::mt19937 m_random;
    QString m_forced;
    QString m_code;
};
