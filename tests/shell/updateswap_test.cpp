#include "shell/updateswap.h"

#include "tests/support/programfolder.h"

namespace {

class UpdateSwap : public ProgramFolderTest {
protected:
    void SetUp() override {
        ProgramFolderTest::SetUp();
        env.pause = [this](int ms) { pauses << ms; };
        env.errorBox = [this](const QString& text, const QString& title) { boxes << title + u'|' + text; };
        env.start = [this](const QString& program, const QString& dir) {
            started << program + u'@' + dir;
            return true;
        };
    }
    UpdateSwapEnv env;
    QList<int> pauses;
    QStringList boxes;
    QStringList started;
};

} // namespace

TEST_F(UpdateSwap, ReplacesTheProgramAndStartsIt) {
    write(QStringLiteral("brelto"), "old");
    write(QStringLiteral("newfile"), "new");
    EXPECT_TRUE(runUpdateSwap(m_dir.path(), QStringLiteral("OTEMP"), env));
    EXPECT_EQ(read(QStringLiteral("brelto")), QByteArray("new"));
    EXPECT_FALSE(QFile::exists(file(QStringLiteral("newfile"))));
    EXPECT_TRUE(QFileInfo(file(QStringLiteral("brelto"))).isExecutable());
    EXPECT_EQ(pauses, (QList<int>{1000, 1000}));
    EXPECT_TRUE(boxes.isEmpty());
    EXPECT_EQ(started, QStringList{file(QStringLiteral("brelto")) + u'@' + m_dir.path()});
}

TEST_F(UpdateSwap, NothingToSwap) {
    write(QStringLiteral("brelto"), "old");
    EXPECT_FALSE(runUpdateSwap(m_dir.path(), QStringLiteral("otemp"), env)); // no package
    write(QStringLiteral("newfile"), "new");
    EXPECT_FALSE(runUpdateSwap(m_dir.path(), QStringLiteral("brelto"), env)); // not the updater
    EXPECT_EQ(read(QStringLiteral("brelto")), QByteArray("old"));
    EXPECT_TRUE(pauses.isEmpty());
    EXPECT_TRUE(started.isEmpty());
}

TEST_F(UpdateSwap, FourFailedRemovalsAskForAManualRepair) {
    write(QStringLiteral("newfile"), "new");
    // A folder in the program's place cannot be removed as a file.
    ASSERT_TRUE(QDir(m_dir.path()).mkpath(QStringLiteral("brelto/keep")));
    EXPECT_TRUE(runUpdateSwap(m_dir.path(), QStringLiteral("otemp"), env));
    EXPECT_EQ(pauses.size(), 4);
    EXPECT_EQ(boxes, QStringList{QStringLiteral("删除出错|删除旧版本的 brelto 失败,请手动删除该文件,并把程序目录下 newfile 改名成 brelto")});
    EXPECT_TRUE(started.isEmpty());
    EXPECT_EQ(read(QStringLiteral("newfile")), QByteArray("new"));
}

TEST_F(UpdateSwap, FourFailedRenamesAskForAManualRepair) {
    write(QStringLiteral("brelto"), "old");
    write(QStringLiteral("newfile"), "new");
    // The package vanishes while the old program is removed: the rename can never succeed.
    env.pause = [this](int ms) {
        pauses << ms;
        if (pauses.size() == 1)
            QFile::remove(file(QStringLiteral("newfile")));
    };
    EXPECT_TRUE(runUpdateSwap(m_dir.path(), QStringLiteral("otemp"), env));
    EXPECT_EQ(pauses.size(), 5);
    EXPECT_EQ(boxes, QStringList{QStringLiteral("删除出错|重命名失败,请手动把 newfile 改名成 brelto")});
    EXPECT_TRUE(started.isEmpty());
}
