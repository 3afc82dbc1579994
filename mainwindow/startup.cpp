#include "mainwindow/startup.h"

#include "common/appinfo.h"
#include "common/tradingday.h"
#include "platform/vberror.h"
#include "platform/vbtext.h"
#include "state/configstate.h"
#include "state/session.h"

#include <cmath>
#include <limits>

namespace {
qint64 minuteIndex(const QDateTime& t) {
    return t.toSecsSinceEpoch() >= 0 ? t.toSecsSinceEpoch() / 60 : (t.toSecsSinceEpoch() - 59) / 60;
}
} // namespace

int64_t minuteBoundaries(const QDateTime& from, const QDateTime& to) {
    return minuteIndex(to) - minuteIndex(from);
}

std::optional<ClockCheck> checkServerClock(const QString& answer, const QDateTime& pcNow) {
    const QDateTime server = platform::parseDate(answer.trimmed());
    if (!server.isValid())
        return std::nullopt;
    // The PC's time to the second, as the check has always read it.
    const QDateTime local = ToDate(platform::shortDateText(pcNow.date()) + u' ' + platform::timeText(pcNow.time()));
    ClockCheck c;
    if (std::llabs(minuteBoundaries(server, local)) < 1) {
        c.serverNow = local;
        c.clockOffset = 0;
        return c;
    }
    // The offset is a 32-bit count of seconds (about 68 years either way); an answer beyond that
    // (9999-12-31, say) overflows before anything of the check is applied.
    const qint64 offset = pcNow.secsTo(server);
    if (offset < std::numeric_limits<int32_t>::min() || offset > std::numeric_limits<int32_t>::max())
        platform::raiseOverflow();
    c.serverNow = server;
    c.clockOffset = static_cast<int32_t>(offset);
    c.clocksDiffer = true;
    return c;
}

bool startupNoticeDue(const QString& text, const QString& excluded, const QString& lastShownDay,
                      const QString& today) {
    return !excluded.contains(QString::number(ClientType) + u',') && !text.isEmpty() && lastShownDay != today;
}

bool infoStripShown(const QString& text, const QString& excluded) {
    return !text.isEmpty() && !excluded.contains(QString::number(ClientType) + u',');
}

LoginCaption loginCaption(bool vip, const QString& userName) {
    if (vip)
        return {QStringLiteral("VIP会员:") + userName, 0x0000FF};
    return {QStringLiteral("欢迎登录:") + userName, 0xFFFFFF};
}

QString singleSignOnAddress(const QString& page) {
    return SiteUrl + QStringLiteral("/user/login.asp?v=") + platform::singleText(AppVer) + QStringLiteral("&url=") +
           page + QStringLiteral("&do=webin&session=") + SessionId + QStringLiteral("&userid=") +
           QString::number(UserId) + QStringLiteral("&mac=") + ClientId;
}

std::optional<int> rememberedTab(const QString& stored) {
    const double v = [&] {
        try {
            return platform::Val(stored);
        } catch (const platform::VbError&) {
            return 0.0;
        }
    }();
    if (v <= 0)
        return std::nullopt;
    // The tab number is a 16-bit integer: a larger value overflows (the step is skipped).
    const int tab = platform::CInt(std::trunc(v));
    // A hand-edited value beyond the strip falls back to the first tab.
    return tab >= 1 && tab <= 11 ? tab : 1;
}

int rememberedTwips(const QString& stored) {
    try {
        return platform::CLng(std::trunc(platform::Val(stored)));
    } catch (const platform::VbError&) {
        return 0;
    }
}
