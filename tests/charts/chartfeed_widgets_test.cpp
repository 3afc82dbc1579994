#include "charts/chartfeed.h"

#include "state/livelink.h"
#include "state/quotetables.h"
#include "platform/clock.h"
#include "platform/vbtext.h"
#include "state/configstate.h"
#include "state/session.h"
#include "state/usersettings.h"

#include <QCheckBox>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

using namespace charts;

namespace {

// Records each feeding call ("Name(range,instrument,chart)"); with `forward` the real feeder runs
// after the record, so write-backs and data checks take place.
class RecordingFeed : public ChartFeed {
public:
    using ChartFeed::ChartFeed;
    QStringList calls;
    bool forward = false;
    std::map<const Chart*, QString> names;

    void Refreshmin(int16_t& Rmnum, Chart* Setchart) override {
        record("Refreshmin", 0, Rmnum, Setchart);
        if (forward)
            ChartFeed::Refreshmin(Rmnum, Setchart);
    }
    void RefreshGraph(int16_t& Rg1Num, Chart* Setchart) override {
        record("RefreshGraph", 0, Rg1Num, Setchart);
        if (forward)
            ChartFeed::RefreshGraph(Rg1Num, Setchart);
    }
    void RefreshTheDay(int16_t ShowTheday, int16_t& RtdNum, Chart* Setchart) override {
        record("RefreshTheDay", ShowTheday, RtdNum, Setchart);
        if (forward)
            ChartFeed::RefreshTheDay(ShowTheday, RtdNum, Setchart);
    }
    void RefreshMonth(int16_t& Todays, int16_t& Rmnum, Chart* Setchart) override {
        record("RefreshMonth", Todays, Rmnum, Setchart);
        if (forward)
            ChartFeed::RefreshMonth(Todays, Rmnum, Setchart);
    }
    void RefreshMzSy() override {
        calls << QStringLiteral("RefreshMzSy");
        if (forward)
            ChartFeed::RefreshMzSy();
    }
    void RefreshK() override { calls << QStringLiteral("RefreshK"); }

private:
    void record(const char* name, int range, int prod, const Chart* chart) {
        calls << QStringLiteral("%1(%2,%3,%4)").arg(QLatin1String(name)).arg(range).arg(prod).arg(chart ? names[chart] : QStringLiteral("-"));
    }
};

class FeedWindow : public ::testing::Test {
protected:
    void SetUp() override {
        clearQuoteTables();
        ServerNow = QDateTime(QDate(2026, 12, 9), QTime(10, 0)); // a Wednesday
        auto* layout = new QVBoxLayout(&window);
        auto chart = [&](Chart*& slot, const char* name) {
            slot = new Chart(&window);
            slot->setGeometry(0, 0, 600, 400); // outside the layout, so it keeps its size
            names[slot] = QString::fromLatin1(name);
        };
        chart(c.Chart1, "Chart1");
        chart(c.Chart2, "Chart2");
        chart(c.Chart3, "Chart3");
        chart(c.Chart4, "Chart4");
        chart(c.MZChart, "MZChart");
        chart(c.YYChart, "YYChart");
        for (QComboBox** box : {&c.Combo4, &c.Combo1, &c.Combo2, &c.Combo3, &c.Combo5, &c.Combo6, &c.SetDrawtype}) {
            *box = new QComboBox(&window);
            layout->addWidget(*box);
        }
        for (QComboBox* box : {c.Combo1, c.Combo2, c.Combo3, c.Combo5, c.Combo6, c.SetDrawtype})
            for (int k = 0; k < kMaxProducts; ++k)
                box->addItem(QStringLiteral("品种%1").arg(k));
        for (QCheckBox** box : {&c.VIPChart2, &c.VIPChart3, &c.VIPChart4}) {
            *box = new QCheckBox(&window);
            layout->addWidget(*box);
        }
        c.Cole0 = new QWidget(&window);
        c.Cole0->setFixedWidth(700);
        layout->addWidget(c.Cole0);
        c.Nextupti = new QLabel(&window);
        c.meResize = [this](bool redraw) { resizes << redraw; };
        c.windowWidthTwips = [] { return 12000; };
        c.selectChartTab = [this] { ++tabSwitches; };
        c.setKlineCaption = [this](const QString& text) { klineCaption = text; };
        feed = std::make_unique<RecordingFeed>(c);
        feed->names = names;
        feed->connectControls();
        window.show();
        c.Chart2->hide();
        c.Chart3->hide();
        c.Chart4->hide();
    }
    void TearDown() override {
        clearQuoteTables();
        ServerNow = QDateTime();
        CurTab = -1;
        ChartKind = 0;
        ChartRange = 1;
        IsVip = false;
        ConfigLoaded = false;
        MainStarted = false;
        CurProd = 0;
        Pane2Prod = Pane3Prod = Pane4Prod = 0;
        RightChart1Prod = 10;
        RightChart2Prod = 11;
        ThreeDayChart = 0;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w != &window && w->isVisible())
                w->close();
    }

    // Moves the range box without running its handler, as if the user had left it there.
    void leaveRangeBoxAt(int index) {
        const QSignalBlocker block(c.Combo4);
        c.Combo4->setCurrentIndex(index);
        ChartRange = static_cast<int16_t>(index);
    }

    static QString series(float base) {
        QStringList items(720, platform::singleText(base));
        items[30] = platform::singleText(base + 10);
        return items.join(QLatin1Char(','));
    }

    QWidget window;
    FeedControls c;
    std::map<const Chart*, QString> names;
    std::unique_ptr<RecordingFeed> feed;
    QList<bool> resizes;
    int tabSwitches = 0;
    QString klineCaption;
};

} // namespace

TEST_F(FeedWindow, StartState) {
    EXPECT_EQ(c.Combo4->count(), 17);
    EXPECT_EQ(c.Combo4->currentIndex(), 1);
    EXPECT_EQ(c.Combo4->itemText(0), QStringLiteral("即时图"));
    EXPECT_EQ(c.VIPChart2->text(), QStringLiteral("启用2图"));
    EXPECT_EQ(c.VIPChart4->text(), QStringLiteral("启用4图"));
    EXPECT_TRUE(c.VIPChart2->isEnabled());
    EXPECT_FALSE(c.VIPChart3->isEnabled());
    EXPECT_FALSE(c.VIPChart4->isEnabled());
    EXPECT_TRUE(feed->calls.isEmpty());
}

TEST_F(FeedWindow, CheckBoxChain) {
    MainStarted = true;
    CurTab = 2;
    c.Combo1->setCurrentIndex(7);
    c.VIPChart2->click();
    ASSERT_TRUE(c.VIPChart2->isChecked());
    EXPECT_EQ(Pane2Prod, 7);
    EXPECT_FALSE(c.Chart2->isHidden());
    EXPECT_TRUE(c.Combo1->isEnabled());
    EXPECT_TRUE(c.Combo2->isEnabled());
    EXPECT_TRUE(c.VIPChart3->isEnabled());
    EXPECT_FALSE(c.VIPChart4->isEnabled());
    EXPECT_EQ(tabSwitches, 1);
    EXPECT_EQ(resizes, (QList<bool>{true, true}));                 // Combo1's, then the box's own
    EXPECT_EQ(feed->calls, (QStringList{"RefreshGraph(0,-1,-)", "RefreshGraph(0,7,Chart2)", "RefreshMzSy"}));

    c.VIPChart3->click();
    EXPECT_FALSE(c.Chart3->isHidden());
    EXPECT_TRUE(c.VIPChart4->isEnabled());
    EXPECT_TRUE(c.Combo3->isEnabled());
    c.VIPChart4->click();
    EXPECT_FALSE(c.Chart4->isHidden());

    c.VIPChart2->click();
    EXPECT_FALSE(c.VIPChart3->isChecked());
    EXPECT_FALSE(c.VIPChart4->isChecked());
    for (Chart* chart : {c.Chart2, c.Chart3, c.Chart4})
        EXPECT_TRUE(chart->isHidden()) << names[chart].toStdString();
    for (QWidget* w : std::initializer_list<QWidget*>{c.VIPChart3, c.VIPChart4, c.Combo1, c.Combo2, c.Combo3})
        EXPECT_FALSE(w->isEnabled());
    EXPECT_TRUE(c.VIPChart2->isEnabled());
}

TEST_F(FeedWindow, DisabledBoxIgnoresClicks) {
    c.VIPChart3->click();
    EXPECT_FALSE(c.VIPChart3->isChecked());
    EXPECT_TRUE(c.Chart3->isHidden());
}

TEST_F(FeedWindow, PaneInstrumentMinusOneBecomesCurProd) {
    ConfigLoaded = true;
    CurTab = 2;
    CurProd = 5;
    Pane2Prod = -1;
    feed->forward = true;
    {
        const QSignalBlocker block(c.VIPChart2);
        c.VIPChart2->setChecked(true);
    }
    leaveRangeBoxAt(12);
    feed->UpdateImg();
    EXPECT_EQ(feed->calls, (QStringList{"RefreshMonth(30,5,Chart1)", "RefreshMonth(30,-1,Chart2)", "RefreshMzSy"}));
    EXPECT_EQ(Pane2Prod, 5);
}

TEST_F(FeedWindow, KlineViewSetsCaptionAndSkipsPanes) {
    CurTab = 3;
    ChartKind = 1;
    CurProd = 2;
    ProdPrice[2][0] = 5.5f;
    ProdPrev[2] = -1.25f;
    feed->UpdateImg();
    EXPECT_EQ(feed->calls, (QStringList{"RefreshK", "RefreshMzSy"}));
    EXPECT_EQ(klineCaption, QStringLiteral("0,0,0,5.5,-1.25,-"));
}

TEST_F(FeedWindow, MembersOnlyRangeFallsBackToTwoDays) {
    CurTab = 2;
    leaveRangeBoxAt(16);
    feed->UpdateImg();
    EXPECT_EQ(c.Combo4->currentIndex(), 3);
    EXPECT_EQ(ChartRange, 3);
    // The twin charts come only from the second, two-day run.
    EXPECT_EQ(feed->calls, (QStringList{"RefreshTheDay(2,0,Chart1)", "RefreshMzSy"}));
}

TEST_F(FeedWindow, MissingHistoryMovesToTwoDaysOnce) {
    ConfigLoaded = true;
    AllDataLoaded = true;
    CurTab = 2;
    feed->forward = true;
    leaveRangeBoxAt(4);
    feed->UpdateImg();
    // Three days are missing: the box moves to two days, whose history is missing too; the box
    // already shows it, so the second run stops instead of moving the box again.
    EXPECT_EQ(c.Combo4->currentIndex(), 3);
    EXPECT_EQ(feed->calls, (QStringList{"RefreshTheDay(3,0,Chart1)", "RefreshTheDay(2,0,Chart1)", "RefreshMzSy",
                                        "RefreshMzSy"}));
    EXPECT_FALSE(c.Chart1->ChartDrawn());
}

TEST_F(FeedWindow, LiveChartWithoutSamplesShowsSeventyTwoHours) {
    CurTab = 2;
    TickCount = 1;
    leaveRangeBoxAt(5);
    c.Combo4->setCurrentIndex(0);
    EXPECT_EQ(c.Combo4->currentIndex(), 1);
    EXPECT_EQ(ChartRange, 1);
    EXPECT_EQ(feed->calls, (QStringList{"RefreshGraph(0,-1,-)", "RefreshMzSy"}));
    EXPECT_EQ(c.Combo4->toolTip(), QStringLiteral("72小时 F3"));
}

TEST_F(FeedWindow, RangeBoxStoresRangeAndShowsLiveNotice) {
    CurTab = 2;
    IsVip = true;
    UseRealtime = true;
    c.Combo4->setCurrentIndex(13);
    UseRealtime = false;
    EXPECT_EQ(ChartRange, 13);
    EXPECT_EQ(feed->calls, (QStringList{"RefreshMonth(60,0,Chart1)", "RefreshMzSy"}));
    EXPECT_EQ(c.Nextupti->text(), QStringLiteral("提示：正在使用VIP实时服务器."));
}

TEST_F(FeedWindow, SelectorsStoreInstruments) {
    MainStarted = true;
    CurTab = 1;
    struct Case { QComboBox* box; int16_t* value; };
    for (const Case& s : {Case{c.Combo5, &RightChart1Prod}, Case{c.Combo6, &RightChart2Prod},
                          Case{c.SetDrawtype, &CurProd}, Case{c.Combo3, &Pane4Prod}}) {
        feed->calls.clear();
        s.box->setCurrentIndex(9);
        EXPECT_NE(*s.value, 9); // filling or moving from code does not run the handler
        emit s.box->activated(9);
        EXPECT_EQ(*s.value, 9);
        EXPECT_EQ(feed->calls, QStringList{"RefreshMzSy"});
    }
    EXPECT_FALSE(c.Chart4->isHidden());
}

TEST_F(FeedWindow, PaneSelectorsWaitForStart) {
    c.Combo2->setCurrentIndex(4);
    emit c.Combo2->activated(4);
    EXPECT_EQ(Pane3Prod, 0);
    EXPECT_TRUE(feed->calls.isEmpty());
}

TEST_F(FeedWindow, TwinChartsNonMemberAndMissingData) {
    ConfigLoaded = true;
    AllDataLoaded = true;
    ThreeDayChart = 1;
    feed->forward = true;
    ProdSeries[11][0] = series(1200);
    feed->RefreshMzSy();
    EXPECT_EQ(ThreeDayChart, 0);
    EXPECT_FALSE(c.YYChart->ChartDrawn());
    EXPECT_FALSE(c.MZChart->ChartDrawn()); // the first chart's missing data stop both

    ProdSeries[10][0] = series(1300);
    ProdSeries[11][0].clear();
    feed->RefreshMzSy();
    EXPECT_TRUE(c.YYChart->ChartDrawn());
    EXPECT_FALSE(c.MZChart->ChartDrawn());
    EXPECT_EQ(c.YYChart->Rows(), 240);
    EXPECT_FLOAT_EQ(c.YYChart->MaxValue(), 1310.2f);
}

TEST_F(FeedWindow, OneDayChartAppliedToChart) {
    ConfigLoaded = true;
    AllDataLoaded = true;
    CurTab = 2;
    CurProd = 4;
    ProdName[4] = QStringLiteral("白银");
    ProdSeries[4][0] = series(20);
    c.Combo4->setCurrentIndex(2);
    feed->forward = true;
    feed->calls.clear();
    feed->UpdateImg();
    EXPECT_TRUE(c.Chart1->ChartDrawn());
    EXPECT_EQ(c.Chart1->Rows(), 720);
    EXPECT_TRUE(c.Chart1->Is720);
    EXPECT_TRUE(c.Chart1->ShowTime);
    EXPECT_EQ(c.Chart1->pRows(), 12); // set to 11; the chart counts one up per drawing
    EXPECT_EQ(c.Chart1->pCols(), 13);
    EXPECT_EQ(c.Chart1->Series1().size(), 720);
    EXPECT_FLOAT_EQ(c.Chart1->MaxValue(), 31.f);
}
