#include "market/scheduler.h"

#include "state/livelink.h"
#include "state/quotetables.h"
#include "platform/clock.h"
#include "platform/vbtext.h"
#include "state/configstate.h"
#include "state/session.h"

#include <QScopeGuard>

namespace {

constexpr int kLoadEveryTicks = 6;
constexpr int kPushSilentSeconds = 20;  // a live push older than this counts as lost
constexpr int kStaleSeconds = 180;      // quotes older than this are worth a warning
constexpr int kStaleRepeatSeconds = 600;

} // namespace

bool IsJQ(const QDateTime& now) {
    if (!now.isValid())
        return false;
    switch (now.date().dayOfWeek()) {
    case Qt::Sunday:
        return true;
    case Qt::Saturday:
        return now.time() > QTime(6, 0);
    default:
        return false;
    }
}

std::optional<qint64> secondsBehind(const QString& quoteDate, const QString& quoteTime, const QDateTime& now) {
    if (quoteDate.trimmed().isEmpty() || quoteTime.trimmed().isEmpty() || !now.isValid())
        return std::nullopt;
    const QDateTime quote = platform::parseDate(QString(quoteDate.trimmed() + u' ' + quoteTime.trimmed()));
    if (!quote.isValid())
        return std::nullopt;
    return quote.secsTo(now);
}

void RefreshScheduler::Timer1_Timer() {
    if (IsVip && UseRealtime && !PushLost) {
        if (run_.Nextupti() != kLivePushText)
            run_.setStatus(kLivePushText);
        // Without a quote time the push cannot be shown to be alive: polling takes over. Nor can
        // a quote dated well ahead of the clock (the service's clock moved after ours was set):
        // the link refuses every push that does not fit our clock, so such a quote would
        // otherwise stand on the board for good.
        const auto behind = secondsBehind(QuoteDate, QuoteTime, ServerNow);
        if (behind && *behind <= kPushSilentSeconds && *behind >= -kPushSilentSeconds)
            return;
        PushLost = true;
    }
    if (PushMode == 2) {
        run_.setStatus(kLivePushText);
        return;
    }
    if (IsJQ()) {
        run_.setStatus(QStringLiteral("提示:休市时段."));
        return;
    }
    run_.setStatus(QStringLiteral("计时: ") + QString::number(kLoadEveryTicks - 1 - RefreshCountdown) +
                   QStringLiteral(" 秒"));
    ++RefreshCountdown;
    if (RefreshCountdown < kLoadEveryTicks)
        return;
    view_.setTimerEnabled(MarketTimer::Timer1, false);
    // A tick from inside a run's network wait: that run restarts Timer1 when it ends.
    if (run_.loading())
        return;
    {
        // Back on however the run ends, a raised error included.
        const auto restart = qScopeGuard([this] {
            RefreshCountdown = 0;
            view_.setTimerEnabled(MarketTimer::Timer1, true);
        });
        load();
    }
    warnIfStale();
}

void RefreshScheduler::load() {
    run_.setStatus(QStringLiteral("正在更新..."));
    if (PushData.contains(u'|') && PushMode == 1 && pushIsFresh(ServerNow)) {
        ++PushedLoads;
        run_.LoadData(PushData);
    } else {
        ++PolledLoads;
        run_.LoadData();
    }
    if (run_.Nextupti() != u"更新失败.")
        run_.setStatus(QStringLiteral("更新完成."));
}

void RefreshScheduler::warnIfStale() {
    if (!ConfigLoaded)
        return;
    const auto behind = secondsBehind(QuoteDate, QuoteTime, ServerNow);
    if (!behind || *behind <= kStaleSeconds)
        return;
    // Full date-times, so a warning just before midnight does not silence the next day.
    const QDateTime pcTime = platform::pcNow();
    if (StaleWarnTime.isValid() && StaleWarnTime.secsTo(pcTime) <= kStaleRepeatSeconds)
        return;
    const QString warning = QStringLiteral("报价时间[") + QuoteTime + QStringLiteral("]与本地时间[") +
                            platform::timeText(pcTime.time()) +
                            QStringLiteral("]相差过大，请检查网络是否中断，或尝试重新启动程序。");
    if (!view_.CustRing(warning))
        view_.showWarning(warning);
    StaleWarnTime = pcTime;
    run_.LoadAllData(-1);
    view_.UnLinkUser();
    view_.LinkUser();
}

void RefreshScheduler::Timer2_Timer() {
    const QDateTime pc = platform::pcNow();
    ServerNow = ClockOffset != 0 ? pc.addSecs(ClockOffset) : pc;
    view_.setServiceClock(ServerNow.time().toString(QStringLiteral("h:mm:ss")));
    view_.heartbeat();
}

void RefreshScheduler::Timer3_Timer() {
    ++HelloTick;
    const int32_t period = IsVip ? HelloSeconds / 5 : HelloSeconds;
    if (HelloTick < period)
        return;
    view_.setTimerEnabled(MarketTimer::Timer3, false);
    // Back on however the keep-alive ends, a raised error included.
    const auto restart = qScopeGuard([this] {
        view_.setTimerEnabled(MarketTimer::Timer3, true);
        HelloTick = 0;
    });
    view_.Hello();
}

void RefreshScheduler::Timer4_Timer() {
    view_.setTimerEnabled(MarketTimer::Timer4, false);
    view_.LogoutUser();
}
