#pragma once

#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>

class QRect;

namespace platform {
class Form;
}

// Opacity of the mini window and its companions, 0 (transparent) to 255; CalcAlpha sets it from
// TransLevel. Opaque until then.
inline int32_t AlphaValue = 255;

// Clamps Alpha to 0..255 (the caller's variable gets the clamped value), makes the window that
// opaque and keeps it above all others when TopMost, without moving or sizing it.
void SetWindowAlpha(QWidget* Window, int& Alpha, bool TopMost);

// AlphaValue from the settings' transparency level (0 opaque, each step a tenth of the range).
void CalcAlpha();

// Sets the window's icon from icon number IconIndex of File. An empty File, or one that names no
// existing file, becomes the path of the program's own executable in the program folder, which
// the caller gets back; its icon 0 is the program's icon (platform::programIcon). A file that
// holds no such icon gives the application's own icon.
void SetFormIcon(QWidget* Window, QString& File, int IconIndex);

// Height in twips of the taskbar strip below the work area of the primary screen; a panel at the
// top or a side counts 0. 30 pixels' worth when there is no screen to ask.
[[nodiscard]] int TaskbarHeight();
[[nodiscard]] int taskbarHeightTwips(const QRect& screen, const QRect& workArea, int twipsPerPixel);

// Gives the process's free heap pages back to the system; the main window's layout asks after
// every pass.
void FreeMemory();

// The boss-key toggle over the main window (platform::mainForm()), the mini window and the tray
// icon: a minimised main window comes back; a visible one goes to hiding with the tray icon and
// the program's other shown windows; a hidden one comes back with the tray icon and them. Does nothing while no main window is loaded.
void ShowHideMain();

// The windows the boss key hides besides the main window and the tray icon: every shown form but
// the main window and the modal ones (the mini window among them); the next press shows them
// again where they were.
[[nodiscard]] QList<QPointer<QWidget>> bossKeyWindows(const QList<platform::Form*>& forms, const QWidget* main);

// "ico.dat" in the program folder: the tray icon's picture when present.
[[nodiscard]] QString trayIconFile();

// Adds the tray icon as the main window's start-up and the boss key do: from trayIconFile() when
// it exists, else with the main window's icon, and the main window's caption as the tip.
void addProgramTrayIcon(QWidget* owner);

// Shows (true) or hides (false) the mini quote window for the boss-key toggle, called only while
// ShowMini is on. The mini window installs its own; null restores the default, which leaves the
// window alone until the mini window exists.
using MiniShowHide = std::function<void(bool show)>;
void setMiniShowHide(MiniShowHide showHide);
