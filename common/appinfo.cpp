#include "common/appinfo.h"

#include "platform/vbtext.h"

#include <QStringList>

float versionNumber(int major, int minor) {
    return platform::CSng(platform::Val(QStringLiteral("%1.%2").arg(major).arg(minor)));
}

QStringList configHosts() {
    return QString::fromLatin1(BRELTO_CONFIG_HOSTS).split(u';', Qt::SkipEmptyParts);
}

#include <QCoreApplication>

namespace {
QString& folderOverride() {
    static QString f;
    return f;
}
} // namespace

QString programFolder() {
    if (!folderOverride().isEmpty())
        return folderOverride();
    return QCoreApplication::instance() != nullptr ? QCoreApplication::applicationDirPath() : QString();
}

void setProgramFolder(const QString& folder) { folderOverride() = folder; }
