#include "common/update.h"

#include "common/config.h"
#include "common/shellhelpers.h"
#include "platform/process.h"
#include "platform/shell.h"
#include "state/configstate.h"
#include "tests/support/fakehttpserver.h"
#include "tests/support/programfolder.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace {

struct Started {
    QString program;
    QString workDir;
};

class Update : public ProgramFolderTest {
protected:
    void SetUp() override {
        ProgramFolderTest::SetUp();
        write(QStringLiteral("brelto"), "the running program");
        ServerConfig = QStringLiteral("[BRELTO]\r\ndl=") + server.url(QStringLiteral("/dl/brelto.bin")) +
                       QStringLiteral("\r\n[/BRELTO]\r\n");
        platform::setProgramEnder([this](int) { ++ended; });
        platform::setProcessStarter([this](const QString& program, const QStringList&, const QString& dir) {
            started << Started{program, dir};
            return true;
        });
        setUpdateUi({[this](const QString& text, const QString& title, const QString&) {
                         notices << title + u'|' + text;
                     },
                     [this] {
                         ++mainClosed;
                         return hasMainWindow;
                     }});
        UpdateReady = false;
        ConfigLoaded = false;
    }
    void TearDown() override {
        platform::setProgramEnder(nullptr);
        platform::setProcessStarter(nullptr);
        setUpdateUi({});
        ServerConfig.clear();
        UpdateReady = false;
        ProgramFolderTest::TearDown();
    }

    FakeServer server;
    int ended = 0;
    int mainClosed = 0;
    bool hasMainWindow = false;
    QList<Started> started;
    QStringList notices;
};

} // namespace

TEST_F(Update, DownloadedPackageIsKeptAndTheUpdaterCopyStarted) {
    server.body = QByteArray("new program bytes");
    UpdateMe();
    EXPECT_TRUE(UpdateReady);
    EXPECT_EQ(read(QStringLiteral("newfile")), QByteArray("new program bytes"));
    EXPECT_TRUE(QFileInfo(file(QStringLiteral("newfile"))).isExecutable());
    // The updater is a copy of the running program, started from the program folder.
    QFile self(QCoreApplication::applicationFilePath());
    ASSERT_TRUE(self.open(QIODevice::ReadOnly));
    EXPECT_EQ(read(QStringLiteral("otemp")), self.readAll());
    ASSERT_EQ(started.size(), 1);
    EXPECT_EQ(started[0].program, file(QStringLiteral("otemp")));
    EXPECT_EQ(started[0].workDir, m_dir.path());
    EXPECT_EQ(read(QStringLiteral("brelto")), QByteArray("the running program"));
    EXPECT_TRUE(notices.isEmpty());
    // No main window at start-up: closing it ends the program.
    EXPECT_EQ(mainClosed, 1);
    EXPECT_EQ(ended, 1);
}

TEST_F(Update, RunningMainWindowIsClosedInsteadOfEndingAtOnce) {
    server.body = QByteArray("pkg");
    hasMainWindow = true;
    RunUpdater();
    EXPECT_EQ(mainClosed, 1);
    EXPECT_EQ(ended, 0);
}

TEST_F(Update, FailedDownloadLeavesTheProgramUntouched) {
    server.status = "404 Not Found";
    server.body = "<html>missing</html>";
    UpdateMe();
    EXPECT_FALSE(UpdateReady);
    EXPECT_FALSE(QFile::exists(file(QStringLiteral("newfile"))));
    EXPECT_FALSE(QFile::exists(file(QStringLiteral("otemp"))));
    EXPECT_TRUE(started.isEmpty());
    EXPECT_EQ(read(QStringLiteral("brelto")), QByteArray("the running program"));
    ASSERT_EQ(notices.size(), 1);
    EXPECT_TRUE(notices[0].startsWith(QStringLiteral("升级失败|升级程序时下载更新包失败")));
    EXPECT_EQ(ended, 1); // before the configuration is applied the program ends

    ConfigLoaded = true;
    UpdateMe();
    EXPECT_EQ(ended, 1);
    ConfigLoaded = false;
}

TEST(OpenUrl, OnlyWebAddressesReachTheShell) {
    QStringList opened;
    QStringList browsed;
    bool shellAccepts = true;
    platform::setShellOpener([&](const QString& target) {
        opened << target;
        return shellAccepts;
    });
    platform::setProcessStarter([&](const QString& program, const QStringList& args, const QString&) {
        browsed << program + u' ' + args.join(u' ');
        return true;
    });
    QTemporaryDir dir;
    const QString existing = QDir(dir.path()).filePath(QStringLiteral("notify.wav"));
    QFile f(existing);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    const QString workDir = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));

    struct Case {
        QString target;
        bool result;
        bool reachesShell;
    };
    const Case cases[] = {
        {QStringLiteral("http://127.0.0.1:18631/vip.asp"), true, true},
        {QStringLiteral("HTTPS://example.test/a?b=c"), true, true},
        {QStringLiteral("https://example.test/"), true, true},
        {QStringLiteral("HTTP://EXAMPLE.TEST/"), true, true},
        // Addresses come from the service over plain HTTP: nothing on the disk, no script, no
        // inline page and no other scheme is handed to the desktop.
        {existing, false, false},
        {QStringLiteral("notify.wav"), false, false},
        {QStringLiteral("file://") + existing, false, false},
        {QDir(dir.path()).filePath(QStringLiteral("missing.wav")), false, false},
        {QStringLiteral("file:///etc/passwd"), false, false},
        {QStringLiteral("javascript:alert(1)"), false, false},
        {QStringLiteral("javascript://alert(1)"), false, false},
        {QStringLiteral("data:text/html,<b>x</b>"), false, false},
        {QStringLiteral("ftp://example.test/x"), false, false},
        {QStringLiteral("about:blank"), false, false},
        {QStringLiteral("smb://host/share"), false, false},
        {QStringLiteral("calc.exe"), false, false},
        {QStringLiteral("example.test/a"), false, false},
        {QString(), false, false},
    };
    for (const Case& c : cases) {
        opened.clear();
        EXPECT_EQ(OpenUrl(c.target), c.result) << c.target.toStdString();
        EXPECT_EQ(!opened.isEmpty(), c.reachesShell) << c.target.toStdString();
    }
    EXPECT_TRUE(browsed.isEmpty());

    shellAccepts = false;
    EXPECT_FALSE(OpenUrl(QStringLiteral("http://example.test/")));
    EXPECT_EQ(browsed, QStringList{QStringLiteral("/usr/bin/x-www-browser http://example.test/")});
    browsed.clear();
    EXPECT_FALSE(OpenUrl(QStringLiteral("file://") + existing));
    EXPECT_TRUE(browsed.isEmpty()) << "only web addresses are handed to the browser";

    platform::setShellOpener(nullptr);
    platform::setProcessStarter(nullptr);
    EXPECT_EQ(ShortPath(existing), existing);
    QDir::setCurrent(workDir);
}
