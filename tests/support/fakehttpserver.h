#pragma once

#include <QObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

// A loopback HTTP peer that records the raw requests and answers as the test says: a made-up
// answer (Answer), none (Silent), a connection dropped as soon as anything arrives (Close), or
// bytes written as they stand (Script), which lets a test send what a well-behaved server library
// would refuse to.
class FakeServer : public QObject {
public:
    enum class Mode { Answer, Silent, Close, Script };

    Mode mode = Mode::Answer;
    QByteArray status = "200 OK";
    QByteArray body;
    int delayMs = 0;
    QByteArray request;            // the last complete request: head and body
    int requests = 0;              // complete requests seen
    QList<QByteArray> requestLines; // their first lines, in order
    int connections = 0;           // connections accepted, whatever came over them

    // Script: the answer to each request in turn, the last one again and again.
    QList<QByteArray> script;
    // Script: the answer goes out in pieces of trickleBytes, trickleMs apart (0: all at once).
    int trickleBytes = 0;
    int trickleMs = 0;
    // Script: after the answer these bytes go out again and again until the client leaves.
    QByteArray endless;
    // Script: the connection stays open after the answer instead of being closed.
    bool keepOpen = false;

    FakeServer() {
        m_server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* s = m_server.nextPendingConnection()) {
                ++connections;
                s->setParent(this);
                auto* buffer = new QByteArray;
                QObject::connect(s, &QObject::destroyed, [buffer] { delete buffer; });
                QObject::connect(s, &QTcpSocket::readyRead, this, [this, s, buffer] {
                    if (mode == Mode::Close) {
                        s->abort();
                        return;
                    }
                    buffer->append(s->readAll());
                    // A kept-alive connection can carry one request after another.
                    while (const qsizetype size = completeSize(*buffer)) {
                        request = buffer->left(size);
                        buffer->remove(0, size);
                        ++requests;
                        requestLines << request.left(request.indexOf("\r\n"));
                        respond(s);
                    }
                });
            }
        });
    }

    [[nodiscard]] QString hostPort() const {
        return QStringLiteral("127.0.0.1:%1").arg(m_server.serverPort());
    }

    QString url(const QString& path = QStringLiteral("/page")) const {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path);
    }

    QByteArray head() const { return request.left(request.indexOf("\r\n\r\n")); }
    QByteArray requestBody() const { return request.mid(request.indexOf("\r\n\r\n") + 4); }

private:
    // The size of the complete request at the front of `b`; 0 while it is incomplete.
    static qsizetype completeSize(const QByteArray& b) {
        const qsizetype end = b.indexOf("\r\n\r\n");
        if (end < 0)
            return 0;
        const QByteArray head = b.left(end).toLower();
        const qsizetype cl = head.indexOf("content-length:");
        if (cl < 0)
            return end + 4;
        const qsizetype eol = head.indexOf("\r\n", cl);
        const int length = head.mid(cl + 15, eol < 0 ? -1 : eol - cl - 15).trimmed().toInt();
        return b.size() - end - 4 >= length ? end + 4 + length : 0;
    }

    void respond(QTcpSocket* s) {
        if (mode == Mode::Silent)
            return;
        if (mode == Mode::Script) {
            sendScripted(s, script.value(requests - 1, script.isEmpty() ? QByteArray() : script.last()));
            return;
        }
        const QByteArray answer = "HTTP/1.1 " + status + "\r\nContent-Length: " +
                                  QByteArray::number(body.size()) +
                                  "\r\nConnection: close\r\n\r\n" + body;
        QTimer::singleShot(delayMs, s, [s, answer] {
            s->write(answer);
            s->disconnectFromHost();
        });
    }

    void sendScripted(QTcpSocket* s, const QByteArray& answer) {
        if (trickleBytes > 0 && answer.size() > trickleBytes) {
            s->write(answer.left(trickleBytes));
            QTimer::singleShot(trickleMs, s, [this, s, rest = answer.mid(trickleBytes)] { sendScripted(s, rest); });
            return;
        }
        s->write(answer);
        if (!endless.isEmpty()) {
            // Refilled as it drains, so the peer always has more coming and the buffer stays small.
            const auto refill = [this, s] {
                while (s->state() == QAbstractSocket::ConnectedState && s->bytesToWrite() < 4 * endless.size())
                    s->write(endless);
            };
            QObject::connect(s, &QTcpSocket::bytesWritten, s, refill);
            refill();
        } else if (!keepOpen) {
            s->disconnectFromHost();
        }
    }

    QTcpServer m_server;
};
