// The chart feeders against the simulated service, through the real loaders. Writes pictures for
// a reviewer to <build dir>/gallery/chartfeed/:
//   72h_one_pane.png        range "72小时 F3", pane 1 only
//   live_four_panes.png     range "即时图", panes 1..4 (2 x 2)
//   1day_four_panes.png     range "1天 Alt+1", panes 1..4
//   10day_four_panes.png    range "10天 Alt+0", panes 1..4
//   90day_four_panes.png    range "90天 Alt+E(VIP)", panes 1..4
//   twins.png               the twin charts, today only and three days overlaid
#include "charts/chartfeed.h"

#include "tests/charts/simfeedfixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QPainter>
#include <QWidget>

#include <gtest/gtest.h>

using namespace charts;

namespace {

QString galleryPath(const QString& name) {
    const QString dir = QStringLiteral(BRELTO_GALLERY_DIR "/chartfeed");
    QDir().mkpath(dir);
    return dir + u'/' + name;
}

class SimChartFeed : public SimFeedTest {
protected:
    void SetUp() override {
        SimMarketTest::SetUp();
        if (HasFatalFailure())
            return;
        for (Chart** chart : {&c.Chart1, &c.Chart2, &c.Chart3, &c.Chart4}) {
            *chart = new Chart(&window);
            (*chart)->setGeometry(0, 0, 600, 400);
        }
        for (Chart** chart : {&c.MZChart, &c.YYChart}) {
            *chart = new Chart(&window);
            (*chart)->setGeometry(0, 0, 300, 200);
        }
        makeFeed();
        for (QComboBox* box : {c.Combo1, c.Combo2, c.Combo3, c.Combo5, c.Combo6, c.SetDrawtype})
            for (int k = 0; k < kMaxProducts; ++k)
                box->addItem(QString::number(k));
        feed->connectControls();
        // The simulated service lists fewer instruments than the stored defaults 10 and 11.
        RightChart1Prod = 4;
        RightChart2Prod = 5;
        takeSamples();
    }

    void fourPanes() {
        MainStarted = true;
        c.Combo1->setCurrentIndex(1);
        c.Combo2->setCurrentIndex(2);
        c.Combo3->setCurrentIndex(3);
        Pane3Prod = 2;
        Pane4Prod = 3;
        c.VIPChart2->click();
        c.VIPChart3->click();
        c.VIPChart4->click();
    }
    [[nodiscard]] QImage fourPanePicture() const {
        QImage out(1200, 800, QImage::Format_RGB32);
        QPainter p(&out);
        const Chart* charts[] = {c.Chart1, c.Chart2, c.Chart3, c.Chart4};
        for (int k = 0; k < 4; ++k)
            p.drawImage(QPoint(k % 2 * 600, k / 2 * 400), charts[k]->LoadImg());
        return out;
    }

};

} // namespace

TEST_F(SimChartFeed, SeventyTwoHoursOnePane) {
    c.Combo4->setCurrentIndex(3);
    c.Combo4->setCurrentIndex(1);
    ASSERT_TRUE(c.Chart1->ChartDrawn());
    EXPECT_FALSE(ProdSeries[0][0].isEmpty());
    EXPECT_EQ(c.Chart1->Rows(), 720);
    EXPECT_GT(c.Chart1->MaxValue(), c.Chart1->MinValue());
    EXPECT_FALSE(c.Chart2->ChartDrawn());
    EXPECT_TRUE(c.YYChart->ChartDrawn());
    EXPECT_TRUE(c.Chart1->LoadImg().save(galleryPath(QStringLiteral("72h_one_pane.png"))));
}

TEST_F(SimChartFeed, FourPanesFollowTheRange) {
    fourPanes();
    struct Case { int range; const char* file; int rows; };
    for (const Case& r : {Case{0, "live_four_panes.png", kSamples - 1}, Case{2, "1day_four_panes.png", 720},
                          Case{11, "10day_four_panes.png", 1440}, Case{14, "90day_four_panes.png", 90}}) {
        c.Combo4->setCurrentIndex(r.range);
        ASSERT_EQ(ChartRange, r.range);
        for (const Chart* chart : {c.Chart1, c.Chart2, c.Chart3, c.Chart4}) {
            EXPECT_TRUE(chart->ChartDrawn()) << r.file;
            EXPECT_EQ(chart->Rows(), r.rows) << r.file;
        }
        EXPECT_TRUE(fourPanePicture().save(galleryPath(QString::fromLatin1(r.file))));
    }
}

TEST_F(SimChartFeed, TwinCharts) {
    IsVip = true;
    QImage out(600, 400, QImage::Format_RGB32);
    QPainter p(&out);
    for (int threeDay : {0, 1}) {
        ThreeDayChart = static_cast<int16_t>(threeDay);
        feed->RefreshMzSy();
        ASSERT_TRUE(c.YYChart->ChartDrawn());
        ASSERT_TRUE(c.MZChart->ChartDrawn());
        EXPECT_EQ(c.YYChart->Series2().isEmpty(), threeDay == 0); // the day before yesterday only when overlaid
        p.drawImage(QPoint(0, threeDay * 200), c.YYChart->LoadImg());
        p.drawImage(QPoint(300, threeDay * 200), c.MZChart->LoadImg());
    }
    p.end();
    EXPECT_TRUE(out.save(galleryPath(QStringLiteral("twins.png"))));
}
