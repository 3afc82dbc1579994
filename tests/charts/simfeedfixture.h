#pragma once
// The chart feeder on controls laid out as the main window gives them, against the simulated
// service through the real loaders. A test makes the charts it records itself; the rest are made
// here.
#include "charts/chartfeed.h"

#include "tests/market/simfixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QWidget>

#include <memory>

class SimFeedTest : public SimMarketTest {
protected:
    // Every control the test has not made yet, then the feeder on them.
    void makeFeed() {
        for (Chart** chart : {&c.Chart1, &c.Chart2, &c.Chart3, &c.Chart4, &c.MZChart, &c.YYChart})
            if (*chart == nullptr)
                *chart = new Chart(&window);
        for (QComboBox** box : {&c.Combo4, &c.Combo1, &c.Combo2, &c.Combo3, &c.Combo5, &c.Combo6, &c.SetDrawtype})
            *box = new QComboBox(&window);
        for (QCheckBox** box : {&c.VIPChart2, &c.VIPChart3, &c.VIPChart4})
            *box = new QCheckBox(&window);
        c.Cole0 = new QWidget(&window);
        c.Cole0->setFixedWidth(1000);
        c.quotes = &run;
        c.windowWidthTwips = [] { return 18000; };
        feed = std::make_unique<charts::ChartFeed>(c);
        CurTab = 2;
        ChartKind = 0;
    }

    // Snapshots half a minute apart give the live chart its samples.
    void takeSamples() {
        for (int k = 0; k < kSamples; ++k) {
            run.LoadData();
            pcTime = pcTime.addSecs(30);
            ServerNow = pcTime;
        }
        AllDataLoaded = true;
    }

    void TearDown() override {
        feed.reset();
        CurTab = -1;
        ChartRange = 1;
        ThreeDayChart = 0;
        SimMarketTest::TearDown();
    }

    static constexpr int kSamples = 12;
    QWidget window;
    charts::FeedControls c;
    std::unique_ptr<charts::ChartFeed> feed;
};
