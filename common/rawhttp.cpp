#include "common/rawhttp.h"

#include "platform/boundary.h"

#include <QNetworkReply>
#include <QSignalBlocker>
#include <QTcpSocket>

#include <algorithm>
#include <cstring>
#include <optional>

namespace {

constexpr int kMaxRedirects = 5;

// One answer read off the connection: status line and headers, then the body by its length, in
// chunks, or up to the close.
struct Answer {
    int status = 0;
    QByteArray reason;
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;

    [[nodiscard]] QByteArray header(const QByteArray& name) const {
        for (const auto& [n, v] : headers)
            if (n.compare(name, Qt::CaseInsensitive) == 0)
                return v;
        return {};
    }
};

// The chunked body of `raw`, or none while it is incomplete.
std::optional<QByteArray> unchunked(const QByteArray& raw) {
    QByteArray body;
    qsizetype at = 0;
    for (;;) {
        const qsizetype eol = raw.indexOf("\r\n", at);
        if (eol < 0)
            return std::nullopt;
        bool ok = false;
        const qsizetype size = raw.mid(at, eol - at).split(';').first().trimmed().toLongLong(&ok, 16);
        if (!ok || size < 0)
            return body; // not chunks after all: what came is what there is
        at = eol + 2;
        if (size == 0)
            return raw.indexOf("\r\n", at) >= 0 ? std::optional(body) : std::nullopt;
        // Compared without adding: a size from the wire can be near the type's limit.
        if (size > raw.size() - at - 2)
            return std::nullopt;
        body += raw.mid(at, size);
        at += size + 2;
    }
}

class RawReply : public QNetworkReply {
public:
    RawReply(QNetworkAccessManager::Operation op, const QNetworkRequest& request, QByteArray body, QObject* parent)
        : QNetworkReply(parent), m_body(std::move(body)) {
        setRequest(request);
        setOperation(op);
        setUrl(request.url());
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
        connect(&m_socket, &QTcpSocket::connected, this, platform::guard("rawhttp m_socket connected", [this] { m_socket.write(requestBytes()); }));
        connect(&m_socket, &QTcpSocket::readyRead, this, platform::guard("rawhttp m_socket readyRead", [this] {
            m_in += m_socket.readAll();
            readAnswer(false);
        }));
        connect(&m_socket, &QTcpSocket::disconnected, this, platform::guard("rawhttp m_socket disconnected", [this] { readAnswer(true); }));
        connect(&m_socket, &QTcpSocket::errorOccurred, this, platform::guard("rawhttp m_socket errorOccurred", [this](QAbstractSocket::SocketError e) {
            if (e == QAbstractSocket::RemoteHostClosedError)
                readAnswer(true);
            else
                fail(e == QAbstractSocket::ConnectionRefusedError ? ConnectionRefusedError
                     : e == QAbstractSocket::HostNotFoundError    ? HostNotFoundError
                     : e == QAbstractSocket::SocketTimeoutError   ? TimeoutError
                                                                  : UnknownNetworkError,
                     m_socket.errorString());
        }));
        connectTo(request.url(), request.attribute(RawAccessManager::kRawTarget).toByteArray());
    }

    void abort() override {
        if (isFinished())
            return;
        fail(OperationCanceledError, QStringLiteral("Operation canceled"));
    }
    [[nodiscard]] bool isSequential() const override { return true; }
    [[nodiscard]] qint64 bytesAvailable() const override {
        return m_answer.body.size() - m_read + QIODevice::bytesAvailable();
    }

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        const qint64 n = std::min<qint64>(maxSize, m_answer.body.size() - m_read);
        if (n <= 0)
            return isFinished() ? -1 : 0;
        std::memcpy(data, m_answer.body.constData() + m_read, static_cast<size_t>(n));
        m_read += n;
        return n;
    }

private:
    void connectTo(const QUrl& url, const QByteArray& target) {
        m_url = url;
        m_target = target.isEmpty() ? QByteArray("/") : target;
        m_in.clear();
        closeQuietly();
        m_socket.connectToHost(url.host(), static_cast<quint16>(url.port(80)));
    }

    QByteArray requestBytes() const {
        const bool post = operation() == QNetworkAccessManager::PostOperation;
        QByteArray head = (post ? "POST " : "GET ") + m_target + " HTTP/1.1\r\nHost: " + m_url.host().toLatin1();
        if (m_url.port(80) != 80)
            head += ':' + QByteArray::number(m_url.port());
        head += "\r\n";
        for (const QByteArray& name : request().rawHeaderList())
            head += name + ": " + request().rawHeader(name) + "\r\n";
        if (post)
            head += "Content-Length: " + QByteArray::number(m_body.size()) + "\r\n";
        head += "Connection: close\r\n\r\n";
        return post ? head + m_body : head;
    }

    // Reads what has come; `closed` when the peer has closed the connection.
    void readAnswer(bool closed) {
        if (isFinished())
            return;
        const qsizetype end = m_in.indexOf("\r\n\r\n");
        if (end < 0) {
            if (closed)
                fail(RemoteHostClosedError, QStringLiteral("Connection closed before an answer"));
            return;
        }
        Answer a;
        const QList<QByteArray> lines = m_in.left(end).split('\n');
        const QList<QByteArray> status = lines.first().trimmed().split(' ');
        bool ok = false;
        a.status = status.size() >= 2 && status[0].startsWith("HTTP/") ? status[1].toInt(&ok) : 0;
        if (!ok) {
            fail(ProtocolFailure, QStringLiteral("Not an HTTP answer"));
            return;
        }
        a.reason = lines.first().trimmed().split(' ').mid(2).join(' ');
        for (qsizetype k = 1; k < lines.size(); ++k) {
            const qsizetype colon = lines[k].indexOf(':');
            if (colon > 0)
                a.headers.append({lines[k].left(colon).trimmed(), lines[k].mid(colon + 1).trimmed()});
        }
        const QByteArray raw = m_in.mid(end + 4);
        if (a.header("Transfer-Encoding").toLower().contains("chunked")) {
            const auto body = unchunked(raw);
            if (!body) {
                if (closed)
                    fail(RemoteHostClosedError, QStringLiteral("Connection closed inside the answer"));
                return;
            }
            a.body = *body;
        } else if (const QByteArray length = a.header("Content-Length"); !length.isEmpty()) {
            if (raw.size() < length.toLongLong()) {
                if (closed)
                    fail(RemoteHostClosedError, QStringLiteral("Connection closed inside the answer"));
                return;
            }
            a.body = raw.left(length.toLongLong());
        } else if (!closed) {
            return; // the body runs to the close
        } else {
            a.body = raw;
        }
        if (followRedirect(a))
            return;
        finish(std::move(a));
    }

    // A moved address is asked again, as a browser would, while it stays on the plain road.
    bool followRedirect(const Answer& a) {
        if (a.status < 301 || a.status > 308 || a.status == 304 || a.status == 305 || a.status == 306 ||
            operation() != QNetworkAccessManager::GetOperation || m_redirects >= kMaxRedirects)
            return false;
        const QByteArray location = a.header("Location");
        const QUrl next = m_url.resolved(QUrl::fromEncoded(location, QUrl::TolerantMode));
        if (location.isEmpty() || next.scheme() != u"http" || next.host().isEmpty())
            return false;
        ++m_redirects;
        // The server's own bytes where it wrote the path; a relative one is resolved first.
        const bool asWritten = location.contains("://") || (location.startsWith('/') && !location.startsWith("//"));
        connectTo(next, requestTarget(asWritten ? location : next.toEncoded()));
        return true;
    }

    void finish(Answer a) {
        m_answer = std::move(a);
        setAttribute(QNetworkRequest::HttpStatusCodeAttribute, m_answer.status);
        setAttribute(QNetworkRequest::HttpReasonPhraseAttribute, m_answer.reason);
        for (const auto& [name, value] : m_answer.headers)
            setRawHeader(name, value);
        closeQuietly();
        setFinished(true);
        emit metaDataChanged();
        emit readyRead();
        emit readChannelFinished();
        emit finished();
    }

    void fail(NetworkError code, const QString& text) {
        if (isFinished())
            return;
        closeQuietly();
        setError(code, text);
        setFinished(true);
        emit errorOccurred(code);
        emit finished();
    }

    // Drops the connection without its signals, which would read the answer again.
    void closeQuietly() {
        const QSignalBlocker block(m_socket);
        m_socket.abort();
    }

    QTcpSocket m_socket;
    QUrl m_url;
    QByteArray m_target;
    QByteArray m_body; // sent with a POST
    QByteArray m_in;   // the answer's bytes so far
    Answer m_answer;
    qint64 m_read = 0;
    int m_redirects = 0;
};

} // namespace

QByteArray requestTarget(const QByteArray& address) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    qsizetype at = address.indexOf("://");
    at = at < 0 ? 0 : at + 3;
    qsizetype start = at;
    while (start < address.size() && address[start] != '/' && address[start] != '?' && address[start] != '#')
        ++start;
    QByteArray rest = address.mid(start);
    if (const qsizetype hash = rest.indexOf('#'); hash >= 0)
        rest.truncate(hash);
    if (rest.startsWith('?'))
        rest.prepend('/');
    QByteArray target;
    for (const char c : rest) {
        const auto b = static_cast<uchar>(c);
        if (b <= 0x20 || b == 0x7F) {
            target += '%';
            target += kHex[b >> 4];
            target += kHex[b & 0xF];
        } else {
            target += c;
        }
    }
    return target.isEmpty() ? QByteArray("/") : target;
}

QNetworkReply* RawAccessManager::createRequest(Operation op, const QNetworkRequest& request, QIODevice* outgoingData) {
    const bool plain = request.url().scheme() == u"http" && !request.url().host().isEmpty() &&
                       request.attribute(kRawTarget).isValid() && (op == GetOperation || op == PostOperation);
    if (!plain)
        return QNetworkAccessManager::createRequest(op, request, outgoingData);
    return new RawReply(op, request, outgoingData != nullptr ? outgoingData->readAll() : QByteArray(), this);
}
