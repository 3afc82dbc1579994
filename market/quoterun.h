#pragma once

#include "market/marketview.h"
#include "market/quoteboard.h"
#include "market/quotetexts.h"

#include <QDate>
#include <QString>

#include <cstdint>

// The snapshot run and the history loaders of the main window: fetch, parse, fill the quote
// tables, refresh the board and the captions, test the alerts, and fail over between the data
// servers. One instance, owned by the main window, which forwards its procedures of the same
// names here.
//
// Every request waits in a nested event loop, so timers, sockets and input run meanwhile; each
// procedure that can be re-entered that way refuses a second, nested run.
class QuoteRun {
    Q_DISABLE_COPY_MOVE(QuoteRun)

public:
    explicit QuoteRun(MarketView& view) : view_(view) {}

    // One snapshot run. VipData, when it holds a "|", is a pushed snapshot and is used as it
    // stands; otherwise the data servers are asked. A pushed snapshot waiting in PushData is
    // taken (and emptied) by any run, and used when it is fresh. Called during a run (from a
    // network wait), it does nothing, except that a push then waiting is applied when the
    // running run ends.
    void LoadData(const QString& VipData = {});
    // The intraday series of days 0..2 of instrument LaDefault (-1: CurProd). After every server
    // failed it asks whether to retry; No opens the web quotes and ends the program.
    void LoadAllData(int16_t LaDefault);
    // Days 3..9 of instrument L10Dnum; -1 is replaced by CurProd in the caller's variable.
    void Load10Day(int16_t& L10Dnum);
    // The daily closes of instrument LLnums, unless already loaded; -1 is replaced by CurProd.
    void LoadLine(int16_t& LLnums);
    // Moves DataServer to the next configured server; false when the walk is back at the start.
    bool ChangServer();

    // Position and price captions, to the position label and the mini window.
    void DoCaption();
    // DoCaption, then the quote text block for the tray tip (shown there when TrayQuote is on).
    void refreshQuoteTexts();
    // After the user chose another current instrument: its captions and quote text at once, not
    // only after the next load (which never comes while the market is closed), and the tray
    // menu's tick on it.
    void currentInstrumentChanged();
    [[nodiscard]] QString GetList(int16_t Ingold = 0) const;
    int16_t IsUD() { return texts_.IsUD(); }

    // The status label, kept here so the scheduler can read what the last load left there; the
    // main window's own status texts go through here too.
    void setStatus(const QString& text);
    [[nodiscard]] const QString& Nextupti() const { return status_; }

    [[nodiscard]] bool loading() const { return loadDataBusy_; }

    // Window-level values.
    int32_t ServerSwitches = 0; // ChangServer calls, for the diagnostic report
    bool LoadAllBusy = false;
    bool Load10Busy = false;
    bool LoadLineBusy = false;
    // The trading date whose reset has been done (tradingDate, counted from slot 2, 06:04).
    // Taken from the first run; the tables start empty anyway.
    QDate LastResetDay;
    // Request time-out in seconds; 0 is the helper's 20 seconds.
    int16_t HttpTimeoutSec = 0;

    // The caption state (PriceCaption, ChangeText, ...), for the main window's copy commands.
    [[nodiscard]] QuoteTexts& texts() { return texts_; }

private:
    void runOnce(const QString& VipData);
    void fetchSnapshot();
    void newTradingDay();
    void readSnapshot();
    void fillInstrumentLists(int rows);
    void firstCompleteLoad();
    void refreshInstruments();
    void sampleTicks();
    void tail();
    void logFault(int number, const QString& description);
    // Timer1 back on after a loader, unless a snapshot run is under way: that run restarts it
    // when it ends, so the scheduler never counts down in the middle of a run.
    void resumeTimer1();
    [[nodiscard]] QString serverUrl(const QString& query) const;

    MarketView& view_;
    QuoteBoard board_;
    QuoteTexts texts_;
    QString status_;
    bool loadDataBusy_ = false;
    bool pushWaiting_ = false;
    bool listsFilled_ = false;     // selectors and tray menu filled from the first snapshot
    bool firstLoadThisRun_ = false;
    int32_t runNewsVersion_ = 0;
    double runSlot_ = 0;           // the header's slot index
    int StepMark = 0;
};
