#include "market/quoterun.h"

#include "common/appinfo.h"
#include "common/http.h"
#include "common/log.h"
#include "common/shellhelpers.h"
#include "common/storedlists.h"
#include "common/textcodec.h"
#include "common/tradingday.h"
#include "market/alerts.h"
#include "market/historytext.h"
#include "state/livelink.h"
#include "state/quotetables.h"
#include "platform/clock.h"
#include "platform/eventwait.h"
#include "platform/msgbox.h"
#include "platform/process.h"
#include "platform/vberror.h"
#include "platform/vbtext.h"
#include "state/configstate.h"
#include "state/session.h"
#include "state/usersettings.h"

#include <QStringList>

#include <algorithm>
#include <array>
#include <optional>

namespace {

using platform::VbError;

const QString kCharset = QStringLiteral("GB2312");
const QString kUpdateFailed = QStringLiteral("更新失败.");
constexpr int kResetDelaySecs = 4 * 60; // two 2-minute slots after the day's start

QString withoutLineBreaks(QString text) {
    return text.remove(QStringLiteral("\r\n"));
}

// A fresh random fraction for the cache-defeating "rnd" of a request.
QString randomText() {
    platform::Randomize();
    return platform::singleText(platform::Rnd());
}

// Lenient number fields: the leading number, 0 when there is none.
float leniently(QStringView text) {
    return platform::CSng(platform::Val(text));
}

VbError subscriptError() {
    try {
        platform::raiseSubscript();
    } catch (const VbError& e) {
        return e;
    }
}

// One instrument row, "name,price,change,high,low,code,spread". Every field is read before any
// is stored, so a bad row leaves its instrument as the last good snapshot had it.
void readRow(int i, QStringView text) {
    // The first seven fields, found in place: a list per row was a tenth of the run.
    std::array<QStringView, 7> f;
    size_t count = 0;
    for (qsizetype start = 0; count < f.size(); ++count) {
        const qsizetype comma = text.indexOf(u',', start);
        f[count] = comma < 0 ? text.sliced(start) : text.sliced(start, comma - start);
        if (comma < 0) {
            ++count;
            break;
        }
        start = comma + 1;
    }
    if (count < f.size())
        platform::raiseSubscript();
    // Price and change are read strictly, as the previous close is formed from them; a strict
    // number reads the same leniently.
    const double priceValue = platform::CDbl(f[1]);
    const double changeValue = platform::CDbl(f[2]);
    const float price = platform::CSng(priceValue);
    const float change = platform::CSng(changeValue);
    const float prevClose = platform::CSng(priceValue - changeValue);
    const float high = leniently(f[3]);
    const float low = leniently(f[4]);
    const float spread = platform::CSng(f[6]);
    ProdPrice[i][0] = price;
    ProdPrev[i] = change;
    ProdPrevClose[i] = prevClose;
    ProdHigh[i] = high;
    ProdLow[i] = low;
    ProdOpen[i] = 0;
    // Names and codes rarely change between snapshots: kept texts spare an allocation per row.
    if (f[0].size() > kLongestInstrumentName) {
        if (QString name = instrumentName(f[0]); ProdName[i] != name)
            ProdName[i] = std::move(name);
    } else if (ProdName[i] != f[0]) {
        ProdName[i] = f[0].toString();
    }
    if (ProdCode[i] != f[5])
        ProdCode[i] = f[5].toString();
    ProdSpread[i] = spread;
}

// The three days of instrument i from one intraday answer; false when the answer is unusable.
// The whole answer is read before anything is stored, so a refused one leaves the days it would
// have replaced as they were.
bool readThreeDays(int i, const QString& raw) {
    // Shorter answers are server error texts, never three days of prices.
    if (raw.size() <= 99)
        return false;
    AnswerText = DecodeText(withoutLineBreaks(raw));
    const QStringList parts = AnswerText.split(u'|');
    if (parts.size() != 3)
        return false;
    std::array<DaySeries, 3> days;
    for (int p = 0; p < 3; ++p)
        days[p] = readDay(parts[p]);
    if (days[0].list.isEmpty())
        return false;
    const QString today =
        ServerNow.isValid() ? platform::shortDateText(ServerNow.addSecs(-DayStartHour * 3600).date()) : QString();
    // Today's missing slots are filled only up to now: later slots are still to come. In the
    // day's first slot nothing lies before now, and FillZeros would read its count 0 as the
    // whole list, drawing the day flat at the opening price.
    if (platform::shortDateText(days[0].date.date()) == today) {
        if (const int16_t now = NowSlot720(); now > 0)
            days[0].list = FillZeros(days[0].list, now);
    }
    for (int p = 1; p < 3; ++p)
        days[p].list = FillZeros(days[p].list, -1);
    for (int p = 0; p < 3; ++p) {
        ProdSeries[i][p] = days[p].list;
        ProdSeriesDate[i][p] = days[p].date;
    }
    for (int p = 1; p < 3; ++p)
        ProdPrice[i][p] = ListLastNonZero(ProdSeries[i][p]);
    return true;
}

// A stored instrument beyond the market (chosen on a larger one, or a default the market does
// not reach) is brought into it. It wraps round rather than sticking at the last instrument, so
// two neighbouring choices, like the twin charts' defaults, stay two instruments.
int16_t inMarket(int16_t index, int count) {
    if (index < 0)
        return 0;
    return static_cast<int16_t>(index % count);
}

bool validProduct(int i) { return i >= 0 && i < kMaxProducts; }

// Replaces item `index` of a comma list in place; false when the list has no such item. The day's
// list is long and only one item changes, so it is never split.
bool replaceItem(QString& list, double index, const QString& text) {
    if (index < 0 || index >= static_cast<double>(list.size()) + 1)
        return false;
    // One pass over the characters: an indexOf per item costs more than the items are long.
    const char16_t* const begin = reinterpret_cast<const char16_t*>(list.constData());
    const char16_t* const stop = begin + list.size();
    const char16_t* p = begin;
    for (auto k = static_cast<qsizetype>(index); k > 0; --k) {
        p = std::find(p, stop, u',');
        if (p == stop)
            return false;
        ++p;
    }
    const qsizetype start = p - begin;
    const qsizetype length = std::find(p, stop, u',') - p;
    if (length == text.size()) {
        // The live point mostly keeps its width: written over in place, the list is not moved.
        if (QStringView(list).sliced(start, length) != text)
            std::copy(text.cbegin(), text.cend(), list.begin() + start);
        return true;
    }
    list.replace(start, length, text);
    return true;
}

} // namespace

void QuoteRun::setStatus(const QString& text) {
    status_ = text;
    view_.setStatus(text);
}

QString QuoteRun::serverUrl(const QString& query) const {
    return DataServer + QStringLiteral("?ver=") + platform::singleText(AppVer) + query;
}

void QuoteRun::resumeTimer1() {
    if (!loadDataBusy_)
        view_.setTimerEnabled(MarketTimer::Timer1, true);
}

void QuoteRun::logFault(int number, const QString& description) {
    WriteLog(QString::number(number) + u':' + description + QStringLiteral(">LoadData>>") +
             QString::number(StepMark));
}

void QuoteRun::LoadData(const QString& VipData) {
    if (!ConfigLoaded)
        return;
    if (loadDataBusy_) {
        if (VipData.contains(u'|') || !PushData.isEmpty())
            pushWaiting_ = true;
        return;
    }
    loadDataBusy_ = true;
    runOnce(VipData);
    // A push that arrived while the run waited on the network is newer than what it applied.
    while (pushWaiting_) {
        pushWaiting_ = false;
        if (!PushData.isEmpty())
            runOnce({});
    }
    loadDataBusy_ = false;
}

void QuoteRun::runOnce(const QString& VipData) {
    StepMark = 0;
    firstLoadThisRun_ = false;
    runNewsVersion_ = 0;
    try {
        view_.setTimerEnabled(MarketTimer::Timer1, false);
        StepMark = 1;
        newTradingDay();
        StepMark = 4;

        QString answer = VipData;
        // A push is taken once, whether used or not; an old one would only get older.
        if (!PushData.isEmpty()) {
            if (pushIsFresh(ServerNow))
                answer = PushData;
            PushData.clear();
        }
        if (answer.contains(u'|')) {
            StepMark = 6;
            AnswerText = answer; // pushed texts come unscrambled
        } else {
            StepMark = 5;
            fetchSnapshot();
        }

        if (!AnswerText.contains(u'|')) {
            setStatus(kUpdateFailed);
            tail();
            return;
        }
        if (AnswerText.contains(u'<')) {
            view_.setTimerEnabled(MarketTimer::Timer1, true);
            return;
        }
        StepMark = 8;
        readSnapshot();
        StepMark = 11;
        firstCompleteLoad();
        StepMark = 12;
        refreshInstruments();
        StepMark = 13;
        sampleTicks();
        tail();
    } catch (const VbError& e) {
        logFault(e.number, e.description);
        view_.setTimerEnabled(MarketTimer::Timer1, true);
    }
}

void QuoteRun::fetchSnapshot() {
    for (;;) {
        const QString url = serverUrl(QStringLiteral("&m=now-price&rnd=") + randomText());
        const QString raw = withoutLineBreaks(GetHttpText(url, {}, HttpTimeoutSec, kCharset));
        // An answer that does not decode is no better than none: the next server is asked.
        AnswerText = raw.isEmpty() ? QString() : DecodeText(raw);
        if (!AnswerText.isEmpty())
            return;
        if (NoPrevInstance)
            WriteLog(QStringLiteral("加载失败:") + url);
        setStatus(QStringLiteral("失败,切换服务器."));
        if (!ChangServer())
            return;
    }
}

void QuoteRun::newTradingDay() {
    if (!ServerNow.isValid())
        return;
    // The day's reset waits for slot 2 (06:04), when the servers have rolled their series over.
    // Comparing trading dates rather than slots also resets after a machine slept through that
    // slot, and lets the weekend, Monday's small hours included, pass without one.
    const QDate day = tradingDate(ServerNow.addSecs(-kResetDelaySecs));
    if (!LastResetDay.isValid()) {
        LastResetDay = day;
        return;
    }
    if (day == LastResetDay)
        return;
    LastResetDay = day;
    view_.ClearD();
    for (auto& days : ProdSeries)
        for (QString& list : days)
            list.clear();
    // The daily histories end with the day before too: the K-line and the long-range charts
    // fetch them again when next drawn, so the new day's row is there.
    for (int i = 0; i < kMaxProducts; ++i) {
        ProdDayText[i].clear();
        ProdDayCloses[i].clear();
        ProdDayDates[i].clear();
    }
    LineLoaded = false;
    LoadAllData(-1);
}

void QuoteRun::readSnapshot() {
    // Views into a copy of its own: the loaders called below replace AnswerText.
    const QString text = AnswerText;
    const QList<QStringView> parts = QStringView(text).split(u'|');
    const QList<QStringView> head = parts[0].split(u',');
    if (head.size() < 6)
        platform::raiseSubscript();
    RmbRate = leniently(head[1]);
    runNewsVersion_ = platform::CLng(platform::Val(head[2]));
    QuoteDate = head[3].toString();
    QuoteTime = head[4].toString();
    runSlot_ = platform::Val(head[5]);
    view_.setQuoteTime(QuoteTime);

    // The last part follows the final "|" and is not a row.
    const int rows = static_cast<int>(parts.size()) - 2;
    ProdCount = std::min(rows, kMaxProducts);
    ProdLast = ProdCount - 1;

    StepMark = 9;
    view_.ensureBoardRows(ProdCount);

    StepMark = 10;
    // The lists are filled from the first snapshot that lists instruments.
    const bool fill = !listsFilled_ && ProdCount > 0;
    for (int i = 0; i < ProdCount; ++i) {
        try {
            readRow(i, parts[i + 1]);
        } catch (const VbError& e) {
            logFault(e.number, e.description);
        }
        // Even a bad row takes its place, so list positions stay instrument indices.
        if (fill)
            view_.addInstrument(i, ProdName[i]);
    }
    // Only 31 instruments fit the tables; further rows are left out.
    if (rows > kMaxProducts) {
        const VbError e = subscriptError();
        logFault(e.number, e.description);
    }
    if (fill)
        fillInstrumentLists(ProdCount);
}

void QuoteRun::fillInstrumentLists(int rows) {
    view_.fitShortList();
    const std::pair<InstrumentSelector, int16_t*> stored[] = {
        {InstrumentSelector::Current, &CurProd},         {InstrumentSelector::Pane2, &Pane2Prod},
        {InstrumentSelector::Pane3, &Pane3Prod},         {InstrumentSelector::Pane4, &Pane4Prod},
        {InstrumentSelector::Right1, &RightChart1Prod}, {InstrumentSelector::Right2, &RightChart2Prod},
    };
    // The choice in use and its selector agree from here on; the settings keep what is in use.
    for (const auto& [selector, index] : stored) {
        *index = inMarket(*index, rows);
        view_.selectInstrument(selector, *index);
    }
    view_.CheckMenu(CurProd);
    listsFilled_ = true;
}

void QuoteRun::firstCompleteLoad() {
    if (AllDataLoaded)
        return;
    LoadAllData(-1);
    LoadHoldings();
    ExtShow = QList<bool>(ProdCount, false);
    LoadExt();
    firstLoadThisRun_ = true;
}

void QuoteRun::refreshInstruments() {
    const double slot = platform::Round(runSlot_);
    bool slotFaultLogged = false;
    for (int i = 0; i < ProdCount; ++i) {
        QString& today = ProdSeries[i][0];
        if (ProdPrice[i][0] != 0 && !today.isEmpty()) {
            if (!replaceItem(today, slot, platform::singleText(ProdPrice[i][0])) && !slotFaultLogged) {
                // A slot outside today's list names no point of it; the rest of the run goes on.
                const VbError e = subscriptError();
                logFault(e.number, e.description);
                slotFaultLogged = true;
            }
        }
        const QuoteBoard::Refresh r = board_.refreshRow(i);
        view_.setShortListRow(i, r.shortList);
        view_.setBoardRow(i, r.row);
        if (r.fault)
            logFault(r.fault->number, r.fault->description);
    }
}

void QuoteRun::sampleTicks() {
    if (!validProduct(CurProd) || ProdPrice[CurProd][0] == 0)
        return;
    if (TickCount < kMaxTicks) {
        StepMark = 25;
        ++TickCount;
    } else {
        StepMark = 26;
        for (int j = 0; j <= ProdLast; ++j)
            std::copy(ProdTick[j].begin() + 2, ProdTick[j].end(), ProdTick[j].begin() + 1);
        // Moved, not copied: a full window shifts every run, and copying its texts was a tenth of
        // the run.
        std::move(TickTime.begin() + 2, TickTime.end(), TickTime.begin() + 1);
    }
    for (int j = 0; j <= ProdLast; ++j)
        ProdTick[j][TickCount] = ProdPrice[j][0];
    TickTime[TickCount] = QuoteDate + u' ' + QuoteTime;
}

void QuoteRun::tail() {
    StepMark = 34;
    view_.UpdateImg();
    refreshQuoteTexts();
    StepMark = 38;
    if (TxCount != 0) {
        bool fired = false;
        for (const MetAlert& alert : metAlerts()) {
            // An alert has fired only once the user has been shown it.
            if (!view_.CustRing(alert.text))
                continue;
            TxProd[alert.k] = -1;
            fired = true;
        }
        if (fired) {
            SaveTx();
            LoadTx();
        }
    }
    StepMark = 39;
    if (!view_.linkConnected() && !UserServerHost.isEmpty() && MainStarted && UseRealtime) {
        view_.UnLinkUser();
        view_.LinkUser();
    }
    StepMark = 40;
    if (runNewsVersion_ != NewsId && MainStarted) {
        view_.LoadNews();
        NewsId = runNewsVersion_;
    }
    if (firstLoadThisRun_) {
        view_.setLiveBoxEnabled(true);
        if (IsVip) {
            view_.setLiveBoxTicked(true);
            view_.Check12_MouseUp(1, 0, 0, 0);
        }
    }
    view_.setTimerEnabled(MarketTimer::Timer1, true);
}

void QuoteRun::refreshQuoteTexts() {
    StepMark = 35;
    DoCaption();
    StepMark = 36;
    TrayTipText = GetList();
    StepMark = 37;
    if (TrayQuote)
        view_.TraySetTip(TrayTipText);
}

void QuoteRun::currentInstrumentChanged() {
    // The last price seen was another instrument's: no direction until this one moves.
    texts_.MainViewTag.clear();
    refreshQuoteTexts();
    // Every road to another instrument (selector, tray menu, board) passes here.
    view_.CheckMenu(CurProd);
}

void QuoteRun::DoCaption() {
    const auto captions = texts_.DoCaption();
    if (!captions)
        return;
    view_.setPositionCaption(captions->web5info);
    if (ShowMini) {
        const int16_t direction = texts_.IsUD();
        view_.SetCaption(captions->priceCaption, direction, texts_.ChangeText, captions->moneyLine);
    }
}

QString QuoteRun::GetList(int16_t) const {
    return QuoteTexts::GetList();
}

bool QuoteRun::ChangServer() {
    ++ServerSwitches;
    const auto last = static_cast<int>(ServerList.size()) - 2; // the entry after the final "|" is empty
    if (DataServerIndex != -1 && ++DataServerIndex > last)
        DataServerIndex = 0;
    const bool backAtStart = DataServerIndex == DataServerStart || DataServerIndex == -1;
    if (backAtStart)
        DataServerIndex = DataServerStart;
    if (DataServerIndex >= 0 && DataServerIndex < ServerList.size())
        DataServer = ServerList[DataServerIndex];
    WriteLog(QStringLiteral("Change Server to:") + DataServer);
    return !backAtStart;
}

void QuoteRun::LoadAllData(int16_t LaDefault) {
    // Held through the fail-over and the question too: a nested run would ask a second time.
    if (LoadAllBusy)
        return;
    const int16_t i = LaDefault == -1 ? CurProd : LaDefault;
    if (!hasProductCode(i))
        return;
    LoadAllBusy = true;
    view_.setTimerEnabled(MarketTimer::Timer1, false);
    for (;;) {
        setStatus(QStringLiteral("加载日数据.."));
        bool loaded = false;
        try {
            const QString url = serverUrl(QStringLiteral("&m=P-") + ProductCode(i));
            loaded = readThreeDays(i, GetHttpText(url, {}, HttpTimeoutSec, kCharset));
        } catch (const VbError& e) {
            WriteLog(QString::number(e.number) + u':' + e.description + QStringLiteral(">LoadALLData"));
        }
        if (loaded) {
            AllDataLoaded = true;
            LoadAllBusy = false;
            resumeTimer1();
            return;
        }
        if (ChangServer())
            continue;
        // A program that is ending asks nothing and opens no web page.
        if (platform::programEnding()) {
            LoadAllBusy = false;
            return;
        }
        const QString question =
            QStringLiteral("加载图表数据失败,点击[是]将进行重试连接,点击[否]将退出程序并打开进入网站浏览行情.\r\n"
                           "请确认是否已经正确连接网络,或者远程服务器暂时性故障,请过一段时间再试.\r\n"
                           "如果是第一次启动程序看到此提示，请尝试关闭所有软件网络防火墙和系统的网络防火墙再试一次.");
        if (platform::messageBox(question, QString(), platform::BoxButtons::YesNo, platform::BoxIcon::Question) ==
            platform::BoxAnswer::Yes)
            continue;
        setStatus(QStringLiteral("加载数据失败."));
        WriteLog(QStringLiteral("加载数据失败，进入网页模式。"));
        (void)OpenUrl(BackupWebUrl);
        LoadAllBusy = false;
        platform::endProgram();
        return;
    }
}

void QuoteRun::Load10Day(int16_t& L10Dnum) {
    if (!ConfigLoaded || Load10Busy)
        return;
    if (L10Dnum == -1)
        L10Dnum = CurProd;
    const int i = L10Dnum;
    if (!hasProductCode(i))
        return;
    Load10Busy = true;
    view_.setTimerEnabled(MarketTimer::Timer1, false);
    setStatus(QStringLiteral("加载10天数据.."));
    // The daily history is fetched again when next needed.
    ProdDayCloses[i].clear();
    ProdDayDates[i].clear();
    try {
        const QString raw =
            GetHttpText(serverUrl(QStringLiteral("&m=P10-") + ProdCode[i]), {}, HttpTimeoutSec, kCharset);
        if (!raw.isEmpty()) {
            const QStringList parts = fillTenDayGaps(DecodeText(withoutLineBreaks(raw))).split(u'|');
            if (parts.size() >= 7) {
                for (int p = 0; p < 7; ++p) {
                    const DaySeries day = readDay(parts[p]);
                    ProdSeries[i][3 + p] = day.list;
                    ProdSeriesDate[i][3 + p] = day.date;
                }
            }
        }
    } catch (const VbError&) {
        // Days already stored stay stored.
    }
    resumeTimer1();
    Load10Busy = false;
}

void QuoteRun::LoadLine(int16_t& LLnums) {
    if (!ConfigLoaded)
        return;
    if (LLnums == -1)
        LLnums = CurProd;
    const int i = LLnums;
    if (!hasProductCode(i) || !ProdDayCloses[i].isEmpty() || LoadLineBusy)
        return;
    LoadLineBusy = true;
    view_.setTimerEnabled(MarketTimer::Timer1, false);
    setStatus(QStringLiteral("加载月数据.."));
    ProdDayCloses[i].clear();
    ProdDayDates[i].clear();
    const QString url = serverUrl(QStringLiteral("&m=P365-") + ProdCode[i] + QStringLiteral("&rnd=") + randomText());
    QString text = fillEmptyItems(DecodeText(withoutLineBreaks(GetHttpText(url, {}, HttpTimeoutSec, kCharset))));
    bool read = false;
    try {
        if (text.contains(u'|')) {
            if (text.startsWith(u'|'))
                text.remove(0, 1);
            ProdDayText[i] = text;
            const QStringList rows = text.split(u'|');
            // Fewer rows than that draw no long-range chart.
            if (rows.size() >= 11) {
                const DailyLists lists = foldDailyRows(rows);
                ProdDayDates[i] = lists.dates;
                ProdDayCloses[i] = lists.closes;
                LineLoaded = true;
            }
            read = true;
        }
    } catch (const VbError&) {
    }
    if (!read) {
        LineLoaded = false;
        setStatus(QStringLiteral("月数据加载失败"));
    }
    resumeTimer1();
    LoadLineBusy = false;
}
