#pragma once

#include <QImage>
#include <QString>

#include <array>

// The icons of the main window's toolbar `MainBar`, drawn for this program. At build time
// makemainbaricons writes them as icon files, which brelto-designer puts on the buttons
// (mainbar.steps); the program itself only loads the design data that comes out.
namespace toolbar {

// The keys of the buttons, in button order; every button has an icon.
inline constexpr std::array<const char*, 7> kMainBarIconKeys = {
    "login", "set", "rjtx", "cal", "cwcal", "jyjsq", "copyprice",
};

// The icon of a MainBar button by its key: 16 x 16, except "jyjsq" (32 x 32); transparent around
// the picture. Null for a key the bar does not have.
[[nodiscard]] QImage mainBarIcon(const QString& key);

} // namespace toolbar
