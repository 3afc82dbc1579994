#include "widgets/tabstrip/tablayout.h"

#include "platform/theme.h"
#include "widgets/toolbar/themecolors.h"

#include <algorithm>
#include <cmath>

namespace tabstrip {

namespace {

bool contains(const Rect& r, QPoint pt) {
    return pt.x() >= r.left && pt.x() < r.right && pt.y() >= r.top && pt.y() < r.bottom;
}

Rect shifted(const Rect& r, int dx) { return {r.left + dx, r.top, r.right + dx, r.bottom}; }

} // namespace

LayoutResult layoutStrip(const LayoutInput& in) {
    LayoutResult out;
    out.scrollOffset = in.scrollOffset;
    out.lastShownSelection = in.lastShownSelection;
    const Rect& area = in.area;

    out.client = area;
    if (in.showTabs) {
        out.client.left += 1;
        out.client.right -= 1;
        if (in.tabAlign == 1) {
            out.client.bottom = area.bottom - in.bandHeight;
            out.client.top += 1;
        } else {
            out.client.top = area.top + in.bandHeight;
            out.client.bottom -= 1;
        }
    }
    if (in.pinnable && in.pinned) {
        out.captionBar = {out.client.left, out.client.top, out.client.right, out.client.top + in.captionBarHeight};
        out.client.top += in.captionBarHeight;
    }
    if (!in.showTabs)
        return out;

    Rect& band = out.band;
    band = {area.left + 1, area.top, area.right - 1, area.bottom};
    if (in.tabAlign == 1)
        band.top = area.bottom - in.bandHeight;
    else
        band.bottom = area.top + in.bandHeight;

    const int count = static_cast<int>(in.tabs.size());
    out.laidOut.resize(in.tabs.size());
    for (int i = 0; i < count; ++i) {
        Rect& r = out.laidOut[static_cast<size_t>(i)];
        r.left = i == 0 ? band.left + 2 : out.laidOut[static_cast<size_t>(i - 1)].right;
        if (in.tabAlign == 1) {
            r.top = band.top;
            r.bottom = band.bottom - 2;
        } else {
            r.top = band.top + 2;
            r.bottom = band.bottom;
        }
        const TabMeasure& m = in.tabs[static_cast<size_t>(i)];
        r.right = r.left + m.captionWidth + 16;
        if (m.hasIcon)
            r.right += in.icon.width() + 4;
    }

    int e = band.right;
    const bool closeShown = in.showCloseButton && !in.pinnable;
    if (closeShown)
        e -= in.buttonWidth;

    if (!in.allowScroll) {
        out.scrollOffset = 0;
        if (count > 0 && out.laidOut.back().right > e) {
            const int width = std::max(0, (e - 4) / count);
            const int first = out.laidOut.front().left;
            for (int i = 0; i < count; ++i) {
                Rect& r = out.laidOut[static_cast<size_t>(i)];
                r.left = first + i * width;
                r.right = r.left + width;
            }
            out.squeezed = true;
        }
    } else {
        e -= 2 * in.buttonWidth;
        if (in.selected >= 1 && in.selected <= count && in.selected != in.lastShownSelection) {
            out.lastShownSelection = in.selected;
            const Rect& sel = out.laidOut[static_cast<size_t>(in.selected - 1)];
            const int limit = band.right - 3 * in.buttonWidth;
            if (sel.right - out.scrollOffset > limit || sel.left - out.scrollOffset < band.left) {
                out.scrollOffset = sel.left - kScrollSnap;
                if (out.scrollOffset <= kScrollSnap)
                    out.scrollOffset = 0;
            }
        }
        if (count > 0)
            out.maxScrollOffset = std::max(0, out.laidOut.back().right - e);
        // The offset kept from a narrower strip, or the snap of a selection near the end, may
        // scroll further than the last tab needs; all tabs that fit must show.
        out.scrollOffset = std::clamp(out.scrollOffset, 0, out.maxScrollOffset);
        out.scrollLeftEnabled = out.scrollOffset > 0;
        out.scrollRightEnabled = count > 0 && out.laidOut.back().right - out.scrollOffset > e;
    }
    out.available = e;

    out.painted.reserve(out.laidOut.size());
    for (const Rect& r : out.laidOut)
        out.painted.push_back(shifted(r, -out.scrollOffset));
    out.paintedCount = 0;
    for (const Rect& r : out.painted) {
        if (r.left > e)
            break;
        ++out.paintedCount;
    }

    out.buttonArea = {e, band.top + 3, band.right, band.bottom + 3};
    int x = e;
    const int size = in.buttonWidth;
    auto place = [&](Rect& r) {
        r = {x, out.buttonArea.top, x + in.buttonWidth, out.buttonArea.top + size};
        x += in.buttonWidth;
    };
    if (in.allowScroll) {
        place(out.scrollLeft);
        place(out.scrollRight);
    }
    if (closeShown)
        place(out.close);
    return out;
}

int hitTab(const LayoutResult& layout, QPoint pt) {
    if (pt.x() >= layout.available)
        return 0;
    for (int i = 0; i < layout.paintedCount; ++i)
        if (contains(layout.painted[static_cast<size_t>(i)], pt))
            return i + 1;
    return 0;
}

StripButton hitStripButton(const LayoutResult& layout, QPoint pt) {
    if (layout.scrollLeft.width() > 0 && contains(layout.scrollLeft, pt))
        return ScrollLeftButton;
    if (layout.scrollRight.width() > 0 && contains(layout.scrollRight, pt))
        return ScrollRightButton;
    if (layout.close.width() > 0 && contains(layout.close, pt))
        return CloseButton;
    return NoButton;
}

int scrollLeftOffset(const LayoutResult& layout) {
    if (layout.laidOut.empty() || layout.scrollOffset <= 0)
        return 0;
    const int first = layout.laidOut.front().left;
    int best = 0;
    for (const Rect& r : layout.laidOut) {
        const int start = r.left - first;
        if (start < layout.scrollOffset)
            best = std::max(best, start);
    }
    return best;
}

int scrollRightOffset(const LayoutResult& layout) {
    if (layout.laidOut.empty() || !layout.scrollRightEnabled)
        return layout.scrollOffset;
    const int first = layout.laidOut.front().left;
    int next = layout.maxScrollOffset;
    for (const Rect& r : layout.laidOut) {
        const int start = r.left - first;
        if (start > layout.scrollOffset) {
            next = std::min(start, layout.maxScrollOffset);
            break;
        }
    }
    return std::max(next, layout.scrollOffset);
}

CaptionButtons captionButtons(const Rect& bar, int buttonWidth) {
    CaptionButtons b;
    const int top = bar.top + (bar.height() - buttonWidth) / 2;
    b.close = {bar.right - 2 - buttonWidth, top, bar.right - 2, top + buttonWidth};
    b.pin = {b.close.left - buttonWidth, top, b.close.left, top + buttonWidth};
    return b;
}

std::vector<Rect> layoutCollapsed(int stripWidth, const std::vector<TabMeasure>& tabs, QSize icon) {
    std::vector<Rect> rects;
    rects.reserve(tabs.size());
    int top = 2;
    for (const TabMeasure& m : tabs) {
        int length = m.captionWidth + 16;
        if (m.hasIcon)
            length += icon.height() + 4;
        rects.push_back({2, top, stripWidth - 2, top + length});
        top += length;
    }
    return rects;
}

int hitCollapsed(const std::vector<Rect>& rects, QPoint pt) {
    for (size_t i = 0; i < rects.size(); ++i)
        if (contains(rects[i], pt))
            return static_cast<int>(i) + 1;
    return 0;
}

bool slideOutShouldHide(const Rect& window, QPoint cursor, bool leftButtonDown, bool closePressed, bool pinPressed) {
    if (closePressed || pinPressed || leftButtonDown)
        return false;
    return !contains(window, cursor);
}

platform::OleColor BlendColor(platform::OleColor a, platform::OleColor b, int alpha) {
    const int32_t ra = platform::OleColorToRgb(a);
    const int32_t rb = platform::OleColorToRgb(b);
    const platform::OleColor ca = ra < 0 ? 0 : static_cast<platform::OleColor>(ra);
    const platform::OleColor cb = rb < 0 ? 0 : static_cast<platform::OleColor>(rb);
    const double wa = alpha / 255.0;
    const double wb = (255 - alpha) / 255.0;
    auto mix = [&](int x, int y) {
        const double v = x * wa + y * wb;
        return std::clamp(static_cast<int>(std::nearbyint(v)), 0, 255);
    };
    return platform::rgb(mix(platform::redOf(ca), platform::redOf(cb)),
                         mix(platform::greenOf(ca), platform::greenOf(cb)),
                         mix(platform::blueOf(ca), platform::blueOf(cb)));
}

Palette GetGradientColors() {
    // The desktop has no visual-style scheme name, so the automatic scheme is the silver one.
    const toolbar::ToolbarSchemeColors scheme = toolbar::systemSchemeColors(platform::isThemed(), QString());
    Palette p;
    p.light = scheme.gradTop;
    p.light2 = scheme.gradBottom;
    p.colour3 = scheme.chevronColor1;
    p.colour4 = scheme.chevronColor2;
    p.border = scheme.borderColor;
    return p;
}

} // namespace tabstrip
