#include "platform/inifile.h"
#include "platform/savefile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

void put(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// A save killed between writing its temporary file and renaming it leaves "<name>.XXXXXX" behind;
// the next save of that file removes those, and only those.
TEST(SaveWholeFile, RemovesTheLeftoversOfInterruptedSavesOfTheSameFile) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QDir d(dir.path());
    const QString target = d.filePath(QStringLiteral("set.ini"));
    struct Case {
        const char* name;
        bool removed;
    };
    const Case cases[] = {
        {"set.ini.aBcDeF", true},   {"set.ini.Q9x2Lm", true},  {"set.ini.bak", false},
        {"set.ini.abcdefg", false}, {"set.ini.abc-ef", false}, {"log.txt.aBcDeF", false},
        {"xset.ini.aBcDeF", false}, {"set.ini", false},
    };
    for (const Case& c : cases)
        put(d.filePath(QString::fromLatin1(c.name)), "old");

    ASSERT_TRUE(platform::saveWholeFile(target, "new"));
    for (const Case& c : cases) {
        if (QLatin1String(c.name) == QLatin1String("set.ini"))
            continue;
        EXPECT_EQ(QFile::exists(d.filePath(QString::fromLatin1(c.name))), !c.removed) << c.name;
    }
    QFile f(target);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("new"));

    // The settings writer goes the same way.
    put(d.filePath(QStringLiteral("set.ini.zzzzzz")), "old");
    ASSERT_TRUE(platform::writeProfileString(target, QStringLiteral("Main Set"), QStringLiteral("tab"), QStringLiteral("3")));
    EXPECT_FALSE(QFile::exists(d.filePath(QStringLiteral("set.ini.zzzzzz"))));
}

TEST(SaveWholeFile, AnUnwritableFolderReportsFailure) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    EXPECT_FALSE(platform::saveWholeFile(QDir(dir.path()).filePath(QStringLiteral("missing/set.ini")), "x"));
}

QByteArray contentsOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
}

// The log moves to its older file this way: the file moved takes the target's place whether or
// not one was there, and a move that cannot be made leaves both files as they were.
TEST(MoveOver, ReplacesTheTargetOrLeavesBothAlone) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QDir d(dir.path());
    const QString from = d.filePath(QStringLiteral("log.txt"));
    const QString to = d.filePath(QStringLiteral("log.old.txt"));
    struct Case {
        const char* what;
        const char* from; // nullptr: no such file
        const char* to;
        bool moved;
        const char* fromAfter;
        const char* toAfter;
    } cases[] = {
        {"onto an older file", "new", "older", true, "(missing)", "new"},
        {"where none was", "new", nullptr, true, "(missing)", "new"},
        {"from a file that is not there", nullptr, "older", false, "(missing)", "older"},
    };
    for (const Case& c : cases) {
        QFile::remove(from);
        QFile::remove(to);
        if (c.from != nullptr)
            put(from, c.from);
        if (c.to != nullptr)
            put(to, c.to);
        EXPECT_EQ(platform::moveOver(from, to), c.moved) << c.what;
        EXPECT_EQ(contentsOf(from), QByteArray(c.fromAfter)) << c.what;
        EXPECT_EQ(contentsOf(to), QByteArray(c.toAfter)) << c.what;
    }
    // Onto a folder the move fails, and the file stays where it was.
    put(from, "new");
    ASSERT_TRUE(d.mkdir(QStringLiteral("folder")));
    put(d.filePath(QStringLiteral("folder/inside")), "x");
    EXPECT_FALSE(platform::moveOver(from, d.filePath(QStringLiteral("folder"))));
    EXPECT_EQ(contentsOf(from), QByteArray("new"));
    EXPECT_EQ(contentsOf(d.filePath(QStringLiteral("folder/inside"))), QByteArray("x"));
}

} // namespace
