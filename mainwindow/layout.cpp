#include "mainwindow/layout.h"

#include <algorithm>
#include <cmath>

FramePlan placeFrame(const FrameInput& in) {
    FramePlan p;
    p.mainBar = {0, 0, in.scaleWidth - in.frWidth, in.mainBarHeight};
    const float stripHeight = in.yymzHeight + in.textAdHeight;
    p.maintab = {0, in.mainBarHeight, in.scaleWidth - in.frWidth,
                 in.scaleHeight - in.newsOleHeight - stripHeight - in.mainBarHeight};
    p.newsOle = {0, p.maintab.top + p.maintab.height, in.outerWidth + 150, in.newsOleHeight};
    p.yymz = {0, p.maintab.top + p.maintab.height + in.newsOleHeight, in.scaleWidth, stripHeight};
    p.web7 = {-15, in.textAdHeight, p.yymz.width, in.yymzHeight};
    p.oleMoveOle = {in.mainViewLeft, MainDesign::kBoardHeadHeight, in.mainViewWidth, in.mainViewHeight};
    p.vscroll = {in.mainViewWidth - in.vscrollWidth - 30, 0, in.vscrollWidth, in.mainViewHeight};
    if (in.oleMoveHeight - in.mainViewHeight > 0) {
        p.vscrollMax = static_cast<int>(std::floor(
            (in.oleMoveHeight - in.mainViewHeight + MainDesign::kBoardHeadHeight) / 100));
        p.vscrollVisible = true;
    } else {
        p.vscrollMax = static_cast<int>(std::floor(p.oleMoveOle.height / 100));
        p.vscrollVisible = false;
    }
    p.fr = {p.maintab.left + p.maintab.width + in.twipsY, 0, in.frWidth, in.mainBarHeight + p.maintab.height};
    p.yydo = {0, in.frame1Top + in.frame1Height, in.frWidth, p.fr.height - (in.frame1Top + in.frame1Height)};
    return p;
}

int intradayPaneCount(bool twoTicked, bool threeTicked, bool fourTicked) {
    if (fourTicked)
        return 4;
    if (threeTicked)
        return 3;
    if (twoTicked)
        return 2;
    return 1;
}

PanePlan placePanes(const PaneInput& in) {
    PanePlan p;
    const float W = in.W;
    const float H = in.H;
    switch (in.curTab) {
    case 2: {
        if (in.intradayPanes <= 1) {
            p.chart1 = TwipRect{0, 0, W, H};
            break;
        }
        const bool halfWidth = in.intradayPanes == 4;
        p.chart1 = TwipRect{0, 0, halfWidth ? W / 2 : W, (H + 60) / 2};
        const float T = p.chart1->height - 30;
        if (in.intradayPanes == 4) {
            p.chart2 = TwipRect{W / 2, 0, W / 2, H / 2};
            p.chart3 = TwipRect{0, T, W / 2, H / 2};
            p.chart4 = TwipRect{W / 2, T, W / 2, H / 2};
        } else if (in.intradayPanes == 3) {
            p.chart2 = TwipRect{0, T, W / 2, H / 2};
            p.chart3 = TwipRect{W / 2, T, W / 2, H / 2};
        } else {
            p.chart2 = TwipRect{0, T, W, H / 2};
        }
        break;
    }
    case 3:
        p.frame4 = TwipRect{W / 2 - in.frame4Width / 2, 0, in.frame4Width, in.frame4Height};
        p.klines = TwipRect{0, in.frame4Height, W, H - in.frame4Height};
        break;
    case 4:
        p.bblist = TwipRect{0, 0, W, H / 3};
        p.web0 = TwipRect{-15, p.bblist->height, W + 30, H - p.bblist->height};
        break;
    case 5:
        p.plList = TwipRect{0, 0, W, H / 3};
        p.web0 = TwipRect{-15, p.plList->height, W + 30, H - p.plList->height};
        break;
    case 6:
        p.web4 = TwipRect{-15, 0, W + 30, H};
        break;
    case 7:
        p.web5info = TwipRect{0, 0, W, in.web5InfoHeight};
        p.web5 = TwipRect{0, in.web5InfoHeight, W, H - in.web5InfoHeight};
        break;
    case 8:
        p.web6 = TwipRect{0, 0, W, H};
        break;
    case 9:
    case 10:
        p.web0 = TwipRect{0, 0, W, H};
        break;
    default:
        break;
    }
    return p;
}

AddressBarPlan placeAddressBar(const AddressBarInput& in) {
    AddressBarPlan p;
    const float h = in.buttonHeight;
    p.mwto = {in.miniWebWidth - in.mwtoWidth - 105 - in.gobackWidth - in.toBbsWidth, 135, in.mwtoWidth, h};
    p.toBbs = {in.miniWebWidth - in.toBbsWidth - 60, 135, in.toBbsWidth, h};
    p.goback = {in.miniWebWidth - in.gobackWidth - in.toBbsWidth - 60, 135, in.gobackWidth, h};
    p.mwurl = {in.mwurlLeft, 150, p.mwto.left - in.mwurlLeft, in.mwurlHeight};
    p.web2 = {0, in.web2Top, in.miniWebWidth, in.miniWebHeight - in.web2Top};
    return p;
}

std::optional<float> framesDragTop(float framesTop, float pointerY, float dragY, float framesHeight,
                                   float viewportHeight) {
    const float proposed = framesTop + pointerY - dragY;
    if (proposed <= 0 && std::fabs(proposed) <= framesHeight - viewportHeight)
        return proposed;
    return std::nullopt;
}

int32_t boardTopForScroll(int32_t scrollValue) { return -100 * scrollValue; }

bool belowMinimumSize(float outerWidth, float outerHeight) {
    return !(outerHeight >= MainDesign::kMinHeight && outerWidth >= MainDesign::kMinWidth);
}

BoardColumns boardColumns(const std::function<int(const QString&)>& textWidth, const QStringList& heads,
                          const QStringList& names) {
    // The widest text of each column; digits are equally wide in the board's fonts.
    static const char16_t* const kWidest[12][2] = {
        {u"人民币账户黄金", nullptr},  {u"88888.888", nullptr}, {u"+8888.88", u"+88.8888"},
        {u"+88.88%", nullptr},        {u"88888.888", nullptr}, {u"88888.888", nullptr},
        {u"88888.888", nullptr},      {u"88888.888", nullptr}, {u"8888.88", u"8.8888"},
        {u"-888.88", nullptr},        {u"↑888.88", u"↓88.8888"}, {u"88888.888", nullptr},
    };
    BoardColumns c;
    int left = kBoardFirstLeft;
    for (int k = 0; k < 12; ++k) {
        int widest = textWidth(heads.value(k));
        for (const char16_t* text : kWidest[k])
            if (text != nullptr)
                widest = std::max(widest, textWidth(QString::fromUtf16(text)));
        if (k == 0)
            for (const QString& name : names)
                widest = std::max(widest, textWidth(name));
        c.left[k] = left;
        c.width[k] = widest + kBoardColumnGap;
        left += c.width[k];
    }
    return c;
}

QRect normalPlacement(QSize design, const QRect& workArea, QSize minimum) {
    const QSize room(workArea.width() - kFrameAllowance, workArea.height() - kFrameAllowance);
    const QSize size = design.boundedTo(room).expandedTo(minimum);
    QRect placed(QPoint(0, 0), size);
    placed.moveCenter(workArea.center());
    // A work area smaller than the minimum: the top left stays on it.
    placed.moveTopLeft(QPoint(std::max(placed.left(), workArea.left()), std::max(placed.top(), workArea.top())));
    return placed;
}
