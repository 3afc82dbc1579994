#pragma once

#include "platform/colors.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <memory>
#include <vector>

class QPainter;

// The system image list the drawn controls keep their icons in: images of one size, each a colour
// bitmap with a mask, addressed by a zero-based index and drawn by index, normally, blended with a
// colour (selected or cut) or greyed (disabled).
//
// Owners keep a list in a std::shared_ptr; a control that only draws from a list (the tab strip)
// holds a std::weak_ptr, so a list that its owner destroyed or re-created is never drawn from,
// as drawing through a stale handle draws nothing.
//
// Masks follow the classic convention: a set (white) mask pixel is transparent, a clear (black)
// one shows the colour pixel. Bad arguments never crash: an index out of range or an empty image
// adds, replaces, removes or draws nothing and reports it.
namespace platform {

class ImageList {
public:
    // Colour depth flags a list is created with (bits per pixel; 0 = the display's). The depth is
    // recorded for the owner; images are kept at full colour whatever it is.
    ImageList(int width, int height, int colourDepth = 0);
    [[nodiscard]] static std::shared_ptr<ImageList> create(int width, int height, int colourDepth = 0);

    [[nodiscard]] int count() const;
    [[nodiscard]] QSize imageSize() const;
    [[nodiscard]] int colourDepth() const;
    // Rectangle of image index in the list's own coordinates, (0, 0, width, height); an empty
    // rectangle when there is no such image.
    [[nodiscard]] QRect imageRect(int index) const;

    // Changing the size removes every image, as the system list does.
    void setImageSize(int width, int height);

    // Adds an image or a strip of images: an image wider than the list's width adds one image per
    // width columns (at least one; a narrow or short image is padded transparent). Without a mask,
    // pixels whose alpha is below 128 are transparent. Returns the index of the first new image,
    // or -1 when nothing was added (a null image).
    int add(const QImage& image, const QImage& mask = {});
    // As add, the mask made of every pixel of maskColour (RGB, alpha ignored); masked pixels of
    // the colour bitmap become black.
    int addMasked(const QImage& image, QRgb maskColour);
    // Adds one icon, scaled to the list's size; transparent where its alpha is below 128.
    int addIcon(const QImage& icon);

    // Replaces image index by the first tile of image (and mask); false when index is out of
    // range or image is null.
    bool replace(int index, const QImage& image, const QImage& mask = {});
    // Removes image index; later images move down one place. False when index is out of range.
    bool remove(int index);
    void clear();
    // Within this list: with swap the images dst and src exchange places, without it src is
    // copied over dst. False when either index is out of range.
    bool copy(int dst, int src, bool swap);

    // The colour bitmap (RGB32) and the mask (Mono, 1 = transparent) of image index; null images
    // when there is no such image.
    [[nodiscard]] QImage colourBitmap(int index) const;
    [[nodiscard]] QImage maskBitmap(int index) const;
    // Image index as an ARGB32 icon, transparent where masked; null when there is no such image.
    [[nodiscard]] QImage image(int index) const;
    // The greyed look of a disabled image: the image's shape embossed in the 3-D highlight and
    // shadow colours, one pixel wider and taller than the image; null when there is no image.
    [[nodiscard]] QImage disabledImage(int index) const;

    enum class Look {
        Normal,   // transparent where masked
        Selected, // blended half and half with the highlight colour
        Disabled, // greyed
    };
    // Draws image index with its top-left at `at`; false (nothing drawn) when there is no such
    // image.
    bool draw(QPainter& painter, int index, QPoint at, Look look = Look::Normal) const;
    bool draw(QImage& target, int index, QPoint at, Look look = Look::Normal) const;
    bool draw(QPainter& painter, int index, QPoint at, bool disabled) const;
    bool draw(QImage& target, int index, QPoint at, bool disabled) const;
    // Draws image index blended half and half with blendColour (the cut look, or a selection in a
    // colour of the caller's).
    bool drawBlended(QPainter& painter, int index, QPoint at, OleColor blendColour) const;

private:
    struct Entry {
        QImage colour; // RGB32, masked pixels as given
        QImage mask;   // Mono, 1 = transparent
    };
    [[nodiscard]] bool valid(int index) const;
    [[nodiscard]] Entry makeEntry(const QImage& tile, const QImage& maskTile) const;
    int addTiles(const QImage& image, const QImage& mask);

    int m_width;
    int m_height;
    int m_colourDepth;
    std::vector<Entry> m_images;
};

} // namespace platform
