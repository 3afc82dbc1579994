#include "simservice/simnews.h"

#include "platform/clock.h"
#include "platform/gbk.h"
#include "platform/vbtext.h"
#include "simservice/simpages.h"

#include <QStringList>

#include <algorithm>
#include <array>

namespace {

constexpr qint64 kSlotSeconds = 600;
// How far back a feed looks for its items: two weeks of slots.
constexpr qint64 kLookBackSlots = 14 * 144;

QDateTime origin() { return platform::naiveDateTime(QDate(2020, 1, 1)); }

quint64 mix(quint64 x) {
    x += 0x9E3779B97F4A7C15ULL;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
    return x ^ (x >> 31);
}

qint64 slotOf(const QDateTime& t) {
    const qint64 secs = origin().secsTo(t);
    return secs >= 0 ? secs / kSlotSeconds : -1;
}

// Market moves name no keyword of the configuration: only events are important enough to pop up.
constexpr std::array<const char16_t*, 10> kSubjects = {
    u"现货白银", u"白银T+D", u"美原油", u"布伦特原油", u"伦敦铂金",
    u"伦敦钯金", u"美元指数", u"离岸人民币", u"美元兑日元", u"欧元兑美元",
};
// %1: a percentage.
constexpr std::array<const char16_t*, 8> kMoves = {
    u"短线快速拉升，日内涨幅扩大至%1%",   u"短线跳水，日内跌幅扩大至%1%",
    u"窄幅震荡，多空双方陷入僵持",         u"刷新日内高点，现涨%1%",
    u"失守日内低点，现跌%1%",             u"午后买盘涌入，收复早盘全部跌幅",
    u"欧市盘初小幅走低，交投清淡",         u"亚市早盘低开高走，现涨%1%",
};
constexpr std::array<const char16_t*, 12> kEvents = {
    u"美联储官员发表讲话，暗示年内或继续维持高利率",
    u"美国非农就业人数公布，美元指数短线走高",
    u"美国上周初请失业金人数低于预期",
    u"欧洲央行宣布维持三大利率不变",
    u"美联储公布利率决议，维持联邦基金利率目标区间不变",
    u"上海黄金交易所：明日起调整部分合约保证金比例",
    u"美国公布CPI数据，通胀回落幅度超出市场预期",
    u"EIA原油库存意外减少，油价短线拉升",
    u"中国央行连续第%2个月增持黄金储备",
    u"全球最大黄金ETF持仓增加%3吨",
    u"美国非农数据不及预期，美元应声回落",
    u"国际能源署下调全年原油需求增长预期",
};
constexpr std::array<const char16_t*, 30> kHeadlines = {
    u"机构：降息预期升温，黄金中长期仍具配置价值",
    u"央行购金热潮延续，全球黄金需求创同期新高",
    u"白银工业需求旺盛，光伏用银量持续攀升",
    u"产油国维持减产协议，国际油价区间震荡",
    u"人民币对美元中间价小幅上调，汇率预期趋稳",
    u"避险情绪升温，贵金属板块全线走强",
    u"铂金供应缺口扩大，多家机构上调价格预期",
    u"美债收益率上行，黄金短期承压回落",
    u"钯金需求走弱，价格延续调整态势",
    u"银行提示：纸黄金投资需警惕价格波动风险",
    u"周评：贵金属本周先抑后扬，关注下周数据",
    u"分析师：美元指数或在关键阻力位遇阻回落",
    u"上海金溢价回升，国内实物黄金需求回暖",
    u"黄金饰品消费旺季来临，金店客流明显增加",
    u"地缘局势扰动市场，原油波动率显著放大",
    u"美联储会议纪要显示官员对通胀路径存在分歧",
    u"黄金期货成交量放大，持仓量创年内新高",
    u"白银期货夜盘走强，沪银主力合约涨逾百分之一",
    u"专家解读：利率见顶之后贵金属如何配置",
    u"海外黄金ETF连续多日净流入，市场信心回升",
    u"原油市场观察：库存下降能否支撑油价反弹",
    u"人民币汇率双向波动加大，企业避险需求上升",
    u"贵金属晨报：金价隔夜小幅收涨，银价震荡",
    u"黄金T+D递延费支付方向连续数日为空付多",
    u"美国经济数据喜忧参半，市场押注政策转向",
    u"机构调研：超六成投资者看好明年金价表现",
    u"铂钯比价处于低位，机构建议关注套利机会",
    u"国际金价站上整数关口，后市能否延续涨势",
    u"夜盘提示：今晚关注美国零售销售数据",
    u"晚间评论：美元回调，贵金属获得喘息之机",
};

// What a slot brings to a section: the second of the item inside the slot, or nothing. Each day
// opens with an item of each section a second after midnight (a time exactly at midnight would be
// written without its time), so the day's chart has a marker whatever the hour: the night is
// otherwise sparse.
std::optional<qint64> offsetInSlot(qint64 slot, int section) {
    if (slot % 144 == 0)
        return 1;
    const quint64 h = mix(static_cast<quint64>(slot) * 2 + static_cast<quint64>(section));
    const int hour = static_cast<int>(slot % 144 / 6);
    const bool day = hour >= 7;
    const int chance = section == SimNews::kBroadcasts ? (day ? 350 : 60) : (day ? 250 : 40);
    if (static_cast<int>(h % 1000) >= chance)
        return std::nullopt;
    return static_cast<qint64>((h >> 10) % 10) * 60 + static_cast<qint64>((h >> 14) % 60);
}

QString percent(quint64 h) {
    return QString::number(0.1 + static_cast<double>(h % 180) / 100.0, 'f', 2);
}

QString titleOf(qint64 slot, int section) {
    const quint64 h = mix(static_cast<quint64>(slot) * 2 + static_cast<quint64>(section) + 0x5151);
    if (section == SimNews::kNews)
        return QString::fromUtf16(kHeadlines[h % kHeadlines.size()]);
    if ((h >> 8) % 10 < 1) {
        return QString::fromUtf16(kEvents[(h >> 12) % kEvents.size()])
            .replace(QStringLiteral("%2"), QString::number(2 + (h >> 20) % 20))
            .replace(QStringLiteral("%3"), QString::number(1 + (h >> 24) % 12, 'f', 2));
    }
    return QString::fromUtf16(kSubjects[(h >> 12) % kSubjects.size()]) +
           QString::fromUtf16(kMoves[(h >> 16) % kMoves.size()]).replace(QStringLiteral("%1"), percent(h >> 24));
}

std::optional<SimNews::Item> itemOfSlot(qint64 slot, int section) {
    const auto offset = offsetInSlot(slot, section);
    if (!offset)
        return std::nullopt;
    return SimNews::Item{section, slot, origin().addSecs(slot * kSlotSeconds + *offset), titleOf(slot, section)};
}

} // namespace

std::vector<SimNews::Item> SimNews::items(int section, const QDateTime& now) {
    std::vector<Item> found;
    const qint64 last = slotOf(now);
    for (qint64 slot = last; slot >= 0 && slot > last - kLookBackSlots && found.size() < static_cast<size_t>(kFeedItems); --slot) {
        const auto it = itemOfSlot(slot, section);
        if (it && it->time <= now)
            found.push_back(*it);
    }
    return {found.rbegin(), found.rend()};
}

std::optional<SimNews::Item> SimNews::item(int section, qint64 id) {
    if (section != kBroadcasts && section != kNews)
        return std::nullopt;
    return itemOfSlot(id, section);
}

QString SimNews::feedText(const QDateTime& now, int longTitle) {
    QString text;
    for (const int section : {kBroadcasts, kNews}) {
        if (section == kNews)
            text += QStringLiteral("///");
        const std::vector<Item> found = items(section, now);
        for (size_t i = 0; i < found.size(); ++i) {
            QString title = found[i].title;
            if (section == kNews && longTitle > 0 && i + 1 == found.size() && !title.isEmpty())
                title = title.repeated(longTitle / title.size() + 1).left(longTitle);
            text += title + u',' + platform::generalDateText(found[i].time) + u',' + QString::number(found[i].id) + u'|';
        }
    }
    return text;
}

void SimNews::setLongTitle(int length) {
    longTitle_ = std::max(length, 0);
    cachedAt_ = QDateTime(); // the next answer shows it, cache or not
}

qint64 SimNews::version(const QDateTime& now) {
    const qint64 last = slotOf(now);
    for (qint64 slot = last; slot >= 0 && slot > last - kLookBackSlots; --slot) {
        // A slot may bring two items; the second one to appear moves the version on as well.
        int published = 0;
        for (const int section : {kBroadcasts, kNews}) {
            const auto it = itemOfSlot(slot, section);
            if (it && it->time <= now)
                ++published;
        }
        if (published > 0)
            return slot * 3 + published;
    }
    return 1;
}

std::optional<simpages::Page> SimNews::itemPage(int section, qint64 id) {
    const auto it = item(section, id);
    if (!it)
        return std::nullopt;
    simpages::Page page{it->title, {}};
    const QString source = section == kBroadcasts ? QStringLiteral("本站播报") : QStringLiteral("本站编辑部");
    page.body = QStringLiteral("<p>") +
                simpages::escaped(QStringLiteral("发布时间：") + platform::generalDateText(it->time) +
                                  QStringLiteral("　来源：") + source) +
                QStringLiteral("</p><p>") +
                simpages::escaped(section == kBroadcasts
                                      ? it->title + QStringLiteral("。行情瞬息万变，请以实时报价为准。")
                                      : QStringLiteral("市场人士表示，短期内贵金属价格仍将跟随美元走势和各国央行"
                                                       "的政策预期波动，投资者宜控制仓位，关注即将公布的经济数据。")) +
                QStringLiteral("</p><p>") + simpages::escaped(QStringLiteral("以上内容仅供参考，不构成投资建议。")) +
                QStringLiteral("</p>");
    return page;
}

QByteArray SimNews::answer(const QDateTime& now, bool noCache) {
    const bool fresh = cachedAt_.isValid() && cachedAt_ <= now && cachedAt_.secsTo(now) < kCacheSeconds;
    if (noCache || !fresh) {
        cached_ = platform::toGbk(feedText(now, longTitle_));
        cachedAt_ = now;
    }
    return cached_;
}
