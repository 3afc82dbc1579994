#pragma once

#include "charts/chartgeometry.h"
#include "platform/colors.h"

#include <QDateTime>
#include <QFont>
#include <QImage>
#include <QList>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class BalloonTip;
class QAction;
class QMenu;

namespace platform {
class PropertyBag;
class Surface;
} // namespace platform

// A child of the chart without a window of its own (a label), placed in twips on the chart.
struct ChartLabel {
    QString Caption;
    double Left = 0;
    double Top = 0;
    double Width = 0;
    double Height = 0;
    bool Visible = false;
    // The size follows the caption.
    bool AutoSize = false;
    bool Centred = false;
    bool Opaque = false;
    platform::OleColor ForeColor = 0x000000;
    platform::OleColor BackColor = 0xFFFFFF;
    QFont Font;
    QString Tag;
};

// A line child of the chart (the crosshair), in twips.
struct ChartLine {
    double X1 = 0;
    double Y1 = 0;
    double X2 = 0;
    double Y2 = 0;
    bool Visible = false;
};

// The line-chart control of the main window's panes and twin charts. Hosts set the scale and
// grid properties and the public variables, call one drawing with the series as comma-separated
// number texts and the captions as text lists, then print titles with Xie and a legend. A
// drawing clears the picture and draws everything again; the picture persists until the next
// drawing, so repaints only copy it. Over the picture stand the crosshair with its read-outs and
// the news markers, which answer the mouse.
//
// All positions are in twips from the control's top-left corner; colours are &HBBGGRR. The
// drawings never fail: a number that does not read, a caption that is missing or a division by
// a zero property leaves that one step out and the drawing goes on.
class Chart : public QWidget {
    Q_OBJECT
public:
    explicit Chart(QWidget* parent = nullptr);
    // A chart drawing on the given surface (a recording one in tests) instead of its own image.
    explicit Chart(std::unique_ptr<platform::Surface> surface, QWidget* parent = nullptr);
    ~Chart() override;

    // --- Public variables, set by the hosts before drawing ---
    float NowRmb = 0;        // RMB factor of the right-hand read-out and axis
    bool ShowChartD = false; // news markers exist on this chart
    bool ShowTime = false;   // keep the time read-out below the plot
    bool Is720 = false;      // one point per 2 minutes
    int32_t Dc = 0;          // no effect
    int16_t Tmzone = 0;      // no effect
    bool Is240 = false;      // one point per 6 minutes
    bool IsTd = false;       // 2-minute slots counted from 18:00
    bool ShowRarr = false;   // the read-outs show the point's date and series value
    // The drawing's time axis is one trading day from 06:00. The news markers stand on their
    // slot of that day, so they show only on such a drawing: on a tick or multi-day axis their
    // place would read as another time.
    bool DayAxis = true;
    float XsJZ = 0;          // decimals sample of Fostrc

    // --- Properties (saved); each setter reports the change, none redraws ---
    [[nodiscard]] int32_t Rows() const { return m_rows; }
    void setRows(int32_t value); // also forgets the kind of the last drawing
    [[nodiscard]] int32_t Cols() const { return m_cols; }
    void setCols(int32_t value);
    [[nodiscard]] int32_t pRows() const { return m_pRows; }
    void setpRows(int32_t value);
    [[nodiscard]] int32_t pCols() const { return m_pCols; }
    void setpCols(int32_t value);
    [[nodiscard]] float MinValue() const { return m_minValue; }
    void setMinValue(float value);
    [[nodiscard]] float MaxValue() const { return m_maxValue; }
    void setMaxValue(float value);
    // The persistent picture.
    [[nodiscard]] QImage LoadImg() const;

    // Restore from and store into the host's bag; a stored value that does not convert to its
    // property's type raises platform::VbError (13 type mismatch, 6 overflow).
    void readProperties(const platform::PropertyBag& bag);
    void writeProperties(platform::PropertyBag& bag) const;

    // A value rounded to as many decimals as XsJZ shows, as its shortest text.
    [[nodiscard]] QString Fostrc(float value) const;

    // --- Drawings ---
    // Up to three series, drawn 2, 1, 0 (0 on top); captions 0 .. pRows + 1 along the bottom.
    // LineFs is the line width in pixels (0 means 2); Dwtypenum the read-out kind.
    void DrawNum(const QStringList& LinesArray, const QList<platform::OleColor>& ColorArray,
                 const QStringList& RowCaption, int16_t LineFs, int16_t Dwtypenum = 0);
    // One series, with captions or (Bcap, one date per point) date labels along the bottom;
    // "/" in the caller's Bcap becomes "-".
    void DrawNumLine(const QString& LinesArray, platform::OleColor ColorArray,
                     const QStringList& RowCaption, int16_t LineFs, int16_t Dwtypenum = 0);
    void DrawNumLine(const QString& LinesArray, platform::OleColor ColorArray,
                     const QStringList& RowCaption, int16_t LineFs, int16_t Dwtypenum,
                     QString& Bcap);
    // One series with an RMB axis on the right; a LineFs of -1 becomes 1 in the caller's variable.
    void DrawLine(const QString& LinesArray, platform::OleColor ColorArray,
                  const QStringList& RowCaption, int16_t& LineFs);
    // Three series with an RMB axis on the right; lines 2 pixels wide, 1 when IsNotbold.
    void DrawGraph(const QStringList& LinesArray, const QList<platform::OleColor>& ColorArray,
                   const QStringList& RowCaption, bool IsNotbold);

    // Prints a text in a font and colour, placed by Duiqi: 0 at (Xiex, Xiey); 1 centred across
    // at top Xiex; 2 right-aligned Xiey from the right edge at top Xiex; 3 Xiex from the right
    // and Xiey above the bottom; another value at the print position. Then the font goes back
    // to "宋体" 9 points, black, regular. A font size outside 1..2160 points raises
    // platform::VbError 380 (what was set so far stays).
    void Xie(int32_t Xiex, int32_t Xiey, int32_t Xcolor, const QString& Xfont, int32_t Xfontsize,
             const QString& Xfontstr, bool Xbold, float Duiqi);
    // A legend of one entry on a white box; a 0 corner takes its default.
    void LineLegend(const QString& LegendArray, platform::OleColor ColorArray, int32_t CuY,
                    int32_t Cux);
    // A legend of several entries, drawn over the chart (the inside is not cleared).
    void DrawLegend(const QStringList& LegendArray, const QList<platform::OleColor>& ColorArray,
                    int32_t CuY, int32_t Cux);

    // Re-places the waiting notice and the news markers for the current size.
    void Me_Resize();

    // Slot index to "HH:MM" (see charts::DtoGet and its neighbours).
    [[nodiscard]] QString DtoGet(int16_t index) const { return charts::DtoGet(index); }
    [[nodiscard]] QString MDtoGet(int16_t index) const { return charts::MDtoGet(index); }
    [[nodiscard]] QString MDtoTDGet(int16_t index) const { return charts::MDtoTDGet(index); }
    [[nodiscard]] QString MStoGet(int16_t index) const { return charts::MStoGet(index); }

    // --- News markers ---
    [[nodiscard]] int16_t TtoGetd(const QDateTime& IntGD) const { return charts::TtoGetd(IntGD); }
    // Places a marker for an item at the 10-minute slot of its time; the first item of a slot
    // keeps it, an item before 06:00 gets none.
    void DoTheD(const QString& InDtitle, const QString& InDurl, int16_t InDtype,
                const QDateTime& IndTime);
    // Removes every marker and forgets them.
    void ClearD();

    // --- Mouse input in twips, as the control and its markers receive it ---
    // Button: 1 left, 2 right, 4 middle (summed); Shift: 1 Shift, 2 Ctrl, 4 Alt. Marker events
    // take the position inside the marker.
    void chartMouseDown(int16_t Button, int16_t Shift, float X, float Y);
    void chartMouseMove(int16_t Button, int16_t Shift, float X, float Y);
    void chartMouseUp(int16_t Button, int16_t Shift, float X, float Y);
    void chartDblClick();
    void markerMouseMove(int k, int16_t Button, int16_t Shift, float X, float Y);
    void markerMouseDown(int k, int16_t Button, int16_t Shift, float X, float Y);
    void markerMouseUp(int k, int16_t Button, int16_t Shift, float X, float Y);
    // The visible marker at a position, -1 when none.
    [[nodiscard]] int markerAt(double X, double Y) const;

    // --- State of the last drawing and of the children, for the host and for tests ---
    [[nodiscard]] int16_t ChartType() const { return m_chartType; }
    [[nodiscard]] bool ChartDrawn() const { return m_chartDrawn; }
    [[nodiscard]] float ValuePerTwip() const { return m_valuePerTwip; }
    [[nodiscard]] const charts::ChartMargins& margins() const { return m_margins; }
    [[nodiscard]] const QStringList& Series0() const { return series(0); }
    [[nodiscard]] const QStringList& Series1() const { return series(1); }
    [[nodiscard]] const QStringList& Series2() const { return series(2); }
    [[nodiscard]] const QStringList& PointDates() const { return m_pointDates; }
    [[nodiscard]] int32_t LegendX() const { return m_legendX; }
    [[nodiscard]] int32_t LegendY() const { return m_legendY; }
    [[nodiscard]] int32_t LegendRight() const { return m_legendRight; }
    [[nodiscard]] double LegendBottom() const { return m_legendBottom; }
    // Where the last drawing printed its value labels.
    [[nodiscard]] const std::vector<charts::TwipRect>& LevelLabelBoxes() const {
        return m_levelBoxes;
    }
    [[nodiscard]] bool CrossLocked() const { return m_crossLocked; }
    [[nodiscard]] const ChartLabel& Labelx() const { return m_labelx; }
    [[nodiscard]] const ChartLabel& Labely() const { return m_labely; }
    [[nodiscard]] const ChartLabel& Labelb() const { return m_labelb; }
    [[nodiscard]] const ChartLabel& Greenlb() const { return m_greenlb; }
    [[nodiscard]] const ChartLabel& RedLb() const { return m_redlb; }
    [[nodiscard]] const ChartLabel& Bluelb() const { return m_bluelb; }
    [[nodiscard]] const ChartLabel& Beginfo() const { return m_beginfo; }
    [[nodiscard]] const ChartLine& Linex() const { return m_linex; }
    [[nodiscard]] const ChartLine& Liney() const { return m_liney; }
    [[nodiscard]] int DLCount() const { return static_cast<int>(m_dl.size()); }
    [[nodiscard]] const ChartLabel& DL(int k) const { return m_dl.at(static_cast<size_t>(k)); }
    [[nodiscard]] bool MarkerUsed(int k) const;
    [[nodiscard]] int16_t MarkerType(int k) const;
    [[nodiscard]] QString MarkerText(int k) const;
    [[nodiscard]] bool MarkerPressed() const { return m_markerPressed; }
    [[nodiscard]] BalloonTip& TIP() { return *m_tip; }
    [[nodiscard]] QMenu* mnuMain() const { return m_mnuMain; }
    [[nodiscard]] QAction* mnuLegend() const { return m_mnuLegend; }
    [[nodiscard]] platform::Surface& surface() { return *m_surface; }

    // The control as the screen shows it: the picture, the crosshair, the labels and markers.
    [[nodiscard]] QImage frame();

signals:
    void MouseDown(int16_t Button, int16_t Shift, float X, float Y);
    void MouseMove(int16_t Button, int16_t Shift, float X, float Y);
    void MouseUp(int16_t Button, int16_t Shift, float X, float Y);
    // A news marker was pressed: its kind, its id and the item title.
    void ClickIt(int16_t CItype, int32_t CIID, const QString& CItitle);
    // A saved property changed, so a host that saves the control stores it again.
    void PropertyChanged(const QString& name);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    struct MarkerState {
        bool used = false;
        int16_t slot = 0;
        int16_t type = 0;
        QString text;
    };
    // Who gets the mouse while a button is held: the chart, a marker (its index), or, with no
    // capture, whatever is under the cursor.
    enum : int { kNoCapture = -2, kChartCapture = -1 };
    enum class MouseKind { Press, Move, Release, DoubleClick };

    void setUpChildren();
    void setSeries(int k, const QString& text);
    [[nodiscard]] const QStringList& series(int k) const;
    void syncSize();
    [[nodiscard]] double W() const;
    [[nodiscard]] double H() const;
    void setCaption(ChartLabel& label, const QString& caption) const;

    // Steps the drawings share.
    int32_t widenColumns();
    [[nodiscard]] charts::ChartLayout layout(int32_t columns, charts::PointSpacing spacing) const;
    void drawFrameAndGrid(const charts::ChartLayout& l, int32_t columns);
    void drawValueLevels(const charts::ChartLayout& l, bool rmbAxis);
    // Prints the bottom captions at their x, leaving out those that would run into the one
    // before (a narrow pane has no room for all of them).
    struct Caption {
        double x = 0;
        QString text;
    };
    void printCaptions(const std::vector<Caption>& captions, double y);
    // Where the last drawing's bottom captions went: a value label that would touch one is left
    // out.
    std::vector<QRectF> m_captionBoxes;
    [[nodiscard]] bool touchesCaption(const QRectF& box) const;
    void setLineWidth(int width);
    void drawSegments(const std::vector<charts::SeriesSegment>& segments, platform::OleColor color);
    void finishDrawing();
    [[nodiscard]] int currentWeekday() const;

    // Crosshair steps.
    void placeHorizontal(double Y);
    void placeVertical(double X, double Y, bool moving);
    void updateTimeReadout(int i, bool moving);
    void updateSeriesReadouts(int i, double X, double Y);
    void showCrosshair();

    [[nodiscard]] bool markerExists(int k) const;
    void placeMarkers();
    void deliverMouse(QMouseEvent* event, MouseKind kind);

    std::unique_ptr<platform::Surface> m_surface;

    int32_t m_rows = 0;
    int32_t m_cols = 0;
    int32_t m_pRows = 0;
    int32_t m_pCols = 0;
    float m_minValue = 0;
    float m_maxValue = 5;

    charts::ChartMargins m_margins;
    float m_valuePerTwip = 0;
    int16_t m_chartType = 0;
    bool m_chartDrawn = false;
    // The last drawn series texts, split into elements when first read.
    QString m_seriesText[3];
    mutable std::optional<QStringList> m_seriesSplit[3];
    QStringList m_pointDates;
    int32_t m_legendX = 0;
    int32_t m_legendY = 0;
    int32_t m_legendRight = 0;
    double m_legendBottom = 0; // the white box's, below the outline
    std::vector<charts::TwipRect> m_levelBoxes;
    bool m_crossLocked = false;

    ChartLabel m_bluelb;
    ChartLabel m_redlb;
    ChartLabel m_greenlb;
    ChartLabel m_labelb;
    ChartLabel m_labelx;
    ChartLabel m_labely;
    ChartLabel m_beginfo;
    ChartLine m_linex;
    ChartLine m_liney;

    std::vector<ChartLabel> m_dl;
    std::vector<MarkerState> m_markers;
    bool m_markerPressed = false;
    int m_capture = kNoCapture;

    BalloonTip* m_tip = nullptr;
    QMenu* m_mnuMain = nullptr;
    QAction* m_mnuLegend = nullptr;
};
