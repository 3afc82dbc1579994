#pragma once

#include <QByteArray>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <future>
#include <memory>

// A loopback HTTP peer on a thread of its own that answers every request with one head and a
// body made up as it goes out, of any size: nothing of it is held beyond the piece being sent,
// and it is sent only as fast as the client takes it. Being on its own thread, it keeps sending
// whatever the client's thread is doing, as a remote server does.
class StreamingServer {
public:
    enum class Framing { Length, Chunked, UpToClose };

    struct Answer {
        QByteArray status = "200 OK";
        qint64 bodyBytes = 0;
        Framing framing = Framing::Length;
    };

    explicit StreamingServer(Answer answer) : m_answer(std::move(answer)) {
        std::promise<quint16> listening;
        std::future<quint16> port = listening.get_future();
        m_thread.reset(QThread::create([this, &listening] { run(listening); }));
        m_thread->start();
        m_port = port.get();
    }

    ~StreamingServer() {
        m_stop = true;
        m_thread->wait();
    }

    StreamingServer(const StreamingServer&) = delete;
    StreamingServer& operator=(const StreamingServer&) = delete;

    [[nodiscard]] QString url(const QString& path = QStringLiteral("/big")) const {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(m_port).arg(path);
    }

    // Bytes of the answers (heads and framing included) the connections have taken so far.
    [[nodiscard]] qint64 bytesSent() const { return m_sent; }

    // The body's bytes from `offset` on, the same for every answer.
    // A byte is seven times its place plus the number of its 4 KiB block, so a piece lost,
    // repeated or moved shows.
    static QByteArray bodyAt(qint64 offset, qsizetype size) {
        QByteArray piece(size, Qt::Uninitialized);
        auto* out = reinterpret_cast<uchar*>(piece.data());
        for (qsizetype i = 0; i < size;) {
            const qint64 at = offset + i;
            const qsizetype blockEnd = std::min<qsizetype>(size, i + (4096 - (at & 4095)));
            const auto first = static_cast<uchar>(at * 7 + (at >> 12));
            for (qsizetype k = 0; i + k < blockEnd; ++k)
                out[i + k] = static_cast<uchar>(first + 7 * k);
            i = blockEnd;
        }
        return piece;
    }

private:
    static constexpr qsizetype kPieceBytes = 64 * 1024;
    static constexpr int kPollMs = 50;

    void run(std::promise<quint16>& listening) {
        QTcpServer server;
        server.listen(QHostAddress::LocalHost, 0);
        listening.set_value(server.serverPort());
        while (!m_stop) {
            if (!server.waitForNewConnection(kPollMs))
                continue;
            std::unique_ptr<QTcpSocket> socket(server.nextPendingConnection());
            QObject::connect(socket.get(), &QTcpSocket::bytesWritten, [this](qint64 n) { m_sent += n; });
            if (readRequestHead(*socket))
                sendAnswer(*socket);
            socket->abort();
        }
    }

    bool readRequestHead(QTcpSocket& socket) {
        QByteArray request;
        while (!m_stop && socket.state() == QAbstractSocket::ConnectedState) {
            if (socket.waitForReadyRead(kPollMs))
                request += socket.readAll();
            if (request.contains("\r\n\r\n"))
                return true;
        }
        return false;
    }

    // False once the client has left or the server is stopping.
    bool send(QTcpSocket& socket, const QByteArray& bytes) {
        socket.write(bytes);
        while (socket.bytesToWrite() > 4 * kPieceBytes) {
            if (m_stop || socket.state() != QAbstractSocket::ConnectedState)
                return false;
            socket.waitForBytesWritten(kPollMs);
        }
        return socket.state() == QAbstractSocket::ConnectedState;
    }

    void sendAnswer(QTcpSocket& socket) {
        const qint64 total = m_answer.bodyBytes;
        QByteArray head = "HTTP/1.1 " + m_answer.status + "\r\nContent-Type: application/octet-stream\r\n";
        if (m_answer.framing == Framing::Length)
            head += "Content-Length: " + QByteArray::number(total) + "\r\n";
        if (m_answer.framing == Framing::Chunked)
            head += "Transfer-Encoding: chunked\r\n";
        head += "Connection: close\r\n\r\n";
        if (!send(socket, head))
            return;
        for (qint64 at = 0; at < total; at += kPieceBytes) {
            QByteArray piece = bodyAt(at, static_cast<qsizetype>(std::min<qint64>(kPieceBytes, total - at)));
            if (m_answer.framing == Framing::Chunked)
                piece = QByteArray::number(piece.size(), 16) + "\r\n" + piece + "\r\n";
            if (!send(socket, piece))
                return;
        }
        if (m_answer.framing == Framing::Chunked && !send(socket, "0\r\n\r\n"))
            return;
        socket.disconnectFromHost();
        while (!m_stop && socket.state() != QAbstractSocket::UnconnectedState)
            socket.waitForDisconnected(kPollMs);
    }

    const Answer m_answer;
    std::unique_ptr<QThread> m_thread;
    quint16 m_port = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<qint64> m_sent{0};
};
