#include "shell/hello.h"

#include "common/appinfo.h"
#include "common/http.h"
#include "common/textcodec.h"
#include "platform/vberror.h"
#include "platform/vbtext.h"
#include "state/configstate.h"
#include "state/session.h"
#include "state/usersettings.h"

#include <QStringList>

#include <cmath>
#include <limits>

namespace {

// The leading decimal number of a field; 0 when it has none or it does not fit, a number beyond
// the double range ("1e999", "1D999") included.
int64_t fieldNumber(const QString& field) {
    double v = 0;
    try {
        v = platform::Val(field);
    } catch (const platform::VbError&) {
        return 0;
    }
    if (!std::isfinite(v) || std::fabs(v) > static_cast<double>(std::numeric_limits<int32_t>::max()))
        return 0;
    return static_cast<int64_t>(v);
}

// A record as the service writes it: at least id, kind, an unread field and the text.
struct Record {
    int64_t id = 0;
    int64_t kind = 0;
    QString scrambled;
};
std::optional<Record> readRecord(const QString& part) {
    const QStringList f = part.split(u'|');
    if (f.size() < 4)
        return std::nullopt;
    return Record{fieldNumber(f[0]), fieldNumber(f[1]), f[3]};
}

Notice noticeOf(const Record& r) {
    const QString text = DecodeText(r.scrambled);
    return Notice{static_cast<int32_t>(r.id), text.left(1), text.mid(1)};
}

} // namespace

bool noticeIsFor(int64_t kind, const NoticeReader& reader) {
    switch (kind) {
    case 0:
    case 5:
    case 6:
        return true;
    case 1:
        return reader.loggedIn;
    case 2:
        return reader.vip;
    case 3:
        return reader.clientType == 2;
    case 4:
        return reader.clientType != 0;
    default:
        return false;
    }
}

HelloAnswer readHelloAnswer(const QString& answer, int32_t& lastNoticeId, const NoticeReader& reader) {
    if (answer == u"LO")
        return {true, std::nullopt};
    if (answer.isEmpty() || !answer.contains(QStringLiteral("||")))
        return {};
    const QStringList parts = answer.split(QStringLiteral("||"));
    const qsizetype n = parts.size() - 1;

    if (n == 1) {
        const auto r = readRecord(parts[0]);
        if (!r || r->id <= 0)
            return {};
        if (lastNoticeId == 0)
            lastNoticeId = static_cast<int32_t>(r->id - 1);
        if (r->id <= lastNoticeId)
            return {};
        lastNoticeId = static_cast<int32_t>(r->id);
        if (!noticeIsFor(r->kind, reader))
            return {};
        return {false, noticeOf(*r)};
    }

    qsizetype start = 0;
    if (lastNoticeId == 0) {
        // A first contact takes only the newest record.
        const int64_t newest = fieldNumber(parts[n - 1].section(u'|', 0, 0));
        if (newest <= 0)
            return {};
        start = n - 1;
        lastNoticeId = static_cast<int32_t>(newest - 1);
    }
    for (qsizetype i = start; i < n; ++i) {
        const auto r = readRecord(parts[i]);
        if (!r || r->id <= lastNoticeId)
            continue;
        // A record meant for others is passed for good; it must not stop the walk at every
        // keep-alive and hide every notice after it.
        lastNoticeId = static_cast<int32_t>(r->id);
        if (noticeIsFor(r->kind, reader))
            return {false, noticeOf(*r)};
    }
    return {};
}

QString helloRequestUrl() { return SiteUrl + QStringLiteral("/soft/doing.asp"); }

QString helloRequestBody(const QString& loginTime) {
    return QStringLiteral("v=2&do=stat&uid=") + QString::number(UserId) + QStringLiteral("&username=") + UserName +
           QStringLiteral("&session=") + SessionId + QStringLiteral("&mac=") + ClientId + QStringLiteral("&ver=") +
           platform::singleText(AppVer) + QStringLiteral("&lt=") + loginTime + QStringLiteral("&us=") +
           UserServerHost + QStringLiteral("&up=") + QString::number(UserServerPort);
}

void Hello(const QString& loginTime, const HelloUi& ui) {
    const QString answer = GetHttpText(helloRequestUrl(), helloRequestBody(loginTime));
    const HelloAnswer a = readHelloAnswer(answer, LastNoticeId, NoticeReader{LoggedIn, IsVip, 0});
    if (a.loggedElsewhere) {
        if (ui.loggedElsewhere)
            ui.loggedElsewhere();
        return;
    }
    if (a.notice && ui.showNotice)
        ui.showNotice(*a.notice);
}
