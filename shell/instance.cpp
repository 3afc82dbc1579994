#include "shell/instance.h"

namespace {
QString& topic() {
    static QString t = QStringLiteral("GOLDDDE");
    return t;
}
} // namespace

void setInstanceTopic(const QString& t) { topic() = t; }

platform::InstanceChannel& instanceChannel() {
    static platform::InstanceChannel channel(QStringLiteral("Quillor"), topic());
    return channel;
}
