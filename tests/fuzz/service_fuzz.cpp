// Answers of the service: the configuration text, the login answer, the quote snapshot and the
// three price histories, each through the program's own reader on a given text.
#include "tests/fuzz/fuzztarget.h"

#include "common/config.h"
#include "common/http.h"
#include "common/textcodec.h"
#include "market/historytext.h"
#include "market/quoterun.h"
#include "platform/clock.h"
#include "platform/vberror.h"
#include "shell/configapply.h"
#include "shell/login.h"
#include "state/configstate.h"
#include "state/livelink.h"
#include "state/quotetables.h"
#include "state/session.h"
#include "state/usersettings.h"
#include "tests/market/fakemarketview.h"

namespace {

void checkTables() {
    fuzz::check(ProdCount >= 0 && ProdCount <= kMaxProducts, "the instrument count stays within the tables");
    fuzz::check(ProdLast == ProdCount - 1, "the last index follows the count");
    fuzz::check(TickCount >= 0 && TickCount <= kMaxTicks, "the tick count stays within the tables");
}

// One quote run and its window, made once: a run per input must stay cheap.
struct Market {
    FakeMarketView view;
    QuoteRun run{view};
    void reset() {
        clearQuoteTables();
        view.calls.clear();
        view.statuses.clear();
        PushData.clear();
        ConfigLoaded = true;
        AllDataLoaded = true; // the snapshot run then stays away from the histories
        ServerList.clear();
        DataServer = QStringLiteral("http://data1/get.shtml");
        DataServerIndex = DataServerStart = 0;
        ServerNow = platform::pcNow();
        run.LoadAllBusy = run.Load10Busy = run.LoadLineBusy = false;
    }
};

Market& market() {
    static Market m;
    return m;
}

} // namespace

BRELTO_FUZZ_TARGET(config) {
    ServerConfig = fuzz::gbkText(data);
    for (const char* k : {"server", "user", "close", "new", "UserDo", "Logintype", "helloallid"})
        (void)ConValue(QString::fromLatin1(k));
    int failures = 0;
    applyConfigKeys([&failures](const QString&) { ++failures; });
    fuzz::check(UserHostList.size() == UserPortList.size(), "user server hosts and ports pair up");
    if (!DataServer.isEmpty()) {
        fuzz::check(DataServerIndex >= 0 && DataServerIndex < ServerList.size(), "the data server is one of the list");
        fuzz::check(DataServerStart == DataServerIndex, "the data server walk starts at the chosen server");
    }
    if (!UserServerHost.isEmpty())
        fuzz::check(UserServerIndex >= 0 && UserServerIndex < UserHostList.size(), "the user server is one of the list");
    ServerList.clear();
    DataServer.clear();
    DataServerIndex = DataServerStart = 0;
    UserHostList.clear();
    UserPortList.clear();
    UserServerHost.clear();
    UserServerIndex = UserServerStart = 0;
}

BRELTO_FUZZ_TARGET(login) {
    const LoginAnswer answer = readLoginAnswer(fuzz::gbkText(data));
    (void)loginNotice(answer);
    if (answer.status != LoginStatus::Ok)
        return;
    try {
        const LoginSession s = readLoginSession(answer.text);
        fuzz::check(!s.holdText.contains(u'/'), "the holdings text holds no \"/\"");
    } catch (const platform::VbError&) {
    }
}

BRELTO_FUZZ_TARGET(snapshot) {
    fuzz::setUpEnvironment();
    Market& m = market();
    m.reset();
    // A text with a "|" is used as it stands, as a pushed snapshot is; without one the run asks the
    // data server, which answers with the same text.
    const QString text = fuzz::gbkText(data);
    setHttpTextSource([&text](const QString&) { return text; });
    m.run.LoadData(text.contains(u'|') ? text : QString());
    setHttpTextSource([](const QString&) { return QString(); });
    checkTables();
    fuzz::check(!m.run.loading(), "the run has ended");
}

namespace {

void historyRun(QByteArrayView data, const std::function<void(QuoteRun&)>& load) {
    fuzz::setUpEnvironment();
    Market& m = market();
    m.reset();
    ProdCount = 3;
    ProdLast = 2;
    for (int i = 0; i < 3; ++i) {
        ProdName[i] = QStringLiteral("品种%1").arg(i);
        ProdCode[i] = QStringLiteral("c%1").arg(i);
    }
    CurProd = 1;
    // The answers come scrambled, as the data servers send them.
    const QString answer = EncodeText(fuzz::gbkText(data), [] { return 0.25f; });
    setHttpTextSource([&answer](const QString&) { return answer; });
    load(m.run);
    setHttpTextSource([](const QString&) { return QString(); });
    checkTables();
    fuzz::check(!m.run.LoadAllBusy && !m.run.Load10Busy && !m.run.LoadLineBusy, "the loader has ended");
    fuzz::check(ProdDayDates[1].count(u',') == ProdDayCloses[1].count(u','), "daily dates and closes pair up");
}

} // namespace

BRELTO_FUZZ_TARGET(history_threeday) {
    historyRun(data, [](QuoteRun& run) { run.LoadAllData(1); });
}

BRELTO_FUZZ_TARGET(history_tenday) {
    historyRun(data, [](QuoteRun& run) {
        int16_t i = 1;
        run.Load10Day(i);
    });
}

BRELTO_FUZZ_TARGET(history_year) {
    historyRun(data, [](QuoteRun& run) {
        int16_t i = 1;
        run.LoadLine(i);
    });
    // The pieces the loaders use, on the raw text too.
    const QString text = fuzz::gbkText(data);
    (void)fillEmptyItems(text);
    (void)fillTenDayGaps(text);
    try {
        (void)readDay(text);
    } catch (const platform::VbError&) {
    }
    try {
        (void)foldDailyRows(text.split(u'|'));
    } catch (const platform::VbError&) {
    }
}
