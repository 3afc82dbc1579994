#pragma once

#include "platform/propertybag.h"

#include <QImage>
#include <QString>

// The main window's toolbar `MainBar` as its design saved it: seven buttons with their captions,
// keys, icons and design positions, on the system button-face colour, without the scheme menu.
namespace toolbar {

inline constexpr int kMainBarButtonCount = 7;

[[nodiscard]] platform::PropertyBag mainBarDesign();

// The icon of a MainBar button by its key, drawn for this program: 16 x 16, except "jyjsq"
// (32 x 32); transparent around the picture. Null for a key the bar does not have.
[[nodiscard]] QImage mainBarIcon(const QString& key);

} // namespace toolbar
