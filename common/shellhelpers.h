#pragma once

#include <QString>

// Opens a web address (http or https) or an existing local file with the desktop's default
// program; True when the shell took it. An address the shell refuses is handed to the fixed
// browser and gives False. Any other scheme is never handed to the shell: addresses come from
// the service, and only web pages are expected of it.
bool OpenUrl(const QString& Target);

// Paths are used as they are on this platform.
[[nodiscard]] QString ShortPath(const QString& Path);
