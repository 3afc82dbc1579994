#include "platform/savefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

#include <cstdio>

namespace platform {

void removeSaveLeftovers(const QString& path) {
    const QFileInfo target(path);
    QDir dir = target.absoluteDir();
    // The save writes "<name>.XXXXXX" (six random letters or digits) and renames it over the file.
    const QRegularExpression leftover(u'^' + QRegularExpression::escape(target.fileName()) +
                                      QStringLiteral("\\.[A-Za-z0-9]{6}$"));
    const QStringList candidates =
        dir.entryList({target.fileName() + QStringLiteral(".??????")}, QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : candidates)
        if (leftover.match(name).hasMatch())
            dir.remove(name);
}

bool saveWholeFile(const QString& path, const QByteArray& bytes) {
    removeSaveLeftovers(path);
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    if (out.write(bytes) != bytes.size())
        return false;
    return out.commit();
}

bool moveOver(const QString& from, const QString& to) {
    // QFile::rename refuses an existing target (its fall-back removes it first); rename() replaces
    // it atomically.
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

} // namespace platform
