#include "common/msgbox.h"

#include "common/config.h"
#include "common/shellhelpers.h"
#include "platform/boundary.h"
#include "platform/eventwait.h"
#include "platform/keys.h"
#include "platform/msgbox.h"
#include "state/configstate.h"
#include "widgets/buttons/skinbutton.h"

#include <QCursor>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr int kButtonStyle = 8;
constexpr int kTextWidth = 264;
constexpr int kPictureSize = 32;
constexpr QSize kButtonSize(75, 25);
constexpr char kTagProperty[] = "Tag";

// Image1: a blue notice disc with a white "i", drawn here rather than taken from a font so the
// box looks the same everywhere.
QPixmap noticePicture() {
    QPixmap picture(kPictureSize, kPictureSize);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient face(0, 0, 0, kPictureSize);
    face.setColorAt(0, QColor(0x7a, 0xb0, 0xe8));
    face.setColorAt(1, QColor(0x1b, 0x4f, 0xa0));
    p.setPen(QPen(QColor(0x15, 0x3c, 0x78), 1));
    p.setBrush(face);
    p.drawEllipse(QRectF(1.5, 1.5, 29, 29));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 70));
    p.drawEllipse(QRectF(6, 3, 20, 11));
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(13.5, 6.5, 5, 5));
    p.drawRoundedRect(QRectF(13.75, 13.5, 4.5, 12.5), 1.5, 1.5);
    return picture;
}

// Pointer 99 over a text that carries a link: a pointing hand, white with a black outline, its
// hot spot on the finger tip.
QCursor linkPointer() {
    QPainterPath hand;
    hand.addRoundedRect(QRectF(8, 1, 5, 15), 2.5, 2.5);   // index finger
    hand.addRoundedRect(QRectF(12, 7, 5, 10), 2.5, 2.5);  // middle finger
    hand.addRoundedRect(QRectF(16, 8, 5, 9), 2.5, 2.5);   // ring finger
    hand.addRoundedRect(QRectF(20, 10, 4, 8), 2, 2);      // little finger
    hand.addRoundedRect(QRectF(8, 13, 16, 12), 3, 3);     // palm
    QPainterPath thumb;
    thumb.moveTo(9, 23);
    thumb.lineTo(3.5, 17);
    thumb.quadTo(3, 14, 6, 15);
    thumb.lineTo(9, 18);
    thumb.closeSubpath();
    hand = hand.united(thumb).simplified();

    QPixmap picture(32, 32);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::white);
    p.drawPath(hand);
    p.drawLine(QPointF(12.5, 10), QPointF(12.5, 15));
    p.drawLine(QPointF(16.5, 11), QPointF(16.5, 15));
    p.drawLine(QPointF(20.5, 12), QPointF(20.5, 16));
    p.end();
    return QCursor(picture, 10, 1);
}

SkinButton* makeButton(QWidget* parent, const QString& caption) {
    auto* button = new SkinButton(parent);
    button->setCaption(caption);
    button->setButtonStyle(kButtonStyle);
    button->setFixedSize(kButtonSize);
    // The box itself takes every key: Escape closes it, the rest go to the main window.
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

// A box stands in the middle of its owner's window, or of the screen when it has no owner.
void placeBox(QWidget* box, const QWidget* owner) {
    box->adjustSize();
    const QWidget* window = owner != nullptr ? owner->window() : nullptr;
    const QRect area = window != nullptr && window->isVisible() ? window->frameGeometry()
                                                                : box->screen()->availableGeometry();
    QRect frame = box->frameGeometry();
    frame.moveCenter(area.center());
    box->move(frame.topLeft());
}

} // namespace

Msgform::Msgform()
    // On top: a box waiting for an answer stands above the always-on-top mini window.
    : platform::Form(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                     Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint),
      Label1(new QLabel(this)), Image1(new QLabel(this)),
      Command1(makeButton(this, QStringLiteral("确定"))),
      Command2(makeButton(this, QStringLiteral("是"))),
      Command3(makeButton(this, QStringLiteral("否"))), Timer1(new QTimer(this)) {
    setObjectName(QStringLiteral("Msgform"));
    setFont(QFont(QStringLiteral("宋体"), 9));
    setFocusPolicy(Qt::StrongFocus);

    Image1->setPixmap(noticePicture());
    Image1->setFixedSize(kPictureSize, kPictureSize);
    Label1->setTextFormat(Qt::PlainText);
    Label1->setWordWrap(true);
    Label1->setFixedWidth(kTextWidth);
    Label1->setMinimumHeight(kPictureSize);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Label1->installEventFilter(this);

    auto* body = new QHBoxLayout;
    body->setSpacing(12);
    body->addWidget(Image1, 0, Qt::AlignTop);
    body->addWidget(Label1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    buttons->addStretch(1);
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    buttons->addWidget(Command3);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(14, 14, 14, 10);
    outer->setSpacing(14);
    outer->addLayout(body);
    outer->addLayout(buttons);
    outer->setSizeConstraint(QLayout::SetFixedSize);

    connect(Command1, &SkinButton::Click, this, platform::guard("msgbox Command1 Click", [this] { unload(); }));
    connect(Command2, &SkinButton::Click, this, platform::guard("msgbox Command2 Click", [this] { Label1_Click(); }));
    connect(Command3, &SkinButton::Click, this, platform::guard("msgbox Command3 Click", [this] { unload(); }));
    connect(Timer1, &QTimer::timeout, this, platform::guard("msgbox Timer1 timeout", [this] { Timer1_Timer(); }));
}

// A click on the label is a press and a release of the left button over it.
bool Msgform::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Label1) {
        if (event->type() == QEvent::MouseButtonPress) {
            m_label1Pressed = static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
        } else if (event->type() == QEvent::MouseButtonRelease) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            const bool click = m_label1Pressed && mouse->button() == Qt::LeftButton &&
                               Label1->rect().contains(mouse->position().toPoint());
            m_label1Pressed = false;
            if (click) {
                Label1_Click();
                return true;
            }
        }
    }
    return platform::Form::eventFilter(watched, event);
}

void Msgform::keyPressEvent(QKeyEvent* event) {
    platform::guarded("Msgform_KeyDown", [&] {
        const int keyCode = platform::virtualKey(*event);
        if (keyCode == platform::VK_ESCAPE) {
            unload();
            return;
        }
        // The buttons take no focus, so the box presses its default one: "确定", or "是" beside a link.
        if (keyCode == platform::VK_RETURN || keyCode == platform::VK_SPACE) {
            if (Command1->isVisibleTo(this))
                unload();
            else
                Label1_Click();
            return;
        }
        if (keyCode != 0)
            platform::sendKeyToMain(keyCode, platform::shiftMask(event->modifiers()));
    });
}

void Msgform::Label1_Click() {
    const QString link = Label1->property(kTagProperty).toString();
    if (!link.isEmpty())
        OpenUrl(link);
    unload();
}

void Msgform::Timer1_Timer() {
    Timer1->stop();
    unload();
}

void ShowMsg(const QString& Text, const QString& Title, QWidget* Owner, const QString& Link,
             bool Modal, int AutoCloseMs) {
    if (platform::programEnding())
        return;
    auto* box = new Msgform;
    box->Label1->setText(Text);
    box->setWindowTitle(platform::boxCaption(Title));
    const bool withLink = !Link.isEmpty();
    box->Command1->setHidden(withLink);
    box->Command2->setHidden(!withLink);
    box->Command3->setHidden(!withLink);
    if (withLink) {
        box->Label1->setCursor(linkPointer());
        box->Label1->setProperty(kTagProperty, Link);
    }
    if (AutoCloseMs > 0) {
        box->Timer1->setInterval(AutoCloseMs);
        box->Timer1->start();
    }
    placeBox(box, Owner);
    box->showForm(Owner, Modal);
}

QString vipPageUrl() {
    QString site = SiteUrl.isEmpty() ? defaultServiceUrl() : SiteUrl;
    while (site.endsWith(u'/'))
        site.chop(1);
    return site + QStringLiteral("/vip.asp");
}

void ShowVipMsg() {
    ShowMsg(QStringLiteral("访问使用该功能需要VIP用户权限,您不是VIP用户或者您还未登录,不能使用该功能."
                           "需要升级到VIP会员请点击[查看]进入VIP介绍网页."),
            QStringLiteral("非VIP用户"), platform::mainForm(), vipPageUrl(), false, 5000);
}
