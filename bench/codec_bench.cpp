// The transport codec against what any text transport costs: base64 plus the GBK conversion of
// the same text, measured in the same run.
#include "common/textcodec.h"
#include "platform/gbk.h"

#include <QString>

#include <benchmark/benchmark.h>

namespace {

// About 4 KB of GBK text shaped like a quote snapshot: a header and rows with Chinese names.
QString snapshotText() {
    QString text = QStringLiteral("0,5.0,312,2026-12-10,10:24:36,131|");
    const QString rows[] = {
        QStringLiteral("人民币账户黄金,612.45,-1.25,615.10,609.80,gh,0.80|"),
        QStringLiteral("美元账户黄金,2638.20,-5.10,2650.00,2629.30,mgold,1.00|"),
        QStringLiteral("人民币账户白银,7.612,0.035,7.650,7.540,ying,0.080|"),
        QStringLiteral("黄金T+D,611.98,-1.40,614.70,609.20,tdhj,0.00|"),
        QStringLiteral("白银T+D,7598,31,7640,7521,tdby,0|"),
    };
    for (int i = 0; platform::toGbk(text).size() < 4096; ++i)
        text += rows[i % 5];
    return text;
}

const QString& plain() {
    static const QString t = snapshotText();
    return t;
}

const QString& encoded() {
    static const QString t = EncodeText(plain());
    return t;
}

void BM_EncodeText(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(EncodeText(plain()));
    state.SetBytesProcessed(state.iterations() * platform::toGbk(plain()).size());
}
BENCHMARK(BM_EncodeText);

void BM_EncodeText_Baseline(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(QString::fromLatin1(platform::toGbk(plain()).toBase64()));
    state.SetBytesProcessed(state.iterations() * platform::toGbk(plain()).size());
}
BENCHMARK(BM_EncodeText_Baseline);

void BM_DecodeText(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(DecodeText(encoded()));
    state.SetBytesProcessed(state.iterations() * platform::toGbk(plain()).size());
}
BENCHMARK(BM_DecodeText);

void BM_DecodeText_Baseline(benchmark::State& state) {
    const QString base64 = QString::fromLatin1(platform::toGbk(plain()).toBase64());
    for (auto _ : state)
        benchmark::DoNotOptimize(platform::fromGbk(QByteArray::fromBase64(base64.toLatin1())));
    state.SetBytesProcessed(state.iterations() * platform::toGbk(plain()).size());
}
BENCHMARK(BM_DecodeText_Baseline);

} // namespace
