// The web engine costs a process of its own and most of the program's memory: the real program
// loads and starts it only once a page is really shown. Checked on the real executable, logged in,
// by the processes it runs, the libraries it has loaded and the pages the service was asked for.
#include "common/textcodec.h"
#include "simservice/simservice.h"
#include "tests/support/childprogram.h"
#include "tests/support/qtprint.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <gtest/gtest.h>

#include <iostream>

namespace {

constexpr int kPatienceMs = 30000;

// The names of the processes whose parent is `pid`.
QStringList childProcesses(qint64 pid) {
    QStringList names;
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray text = stat.readAll();
        const qsizetype open = text.indexOf('(');
        const qsizetype close = text.lastIndexOf(')');
        if (open < 0 || close < open)
            continue;
        if (text.mid(close + 2).split(' ').value(1).toLongLong() == pid)
            names << QString::fromUtf8(text.mid(open + 1, close - open - 1));
    }
    return names;
}

// What the process has mapped (its libraries and files); empty once it has ended.
QByteArray mappedFiles(qint64 pid) {
    QFile maps(QStringLiteral("/proc/%1/maps").arg(pid));
    return maps.open(QIODevice::ReadOnly) ? maps.readAll() : QByteArray();
}

// Whether the process has an OpenGL driver loaded: pages are composed in software, so a window
// that turned into an OpenGL window, or the engine drawing through one, shows here.
bool openGlDriverLoaded(qint64 pid) {
    const QByteArray text = mappedFiles(pid);
    return text.contains("_dri.so") || text.contains("libLLVM");
}

// Whether the process has loaded the web engine's libraries at all: without a page to show it
// must not, as they alone hold about 20 MB.
bool engineLibraryLoaded(qint64 pid) {
    const QByteArray text = mappedFiles(pid);
    return text.contains("libQt6WebEngineCore") || text.contains("brelto-webengine");
}

bool webPageRequested(const QStringList& requests) {
    return std::any_of(requests.cbegin(), requests.cend(), [](const QString& r) {
        return r.startsWith(QStringLiteral("/web/")) || r.startsWith(QStringLiteral("/ad/"));
    });
}

} // namespace

// A member logs in with the tab remembered from the last run: on the quote board (tab 1), with no
// advert page configured, no web engine runs and no page is fetched; on the data tab (6) its page
// comes, with the engine, and so does the advert strip's page when the configuration names one.
// Either way no OpenGL driver is loaded.
TEST(WebEngineOnDemand, StartsOnlyForATabThatShowsAPage) {
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        GTEST_SKIP() << "needs a display with a window manager: run under xvfb-run and tools/withwm.sh";
    const struct {
        const char* tab;
        bool advert;
        bool engine;
    } cases[] = {{"1", false, false}, {"6", false, true}, {"1", true, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("tab ") + c.tab + (c.advert ? " with the advert page" : ""));
        SimService::Options options;
        options.httpPort = 0;
        options.bottomAdvert = c.advert;
        SimService service(options);
        ASSERT_TRUE(service.start());
        ChildProgram program{QStringLiteral(BRELTO_APP_PATH)};
        ASSERT_TRUE(program.ready());
        ASSERT_TRUE(program.writeSettings({{QStringLiteral("tab"), QString::fromLatin1(c.tab)},
                                           {QStringLiteral("autologin"), QStringLiteral("1")},
                                           {QStringLiteral("username"), QStringLiteral("test")},
                                           {QStringLiteral("userpass"), EncodeText(QStringLiteral("quarmelo"))}}));
        const QString host = QStringLiteral("127.0.0.1:%1").arg(service.httpPort());
        QProcess& run = program.start({host, host, host});
        // Logged in and quoted: the board has had its first snapshot.
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                return !service.requestLog().filter(QStringLiteral("m=now-price")).isEmpty() &&
                       !desktop::shownWindows(run.processId(), QStringLiteral("^Quillor V")).isEmpty();
            },
            kPatienceMs))
            << program.output();
        const auto engineRuns = [&] {
            return childProcesses(run.processId()).contains(QStringLiteral("QtWebEngineProc"));
        };
        if (c.engine) {
            EXPECT_TRUE(QTest::qWaitFor(engineRuns, kPatienceMs)) << childProcesses(run.processId()).join(u' ').toStdString();
            EXPECT_TRUE(QTest::qWaitFor([&] { return webPageRequested(service.requestLog()); }, kPatienceMs));
            EXPECT_TRUE(engineLibraryLoaded(run.processId()));
        } else {
            // Long enough for a start-up page or an engine started anyway to show itself.
            QTest::qWait(4000);
            EXPECT_FALSE(engineRuns()) << childProcesses(run.processId()).join(u' ').toStdString();
            EXPECT_FALSE(webPageRequested(service.requestLog())) << service.requestLog().join(u'\n').toStdString();
            EXPECT_FALSE(engineLibraryLoaded(run.processId()));
        }
        EXPECT_FALSE(openGlDriverLoaded(run.processId()));
        EXPECT_EQ(run.state(), QProcess::Running);
        program.stop();
    }
}
