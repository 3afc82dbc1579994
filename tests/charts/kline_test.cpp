// The candlestick control as a whole, on a recording surface and on pixels, and the gallery
// pictures a reviewer opens: <build dir>/gallery/charts/
//   klinedaily.png   91 daily bars with the five averages, the crosshair and the data window
//   klineweekly.png  the weekly bars of the same history, crosshair on
//   kline15min.png   15-minute bars of yesterday and today, with empty buckets on the right
#include "charts/kline.h"

#include "charts/klinebars.h"
#include "platform/forms.h"
#include "platform/surface.h"
#include "state/quotetables.h"

#include <QDir>
#include <QPainter>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <cmath>

using platform::RecordingSurface;
using platform::SurfaceOp;

namespace {

// n trading days of a price that wanders between about 380 and 420, newest row first.
QString dailyHistory(int n) {
    QStringList rows;
    QDate d(2026, 3, 2);
    double close = 400;
    for (int k = 0; rows.size() < n; d = d.addDays(1)) {
        if (d.dayOfWeek() > 5)
            continue;
        const double open = close;
        close = 400 + 15 * std::sin(k / 9.0) + 6 * std::sin(k * 1.7);
        const double high = std::max(open, close) + 1.5 + std::fmod(k * 0.37, 2.0);
        const double low = std::min(open, close) - 1.5 - std::fmod(k * 0.53, 2.0);
        rows.prepend(QStringLiteral("%1,%2,%3,%4,%5")
                         .arg(d.toString(QStringLiteral("yyyy-MM-dd")))
                         .arg(open, 0, 'f', 2)
                         .arg(close, 0, 'f', 2)
                         .arg(high, 0, 'f', 2)
                         .arg(low, 0, 'f', 2));
        ++k;
    }
    return rows.join(u'|');
}

// One day of 720 two-minute prices; today's ends at slot `upTo` (zeros after it).
QString daySeries(double base, int upTo = 720) {
    QStringList items;
    for (int i = 0; i < 720; ++i)
        items << (i < upTo ? QString::number(base + 4 * std::sin(i / 40.0) + std::sin(i * 0.9), 'f', 2)
                           : QStringLiteral("0"));
    return items.join(u',');
}

QString galleryPath(const QString& name) {
    const QString dir = QStringLiteral(BRELTO_GALLERY_DIR "/charts");
    QDir().mkpath(dir);
    return dir + u'/' + name;
}

// Unloading the data window unloads the last form here: that must not end the test program.
class KeepRunning : public ::testing::Environment {
public:
    void SetUp() override { platform::setQuitHandler([] {}); }
    void TearDown() override { platform::setQuitHandler(nullptr); }
};
[[maybe_unused]] const auto* const keepRunning =
    ::testing::AddGlobalTestEnvironment(new KeepRunning);

struct RecordedKline {
    RecordingSurface* surface;
    Kline kline;
    RecordedKline() : surface(new RecordingSurface(807, 454)),
                      kline(std::unique_ptr<platform::Surface>(surface)) {
        kline.resize(807, 454); // 12105 x 6810 twips
        surface->clearOps();
    }
    std::vector<SurfaceOp> ops(SurfaceOp::Kind k) const { return surface->ops(k); }
};

QString bars(int n) {
    int16_t count = static_cast<int16_t>(n - 1);
    return dailyBars(dailyHistory(n), count);
}

} // namespace

TEST(KlineControlTest, DrawsCandlesInFixedColoursAndKeepsTheLastText) {
    RecordedKline r;
    r.kline.Yangcol = 0x00FF00;
    r.kline.DrawKline(bars(40), QStringLiteral("人民币黄金账户"), QStringLiteral("日线图"));
    EXPECT_TRUE(r.kline.dataReady());
    EXPECT_EQ(r.kline.Yangcol, 255u);
    EXPECT_EQ(r.kline.Label5.Caption, QStringLiteral("人民币黄金账"));
    int rising = 0, falling = 0;
    for (const SurfaceOp& op : r.ops(SurfaceOp::Kind::Box))
        rising += op.color == 255 && op.x1 > 630 && op.y1 > 250 && op.y2 < 6600 ? 1 : 0;
    for (const SurfaceOp& op : r.ops(SurfaceOp::Kind::FilledBox))
        falling += op.color == kYingCol ? 1 : 0;
    EXPECT_EQ(rising + falling, 40);
    EXPECT_GT(rising, 5);
    EXPECT_GT(falling, 5);
    // 40 records: MA30 is drawn (the last colour used), MA60 keeps its reset text.
    EXPECT_EQ(r.kline.ForeColor(), kMaColours[3]);
    EXPECT_EQ(r.kline.Label1s[4].Caption, QStringLiteral("MA60:000.00"));
    EXPECT_NE(r.kline.Label1s[0].Caption, QStringLiteral("MA5:000.00"));
    // A text without "|" is kept but draws nothing; self-redraws then draw nothing either.
    r.surface->clearOps();
    r.kline.DrawKline(QStringLiteral("2026-1-1,1,2,3,1"), QString(), QString());
    r.kline.redraw();
    EXPECT_TRUE(r.surface->ops().empty());
    EXPECT_EQ(r.kline.Label6.Caption, QStringLiteral("日线图"));
}

TEST(KlineControlTest, PlaceholdersKeepTheirSlotsAndAHiddenAverageIsNotDrawn) {
    RecordedKline r;
    QStringList b = bars(20).split(u'|');
    b << QStringLiteral("2026-12-1,7,7,7,7") << QString() << QString();
    r.kline.maHidden()[0] = true;
    r.kline.DrawKline(b.join(u'|'), QString(), QString());
    EXPECT_DOUBLE_EQ(r.kline.layout().slotCount, 24);
    const auto boxes = r.ops(SurfaceOp::Kind::Box).size() + r.ops(SurfaceOp::Kind::FilledBox).size();
    EXPECT_EQ(boxes, 3u + 20u); // three frame boxes, twenty candles
    for (const SurfaceOp& op : r.ops(SurfaceOp::Kind::Line))
        EXPECT_NE(op.color, kMaColours[0]);
    EXPECT_EQ(r.kline.Label1s[0].Caption, QStringLiteral("MA5:000.00"));
    // The flat record still gets a month tick when its month changes; the last record never.
    int ticks = 0;
    for (const SurfaceOp& op : r.ops(SurfaceOp::Kind::Text))
        ticks += op.text == u"|" ? 1 : 0;
    EXPECT_EQ(ticks, 2); // March and the flat December record
    r.kline.clickLabel1s(0);
    EXPECT_FALSE(r.kline.maHidden()[0]);
    EXPECT_NE(r.kline.Label1s[0].Caption, QStringLiteral("MA5:000.00"));
}

TEST(KlineControlTest, EqualPricesStopAfterClearing) {
    RecordedKline r;
    r.kline.DrawKline(QStringLiteral("2026-1-5,5,5,5,5|2026-1-6,5,5,5,5"), QString(), QString(), 0);
    ASSERT_EQ(r.surface->ops().size(), 1u);
    EXPECT_EQ(r.surface->ops()[0].kind, SurfaceOp::Kind::Clear);
    EXPECT_FALSE(r.kline.dataReady());
}

TEST(KlineControlTest, KeysRaiseThePlusAndMinusEventsAfterTheHostsHandler) {
    Kline k;
    QSignalSpy jia(&k, &Kline::PressJia);
    QSignalSpy jian(&k, &Kline::PressJian);
    struct Case {
        int key;
        int jia, jian;
    } cases[] = {{38, 1, 0}, {107, 1, 0}, {187, 1, 0}, {40, 0, 1}, {109, 0, 1}, {37, 0, 0}, {39, 0, 0}};
    for (const Case& c : cases) {
        jia.clear();
        jian.clear();
        k.keyDownVk(c.key, 0);
        EXPECT_EQ(jia.count(), c.jia) << c.key;
        EXPECT_EQ(jian.count(), c.jian) << c.key;
    }
    k.onKeyDown = [](int& code, int) { code = 40; };
    jia.clear();
    k.keyDownVk(38, 0);
    EXPECT_EQ(jia.count(), 0);
    EXPECT_EQ(jian.count(), 1);
}

TEST(KlineControlTest, CrosshairFollowsTheDrawingsState) {
    RecordedKline r;
    Kline& k = r.kline;
    // Before the first drawing the mouse does nothing.
    k.mouseDownTw(1, 0, 3000, 3000);
    EXPECT_FALSE(k.Linex.Visible);
    QStringList b = bars(30).split(u'|');
    k.DrawKline(b.join(u'|'), QString(), QString());
    const double slot = k.layout().slotWidth;
    k.mouseDownTw(1, 0, 630 + 10.5 * slot, 3000);
    EXPECT_TRUE(k.Linex.Visible);
    EXPECT_FALSE(k.Labely.Visible);
    EXPECT_EQ(k.curBar(), 10);
    EXPECT_EQ(k.Labelb.Caption, b[10].section(u',', 0, 0));
    EXPECT_DOUBLE_EQ(k.Linex.Y1, 3000);
    // On the frame line nothing moves.
    k.mouseMoveTw(1, 0, 630, 250);
    EXPECT_DOUBLE_EQ(k.Linex.Y1, 3000);
    EXPECT_DOUBLE_EQ(k.Liney.X1, 630 + 10.5 * slot);
    // The empty last slot moves the line but keeps the bar.
    k.mouseMoveTw(1, 0, 630 + 30.5 * slot, 3000);
    EXPECT_DOUBLE_EQ(k.Liney.X1, 630 + 30.5 * slot);
    EXPECT_EQ(k.Labelb.Caption, b[10].section(u',', 0, 0));
    k.mouseUpTw(1, 0, 0, 0);
    EXPECT_FALSE(k.Linex.Visible);
    // Without a button and crosshair mode the move does nothing.
    k.mouseMoveTw(0, 0, 630 + 3.5 * slot, 3000);
    EXPECT_EQ(k.curBar(), 30);
}

TEST(KlineControlTest, DoubleClicksOpenAndCloseTheDataWindow) {
    RecordedKline r;
    Kline& k = r.kline;
    const QStringList b = bars(30).split(u'|');
    k.DrawKline(b.join(u'|'), QStringLiteral("黄金"), QStringLiteral("日线图"));
    k.dblClick();
    ASSERT_TRUE(platform::isLoaded<KlineForms>());
    EXPECT_EQ(Klineforms().windowTitle(), QStringLiteral("黄金 日线图"));
    EXPECT_TRUE(k.Labely.Visible);
    const double slot = k.layout().slotWidth;
    k.mouseMoveTw(0, 0, 630 + 4.5 * slot, 3000);
    const QStringList f = b[4].split(u',');
    EXPECT_EQ(Klineforms().klfLabels[15]->text(), f[0]);
    EXPECT_EQ(Klineforms().klfLabels[12]->text(), f[1]);
    EXPECT_EQ(Klineforms().klfLabels[9]->text(), f[4]);
    EXPECT_FALSE(k.Labely.Caption.isEmpty());
    k.dblClick();
    EXPECT_FALSE(platform::isLoaded<KlineForms>());
    EXPECT_FALSE(k.Linex.Visible);
    k.dblClick();
    EXPECT_FALSE(Klineforms().isHidden());
    EXPECT_TRUE(Klineforms().klfLabels[15]->text().isEmpty());
    k.dblClick();
}

namespace {

// The chart with the data window laid over its top-right corner, as a reviewer sees both.
void writePicture(Kline& k, double xBar, const QString& name) {
    const double slot = k.layout().slotWidth;
    k.mouseMoveTw(0, 0, 630 + xBar * slot, 2400);
    QImage image = k.frame();
    if (platform::isLoaded<KlineForms>()) {
        EXPECT_EQ(Klineforms().klfLabels[15]->text(), k.bars()[k.curBar()].section(u',', 0, 0));
        QPainter p(&image);
        const QPixmap window = Klineforms().grab();
        p.drawPixmap(image.width() - window.width() - 20, 30, window);
    }
    ASSERT_TRUE(image.save(galleryPath(name)));
}

} // namespace

TEST(KlineGalleryTest, DailyWeeklyAndFifteenMinutePictures) {
    RmbRate = 6.9f;
    const QString history = dailyHistory(260);
    {
        Kline k;
        k.resize(807, 454);
        int16_t count = 90;
        k.DrawKline(dailyBars(history, count), QStringLiteral("美元黄金"), kOptionCaptions()[0]);
        k.setNowcaption(QStringLiteral("398.5,402.25,396.1,401.3,2.8,-"));
        k.dblClick();
        writePicture(k, 70.5, QStringLiteral("klinedaily.png"));
        k.dblClick();
    }
    {
        Kline k;
        k.resize(807, 454);
        k.DrawKline(weeklyBars(history, 401.3f), QStringLiteral("美元黄金"), kOptionCaptions()[1]);
        k.dblClick();
        writePicture(k, 40.5, QStringLiteral("klineweekly.png"));
        k.dblClick();
    }
    {
        Kline k;
        k.resize(807, 454);
        IntradayInput in;
        in.series = {daySeries(402, 500), daySeries(398), QString()};
        in.dates = {QStringLiteral("2026-12-10"), QStringLiteral("2026-12-9"), QString()};
        in.price = 401.3f;
        k.DrawKline(intradayBars(4, in), QStringLiteral("美元黄金"), kOptionCaptions()[4], 0.001f);
        k.dblClick();
        writePicture(k, 120.5, QStringLiteral("kline15min.png"));
        k.dblClick();
    }
    EXPECT_TRUE(QFile::exists(galleryPath(QStringLiteral("kline15min.png"))));
}

TEST(KlineControlTest, ANewTextIsReadAgainAndARedrawKeepsIt) {
    RecordedKline r;
    r.kline.DrawKline(QStringLiteral("2026-1-5,100,110,120,90|2026-1-6,110,105,115,80"), QString(),
                      QString(), 0);
    EXPECT_FLOAT_EQ(r.kline.layout().priceMax, 120);
    r.kline.DrawKline(QStringLiteral("2026-1-5,10,11,12,9|2026-1-6,11,10,11,8"), QString(), QString(), 0);
    EXPECT_FLOAT_EQ(r.kline.layout().priceMax, 12);
    EXPECT_FLOAT_EQ(r.kline.layout().priceMin, 8);
    r.kline.redraw(); // the self-redraw pads by 0.03
    EXPECT_FLOAT_EQ(r.kline.layout().priceMax, 12.36f);
    EXPECT_FLOAT_EQ(r.kline.layout().priceMin, 7.76f);
}
