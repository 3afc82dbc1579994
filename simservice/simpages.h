#pragma once

#include "simservice/simaccounts.h"
#include "simservice/simmarket.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>

#include <optional>

// The small web pages of the service that the client shows in its web panes: quotes, fund
// holdings, the forum, bookkeeping and messages of a signed-in user, news and broadcast items,
// the advert strip and the membership pages. Each is a title and a body of plain HTML; the
// service sends them in GB2312, as the rest of its web site.
namespace simpages {

struct Page {
    QString title;
    QString body;        // HTML inside <body>, after the heading
    bool heading = true; // the advert strip is too low for one
};

// The whole document in GB2312 bytes, the charset declared in its head.
[[nodiscard]] QByteArray render(const Page& page);
[[nodiscard]] QString escaped(const QString& text);

// Every instrument's price, change, range and unit at the moment the snapshot of `now` shows.
[[nodiscard]] Page dataPage(const SimMarket& market, const QDateTime& now);
// The bank's buying and selling prices, for a user whose program cannot reach the data servers.
[[nodiscard]] Page quotePage(const SimMarket& market, const QDateTime& now);
// Holdings of the largest gold (or silver) fund over its last ten trading days.
[[nodiscard]] Page etfPage(uint32_t seed, bool silver, const QDate& lastDay);
[[nodiscard]] double etfHoldings(uint32_t seed, bool silver, const QDate& day);
[[nodiscard]] Page forumPage();
// The signed-in user's records, with the link that hands them to the program ("EVENT:" and the
// records, each followed by "|").
[[nodiscard]] Page bookkeepingPage(const std::optional<SimAccounts::Member>& member);
[[nodiscard]] Page smsPage(const std::optional<SimAccounts::Member>& member);
[[nodiscard]] Page memberHomePage(const std::optional<SimAccounts::Member>& member);
[[nodiscard]] Page profilePage(const std::optional<SimAccounts::Member>& member);
[[nodiscard]] Page loginPage();
[[nodiscard]] Page vipPage();
[[nodiscard]] Page bottomAdPage(const QString& vipUrl);
// A news item and a broadcast item by their id; any id answers with a page of its own.
[[nodiscard]] QString newsTitle(qint64 id);
[[nodiscard]] Page newsPage(qint64 id, const QDate& day);
[[nodiscard]] Page broadcastPage(qint64 id, const SimMarket& market, const QDateTime& now);
// The body of a redirect, for a browser that does not follow it by itself.
[[nodiscard]] Page redirectPage(const QString& target);

} // namespace simpages
