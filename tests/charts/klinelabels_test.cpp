// Every number the candlestick chart draws, for every instrument of the simulated market, at the
// chart sizes a 1280 and a 1024 pixel screen and the smallest main window give, in dollars and with
// the RMB box ticked: the price axis, the averages' labels, the head read-outs and the crosshair's
// two price labels are whole and read as the values they stand for, measured with the font they
// are drawn in. Writes, for a reviewer:
//   <build dir>/gallery/charts/klinermbcrosshairright.png  daily bars of the dollar gold account
//   with the RMB box ticked and the crosshair at the chart's right edge, at 1280 pixels
//   <build dir>/gallery/charts/klinermbsmallest.png  the same in the smallest main window
#include "charts/kline.h"

#include "charts/klinebars.h"
#include "charts/klinemodel.h"
#include "platform/surface.h"
#include "simservice/simmarket.h"
#include "state/quotetables.h"
#include "tests/charts/labelcheck.h"

#include <QDir>

#include <gtest/gtest.h>

#include <algorithm>

using platform::RecordingSurface;
using platform::SurfaceOp;

namespace {

constexpr ChartSize kSizes[] = {{"1280", 1010, 560}, {"1024", 760, 520}, {"smallest window", 390, 300}};

const QDate kToday(2026, 12, 11);

// Daily rows of instrument i over the 90 trading days before kToday, newest first, from the
// simulated market's two-minute prices.
QString simHistory(const SimMarket& market, int i) {
    QStringList rows;
    for (QDate d = kToday; rows.size() < 90; d = d.addDays(-1)) {
        if (!SimMarket::isTradingDate(d)) continue;
        const std::vector<double>& s = market.series(i, d);
        const auto [low, high] = std::minmax_element(s.begin(), s.end());
        rows << QStringLiteral("%1,%2,%3,%4,%5")
                    .arg(d.toString(QStringLiteral("yyyy-MM-dd")), SimMarket::priceText(s.front()),
                         SimMarket::priceText(s.back()), SimMarket::priceText(*high),
                         SimMarket::priceText(*low));
    }
    return rows.join(u'|');
}

// Average of the closes of the N bars up to the last real bar.
double lastAverage(const QStringList& bars, int N) {
    const int last = LastRealBar(bars);
    double sum = 0;
    for (int j = last; j > last - N; --j)
        sum += bars[j].section(u',', 2, 2).toDouble();
    return sum / N;
}

// The number after a label's "MA5:" or the like.
QString numberOf(const QString& caption) {
    return caption.section(u':', 1);
}

class KlineLabels : public ::testing::Test {
protected:
    void SetUp() override { RmbRate = static_cast<float>(market.rmbFactor(kToday, 700)); }
    void TearDown() override { RmbRate = 0; }
    SimMarket market{1};
};

} // namespace

TEST_F(KlineLabels, EveryInstrumentSizeAndCurrency) {
    for (size_t i = 0; i < SimMarket::instruments().size(); ++i) {
        const SimMarket::Instrument& ins = SimMarket::instruments()[i];
        const QString history = simHistory(market, static_cast<int>(i));
        for (const ChartSize& size : kSizes) {
            for (bool rmb : {false, true}) {
                SCOPED_TRACE(testing::Message() << ins.code.toStdString() << ", " << size.name
                                                << (rmb ? ", in RMB" : ", in dollars"));
                auto* surface = new RecordingSurface(0, 0);
                Kline k{std::unique_ptr<platform::Surface>(surface)};
                k.resize(size.width, size.height);
                k.KRmb = rmb;
                int16_t count = 89;
                k.DrawKline(dailyBars(history, count), ins.name, QStringLiteral("日线图"));
                ASSERT_TRUE(k.dataReady());
                const double W = size.width * 15.0;
                const KLayout& l = k.layout();

                int axis = 0;
                for (const SurfaceOp& op : surface->ops(SurfaceOp::Kind::Text)) {
                    bool number = false;
                    (void)op.text.toDouble(&number);
                    if (!number || op.y1 >= size.height * 15.0 - kKMarginBottom)
                        continue; // a month number in the date strip
                    const QFont font = platform::surfaceFont(op.fontName, op.fontSize, op.bold);
                    const double middle = op.y1 + platform::lineHeightTwips(font) / 2;
                    EXPECT_TRUE(within(op.text, op.x1, platform::textWidthTwips(font, op.text), 0,
                                       kKMarginLeft));
                    EXPECT_TRUE(
                        readsAs(op.text, l.priceMax - (middle - kKMarginTop) * l.pricePerTwip));
                    ++axis;
                }
                EXPECT_EQ(axis, 16);

                const float factor = rmb ? k.NowRmb : 1.0f;
                for (int a = 0; a < 5; ++a) {
                    const ChartLabel& label = k.Label1s[a];
                    EXPECT_TRUE(wholeLabel(label, W)) << label.Caption.toStdString();
                    // The chart keeps an average to cents before it takes it in RMB.
                    EXPECT_TRUE(
                        readsAs(numberOf(label.Caption),
                                lastAverage(k.bars(), kMaPeriods[static_cast<size_t>(a)]) * factor,
                                0.005 * factor));
                }
                const QStringList last = k.bars()[LastRealBar(k.bars())].split(u',');
                k.setNowcaption(QStringList{last[1], last[3], last[4], last[2],
                                            QStringLiteral("-12.5"), QStringLiteral("-0.8%")}
                                    .join(u','));
                EXPECT_TRUE(readsAs(k.cShou.Caption, last[2].toDouble() * factor));
                // The head row and the averages' row: each label whole, none over another.
                std::vector<const ChartLabel*> row = {&k.Label5, &k.Label6, &k.cKai, &k.cMax,
                                                      &k.cMin,   &k.cShou,  &k.cZD};
                for (const ChartLabel& l : k.Label1s)
                    row.push_back(&l);
                for (size_t a = 0; a < row.size(); ++a) {
                    EXPECT_TRUE(wholeLabel(*row[a], W)) << row[a]->Caption.toStdString();
                    const QRectF boxA(row[a]->Left, row[a]->Top,
                                      platform::textWidthTwips(row[a]->Font, row[a]->Caption),
                                      platform::lineHeightTwips(row[a]->Font));
                    for (size_t b = a + 1; b < row.size(); ++b) {
                        const QRectF boxB(row[b]->Left, row[b]->Top,
                                          platform::textWidthTwips(row[b]->Font, row[b]->Caption),
                                          platform::lineHeightTwips(row[b]->Font));
                        EXPECT_FALSE(boxA.intersects(boxB))
                            << row[a]->Caption.toStdString() << " and "
                            << row[b]->Caption.toStdString();
                    }
                }

                // The crosshair moved to the right edge of the plot, a third down.
                const double y = kKMarginTop + l.plotHeight / 3;
                k.mouseMoveTw(1, 0, W - kKMarginRight - 15, y);
                EXPECT_TRUE(wholeLabel(k.Labelx, W));
                EXPECT_TRUE(wholeLabel(k.Labely, W));
                EXPECT_TRUE(
                    readsAs(k.Labelx.Caption, l.priceMax - (y - kKMarginTop) * l.pricePerTwip));
                EXPECT_TRUE(readsAs(k.Labely.Caption, k.Labelx.Caption.toDouble() * k.NowRmb));
                EXPECT_TRUE(wholeLabel(k.Labelb, W));
                // The next refresh redraws under the crosshair: the read-outs stay whole.
                k.redraw();
                EXPECT_TRUE(wholeLabel(k.Labelx, W)) << "after a redraw";
                EXPECT_TRUE(wholeLabel(k.Labely, W)) << "after a redraw: " << k.Labely.Caption.toStdString();
            }
        }
    }
}

TEST_F(KlineLabels, RmbBoxAndCrosshairAtTheRightEdgePictures) {
    const int gold = SimMarket::indexOf(QStringLiteral("mgold"));
    ASSERT_GE(gold, 0);
    const QString dir = QStringLiteral(BRELTO_GALLERY_DIR "/charts");
    ASSERT_TRUE(QDir().mkpath(dir));
    struct Picture {
        ChartSize size;
        const char* file;
    };
    for (const Picture& p : {Picture{kSizes[0], "klinermbcrosshairright.png"},
                             Picture{kSizes[2], "klinermbsmallest.png"}}) {
        Kline k;
        k.resize(p.size.width, p.size.height);
        k.KRmb = true;
        int16_t count = 89;
        k.DrawKline(dailyBars(simHistory(market, gold), count), SimMarket::instruments()[gold].name,
                    QStringLiteral("日线图"));
        const QStringList last = k.bars()[LastRealBar(k.bars())].split(u',');
        k.setNowcaption(QStringList{last[1], last[3], last[4], last[2], QStringLiteral("-12.5"),
                                    QStringLiteral("-0.8%")}
                            .join(u','));
        k.dblClick();
        k.mouseMoveTw(0, 0, p.size.width * 15.0 - kKMarginRight - 15, 2400);
        EXPECT_TRUE(k.Labely.Visible);
        EXPECT_TRUE(k.frame().save(dir + u'/' + QString::fromLatin1(p.file)));
        k.dblClick();
    }
}
