#pragma once

#include "platform/imagelist.h"
#include "widgets/tabstrip/tablayout.h"

#include <QFont>
#include <QImage>
#include <QString>

#include <vector>

// Painting of the docking tab strip onto its off-screen surface, from a layout (tablayout.h)
// and the looks of the tabs. Everything follows the classic drawing rules of platform/gdi.
namespace tabstrip {

struct TabFace {
    QString caption;
    int iconIndex = -1;
    bool enabled = true;
};

struct PaintState {
    int drawStyle = 0;
    platform::OleColor backColor = 0x8000000F;
    bool themed = false;
    Palette palette; // used when drawStyle != 0
    int tabAlign = 0;
    bool showTabs = true;
    bool pinnable = false;
    bool pinned = true;
    bool shown = false;
    QFont font;
    QFont selectedFont;
    const platform::ImageList* images = nullptr;
    QSize icon;
    std::vector<TabFace> tabs;
    int selected = 0;
    // strip buttons
    int hotButton = NoButton;
    int pressedButton = NoButton;
    bool closeEnabled = false;
    // caption bar
    bool closeHot = false;
    bool closePressed = false;
    bool pinHot = false;
    bool pinPressed = false;
};

// The symbol glyphs the strip draws, as filled paths: scroll left, scroll right, close, and the
// pin of the caption bar standing (pinned) or lying (unpinned).
enum class Glyph { ScrollLeft, ScrollRight, Close, PinPinned, PinUnpinned };
void drawGlyph(QImage& surface, Glyph glyph, const Rect& box, platform::OleColor color);

// The edge of a hot or pressed button: nothing when neither is set; the light colour along the
// left and top and the dark one along the right and bottom, swapped when both are set.
void Draw3DEdge(QImage& surface, const Rect& rect, bool pressed, bool hot);

// A vertical gradient over the rectangle, from `from` at the top to `to` at the bottom (reversed
// when upward is set).
void fillGradient(QImage& surface, const Rect& rect, platform::OleColor from, platform::OleColor to, bool upward);

// The whole control: client fill, caption bar, frame, band, tabs and strip buttons.
void paintControl(QImage& surface, const Rect& area, const PaintState& state, const LayoutResult& layout);
// Only the band of tabs and its buttons.
void DrawTabs(QImage& surface, const Rect& area, const PaintState& state, const LayoutResult& layout);
// The caption bar: the selected tab's caption with the close and pin buttons.
void DrawCaptionBar(QImage& surface, const Rect& bar, const PaintState& state);
// The collapsed strip of an unpinned control: the tabs stacked downwards.
void DrawCollapsedStrip(QImage& surface, const Rect& area, const PaintState& state, const std::vector<Rect>& rects);

} // namespace tabstrip
