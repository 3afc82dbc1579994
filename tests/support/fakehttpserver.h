#pragma once

#include <QObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

// A loopback HTTP peer that records the raw request and answers as the test says.
class FakeServer : public QObject {
public:
    enum class Mode { Answer, Silent, Close };

    Mode mode = Mode::Answer;
    QByteArray status = "200 OK";
    QByteArray body;
    int delayMs = 0;
    QByteArray request; // the last complete request: head and body
    int requests = 0;   // complete requests seen

    FakeServer() {
        m_server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* s = m_server.nextPendingConnection()) {
                s->setParent(this);
                auto* buffer = new QByteArray;
                QObject::connect(s, &QObject::destroyed, [buffer] { delete buffer; });
                QObject::connect(s, &QTcpSocket::readyRead, this, [this, s, buffer] {
                    buffer->append(s->readAll());
                    if (complete(*buffer)) {
                        request = *buffer;
                        ++requests;
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
    static bool complete(const QByteArray& b) {
        const qsizetype end = b.indexOf("\r\n\r\n");
        if (end < 0)
            return false;
        const QByteArray head = b.left(end).toLower();
        const qsizetype cl = head.indexOf("content-length:");
        if (cl < 0)
            return true;
        const qsizetype eol = head.indexOf("\r\n", cl);
        const int length = head.mid(cl + 15, eol < 0 ? -1 : eol - cl - 15).trimmed().toInt();
        return b.size() - end - 4 >= length;
    }

    void respond(QTcpSocket* s) {
        if (mode == Mode::Silent)
            return;
        if (mode == Mode::Close) {
            s->abort();
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

    QTcpServer m_server;
};
