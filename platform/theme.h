#pragma once

#include <optional>

// Whether the desktop draws controls with a visual style. This desktop has no such service, so
// the answer is "not themed" and themed looks take their documented fall-back; tests may say
// otherwise to reach the themed path.
namespace platform {

[[nodiscard]] bool isThemed();

// Replaces the answer of isThemed(); std::nullopt gives the platform's own answer back.
void setThemedOverride(std::optional<bool> themed);

} // namespace platform
