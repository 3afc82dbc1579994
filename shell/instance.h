#pragma once

#include "platform/singleinstance.h"

// The program's single-instance channel (application "Quillor", topic "GOLDDDE"). The first copy
// listens for the whole run; the main window answers what arrives.
[[nodiscard]] platform::InstanceChannel& instanceChannel();
