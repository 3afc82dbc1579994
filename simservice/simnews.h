#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>
#include <vector>

namespace simpages {
struct Page;
}

// The service's broadcasts (section 0) and news (section 1). Items appear on a fixed timetable of
// ten-minute slots: most slots of the day bring a broadcast or a news item, few of the night do,
// so a new item arrives every few minutes of service time. Every item is a pure function of its
// slot, and the news version the snapshot carries changes exactly when one arrives.
class SimNews {
public:
    static constexpr int kBroadcasts = 0;
    static constexpr int kNews = 1;
    // Items of each section in a feed answer.
    static constexpr int kFeedItems = 40;
    // How long a cache in front of the service keeps an answer for a request that allows it.
    static constexpr int kCacheSeconds = 300;

    struct Item {
        int section = 0;
        qint64 id = 0;
        QDateTime time;
        QString title;
    };

    // The newest kFeedItems items of a section published by `now`, oldest first.
    [[nodiscard]] static std::vector<Item> items(int section, const QDateTime& now);
    // The item of a section with that id, whether published yet or not; nullopt for no such item.
    [[nodiscard]] static std::optional<Item> item(int section, qint64 id);
    // "title,yyyy-M-d H:mm:ss,id|" per item: the broadcasts, "///", the news. With a
    // `longTitle` above 0, the newest news item's title is repeated to that many characters (a
    // service that sends a whole article as a title).
    [[nodiscard]] static QString feedText(const QDateTime& now, int longTitle = 0);
    // Rises with every item published; 0 never.
    [[nodiscard]] static qint64 version(const QDateTime& now);
    // The item's page; nullopt when there is no such item.
    [[nodiscard]] static std::optional<simpages::Page> itemPage(int section, qint64 id);

    // The feed in the transport code. A request without "no-cache" gets what a cache in front of
    // the service last took, for kCacheSeconds; with it, the answer of this moment.
    [[nodiscard]] QByteArray answer(const QDateTime& now, bool noCache);
    // The length of the newest news item's title in later answers; 0 leaves titles as they are.
    void setLongTitle(int length);
    [[nodiscard]] int longTitle() const { return longTitle_; }

private:
    QByteArray cached_;
    QDateTime cachedAt_;
    int longTitle_ = 0;
};
