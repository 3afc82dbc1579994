#pragma once

#include <QByteArray>
#include <QNetworkAccessManager>
#include <QNetworkRequest>

// The request road of GetHttpText and DownFile. A plain "http" request that carries its target in
// kRawTarget goes out with exactly those bytes on the request line: Qt's own HTTP layer rewrites
// a target (it escapes "|", "{" or "^" and unescapes "%41"), while the service's servers are
// asked what the caller wrote. Every other request takes Qt's road.
class RawAccessManager : public QNetworkAccessManager {
public:
    using QNetworkAccessManager::QNetworkAccessManager;

    // The request's target (path and query, as bytes) for the request line.
    static constexpr auto kRawTarget = QNetworkRequest::User;

protected:
    QNetworkReply* createRequest(Operation op, const QNetworkRequest& request, QIODevice* outgoingData) override;
};

// The target of an address for the request line: the bytes after the scheme and authority, up to
// a fragment, "/" when there are none. Only what a request line cannot hold is escaped: blanks and
// control bytes.
[[nodiscard]] QByteArray requestTarget(const QByteArray& address);
