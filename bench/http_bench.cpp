// DownFile of a large file from a loopback server against a bare QNetworkAccessManager download of
// the same answer into memory, measured in the same run: what the streaming to a file, the busy
// wait and the checks cost beside Qt's own transfer.
#include "common/http.h"
#include "platform/fonts.h"
#include "tests/support/fakehttpserver.h"

#include <QApplication>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr qsizetype kFileBytes = 32 * 1024 * 1024;

// The benchmark runner brings no application object; the first benchmark that needs one makes
// it, as the chart benchmarks do, on the offscreen platform.
void ensureApplication() {
    if (QCoreApplication::instance() != nullptr)
        return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "brelto-bench";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    platform::registerFontSubstitutions();
}

// A server that answers every request with the same large file.
FakeServer& fileServer() {
    static FakeServer* server = [] {
        auto* s = new FakeServer;
        QByteArray body(kFileBytes, '\0');
        for (qsizetype i = 0; i < body.size(); ++i)
            body[i] = static_cast<char>(i * 7 + i / 4093);
        s->mode = FakeServer::Mode::Script;
        s->script = {"HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(body.size()) +
                     "\r\nConnection: close\r\n\r\n" + body};
        return s;
    }();
    return *server;
}

void BM_DownFile(benchmark::State& state) {
    ensureApplication();
    FakeServer& server = fileServer();
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("newfile"));
    for (auto _ : state) {
        if (!DownFile(server.url(QStringLiteral("/big")), file)) {
            state.SkipWithError("download failed");
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * kFileBytes);
}
BENCHMARK(BM_DownFile)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_DownFile_Baseline(benchmark::State& state) {
    ensureApplication();
    FakeServer& server = fileServer();
    QNetworkAccessManager nam;
    for (auto _ : state) {
        QNetworkReply* reply = nam.get(QNetworkRequest(QUrl(server.url(QStringLiteral("/big")))));
        QEventLoop loop;
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        loop.exec();
        const QByteArray body = reply->readAll();
        reply->deleteLater();
        if (body.size() != kFileBytes) {
            state.SkipWithError("download failed");
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * kFileBytes);
}
BENCHMARK(BM_DownFile_Baseline)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
