#include "companions/tray.h"

#include "platform/tray.h"

#include <QIcon>

namespace {

constexpr uint32_t kTrayId = 1;
constexpr uint32_t kAddFlags = platform::kTrayMessage | platform::kTrayIcon | platform::kTrayTip;
constexpr int kTrayPixels = 16;

platform::TrayIconData TrayIcon;

} // namespace

void TrayAdd(QWidget* /*Owner*/, bool FromFile, const QIcon& hIcon, const QString& IconPath,
             const QString& Tip) {
    TrayIcon.id = kTrayId;
    TrayIcon.flags = kAddFlags;
    TrayIcon.icon = FromFile ? platform::loadIconFile(IconPath, kTrayPixels) : hIcon;
    TrayIcon.tip = platform::trayField(Tip, platform::kTrayTipField);
    (void)platform::trayIcon().notify(platform::TrayCommand::Add, TrayIcon);
}

void TrayRemove() { (void)platform::trayIcon().notify(platform::TrayCommand::Delete, TrayIcon); }

void TraySetTip(QWidget* /*Owner*/, const QString& Tip) {
    TrayIcon.id = kTrayId;
    TrayIcon.flags = kAddFlags;
    TrayIcon.tip = platform::trayField(Tip, platform::kTrayTipField);
    (void)platform::trayIcon().notify(platform::TrayCommand::Modify, TrayIcon);
}

void TrayBalloon(QWidget* /*Owner*/, const QString& Text, const QString& Title,
                 uint32_t InfoFlags) {
    TrayIcon.id = kTrayId;
    TrayIcon.flags = platform::kTrayInfo;
    TrayIcon.infoFlags = InfoFlags == 0 ? platform::kBalloonInfo : InfoFlags;
    TrayIcon.infoTitle = platform::trayField(Title, platform::kTrayInfoTitleField);
    TrayIcon.info = platform::trayField(Text, platform::kTrayInfoField);
    (void)platform::trayIcon().notify(platform::TrayCommand::Modify, TrayIcon);
}
