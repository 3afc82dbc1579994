#include "charts/klinefeed.h"

#include "charts/kline.h"
#include "charts/klinebars.h"
#include "state/quotetables.h"
#include "state/usersettings.h"
#include "tests/support/programfolder.h"

#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

QString history(int n, const QDate& newest) {
    QStringList rows;
    QDate d = newest;
    for (int k = 0; rows.size() < n; d = d.addDays(-1)) {
        if (d.dayOfWeek() > 5)
            continue;
        rows << QStringLiteral("%1,%2,%3,%4,%5")
                    .arg(d.toString(QStringLiteral("yyyy-MM-dd")))
                    .arg(400 + k % 7)
                    .arg(401 + k % 5)
                    .arg(409)
                    .arg(395);
        ++k;
    }
    return rows.join(u'|');
}

// The feed logs what goes wrong in a redraw: into a program folder of the test's own.
class KlineFeedTest : public ProgramFolderTest {
protected:
    void SetUp() override {
        ProgramFolderTest::SetUp();
        clearQuoteTables();
        CurProd = 0;
        frame = std::make_unique<QWidget>();
        tab = std::make_unique<QWidget>();
        panel = buildKlinePanel(frame.get(), tab.get());
        panel.Klines->resize(807, 454);
        host.today = [] { return QDate(2026, 12, 10); };
        host.loadLine = [this](int16_t) { ++loadLines; };
        host.loadData = [this] {
            ++loads;
            // The load's own tail draws the charts again while it is still active.
            active = true;
            feed->RefreshK();
            active = false;
        };
        host.loadDataActive = [this] { return active; };
        feed = std::make_unique<KlineFeed>(panel, host);
    }
    void TearDown() override {
        clearQuoteTables();
        ProgramFolderTest::TearDown();
    }

    std::unique_ptr<QWidget> frame, tab;
    KlinePanel panel;
    KlineHost host;
    std::unique_ptr<KlineFeed> feed;
    int loads = 0;
    int loadLines = 0;
    bool active = false;
};

} // namespace

TEST_F(KlineFeedTest, NoSnapshotLoadsOnceAndNeverFromInsideTheLoad) {
    feed->RefreshK();
    EXPECT_EQ(loads, 1);
    EXPECT_EQ(loadLines, 2); // once by the outer call, once by the load's own redraw
    EXPECT_EQ(feed->KBarCount, 90);
    EXPECT_FALSE(panel.Klines->dataReady());
}

TEST_F(KlineFeedTest, DailyBarsWithTodaysRowPatchedAndTheCountLowered) {
    ProdName[0] = QStringLiteral("美元黄金");
    ProdPrice[0][0] = 420.5f;
    ProdHigh[0] = 421;
    ProdLow[0] = 0;
    ProdDayText[0] = history(50, QDate(2026, 12, 10));
    feed->RefreshK();
    EXPECT_EQ(loads, 0);
    EXPECT_EQ(feed->KBarCount, 49);
    const QStringList bars = feed->lastBars().split(u'|');
    ASSERT_EQ(bars.size(), 50);
    EXPECT_EQ(bars.last(), QStringLiteral("2026-12-10,400,420.5,421,395"));
    EXPECT_TRUE(panel.Klines->dataReady());
    EXPECT_EQ(panel.Klines->Label5.Caption, QStringLiteral("美元黄金"));
    // "＋" raises the count again; on the 30-minute period it does nothing.
    panel.Kjia->click();
    EXPECT_EQ(feed->KBarCount, 49); // the history is still 50 rows long
    panel.kOptions[3]->click();
    EXPECT_EQ(feed->KPeriod, 3);
    const int16_t before = feed->KBarCount;
    emit panel.Klines->PressJia();
    EXPECT_EQ(feed->KBarCount, before);
}

TEST_F(KlineFeedTest, PeriodsAndTheRmbBox) {
    ProdName[0] = QStringLiteral("美元黄金");
    ProdPrice[0][0] = 401;
    RmbRate = 6.5f;
    ProdDayText[0] = history(300, QDate(2026, 12, 9));
    QStringList today;
    for (int i = 0; i < 720; ++i)
        today << QString::number(i < 300 ? 400 + i % 9 : 0);
    ProdSeries[0][0] = today.join(u',');
    ProdSeriesDate[0][0] = QDateTime(QDate(2026, 12, 10), QTime(6, 0));
    panel.kOptions[0]->click();
    EXPECT_EQ(feed->lastBars().count(u'|'), 90);
    panel.Kjian->click();
    EXPECT_EQ(feed->lastBars().count(u'|'), 85);
    panel.kOptions[1]->click();
    EXPECT_TRUE(feed->lastBars().startsWith(QStringLiteral("2025-")));
    panel.kOptions[5]->click();
    EXPECT_EQ(feed->lastBars().count(u'|'), 287);
    EXPECT_TRUE(feed->lastBars().startsWith(QStringLiteral("2026-12-10 06:00,")));
    EXPECT_EQ(panel.Klines->Label6.Caption, QStringLiteral("5分钟图"));
    panel.KshowRmb->click();
    EXPECT_TRUE(panel.Klines->KRmb);
    EXPECT_FLOAT_EQ(panel.Klines->NowRmb, 6.5f);
    // No series for today: nothing is drawn and the last bars stay.
    ProdSeries[0][0].clear();
    const QString last = feed->lastBars();
    panel.kOptions[4]->click();
    EXPECT_EQ(feed->lastBars(), last);
}

TEST_F(KlineFeedTest, MalformedHistoryIsLoggedNotThrown) {
    ProdName[0] = QStringLiteral("美元黄金");
    ProdDayText[0] = QStringLiteral("2026-11-09,1|2026-11-06,1,2,3,1");
    feed->KPeriod = 1;
    EXPECT_NO_THROW(feed->RefreshK());
    EXPECT_TRUE(feed->lastBars().isEmpty());
}
