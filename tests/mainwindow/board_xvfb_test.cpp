// The quote board's sideways drag and the ticker's single waiting label, driven through the X
// server with xdotool on a real display (run under xvfb-run and tools/withwm.sh) against the
// simulated service. Pictures: <build dir>/gallery/program/board-dragged.png,
// board-dragged-right.png and news-ticker-waiting.png.
#include "mainwindow/news.h"
#include "platform/eventwait.h"
#include "platform/forms.h"
#include "tests/mainwindow/mainondisplay.h"
#include "tests/support/childprogram.h"
#include "tests/support/forms.h"
#include "tests/support/localservice.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>

#include <algorithm>
#include <functional>

namespace {

class BoardOnDisplay : public MainOnDisplay {
protected:
    BoardOnDisplay() : MainOnDisplay(QStringLiteral("BOARD")) {}

    // The main window on the quote board at the given size, tall enough to show the list beside it.
    MainForm& boardAt(int width, int height) {
        MainForm& main = loginToMain();
        main.setGeometry(0, 0, width, height);
        main.Maintab->Tabs().Item(1).setSelected(true);
        EXPECT_TRUE(waitUntil([&] { return main.OleMove->isVisible() && !main.shortLines.empty(); }, 5000));
        platform::pauseMs(500);
        return main;
    }

    // Presses the left button on `at` (screen coordinates), moves the pointer through `xs` on
    // the same line, one move at a time, and releases it, all as X input. Long drags go in several
    // runs of the tool, the button held between them.
    static void drag(QPoint at, const std::vector<int>& xs) {
        const QString y = QString::number(at.y());
        desktop::tool(QStringLiteral("xdotool"),
                      {QStringLiteral("mousemove"), QString::number(at.x()), y, QStringLiteral("sleep"),
                       QStringLiteral("0.1"), QStringLiteral("mousedown"), QStringLiteral("1")});
        constexpr size_t kMovesPerRun = 150;
        for (size_t from = 0; from < xs.size(); from += kMovesPerRun) {
            QStringList args;
            for (size_t i = from; i < std::min(xs.size(), from + kMovesPerRun); ++i)
                args << QStringLiteral("sleep") << QStringLiteral("0.02") << QStringLiteral("mousemove")
                     << QString::number(xs[i]) << y;
            desktop::tool(QStringLiteral("xdotool"), args);
        }
        desktop::tool(QStringLiteral("xdotool"),
                      {QStringLiteral("sleep"), QStringLiteral("0.1"), QStringLiteral("mouseup"), QStringLiteral("1")});
        platform::pauseMs(200);
    }

    // The pointer's places on the screen of the moves `cell` hears with the left button down.
    struct MovesHeard : QObject {
        explicit MovesHeard(QWidget* cell) : m_cell(cell) { cell->installEventFilter(this); }
        ~MovesHeard() override {
            if (m_cell != nullptr)
                m_cell->removeEventFilter(this);
        }
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::MouseMove) {
                const auto* mouse = static_cast<QMouseEvent*>(event);
                if (mouse->buttons() & Qt::LeftButton)
                    xs.push_back(qRound(mouse->globalPosition().x()));
            }
            return false;
        }
        std::vector<int> xs;

    private:
        QPointer<QWidget> m_cell;
    };

    static std::vector<int> steps(int from, int to, int step) {
        std::vector<int> xs;
        for (int x = from; step > 0 ? x < to : x > to;) {
            x = step > 0 ? std::min(x + step, to) : std::max(x + step, to);
            xs.push_back(x);
        }
        return xs;
    }

    struct DragCase {
        const char* what;
        std::vector<int> xs; // pointer positions on the screen
        int expected;        // the board's left afterwards; -1: as the rule gives it (depends on its width)
        const char* picture = nullptr; // the window's picture afterwards, in the gallery
    };

    // Drags the board by the first price cell of the list beside it, case after case, each from
    // where the last one left the board, and checks it against the rule move by move: the board
    // follows the pointer one for one from where both were at the press, while its left edge stays
    // at or left of the window's middle and its right edge plus the pointer's offset (in the cell,
    // which does not move with the board) at or right of it; a move outside that is refused, not
    // clamped. The column heads go with the board, the list stays put, the tab stays.
    void dragCases(MainForm& main, const std::function<std::vector<DragCase>(int x0, int middle)>& makeCases) {
        QWidget* board = main.OleMove;
        ASSERT_EQ(board->x(), 0);
        const int window = main.width();
        const int boardWidth = board->width();
        std::vector<int> heads; // the heads' places relative to the board
        for (const QLabel* head : main.Mcaps)
            heads.push_back(head->x() - board->x());

        closeBoxes();
        QLabel* price = main.shortLines[0].Money;
        ASSERT_TRUE(price->isVisible());
        // Near its left end: the list stands at the window's right, and the drags right need room.
        const QPoint inCell(3, price->height() / 2);
        const QPoint press = price->mapToGlobal(inCell);
        ASSERT_EQ(QApplication::widgetAt(press), price) << "the price cell is covered or outside the window";
        const QPoint cellAt = price->pos();
        const int x0 = press.x();
        ASSERT_GE(QGuiApplication::primaryScreen()->geometry().right() - x0, 100) << "no room to drag right";
        const int tab = CurTab;

        const auto byTheRule = [&](int left, const std::vector<int>& xs) {
            const int startLeft = left;
            for (const int x : xs) {
                const int cellX = inCell.x() + x - x0;
                const int wanted = startLeft + x - x0;
                if (2 * wanted <= window && 2 * (left + boardWidth + cellX) >= window)
                    left = wanted;
            }
            return left;
        };
        MovesHeard heard(price);
        for (const DragCase& c : makeCases(x0, window / 2)) {
            SCOPED_TRACE(c.what);
            const int before = board->x();
            if (c.expected != -1) {
                ASSERT_EQ(byTheRule(before, c.xs), c.expected)
                    << "the case does not match the board's width " << boardWidth;
            }
            heard.xs.clear();
            drag(press, c.xs);
            // A busy program hears only the latest of the moves queued meanwhile, as the rule's
            // checks see them; the last one always comes through.
            ASSERT_FALSE(heard.xs.empty());
            EXPECT_EQ(heard.xs.back(), c.xs.back());
            EXPECT_EQ(board->x(), byTheRule(before, heard.xs)) << "from " << before;
            EXPECT_EQ(board->width(), boardWidth);
            EXPECT_EQ(price->pos(), cellAt);
            for (size_t h = 0; h < heads.size(); ++h)
                EXPECT_EQ(main.Mcaps[h]->x() - board->x(), heads[h]) << "head " << h;
            if (c.picture != nullptr)
                savePicture(main.grab().toImage(), QString::fromLatin1(c.picture));
        }
        EXPECT_EQ(CurTab, tab);
    }
};

// At 1280 px: in 1-px moves and in large steps, up to the middle and past it to the left.
TEST_F(BoardOnDisplay, DragFollowsThePointerWhileTheBoardSpansTheWindowsMiddle) {
    MainForm& main = boardAt(1280, 800);
    dragCases(main, [this](int x0, int middle) {
        return std::vector<DragCase>{
            {"30 moves of 1 px to the left", steps(x0, x0 - 30, -1), -30},
            {"back 10 px in 1-px moves", steps(x0, x0 + 10, 1), -20},
            {"100 px to the left in steps of 50", steps(x0, x0 - 100, -50), -120},
            {"right of home: 100 px in steps of 50", steps(x0, x0 + 100, 50), -20},
            {"100 px right in 1-px moves", steps(x0, x0 + 100, 1), 80},
            {"100 px right in one step", {x0 + 100}, 180},
            {"again", {x0 + 100}, 280},
            {"again", {x0 + 100}, 380},
            {"again", {x0 + 100}, 480},
            {"again, up to 580", {x0 + 100}, 580},
            {"a step past the middle is refused, not clamped", {x0 + 100}, 580},
            {"1-px moves up to the middle and no further", steps(x0, x0 + 100, 1), middle,
             "board-dragged-right.png"},
            {"back 40 px in 1-px moves", steps(x0, x0 - 40, -1), middle - 40},
            {"300 px left in steps of 100", steps(x0, x0 - 300, -100), middle - 340},
            {"far left in 1-px moves stops once the right edge falls short", steps(x0, x0 - 700, -1), -1},
            {"back right in steps of 100", steps(x0, x0 + 100, 100), -1},
            {"400 px left in one step", {x0 - 400}, -1},
            {"600 px left in one step", {x0 - 600}, -1},
            {"back right in 1-px moves", steps(x0, x0 + 60, 1), -1, "board-dragged.png"},
        };
    });
}

// At 1024 px the board moves as well, by the same rule.
TEST_F(BoardOnDisplay, DragAtASmallerWindow) {
    MainForm& main = boardAt(1024, 768);
    dragCases(main, [this](int x0, int) {
        return std::vector<DragCase>{
            {"20 moves of 1 px to the left", steps(x0, x0 - 20, -1), -20},
            {"100 px right in 1-px moves", steps(x0, x0 + 100, 1), 80},
            {"300 px left in one step", {x0 - 300}, -1},
            {"300 px left in 1-px moves", steps(x0, x0 - 300, -1), -1},
        };
    });
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
