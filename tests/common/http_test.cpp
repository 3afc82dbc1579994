#include "common/http.h"

#include "platform/gbk.h"
#include "tests/support/fakehttpserver.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

QList<QByteArray> headerNames(const QByteArray& head) {
    QList<QByteArray> names;
    const QList<QByteArray> lines = head.split('\n');
    for (qsizetype i = 1; i < lines.size(); ++i)
        names << lines[i].left(lines[i].indexOf(':')).trimmed();
    return names;
}

} // namespace

TEST(GetHttpText, GetSendsNoBodyAndNoContentType) {
    FakeServer server;
    server.body = "pong";
    EXPECT_EQ(GetHttpText(server.url(QStringLiteral("/a?ver=3.6&m=now-price"))), QStringLiteral("pong"));
    EXPECT_TRUE(server.request.startsWith("GET /a?ver=3.6&m=now-price HTTP/1.1\r\n"));
    EXPECT_FALSE(headerNames(server.head()).contains("Content-Type"));
    EXPECT_TRUE(server.requestBody().isEmpty());
}

TEST(GetHttpText, TheAddressIsSentAsGiven) {
    FakeServer server;
    server.body = "ok";
    struct Case {
        const char16_t* target;
        QByteArray requestLine;
    };
    const Case cases[] = {
        {u"/a?ver=3.6&m=P-tdhj&rnd=0.7055475", "GET /a?ver=3.6&m=P-tdhj&rnd=0.7055475 HTTP/1.1"},
        {u"/a?m=P-gh|P-ying&x={1}^`[2]", "GET /a?m=P-gh|P-ying&x={1}^`[2] HTTP/1.1"},
        // Characters beyond ASCII go as their bytes in the wire's code page, not as UTF-8.
        {u"/news.asp?k=黄金&u=中", "GET /news.asp?k=\xBB\xC6\xBD\xF0&u=\xD6\xD0 HTTP/1.1"},
        // Escapes the caller made stay as made, an escaped letter too.
        {u"/a?p=x%2By%26z%3D1&n=%D6%D0&l=%41", "GET /a?p=x%2By%26z%3D1&n=%D6%D0&l=%41 HTTP/1.1"},
        {u"/cons/config.txt?v=3.6&m=ab:cd,ef;gh", "GET /cons/config.txt?v=3.6&m=ab:cd,ef;gh HTTP/1.1"},
        {u"/x/../y/./z", "GET /x/../y/./z HTTP/1.1"},
        // Only what a request line cannot hold is escaped; a fragment is not sent.
        {u"/a b?q= 1", "GET /a%20b?q=%201 HTTP/1.1"},
        {u"/page#part", "GET /page HTTP/1.1"},
        {u"?x=1", "GET /?x=1 HTTP/1.1"},
        {u"", "GET / HTTP/1.1"},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(GetHttpText(server.url(QString::fromUtf16(c.target))), QStringLiteral("ok")) << c.requestLine.constData();
        EXPECT_EQ(server.request.left(server.request.indexOf("\r\n")), c.requestLine);
        EXPECT_TRUE(server.head().contains("\r\nHost: " + server.hostPort().toLatin1() + "\r\n"));
    }
}

namespace {

// A loopback peer that answers every connection with the given bytes and closes; `answers` are
// used in turn, the last one again and again.
class ScriptedServer : public QObject {
public:
    QList<QByteArray> answers;
    QList<QByteArray> requests; // request lines, in order

    ScriptedServer() {
        m_server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* s = m_server.nextPendingConnection()) {
                s->setParent(this);
                QObject::connect(s, &QTcpSocket::readyRead, this, [this, s] {
                    const QByteArray got = s->readAll();
                    if (!got.contains("\r\n\r\n"))
                        return;
                    requests << got.left(got.indexOf("\r\n"));
                    s->write(answers.value(requests.size() - 1, answers.last()));
                    s->disconnectFromHost();
                });
            }
        });
    }
    [[nodiscard]] QString url(const QString& path) const {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path);
    }

private:
    QTcpServer m_server;
};

} // namespace

TEST(GetHttpText, AnswerShapes) {
    struct Case {
        const char* what;
        QByteArray answer;
        QString body;
    };
    const Case cases[] = {
        {"by length", "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello and more", QStringLiteral("hello")},
        {"chunked", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n4\r\nwiki\r\n6;x=1\r\npedia \r\n0\r\n\r\n",
         QStringLiteral("wikipedia ")},
        {"up to the close", "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\nall of it", QStringLiteral("all of it")},
        {"an error status keeps its body", "HTTP/1.1 500 Internal Server Error\r\nContent-Length: 4\r\n\r\noops",
         QStringLiteral("oops")},
        {"cut short", "HTTP/1.1 200 OK\r\nContent-Length: 50\r\n\r\nhalf", QString()},
        {"a chunk size at the limit", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n7fffffffffffffff\r\nab\r\n",
         QString()},
        {"no head", "HTTP/1.1 200 OK\r\nContent-Len", QString()},
        {"not HTTP", "hello there\r\n\r\n", QString()},
    };
    for (const Case& c : cases) {
        ScriptedServer server;
        server.answers = {c.answer};
        EXPECT_EQ(GetHttpText(server.url(QStringLiteral("/q")), {}, 3), c.body) << c.what;
    }
}

TEST(GetHttpText, MovedAddressesAreFollowed) {
    FakeServer target;
    target.body = "moved here";
    ScriptedServer server;
    server.answers = {"HTTP/1.1 302 Found\r\nLocation: /second?a=|\r\nContent-Length: 0\r\n\r\n",
                      "HTTP/1.1 301 Moved\r\nLocation: " + target.url(QStringLiteral("/third")).toLatin1() +
                          "\r\nContent-Length: 0\r\n\r\n"};
    EXPECT_EQ(GetHttpText(server.url(QStringLiteral("/first"))), QStringLiteral("moved here"));
    EXPECT_EQ(server.requests, (QList<QByteArray>{"GET /first HTTP/1.1", "GET /second?a=| HTTP/1.1"}));
    EXPECT_TRUE(target.request.startsWith("GET /third HTTP/1.1\r\n"));

    // A round of moves ends; the last answer is what there is.
    ScriptedServer loop;
    loop.answers = {"HTTP/1.1 302 Found\r\nLocation: /again\r\nContent-Length: 4\r\n\r\nloop"};
    EXPECT_EQ(GetHttpText(loop.url(QStringLiteral("/again"))), QStringLiteral("loop"));
    EXPECT_EQ(loop.requests.size(), 6);
}

TEST(GetHttpText, OptionalHeadersComeInTheirOrder) {
    FakeServer server;
    server.body = "ok";
    ASSERT_EQ(GetHttpText(server.url(), QStringLiteral("a=1"), 0, QStringLiteral("GB2312"),
                          QStringLiteral("sid=7"), true),
              QStringLiteral("ok"));
    const QList<QByteArray> names = headerNames(server.head());
    const qsizetype ct = names.indexOf("Content-Type");
    const qsizetype cc = names.indexOf("Cache-Control");
    const qsizetype pragma = names.indexOf("Pragma");
    const qsizetype cookie = names.indexOf("Cookie");
    ASSERT_GE(ct, 0);
    EXPECT_LT(ct, cc);
    EXPECT_LT(cc, pragma);
    EXPECT_LT(pragma, cookie);
    EXPECT_TRUE(server.head().contains("Content-Type: application/x-www-form-urlencoded\r\n"));
    EXPECT_TRUE(server.head().contains("Cache-Control: no-cache\r\n"));
    EXPECT_TRUE(server.head().contains("Pragma: no-cache\r\n"));
    EXPECT_TRUE(server.head().endsWith("Cookie: sid=7") || server.head().contains("Cookie: sid=7\r\n"));

    // Without the switches none of them is sent.
    ASSERT_EQ(GetHttpText(server.url()), QStringLiteral("ok"));
    for (const char* name : {"Cache-Control", "Pragma", "Cookie", "Content-Type"})
        EXPECT_FALSE(headerNames(server.head()).contains(name)) << name << "\n" << server.head().constData();
}

TEST(GetHttpText, PostBodyIsTheServiceFormEncoding) {
    FakeServer server;
    server.body = "OK";
    const QString post = QStringLiteral("do=softin&u=中 a+b&p=x%y&session=1");
    ASSERT_EQ(GetHttpText(server.url(QStringLiteral("/soft/doing.asp")), post), QStringLiteral("OK"));
    EXPECT_TRUE(server.request.startsWith("POST /soft/doing.asp HTTP/1.1\r\n"));
    EXPECT_EQ(server.requestBody(), QByteArray("do=softin&u=%D6%D0%20a%2Bb&p=x%y&session=1&session=0"));
}

TEST(GetHttpText, AnswersAreReadInTheCharset) {
    FakeServer server;
    server.body = platform::toGbk(QStringLiteral("人民币账户黄金"));
    EXPECT_EQ(GetHttpText(server.url()), QStringLiteral("人民币账户黄金"));
    server.body = QStringLiteral("ü").toUtf8();
    EXPECT_EQ(GetHttpText(server.url(), {}, 0, QStringLiteral("utf-8")), QStringLiteral("ü"));
    EXPECT_EQ(GetHttpText(server.url(), {}, 0, QStringLiteral("no-such-charset")), QString());
}

TEST(GetHttpText, ErrorStatusBodyIsReturned) {
    FakeServer server;
    server.status = "404 Not Found";
    server.body = "<html><body>Not Found</body></html>";
    EXPECT_EQ(GetHttpText(server.url()), QStringLiteral("<html><body>Not Found</body></html>"));
}

TEST(GetHttpText, FailuresGiveEmptyText) {
    FakeServer server;
    server.mode = FakeServer::Mode::Close;
    EXPECT_EQ(GetHttpText(server.url()), QString());

    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost, 0));
    const quint16 port = closed.serverPort();
    closed.close();
    EXPECT_EQ(GetHttpText(QStringLiteral("http://127.0.0.1:%1/").arg(port)), QString());
    EXPECT_EQ(GetHttpText(QStringLiteral("not a url")), QString());
}

TEST(GetHttpText, SilentServerTimesOutWithinTheLastSecond) {
    FakeServer server;
    server.mode = FakeServer::Mode::Silent;
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(GetHttpText(server.url(), {}, 2), QString());
    const qint64 ms = clock.elapsed();
    EXPECT_GE(ms, 950);
    EXPECT_LE(ms, 2500);
}

TEST(GetHttpText, TimersKeepRunningWhileARequestWaits) {
    FakeServer server;
    server.body = "late";
    server.delayMs = 600;
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(50);
    EXPECT_EQ(GetHttpText(server.url()), QStringLiteral("late"));
    EXPECT_GE(ticks, 5);
}

TEST(GetHttpText, RequestsNestInsideAWait) {
    FakeServer outer;
    outer.body = "outer";
    outer.delayMs = 400;
    FakeServer inner;
    inner.body = "inner";
    QString nested;
    QTimer::singleShot(50, [&] { nested = GetHttpText(inner.url()); });
    EXPECT_EQ(GetHttpText(outer.url()), QStringLiteral("outer"));
    EXPECT_EQ(nested, QStringLiteral("inner"));
}

TEST(DownFile, WritesOnlyACompleteSuccessfulAnswer) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("newfile"));
    FakeServer server;

    QFile old(file);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old contents that are longer");
    old.close();

    server.body = QByteArray("\x7F" "ELF\x00\x01", 6);
    EXPECT_TRUE(DownFile(server.url(), file));
    QFile got(file);
    ASSERT_TRUE(got.open(QIODevice::ReadOnly));
    EXPECT_EQ(got.readAll(), server.body);
    got.close();

    struct Refusal {
        QByteArray status;
        QByteArray body;
        FakeServer::Mode mode;
    };
    const Refusal refusals[] = {
        {"404 Not Found", "<html>missing</html>", FakeServer::Mode::Answer},
        {"500 Internal Server Error", "oops", FakeServer::Mode::Answer},
        {"200 OK", "", FakeServer::Mode::Answer},
        {"200 OK", "x", FakeServer::Mode::Close},
    };
    for (const Refusal& r : refusals) {
        server.status = r.status;
        server.body = r.body;
        server.mode = r.mode;
        EXPECT_FALSE(DownFile(server.url(), file)) << r.status.constData();
        ASSERT_TRUE(got.open(QIODevice::ReadOnly));
        EXPECT_EQ(got.readAll(), QByteArray("\x7F" "ELF\x00\x01", 6)) << r.status.constData();
        got.close();
        const QString fresh = dir.filePath(QStringLiteral("otemp"));
        EXPECT_FALSE(DownFile(server.url(), fresh));
        EXPECT_FALSE(QFile::exists(fresh)) << r.status.constData();
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("newfile")});
}

TEST(UrlEncode, KeepsSingleBytesAndEscapesDoubleBytes) {
    struct Case {
        const char16_t* text;
        const char* encoded;
    };
    const Case cases[] = {
        {u"中", "%D6%D0"},
        {u"a b", "a%20b"},
        {u"a+b", "a%2Bb"},
        {u"k=v&x=%?", "k=v&x=%?"},
        {u"啊", "%B0%A1"},
        {u"€", "€"},
        {u"한", "?"},
        {u"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(UrlEncode(QString::fromUtf16(c.text)), QString::fromUtf8(c.encoded)) << c.encoded;
}

TEST(BytesToText, NamedCharsets) {
    const QByteArray gbk = platform::toGbk(QStringLiteral("黄金"));
    EXPECT_EQ(BytesToText(gbk, QStringLiteral("GB2312")), QStringLiteral("黄金"));
    EXPECT_EQ(BytesToText(gbk, QStringLiteral("gbk")), QStringLiteral("黄金"));
    EXPECT_EQ(BytesToText(QByteArray("abc"), QStringLiteral("UTF-8")), QStringLiteral("abc"));
    EXPECT_EQ(BytesToText(gbk, QStringLiteral("bogus-charset")), QString());
}

TEST(GetHttpText, RepeatedRequestsAlwaysReachTheServer) {
    FakeServer server;
    server.body = "one";
    ASSERT_EQ(GetHttpText(server.url()), QStringLiteral("one"));
    server.body = "two";
    EXPECT_EQ(GetHttpText(server.url()), QStringLiteral("two"));
    ClearUrlCache(QStringLiteral("C:\\brelto\\yzm.gif")); // a local path is left alone
    server.body = "three";
    EXPECT_EQ(GetHttpText(server.url()), QStringLiteral("three"));
}
