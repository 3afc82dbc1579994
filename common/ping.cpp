#include "common/ping.h"

#include "platform/ping.h"

#include <QStringList>

QString cPing::normalizePingHost(const QString& host, bool keepName) const {
    const QString head4 = host.left(4).trimmed().toLower();
    const QString head11 = host.left(11).trimmed().toLower();
    if (head4 != u"http" && head4 != u"www.")
        return host;
    QString name = host;
    if (head4 == u"http") {
        name = host.mid(7).trimmed();
        if (head11 != u"http://www.")
            name = QStringLiteral("www.") + name;
    }
    return keepName ? name : funcGetIPFromHostName(name);
}

QString cPing::funcGetIPFromHostName(const QString& sHostName) const {
    QString name = sHostName;
    if (name.left(4).trimmed().toLower() != u"www.")
        name = normalizePingHost(name, true);
    return platform::resolveIPv4(name);
}

uint32_t cPing::dottedToAddress(const QString& dotted) {
    const QStringList parts = dotted.split(u'.');
    if (parts.size() != 4)
        return 0;
    uint32_t address = 0;
    for (const QString& part : parts) {
        bool ok = false;
        const uint v = part.toUInt(&ok);
        if (!ok || v > 255)
            return 0;
        address = address << 8 | v;
    }
    return address;
}

int32_t cPing::Ping(const QString& szAddress) const {
    const QString resolved = funcGetIPFromHostName(szAddress);
    // Sending to address 0 for a host that does not resolve would only ever time out.
    if (resolved.isEmpty())
        return -1;
    const uint32_t address = dottedToAddress(normalizePingHost(resolved, false));
    if (address == 0)
        return -1;
    const platform::EchoResult r = platform::icmpEcho(address, QByteArrayLiteral("Echo This"), pingTimeout);
    switch (r.status) {
    case platform::EchoResult::Status::Reply:
        return r.rttMs;
    case platform::EchoResult::Status::NoReply:
        return -1;
    case platform::EchoResult::Status::Unavailable:
        break;
    }
    return 0;
}
