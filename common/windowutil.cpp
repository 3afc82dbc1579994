#include "common/windowutil.h"

#include "common/appinfo.h"
#include "companions/tray.h"
#include "platform/forms.h"
#include "platform/memory.h"
#include "platform/programicon.h"
#include "platform/screen.h"
#include "platform/tray.h"
#include "platform/vbtext.h"
#include "platform/x11window.h"
#include "state/session.h"
#include "state/usersettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QPointer>
#include <QRect>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <utility>

namespace {

constexpr int kFallbackTaskbarPixels = 30;

// The mini quote window comes with its own issue; until it installs itself the boss-key toggle
// leaves it alone.
void miniQuoteWindowNotYetBuilt(bool /*show*/) {}

MiniShowHide& miniShowHide() {
    static MiniShowHide showHide = miniQuoteWindowNotYetBuilt;
    return showHide;
}

void showMini(bool show) {
    if (ShowMini)
        miniShowHide()(show);
}

// The program's other windows the boss key hid, to be shown again by the next press.
QList<QPointer<QWidget>>& hiddenByBossKey() {
    static QList<QPointer<QWidget>> windows;
    return windows;
}

} // namespace

void SetWindowAlpha(QWidget* Window, int& Alpha, bool TopMost) {
    Alpha = std::clamp(Alpha, 0, 255);
    if (Window == nullptr || !Window->isWindow())
        return;
    Window->setWindowOpacity(Alpha / 255.0);
    platform::setStaysOnTop(Window, TopMost);
}

void CalcAlpha() {
    AlphaValue = TransLevel == 0 ? 255 : 255 - platform::CLng(TransLevel / 10.0 * 255);
}

void SetFormIcon(QWidget* Window, QString& File, int IconIndex) {
    const QString ownFile =
        QDir(programFolder()).filePath(QFileInfo(QCoreApplication::applicationFilePath()).fileName());
    if (File.isEmpty() || !QFileInfo(File).isFile())
        File = ownFile;
    if (Window == nullptr)
        return;
    // The program's own file holds the program's icon as its icon 0; an icon or picture file
    // holds one icon, number 0.
    QIcon icon;
    if (IconIndex == 0)
        icon = File == ownFile ? platform::programIcon() : platform::loadIconFile(File);
    if (icon.isNull())
        icon = QGuiApplication::windowIcon();
    Window->setWindowIcon(icon);
}

int taskbarHeightTwips(const QRect& screen, const QRect& workArea, int twipsPerPixel) {
    const int strip = (screen.y() + screen.height()) - (workArea.y() + workArea.height());
    return std::max(strip, 0) * twipsPerPixel;
}

int TaskbarHeight() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return kFallbackTaskbarPixels * TwipsY;
    return taskbarHeightTwips(screen->geometry(), screen->availableGeometry(), TwipsY);
}

void FreeMemory() { (void)platform::trimMemory(); }

QString trayIconFile() { return QDir(programFolder()).filePath(QStringLiteral("ico.dat")); }

void addProgramTrayIcon(QWidget* owner) {
    const QWidget* main = platform::mainForm();
    if (main == nullptr)
        return;
    const QString file = trayIconFile();
    if (QFileInfo::exists(file))
        TrayAdd(owner, true, QIcon(), file, main->windowTitle());
    else
        TrayAdd(owner, false, main->windowIcon(), QString(), main->windowTitle());
}

void ShowHideMain() {
    platform::Form* main = platform::mainForm();
    if (main == nullptr)
        return;
    // Under a log-out the main window is going: the key may still hide it, never bring it back.
    const bool hides = main->isVisible() && !main->isMinimized();
    if (LogoutUnderWay && !hides)
        return;
    // Back in front with the focus asked for, as a window restored by the user is: after the
    // mini window is shown, and before the owned windows that come with it ask for theirs, so
    // that those end up in front of it.
    const auto bringBack = [main] {
        main->show();
        showMini(true);
        main->raise();
        main->activateWindow();
    };
    if (main->isMinimized()) {
        main->setWindowState(Qt::WindowNoState);
        bringBack();
        return;
    }
    if (main->isVisible()) {
        // Taken before the main window goes, as they stand now; a modal window is left alone,
        // as hiding it would end the wait for its answer.
        hiddenByBossKey() = bossKeyWindows(platform::loadedForms(), main);
        TrayRemove();
        main->hide();
        showMini(false);
        for (QWidget* window : std::as_const(hiddenByBossKey()))
            window->hide();
        return;
    }
    if (QString file = trayIconFile(); QFileInfo::exists(file))
        SetFormIcon(main, file, 0);
    // The tray owner (the tray menu form) is unused on this platform.
    addProgramTrayIcon(nullptr);
    bringBack();
    // In their places: a hidden window keeps its geometry.
    for (const QPointer<QWidget>& window : std::exchange(hiddenByBossKey(), {}))
        if (window != nullptr && !window->isVisible())
            window->show();
}

QList<QPointer<QWidget>> bossKeyWindows(const QList<platform::Form*>& forms, const QWidget* main) {
    QList<QPointer<QWidget>> windows;
    for (platform::Form* form : forms)
        if (form != main && form->isVisible() && !form->isModal())
            windows.append(form);
    return windows;
}

void setMiniShowHide(MiniShowHide showHide) {
    miniShowHide() = showHide ? std::move(showHide) : MiniShowHide(miniQuoteWindowNotYetBuilt);
}
