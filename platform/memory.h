#pragma once

namespace platform {

// Hands the heap's free pages back to the system. True when any memory was given back; callers
// that only ask politely ignore the answer.
bool trimMemory();

} // namespace platform
