#include "tests/simservice/servicefixture.h"

#include "common/md5.h"

#include <QUrl>

#include <gtest/gtest.h>

#include <functional>
#include <optional>

using namespace simtest;

namespace {

struct Session {
    QString userId;
    QString name;
    QString session;
    QString clientId;
};

struct Record {
    qint64 id = 0;
    int kind = 0;
    QString text; // decoded
};

class KeepAlive : public SimServiceTest {
protected:
    void SetUp() override { s = &start(kWednesday); }

    // The login as the program posts it.
    Session login(const QString& name, const QString& password, const QString& clientId) {
        const QString body = QStringLiteral("v=3.6&do=softin&username=") + name +
                             QStringLiteral("&password=") + Md5Hex(password, 16, false) +
                             QStringLiteral("&mac=") + clientId + QStringLiteral("&yzm=");
        const QStringList ok =
            GetHttpText(s->baseUrl() + QStringLiteral("soft/doing.asp"), body, 5).split(u'|');
        EXPECT_GE(ok.size(), 6);
        EXPECT_EQ(ok.value(0), QStringLiteral("OK"));
        return Session{ok.value(1), name, ok.value(3), clientId};
    }
    // The keep-alive as the program posts it; a logged-out program sends user id 0 and empty
    // texts.
    QString hello(const Session& who) {
        const QString body = QStringLiteral("v=2&do=stat&uid=") +
                             (who.userId.isEmpty() ? QStringLiteral("0") : who.userId) +
                             QStringLiteral("&username=") + who.name + QStringLiteral("&session=") +
                             who.session + QStringLiteral("&mac=") + who.clientId +
                             QStringLiteral("&ver=3.6&lt=2024-5-15 9:58:00&us=127.0.0.1&up=") +
                             QString::number(s->userPort());
        // The program joins a base ending in "/" and a path starting with one.
        return GetHttpText(s->baseUrl() + QStringLiteral("/soft/doing.asp"), body, 5);
    }
    // The notice answer read as the client reads it; nullopt when it is not one.
    static std::optional<QList<Record>> notices(const QString& answer) {
        if (!answer.contains(QStringLiteral("||"))) return std::nullopt;
        QStringList parts = answer.split(QStringLiteral("||"));
        if (!parts.last().isEmpty()) return std::nullopt;
        parts.removeLast();
        QList<Record> records;
        for (const QString& part : parts) {
            const QStringList f = part.split(u'|');
            if (f.size() < 4) return std::nullopt;
            bool idOk = false;
            bool kindOk = false;
            Record r{f[0].toLongLong(&idOk), f[1].toInt(&kindOk), DecodeText(f[3])};
            if (!idOk || !kindOk) return std::nullopt;
            records << r;
        }
        return records;
    }
    QString admin(const QString& query) {
        return get(s->baseUrl() + QStringLiteral("sim/notice") + query);
    }

    SimService* s = nullptr;
};

// Everyone gets the board: members, other users and a program nobody is logged in to.
TEST_F(KeepAlive, EveryUserGetsTheNoticeBoard) {
    const Session nobody{QStringLiteral("0"), QString(), QString(), QStringLiteral("M0")};
    const struct {
        const char* name;
        Session who;
    } cases[] = {
        {"member", login(QStringLiteral("vip"), QStringLiteral("vip888"), QStringLiteral("M1"))},
        {"non-member",
         login(QStringLiteral("user"), QStringLiteral("user888"), QStringLiteral("M2"))},
        {"logged out", nobody},
    };
    const std::vector<SimNotices::Notice>& board = s->notices().board();
    ASSERT_FALSE(board.empty());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString answer = hello(c.who);
        const auto records = notices(answer);
        ASSERT_TRUE(records) << answer.toStdString();
        ASSERT_EQ(records->size(), static_cast<qsizetype>(board.size()));
        for (qsizetype i = 0; i < records->size(); ++i) {
            const Record& r = records->at(i);
            const SimNotices::Notice& n = board[static_cast<size_t>(i)];
            EXPECT_EQ(r.id, n.id);
            EXPECT_EQ(r.kind, n.kind);
            EXPECT_EQ(r.text, n.text);
            EXPECT_FALSE(r.text.isEmpty());
            if (i > 0) {
                EXPECT_GT(r.id, records->at(i - 1).id) << "ids rise";
            }
        }
    }
    // The program's own request, exactly as it went out: the form encoding of every field and
    // the helper's trailing session field.
    const SimService::FormPost post = s->formPosts().last();
    EXPECT_EQ(post.path, QStringLiteral("/soft/doing.asp"));
    EXPECT_TRUE(post.body.startsWith(
        "v=2&do=stat&uid=0&username=&session=&mac=M0&ver=3.6&lt=2024-5-15%209:58:00"));
    EXPECT_TRUE(post.body.endsWith("&session=0"));
}

// A notice of every kind the client knows, and one it does not, queued from the test or from
// "/sim/notice": each arrives last on the board with a higher id and its text whole.
TEST_F(KeepAlive, NoticesOfEveryKindAreQueued) {
    const Session vip =
        login(QStringLiteral("vip"), QStringLiteral("vip888"), QStringLiteral("M1"));
    const struct {
        int kind;
        const char* text;
        bool viaAdmin;
    } cases[] = {
        {0, "1今晚公布非农数据", false},        {1, "1登录用户专享早评", true},
        {2, "1VIP会员：推送服务器维护", false}, {3, "1专用客户端通知", true},
        {4, "0定制客户端通知", false},          {5, "1节假日休市安排", true},
        {6, "1系统公告：数据源切换", false},    {9, "1未知类别", true},
    };
    qint64 lastId = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        const QString text = QString::fromUtf8(c.text);
        if (c.viaAdmin)
            EXPECT_TRUE(admin(QStringLiteral("?kind=%1&text=").arg(c.kind) +
                              QString::fromLatin1(QUrl::toPercentEncoding(text)))
                            .startsWith(QStringLiteral("lo 0\r\n")));
        else
            s->notices().add(c.kind, text, s->now());
        const auto records = notices(hello(vip));
        ASSERT_TRUE(records);
        const Record& newest = records->last();
        EXPECT_EQ(newest.kind, c.kind);
        EXPECT_EQ(newest.text, text);
        EXPECT_GT(newest.id, lastId);
        lastId = newest.id;
    }
    EXPECT_TRUE(admin(QString()).contains(QStringLiteral("%1 kind 9 ").arg(lastId)));

    // An empty board answers nothing the client takes; ids go on rising after it.
    EXPECT_TRUE(admin(QStringLiteral("?reset=1")).startsWith(QStringLiteral("lo 0\r\n")));
    EXPECT_EQ(hello(vip), QString());
    admin(QStringLiteral("?kind=0&text=1next"));
    const auto after = notices(hello(vip));
    ASSERT_TRUE(after);
    ASSERT_EQ(after->size(), 1);
    EXPECT_GT(after->first().id, lastId);

    for (const char* bad : {"?kind=x&text=1a", "?kind=1", "?lo=x", "?lo=-2"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(admin(QLatin1String(bad)).startsWith(QStringLiteral("lo ")));
    }
    EXPECT_EQ(notices(hello(vip))->size(), 1) << "a refused query changes nothing";
}

TEST_F(KeepAlive, BoardKeepsTheNewestTwenty) {
    s->notices().clear();
    for (int i = 1; i <= 25; ++i)
        s->notices().add(0, QStringLiteral("1第%1条").arg(i), s->now());
    const auto records = notices(hello(Session{QStringLiteral("0"), {}, {}, QStringLiteral("M0")}));
    ASSERT_TRUE(records);
    ASSERT_EQ(records->size(), 20);
    EXPECT_EQ(records->first().text, QStringLiteral("1第6条"));
    EXPECT_EQ(records->last().text, QStringLiteral("1第25条"));
}

// "LO" when the account logged in again from another machine; the shared demo account and a
// second login from the same machine push nobody out.
TEST_F(KeepAlive, LoggedInElsewhereAnswersLO) {
    const struct {
        const char* name;
        const char* firstAccount;
        const char* firstPassword;
        const char* secondAccount;
        const char* secondPassword;
        const char* secondMachine;
        bool firstHearsLO;
    } cases[] = {
        {"same account, another machine", "vip", "vip888", "vip", "vip888", "M2", true},
        {"same account, same machine", "vip", "vip888", "vip", "vip888", "M1", false},
        {"another account", "vip", "vip888", "user", "user888", "M2", false},
        {"demo account", "test", "quarmelo", "test", "quarmelo", "M2", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Session first = login(QLatin1String(c.firstAccount), QLatin1String(c.firstPassword),
                                    QStringLiteral("M1"));
        const Session second =
            login(QLatin1String(c.secondAccount), QLatin1String(c.secondPassword),
                  QLatin1String(c.secondMachine));
        const QString answer = hello(first);
        if (c.firstHearsLO) {
            EXPECT_EQ(answer, QStringLiteral("LO"));
            EXPECT_FALSE(s->accounts().hasSession(first.session));
        } else {
            EXPECT_TRUE(notices(answer)) << answer.toStdString();
            EXPECT_TRUE(s->accounts().hasSession(first.session));
        }
        EXPECT_TRUE(notices(hello(second))) << "the newer login is never pushed out";
    }
}

// "/sim/notice?lo=N" forces the answer for the next N keep-alives of anyone.
TEST_F(KeepAlive, ForcedLOAnswersTheNextKeepAlives) {
    const Session vip =
        login(QStringLiteral("vip"), QStringLiteral("vip888"), QStringLiteral("M1"));
    const Session nobody{QStringLiteral("0"), {}, {}, QStringLiteral("M0")};
    EXPECT_TRUE(admin(QStringLiteral("?lo=1")).startsWith(QStringLiteral("lo 1\r\n")));
    EXPECT_EQ(hello(nobody), QStringLiteral("LO"));
    EXPECT_TRUE(notices(hello(vip)));
    admin(QStringLiteral("?lo=-1"));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(hello(i % 2 ? vip : nobody), QStringLiteral("LO")) << i;
    admin(QStringLiteral("?lo=0"));
    EXPECT_TRUE(notices(hello(vip)));
    s->accounts().forceLoggedInElsewhere(2);
    EXPECT_EQ(hello(vip), QStringLiteral("LO"));
    EXPECT_EQ(hello(vip), QStringLiteral("LO"));
    EXPECT_TRUE(notices(hello(vip)));
}

// The keep-alive takes the fault rules of the other endpoints.
TEST_F(KeepAlive, FaultRulesReachTheKeepAlive) {
    const Session nobody{QStringLiteral("0"), {}, {}, QStringLiteral("M0")};
    EXPECT_TRUE(get(s->baseUrl() + QStringLiteral("sim/fault?endpoint=hello&mode=empty&times=1"))
                    .contains(QStringLiteral("* hello empty times=1")));
    EXPECT_EQ(hello(nobody), QString());
    EXPECT_TRUE(notices(hello(nobody)));
    s->setAnswer(QStringLiteral("/soft/doing.asp"), SimService::Endpoint::Hello,
                 QStringLiteral("LOX"), false, 1);
    EXPECT_EQ(hello(nobody), QStringLiteral("LOX"));
}

// The log-out ends the session only when it is the program's request to the letter: version 1,
// the numeric user id under "username", the machine that logged in and its session.
TEST_F(KeepAlive, LogOutEndsTheSessionForTheExactRequestOnly) {
    const struct {
        const char* name;
        std::function<QString(const Session&)> body;
        bool ends;
    } cases[] = {
        {"as the program sends it",
         [](const Session& w) {
             return QStringLiteral("v=1&do=softout&username=") + w.userId +
                    QStringLiteral("&mac=") + w.clientId + QStringLiteral("&session=") + w.session;
         },
         true},
        {"version 2",
         [](const Session& w) {
             return QStringLiteral("v=2&do=softout&username=") + w.userId +
                    QStringLiteral("&mac=") + w.clientId + QStringLiteral("&session=") + w.session;
         },
         false},
        {"account name for the user id",
         [](const Session& w) {
             return QStringLiteral("v=1&do=softout&username=") + w.name + QStringLiteral("&mac=") +
                    w.clientId + QStringLiteral("&session=") + w.session;
         },
         false},
        {"another machine",
         [](const Session& w) {
             return QStringLiteral("v=1&do=softout&username=") + w.userId +
                    QStringLiteral("&mac=M9&session=") + w.session;
         },
         false},
        {"no session",
         [](const Session& w) {
             return QStringLiteral("v=1&do=softout&username=") + w.userId +
                    QStringLiteral("&mac=") + w.clientId;
         },
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Session vip =
            login(QStringLiteral("vip"), QStringLiteral("vip888"), QStringLiteral("M1"));
        ASSERT_TRUE(s->accounts().hasSession(vip.session));
        // The program joins a base ending in "/" and a path starting with one.
        const QString answer =
            GetHttpText(s->baseUrl() + QStringLiteral("/user/login.asp"), c.body(vip), 5);
        EXPECT_EQ(answer, QStringLiteral("OK"));
        EXPECT_EQ(s->requestLog().last(), QStringLiteral("/user/login.asp"));
        EXPECT_EQ(s->formPosts().last().body,
                  UrlEncode(c.body(vip) + QStringLiteral("&session=0")).toLatin1());
        EXPECT_EQ(s->accounts().hasSession(vip.session), !c.ends);
        // A session that was logged out is over, not taken over: its keep-alive gets the board.
        EXPECT_TRUE(notices(hello(vip)));
    }
}

} // namespace
