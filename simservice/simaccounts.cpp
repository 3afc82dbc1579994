#include "simservice/simaccounts.h"

#include "common/md5.h"
#include "platform/gbk.h"
#include "simservice/gifwriter.h"

#include <QImage>

#include <algorithm>

namespace {

struct Account {
    const char* name;
    const char* password;
    const char* status; // what a correct login answers
    int userId;
    bool member;
    const char16_t* records; // bookkeeping records, "/" between them
    char linkRefusal;        // what the user servers answer its login record: 'A', 'B' or 0
};

// "test" with "quarmelo" is the program's demo account, which many people use at once.
const Account kAccounts[] = {
    {"vip", "vip888", "OK", 1001, true,
     u"gh,10,612.5,0,0,0,0,8/mgold,2,2630,1,2655,0,0/ying,100,7.52,0,0,0,0/", 0},
    {"user", "user888", "OK", 1002, false, u"gh,5,598,0,0,0,0/", 0},
    {"test", "quarmelo", "OK", 1000, false, u"", 0},
    {"lo", "lo888", "LO", 0, false, u"", 0},
    {"st", "st888", "ST", 0, false, u"", 0},
    {"te", "te888", "TE", 0, false, u"", 0},
    {"in", "in888", "IN", 0, false, u"", 0},
    {"yz", "yz888", "YZ", 1003, false, u"gh,1,600,0,0,0,0/", 0},
    {"vipa", "vipa888", "OK", 1004, true, u"", 'A'},
    {"vipb", "vipb888", "OK", 1005, true, u"", 'B'},
};
constexpr int kDemoUserId = 1000;

constexpr size_t kSessionLimit = 1000;

const QString kNotice = QStringLiteral("您的账号尚未激活,请登录官方网站完成激活后再使用本软件.");

} // namespace

QString SimAccounts::formValue(const QByteArray& body, const QString& key) {
    for (const QByteArray& pair : body.split('&')) {
        const qsizetype eq = pair.indexOf('=');
        if (eq >= 0 && QString::fromLatin1(pair.left(eq)) == key)
            return platform::fromGbk(QByteArray::fromPercentEncoding(pair.mid(eq + 1)));
    }
    return {};
}

QString SimAccounts::okAnswer(const Member& m, const QString& clientId) {
    const QString session = QString::number(m_random(), 16) + QString::number(m_random(), 16);
    // A login from another machine ends the account's sessions there; their next keep-alive
    // hears so. The demo account is shared by everyone and never pushes anyone out.
    if (m.userId != kDemoUserId) {
        for (auto it = m_sessions.begin(); it != m_sessions.end();) {
            if (it->second.member.userId == m.userId && it->second.clientId != clientId) {
                m_displaced[it->first] = m.userId;
                it = m_sessions.erase(it);
            } else {
                ++it;
            }
        }
    }
    // A long-running service forgets the odd session rather than grow without end.
    if (m_sessions.size() >= kSessionLimit) m_sessions.erase(m_sessions.begin());
    if (m_displaced.size() >= kSessionLimit) m_displaced.erase(m_displaced.begin());
    m_sessions[session] = Session{m, clientId};
    return QStringLiteral("OK|%1|-|%2|%3|%4")
        .arg(m.userId)
        .arg(session)
        .arg(m.vip ? 1 : 0)
        .arg(m.records);
}

bool SimAccounts::logout(const QByteArray& body) {
    if (formValue(body, QStringLiteral("v")) != u"1" ||
        formValue(body, QStringLiteral("do")) != u"softout")
        return false;
    const auto it = m_sessions.find(formValue(body, QStringLiteral("session")));
    // The client sends the numeric user id under "username", and the machine it logged in from.
    if (it == m_sessions.end() ||
        QString::number(it->second.member.userId) != formValue(body, QStringLiteral("username")) ||
        it->second.clientId != formValue(body, QStringLiteral("mac")))
        return false;
    m_sessions.erase(it);
    return true;
}

bool SimAccounts::hasSession(const QString& session) const {
    return m_sessions.count(session) > 0;
}

bool SimAccounts::loggedInElsewhere(const QString& session, const QString& userId) const {
    const auto it = m_displaced.find(session);
    return it != m_displaced.end() && QString::number(it->second) == userId;
}

bool SimAccounts::takeForcedElsewhere() {
    if (m_forcedElsewhere == 0) return false;
    if (m_forcedElsewhere > 0) --m_forcedElsewhere;
    return true;
}

std::optional<char> SimAccounts::linkRefusal(int userId) {
    for (const Account& a : kAccounts)
        if (a.userId == userId && a.userId != 0 && a.linkRefusal != 0) return a.linkRefusal;
    return std::nullopt;
}

std::optional<SimAccounts::Member> SimAccounts::member(const QString& session,
                                                       const QString& userId) const {
    const auto it = m_sessions.find(session);
    if (it == m_sessions.end() || QString::number(it->second.member.userId) != userId)
        return std::nullopt;
    return it->second.member;
}

QString SimAccounts::loginAnswer(const QByteArray& body) {
    if (formValue(body, QStringLiteral("do")) != u"softin")
        return QStringLiteral("NO");
    const QString name = formValue(body, QStringLiteral("username"));
    const QString password = formValue(body, QStringLiteral("password"));
    for (const Account& a : kAccounts) {
        if (name != QLatin1String(a.name) ||
            password != Md5Hex(QString::fromLatin1(a.password), 16, false))
            continue;
        QString status = m_forced.isEmpty() ? QString::fromLatin1(a.status) : m_forced;
        if (status == u"YZ" && !m_code.isEmpty() &&
            formValue(body, QStringLiteral("yzm")).compare(m_code, Qt::CaseInsensitive) == 0)
            status = QStringLiteral("OK");
        if (status == u"OK")
            return okAnswer(Member{QString::fromLatin1(a.name), a.userId, a.member,
                                   QString::fromUtf16(a.records)},
                            formValue(body, QStringLiteral("mac")));
        if (status == u"IN")
            return QStringLiteral("IN:") + kNotice;
        return status;
    }
    return m_forced.isEmpty() || m_forced == u"OK" ? QStringLiteral("NO") : m_forced;
}

// 5x7 glyphs of the code letters, so the picture needs no font (the service runs without a
// display).
struct Glyph {
    char ch;
    uint8_t rows[7];
};
constexpr Glyph kGlyphs[] = {
    {'A', {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}},
    {'B', {0x1E, 0x11, 0x11, 0x1E, 0x11, 0x11, 0x1E}},
    {'C', {0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E}},
    {'D', {0x1E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x1E}},
    {'E', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F}},
    {'F', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10}},
    {'G', {0x0E, 0x11, 0x10, 0x17, 0x11, 0x11, 0x0F}},
    {'H', {0x11, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}},
    {'J', {0x07, 0x02, 0x02, 0x02, 0x02, 0x12, 0x0C}},
    {'K', {0x11, 0x12, 0x14, 0x18, 0x14, 0x12, 0x11}},
    {'L', {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F}},
    {'M', {0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11}},
    {'N', {0x11, 0x11, 0x19, 0x15, 0x13, 0x11, 0x11}},
    {'P', {0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10}},
    {'Q', {0x0E, 0x11, 0x11, 0x11, 0x15, 0x12, 0x0D}},
    {'R', {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11}},
    {'S', {0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E}},
    {'T', {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}},
    {'U', {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}},
    {'V', {0x11, 0x11, 0x11, 0x11, 0x11, 0x0A, 0x04}},
    {'W', {0x11, 0x11, 0x11, 0x15, 0x15, 0x15, 0x0A}},
    {'X', {0x11, 0x11, 0x0A, 0x04, 0x0A, 0x11, 0x11}},
    {'Y', {0x11, 0x11, 0x0A, 0x04, 0x04, 0x04, 0x04}},
    {'Z', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x10, 0x1F}},
    {'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}},
    {'3', {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}},
    {'4', {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}},
    {'5', {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}},
    {'6', {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}},
    {'7', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
    {'8', {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}},
    {'9', {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}},
};

QByteArray SimAccounts::codePicture() {
    static const char kLetters[] = "ABCDEFGHJKLMNPQRSTUVWXYZ23456789";
    m_code.clear();
    for (int i = 0; i < 4; ++i)
        m_code += QLatin1Char(kLetters[m_random() % (sizeof kLetters - 1)]);

    constexpr int kWidth = 96;
    constexpr int kHeight = 36;
    constexpr int kScale = 3;
    QImage image(kWidth, kHeight, QImage::Format_Indexed8);
    image.setColorTable({qRgb(255, 255, 255), qRgb(180, 180, 200), qRgb(20, 40, 140)});
    image.fill(0);
    for (int i = 0; i < 40; ++i) // speckles, so the picture is not trivially machine-read
        image.setPixel(static_cast<int>(m_random() % kWidth), static_cast<int>(m_random() % kHeight), 1);
    for (int c = 0; c < 4; ++c) {
        const char ch = m_code[c].toLatin1();
        const Glyph* g = std::find_if(std::begin(kGlyphs), std::end(kGlyphs), [ch](const Glyph& x) { return x.ch == ch; });
        const int left = 8 + c * 21;
        const int top = 6 + static_cast<int>(m_random() % 4);
        for (int row = 0; row < 7; ++row)
            for (int col = 0; col < 5; ++col)
                if (g->rows[row] & (0x10 >> col))
                    for (int dy = 0; dy < kScale; ++dy)
                        for (int dx = 0; dx < kScale; ++dx)
                            image.setPixel(left + col * kScale + dx, top + row * kScale + dy, 2);
    }
    return writeGif(image);
}
