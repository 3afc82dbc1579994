// One snapshot run without the network (decoding, parsing, the quote tables and the board texts)
// against what any transport costs: base64 decoding and splitting the same text, in the same run.
#include "common/textcodec.h"
#include "market/marketview.h"
#include "market/quoterun.h"
#include "state/quotetables.h"
#include "platform/gbk.h"
#include "platform/vbtext.h"
#include "state/configstate.h"
#include "state/session.h"

#include <QStringList>

#include <benchmark/benchmark.h>

namespace {

// A main window that shows nothing: the run's own work is what is measured.
class NullView : public MarketView {
public:
    void setStatus(const QString&) override {}
    void setQuoteTime(const QString&) override {}
    void setServiceClock(const QString&) override {}
    void setPositionCaption(const QString&) override {}
    void setTimerEnabled(MarketTimer, bool) override {}
    void ensureBoardRows(int) override {}
    void setBoardRow(int, const BoardRowTexts& row) override { benchmark::DoNotOptimize(row); }
    void setShortListRow(int, const ShortListTexts& line) override { benchmark::DoNotOptimize(line); }
    void addInstrument(int, const QString&) override {}
    void fitShortList() override {}
    void selectInstrument(InstrumentSelector, int) override {}
    void CheckMenu(int16_t) override {}
    void setLiveBoxEnabled(bool) override {}
    void setLiveBoxTicked(bool) override {}
    void Check12_MouseUp(int16_t, int16_t, float, float) override {}
    void showWarning(const QString&) override {}
};

// 31 instruments, as many as the tables hold, with the two T+D rows and their partners. Variant 1
// moves every price (and so every change) from variant 0, as the quotes move between two runs;
// the previous close, the day's range and the spreads stay.
QString snapshotText(int variant) {
    struct Row {
        const char16_t* name;
        double price, change, high, low;
        const char16_t* code;
        double spread;
    };
    const Row rows[] = {
        {u"人民币账户黄金", 612.45, -1.25, 615.1, 609.8, u"gh", 0.8},
        {u"人民币账户白银", 7.612, 0.035, 7.65, 7.54, u"ying", 0.04},
        {u"美元账户黄金", 2638.2, -5.1, 2650, 2629.3, u"mgold", 2},
        {u"黄金T+D", 611.98, -1.4, 614.7, 609.2, u"tdhj", 0},
        {u"白银T+D", 7598, 31, 7640, 7521, u"tdby", 0},
    };
    auto number = [](double v) { return platform::singleText(static_cast<float>(v)); };
    QStringList parts{QStringLiteral("31,6.1532,7390151,2024-5-15,10:24:%1,131").arg(36 + variant * 6)};
    for (int i = 0; i < kMaxProducts; ++i) {
        const Row& r = rows[i % 5];
        const double step = variant * (r.price < 20 ? 0.003 : 0.35);
        // Codes of their own beyond the first five.
        const QString code = QString::fromUtf16(r.code) + (i >= 5 ? QString::number(i) : QString());
        parts << QStringList{QString::fromUtf16(r.name), number(r.price + step), number(r.change + step),
                             number(r.high), number(r.low), code, number(r.spread)}
                     .join(u',');
    }
    return parts.join(u'|') + u'|';
}

const QString& plain() {
    static const QString t = snapshotText(0);
    return t;
}

void BM_SnapshotRun(benchmark::State& state) {
    ConfigLoaded = true;
    MainStarted = true;
    AllDataLoaded = true; // the first complete load would go to the network
    NullView view;
    QuoteRun run(view);
    // The current instrument's day, loaded once, takes the live point of every run.
    ProdSeries[0][0] = QStringLiteral("612.45,").repeated(719) + QStringLiteral("612.45");
    const QString encoded[] = {EncodeText(snapshotText(0)), EncodeText(snapshotText(1))};
    int variant = 0;
    for (auto _ : state) {
        // A pushed text is used as it stands, so the decoding is the transport's part here.
        run.LoadData(DecodeText(encoded[variant]));
        variant ^= 1;
        benchmark::DoNotOptimize(ProdPrice);
    }
    state.SetBytesProcessed(state.iterations() * platform::toGbk(plain()).size());
}
BENCHMARK(BM_SnapshotRun);

void BM_SnapshotRun_Baseline(benchmark::State& state) {
    const QByteArray base64 = platform::toGbk(plain()).toBase64();
    for (auto _ : state) {
        const QString text = platform::fromGbk(QByteArray::fromBase64(base64));
        qsizetype fields = 0;
        for (const QString& row : text.split(u'|'))
            fields += row.split(u',').size();
        benchmark::DoNotOptimize(fields);
    }
    state.SetBytesProcessed(state.iterations() * platform::toGbk(plain()).size());
}
BENCHMARK(BM_SnapshotRun_Baseline);

} // namespace
