#pragma once

#include "platform/propertybag.h"

// The main window's toolbar `MainBar` as its design saved it: seven buttons with their captions,
// keys and icons, on the system button-face colour, without the scheme menu. brelto-designer makes
// the data at build time (assets/mainbar/mainbar.steps) and the program embeds it.
namespace toolbar {

// The saved properties of MainBar; an empty bag (a bar without buttons) should the embedded data
// be missing.
[[nodiscard]] platform::PropertyBag mainBarDesign();

} // namespace toolbar
