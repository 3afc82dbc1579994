#pragma once

#include <QString>
#include <QTextDocument>

namespace platform {

// Qt shows a tip that looks like markup as markup, so a tip holding a text from the service is
// escaped first: it reads as it was sent.
[[nodiscard]] inline QString plainTip(const QString& text) {
    return Qt::mightBeRichText(text) ? Qt::convertFromPlainText(text, Qt::WhiteSpaceNoWrap) : text;
}

} // namespace platform
