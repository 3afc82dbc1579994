#pragma once

#include "charts/chart.h"
#include "charts/klinemodel.h"
#include "charts/klineproperties.h"
#include "platform/forms.h"

#include <QImage>
#include <QLabel>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>

namespace platform {
class PropertyBag;
class Surface;
} // namespace platform

// The candlestick chart of the K-line tab. The host hands it a bar text and two captions
// (DrawKline) and a six-field caption text (Nowcaption); it draws frame, grid, month ticks,
// candles and five moving averages onto its surface, keeps the read-outs above the plot, and
// offers a crosshair with the floating data window Klineforms. Positions are in twips.
class Kline : public QWidget {
    Q_OBJECT
public:
    explicit Kline(QWidget* parent = nullptr);
    Kline(std::unique_ptr<platform::Surface> surface, QWidget* parent = nullptr);
    ~Kline() override;

    // Public variables the host sets by name.
    float NowRmb = 0;
    platform::OleColor Yangcol = kYangCol;
    platform::OleColor Yingcol = kYingCol;
    bool KRmb = false;

    // Saved properties. BackColor, ForeColor, BackStyle and BorderStyle redraw when set; Enabled
    // and Font do not. Each setter reports the change through PropertyChanged.
    [[nodiscard]] platform::OleColor BackColor() const;
    // Erases the picture in the new colour, as a picture box does, then redraws.
    void setBackColor(platform::OleColor color);
    // After a drawing this reads the colour the drawing used last.
    [[nodiscard]] platform::OleColor ForeColor() const;
    void setForeColor(platform::OleColor color);
    // A disabled control takes no mouse, keys or tool tips; the picture stays as it is.
    [[nodiscard]] bool Enabled() const { return !testAttribute(Qt::WA_ForceDisabled); }
    void setEnabled(bool enabled);
    // The surface's font: its face and size print the price labels and month numbers of the next
    // drawing (which then sets the size to 9 points). Italic, underline and strikethrough are kept
    // and saved, but the surface draws face, size and weight only.
    [[nodiscard]] QFont Font() const;
    // VbError 380 for a font without a face or with a size outside 0 .. 2160 points.
    void setFont(const QFont& font);
    // 1 opaque; 0 transparent: the picture is not shown and the mouse reaches the control only
    // over its labels and crosshair, elsewhere what lies beneath. VbError 380 for other values.
    [[nodiscard]] int16_t BackStyle() const { return m_backStyle; }
    void setBackStyle(int16_t style);
    // 0 none; 1 a sunken edge two pixels wide, inside which the picture gets smaller. VbError
    // 380 for other values.
    [[nodiscard]] int16_t BorderStyle() const { return m_borderStyle; }
    void setBorderStyle(int16_t style);
    // Repaints the control from its picture at once, without drawing the chart again.
    void Refresh();

    // A new control on a container: it takes the container's font.
    void InitProperties();
    // Loading from and saving to the host's bag; an unreadable value loads as its default.
    void readProperties(const platform::PropertyBag& bag);
    void writeProperties(platform::PropertyBag& bag) const;
    // The container's font; a control without a container takes the program's 宋体 9 points.
    [[nodiscard]] QFont ambientFont() const;

    // Draws the chart; an empty Dkstr redraws the kept bar text, one without "|" is kept and
    // draws nothing. Faults inside a drawing end it quietly: what was painted stays.
    void DrawKline(QString& Dkstr, QString& Ktype, QString& Kltype, float MaxMinBai = 0.03f);
    void DrawKline(const QString& Dkstr, const QString& Ktype, const QString& Kltype,
                   float MaxMinBai = 0.03f);
    // The self-redraw of a resize, a property change or a moving-average switch.
    void redraw();
    void setNowcaption(const QString& text);
    // Raises VbError 13 with KRmb on and a caption field that is not a number.
    void ShowCaption(QString& Text);
    void Unkform();

    // Mouse and keys in the control's own terms (buttons 1 left, 2 right, 4 middle; twips). Each
    // raises the control's event of the same name first, then does the control's own work.
    void mouseDownTw(int button, int shift, double x, double y);
    void mouseMoveTw(int button, int shift, double x, double y);
    void mouseUpTw(int button, int shift, double x, double y);
    void click();
    void dblClick();
    void keyDownVk(int keyCode, int shift);
    void keyPressAscii(int keyAscii);
    void keyUpVk(int keyCode, int shift);
    void clickLabel1s(int index);

    // The host's KeyDown handler; it may change the key code before the key map reads it.
    std::function<void(int& keyCode, int shift)> onKeyDown;

    // State the drawing leaves, for the crosshair and for tests.
    [[nodiscard]] bool dataReady() const { return m_dataReady; }
    [[nodiscard]] bool crossOn() const { return m_crossOn; }
    [[nodiscard]] int curBar() const { return m_curBar; }
    [[nodiscard]] const QStringList& bars() const { return m_bars; }
    [[nodiscard]] const KLayout& layout() const { return m_layout; }
    [[nodiscard]] std::array<bool, 5>& maHidden() { return m_maHidden; }
    [[nodiscard]] platform::Surface& surface() { return *m_surface; }

    // Constituent labels and lines.
    ChartLabel Label5, Label6;
    std::array<ChartLabel, 10> Label1s;
    ChartLabel cKai, cMax, cMin, cShou, cZD;
    ChartLabel Labelx, Labely, Labelb;
    ChartLine Linex, Liney;

    // The control as the screen shows it: the picture with the labels and crosshair over it.
    [[nodiscard]] QImage frame();

signals:
    // The control's events, raised before the control does its own work. The mouse reaches the
    // control as the surface gets it: a press, and the release and click that follow it, on one
    // of the ten Label1s labels belong to the label and raise none of them. A click is a release
    // over the control of a button pressed on it; the release that ends a double click raises
    // MouseUp only, after DblClick. KeyDown is the onKeyDown hook (its key code is by reference).
    void Click();
    void DblClick();
    void KeyPress(int16_t KeyAscii);
    void KeyUp(int16_t KeyCode, int16_t Shift);
    void MouseDown(int16_t Button, int16_t Shift, float X, float Y);
    void MouseMove(int16_t Button, int16_t Shift, float X, float Y);
    void MouseUp(int16_t Button, int16_t Shift, float X, float Y);
    void PressJia();
    void PressJian();
    // A saved property changed, so a host that saves the control stores it again.
    void PropertyChanged(const QString& name);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;

private:
    void applyProperties(const KlineProperties& p);
    void applyBackColor(platform::OleColor color);
    void applyFont(const QFont& font);
    // Pixels of the edge on each side, and the picture's place and size inside it.
    [[nodiscard]] int border() const;
    [[nodiscard]] QRect clientRect() const;
    // Mouse positions over the widget, in twips of the picture.
    [[nodiscard]] QPointF twipsAt(QPointF pixels) const;
    // The labels and crosshair changed: repaint them (and, transparent, where the mouse reaches).
    void overlayChanged();
    [[nodiscard]] QRegion overlayRegion() const;
    void drawOverlay(QImage& image) const;
    void syncSize();
    void paintChart(float MaxMinBai);
    void tracking(bool down, int button, double x, double y);
    void autoSize(ChartLabel& label) const;
    void placeHeadRow();
    // The crosshair's price read-outs in a room their captions fit, the right one inside the chart.
    void fitCrossLabels(double W);
    void placeAverageRow();
    [[nodiscard]] double labelsRight() const;
    [[nodiscard]] int label1sAt(double x, double y) const;

    std::unique_ptr<platform::Surface> m_surface;
    QString m_barText;
    QStringList m_bars;
    // What a drawing reads of the bar text, kept while the text stays: self-redraws (a resize,
    // an average switched) draw the same records again.
    struct ReadBars {
        QString text;
        PriceRange range;
        std::vector<BarCloses> closes;
        std::vector<std::pair<int, int>> ticks;
        int lastReal = 0;
    };
    ReadBars m_read;
    QStringList m_barFields;
    KLayout m_layout;
    int m_curBar = 0;
    bool m_crossOn = false;
    bool m_dataReady = false;
    double m_headBelow = 0; // how much lower the head row's last line lies than its first
    QString m_lastCaption;
    std::array<bool, 5> m_maHidden{};
    QFont m_labelFont;
    // What the surface cannot hold of the Font property.
    bool m_fontItalic = false;
    bool m_fontUnderline = false;
    bool m_fontStrikeOut = false;
    // Who has the buttons held down: a Label1s label (its press, release and click are its own),
    // and whether the next release ends a double click (no Click then).
    bool m_labelPressed = false;
    bool m_endsDblClick = false;
    int16_t m_backStyle = kBackStyleOpaque;
    int16_t m_borderStyle = kBorderStyleNone;
};

// The floating data window of the candlestick chart: seven captions and seven values of the bar
// under the crosshair, silver on black. Its keys go to the main window.
class KlineForms : public platform::Form {
    Q_OBJECT
public:
    KlineForms();
    std::array<QLabel*, 16> klfLabels{};
    // Fills the value labels; values the bar cannot give keep their text.
    void showValues(const DataWindowValues& v);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

KlineForms& Klineforms();
