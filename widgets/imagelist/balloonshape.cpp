#include "widgets/imagelist/balloonshape.h"

#include "platform/gdi.h"

#include <algorithm>
#include <cmath>

namespace balloon {

int toPixels(double twips) {
    return static_cast<int>(std::nearbyint(twips / kTwipsPerPixel));
}

Frame frameFor(QSize tipLabel) {
    Frame frame;
    frame.bodyWidth = tipLabel.width() + 2 * kTipPos.x();
    frame.bodyHeight = kTipPos.y() + tipLabel.height() + 60;
    frame.windowWidth = frame.bodyWidth;
    frame.windowHeight = frame.bodyHeight + 450;
    const int h = toPixels(frame.bodyHeight);
    frame.pointer =
        QPolygon({QPoint(35, h - 1), QPoint(25, h - 1), QPoint(20, h + 15), QPoint(35, h - 1)});
    return frame;
}

Placement place(const Frame& frame, QPoint cursorPx, int twipsX, int twipsY, int screenWidth) {
    Placement placement;
    placement.pointer = frame.pointer;
    const int x = cursorPx.x() * twipsX - 450;
    const int y = cursorPx.y() * twipsY + 300;

    placement.pointerRight = frame.windowWidth + x + 250 > screenWidth;
    if (placement.pointerRight) {
        const int w = toPixels(frame.bodyWidth);
        const int xs[] = {w - 35, w - 25, w - 20, w - 35};
        for (int i = 0; i < 4; ++i)
            placement.pointer[i].setX(xs[i]);
    }
    placement.pointerTop = y - frame.windowHeight - 350 < 0;
    if (placement.pointerTop) {
        placement.bodyTop = kTopPointerShiftPx;
        const int ys[] = {15, 15, 0, 15};
        for (int i = 0; i < 4; ++i)
            placement.pointer[i].setY(ys[i]);
    }

    const QPoint tip = placement.pointer[2];
    int left = x - 150 + tip.x() * kTwipsPerPixel;
    const int top = y - tip.y() * kTwipsPerPixel - 375 + placement.bodyTop * 10;
    if (placement.pointerRight) left = left - tip.x() * kTwipsPerPixel - frame.windowWidth + 900;
    placement.topLeft = QPoint(left, top);
    return placement;
}

QRegion shape(int bodyWidth, int bodyHeight, int bodyTop, const QPolygon& pointer) {
    const platform::gdi::Rect body{0, bodyTop, toPixels(bodyWidth + 15),
                                   toPixels(bodyHeight + 15) + bodyTop};
    return platform::gdi::roundRectRegion(body, 13, 13)
        .united(platform::gdi::polygonRegion(pointer));
}

QRegion outline(const QRegion& region) {
    const QRegion inner = region.intersected(region.translated(1, 0))
                              .intersected(region.translated(-1, 0))
                              .intersected(region.translated(0, 1))
                              .intersected(region.translated(0, -1));
    return region.subtracted(inner);
}

int gradientStep(int bodyHeight) {
    if (bodyHeight <= 0) return 0;
    return static_cast<int>(std::nearbyint(155.0 / (bodyHeight / double(kTwipsPerPixel) / 2)));
}

std::vector<platform::OleColor> gradientRows(platform::OleColor backColor, int bodyHeight) {
    const int32_t resolved = platform::OleColorToRgb(backColor);
    const platform::OleColor back =
        resolved < 0 ? (backColor & 0xFFFFFF) : static_cast<platform::OleColor>(resolved);
    const int red = platform::redOf(back);
    const int green = platform::greenOf(back);
    const int blue = platform::blueOf(back);
    int step = gradientStep(bodyHeight);
    int shift = step;
    platform::OleColor colour = back;
    std::vector<platform::OleColor> rows;
    for (int y = 0; y <= bodyHeight + 225; y += kTwipsPerPixel) {
        rows.push_back(colour);
        if (shift > 254 || shift < 1) step = -step;
        shift += step;
        auto part = [shift](int value) { return std::clamp(value + shift, 0, 255); };
        colour = platform::rgb(part(red), part(green), part(blue));
    }
    return rows;
}

} // namespace balloon
