#pragma once

#include <QString>

#include <cstdint>
#include <functional>

namespace platform {

// One ICMP echo to an IPv4 address, waiting at most timeoutMs for its reply.
struct EchoResult {
    enum class Status {
        Reply,       // a reply came; rttMs holds the round trip
        NoReply,     // nothing within the time-out, or the host is unreachable
        Unavailable, // no ICMP socket may be opened here
    };
    Status status = Status::Unavailable;
    int32_t rttMs = 0;
};

// Through an unprivileged ICMP datagram socket, else a raw socket.
[[nodiscard]] EchoResult icmpEcho(uint32_t hostOrderAddress, const QByteArray& payload, int timeoutMs);
// First IPv4 address of a host name as dotted text; "" when it does not resolve.
[[nodiscard]] QString resolveIPv4(const QString& hostName);

// Tests replace both.
void setEchoSender(std::function<EchoResult(uint32_t, const QByteArray&, int)> sender);
void setResolver(std::function<QString(const QString&)> resolver);

} // namespace platform
