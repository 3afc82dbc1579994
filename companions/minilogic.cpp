#include "companions/minilogic.h"

#include "common/tradingday.h"
#include "platform/vbtext.h"

#include <algorithm>
#include <array>

namespace mini {

namespace {

struct SkinRow {
    float dols;
    const char16_t* key;
    int left, middle, right;
};

// The six named skins in the order LoadImg compares them, then the two frames.
constexpr std::array<SkinRow, 8> kSkins{{
    {0, u"fenghong", 9, 10, 11},
    {1, u"lianghuang", 18, 17, 16},
    {2, u"danglang", 24, 23, 22},
    {3, u"luse", 30, 29, 28},
    {4, u"zise", 36, 35, 34},
    {5, u"hongse", 42, 41, 40},
    {6, u"", 0, 1, 2},
    {7, u"", 3, 4, 5},
}};

constexpr int kNamedTextLeft = 780;

} // namespace

std::optional<SkinPieces> skinPieces(float Dols) {
    for (const SkinRow& row : kSkins) {
        if (row.dols == Dols)
            return SkinPieces{QString::fromUtf16(row.key), row.left, row.middle, row.right};
    }
    return std::nullopt;
}

QSize pieceSize(int element) {
    if (element >= 0 && element <= 5) {
        // The frames: 3, 5 and 5 pixels wide, 28 high.
        return QSize(element % 3 == 0 ? 3 : 5, 28);
    }
    for (const SkinRow& row : kSkins) {
        if (row.key[0] == 0)
            continue;
        if (element == row.left)
            return QSize(137, 40);
        if (element == row.middle)
            return QSize(119, 40);
        if (element == row.right)
            return QSize(2, 40);
    }
    return QSize();
}

int textLeftAfterSkin(float Dols, int before) {
    const std::optional<SkinPieces> pieces = skinPieces(Dols);
    if (!pieces)
        return before;
    if (pieces->key.isEmpty())
        return pieceSize(0).width() * 15;
    return kNamedTextLeft;
}

std::optional<ChangeLabel> changeLabel(bool dayChange, int16_t Showt, const QString& Showsmt) {
    constexpr uint32_t kRed = 0xFF;
    constexpr uint32_t kGreen = 0xC000;
    constexpr uint32_t kWhite = 0xFFFFFF;
    if (dayChange) {
        if (platform::Val(Showsmt) >= 0)
            return ChangeLabel{QStringLiteral("↑") + Showsmt, std::nullopt, kRed};
        return ChangeLabel{QStringLiteral("↓") + Showsmt, std::nullopt, kGreen};
    }
    switch (Showt) {
    case 0: return ChangeLabel{QStringLiteral("－0.00"), QStringLiteral("持平"), kWhite};
    case 1: return ChangeLabel{QStringLiteral("↑") + Showsmt, QStringLiteral("上涨"), kRed};
    case 2: return ChangeLabel{QStringLiteral("↓") + Showsmt, QStringLiteral("下跌"), kGreen};
    default: return std::nullopt;
    }
}

bool positionLineFits(bool showHolding, int labelsHeight, int miniHeight) {
    return showHolding && 2 * labelsHeight < miniHeight;
}

int captionWidth(const WidthParts& p) {
    const int lineWidth = p.wText + p.cwsWidth + p.back2Width;
    const int baseWidth = p.wText + p.labelsWidth + p.upsWidth + p.back2Width;
    int width = p.windowWidth;
    // The position line widens a window too narrow for it first.
    if (p.cwVisible && width < lineWidth)
        width = lineWidth;
    if (p.cwVisible && width == lineWidth)
        return width < baseWidth ? baseWidth : width;
    return std::max(lineWidth, p.wText + p.back2Width + p.labelsWidth + p.upsWidth);
}

QString rowText(const QString& name, float price, float change) {
    return name + QStringLiteral("：") + platform::singleText(price) + QStringLiteral(" 涨跌：") + FormatChange(change, false);
}

int leftWithin(const Dock& d, int areaLeft, int areaRight, int screenWidth) {
    if (d.Ishide && d.left >= screenWidth - 90) return d.left;
    return std::max(std::min(d.left, areaRight - d.width), areaLeft);
}

void HideMe(Dock& d, int screenWidth, bool noEdgeHide) {
    if (noEdgeHide)
        return;
    // Single precision as the window's own coordinates are.
    const float right = static_cast<float>(d.left) + static_cast<float>(d.width);
    if (right >= static_cast<float>(screenWidth) - 90.0f) {
        d.left = screenWidth - 45;
        d.Ishide = true;
        d.timerOn = false;
    } else if (static_cast<float>(d.top) <= 90.0f) {
        d.top = 45 - d.height;
        d.Ishide = true;
        d.timerOn = false;
    }
}

void ShowMe(Dock& d, int screenWidth) {
    if (d.left + d.width > screenWidth - 90)
        d.left = screenWidth - d.width;
    else if (d.top < 0)
        d.top = 0;
    d.Ishide = false;
    d.timerOn = true;
}

void tick(Dock& d, const QRect& windowPixels, const QPoint& cursor, int screenWidth, bool noEdgeHide) {
    if (!d.timerOn)
        return;
    // QRect's right and bottom are one short of left + width; the rectangle's coordinates are
    // left + width and top + height, and a cursor on them is still inside.
    const int right = windowPixels.x() + windowPixels.width();
    const int bottom = windowPixels.y() + windowPixels.height();
    if (cursor.x() < windowPixels.x() || cursor.x() > right || cursor.y() < windowPixels.y() ||
        cursor.y() > bottom) {
        d.timerOn = false;
        HideMe(d, screenWidth, noEdgeHide);
    }
}

} // namespace mini
