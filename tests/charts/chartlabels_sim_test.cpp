// Every number the line charts draw, for every instrument of the simulated market, in every range,
// in the twin charts and in the crosshair's read-outs, at the chart sizes a 1280 and a 1024 pixel
// screen and the smallest main window give: each value label lies whole in its margin and reads
// as the level it stands at, measured with the font it was drawn in, and no text is printed over
// another. Writes, for a reviewer:
//   <build dir>/gallery/chartfeed/palladium72h_1280.png, palladium72h_1024.png
// (the renminbi palladium account's 72-hour chart at 07:54 on 2026-12-11, service seed 1).
#include "charts/chartfeed.h"

#include "tests/charts/labelcheck.h"
#include "tests/charts/simfeedfixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QWidget>

#include <gtest/gtest.h>

using namespace charts;
using platform::SurfaceOp;

namespace {

// One pane at 1280 and at 1024 pixels, a quarter of the 1024 chart tab, the smallest window.
constexpr ChartSize kSizes[] = {
    {"1280", 1010, 560},
    {"1024", 760, 520},
    {"1024, four panes", 380, 260},
    {"smallest window", 390, 300},
};

class SimChartLabels : public SimFeedTest {
protected:
    SimChartLabels() {
        simSeed = 1;
        pcTime = at(2026, 12, 11, 7, 54);
    }

    void SetUp() override {
        SimMarketTest::SetUp();
        if (HasFatalFailure()) return;
        for (auto [chart, rec] : {std::pair{&c.Chart1, &rec1}, std::pair{&c.YYChart, &recYY},
                                  std::pair{&c.MZChart, &recMZ}}) {
            auto surface = std::make_unique<platform::RecordingSurface>(0, 0);
            *rec = surface.get();
            *chart = new Chart(std::move(surface), &window);
        }
        c.Chart1->setGeometry(0, 0, 1010, 560);
        c.YYChart->setGeometry(0, 0, 232, 160);
        c.MZChart->setGeometry(0, 0, 232, 160);
        makeFeed();
        IsVip = true;
        takeSamples();
    }

    // Every number printed in a margin of the last drawing: whole in that margin, and reading as
    // the level (left) or the level in renminbi (right) at its height; and no text printed over
    // another (a legend's price under an information line reads as another). Returns how many
    // numbers.
    static int expectNumbersFit(const Chart& chart, const platform::RecordingSurface& rec) {
        const charts::ChartMargins& m = chart.margins();
        const double W = chart.width() * 15.0;
        const double H = chart.height() * 15.0;
        const std::vector<SurfaceOp> texts = rec.ops(SurfaceOp::Kind::Text);
        expectNoTextOverAnother(texts);
        int numbers = 0;
        for (const SurfaceOp& op : texts) {
            bool number = false;
            (void)op.text.toDouble(&number);
            if (!number) continue;
            const QFont font = platform::surfaceFont(op.fontName, op.fontSize, op.bold);
            const double width = platform::textWidthTwips(font, op.text);
            const double middle = op.y1 + platform::lineHeightTwips(font) / 2;
            if (middle < m.Top - 1 || middle > H - m.Bottom + 1)
                continue; // not beside the plot: a caption
            const double level = chart.MaxValue() - (middle - m.Top) * chart.ValuePerTwip();
            ++numbers;
            if (op.x1 < m.Left) {
                EXPECT_TRUE(within(op.text, op.x1, width, 0, m.Left));
                EXPECT_TRUE(readsAs(op.text, level));
            } else {
                EXPECT_TRUE(within(op.text, op.x1, width, W - m.Right, W));
                EXPECT_TRUE(readsAs(op.text, level * chart.NowRmb));
            }
        }
        return numbers;
    }

    // The crosshair pressed near the right edge, at a third of the plot's height: its read-outs
    // are whole and read as the value at that height.
    static void expectReadoutsFit(Chart& chart) {
        const charts::ChartMargins& m = chart.margins();
        const double W = chart.width() * 15.0;
        const double H = chart.height() * 15.0;
        const float X = static_cast<float>(W - m.Right - 30);
        const float Y = static_cast<float>(m.Top + (H - m.Top - m.Bottom) / 3);
        chart.chartMouseDown(1, 0, X, Y);
        const ChartLabel& x = chart.Labelx();
        EXPECT_TRUE(x.Visible);
        EXPECT_TRUE(wholeLabel(x, W));
        EXPECT_TRUE(readsAs(x.Caption, chart.MaxValue() - chart.ValuePerTwip() * (Y - m.Top)));
        if (chart.Labely().Visible) {
            EXPECT_TRUE(wholeLabel(chart.Labely(), W));
            EXPECT_TRUE(readsAs(chart.Labely().Caption, x.Caption.toDouble() * chart.NowRmb));
        }
        for (const ChartLabel* l : {&chart.Greenlb(), &chart.RedLb(), &chart.Bluelb()}) {
            if (l->Visible) {
                EXPECT_TRUE(wholeLabel(*l, W));
            }
        }
        chart.chartMouseUp(1, 0, X, Y);
    }

    platform::RecordingSurface* rec1 = nullptr;
    platform::RecordingSurface* recYY = nullptr;
    platform::RecordingSurface* recMZ = nullptr;
};

} // namespace

TEST_F(SimChartLabels, EveryInstrumentRangeAndSize) {
    struct Range {
        const char* name;
        std::function<void(ChartFeed&, int16_t&, Chart*)> draw;
    };
    const Range ranges[] = {
        {"live", [](ChartFeed& f, int16_t& k, Chart* ch) { f.Refreshmin(k, ch); }},
        {"72 hours", [](ChartFeed& f, int16_t& k, Chart* ch) { f.RefreshGraph(k, ch); }},
        {"1 day", [](ChartFeed& f, int16_t& k, Chart* ch) { f.RefreshTheDay(1, k, ch); }},
        {"10 days", [](ChartFeed& f, int16_t& k, Chart* ch) { f.RefreshTheDay(10, k, ch); }},
        {"90 days",
         [](ChartFeed& f, int16_t& k, Chart* ch) {
             int16_t days = 90;
             f.RefreshMonth(days, k, ch);
         }},
    };
    for (int k = 0; k < marketSize(); ++k) {
        for (const Range& range : ranges) {
            for (const ChartSize& size : kSizes) {
                SCOPED_TRACE(testing::Message() << marketCode(k).toStdString() << ", " << range.name
                                                << ", " << size.name);
                c.Chart1->resize(size.width, size.height);
                rec1->clearOps();
                auto prod = static_cast<int16_t>(k);
                range.draw(*feed, prod, c.Chart1);
                ASSERT_TRUE(c.Chart1->ChartDrawn());
                // An exchange's contract before its session has one flat level to show.
                EXPECT_GE(expectNumbersFit(*c.Chart1, *rec1), 1);
                expectReadoutsFit(*c.Chart1);
            }
        }
        RightChart1Prod = RightChart2Prod = static_cast<int16_t>(k);
        for (int threeDay : {0, 1}) {
            SCOPED_TRACE(testing::Message()
                         << marketCode(k).toStdString() << ", twins, three days " << threeDay);
            ThreeDayChart = static_cast<int16_t>(threeDay);
            recYY->clearOps();
            recMZ->clearOps();
            feed->RefreshMzSy();
            for (auto [chart, rec] : {std::pair{c.YYChart, recYY}, std::pair{c.MZChart, recMZ}}) {
                ASSERT_TRUE(chart->ChartDrawn());
                EXPECT_GE(expectNumbersFit(*chart, *rec), 1);
                expectReadoutsFit(*chart);
            }
        }
    }
}

// The chart the fault was seen in, drawn into pixels at both screen widths for a reviewer; its
// labels are checked by the table above.
TEST_F(SimChartLabels, PalladiumSeventyTwoHourPictures) {
    const int pd = SimMarket::indexOf(QStringLiteral("pd"));
    ASSERT_GE(pd, 0);
    const QString dir = QStringLiteral(BRELTO_GALLERY_DIR "/chartfeed");
    ASSERT_TRUE(QDir().mkpath(dir));
    for (const ChartSize& size : {kSizes[0], kSizes[1]}) {
        Chart chart(&window);
        chart.resize(size.width, size.height);
        auto prod = static_cast<int16_t>(pd);
        feed->RefreshGraph(prod, &chart);
        ASSERT_TRUE(chart.ChartDrawn());
        EXPECT_TRUE(
            chart.LoadImg().save(dir + QStringLiteral("/palladium72h_%1.png").arg(size.name)));
    }
}
