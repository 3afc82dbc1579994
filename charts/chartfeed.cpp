#include "charts/chartfeed.h"

#include "charts/chartgeometry.h"

#include "common/msgbox.h"
#include "common/tradingday.h"
#include "platform/boundary.h"
#include "state/livelink.h"
#include "market/quoterun.h"
#include "state/quotetables.h"
#include "market/scheduler.h"
#include "platform/plaintip.h"
#include "platform/surface.h"
#include "platform/vberror.h"
#include "platform/vbtext.h"
#include "state/configstate.h"
#include "state/session.h"
#include "state/usersettings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QSignalBlocker>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace charts {

namespace {

const QString kSong = QStringLiteral("宋体");
constexpr double kTextGap = 30; // between a text moved down and the one it would have covered

bool validProd(int16_t i) { return i >= 0 && i < kMaxProducts; }

// The chart's value-label decimals are read off twice the maximum.
float twiceMax(float max, float min) { return (max + min) + (max - min); }

void proportionalScale(FeedPlan& plan) {
    const double span = double(plan.max) - double(plan.min);
    plan.xsjz = twiceMax(plan.max, plan.min);
    plan.maxValue = static_cast<float>(plan.max + span * 0.1);
    plan.minValue = static_cast<float>(plan.min - span * 0.08);
}

void setMaxMin(FeedPlan& plan, const QString& list) {
    plan.max = ListMaxMin(list, true);
    plan.min = ListMaxMin(list, false);
}

QString maxMinLegend(const FeedPlan& plan) {
    return QStringLiteral("最高:") + platform::singleText(plan.max) + QStringLiteral(" 最低:")
           + platform::singleText(plan.min);
}

XieText title(const QString& text) { return {220, 0, 255, 12, text, true, 1}; }

QString priceLine(int16_t i) {
    return QStringLiteral("当前：") + platform::singleText(ProdPrice[i][0]) + QStringLiteral(" 涨幅：")
           + platform::formatFixed(ProdPrev[i], 2);
}

QString quoteDateChinese() {
    const QDateTime d = ToDate(QuoteDate);
    return d.isValid() ? d.toString(QStringLiteral("yyyy年MM月dd日")) : QuoteDate;
}

// Information lines of the N-day and long-range charts.
void dayInfoLines(FeedPlan& plan, int16_t i, const FeedContext& c) {
    if (!c.pane3On && c.coleWidthTwips > 9000) {
        plan.texts.push_back({600, 200, 0, 9, QStringLiteral("北京时间 ") + quoteDateChinese(), false, 2});
        plan.texts.push_back({300, 200, 0, 9, priceLine(i), false, 2});
    } else if (c.pane3On && c.coleWidthTwips > 12000) {
        plan.texts.push_back({600, 200, 0, 9, priceLine(i), false, 2});
    }
}

// Today's item at the current 6-minute slot becomes the live price, unless the market is shut.
QString withLivePoint(const QString& d0, int16_t i, const FeedContext& c) {
    if (c.marketClosed || d0.isEmpty())
        return d0;
    QStringList items = d0.split(QLatin1Char(','));
    if (c.nowSlot240 >= 0 && c.nowSlot240 < items.size())
        items[c.nowSlot240] = platform::singleText(ProdPrice[i][0]);
    return items.join(QLatin1Char(','));
}

// The snapshot sample of instrument i written with the most decimals: the decimals it is quoted
// to, as a single price may end in a dropped zero.
float mostPreciseSample(int16_t i) {
    float sample = ProdTick[i][1];
    for (int k = 2; k <= TickCount; ++k)
        if (DecimalCount(ProdTick[i][k]) > DecimalCount(sample))
            sample = ProdTick[i][k];
    return sample;
}

QString timeOfStamp(const QString& stamp) {
    const QDateTime t = ToDate(stamp);
    if (t.isValid())
        return t.time().toString(QStringLiteral("H:mm:ss"));
    return stamp.section(QLatin1Char(' '), 1);
}

} // namespace

const QStringList& rangeCaptions() {
    static const QStringList captions{
        QStringLiteral("即时图"),          QStringLiteral("72小时 F3"),      QStringLiteral("1天 Alt+1"),
        QStringLiteral("2天 Alt+2"),       QStringLiteral("3天 Alt+3"),      QStringLiteral("4天 Alt+4"),
        QStringLiteral("5天 Alt+5"),       QStringLiteral("6天 Alt+6"),      QStringLiteral("7天 Alt+7"),
        QStringLiteral("8天 Alt+8"),       QStringLiteral("9天 Alt+9"),      QStringLiteral("10天 Alt+0"),
        QStringLiteral("30天 Alt+Q"),      QStringLiteral("60天 Alt+W"),     QStringLiteral("90天 Alt+E(VIP)"),
        QStringLiteral("180天 Alt+R(VIP)"), QStringLiteral("360天 Alt+T(VIP)")};
    return captions;
}

QStringList hourCaptions13() {
    constexpr int kDayStartHour = 6;
    QStringList captions;
    for (int k = 0; k <= 12; ++k) {
        const int h = kDayStartHour + 2 * k;
        captions << QString::number(h > 24 ? h - 24 : h);
    }
    return captions;
}

QStringList tickCaptions(int16_t tickCount, int n) {
    QStringList captions(13);
    captions[0] = timeOfStamp(TickTime[1]);
    captions[n] = timeOfStamp(TickTime[tickCount]);
    if (tickCount - 1 >= n) {
        for (int k = 1; k < n; ++k) {
            const int r = static_cast<int>(platform::Round(double(tickCount - 1) / n * k));
            captions[k] = timeOfStamp(TickTime[1 + r]);
        }
    }
    return captions;
}

QString klineCaption(int16_t i) {
    return QStringList{platform::singleText(ProdOpen[i]), platform::singleText(ProdHigh[i]),
                       platform::singleText(ProdLow[i]), platform::singleText(ProdPrice[i][0]),
                       FormatChange(ProdPrev[i], false), QStringLiteral("-")}
        .join(QLatin1Char(','));
}

std::optional<FeedPlan> buildRefreshmin(int16_t i, const FeedContext& c) {
    if (!validProd(i) || TickCount < 2 || TickCount > kMaxTicks)
        return std::nullopt;
    QStringList prices;
    for (int k = 1; k <= TickCount; ++k)
        prices << platform::singleText(ProdTick[i][k]);
    FeedPlan plan;
    plan.lines = {prices.join(QLatin1Char(','))};
    setMaxMin(plan, plan.lines[0]);
    // Scale and labels keep the instrument's own decimals, never fewer than two: the margins are a
    // fraction of a tick of a price quoted in thousandths, and rounded to two decimals a silver
    // line at 3.42 would span nothing under six labels reading 3.42. For such a price its own
    // text sets the labels' decimals, which twice the maximum gets wrong (2 x 3.425 = 6.85).
    const float sample = mostPreciseSample(i);
    const int decimals = std::max<int>(2, DecimalCount(sample));
    plan.xsjz = DecimalCount(sample) > 2 ? sample : twiceMax(plan.max, plan.min);
    plan.maxValue = static_cast<float>(platform::Round(plan.max + plan.max * 0.0002, decimals));
    plan.minValue = static_cast<float>(platform::Round(plan.min - plan.min * 0.0002, decimals));
    const int n = c.windowWidthTwips > 16500 ? 11 : 6;
    plan.captions = tickCaptions(TickCount, n);
    plan.rows = TickCount - 1;
    plan.pRows = n - 1;
    plan.pCols = c.pane2On ? n / 2 : n + 2;
    plan.showTime = false;
    plan.colors = {kFeedRed};
    plan.lineFs = 0;
    plan.dwtype = 2;
    plan.lineLegend = maxMinLegend(plan);
    plan.texts.push_back(title(ProdName[i] + QStringLiteral(" 即时行情走势图")));
    const QDateTime d = ToDate(QuoteDate);
    const QString date = d.isValid() ? d.toString(QStringLiteral("yyyy-M-d")) : QuoteDate;
    plan.texts.push_back({600, 200, 0, 9, QStringLiteral("北京时间 ") + date + QLatin1Char(' ') + QuoteTime, false, 2});
    return plan;
}

std::optional<FeedPlan> buildRefreshGraph(int16_t i, const FeedContext& c) {
    if (!validProd(i))
        return std::nullopt;
    QString d[3];
    for (int k = 0; k < 3; ++k)
        d[k] = c.simpleChart ? ListEvery3(ProdSeries[i][k]) : ProdSeries[i][k];
    if (c.simpleChart)
        d[0] = withLivePoint(d[0], i, c);
    if (d[0].isEmpty())
        return std::nullopt;
    FeedPlan plan;
    setMaxMin(plan, d[0] + QLatin1Char(',') + d[1] + QLatin1Char(',') + d[2]);
    if (plan.max == 0 || plan.min == 0)
        return std::nullopt;
    proportionalScale(plan);
    plan.captions = hourCaptions13();
    plan.pRows = 11;
    plan.pCols = c.pane2On ? 6 : 13;
    if (d[0].split(QLatin1Char(',')).size() == 240) {
        plan.rows = 240;
        plan.is720 = false;
        plan.isTd = false;
        plan.is240 = true;
    } else {
        plan.is720 = true;
        plan.isTd = false;
        plan.rows = 720;
    }
    plan.showTime = true;
    plan.method = DrawMethod::DrawNum;
    plan.lines = {d[0], d[1], d[2]};
    plan.colors = {kFeedGreen, kFeedRed, kFeedBlue};
    plan.lineFs = c.boldChart ? 2 : 1;
    plan.dwtype = 1;
    plan.texts.push_back(title(ProdName[i] + QStringLiteral(" 72小时行情走势图")));
    plan.dayAxis = true;
    if (c.coleWidthTwips > 8000) {
        if (!c.pane3On) {
            const QDateTime t = ToDate(QuoteDate + QLatin1Char(' ') + QuoteTime);
            const QString time = t.isValid() ? t.time().toString(QStringLiteral("hh点mm分ss秒")) : QuoteTime;
            plan.texts.push_back({600, 200, 0, 9, QStringLiteral("北京时间 ") + quoteDateChinese() + QLatin1Char(' ') + time,
                                  false, 2});
            plan.texts.push_back({300, 200, 0, 9, priceLine(i), false, 2});
        } else {
            plan.texts.push_back({600, 200, 0, 9, priceLine(i), false, 2});
        }
    }
    if (!c.pane2On) {
        for (int k = 0; k < 3; ++k) {
            const QDate date = ProdSeriesDate[i][k].date();
            plan.legendTexts << date.toString(QStringLiteral("MM月dd日")) + QLatin1Char(' ') + WeekName(date)
                                    + QStringLiteral(" $") + platform::formatFixed(ProdPrice[i][k], 2) + QLatin1Char(' ');
        }
        plan.legendColors = plan.colors;
    }
    return plan;
}

std::optional<FeedPlan> buildRefreshTheDay(int16_t days, int16_t i, const FeedContext& c) {
    if (!validProd(i) || days < 1 || days > kSeriesDays)
        return std::nullopt;
    const int k = days - 1;
    if (ProdSeries[i][k].isEmpty())
        return std::nullopt;
    FeedPlan plan;
    QString series;
    if (days == 1) {
        series = ProdSeries[i][0];
        plan.rows = 720;
        plan.is720 = true;
    } else {
        plan.rows = days * 144;
        plan.is720 = false;
        QStringList parts;
        for (int d = k; d >= 0; --d)
            parts << ListEvery5(ProdSeries[i][d]);
        series = parts.join(QLatin1Char(','));
    }
    if (series.isEmpty())
        return std::nullopt;
    setMaxMin(plan, series);
    proportionalScale(plan);
    if (days == 1) {
        plan.showTime = true;
        plan.captions = hourCaptions13();
        plan.pRows = 11;
        plan.dayAxis = true;
    } else {
        plan.showTime = false;
        for (int j = 0; j < days; ++j)
            plan.captions << ProdSeriesDate[i][days - 1 - j].toString(QStringLiteral("MM-dd"));
        plan.captions << ProdSeriesDate[i][0].addDays(1).toString(QStringLiteral("MM-dd"));
        plan.pRows = days - 1;
    }
    plan.pCols = c.pane2On ? 7 : 13;
    plan.lines = {series};
    plan.colors = {kFeedRed};
    plan.lineFs = c.boldChart ? 2 : 1;
    plan.dwtype = 2;
    plan.lineLegend = maxMinLegend(plan);
    plan.texts.push_back(title(ProdName[i] + QLatin1Char(' ') + QString::number(days) + QStringLiteral("天价格走势图")));
    dayInfoLines(plan, i, c);
    return plan;
}

std::optional<FeedPlan> buildRefreshMonth(int16_t& Todays, int16_t i, const FeedContext& c) {
    if (Todays == 0)
        Todays = 30;
    if (!validProd(i))
        return std::nullopt;
    const QStringList closes = ProdDayCloses[i].split(QLatin1Char(','));
    const QStringList dates = ProdDayDates[i].split(QLatin1Char(','));
    const int u = static_cast<int>(closes.size()) - 1;
    QString closeText;
    QString dateText;
    if (u > Todays) {
        for (int j = u - Todays; j <= u - 1; ++j) {
            closeText += closes[j] + QLatin1Char(',');
            dateText += dates.value(j) + QLatin1Char(',');
        }
    } else {
        closeText = ProdDayCloses[i];
        dateText = ProdDayDates[i];
        Todays = static_cast<int16_t>(u);
    }
    if (closeText.isEmpty())
        return std::nullopt;
    FeedPlan plan;
    setMaxMin(plan, closeText);
    proportionalScale(plan);
    plan.rows = Todays;
    plan.pRows = 8;
    plan.pCols = c.pane2On ? 7 : 13;
    plan.showTime = true;
    plan.showRarr = true;
    plan.is720 = false;
    plan.lines = {closeText};
    plan.colors = {kFeedRed};
    plan.captions = QStringList(11);
    plan.lineFs = 0;
    plan.dwtype = 2;
    plan.dates = dateText;
    plan.lineLegend = maxMinLegend(plan);
    plan.texts.push_back(title(ProdName[i] + QLatin1Char(' ') + QString::number(Todays) + QStringLiteral("天价格走势图")));
    dayInfoLines(plan, i, c);
    return plan;
}

std::optional<FeedPlan> buildTwinChart(int16_t p, bool threeDay, const FeedContext& c) {
    if (!validProd(p))
        return std::nullopt;
    const QString d0 = withLivePoint(ListEvery3(ProdSeries[p][0]), p, c);
    if (d0.isEmpty())
        return std::nullopt;
    const QString d1 = ListEvery3(ProdSeries[p][1]);
    const QString d2 = ListEvery3(ProdSeries[p][2]);
    FeedPlan plan;
    setMaxMin(plan, threeDay ? d0 + QLatin1Char(',') + d1 + QLatin1Char(',') + d2 : d0);
    plan.captions = {QStringLiteral(" 6"), QStringLiteral("10"), QStringLiteral("14"), QStringLiteral("18"),
                     QStringLiteral("22"), QStringLiteral("2"),  QStringLiteral("6")};
    plan.maxValue = static_cast<float>(plan.max + 0.2);
    plan.minValue = static_cast<float>(plan.min - 0.2);
    plan.xsjz = twiceMax(plan.max, plan.min);
    plan.rows = 240;
    plan.pRows = 5;
    plan.pCols = 4;
    plan.is240 = true;
    plan.showTime = true;
    plan.lineFs = c.boldChart ? 2 : 1;
    if (threeDay) {
        plan.method = DrawMethod::DrawNum;
        plan.lines = {d0, d1, d2};
        plan.colors = {kFeedGreen, kFeedRed, kFeedBlue};
    } else {
        plan.lines = {d0};
        plan.colors = {kFeedGreen};
    }
    plan.texts.push_back({70, 0, 255, 9, ProdName[p], true, 1});
    plan.texts.push_back({405, 300, 0, 9,
                          QStringLiteral("　当前：") + platform::singleText(ProdPrice[p][0]) + QStringLiteral("  ")
                              + FormatChange(ProdPrev[p], false),
                          false, 0});
    return plan;
}

void applyFeedPlan(Chart& chart, const FeedPlan& plan) {
    chart.setMaxValue(plan.maxValue);
    chart.setMinValue(plan.minValue);
    chart.XsJZ = plan.xsjz;
    chart.setRows(plan.rows);
    chart.setpRows(plan.pRows);
    chart.setpCols(plan.pCols);
    if (plan.showTime)
        chart.ShowTime = *plan.showTime;
    if (plan.is720)
        chart.Is720 = *plan.is720;
    if (plan.is240)
        chart.Is240 = *plan.is240;
    if (plan.isTd)
        chart.IsTd = *plan.isTd;
    if (plan.showRarr)
        chart.ShowRarr = *plan.showRarr;
    chart.DayAxis = plan.dayAxis;
    const int16_t kind = plan.dwtype;
    if (plan.method == DrawMethod::DrawNum) {
        chart.DrawNum(plan.lines, plan.colors, plan.captions, plan.lineFs, kind);
    } else if (plan.dates) {
        QString dates = *plan.dates;
        chart.DrawNumLine(plan.lines.value(0), plan.colors.value(0), plan.captions, plan.lineFs, kind, dates);
    } else {
        chart.DrawNumLine(plan.lines.value(0), plan.colors.value(0), plan.captions, plan.lineFs, kind);
    }
    if (!plan.lineLegend.isEmpty())
        chart.LineLegend(plan.lineLegend, kFeedRed, 600, 700);
    if (!plan.legendTexts.isEmpty())
        chart.DrawLegend(plan.legendTexts, plan.legendColors, 600, 700);
    // A narrow chart has no room for the title, the information lines, the legend and the value
    // labels side by side: a text that would be printed over one printed before it goes below.
    std::vector<TwipRect> taken = chart.LevelLabelBoxes();
    if (!plan.lineLegend.isEmpty() || !plan.legendTexts.isEmpty())
        taken.push_back({static_cast<double>(chart.LegendX()), static_cast<double>(chart.LegendY()),
                         static_cast<double>(chart.LegendRight()), chart.LegendBottom()});
    const double W = chart.width() * 15.0;
    const double H = chart.height() * 15.0;
    for (XieText t : plan.texts) {
        const QFont drawn = platform::surfaceFont(kSong, t.size, t.bold);
        const double width = platform::textWidthTwips(drawn, t.text);
        // Xie places by the regular weight's width.
        const double placing =
            platform::textWidthTwips(platform::surfaceFont(kSong, t.size, false), t.text);
        double left = t.x;
        double top = t.y;
        if (t.align == 1) {
            left = W / 2 - placing / 2;
            top = t.x;
        } else if (t.align == 2) {
            left = W - placing - t.y;
            top = t.x;
        } else if (t.align == 3) {
            left = W - t.x - placing;
            top = H - t.y;
        }
        // Leading blanks print nothing and may stand over what is printed there.
        qsizetype ink = 0;
        while (ink < t.text.size() && t.text[ink].isSpace())
            ++ink;
        const double blank = platform::textWidthTwips(drawn, t.text.left(ink));
        const TwipRect box{left + blank, top, left + width, top + platform::lineHeightTwips(drawn)};
        const double clear = std::ceil(topClearOf(box, taken, kTextGap));
        if (clear != top && std::isfinite(clear) && std::abs(clear) < 1e9) {
            const auto moved = static_cast<int32_t>(clear);
            if (t.align == 0)
                t.y = moved;
            else if (t.align == 3)
                t.y = static_cast<int32_t>(H) - moved;
            else
                t.x = moved;
        }
        taken.push_back({box.x1, clear, box.x2, clear + (box.y2 - box.y1)});
        chart.Xie(t.x, t.y, t.color, kSong, t.size, t.text, t.bold, t.align);
    }
}

UpdatePlan planUpdateImg(int16_t curTab, int16_t chartKind, int16_t chartRange, bool isVip, bool pane2,
                         bool pane3, bool pane4) {
    UpdatePlan plan;
    if (curTab != 2 && curTab != 3)
        return plan;
    if (chartKind != 0) {
        plan.kline = true;
        return plan;
    }
    if ((chartRange == 15 || chartRange == 16) && !isVip) {
        plan.vipRefused = true;
        plan.twins = false;
        return plan;
    }
    PaneCall call;
    if (chartRange == 0) {
        call.feeder = Feeder::Refreshmin;
    } else if (chartRange == 1) {
        call.feeder = Feeder::RefreshGraph;
    } else if (chartRange >= 2 && chartRange <= 11) {
        call.feeder = Feeder::RefreshTheDay;
        call.range = static_cast<int16_t>(chartRange - 1);
    } else if (chartRange >= 12 && chartRange <= 16) {
        static constexpr int16_t kDays[] = {30, 60, 90, 180, 360};
        call.feeder = Feeder::RefreshMonth;
        call.range = kDays[chartRange - 12];
    } else {
        return plan;
    }
    const bool on[] = {true, pane2, pane3, pane4};
    for (int pane = 1; pane <= 4; ++pane) {
        if (on[pane - 1]) {
            call.pane = pane;
            plan.panes.push_back(call);
        }
    }
    return plan;
}

ChartFeed::ChartFeed(const FeedControls& controls) : c_(controls) {}

void ChartFeed::connectControls() {
    {
        const QSignalBlocker block(c_.Combo4);
        c_.Combo4->clear();
        c_.Combo4->addItems(rangeCaptions());
        c_.Combo4->setCurrentIndex(1);
    }
    ChartRange = 1;
    const std::pair<QCheckBox*, const char*> boxes[] = {
        {c_.VIPChart2, "启用2图"}, {c_.VIPChart3, "启用3图"}, {c_.VIPChart4, "启用4图"}};
    for (const auto& [box, caption] : boxes) {
        const QSignalBlocker block(box);
        box->setText(QString::fromUtf8(caption));
        box->setChecked(false);
    }
    c_.VIPChart2->setEnabled(true);
    c_.VIPChart3->setEnabled(false);
    c_.VIPChart4->setEnabled(false);

    // The range box is also moved from code (refusals, missing history) and must then redraw;
    // the instrument boxes react to the user only, so filling them redraws nothing.
    QObject::connect(c_.Combo4, &QComboBox::currentIndexChanged, c_.Combo4, platform::guard("chartfeed Combo4 currentIndexChanged", [this] { Combo4_Click(); }));
    const std::pair<QComboBox*, void (ChartFeed::*)()> selectors[] = {
        {c_.Combo1, &ChartFeed::Combo1_Click}, {c_.Combo2, &ChartFeed::Combo2_Click},
        {c_.Combo3, &ChartFeed::Combo3_Click}, {c_.Combo5, &ChartFeed::Combo5_Click},
        {c_.Combo6, &ChartFeed::Combo6_Click}, {c_.SetDrawtype, &ChartFeed::SetDrawtype_Click}};
    for (const auto& [box, handler] : selectors)
        QObject::connect(box, &QComboBox::activated, box, platform::guard("chartfeed box activated", [this, handler = handler] { (this->*handler)(); }));
    QObject::connect(c_.VIPChart2, &QCheckBox::toggled, c_.VIPChart2, platform::guard("chartfeed VIPChart2 toggled", [this] { VIPChart2_Click(); }));
    QObject::connect(c_.VIPChart3, &QCheckBox::toggled, c_.VIPChart3, platform::guard("chartfeed VIPChart3 toggled", [this] { VIPChart3_Click(); }));
    QObject::connect(c_.VIPChart4, &QCheckBox::toggled, c_.VIPChart4, platform::guard("chartfeed VIPChart4 toggled", [this] { VIPChart4_Click(); }));
}

FeedContext ChartFeed::context() const {
    FeedContext c;
    c.pane2On = c_.VIPChart2->isChecked();
    c.pane3On = c_.VIPChart3->isChecked();
    c.coleWidthTwips = c_.Cole0 ? c_.Cole0->width() * 15 : 0;
    c.windowWidthTwips = c_.windowWidthTwips ? c_.windowWidthTwips() : 0;
    c.simpleChart = SimpleChart;
    c.boldChart = BoldChart;
    c.marketClosed = IsJQ();
    c.nowSlot240 = NowSlot240();
    return c;
}

Chart* ChartFeed::chartOf(Chart* Setchart) const { return Setchart ? Setchart : c_.Chart1; }

bool ChartFeed::setRangeBox(int index) {
    if (c_.Combo4->currentIndex() == index)
        return false;
    c_.Combo4->setCurrentIndex(index);
    return true;
}

void ChartFeed::UpdateImg() {
    const UpdatePlan plan = planUpdateImg(CurTab, ChartKind, ChartRange, IsVip, c_.VIPChart2->isChecked(),
                                          c_.VIPChart3->isChecked(), c_.VIPChart4->isChecked());
    if (plan.kline) {
        if (c_.setKlineCaption && validProd(CurProd))
            c_.setKlineCaption(klineCaption(CurProd));
        RefreshK();
    }
    if (plan.vipRefused) {
        ShowVipMsg();
        setRangeBox(3);
        return;
    }
    Chart* const charts[] = {c_.Chart1, c_.Chart2, c_.Chart3, c_.Chart4};
    int16_t* const prods[] = {&CurProd, &Pane2Prod, &Pane3Prod, &Pane4Prod};
    for (const PaneCall& call : plan.panes) {
        int16_t& prod = *prods[call.pane - 1];
        Chart* chart = charts[call.pane - 1];
        switch (call.feeder) {
        case Feeder::Refreshmin:
            Refreshmin(prod, chart);
            break;
        case Feeder::RefreshGraph:
            if (call.pane == 1) {
                int16_t current = -1;
                RefreshGraph(current, nullptr);
            } else {
                RefreshGraph(prod, chart);
            }
            break;
        case Feeder::RefreshTheDay:
            RefreshTheDay(call.range, prod, chart);
            break;
        case Feeder::RefreshMonth: {
            int16_t days = call.range;
            RefreshMonth(days, prod, chart);
            break;
        }
        }
    }
    if (plan.twins)
        RefreshMzSy();
}

void ChartFeed::Refreshmin(int16_t& Rmnum, Chart* Setchart) {
    if (!ConfigLoaded)
        return;
    if (Rmnum == -1)
        Rmnum = CurProd;
    if (const auto plan = buildRefreshmin(Rmnum, context()))
        applyFeedPlan(*chartOf(Setchart), *plan);
}

void ChartFeed::RefreshGraph(int16_t& Rg1Num, Chart* Setchart) {
    if (!ConfigLoaded || !AllDataLoaded)
        return;
    if (Rg1Num == -1)
        Rg1Num = CurProd;
    if (!validProd(Rg1Num))
        return;
    if (ProdSeries[Rg1Num][0].isEmpty() && c_.quotes && hasProductCode(Rg1Num))
        c_.quotes->LoadAllData(Rg1Num);
    if (const auto plan = buildRefreshGraph(Rg1Num, context()))
        applyFeedPlan(*chartOf(Setchart), *plan);
}

void ChartFeed::RefreshTheDay(int16_t ShowTheday, int16_t& RtdNum, Chart* Setchart) {
    try {
        if (!ConfigLoaded || !AllDataLoaded || ShowTheday < 1 || ShowTheday > kSeriesDays)
            return;
        if (RtdNum == -1)
            RtdNum = CurProd;
        if (!validProd(RtdNum))
            return;
        const int k = ShowTheday - 1;
        // A redraw from inside a history request's wait (a pushed quote) finds the days still
        // missing: the load under way has not ended with nothing, so the range stays; the
        // request's own caller draws once the answer is in.
        if (ProdSeries[RtdNum][k].isEmpty() && c_.quotes && (c_.quotes->Load10Busy || c_.quotes->LoadAllBusy))
            return;
        if (ProdSeries[RtdNum][k].isEmpty() && c_.quotes && hasProductCode(RtdNum)) {
            int16_t prod = RtdNum;
            c_.quotes->Load10Day(prod);
        }
        if (ProdSeries[RtdNum][0].isEmpty() && c_.quotes && hasProductCode(RtdNum))
            c_.quotes->LoadAllData(RtdNum);
        if (ProdSeries[RtdNum][k].isEmpty()) {
            setRangeBox(3);
            return;
        }
        if (const auto plan = buildRefreshTheDay(ShowTheday, RtdNum, context()))
            applyFeedPlan(*chartOf(Setchart), *plan);
    } catch (const platform::VbError& e) {
        ShowMsg(e.description + QStringLiteral(">>RefreshTheDay"), QString(), c_.Combo4->window());
    }
}

void ChartFeed::RefreshMonth(int16_t& Todays, int16_t& Rmnum, Chart* Setchart) {
    if (!ConfigLoaded)
        return;
    if (!LineLoaded && c_.quotes) {
        int16_t current = -1;
        c_.quotes->LoadLine(current);
    }
    if (Rmnum == -1)
        Rmnum = CurProd;
    if (!validProd(Rmnum))
        return;
    if (ProdDayCloses[Rmnum].isEmpty() && c_.quotes && hasProductCode(Rmnum)) {
        int16_t prod = Rmnum;
        c_.quotes->LoadLine(prod);
    }
    if (const auto plan = buildRefreshMonth(Todays, Rmnum, context()))
        applyFeedPlan(*chartOf(Setchart), *plan);
}

void ChartFeed::RefreshMzSy() {
    if (!ConfigLoaded || !AllDataLoaded)
        return;
    if (!IsVip)
        ThreeDayChart = 0;
    const FeedContext c = context();
    const std::pair<int16_t, Chart*> pairs[] = {{RightChart1Prod, c_.YYChart}, {RightChart2Prod, c_.MZChart}};
    for (int k = 0; k < 2; ++k) {
        const auto [p, chart] = pairs[k];
        if (hasProductCode(p) && ProdSeries[p][0].isEmpty() && c_.quotes)
            c_.quotes->LoadAllData(p);
        const auto plan = buildTwinChart(p, ThreeDayChart != 0, c);
        if (!plan && k == 0)
            return;
        // A twin chart without data keeps its picture rather than a scale made of zeros.
        if (plan)
            applyFeedPlan(*chart, *plan);
    }
}

void ChartFeed::Combo4_Click() {
    if (c_.Combo4->currentIndex() == 0 && TickCount < 2) {
        ShowMsg(QStringLiteral("即时图暂无数据，请稍候30秒再试。"), QStringLiteral("提示"), c_.Combo4->window());
        // The move runs this handler again, which draws the 72-hour chart.
        setRangeBox(1);
        return;
    }
    ChartRange = static_cast<int16_t>(c_.Combo4->currentIndex());
    UpdateImg();
    // A log-out under way keeps its word on the status line.
    if (UseRealtime && IsVip && c_.Nextupti && !LogoutUnderWay)
        c_.Nextupti->setText(QStringLiteral("提示：正在使用VIP实时服务器."));
    c_.Combo4->setToolTip(platform::plainTip(c_.Combo4->currentText()));
}

namespace {

void paneSelector(QComboBox* box, int16_t& prod, Chart* chart, bool redraw, const std::function<void(bool)>& meResize) {
    prod = static_cast<int16_t>(box->currentIndex());
    chart->setVisible(true);
    if (meResize)
        meResize(redraw);
}

} // namespace

void ChartFeed::Combo1_Click() {
    if (!MainStarted)
        return;
    paneSelector(c_.Combo1, Pane2Prod, c_.Chart2, true, c_.meResize);
    UpdateImg();
}

void ChartFeed::Combo2_Click() {
    if (!MainStarted)
        return;
    paneSelector(c_.Combo2, Pane3Prod, c_.Chart3, false, c_.meResize);
    UpdateImg();
}

void ChartFeed::Combo3_Click() {
    if (!MainStarted)
        return;
    paneSelector(c_.Combo3, Pane4Prod, c_.Chart4, false, c_.meResize);
    UpdateImg();
}

void ChartFeed::Combo5_Click() {
    RightChart1Prod = static_cast<int16_t>(c_.Combo5->currentIndex());
    UpdateImg();
}

void ChartFeed::Combo6_Click() {
    RightChart2Prod = static_cast<int16_t>(c_.Combo6->currentIndex());
    UpdateImg();
}

void ChartFeed::SetDrawtype_Click() {
    if (!MainStarted)
        return;
    CurProd = static_cast<int16_t>(c_.SetDrawtype->currentIndex());
    if (c_.quotes)
        c_.quotes->currentInstrumentChanged();
    UpdateImg();
}

void ChartFeed::VIPChart2_Click() {
    if (c_.VIPChart2->isChecked()) {
        c_.Chart2->setVisible(true);
        c_.Combo1->setEnabled(true);
        Combo1_Click();
        if (c_.selectChartTab)
            c_.selectChartTab();
        c_.Combo1->setEnabled(true);
        c_.VIPChart3->setEnabled(true);
        c_.Combo2->setEnabled(true);
    } else {
        c_.Chart2->setVisible(false);
        c_.Combo1->setEnabled(false);
        c_.VIPChart3->setEnabled(false);
        c_.Combo2->setEnabled(false);
        c_.VIPChart3->setChecked(false);
    }
    if (c_.meResize)
        c_.meResize(true);
}

void ChartFeed::VIPChart3_Click() {
    if (c_.VIPChart3->isChecked()) {
        c_.VIPChart4->setEnabled(true);
        c_.Combo3->setEnabled(true);
        c_.Chart3->setVisible(true);
    } else {
        c_.VIPChart4->setChecked(false);
        c_.Chart3->setVisible(false);
        c_.VIPChart4->setEnabled(false);
        c_.Combo3->setEnabled(false);
    }
    if (c_.meResize)
        c_.meResize(true);
}

void ChartFeed::VIPChart4_Click() {
    if (c_.VIPChart4->isChecked()) {
        c_.Combo3->setEnabled(true);
        c_.Chart4->setVisible(true);
    } else {
        c_.Chart4->setVisible(false);
        c_.Combo3->setEnabled(false);
    }
    if (c_.meResize)
        c_.meResize(true);
}

} // namespace charts
