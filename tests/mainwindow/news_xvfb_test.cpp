// The broadcasts and news as a user meets them, on a real display (run under xvfb-run and
// tools/withwm.sh) against the simulated service: the ticker moving along the bottom strip, the
// broadcast list filled, the markers of today's items on the intraday chart, and where clicks on
// them lead. Pictures: <build dir>/gallery/program/news-ticker-1.png and news-ticker-2.png (a second
// apart), news-broadcasts.png, news-markers.png; tools/screenshot.sh copies them to docs/.
#include "charts/chart.h"
#include "companions/menuform.h"
#include "mainwindow/news.h"
#include "platform/browser.h"
#include "platform/clock.h"
#include "platform/eventwait.h"
#include "platform/forms.h"
#include "platform/screen.h"
#include "platform/vbtext.h"
#include "state/configstate.h"
#include "state/quotetables.h"
#include "state/session.h"
#include "state/usersettings.h"
#include "tests/mainwindow/mainondisplay.h"
#include "tests/support/forms.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPaintEvent>
#include <QTest>

#include <cstdlib>
#include <map>

namespace {

// Counts the paint events each widget of the program receives, and the pixels they cover.
class PaintCounter : public QObject {
public:
    PaintCounter() { qApp->installEventFilter(this); }
    ~PaintCounter() override { qApp->removeEventFilter(this); }
    std::map<QWidget*, int> painted;
    std::map<QWidget*, qint64> pixels;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && watched->isWidgetType()) {
            auto* widget = static_cast<QWidget*>(watched);
            ++painted[widget];
            for (const QRect& r : static_cast<QPaintEvent*>(event)->region())
                pixels[widget] += static_cast<qint64>(r.width()) * r.height();
        }
        return false;
    }
};

// The computer's clock (which the service in this process shares) runs from a Thursday
// afternoon while the object lives, so a test does not depend on the hour it runs at.
struct ThursdayAfternoon {
    ThursdayAfternoon() {
        const QDateTime afternoon = platform::naiveDateTime(QDate(2026, 12, 10), QTime(15, 0));
        QElapsedTimer running;
        running.start();
        platform::setPcClock([afternoon, running] { return afternoon.addMSecs(running.elapsed()); });
    }
    ~ThursdayAfternoon() { platform::setPcClock({}); }
    ThursdayAfternoon(const ThursdayAfternoon&) = delete;
    ThursdayAfternoon& operator=(const ThursdayAfternoon&) = delete;
};

class NewsOnDisplay : public MainOnDisplay {
protected:
    NewsOnDisplay() : MainOnDisplay(QStringLiteral("NEWS")) {}
};

} // namespace

TEST_F(NewsOnDisplay, TickerListsAndChartMarkers) {
    // The chart marks only items of today after 06:00.
    const ThursdayAfternoon clock;
    MainForm& main = loginToMain();
    ASSERT_TRUE(service && MainStarted);
    NewsView& news = main.newsView();
    ASSERT_TRUE(waitUntil([&] { return news.Tips.size() == 25 && !news.Tips[0]->property("Tag").isNull(); }, 10000));
    EXPECT_TRUE(service->requestLog().join(u'\n').contains(QStringLiteral("/soft/news.asp?ver=")));

    // The ticker: filled labels on the strip, moving to the left about 50 pixels a second.
    EXPECT_TRUE(news.Tips[0]->text().startsWith(QStringLiteral("(1)")));
    EXPECT_TRUE(news.Tips[24]->text().startsWith(QStringLiteral("(25)")));
    EXPECT_TRUE(news.Newsgotime().isActive());
    // Wait until the strip's start is inside the window, so both pictures show text.
    ASSERT_TRUE(waitUntil([&] { return main.NewsGo->x() < main.NewsOle->width() - 900; }, 30000));
    const QRect strip = main.NewsOle->geometry().adjusted(0, -120, 0, 0);
    const int left1 = main.NewsGo->x();
    savePicture(main.grab(strip).toImage(), QStringLiteral("news-ticker-1.png"));
    platform::pauseMs(1000);
    const int left2 = main.NewsGo->x();
    savePicture(main.grab(strip).toImage(), QStringLiteral("news-ticker-2.png"));
    EXPECT_LT(left2, left1 - 20);
    EXPECT_GT(left2, left1 - 80);

    // The broadcast tab: every broadcast of the feed, oldest first; a row opens its page in Web(0).
    main.Maintab->Tabs().Item(4).setSelected(true);
    ASSERT_TRUE(waitUntil([&] { return main.BBlist->isVisible(); }, 3000));
    EXPECT_GE(main.BBlist->count(), 25);
    EXPECT_GE(main.PLList->count(), 25);
    EXPECT_LT(main.BBlist->item(0)->text(), main.BBlist->item(main.BBlist->count() - 1)->text());
    const int row = main.BBlist->count() - 1;
    const int32_t id = main.BBlist->item(row)->data(Qt::UserRole).toInt();
    main.BBlist->scrollToItem(main.BBlist->item(row));
    QTest::mouseClick(main.BBlist->viewport(), Qt::LeftButton, {},
                      main.BBlist->visualItemRect(main.BBlist->item(row)).center());
    EXPECT_EQ(main.Web[0]->locationUrl(), BroadcastItemUrl + QString::number(id));
    platform::pauseMs(1500);
    savePicture(main.grab().toImage(), QStringLiteral("news-broadcasts.png"));

    // The intraday tab: markers of today's items; a press on one brings its tab forward.
    main.Maintab->Tabs().Item(2).setSelected(true);
    Chart* chart = main.Charts[0];
    ASSERT_TRUE(waitUntil([&] { return chart->isVisible(); }, 3000));
    platform::pauseMs(1000);
    int marker = -1;
    int markers = 0;
    for (int k = 0; k < chart->DLCount(); ++k)
        if (chart->MarkerUsed(k) && chart->DL(k).Visible) {
            ++markers;
            marker = k;
        }
    EXPECT_GE(markers, 1);
    savePicture(main.grab().toImage(), QStringLiteral("news-markers.png"));
    // The right button on the chart opens the tray icon's menu there.
    ASSERT_TRUE(platform::isLoaded<MenuForm>());
    QTest::mousePress(chart, Qt::RightButton, {}, chart->rect().center());
    QTest::mouseRelease(chart, Qt::RightButton, {}, chart->rect().center());
    EXPECT_TRUE(waitUntil([] { return menuForm().MainMenu->isVisible(); }, 3000));
    menuForm().MainMenu->hide();

    ASSERT_GE(marker, 0);
    const ChartLabel& label = chart->DL(marker);
    const QPoint inside(static_cast<int>(label.Left / TwipsX) + 2, static_cast<int>(label.Top / TwipsY) + 2);
    ASSERT_EQ(chart->markerAt(label.Left + 30, label.Top + 30), marker);
    const int16_t type = chart->MarkerType(marker);
    QTest::mousePress(chart, Qt::LeftButton, {}, inside);
    QTest::mouseRelease(chart, Qt::LeftButton, {}, inside);
    ASSERT_TRUE(waitUntil([&] { return CurTab == (type == 0 ? 4 : 5); }, 3000));
    EXPECT_TRUE(main.Web[0]->locationUrl().startsWith(type == 0 ? BroadcastItemUrl : NewsItemUrl));
}

// Today's markers stand at their item's time on the 72-hour chart's axis, read where a user reads
// it (the crosshair's time under a press above the marker): after the start, after the window
// is resized and after the panes are laid out anew.
TEST_F(NewsOnDisplay, MarkersStandAtTheirItemsTimeAtEverySize) {
    const ThursdayAfternoon clock;
    MainForm& main = loginToMain();
    Chart* chart = main.Charts[0];
    ASSERT_TRUE(waitUntil([&] { return chart->ShowChartD; }, 10000)) << "no news on the chart";
    main.Maintab->Tabs().Item(2).setSelected(true);
    ASSERT_TRUE(waitUntil([&] { return chart->isVisible() && chart->ChartDrawn(); }, 10000));

    const auto readAxis = [&](const char* when) {
        SCOPED_TRACE(when);
        platform::pauseMs(300); // the layout settles
        int checked = 0;
        for (int k = 0; k < chart->DLCount(); ++k) {
            if (!chart->MarkerUsed(k) || !chart->DL(k).Visible)
                continue;
            const QTime item = platform::CDate(chart->MarkerText(k).section(QStringLiteral("\r\n"), 0, 0)).time();
            const QPoint above(qRound(chart->DL(k).Left / TwipsX), chart->height() / 2);
            QTest::mousePress(chart, Qt::LeftButton, {}, above);
            const QTime read = QTime::fromString(chart->Labelb().Caption, QStringLiteral("HH:mm"));
            QTest::mouseRelease(chart, Qt::LeftButton, {}, above);
            ASSERT_TRUE(read.isValid()) << chart->Labelb().Caption.toStdString();
            // The slot is the item's time to the nearest ten minutes; a pixel is about two.
            EXPECT_LE(std::abs(read.secsTo(item)), 8 * 60)
                << "marker of " << item.toString().toStdString() << " stands at " << read.toString().toStdString()
                << " (" << chart->width() << " pixels)";
            ++checked;
        }
        EXPECT_GE(checked, 1);
    };
    readAxis("after the start at 1280 pixels");
    savePicture(chart->grab().toImage(), QStringLiteral("news-markers-1280.png"));
    main.resize(1024, 768);
    readAxis("after a resize to 1024 pixels");
    main.VIPChart2->setChecked(true);
    readAxis("with the second pane");
    savePicture(chart->grab().toImage(), QStringLiteral("news-markers-two-panes.png"));
    main.VIPChart2->setChecked(false);
    readAxis("with one pane again");

    // The ten-day chart's axis is not the day's: a marker there would read as another date. They
    // are hidden while it is shown, and back at their time with the 72-hour chart (F3).
    const auto shownMarkers = [&] {
        int shown = 0;
        for (int k = 0; k < chart->DLCount(); ++k)
            shown += chart->MarkerUsed(k) && chart->DL(k).Visible ? 1 : 0;
        return shown;
    };
    QTest::keyClick(main.Combos[3], Qt::Key_0, Qt::AltModifier);
    ASSERT_TRUE(waitUntil([&] { return !chart->DayAxis && chart->ChartDrawn(); }, 10000)) << "no ten-day chart";
    EXPECT_EQ(shownMarkers(), 0);
    QTest::keyClick(&main, Qt::Key_F3);
    ASSERT_TRUE(waitUntil([&] { return chart->DayAxis && chart->ChartDrawn(); }, 10000)) << "no 72-hour chart";
    EXPECT_GE(shownMarkers(), 1);
    readAxis("back on the 72-hour chart");
}

// While nothing but the ticker changes, a tick moves what is on screen and paints only the column
// that comes in: neither the frame around the strip nor the window is painted again.
TEST_F(NewsOnDisplay, ATickRepaintsOnlyTheStrip) {
    MainForm& main = loginToMain();
    NewsView& news = main.newsView();
    ASSERT_TRUE(waitUntil([&] { return news.Tips.size() == 25 && !news.Tips[0]->property("Tag").isNull(); }, 10000));
    ASSERT_TRUE(waitUntil([&] { return main.NewsGo->x() < main.NewsOle->width() - 900; }, 30000));
    // Let the rest of the window settle (first histories, the charts) before counting.
    platform::pauseMs(3000);
    const int pictures = news.stripPictures();
    PaintCounter counter;
    const int left1 = main.NewsGo->x();
    // Counted over some twenty ticks, however long a busy machine takes for them.
    ASSERT_TRUE(waitUntil([&] { return left1 - main.NewsGo->x() > 20; }, 30000));
    const int ticks = left1 - main.NewsGo->x();
    ASSERT_GT(main.NewsGo->x(), -main.NewsGo->width()); // no wrap in between
    QStringList others;
    for (const auto& [widget, times] : counter.painted) {
        // The strip and the label under the incoming column are painted with the ticks.
        if (widget == main.NewsGo || std::find(news.Tips.begin(), news.Tips.end(), widget) != news.Tips.end())
            continue;
        // A once-a-second clock may repaint its own label; nothing else repaints with the ticks.
        if (times >= ticks / 4 || widget == main.NewsOle || widget == &main)
            others << QStringLiteral("%1 %2 x%3").arg(QString::fromLatin1(widget->metaObject()->className()),
                                                      widget->objectName()).arg(times);
    }
    EXPECT_TRUE(others.isEmpty()) << others.join(u'\n').toStdString();
    EXPECT_GE(counter.painted[main.NewsGo], ticks / 2);
    // A few columns a tick, not the strip's width.
    EXPECT_LE(counter.pixels[main.NewsGo], static_cast<qint64>(ticks) * 4 * main.NewsGo->height());
    EXPECT_EQ(news.stripPictures(), pictures);
}
