#include "platform/forms.h"

#include "platform/eventwait.h"
#include "platform/msgbox.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QScreen>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <functional>

#include <gtest/gtest.h>

#include <vector>

using namespace platform;

namespace {

class PlainForm : public Form {
public:
    PlainForm() { ++constructed; }
    static inline int constructed = 0;
};

class OtherForm : public Form {};

// Load code that reaches its own form through the accessor, as the main window's start-up does.
class SelfReferringForm : public Form {
public:
    static inline Form* seenDuringLoad = nullptr;

protected:
    void formLoad() override { seenDuringLoad = &form<SelfReferringForm>(); }
};

class StubbornForm : public Form {
public:
    bool allowUnload = false;
    int asked = 0;

protected:
    bool queryUnload() override {
        ++asked;
        return allowUnload;
    }
};

void deleteUnloadedForms() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

class Forms : public ::testing::Test {
protected:
    void SetUp() override {
        setQuitHandler([this] { ++m_quits; });
        PlainForm::constructed = 0;
    }
    void TearDown() override {
        for (Form* f : loadedForms()) {
            if (auto* stubborn = dynamic_cast<StubbornForm*>(f))
                stubborn->allowUnload = true;
        }
        unloadAll();
        deleteUnloadedForms();
        setQuitHandler(nullptr);
    }
    int m_quits = 0;
};

} // namespace

TEST_F(Forms, GlobalFormIsCreatedOnFirstUseAndKeptUntilUnloaded) {
    EXPECT_FALSE(isLoaded<PlainForm>());
    EXPECT_EQ(PlainForm::constructed, 0) << "asking whether a form is loaded must not load it";

    PlainForm& first = form<PlainForm>();
    EXPECT_TRUE(isLoaded<PlainForm>());
    EXPECT_TRUE(first.isLoaded());
    EXPECT_EQ(&form<PlainForm>(), &first);
    EXPECT_EQ(PlainForm::constructed, 1);
    EXPECT_FALSE(isLoaded<OtherForm>()) << "each form class has its own instance";

    QPointer<PlainForm> watch(&first);
    EXPECT_TRUE(unload<PlainForm>());
    EXPECT_FALSE(isLoaded<PlainForm>());
    EXPECT_FALSE(watch->isLoaded());
    EXPECT_TRUE(watch->isHidden());
    ASSERT_FALSE(watch.isNull()) << "deletion waits for the event loop, so a form may unload itself";
    deleteUnloadedForms();
    EXPECT_TRUE(watch.isNull()) << "an unloaded form is deleted";

    PlainForm& second = form<PlainForm>();
    EXPECT_EQ(PlainForm::constructed, 2) << "use after an unload loads a new instance";
    EXPECT_TRUE(second.isLoaded());
}

TEST_F(Forms, LoadCodeReachesTheNewFormThroughItsAccessor) {
    SelfReferringForm::seenDuringLoad = nullptr;
    SelfReferringForm& f = form<SelfReferringForm>();
    EXPECT_EQ(SelfReferringForm::seenDuringLoad, &f);
    EXPECT_EQ(loadedForms().count(), 1);
}

TEST_F(Forms, FormsMadeWithNewAreLoadedInLoadOrder) {
    auto* a = new PlainForm;
    Form& global = form<OtherForm>();
    auto* b = new PlainForm;
    EXPECT_EQ(loadedForms(), (QList<Form*>{a, &global, b}));
    EXPECT_FALSE(isLoaded<PlainForm>()) << "instances made with new are not the global one";

    b->unload();
    EXPECT_EQ(loadedForms(), (QList<Form*>{a, &global}));
}

TEST_F(Forms, RefusedUnloadKeepsTheFormThroughEitherWay) {
    StubbornForm& f = form<StubbornForm>();
    f.show();
    EXPECT_FALSE(f.unload());
    EXPECT_FALSE(f.close()) << "the user's close asks the same question";
    EXPECT_EQ(f.asked, 2);
    EXPECT_TRUE(isLoaded<StubbornForm>());
    EXPECT_TRUE(f.isVisible());

    f.allowUnload = true;
    EXPECT_TRUE(f.close());
    EXPECT_FALSE(isLoaded<StubbornForm>());
}

TEST_F(Forms, ClosingTheWindowUnloadsAndDeletes) {
    QPointer<PlainForm> f(&form<PlainForm>());
    f->show();
    EXPECT_TRUE(f->close());
    EXPECT_FALSE(isLoaded<PlainForm>());
    deleteUnloadedForms();
    EXPECT_TRUE(f.isNull());
}

TEST_F(Forms, OwnedFormsUnloadWithTheirOwnerEvenWhenTheyWouldRefuse) {
    Form& owner = form<OtherForm>();
    owner.show();
    auto* owned = new StubbornForm;
    owned->showForm(&owner);
    EXPECT_EQ(owned->parentWidget(), &owner);
    EXPECT_TRUE(owned->isWindow()) << "an owned form is a window of its own";
    EXPECT_TRUE(owned->isVisible()) << "a modeless show returns with the form shown";
    auto* free = new PlainForm;
    free->showForm(nullptr);

    QPointer<StubbornForm> watchOwned(owned);
    owner.unload();
    ASSERT_FALSE(watchOwned.isNull());
    EXPECT_EQ(watchOwned->asked, 1) << "the owned form hears of its unload";
    EXPECT_FALSE(watchOwned->isLoaded());
    EXPECT_EQ(loadedForms(), QList<Form*>{free});
    deleteUnloadedForms();
    EXPECT_TRUE(watchOwned.isNull());
}

TEST_F(Forms, DeletingAFormDirectlyForgetsIt) {
    auto* f = new PlainForm;
    Form& kept = form<OtherForm>();
    delete f;
    EXPECT_EQ(loadedForms(), QList<Form*>{&kept});
}

TEST_F(Forms, UnloadAllGoesFromTheLatestAndSkipsTheKeptOnes) {
    std::vector<int> order;
    struct Recording : Form {
        Recording(std::vector<int>& log, int id) : m_log(log), m_id(id) {}
        bool queryUnload() override {
            m_log.push_back(m_id);
            return true;
        }
        std::vector<int>& m_log;
        int m_id;
    };
    auto* one = new Recording(order, 1);
    auto* two = new Recording(order, 2);
    auto* three = new Recording(order, 3);
    unloadAll([two](Form* f) { return f == two; });
    EXPECT_EQ(order, (std::vector<int>{3, 1}));
    EXPECT_EQ(loadedForms(), QList<Form*>{two});
    EXPECT_FALSE(one->isLoaded());
    EXPECT_FALSE(three->isLoaded());
    EXPECT_EQ(m_quits, 0);
    two->unload();
    EXPECT_EQ(order, (std::vector<int>{3, 1, 2}));
}

TEST_F(Forms, TheLastUnloadEndsTheProgramAndNoEarlierOne) {
    struct Step {
        const char* what;
        std::function<void()> act;
        int quitsAfter;
    };
    auto* login = new PlainForm;
    Form& main = form<OtherForm>();
    auto* refusing = new StubbornForm;
    const Step steps[] = {
        {"unload one of three", [&] { main.unload(); }, 0},
        {"a refused unload", [&] { refusing->unload(); }, 0},
        {"unload the next", [&] { login->unload(); }, 0},
        {"unload the last",
         [&] {
             refusing->allowUnload = true;
             refusing->unload();
         },
         1},
        {"a new form after the end", [] { form<PlainForm>(); }, 1},
    };
    for (const Step& s : steps) {
        s.act();
        EXPECT_EQ(m_quits, s.quitsAfter) << s.what;
    }
}

TEST_F(Forms, TheRealQuitLeavesTheEventLoopWhenTheLastFormUnloads) {
    setQuitHandler(nullptr);
    auto* first = new PlainForm;
    auto* second = new PlainForm;
    first->show();
    second->show();
    QPointer<PlainForm> watchSecond(second);
    QTimer::singleShot(0, first, [first] { first->unload(); });
    QTimer::singleShot(30, second, [second] { second->close(); });
    // A safety net only: the loop must end by the unload, long before this.
    QTimer safety;
    safety.setSingleShot(true);
    QObject::connect(&safety, &QTimer::timeout, [] { QCoreApplication::exit(7); });
    safety.start(5000);

    EXPECT_EQ(runMainLoop(), 0);
    EXPECT_TRUE(loadedForms().isEmpty()) << "the loop ended before the last form unloaded";
    EXPECT_TRUE(watchSecond.isNull()) << "leaving the loop deletes what was unloaded";
    EXPECT_FALSE(programEnding()) << "the end is over once the main loop has returned";
}

// The last form unloads while a handler waits in a nested loop (an HTTP request, a pause): the
// wait returns, no wait runs again, and the main loop ends instead of running on.
TEST_F(Forms, TheEndLeavesNestedWaitsAndStartsNoNewOnes) {
    setQuitHandler(nullptr);
    auto* last = new PlainForm;
    last->show();
    QTimer never;
    struct Wait {
        const char* what;
        std::function<void()> wait;
    };
    // Each wait would run for kLongWaitMs; one that returns within half of it has ended early,
    // however busy the machine is.
    constexpr int kLongWaitMs = 10000;
    const Wait waits[] = {
        {"a pause", [] { pauseMs(kLongWaitMs); }},
        {"a wait for a signal", [&never] { (void)waitForSignal(&never, &QTimer::timeout, kLongWaitMs); }},
    };
    qint64 waitedThroughTheEnd = -1;
    std::vector<qint64> waitedAfter;
    bool endingSeen = false;
    QTimer::singleShot(0, [&] {
        QElapsedTimer clock;
        clock.start();
        QTimer::singleShot(20, last, [last] { last->unload(); });
        pauseMs(kLongWaitMs);
        waitedThroughTheEnd = clock.elapsed();
        endingSeen = programEnding();
        for (const Wait& w : waits) {
            clock.restart();
            w.wait();
            waitedAfter.push_back(clock.elapsed());
        }
    });
    QTimer safety;
    safety.setSingleShot(true);
    QObject::connect(&safety, &QTimer::timeout, [] { QCoreApplication::exit(7); });
    safety.start(8000);

    EXPECT_EQ(runMainLoop(), 0);
    EXPECT_TRUE(endingSeen);
    EXPECT_GE(waitedThroughTheEnd, 0);
    EXPECT_LT(waitedThroughTheEnd, kLongWaitMs / 2) << "the pause under way ran on after the end";
    ASSERT_EQ(waitedAfter.size(), std::size(waits));
    for (std::size_t i = 0; i < std::size(waits); ++i)
        EXPECT_LT(waitedAfter[i], kLongWaitMs / 2) << waits[i].what << " ran after the end";
    EXPECT_FALSE(programEnding());
}

namespace {

// In a process of its own (the end cannot be undone): the start window's load closes the last
// form before the main loop has begun, as a refused start-up question does. Exits 0 when the
// program then behaves as ended; any other code names the first thing that went wrong.
[[noreturn]] void endBeforeTheMainLoop() {
    setQuitHandler(nullptr);
    auto* start = new PlainForm;
    start->show();
    start->unload();
    constexpr int kPauseMs = 10000;
    QElapsedTimer clock;
    clock.start();
    pauseMs(kPauseMs);
    if (clock.elapsed() > kPauseMs / 2)
        std::_Exit(2); // the pause ran its course
    if (messageBox(QStringLiteral("重试?"), QString(), BoxButtons::YesNo, BoxIcon::Question) != BoxAnswer::No)
        std::_Exit(3); // a question asked while ending must not answer Yes
    auto* late = new PlainForm;
    late->showForm();
    if (late->isVisible())
        std::_Exit(4); // a window opened while ending
    // Were the loop entered, only this would end it.
    QTimer::singleShot(3000, [] { std::_Exit(5); });
    std::fflush(nullptr);
    std::_Exit(runMainLoop() == 0 ? 0 : 6);
}

} // namespace

TEST(FormsDeathTest, AnEndBeforeTheMainLoopIsNotLost) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(endBeforeTheMainLoop(), ::testing::ExitedWithCode(0), "");
}

TEST_F(Forms, ModalShowReturnsOnceTheFormIsGoneWhileTimersKeepRunning) {
    struct Ending {
        const char* what;
        std::function<void(Form&)> end;
        bool stillLoaded;
    };
    const Ending endings[] = {
        {"unload", [](Form& f) { f.unload(); }, false},
        {"the user's close", [](Form& f) { f.close(); }, false},
        {"hide", [](Form& f) { f.hide(); }, true},
    };
    Form& owner = form<OtherForm>();
    owner.show();
    for (const Ending& e : endings) {
        auto* box = new PlainForm;
        QPointer<PlainForm> watch(box);
        bool returned = false;
        bool modalWhileShown = false;
        int ticks = 0;
        QTimer timer;
        timer.setInterval(5);
        QObject::connect(&timer, &QTimer::timeout, [&] {
            ++ticks;
            if (ticks == 3 && !returned && watch) {
                modalWhileShown = watch->isModal();
                e.end(*watch);
            }
        });
        timer.start();
        box->showForm(&owner, true);
        returned = true;
        EXPECT_GE(ticks, 3) << e.what << ": the call returned before the form went";
        EXPECT_TRUE(modalWhileShown) << e.what;
        EXPECT_EQ(!watch.isNull() && watch->isLoaded(), e.stillLoaded) << e.what;
        if (watch && e.stillLoaded) {
            EXPECT_FALSE(watch->isModal()) << "a later plain show is modeless";
            watch->unload();
        }
        deleteUnloadedForms();
    }
}

TEST_F(Forms, KeysReachTheMainWindowOnlyWhileItIsLoaded) {
    std::vector<std::pair<int, int>> received;
    EXPECT_EQ(mainForm(), nullptr);
    sendKeyToMain(116, 0);

    Form& main = form<OtherForm>();
    setMainForm(&main, [&](int key, int shift) { received.emplace_back(key, shift); });
    EXPECT_EQ(mainForm(), &main);
    sendKeyToMain(116, 0);
    sendKeyToMain(65, 2);
    EXPECT_EQ(received, (std::vector<std::pair<int, int>>{{116, 0}, {65, 2}}));

    main.unload();
    EXPECT_EQ(mainForm(), nullptr) << "an unloaded main window is forgotten";
    sendKeyToMain(117, 0);
    EXPECT_EQ(received.size(), 2u);
    EXPECT_FALSE(isLoaded<OtherForm>()) << "forwarding never loads the main window";
}

TEST_F(Forms, AnUnloadedFormCannotBecomeTheMainWindow) {
    auto* f = new PlainForm;
    f->unload();
    int calls = 0;
    setMainForm(f, [&](int, int) { ++calls; });
    sendKeyToMain(116, 0);
    EXPECT_EQ(mainForm(), nullptr);
    EXPECT_EQ(calls, 0);
}

TEST(OwnedWindows, AnOwnedPlainWindowIsADialogUntilShownFreeAgain) {
    struct Case {
        Qt::WindowFlags flags;
        Qt::WindowType freeType;
        bool owned;
        Qt::WindowFlags expected;
    };
    const Case cases[] = {
        {Qt::Window, Qt::Window, true, Qt::Dialog},
        {Qt::Window | Qt::WindowStaysOnTopHint, Qt::Window, true, Qt::Dialog | Qt::WindowStaysOnTopHint},
        {Qt::Dialog, Qt::Window, false, Qt::Window},
        {Qt::Dialog, Qt::Dialog, false, Qt::Dialog},       // made a dialog: stays one
        {Qt::Tool | Qt::FramelessWindowHint, Qt::Tool, true, Qt::Tool | Qt::FramelessWindowHint},
        {Qt::Tool, Qt::Tool, false, Qt::Tool},
        {Qt::Window, Qt::Window, false, Qt::Window},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ownedWindowFlags(c.flags, c.freeType, c.owned), c.expected)
            << std::hex << c.flags.toInt() << " owned " << c.owned;
}

TEST(OwnedWindows, CentredOnTheOwnerAndKeptOnTheScreen) {
    const QRect screen(0, 0, 1280, 770);
    struct Case {
        const char* name;
        QRect frame;
        QRect owner;
        QPoint expected;
    };
    const Case cases[] = {
        {"middle of a maximised owner", {0, 0, 560, 450}, {0, 0, 1280, 770}, {360, 160}},
        {"owner near the right edge", {0, 0, 400, 300}, {1000, 100, 400, 300}, {880, 100}},
        {"owner above the top", {0, 0, 400, 300}, {100, -250, 400, 300}, {100, 0}},
        {"taller than the screen: title bar stays", {0, 0, 400, 900}, {0, 0, 1280, 770}, {440, 0}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(centredOn(c.frame, c.owner, screen), c.expected) << c.name;
}

TEST_F(Forms, AnOwnedFormOpensOnItsOwnerUnlessItPlacedItself) {
    auto* owner = new PlainForm;
    owner->setGeometry(100, 100, 600, 400);
    owner->show();
    auto* placed = new PlainForm;
    placed->resize(200, 100);
    placed->move(5, 5);
    auto* free = new PlainForm;
    free->resize(200, 100);
    free->showForm(owner);
    placed->showForm(owner);
    EXPECT_EQ(free->windowType(), Qt::Dialog);
    EXPECT_LE((free->frameGeometry().center() - owner->frameGeometry().center()).manhattanLength(), 4)
        << free->x() << "," << free->y();
    EXPECT_EQ(placed->pos(), QPoint(5, 5));
    free->showForm(nullptr);
    EXPECT_EQ(free->windowType(), Qt::Window);
    unloadAll();
}

// A form shown without waiting while its owner is off screen (not shown yet, hidden, minimised)
// waits for it, and comes when the owner is back on screen; a modal one never waits, and a form
// whose owner is on screen comes at once.
TEST_F(Forms, AnOwnedFormWaitsForAnOwnerOffScreen) {
    struct Case {
        const char* name;
        std::function<void(QWidget*)> offScreen; // null: the owner stays on screen
        std::function<void(QWidget*)> back;
    };
    const auto hide = [](QWidget* w) { w->hide(); };
    const auto show = [](QWidget* w) { w->show(); };
    const auto minimise = [](QWidget* w) { w->setWindowState(Qt::WindowMinimized); };
    const auto restore = [](QWidget* w) {
        w->setWindowState(Qt::WindowNoState);
        w->show();
    };
    const Case cases[] = {
        {"owner on screen", nullptr, nullptr},
        {"owner hidden", hide, show},
        {"owner minimised", minimise, restore},
        {"owner minimised and hidden", [](QWidget* w) { w->setWindowState(Qt::WindowMinimized); w->hide(); }, restore},
    };
    for (const Case& c : cases) {
        auto* owner = new PlainForm;
        owner->setGeometry(100, 100, 600, 400);
        owner->show();
        if (c.offScreen)
            c.offScreen(owner);
        pauseMs(0);
        auto* owned = new PlainForm;
        owned->resize(200, 100);
        owned->showForm(owner);
        // A form that must be seen at once does not wait, as an alert ringing while the main
        // window is in the tray.
        auto* urgent = new PlainForm;
        urgent->resize(200, 100);
        urgent->setShownWithoutOwner(true);
        urgent->showForm(owner);
        pauseMs(0);
        EXPECT_EQ(owned->isVisible(), !c.offScreen) << c.name;
        EXPECT_TRUE(urgent->isVisible()) << c.name << ": an urgent form waited for its owner";
        if (c.back) {
            c.back(owner);
            pauseMs(0);
            EXPECT_TRUE(owned->isVisible()) << c.name << ": did not come with its owner";
            EXPECT_FALSE(owned->isMinimized()) << c.name;
            EXPECT_LE((owned->frameGeometry().center() - owner->frameGeometry().center()).manhattanLength(), 4)
                << c.name << ": not on its owner";
        }
        owner->unload();
        deleteUnloadedForms();
    }
}

TEST_F(Forms, AFreeFormOpensInTheMiddleOfTheWorkAreaUnlessItPlacedItself) {
    auto* free = new PlainForm;
    free->resize(300, 200);
    auto* placed = new PlainForm;
    placed->resize(300, 200);
    placed->move(5, 5);
    free->showForm();
    placed->showForm();
    const QRect area = free->screen()->availableGeometry();
    EXPECT_LE((free->frameGeometry().center() - area.center()).manhattanLength(), 4) << free->x() << "," << free->y();
    EXPECT_EQ(placed->pos(), QPoint(5, 5));
    unloadAll();
}
