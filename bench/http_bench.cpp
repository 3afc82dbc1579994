// DownFile of a large file from a loopback server against a bare QNetworkAccessManager download of
// the same answer, each piece taken as it arrives and dropped, measured in the same run: what the
// streaming to a file, the busy wait and the checks cost beside Qt's own transfer.
#include "bench/benchapp.h"
#include "common/http.h"
#include "tests/support/streamingserver.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr qint64 kFileBytes = 256 * 1024 * 1024;

// One server for the run, answering every request with the same file made up as it goes out.
StreamingServer& fileServer() {
    static StreamingServer server({"200 OK", kFileBytes, StreamingServer::Framing::Length});
    return server;
}

void BM_DownFile(benchmark::State& state) {
    ensureBenchApplication();
    StreamingServer& server = fileServer();
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("newfile"));
    for (auto _ : state) {
        if (!DownFile(server.url(), file)) {
            state.SkipWithError("download failed");
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * kFileBytes);
}
BENCHMARK(BM_DownFile)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_DownFile_Baseline(benchmark::State& state) {
    ensureBenchApplication();
    StreamingServer& server = fileServer();
    QNetworkAccessManager nam;
    for (auto _ : state) {
        QNetworkReply* reply = nam.get(QNetworkRequest(QUrl(server.url())));
        qint64 received = 0;
        QObject::connect(reply, &QNetworkReply::readyRead, [&] { received += reply->readAll().size(); });
        QEventLoop loop;
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        loop.exec();
        received += reply->readAll().size();
        reply->deleteLater();
        if (received != kFileBytes) {
            state.SkipWithError("download failed");
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * kFileBytes);
}
BENCHMARK(BM_DownFile_Baseline)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
