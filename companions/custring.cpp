#include "companions/custring.h"

#include "common/log.h"
#include "platform/boundary.h"
#include "platform/clock.h"
#include "platform/sound.h"
#include "platform/vbtext.h"
#include "state/usersettings.h"

#include <QEvent>
#include <QFont>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>

namespace {
constexpr int kTwips = 15;
}

// On top: the alert is already switched off once it rings, so the user must see it whatever the
// main window does meanwhile.
CustRingForm::CustRingForm() : platform::Form(Qt::Window | Qt::WindowStaysOnTopHint) {
    setWindowTitle(QStringLiteral("提醒"));
    setShownWithoutOwner(true);
    setFixedSize(3420 / kTwips, 1590 / kTwips);
    // The message area scrolls: texts pile up while the user is away.
    m_scroll = new QScrollArea(this);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setWidgetResizable(true);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setGeometry(90 / kTwips, 45 / kTwips, 3210 / kTwips, 915 / kTwips);
    m_scroll->viewport()->setAutoFillBackground(false);
    m_scroll->setFocusPolicy(Qt::NoFocus);
    Label1 = new QLabel;
    Label1->setAutoFillBackground(false);
    QFont font(QStringLiteral("宋体"));
    font.setPointSizeF(10.5);
    Label1->setFont(font);
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label1->setTextFormat(Qt::PlainText);
    m_scroll->setWidget(Label1);
    Command1 = new QPushButton(QStringLiteral("知道了"), this);
    Command1->setGeometry(1260 / kTwips, 1125 / kTwips, 780 / kTwips, 375 / kTwips);
    connect(Command1, &QPushButton::clicked, this, platform::guard("custring Command1 clicked", [this] { unload(); }));
    // The button holds the focus; its keys reach the handler below before the button sees them.
    Command1->installEventFilter(this);
    setFocusProxy(Command1);
}

QString ringMessage(const QList<RingText>& texts) {
    QStringList lines;
    for (const RingText& t : texts)
        lines << platform::timeText(t.time.time()) + u' ' + t.text;
    return lines.join(u'\n');
}

void CustRingForm::addText(const QString& text) {
    m_texts.prepend({platform::pcNow(), text});
    Label1->setText(ringMessage(m_texts));
    m_scroll->verticalScrollBar()->setValue(0);
}

void CustRingForm::formLoad() {
    if (AlertMute)
        return;
    // The pop-up stays silent about it; the log keeps why, once a run.
    static const bool failureLogged = [] {
        platform::setSoundFailureHandler(
            [](const QString& why) { WriteLog(QStringLiteral("Alert sound not played: ") + why); });
        return true;
    }();
    (void)failureLogged;
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
    ring.addText(text);
    ring.showForm(owner);
}
