#pragma once

#include <QString>

namespace platform {

// Per-user start with the desktop session: a desktop entry named `name` in the user's autostart
// folder ($XDG_CONFIG_HOME/autostart, else ~/.config/autostart) that runs `program`.
// True when the entry was written (enable) or is gone (disable).
bool setAutostart(const QString& name, const QString& program, bool enable);
[[nodiscard]] QString autostartEntryPath(const QString& name);

} // namespace platform
