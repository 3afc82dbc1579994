#include "companions/custring.h"

#include "platform/sound.h"
#include "state/usersettings.h"

#include <QEvent>
#include <QFont>
#include <QLabel>
#include <QPushButton>

namespace {
constexpr int kTwips = 15;
}

// On top: the alert is already switched off once it rings, so the user must see it whatever the
// main window does meanwhile.
CustRingForm::CustRingForm() : platform::Form(Qt::Window | Qt::WindowStaysOnTopHint) {
    setWindowTitle(QStringLiteral("提醒"));
    setFixedSize(3420 / kTwips, 1590 / kTwips);
    Label1 = new QLabel(this);
    QFont font(QStringLiteral("宋体"));
    font.setPointSizeF(10.5);
    Label1->setFont(font);
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label1->setGeometry(90 / kTwips, 45 / kTwips, 3210 / kTwips, 915 / kTwips);
    Command1 = new QPushButton(QStringLiteral("知道了"), this);
    Command1->setGeometry(1260 / kTwips, 1125 / kTwips, 780 / kTwips, 375 / kTwips);
    connect(Command1, &QPushButton::clicked, this, [this] { unload(); });
    // The button holds the focus; its keys reach the handler below before the button sees them.
    Command1->installEventFilter(this);
    setFocusProxy(Command1);
}

void CustRingForm::formLoad() {
    if (!AlertMute)
        platform::soundPlayer().play(AlertSoundFile);
}

bool CustRingForm::queryUnload() {
    if (!AlertMute)
        platform::soundPlayer().stopAll();
    return true;
}

bool CustRingForm::eventFilter(QObject* watched, QEvent* event) {
    if (escapeUnloadsOtherKeysToMain(event))
        return true;
    return platform::Form::eventFilter(watched, event);
}

CustRingForm& custRing() { return platform::form<CustRingForm>(); }

void showCustRing(const QString& text, QWidget* owner) {
    CustRingForm& ring = custRing();
    ring.Label1->setText(text);
    ring.showForm(owner);
}
