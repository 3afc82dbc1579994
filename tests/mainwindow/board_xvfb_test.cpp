// The quote board's sideways drag and the ticker's single waiting label, driven through the X
// server with xdotool on a real display (run under xvfb-run and tools/withwm.sh) against the
// simulated service. Pictures: <build dir>/gallery/program/board-dragged.png and
// news-ticker-waiting.png.
#include "mainwindow/news.h"
#include "platform/eventwait.h"
#include "platform/forms.h"
#include "tests/mainwindow/mainondisplay.h"
#include "tests/support/childprogram.h"
#include "tests/support/forms.h"
#include "tests/support/localservice.h"

#include <QApplication>
#include <QLabel>

#include <algorithm>

namespace {

class BoardOnDisplay : public MainOnDisplay {
protected:
    BoardOnDisplay() : MainOnDisplay(QStringLiteral("BOARD")) {}

    // The main window on the quote board, narrow enough for the board to be wider than its view
    // and tall enough to show the list beside it.
    MainForm& boardAt(int width, int height) {
        MainForm& main = loginToMain();
        main.setGeometry(0, 0, width, height);
        main.Maintab->Tabs().Item(1).setSelected(true);
        EXPECT_TRUE(waitUntil([&] { return main.OleMove->isVisible() && !main.shortLines.empty(); }, 5000));
        platform::pauseMs(500);
        return main;
    }

    // Presses the left button on `at` (screen coordinates), moves the pointer through `xs` on
    // the same line, one move at a time, and releases it, all as X input.
    static void drag(QPoint at, const std::vector<int>& xs) {
        QStringList args{QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()),
                         QStringLiteral("sleep"), QStringLiteral("0.1"), QStringLiteral("mousedown"),
                         QStringLiteral("1")};
        for (const int x : xs)
            args << QStringLiteral("sleep") << QStringLiteral("0.02") << QStringLiteral("mousemove")
                 << QString::number(x) << QString::number(at.y());
        args << QStringLiteral("sleep") << QStringLiteral("0.1") << QStringLiteral("mouseup") << QStringLiteral("1");
        desktop::tool(QStringLiteral("xdotool"), args);
        platform::pauseMs(200);
    }

    static std::vector<int> steps(int from, int to, int step) {
        std::vector<int> xs;
        for (int x = from; step > 0 ? x < to : x > to;) {
            x = step > 0 ? std::min(x + step, to) : std::max(x + step, to);
            xs.push_back(x);
        }
        return xs;
    }
};

// The board follows the pointer one for one from where it was at the press, in 1-px moves as in
// large ones, never right of its home place and never so far left that a gap opens after its last
// column; the column heads go with it.
TEST_F(BoardOnDisplay, DragFollowsThePointerWithinTheBoard) {
    MainForm& main = boardAt(880, 768);
    QWidget* board = main.OleMove;
    QWidget* view = main.OlemoveOle;
    const int furthest = view->width() - board->width();
    ASSERT_LT(furthest, -120) << "the board (nearly) fits its view; nothing to drag";
    ASSERT_EQ(board->x(), 0);
    // The heads' places relative to the board.
    std::vector<int> heads;
    for (const QLabel* head : main.Mcaps)
        heads.push_back(head->x() - board->x());
    const auto headsFollow = [&] {
        for (size_t c = 0; c < heads.size(); ++c)
            EXPECT_EQ(main.Mcaps[c]->x() - board->x(), heads[c]) << "head " << c;
    };

    // A price cell of the list beside the board: a press there starts a drag and changes nothing
    // else. The list stays put while the board moves.
    closeBoxes();
    QLabel* price = main.shortLines[0].Money;
    ASSERT_TRUE(price->isVisible());
    const QPoint press = price->mapToGlobal(price->rect().center());
    ASSERT_EQ(QApplication::widgetAt(press), price) << "the price cell is covered or outside the window";
    const int x0 = press.x();
    const int tab = CurTab;


    struct Case {
        const char* what;
        std::vector<int> xs;
        int expected; // the board's left afterwards
    };
    const Case cases[] = {
        {"30 moves of 1 px to the left", steps(x0, x0 - 30, -1), -30},
        {"back 10 px in 1-px moves", steps(x0, x0 + 10, 1), -20},
        {"100 px to the left in steps of 50", steps(x0, x0 - 100, -50), -120},
        {"to the right further than home", steps(x0, x0 + 700, 175), 0},
        {"far to the left in large steps", steps(x0, 5, -400), furthest},
        {"back 100 px in steps of 50", steps(x0, x0 + 100, 50), furthest + 100},
        {"10 more to the left in 1-px moves", steps(x0, x0 - 10, -1), furthest + 90},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        drag(press, c.xs);
        EXPECT_EQ(board->x(), c.expected);
        EXPECT_GE(board->x() + board->width(), view->width()); // no gap after the last column
        headsFollow();
    }
    EXPECT_EQ(CurTab, tab);
    savePicture(main.grab().toImage(), QStringLiteral("board-dragged.png"));
}

// With the news feed failing, the one label of the ticker, the waiting text, stands in the middle
// of the strip and whole; a click on it asks the service again.
TEST_F(BoardOnDisplay, TheTickersWaitingLabelStandsCentred) {
    service = startLocalService();
    ASSERT_TRUE(service);
    service->setFault(QStringLiteral("/soft/news.asp"), SimService::Endpoint::Any, SimService::Fault::NotFound);
    loginForm().Command2_Click();
    ASSERT_TRUE(waitUntil([] { return MainStarted && platform::isLoaded<MainForm>(); }, 10000));
    MainForm& main = Main();
    main.showNormal();
    main.setGeometry(0, 0, 1280, 800);
    NewsView& news = main.newsView();
    ASSERT_TRUE(waitUntil([&] { return main.NewsOle->width() > 1000; }, 5000));
    platform::pauseMs(500);
    ASSERT_EQ(news.Tips.size(), 1U);
    QLabel* tip = news.Tips[0];
    const auto centred = [&] {
        EXPECT_EQ(tip->text(), QStringLiteral("等候加载资讯..."));
        EXPECT_EQ(main.NewsGo->width(), tip->width());
        EXPECT_GE(tip->width(), tip->fontMetrics().horizontalAdvance(tip->text()));
        EXPECT_LE(std::abs(main.NewsGo->x() + main.NewsGo->width() / 2 - main.NewsOle->width() / 2), 1);
    };
    centred();
    savePicture(main.grab(main.NewsOle->geometry().adjusted(0, -40, 0, 20)).toImage(),
                QStringLiteral("news-ticker-waiting.png"));

    const auto newsRequests = [&] {
        return service->requestLog().filter(QStringLiteral("/soft/news.asp")).size();
    };
    const qsizetype before = newsRequests();
    desktop::clickAt(tip->mapToGlobal(tip->rect().center()));
    EXPECT_TRUE(waitUntil([&] { return newsRequests() > before; }, 5000));
    platform::pauseMs(300);
    centred();
    // A narrower window keeps it in the middle.
    main.setGeometry(0, 0, 1024, 768);
    EXPECT_TRUE(waitUntil([&] { return main.NewsOle->width() < 1100; }, 3000));
    platform::pauseMs(200);
    centred();
}

} // namespace
