#include "market/clipboardtexts.h"

#include "common/ping.h"
#include "common/appinfo.h"
#include "platform/vberror.h"

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// A failing statement is skipped and the command goes on with the next one.
template <typename F>
void skipFailure(F&& body) {
    try {
        body();
    } catch (const std::exception&) { // platform::VbError among them
    }
}

} // namespace

QString creditLine(const QString& siteUrl) {
    return QStringLiteral("由") + QString::fromUtf16(kProgramTitle) + QStringLiteral("提供 ") + siteUrl;
}

QString quoteCopyText(const QString& list, const QString& timeLine, const QString& siteUrl) {
    return list + kCrLf + timeLine + kCrLf + creditLine(siteUrl);
}

QString reportHost(const QString& dataServer) {
    QString host = dataServer;
    host.remove(QStringLiteral("http://"));
    const qsizetype slash = host.indexOf(u'/');
    return slash >= 0 ? host.left(slash) : host;
}

QString hostWithoutPort(const QString& host) {
    if (host.startsWith(u'[')) {
        const qsizetype close = host.indexOf(u']');
        return close > 0 ? host.mid(1, close - 1) : host;
    }
    const qsizetype colon = host.indexOf(u':');
    if (colon < 0 || host.indexOf(u':', colon + 1) >= 0)
        return host;
    return host.left(colon);
}

PingProbe defaultPingProbe() {
    return {[](const QString& host) { return cPing().funcGetIPFromHostName(host); },
            [](const QString& host) { return cPing().Ping(host); }};
}

QStringList reportLines(const ReportFacts& f, const PingProbe& probe) {
    const QString host = reportHost(f.dataServer);
    const auto address = [&probe](const QString& h) { return probe.address ? probe.address(h) : QString(); };
    const auto roundTrip = [&probe](const QString& h) { return probe.ping ? probe.ping(h) : 0; };
    // The report names the server as configured; its address and ping are those of the name alone.
    const QString dataHost = hostWithoutPort(host);
    const QString dataAddress = address(dataHost);
    const int32_t dataTrip = roundTrip(dataHost);
    const QString userAddress = address(f.userServerHost);
    const int32_t userTrip = roundTrip(f.userServerHost);
    return {
        QStringLiteral("程序启动时间：") + f.startTime + QStringLiteral(" 当前系统时间: ") + f.pcTime,
        QStringLiteral("行情更新时间: ") + f.quoteTime + QStringLiteral(" 已经连接配置服务器."),
        QStringLiteral("数据服务器: ") + host + QStringLiteral(" 已经自动跳转 ") + QString::number(f.serverSwitches) +
            QStringLiteral(" 次."),
        QStringLiteral("数据服务器次数:") + QString::number(f.polledLoads),
        QStringLiteral("数据服务器IP: ") + dataAddress + QStringLiteral(" 速度:") + QString::number(dataTrip),
        QStringLiteral("用户服务器: ") + f.userServerHost + u':' + QString::number(f.userServerPort) +
            QStringLiteral(" 已经自动跳转 ") + QString::number(f.userServerSwitches) + QStringLiteral(" 次."),
        QStringLiteral("用户服务器次数: ") + QString::number(f.pushedLoads),
        QStringLiteral("用户服务器IP: ") + userAddress + QStringLiteral(" 速度:") + QString::number(userTrip),
        QStringLiteral("用户服务器连接状态:") + QString::number(f.socketState),
        QStringLiteral("新闻ID:") + QString::number(f.newsId),
        QStringLiteral("当前") +
            (f.loggedIn ? QStringLiteral("已经登录,登录用户名:") + f.userName : QStringLiteral("没有登录.")),
    };
}

void copyQuote(const ClipboardHost& host, const std::function<QString()>& getList, const QString& timeLine,
               const QString& siteUrl) {
    skipFailure([&] {
        if (host.clear)
            host.clear();
    });
    QString list;
    skipFailure([&] { list = getList ? getList() : QString(); });
    const QString text = quoteCopyText(list, timeLine, siteUrl);
    skipFailure([&] {
        if (host.setText)
            host.setText(text);
    });
    skipFailure([&] {
        if (host.notify)
            host.notify(QString::fromUtf16(kQuoteCopiedText), QString::fromUtf16(kQuoteCopiedTitle), false, 3000);
    });
}

void DiagnosticReport::CopyInfo(const ClipboardHost& host, bool mainStarted,
                                const std::function<ReportFacts()>& facts, const PingProbe& probe) {
    if (ReportBusy || !mainStarted)
        return;
    ReportBusy = true;
    skipFailure([&] {
        if (host.clear)
            host.clear();
    });
    QString report;
    skipFailure([&] {
        for (const QString& line : reportLines(facts ? facts() : ReportFacts{}, probe))
            report += line + kCrLf;
    });
    skipFailure([&] {
        if (host.setText)
            host.setText(report);
    });
    skipFailure([&] {
        if (host.notify)
            host.notify(QString::fromUtf16(kReportCopiedText), QString::fromUtf16(kReportCopiedTitle), true, 0);
    });
    ReportBusy = false;
}
