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

} // namespace
