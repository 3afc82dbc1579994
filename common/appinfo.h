#pragma once

#include "common/buildconfig.h"

#include <QString>

// The version number of a program version: the text "Major.Minor" read as a single, so 3.6 prints
// as "3.6" and minor version 10 reads as 3.1, never as the 4.0 that major + minor / 10 would make.
[[nodiscard]] float versionNumber(int major, int minor);

// Major.Minor of the program version, sent as "v" and "ver" in the service requests.
inline const float AppVer = versionNumber(BRELTO_VERSION_MAJOR, BRELTO_VERSION_MINOR);

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
