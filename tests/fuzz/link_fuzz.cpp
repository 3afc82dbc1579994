// The live link's push frames and the news feed: both arrive from the service in pieces the
// network cuts where it likes.
#include "tests/fuzz/fuzztarget.h"

#include "mainwindow/news.h"
#include "shell/livelink.h"
#include "state/configstate.h"
#include "state/livelink.h"
#include "state/session.h"

#include <QSet>

namespace {

// A socket that is always connected and keeps what the link writes.
class RecordingSocket : public LinkSocket {
public:
    QByteArray written;
    bool open = false;
    bool isConnected() const override { return open; }
    bool isClosed() const override { return !open; }
    void connectToHost(const QString&, uint16_t) override { open = true; }
    void close() override { open = false; }
    void write(const QByteArray& bytes) override { written += bytes; }
};

} // namespace

BRELTO_FUZZ_TARGET(pushframes) {
    if (data.isEmpty())
        return;
    const QByteArray stream = data.sliced(1).toByteArray();
    PushFrameReader whole;
    const QStringList frames = whole.take(stream);
    // However the network cuts the stream, the same frames come out in the same order.
    PushFrameReader pieces;
    QStringList cut;
    const int step = 1 + static_cast<unsigned char>(data[0]) % 17;
    for (qsizetype at = 0; at < stream.size(); at += step)
        cut += pieces.take(stream.mid(at, step));
    fuzz::check(cut == frames, "frames do not depend on where the stream was cut");
    fuzz::check(whole.inFrame() == pieces.inFrame(), "a frame under way does not depend on the cuts");
    for (const QString& f : frames)
        fuzz::check(!f.contains(QStringLiteral("/A>")), "a frame never holds its end marker");
}

BRELTO_FUZZ_TARGET(news) {
    const QString answer = fuzz::gbkText(data);
    const auto feed = news::parseFeed(answer);
    if (!feed)
        return;
    // Every item comes from one "|"-ended piece of the first two sections, kept or left out.
    const QStringList sections = answer.split(QStringLiteral("///"));
    const qsizetype pieces = sections.value(0).count(u'|') + sections.value(1).count(u'|');
    qsizetype kept = 0;
    for (const auto& section : feed->sections) {
        kept += static_cast<qsizetype>(section.size());
        for (const news::FeedItem& item : section) {
            fuzz::check(item.time.isValid(), "every item kept has a date");
            fuzz::check(!item.title.contains(u'|') && !item.title.contains(u','), "a title holds no separator");
        }
    }
    fuzz::check(feed->malformed >= 0 && kept + feed->malformed <= pieces, "items kept and left out come from pieces of the answer");

    // The window's board takes every item it has not seen once, in its own section, and an answer
    // it has taken adds nothing again.
    news::NewsBoard board;
    const QDate today(2026, 12, 10);
    const auto important = [](const QString& title) { return title.size() % 2 == 0; };
    const news::LoadResult first = board.apply(answer, false, today, true, important);
    fuzz::check(first.outcome == news::LoadResult::Outcome::Applied && first.malformed == feed->malformed,
                "a feed read is applied with its count of left-out items");
    const std::vector<news::ListRow>* rows[2] = {&first.broadcastRows, &first.newsRows};
    for (int s = 0; s < 2; ++s) {
        QSet<int32_t> parsed;
        for (const news::FeedItem& item : feed->sections[static_cast<size_t>(s)])
            parsed.insert(item.id);
        QSet<int32_t> routed;
        for (const news::ListRow& row : *rows[s]) {
            fuzz::check(parsed.contains(row.id), "a listed row is an item of its own section");
            fuzz::check(!routed.contains(row.id), "no item is listed twice");
            routed.insert(row.id);
        }
        fuzz::check(routed == parsed, "every item of a section is listed once");
        for (const int32_t id : parsed)
            fuzz::check(board.seen(s, id), "every item listed is seen");
    }
    fuzz::check(first.newItems == static_cast<int>(first.broadcastRows.size() + first.newsRows.size()),
                "the new items are the rows listed");
    fuzz::check(first.markers.size() <= static_cast<size_t>(first.newItems), "markers are among the new items");
    fuzz::check(board.newsList().size() == static_cast<qsizetype>(first.newsRows.size()) + first.popups.size(),
                "the ticker takes the news and the important broadcasts");
    const news::LoadResult again = board.apply(answer, true, today, true, important);
    fuzz::check(again.newItems == 0 && again.popups.isEmpty(), "an answer taken adds nothing again");
    fuzz::check(board.apply(answer, true, today, true, important).outcome == news::LoadResult::Outcome::Unchanged,
                "the same answer after start-up changes nothing");
}

// The live link's handshake and pushes: the first byte picks the step the rest arrives at (the
// login answer, the acceptance, or a push after it). Whatever it is, it is handled and the link
// still greets the next connection.
BRELTO_FUZZ_TARGET(pushlink) {
    if (data.isEmpty())
        return;
    const int at = static_cast<unsigned char>(data[0]) % 3;
    const QByteArray bytes = data.sliced(1).toByteArray();
    IsVip = UseRealtime = true;
    UserServerHost = QStringLiteral("h");
    UserServerPort = 1;
    RecordingSocket socket;
    LiveLinkUi ui;
    ui.currentSlot = [] { return 300; };
    ui.applyPush = [](const QString&) {};
    LiveLink link(socket, ui);
    link.LinkUser();
    link.Usersock_DataArrival("hello");
    if (at >= 1)
        link.Usersock_DataArrival("5|" + QByteArray("abcde"));
    if (at >= 2)
        link.Usersock_DataArrival("-");
    link.Usersock_DataArrival(bytes);

    link.allowAfterRefusal();
    link.LinkUser();
    socket.written.clear();
    link.Usersock_DataArrival("hello");
    fuzz::check(LinkState == 2 && !socket.written.isEmpty(), "the next connection is greeted");
    LinkState = 0;
    LinkReady = PushLost = false;
    PushData.clear();
    IsVip = UseRealtime = false;
    UserServerHost.clear();
    UserServerPort = 0;
}
