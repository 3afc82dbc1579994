#include "platform/tray.h"

#include "platform/gbk.h"

#include <QCoreApplication>
#include <QImageReader>
#include <QMenu>
#include <QPixmap>
#include <QPointer>

namespace platform {
namespace {

constexpr int kTraySize = 16;

TrayMouseHandler& mouseHandler() {
    static TrayMouseHandler handler;
    return handler;
}

QPointer<QMenu>& contextMenu() {
    static QPointer<QMenu> menu;
    return menu;
}

class DesktopTrayIcon final : public TrayIcon {
protected:
    [[nodiscard]] bool trayAvailable() const override {
        return QSystemTrayIcon::isSystemTrayAvailable();
    }

    void display(const QIcon& icon, const QString& tip) override {
        QSystemTrayIcon& tray = systemIcon();
        // An icon that could not be loaded keeps its place in the tray, empty, as the shell
        // shows a record without a picture; Qt would otherwise refuse to show the icon at all.
        if (icon.isNull()) {
            QPixmap empty(kTraySize, kTraySize);
            empty.fill(Qt::transparent);
            tray.setIcon(QIcon(empty));
        } else {
            tray.setIcon(icon);
        }
        tray.setToolTip(tip);
        if (tray.contextMenu() != contextMenu().data())
            tray.setContextMenu(contextMenu().data());
        tray.show();
    }

    void conceal() override {
        if (m_icon)
            m_icon->hide();
    }

    void balloon(const QString& title, const QString& text, uint32_t infoFlags) override {
        QSystemTrayIcon::MessageIcon icon = QSystemTrayIcon::NoIcon;
        switch (infoFlags & 0xF) {
        case kBalloonInfo:
            icon = QSystemTrayIcon::Information;
            break;
        case kBalloonWarning:
            icon = QSystemTrayIcon::Warning;
            break;
        case kBalloonError:
            icon = QSystemTrayIcon::Critical;
            break;
        default:
            break;
        }
        systemIcon().showMessage(title, text, icon);
    }

private:
    // Made on first use and owned by the application, so it goes before the application does.
    QSystemTrayIcon& systemIcon() {
        if (!m_icon) {
            m_icon = new QSystemTrayIcon(QCoreApplication::instance());
            QObject::connect(m_icon, &QSystemTrayIcon::activated,
                             [](QSystemTrayIcon::ActivationReason reason) {
                                 if (const int message = trayMouseMessage(reason))
                                     sendTrayMouse(message);
                             });
        }
        return *m_icon;
    }

    QPointer<QSystemTrayIcon> m_icon;
};

TrayIcon*& installedIcon() {
    static TrayIcon* icon = nullptr;
    return icon;
}

// How well an image of the file suits the wanted size: an exact match first, then the smallest
// larger one (scaling down keeps detail), then the largest smaller one.
bool suitsBetter(QSize candidate, QSize best, int pixels) {
    const auto score = [pixels](QSize s) {
        const int side = std::max(s.width(), s.height());
        if (side == pixels)
            return 0;
        return side > pixels ? side - pixels : 100000 + (pixels - side);
    };
    return score(candidate) < score(best);
}

} // namespace

QByteArray trayField(QStringView text, int fieldSize) {
    QByteArray bytes = toGbk(text);
    if (const qsizetype nul = bytes.indexOf('\0'); nul >= 0)
        bytes.truncate(nul);
    const qsizetype room = std::max(fieldSize - 1, 0);
    qsizetype end = 0;
    while (end < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[end]);
        const qsizetype width = (lead >= 0x81 && lead <= 0xFE) ? 2 : 1;
        if (end + width > room)
            break;
        end += width;
    }
    bytes.truncate(end);
    return bytes;
}

int trayMouseMessage(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        return kTrayLeftButtonDown;
    case QSystemTrayIcon::DoubleClick:
        return kTrayLeftDoubleClick;
    case QSystemTrayIcon::Context:
        // The menu opens when the right button is released.
        return kTrayRightButtonUp;
    case QSystemTrayIcon::MiddleClick:
        return kTrayMiddleButtonDown;
    case QSystemTrayIcon::Unknown:
        break;
    }
    return 0;
}

void setTrayMouseHandler(TrayMouseHandler handler) { mouseHandler() = std::move(handler); }

void setTrayContextMenu(QMenu* menu) { contextMenu() = menu; }

void sendTrayMouse(int message) {
    // A copy: the handler may replace itself.
    if (const TrayMouseHandler handler = mouseHandler())
        handler(message);
}

bool TrayIcon::notify(TrayCommand command, const TrayIconData& data) {
    if (!trayAvailable())
        return false;
    switch (command) {
    case TrayCommand::Add:
        if (m_shown)
            return false;
        m_shown = true;
        m_id = data.id;
        m_icon = (data.flags & kTrayIcon) ? data.icon : QIcon();
        m_tip = (data.flags & kTrayTip) ? fromGbk(data.tip) : QString();
        display(m_icon, m_tip);
        break;
    case TrayCommand::Modify:
        if (!m_shown || data.id != m_id)
            return false;
        if (data.flags & kTrayIcon)
            m_icon = data.icon;
        if (data.flags & kTrayTip)
            m_tip = fromGbk(data.tip);
        if (data.flags & (kTrayIcon | kTrayTip))
            display(m_icon, m_tip);
        break;
    case TrayCommand::Delete:
        if (!m_shown || data.id != m_id)
            return false;
        m_shown = false;
        conceal();
        return true;
    }
    // An empty balloon text takes a balloon away; there is never one to take away here.
    if ((data.flags & kTrayInfo) && !data.info.isEmpty())
        balloon(fromGbk(data.infoTitle), fromGbk(data.info), data.infoFlags);
    return true;
}

TrayIcon& trayIcon() {
    if (TrayIcon* installed = installedIcon())
        return *installed;
    static DesktopTrayIcon desktop;
    return desktop;
}

void setTrayIcon(TrayIcon* icon) { installedIcon() = icon; }

bool FakeTrayIcon::notify(TrayCommand command, const TrayIconData& data) {
    const bool taken = TrayIcon::notify(command, data);
    calls.append({command, data, taken});
    return taken;
}

void FakeTrayIcon::display(const QIcon& icon, const QString& tip) {
    shownIcon = icon;
    shownTip = tip;
}

void FakeTrayIcon::conceal() {
    shownIcon = QIcon();
    shownTip.clear();
}

void FakeTrayIcon::balloon(const QString& title, const QString& text, uint32_t infoFlags) {
    balloons.append({title, text, infoFlags});
}

QIcon loadIconFile(const QString& path, int pixels) {
    if (path.isEmpty())
        return {};
    QImageReader reader(path);
    if (!reader.canRead())
        return {};
    const int count = std::max(reader.imageCount(), 1);
    QIcon icon;
    QImage best;
    for (int i = 0; i < count; ++i) {
        if (i > 0 && !reader.jumpToImage(i))
            break;
        const QImage image = reader.read();
        if (image.isNull())
            continue;
        if (pixels <= 0)
            icon.addPixmap(QPixmap::fromImage(image));
        else if (best.isNull() || suitsBetter(image.size(), best.size(), pixels))
            best = image;
    }
    if (pixels > 0 && !best.isNull())
        icon.addPixmap(QPixmap::fromImage(
            best.scaled(pixels, pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
    return icon;
}

} // namespace platform
