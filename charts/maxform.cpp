#include "charts/maxform.h"

#include "platform/browser.h"
#include "platform/keys.h"
#include "platform/screen.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>

namespace {
constexpr double kMinWidth = 7000;
constexpr double kMinHeight = 5000;
} // namespace

QSizeF maxFormSnap(const QSizeF& twips) {
    return {std::max(twips.width(), kMinWidth), std::max(twips.height(), kMinHeight)};
}

MaxForm::MaxForm() {
    setWindowTitle(QStringLiteral("K线看盘"));
    resize(10365 / TwipsX, 8670 / TwipsY);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    Web = platform::createBrowserPane(this);
    Web->setNewWindowsRefused(true);
    Web->hide();
}

void MaxForm::SetShow(int16_t type) {
    ShowType = type;
    Web->show();
    Web->setGeometry(0, 0, width(), height());
}

void MaxForm::resizeEvent(QResizeEvent* event) {
    Form::resizeEvent(event);
    const QSizeF now(width() * TwipsX, height() * TwipsY);
    const QSizeF snapped = maxFormSnap(now);
    if (snapped != now) {
        resize(static_cast<int>(snapped.width() / TwipsX + 0.5),
               static_cast<int>(snapped.height() / TwipsY + 0.5));
        // Ends a sizing drag in progress.
        setEnabled(false);
        setEnabled(true);
    }
    if (Web != nullptr)
        Web->setGeometry(0, 0, width(), height());
}

void MaxForm::keyPressEvent(QKeyEvent* event) {
    if (platform::virtualKey(*event) == 27) {
        unload();
        return;
    }
    Form::keyPressEvent(event);
}

MaxForm& maxForm() { return platform::form<MaxForm>(); }
