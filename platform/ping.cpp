#include "platform/ping.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QHostInfo>

#include <arpa/inet.h>
#include <netinet/ip_icmp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

namespace platform {
namespace {

std::function<EchoResult(uint32_t, const QByteArray&, int)>& sender() {
    static std::function<EchoResult(uint32_t, const QByteArray&, int)> s;
    return s;
}
std::function<QString(const QString&)>& resolver() {
    static std::function<QString(const QString&)> r;
    return r;
}

uint16_t checksum(const unsigned char* data, size_t len) {
    uint32_t sum = 0;
    for (size_t i = 0; i + 1 < len; i += 2)
        sum += static_cast<uint32_t>(data[i] << 8 | data[i + 1]);
    if (len % 2 == 1)
        sum += static_cast<uint32_t>(data[len - 1] << 8);
    while (sum >> 16)
        sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<uint16_t>(~sum);
}

class Socket {
public:
    explicit Socket(int fd) : m_fd(fd) {}
    ~Socket() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    int fd() const { return m_fd; }

private:
    int m_fd;
};

// Sends one echo on an open ICMP socket and waits for the matching reply. A datagram socket gets
// the reply without the IP header and with the identifier the kernel chose; a raw socket sees
// every ICMP packet, IP header first, so it matches identifier and sequence itself.
EchoResult echoOn(int fd, bool raw, uint32_t address, const QByteArray& payload, int timeoutMs) {
    static uint16_t sequence = 0;
    const uint16_t id = static_cast<uint16_t>(::getpid());
    const uint16_t seq = ++sequence;

    QByteArray packet(sizeof(icmphdr) + payload.size(), '\0');
    auto* header = reinterpret_cast<icmphdr*>(packet.data());
    header->type = ICMP_ECHO;
    header->un.echo.id = htons(id);
    header->un.echo.sequence = htons(seq);
    std::memcpy(packet.data() + sizeof(icmphdr), payload.constData(), payload.size());
    header->checksum = htons(checksum(reinterpret_cast<const unsigned char*>(packet.constData()),
                                      packet.size()));

    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(address);
    QElapsedTimer clock;
    clock.start();
    if (::sendto(fd, packet.constData(), packet.size(), 0, reinterpret_cast<sockaddr*>(&to),
                 sizeof to) < 0)
        return {EchoResult::Status::NoReply, 0};

    unsigned char buffer[1500];
    for (;;) {
        const qint64 left = timeoutMs - clock.elapsed();
        if (left <= 0)
            return {EchoResult::Status::NoReply, 0};
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left)) <= 0)
            return {EchoResult::Status::NoReply, 0};
        sockaddr_in from{};
        socklen_t fromLen = sizeof from;
        const ssize_t n = ::recvfrom(fd, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from),
                                     &fromLen);
        if (n <= 0)
            continue;
        size_t offset = 0;
        if (raw) {
            offset = static_cast<size_t>(buffer[0] & 0x0F) * 4;
            if (from.sin_addr.s_addr != htonl(address))
                continue;
        }
        if (static_cast<size_t>(n) < offset + sizeof(icmphdr))
            continue;
        icmphdr reply;
        std::memcpy(&reply, buffer + offset, sizeof reply);
        if (reply.type == ICMP_DEST_UNREACH)
            return {EchoResult::Status::NoReply, 0};
        if (reply.type != ICMP_ECHOREPLY || ntohs(reply.un.echo.sequence) != seq)
            continue;
        if (raw && ntohs(reply.un.echo.id) != id)
            continue;
        return {EchoResult::Status::Reply, static_cast<int32_t>(clock.elapsed())};
    }
}

EchoResult realEcho(uint32_t address, const QByteArray& payload, int timeoutMs) {
    if (Socket dgram(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_ICMP)); dgram.fd() >= 0)
        return echoOn(dgram.fd(), false, address, payload, timeoutMs);
    if (Socket raw(::socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP)); raw.fd() >= 0)
        return echoOn(raw.fd(), true, address, payload, timeoutMs);
    return {EchoResult::Status::Unavailable, 0};
}

QString realResolve(const QString& hostName) {
    QHostAddress literal;
    if (literal.setAddress(hostName) && literal.protocol() == QAbstractSocket::IPv4Protocol)
        return literal.toString();
    const QHostInfo info = QHostInfo::fromName(hostName);
    for (const QHostAddress& a : info.addresses())
        if (a.protocol() == QAbstractSocket::IPv4Protocol)
            return a.toString();
    return {};
}

} // namespace

EchoResult icmpEcho(uint32_t address, const QByteArray& payload, int timeoutMs) {
    return sender() ? sender()(address, payload, timeoutMs) : realEcho(address, payload, timeoutMs);
}

QString resolveIPv4(const QString& hostName) {
    if (hostName.trimmed().isEmpty())
        return {};
    return resolver() ? resolver()(hostName) : realResolve(hostName);
}

void setEchoSender(std::function<EchoResult(uint32_t, const QByteArray&, int)> s) {
    sender() = std::move(s);
}
void setResolver(std::function<QString(const QString&)> r) { resolver() = std::move(r); }

} // namespace platform
