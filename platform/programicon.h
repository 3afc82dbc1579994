#pragma once

#include <QIcon>

namespace platform {

// The icon compiled into the program's own file, as the desktop shows the executable: every size
// drawn for it (16 to 256 pixels). assets/programicon draws it at build time.
[[nodiscard]] QIcon programIcon();

} // namespace platform
