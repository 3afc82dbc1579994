#include "simservice/simpages.h"

#include "platform/gbk.h"
#include "platform/vbtext.h"

#include <QStringList>

#include <array>
#include <cmath>

namespace simpages {

namespace {

// Rises red, falls green, as the program's board colours them.
QString signedCell(double v, int decimals, const QString& suffix = {}) {
    const QString text = QString::number(std::abs(v), 'f', decimals) + suffix;
    if (v > 0) return QStringLiteral("<td class=\"up\">+") + text + QStringLiteral("</td>");
    if (v < 0) return QStringLiteral("<td class=\"down\">-") + text + QStringLiteral("</td>");
    return QStringLiteral("<td>") + text + QStringLiteral("</td>");
}

QString cell(const QString& text) {
    return QStringLiteral("<td>") + escaped(text) + QStringLiteral("</td>");
}

QString headRow(const QStringList& heads) {
    QString row = QStringLiteral("<tr>");
    for (const QString& h : heads)
        row += QStringLiteral("<th>") + escaped(h) + QStringLiteral("</th>");
    return row + QStringLiteral("</tr>");
}

QString row(const QString& cells) {
    return QStringLiteral("<tr>") + cells + QStringLiteral("</tr>");
}

QString table(const QStringList& heads, const QString& rows) {
    return QStringLiteral("<table>") + headRow(heads) + rows + QStringLiteral("</table>");
}

QString paragraph(const QString& text) {
    return QStringLiteral("<p>") + escaped(text) + QStringLiteral("</p>");
}

QString fixed(double v, int decimals) {
    return QString::number(v, 'f', decimals);
}

QString quoteTime(const QDateTime& now) {
    return platform::shortDateText(now.date()) + u' ' + platform::timeText(now.time());
}

// A row for each instrument the market quotes at `now`, its cells made of the instrument and quote.
template <typename MakeCells>
QString quoteRows(const SimMarket& market, const QDateTime& now, MakeCells makeCells) {
    QString rows;
    const auto& list = SimMarket::instruments();
    for (size_t n = 0; n < list.size(); ++n)
        if (const auto q = market.quote(static_cast<int>(n), now))
            rows += row(makeCells(list[n], *q));
    return rows;
}

// A page for the signed-in member only: its body made for the member, else a request to sign in.
template <typename MakeBody>
Page memberPage(const QString& title, const std::optional<SimAccounts::Member>& member,
                MakeBody makeBody) {
    return {title, member ? makeBody(*member)
                          : paragraph(QStringLiteral("请先在软件中登录，登录后即可使用本功能。"))};
}

} // namespace

QString escaped(const QString& text) {
    return text.toHtmlEscaped();
}

QByteArray render(const Page& page) {
    QString html =
        QStringLiteral("<!DOCTYPE html>\r\n<html><head>"
                       "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">"
                       "<title>");
    html += escaped(page.title);
    html += QStringLiteral(
        "</title><style>body{font:12px \"宋体\",SimSun,sans-serif;margin:8px}"
        "table{border-collapse:collapse}"
        "th,td{border:1px solid #999;padding:2px 8px;text-align:right}"
        "th{background:#eee}td:first-child{text-align:left}.up{color:red}.down{color:green}"
        "</style></head>\r\n<body>");
    if (page.heading)
        html += QStringLiteral("<h3>") + escaped(page.title) + QStringLiteral("</h3>");
    html += page.body;
    html += QStringLiteral("</body></html>\r\n");
    return platform::toGbk(html);
}

Page dataPage(const SimMarket& market, const QDateTime& now) {
    const QString rows =
        quoteRows(market, now, [](const SimMarket::Instrument& ins, const SimMarket::Quote& q) {
            const double prevClose = q.price - q.change;
            return cell(ins.name) + cell(fixed(q.price, ins.decimals)) +
                   signedCell(q.change, ins.decimals) +
                   signedCell(prevClose != 0 ? q.change / prevClose * 100 : 0, 2,
                              QStringLiteral("%")) +
                   cell(fixed(q.high, ins.decimals)) + cell(fixed(q.low, ins.decimals)) +
                   cell(ins.unit);
        });
    return {QStringLiteral("行情数据"),
            paragraph(QStringLiteral("更新时间：") + quoteTime(now)) +
                table({QStringLiteral("品种"), QStringLiteral("现价"), QStringLiteral("涨跌"),
                       QStringLiteral("涨幅"), QStringLiteral("最高"), QStringLiteral("最低"),
                       QStringLiteral("单位")},
                      rows) +
                paragraph(QStringLiteral("行情数据仅供参考，交易请以银行报价为准。"))};
}

Page quotePage(const SimMarket& market, const QDateTime& now) {
    const QString rows =
        quoteRows(market, now, [](const SimMarket::Instrument& ins, const SimMarket::Quote& q) {
            return cell(ins.name) + cell(fixed(q.price, ins.decimals)) +
                   cell(ins.spread != 0 ? fixed(q.price + ins.spread, ins.decimals)
                                        : QStringLiteral("-")) +
                   signedCell(q.change, ins.decimals);
        });
    return {QStringLiteral("网页行情"),
            paragraph(QStringLiteral("银行买入价与卖出价，") + quoteTime(now)) +
                table({QStringLiteral("品种"), QStringLiteral("买入价"), QStringLiteral("卖出价"),
                       QStringLiteral("涨跌")},
                      rows)};
}

// Holdings drift in slow waves whose phase depends on the seed, so each service has its own
// history and every day's figure is the same whenever it is asked.
double etfHoldings(uint32_t seed, bool silver, const QDate& day) {
    const double base = silver ? 14800.0 : 1050.0;
    const double t = static_cast<double>(day.toJulianDay() + seed % 97);
    const double v =
        base * (1.0 + 0.04 * std::sin(t / 37.0) + 0.012 * std::sin(2.0 * t / 11.0 + 1.0));
    return std::round(v * 100.0) / 100.0;
}

Page etfPage(uint32_t seed, bool silver, const QDate& lastDay) {
    QString rows;
    QDate d = lastDay;
    for (int n = 0; n < 10 && d.isValid(); ++n) {
        const QDate before = SimMarket::previousTradingDate(d);
        const double held = etfHoldings(seed, silver, d);
        rows += row(cell(platform::shortDateText(d)) + cell(fixed(held, 2)) +
                    signedCell(held - etfHoldings(seed, silver, before), 2));
        d = before;
    }
    return {silver ? QStringLiteral("白银ETF持仓") : QStringLiteral("黄金ETF持仓"),
            paragraph(silver ? QStringLiteral("全球最大白银ETF近十个交易日的持仓变化。")
                             : QStringLiteral("全球最大黄金ETF近十个交易日的持仓变化。")) +
                table({QStringLiteral("日期"), QStringLiteral("持仓量(吨)"),
                       QStringLiteral("增减(吨)")},
                      rows)};
}

Page forumPage() {
    static const std::array<std::array<const char16_t*, 3>, 6> kThreads = {{
        {u"今晚非农数据前瞻，黄金怎么走？", u"金色年华", u"128"},
        {u"白银T+D夜盘放量，多空分歧加大", u"银河漫步", u"56"},
        {u"纸黄金定投一年的心得", u"稳稳的幸福", u"203"},
        {u"美元指数回落，贵金属能否企稳", u"老张看盘", u"41"},
        {u"原油库存意外下降，油价短线反弹", u"石油小王子", u"37"},
        {u"新手请教：账户金和T+D有什么区别", u"初来乍到", u"89"},
    }};
    QString rows;
    for (const auto& t : kThreads)
        rows += row(cell(QString::fromUtf16(t[0])) + cell(QString::fromUtf16(t[1])) +
                    cell(QString::fromUtf16(t[2])));
    return {
        QStringLiteral("贵金属论坛"),
        paragraph(QStringLiteral("交流行情心得，理性投资。")) +
            table({QStringLiteral("主题"), QStringLiteral("作者"), QStringLiteral("回复")}, rows)};
}

Page bookkeepingPage(const std::optional<SimAccounts::Member>& member) {
    return memberPage(QStringLiteral("记账"), member, [](const SimAccounts::Member& m) -> QString {
        QString rows;
        QString handOver;
        for (const QString& record : m.records.split(u'/', Qt::SkipEmptyParts)) {
            const QStringList f = record.split(u',');
            if (f.size() < 5) continue;
            const int i = SimMarket::indexOf(f[0]);
            rows +=
                row(cell(i >= 0 ? SimMarket::instruments()[static_cast<size_t>(i)].name : f[0]) +
                    cell(f[1]) + cell(f[2]) + cell(f[3]) + cell(f[4]));
            handOver += record + u'|';
        }
        const QString greeting =
            paragraph(m.name + QStringLiteral("，您好！以下是您保存在本站的记账记录。"));
        if (rows.isEmpty()) return greeting + paragraph(QStringLiteral("暂无记账记录。"));
        return greeting +
               table({QStringLiteral("品种"), QStringLiteral("多单数量"),
                      QStringLiteral("多单均价"), QStringLiteral("空单数量"),
                      QStringLiteral("空单均价")},
                     rows) +
               QStringLiteral("<p><a href=\"EVENT:") + escaped(handOver) +
               QStringLiteral("\">同步到软件</a></p>");
    });
}

Page smsPage(const std::optional<SimAccounts::Member>& member) {
    return memberPage(QStringLiteral("短信提醒"), member, [](const SimAccounts::Member& m) {
        const QString vipOnly = m.vip ? QStringLiteral("已开通") : QStringLiteral("VIP会员专享");
        return paragraph(m.name + QStringLiteral("，您好！绑定手机后可以收到价格提醒短信。")) +
               table({QStringLiteral("短信服务"), QStringLiteral("状态")},
                     row(cell(QStringLiteral("到价提醒")) + cell(QStringLiteral("未绑定手机"))) +
                         row(cell(QStringLiteral("每日早评")) + cell(vipOnly)) +
                         row(cell(QStringLiteral("重要数据提示")) + cell(vipOnly)));
    });
}

Page memberHomePage(const std::optional<SimAccounts::Member>& member) {
    return memberPage(QStringLiteral("会员中心"), member, [](const SimAccounts::Member& m) {
        return table({QStringLiteral("项目"), QStringLiteral("内容")},
                     row(cell(QStringLiteral("用户名")) + cell(m.name)) +
                         row(cell(QStringLiteral("会员类型")) +
                             cell(m.vip ? QStringLiteral("VIP会员") : QStringLiteral("普通会员"))));
    });
}

Page profilePage(const std::optional<SimAccounts::Member>& member) {
    return memberPage(QStringLiteral("修改资料"), member, [](const SimAccounts::Member& m) {
        return paragraph(QStringLiteral("用户名：") + m.name) +
               paragraph(QStringLiteral("如需修改密码或绑定的手机号码，请联系客服。"));
    });
}

Page loginPage() {
    return {QStringLiteral("用户登录"),
            paragraph(QStringLiteral("请在软件中登录后再访问本页面。"))};
}

Page vipPage() {
    // Each a thing only members have.
    const auto vipOnly = [](const QString& what) {
        return row(cell(what) + cell(QStringLiteral("无")) + cell(QStringLiteral("有")));
    };
    return {
        QStringLiteral("VIP会员"),
        paragraph(QStringLiteral("升级VIP会员，行情实时推送，不错过每一次波动。")) +
            table({QStringLiteral("功能"), QStringLiteral("普通会员"), QStringLiteral("VIP会员")},
                  vipOnly(QStringLiteral("实时推送行情")) +
                      vipOnly(QStringLiteral("三日走势叠加")) +
                      vipOnly(QStringLiteral("价格提醒保存")))};
}

Page bottomAdPage(const QString& vipUrl) {
    Page p{QStringLiteral("广告"), {}, false};
    p.body = QStringLiteral("<p><a href=\"") + escaped(vipUrl) +
             QStringLiteral("\" target=\"_blank\">") +
             escaped(QStringLiteral("升级VIP会员，享受实时行情推送与三日走势图。")) +
             QStringLiteral("</a></p>");
    return p;
}

namespace {

constexpr std::array<const char16_t*, 16> kHeadlines = {
    u"美联储维持利率不变，金价高位震荡",      u"非农数据不及预期，美元指数回落",
    u"上海黄金交易所调整黄金T+D保证金比例",   u"全球央行连续增持黄金储备",
    u"原油库存意外下降，油价短线走高",        u"人民币对美元中间价小幅上调",
    u"白银工业需求旺盛，银价创阶段新高",      u"避险情绪升温，贵金属全线走强",
    u"美国CPI数据公布在即，市场观望情绪浓厚", u"产油国维持减产协议，布伦特原油企稳",
    u"铂金供应缺口扩大，机构上调价格预期",    u"黄金ETF持仓连续三日增加",
    u"美债收益率上行，金价承压回落",          u"钯金需求走弱，价格延续调整",
    u"纸黄金投资者增多，银行提示投资风险",    u"周评：贵金属本周先抑后扬",
};

size_t pick(qint64 id, size_t count) {
    const qint64 n = static_cast<qint64>(count);
    return static_cast<size_t>(((id % n) + n) % n);
}

} // namespace

QString newsTitle(qint64 id) {
    return QString::fromUtf16(kHeadlines[pick(id, kHeadlines.size())]);
}

Page newsPage(qint64 id, const QDate& day) {
    Page p{newsTitle(id), {}};
    p.body = paragraph(QStringLiteral("发布时间：") + platform::shortDateText(day) +
                       QStringLiteral("　来源：本站编辑部")) +
             paragraph(QStringLiteral(
                 "市场人士表示，短期内贵金属价格仍将跟随美元走势和各国央行的政策预期波动，"
                 "投资者宜控制仓位，关注即将公布的经济数据。")) +
             paragraph(QStringLiteral("以上内容仅供参考，不构成投资建议。"));
    return p;
}

Page broadcastPage(qint64 id, const SimMarket& market, const QDateTime& now) {
    const auto& list = SimMarket::instruments();
    const size_t n = pick(id, list.size());
    const SimMarket::Instrument& ins = list[n];
    Page p{QStringLiteral("行情播报"), {}};
    const auto q = market.quote(static_cast<int>(n), now);
    if (!q) {
        p.body = paragraph(QStringLiteral("暂无播报。"));
        return p;
    }
    const QString move = q->change > 0   ? QStringLiteral("上涨") + fixed(q->change, ins.decimals)
                         : q->change < 0 ? QStringLiteral("下跌") + fixed(-q->change, ins.decimals)
                                         : QStringLiteral("持平");
    p.body = paragraph(QStringLiteral("【") + quoteTime(now) + QStringLiteral("】") + ins.name +
                       QStringLiteral("现报") + fixed(q->price, ins.decimals) + ins.unit +
                       QStringLiteral("，较上一交易日") + move + QStringLiteral("，今日最高") +
                       fixed(q->high, ins.decimals) + QStringLiteral("，最低") +
                       fixed(q->low, ins.decimals) + QStringLiteral("。"));
    return p;
}

Page redirectPage(const QString& target) {
    Page p{QStringLiteral("正在跳转"), {}};
    p.body = QStringLiteral("<p>") + escaped(QStringLiteral("正在跳转，请稍候……")) +
             QStringLiteral("<a href=\"") + escaped(target) + QStringLiteral("\">") +
             escaped(QStringLiteral("如果没有自动跳转，请点击这里")) + QStringLiteral("</a></p>");
    return p;
}

} // namespace simpages
