#include "common/log.h"

#include "common/appinfo.h"
#include "platform/clock.h"
#include "platform/gbk.h"

#include <QDir>
#include <QFile>
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
