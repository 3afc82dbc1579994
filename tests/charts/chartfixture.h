#pragma once

#include "charts/chart.h"
#include "state/quotetables.h"
#include "platform/surface.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <optional>
#include <utility>

inline constexpr platform::OleColor kGreen = 0x00C000;
inline constexpr platform::OleColor kRed = 0x0000FF;
inline constexpr platform::OleColor kBlue = 0xC00000;

// A 600 x 400 pixel (9000 x 6000 twip) chart drawing on a recording surface, so a test reads
// what the last drawing asked for as numbers.
class RecordedChart : public ::testing::Test {
protected:
    void SetUp() override {
        auto surface = std::make_unique<platform::RecordingSurface>(0, 0);
        rec = surface.get();
        chart = std::make_unique<Chart>(std::move(surface));
        chart->resize(600, 400);
        chart->setRows(4);
    }
    void TearDown() override {
        RmbRate = 5.0f;
        for (QString& code : ProdCode)
            code.clear();
        for (auto& dates : ProdSeriesDate)
            dates[0] = QDateTime();
    }

    static QStringList goldSeries() {
        return {QStringLiteral("1250,1260,1270,1280,1290"),
                QStringLiteral("1220,1230,1240,1250,1260"),
                QStringLiteral("1210,1215,1220,1225,1230")};
    }
    static QList<platform::OleColor> goldColours() { return {kGreen, kRed, kBlue}; }
    static QStringList captions(int n) {
        QStringList c;
        for (int i = 0; i < n; ++i)
            c << QStringLiteral("c%1").arg(i);
        return c;
    }

    // The three-series chart: pRows 4, four rows of 25 from 1200 to 1300.
    void drawGold(int16_t kind, int16_t lineWidth = 0) {
        chart->setpRows(4);
        chart->setpCols(4);
        chart->setMinValue(1200);
        chart->setMaxValue(1300);
        chart->DrawNum(goldSeries(), goldColours(), captions(6), lineWidth, kind);
    }

    // The calls of the last drawing (from its clear on).
    [[nodiscard]] std::vector<platform::SurfaceOp> latest() const {
        const auto& ops = rec->ops();
        auto start = ops.begin();
        for (auto it = ops.begin(); it != ops.end(); ++it)
            if (it->kind == platform::SurfaceOp::Kind::Clear) start = it;
        return {start, ops.end()};
    }
    [[nodiscard]] QStringList texts() const {
        QStringList t;
        for (const auto& op : latest())
            if (op.kind == platform::SurfaceOp::Kind::Text) t << op.text;
        return t;
    }
    [[nodiscard]] std::optional<std::pair<double, double>> textAt(const QString& text) const {
        for (const auto& op : latest())
            if (op.kind == platform::SurfaceOp::Kind::Text && op.text == text)
                return std::make_pair(op.x1, op.y1);
        return std::nullopt;
    }
    [[nodiscard]] std::vector<double> verticalLines(platform::OleColor color) const {
        std::vector<double> xs;
        for (const auto& op : latest())
            if (op.kind == platform::SurfaceOp::Kind::Line && op.color == color && op.x1 == op.x2)
                xs.push_back(op.x1);
        return xs;
    }
    [[nodiscard]] std::vector<platform::SurfaceOp> seriesLines() const {
        std::vector<platform::SurfaceOp> lines;
        for (const auto& op : latest())
            if (op.kind == platform::SurfaceOp::Kind::Line &&
                (op.color == kGreen || op.color == kRed || op.color == kBlue))
                lines.push_back(op);
        return lines;
    }
    void expectFiniteOps() const {
        for (const auto& op : rec->ops())
            ASSERT_TRUE(std::isfinite(op.x1) && std::isfinite(op.y1) && std::isfinite(op.x2) &&
                        std::isfinite(op.y2));
    }

    platform::RecordingSurface* rec = nullptr;
    std::unique_ptr<Chart> chart;
};

// The layout of a chart's last drawing, to name the x of a point.
struct ChartLayoutProbe {
    ChartLayoutProbe(const Chart& chart, charts::PointSpacing spacing)
        : margins(chart.margins()),
          layout(charts::chartLayout(9000, 6000, chart.margins(), chart.Rows(), chart.pRows(),
                                     chart.pCols(), chart.MinValue(), chart.MaxValue(), spacing)) {}
    [[nodiscard]] double x(int i) const { return charts::pointX(layout, margins, i); }

    charts::ChartMargins margins;
    charts::ChartLayout layout;
};
