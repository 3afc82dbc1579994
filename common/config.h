#pragma once

#include <QString>
#include <QStringList>

// The decoded configuration text of the service; empty until Loadserver has run.
inline QString ServerConfig;

// Fetches the configuration from the configuration hosts in turn (the third is the mirror, with
// its own path). True when a text holding the end marker "[/BRELTO]" was obtained.
bool Loadserver();

// Value of Key: the version-specific entry (Key followed by the version, any letter case) first,
// then the plain entry (exact case). An entry counts only after a line feed and only when a
// carriage return ends its value; "" otherwise.
[[nodiscard]] QString ConValue(const QString& Key);

// The service's base address (ending in "/") before the configuration names one: the first
// configuration host.
[[nodiscard]] QString defaultServiceUrl();

// The configuration hosts tried by Loadserver; tests point them at their own servers.
[[nodiscard]] QStringList configurationHosts();
void setConfigurationHosts(const QStringList& hosts);
