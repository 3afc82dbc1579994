#include "common/log.h"

#include "common/appinfo.h"
#include "platform/clock.h"
#include "platform/gbk.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

class LogFile : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        setProgramFolder(m_dir.path());
        platform::setPcClock(
            [] { return platform::naiveDateTime(QDate(2026, 12, 10), QTime(9, 5, 7)); });
    }
    void TearDown() override {
        setProgramFolder({});
        platform::setPcClock(nullptr);
    }
    QByteArray contents() const {
        QFile f(QDir(m_dir.path()).filePath(QStringLiteral("log.txt")));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QTemporaryDir m_dir;
};

TEST_F(LogFile, AppendsGbkLinesWithDateAndVersion) {
    WriteLog(QStringLiteral("连接2号服务器..."));
    WriteLog(QStringLiteral("Change Server to:http://data3.") + QLatin1String(kServiceDomain) +
             QStringLiteral("/get.shtml"));
    const QByteArray expected =
        platform::toGbk(QStringLiteral("2026-12-10 9:05:07 [3.6]连接2号服务器...\r\n"
                                       "2026-12-10 9:05:07 [3.6]Change Server to:http://data3/get.shtml\r\n"));
    EXPECT_EQ(contents(), expected);
}

TEST_F(LogFile, DomainIsRemovedInAnyCaseOnlyWithItsDot) {
    const QString upper = QString::fromLatin1(kServiceDomain).toUpper();
    const QDateTime when = platform::naiveDateTime(QDate(2026, 1, 2), QTime(0, 0, 1));
    EXPECT_EQ(logLine(when, QStringLiteral("host www.") + upper + QStringLiteral(" and ") +
                                QLatin1String(kServiceDomain)),
              QStringLiteral("2026-1-2 0:00:01 [3.6]host www and ") + QLatin1String(kServiceDomain));
}

TEST_F(LogFile, UnwritableFolderLosesTheLineQuietly) {
    setProgramFolder(QDir(m_dir.path()).filePath(QStringLiteral("missing/deeper")));
    WriteLog(QStringLiteral("lost"));
    EXPECT_FALSE(QFile::exists(QDir(m_dir.path()).filePath(QStringLiteral("missing/deeper/log.txt"))));
}

// Through a long outage the log would grow without end: past the limit it moves to one older file
// (replacing the one before) and a new log starts, lines keeping their form.
TEST_F(LogFile, PastTheLimitTheLogMovesToOneOlderFile) {
    const QString log = QDir(m_dir.path()).filePath(QStringLiteral("log.txt"));
    const QString older = QDir(m_dir.path()).filePath(QStringLiteral("log.old.txt"));
    const auto lines = [](qint64 size, char c) { return QByteArray(size - 2, c) + "\r\n"; };
    const QByteArray full = lines(kLogLimitBytes + 1, 'x');
    const auto fill = [&](const QString& path, const QByteArray& bytes) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    };

    fill(log, lines(kLogLimitBytes, 'a')); // at the limit: kept
    WriteLog(QStringLiteral("one"));
    EXPECT_FALSE(QFile::exists(older));
    EXPECT_TRUE(contents().endsWith(platform::toGbk(QStringLiteral("[3.6]one\r\n"))));

    fill(older, "the older log");
    fill(log, full);
    WriteLog(QStringLiteral("two"));
    EXPECT_EQ(contents(), platform::toGbk(QStringLiteral("2026-12-10 9:05:07 [3.6]two\r\n")));
    QFile moved(older);
    ASSERT_TRUE(moved.open(QIODevice::ReadOnly));
    EXPECT_EQ(moved.readAll(), full);

    // Lines written one by one also move the log once it passes the limit.
    fill(log, lines(kLogLimitBytes - 10, 'b'));
    WriteLog(QStringLiteral("past the limit"));
    EXPECT_GT(QFileInfo(log).size(), kLogLimitBytes);
    WriteLog(QStringLiteral("next"));
    EXPECT_EQ(contents(), platform::toGbk(QStringLiteral("2026-12-10 9:05:07 [3.6]next\r\n")));
    EXPECT_EQ(QFileInfo(older).size(), kLogLimitBytes - 10 + logLine(platform::pcNow(), QStringLiteral("past the limit")).size() + 2);
}

// A line a crash cut short is taken out before the next line, so the log holds whole lines only.
TEST_F(LogFile, ALineCutByACrashIsTakenOutBeforeTheNext) {
    const QString log = QDir(m_dir.path()).filePath(QStringLiteral("log.txt"));
    const QByteArray whole = platform::toGbk(QStringLiteral("2026-12-10 9:05:07 [3.6]连接2号服务器...\r\n"));
    struct Case {
        const char* name;
        QByteArray before;
        QByteArray kept;
    };
    const Case cases[] = {
        {"cut after whole lines", whole + whole + "2026-12-10 9:0", whole + whole},
        {"cut first line", QByteArray("2026-12-10 9:05:07 [3.6]"), QByteArray()},
        {"cut beyond one read", whole + QByteArray(10000, 'x'), whole},
        {"whole lines", whole, whole},
    };
    for (const Case& c : cases) {
        {
            QFile f(log);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(c.before);
        }
        WriteLog(QStringLiteral("next"));
        EXPECT_EQ(contents(), c.kept + platform::toGbk(QStringLiteral("2026-12-10 9:05:07 [3.6]next\r\n"))) << c.name;
    }
}
