#include "common/windowutil.h"

#include "platform/forms.h"
#include "platform/memory.h"
#include "platform/programicon.h"
#include "platform/screen.h"
#include "platform/tray.h"
#include "state/usersettings.h"
#include "tests/companions/icons.h"
#include "tests/support/programfolder.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QPixmap>
#include <QRect>
#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

using platform::FakeTrayIcon;
using platform::TrayCommand;

namespace {

QIcon plainIcon(QColor colour) {
    QPixmap pixmap(16, 16);
    pixmap.fill(colour);
    return QIcon(pixmap);
}

} // namespace

TEST(SetWindowAlpha, ClampsTheCallersValueAndSetsThatOpacity) {
    const struct {
        int given;
        int kept;
    } cases[] = {{-5, 0}, {0, 0}, {1, 1}, {128, 128}, {229, 229}, {255, 255}, {256, 255}, {300, 255}};
    for (const auto& c : cases) {
        QWidget window;
        int alpha = c.given;
        SetWindowAlpha(&window, alpha, false);
        EXPECT_EQ(alpha, c.kept) << c.given;
        EXPECT_EQ(qRound(window.windowOpacity() * 255), c.kept) << c.given;
    }
    int alpha = -20;
    SetWindowAlpha(nullptr, alpha, true);
    EXPECT_EQ(alpha, 0) << "the caller's value is clamped even without a window";
}

TEST(SetWindowAlpha, EveryAlphaComesBackAsItself) {
    QWidget window;
    for (int level = 0; level <= 255; ++level) {
        int alpha = level;
        SetWindowAlpha(&window, alpha, false);
        ASSERT_EQ(qRound(window.windowOpacity() * 255), level);
    }
}

TEST(SetWindowAlpha, TopMostNeitherMovesNorSizesTheWindow) {
    QWidget window;
    window.resize(300, 200);
    window.show();
    const QRect place = window.geometry();
    int alpha = 200;

    SetWindowAlpha(&window, alpha, true);
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.geometry(), place);

    SetWindowAlpha(&window, alpha, false);
    EXPECT_FALSE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.geometry(), place);

    window.hide();
    SetWindowAlpha(&window, alpha, true);
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_FALSE(window.isVisible()) << "a hidden window stays hidden";
}

// A re-made native window loses what the window manager knew of it (its taskbar state).
TEST(SetWindowAlpha, TopMostKeepsTheSameNativeWindow) {
    QWidget window;
    window.show();
    const WId native = window.winId();
    int alpha = 255;
    for (const bool topMost : {true, false, true}) {
        SetWindowAlpha(&window, alpha, topMost);
        EXPECT_EQ(window.winId(), native) << "top-most " << topMost;
        EXPECT_EQ(window.windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint), topMost);
    }
}

TEST(CalcAlpha, TransparencyLevelsRoundHalvesToEven) {
    const int16_t saved = TransLevel;
    const struct {
        int16_t level;
        int32_t alpha;
    } cases[] = {{0, 255}, {1, 229}, {2, 204}, {3, 179}, {5, 127}, {7, 77}, {9, 25}};
    for (const auto& c : cases) {
        TransLevel = c.level;
        AlphaValue = -1;
        CalcAlpha();
        EXPECT_EQ(AlphaValue, c.alpha) << c.level;
    }
    TransLevel = saved;
}

class FormIcon : public ProgramFolderTest {
protected:
    void SetUp() override {
        ProgramFolderTest::SetUp();
        m_savedAppIcon = QApplication::windowIcon();
        QApplication::setWindowIcon(plainIcon(Qt::yellow));
    }
    void TearDown() override {
        QApplication::setWindowIcon(m_savedAppIcon);
        ProgramFolderTest::TearDown();
    }

    [[nodiscard]] QString ownExecutable() const {
        return file(QFileInfo(QCoreApplication::applicationFilePath()).fileName());
    }

    QIcon m_savedAppIcon;
};

TEST_F(FormIcon, FileNamingNoFileBecomesTheProgramsOwnAndItsIcon) {
    QDir(m_dir.path()).mkdir("folder");
    const QImage programs = platform::programIcon().pixmap(16, 16).toImage();
    for (const QString& given : {QString(), file("missing.ico"), file("folder")}) {
        QWidget window;
        QString path = given;
        SetFormIcon(&window, path, 0);
        EXPECT_EQ(path, ownExecutable()) << given.toStdString();
        EXPECT_EQ(window.windowIcon().pixmap(16, 16).toImage(), programs) << given.toStdString();
    }
    QWidget window;
    QString path;
    SetFormIcon(&window, path, 1);
    EXPECT_EQ(iconColour(window.windowIcon(), 16), QColor(Qt::yellow)) << "the program's file holds one icon";
}

TEST(ProgramIcon, EverySizeIsACoinWithItsLine) {
    const QIcon icon = platform::programIcon();
    const QList<QSize> sizes = icon.availableSizes();
    for (const int side : {16, 24, 32, 48, 256}) {
        ASSERT_TRUE(sizes.contains(QSize(side, side))) << side << " pixels drawn for their size";
        const QImage image = icon.pixmap(side, side).toImage().convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(image.size(), QSize(side, side));
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << side << ": a round coin leaves the corners clear";
        int gold = 0;
        int red = 0;
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x) {
                const QColor c = image.pixelColor(x, y);
                if (c.alpha() < 250)
                    continue;
                gold += c.red() > 180 && c.green() > 120 && c.blue() < 110;
                red += c.red() > 170 && c.green() < 70 && c.blue() < 70;
            }
        EXPECT_GT(gold, side * side / 4) << side;
        EXPECT_GT(red, side) << side << ": the quote line";
    }
}

TEST_F(FormIcon, IconFileGivesItsIconAndKeepsItsName) {
    write("ico.dat", iconFile({{16, Qt::green}, {32, Qt::red}}));
    write(".hidden.ico", iconFile({{16, Qt::blue}}));
    write("notes.txt", "plain text");
    const struct {
        QString name;
        int index;
        QColor colour; // at 16 pixels
    } cases[] = {
        {"ico.dat", 0, Qt::green},
        {".hidden.ico", 0, Qt::blue},   // hidden files count
        {"ico.dat", 1, Qt::yellow},     // a file holds one icon
        {"notes.txt", 0, Qt::yellow},   // not a picture: the application's icon
    };
    for (const auto& c : cases) {
        QWidget window;
        QString path = file(c.name);
        SetFormIcon(&window, path, c.index);
        EXPECT_EQ(path, file(c.name));
        EXPECT_EQ(iconColour(window.windowIcon(), 16), c.colour) << c.name.toStdString() << c.index;
    }
}

TEST(TaskbarHeight, OnlyAStripAtTheBottomCounts) {
    const struct {
        QRect screen;
        QRect workArea;
        int twips;
        int height;
    } cases[] = {
        {{0, 0, 1280, 800}, {0, 0, 1280, 760}, 15, 600},        // 40 pixels at the bottom
        {{0, 0, 1280, 800}, {0, 40, 1280, 760}, 15, 0},         // at the top
        {{0, 0, 1280, 800}, {60, 0, 1220, 800}, 15, 0},         // at the left
        {{0, 0, 1280, 800}, {0, 0, 1220, 800}, 15, 0},          // at the right
        {{0, 0, 1280, 800}, {0, 0, 1280, 800}, 15, 0},          // none
        {{0, 0, 1280, 800}, {0, 0, 1280, 770}, 12, 360},        // other twips per pixel
        {{1920, 200, 1280, 800}, {1920, 200, 1280, 768}, 15, 480}, // a screen not at the origin
        {{0, 0, 1280, 800}, {0, 30, 1280, 740}, 15, 450},       // panels at top and bottom
    };
    for (const auto& c : cases)
        EXPECT_EQ(taskbarHeightTwips(c.screen, c.workArea, c.twips), c.height)
            << c.workArea.y() << "," << c.workArea.height();
}

// g++ marks an address-sanitizer build with __SANITIZE_ADDRESS__; clang 14 does not, and only answers
// __has_feature(address_sanitizer).
#if defined(__SANITIZE_ADDRESS__)
#define BRELTO_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define BRELTO_ADDRESS_SANITIZER 1
#endif
#endif

TEST(FreeMemory, FreedHeapPagesGoBackToTheSystem) {
#ifdef BRELTO_ADDRESS_SANITIZER
    GTEST_SKIP() << "the address sanitizer owns the heap: there is nothing for a trim to return";
#endif
    // Many small blocks freed behind one that stays: only a trim returns their pages.
    std::vector<void*> blocks;
    for (int i = 0; i < 20000; ++i)
        blocks.push_back(std::malloc(1000));
    void* keeper = std::malloc(1000);
    for (void* b : blocks)
        std::free(b);
    EXPECT_TRUE(platform::trimMemory());
    std::free(keeper);
    FreeMemory(); // errors or not, it never fails towards the caller
}

namespace {

class MainWindow : public platform::Form {};

class BossKey : public ProgramFolderTest {
protected:
    void SetUp() override {
        ProgramFolderTest::SetUp();
        platform::setQuitHandler([] {});
        platform::setTrayIcon(&m_tray);
        setMiniShowHide([this](bool show) { m_mini.append(show); });
        m_savedShowMini = ShowMini;
        ShowMini = true;
        m_main = new MainWindow;
        m_main->setWindowTitle("Quillor");
        m_main->setWindowIcon(plainIcon(Qt::magenta));
        platform::setMainForm(m_main, {});
    }
    void TearDown() override {
        platform::setMainForm(nullptr, {});
        m_main->unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        ShowMini = m_savedShowMini;
        setMiniShowHide(nullptr);
        platform::setTrayIcon(nullptr);
        platform::setQuitHandler(nullptr);
        ProgramFolderTest::TearDown();
    }

    // Starts as the main window's start-up leaves things: shown, with the tray icon.
    void startShown() {
        m_main->show();
        addProgramTrayIcon(nullptr);
        m_tray.calls.clear();
    }

    FakeTrayIcon m_tray;
    QList<bool> m_mini;
    MainWindow* m_main = nullptr;
    bool m_savedShowMini = false;
};

} // namespace

TEST_F(BossKey, ThreePressesHideShowAndHideTheProgram) {
    startShown();

    ShowHideMain();
    EXPECT_FALSE(m_main->isVisible());
    EXPECT_FALSE(m_tray.isShown());
    ASSERT_EQ(m_tray.calls.size(), 1);
    EXPECT_EQ(m_tray.calls[0].command, TrayCommand::Delete);
    EXPECT_TRUE(m_tray.calls[0].taken);

    m_main->setWindowTitle(QString::fromUtf16(u"Quillor - 黄金"));
    ShowHideMain();
    EXPECT_TRUE(m_main->isVisible());
    EXPECT_TRUE(m_tray.isShown());
    ASSERT_EQ(m_tray.calls.size(), 2);
    EXPECT_EQ(m_tray.calls[1].command, TrayCommand::Add);
    EXPECT_EQ(m_tray.shownTip, QString::fromUtf16(u"Quillor - 黄金")) << "the caption of the moment";
    EXPECT_EQ(iconColour(m_tray.shownIcon, 16), QColor(Qt::magenta)) << "no ico.dat: the window's icon";

    ShowHideMain();
    EXPECT_FALSE(m_main->isVisible());
    EXPECT_FALSE(m_tray.isShown());
    EXPECT_EQ(m_tray.calls.size(), 3);

    EXPECT_EQ(m_mini, (QList<bool>{false, true, false}));
}

// The program's other windows go with the main window and come back where they were; a window
// that was hidden stays hidden, and a modal one is left alone.
TEST_F(BossKey, HidesEveryShownWindowAndBringsBackThoseOnly) {
    startShown();
    auto* owned = new platform::Form;
    owned->resize(200, 100);
    owned->move(300, 200);
    owned->showForm(m_main);
    auto* free = new platform::Form;
    free->move(40, 50);
    free->showForm();
    auto* hidden = new platform::Form;
    const QPoint ownedAt = owned->pos();

    ShowHideMain();
    EXPECT_FALSE(owned->isVisible());
    EXPECT_FALSE(free->isVisible());
    ShowHideMain();
    EXPECT_TRUE(owned->isVisible());
    EXPECT_TRUE(free->isVisible());
    EXPECT_FALSE(hidden->isVisible());
    EXPECT_EQ(owned->pos(), ownedAt);
    EXPECT_EQ(free->pos(), QPoint(40, 50));

    free->unload();
    hidden->setWindowModality(Qt::ApplicationModal);
    hidden->show();
    ShowHideMain();
    EXPECT_TRUE(hidden->isVisible()) << "a modal window waits for its answer in sight";
    EXPECT_FALSE(owned->isVisible());
    ShowHideMain();
    EXPECT_TRUE(owned->isVisible());
    owned->unload();
    hidden->unload();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST_F(BossKey, ReAddingReadsIcoDatAfresh) {
    write("ico.dat", iconFile({{16, Qt::red}}));
    startShown();
    ShowHideMain();
    ShowHideMain();
    EXPECT_EQ(iconColour(m_tray.shownIcon, 16), QColor(Qt::red));
    EXPECT_EQ(iconColour(m_main->windowIcon(), 16), QColor(Qt::red)) << "the window takes the file's icon too";

    ShowHideMain();
    write("ico.dat", iconFile({{16, Qt::blue}}));
    ShowHideMain();
    EXPECT_TRUE(m_tray.isShown());
    EXPECT_EQ(iconColour(m_tray.shownIcon, 16), QColor(Qt::blue));
    EXPECT_EQ(iconColour(m_main->windowIcon(), 16), QColor(Qt::blue));
}

TEST_F(BossKey, MinimisedMainWindowComesBackNormalWithoutTouchingTheTray) {
    startShown();
    m_main->showMinimized();
    ASSERT_TRUE(m_main->isMinimized());

    ShowHideMain();
    EXPECT_FALSE(m_main->isMinimized());
    EXPECT_EQ(m_main->windowState(), Qt::WindowNoState);
    EXPECT_TRUE(m_main->isVisible());
    EXPECT_TRUE(m_tray.calls.isEmpty());
    EXPECT_EQ(m_mini, QList<bool>{true});
}

TEST_F(BossKey, MiniWindowIsLeftAloneWhenNotInUse) {
    ShowMini = false;
    startShown();
    ShowHideMain();
    ShowHideMain();
    EXPECT_TRUE(m_main->isVisible());
    EXPECT_TRUE(m_mini.isEmpty());
}

TEST_F(BossKey, BeforeTheMiniWindowExistsTheToggleStillWorks) {
    setMiniShowHide(nullptr);
    startShown();
    ShowHideMain();
    EXPECT_FALSE(m_main->isVisible());
    ShowHideMain();
    EXPECT_TRUE(m_main->isVisible());
    EXPECT_TRUE(m_mini.isEmpty());
}

TEST_F(BossKey, WithoutAMainWindowNothingHappens) {
    platform::setMainForm(nullptr, {});
    ShowHideMain();
    addProgramTrayIcon(nullptr);
    EXPECT_TRUE(m_tray.calls.isEmpty());
    EXPECT_TRUE(m_mini.isEmpty());
    EXPECT_FALSE(m_main->isVisible());
}
