#include "shell/instance.h"

platform::InstanceChannel& instanceChannel() {
    static platform::InstanceChannel channel(QStringLiteral("Quillor"), QStringLiteral("GOLDDDE"));
    return channel;
}
