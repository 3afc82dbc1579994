#include "widgets/toolbar/toolbarpopup.h"

#include <QMouseEvent>
#include <QPainter>

namespace toolbar {

ToolbarPopup::ToolbarPopup(QWidget* owner) : QWidget(owner, Qt::Popup) {
    setObjectName(QStringLiteral("picChevron"));
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ToolbarPopup::setItems(std::vector<PopupItem> items, PopupLayout layout, Renderer render) {
    m_items = std::move(items);
    m_layout = std::move(layout);
    m_render = std::move(render);
    m_hot = -1;
    m_pressed = false;
    resize(m_layout.size);
    m_image = m_render ? m_render(m_hot, m_pressed) : QImage();
    update();
}

void ToolbarPopup::setHot(int hot, bool pressed) {
    if (hot == m_hot && pressed == m_pressed) return;
    m_hot = hot;
    m_pressed = pressed;
    if (m_render) m_image = m_render(m_hot, m_pressed);
    update();
}

void ToolbarPopup::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(0, 0, m_image);
}

void ToolbarPopup::mouseMoveEvent(QMouseEvent* event) {
    const int item = popupItemAt(m_items, m_layout, event->position().toPoint());
    setHot(item, m_pressed && item == m_hot);
}

void ToolbarPopup::mousePressEvent(QMouseEvent* event) {
    // A press outside belongs to the popup machinery, which closes the window.
    if (!rect().contains(event->position().toPoint())) {
        QWidget::mousePressEvent(event);
        return;
    }
    if (event->button() == Qt::LeftButton)
        setHot(popupItemAt(m_items, m_layout, event->position().toPoint()), true);
}

void ToolbarPopup::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const int item = popupItemAt(m_items, m_layout, event->position().toPoint());
    setHot(item, false);
    if (item >= 0) emit chosen(item);
}

void ToolbarPopup::leaveEvent(QEvent*) {
    setHot(-1, false);
}

void ToolbarPopup::hideEvent(QHideEvent*) {
    setHot(-1, false);
    emit closed();
}

} // namespace toolbar
