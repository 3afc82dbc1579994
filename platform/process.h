#pragma once

#include <functional>

namespace platform {

// Ends the program at once, without the normal shut-down (no form is unloaded, nothing is saved):
// what the program does when it cannot go on. Tests install a recorder instead; the caller must
// return after the call either way.
void endProgram(int code = 0);
void setProgramEnder(std::function<void(int code)> ender);

} // namespace platform
