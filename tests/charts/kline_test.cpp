// The candlestick control as a whole, on a recording surface and on pixels, and the gallery
// pictures a reviewer opens: <build dir>/gallery/charts/
//   klinedaily.png   91 daily bars with the five averages, the crosshair and the data window
//   klineweekly.png  the weekly bars of the same history, crosshair on
//   klinefourdigits.png  daily bars at four-digit prices: the head and averages' rows
//   kline15min.png   15-minute bars of yesterday and today, with empty buckets on the right
//   klineborder.png  30 daily bars with BorderStyle 1 (the sunken edge), mouse released
//   klinetransparent.png  the same with BackStyle 0 over a navy container: labels only
#include "charts/kline.h"

#include "charts/klinebars.h"
#include "platform/forms.h"
#include "platform/propertybag.h"
#include "platform/surface.h"
#include "platform/vberror.h"
#include "state/quotetables.h"

#include <QDir>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

using platform::RecordingSurface;
using platform::SurfaceOp;

namespace {

// n trading days of a price that wanders about `base` (by about 20), newest row first.
QString dailyHistory(int n, double base = 400) {
    QStringList rows;
    QDate d(2026, 3, 2);
    double close = 400;
    for (int k = 0; rows.size() < n; d = d.addDays(1)) {
        if (d.dayOfWeek() > 5)
            continue;
        const double open = close;
        close = base + 15 * std::sin(k / 9.0) + 6 * std::sin(k * 1.7);
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
        // On screen, as in the main window: the data window waits for an owner that is not.
        kline.show();
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
    EXPECT_EQ(r.kline.Label5.Caption, QStringLiteral("人民币黄金账户"));
    // Seven characters reach past the period's design place: the head row moves along, no text
    // printed over another.
    const ChartLabel* head[] = {&r.kline.Label5,     &r.kline.Label6, &r.kline.Label1s[5], &r.kline.cKai,
                                &r.kline.Label1s[6], &r.kline.cMax,   &r.kline.Label1s[7], &r.kline.cMin,
                                &r.kline.Label1s[8], &r.kline.cShou,  &r.kline.Label1s[9], &r.kline.cZD};
    EXPECT_GT(r.kline.Label5.Left + r.kline.Label5.Width, 1575);
    for (size_t i = 1; i < std::size(head); ++i)
        EXPECT_GE(head[i]->Left, head[i - 1]->Left + head[i - 1]->Width) << i;
    int rising = 0, falling = 0;
    for (const SurfaceOp& op : r.ops(SurfaceOp::Kind::Box))
        rising += op.color == 255 && op.x1 > 630 && op.y1 > 250 && op.y2 < 6600 ? 1 : 0;
    for (const SurfaceOp& op : r.ops(SurfaceOp::Kind::FilledBox))
        falling += op.color == kYingCol ? 1 : 0;
    EXPECT_EQ(rising + falling, 40);
    EXPECT_GT(rising, 5);
    EXPECT_GT(falling, 5);
    // 40 records: MA30 is drawn (the last colour used), MA60 has no value to show.
    EXPECT_EQ(r.kline.ForeColor(), kMaColours[3]);
    EXPECT_EQ(r.kline.Label1s[4].Caption, QStringLiteral("MA60:"));
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

TEST(KlineControlTest, AveragesLabelsStayApartAtFourDigitPrices) {
    struct Case {
        const char* what;
        int days;
        bool weekly;
        std::vector<bool> valued; // which of MA5 .. MA60 show a value
    };
    const Case cases[] = {
        {"91 daily bars", 91, false, {true, true, true, true, true}},
        {"a year of weekly bars: no MA60", 260, true, {true, true, true, true, false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RecordedKline r;
        const QString history = dailyHistory(c.days, 2150);
        int16_t count = static_cast<int16_t>(c.days - 1);
        r.kline.DrawKline(c.weekly ? weeklyBars(history, 2151.3f) : dailyBars(history, count),
                          QStringLiteral("人民币账户黄金"), kOptionCaptions()[c.weekly ? 1 : 0]);
        EXPECT_EQ(r.kline.Label5.Caption, QStringLiteral("人民币账户黄金"));
        for (int i = 0; i < 5; ++i) {
            const QString caption = r.kline.Label1s[i].Caption;
            const QString head = QStringLiteral("MA%1:").arg(kMaPeriods[static_cast<size_t>(i)]);
            ASSERT_TRUE(caption.startsWith(head)) << caption.toStdString();
            if (c.valued[static_cast<size_t>(i)])
                EXPECT_EQ(caption.size(), head.size() + 7) << caption.toStdString(); // "2150.00"
            else
                EXPECT_EQ(caption, head);
        }
        for (int i = 1; i < 5; ++i) {
            const double previousRight = r.kline.Label1s[i - 1].Left +
                                         platform::textWidthTwips(r.kline.Label1s[i - 1].Font,
                                                                  r.kline.Label1s[i - 1].Caption);
            EXPECT_GE(r.kline.Label1s[i].Left, previousRight) << i;
        }
    }
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
    // The window leaves the head row and the averages' row of the chart in view.
    const QRect heads(k.mapToGlobal(QPoint(0, 0)),
                      QSize(k.width(), static_cast<int>((k.Label1s[0].Top + k.Label1s[0].Height) / 15)));
    EXPECT_FALSE(Klineforms().frameGeometry().intersects(heads));
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

// A mouse or key event as the window system delivers it to the control.
struct Input {
    QEvent::Type type;
    QPoint at{};
    Qt::MouseButton button = Qt::NoButton;
    Qt::MouseButtons held{};
    Qt::KeyboardModifiers modifiers{};
    int key = 0;
    QString text{};
    bool autoRepeat = false;
};

Input press(QPoint at, Qt::MouseButton b, Qt::MouseButtons held = {},
            Qt::KeyboardModifiers m = {}) {
    return {QEvent::MouseButtonPress, at, b, held ? held : Qt::MouseButtons(b), m};
}
Input release(QPoint at, Qt::MouseButton b, Qt::MouseButtons held = {},
              Qt::KeyboardModifiers m = {}) {
    return {QEvent::MouseButtonRelease, at, b, held, m};
}
Input dblClick(QPoint at, Qt::MouseButton b) {
    return {QEvent::MouseButtonDblClick, at, b, b};
}
Input move(QPoint at, Qt::MouseButtons held = {}, Qt::KeyboardModifiers m = {}) {
    return {QEvent::MouseMove, at, Qt::NoButton, held, m};
}
Input keyDown(int key, const QString& text = {}, Qt::KeyboardModifiers m = {},
              bool repeat = false) {
    return {QEvent::KeyPress, {}, Qt::NoButton, {}, m, key, text, repeat};
}
Input keyUp(int key, const QString& text = {}, Qt::KeyboardModifiers m = {}, bool repeat = false) {
    return {QEvent::KeyRelease, {}, Qt::NoButton, {}, m, key, text, repeat};
}

void deliver(QWidget* w, const Input& in) {
    if (in.type == QEvent::KeyPress || in.type == QEvent::KeyRelease) {
        QKeyEvent e(in.type, in.key, in.modifiers, in.text, in.autoRepeat);
        QCoreApplication::sendEvent(w, &e);
        return;
    }
    QMouseEvent e(in.type, QPointF(in.at), w->mapToGlobal(QPointF(in.at)), in.button, in.held,
                  in.modifiers);
    QCoreApplication::sendEvent(w, &e);
}

// A drawn control whose events, the host's KeyDown included, are written to one log in order.
struct LoggedKline {
    Kline k;
    QStringList log;
    LoggedKline() {
        k.resize(807, 454);
        k.show();
        k.DrawKline(bars(30), QStringLiteral("黄金"), QStringLiteral("日线图"));
        const auto mouse = [this](const char* name) {
            return [this, name](int16_t b, int16_t s, float x, float y) {
                log << QStringLiteral("%1 %2 %3 %4 %5")
                           .arg(QLatin1String(name))
                           .arg(b)
                           .arg(s)
                           .arg(x)
                           .arg(y);
            };
        };
        QObject::connect(&k, &Kline::MouseDown, mouse("MouseDown"));
        QObject::connect(&k, &Kline::MouseMove, mouse("MouseMove"));
        QObject::connect(&k, &Kline::MouseUp, mouse("MouseUp"));
        QObject::connect(&k, &Kline::Click, [this] { log << QStringLiteral("Click"); });
        QObject::connect(&k, &Kline::DblClick, [this] { log << QStringLiteral("DblClick"); });
        QObject::connect(&k, &Kline::KeyPress,
                         [this](int16_t c) { log << QStringLiteral("KeyPress %1").arg(c); });
        QObject::connect(&k, &Kline::KeyUp, [this](int16_t c, int16_t s) {
            log << QStringLiteral("KeyUp %1 %2").arg(c).arg(s);
        });
        QObject::connect(&k, &Kline::PressJia, [this] { log << QStringLiteral("PressJia"); });
        QObject::connect(&k, &Kline::PressJian, [this] { log << QStringLiteral("PressJian"); });
        k.onKeyDown = [this](int& c, int s) {
            log << QStringLiteral("KeyDown %1 %2").arg(c).arg(s);
        };
    }
    ~LoggedKline() {
        if (k.crossOn()) k.dblClick();
    }
};

} // namespace

// Every mouse and key event the control raises, in the order and with the arguments a host
// receives them, and what the control does after raising them (crosshair, crosshair mode, the
// averages' labels, the plus and minus events). Pixel (300, 200) is twips (4500, 3000), in the
// plot over bar 10 of 30; (122, 26) is on the MA10 label.
TEST(KlineEventTest, EachEventIsRaisedAtItsMomentWithItsArguments) {
    const QPoint P(300, 200), P2(420, 260), label(122, 26), outside(900, 200);
    const Qt::MouseButton L = Qt::LeftButton, R = Qt::RightButton, M = Qt::MiddleButton;
    struct Case {
        const char* name;
        std::vector<Input> inputs;
        QStringList log;
        std::function<void(Kline&)> after;
    };
    const Case cases[] = {
        {"left press shows the crosshair at bar 10",
         {press(P, L)},
         {"MouseDown 1 0 4500 3000"},
         [](Kline& k) {
             EXPECT_TRUE(k.Linex.Visible && k.Liney.Visible && k.Labelx.Visible &&
                         k.Labelb.Visible);
             EXPECT_FALSE(k.Labely.Visible);
             EXPECT_EQ(k.curBar(), 10);
             EXPECT_DOUBLE_EQ(k.Linex.Y1, 3000);
             EXPECT_EQ(k.Labelb.Caption, k.bars()[10].section(u',', 0, 0));
         }},
        {"left click: up, then click; the crosshair goes",
         {press(P, L), release(P, L)},
         {"MouseDown 1 0 4500 3000", "MouseUp 1 0 4500 3000", "Click"},
         [](Kline& k) {
             EXPECT_FALSE(k.Linex.Visible || k.Liney.Visible || k.Labelx.Visible ||
                          k.Labelb.Visible);
         }},
        {"Shift-drag: the crosshair follows the held left button",
         {press(P, L, L, Qt::ShiftModifier), move(P2, L, Qt::ShiftModifier),
          release(P2, L, {}, Qt::ShiftModifier)},
         {"MouseDown 1 1 4500 3000", "MouseMove 1 1 6300 3900", "MouseUp 1 1 6300 3900", "Click"},
         [](Kline& k) {
             EXPECT_DOUBLE_EQ(k.Liney.X1, 6300);
             EXPECT_DOUBLE_EQ(k.Linex.Y1, 3900);
             EXPECT_FALSE(k.Linex.Visible);
         }},
        {"right press shows no crosshair",
         {press(P, R)},
         {"MouseDown 2 0 4500 3000"},
         [](Kline& k) { EXPECT_FALSE(k.Linex.Visible); }},
        {"middle click with Ctrl",
         {press(P, M, M, Qt::ControlModifier), release(P, M, {}, Qt::ControlModifier)},
         {"MouseDown 4 2 4500 3000", "MouseUp 4 2 4500 3000", "Click"},
         [](Kline& k) { EXPECT_FALSE(k.Linex.Visible); }},
        {"moving with left and right held: button 3, no tracking",
         {press(P, L), press(P, R, L | R), move(P2, L | R)},
         {"MouseDown 1 0 4500 3000", "MouseDown 2 0 4500 3000", "MouseMove 3 0 6300 3900"},
         [](Kline& k) { EXPECT_DOUBLE_EQ(k.Liney.X1, 4500); }},
        {"hover without crosshair mode moves nothing",
         {move(P2)},
         {"MouseMove 0 0 6300 3900"},
         [](Kline& k) {
             EXPECT_FALSE(k.Linex.Visible);
             EXPECT_DOUBLE_EQ(k.Liney.X1, 0);
         }},
        {"released outside the control: no click",
         {press(P, L), move(outside, L), release(outside, L)},
         {"MouseDown 1 0 4500 3000", "MouseMove 1 0 13500 3000", "MouseUp 1 0 13500 3000"},
         [](Kline& k) { EXPECT_FALSE(k.Linex.Visible); }},
        {"double click: crosshair mode on, the last release clicks no more",
         {press(P, L), release(P, L), dblClick(P, L), release(P, L)},
         {"MouseDown 1 0 4500 3000", "MouseUp 1 0 4500 3000", "Click", "DblClick",
          "MouseUp 1 0 4500 3000"},
         [](Kline& k) {
             EXPECT_TRUE(k.crossOn());
             EXPECT_TRUE(k.Linex.Visible && k.Labely.Visible);
             EXPECT_TRUE(platform::isLoaded<KlineForms>() && !Klineforms().isHidden());
         }},
        {"crosshair mode: hover moves it and fills the data window",
         {press(P, L), release(P, L), dblClick(P, L), release(P, L), move(P2)},
         {"MouseDown 1 0 4500 3000", "MouseUp 1 0 4500 3000", "Click", "DblClick",
          "MouseUp 1 0 4500 3000", "MouseMove 0 0 6300 3900"},
         [](Kline& k) {
             EXPECT_DOUBLE_EQ(k.Liney.X1, 6300);
             EXPECT_TRUE(k.Linex.Visible);
             EXPECT_EQ(Klineforms().klfLabels[15]->text(),
                       k.bars()[k.curBar()].section(u',', 0, 0));
         }},
        {"a second double click ends crosshair mode",
         {press(P, L), release(P, L), dblClick(P, L), release(P, L), press(P, L), release(P, L),
          dblClick(P, L), release(P, L)},
         {"MouseDown 1 0 4500 3000", "MouseUp 1 0 4500 3000", "Click", "DblClick",
          "MouseUp 1 0 4500 3000", "MouseDown 1 0 4500 3000", "MouseUp 1 0 4500 3000", "Click",
          "DblClick", "MouseUp 1 0 4500 3000"},
         [](Kline& k) {
             EXPECT_FALSE(k.crossOn());
             EXPECT_FALSE(k.Linex.Visible);
             EXPECT_FALSE(platform::isLoaded<KlineForms>());
         }},
        {"a click on an average's label is the label's: it switches the average",
         {press(label, L), release(label, L)},
         {},
         [](Kline& k) { EXPECT_TRUE(k.maHidden()[1]); }},
        {"a double click on the label switches it once and is no crosshair mode",
         {press(label, L), release(label, L), dblClick(label, L), release(label, L)},
         {},
         [](Kline& k) {
             EXPECT_TRUE(k.maHidden()[1]);
             EXPECT_FALSE(k.crossOn());
         }},
        {"a button the control does not know raises nothing",
         {press(P, Qt::BackButton), release(P, Qt::BackButton)},
         {},
         [](Kline& k) { EXPECT_FALSE(k.Linex.Visible); }},
        {"Up: more bars; no character",
         {keyDown(Qt::Key_Up), keyUp(Qt::Key_Up)},
         {"KeyDown 38 0", "PressJia", "KeyUp 38 0"},
         nullptr},
        {"Down: fewer bars",
         {keyDown(Qt::Key_Down), keyUp(Qt::Key_Down)},
         {"KeyDown 40 0", "PressJian", "KeyUp 40 0"},
         nullptr},
        {"\"+\" on the main keyboard: more bars, then its character",
         {keyDown(Qt::Key_Plus, "+", Qt::ShiftModifier),
          keyUp(Qt::Key_Plus, "+", Qt::ShiftModifier)},
         {"KeyDown 187 1", "PressJia", "KeyPress 43", "KeyUp 187 1"},
         nullptr},
        {"\"-\" on the main keyboard",
         {keyDown(Qt::Key_Minus, "-"), keyUp(Qt::Key_Minus, "-")},
         {"KeyDown 189 0", "PressJian", "KeyPress 45", "KeyUp 189 0"},
         nullptr},
        {"\"-\" on the numeric pad",
         {keyDown(Qt::Key_Minus, "-", Qt::KeypadModifier),
          keyUp(Qt::Key_Minus, "-", Qt::KeypadModifier)},
         {"KeyDown 109 0", "PressJian", "KeyPress 45", "KeyUp 109 0"},
         nullptr},
        {"Left: no event of its own",
         {keyDown(Qt::Key_Left), keyUp(Qt::Key_Left)},
         {"KeyDown 37 0", "KeyUp 37 0"},
         nullptr},
        {"Shift+A types \"A\"",
         {keyDown(Qt::Key_A, "A", Qt::ShiftModifier), keyUp(Qt::Key_A, "A", Qt::ShiftModifier)},
         {"KeyDown 65 1", "KeyPress 65", "KeyUp 65 1"},
         nullptr},
        {"Esc types 27",
         {keyDown(Qt::Key_Escape, "\x1b"), keyUp(Qt::Key_Escape, "\x1b")},
         {"KeyDown 27 0", "KeyPress 27", "KeyUp 27 0"},
         nullptr},
        {"a held key repeats the key press and is released once",
         {keyDown(Qt::Key_Up), keyUp(Qt::Key_Up, {}, {}, true), keyDown(Qt::Key_Up, {}, {}, true),
          keyUp(Qt::Key_Up)},
         {"KeyDown 38 0", "PressJia", "KeyDown 38 0", "PressJia", "KeyUp 38 0"},
         nullptr},
    };
    for (const Case& c : cases) {
        LoggedKline l;
        for (const Input& in : c.inputs)
            deliver(&l.k, in);
        EXPECT_EQ(l.log.join(u" | ").toStdString(), QStringList(c.log).join(u" | ").toStdString())
            << c.name;
        if (c.after) {
            SCOPED_TRACE(c.name);
            c.after(l.k);
        }
    }
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
        k.show();
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
        k.show();
        k.DrawKline(weeklyBars(history, 401.3f), QStringLiteral("美元黄金"), kOptionCaptions()[1]);
        k.dblClick();
        writePicture(k, 40.5, QStringLiteral("klineweekly.png"));
        k.dblClick();
    }
    {
        Kline k;
        k.resize(807, 454);
        k.show();
        int16_t count = 90;
        k.DrawKline(dailyBars(dailyHistory(260, 2150), count), QStringLiteral("人民币账户黄金"),
                    kOptionCaptions()[0]);
        k.setNowcaption(QStringLiteral("2148.5,2152.25,2146.1,2151.3,2.8,-"));
        k.dblClick();
        writePicture(k, 70.5, QStringLiteral("klinefourdigits.png"));
        k.dblClick();
    }
    {
        Kline k;
        k.resize(807, 454);
        k.show();
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

namespace {

QFont containerFont() {
    QFont f(QStringLiteral("宋体"));
    f.setPixelSize(12);
    return f;
}

// Paint events a widget gets.
class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        paints += e->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

} // namespace

TEST(KlinePropertyTest, EachSetterReportsItsChangeAndRedrawsOnlyWhereItShould) {
    struct Case {
        const char* name;
        std::function<void(Kline&)> set;
        bool redraws;
    } cases[] = {
        {"BackColor", [](Kline& k) { k.setBackColor(0x202020); }, true},
        {"ForeColor", [](Kline& k) { k.setForeColor(0xFF); }, true},
        {"Enabled", [](Kline& k) { k.setEnabled(false); }, false},
        {"Font", [](Kline& k) { k.setFont(QFont(QStringLiteral("黑体"), 12)); }, false},
        {"BackStyle", [](Kline& k) { k.setBackStyle(0); }, true},
        {"BorderStyle", [](Kline& k) { k.setBorderStyle(1); }, true},
    };
    for (const Case& c : cases) {
        RecordedKline r;
        r.kline.DrawKline(bars(30), QString(), QString());
        r.surface->clearOps();
        QSignalSpy changed(&r.kline, &Kline::PropertyChanged);
        c.set(r.kline);
        ASSERT_EQ(changed.count(), 1) << c.name;
        EXPECT_EQ(changed[0][0].toString(), QLatin1String(c.name));
        const bool candles = !r.ops(SurfaceOp::Kind::FilledBox).empty();
        EXPECT_EQ(candles, c.redraws) << c.name;
    }
}

TEST(KlinePropertyTest, RefusedValuesRaise380AndChangeNothing) {
    Kline k;
    QSignalSpy changed(&k, &Kline::PropertyChanged);
    const std::function<void()> refused[] = {
        [&] { k.setBackStyle(2); },
        [&] { k.setBorderStyle(-1); },
        [&] { k.setFont(QFont(QString())); },
        [&] {
            QFont huge(QStringLiteral("宋体"));
            huge.setPointSizeF(3000);
            k.setFont(huge);
        },
    };
    for (const auto& set : refused) {
        try {
            set();
            ADD_FAILURE() << "no error";
        } catch (const platform::VbError& e) {
            EXPECT_EQ(e.number, 380);
        }
    }
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(k.BackStyle(), 1);
    EXPECT_EQ(k.BorderStyle(), 0);
    EXPECT_EQ(k.Font(), klineFont(QStringLiteral("宋体"), 9, false));
}

TEST(KlinePropertyTest, ANewBackColourErasesThePictureEvenBeforeAnyDrawing) {
    Kline k;
    k.resize(200, 120);
    k.setBackColor(0x00FF00);
    EXPECT_EQ(k.frame().pixel(100, 60), qRgb(0, 255, 0));
    RecordedKline r;
    r.kline.DrawKline(bars(30), QString(), QString());
    r.surface->clearOps();
    r.kline.setBackColor(0x402000);
    const auto& ops = r.surface->ops();
    ASSERT_GE(ops.size(), 2u);
    EXPECT_EQ(ops[0].kind, SurfaceOp::Kind::Clear);
    EXPECT_EQ(ops[0].color, 0x402000u);
    EXPECT_EQ(r.kline.BackColor(), 0x402000u);
}

TEST(KlinePropertyTest, TheFontPrintsTheFirstDrawingsPriceLabelsThenTheSizeIsNine) {
    RecordedKline r;
    QFont hei(QStringLiteral("黑体"));
    hei.setPointSizeF(12);
    hei.setBold(true);
    r.kline.setFont(hei);
    EXPECT_TRUE(r.surface->ops().empty()); // no redraw
    r.kline.DrawKline(bars(30), QString(), QString());
    const auto texts = r.ops(SurfaceOp::Kind::Text);
    ASSERT_FALSE(texts.empty());
    const SurfaceOp& firstPrice = *std::find_if(texts.begin(), texts.end(),
                                                [](const SurfaceOp& op) { return op.text != u"|" && !op.text.startsWith(u' '); });
    EXPECT_EQ(firstPrice.fontName, QStringLiteral("黑体"));
    EXPECT_DOUBLE_EQ(firstPrice.fontSize, 12);
    EXPECT_TRUE(firstPrice.bold);
    EXPECT_EQ(r.kline.Font(), klineFont(QStringLiteral("黑体"), 9, true));
}

TEST(KlinePropertyTest, ABorderFramesASmallerPicture) {
    Kline k;
    k.resize(807, 454);
    k.DrawKline(bars(30), QString(), QString());
    EXPECT_DOUBLE_EQ(k.layout().width, 807 * 15);
    k.setBorderStyle(1);
    EXPECT_DOUBLE_EQ(k.layout().width, 803 * 15);
    EXPECT_DOUBLE_EQ(k.layout().height, 450 * 15);
    const QImage image = k.frame();
    ASSERT_EQ(image.size(), QSize(807, 454));
    // Sunken: shadow over light at the top left, light over dark at the bottom right.
    const QRgb topLeft = image.pixel(0, 100), inner = image.pixel(1, 100);
    const QRgb bottomRight = image.pixel(806, 100), innerRight = image.pixel(805, 100);
    EXPECT_EQ(topLeft, platform::toQRgb(platform::GetSysColor(platform::COLOR_BTNSHADOW)));
    EXPECT_EQ(inner, platform::toQRgb(platform::GetSysColor(platform::COLOR_3DDKSHADOW)));
    EXPECT_EQ(bottomRight, platform::toQRgb(platform::GetSysColor(platform::COLOR_BTNHIGHLIGHT)));
    EXPECT_EQ(innerRight, platform::toQRgb(platform::GetSysColor(platform::COLOR_3DLIGHT)));
    // The plot frame stands two pixels further in: column 42 (630 twips) is now column 44.
    EXPECT_EQ(image.pixel(44, 200), qRgb(255, 0, 0));
    // The mouse meets the picture where it is drawn: the last pixel column of bar 5 inside the
    // edge (two pixels further right, it would be bar 6).
    const double slot = k.layout().slotWidth;
    const QPoint atBar5(2 + static_cast<int>(std::floor((630 + 6 * slot) / 15)) - 1, 200);
    QTest::mousePress(&k, Qt::LeftButton, {}, atBar5);
    EXPECT_EQ(k.curBar(), 5);
    EXPECT_TRUE(k.Linex.Visible);
    QTest::mouseRelease(&k, Qt::LeftButton, {}, atBar5);
    ASSERT_TRUE(k.frame().save(galleryPath(QStringLiteral("klineborder.png"))));
    k.setBorderStyle(0);
    EXPECT_DOUBLE_EQ(k.layout().width, 807 * 15);
}

TEST(KlinePropertyTest, TransparentShowsOnlyLabelsAndLetsTheMouseThroughElsewhere) {
    QWidget host;
    host.resize(807, 454);
    host.setAutoFillBackground(true);
    QPalette navy = host.palette();
    navy.setColor(QPalette::Window, QColor(0, 0, 96));
    host.setPalette(navy);
    auto* k = new Kline(&host);
    k->resize(807, 454);
    host.show();
    k->DrawKline(bars(30), QStringLiteral("黄金"), QStringLiteral("日线图"));
    const QPoint plot(400, 250);
    const QPoint label(static_cast<int>(k->Label6.Left / 15) + 2,
                       static_cast<int>(k->Label6.Top / 15) + 5);
    EXPECT_EQ(host.childAt(plot), k);
    k->setBackStyle(0);
    const QImage image = k->frame();
    EXPECT_EQ(qAlpha(image.pixel(plot)), 0);
    int textPixels = 0;
    for (int x = 0; x < k->Label6.Width / 15; ++x)
        for (int y = 0; y < k->Label6.Height / 15; ++y)
            textPixels += qAlpha(image.pixel(static_cast<int>(k->Label6.Left / 15) + x,
                                             static_cast<int>(k->Label6.Top / 15) + y)) != 0;
    EXPECT_GT(textPixels, 10);
    EXPECT_EQ(host.childAt(plot), nullptr);
    EXPECT_EQ(host.childAt(label), k);
    const QImage shown = host.grab().toImage();
    EXPECT_EQ(shown.pixel(plot), qRgb(0, 0, 96));
    ASSERT_TRUE(shown.save(galleryPath(QStringLiteral("klinetransparent.png"))));
    k->setBackStyle(1);
    EXPECT_EQ(host.childAt(plot), k);
    EXPECT_EQ(qAlpha(k->frame().pixel(plot)), 255);
}

TEST(KlinePropertyTest, ADisabledControlTakesNoKeysOrMouseAndKeepsItsOwnState) {
    QWidget host;
    auto* k = new Kline(&host);
    k->resize(807, 454);
    k->DrawKline(bars(30), QString(), QString());
    QSignalSpy jia(k, &Kline::PressJia);
    k->setEnabled(false);
    QTest::keyClick(k, Qt::Key_Up);
    QTest::mousePress(k, Qt::LeftButton, {}, QPoint(300, 200));
    EXPECT_EQ(jia.count(), 0);
    EXPECT_FALSE(k->Linex.Visible);
    EXPECT_FALSE(k->Enabled());
    k->setEnabled(true);
    QTest::keyClick(k, Qt::Key_Up);
    EXPECT_EQ(jia.count(), 1);
    // A disabled container does not make the control's own property False.
    host.setEnabled(false);
    EXPECT_TRUE(k->Enabled());
    platform::PropertyBag bag;
    k->writeProperties(bag);
    EXPECT_FALSE(bag.contains(QStringLiteral("Enabled")));
}

TEST(KlinePropertyTest, RefreshRepaintsAtOnceWithoutDrawingAgain) {
    QWidget host;
    host.resize(807, 454);
    auto* surface = new RecordingSurface(807, 454);
    auto* k = new Kline(std::unique_ptr<platform::Surface>(surface), &host);
    k->resize(807, 454);
    host.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
    k->DrawKline(bars(30), QString(), QString());
    QCoreApplication::processEvents();
    surface->clearOps();
    PaintCounter counter;
    k->installEventFilter(&counter);
    k->Refresh();
    EXPECT_EQ(counter.paints, 1);
    EXPECT_TRUE(surface->ops().empty());
}

TEST(KlinePropertyTest, SavedPropertiesComeBackInAnotherControl) {
    QWidget host;
    host.setFont(containerFont());
    auto* fresh = new Kline(&host);
    EXPECT_EQ(fresh->Font(), klineFont(QStringLiteral("宋体"), 9, false));
    platform::PropertyBag bag;
    fresh->writeProperties(bag);
    EXPECT_TRUE(bag.isEmpty()) << bag.keys().join(u',').toStdString();
    // A control placed anew takes the container's font of the moment.
    QFont hei16(QStringLiteral("黑体"));
    hei16.setPixelSize(16);
    host.setFont(hei16);
    EXPECT_EQ(fresh->Font(), klineFont(QStringLiteral("宋体"), 9, false));
    fresh->InitProperties();
    EXPECT_EQ(fresh->Font(), klineFont(QStringLiteral("黑体"), 12, false));
    host.setFont(containerFont());

    auto* saved = new Kline(&host);
    saved->setBackColor(0x402000);
    saved->setForeColor(0xC0C0C0);
    saved->setEnabled(false);
    saved->setFont(klineFont(QStringLiteral("黑体"), 10.5, true, true, false, true));
    saved->setBackStyle(0);
    saved->setBorderStyle(1);
    saved->writeProperties(bag);
    EXPECT_EQ(bag.keys().size(), 6);

    auto* loaded = new Kline(&host);
    loaded->resize(807, 454);
    QSignalSpy changed(loaded, &Kline::PropertyChanged);
    loaded->readProperties(platform::PropertyBag::fromBytes(bag.toBytes()));
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(loaded->BackColor(), 0x402000u);
    EXPECT_EQ(loaded->ForeColor(), 0xC0C0C0u);
    EXPECT_FALSE(loaded->Enabled());
    EXPECT_EQ(loaded->Font(), saved->Font());
    EXPECT_EQ(loaded->BackStyle(), 0);
    EXPECT_EQ(loaded->BorderStyle(), 1);
    loaded->DrawKline(bars(30), QString(), QString());
    EXPECT_DOUBLE_EQ(loaded->layout().width, 803 * 15);

    // A damaged bag loads what it can and defaults for the rest, and the control still draws.
    platform::PropertyBag damaged = platform::PropertyBag::fromVariantMap(
        {{QStringLiteral("BackColor"), QStringLiteral("dark")},
         {QStringLiteral("Font"), QStringLiteral("宋体")},
         {QStringLiteral("BorderStyle"), 9},
         {QStringLiteral("ForeColor"), 0xFF}});
    // A load draws what the control holds again, in the loaded geometry.
    loaded->readProperties(damaged);
    EXPECT_EQ(loaded->BackColor(), 0u);
    EXPECT_EQ(loaded->BorderStyle(), 0);
    EXPECT_TRUE(loaded->Enabled());
    EXPECT_EQ(loaded->BackStyle(), 1);
    EXPECT_DOUBLE_EQ(loaded->layout().width, 807 * 15);
    EXPECT_TRUE(loaded->dataReady());
}
