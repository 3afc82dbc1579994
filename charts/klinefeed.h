#pragma once

#include <QDate>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>

class Kline;
class QCheckBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QWidget;

// The K-line panel of the main window: the period buttons, the bar-count buttons, the RMB box
// and the chart, built into the panel frame and the tab that holds them.
struct KlinePanel {
    std::array<QRadioButton*, 6> kOptions{};
    QPushButton* Kjia = nullptr;
    QPushButton* Kjian = nullptr;
    QCheckBox* KshowRmb = nullptr;
    std::array<QLabel*, 2> captions{}; // "范围：", "K线类型："
    Kline* Klines = nullptr;
};
[[nodiscard]] KlinePanel buildKlinePanel(QWidget* frame4, QWidget* tab);

// What RefreshK needs of the main window.
struct KlineHost {
    std::function<bool()> loadDataActive; // a LoadData run is on its way
    std::function<void()> loadData;       // LoadData("")
    std::function<void(int16_t)> loadLine;
    std::function<QDate()> today;         // the day whose row is live; klineToday() when unset
};

// The trading date of the program's clock (the PC's date before the clock is set).
[[nodiscard]] QDate klineToday();

// RefreshK and the panel's handlers, with the period and bar count they keep.
class KlineFeed {
public:
    KlineFeed(const KlinePanel& panel, KlineHost host);

    int16_t KPeriod = 0;
    int16_t KBarCount = 0;

    // Rebuilds and draws the chart of CurProd for KPeriod. A fault is logged ("RefreshK>>") and
    // leaves the last picture.
    void RefreshK();
    void Kjia_Click();
    void Kjian_Click();
    void kOptions_Click(int Index);
    void KshowRmb_Click();
    [[nodiscard]] const KlinePanel& panel() const { return m_panel; }
    // The bar text the last RefreshK handed over (empty when it drew nothing).
    [[nodiscard]] const QString& lastBars() const { return m_lastBars; }

private:
    void build();

    KlinePanel m_panel;
    KlineHost m_host;
    QString m_lastBars;
};
