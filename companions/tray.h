#pragma once

#include <QString>

#include <cstdint>

class QIcon;
class QWidget;

// The program's one notification-area icon: a record shared by the four operations, each of which
// fills the identifier, the flags and its own fields and leaves the rest as an earlier operation
// left it. Failures of the desktop are ignored; a desktop without a tray simply shows nothing.
//
// `Owner` is the window the icon's mouse messages were meant for (the tray menu form). On this
// platform they reach the handler installed with platform::setTrayMouseHandler instead, so the
// owner is accepted and otherwise unused.

// Adds the icon: from the icon file `IconPath`, read at 16 x 16, when `FromFile` (an unreadable
// file leaves it without a picture), else `hIcon`; `Tip` as its tooltip.
void TrayAdd(QWidget* Owner, bool FromFile, const QIcon& hIcon, const QString& IconPath,
             const QString& Tip);

// Takes the icon away, with the record as it stands.
void TrayRemove();

// Changes the tooltip; the picture set by TrayAdd goes with it again.
void TraySetTip(QWidget* Owner, const QString& Tip);

// Shows a balloon; `InfoFlags` 0 means the information icon.
void TrayBalloon(QWidget* Owner, const QString& Text, const QString& Title, uint32_t InfoFlags);
