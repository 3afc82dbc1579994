#include "platform/theme.h"

namespace platform {

namespace {
std::optional<bool> g_override;
}

bool isThemed() { return g_override.value_or(false); }

void setThemedOverride(std::optional<bool> themed) { g_override = themed; }

} // namespace platform
