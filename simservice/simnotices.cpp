#include "simservice/simnotices.h"

#include "platform/vbtext.h"

namespace {

// Only the newest are handed out; a client that missed more has missed them.
constexpr size_t kBoardLimit = 20;

} // namespace

SimNotices::SimNotices(const QDateTime& now) {
    add(2, QStringLiteral("1尊敬的VIP会员：实时推送行情服务器已完成升级，推送更快更稳定。"),
        now.addDays(-3));
    add(5, QStringLiteral("1节假日安排：国际市场休市期间，部分品种暂停报价，请合理安排交易。"),
        now.addDays(-1));
    add(0,
        QStringLiteral(
            "1欢迎使用Quillor贵金属行情，今晚20:30将公布美国非农就业数据，请注意行情波动。"),
        now.addSecs(-3600));
}

qint64 SimNotices::add(int kind, const QString& text, const QDateTime& when) {
    board_.push_back(Notice{++lastId_, kind, platform::generalDateText(when), text});
    if (board_.size() > kBoardLimit) board_.erase(board_.begin());
    return lastId_;
}

void SimNotices::clear() {
    board_.clear();
}

QString SimNotices::answer(const std::function<QString(const QString&)>& encode) const {
    QString out;
    for (const Notice& n : board_)
        out += QStringLiteral("%1|%2|%3|%4||").arg(n.id).arg(n.kind).arg(n.stamp, encode(n.text));
    return out;
}
