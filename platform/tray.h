#pragma once

#include <QByteArray>
#include <QIcon>
#include <QList>
#include <QString>
#include <QSystemTrayIcon>

#include <cstdint>
#include <functional>

class QMenu;

namespace platform {

// The desktop's notification-area icon, driven as the program's tray module drives the shell: one
// record and three commands. A desktop without a tray refuses every command and shows nothing.

enum class TrayCommand { Add = 0, Modify = 1, Delete = 2 };

// Which fields of the record a command applies.
inline constexpr uint32_t kTrayMessage = 0x1;
inline constexpr uint32_t kTrayIcon = 0x2;
inline constexpr uint32_t kTrayTip = 0x4;
inline constexpr uint32_t kTrayInfo = 0x10; // the balloon

// Balloon icons, in the low four bits of the balloon flags.
inline constexpr uint32_t kBalloonNoIcon = 0;
inline constexpr uint32_t kBalloonInfo = 1;
inline constexpr uint32_t kBalloonWarning = 2;
inline constexpr uint32_t kBalloonError = 3;

// Sizes of the record's text fields in bytes, the terminating NUL included.
inline constexpr int kTrayTipField = 128;
inline constexpr int kTrayInfoField = 256;
inline constexpr int kTrayInfoTitleField = 64;

// The record. Its texts are code page 936 bytes, as trayField makes them.
struct TrayIconData {
    uint32_t id = 0;
    uint32_t flags = 0;
    QIcon icon;
    QByteArray tip;
    QByteArray info;
    QByteArray infoTitle;
    uint32_t infoFlags = 0;
};

// A text as a field of `fieldSize` bytes holds it: in code page 936, up to an embedded NUL, cut to
// fieldSize - 1 bytes and never in the middle of a two-byte character.
[[nodiscard]] QByteArray trayField(QStringView text, int fieldSize);

// The icon's mouse messages, numbered as the program's tray owner reads them.
inline constexpr int kTrayLeftButtonDown = 0x201;
inline constexpr int kTrayLeftDoubleClick = 0x203;
inline constexpr int kTrayRightButtonUp = 0x205;
inline constexpr int kTrayMiddleButtonDown = 0x207;

// The message a desktop activation stands for; 0 for one the program has no number for.
[[nodiscard]] int trayMouseMessage(QSystemTrayIcon::ActivationReason reason);

// Where the icon's mouse messages go: the tray menu form installs its handler here. Without one
// they are dropped.
using TrayMouseHandler = std::function<void(int message)>;
void setTrayMouseHandler(TrayMouseHandler handler);
// The menu the desktop's tray host opens on the icon (its own right-button rule); it takes effect
// the next time the icon is shown. Null for none.
void setTrayContextMenu(QMenu* menu);
void sendTrayMouse(int message);

// One notification-area icon with the shell's rules: Add is refused while the icon is there,
// Modify and Delete while it is not (or for another id). A balloon with an empty text shows
// nothing. True when the command was taken.
class TrayIcon {
public:
    TrayIcon() = default;
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;
    virtual ~TrayIcon() = default;

    virtual bool notify(TrayCommand command, const TrayIconData& data);

    [[nodiscard]] bool isShown() const { return m_shown; }

protected:
    [[nodiscard]] virtual bool trayAvailable() const = 0;
    // The icon appears (or changes) with this picture and tip, or goes away.
    virtual void display(const QIcon& icon, const QString& tip) = 0;
    virtual void conceal() = 0;
    virtual void balloon(const QString& title, const QString& text, uint32_t infoFlags) = 0;

private:
    bool m_shown = false;
    uint32_t m_id = 0;
    QIcon m_icon;
    QString m_tip;
};

// The program's icon: the desktop's unless a test installed another. Installing nullptr brings
// the desktop's back; the caller keeps ownership of what it installs.
[[nodiscard]] TrayIcon& trayIcon();
void setTrayIcon(TrayIcon* icon);

// Records every command and what a desktop with a tray would show.
class FakeTrayIcon final : public TrayIcon {
public:
    struct Call {
        TrayCommand command;
        TrayIconData data;
        bool taken;
    };
    struct Balloon {
        QString title;
        QString text;
        uint32_t infoFlags;
    };

    bool notify(TrayCommand command, const TrayIconData& data) override;

    bool available = true; // false plays a desktop without a tray
    QList<Call> calls;
    QList<Balloon> balloons;
    QIcon shownIcon;
    QString shownTip;

protected:
    [[nodiscard]] bool trayAvailable() const override { return available; }
    void display(const QIcon& icon, const QString& tip) override;
    void conceal() override;
    void balloon(const QString& title, const QString& text, uint32_t infoFlags) override;
};

// An icon or picture file. pixels 0: every image of the file as one icon; otherwise the image
// that suits pixels x pixels best, scaled to that size. A null icon when the file can't be read.
[[nodiscard]] QIcon loadIconFile(const QString& path, int pixels = 0);

} // namespace platform
