#include "common/appinfo.h"

#include <QStringList>

QStringList configHosts() {
    return QString::fromLatin1(BRELTO_CONFIG_HOSTS).split(u';', Qt::SkipEmptyParts);
}
