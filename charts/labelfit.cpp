#include "charts/labelfit.h"

#include "platform/vbtext.h"

#include <algorithm>
#include <cmath>

namespace charts {

QString shortestText(double value, int decimals) {
    if (!std::isfinite(value)) return {};
    return platform::doubleText(platform::Round(value, decimals));
}

namespace {

QStringList textsAt(const std::vector<double>& values, int decimals, const NumberFormat& format) {
    QStringList texts;
    texts.reserve(static_cast<qsizetype>(values.size()));
    for (double v : values)
        texts << format(v, decimals);
    return texts;
}

double widestOf(const QStringList& texts, const TextMeasure& width) {
    double widest = 0;
    for (const QString& t : texts)
        if (!t.isEmpty()) widest = std::max(widest, width(t));
    return widest;
}

} // namespace

int neighbourDecimals(const std::vector<double>& values, int decimals, const NumberFormat& format) {
    const QStringList wanted = textsAt(values, decimals, format);
    for (int d = 0; d < decimals; ++d) {
        const QStringList texts = textsAt(values, d, format);
        bool differ = true;
        for (qsizetype i = 1; i < texts.size() && differ; ++i) {
            const bool wantedDiffer =
                wanted[i] != wanted[i - 1] && !wanted[i].isEmpty() && !wanted[i - 1].isEmpty();
            differ = !wantedDiffer || texts[i] != texts[i - 1];
        }
        if (differ) return d;
    }
    return decimals;
}

FittedLabels fitLabels(const std::vector<double>& values, int decimals, double room,
                       const TextMeasure& width, const NumberFormat& format) {
    decimals = std::max(decimals, 0);
    const int floor = neighbourDecimals(values, decimals, format);
    FittedLabels fitted;
    for (int d = decimals; d >= floor; --d) {
        fitted.texts = textsAt(values, d, format);
        fitted.decimals = d;
        fitted.widest = widestOf(fitted.texts, width);
        if (fitted.widest <= room) break;
    }
    return fitted;
}

double keepInside(double left, double width, double lo, double hi) {
    if (left + width > hi) left = hi - width;
    return std::max(left, lo);
}

} // namespace charts
