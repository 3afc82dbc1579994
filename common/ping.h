#pragma once

#include <QString>

#include <cstdint>

// Round trip to a host with one ICMP echo, and name resolution, for the diagnostic report.
class cPing {
public:
    int32_t pingTimeout = 1000; // milliseconds an echo waits for its reply

    // First address of the host as dotted text; "" when it does not resolve. A name not starting
    // with "www." goes through the web-address normalisation first.
    [[nodiscard]] QString funcGetIPFromHostName(const QString& sHostName) const;
    // Round trip in milliseconds; -1 when no reply came (or the host does not resolve: then
    // nothing is sent); 0 when no echo can be sent here at all.
    [[nodiscard]] int32_t Ping(const QString& szAddress) const;

    // "www." added to an "http" address's host when it lacks it; the host itself with keepName,
    // else its address.
    [[nodiscard]] QString normalizePingHost(const QString& host, bool keepName) const;
    // The four dotted numbers as a 32-bit address in host order; 0 unless there are four parts.
    [[nodiscard]] static uint32_t dottedToAddress(const QString& dotted);
};
