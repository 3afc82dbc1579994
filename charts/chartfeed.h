#pragma once

// Feeding the line charts of the main window from the quote tables. Each feeder is a builder
// that turns the tables into a FeedPlan (plain values a test reads) plus applyFeedPlan, which
// sets the plan onto a Chart. ChartFeed is the main window's side: the range box, the instrument
// selectors, the pane check boxes and the dispatch UpdateImg.
//
// Wiring in the main window:
//   1. Build a FeedControls with the window's controls, the QuoteRun, Me_Resize, the window
//      width in twips, and optionally Nextupti, the tab switch to the intraday chart tab and
//      the setter of Klines.Nowcaption.
//   2. Keep one ChartFeed for the window's lifetime and call connectControls() once, after the
//      controls exist (it fills Combo4 and sets the check boxes to their start state).
//   3. Call UpdateImg() wherever the window redraws its charts (end of a snapshot run, tab
//      switch, Me_Resize). SetDrawtype_Click() only stores CurProd and redraws; the window's
//      other updates on a market change stay with the window.

#include "charts/chart.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QWidget;
class QuoteRun;

// Index of the range box's entry, stored by its click handler; the box starts at 72 hours.
inline int16_t ChartRange = 1;

namespace charts {

inline constexpr platform::OleColor kFeedRed = 255;
inline constexpr platform::OleColor kFeedGreen = 0x00BF00; // RGB(0, 191, 0)
inline constexpr platform::OleColor kFeedBlue = 0xFF7F00;  // RGB(0, 127, 255)

// One Xie call; the font is always "宋体".
struct XieText {
    int32_t x = 0;
    int32_t y = 0;
    int32_t color = 0;
    int32_t size = 9;
    QString text;
    bool bold = false;
    float align = 0;
    bool operator==(const XieText&) const = default;
};

enum class DrawMethod { DrawNum, DrawNumLine };

struct FeedPlan {
    float max = 0; // largest and smallest value above 0 of what the scale covers
    float min = 0;
    float maxValue = 0;
    float minValue = 0;
    float xsjz = 0;
    int32_t rows = 0;
    int32_t pRows = 0;
    int32_t pCols = 0;
    // A flag left empty keeps what the chart had.
    std::optional<bool> showTime, is720, is240, isTd, showRarr;
    DrawMethod method = DrawMethod::DrawNumLine;
    QStringList lines;
    QList<platform::OleColor> colors;
    QStringList captions;
    int16_t lineFs = 0;
    int16_t dwtype = 0;
    std::optional<QString> dates; // the date list of the long-range chart
    QString lineLegend;           // LineLegend in red at 600, 700; empty: none
    QStringList legendTexts;      // DrawLegend at 600, 700; empty: none
    QList<platform::OleColor> legendColors;
    std::vector<XieText> texts;   // title, then information lines
    // The time axis is one trading day from 06:00, on which the news markers stand.
    bool dayAxis = false;
};

// What the builders read of the window and the clock, so that they need no widget.
struct FeedContext {
    bool pane2On = false;         // VIPChart2 ticked
    bool pane3On = false;         // VIPChart3 ticked
    int32_t coleWidthTwips = 0;   // panel Cole(0)
    int32_t windowWidthTwips = 0; // the main window
    bool simpleChart = false;
    bool boldChart = false;
    bool marketClosed = false;    // IsJQ
    int16_t nowSlot240 = 0;
};

// The builders read the quote tables; each gives nothing when its data are missing, and the
// chart then keeps its picture.
[[nodiscard]] std::optional<FeedPlan> buildRefreshmin(int16_t i, const FeedContext& c);
[[nodiscard]] std::optional<FeedPlan> buildRefreshGraph(int16_t i, const FeedContext& c);
[[nodiscard]] std::optional<FeedPlan> buildRefreshTheDay(int16_t days, int16_t i, const FeedContext& c);
// Todays 0 means 30; a shorter history lowers Todays to its length (written back).
[[nodiscard]] std::optional<FeedPlan> buildRefreshMonth(int16_t& Todays, int16_t i, const FeedContext& c);
// One twin chart; threeDay overlays the two previous days.
[[nodiscard]] std::optional<FeedPlan> buildTwinChart(int16_t p, bool threeDay, const FeedContext& c);

[[nodiscard]] QStringList hourCaptions13();
// The 13 time captions of the live chart with n intervals, from TickTime.
[[nodiscard]] QStringList tickCaptions(int16_t tickCount, int n);
// The candlestick caption "open,high,low,price,change,-" of instrument i.
[[nodiscard]] QString klineCaption(int16_t i);

void applyFeedPlan(Chart& chart, const FeedPlan& plan);

// The entries of the range box; the index is ChartRange.
[[nodiscard]] const QStringList& rangeCaptions();

enum class Feeder { Refreshmin, RefreshGraph, RefreshTheDay, RefreshMonth };
struct PaneCall {
    Feeder feeder = Feeder::Refreshmin;
    int16_t range = 0; // days of RefreshTheDay and RefreshMonth
    int pane = 1;      // 1..4
    bool operator==(const PaneCall&) const = default;
};
// What one UpdateImg does, in order: the candlestick view, or a members-only refusal, or the
// panes; then the twin charts.
struct UpdatePlan {
    bool kline = false;
    bool vipRefused = false;
    std::vector<PaneCall> panes;
    bool twins = true;
};
[[nodiscard]] UpdatePlan planUpdateImg(int16_t curTab, int16_t chartKind, int16_t chartRange, bool isVip,
                                       bool pane2, bool pane3, bool pane4);

// The main window's controls. Every pointer must be set except Nextupti and quotes; the
// functions may stay empty.
struct FeedControls {
    Chart* Chart1 = nullptr;
    Chart* Chart2 = nullptr;
    Chart* Chart3 = nullptr;
    Chart* Chart4 = nullptr;
    Chart* MZChart = nullptr;
    Chart* YYChart = nullptr;
    QComboBox* Combo4 = nullptr; // the range box; connectControls fills its 17 entries
    QComboBox* Combo1 = nullptr;
    QComboBox* Combo2 = nullptr;
    QComboBox* Combo3 = nullptr;
    QComboBox* Combo5 = nullptr;
    QComboBox* Combo6 = nullptr;
    QComboBox* SetDrawtype = nullptr;
    QCheckBox* VIPChart2 = nullptr;
    QCheckBox* VIPChart3 = nullptr;
    QCheckBox* VIPChart4 = nullptr;
    QWidget* Cole0 = nullptr;
    QLabel* Nextupti = nullptr;
    QuoteRun* quotes = nullptr;                          // the history loaders; none: no loading
    std::function<void(bool)> meResize;                  // Me_Resize, told whether to redraw
    std::function<int()> windowWidthTwips;
    std::function<void()> selectChartTab;                // Maintab to the intraday chart tab
    std::function<void(const QString&)> setKlineCaption; // Klines.Nowcaption
    std::function<void()> refreshK;                      // the K-line tab's RefreshK
};

class ChartFeed {
public:
    explicit ChartFeed(const FeedControls& controls);
    virtual ~ChartFeed() = default;
    ChartFeed(const ChartFeed&) = delete;
    ChartFeed& operator=(const ChartFeed&) = delete;

    // Fills the range box (entry 1 selected, ChartRange 1, no drawing), sets the check boxes to
    // their start state and connects: Combo4 currentIndexChanged, Combo1..3, Combo5, Combo6 and
    // SetDrawtype activated, VIPChart2..4 toggled, to the handlers below.
    void connectControls();

    void UpdateImg();
    void Combo4_Click();
    void Combo1_Click();
    void Combo2_Click();
    void Combo3_Click();
    void Combo5_Click();
    void Combo6_Click();
    void SetDrawtype_Click();
    void VIPChart2_Click();
    void VIPChart3_Click();
    void VIPChart4_Click();

    // The feeding procedures; an instrument of -1 becomes CurProd, written back; no chart
    // means Chart1.
    virtual void Refreshmin(int16_t& Rmnum, Chart* Setchart);
    virtual void RefreshGraph(int16_t& Rg1Num, Chart* Setchart);
    virtual void RefreshTheDay(int16_t ShowTheday, int16_t& RtdNum, Chart* Setchart);
    virtual void RefreshMonth(int16_t& Todays, int16_t& Rmnum, Chart* Setchart);
    virtual void RefreshMzSy();
    // The candlestick chart's feeder lives with the K-line panel (charts/klinefeed).
    virtual void RefreshK() {
        if (c_.refreshK)
            c_.refreshK();
    }

protected:
    // Moves the range box from code, which runs Combo4_Click; false when the box already shows
    // that entry, so that a caller stops instead of drawing the same range again.
    bool setRangeBox(int index);
    [[nodiscard]] FeedContext context() const;
    [[nodiscard]] Chart* chartOf(Chart* Setchart) const;

    FeedControls c_;
};

} // namespace charts
