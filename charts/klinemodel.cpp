#include "charts/klinemodel.h"

#include "common/tradingday.h"
#include "platform/vberror.h"
#include "platform/vbtext.h"

#include <algorithm>
#include <cmath>

using platform::Val;

namespace {

QString field(const QStringList& f, int i) { return i < f.size() ? f[i] : QString(); }

// The "000.00" pattern: at least three integer digits, two decimals.
QString threeDigits(double v) {
    QString t = platform::formatFixed(v, 2);
    const bool negative = t.startsWith(u'-');
    if (negative)
        t.remove(0, 1);
    while (t.indexOf(u'.') < 3)
        t.prepend(u'0');
    return negative ? u'-' + t : t;
}

} // namespace

PriceRange priceRange(const QStringList& bars) {
    const QString all = bars.join(u',');
    return {ListMaxMin(all, true), ListMaxMin(all, false)};
}

std::optional<KLayout> klineLayout(double W, double H, const QStringList& bars, float maxMinBai) {
    return klineLayout(W, H, bars.size(), priceRange(bars), maxMinBai);
}

std::optional<KLayout> klineLayout(double W, double H, qsizetype recordCount, PriceRange range,
                                   float maxMinBai) {
    KLayout l;
    l.width = W;
    l.height = H;
    l.plotWidth = W - kKMarginLeft - kKMarginRight;
    l.plotHeight = H - kKMarginBottom - kKMarginTop;
    l.slotCount = static_cast<double>(recordCount) + 1;
    l.slotWidth = l.plotWidth / l.slotCount;
    l.gapWidth = 0.3 * l.slotWidth;
    l.bodyWidth = l.slotWidth - l.gapWidth;
    const float hi = range.high;
    const float lo = range.low;
    const float pmax = hi + hi * maxMinBai;
    const float pmin = lo - lo * maxMinBai;
    if (pmax == pmin)
        return std::nullopt;
    l.priceMax = pmax;
    l.priceMin = pmin;
    l.twipsPerPrice = l.plotHeight / (l.priceMax - l.priceMin);
    l.pricePerTwip = (l.priceMax - l.priceMin) / l.plotHeight;
    l.rowHeight = l.plotHeight / 15;
    l.priceStep = (l.priceMax - l.priceMin) / 15;
    return l;
}

int LastRealBar(const QStringList& bars) {
    for (qsizetype i = bars.size() - 1; i >= 0; --i) {
        if (bars[i].isEmpty())
            continue;
        const QStringList f = bars[i].split(u',');
        const QString o = field(f, 1);
        if (!(field(f, 2) == o && field(f, 3) == o && field(f, 4) == o))
            return static_cast<int>(i);
    }
    return 0;
}

Candle candleAt(const QStringList& bars, int i, int lastRealBar) {
    Candle c;
    if (i < 0 || i >= bars.size() || bars[i].isEmpty())
        return c;
    const QStringList f = bars[i].split(u',');
    if (f.size() < 5)
        platform::raiseSubscript();
    if (i > lastRealBar)
        return c;
    c.open = Val(f[1]);
    c.close = Val(f[2]);
    c.high = Val(f[3]);
    c.low = Val(f[4]);
    if (!(c.open > 0 && c.close > 0 && c.high > 0 && c.low > 0))
        c.kind = CandleKind::Skip;
    else
        c.kind = c.close > c.open ? CandleKind::Rising : CandleKind::Falling;
    return c;
}

std::vector<BarCloses> readCloses(const QStringList& bars) {
    std::vector<BarCloses> out(static_cast<size_t>(bars.size()));
    for (qsizetype i = 0; i < bars.size(); ++i) {
        if (bars[i].isEmpty())
            continue;
        BarCloses& b = out[static_cast<size_t>(i)];
        const QStringList f = bars[i].split(u',');
        b.empty = false;
        b.open = Val(field(f, 1));
        b.close = Val(field(f, 2));
        b.zero = b.open == 0 && b.close == 0;
        if (b.close == 0)
            b.close = Val(field(f, 3));
    }
    return out;
}

std::vector<QString> movingAverage(const QStringList& bars, int N, int lastRealBar) {
    return movingAverage(readCloses(bars), N, lastRealBar);
}

std::vector<QString> movingAverage(const std::vector<BarCloses>& bars, int N, int lastRealBar) {
    const auto count = static_cast<int>(bars.size());
    std::vector<QString> values(static_cast<size_t>(count));
    if (count - 1 <= N)
        return values;
    for (int j = N - 1; j < count && j <= lastRealBar; ++j) {
        float sum = 0;
        bool whole = true;
        for (int k = j; k > j - N; --k) {
            const BarCloses& b = bars[static_cast<size_t>(k)];
            if (b.empty || b.zero) {
                whole = false;
                break;
            }
            sum += static_cast<float>(b.close);
        }
        if (whole)
            values[static_cast<size_t>(j)] =
                platform::singleText(static_cast<float>(platform::Round(sum / N, 2)));
    }
    return values;
}

MaLine maLine(const std::vector<QString>& values, int N) {
    MaLine line;
    const auto has = [&](size_t j) {
        return j < values.size() && !values[j].isEmpty() && platform::Val(values[j]) != 0;
    };
    for (size_t j = static_cast<size_t>(std::max(N - 1, 0)); j < values.size(); ++j) {
        if (!has(j))
            continue;
        line.lastBar = static_cast<int>(j);
        if (has(j + 1))
            line.segments.emplace_back(static_cast<int>(j), static_cast<int>(j + 1));
    }
    return line;
}

QString maResetText(int N) { return QStringLiteral("MA%1:000.00").arg(N); }

QString maNoValueText(int N) { return QStringLiteral("MA%1:").arg(N); }

QPoint dataWindowPlace(const QRect& chart, const QSize& window, const QRect& screen,
                       int headBottom) {
    const int marginRight = static_cast<int>(kKMarginRight / 15);
    int x = chart.left() + chart.width() - marginRight - window.width();
    int y = chart.top() + headBottom + 2;
    x = std::max(std::min(x, screen.left() + screen.width() - window.width()), screen.left());
    y = std::max(std::min(y, screen.top() + screen.height() - window.height()), screen.top());
    return {x, y};
}

QString maLabelText(int N, double average, bool kRmb, float nowRmb) {
    return QStringLiteral("MA%1:").arg(N) + threeDigits(kRmb ? average * nowRmb : average);
}

double gridValue(const KLayout& l, int i) {
    return l.priceStep * (15 - i) + l.priceMin;
}

QString gridText(double value, int decimals) {
    if (!std::isfinite(value)) return {};
    return platform::singleText(static_cast<float>(platform::Round(value, decimals)));
}

QString gridLabel(const KLayout& l, int i) {
    return gridText(gridValue(l, i), 2);
}

std::vector<std::pair<int, int>> monthTicks(const QStringList& bars) {
    std::vector<std::pair<int, int>> ticks;
    int lastMonth = 0;
    for (int i = 0; i <= static_cast<int>(bars.size()) - 2; ++i) {
        if (!bars[i].contains(u','))
            break;
        const QDate d = ToDate(bars[i].split(u',')[0]).date();
        if (d.year() < 2000)
            break;
        if (d.month() != lastMonth) {
            lastMonth = d.month();
            ticks.emplace_back(i, lastMonth);
        }
    }
    return ticks;
}

std::optional<KCaption> ShowCaptionTexts(QString& text, QString& lastCaption, bool kRmb,
                                         float nowRmb) {
    if (!text.contains(u',')) {
        if (!lastCaption.contains(u','))
            return std::nullopt;
        text = lastCaption;
    }
    const QStringList f = text.split(u',');
    if (f.size() != 6)
        return std::nullopt;
    lastCaption = text;
    KCaption c;
    if (!kRmb) {
        c.kai = f[0];
        c.max = f[1];
        c.min = f[2];
        c.shou = f[3];
        c.zd = f[4] + u' ' + f[5];
        return c;
    }
    const auto rmb = [&](const QString& s) {
        return threeDigits(static_cast<double>(platform::CSng(s) * nowRmb));
    };
    c.kai = rmb(f[0]);
    c.max = rmb(f[1]);
    c.min = rmb(f[2]);
    c.shou = rmb(f[3]);
    c.zd = platform::formatFixed(static_cast<double>(platform::CSng(f[4]) * nowRmb), 2) + u' ' +
           f[5];
    return c;
}

KlineKey klineKeyAction(int keyCode) {
    switch (keyCode) {
    case 40:
    case 189:
    case 109: return KlineKey::Jian;
    case 38:
    case 187:
    case 107: return KlineKey::Jia;
    default: return KlineKey::None;
    }
}

DataWindowValues dataWindowValues(const QStringList& f) {
    DataWindowValues v;
    if (f.isEmpty())
        return v;
    v.date = f[0];
    const QDate d = ToDate(f[0]).date();
    v.weekday = d.year() < 2000 ? QStringLiteral("N/A") : QString::number(d.dayOfWeek());
    if (f.size() > 1)
        v.open = f[1];
    if (f.size() > 2)
        v.close = f[2];
    if (f.size() > 3)
        v.high = f[3];
    if (f.size() > 4)
        v.low = f[4];
    if (f.size() > 2 && platform::IsNumeric(f[1]) && platform::IsNumeric(f[2])) {
        const double change = platform::Round(platform::CDbl(f[2]) - platform::CDbl(f[1]), 2);
        v.change = platform::formatFixed(change, 2);
        v.changeColour = change > 0 ? 255 : 0xFF00;
    }
    return v;
}

int curBarFromX(double x, double slotWidth) {
    return static_cast<int>(std::floor((x - kKMarginLeft) / slotWidth));
}

QString priceAtY(const KLayout& l, double y) {
    return platform::singleText(
        static_cast<float>(platform::Round(l.priceMax - l.pricePerTwip * (y - kKMarginTop), 2)));
}

std::vector<HeadPlace> headRowPlaces(const std::vector<HeadItem>& items, double right) {
    std::vector<HeadPlace> places;
    places.reserve(items.size());
    const double lineStart = items.empty() ? 0 : items.front().designLeft;
    double reached = -1e9;
    int line = 0;
    for (size_t i = 0; i < items.size(); ++i) {
        double left =
            line == 0 ? std::max(items[i].designLeft, reached + kHeadGap) : reached + kHeadGap;
        if (!items[i].joined && !places.empty()) {
            double end = left + items[i].width;
            for (size_t j = i + 1; j < items.size() && items[j].joined; ++j)
                end += kHeadGap + items[j].width;
            if (end > right) {
                ++line;
                left = lineStart;
            }
        }
        places.push_back({left, line});
        reached = left + items[i].width;
    }
    return places;
}

std::vector<double> headRowLefts(const std::vector<HeadItem>& items) {
    std::vector<double> lefts;
    lefts.reserve(items.size());
    double reached = -1e9;
    for (const HeadItem& item : items) {
        const double left = std::max(item.designLeft, reached + kHeadGap);
        lefts.push_back(left);
        reached = left + item.width;
    }
    return lefts;
}
