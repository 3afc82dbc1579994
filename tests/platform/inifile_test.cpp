#include "platform/gbk.h"
#include "platform/inifile.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

using platform::IniDocument;

namespace {
const QString kMain = QStringLiteral("Main Set");

QByteArray gbk(const QString& s) { return platform::toGbk(s); }
} // namespace

TEST(IniDocument, LooksUpWithoutLetterCaseAndTrims) {
    const IniDocument doc = IniDocument::parse(gbk(QStringLiteral(
        "; written by hand\r\n[Other]\r\nuser=elsewhere\r\n[main set]\r\n  ShowCW =  1  \r\n"
        "username=张三\r\nempty=\r\nnoequals\r\n=novalue\r\n[broken\r\nlast=x")));
    struct Case {
        const char* key;
        std::optional<QString> value;
    };
    const Case cases[] = {
        {"showcw", QStringLiteral("1")},       {"SHOWCW", QStringLiteral("1")},
        {"UserName", QStringLiteral("张三")},  {"empty", QString()},
        {"user", std::nullopt},                {"noequals", std::nullopt},
        {"last", QStringLiteral("x")}, // a header line without "]" is just a foreign line
    };
    for (const Case& c : cases)
        EXPECT_EQ(doc.value(kMain, QString::fromLatin1(c.key)), c.value) << c.key;
    EXPECT_EQ(doc.value(QStringLiteral("OTHER"), QStringLiteral("USER")), QStringLiteral("elsewhere"));
    EXPECT_EQ(doc.value(QStringLiteral("Missing"), QStringLiteral("user")), std::nullopt);
}

TEST(IniDocument, WritesKeepEveryOtherLineInPlace) {
    const QByteArray original = gbk(QStringLiteral(
        "; comment\r\n[Main Set]\r\nA=1\r\nforeign line\r\nB=2\r\n\r\n[Other]\r\nA=9\r\n"));
    IniDocument doc = IniDocument::parse(original);
    doc.setValue(kMain, QStringLiteral("a"), QStringLiteral("10"));
    doc.setValue(kMain, QStringLiteral("C"), QStringLiteral("值"));
    doc.setValue(QStringLiteral("New"), QStringLiteral("k"), QStringLiteral("v"));
    doc.removeKey(kMain, QStringLiteral("b"));
    EXPECT_EQ(doc.toBytes(),
              gbk(QStringLiteral("; comment\r\n[Main Set]\r\na=10\r\nforeign line\r\nC=值\r\n\r\n"
                                 "[Other]\r\nA=9\r\n[New]\r\nk=v\r\n")));
    // A value never breaks the file into lines; unix line ends are read too.
    doc.setValue(kMain, QStringLiteral("note"), QStringLiteral("two\r\nlines"));
    EXPECT_EQ(IniDocument::parse(doc.toBytes()).value(kMain, QStringLiteral("note")),
              QStringLiteral("two  lines"));
    EXPECT_EQ(IniDocument::parse("[Main Set]\nx=1\n").value(kMain, QStringLiteral("x")),
              QStringLiteral("1"));
}

TEST(IniDocument, ValuesAreCutToTheProfileBuffer) {
    const QString ascii(300, u'a');
    EXPECT_EQ(platform::cutToProfileBuffer(ascii), QString(255, u'a'));
    EXPECT_EQ(platform::cutToProfileBuffer(QString(255, u'b')), QString(255, u'b'));
    // 128 characters of two bytes: 127 fit in 255 bytes, the 128th would be split.
    const QString chinese(128, u'金');
    EXPECT_EQ(platform::cutToProfileBuffer(chinese), QString(127, u'金'));
}

TEST(IniFile, MissingFileReadsEmptyAndWritesCreateIt) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("set.ini"));
    EXPECT_EQ(platform::readProfileString(path, kMain, QStringLiteral("x")), std::nullopt);
    EXPECT_TRUE(platform::writeProfileString(path, kMain, QStringLiteral("x"), QStringLiteral("1")));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("[Main Set]\r\nx=1\r\n"));
    EXPECT_TRUE(platform::writeProfileString(path, kMain, QStringLiteral("x"), std::nullopt));
    EXPECT_EQ(platform::readProfileString(path, kMain, QStringLiteral("x")), std::nullopt);
    EXPECT_FALSE(platform::writeProfileString(dir.filePath(QStringLiteral("no/such/set.ini")), kMain,
                                              QStringLiteral("x"), QStringLiteral("1")));
}

// The writer half of the crash test: runs in a child process until it is killed.
TEST(IniFileCrash, ChildWriter) {
    const QString path = qEnvironmentVariable("BRELTO_INI_CRASH_FILE");
    if (path.isEmpty())
        GTEST_SKIP() << "runs only as the child of IniFileCrash.KilledWriterLeavesAWholeFile";
    for (int generation = 1;; ++generation) {
        platform::editProfile(path, [generation](IniDocument& doc) {
            for (int k = 0; k < 200; ++k)
                doc.setValue(kMain, QStringLiteral("k%1").arg(k),
                             QStringLiteral("%1-黄金-%2").arg(generation).arg(QString(k % 50, u'x')));
        });
    }
}

TEST(IniFileCrash, KilledWriterLeavesAWholeFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("set.ini"));
    for (int round = 0; round < 25; ++round) {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("BRELTO_INI_CRASH_FILE"), path);
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--gtest_filter=IniFileCrash.ChildWriter")});
        ASSERT_TRUE(child.waitForStarted());
        QThread::msleep(20 + QRandomGenerator::global()->bounded(60));
        child.kill();
        child.waitForFinished();

        QFile f(path);
        if (!f.exists())
            continue; // killed before the first save finished: no file is a whole file too
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const IniDocument doc = IniDocument::parse(f.readAll());
        const QStringList keys = doc.keys(kMain);
        ASSERT_EQ(keys.size(), 200) << "round " << round;
        const QString generation = doc.value(kMain, QStringLiteral("k0"))->section(u'-', 0, 0);
        for (int k = 0; k < 200; ++k)
            ASSERT_EQ(doc.value(kMain, QStringLiteral("k%1").arg(k)),
                      QStringLiteral("%1-黄金-%2").arg(generation).arg(QString(k % 50, u'x')))
                << "round " << round << " key " << k;
    }
}

// A settings load reads many keys of one file in a row; edits between reads, even of the same size
// within the same instant, or by replacing the file, are always seen.
TEST(IniFileRead, SeesEveryEditBetweenReads) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("set.ini"));
    const auto overwrite = [&](const QByteArray& bytes) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    };
    for (int round = 0; round < 50; ++round) {
        const QByteArray value = QByteArray::number(round % 10);
        overwrite("[Main Set]\r\ntab=" + value + "\r\n"); // same size every time, in place
        ASSERT_EQ(platform::readProfileString(path, kMain, QStringLiteral("tab")), QString::fromLatin1(value)) << round;
    }
    ASSERT_TRUE(platform::writeProfileString(path, kMain, QStringLiteral("tab"), QStringLiteral("7")));
    EXPECT_EQ(platform::readProfileString(path, kMain, QStringLiteral("tab")), QStringLiteral("7"));
    QFile::remove(path);
    EXPECT_EQ(platform::readProfileString(path, kMain, QStringLiteral("tab")), std::nullopt);
}
