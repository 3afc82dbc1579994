// The K-line tab's bar building from the quote tables' histories, as the data servers deliver them.
#include "tests/fuzz/fuzztarget.h"

#include "charts/kline.h"
#include "charts/klinebars.h"
#include "platform/surface.h"
#include "platform/vberror.h"

#include <cmath>
#include <memory>
#include <vector>

namespace {

bool sameOps(const std::vector<platform::SurfaceOp>& a, const std::vector<platform::SurfaceOp>& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const platform::SurfaceOp& x = a[i];
        const platform::SurfaceOp& y = b[i];
        if (x.kind != y.kind || x.x1 != y.x1 || x.y1 != y.y1 || x.x2 != y.x2 || x.y2 != y.y2 ||
            x.color != y.color || x.width != y.width || x.style != y.style || x.text != y.text ||
            x.fontName != y.fontName || x.fontSize != y.fontSize)
            return false;
    }
    return true;
}

} // namespace

// The first byte picks the bar count and the period; the rest is the daily history text
// ("date,open,close,high,low" rows joined by "|", newest first), for the intraday periods
// the three days' series split at "#".
BRELTO_FUZZ_TARGET(klinebars) {
    if (data.isEmpty())
        return;
    fuzz::setUpEnvironment();
    const auto head = static_cast<unsigned char>(data[0]);
    const QString text = fuzz::gbkText(data.sliced(1));
    const QStringList rows = text.split(u'|');

    // Daily bars: the newest rows, oldest first, never more than asked for or than there are; a
    // second build from the lowered count gives the same bars.
    const auto asked = static_cast<int16_t>(kBarCountStep * (1 + head % 40));
    int16_t count = asked;
    const QString daily = dailyBars(text, count);
    fuzz::check(count <= asked && count == std::min<qsizetype>(asked, rows.size() - 1), "the bar count is lowered to the rows there are");
    const QStringList bars = daily.split(u'|');
    fuzz::check(bars.size() == count + 1, "one bar per row taken");
    for (int i = 0; i <= count; ++i)
        fuzz::check(bars[i] == rows[count - i], "the bars are the newest rows, oldest first");
    int16_t again = count;
    fuzz::check(dailyBars(text, again) == daily && again == count, "a lowered count stays");

    // Weekly bars: a week per Friday (and one running), each a full record; a row too short or too
    // many weeks is the documented subscript error.
    try {
        const QString weekly = weeklyBars(text, 3.6f);
        const QStringList weeks = weekly.isEmpty() ? QStringList() : weekly.split(u'|');
        fuzz::check(weeks.size() <= kMaxWeeks, "no more weeks than the chart holds");
        for (const QString& w : weeks)
            fuzz::check(w.count(u',') >= 4, "a week is a whole record");
    } catch (const platform::VbError& e) {
        fuzz::check(e.number == platform::kErrSubscript || e.number == platform::kErrOverflow,
                    "weekly bars fail only on a subscript or an overflowing number");
    }

    // Intraday bars: never more buckets than the period has.
    const auto period = static_cast<int16_t>(2 + (head >> 6));
    IntradayInput in;
    const QStringList days = text.split(u'#');
    for (int d = 0; d < 3; ++d) {
        in.series[static_cast<size_t>(d)] = days.value(d);
        in.dates[static_cast<size_t>(d)] = QStringLiteral("12-%1").arg(10 - d);
    }
    in.price = 3.6f;
    try {
        const QString intraday = intradayBars(period, in);
        fuzz::check(intraday.count(u'|') < intradayBucketCount(period), "no more buckets than the period has");
    } catch (const platform::VbError& e) {
        fuzz::check(e.number == platform::kErrSubscript || e.number == platform::kErrOverflow,
                    "intraday bars fail only on a subscript or an overflowing number");
    }
}

// The candlestick control drawing a bar text onto its surface: nothing escapes the drawing, every
// position it draws at is a number, and drawing the kept text again draws the same picture. With a
// chart drawn, the crosshair follows the mouse across it.
BRELTO_FUZZ_TARGET(klinedraw) {
    if (data.isEmpty())
        return;
    fuzz::setUpEnvironment();
    const auto head = static_cast<unsigned char>(data[0]);
    const QString text = fuzz::gbkText(data.sliced(1));
    static const float paddings[] = {0.03f, 0.0f, 0.1f, 0.5f};
    auto* surface = new platform::RecordingSurface(807, 454);
    Kline kline{std::unique_ptr<platform::Surface>(surface)};
    kline.resize(807, 454);
    kline.NowRmb = (head & 4) != 0 ? 6.8f : 0.0f;
    kline.KRmb = (head & 8) != 0;
    surface->clearOps();
    kline.DrawKline(text, QStringLiteral("人民币黄金"), QStringLiteral("日线图"), paddings[head % 4]);
    for (const platform::SurfaceOp& op : surface->ops())
        fuzz::check(std::isfinite(op.x1) && std::isfinite(op.y1) && std::isfinite(op.x2) && std::isfinite(op.y2),
                    "the chart draws at numbers only");
    surface->clearOps();
    kline.redraw();
    const std::vector<platform::SurfaceOp> once = surface->ops();
    surface->clearOps();
    kline.redraw();
    fuzz::check(sameOps(once, surface->ops()), "drawing the kept text again draws the same picture");

    if (!kline.dataReady() || !(kline.layout().slotWidth > 0))
        return;
    for (const double x : {0.0, 700.0, 3000.0, 9000.0, 11900.0, 20000.0}) {
        kline.mouseMoveTw(0, 0, x, 3000.0);
        kline.mouseDownTw(1, 0, x, 3000.0);
        kline.mouseUpTw(1, 0, x, 3000.0);
    }
    fuzz::check(kline.dataReady(), "the crosshair leaves the chart drawn");
}
