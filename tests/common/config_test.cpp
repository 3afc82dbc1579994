#include "common/config.h"

#include "common/appinfo.h"
#include "common/textcodec.h"
#include "platform/clock.h"
#include "platform/gbk.h"
#include "tests/support/fakehttpserver.h"
#include "tests/support/programfolder.h"

namespace {

QString configText(const QString& entries) {
    return QStringLiteral("[BRELTO]\r\n") + entries + QStringLiteral("[/BRELTO]\r\n");
}

// The encoded form with line breaks in it, as the service sends it.
QByteArray served(const QString& text) {
    QString enc = EncodeText(text);
    for (qsizetype i = 60; i < enc.size(); i += 62)
        enc.insert(i, QStringLiteral("\r\n"));
    return platform::toGbk(enc);
}

class ConfigHosts : public ProgramFolderTest {
protected:
    void SetUp() override {
        ProgramFolderTest::SetUp();
        platform::setPcClock([] { return platform::naiveDateTime(QDate(2026, 12, 10), QTime(8, 0)); });
        setConfigurationHosts({hosts[0].hostPort(), hosts[1].hostPort(), hosts[2].hostPort()});
        ServerConfig.clear();
    }
    void TearDown() override {
        setConfigurationHosts({});
        platform::setPcClock(nullptr);
        ServerConfig.clear();
        ProgramFolderTest::TearDown();
    }
    QStringList logLines() const {
        QStringList lines;
        for (const QString& l : platform::fromGbk(read(QStringLiteral("log.txt"))).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts))
            lines << l.mid(l.indexOf(u']') + 1);
        return lines;
    }
    FakeServer hosts[3];
};

} // namespace

TEST(ConValue, LookupRules) {
    struct Case {
        const char16_t* text;
        const char* key;
        const char16_t* value;
    };
    const Case cases[] = {
        {u"x\r\nnew=4.0\r\nnew3.6=3.9\r\n", "new", u"3.9"},
        {u"x\r\nnew=4.0\r\n", "new", u"4.0"},
        {u"x\r\nNEW3.6=3.8\r\n", "new", u"3.8"},         // the versioned key in any case
        {u"x\r\nNEW=4.0\r\n", "new", u""},               // the plain key only as written
        {u"x\r\nuserserver=h\r\nuser=a:1\r\n", "user", u"a:1"},
        {u"x\r\nuserserver=h\r\n", "user", u""},
        {u"new=4.0\r\nx=1\r\n", "new", u""},             // the very first line is never found
        {u"x\r\nnew=4.0", "new", u""},                   // no line break after the value
        {u"x\r\nurl=http://a/b?c=d|e f\r\n", "url", u"http://a/b?c=d|e f"},
        {u"x\r\nempty=\r\n", "empty", u""},
        {u"", "new", u""},
    };
    for (const Case& c : cases) {
        ServerConfig = QString::fromUtf16(c.text);
        EXPECT_EQ(ConValue(QString::fromLatin1(c.key)), QString::fromUtf16(c.value))
            << QString::fromUtf16(c.text).toStdString();
    }
    ServerConfig.clear();
}

TEST_F(ConfigHosts, FirstHostThatAnswersWins) {
    hosts[0].body = served(configText(QStringLiteral("server=http://a/do.asp|\r\n")));
    EXPECT_TRUE(Loadserver());
    EXPECT_EQ(ConValue(QStringLiteral("server")), QStringLiteral("http://a/do.asp|"));
    EXPECT_EQ(hosts[1].requests, 0);
    EXPECT_TRUE(logLines().isEmpty());
    EXPECT_TRUE(hosts[0].request.startsWith("GET /cons/config.txt?v=3.6&m= HTTP/1.1"))
        << hosts[0].request.constData();
}

TEST_F(ConfigHosts, UnusableAnswersMoveOnToTheNextHost) {
    struct Case {
        const char* name;
        QByteArray first;
    };
    const Case cases[] = {
        {"empty", QByteArray()},
        {"garbage", QByteArray("<html>502 Bad Gateway</html>")},
        {"no end marker", served(QStringLiteral("[BRELTO]\r\nserver=x|\r\n"))},
    };
    for (const Case& c : cases) {
        QFile::remove(file(QStringLiteral("log.txt")));
        hosts[0].body = c.first;
        hosts[1].body = served(configText(QStringLiteral("mainurl=http://second/\r\n")));
        EXPECT_TRUE(Loadserver()) << c.name;
        EXPECT_EQ(ConValue(QStringLiteral("mainurl")), QStringLiteral("http://second/")) << c.name;
        EXPECT_EQ(logLines(), QStringList{QStringLiteral("连接2号服务器...")}) << c.name;
    }
}

TEST_F(ConfigHosts, MirrorHasItsOwnPathAndAllFailingIsLogged) {
    hosts[2].body = served(configText(QStringLiteral("k=v\r\n")));
    EXPECT_TRUE(Loadserver());
    EXPECT_TRUE(hosts[2].request.startsWith("GET /brelto/cons/config.txt?v=3.6&m= HTTP/1.1"));
    EXPECT_EQ(logLines(), (QStringList{QStringLiteral("连接2号服务器..."), QStringLiteral("连接3号服务器...")}));

    QFile::remove(file(QStringLiteral("log.txt")));
    hosts[2].status = "404 Not Found";
    hosts[2].body = "<html>Not Found</html>";
    EXPECT_FALSE(Loadserver());
    EXPECT_EQ(logLines(), (QStringList{QStringLiteral("连接2号服务器..."), QStringLiteral("连接3号服务器..."),
                                       QStringLiteral("错误：初始化连接全部失败."),
                                       QStringLiteral("0: Loadserver.")}));
}
