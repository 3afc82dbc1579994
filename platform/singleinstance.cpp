#include "platform/singleinstance.h"

#include "platform/boundary.h"

#include <QLocalServer>
#include <QLocalSocket>

#include <unistd.h>

namespace platform {

namespace {
constexpr int kMaxCommandBytes = 256;
}

InstanceChannel::InstanceChannel(const QString& application, const QString& topic, QObject* parent)
    : QObject(parent),
      // Per user: two users of one machine each run their own copy.
      m_name(QStringLiteral("%1-%2-%3").arg(application, topic).arg(::getuid())) {}

InstanceChannel::~InstanceChannel() = default;

bool InstanceChannel::previousInstanceRunning() const {
    QLocalSocket probe;
    probe.connectToServer(m_name);
    const bool running = probe.waitForConnected(500);
    probe.abort();
    return running;
}

bool InstanceChannel::listen() {
    // Listening with access options replaces a socket file that is in the way, so a live owner is
    // looked for first; a file nobody answers on is what a crashed copy left behind.
    if (previousInstanceRunning())
        return false;
    QLocalServer::removeServer(m_name);
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_name))
        return false;
    connect(m_server.get(), &QLocalServer::newConnection, this, platform::guard("singleinstance m_server newConnection", [this] {
        while (QLocalSocket* s = m_server->nextPendingConnection()) {
            s->setParent(this);
            connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
            connect(s, &QLocalSocket::readyRead, s, platform::guard("singleinstance command", [this, s] {
                const QByteArray line = s->readLine(kMaxCommandBytes).trimmed();
                if (line.isEmpty())
                    return;
                s->disconnectFromServer();
                if (m_handler)
                    m_handler(QString::fromUtf8(line));
            }));
        }
    }));
    return true;
}

void InstanceChannel::close() { m_server.reset(); }

bool InstanceChannel::send(const QString& command, int timeoutMs) const {
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(command.toUtf8() + '\n');
    const bool written = socket.waitForBytesWritten(timeoutMs);
    socket.disconnectFromServer();
    return written;
}

void InstanceChannel::setHandler(std::function<void(const QString&)> handler) {
    m_handler = std::move(handler);
}

} // namespace platform
