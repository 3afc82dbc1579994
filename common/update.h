#pragma once

#include <QString>

#include <functional>

// Set when the new program file has been downloaded; the main window's shut-down then starts the
// updater.
inline bool UpdateReady = false;

// Downloads the package the configuration names ("dl") into "newfile" in the program folder and
// starts the swap; on failure tells the user and, before the configuration is applied, ends the
// program.
void UpdateMe();
// Copies the running program to "otemp", starts that copy (it performs the swap) and closes the
// main window.
void RunUpdater();
// Starts the program with the user's desktop session, or stops doing so. False when that failed.
bool SetAutoRun(bool Enable);

// What the update needs of the windows: the failure notice (by default a modal message box owned
// by the main window) and closing the main window (by default unloading it; false when there is
// none). Tests install fakes.
struct UpdateUi {
    std::function<void(const QString& text, const QString& title, const QString& link)> notifyFailure;
    std::function<bool()> closeMainWindow;
};
void setUpdateUi(UpdateUi ui);
