#include "platform/memory.h"

#include <malloc.h>

namespace platform {

bool trimMemory() { return malloc_trim(0) != 0; }

} // namespace platform
