#pragma once

#include "market/quoteboard.h"

#include <QString>

#include <cstdint>

// The main window's timers that the market code switches.
enum class MarketTimer { Timer1, Timer3, Timer4 };

// The instrument selectors of the main window, each listing the instruments in index order.
enum class InstrumentSelector {
    Current, // SetDrawtype ("当前市场："), item data = index + 1
    Pane2,   // Combo1
    Pane3,   // Combo2
    Pane4,   // Combo3
    Right1,  // Combo5 (YYChart)
    Right2,  // Combo6 (MZChart)
};

// The main window as the market code reaches it. The main window implements it and owns one
// QuoteRun and one RefreshScheduler built on it:
//
//   Timer1 (1000 ms, off at design) -> scheduler.Timer1_Timer()
//   Timer2 (1000 ms, on at design)  -> scheduler.Timer2_Timer()
//   Timer3 (1000 ms, off at design) -> scheduler.Timer3_Timer()
//   Timer4 (1000 ms, off at design) -> scheduler.Timer4_Timer()
//
// and forwards its own calls: Main.LoadData -> run.LoadData, Main.LoadAllData -> run.LoadAllData,
// and so on. Every text the market code shows goes through these calls; the main window decides
// nothing about them. Calls arrive on the user-interface thread, also from inside a network wait.
class MarketView {
public:
    virtual ~MarketView() = default;

    // Labels: Nextupti (status), Nowtimes (quote time), Systime (service clock) and Web5info
    // (position line).
    virtual void setStatus(const QString& Nextupti) = 0;
    virtual void setQuoteTime(const QString& Nowtimes) = 0;
    virtual void setServiceClock(const QString& Systime) = 0;
    virtual void setPositionCaption(const QString& Web5info) = 0;

    virtual void setTimerEnabled(MarketTimer timer, bool enabled) = 0;

    // The board: make sure rows 0..count-1 exist (rows are never removed; placement by
    // boardRowTop, the frame's height by boardHeight) and bring VScroll to the front; then the
    // texts and colours of one row and of its short-list line.
    virtual void ensureBoardRows(int count) = 0;
    virtual void setBoardRow(int i, const BoardRowTexts& row) = 0;
    virtual void setShortListRow(int i, const ShortListTexts& line) = 0;

    // First fill, once, in index order: instrument i joins every selector and the tray menu
    // (MenuForm.a0(i), created for i > 0), and the short list gets line i. Then fitShortList
    // (Frames(0) and YYDO take the short list's height), the selections, and CheckMenu.
    virtual void addInstrument(int i, const QString& name) = 0;
    virtual void fitShortList() = 0;
    virtual void selectInstrument(InstrumentSelector selector, int index) = 0; // index is listed
    virtual void CheckMenu(int16_t Tonindex) = 0;

    // The live-link box Check12 and its handler (members start or stop the live link there).
    virtual void setLiveBoxEnabled(bool enabled) = 0;
    virtual void setLiveBoxTicked(bool ticked) = 0;
    virtual void Check12_MouseUp(int16_t Button, int16_t Shift, float X, float Y) = 0;

    // A warning the user must see, shown without blocking, for when CustRing cannot carry it.
    virtual void showWarning(const QString& text) = 0;

    // Subjects of later work. Until the main window overrides them they do nothing.
    virtual void UpdateImg() {}                   // chart dispatch
    virtual void ClearD() {}                      // Chart1's news markers
    virtual void SetCaption(const QString& /*TheCaption*/, int16_t /*Showt*/, const QString& /*Showsmt*/,
                            const QString& /*CwTipstr*/) {} // the mini window's captions
    virtual void TraySetTip(const QString& /*Tip*/) {}
    // The alert pop-up with its sound: Label1 shown, non-blocking. True when it was shown; until
    // the pop-up is built the main window leaves this as it is, nothing is shown and a met price
    // alert stays armed.
    virtual bool CustRing(const QString& /*Label1*/) { return false; }
    [[nodiscard]] virtual bool linkConnected() const { return false; } // Usersock state 7
    virtual void LinkUser() {}
    virtual void UnLinkUser() {}
    virtual void LoadNews() {}
    virtual void heartbeat() {} // Timer2's live-link heartbeat and relink watch
    virtual void Hello() {}     // keep-alive
    virtual void LogoutUser() {}
};
