#include "platform/imagelist.h"

#include <QPainter>

#include <algorithm>

namespace platform {

namespace {

QImage transparentMask(int width, int height) {
    QImage mask(width, height, QImage::Format_Mono);
    mask.setColor(0, qRgb(0, 0, 0));
    mask.setColor(1, qRgb(255, 255, 255));
    mask.fill(1);
    return mask;
}

// A mask pixel counts as set (transparent) when it is light, whatever format the caller used.
bool maskSet(const QImage& mask, int x, int y) {
    return qGray(mask.pixel(x, y)) >= 128;
}

} // namespace

ImageList::ImageList(int width, int height, int colourDepth)
    : m_width(std::max(0, width)), m_height(std::max(0, height)), m_colourDepth(colourDepth) {}

std::shared_ptr<ImageList> ImageList::create(int width, int height, int colourDepth) {
    return std::make_shared<ImageList>(width, height, colourDepth);
}

int ImageList::count() const { return static_cast<int>(m_images.size()); }

QSize ImageList::imageSize() const { return {m_width, m_height}; }

int ImageList::colourDepth() const { return m_colourDepth; }

QRect ImageList::imageRect(int index) const {
    return valid(index) ? QRect(0, 0, m_width, m_height) : QRect();
}

void ImageList::setImageSize(int width, int height) {
    m_width = std::max(0, width);
    m_height = std::max(0, height);
    m_images.clear();
}

bool ImageList::valid(int index) const { return index >= 0 && index < count(); }

ImageList::Entry ImageList::makeEntry(const QImage& tile, const QImage& maskTile) const {
    Entry entry;
    entry.colour = QImage(m_width, m_height, QImage::Format_RGB32);
    entry.colour.fill(qRgb(0, 0, 0));
    entry.mask = transparentMask(m_width, m_height);
    const QImage argb = tile.convertToFormat(QImage::Format_ARGB32);
    const int w = std::min(m_width, argb.width());
    const int h = std::min(m_height, argb.height());
    const bool ownMask = !maskTile.isNull();
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const QRgb px = argb.pixel(x, y);
            bool transparent = false;
            if (ownMask)
                transparent = x < maskTile.width() && y < maskTile.height() ? maskSet(maskTile, x, y) : true;
            else
                transparent = qAlpha(px) < 128;
            entry.colour.setPixel(x, y, qRgb(qRed(px), qGreen(px), qBlue(px)));
            entry.mask.setPixel(x, y, transparent ? 1 : 0);
        }
    }
    return entry;
}

int ImageList::addTiles(const QImage& image, const QImage& mask) {
    if (image.isNull() || m_width <= 0 || m_height <= 0)
        return -1;
    const int first = count();
    const int tiles = std::max(1, image.width() / m_width);
    for (int i = 0; i < tiles; ++i) {
        // Only the part the image has: copying past its edge would fill opaque black.
        const QRect r = QRect(i * m_width, 0, m_width, m_height).intersected(image.rect());
        m_images.push_back(makeEntry(image.copy(r), mask.isNull() ? QImage() : mask.copy(r)));
    }
    return first;
}

int ImageList::add(const QImage& image, const QImage& mask) { return addTiles(image, mask); }

int ImageList::addMasked(const QImage& image, QRgb maskColour) {
    if (image.isNull())
        return -1;
    QImage colour = image.convertToFormat(QImage::Format_RGB32);
    QImage mask = transparentMask(colour.width(), colour.height());
    const QRgb key = maskColour & 0xFFFFFF;
    for (int y = 0; y < colour.height(); ++y) {
        for (int x = 0; x < colour.width(); ++x) {
            const bool masked = (colour.pixel(x, y) & 0xFFFFFF) == key;
            mask.setPixel(x, y, masked ? 1 : 0);
            if (masked)
                colour.setPixel(x, y, qRgb(0, 0, 0));
        }
    }
    return addTiles(colour, mask);
}

int ImageList::addIcon(const QImage& icon) {
    if (icon.isNull() || m_width <= 0 || m_height <= 0)
        return -1;
    const QImage scaled = icon.size() == imageSize()
                              ? icon
                              : icon.convertToFormat(QImage::Format_ARGB32)
                                    .scaled(m_width, m_height, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    m_images.push_back(makeEntry(scaled, {}));
    return count() - 1;
}

bool ImageList::replace(int index, const QImage& image, const QImage& mask) {
    if (!valid(index) || image.isNull())
        return false;
    const QRect r = QRect(0, 0, m_width, m_height).intersected(image.rect());
    m_images[static_cast<size_t>(index)] = makeEntry(image.copy(r), mask.isNull() ? QImage() : mask.copy(r));
    return true;
}

bool ImageList::remove(int index) {
    if (!valid(index))
        return false;
    m_images.erase(m_images.begin() + index);
    return true;
}

void ImageList::clear() { m_images.clear(); }

bool ImageList::copy(int dst, int src, bool swap) {
    if (!valid(dst) || !valid(src))
        return false;
    if (swap)
        std::swap(m_images[static_cast<size_t>(dst)], m_images[static_cast<size_t>(src)]);
    else
        m_images[static_cast<size_t>(dst)] = m_images[static_cast<size_t>(src)];
    return true;
}

QImage ImageList::colourBitmap(int index) const {
    return valid(index) ? m_images[static_cast<size_t>(index)].colour.copy() : QImage();
}

QImage ImageList::maskBitmap(int index) const {
    return valid(index) ? m_images[static_cast<size_t>(index)].mask.copy() : QImage();
}

QImage ImageList::image(int index) const {
    if (!valid(index))
        return {};
    const Entry& e = m_images[static_cast<size_t>(index)];
    QImage out(m_width, m_height, QImage::Format_ARGB32);
    for (int y = 0; y < m_height; ++y)
        for (int x = 0; x < m_width; ++x)
            out.setPixel(x, y, e.mask.pixelIndex(x, y) ? qRgba(0, 0, 0, 0) : (e.colour.pixel(x, y) | 0xFF000000u));
    return out;
}

QImage ImageList::disabledImage(int index) const {
    if (!valid(index))
        return {};
    // The shape is every shown pixel that is not white, as a colour image turned monochrome
    // against a white background; it is drawn in the highlight one pixel down and right and in
    // the shadow on top, which gives the etched look.
    const Entry& e = m_images[static_cast<size_t>(index)];
    const QRgb light = toQRgb(GetSysColor(COLOR_BTNHIGHLIGHT)) | 0xFF000000u;
    const QRgb shadow = toQRgb(GetSysColor(COLOR_BTNSHADOW)) | 0xFF000000u;
    QImage out(m_width + 1, m_height + 1, QImage::Format_ARGB32);
    out.fill(Qt::transparent);
    auto inShape = [&](int x, int y) {
        return e.mask.pixelIndex(x, y) == 0 && (e.colour.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF;
    };
    for (int y = 0; y < m_height; ++y)
        for (int x = 0; x < m_width; ++x)
            if (inShape(x, y))
                out.setPixel(x + 1, y + 1, light);
    for (int y = 0; y < m_height; ++y)
        for (int x = 0; x < m_width; ++x)
            if (inShape(x, y))
                out.setPixel(x, y, shadow);
    return out;
}

bool ImageList::draw(QPainter& painter, int index, QPoint at, Look look) const {
    if (!valid(index))
        return false;
    switch (look) {
    case Look::Normal:
        painter.drawImage(at, image(index));
        return true;
    case Look::Selected:
        return drawBlended(painter, index, at, GetSysColor(COLOR_HIGHLIGHT));
    case Look::Disabled:
        painter.drawImage(at, disabledImage(index));
        return true;
    }
    return false;
}

bool ImageList::draw(QImage& target, int index, QPoint at, Look look) const {
    if (!valid(index) || target.isNull())
        return false;
    QPainter painter(&target);
    return draw(painter, index, at, look);
}

bool ImageList::draw(QPainter& painter, int index, QPoint at, bool disabled) const {
    return draw(painter, index, at, disabled ? Look::Disabled : Look::Normal);
}

bool ImageList::draw(QImage& target, int index, QPoint at, bool disabled) const {
    return draw(target, index, at, disabled ? Look::Disabled : Look::Normal);
}

bool ImageList::drawBlended(QPainter& painter, int index, QPoint at, OleColor blendColour) const {
    if (!valid(index))
        return false;
    QImage img = image(index);
    const OleColor blend = OleColorToRgb(blendColour) < 0 ? GetSysColor(COLOR_WINDOW) : static_cast<OleColor>(OleColorToRgb(blendColour));
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            const QRgb px = img.pixel(x, y);
            if (qAlpha(px) == 0)
                continue;
            const OleColor mixed = BlendColors(fromQRgb(px), blend);
            img.setPixel(x, y, toQRgb(mixed) | 0xFF000000u);
        }
    }
    painter.drawImage(at, img);
    return true;
}

} // namespace platform
