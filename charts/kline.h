#pragma once

#include "charts/chart.h"
#include "charts/klinemodel.h"
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

    [[nodiscard]] platform::OleColor BackColor() const;
    void setBackColor(platform::OleColor color);
    [[nodiscard]] platform::OleColor ForeColor() const;
    void setForeColor(platform::OleColor color);

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

    // Mouse and keys in the control's own terms (button 1 is the left button; twips).
    void mouseDownTw(int button, int shift, double x, double y);
    void mouseMoveTw(int button, int shift, double x, double y);
    void mouseUpTw(int button, int shift, double x, double y);
    void dblClick();
    void keyDownVk(int keyCode, int shift);
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
    void PressJia();
    void PressJian();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;

private:
    void syncSize();
    void paintChart(float MaxMinBai);
    void tracking(bool down, int button, double x, double y);
    void autoSize(ChartLabel& label) const;
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
    QString m_lastCaption;
    std::array<bool, 5> m_maHidden{};
    QFont m_labelFont;
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
