#pragma once

#include "market/marketview.h"
#include "market/quoterun.h"
#include "platform/clock.h"

#include <QDateTime>
#include <QString>

#include <cstdint>
#include <optional>

// The four one-second timers of the main window: the refresh scheduler (Timer1), the service
// clock (Timer2), the keep-alive schedule (Timer3) and the delayed log-out (Timer4). The main
// window connects each QTimer's timeout to the tick of the same name; the clocks are read from
// platform::pcNow and ServerNow, which tests replace.
class RefreshScheduler {
    Q_DISABLE_COPY_MOVE(RefreshScheduler)

public:
    RefreshScheduler(QuoteRun& run, MarketView& view) : run_(run), view_(view) {}

    // Live push in use and fresh: keeps the live-push text. Market closed: "提示:休市时段.".
    // Otherwise counts "计时: 5 秒" .. "计时: 0 秒" and loads on the sixth tick, from a fresh push
    // or from the data server, then checks for stale quotes.
    void Timer1_Timer();
    // ServerNow := PC clock + ClockOffset, shown as "h:mm:ss"; then the live link's heartbeat.
    void Timer2_Timer();
    // Every HelloSeconds (a fifth of it for a member) the keep-alive.
    void Timer3_Timer();
    // One tick after the service said "logged in elsewhere": the log-out.
    void Timer4_Timer();

    // Seconds added to the PC clock to get the service clock; set by the main window's start-up.
    int64_t ClockOffset = 0;
    QDateTime StaleWarnTime; // PC time of the last stale-quote warning; invalid: none yet
    int32_t HelloTick = 0;
    int32_t PushedLoads = 0; // loads from a pushed snapshot, for the diagnostic report
    int32_t PolledLoads = 0; // loads requested from a data server

private:
    void load();
    void warnIfStale();

    QuoteRun& run_;
    MarketView& view_;
};

// True when the market is closed at `now`: all of Sunday, and Saturday after 06:00.
[[nodiscard]] bool IsJQ(const QDateTime& now);
[[nodiscard]] inline bool IsJQ() { return IsJQ(ServerNow); }

// Seconds from the quote's date and time (the server's texts, "yyyy-M-d" and "H:mm:ss") to
// `now`. Full date-times: a quote from yesterday is a day old, not a few seconds. None when
// either is missing or spells no date-time.
[[nodiscard]] std::optional<qint64> secondsBehind(const QString& quoteDate, const QString& quoteTime,
                                                  const QDateTime& now);

inline const QString kLivePushText = QStringLiteral("提示：正在使用VIP实时服务器.");
