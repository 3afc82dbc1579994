#include "widgets/toolbar/toolbarpicture.h"

#include <QPainter>

namespace toolbar {

ToolbarPicture::ToolbarPicture(const QString& name, QWidget* parent) : QWidget(parent) {
    setObjectName(name);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ToolbarPicture::setImage(QImage image) {
    m_image = std::move(image);
    update();
}

void ToolbarPicture::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(0, 0, m_image);
}

} // namespace toolbar
