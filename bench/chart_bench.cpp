// A full redraw of a 9000 x 6000-twip chart with three 720-point series, grid, captions, title
// and legend, beside a baseline that draws the same three polylines and the same number of text
// items straight with QPainter on a QImage of the same size.
#include "bench/benchapp.h"
#include "charts/chart.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPolygonF>

#include <benchmark/benchmark.h>

#include <cmath>

namespace {

QStringList series(double start, int seed) {
    QStringList s;
    double p = start;
    for (int i = 0; i < 720; ++i) {
        p += std::sin(i * 0.37 + seed) * 0.8;
        s << QString::number(p, 'f', 2);
    }
    return s;
}

const QStringList kSeries[3] = {series(2150, 1), series(2146, 2), series(2140, 3)};
const QStringList kCaptions{"6", "8", "10", "12", "14", "16", "18", "20", "22", "24", "2", "4", "6"};
// 13 captions, 14 value labels, 3 legend entries and a title.
constexpr int kTextItems = 31;

void BM_ChartRedraw(benchmark::State& state) {
    ensureBenchApplication();
    Chart chart;
    chart.resize(600, 400);
    const QStringList lines{kSeries[0].join(u','), kSeries[1].join(u','), kSeries[2].join(u',')};
    for (auto _ : state) {
        chart.setRows(720);
        chart.setpRows(11);
        chart.setpCols(13);
        chart.setMinValue(2100);
        chart.setMaxValue(2200);
        chart.DrawNum(lines, {0x00BF00, 0x0000FF, 0xFF7F00}, kCaptions, 1, 1);
        chart.Xie(220, 0, 255, QStringLiteral("宋体"), 12, QStringLiteral("伦敦金 72小时行情走势图"), true, 1);
        chart.DrawLegend({QStringLiteral("03月05日 星期二 $2156.32 "), QStringLiteral("03月04日 星期一 $2146.20 "),
                          QStringLiteral("03月01日 星期五 $2139.80 ")},
                         {0x00BF00, 0x0000FF, 0xFF7F00}, 600, 700);
        benchmark::DoNotOptimize(chart.LoadImg().constBits());
    }
}
BENCHMARK(BM_ChartRedraw);

void BM_ChartRedraw_Baseline(benchmark::State& state) {
    ensureBenchApplication();
    QImage image(600, 400, QImage::Format_RGB32);
    QPolygonF polylines[3];
    for (int k = 0; k < 3; ++k)
        for (int i = 0; i < 720; ++i)
            polylines[k] << QPointF(43 + i * 0.76, 383 - (kSeries[k][i].toDouble() - 2100) * 3.5);
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(12);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter p(&image);
        p.setFont(font);
        for (int k = 0; k < 3; ++k) {
            p.setPen(QColor::fromRgb(0x0000FF << k));
            p.drawPolyline(polylines[k]);
        }
        for (int t = 0; t < kTextItems; ++t)
            p.drawText(10 + t * 15, 20 + t * 10, QStringLiteral("2150.5"));
        p.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_ChartRedraw_Baseline);

} // namespace
