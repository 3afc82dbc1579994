#pragma once

// Checks a test applies to every number a chart draws: the text is whole where it is drawn and
// reads as the value it stands for.

#include "charts/chart.h"
#include "platform/surface.h"
#include "platform/vbtext.h"

#include <QRectF>
#include <QString>

#include <gtest/gtest.h>

#include <cmath>

// Decimals a number text shows.
// A chart's size in pixels, named for the screen or window that gives it.
struct ChartSize {
    const char* name;
    int width;
    int height;
};

inline int shownDecimals(const QString& text) {
    const qsizetype dot = text.indexOf(u'.');
    return dot < 0 ? 0 : static_cast<int>(text.size() - dot - 1);
}

// The text is a number that rounds `value` to the decimals the text shows; `kept` is how far the
// value may already have been rounded before it was shown.
inline ::testing::AssertionResult readsAs(const QString& text, double value, double kept = 0) {
    bool ok = false;
    const double shown = text.toDouble(&ok);
    if (!ok) return ::testing::AssertionFailure() << '"' << text.toStdString() << "\" is no number";
    const double half = 0.5 * std::pow(10.0, -shownDecimals(text));
    // Single-precision prices and levels are a few units of their last place off.
    const double slack = std::abs(value) * 2e-6 + 1e-9 + kept;
    if (std::abs(shown - value) <= half + slack) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << '"' << text.toStdString() << "\" stands for " << value;
}

// A text printed at x in a surface `W` twips wide, `width` twips wide, lies within [lo, hi].
inline ::testing::AssertionResult within(const QString& text, double x, double width, double lo,
                                         double hi) {
    if (x >= lo - 1e-6 && x + width <= hi + 1e-6) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << '"' << text.toStdString() << "\" spans " << x << " .. "
                                         << x + width << ", its room " << lo << " .. " << hi;
}

// A label child is whole: as wide as its caption in its font at least, and inside [0, W].
inline ::testing::AssertionResult wholeLabel(const ChartLabel& l, double W) {
    const double text = platform::textWidthTwips(l.Font, l.Caption);
    if (l.Width + 1e-6 < text)
        return ::testing::AssertionFailure() << '"' << l.Caption.toStdString() << "\" needs "
                                             << text << " twips, its label is " << l.Width;
    return within(l.Caption, l.Left, l.Width, 0, W);
}

// Where a recorded text prints, in the font it was printed in; leading blanks print nothing, so
// the box starts at the first glyph.
inline QRectF inkBox(const platform::SurfaceOp& op) {
    const QFont font = platform::surfaceFont(op.fontName, op.fontSize, op.bold);
    qsizetype ink = 0;
    while (ink < op.text.size() && op.text[ink].isSpace())
        ++ink;
    const double blank = platform::textWidthTwips(font, op.text.left(ink));
    return {op.x1 + blank, op.y1, platform::textWidthTwips(font, op.text) - blank,
            ink == op.text.size() ? 0.0 : platform::lineHeightTwips(font)};
}

// No two recorded texts print over each other.
inline void expectNoTextOverAnother(const std::vector<platform::SurfaceOp>& texts) {
    std::vector<QRectF> boxes;
    for (const platform::SurfaceOp& op : texts)
        boxes.push_back(inkBox(op));
    for (size_t a = 0; a < boxes.size(); ++a)
        for (size_t b = a + 1; b < boxes.size(); ++b)
            EXPECT_FALSE(boxes[a].intersects(boxes[b]))
                << '"' << texts[a].text.toStdString() << "\" and \"" << texts[b].text.toStdString()
                << '"';
}
