#include "common/http.h"

#include "platform/eventwait.h"
#include "platform/gbk.h"
#include "platform/savefile.h"

#include <QAbstractNetworkCache>
#include <QCoreApplication>
#include <QDateTime>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QSaveFile>
#include <QStringDecoder>
#include <QThread>

#include <functional>
#include <memory>

namespace {

constexpr int kDefaultTimeoutSec = 20;
constexpr int kDownloadTimeoutSec = 300;
constexpr int kMaxRedirects = 5;
// No text the program reads comes near this; a larger answer is a fault, not something to hold.
constexpr qint64 kMaxTextBytes = 64 * 1024 * 1024;
// What a reply may hold before its body is taken. Without a bound Qt's network thread keeps
// reading into the reply while this thread is busy, so an answer larger than memory would be held
// whole and the event loop would spend whole seconds handing it over without a timer's turn.
constexpr qint64 kReadBufferBytes = 1024 * 1024;

QNetworkAccessManager* newManager(QObject* parent) {
    auto* m = new QNetworkAccessManager(parent);
    // Same origin, other plain hosts and http to https; never from https back to plain http.
    m->setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
    return m;
}

// One manager per thread: the application's lives as long as the application, another thread's
// until that thread finishes.
QNetworkAccessManager* manager() {
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr)
        return nullptr;
    thread_local QPointer<QNetworkAccessManager> nam;
    if (nam.isNull()) {
        QThread* thread = QThread::currentThread();
        nam = newManager(thread == app->thread() ? app : nullptr);
        if (thread != app->thread())
            QObject::connect(thread, &QThread::finished, nam.data(), &QObject::deleteLater);
    }
    return nam.data();
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

// A failure of the connection itself, as against an answer that carries an error status. No
// proxy is set, so a 407 (which Qt reports as a proxy's error) is the server's answer like any other.
bool transportFailed(const QNetworkReply* reply) {
    if (!reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid())
        return true;
    const auto e = reply->error();
    return (e >= QNetworkReply::ConnectionRefusedError && e <= QNetworkReply::UnknownNetworkError) ||
           e == QNetworkReply::ProtocolUnknownError || e == QNetworkReply::ProtocolFailure;
}

// The address as a URL: ASCII as the caller wrote it, each byte of the wire's code page above
// 0x7F escaped. Qt normalises the rest on its way out: "|", "{", "^" and their like go as "%7C",
// "%7B", "%5E", a blank as "%20", and "." and ".." segments of the path are resolved. The service
// reads either form alike, so the address is not sent byte for byte.
QUrl urlOf(const QString& address) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    QByteArray escaped;
    for (const char c : platform::toGbk(address)) {
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
    QNetworkRequest request{urlOf(url)};
    request.setMaximumRedirectsAllowed(kMaxRedirects);
    // No load-control attribute: Qt would answer AlwaysNetwork with no-cache headers of its own,
    // and only the callers that ask for them may send those.
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    return request;
}

// Sends the request (a POST when `postBody` is given) and hands the answer's body to `take` piece
// by piece as it arrives, so no answer has to be held whole. True when the answer came complete
// before `seconds` ran out; false on a time-out, a failed connection, or when `take` refused a
// piece (which ends the request).
bool exchange(QNetworkAccessManager* nam, const QNetworkRequest& request, const QByteArray* postBody, int seconds,
              const std::function<bool(QNetworkReply&)>& take) {
    ReplyPtr reply(postBody != nullptr ? nam->post(request, *postBody) : nam->get(request));
    reply->setReadBufferSize(kReadBufferBytes);
    const int deadlineMs = msUntilDeadline(seconds);
    bool refused = false;
    const auto takeSome = [&] {
        if (!refused && reply->bytesAvailable() > 0 && !take(*reply)) {
            // Dropped at once: the rest of a refused answer is not read, whatever its status.
            // Once an answer with an error status is all in, Qt has its error on the way and
            // warns when an abort makes it a second one: the abort waits behind what is posted.
            refused = true;
            QNetworkReply* r = reply.get();
            QMetaObject::invokeMethod(r, [r] { r->abort(); }, Qt::QueuedConnection);
        }
    };
    QObject::connect(reply.get(), &QNetworkReply::readyRead, reply.get(), takeSome);
    const bool finished = reply->isFinished() ||
                          platform::waitForSignal(reply.get(), &QNetworkReply::finished, deadlineMs) ||
                          reply->isFinished();
    if (!finished || transportFailed(reply.get()))
        return false;
    takeSome();
    return !refused;
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
    const QByteArray form = post ? platform::toGbk(UrlEncode(PostData + QStringLiteral("&session=0"))) : QByteArray();

    QByteArray body;
    const bool complete = exchange(nam, request, post ? &form : nullptr, seconds, [&body](QNetworkReply& reply) {
        if (reply.header(QNetworkRequest::ContentLengthHeader).toLongLong() > kMaxTextBytes)
            return false;
        body += reply.read(kMaxTextBytes + 1 - body.size());
        return body.size() <= kMaxTextBytes;
    });
    ClearUrlCache(Url);
    return complete ? BytesToText(body, Charset) : QString();
}

bool DownFile(const QString& Url, const QString& File) {
    QNetworkAccessManager* nam = manager();
    if (nam == nullptr || platform::programEnding())
        return false;
    // The body goes to a temporary file beside the target as it arrives and replaces the target
    // only when it came whole with a success status: an error page is never saved.
    platform::removeSaveLeftovers(File);
    QSaveFile out(File);
    qint64 written = 0;
    const bool complete = exchange(nam, makeRequest(Url), nullptr, kDownloadTimeoutSec, [&](QNetworkReply& reply) {
        if (!out.isOpen()) {
            const int status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
            if (status < 200 || status > 299 || !out.open(QIODevice::WriteOnly))
                return false;
        }
        const QByteArray piece = reply.readAll();
        written += piece.size();
        return out.write(piece) == piece.size();
    });
    const bool saved = complete && written > 0 && out.commit();
    if (!saved)
        out.cancelWriting();
    ClearUrlCache(Url);
    return saved;
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
