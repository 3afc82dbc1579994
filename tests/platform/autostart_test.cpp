#include "platform/autostart.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {
class AutostartFolder : public ::testing::Test {
protected:
    void SetUp() override {
        m_old = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", m_dir.path().toUtf8());
    }
    void TearDown() override { qputenv("XDG_CONFIG_HOME", m_old); }
    QTemporaryDir m_dir;
    QByteArray m_old;
};
} // namespace

TEST_F(AutostartFolder, EntryStartsTheGivenProgramAndGoesAway) {
    const QString program = QStringLiteral("/opt/行情 软件/100%\"q\"/brelto");
    ASSERT_TRUE(platform::setAutostart(QStringLiteral("Quillor"), program, true));
    const QString path = platform::autostartEntryPath(QStringLiteral("Quillor"));
    EXPECT_EQ(path, QDir(m_dir.path()).filePath(QStringLiteral("autostart/Quillor.desktop")));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString entry = QString::fromUtf8(f.readAll());
    f.close();
    EXPECT_TRUE(entry.startsWith(QStringLiteral("[Desktop Entry]\n")));
    EXPECT_TRUE(entry.contains(QStringLiteral("\nType=Application\n")));
    EXPECT_TRUE(entry.contains(QStringLiteral("\nExec=\"/opt/行情 软件/100%%\\\\\"q\\\\\"/brelto\"\n")))
        << entry.toStdString();

    ASSERT_TRUE(platform::setAutostart(QStringLiteral("Quillor"), program, false));
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_TRUE(platform::setAutostart(QStringLiteral("Quillor"), program, false)); // already gone
}

// The entry is saved as the program's other files are: whole, and a save killed before its rename
// leaves a temporary file that the next save removes.
TEST_F(AutostartFolder, ASaveRemovesWhatAnInterruptedOneLeft) {
    const QString path = platform::autostartEntryPath(QStringLiteral("Quillor"));
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
    const QString leftover = path + QStringLiteral(".k3Zq9A");
    QFile left(leftover);
    ASSERT_TRUE(left.open(QIODevice::WriteOnly));
    left.write("[Desktop Entry]\nType=Appl");
    left.close();
    ASSERT_TRUE(platform::setAutostart(QStringLiteral("Quillor"), QStringLiteral("/bin/true"), true));
    EXPECT_FALSE(QFile::exists(leftover));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll().endsWith("\nTerminal=false\n"));
}

TEST_F(AutostartFolder, FailuresAreReported) {
    EXPECT_FALSE(platform::setAutostart(QStringLiteral("Quillor"), QString(), true));
    EXPECT_FALSE(platform::setAutostart(QStringLiteral("Quillor"), QStringLiteral("/a\nb"), true));
    // The autostart folder cannot be made where a file stands in its way.
    QFile blocker(QDir(m_dir.path()).filePath(QStringLiteral("autostart")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_FALSE(platform::setAutostart(QStringLiteral("Quillor"), QStringLiteral("/bin/true"), true));
}
