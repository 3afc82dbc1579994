// Every file the program writes, written over and over by a child process that is killed at a
// random moment: what is left is always the old or the new whole file, and the temporary files of
// a save cut short are gone after the next save of the same file.
#include "common/appinfo.h"
#include "common/http.h"
#include "common/log.h"
#include "common/settings.h"
#include "common/storedlists.h"
#include "platform/gbk.h"
#include "platform/inifile.h"
#include "state/session.h"
#include "state/storedlists.h"
#include "tests/support/fakehttpserver.h"
#include "widgets/imagelist/keyimagelist.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <functional>
#include <map>

namespace {

// How each file is written by the child (forever, generation after generation) and how the
// parent tells a whole file.
struct Writer {
    const char* name;
    const char* file;
    std::function<void(int generation)> write;
    // Empty when the bytes are a whole file of some generation, else what is wrong.
    std::function<QString(const QByteArray& bytes)> whole;
};

const QString kSection = QStringLiteral("Main Set");

QString settingsWhole(const QByteArray& bytes, const QString& prefix, int keys) {
    const platform::IniDocument doc = platform::IniDocument::parse(bytes);
    const QString first = doc.value(kSection, prefix + u'1').value_or(QString());
    const QString generation = first.section(u'-', 0, 0);
    for (int k = 1; k <= keys; ++k) {
        const auto v = doc.value(kSection, prefix + QString::number(k));
        if (!v || v->section(u'-', 0, 0) != generation)
            return QStringLiteral("key %1 is missing or of another save").arg(k);
    }
    return {};
}

// A body of one generation, long enough that writing it takes a while.
QByteArray downloadBody(int generation, int size) {
    const QByteArray head = "BEGIN " + QByteArray::number(generation) + '\n';
    QByteArray body = head;
    while (body.size() < size)
        body += QByteArray::number(generation) + ',';
    return body + "\nEND " + QByteArray::number(generation) + '\n';
}

QString downloadWhole(const QByteArray& bytes) {
    const qsizetype space = bytes.indexOf(' ');
    const qsizetype eol = bytes.indexOf('\n');
    if (!bytes.startsWith("BEGIN ") || eol < 0)
        return QStringLiteral("no head");
    const int generation = bytes.mid(space + 1, eol - space - 1).toInt();
    return bytes == downloadBody(generation, 300000) ? QString() : QStringLiteral("cut or mixed");
}

std::vector<Writer> writers() {
    std::vector<Writer> w;
    w.push_back({"settings", "set.ini",
                 [](int g) {
                     QList<QPair<QString, QString>> kv;
                     for (int k = 1; k <= 150; ++k)
                         kv.append({QStringLiteral("key%1").arg(k), QStringLiteral("%1-黄金-%2").arg(g).arg(QString(k % 40, u'x'))});
                     SetIniMany(kv);
                 },
                 [](const QByteArray& b) { return settingsWhole(b, QStringLiteral("key"), 150); }});
    w.push_back({"alerts", "set.ini",
                 [](int g) {
                     IsVip = true;
                     TxCount = 10;
                     TxProd = {0};
                     TxCompare = {0};
                     TxPrice = {0.0f};
                     for (int i = 1; i <= 10; ++i) {
                         TxProd << static_cast<int16_t>(i);
                         TxCompare << static_cast<int16_t>(g % 2 + 1);
                         TxPrice << static_cast<float>(g);
                     }
                     SaveTx();
                 },
                 [](const QByteArray& b) {
                     const platform::IniDocument doc = platform::IniDocument::parse(b);
                     if (doc.value(kSection, QStringLiteral("tx")) != QStringLiteral("10"))
                         return QStringLiteral("alert count is not 10");
                     const QString price = doc.value(kSection, QStringLiteral("tx1")).value_or(QString()).section(u',', 2);
                     for (int i = 1; i <= 10; ++i)
                         if (doc.value(kSection, QStringLiteral("tx%1").arg(i)).value_or(QString()).section(u',', 2) != price)
                             return QStringLiteral("alert %1 is of another save").arg(i);
                     return QString();
                 }});
    w.push_back({"log", "log.txt",
                 [](int g) { WriteLog(QStringLiteral("generation %1 ").arg(g) + QString(2000, u'日')); },
                 [](const QByteArray& b) {
                     // Appended line by line: every line is whole, the last ends with CR LF.
                     if (!b.isEmpty() && !b.endsWith("\r\n"))
                         return QStringLiteral("the last line is cut");
                     const QString expected = QString(2000, u'日');
                     for (const QByteArray& line : b.split('\n')) {
                         if (line.isEmpty())
                             continue;
                         if (!platform::fromGbk(line).endsWith(expected + u'\r'))
                             return QStringLiteral("a line is cut");
                     }
                     return QString();
                 }});
    w.push_back({"imagelist", "icons.list",
                 [](int g) {
                     static KeyImageList* list = nullptr;
                     if (list == nullptr) {
                         list = new KeyImageList;
                         loadKeyImageList1(*list);
                     }
                     // The generation rides in the list as its last image's key.
                     while (list->ImageCount() > 11)
                         list->RemoveImage(list->ImageCount());
                     QImage extra(list->IconSizeX(), list->IconSizeY(), QImage::Format_RGB32);
                     extra.fill(qRgb(g % 256, 1, 2));
                     list->AddFromHandle(extra, 0, QStringLiteral("g%1").arg(g));
                     list->SaveToFile(QDir(programFolder()).filePath(QStringLiteral("icons.list")));
                 },
                 [](const QByteArray& b) {
                     KeyImageList list;
                     try {
                         list.loadFromBytes(b);
                     } catch (...) {
                         return QStringLiteral("the list does not read");
                     }
                     return list.ImageCount() == 12 ? QString() : QStringLiteral("images missing");
                 }});
    for (const char* file : {"newfile", "yzm.gif"}) {
        w.push_back({file[0] == 'n' ? "update" : "picture", file,
                     [file](int g) {
                         static FakeServer* server = nullptr;
                         if (server == nullptr)
                             server = new FakeServer;
                         server->body = downloadBody(g, 300000);
                         (void)DownFile(server->url(QStringLiteral("/soft/brelto")),
                                        QDir(programFolder()).filePath(QString::fromLatin1(file)));
                     },
                     downloadWhole});
    }
    return w;
}

const Writer* writerNamed(const QString& name) {
    static const std::vector<Writer> all = writers();
    for (const Writer& w : all)
        if (QLatin1String(w.name) == name)
            return &w;
    return nullptr;
}

// The child half: writes its file until it is killed.
TEST(CrashSafety, ChildWriter) {
    const QString name = qEnvironmentVariable("BRELTO_CRASH_WRITER");
    if (name.isEmpty())
        GTEST_SKIP() << "runs only as the child of the crash-safety tests";
    setProgramFolder(qEnvironmentVariable("BRELTO_CRASH_FOLDER"));
    const Writer* w = writerNamed(name);
    ASSERT_NE(w, nullptr);
    for (int generation = qEnvironmentVariableIntValue("BRELTO_CRASH_FIRST");; ++generation)
        w->write(generation);
}

QStringList leftovers(const QDir& dir, const QString& file) {
    static const QRegularExpression temp(QStringLiteral("^.+\\.[A-Za-z0-9]{6}$"));
    QStringList out;
    for (const QString& n : dir.entryList({file + QStringLiteral(".*")}, QDir::Files | QDir::Hidden))
        if (temp.match(n).hasMatch())
            out << n;
    return out;
}

constexpr int kKills = 200;

class KilledWriter : public ::testing::TestWithParam<const char*> {};

TEST_P(KilledWriter, LeavesTheOldOrTheNewWholeFile) {
    const Writer* w = writerNamed(QString::fromLatin1(GetParam()));
    ASSERT_NE(w, nullptr);
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QDir dir(folder.path());
    const QString path = dir.filePath(QString::fromLatin1(w->file));
    const auto startWriter = [&](QProcess& child, int round) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("BRELTO_CRASH_WRITER"), QString::fromLatin1(w->name));
        env.insert(QStringLiteral("BRELTO_CRASH_FOLDER"), folder.path());
        env.insert(QStringLiteral("BRELTO_CRASH_FIRST"), QString::number(round * 100000));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=CrashSafety.ChildWriter")});
        return child.waitForStarted();
    };
    // How long a child takes to start and finish its first save here (a sanitizer build is
    // several times slower): the kills then fall before, during and after the saves.
    QElapsedTimer firstSave;
    {
        QProcess child;
        firstSave.start();
        ASSERT_TRUE(startWriter(child, kKills));
        while (!QFile::exists(path) && firstSave.elapsed() < 60000)
            QThread::msleep(2);
        child.kill();
        child.waitForFinished();
        ASSERT_TRUE(QFile::exists(path)) << w->name << ": no save within a minute";
    }
    const int saveMs = static_cast<int>(std::max<qint64>(firstSave.elapsed(), 20));
    int maxLeftovers = 0;
    for (int round = 0; round < kKills; ++round) {
        QProcess child;
        ASSERT_TRUE(startWriter(child, round));
        QThread::msleep(saveMs / 2 + QRandomGenerator::global()->bounded(2 * saveMs));
        child.kill();
        child.waitForFinished();

        maxLeftovers = std::max<int>(maxLeftovers, static_cast<int>(leftovers(dir, QString::fromLatin1(w->file)).size()));
        QFile f(path);
        if (!f.exists())
            continue; // killed before the first save ended: no file is whole too
        if (QLatin1String(w->name) == QLatin1String("log")) {
            // An append cut by the kill is taken out before the next line: check what the next
            // write starts from.
            dropUnfinishedLogLine(path);
        }
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QString wrong = w->whole(f.readAll());
        ASSERT_TRUE(wrong.isEmpty()) << w->name << " after kill " << round << ": " << wrong.toStdString();
    }
    // Each save clears what the one before it left, so at most one save's temporary file is ever
    // there, whatever the number of kills.
    EXPECT_LE(maxLeftovers, 1) << w->name;
}

INSTANTIATE_TEST_SUITE_P(Files, KilledWriter,
                         ::testing::Values("settings", "alerts", "log", "imagelist", "update", "picture"),
                         [](const ::testing::TestParamInfo<const char*>& i) { return std::string(i.param); });

} // namespace
