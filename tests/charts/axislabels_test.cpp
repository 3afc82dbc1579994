// The line chart's axis labels as the main window draws them: the intraday and the 72-hour chart
// of instruments with narrow and wide ranges, in one to four panes at the sizes a 1024 and a 1280
// pixel screen give them. No two labels may overlap, and no two neighbouring value labels may read
// the same.
#include "charts/chart.h"
#include "charts/chartfeed.h"
#include "charts/chartgeometry.h"
#include "platform/surface.h"
#include "state/quotetables.h"
#include "tests/charts/labelcheck.h"

#include <QDateTime>
#include <QDir>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

using namespace charts;
using platform::SurfaceOp;

namespace {

struct Instrument {
    const char* name;
    float start;
    float step; // between neighbouring ticks, alternating up and down
    int decimals;
};

// Narrow: a price that moved three cents all morning (the fault: 59.68, 59.68, 59.67); wide: a
// gold price in thousands; silver quoted in thousandths.
constexpr Instrument kInstruments[] = {
    {"narrow crude", 59.66f, 0.01f, 2},
    {"gold in thousands", 2151.5f, 3.7f, 2},
    {"silver in thousandths", 3.421f, 0.001f, 3},
    {"flat price", 100.0f, 0.0f, 2},
};

struct Pane {
    int panes;
    int width;
    int height;
    int windowWidthPixels;
};

// Pane sizes of the chart tab with one to four panes, at 1280 and at 1024 pixels.
constexpr Pane kPanes[] = {
    {1, 1010, 560, 1280}, {2, 1010, 280, 1280}, {3, 505, 280, 1280}, {4, 505, 280, 1280},
    {1, 760, 520, 1024},  {2, 760, 260, 1024},  {4, 380, 260, 1024},
};

struct Label {
    QString text;
    QRectF box;
};

class AxisLabels : public ::testing::Test {
protected:
    void SetUp() override {
        clearQuoteTables();
        ProdName[3] = QStringLiteral("伦敦金");
        QuoteDate = QStringLiteral("2026-12-10");
        QuoteTime = QStringLiteral("10:05:07");
        for (int d = 0; d < kSeriesDays; ++d)
            ProdSeriesDate[3][d] = QDateTime(QDate(2026, 12, 10).addDays(-d), QTime(0, 0));
    }
    void TearDown() override { clearQuoteTables(); }

    static void fillTicks(const Instrument& ins, int count) {
        TickCount = static_cast<int16_t>(count);
        for (int k = 1; k <= count; ++k) {
            // Up and down within three steps of the start, the whole morning.
            const float price = ins.start + ins.step * static_cast<float>((k * 7 / 5) % 4);
            ProdTick[3][k] = static_cast<float>(
                std::round(price * std::pow(10.0, ins.decimals)) / std::pow(10.0, ins.decimals));
            TickTime[k] = QDateTime(QDate(2026, 12, 10), QTime(9, 0)).addSecs(k * 6).toString(
                QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        }
    }

    static QString dayOf(const Instrument& ins, int shift) {
        QStringList items;
        for (int k = 0; k < 720; ++k)
            items << QString::number(ins.start + ins.step * static_cast<float>((k * 7 + shift) % 11),
                                     'f', ins.decimals);
        return items.join(u',');
    }

    // Draws the plan on a recording chart of the pane's size; the texts the drawing printed, with
    // the boxes they cover, in drawing order.
    std::vector<Label> draw(const FeedPlan& plan, const Pane& pane) {
        auto surface = std::make_unique<platform::RecordingSurface>(0, 0);
        platform::RecordingSurface* rec = surface.get();
        chart = std::make_unique<Chart>(std::move(surface));
        chart->resize(pane.width, pane.height);
        applyFeedPlan(*chart, plan);
        std::vector<Label> labels;
        const double lineHeight = rec->TextHeight(QStringLiteral("I"));
        for (const SurfaceOp& op : rec->ops())
            if (op.kind == SurfaceOp::Kind::Text && !op.text.isEmpty())
                labels.push_back({op.text, QRectF(op.x1, op.y1, rec->TextWidth(op.text), lineHeight)});
        return labels;
    }

    // The value labels (left margin) and the bottom captions (bottom margin).
    static std::vector<Label> valueLabels(const std::vector<Label>& all, double marginLeft) {
        std::vector<Label> out;
        for (const Label& l : all)
            if (l.box.right() <= marginLeft + 1 && l.box.left() >= -marginLeft) out.push_back(l);
        return out;
    }
    static std::vector<Label> bottomCaptions(const std::vector<Label>& all, double H, double marginBottom) {
        std::vector<Label> out;
        for (const Label& l : all)
            if (l.box.top() >= H - marginBottom - 1) out.push_back(l);
        return out;
    }

    static void expectApartAndDistinct(const std::vector<Label>& labels, bool neighboursDiffer) {
        for (size_t i = 0; i < labels.size(); ++i)
            for (size_t j = i + 1; j < labels.size(); ++j)
                EXPECT_FALSE(labels[i].box.intersects(labels[j].box))
                    << '"' << labels[i].text.toStdString() << "\" and \"" << labels[j].text.toStdString() << '"';
        if (!neighboursDiffer) return;
        for (size_t i = 1; i < labels.size(); ++i)
            EXPECT_NE(labels[i].text, labels[i - 1].text) << "neighbours " << i - 1 << " and " << i;
    }

    std::unique_ptr<Chart> chart;
};

} // namespace

TEST_F(AxisLabels, IntradayLabelsNeitherOverlapNorRepeat) {
    for (const Instrument& ins : kInstruments)
        for (const Pane& pane : kPanes) {
            SCOPED_TRACE(testing::Message() << ins.name << ", " << pane.panes << " panes at " << pane.windowWidthPixels);
            fillTicks(ins, 300);
            FeedContext ctx;
            ctx.pane2On = pane.panes > 1;
            ctx.windowWidthTwips = pane.windowWidthPixels * 15;
            const auto plan = buildRefreshmin(3, ctx);
            ASSERT_TRUE(plan);
            const std::vector<Label> all = draw(*plan, pane);
            const double H = pane.height * 15.0;
            const std::vector<Label> values = valueLabels(all, kDrawNumLineMargins.Left);
            const std::vector<Label> captions = bottomCaptions(all, H, kDrawNumLineMargins.Bottom);
            // A flat price has one value to show; the others show a scale.
            EXPECT_GE(values.size(), ins.step == 0 ? 1u : 3u);
            EXPECT_GE(captions.size(), 2u);
            expectApartAndDistinct(values, true);
            expectApartAndDistinct(captions, false);
        }
}

TEST_F(AxisLabels, SeventyTwoHourLabelsNeitherOverlapNorRepeat) {
    for (const Instrument& ins : kInstruments)
        for (const Pane& pane : kPanes) {
            SCOPED_TRACE(testing::Message() << ins.name << ", " << pane.panes << " panes at " << pane.windowWidthPixels);
            for (int d = 0; d < 3; ++d)
                ProdSeries[3][d] = dayOf(ins, d);
            FeedContext ctx;
            ctx.pane2On = pane.panes > 1;
            ctx.coleWidthTwips = pane.width * 15;
            ctx.windowWidthTwips = pane.windowWidthPixels * 15;
            const auto plan = buildRefreshGraph(3, ctx);
            ASSERT_TRUE(plan);
            const std::vector<Label> all = draw(*plan, pane);
            const double H = pane.height * 15.0;
            const std::vector<Label> values = valueLabels(all, kRmbAxisMargins.Left);
            const std::vector<Label> captions = bottomCaptions(all, H, kRmbAxisMargins.Bottom);
            EXPECT_GE(values.size(), 1u);
            EXPECT_GE(captions.size(), 2u);
            expectApartAndDistinct(values, true);
            expectApartAndDistinct(captions, false);
        }
}

// The intraday and 72-hour charts with their titles, information lines and legends: in the
// narrow panes they cannot stand side by side, and none may be printed over another (a legend's
// "最低:2151.5" under the time line read "最低:2151.").
TEST_F(AxisLabels, NoTextPrintedOverAnother) {
    for (const Instrument& ins : kInstruments)
        for (const Pane& pane : kPanes)
            for (bool seventyTwo : {false, true}) {
                SCOPED_TRACE(testing::Message()
                             << ins.name << ", " << pane.panes << " panes at "
                             << pane.windowWidthPixels << (seventyTwo ? ", 72 hours" : ", live"));
                fillTicks(ins, 300);
                for (int d = 0; d < 3; ++d)
                    ProdSeries[3][d] = dayOf(ins, d);
                FeedContext ctx;
                ctx.pane2On = pane.panes > 1;
                ctx.pane3On = pane.panes > 2;
                ctx.coleWidthTwips = pane.width * 15;
                ctx.windowWidthTwips = pane.windowWidthPixels * 15;
                const auto plan = seventyTwo ? buildRefreshGraph(3, ctx) : buildRefreshmin(3, ctx);
                ASSERT_TRUE(plan);
                auto surface = std::make_unique<platform::RecordingSurface>(0, 0);
                platform::RecordingSurface* rec = surface.get();
                Chart drawn(std::move(surface));
                drawn.resize(pane.width, pane.height);
                applyFeedPlan(drawn, *plan);
                expectNoTextOverAnother(rec->ops(SurfaceOp::Kind::Text));
            }
}

// Not a check beyond the drawing having happened: the intraday chart in four panes as a 1280 and
// a 1024 pixel screen give them, for a reviewer: <build dir>/gallery/charts/intraday4panes.png
// (top row at 1280: narrow crude, gold; bottom row at 1024: silver, gold).
TEST_F(AxisLabels, FourPaneGalleryPicture) {
    struct Cell {
        const Instrument* ins;
        Pane pane;
        QPoint at;
    };
    const Cell cells[] = {
        {&kInstruments[0], {4, 505, 280, 1280}, {0, 0}},
        {&kInstruments[1], {4, 505, 280, 1280}, {505, 0}},
        {&kInstruments[2], {4, 380, 260, 1024}, {0, 280}},
        {&kInstruments[1], {4, 380, 260, 1024}, {380, 280}},
    };
    QImage picture(1010, 540, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    for (const Cell& c : cells) {
        fillTicks(*c.ins, 300);
        FeedContext ctx;
        ctx.pane2On = true;
        ctx.windowWidthTwips = c.pane.windowWidthPixels * 15;
        const auto plan = buildRefreshmin(3, ctx);
        ASSERT_TRUE(plan);
        Chart pane;
        pane.resize(c.pane.width, c.pane.height);
        applyFeedPlan(pane, *plan);
        const QImage frame = pane.frame();
        ASSERT_FALSE(frame.isNull());
        painter.drawImage(c.at, frame);
    }
    painter.end();
    const QString dir = QStringLiteral(BRELTO_GALLERY_DIR "/charts");
    QDir().mkpath(dir);
    EXPECT_TRUE(picture.save(dir + QStringLiteral("/intraday4panes.png")));
}

// The two axes of the RMB drawings: dollar levels on the left, renminbi levels on the right, each
// whole in its margin and reading as its level, for prices from a silver account's to a dollar
// gold ounce's in renminbi, with as many decimals as the price sample asks for.
TEST_F(AxisLabels, RmbAxesFitTheirMargins) {
    struct Case {
        const char* what;
        float min, max;
        float XsJZ;
        float NowRmb;
    };
    const Case cases[] = {
        {"silver in thousandths", 5.081f, 5.139f, 10.278f, 7.1f},
        {"dollar gold, four decimals sampled", 3871.25f, 3902.75f, 7804.1234f, 7.1f},
        {"palladium in RMB per gram", 422.9892f, 450.7264f, 901.4528f, 7.1f},
        {"crude oil", 58.62f, 61.1f, 122.2f, 7.1f},
    };
    for (const Case& c : cases)
        for (const Pane& pane : {kPanes[0], kPanes[4], kPanes[6]}) {
            SCOPED_TRACE(testing::Message() << c.what << " at " << pane.width);
            auto surface = std::make_unique<platform::RecordingSurface>(0, 0);
            platform::RecordingSurface* rec = surface.get();
            Chart drawn(std::move(surface));
            drawn.resize(pane.width, pane.height);
            drawn.XsJZ = c.XsJZ;
            drawn.NowRmb = c.NowRmb;
            drawn.setRows(720);
            drawn.setpRows(6);
            drawn.setpCols(8);
            drawn.setMinValue(c.min);
            drawn.setMaxValue(c.max);
            drawn.DrawGraph({QStringLiteral("%1,%2").arg(c.min).arg(c.max), QString(), QString()},
                            {0xFF, 0xFF00, 0xFF0000}, QStringList(8, QStringLiteral("06:00")),
                            false);
            const ChartMargins& m = drawn.margins();
            const double W = pane.width * 15.0;
            const double lineHeight = rec->TextHeight(QStringLiteral("I"));
            int left = 0;
            int right = 0;
            for (const SurfaceOp& op : rec->ops(SurfaceOp::Kind::Text)) {
                bool number = false;
                (void)op.text.toDouble(&number);
                if (!number) continue;
                const double level =
                    drawn.MaxValue() - (op.y1 + lineHeight / 2 - m.Top) * drawn.ValuePerTwip();
                const double width = rec->TextWidth(op.text);
                if (op.x1 < m.Left) {
                    ++left;
                    EXPECT_TRUE(within(op.text, op.x1, width, 0, m.Left));
                    EXPECT_TRUE(readsAs(op.text, level));
                } else {
                    ++right;
                    EXPECT_TRUE(within(op.text, op.x1, width, W - m.Right, W));
                    EXPECT_TRUE(readsAs(op.text, level * c.NowRmb));
                }
            }
            EXPECT_GE(left, 3);
            EXPECT_EQ(right, left);
        }
}
