// The broadcasts and news: the feed parser, the seen sets and where each item goes, the ticker's
// captions, places, tick and wrap, and where a click on a list row, a ticker label or a chart
// marker leads; then the same on real list, label and chart controls with a fake fetch and timer.
#include "mainwindow/news.h"

#include "charts/chart.h"
#include "common/appinfo.h"
#include "platform/browser.h"
#include "platform/clock.h"
#include "platform/screen.h"
#include "platform/vbtext.h"
#include "state/configstate.h"
#include "state/session.h"
#include "state/usersettings.h"
#include "tests/support/programfolder.h"

#include <QCoreApplication>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QListWidget>

#include <gtest/gtest.h>

#include <cstdlib>

using namespace news;

namespace {

QDateTime at(int y, int mo, int d, int h, int mi, int s = 0) {
    return platform::naiveDateTime(QDate(y, mo, d), QTime(h, mi, s));
}

const QDate kToday(2026, 12, 10);

bool goldOnly(const QString& title) { return title.contains(QStringLiteral("黄金")); }

// ---- Feed ---------------------------------------------------------------------------------------

TEST(NewsFeed, SectionsItemsAndFailures) {
    struct Case {
        const char* name;
        const char16_t* answer;
        bool ok;
        size_t broadcasts;
        size_t news;
        int malformed;
    };
    const Case cases[] = {
        {"empty answer", u"", false, 0, 0, 0},
        {"no separator", u"黄金上涨,2026-12-10 9:05,1|", false, 0, 0, 0},
        {"both sections", u"黄金上涨,2026-12-10 9:05,1|白银回落,2026-12-9 10:00,2|///美元走强,2026-12-10 8:00,3|",
         true, 2, 1, 0},
        {"text after the last bar is not an item", u"甲,2026-12-10 9:05,1|乙,2026-12-10 9:06,2///丙,2026-12-10 9:00,3",
         true, 1, 0, 0},
        {"a third section is not read", u"甲,2026-12-10 9:05,1|///乙,2026-12-10 9:00,2|///丙,2026-12-10 9:00,3|",
         true, 1, 1, 0},
        {"line breaks around the sections", u"甲,2026-12-10 9:05,1|\r\n///\r\n乙,2026-12-10 9:00,2|\r\n", true, 1, 1,
         0},
        {"empty sections", u"///", true, 0, 0, 0},
        {"extra fields are ignored", u"甲,2026-12-10 9:05,1,x,y|///", true, 1, 0, 0},
        {"bad items are left out and counted",
         u"缺字段,2026-12-10|无日期,明天,5|大编号,2026-12-10 9:05,3000000000|非数字,2026-12-10 9:05,abc|好,2026-12-10 "
         u"9:05,7|///",
         true, 1, 0, 4},
        {"empty items between bars are skipped", u"甲,2026-12-10 9:05,1|||///", true, 1, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto feed = parseFeed(QString::fromUtf16(c.answer));
        ASSERT_EQ(feed.has_value(), c.ok);
        if (!feed)
            continue;
        EXPECT_EQ(feed->sections[0].size(), c.broadcasts);
        EXPECT_EQ(feed->sections[1].size(), c.news);
        EXPECT_EQ(feed->malformed, c.malformed);
    }
}

TEST(NewsFeed, FieldsOfAnItem) {
    const auto feed = parseFeed(QStringLiteral("\r\n美联储维持利率不变 ,2026/12/10 14:35:20,  999123|///"));
    ASSERT_TRUE(feed);
    ASSERT_EQ(feed->sections[0].size(), 1U);
    const FeedItem& item = feed->sections[0][0];
    EXPECT_EQ(item.title, QStringLiteral("美联储维持利率不变"));
    EXPECT_EQ(item.time, at(2026, 12, 10, 14, 35, 20));
    EXPECT_EQ(item.id, 999123);
}

TEST(NewsFeed, RequestAddress) {
    const QString url = QStringLiteral("http://h/soft/news.asp");
    EXPECT_EQ(requestUrl(url, 3.6f, false, at(2026, 12, 10, 9, 5, 3)),
              QStringLiteral("http://h/soft/news.asp?ver=3.6&time=2026-12-10 9:05:03"));
    EXPECT_EQ(requestUrl(url, 3.6f, true, at(2026, 1, 2, 23, 0, 0)),
              QStringLiteral("http://h/soft/news.asp?ver=3.6&mini=1&time=2026-1-2 23:00:00"));
}

// ---- Board --------------------------------------------------------------------------------------

const QString kFirst = QStringLiteral("黄金大涨,2026-12-10 9:05,11|白银平稳,2026-12-9 15:00,12|"
                                      "///央行增持黄金,2026-12-10 10:20,21|原油回落,2026-12-8 8:00,22|");

TEST(NewsBoard, FirstLoadRoutesEveryItem) {
    NewsBoard board;
    const LoadResult r = board.apply(kFirst, false, kToday, true, goldOnly);
    ASSERT_EQ(r.outcome, LoadResult::Outcome::Applied);
    EXPECT_TRUE(r.clearLists);
    EXPECT_EQ(r.newItems, 4);
    ASSERT_EQ(r.broadcastRows.size(), 2U);
    EXPECT_EQ(r.broadcastRows[0].text, QStringLiteral("2026-12-10 09:05 黄金大涨"));
    EXPECT_EQ(r.broadcastRows[0].id, 11);
    // A broadcast without a keyword still has its row, and its marker when it is of today.
    EXPECT_EQ(r.broadcastRows[1].text, QStringLiteral("2026-12-09 15:00 白银平稳"));
    ASSERT_EQ(r.newsRows.size(), 2U);
    EXPECT_EQ(r.newsRows[0].text, QStringLiteral("2026-12-10 10:20 央行增持黄金"));
    // Only the important broadcast pops up; news never does.
    EXPECT_EQ(r.popups, QStringList{QStringLiteral("黄金大涨")});
    // The ticker gets the important broadcast and every news item, in arrival order.
    EXPECT_EQ(board.newsList(), (QStringList{QStringLiteral("2026-12-10 09:05|黄金大涨|11|0"),
                                             QStringLiteral("2026-12-10 10:20|央行增持黄金|21|1"),
                                             QStringLiteral("2026-12-08 08:00|原油回落|22|1")}));
    // Markers for today's items only, with their section as the type.
    ASSERT_EQ(r.markers.size(), 2U);
    EXPECT_EQ(r.markers[0].title, QStringLiteral("黄金大涨"));
    EXPECT_EQ(r.markers[0].type, 0);
    EXPECT_EQ(r.markers[0].time, at(2026, 12, 10, 9, 5));
    EXPECT_EQ(r.markers[1].id, 21);
    EXPECT_EQ(r.markers[1].type, 1);
}

TEST(NewsBoard, NoPopupWithoutTheSetting) {
    NewsBoard board;
    const LoadResult r = board.apply(kFirst, false, kToday, false, goldOnly);
    EXPECT_TRUE(r.popups.isEmpty());
    EXPECT_EQ(board.newsList().size(), 3);
}

TEST(NewsBoard, SeenIdsAreSkippedPerSection) {
    NewsBoard board;
    (void)board.apply(kFirst, false, kToday, false, goldOnly);
    // 11 again with a new title and time: still seen. 21 in the broadcasts: new there.
    const LoadResult r = board.apply(QStringLiteral("黄金再涨,2026-12-10 11:00,11|同号播报,2026-12-10 11:10,21|"
                                                    "///新资讯,2026-12-10 11:20,23|"),
                                     false, kToday, false, goldOnly);
    ASSERT_EQ(r.outcome, LoadResult::Outcome::Applied);
    EXPECT_FALSE(r.clearLists);
    EXPECT_EQ(r.newItems, 2);
    ASSERT_EQ(r.broadcastRows.size(), 1U);
    EXPECT_EQ(r.broadcastRows[0].id, 21);
    ASSERT_EQ(r.newsRows.size(), 1U);
    EXPECT_EQ(r.newsRows[0].id, 23);
    EXPECT_TRUE(board.seen(0, 21));
    EXPECT_TRUE(board.seen(1, 21));
    EXPECT_FALSE(board.seen(1, 11));
}

TEST(NewsBoard, SameAnswerChangesNothingButSameLengthDoes) {
    NewsBoard board;
    // Before start-up has ended the answer is not remembered.
    (void)board.apply(kFirst, false, kToday, false, goldOnly);
    EXPECT_TRUE(board.lastNewsText().isEmpty());
    const QString a = QStringLiteral("甲,2026-12-10 12:00,31|///");
    const QString b = QStringLiteral("乙,2026-12-10 12:00,32|///");
    ASSERT_EQ(a.size(), b.size());
    EXPECT_EQ(board.apply(a, true, kToday, false, goldOnly).newItems, 1);
    EXPECT_EQ(board.lastNewsText(), a);
    EXPECT_EQ(board.apply(a, true, kToday, false, goldOnly).outcome, LoadResult::Outcome::Unchanged);
    const LoadResult r = board.apply(b, true, kToday, false, goldOnly);
    EXPECT_EQ(r.outcome, LoadResult::Outcome::Applied);
    EXPECT_EQ(r.newItems, 1);
}

TEST(NewsBoard, BrokenAnswersFailAndAreNotRemembered) {
    NewsBoard board;
    for (const QString& bad : {QString(), QStringLiteral("<html>error</html>")}) {
        SCOPED_TRACE(bad.toStdString());
        const LoadResult r = board.apply(bad, true, kToday, false, goldOnly);
        EXPECT_EQ(r.outcome, LoadResult::Outcome::Failed);
        EXPECT_TRUE(board.lastNewsText().isEmpty());
    }
    EXPECT_EQ(board.apply(kFirst, true, kToday, false, goldOnly).outcome, LoadResult::Outcome::Applied);
    EXPECT_EQ(board.lastNewsText(), kFirst);
}

// ---- Ticker -------------------------------------------------------------------------------------

TEST(NewsTicker, CaptionsTipsAndOrder) {
    const QStringList rows = {QStringLiteral("2026-12-08 08:00|原油回落|22|1"),
                              QStringLiteral("2026-11-10 07:30|上月同日|40|0"),
                              QStringLiteral("2026-12-10 09:05|黄金大涨|11|0")};
    const std::vector<TickerLabel> labels = tickerLabels(rows, kToday);
    ASSERT_EQ(labels.size(), 3U);
    struct Expect {
        const char16_t* caption;
        const char16_t* tip;
        const char* tag;
        int kind;
    };
    const Expect expected[] = {
        {u"(1)黄金大涨[09:05]", u"播报 2026-12-10 09:05", "11", 0},
        // Only the day of the month is compared.
        {u"(2)上月同日[07:30]", u"播报 2026-11-10 07:30", "40", 0},
        {u"(3)原油回落[12-08 08:00]", u"资讯 2026-12-08 08:00", "22", 1},
    };
    for (size_t k = 0; k < labels.size(); ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(labels[k].caption, QString::fromUtf16(expected[k].caption));
        EXPECT_EQ(labels[k].toolTip, QString::fromUtf16(expected[k].tip));
        EXPECT_EQ(labels[k].tag, QLatin1String(expected[k].tag));
        EXPECT_EQ(labels[k].kind, expected[k].kind);
    }
    EXPECT_EQ(labels[0].title, QStringLiteral("黄金大涨"));
}

TEST(NewsTicker, AtMostTwentyFiveNewestRows) {
    QStringList rows;
    for (int i = 0; i < 30; ++i)
        rows << QStringLiteral("2026-12-10 09:%1|第%2条|%2|1").arg(i, 2, 10, QLatin1Char('0')).arg(i);
    const std::vector<TickerLabel> labels = tickerLabels(rows, kToday);
    ASSERT_EQ(labels.size(), 25U);
    EXPECT_EQ(labels.front().tag, QStringLiteral("29"));
    EXPECT_EQ(labels.back().tag, QStringLiteral("5"));
    EXPECT_EQ(labels.back().caption, QStringLiteral("(25)第5条[09:05]"));
}

TEST(NewsTicker, LayoutLeavesGapsOf300Twips) {
    const TickerLayout three = tickerLayout({1500, 3000, 750});
    EXPECT_EQ(three.lefts, (std::vector<int>{0, 1800, 5100}));
    EXPECT_EQ(three.stripWidth, 5850);
    const TickerLayout none = tickerLayout({});
    EXPECT_TRUE(none.lefts.empty());
    EXPECT_EQ(none.stripWidth, 0);
}

TEST(NewsTicker, StepAndWrap) {
    struct Case {
        int left, strip, frame, next;
    };
    const Case cases[] = {
        {9000, 6000, 9000, 8985}, // entering from the right
        {0, 6000, 9000, -15},
        {-5970, 6000, 9000, -5985},
        {-5985, 6000, 9000, 9000}, // the last column has passed the left edge
        {-7000, 6000, 9000, 9000}, // a strip that shrank under it
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.left);
        EXPECT_EQ(tickerStep(c.left, c.strip, c.frame), c.next);
    }
}

TEST(NewsTicker, PlaceAfterLayout) {
    struct Case {
        const char* name;
        int labels, left, frame, label0;
        StripPlace place;
    };
    const Case cases[] = {
        {"one label stands centred, the strip as wide as it", 1, 0, 12000, 2100, {4950, 2100}},
        {"an odd width rounds both halves down", 1, 700, 12001, 2101, {6000 - 1050, 2101}},
        {"a label wider than the frame starts left of it", 1, 0, 1500, 2100, {750 - 1050, 2100}},
        {"a moving strip inside the frame stays", 25, 3000, 12000, 2100, {3000, std::nullopt}},
        {"one beyond a narrower frame restarts at its edge", 25, 15000, 12000, 2100, {12000, std::nullopt}},
        {"one just at the edge stays", 25, 12000, 12000, 2100, {12000, std::nullopt}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(stripPlace(c.labels, c.left, c.frame, c.label0), c.place);
    }
}

// The strip's picture covers what is shown and what comes next, a frame or two, however long the
// strip: a million-pixel strip costs no more than a short one.
TEST(NewsTicker, PictureSpansTheShownPartNotTheStrip) {
    struct Case {
        const char* name;
        int left, strip, frame;
        StripSpan shown, picture;
    };
    const Case cases[] = {
        {"entering from the right", 700, 5000, 800, {0, 100}, {0, 1600}},
        {"not yet in", 800, 5000, 800, {0, 0}, {0, 1600}},
        {"in the middle of a long strip", -1'000'000, 2'000'000, 800, {1'000'000, 1'000'800},
         {1'000'000, 1'001'600}},
        {"near its end", -4500, 5000, 800, {4500, 5000}, {4500, 5000}},
        {"a short strip whole", 100, 300, 800, {0, 300}, {0, 300}},
        {"passed the left edge", -5000, 5000, 800, {5000, 5000}, {5000, 5000}},
        {"an empty strip", 800, 0, 800, {0, 0}, {0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(visibleSpan(c.left, c.strip, c.frame), c.shown);
        EXPECT_EQ(pictureSpan(c.left, c.strip, c.frame), c.picture);
    }
}

// ---- Clicks -------------------------------------------------------------------------------------

const QString kBb = QStringLiteral("http://h/bobao/show.asp?id=");
const QString kNw = QStringLiteral("http://h/news/show.asp?id=");

TEST(NewsClicks, TickerLabel) {
    struct Case {
        const char* name;
        const char16_t* caption;
        const char* tag;
        int kind;
        bool reload;
        int list;
        int pane;
        const char* url;
        int tab;
    };
    const Case cases[] = {
        {"waiting text reloads", u"等候加载资讯...", "", 0, true, -1, -1, "", 0},
        {"loading text does nothing", u"...手动加载资讯中...", "", 0, false, -1, -1, "", 0},
        {"empty label does nothing", u"", "", 0, false, -1, -1, "", 0},
        {"broadcast", u"(1)黄金大涨[09:05]", "999123", 0, false, 0, 1, "http://h/bobao/show.asp?id=999123", 4},
        {"news", u"(2)央行增持黄金[10:20]", "21", 1, false, 1, 2, "http://h/news/show.asp?id=21", 5},
        {"unknown kind", u"(3)x[10:20]", "21", 2, false, -1, -1, "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Route r = tickerClick(QString::fromUtf16(c.caption), QLatin1String(c.tag), QStringLiteral("标题"), c.kind,
                                    kBb, kNw);
        EXPECT_EQ(r.reload, c.reload);
        EXPECT_EQ(r.list, c.list);
        EXPECT_EQ(r.pane, c.pane);
        EXPECT_EQ(r.url, QLatin1String(c.url));
        EXPECT_EQ(r.tab, c.tab);
        if (c.list >= 0) {
            EXPECT_EQ(r.title, QStringLiteral("标题"));
            EXPECT_EQ(QString::number(r.id), QLatin1String(c.tag));
        }
    }
    // No item address: the tab still comes forward, but a bare id is no address.
    const Route noUrl = tickerClick(QStringLiteral("(1)x[09:05]"), QStringLiteral("5"), {}, 0, {}, kNw);
    EXPECT_TRUE(noUrl.url.isEmpty());
    EXPECT_EQ(noUrl.tab, 4);
}

TEST(NewsClicks, ListRow) {
    struct Case {
        const char* name;
        int rows;
        int32_t id;
        const QString& base;
        const char* location;
        const char* opens; // "" for nothing
    };
    const QString none;
    const Case cases[] = {
        {"opens the item", 3, 999123, kBb, "about:blank", "http://h/bobao/show.asp?id=999123"},
        {"placeholder row", 1, 0, kBb, "", ""},
        {"empty list", 0, 5, kBb, "", ""},
        {"no item address", 3, 5, none, "", ""},
        {"already open", 3, 5, kNw, "http://h/news/show.asp?id=5", ""},
        {"another item open", 3, 5, kNw, "http://h/news/show.asp?id=6", "http://h/news/show.asp?id=5"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto url = listClick(c.rows, c.id, c.base, QLatin1String(c.location));
        EXPECT_EQ(url.value_or(QString()), QLatin1String(c.opens));
    }
}

TEST(NewsClicks, ChartMarker) {
    struct Case {
        const char* name;
        int type;
        int32_t id;
        const char* location;
        int list;
        const char* url;
        int tab;
    };
    const Case cases[] = {
        {"broadcast", 0, 123, "", 0, "http://h/bobao/show.asp?id=123", 4},
        {"broadcast with a long id", 0, 999123, "", 0, "http://h/bobao/show.asp?id=123", 4},
        {"broadcast already open still brings the tab", 0, 1000123, "http://h/bobao/show.asp?id=123", 0, "", 4},
        {"news keeps its id and reloads", 1, 999123, "http://h/news/show.asp?id=999123", 1,
         "http://h/news/show.asp?id=999123", 5},
        {"other type", 3, 5, "", -1, "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Route r = markerClick(c.type, c.id, QStringLiteral("标题"), kBb, kNw, QLatin1String(c.location));
        EXPECT_EQ(r.list, c.list);
        EXPECT_EQ(r.url, QLatin1String(c.url));
        EXPECT_EQ(r.tab, c.tab);
        EXPECT_EQ(r.pane, -1);
        if (c.list >= 0) {
            EXPECT_EQ(r.id, c.id); // the row is the listed item's, long id and all
        }
    }
}

TEST(NewsClicks, MarkerPageId) {
    const std::pair<int32_t, int32_t> cases[] = {
        {0, 0}, {998999, 998999}, {999000, 0}, {999123, 123}, {1000123, 123}, {12345678, 45678},
    };
    for (const auto& [id, page] : cases)
        EXPECT_EQ(markerPageId(id), page) << id;
}

// ---- The view on real controls ------------------------------------------------------------------

class FakeTick final : public TickTimer {
public:
    void start() override { active = true; }
    void stop() override { active = false; }
    [[nodiscard]] bool isActive() const override { return active; }
    void fire(int times) {
        for (int i = 0; i < times; ++i)
            onTick();
    }
    bool active = false;
};

// A failed load is logged: into a program folder of the test's own.
class NewsViewTest : public ProgramFolderTest {
protected:
    void SetUp() override {
        ProgramFolderTest::SetUp();
        platform::setPcClock([] { return at(2026, 12, 10, 15, 0); });
        ServerNow = at(2026, 12, 10, 15, 0, 7);
        MainStarted = false;
        AutoPopInfo = true;
        NewsUrl = QStringLiteral("http://h/soft/news.asp");
        BroadcastItemUrl = kBb;
        NewsItemUrl = kNw;
        NewsKeywords = QStringLiteral("黄金,非农|美元");
        window.resize(800, 600);
        Cole1 = new QWidget(&window);
        Cole2 = new QWidget(&window);
        BBlist = new QListWidget(Cole1);
        PLList = new QListWidget(Cole2);
        NewsOle = new QFrame(&window);
        NewsOle->setGeometry(0, 580, 800, 20);
        NewsGo = new QFrame(NewsOle);
        chart = new Chart(&window);
        chart->setGeometry(0, 0, 720, 300);
        web = new platform::FakeBrowserPane(Cole1);
        auto tick = std::make_unique<FakeTick>();
        timer = tick.get();
        NewsView::Host host;
        host.quoteTimerActive = [this] { return quoteTimer; };
        host.setQuoteTimer = [this](bool on) {
            quoteTimer = on;
            quoteTimerCalls << on;
        };
        host.fetch = [this](const QString& url) {
            urls << url;
            if (inFetch)
                inFetch();
            return answers.isEmpty() ? answer : answers.takeFirst();
        };
        host.selectTab = [this](int tab) { tabs.push_back(tab); };
        host.popup = [this](const QString& title) { popups << title; };
        view = std::make_unique<NewsView>(
            NewsView::Controls{BBlist, PLList, NewsGo, NewsOle, chart, web, Cole1, Cole2}, host, std::move(tick));
    }
    void TearDown() override {
        view.reset();
        platform::setPcClock(nullptr);
        ServerNow = QDateTime();
        MainStarted = false;
        AutoPopInfo = false;
        NewsUrl.clear();
        BroadcastItemUrl.clear();
        NewsItemUrl.clear();
        NewsKeywords.clear();
        ProgramFolderTest::TearDown();
    }

    QWidget window;
    QWidget* Cole1 = nullptr;
    QWidget* Cole2 = nullptr;
    QListWidget* BBlist = nullptr;
    QListWidget* PLList = nullptr;
    QFrame* NewsOle = nullptr;
    QFrame* NewsGo = nullptr;
    Chart* chart = nullptr;
    platform::FakeBrowserPane* web = nullptr;
    FakeTick* timer = nullptr;
    std::unique_ptr<NewsView> view;

    QString answer;
    QStringList answers; // taken first, one per fetch
    std::function<void()> inFetch;
    bool quoteTimer = false;
    QList<bool> quoteTimerCalls;
    QStringList urls;
    std::vector<int> tabs;
    QStringList popups;
};

QString listTexts(const QListWidget* list) {
    QStringList rows;
    for (int i = 0; i < list->count(); ++i)
        rows << list->item(i)->text();
    return rows.join(u'\n');
}

TEST_F(NewsViewTest, FirstLoadFillsListsTickerAndChart) {
    EXPECT_EQ(listTexts(BBlist), QStringLiteral("请等候更新..."));
    EXPECT_EQ(view->Tips.size(), 1U);
    answer = QStringLiteral("非农超预期美元走强,2026-12-10 14:20,999123|") + kFirst;
    view->LoadNews();
    ASSERT_EQ(urls.size(), 1);
    EXPECT_EQ(urls[0], QStringLiteral("http://h/soft/news.asp?ver=%1&time=2026-12-10 15:00:07")
                           .arg(platform::singleText(AppVer)));
    EXPECT_EQ(listTexts(BBlist), QStringLiteral("2026-12-10 14:20 非农超预期美元走强\n"
                                                "2026-12-10 09:05 黄金大涨\n"
                                                "2026-12-09 15:00 白银平稳"));
    EXPECT_EQ(BBlist->item(0)->data(Qt::UserRole).toInt(), 999123);
    EXPECT_EQ(listTexts(PLList), QStringLiteral("2026-12-10 10:20 央行增持黄金\n2026-12-08 08:00 原油回落"));
    EXPECT_EQ(popups, (QStringList{QStringLiteral("非农超预期美元走强"), QStringLiteral("黄金大涨")}));
    ASSERT_EQ(view->Tips.size(), 25U);
    EXPECT_EQ(view->Tips[0]->text(), QStringLiteral("(1)原油回落[12-08 08:00]"));
    EXPECT_EQ(view->Tips[3]->text(), QStringLiteral("(4)非农超预期美元走强[14:20]"));
    EXPECT_EQ(view->TickerKinds[3], 0);
    EXPECT_TRUE(view->Tips[4]->text().isEmpty());
    EXPECT_TRUE(timer->isActive());
    // The labels stand 300 twips apart and the strip starts at the right edge.
    EXPECT_EQ(view->Tips[1]->x(), view->Tips[0]->width() + 300 / TwipsX);
    EXPECT_EQ(NewsGo->x(), NewsOle->width());
    EXPECT_EQ(NewsGo->width(), view->Tips[3]->x() + view->Tips[3]->width());
    // Today's three items have markers (broadcasts type 0, news type 1); yesterday's have none.
    QStringList marked;
    for (int k = 0; k < chart->DLCount(); ++k)
        if (chart->MarkerUsed(k))
            marked << QString::number(chart->MarkerType(k)) + chart->MarkerText(k).section(u'\n', 1);
    marked.sort();
    EXPECT_EQ(marked, (QStringList{QStringLiteral("0非农超预期美元走强"), QStringLiteral("0黄金大涨"),
                                   QStringLiteral("1央行增持黄金")}));
}

TEST_F(NewsViewTest, LoadLeavesTheQuoteTimerAsItFoundIt) {
    answer = kFirst;
    for (const bool before : {false, true}) {
        SCOPED_TRACE(before);
        quoteTimer = before;
        quoteTimerCalls.clear();
        bool duringFetch = true;
        inFetch = [&] { duringFetch = quoteTimer; };
        view->LoadNews();
        EXPECT_FALSE(duringFetch);
        EXPECT_EQ(quoteTimer, before);
        EXPECT_EQ(quoteTimerCalls.contains(true), before);
    }
}

TEST_F(NewsViewTest, ALoadAskedForWhileOneWaitsFollowsIt) {
    answers = {kFirst, QStringLiteral("迟到的播报,2026-12-10 14:55,14|///")};
    int depth = 0;
    int deepest = 0;
    inFetch = [&] {
        ++depth;
        deepest = std::max(deepest, depth);
        EXPECT_TRUE(view->loading());
        if (urls.size() == 1) {
            // A snapshot with a newer version arrives while the first answer is on its way.
            view->LoadNews();
            view->LoadNews();
        }
        --depth;
    };
    view->LoadNews();
    EXPECT_EQ(deepest, 1);
    EXPECT_EQ(urls.size(), 2);
    EXPECT_FALSE(view->loading());
    // Both before start-up has ended: the second load keeps the rows of the first.
    EXPECT_EQ(listTexts(BBlist), QStringLiteral("2026-12-10 09:05 黄金大涨\n"
                                                "2026-12-09 15:00 白银平稳\n"
                                                "2026-12-10 14:55 迟到的播报"));
}

TEST_F(NewsViewTest, LaterLoadsAppendAndSendMini) {
    answer = kFirst;
    view->LoadNews();
    MainStarted = true;
    answer = QStringLiteral("新播报黄金,2026-12-10 14:50,13|///");
    view->LoadNews();
    EXPECT_TRUE(urls.last().contains(QStringLiteral("&mini=1&time=")));
    EXPECT_EQ(BBlist->count(), 3);
    EXPECT_EQ(BBlist->item(2)->text(), QStringLiteral("2026-12-10 14:50 新播报黄金"));
    EXPECT_EQ(view->Tips[0]->text(), QStringLiteral("(1)新播报黄金[14:50]"));
}

TEST_F(NewsViewTest, TickerMovesAndWraps) {
    answer = kFirst;
    view->LoadNews();
    const int frame = NewsOle->width();
    const int strip = NewsGo->width();
    ASSERT_GT(strip, 0);
    timer->fire(1);
    EXPECT_EQ(NewsGo->x(), frame - 1);
    EXPECT_EQ(NewsGo->y(), 1);
    timer->fire(frame - 1 + strip - 1);
    EXPECT_EQ(NewsGo->x(), -strip + 1);
    timer->fire(1);
    EXPECT_EQ(NewsGo->x(), frame);
}

// The strip shows one picture of its labels: drawn again when a label's text changes, never by a
// tick, and showing what the labels say.
TEST_F(NewsViewTest, StripPictureFollowsTheTextsNotTheTicks) {
    // Text in the labels' blue (&HC00000) somewhere in the rows of this label.
    const auto blueIn = [](const QImage& image, const QRect& part) {
        int n = 0;
        for (int y = part.top(); y <= part.bottom(); ++y)
            for (int x = part.left(); x <= part.right(); ++x) {
                const QColor c = image.pixelColor(x, y);
                if (c.blue() > c.red() + 80 && c.blue() > c.green() + 80)
                    ++n;
            }
        return n;
    };
    answer = kFirst;
    view->LoadNews();
    const QImage first = NewsGo->grab().toImage();
    QCoreApplication::processEvents();
    const int drawn = view->stripPictures();
    ASSERT_GE(drawn, 1);
    const QRect tip0 = view->Tips[0]->geometry();
    EXPECT_GT(blueIn(first, tip0), 10);
    // The gap between two labels holds no text.
    const QRect gap(QPoint(tip0.right() + 1, tip0.top()), QPoint(view->Tips[1]->x() - 1, tip0.bottom()));
    ASSERT_FALSE(gap.isEmpty());
    EXPECT_EQ(blueIn(first, gap), 0);

    timer->fire(200);
    QCoreApplication::processEvents();
    EXPECT_EQ(view->stripPictures(), drawn);

    // A new item moves the rows along: the first label's text changes and the picture with it.
    MainStarted = true;
    answer = QStringLiteral("新播报黄金,2026-12-10 14:50,13|///");
    view->LoadNews();
    QCoreApplication::processEvents();
    EXPECT_GT(view->stripPictures(), drawn);
    const QImage second = NewsGo->grab().toImage();
    const QRect tip0After = view->Tips[0]->geometry();
    EXPECT_GT(blueIn(second, tip0After), 10);
    EXPECT_NE(second.copy(tip0After), first.copy(tip0After));

    // A failed load's waiting text, and the loading text a click on it shows while it waits.
    const int beforeFailure = view->stripPictures();
    answer = QStringLiteral("<html>500</html>");
    view->LoadNews();
    ASSERT_EQ(view->Tips[0]->text(), QString::fromUtf16(kTipsWaiting));
    EXPECT_GT(view->stripPictures(), beforeFailure);
    const int beforeClick = view->stripPictures();
    int picturesDuringLoad = 0;
    inFetch = [&] { picturesDuringLoad = view->stripPictures(); };
    view->Tips_MouseDown(0);
    EXPECT_GT(picturesDuringLoad, beforeClick);
    EXPECT_GT(view->stripPictures(), picturesDuringLoad);
}

int blueIn(const QImage& image) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.blue() > c.red() + 80 && c.blue() > c.green() + 80)
                ++n;
        }
    return n;
}

// A strip of a million pixels: its picture is drawn a frame's width of ticks apart, as for any
// strip, and what the frame shows is the text, also far into the strip.
TEST_F(NewsViewTest, ALongTitleIsDrawnAStretchAtATime) {
    answer = QStringLiteral("///") + QStringLiteral("黄金").repeated(50000) + QStringLiteral(",2026-12-10 14:20,7|");
    view->LoadNews();
    QCoreApplication::processEvents();
    const int frame = NewsOle->width();
    ASSERT_GT(NewsGo->width(), 100 * frame);
    const int drawn = view->stripPictures();
    ASSERT_GE(drawn, 1);
    for (int stretch = 0; stretch < 6; ++stretch) {
        timer->fire(frame);
        EXPECT_GT(blueIn(NewsOle->grab().toImage()), 50) << "after " << stretch + 1 << " frames of ticks";
    }
    // Six frames' widths went past; a picture lasts about one.
    EXPECT_GE(view->stripPictures() - drawn, 4);
    EXPECT_LE(view->stripPictures() - drawn, 8);
    // Far into the strip, as far as the frame shows.
    NewsGo->move(-NewsGo->width() / 2, NewsGo->y());
    timer->fire(1);
    EXPECT_GT(blueIn(NewsOle->grab().toImage()), 50);
}

// Titles are plain text: markup from the service shows as it is written and loads nothing.
TEST_F(NewsViewTest, TitlesAreNotMarkup) {
    answer = QStringLiteral("///<img src=\"/etc/x.png\" width=3000><b>黄金</b>,2026-12-10 14:20,7|");
    view->LoadNews();
    ASSERT_GE(view->Tips.size(), 1U);
    EXPECT_EQ(view->Tips[0]->textFormat(), Qt::PlainText);
    EXPECT_TRUE(view->Tips[0]->text().contains(QStringLiteral("<b>黄金</b>")));
    EXPECT_LT(NewsGo->width(), 3000); // as wide as the written text, not as the picture asked
    EXPECT_TRUE(listTexts(PLList).contains(QStringLiteral("<img src=")));
}

// With titles that repeat, the row of the item clicked is highlighted, not the first of the name.
TEST_F(NewsViewTest, ClicksHighlightTheRowOfTheItem) {
    answer = QStringLiteral("非农数据,2026-12-10 9:05,31|非农数据,2026-12-10 14:05,32|"
                            "///黄金大涨,2026-12-10 10:20,41|黄金大涨,2026-12-10 14:20,42|");
    view->LoadNews();
    ASSERT_EQ(PLList->count(), 2);
    // Label 0 shows the newest ticker row: news 42.
    ASSERT_EQ(view->Tips[0]->property("Tag").toString(), QStringLiteral("42"));
    view->Tips_MouseDown(0);
    EXPECT_EQ(web->locationUrl(), kNw + QStringLiteral("42"));
    EXPECT_EQ(PLList->currentRow(), 1);
    view->Tips_MouseDown(1);
    EXPECT_EQ(PLList->currentRow(), 0);
    view->Chart1_ClickIt(0, 32, QStringLiteral("非农数据"));
    EXPECT_EQ(BBlist->currentRow(), 1);
    view->Chart1_ClickIt(1, 41, QStringLiteral("黄金大涨"));
    EXPECT_EQ(PLList->currentRow(), 0);
    // An id no row holds falls back to the first row with the title.
    view->Chart1_ClickIt(0, 77, QStringLiteral("非农数据"));
    EXPECT_EQ(BBlist->currentRow(), 0);
}

// The single waiting label stands centred in the frame, the strip as wide as the label, so the
// longer loading text is not cut.
TEST_F(NewsViewTest, TheWaitingLabelStandsCentredAndWhole) {
    const auto centred = [this] {
        const QLabel* tip = view->Tips[0];
        EXPECT_EQ(NewsGo->width(), tip->width());
        EXPECT_EQ(tip->x(), 0);
        EXPECT_LE(std::abs(NewsGo->x() + NewsGo->width() / 2 - NewsOle->width() / 2), 1);
    };
    view->placeStrip();
    centred();
    answer = QStringLiteral("<html>500</html>");
    QString duringLoad;
    int widthDuringLoad = 0;
    inFetch = [&] {
        duringLoad = view->Tips[0]->text();
        widthDuringLoad = NewsGo->width();
        centred();
    };
    view->Tips_MouseDown(0);
    EXPECT_EQ(duringLoad, QString::fromUtf16(kTipsLoading));
    EXPECT_GE(widthDuringLoad, view->Tips[0]->fontMetrics().horizontalAdvance(QString::fromUtf16(kTipsLoading)));
    EXPECT_EQ(view->Tips[0]->text(), QString::fromUtf16(kTipsWaiting));
    centred();
    NewsOle->resize(500, NewsOle->height());
    view->placeStrip();
    centred();
}

TEST_F(NewsViewTest, FailedLoadShowsTheWaitingTextWhichReloads) {
    answer = QStringLiteral("<html>500</html>");
    view->LoadNews();
    EXPECT_EQ(view->Tips[0]->text(), QStringLiteral("等候加载资讯..."));
    EXPECT_FALSE(timer->isActive());
    EXPECT_EQ(listTexts(BBlist), QStringLiteral("请等候更新..."));
    // A click on the waiting text loads again; this time the answer is good.
    answer = kFirst;
    QString duringLoad;
    inFetch = [&] { duringLoad = view->Tips[0]->text(); };
    view->Tips_MouseDown(0);
    EXPECT_EQ(duringLoad, QStringLiteral("...手动加载资讯中..."));
    EXPECT_EQ(urls.size(), 2);
    EXPECT_EQ(view->Tips[0]->text(), QStringLiteral("(1)原油回落[12-08 08:00]"));
}

TEST_F(NewsViewTest, ClicksOpenItemsAndTabs) {
    answer = QStringLiteral("非农超预期美元走强,2026-12-10 14:20,999123|") + kFirst;
    view->LoadNews();
    // The placeholder-free list: a row opens its item, the tab stays.
    BBlist->setCurrentRow(0);
    view->BBlist_MouseDown();
    EXPECT_EQ(web->locationUrl(), kBb + QStringLiteral("999123"));
    EXPECT_TRUE(tabs.empty());
    // The same row again does not load the page again.
    view->BBlist_MouseDown();
    EXPECT_EQ(web->navigations().size(), 1);
    // A ticker label of the news opens it on the news tab, with the pane moved there.
    PLList->setCurrentRow(-1);
    view->Tips_MouseDown(0);
    EXPECT_EQ(web->locationUrl(), kNw + QStringLiteral("22"));
    EXPECT_EQ(web->parentWidget(), Cole2);
    EXPECT_EQ(tabs, std::vector<int>{5});
    EXPECT_EQ(PLList->currentItem()->text(), QStringLiteral("2026-12-08 08:00 原油回落"));
    // The marker of the long-id broadcast opens the page under its short id.
    int k = -1;
    for (int i = 0; i < chart->DLCount(); ++i)
        if (chart->MarkerUsed(i) && chart->MarkerText(i).contains(QStringLiteral("非农")))
            k = i;
    ASSERT_GE(k, 0);
    BBlist->setCurrentRow(2);
    chart->markerMouseDown(k, 1, 0, 0, 0);
    EXPECT_EQ(web->locationUrl(), kBb + QStringLiteral("123"));
    EXPECT_EQ(tabs.back(), 4);
    EXPECT_EQ(BBlist->currentRow(), 0);
}

TEST_F(NewsViewTest, PlaceholderRowOpensNothing) {
    BBlist->setCurrentRow(0);
    view->BBlist_MouseDown();
    EXPECT_TRUE(web->navigations().isEmpty());
}

} // namespace
