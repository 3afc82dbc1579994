// A full candlestick redraw: 500 daily bars with the five moving averages, grid, price labels and
// month ticks on a 12105 x 6810-twip control, beside a baseline that draws the same rectangles,
// lines and texts straight with QPainter on a QImage of the same size.
#include "bench/benchapp.h"
#include "charts/kline.h"
#include "charts/klinemodel.h"
#include "platform/surface.h"

#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <cmath>

namespace {

constexpr int kWidth = 12105 / 15;
constexpr int kHeight = 6810 / 15;

QStringList candleBars() {
    QStringList bars;
    QDate d(2024, 1, 1);
    double close = 400;
    for (int k = 0; bars.size() < 500; d = d.addDays(1)) {
        if (d.dayOfWeek() > 5)
            continue;
        const double open = close;
        close = 400 + 25 * std::sin(k / 17.0) + 6 * std::sin(k * 1.3);
        bars << QStringLiteral("%1,%2,%3,%4,%5")
                    .arg(d.toString(QStringLiteral("yyyy-MM-dd")))
                    .arg(open, 0, 'f', 2)
                    .arg(close, 0, 'f', 2)
                    .arg(std::max(open, close) + 2, 0, 'f', 2)
                    .arg(std::min(open, close) - 2, 0, 'f', 2);
        ++k;
    }
    return bars;
}

void BM_CandleRedraw(benchmark::State& state) {
    ensureBenchApplication();
    Kline k;
    k.resize(kWidth, kHeight);
    k.DrawKline(candleBars().join(u'|'), QStringLiteral("美元黄金"), QStringLiteral("日线图"));
    for (auto _ : state) {
        k.redraw();
        benchmark::DoNotOptimize(k.dataReady());
    }
}
BENCHMARK(BM_CandleRedraw)->Unit(benchmark::kMillisecond);

// The same picture's primitives: three frame boxes, 14 grid lines and 16 labels, one tick text
// per month, 500 bodies with two wicks each, and the five averages' segments.
void BM_CandleRedraw_Baseline(benchmark::State& state) {
    ensureBenchApplication();
    const QStringList bars = candleBars();
    const auto layout = klineLayout(kWidth * 15.0, kHeight * 15.0, bars, 0.03f);
    std::vector<QRectF> bodies;
    std::vector<QLineF> lines;
    const auto pt = [](double x, double y) { return QPointF(x / 15, y / 15); };
    for (int i = 0; i < bars.size(); ++i) {
        const Candle c = candleAt(bars, i, static_cast<int>(bars.size()) - 1);
        bodies.emplace_back(pt(layout->bodyLeft(i), layout->yOf(c.open)),
                            pt(layout->bodyRight(i), layout->yOf(c.close)));
        lines.emplace_back(pt(layout->centre(i), layout->yOf(c.high)),
                           pt(layout->centre(i), layout->yOf(std::max(c.open, c.close))));
        lines.emplace_back(pt(layout->centre(i), layout->yOf(std::min(c.open, c.close))),
                           pt(layout->centre(i), layout->yOf(c.low)));
    }
    for (int N : kMaPeriods)
        for (int i = N; i < bars.size(); ++i)
            lines.emplace_back(pt(layout->centre(i - 1), 3000), pt(layout->centre(i), 3100));
    const std::vector<std::pair<int, int>> ticks = monthTicks(bars);
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    const QFont font = platform::surfaceFont(QStringLiteral("宋体"), 9, false);
    for (auto _ : state) {
        image.fill(Qt::black);
        QPainter p(&image);
        p.setFont(font);
        p.setPen(Qt::red);
        p.setBrush(Qt::NoBrush);
        p.drawRect(42, 16, kWidth - 51, kHeight - 30);
        p.drawRect(42, kHeight - 14, kWidth - 51, 14);
        p.drawRect(42, kHeight - 13, kWidth - 51, 13);
        for (int i = 0; i <= 15; ++i) {
            const double y = (250 + i * layout->rowHeight) / 15;
            if (i >= 1 && i <= 14)
                p.drawLine(QPointF(42, y), QPointF(kWidth - 8, y));
            p.drawText(QPointF(2, y + 4), gridLabel(*layout, i));
        }
        for (const auto& [i, month] : ticks)
            p.drawText(QPointF(42 + i * layout->slotWidth / 15, kHeight - 2), QString::number(month));
        p.setBrush(Qt::cyan);
        for (const QRectF& r : bodies)
            p.drawRect(r);
        p.drawLines(lines.data(), static_cast<int>(lines.size()));
        for (int t = 0; t < 20; ++t)
            p.drawText(QPointF(40 + t * 30, 12), QStringLiteral("MA5:000.00"));
        benchmark::DoNotOptimize(image.bits());
    }
}
BENCHMARK(BM_CandleRedraw_Baseline)->Unit(benchmark::kMillisecond);

} // namespace
