#include "widgets/toolbar/toolbarpaint.h"

#include "platform/gdi.h"

#include <QPainter>

#include <algorithm>
#include <initializer_list>

namespace toolbar {

namespace gdi = platform::gdi;
using platform::OleColor;

namespace {

constexpr OleColor kWhite = 0xFFFFFF;
constexpr OleColor kBlack = 0x000000;
constexpr OleColor kGrayText = 0x80000011;
constexpr OleColor kMenuText = 0x80000007;
constexpr int kCaptionFormat =
    gdi::DT_LEFT | gdi::DT_TOP | gdi::DT_SINGLELINE | gdi::DT_NOPREFIX | gdi::DT_NOCLIP;

struct Dot {
    int x;
    int y;
};

constexpr int32_t kNoShadow = -1;

// A small mark of single pixels, with a shadow one pixel down and right unless kNoShadow.
void drawMark(QImage& surface, std::initializer_list<Dot> dots, int x, int y, OleColor ink,
              int32_t shadow) {
    if (shadow != kNoShadow) {
        for (const Dot& d : dots)
            gdi::setPixel(surface, x + d.x + 1, y + d.y + 1, static_cast<OleColor>(shadow));
    }
    for (const Dot& d : dots)
        gdi::setPixel(surface, x + d.x, y + d.y, ink);
}

// A one-pixel outline around r, filled top to bottom from `top` to `bottom` inside it.
void drawFace(QImage& surface, const QRect& r, OleColor top, OleColor bottom, OleColor outline) {
    if (r.width() <= 0 || r.height() <= 0) return;
    gdi::drawGradient(surface, top, bottom, r.left() + 1, r.top() + 1, r.left() + r.width() - 1,
                      r.height() - 3);
    gdi::drawFrame(surface, r.left(), r.top(), r.width() - 1, r.height() - 1, outline);
}

void drawCheckMark(QImage& surface, int x, int y, OleColor ink) {
    drawMark(surface,
             {{0, 2},
              {1, 3},
              {2, 4},
              {3, 3},
              {4, 2},
              {5, 1},
              {6, 0},
              {0, 3},
              {1, 4},
              {2, 5},
              {3, 4},
              {4, 3},
              {5, 2},
              {6, 1}},
             x, y, ink, kNoShadow);
}

} // namespace

QImage makeStripBackground(int width, int height, const ToolbarSchemeColors& colors) {
    if (width <= 0 || height <= 0) return {};
    QImage surface = gdi::makeSurface(width, height, colors.gradTop);
    gdi::drawGradient(surface, colors.gradTop, colors.gradBottom, 0, 0, width, height - 1);
    gdi::drawLine(surface, 0, height - 1, width, height - 1, colors.borderColor);
    return surface;
}

void restoreBackground(QImage& surface, const QImage& background, const QRect& rect, int offsetX) {
    if (surface.isNull() || background.isNull() || rect.isEmpty()) return;
    QPainter painter(&surface);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(rect.topLeft(), background, rect.translated(offsetX, 0));
}

void paintGripper(QImage& surface, const ToolbarSchemeColors& colors) {
    for (int y = 4; y + 2 <= surface.height() - 4; y += 4) {
        gdi::fillRect(surface, {4, y + 1, 6, y + 3}, kWhite);
        gdi::fillRect(surface, {3, y, 5, y + 2}, colors.darkColor);
    }
}

void paintChevron(QImage& surface, ChevronLook look, bool buttonsHidden,
                  const ToolbarSchemeColors& colors) {
    const int w = surface.width();
    const int h = surface.height();
    if (w <= 0 || h < 3) return;
    OleColor first = colors.chevronColor1;
    OleColor second = colors.chevronColor2;
    if (look == ChevronLook::Hot) {
        first = colors.chevronHotColor1;
        second = colors.chevronHotColor2;
    } else if (look == ChevronLook::Down) {
        first = colors.chevronDownColor1;
        second = colors.chevronDownColor2;
    }
    // The face stops above the border line and has its two left corners cut.
    const int32_t topCorner = gdi::pixel(surface, 0, 0);
    const int32_t bottomCorner = gdi::pixel(surface, 0, h - 2);
    gdi::drawGradient(surface, first, second, 0, 0, w, h - 2);
    gdi::setPixel(surface, 0, 0, static_cast<OleColor>(topCorner));
    gdi::setPixel(surface, 0, h - 2, static_cast<OleColor>(bottomCorner));

    const bool normal = look == ChevronLook::Normal;
    const OleColor ink = normal ? kWhite : kBlack;
    const int32_t shadow = normal ? static_cast<int32_t>(colors.darkColor) : kNoShadow;
    const int x = (w - 9) / 2;
    if (buttonsHidden) {
        for (int k : {0, 4})
            drawMark(
                surface,
                {{0, 0}, {1, 0}, {1, 1}, {2, 1}, {2, 2}, {3, 2}, {1, 3}, {2, 3}, {0, 4}, {1, 4}},
                x + k, 5, ink, shadow);
    }
    drawMark(surface,
             {{2, 0},
              {3, 0},
              {4, 0},
              {5, 0},
              {6, 0},
              {2, 3},
              {3, 3},
              {4, 3},
              {5, 3},
              {6, 3},
              {3, 4},
              {4, 4},
              {5, 4},
              {4, 5}},
             x, h - 13, ink, shadow);
}

QImage iconPicture(const ToolbarButton& button, int size, bool disabled) {
    if (!button.hasIcon() || size <= 0) return {};
    QImage picture = button.Icon.convertToFormat(QImage::Format_ARGB32);
    if (button.UseMaskColor) {
        const QRgb mask = platform::toQRgb(button.MaskColor) & 0xFFFFFF;
        for (int y = 0; y < picture.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
            for (int x = 0; x < picture.width(); ++x) {
                if ((line[x] & 0xFFFFFF) == mask) line[x] = 0;
            }
        }
    }
    if (picture.size() != QSize(size, size))
        picture = picture.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (disabled) {
        for (int y = 0; y < picture.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
            for (int x = 0; x < picture.width(); ++x) {
                const OleColor grey =
                    platform::LightenColor(platform::GrayColor(platform::fromQRgb(line[x])), 96);
                line[x] = (platform::toQRgb(grey) & 0xFFFFFF) | (line[x] & 0xFF000000);
            }
        }
    }
    return picture;
}

namespace {

// The face of a button standing at (0, 0) on `face`, which holds the background under it.
void paintFaceOf(QImage& face, const ToolbarButton& b, int state,
                 const ToolbarSchemeColors& colors) {
    const QRect r = buttonRect(b);
    switch (state) {
    case StateHot:
        drawFace(face, r, colors.hiColor2, colors.hiColor1, colors.darkColor);
        break;
    case StatePressed:
        drawFace(face, r, colors.hiColor3, colors.hiColor4, colors.darkColor);
        break;
    case StateHotChecked:
        drawFace(face, r, colors.hiColor4, colors.hiColor3, colors.darkColor);
        break;
    case StateChecked:
        drawFace(face, r, colors.popHiColor3, colors.popHiColor3, colors.darkColor);
        break;
    default:
        break;
    }

    const bool disabled = state == StateDisabled;
    const OleColor ink = disabled ? kGrayText : b.ForeColor;
    const ButtonContent content = placeContent(b, measureCaption(b.Caption, b.Font));
    if (!content.icon.isNull()) {
        QPainter painter(&face);
        painter.drawImage(content.icon.topLeft(), iconPicture(b, b.IconSize, disabled));
    }
    if (!content.caption.isNull()) {
        const QRect& c = content.caption;
        gdi::drawText(face, b.Caption,
                      {c.left(), c.top(), c.left() + c.width(), c.top() + c.height()},
                      kCaptionFormat, drawingFont(b.Font), ink);
    }
    if (!content.arrow.isNull()) {
        const QRect& a = content.arrow;
        if (state != StateNormal && state != StateDisabled)
            gdi::drawLine(face, a.left(), a.top(), a.left(), a.top() + a.height(),
                          colors.darkColor);
        drawMark(face, {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}, {1, 1}, {2, 1}, {3, 1}, {2, 2}},
                 a.left() + 4, a.top() + a.height() / 2 - 1, ink, kNoShadow);
    }
}

} // namespace

void paintButton(QImage& strip, const ToolbarButton& b, int state,
                 const ToolbarSchemeColors& colors) {
    if (b.isSeparator()) {
        gdi::drawLine(strip, b.Left, b.Top, b.Left, b.Top + b.Height, colors.borderColor);
        gdi::drawLine(strip, b.Left + 1, b.Top + 1, b.Left + 1, b.Top + b.Height + 1, kWhite);
        return;
    }
    // Drawn on an image of its own, nothing of a button (a caption longer than the button was
    // laid out for, a large icon) reaches its neighbours.
    const QRect r = buttonRect(b);
    if (r.isEmpty()) return;
    QImage face = strip.copy(r);
    ToolbarButton atOrigin = b;
    atOrigin.Left = 0;
    atOrigin.Top = 0;
    paintFaceOf(face, atOrigin, state, colors);
    QPainter painter(&strip);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(r.topLeft(), face);
}

QImage paintPopup(const std::vector<PopupItem>& items, const PopupLayout& layout,
                  const std::vector<ToolbarButton>& buttons, int hot, bool pressed,
                  const QFont& font, const ToolbarSchemeColors& colors) {
    const int w = layout.size.width();
    const int h = layout.size.height();
    if (w <= 0 || h <= 0) return {};
    QImage surface = gdi::makeSurface(w, h, platform::BlendColors(kWhite, colors.gradTop));
    gdi::drawGradientHorizontal(surface, colors.gradTop, colors.gradBottom, 1, 1, kPopupIconColumn,
                                h - 1);
    gdi::drawFrame(surface, 0, 0, w - 1, h - 1, colors.borderColor);

    const QFont textFont = drawingFont(font);
    for (size_t i = 0; i < items.size() && i < layout.rects.size(); ++i) {
        const PopupItem& item = items[i];
        const QRect& r = layout.rects[i];
        if (item.kind == PopupItem::Separator) {
            const int y = r.top() + r.height() / 2;
            gdi::drawLine(surface, r.left() + kPopupIconColumn + 6, y, r.left() + r.width(), y,
                          colors.borderColor);
            continue;
        }
        const bool isHot = static_cast<int>(i) == hot && item.enabled;
        if (isHot) {
            const OleColor fill = pressed ? colors.popHiColor3 : colors.popHiColor1;
            drawFace(surface, r, fill, fill, colors.darkColor);
        }
        if (item.checked) {
            const QRect box(r.left() + 2, r.top() + 2, r.height() - 4, r.height() - 4);
            const OleColor fill = isHot ? colors.popHiColor2 : colors.popHiColor3;
            drawFace(surface, box, fill, fill, colors.darkColor);
            drawCheckMark(surface, box.left() + (box.width() - 7) / 2,
                          box.top() + (box.height() - 6) / 2, kBlack);
        }
        OleColor ink = kMenuText;
        if (item.kind == PopupItem::Button && item.index > 0 &&
            item.index < static_cast<int>(buttons.size())) {
            const ToolbarButton& b = buttons[item.index];
            const int size = std::min(b.IconSize, kPopupItemHeight - 6);
            const QImage icon = iconPicture(b, size, !item.enabled);
            if (!icon.isNull()) {
                QPainter painter(&surface);
                painter.drawImage(r.left() + (kPopupIconColumn - size) / 2,
                                  r.top() + (r.height() - size) / 2, icon);
            }
            ink = b.ForeColor;
        }
        if (!item.enabled) ink = kGrayText;
        const int textLeft = r.left() + kPopupIconColumn + 6;
        gdi::drawText(
            surface, item.text, {textLeft, r.top(), r.left() + r.width(), r.top() + r.height()},
            gdi::DT_LEFT | gdi::DT_VCENTER | gdi::DT_SINGLELINE | gdi::DT_NOPREFIX, textFont, ink);
    }
    return surface;
}

} // namespace toolbar
