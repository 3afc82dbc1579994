// The keep-alive: its request, the "LO" answer and the walk through the service's notices.
#include "shell/hello.h"

#include "common/appinfo.h"
#include "common/textcodec.h"
#include "platform/vbtext.h"
#include "state/configstate.h"
#include "state/session.h"
#include "state/usersettings.h"
#include "tests/support/fakehttpserver.h"
#include "tests/support/qtprint.h"

#include <QUrl>

#include <gtest/gtest.h>

namespace {

QString record(int id, int kind, const QString& text) {
    return QString::number(id) + u'|' + QString::number(kind) + QStringLiteral("|x|") + EncodeText(text);
}
// The service's list: records joined and ended by "||".
QString list(const QStringList& records) { return records.join(QStringLiteral("||")) + QStringLiteral("||"); }

} // namespace

TEST(Hello, RequestBodyInItsOrder) {
    SiteUrl = QStringLiteral("http://svc/");
    UserId = 501;
    UserName = QStringLiteral("张三");
    SessionId = QStringLiteral("s-1");
    ClientId = QStringLiteral("cid");
    UserServerHost = QStringLiteral("127.0.0.1");
    UserServerPort = 18632;
    EXPECT_EQ(helloRequestUrl(), QStringLiteral("http://svc//soft/doing.asp"));
    EXPECT_EQ(helloRequestBody(QStringLiteral("9:05:01")),
              QStringLiteral("v=2&do=stat&uid=501&username=张三&session=s-1&mac=cid&ver=") +
                  platform::singleText(AppVer) + QStringLiteral("&lt=9:05:01&us=127.0.0.1&up=18632"));
    SiteUrl.clear();
    UserId = 0;
    UserName.clear();
    SessionId.clear();
    ClientId.clear();
    UserServerHost.clear();
    UserServerPort = 0;
}

TEST(Hello, NoticeKindsAndTheirReaders) {
    const NoticeReader guest{false, false, 0};
    const NoticeReader user{true, false, 0};
    const NoticeReader member{true, true, 0};
    const NoticeReader type2{true, true, 2};
    struct Case {
        int kind;
        bool guest, user, member, type2;
    };
    const Case cases[] = {
        {0, true, true, true, true},     {1, false, true, true, true},   {2, false, false, true, true},
        {3, false, false, false, true},  {4, false, false, false, true}, {5, true, true, true, true},
        {6, true, true, true, true},     {7, false, false, false, false}, {-1, false, false, false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(noticeIsFor(c.kind, guest), c.guest) << "kind " << c.kind;
        EXPECT_EQ(noticeIsFor(c.kind, user), c.user) << "kind " << c.kind;
        EXPECT_EQ(noticeIsFor(c.kind, member), c.member) << "kind " << c.kind;
        EXPECT_EQ(noticeIsFor(c.kind, type2), c.type2) << "kind " << c.kind;
    }
}

TEST(Hello, AnswersAndTheNoticeWalk) {
    const NoticeReader user{true, false, 0};
    const NoticeReader member{true, true, 0};
    struct Case {
        const char* what;
        QString answer;
        int32_t lastBefore;
        NoticeReader reader;
        bool loggedElsewhere;
        int32_t takenId; // 0: none
        const char16_t* mark;
        const char16_t* text;
        int32_t lastAfter;
    };
    const Case cases[] = {
        {"exactly LO", QStringLiteral("LO"), 3, user, true, 0, nullptr, nullptr, 3},
        {"LO and more is no log-out", QStringLiteral("LOx"), 3, user, false, 0, nullptr, nullptr, 3},
        {"LO as a record id", list({QStringLiteral("LO|0|x|") + EncodeText(QStringLiteral("1a"))}), 3, user,
         false, 0, nullptr, nullptr, 3},
        {"empty", QString(), 3, user, false, 0, nullptr, nullptr, 3},
        {"no list marker", QStringLiteral("5|0|x|y"), 3, user, false, 0, nullptr, nullptr, 3},
        {"first contact takes only the newest",
         list({record(5, 0, QStringLiteral("A五")), record(6, 0, QStringLiteral("B六")),
               record(7, 0, QStringLiteral("C七号"))}),
         0, user, false, 7, u"C", u"七号", 7},
        {"a single record for this user", list({record(9, 1, QStringLiteral("!欢迎"))}), 4, user, false, 9,
         u"!", u"欢迎", 9},
        {"a single record of kind 3 still moves the id", list({record(9, 3, QStringLiteral("x"))}), 4, user,
         false, 0, nullptr, nullptr, 9},
        {"a single record already seen", list({record(9, 0, QStringLiteral("x"))}), 9, user, false, 0, nullptr,
         nullptr, 9},
        {"single record at first contact", list({record(12, 0, QStringLiteral("1新"))}), 0, user, false, 12,
         u"1", u"新", 12},
        {"the walk takes the first new one for this user",
         list({record(5, 0, QStringLiteral("a")), record(6, 0, QStringLiteral("b旧")),
               record(7, 0, QStringLiteral("c新"))}),
         5, user, false, 6, u"b", u"旧", 6},
        {"the walk passes a record meant for members",
         list({record(5, 0, QStringLiteral("a")), record(6, 2, QStringLiteral("m会员")),
               record(7, 1, QStringLiteral("u用户"))}),
         5, user, false, 7, u"u", u"用户", 7},
        {"a member takes the members' one", 
         list({record(5, 0, QStringLiteral("a")), record(6, 2, QStringLiteral("m会员")),
               record(7, 1, QStringLiteral("u用户"))}),
         5, member, false, 6, u"m", u"会员", 6},
        {"only foreign records: passed, none taken",
         list({record(8, 3, QStringLiteral("a")), record(9, 4, QStringLiteral("b"))}), 7, user, false, 0,
         nullptr, nullptr, 9},
        {"a broken record is passed over",
         list({QStringLiteral("8|0"), record(9, 0, QStringLiteral("z好"))}), 7, user, false, 9, u"z", u"好", 9},
        {"all seen", list({record(5, 0, QStringLiteral("a")), record(6, 0, QStringLiteral("b"))}), 6, user,
         false, 0, nullptr, nullptr, 6},
        {"first contact with a broken newest record changes nothing",
         list({record(5, 0, QStringLiteral("a")), QStringLiteral("x|y")}), 0, user, false, 0, nullptr, nullptr,
         0},
    };
    for (const Case& c : cases) {
        int32_t last = c.lastBefore;
        const HelloAnswer a = readHelloAnswer(c.answer, last, c.reader);
        EXPECT_EQ(a.loggedElsewhere, c.loggedElsewhere) << c.what;
        EXPECT_EQ(last, c.lastAfter) << c.what;
        ASSERT_EQ(a.notice.has_value(), c.takenId != 0) << c.what;
        if (a.notice) {
            EXPECT_EQ(a.notice->id, c.takenId) << c.what;
            EXPECT_EQ(a.notice->mark, QString::fromUtf16(c.mark)) << c.what;
            EXPECT_EQ(a.notice->text, QString::fromUtf16(c.text)) << c.what;
        }
    }
}

TEST(Hello, AForeignRecordNeverBlocksTheNextKeepAlive) {
    const NoticeReader user{true, false, 0};
    int32_t last = 5;
    const QString first = list({record(6, 2, QStringLiteral("m1")), record(7, 7, QStringLiteral("n2"))});
    EXPECT_FALSE(readHelloAnswer(first, last, user).notice);
    // A later list adds a notice for everyone: it is taken, not stopped by record 6 again.
    const QString later = list({record(6, 2, QStringLiteral("m1")), record(7, 7, QStringLiteral("n2")),
                                record(8, 0, QStringLiteral("!公告"))});
    const auto taken = readHelloAnswer(later, last, user).notice;
    ASSERT_TRUE(taken);
    EXPECT_EQ(taken->id, 8);
    EXPECT_EQ(last, 8);
}

TEST(Hello, SendsTheRequestAndActsOnTheAnswer) {
    struct Case {
        const char* what;
        QByteArray answer;
        int loggedElsewhere;
        const char16_t* notice;
    };
    const Case cases[] = {
        {"LO", "LO", 1, nullptr},
        {"a notice", list({record(3, 0, QStringLiteral("!维护通知"))}).toLatin1(), 0, u"维护通知"},
        {"garbage", "<html>error</html>", 0, nullptr},
    };
    for (const Case& c : cases) {
        FakeServer server;
        server.body = c.answer;
        SiteUrl = server.url(QStringLiteral("/"));
        UserId = 12;
        LastNoticeId = 0;
        int elsewhere = 0;
        QStringList notices;
        Hello(QStringLiteral("8:00:00"), {[&] { ++elsewhere; }, [&](const Notice& n) { notices << n.text; }});
        EXPECT_EQ(server.requests, 1) << c.what;
        EXPECT_TRUE(server.head().startsWith("POST ")) << c.what;
        EXPECT_TRUE(server.head().contains("/soft/doing.asp")) << c.what;
        EXPECT_TRUE(QUrl::fromPercentEncoding(server.requestBody()).startsWith(QStringLiteral("v=2&do=stat&uid=12&")))
            << c.what << ": " << server.requestBody().constData();
        EXPECT_EQ(elsewhere, c.loggedElsewhere) << c.what;
        EXPECT_EQ(notices, c.notice ? QStringList{QString::fromUtf16(c.notice)} : QStringList()) << c.what;
    }
    SiteUrl.clear();
    UserId = 0;
    LastNoticeId = 0;
}

TEST(Hello, AnUnreachableServiceChangesNothing) {
    int port = 0;
    {
        FakeServer gone; // a port that was just free and is closed again
        port = QUrl(gone.url()).port();
    }
    SiteUrl = QStringLiteral("http://127.0.0.1:%1/").arg(port);
    LastNoticeId = 44;
    int calls = 0;
    Hello({}, {[&] { ++calls; }, [&](const Notice&) { ++calls; }});
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(LastNoticeId, 44);
    SiteUrl.clear();
    LastNoticeId = 0;
}
