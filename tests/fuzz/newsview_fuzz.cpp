// The news view on its real controls (offscreen): successive feed answers, then clicks on the
// ticker labels, the two lists and the chart's markers, and ticks of the ticker.
#include "tests/fuzz/fuzztarget.h"

#include "charts/chart.h"
#include "mainwindow/news.h"
#include "platform/browser.h"
#include "platform/clock.h"
#include "state/configstate.h"
#include "state/session.h"
#include "state/usersettings.h"

#include <QFrame>
#include <QLabel>
#include <QListWidget>

namespace {

class StillTick final : public news::TickTimer {
public:
    void start() override { active = true; }
    void stop() override { active = false; }
    [[nodiscard]] bool isActive() const override { return active; }
    bool active = false;
};

const QString kBroadcastPage = QStringLiteral("http://h/bb.asp?id=");
const QString kNewsPage = QStringLiteral("http://h/nw.asp?id=");

} // namespace

// Answers are separated by a 0x01 byte; each one is loaded, with the quote timer on for every
// second load, and the view is then clicked through.
BRELTO_FUZZ_TARGET(newsview) {
    fuzz::setUpEnvironment();
    ServerNow = platform::pcNow();
    MainStarted = false;
    AutoPopInfo = true;
    NewsUrl = QStringLiteral("http://h/soft/news.asp");
    BroadcastItemUrl = kBroadcastPage;
    NewsItemUrl = kNewsPage;
    NewsKeywords = QStringLiteral("黄金,非农|美元");

    QWidget window;
    window.resize(800, 600);
    auto* cole1 = new QWidget(&window);
    auto* cole2 = new QWidget(&window);
    auto* bblist = new QListWidget(cole1);
    auto* pllist = new QListWidget(cole2);
    auto* newsOle = new QFrame(&window);
    newsOle->setGeometry(0, 580, 800, 20);
    auto* newsGo = new QFrame(newsOle);
    auto* chart = new Chart(&window);
    chart->setGeometry(0, 0, 720, 300);
    auto* web = new platform::FakeBrowserPane(cole1);

    const QList<QByteArray> answers = data.toByteArray().split('\x01');
    qsizetype load = 0;
    bool quoteTimer = false;
    std::vector<int> tabs;
    NewsView::Host host;
    host.quoteTimerActive = [&quoteTimer] { return quoteTimer; };
    host.setQuoteTimer = [&quoteTimer](bool on) { quoteTimer = on; };
    host.fetch = [&answers, &load](const QString&) { return fuzz::gbkText(answers.value(load)); };
    host.selectTab = [&tabs](int tab) { tabs.push_back(tab); };
    host.popup = [](const QString&) {};
    auto tick = std::make_unique<StillTick>();
    StillTick* timer = tick.get();
    NewsView view(NewsView::Controls{bblist, pllist, newsGo, newsOle, chart, web, cole1, cole2}, host, std::move(tick));

    for (load = 0; load < answers.size() && load < 8; ++load) {
        quoteTimer = load % 2 == 1;
        view.LoadNews();
        fuzz::check(!view.loading(), "a load has ended when it returns");
        fuzz::check(quoteTimer == (load % 2 == 1), "a load leaves the quote timer as it found it");
        for (int i = 0; i < 3 && timer->active && timer->onTick; ++i)
            timer->onTick();
        for (int i = 0; i < static_cast<int>(view.Tips.size()) && i < news::kTickerLabels; ++i)
            view.Tips_MouseDown(i);
        for (QListWidget* list : {bblist, pllist})
            for (int row = 0; row < list->count() && row < 4; ++row) {
                list->setCurrentRow(row);
                if (list == bblist)
                    view.BBlist_MouseDown();
                else
                    view.PLList_MouseDown();
            }
        for (int k = 0; k < chart->DLCount() && k < 8; ++k)
            if (chart->MarkerUsed(k))
                chart->markerMouseDown(k, 1, 0, 0, 0);
    }
    for (const QString& address : web->navigations())
        fuzz::check(address.startsWith(kBroadcastPage) || address.startsWith(kNewsPage),
                    "the news pane opens only the service's item pages");
    for (const int tab : tabs)
        fuzz::check(tab == 4 || tab == 5, "a click selects one of the two news tabs");

    MainStarted = false;
    AutoPopInfo = false;
    NewsUrl.clear();
    BroadcastItemUrl.clear();
    NewsItemUrl.clear();
    NewsKeywords.clear();
}
