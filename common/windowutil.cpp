#include "common/windowutil.h"

#include "common/appinfo.h"
#include "companions/tray.h"
#include "platform/forms.h"
#include "platform/memory.h"
#include "platform/programicon.h"
#include "platform/screen.h"
#include "platform/tray.h"
#include "platform/vbtext.h"
#include "state/usersettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QRect>
#include <QScreen>
#include <QWidget>

#include <algorithm>

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

} // namespace

void SetWindowAlpha(QWidget* Window, int& Alpha, bool TopMost) {
    Alpha = std::clamp(Alpha, 0, 255);
    if (Window == nullptr || !Window->isWindow())
        return;
    Window->setWindowOpacity(Alpha / 255.0);
    if (Window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == TopMost)
        return;
    // A change of window flags re-creates the native window, hidden but in its place.
    const bool wasVisible = Window->isVisible();
    Window->setWindowFlag(Qt::WindowStaysOnTopHint, TopMost);
    if (wasVisible)
        Window->show();
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
    if (main->isMinimized()) {
        main->setWindowState(Qt::WindowNoState);
        main->show();
        showMini(true);
        return;
    }
    if (main->isVisible()) {
        TrayRemove();
        main->hide();
        showMini(false);
        return;
    }
    if (QString file = trayIconFile(); QFileInfo::exists(file))
        SetFormIcon(main, file, 0);
    // The tray owner (the tray menu form) is unused on this platform.
    addProgramTrayIcon(nullptr);
    main->show();
    showMini(true);
}

void setMiniShowHide(MiniShowHide showHide) {
    miniShowHide() = showHide ? std::move(showHide) : MiniShowHide(miniQuoteWindowNotYetBuilt);
}
