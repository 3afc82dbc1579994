#include "platform/programicon.h"

#include <QDir>

// At file scope: the initialiser it declares must not fall into a namespace.
static void initProgramIconResource() {
    Q_INIT_RESOURCE(programicon);
}

namespace platform {

QIcon programIcon() {
    initProgramIconResource();
    QIcon icon;
    const QDir pictures(QStringLiteral(":/programicon"));
    for (const QString& name : pictures.entryList({QStringLiteral("*.png")}, QDir::Files))
        icon.addFile(pictures.filePath(name));
    return icon;
}

} // namespace platform
