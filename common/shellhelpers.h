#pragma once

#include <QString>

// Opens a web address (http or https) with the desktop's default program; True when the shell
// took it. An address the shell refuses is handed to the fixed browser and gives False. Anything
// else (another scheme, a local path, a text without a scheme) gives False and reaches neither:
// addresses come from the service, and only web pages are expected of it.
bool OpenUrl(const QString& Target);

// Paths are used as they are on this platform.
[[nodiscard]] QString ShortPath(const QString& Path);
