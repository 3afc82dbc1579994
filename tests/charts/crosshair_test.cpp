#include "charts/chart.h"

#include "platform/surface.h"

#include "tests/charts/chartfixture.h"
#include "tests/support/qtprint.h"

#include <QAction>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class Crosshair : public RecordedChart {
protected:
    // Everything the crosshair shows, in a fixed order: Linex, Liney, Labelx, Labely, Labelb,
    // Greenlb, RedLb, Bluelb.
    [[nodiscard]] std::vector<bool> shown() const {
        return {chart->Linex().Visible,  chart->Liney().Visible,  chart->Labelx().Visible,
                chart->Labely().Visible, chart->Labelb().Visible, chart->Greenlb().Visible,
                chart->RedLb().Visible,  chart->Bluelb().Visible};
    }
    [[nodiscard]] bool anyShown() const {
        for (bool b : shown())
            if (b) return true;
        return false;
    }

    // A one-series chart of 720 two-minute points, with dates.
    void drawDay() {
        chart->setRows(720);
        chart->setpRows(3);
        chart->setpCols(4);
        chart->setMinValue(1200);
        chart->setMaxValue(1300);
        QStringList values;
        QStringList dates;
        for (int i = 0; i < 720; ++i) {
            values << QString::number(1250 + i % 7);
            dates << QStringLiteral("2024/3/%1").arg(1 + i % 28);
        }
        QString bcap = dates.join(u',');
        chart->DrawNumLine(values.join(u','), kRed, {}, 0, 2, bcap);
    }
    // x of the middle of point i on the day chart.
    static float dayX(int i) {
        return static_cast<float>(650 + (9000 - 650 - 90) / 720.0 * (i + 0.5));
    }
};

TEST_F(Crosshair, NothingBeforeTheFirstDrawing) {
    QSignalSpy down(chart.get(), &Chart::MouseDown);
    chart->chartMouseDown(1, 0, 3000, 3000);
    ASSERT_EQ(down.size(), 1);
    EXPECT_EQ(down[0].at(0).value<int16_t>(), 1);
    EXPECT_EQ(down[0].at(2).toFloat(), 3000.0f);
    EXPECT_FALSE(anyShown());
}

TEST_F(Crosshair, OnlyTheLeftButtonAloneStrictlyInsideThePlot) {
    drawGold(1);
    struct Case {
        int16_t button;
        float x;
        float y;
        bool shows;
    };
    const Case cases[] = {
        {1, 3000, 3000, true},  {2, 3000, 3000, false}, {3, 3000, 3000, false},
        {4, 3000, 3000, false}, {1, 650, 3000, false},  {1, 3000, 500, false},
        {1, 8900, 3000, false}, {1, 3000, 5750, false}, {1, 651, 501, true},
    };
    for (const Case& c : cases) {
        chart->chartMouseUp(c.button, 0, c.x, c.y);
        chart->chartMouseDown(c.button, 0, c.x, c.y);
        EXPECT_EQ(chart->Linex().Visible, c.shows) << c.button << " at " << c.x << "," << c.y;
    }
}

TEST_F(Crosshair, PressShowsLinesAndValueReadouts) {
    drawGold(1);
    chart->NowRmb = 6.8f;
    chart->chartMouseDown(1, 0, 3000, 3125); // 2625 below the top: 1250
    EXPECT_EQ(chart->Labelx().Caption, QStringLiteral("1250"));
    EXPECT_EQ(chart->Labely().Caption, QStringLiteral("8500"));
    EXPECT_EQ(chart->Labelx().Left, 0);
    EXPECT_EQ(chart->Labelx().Width, 650);
    EXPECT_EQ(chart->Labelx().Top, 3125 - chart->Labelx().Height / 2);
    // "8500" is wider than the 100 twips of the right margin: the label takes its own width and
    // ends at the chart's right edge, so no digit is cut.
    const double rmbWidth = platform::textWidthTwips(chart->Labely().Font, QStringLiteral("8500"));
    EXPECT_GT(rmbWidth, 100);
    EXPECT_EQ(chart->Labely().Width, rmbWidth);
    EXPECT_EQ(chart->Labely().Left, 9000 - rmbWidth);
    const ChartLine& h = chart->Linex();
    EXPECT_EQ(std::make_tuple(h.X1, h.Y1, h.X2, h.Y2),
              std::make_tuple(650.0, 3125.0, 8900.0, 3125.0));
    const ChartLine& v = chart->Liney();
    EXPECT_EQ(std::make_tuple(v.X1, v.Y1, v.X2, v.Y2),
              std::make_tuple(3000.0, 500.0, 3000.0, 5750.0));
    // The narrow right margin of DrawNum leaves no room for the RMB read-out.
    EXPECT_EQ(shown(), (std::vector<bool>{true, true, true, false, false, true, true, true}));
}

TEST_F(Crosshair, RmbReadoutOnChartsWithTheWideRightMargin) {
    chart->NowRmb = 2;
    chart->setpRows(1);
    chart->setpCols(2);
    int16_t width = 0;
    chart->DrawLine(QStringLiteral("1,2,3"), kRed, {}, width);
    chart->chartMouseDown(1, 0, 3000, 3000);
    EXPECT_TRUE(chart->Labely().Visible);
    EXPECT_EQ(chart->Labely().Width, 650);
}

TEST_F(Crosshair, ThreeSeriesReadoutsBesideTheCursor) {
    drawGold(1);
    chart->chartMouseDown(1, 0, 3000, 3000); // point 1, room on the right
    EXPECT_EQ(chart->Greenlb().Caption, QStringLiteral("价格:1260.00 "));
    EXPECT_EQ(chart->RedLb().Caption, QStringLiteral("价格:1230.00 "));
    EXPECT_EQ(chart->Bluelb().Caption, QStringLiteral("价格:1215.00 "));
    EXPECT_EQ(chart->Greenlb().Left, 3100);

    chart->chartMouseDown(1, 0, 7000, 3000); // point 3, 2000 from the right edge
    EXPECT_EQ(chart->Greenlb().Caption, QStringLiteral("价格:1280.00 "));
    EXPECT_EQ(chart->RedLb().Caption, QStringLiteral("价格:1250.00 "));
    EXPECT_EQ(chart->Bluelb().Caption, QStringLiteral("价格:1225.00 "));
    for (const ChartLabel* l : {&chart->Greenlb(), &chart->RedLb(), &chart->Bluelb()})
        EXPECT_EQ(l->Left, 4700);
    EXPECT_EQ(chart->Greenlb().Top, 2350);
    EXPECT_EQ(chart->RedLb().Top, 2550);
    EXPECT_EQ(chart->Bluelb().Top, 2750);
}

TEST_F(Crosshair, ReadoutsByKindOfDrawing) {
    struct Case {
        int16_t kind;
        bool green;
        bool red;
    };
    const Case cases[] = {
        {0, false, false}, {1, true, true}, {2, false, true}, {3, false, true}, {9, false, false}};
    for (const Case& c : cases) {
        chart->chartMouseUp(1, 0, 0, 0);
        drawGold(c.kind);
        chart->chartMouseDown(1, 0, 3000, 3000);
        EXPECT_EQ(chart->Greenlb().Visible, c.green) << c.kind;
        EXPECT_EQ(chart->RedLb().Visible, c.red) << c.kind;
    }
    // Kind 3 shows the red read-out with the caption it had.
    chart->chartMouseUp(1, 0, 0, 0);
    drawGold(3);
    const QString before = chart->RedLb().Caption;
    chart->chartMouseDown(1, 0, 7000, 3000);
    EXPECT_EQ(chart->RedLb().Caption, before);
}

TEST_F(Crosshair, ANonNumberKeepsTheReadoutCaption) {
    chart->setpRows(2);
    chart->setpCols(2);
    chart->DrawNum({QStringLiteral("1250,x,1252,1253"), QStringLiteral("1,2"), QStringLiteral("5")},
                   goldColours(), {}, 0, 1);
    chart->chartMouseDown(1, 0, 651, 3000); // point 0
    EXPECT_EQ(chart->Greenlb().Caption, QStringLiteral("价格:1250.00 "));
    chart->chartMouseDown(1, 0, 3000, 3000); // point 1: "x", and beyond the third series
    EXPECT_EQ(chart->Greenlb().Caption, QStringLiteral("价格:1250.00 "));
    EXPECT_EQ(chart->RedLb().Caption, QStringLiteral("价格:002.00 "));
    EXPECT_EQ(chart->Bluelb().Caption, QStringLiteral("价格:005.00 "));
}

TEST_F(Crosshair, TimeReadoutByTheSlotKind) {
    drawDay();
    chart->ShowTime = true;
    struct Case {
        bool is720;
        bool isTd;
        bool is240;
        bool showRarr;
        const char* down;
        const char* move;
    };
    const Case cases[] = {
        {true, false, false, false, "06:02", "06:02"},
        {false, true, false, false, "18:02", "18:02"},
        {false, false, true, false, "06:06", "06:06"},
        {false, false, false, false, "00:10", "00:10"},
        {false, false, false, true, "2024-3-2", "2024-3-2"},
        {true, true, false, false, "06:02", "18:02"}, // moving tests IsTd first
    };
    for (const Case& c : cases) {
        chart->Is720 = c.is720;
        chart->IsTd = c.isTd;
        chart->Is240 = c.is240;
        chart->ShowRarr = c.showRarr;
        chart->chartMouseDown(1, 0, dayX(1), 3000);
        EXPECT_EQ(chart->Labelb().Caption, QString::fromUtf8(c.down));
        EXPECT_TRUE(chart->Labelb().Visible);
        chart->chartMouseMove(1, 0, dayX(1), 3000);
        EXPECT_EQ(chart->Labelb().Caption, QString::fromUtf8(c.move));
        chart->chartMouseUp(1, 0, dayX(1), 3000);
    }
    EXPECT_EQ(chart->Labelb().Top, 5750);
}

TEST_F(Crosshair, DatedReadoutShowsTheSeriesValue) {
    drawDay();
    chart->ShowTime = true;
    chart->ShowRarr = true;
    chart->chartMouseDown(1, 0, dayX(9), 3000);
    EXPECT_EQ(chart->Labelb().Caption, QStringLiteral("2024-3-10"));
    EXPECT_EQ(chart->RedLb().Caption, QStringLiteral("价格:1252.00 "));
}

TEST_F(Crosshair, WithoutShowTimeTheTimeLabelStaysHiddenButMovingUpdatesIt) {
    drawDay();
    chart->Is720 = true;
    chart->chartMouseDown(1, 0, dayX(1), 3000);
    EXPECT_FALSE(chart->Labelb().Visible);
    chart->chartMouseMove(1, 0, dayX(30), 3000);
    EXPECT_EQ(chart->Labelb().Caption, QStringLiteral("07:00"));
    EXPECT_FALSE(chart->Labelb().Visible);
}

TEST_F(Crosshair, MovingTimeLabelKeepsItsPlaceWhereItWouldNotFit) {
    drawDay();
    chart->ShowTime = true;
    chart->Is720 = true;
    chart->chartMouseDown(1, 0, 5000, 3000);
    chart->chartMouseMove(1, 0, 5100, 3000);
    const double left = chart->Labelb().Left;
    EXPECT_EQ(left, 5100 - chart->Labelb().Width / 2);
    chart->chartMouseMove(1, 0, 8900, 3000);
    EXPECT_EQ(chart->Labelb().Left, left);
    EXPECT_EQ(chart->Labelb().Caption, chart->MDtoGet(719)); // the point under x 8900
}

TEST_F(Crosshair, MovingOutsideThePlotLeavesTheOtherLineWhereItWas) {
    drawGold(1);
    chart->chartMouseDown(1, 0, 3000, 3000);
    chart->chartMouseMove(1, 0, 4000, 100); // above the plot: only the vertical line follows
    EXPECT_EQ(chart->Linex().Y1, 3000);
    EXPECT_EQ(chart->Liney().X1, 4000);
    chart->chartMouseMove(1, 0, 100, 2000); // left of the plot: only the horizontal line follows
    EXPECT_EQ(chart->Linex().Y1, 2000);
    EXPECT_EQ(chart->Liney().X1, 4000);
}

TEST_F(Crosshair, ReleaseHidesUnlessLocked) {
    drawGold(1);
    QSignalSpy up(chart.get(), &Chart::MouseUp);
    chart->chartMouseDown(1, 0, 3000, 3000);
    chart->chartMouseUp(1, 0, 3000, 3000);
    EXPECT_EQ(up.size(), 1);
    EXPECT_FALSE(anyShown());
    chart->chartMouseMove(0, 0, 3500, 3500); // no button, not locked: nothing follows
    EXPECT_EQ(chart->Liney().X1, 3000);
}

TEST_F(Crosshair, DoubleClickLocksAndUnlocks) {
    chart->chartDblClick(); // not drawn: nothing
    EXPECT_FALSE(chart->CrossLocked());
    drawGold(1);
    chart->ShowTime = true;
    chart->chartMouseDown(1, 0, 3000, 3000);
    chart->chartMouseUp(1, 0, 3000, 3000);
    chart->chartDblClick();
    EXPECT_TRUE(chart->CrossLocked());
    EXPECT_EQ(shown(), (std::vector<bool>{true, true, true, false, true, false, false, false}));
    chart->chartMouseMove(0, 0, 4000, 2000); // follows without a button
    EXPECT_EQ(chart->Liney().X1, 4000);
    EXPECT_EQ(chart->Linex().Y1, 2000);
    chart->chartMouseUp(1, 0, 4000, 2000); // stays after a release
    EXPECT_TRUE(chart->Linex().Visible);
    chart->chartDblClick();
    EXPECT_FALSE(chart->CrossLocked());
    EXPECT_TRUE(chart->Linex().Visible); // hidden only at the next release
    chart->chartMouseUp(1, 0, 4000, 2000);
    EXPECT_FALSE(anyShown());
}

TEST_F(Crosshair, QtMouseEventsArriveInTwips) {
    drawGold(1);
    chart->show();
    QSignalSpy down(chart.get(), &Chart::MouseDown);
    QSignalSpy up(chart.get(), &Chart::MouseUp);
    QTest::mousePress(chart.get(), Qt::LeftButton, Qt::ShiftModifier, QPoint(200, 150));
    ASSERT_EQ(down.size(), 1);
    EXPECT_EQ(down[0].at(0).value<int16_t>(), 1);
    EXPECT_EQ(down[0].at(1).value<int16_t>(), 1);
    EXPECT_EQ(down[0].at(2).toFloat(), 3000.0f);
    EXPECT_EQ(down[0].at(3).toFloat(), 2250.0f);
    EXPECT_TRUE(chart->Linex().Visible);
    QTest::mouseRelease(chart.get(), Qt::LeftButton, Qt::NoModifier, QPoint(200, 150));
    ASSERT_EQ(up.size(), 1);
    EXPECT_FALSE(chart->Linex().Visible);
}

TEST_F(Crosshair, ResizeCentresTheWaitingNotice) {
    chart->resize(400, 300);
    chart->Me_Resize();
    const ChartLabel& b = chart->Beginfo();
    EXPECT_EQ(b.Left, 3000 - b.Width / 2);
    EXPECT_EQ(b.Top, 2250 - b.Height / 2);
}

TEST_F(Crosshair, LegendMenuItemTogglesItsMark) {
    EXPECT_EQ(chart->mnuLegend()->text(), QStringLiteral("图例"));
    EXPECT_FALSE(chart->mnuLegend()->isChecked());
    chart->mnuLegend()->trigger();
    EXPECT_TRUE(chart->mnuLegend()->isChecked());
    chart->mnuLegend()->trigger();
    EXPECT_FALSE(chart->mnuLegend()->isChecked());
}

} // namespace
