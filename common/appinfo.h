#pragma once

#include "common/buildconfig.h"

#include <QString>

// Major.Minor of the program version, sent as "v" and "ver" in the service requests. A single,
// so it prints as "3.6".
inline const float AppVer = BRELTO_VERSION_MAJOR + BRELTO_VERSION_MINOR / 10.0f;

// Opaque client identifier (at most 20 characters) sent with service requests as "m" and "mac".
inline QString ClientId;

// The three configuration hosts, two primary ones and the mirror, as built in.
[[nodiscard]] QStringList configHosts();

// The folder of the running program: settings, log, sounds, icons and update files live there.
// Tests point it at a temporary folder.
[[nodiscard]] QString programFolder();
void setProgramFolder(const QString& folder);

// The service's own domain; log lines name its hosts without it.
inline constexpr char kServiceDomain[] = BRELTO_SERVICE_DOMAIN;

// The program's title, as its windows and boxes show it.
inline constexpr char16_t kProgramTitle[] = u"Quillor";
