#pragma once

#include <QImage>

// The strip's off-screen surface: one image it draws into and copies to the window in one step,
// and against which it measures text. The surface only grows: asking for a smaller width or
// height keeps the larger one and its contents; growing makes a new, blank surface.
class pcMemDC {
public:
    pcMemDC() = default;
    pcMemDC(const pcMemDC&) = delete;
    pcMemDC& operator=(const pcMemDC&) = delete;

    // The surface, or nullptr while none exists (before the first sizing, or after a size the
    // platform cannot make). A surface one of whose sides is still 0 exists but holds no pixels.
    [[nodiscard]] QImage* hdc() { return m_created ? &m_bitmap : nullptr; }
    [[nodiscard]] const QImage* hdc() const { return m_created ? &m_bitmap : nullptr; }

    [[nodiscard]] int Width() const { return m_lWidth; }
    void setWidth(int width);
    [[nodiscard]] int Height() const { return m_lHeight; }
    void setHeight(int height);

    // Grows the surface to hold the picture and copies it to the top left.
    void CreateFromPicture(const QImage& picture);

    // Largest side made; beyond it the surface cannot be made and the object stays empty.
    static constexpr int kMaxSide = 16384;

private:
    void pCreate(int width, int height);
    void pDestroy();

    bool m_created = false;
    QImage m_bitmap;
    int m_lWidth = 0;
    int m_lHeight = 0;
};
