// The HTTP helper when the program ends: the last window closes while a request waits.
#include "common/http.h"

#include "platform/eventwait.h"
#include "platform/forms.h"
#include "tests/support/fakehttpserver.h"
#include "tests/support/streamingserver.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

TEST(HttpAtTheEnd, AWaitingRequestEndsAndNoNewOneIsSent) {
    FakeServer server;
    server.mode = FakeServer::Mode::Silent;
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = QDir(dir.path()).filePath(QStringLiteral("newfile"));

    auto* last = new platform::Form;
    qint64 waited = -1;
    QString answer = QStringLiteral("unset");
    QString later = QStringLiteral("unset");
    bool downloaded = true;
    int requestsAtTheEnd = -1;
    QTimer::singleShot(0, [&] {
        QTimer::singleShot(100, last, [last] { last->unload(); });
        QElapsedTimer clock;
        clock.start();
        answer = GetHttpText(server.url(QStringLiteral("/cons/config.txt")));
        waited = clock.elapsed();
        requestsAtTheEnd = server.requests;
        later = GetHttpText(server.url(QStringLiteral("/again")));
        downloaded = DownFile(server.url(QStringLiteral("/dl")), file);
    });
    // A safety net only: the end must come from the unload, long before this.
    QTimer safety;
    safety.setSingleShot(true);
    QObject::connect(&safety, &QTimer::timeout, [] { QCoreApplication::exit(7); });
    safety.start(15000);

    EXPECT_EQ(platform::runMainLoop(), 0);
    EXPECT_EQ(answer, QString());
    EXPECT_GE(waited, 50);
    // The request's own time-out is twenty seconds: half of it is room for any busy machine.
    EXPECT_LT(waited, 10000) << "the request waited on after the program ended";
    EXPECT_EQ(requestsAtTheEnd, 1);
    EXPECT_EQ(later, QString());
    EXPECT_FALSE(downloaded);
    EXPECT_FALSE(QFile::exists(file));
    // Events still queued are handled now, so a request sent after the end would arrive here.
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(server.requests, 1) << "a request went out after the end";
}

TEST(HttpAtTheEnd, ADownloadUnderWayStopsAndLeavesNothing) {
    constexpr qint64 kBody = 1024LL * 1024 * 1024;
    StreamingServer server({"200 OK", kBody, StreamingServer::Framing::UpToClose});
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = QDir(dir.path()).filePath(QStringLiteral("newfile"));

    auto* last = new platform::Form;
    bool downloaded = true;
    qint64 sentAtTheEnd = -1;
    QTimer::singleShot(0, [&] {
        // The window closes once the body is flowing, long before all of it can have come.
        QTimer::singleShot(100, last, [last] { last->unload(); });
        downloaded = DownFile(server.url(), file);
        sentAtTheEnd = server.bytesSent();
    });
    QTimer safety;
    safety.setSingleShot(true);
    QObject::connect(&safety, &QTimer::timeout, [] { QCoreApplication::exit(7); });
    safety.start(60000);

    EXPECT_EQ(platform::runMainLoop(), 0);
    EXPECT_FALSE(downloaded);
    EXPECT_GT(sentAtTheEnd, 0);
    EXPECT_LT(sentAtTheEnd, kBody) << "the download ran to its end after the program ended";
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
}
