#include "widgets/tabstrip/tabpaint.h"

#include "platform/colors.h"
#include "platform/gdi.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace tabstrip {

using platform::GetSysColor;
using platform::OleColor;
namespace gdi = platform::gdi;

namespace {

constexpr OleColor kWhite = 0xFFFFFF;

OleColor sys(int index) { return GetSysColor(index); }

OleColor resolved(OleColor c) {
    const int32_t v = platform::OleColorToRgb(c);
    return v < 0 ? 0 : static_cast<OleColor>(v);
}

bool palette(const PaintState& s) { return s.drawStyle != 0; }
OleColor frameColor(const PaintState& s) { return palette(s) ? s.palette.border : sys(platform::COLOR_BTNSHADOW); }
OleColor innerColor(const PaintState& s) { return palette(s) ? s.palette.light : sys(platform::COLOR_BTNFACE); }
OleColor farColor(const PaintState& s) { return palette(s) ? s.palette.border : sys(platform::COLOR_3DDKSHADOW); }
OleColor nearColor(const PaintState& s) { return palette(s) ? s.palette.border : sys(platform::COLOR_BTNHIGHLIGHT); }
OleColor separatorColor(const PaintState& s) {
    return palette(s) ? BlendColor(s.palette.border, s.palette.light2, 175) : sys(platform::COLOR_BTNSHADOW);
}

// The colour of the page under the band (the client area).
OleColor pageColor(const PaintState& s) {
    return palette(s) ? BlendColor(s.palette.light, kWhite, 150) : resolved(s.backColor);
}

// The main window's style joins the selected tab to its page and runs the separators from the
// tab's top edge down to the band's lines; the other styles keep their inset separators.
bool joinsPage(const PaintState& s) { return s.drawStyle == 2; }

Rect clipped(Rect r, int right) {
    r.right = std::min(r.right, right);
    return r;
}

void fillBand(QImage& surface, const Rect& band, const PaintState& s) {
    if (palette(s))
        fillGradient(surface, band, BlendColor(s.palette.light, kWhite, 100), BlendColor(s.palette.light2, kWhite, 250),
                     s.tabAlign == 1);
    else
        gdi::fillRect(surface, band, BlendColor(sys(platform::COLOR_BTNFACE), sys(platform::COLOR_WINDOW), 64));
}

// The two lines between the band and the client area, from x1 to x2 (end excluded): the outer
// one in the frame colour, the inner one (next to the client area) in the inner colour.
void drawBandLines(QImage& surface, const Rect& band, int x1, int x2, const PaintState& s) {
    if (x2 <= x1)
        return;
    const int outer = s.tabAlign == 1 ? band.top + 1 : band.bottom - 2;
    const int inner = s.tabAlign == 1 ? band.top : band.bottom - 1;
    gdi::drawLine(surface, x1, outer, x2, outer, frameColor(s));
    gdi::drawLine(surface, x1, inner, x2, inner, innerColor(s));
}

void fillSelectedTab(QImage& surface, const Rect& r, const PaintState& s) {
    const OleColor active = sys(platform::COLOR_ACTIVECAPTION);
    const bool up = s.tabAlign == 1;
    switch (s.drawStyle) {
    case 0:
        gdi::fillRect(surface, r, sys(platform::COLOR_BTNFACE));
        return;
    case 1:
        if (s.themed)
            fillGradient(surface, r, BlendColor(sys(platform::COLOR_INACTIVECAPTION), kWhite, 100),
                         BlendColor(active, kWhite, 250), up);
        else
            fillGradient(surface, r, BlendColor(s.palette.light, kWhite, 100), BlendColor(active, kWhite, 200), up);
        return;
    case 2:
        // Ends in the page's own colour where it meets the page, so it reads as the page's tab.
        fillGradient(surface, r, BlendColor(s.palette.colour4, kWhite, 100), pageColor(s), up);
        return;
    default:
        fillGradient(surface, r, BlendColor(s.palette.light, kWhite, 100), BlendColor(active, kWhite, 150), up);
        return;
    }
}

void drawSelectedOutline(QImage& surface, const Rect& r, int rightLimit, const PaintState& s) {
    const int away = s.tabAlign == 1 ? r.bottom - 1 : r.top;
    gdi::drawLine(surface, r.left, away, std::min(r.right, rightLimit), away, farColor(s));
    gdi::drawLine(surface, r.left, r.top, r.left, r.bottom, nearColor(s));
    if (r.right - 1 < rightLimit)
        gdi::drawLine(surface, r.right - 1, r.top, r.right - 1, r.bottom, farColor(s));
}

void drawIcon(QImage& surface, const PaintState& s, const TabFace& tab, QPoint at, int rightLimit) {
    if (s.images == nullptr || tab.iconIndex < 0)
        return;
    QPainter painter(&surface);
    painter.setClipRect(QRect(0, 0, std::max(0, rightLimit), surface.height()));
    s.images->draw(painter, tab.iconIndex, at,
                   tab.enabled ? platform::ImageList::Look::Normal : platform::ImageList::Look::Disabled);
}

void drawCaption(QImage& surface, const PaintState& s, const TabFace& tab, Rect textRect, bool selected,
                 bool squeezed) {
    if (tab.iconIndex >= 0 && s.images != nullptr) {
        const int y = textRect.top + (textRect.height() - s.icon.height()) / 2;
        drawIcon(surface, s, tab, QPoint(textRect.left, y), textRect.right);
        textRect.left += s.icon.width() + 4;
    }
    if (textRect.width() <= 0)
        return;
    const OleColor color =
        selected && tab.enabled ? sys(platform::COLOR_WINDOWTEXT) : sys(platform::COLOR_3DDKSHADOW);
    int format = gdi::DT_VCENTER | gdi::DT_SINGLELINE;
    if (squeezed)
        format |= gdi::DT_END_ELLIPSIS;
    gdi::drawText(surface, tab.caption, textRect, format, selected ? s.selectedFont : s.font, color);
}

void drawStripButton(QImage& surface, const Rect& rect, Glyph glyph, bool enabled, bool hot, bool pressed,
                     const PaintState& s) {
    if (rect.width() <= 0)
        return;
    Rect box{rect.left + 2, rect.top + 2, rect.right - 2, rect.bottom - 2};
    if (enabled && hot && pressed) {
        Draw3DEdge(surface, rect, true, true);
        box = {box.left + 1, box.top + 1, box.right + 1, box.bottom + 1};
    } else if (enabled && hot) {
        Draw3DEdge(surface, rect, false, true);
    }
    OleColor color = 0;
    if (enabled)
        color = palette(s) ? s.palette.border : sys(platform::COLOR_3DDKSHADOW);
    else
        color = palette(s) ? s.palette.light
                           : BlendColor(sys(platform::COLOR_BTNFACE), sys(platform::COLOR_3DDKSHADOW), 192);
    drawGlyph(surface, glyph, box, color);
}

// Glyph shapes on a small grid, each a path of filled cells; "X" marks a filled cell.
struct GlyphShape {
    int width;
    int height;
    const char* rows[10];
};

constexpr GlyphShape kScrollLeft{4, 7, {"...X", "..XX", ".XXX", "XXXX", ".XXX", "..XX", "...X"}};
constexpr GlyphShape kScrollRight{4, 7, {"X...", "XX..", "XXX.", "XXXX", "XXX.", "XX..", "X..."}};
constexpr GlyphShape kClose{8, 7, {"XX....XX", ".XX..XX.", "..XXXX..", "...XX...", "..XXXX..", ".XX..XX.", "XX....XX"}};
constexpr GlyphShape kPinPinned{
    7, 9, {".XXXXX.", ".X..XX.", ".X..XX.", ".X..XX.", ".X..XX.", "XXXXXXX", "...X...", "...X...", "...X..."}};
constexpr GlyphShape kPinUnpinned{
    9, 7, {"...X.....", "...XXXXXX", "...X....X", "XXXX....X", "...XXXXXX", "...XXXXXX", "...X....."}};

const GlyphShape& shapeOf(Glyph glyph) {
    switch (glyph) {
    case Glyph::ScrollLeft:
        return kScrollLeft;
    case Glyph::ScrollRight:
        return kScrollRight;
    case Glyph::Close:
        return kClose;
    case Glyph::PinPinned:
        return kPinPinned;
    case Glyph::PinUnpinned:
        return kPinUnpinned;
    }
    return kClose;
}

} // namespace

void drawGlyph(QImage& surface, Glyph glyph, const Rect& box, OleColor color) {
    const GlyphShape& shape = shapeOf(glyph);
    const int x0 = box.left + (box.width() - shape.width) / 2;
    const int y0 = box.top + (box.height() - shape.height) / 2;
    QPainterPath path;
    for (int y = 0; y < shape.height; ++y)
        for (int x = 0; x < shape.width; ++x)
            if (shape.rows[y][x] == 'X')
                path.addRect(x0 + x, y0 + y, 1, 1);
    path.setFillRule(Qt::WindingFill);
    QPainter painter(&surface);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillPath(path, platform::toQColor(color));
}

void Draw3DEdge(QImage& surface, const Rect& r, bool pressed, bool hot) {
    if (!pressed && !hot)
        return;
    OleColor first = sys(platform::COLOR_BTNHIGHLIGHT);
    OleColor second = sys(platform::COLOR_3DDKSHADOW);
    if (pressed && hot)
        std::swap(first, second);
    gdi::drawLine(surface, r.left, r.bottom - 2, r.left, r.top, first);
    gdi::drawLine(surface, r.left, r.top, r.right - 1, r.top, first);
    gdi::drawLine(surface, r.right - 1, r.top + 1, r.right - 1, r.bottom - 1, second);
    gdi::drawLine(surface, r.right - 1, r.bottom - 1, r.left, r.bottom - 1, second);
}

void fillGradient(QImage& surface, const Rect& rect, OleColor from, OleColor to, bool upward) {
    if (rect.width() <= 0 || rect.height() <= 0)
        return;
    if (upward)
        std::swap(from, to);
    gdi::drawGradient(surface, resolved(from), resolved(to), rect.left, rect.top, rect.right, rect.height() - 1);
}

void paintControl(QImage& surface, const Rect& area, const PaintState& s, const LayoutResult& layout) {
    if (s.pinnable && !s.pinned) {
        gdi::fillRect(surface, area, palette(s) ? BlendColor(s.palette.light, kWhite, 150) : resolved(s.backColor));
        if (s.shown && layout.captionBar.height() > 0)
            DrawCaptionBar(surface, layout.captionBar, s);
        return;
    }
    gdi::fillRect(surface, layout.client, pageColor(s));
    if (s.pinnable && s.pinned && layout.captionBar.height() > 0)
        DrawCaptionBar(surface, layout.captionBar, s);
    if (s.showTabs)
        DrawTabs(surface, area, s, layout);
}

void DrawTabs(QImage& surface, const Rect& R, const PaintState& s, const LayoutResult& layout) {
    gdi::drawFrame(surface, R.left, R.top, R.width() - 1, R.height() - 1, frameColor(s));
    gdi::drawLine(surface, R.left + 1, R.top + 1, R.left + 1, R.bottom - 1, innerColor(s));
    gdi::drawLine(surface, R.right - 2, R.top + 1, R.right - 2, R.bottom - 1, innerColor(s));
    const int innerRow = s.tabAlign == 1 ? R.top + 1 : R.bottom - 2;
    gdi::drawLine(surface, R.left + 1, innerRow, R.right - 1, innerRow, innerColor(s));

    const Rect& band = layout.band;
    const int e = layout.available;
    fillBand(surface, band, s);
    drawBandLines(surface, band, band.left, band.right, s);

    const int count = std::min<int>(layout.paintedCount, static_cast<int>(s.tabs.size()));
    for (int i = 1; i <= count; ++i) {
        const Rect& r = layout.painted[static_cast<size_t>(i - 1)];
        const TabFace& tab = s.tabs[static_cast<size_t>(i - 1)];
        const bool selected = i == s.selected;
        if (selected) {
            fillSelectedTab(surface, clipped(r, e), s);
            drawSelectedOutline(surface, r, e, s);
        } else if (i + 1 != s.selected && r.right - 1 < e) {
            int top = s.tabAlign == 1 ? r.top + 4 : r.top + 3;
            int bottom = s.tabAlign == 1 ? r.bottom - 2 : r.bottom - 3;
            if (joinsPage(s)) {
                top = s.tabAlign == 1 ? band.top + 2 : r.top;
                bottom = s.tabAlign == 1 ? r.bottom : band.bottom - 2;
            }
            gdi::drawLine(surface, r.right - 1, top, r.right - 1, bottom, separatorColor(s));
        }
        Rect text{r.left + 8, r.top, std::min(r.right - 8, e), r.bottom};
        drawCaption(surface, s, tab, text, selected, layout.squeezed);
    }

    // Tabs reaching past the right end are cut there; the band goes on under the buttons.
    const Rect rest{e, band.top, band.right, band.bottom};
    if (rest.width() > 0) {
        fillBand(surface, rest, s);
        drawBandLines(surface, band, e, band.right, s);
    }
    drawStripButton(surface, layout.scrollLeft, Glyph::ScrollLeft, layout.scrollLeftEnabled,
                    s.hotButton == ScrollLeftButton, s.pressedButton == ScrollLeftButton, s);
    drawStripButton(surface, layout.scrollRight, Glyph::ScrollRight, layout.scrollRightEnabled,
                    s.hotButton == ScrollRightButton, s.pressedButton == ScrollRightButton, s);
    drawStripButton(surface, layout.close, Glyph::Close, s.closeEnabled, s.hotButton == CloseButton,
                    s.pressedButton == CloseButton, s);
}

void DrawCaptionBar(QImage& surface, const Rect& bar, const PaintState& s) {
    if (bar.width() <= 0 || bar.height() <= 0)
        return;
    if (palette(s))
        fillGradient(surface, bar, BlendColor(s.palette.colour4, kWhite, 100), BlendColor(s.palette.light2, kWhite, 200),
                     false);
    else
        gdi::fillRect(surface, bar, sys(platform::COLOR_BTNFACE));
    gdi::drawLine(surface, bar.left, bar.bottom - 1, bar.right, bar.bottom - 1, frameColor(s));

    const CaptionButtons buttons = captionButtons(bar, kButtonWidth);
    if (s.selected >= 1 && s.selected <= static_cast<int>(s.tabs.size())) {
        const Rect text{bar.left + 4, bar.top, buttons.pin.left - 2, bar.bottom - 1};
        if (text.width() > 0)
            gdi::drawText(surface, s.tabs[static_cast<size_t>(s.selected - 1)].caption, text,
                          gdi::DT_VCENTER | gdi::DT_SINGLELINE | gdi::DT_END_ELLIPSIS, s.font,
                          sys(platform::COLOR_WINDOWTEXT));
    }
    const OleColor glyphColor = palette(s) ? s.palette.border : sys(platform::COLOR_3DDKSHADOW);
    auto button = [&](const Rect& r, Glyph glyph, bool hot, bool pressed) {
        Draw3DEdge(surface, r, pressed, hot);
        Rect box{r.left + 2, r.top + 2, r.right - 2, r.bottom - 2};
        if (hot && pressed)
            box = {box.left + 1, box.top + 1, box.right + 1, box.bottom + 1};
        drawGlyph(surface, glyph, box, glyphColor);
    };
    button(buttons.close, Glyph::Close, s.closeHot, s.closePressed);
    button(buttons.pin, s.pinned ? Glyph::PinPinned : Glyph::PinUnpinned, s.pinHot, s.pinPressed);
}

void DrawCollapsedStrip(QImage& surface, const Rect& area, const PaintState& s, const std::vector<Rect>& rects) {
    fillBand(surface, area, s);
    const int count = std::min(rects.size(), s.tabs.size());
    for (int i = 0; i < count; ++i) {
        const Rect& r = rects[static_cast<size_t>(i)];
        const TabFace& tab = s.tabs[static_cast<size_t>(i)];
        const bool selected = i + 1 == s.selected;
        if (selected)
            gdi::fillRect(surface, r,
                          palette(s) ? BlendColor(s.palette.colour4, kWhite, 100) : sys(platform::COLOR_BTNFACE));
        gdi::drawFrame(surface, r.left, r.top, r.width() - 1, r.height() - 1, frameColor(s));
        int top = r.top + 8;
        if (tab.iconIndex >= 0 && s.images != nullptr) {
            drawIcon(surface, s, tab, QPoint(r.left + (r.width() - s.icon.width()) / 2, top), surface.width());
            top += s.icon.height() + 4;
        }
        // The caption runs downwards, turned a quarter clockwise.
        QFont f = selected ? s.selectedFont : s.font;
        f.setStyleStrategy(QFont::NoAntialias);
        QPainter painter(&surface);
        painter.setFont(f);
        painter.setPen(platform::toQColor(selected && tab.enabled ? sys(platform::COLOR_WINDOWTEXT)
                                                                   : sys(platform::COLOR_3DDKSHADOW)));
        painter.translate(r.right, top);
        painter.rotate(90);
        painter.drawText(QRect(0, 0, std::max(0, r.bottom - top - 4), r.width()),
                         Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine | Qt::TextShowMnemonic, tab.caption);
    }
}

} // namespace tabstrip
