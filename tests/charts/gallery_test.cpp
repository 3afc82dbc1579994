// Writes pictures of the line chart for a reviewer to open, from fixed data and a fixed clock:
// <build dir>/gallery/charts/
//   gold72h.png    three trading days overlaid (DrawNum) with title, information lines, legend
//   gold1day.png   one trading day of 720 points (DrawNumLine) with its high/low legend
//   goldlong.png   a year of closes with date labels (last year's dates in full)
//   twin.png       a twin-chart-sized three-day chart of 240 points
//   crosshair.png  the one-day chart with the crosshair and its read-outs
//   markers.png    the 72-hour chart with news markers and the balloon of one of them
//   silverlive.png the live chart of a price quoted in thousandths, fed as the main window feeds it
#include "charts/chart.h"

#include "charts/chartfeed.h"
#include "state/quotetables.h"

#include "platform/clock.h"
#include "platform/forms.h"
#include "platform/gdi.h"
#include "widgets/imagelist/balloontip.h"
#include "widgets/imagelist/frmtooltip.h"

#include <QCursor>
#include <QDir>
#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

namespace {

constexpr platform::OleColor kGreen = platform::rgb(0, 191, 0);
constexpr platform::OleColor kRed = 255;
constexpr platform::OleColor kBlue = platform::rgb(0, 127, 255);

QString galleryPath(const QString& name) {
    const QString dir = QStringLiteral(BRELTO_GALLERY_DIR "/charts");
    QDir().mkpath(dir);
    return dir + u'/' + name;
}

// A repeatable price walk: a slow swing plus small steps from a fixed generator.
QStringList priceWalk(int count, double start, double swing, uint32_t seed, double stepSize = 0.9) {
    QStringList prices;
    uint32_t state = seed;
    double price = start;
    for (int i = 0; i < count; ++i) {
        state = state * 1664525u + 1013904223u;
        const double step = (static_cast<double>(state >> 8) / 16777216.0 - 0.5) * stepSize;
        price += step + swing * std::sin(i / 60.0 + seed) * 0.05;
        prices << QString::number(std::round(price * 100) / 100, 'f', 2);
    }
    return prices;
}

QStringList hourCaptions() {
    QStringList captions;
    for (int k = 0; k <= 12; ++k) {
        const int h = 6 + 2 * k;
        captions << QString::number(h > 24 ? h - 24 : h);
    }
    return captions;
}

struct Range {
    float max = 0;
    float min = 0;
};

Range rangeOf(const QStringList& prices) {
    Range r{0, 1e9f};
    for (const QString& p : prices) {
        const float v = p.toFloat();
        if (v <= 0) continue;
        r.max = std::max(r.max, v);
        r.min = std::min(r.min, v);
    }
    return r;
}

// Today runs from 06:00 to 10:30 (slot 135); the rest of the day has no prices yet.
QStringList today() {
    QStringList day = priceWalk(720, 2151.5, 3, 7);
    for (int i = 136; i < 720; ++i)
        day[i] = QStringLiteral("0");
    return day;
}

void draw72Hours(Chart& chart) {
    const QStringList d0 = today();
    const QStringList d1 = priceWalk(720, 2146.2, -4, 11);
    const QStringList d2 = priceWalk(720, 2139.8, 5, 23);
    const Range r = rangeOf(d0 + d1 + d2);
    chart.XsJZ = (r.max + r.min) + (r.max - r.min);
    chart.setMaxValue(r.max + (r.max - r.min) * 0.1f);
    chart.setMinValue(r.min - (r.max - r.min) * 0.08f);
    chart.setpRows(11);
    chart.setpCols(13);
    chart.setRows(720);
    chart.Is720 = true;
    chart.ShowTime = true;
    chart.DrawNum({d0.join(u','), d1.join(u','), d2.join(u',')}, {kGreen, kRed, kBlue},
                  hourCaptions(), 1, 1);
    chart.Xie(220, 0, 255, QStringLiteral("宋体"), 12, QStringLiteral("伦敦金 72小时行情走势图"),
              true, 1);
    chart.Xie(600, 200, 0, QStringLiteral("宋体"), 9,
              QStringLiteral("北京时间 2024年03月05日 10点31分20秒"), false, 2);
    chart.Xie(300, 200, 0, QStringLiteral("宋体"), 9, QStringLiteral("当前：2156.32 涨幅：10.12"),
              false, 2);
    chart.DrawLegend({QStringLiteral("03月05日 星期二 $2156.32 "),
                      QStringLiteral("03月04日 星期一 $2146.20 "),
                      QStringLiteral("03月01日 星期五 $2139.80 ")},
                     {kGreen, kRed, kBlue}, 600, 700);
}

void drawOneDay(Chart& chart) {
    const QStringList day = priceWalk(720, 2148.0, 4, 5);
    const Range r = rangeOf(day);
    chart.XsJZ = (r.max + r.min) + (r.max - r.min);
    chart.setMaxValue(r.max + (r.max - r.min) * 0.1f);
    chart.setMinValue(r.min - (r.max - r.min) * 0.08f);
    chart.setRows(720);
    chart.Is720 = true;
    chart.ShowTime = true;
    chart.setpRows(11);
    chart.setpCols(13);
    chart.DrawNumLine(day.join(u','), 255, hourCaptions(), 1, 2);
    chart.LineLegend(QStringLiteral("最高:") + QString::number(r.max) + QStringLiteral(" 最低:") +
                         QString::number(r.min),
                     255, 600, 700);
    chart.Xie(220, 0, 255, QStringLiteral("宋体"), 12, QStringLiteral("伦敦金 1天价格走势图"), true,
              1);
    chart.Xie(600, 200, 0, QStringLiteral("宋体"), 9, QStringLiteral("北京时间 2024年03月05日"),
              false, 2);
    chart.Xie(300, 200, 0, QStringLiteral("宋体"), 9, QStringLiteral("当前：2156.32 涨幅：10.12"),
              false, 2);
}

class ChartGallery : public ::testing::Test {
protected:
    void SetUp() override {
        platform::setPcClock([] { return QDateTime(QDate(2024, 3, 5), QTime(10, 31, 20)); });
    }
    void TearDown() override { platform::setPcClock({}); }

    static void save(const QImage& image, const QString& name) {
        ASSERT_FALSE(image.isNull());
        // A drawn chart has ink: frame, grid, labels and lines.
        int ink = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                ink += platform::gdi::pixel(image, x, y) != 0xFFFFFF ? 1 : 0;
        EXPECT_GT(ink, image.width() * 3) << name.toStdString();
        EXPECT_TRUE(image.save(galleryPath(name))) << name.toStdString();
    }
};

TEST_F(ChartGallery, SeventyTwoHours) {
    Chart chart;
    chart.resize(900, 500);
    draw72Hours(chart);
    save(chart.frame(), QStringLiteral("gold72h.png"));
}

TEST_F(ChartGallery, OneDay) {
    Chart chart;
    chart.resize(900, 500);
    drawOneDay(chart);
    save(chart.frame(), QStringLiteral("gold1day.png"));
}

TEST_F(ChartGallery, LongRangeWithDates) {
    Chart chart;
    chart.resize(900, 500);
    QStringList dates;
    QDate d(2023, 3, 6);
    while (d <= QDate(2024, 3, 5)) {
        if (d.dayOfWeek() <= 5)
            dates << QStringLiteral("%1/%2/%3").arg(d.year()).arg(d.month()).arg(d.day());
        d = d.addDays(1);
    }
    const QStringList closes = priceWalk(static_cast<int>(dates.size()), 1840, 12, 99, 24);
    const Range r = rangeOf(closes);
    chart.XsJZ = (r.max + r.min) + (r.max - r.min);
    chart.setMaxValue(r.max + (r.max - r.min) * 0.1f);
    chart.setMinValue(r.min - (r.max - r.min) * 0.08f);
    chart.setRows(static_cast<int32_t>(dates.size()));
    chart.setpRows(8);
    chart.setpCols(13);
    chart.ShowTime = true;
    chart.ShowRarr = true;
    QString bcap = dates.join(u',');
    chart.DrawNumLine(closes.join(u','), 255, {}, 1, 2, bcap);
    chart.LineLegend(QStringLiteral("最高:") + QString::number(r.max) + QStringLiteral(" 最低:") +
                         QString::number(r.min),
                     255, 600, 700);
    chart.Xie(220, 0, 255, QStringLiteral("宋体"), 12,
              QStringLiteral("伦敦金 %1天价格走势图").arg(dates.size()), true, 1);
    chart.chartMouseDown(1, 0, 9000, 4000);
    save(chart.frame(), QStringLiteral("goldlong.png"));
}

TEST_F(ChartGallery, TwinChartSize) {
    Chart chart;
    chart.resize(300, 210);
    QStringList days[3];
    for (int k = 0; k < 3; ++k) {
        const QStringList full = priceWalk(720, 24.1 + 0.2 * k, 0.15, 31 + k, 0.05);
        for (int i = 0; i < 720; i += 3)
            days[k] << full[i];
    }
    for (int i = 46; i < 240; ++i)
        days[0][i] = QStringLiteral("0");
    const Range r = rangeOf(days[0] + days[1] + days[2]);
    chart.XsJZ = (r.max + r.min) + (r.max - r.min);
    chart.setMaxValue(r.max + 0.2f);
    chart.setMinValue(r.min - 0.2f);
    chart.setRows(240);
    chart.setpRows(5);
    chart.setpCols(4);
    chart.Is240 = true;
    chart.ShowTime = true;
    chart.DrawNum(
        {days[0].join(u','), days[1].join(u','), days[2].join(u',')}, {kGreen, kRed, kBlue},
        {QStringLiteral("6"), QStringLiteral("10"), QStringLiteral("14"), QStringLiteral("18"),
         QStringLiteral("22"), QStringLiteral("2"), QStringLiteral("6")},
        1);
    chart.Xie(100, 0, 255, QStringLiteral("宋体"), 10, QStringLiteral("白银"), true, 1);
    save(chart.frame(), QStringLiteral("twin.png"));
}

TEST_F(ChartGallery, LiveChartOfAThousandthsPrice) {
    clearQuoteTables();
    ProdName[1] = QStringLiteral("人民币账户白银");
    QuoteDate = QStringLiteral("2024-3-5");
    QuoteTime = QStringLiteral("10:31:20");
    const float samples[] = {3.421f, 3.421f, 3.422f, 3.424f, 3.423f, 3.423f, 3.425f, 3.424f,
                             3.422f, 3.42f,  3.419f, 3.42f,  3.421f, 3.423f, 3.423f, 3.422f};
    TickCount = static_cast<int16_t>(std::size(samples));
    for (int k = 1; k <= TickCount; ++k) {
        ProdTick[1][k] = samples[k - 1];
        TickTime[k] = QStringLiteral("2024-3-5 10:%1:%2").arg(29 + k * 6 / 60).arg(k * 6 % 60, 2, 10, QLatin1Char('0'));
    }
    const auto plan = charts::buildRefreshmin(1, {});
    ASSERT_TRUE(plan);
    Chart chart;
    chart.resize(900, 500);
    charts::applyFeedPlan(chart, *plan);
    save(chart.frame(), QStringLiteral("silverlive.png"));
    clearQuoteTables();
}

TEST_F(ChartGallery, Crosshair) {
    Chart chart;
    chart.resize(900, 500);
    drawOneDay(chart);
    chart.NowRmb = 7.1f;
    chart.chartMouseDown(1, 0, 7400, 3300);
    save(chart.frame(), QStringLiteral("crosshair.png"));
}

TEST_F(ChartGallery, NewsMarkersWithTheBalloon) {
    Chart chart;
    chart.resize(900, 500);
    draw72Hours(chart);
    const QDate day(2024, 3, 5);
    chart.DoTheD(QStringLiteral("美国2月ISM非制造业指数公布..."), QStringLiteral("9001"), 0,
                 QDateTime(day, QTime(7, 45)));
    chart.DoTheD(QStringLiteral("黄金早评：金价高位震荡"), QStringLiteral("9002"), 1,
                 QDateTime(day, QTime(8, 20)));
    chart.DoTheD(QStringLiteral("央行连续第16个月增持黄金"), QStringLiteral("9003"), 2,
                 QDateTime(day, QTime(9, 31)));
    chart.DoTheD(QStringLiteral("欧元区2月PMI终值"), QStringLiteral("9004"), 0,
                 QDateTime(day, QTime(10, 5)));

    // The balloon places itself at the mouse cursor: put it on the hovered marker.
    chart.show();
    const int slot = chart.TtoGetd(QDateTime(day, QTime(9, 31)));
    const ChartLabel& marker = chart.DL(slot);
    const QPoint hover(static_cast<int>((marker.Left + 45) / 15),
                       static_cast<int>((marker.Top + 120) / 15));
    QCursor::setPos(chart.mapToGlobal(hover));
    chart.markerMouseMove(slot, 0, 0, 45, 120);
    ASSERT_TRUE(chart.TIP().Showing());
    ASSERT_TRUE(QTest::qWaitFor(
        [] { return platform::isLoaded<frmToolTip>() && platform::form<frmToolTip>().placed(); }));

    // The balloon window over the chart, its pointer's tip on the hovered marker.
    QImage picture = chart.frame();
    const frmToolTip& balloon = platform::form<frmToolTip>();
    const QPoint tip = BalloonPointer.size() > 2 ? BalloonPointer.point(2) : QPoint();
    const QImage face = balloon.face();
    const QPoint origin(std::clamp(hover.x() - tip.x(), 0, picture.width() - face.width()),
                        std::clamp(hover.y() - tip.y(), 0, picture.height() - face.height()));
    {
        QPainter painter(&picture);
        painter.setClipRegion(balloon.windowRegion().translated(origin));
        painter.drawImage(origin, face);
    }
    chart.TIP().UnShowIng();
    save(picture, QStringLiteral("markers.png"));
}

} // namespace
