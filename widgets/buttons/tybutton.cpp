#include "widgets/buttons/tybutton.h"

#include "platform/keys.h"
#include "platform/propertybag.h"
#include "platform/screen.h"

#include <QApplication>
#include <QBitmap>
#include <QMouseEvent>
#include <QPainter>

namespace {

float twipsX(double px) { return static_cast<float>(px * TwipsX); }
float twipsY(double px) { return static_cast<float>(px * TwipsY); }

} // namespace

TyButton::TyButton(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    PrintB(1);
}

TyButton::~TyButton() = default;

void TyButton::PrintB(int vv) {
    if (vv == 1 && !isEnabled())
        vv = 0;
    if (vv < 0 || vv > 3)
        return;
    m_shownState = vv;
    // The picture's transparent places are not part of the button.
    const QPixmap& shown = m_pics[static_cast<size_t>(vv)];
    if (!shown.isNull() && shown.hasAlphaChannel())
        setMask(shown.mask());
    else
        clearMask();
    update();
}

void TyButton::paintEvent(QPaintEvent*) {
    const QPixmap& shown = m_pics[static_cast<size_t>(m_shownState)];
    if (!shown.isNull())
        QPainter(this).drawPixmap(0, 0, shown);
}

void TyButton::setPicture(const QPixmap& picture) {
    m_picture = picture;
    PrintB(1);
}

void TyButton::setPic(int slot, const QPixmap& picture) {
    m_pics[static_cast<size_t>(slot)] = picture;
    if (slot == 1 && !picture.isNull())
        m_normalHolderSize = picture.deviceIndependentSize().toSize();
    PrintB(1);
}

void TyButton::setPic1(const QPixmap& picture) {
    setPic(1, picture);
    UserControl_Resize();
}

void TyButton::setPic2(const QPixmap& picture) {
    setPic(2, picture);
    UserControl_Resize();
}

void TyButton::setPic3(const QPixmap& picture) {
    setPic(3, picture);
    UserControl_Resize();
}

void TyButton::setPic4(const QPixmap& picture) { setPic(0, picture); }

void TyButton::UserControl_Resize() {
    if (m_normalHolderSize.isValid() && size() != m_normalHolderSize)
        resize(m_normalHolderSize);
    PrintB(1);
}

void TyButton::resizeEvent(QResizeEvent*) { UserControl_Resize(); }

void TyButton::Refresh() {
    if (m_notdo)
        return;
    update();
    PrintB(2);
}

void TyButton::mouseMoveEvent(QMouseEvent* event) {
    if (m_notdo)
        return;
    const QPointF p = event->position();
    emit MouseMove(platform::mouseButtons(event->buttons()), platform::shiftMask(event->modifiers()), twipsX(p.x()),
                   twipsY(p.y()));
    if (m_value != 0)
        return;
    // Bounds included: a move onto the far edge still counts as over.
    m_over = p.x() >= 0 && p.x() <= width() && p.y() >= 0 && p.y() <= height();
    if (m_over) {
        if (!m_hover) {
            PrintB(2);
            m_hover = true;
        }
        return;
    }
    PrintB(1);
    m_hover = false;
    emit MouseOut();
}

void TyButton::leaveEvent(QEvent*) {
    if (!m_notdo && m_value == 0 && m_over)
        pointerLeft();
}

void TyButton::pointerLeft() {
    m_over = false;
    PrintB(1);
    m_hover = false;
    emit MouseOut();
}

void TyButton::mousePressEvent(QMouseEvent* event) {
    m_pressedInside = true;
    if (m_notdo)
        return;
    const int button = platform::mouseButtons(event->button());
    const QPointF p = event->position();
    emit MouseDown(button, platform::shiftMask(event->modifiers()), twipsX(p.x()), twipsY(p.y()));
    if (button == 1)
        PrintB(3);
}

void TyButton::mouseReleaseEvent(QMouseEvent* event) {
    const QPointF p = event->position();
    const bool clicked = m_pressedInside && event->button() == Qt::LeftButton && rect().contains(p.toPoint());
    m_pressedInside = false;
    if (!m_notdo) {
        m_hover = false;
        PrintB(m_value != 0 ? 3 : 1);
        emit MouseUp(platform::mouseButtons(event->button()), platform::shiftMask(event->modifiers()), twipsX(p.x()),
                     twipsY(p.y()));
    }
    // One Click per click, raised when the button comes up over the control, even under Notdo.
    if (clicked)
        emit Click();
}

void TyButton::readProperties(const platform::PropertyBag& bag) {
    setEnabled(bag.read(QStringLiteral("Enabled"), true).toBool());
    const QFont ambient = parentWidget() != nullptr ? parentWidget()->font() : QApplication::font();
    setFont(bag.read(QStringLiteral("Font"), ambient).value<QFont>());
    m_foreColor = bag.read(QStringLiteral("ForeColor"), 0xFFFFFFu).toUInt();
    m_keys = bag.read(QStringLiteral("Keys"), QString()).toString();
    setPicture(bag.read(QStringLiteral("Picture"), QPixmap()).value<QPixmap>());
    setPic1(bag.read(QStringLiteral("Pic1"), m_pics[1]).value<QPixmap>());
    setPic2(bag.read(QStringLiteral("Pic2"), m_pics[2]).value<QPixmap>());
    setPic3(bag.read(QStringLiteral("Pic3"), m_pics[3]).value<QPixmap>());
    setPic4(bag.read(QStringLiteral("Pic4"), m_pics[0]).value<QPixmap>());
}

void TyButton::writeProperties(platform::PropertyBag& bag) const {
    bag.write(QStringLiteral("Enabled"), isEnabled(), true);
    const QFont ambient = parentWidget() != nullptr ? parentWidget()->font() : QApplication::font();
    bag.write(QStringLiteral("Font"), font(), ambient);
    bag.write(QStringLiteral("ForeColor"), m_foreColor, 0xFFFFFFu);
    bag.write(QStringLiteral("Keys"), m_keys, QString());
    if (!m_picture.isNull())
        bag.write(QStringLiteral("Picture"), QVariant::fromValue(m_picture));
    bag.write(QStringLiteral("Pic1"), QVariant::fromValue(m_pics[1]));
    bag.write(QStringLiteral("Pic2"), QVariant::fromValue(m_pics[2]));
    bag.write(QStringLiteral("Pic3"), QVariant::fromValue(m_pics[3]));
    bag.write(QStringLiteral("Pic4"), QVariant::fromValue(m_pics[0]));
}
