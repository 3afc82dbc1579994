#pragma once

#include "platform/singleinstance.h"

// The program's single-instance channel (application "Quillor", topic "GOLDDDE"). The first copy
// listens for the whole run; the main window answers what arrives.
[[nodiscard]] platform::InstanceChannel& instanceChannel();

// Tests run their copies on a topic of their own, so a program running beside them is never
// taken for a previous instance. Takes effect only before the channel is first used.
void setInstanceTopic(const QString& topic);
