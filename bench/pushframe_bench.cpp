// The push link's reader on a stream of frame starts that never end, as a misbehaving server can
// send: fed in the reads the network makes, against one plain pass over the same bytes.
#include "shell/livelink.h"

#include <QByteArray>

#include <benchmark/benchmark.h>

namespace {

constexpr qsizetype kStreamBytes = 1024 * 1024;
constexpr qsizetype kReadBytes = 64 * 1024;

const QByteArray& markers() {
    static const QByteArray bytes = QByteArray("<A").repeated(kStreamBytes / 2);
    return bytes;
}

void BM_PushFrameMarkers(benchmark::State& state) {
    const QByteArray& stream = markers();
    for (auto _ : state) {
        PushFrameReader reader;
        qsizetype frames = 0;
        for (qsizetype at = 0; at < stream.size(); at += kReadBytes)
            frames += reader.take(stream.mid(at, kReadBytes)).size();
        benchmark::DoNotOptimize(frames);
        benchmark::DoNotOptimize(reader.inFrame());
    }
    state.SetBytesProcessed(state.iterations() * stream.size());
}

// The same bytes read once, each looked at for a marker.
void BM_PushFrameMarkers_Baseline(benchmark::State& state) {
    const QByteArray& stream = markers();
    for (auto _ : state) {
        qsizetype starts = 0;
        for (qsizetype at = 0; at < stream.size(); at += kReadBytes) {
            const QByteArray read = stream.mid(at, kReadBytes);
            const char* d = read.constData();
            for (qsizetype i = 0; i + 1 < read.size(); ++i)
                starts += d[i] == '<' && d[i + 1] == 'A' ? 1 : 0;
        }
        benchmark::DoNotOptimize(starts);
    }
    state.SetBytesProcessed(state.iterations() * stream.size());
}

BENCHMARK(BM_PushFrameMarkers);
BENCHMARK(BM_PushFrameMarkers_Baseline);

} // namespace
