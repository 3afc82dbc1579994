#include "widgets/tabstrip/pcmemdc.h"

#include <QPainter>

void pcMemDC::setWidth(int width) {
    if (width > m_lWidth)
        pCreate(width, m_lHeight);
}

void pcMemDC::setHeight(int height) {
    if (height > m_lHeight)
        pCreate(m_lWidth, height);
}

void pcMemDC::pCreate(int width, int height) {
    pDestroy();
    if (width > kMaxSide || height > kMaxSide)
        return;
    if (width > 0 && height > 0) {
        m_bitmap = QImage(width, height, QImage::Format_RGB32);
        if (m_bitmap.isNull())
            return; // no memory for it: stay empty, as when the bitmap cannot be selected
        m_bitmap.fill(Qt::black);
    }
    m_created = true;
    m_lWidth = width;
    m_lHeight = height;
}

void pcMemDC::pDestroy() {
    m_bitmap = QImage();
    m_created = false;
    m_lWidth = 0;
    m_lHeight = 0;
}

void pcMemDC::CreateFromPicture(const QImage& picture) {
    if (picture.isNull())
        return;
    setWidth(picture.width());
    setHeight(picture.height());
    if (!m_created || m_bitmap.isNull())
        return;
    QPainter painter(&m_bitmap);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(0, 0, picture);
}
