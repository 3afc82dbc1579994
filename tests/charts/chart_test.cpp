#include "charts/chart.h"

#include "state/quotetables.h"
#include "platform/clock.h"
#include "platform/gdi.h"
#include "platform/propertybag.h"
#include "platform/surface.h"
#include "platform/vberror.h"
#include "tests/charts/chartfixture.h"
#include "tests/support/qtprint.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <cmath>

using platform::SurfaceOp;
using Kind = platform::SurfaceOp::Kind;

namespace {

constexpr platform::OleColor kGrid = platform::rgb(192, 192, 192);
constexpr platform::OleColor kSeparator = platform::rgb(192, 192, 0);

// --- Model and properties ---

TEST(ChartModelTest, NewInstanceHasTheDesignDefaultsAndStoresNothing) {
    Chart chart;
    EXPECT_EQ(chart.MaxValue(), 5);
    EXPECT_EQ(chart.MinValue(), 0);
    EXPECT_EQ(chart.Rows(), 0);
    EXPECT_EQ(chart.Cols(), 0);
    EXPECT_EQ(chart.pRows(), 0);
    EXPECT_EQ(chart.pCols(), 0);
    EXPECT_FALSE(chart.ChartDrawn());
    EXPECT_TRUE(chart.Beginfo().Visible);
    EXPECT_EQ(chart.Beginfo().Caption, QStringLiteral("等候装载数据..."));
    platform::PropertyBag bag;
    chart.writeProperties(bag);
    EXPECT_TRUE(bag.isEmpty());
}

TEST(ChartModelTest, PropertiesGoThroughTheBag) {
    Chart chart;
    chart.setRows(720);
    chart.setCols(3);
    chart.setpRows(4);
    chart.setpCols(6);
    chart.setMinValue(1200.5f);
    chart.setMaxValue(5); // the default: not stored
    platform::PropertyBag bag;
    chart.writeProperties(bag);
    EXPECT_EQ(bag.keys(), (QStringList{"Rows", "Cols", "pRows", "pCols", "MinValue"}));

    Chart copy;
    copy.readProperties(bag);
    EXPECT_EQ(copy.Rows(), 720);
    EXPECT_EQ(copy.Cols(), 3);
    EXPECT_EQ(copy.pRows(), 4);
    EXPECT_EQ(copy.pCols(), 6);
    EXPECT_EQ(copy.MinValue(), 1200.5f);
    EXPECT_EQ(copy.MaxValue(), 5);

    // Keys match in any case; numbers convert to the property's type (halves to even).
    platform::PropertyBag typed;
    typed.write(QStringLiteral("rows"), QStringLiteral("240"));
    typed.write(QStringLiteral("PCOLS"), 2.5);
    copy.readProperties(typed);
    EXPECT_EQ(copy.Rows(), 240);
    EXPECT_EQ(copy.pCols(), 2);
    EXPECT_EQ(copy.MaxValue(), 5); // missing: the default
}

TEST(ChartModelTest, UnconvertibleStoredValuesAreRaisedToTheContainer) {
    Chart chart;
    platform::PropertyBag text;
    text.write(QStringLiteral("Rows"), QStringLiteral("many"));
    try {
        chart.readProperties(text);
        FAIL() << "no error";
    } catch (const platform::VbError& e) {
        EXPECT_EQ(e.number, platform::kErrTypeMismatch);
    }
    platform::PropertyBag huge;
    huge.write(QStringLiteral("MaxValue"), 1e300);
    try {
        chart.readProperties(huge);
        FAIL() << "no error";
    } catch (const platform::VbError& e) {
        EXPECT_EQ(e.number, platform::kErrOverflow);
    }
}

TEST(ChartModelTest, SettersReportTheirName) {
    Chart chart;
    QSignalSpy spy(&chart, &Chart::PropertyChanged);
    chart.setRows(1);
    chart.setCols(1);
    chart.setpRows(1);
    chart.setpCols(1);
    chart.setMinValue(1);
    chart.setMaxValue(1);
    chart.setRows(1); // unchanged values are reported too
    QStringList names;
    for (const auto& call : spy)
        names << call.at(0).toString();
    EXPECT_EQ(names,
              (QStringList{"Rows", "Cols", "pRows", "pCols", "MinValue", "MaxValue", "Rows"}));
}

TEST_F(RecordedChart, SettingRowsForgetsTheKindOfTheLastDrawing) {
    drawGold(1);
    EXPECT_EQ(chart->ChartType(), 1);
    chart->setRows(chart->Rows());
    EXPECT_EQ(chart->ChartType(), 0);
}

TEST_F(RecordedChart, DcAndTmzoneChangeNothing) {
    drawGold(1);
    const auto first = texts();
    const auto firstOps = latest().size();
    const auto firstSeries = seriesLines().size();
    chart->Dc = 123456;
    chart->Tmzone = -7;
    drawGold(1);
    EXPECT_EQ(texts(), first);
    EXPECT_EQ(latest().size(), firstOps);
    EXPECT_EQ(seriesLines().size(), firstSeries);
}

TEST_F(RecordedChart, FostrcFollowsXsJZ) {
    chart->XsJZ = 0.01f;
    EXPECT_EQ(chart->Fostrc(1234.5678f), QStringLiteral("1234.57"));
    chart->XsJZ = 1;
    EXPECT_EQ(chart->Fostrc(1234.5678f), QStringLiteral("1235"));
}

// --- DrawNum ---

TEST_F(RecordedChart, DrawNumFrameGridCaptionsAndState) {
    drawGold(1);
    EXPECT_FALSE(chart->Beginfo().Visible);
    EXPECT_TRUE(chart->ChartDrawn());
    EXPECT_EQ(chart->margins(), charts::kDrawNumMargins);
    EXPECT_EQ(chart->pRows(), 5); // increased by the drawing
    EXPECT_EQ(chart->ValuePerTwip(), 100.0f / 5250.0f);

    const auto boxes = rec->ops(Kind::Box);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(std::make_tuple(boxes[0].x1, boxes[0].y1, boxes[0].x2, boxes[0].y2),
              std::make_tuple(650.0, 500.0, 8890.0, 5750.0));
    EXPECT_EQ(boxes[0].color, 0u);

    // Grid columns 1 to 4 of 5, solid grey over the plot height.
    EXPECT_EQ(verticalLines(kGrid), (std::vector<double>{2300, 3950, 5600, 7250}));
    for (const SurfaceOp& op : rec->ops(Kind::Line)) {
        if (op.color == kGrid && op.x1 == op.x2) {
            EXPECT_EQ(std::make_tuple(op.y1, op.y2, op.style),
                      std::make_tuple(500.0, 5750.0, platform::vbSolid));
        }
    }

    // Captions 0 to 5, 100 twips left of their column, centred in the bottom margin.
    const double captionY = 6000 - 125 - rec->TextHeight(QStringLiteral("I")) / 2;
    for (int i = 0; i <= 5; ++i) {
        const auto at = textAt(QStringLiteral("c%1").arg(i));
        ASSERT_TRUE(at) << i;
        EXPECT_EQ(*at, std::make_pair(650 + 1650.0 * i - 100, captionY));
    }
    EXPECT_FALSE(textAt(QStringLiteral("c6")));
}

TEST_F(RecordedChart, PRowsGrowsWithEveryDrawing) {
    drawGold(1);
    EXPECT_EQ(verticalLines(kGrid).size(), 4u);
    chart->DrawNum(goldSeries(), goldColours(), captions(8), 0, 1); // pRows not set again
    EXPECT_EQ(chart->pRows(), 6);
    EXPECT_EQ(verticalLines(kGrid).size(), 5u);
    EXPECT_TRUE(textAt(QStringLiteral("c6")));
}

TEST_F(RecordedChart, ValueLabelsAndDottedGrid) {
    drawGold(1);
    const double lineHeight = rec->TextHeight(QStringLiteral("I"));
    const char* levels[] = {"1300", "1275", "1250", "1225", "1200"};
    for (int i = 0; i < 5; ++i) {
        const QString t = QString::fromUtf8(levels[i]);
        const auto at = textAt(t);
        ASSERT_TRUE(at) << levels[i];
        EXPECT_EQ(*at,
                  std::make_pair(325 - rec->TextWidth(t) / 2, 500 + 1312.5 * i - lineHeight / 2));
    }
    std::vector<double> dotted;
    for (const SurfaceOp& op : rec->ops(Kind::Line)) {
        if (op.style != platform::vbDot) continue;
        EXPECT_EQ(std::make_tuple(op.x1, op.x2, op.color), std::make_tuple(650.0, 8900.0, kGrid));
        dotted.push_back(op.y1);
    }
    EXPECT_EQ(dotted, (std::vector<double>{1812.5, 3125, 4437.5}));
}

TEST_F(RecordedChart, SeriesAreDrawnTwoOneZeroWithTheLineWidth) {
    drawGold(1, 0);
    const auto segs = seriesLines();
    ASSERT_FALSE(segs.empty());
    EXPECT_EQ(segs.front().color, kBlue); // series 2 first
    EXPECT_EQ(segs.back().color, kGreen); // series 0 last, on top
    for (const SurfaceOp& op : segs)
        EXPECT_EQ(op.width, 2); // LineFs 0 means 2
    EXPECT_EQ(rec->DrawWidth(), 1);
    EXPECT_EQ(chart->Series0().size(), 5);
    EXPECT_EQ(chart->Series2()[0], QStringLiteral("1210"));

    drawGold(1, 3);
    for (const SurfaceOp& op : seriesLines())
        EXPECT_EQ(op.width, 3);
    drawGold(1, -4); // refused by the pen: it stays one pixel wide
    for (const SurfaceOp& op : seriesLines())
        EXPECT_EQ(op.width, 1);
}

TEST_F(RecordedChart, SeparatorsOnlyAtRows603) {
    chart->setRows(603);
    drawGold(1);
    const ChartLayoutProbe probe(*chart, charts::PointSpacing::Widened);
    EXPECT_EQ(verticalLines(kSeparator), (std::vector<double>{probe.x(329), probe.x(482)}));
    chart->setRows(602);
    drawGold(1);
    EXPECT_TRUE(verticalLines(kSeparator).empty());
}

TEST_F(RecordedChart, WeekdayOfTheGoldSeriesTrimsA721PointDay) {
    ProdCode[3] = QStringLiteral("mgold");
    ProdSeriesDate[3][0] = QDateTime(QDate(2024, 3, 9), QTime());  // a Saturday
    ProdSeriesDate[0][0] = QDateTime(QDate(2024, 3, 11), QTime()); // another instrument's Monday
    chart->setRows(720);
    chart->setpRows(2);
    chart->DrawNum({QStringList(721, QStringLiteral("1250")).join(u','), {}, {}},
                   {kGreen, kRed, kBlue}, {}, 1);
    auto segs = seriesLines();
    ASSERT_EQ(segs.size(), 211u);
    EXPECT_EQ(segs.back().x1, ChartLayoutProbe(*chart, charts::PointSpacing::Widened).x(210));

    ProdSeriesDate[3][0] = QDateTime(QDate(2024, 3, 11), QTime()); // a Monday
    chart->setpRows(2);
    chart->DrawNum({QStringList(721, QStringLiteral("1250")).join(u','), {}, {}},
                   {kGreen, kRed, kBlue}, {}, 1);
    segs = seriesLines();
    ASSERT_EQ(segs.size(), 720u - 209u);
    EXPECT_EQ(segs.front().x1, ChartLayoutProbe(*chart, charts::PointSpacing::Widened).x(209));

    ProdCode[3].clear(); // no instrument "mgold": no trimming
    chart->setpRows(2);
    chart->DrawNum({QStringList(721, QStringLiteral("1250")).join(u','), {}, {}},
                   {kGreen, kRed, kBlue}, {}, 1);
    EXPECT_EQ(seriesLines().size(), 720u);
}

TEST_F(RecordedChart, ShowTimeFalseHidesTheTimeLabel) {
    chart->ShowTime = true;
    drawGold(1);
    chart->chartMouseDown(1, 0, 3000, 3000);
    EXPECT_TRUE(chart->Labelb().Visible);
    chart->ShowTime = false;
    drawGold(1);
    EXPECT_FALSE(chart->Labelb().Visible);
}

// Wild properties and series never put a non-finite number into the drawing.
TEST_F(RecordedChart, BadInputDrawsOnlyFiniteNumbers) {
    struct Case {
        int32_t rows;
        int32_t pRows;
        int32_t pCols;
        float min;
        float max;
        QString series;
    };
    const float big = std::numeric_limits<float>::max();
    const Case cases[] = {
        {0, 0, 0, 0, 0, QStringLiteral("1,2,3")},
        {0, -5, -5, 5, 5, QStringLiteral(",,,")},
        {720, 4, 4, -big, big, QStringLiteral("1e38,-1e38,3e38,abc,1e308")},
        {-3, 2147483647, 100000000, 1200, 1300, QStringLiteral("1250,1251")},
        {1, 1, 1, 0, 1e-30f, QStringLiteral("1e30,1e30")},
    };
    for (const Case& c : cases) {
        chart->setRows(c.rows);
        chart->setpRows(c.pRows);
        chart->setpCols(c.pCols);
        chart->setMinValue(c.min);
        chart->setMaxValue(c.max);
        chart->DrawNum({c.series, c.series, c.series}, {kGreen, kRed, kBlue}, captions(3), 0, 1);
        expectFiniteOps();
        chart->setpRows(c.pRows);
        chart->DrawNumLine(c.series, kRed, captions(3), 0, 2);
        expectFiniteOps();
        chart->chartMouseDown(1, 0, 3000, 3000);
        chart->chartMouseMove(1, 0, 3100, 2000);
        for (const ChartLabel* l :
             {&chart->Labelx(), &chart->Labely(), &chart->Labelb(), &chart->RedLb()})
            EXPECT_TRUE(std::isfinite(l->Left) && std::isfinite(l->Top) && std::isfinite(l->Width));
    }
}

TEST(ChartSizeTest, AChartWithNoAreaDrawsWithoutHarm) {
    Chart chart;
    chart.resize(0, 0);
    chart.setpRows(3);
    chart.setpCols(2);
    chart.DrawNum({QStringLiteral("1,2"), {}, {}}, {0xFF}, {QStringLiteral("a")}, 0, 1);
    chart.LineLegend(QStringLiteral("x"), 0xFF, 0, 0);
    chart.Xie(10, 10, 0, QStringLiteral("宋体"), 9, QStringLiteral("t"), false, 1);
    EXPECT_TRUE(chart.ChartDrawn());
    EXPECT_FALSE(chart.Beginfo().Visible);
}

// --- DrawNumLine ---

TEST_F(RecordedChart, DrawNumLineTakesTheRmbFactorOnlyWhenUnset) {
    chart->NowRmb = 0;
    chart->DrawNumLine(QStringLiteral("1,2"), kRed, captions(2), 0);
    EXPECT_EQ(chart->NowRmb, 5.0f); // the tables' starting factor

    RmbRate = 6.8f;
    chart->NowRmb = 0;
    chart->DrawNumLine(QStringLiteral("1,2"), kRed, captions(2), 0);
    EXPECT_EQ(chart->NowRmb, 6.8f);
    chart->NowRmb = 7.1f;
    chart->DrawNumLine(QStringLiteral("1,2"), kRed, captions(2), 0);
    EXPECT_EQ(chart->NowRmb, 7.1f);
}

TEST_F(RecordedChart, DrawNumLineCaptionsCentreOnEveryColumnLine) {
    chart->setRows(240);
    chart->setpRows(3); // 4 columns
    chart->setpCols(2);
    chart->DrawNumLine(QStringLiteral("1210,1220,1230"), kRed, captions(5), 0, 2);
    EXPECT_EQ(chart->margins(), charts::kDrawNumLineMargins);
    EXPECT_EQ(chart->Series1().size(), 3);
    const double step = (9000 - 650 - 90) / 4.0;
    // Column lines 0 to 4 with the caption lines, then the inner grid: 1 to 3 twice.
    EXPECT_EQ(verticalLines(kGrid),
              (std::vector<double>{650 + step, 650 + 2 * step, 650 + 3 * step, 650, 650 + step,
                                   650 + 2 * step, 650 + 3 * step, 650 + 4 * step}));
    for (int i = 0; i <= 4; ++i) {
        const QString c = QStringLiteral("c%1").arg(i);
        const double w = rec->TextWidth(c);
        const auto at = textAt(c);
        ASSERT_TRUE(at);
        EXPECT_EQ(at->first, i == 4 ? 650 + 4 * step - w : 650 + i * step - w / 2) << i;
    }
    const auto segs = seriesLines();
    ASSERT_EQ(segs.size(), 2u);
    EXPECT_DOUBLE_EQ(segs[1].x1, 650 + static_cast<double>(8260.0f / 240));
}

TEST_F(RecordedChart, DrawNumLineDateLabels) {
    platform::setPcClock([] { return QDateTime(QDate(2024, 6, 1), QTime(10, 0)); });
    chart->setRows(5);
    chart->setpRows(1); // 2 columns: labels 1 to 3
    chart->setpCols(2);
    chart->setMinValue(0);
    chart->setMaxValue(2);
    QString dates = QStringLiteral("2023/12/28,2023/12/29,2024/1/2,2024/1/3,2024/1/4");
    chart->DrawNumLine(QStringLiteral("1,2,3,4,5"), kRed, {}, 0, 2, dates);
    platform::setPcClock({});
    EXPECT_EQ(dates, QStringLiteral("2023-12-28,2023-12-29,2024-1-2,2024-1-3,2024-1-4"));
    EXPECT_EQ(chart->PointDates().size(), 5);
    // Under columns 0, 1, 2 lie points round(0 x 3), round(0.5 x 3) = 2 and 3 of 0..4.
    EXPECT_EQ(texts(), (QStringList{"2023-12-28", "1-2", "1-3", "2", "1", "0"}));
    const double step = (9000 - 650 - 90) / 2.0;
    EXPECT_EQ(textAt(QStringLiteral("2023-12-28"))->first, 550);
    EXPECT_EQ(textAt(QStringLiteral("1-2"))->first, 650 + step - 100);
    EXPECT_EQ(textAt(QStringLiteral("1-3"))->first, 650 + 2 * step - 100 - 240);

    // A drawing without dates keeps the last list.
    chart->setpRows(1);
    chart->DrawNumLine(QStringLiteral("1,2"), kRed, captions(2), 0);
    EXPECT_EQ(chart->PointDates().size(), 5);
}

// --- DrawLine and DrawGraph ---

TEST_F(RecordedChart, DrawLineHasAnRmbAxisAndStopsEarly) {
    chart->NowRmb = 3;
    chart->setRows(4);
    chart->setpRows(1);
    chart->setpCols(2);
    chart->setMinValue(100);
    chart->setMaxValue(200);
    int16_t width = -1;
    chart->DrawLine(QStringLiteral("110,120,130,140"), kRed, captions(3), width);
    EXPECT_EQ(width, 1);
    EXPECT_EQ(chart->ChartType(), 2);
    EXPECT_EQ(chart->margins(), charts::kRmbAxisMargins);
    EXPECT_EQ(seriesLines().size(), 2u);
    for (const SurfaceOp& op : seriesLines())
        EXPECT_EQ(op.width, 1);
    // Captions 1 .. 3 at columns 0 .. 2; caption 0 is not printed.
    EXPECT_FALSE(textAt(QStringLiteral("c0")));
    EXPECT_EQ(textAt(QStringLiteral("c1"))->first, 550);
    // RMB levels at the right: 600, 450, 300; the headings above the plot.
    const double right = 9000 - 650 + 30;
    for (const char* t : {"600", "450", "300"})
        EXPECT_EQ(textAt(QString::fromUtf8(t))->first, right) << t;
    const double headingY = 500 - 2 * rec->TextHeight(QStringLiteral("I"));
    EXPECT_EQ(textAt(QStringLiteral("(人民币)")), std::make_pair(0.0, headingY));
    EXPECT_EQ(textAt(QStringLiteral("(美元)")), std::make_pair(9000 - 650 + 15.0, headingY));
}

TEST_F(RecordedChart, DrawGraphLineWidthAndKind) {
    chart->NowRmb = 1;
    chart->setRows(4);
    chart->setpRows(1);
    chart->setpCols(2);
    chart->DrawGraph(goldSeries(), goldColours(), captions(3), false);
    EXPECT_EQ(chart->ChartType(), 1);
    for (const SurfaceOp& op : seriesLines())
        EXPECT_EQ(op.width, 2);
    chart->setpRows(1);
    chart->DrawGraph(goldSeries(), goldColours(), captions(3), true);
    for (const SurfaceOp& op : seriesLines())
        EXPECT_EQ(op.width, 1);
}

// --- Xie ---

TEST_F(RecordedChart, XiePlacesTheTextByItsAlignment) {
    const QString font = QStringLiteral("宋体");
    const QString text = QStringLiteral("黄金 1234.5");
    const double tw = platform::textWidthTwips(platform::surfaceFont(font, 12, false), text);
    struct Case {
        float duiqi;
        double x;
        double y;
    };
    const Case cases[] = {
        {0, 300, 200},
        {1, 4500 - tw / 2, 300}, // Xiey ignored
        {2, 9000 - tw - 200, 300},
        {3, 9000 - 300 - tw, 6000 - 200},
    };
    for (const Case& c : cases) {
        rec->clearOps();
        chart->Xie(300, 200, 0xFF, font, 12, text, true, c.duiqi);
        const auto t = rec->ops(Kind::Text);
        ASSERT_EQ(t.size(), 1u);
        EXPECT_EQ(std::make_pair(t[0].x1, t[0].y1), std::make_pair(c.x, c.y)) << c.duiqi;
        EXPECT_EQ(t[0].color, 0xFFu);
        EXPECT_EQ(t[0].fontSize, 12);
        EXPECT_TRUE(t[0].bold);
    }
    // Any other value prints where the last print ended.
    rec->clearOps();
    chart->Xie(0, 1000, 0, font, 9, QStringLiteral("a"), false, 0);
    chart->Xie(7777, 7777, 0, font, 9, QStringLiteral("b"), false, 5);
    EXPECT_EQ(*textAt(QStringLiteral("b")),
              std::make_pair(0.0, 1000 + rec->TextHeight(QStringLiteral("I"))));
}

TEST_F(RecordedChart, XieResetsTheFontAfterPrinting) {
    chart->Xie(0, 0, 0xFF, QStringLiteral("Tahoma"), 14, QStringLiteral("bold"), true, 0);
    EXPECT_EQ(rec->FontName(), QStringLiteral("宋体"));
    EXPECT_EQ(rec->FontSize(), 9);
    EXPECT_FALSE(rec->FontBold());
    EXPECT_EQ(rec->ForeColor, 0u);
    chart->Xie(0, 500, 0xFF, QStringLiteral("Tahoma"), 14, QStringLiteral("plain"), false, 0);
    const auto t = rec->ops(Kind::Text);
    ASSERT_EQ(t.size(), 2u);
    EXPECT_TRUE(t[0].bold);
    EXPECT_FALSE(t[1].bold);
    EXPECT_EQ(t[1].fontName, QStringLiteral("Tahoma"));
}

TEST_F(RecordedChart, XieRaisesABadFontSize) {
    for (int32_t size : {0, -9, 5000}) {
        try {
            chart->Xie(0, 0, 0xFF, QStringLiteral("宋体"), size, QStringLiteral("x"), false, 0);
            FAIL() << size;
        } catch (const platform::VbError& e) {
            EXPECT_EQ(e.number, 380);
        }
    }
    EXPECT_TRUE(rec->ops(Kind::Text).empty());
}

// --- Legends ---

TEST_F(RecordedChart, LineLegendPaintsItsBoxWhiteAndUsesTheDefaultCorner) {
    chart->LineLegend(QStringLiteral("黄金 1234.50"), kRed, 0, 0);
    EXPECT_FALSE(chart->Beginfo().Visible);
    EXPECT_EQ(chart->LegendX(), 6400);
    EXPECT_EQ(chart->LegendY(), 4450);
    const double h = rec->TextHeight(QString());
    const int32_t w =
        static_cast<int32_t>(std::nearbyint(rec->TextWidth(QStringLiteral("黄金 1234.50"))));
    EXPECT_EQ(chart->LegendRight(), 6400 + w + 300);
    const auto filled = rec->ops(Kind::FilledBox);
    ASSERT_EQ(filled.size(), 2u);
    EXPECT_EQ(
        std::make_tuple(filled[0].x1, filled[0].y1, filled[0].x2, filled[0].y2, filled[0].color),
        std::make_tuple(6400.0, 4450.0, double(chart->LegendRight()), 4500 + h + 40, 0xFFFFFFu));
    EXPECT_EQ(
        std::make_tuple(filled[1].x1, filled[1].y1, filled[1].x2, filled[1].y2, filled[1].color),
        std::make_tuple(6450.0, 4550.0, 6600.0, 4625.0, kRed));
    const auto boxes = rec->ops(Kind::Box);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(std::make_tuple(boxes[0].y2, boxes[0].color), std::make_tuple(4500 + h, 0x80000011u));
    const auto t = rec->ops(Kind::Text);
    ASSERT_EQ(t.size(), 1u);
    EXPECT_EQ(std::make_tuple(t[0].x1, t[0].y1, t[0].color), std::make_tuple(6700.0, 4500.0, kRed));
    EXPECT_EQ(rec->ForeColor, 0u);
}

TEST_F(RecordedChart, DrawLegendOutlinesOneBoxOverTheChart) {
    const QStringList entries{QStringLiteral("03月05日 星期二 $1234.50 "), QStringLiteral("短"),
                              QStringLiteral("03月01日 星期五 $1230.00 ")};
    chart->DrawLegend(entries, {kGreen, kRed, kBlue}, 600, 700);
    EXPECT_TRUE(chart->Beginfo().Visible); // not touched
    const double h = rec->TextHeight(QString());
    double widest = 0;
    for (const QString& e : entries)
        widest = std::max(widest, rec->TextWidth(e));
    EXPECT_EQ(chart->LegendRight(), 700 + static_cast<int32_t>(std::nearbyint(widest)) + 300);
    const auto boxes = rec->ops(Kind::Box);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(std::make_tuple(boxes[0].y2, boxes[0].color),
              std::make_tuple(650 + 3 * h + 40, 0xFFFFFFu));
    EXPECT_EQ(std::make_tuple(boxes[1].y2, boxes[1].color),
              std::make_tuple(650 + 3 * h, 0x80000011u));
    // Three swatches, nothing filled white: the chart stays visible inside.
    const auto filled = rec->ops(Kind::FilledBox);
    ASSERT_EQ(filled.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        const double y0 = std::nearbyint(650 + i * h);
        EXPECT_EQ(std::make_pair(filled[i].y1, filled[i].y2), std::make_pair(y0 + 50, y0 + 125));
    }
    const auto t = rec->ops(Kind::Text);
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(t[2].color, kBlue);
    EXPECT_EQ(t[2].x1, 1000);
}

TEST_F(RecordedChart, LegendEntryWithoutAColourKeepsTheColourBefore) {
    chart->DrawLegend({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")},
                      {kGreen, kRed}, 600, 700);
    EXPECT_EQ(rec->ops(Kind::FilledBox).size(), 2u);
    const auto t = rec->ops(Kind::Text);
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(t[2].color, kRed);
    EXPECT_EQ(rec->ForeColor, 0u);
}

// --- Pixels ---

TEST(ChartPixelTest, FrameGridAndSeriesOnTheImage) {
    Chart chart;
    chart.resize(600, 400);
    chart.setRows(4);
    chart.setpRows(0); // one column: no inner grid line
    chart.setpCols(4);
    chart.setMinValue(1200);
    chart.setMaxValue(1300);
    chart.DrawNum({QStringLiteral("1260,1260,0,1260,1260"), {}, {}}, {0x0000FF}, {}, 0, 2);
    const QImage image = chart.LoadImg();
    ASSERT_EQ(image.size(), QSize(600, 400));
    const auto at = [&](int x, int y) { return platform::gdi::pixel(image, x, y); };
    // Frame (650, 500) - (8890, 5750) twips: pixels 43, 33, 593, 383.
    for (auto [x, y] : {std::pair{43, 33}, {593, 33}, {43, 383}, {593, 383}})
        EXPECT_EQ(at(x, y), 0) << x << "," << y;
    EXPECT_EQ(at(42, 33), 0xFFFFFF);
    EXPECT_EQ(at(594, 200), 0xFFFFFF);
    // Dotted grey row at 1812.5 twips (row 121): three on, three off from the left edge.
    EXPECT_EQ(at(43, 121), static_cast<int32_t>(kGrid));
    EXPECT_EQ(at(45, 121), static_cast<int32_t>(kGrid));
    EXPECT_EQ(at(46, 121), 0xFFFFFF);
    // The series at 1260 lies at 2600 twips (row 173), two pixels thick, red.
    EXPECT_EQ(at(133, 173), 0x0000FF);
    EXPECT_EQ(at(133, 174), 0x0000FF);
    EXPECT_EQ(at(133, 175), 0xFFFFFF);
    // No line across the missing point 2 (points at 3228 and 8384 twips).
    for (int x = 218; x <= 556; ++x)
        ASSERT_EQ(at(x, 173), 0xFFFFFF) << x;
    EXPECT_EQ(at(570, 173), 0x0000FF);
}

TEST(ChartPixelTest, FrameShowsTheCrosshairOverThePicture) {
    Chart chart;
    chart.resize(600, 400);
    chart.setRows(240);
    chart.setpRows(3);
    chart.setpCols(4);
    chart.setMinValue(1200);
    chart.setMaxValue(1300);
    chart.DrawNumLine(QStringLiteral("1250,1260"), 0xFF, {}, 0, 2);
    chart.chartMouseDown(1, 0, 3000, 3000); // pixel (200, 200)
    const QImage frame = chart.frame();
    EXPECT_EQ(platform::gdi::pixel(frame, 200, 150), 0);                  // vertical line
    EXPECT_EQ(platform::gdi::pixel(frame, 300, 200), 0);                  // horizontal line
    EXPECT_EQ(platform::gdi::pixel(chart.LoadImg(), 300, 200), 0xFFFFFF); // not in the picture
}

} // namespace
