#include "common/http.h"

#include "common/rawhttp.h"
#include "platform/eventwait.h"
#include "platform/gbk.h"
#include "platform/savefile.h"

#include <QAbstractNetworkCache>
#include <QCoreApplication>
#include <QDateTime>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QStringDecoder>

#include <memory>

namespace {

constexpr int kDefaultTimeoutSec = 20;
constexpr int kDownloadTimeoutSec = 300;

QNetworkAccessManager* manager() {
    if (QCoreApplication::instance() == nullptr)
        return nullptr;
    static QNetworkAccessManager* nam = [] {
        auto* m = new RawAccessManager(QCoreApplication::instance());
        m->setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
        return m;
    }();
    return nam;
}

// The deadline counts whole clock seconds from the send, so the wait ends between
// seconds - 1 and seconds after it, as the service's clients have always timed out.
int msUntilDeadline(int seconds) {
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    return static_cast<int>(seconds * 1000 - now % 1000);
}

struct ReplyDeleter {
    void operator()(QNetworkReply* r) const {
        if (r != nullptr) {
            r->disconnect();
            if (r->isRunning())
                r->abort();
            r->deleteLater();
        }
    }
};
using ReplyPtr = std::unique_ptr<QNetworkReply, ReplyDeleter>;

// Waits for the reply; false when the deadline passed first.
bool waitForReply(QNetworkReply* reply, int seconds) {
    if (reply->isFinished())
        return true;
    return platform::waitForSignal(reply, &QNetworkReply::finished, msUntilDeadline(seconds)) ||
           reply->isFinished();
}

// A failure of the connection itself, as against an answer that carries an error status.
bool transportFailed(const QNetworkReply* reply) {
    if (!reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid())
        return true;
    const auto e = reply->error();
    return (e >= QNetworkReply::ConnectionRefusedError && e <= QNetworkReply::UnknownProxyError) ||
           e == QNetworkReply::ProtocolUnknownError || e == QNetworkReply::ProtocolFailure;
}

// The address with every byte above 0x7F escaped, as a URL holds it: Qt's road and the host and
// port of the plain one.
QUrl urlOf(const QByteArray& address) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    QByteArray escaped;
    for (const char c : address) {
        const auto b = static_cast<uchar>(c);
        if (b < 0x80) {
            escaped += c;
        } else {
            escaped += '%';
            escaped += kHex[b >> 4];
            escaped += kHex[b & 0xF];
        }
    }
    return QUrl::fromEncoded(escaped, QUrl::TolerantMode);
}

QNetworkRequest makeRequest(const QString& url) {
    // The address goes out as the caller wrote it, in the wire's code page: nothing is encoded here.
    const QByteArray address = platform::toGbk(url);
    QNetworkRequest request{urlOf(address)};
    request.setAttribute(RawAccessManager::kRawTarget, requestTarget(address));
    // No load-control attribute: Qt would answer AlwaysNetwork with no-cache headers of its own,
    // and only the callers that ask for them may send those.
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    return request;
}

} // namespace

static std::function<QString(const QString&)>& httpTextSource() {
    static std::function<QString(const QString&)> source;
    return source;
}

void setHttpTextSource(std::function<QString(const QString& Url)> source) { httpTextSource() = std::move(source); }

QString GetHttpText(const QString& Url, const QString& PostData, int16_t TimeoutSec,
                    const QString& Charset, const QString& Cookie, bool NoCache) {
    if (httpTextSource())
        return httpTextSource()(Url);
    const int seconds = TimeoutSec == 0 ? kDefaultTimeoutSec : TimeoutSec;
    QNetworkAccessManager* nam = manager();
    // A program that is ending sends nothing more: its waits would return at once anyway.
    if (nam == nullptr || platform::programEnding())
        return {};
    QNetworkRequest request = makeRequest(Url);
    const bool post = !PostData.isEmpty();
    if (post)
        request.setRawHeader("Content-Type", "application/x-www-form-urlencoded");
    if (NoCache) {
        request.setRawHeader("Cache-Control", "no-cache");
        request.setRawHeader("Pragma", "no-cache");
    }
    if (!Cookie.isEmpty())
        request.setRawHeader("Cookie", platform::toGbk(Cookie));

    ReplyPtr reply(post ? nam->post(request, platform::toGbk(UrlEncode(PostData + QStringLiteral("&session=0"))))
                        : nam->get(request));
    QString result;
    if (waitForReply(reply.get(), seconds) && !transportFailed(reply.get()))
        result = BytesToText(reply->readAll(), Charset);
    ClearUrlCache(Url);
    return result;
}

bool DownFile(const QString& Url, const QString& File) {
    QNetworkAccessManager* nam = manager();
    if (nam == nullptr || platform::programEnding())
        return false;
    ReplyPtr reply(nam->get(makeRequest(Url)));
    bool written = false;
    if (waitForReply(reply.get(), kDownloadTimeoutSec) && !transportFailed(reply.get())) {
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        const QByteArray body = reply->readAll();
        if (status >= 200 && status <= 299 && !body.isEmpty()) {
            written = platform::saveWholeFile(File, body);
        }
    }
    ClearUrlCache(Url);
    return written;
}

QString UrlEncode(const QString& Text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    QString out;
    out.reserve(Text.size() * 2);
    for (qsizetype i = 0; i < Text.size(); ++i) {
        const char16_t u = Text[i].unicode();
        if (QChar::isHighSurrogate(u) && i + 1 < Text.size() && QChar::isLowSurrogate(Text[i + 1].unicode()))
            ++i;
        const quint16 code = QChar::isSurrogate(u) ? 0 : platform::gbkCode(u);
        if (code == 0 && u != 0) {
            out += u'?'; // the code page cannot hold it; it goes out as its stand-in
        } else if (code < 0x100) {
            out += QChar(u);
        } else {
            out += u'%';
            out += QLatin1Char(kHex[code >> 12]);
            out += QLatin1Char(kHex[(code >> 8) & 0xF]);
            out += u'%';
            out += QLatin1Char(kHex[(code >> 4) & 0xF]);
            out += QLatin1Char(kHex[code & 0xF]);
        }
    }
    out.replace(u' ', QStringLiteral("%20"));
    out.replace(u'+', QStringLiteral("%2B"));
    return out;
}

QString BytesToText(const QByteArray& Bytes, const QString& Charset) {
    const QString cs = Charset.trimmed().toLower();
    if (cs == u"gb2312" || cs == u"gbk" || cs == u"cp936" || cs == u"windows-936" || cs == u"x-gbk")
        return platform::fromGbk(Bytes);
    if (cs == u"utf-8" || cs == u"utf8")
        return QString::fromUtf8(Bytes);
    QStringDecoder decoder(cs.toLatin1().constData());
    if (!decoder.isValid())
        return {};
    return decoder.decode(Bytes);
}

void ClearUrlCache(const QString& Url) {
    if (Url.contains(QStringLiteral(":\\")))
        return;
    if (QNetworkAccessManager* nam = manager(); nam != nullptr && nam->cache() != nullptr)
        nam->cache()->remove(QUrl(Url));
}
