#pragma once

#include "market/marketview.h"

#include <QMap>
#include <QStringList>

#include <functional>
#include <map>

// The main window as the tests see it: every call is kept in order in `calls` (one short line
// each), and what it shows is kept in plain members.
class FakeMarketView : public MarketView {
public:
    QStringList calls;
    QStringList statuses;
    QString quoteTime;
    QString serviceClock;
    QString positionCaption;
    std::map<MarketTimer, bool> timers{{MarketTimer::Timer1, false}, {MarketTimer::Timer3, false},
                                       {MarketTimer::Timer4, false}};
    int boardRows = 0;
    QMap<int, BoardRowTexts> rows;
    QMap<int, ShortListTexts> shortList;
    QStringList instruments;
    std::map<InstrumentSelector, int> selected;
    bool liveBoxEnabled = false;
    bool liveBoxTicked = false;
    QStringList alerts;     // texts the alert pop-up showed
    bool popUpShows = true; // false: the pop-up is not there, as in the main window until it is built
    QStringList warnings;
    QStringList trayTips;
    struct MiniCaption {
        QString caption;
        int16_t direction;
        QString change;
        QString money;
    };
    QList<MiniCaption> miniCaptions;
    bool connected = false;
    // Runs inside Check12_MouseUp, as the real handler starts the live link there.
    std::function<void()> onCheck12;

    [[nodiscard]] int count(const QString& call) const { return static_cast<int>(calls.count(call)); }
    [[nodiscard]] bool timer1() const { return timers.at(MarketTimer::Timer1); }

    void setStatus(const QString& text) override {
        statuses << text;
        calls << QStringLiteral("status ") + text;
    }
    void setQuoteTime(const QString& text) override { quoteTime = text; }
    void setServiceClock(const QString& text) override { serviceClock = text; }
    void setPositionCaption(const QString& text) override { positionCaption = text; }
    void setTimerEnabled(MarketTimer timer, bool on) override {
        timers[timer] = on;
        if (timer == MarketTimer::Timer1)
            calls << (on ? QStringLiteral("Timer1 on") : QStringLiteral("Timer1 off"));
    }
    void ensureBoardRows(int n) override {
        boardRows = std::max(boardRows, n);
        calls << QStringLiteral("ensureBoardRows %1").arg(n);
    }
    void setBoardRow(int i, const BoardRowTexts& row) override { rows[i] = row; }
    void setShortListRow(int i, const ShortListTexts& line) override { shortList[i] = line; }
    void addInstrument(int i, const QString& name) override {
        instruments << name;
        calls << QStringLiteral("addInstrument %1").arg(i);
    }
    void fitShortList() override { calls << QStringLiteral("fitShortList"); }
    void selectInstrument(InstrumentSelector s, int index) override { selected[s] = index; }
    void CheckMenu(int16_t index) override { calls << QStringLiteral("CheckMenu %1").arg(index); }
    void setLiveBoxEnabled(bool on) override { liveBoxEnabled = on; }
    void setLiveBoxTicked(bool on) override { liveBoxTicked = on; }
    void Check12_MouseUp(int16_t button, int16_t, float, float) override {
        calls << QStringLiteral("Check12_MouseUp %1").arg(button);
        if (onCheck12)
            onCheck12();
    }

    void UpdateImg() override { calls << QStringLiteral("UpdateImg"); }
    void ClearD() override { calls << QStringLiteral("ClearD"); }
    void SetCaption(const QString& caption, int16_t direction, const QString& change,
                    const QString& money) override {
        miniCaptions << MiniCaption{caption, direction, change, money};
    }
    void TraySetTip(const QString& tip) override { trayTips << tip; }
    bool CustRing(const QString& text) override {
        calls << QStringLiteral("CustRing");
        if (popUpShows)
            alerts << text;
        return popUpShows;
    }
    void showWarning(const QString& text) override {
        warnings << text;
        calls << QStringLiteral("showWarning");
    }
    bool linkConnected() const override { return connected; }
    void LinkUser() override { calls << QStringLiteral("LinkUser"); }
    void UnLinkUser() override { calls << QStringLiteral("UnLinkUser"); }
    void LoadNews() override { calls << QStringLiteral("LoadNews"); }
    void heartbeat() override { calls << QStringLiteral("heartbeat"); }
    void Hello() override { calls << QStringLiteral("Hello"); }
    void LogoutUser() override { calls << QStringLiteral("LogoutUser"); }
};
