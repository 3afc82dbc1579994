// The live link's push frames and the news feed: both arrive from the service in pieces the
// network cuts where it likes.
#include "tests/fuzz/fuzztarget.h"

#include "mainwindow/news.h"
#include "shell/livelink.h"

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
    const auto feed = news::parseFeed(fuzz::gbkText(data));
    if (!feed)
        return;
    for (const auto& section : feed->sections)
        for (const news::FeedItem& item : section)
            fuzz::check(item.time.isValid(), "every item kept has a date");
    fuzz::check(feed->malformed >= 0, "the count of left-out items is a count");
}
