#include "common/config.h"

#include "common/appinfo.h"
#include "common/http.h"
#include "common/log.h"
#include "common/textcodec.h"
#include "platform/vbtext.h"

namespace {

const QString kEndMarker = QStringLiteral("[/BRELTO]");

QStringList& hostOverride() {
    static QStringList h;
    return h;
}

QString versionText() { return platform::singleText(AppVer); }

// A host's answer, decoded; "" when it is empty or not a configuration at all.
QString fetchFrom(const QString& host, const QString& path) {
    const QString answer =
        GetHttpText(QStringLiteral("http://") + host + path + versionText() + QStringLiteral("&m=") + ClientId);
    if (answer.isEmpty())
        return {};
    ServerConfig = DecodeText(QString(answer).remove(QStringLiteral("\r\n")));
    return ServerConfig.contains(kEndMarker) ? ServerConfig : QString();
}

} // namespace

QStringList configurationHosts() {
    return hostOverride().isEmpty() ? configHosts() : hostOverride();
}

QString defaultServiceUrl() {
    const QStringList hosts = configurationHosts();
    return QStringLiteral("http://") + hosts.value(0, QStringLiteral("127.0.0.1")) + u'/';
}

void setConfigurationHosts(const QStringList& hosts) { hostOverride() = hosts; }

// An answer that is not a usable configuration (an error page, a text that does not decode, no
// end marker) counts as no answer, so the next host still gets its turn.
bool Loadserver() {
    const QStringList hosts = configurationHosts();
    const QString primaryPath = QStringLiteral("/cons/config.txt?v=");
    const QString mirrorPath = QStringLiteral("/brelto/cons/config.txt?v=");
    if (hosts.size() >= 1 && !fetchFrom(hosts[0], primaryPath).isEmpty())
        return true;
    WriteLog(QStringLiteral("连接2号服务器..."));
    if (hosts.size() >= 2 && !fetchFrom(hosts[1], primaryPath).isEmpty())
        return true;
    WriteLog(QStringLiteral("连接3号服务器..."));
    if (hosts.size() >= 3 && !fetchFrom(hosts[2], mirrorPath).isEmpty())
        return true;
    WriteLog(QStringLiteral("错误：初始化连接全部失败."));
    WriteLog(QStringLiteral("0: Loadserver."));
    return false;
}

QString ConValue(const QString& Key) {
    qsizetype start = -1;
    const QString versioned = u'\n' + Key + versionText() + u'=';
    if (const qsizetype at = ServerConfig.indexOf(versioned, 0, Qt::CaseInsensitive); at >= 0) {
        start = at + versioned.size();
    } else {
        const QString plain = u'\n' + Key + u'=';
        if (const qsizetype p = ServerConfig.indexOf(plain, 0, Qt::CaseSensitive); p >= 0)
            start = p + plain.size();
    }
    if (start < 0)
        return {};
    const qsizetype end = ServerConfig.indexOf(u'\r', start);
    return end < 0 ? QString() : ServerConfig.mid(start, end - start);
}
