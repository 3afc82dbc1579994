#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

// The two clipboard commands of the main window: the current quote for pasting into chats and
// documents (Main.CopyPricestr), and the report on the program's connections that a user pastes
// to the service's support staff (Main.CopyInfo).

// The credit line under a copied quote: the product and the service's web address.
[[nodiscard]] QString creditLine(const QString& siteUrl);
// The quote block, the time line and the credit line, joined by CR LF.
[[nodiscard]] QString quoteCopyText(const QString& list, const QString& timeLine, const QString& siteUrl);

// The data server as the report names it: "http://" dropped, cut before the first "/" left.
[[nodiscard]] QString reportHost(const QString& dataServer);

// The host name of such a host for its address look-up and ping: the port after its one ":" and
// the brackets of an IPv6 literal dropped ("127.0.0.1:18631" -> "127.0.0.1", "[::1]:80" -> "::1");
// a bare IPv6 literal ("::1") has no port to drop.
[[nodiscard]] QString hostWithoutPort(const QString& host);

// What the report shows besides the two hosts' addresses and round trips.
struct ReportFacts {
    QString startTime;      // StartTime as text
    QString pcTime;         // the computer's time of day
    QString quoteTime;      // the caption of Nowtimes
    QString dataServer;     // DataServer
    int32_t serverSwitches = 0;
    int32_t polledLoads = 0;
    QString userServerHost;
    uint16_t userServerPort = 0;
    int32_t userServerSwitches = 0;
    int32_t pushedLoads = 0;
    int socketState = 0;    // Usersock's state number: 7 connected, 0 closed
    int32_t newsId = 0;
    bool loggedIn = false;
    QString userName;
};

// Name look-up and ping as the report uses them; by default cPing's.
struct PingProbe {
    std::function<QString(const QString&)> address; // dotted address, "" when it does not resolve
    std::function<int32_t(const QString&)> ping;    // round trip in ms; -1 no reply, 0 no echo here
};
[[nodiscard]] PingProbe defaultPingProbe();

// The report's eleven lines, without their line ends.
[[nodiscard]] QStringList reportLines(const ReportFacts& facts, const PingProbe& probe);

// What the two commands do with the clipboard and the notice; the main window gives the real ones.
struct ClipboardHost {
    std::function<void()> clear;
    std::function<void(const QString&)> setText;
    // The program's message box: text, title, modal, closing by itself after ms (0: never).
    std::function<void(const QString& text, const QString& title, bool modal, int autoCloseMs)> notify;
};

inline constexpr char16_t kQuoteCopiedText[] = u"已经复制了当前行情信息到剪贴板，请直接Ctrl+V在需要的位置粘帖出来即可。";
inline constexpr char16_t kQuoteCopiedTitle[] = u"复制信息";
inline constexpr char16_t kReportCopiedText[] =
    u"已复制软件环境信息到剪贴板，请把它粘贴给技术人员以帮助检查软件运行状况。";
inline constexpr char16_t kReportCopiedTitle[] = u"复制软件环境信息";

// Main.CopyPricestr: the quote block (Main.GetList), a time line and the credit on the clipboard,
// then a notice that closes by itself. A failing step is skipped. The time line is the quote's date
// and time for the quote copy, the present date and time for the menu's market copy.
void copyQuote(const ClipboardHost& host, const std::function<QString()>& getList, const QString& timeLine,
               const QString& siteUrl);

// Main.CopyInfo, with its busy flag: the look-ups and the modal notice wait, and a second report
// asked for meanwhile does nothing.
class DiagnosticReport {
public:
    // Nothing before the main window has started (mainStarted false) or while a report is on.
    void CopyInfo(const ClipboardHost& host, bool mainStarted, const std::function<ReportFacts()>& facts,
                  const PingProbe& probe);
    [[nodiscard]] bool busy() const { return ReportBusy; }

private:
    bool ReportBusy = false;
};
