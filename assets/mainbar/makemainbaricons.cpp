// Writes the icons of the main window's toolbar as icon files, one <key>.ico per button, and a
// stamp file written last. brelto-designer then puts them on the buttons on its buttons page
// (mainbar.steps), which gives the design data the program embeds.
//
// Usage: makemainbaricons <folder>

#include "assets/mainbar/mainbaricons.h"

#include <QDir>
#include <QGuiApplication>
#include <QImageWriter>
#include <QSaveFile>

#include <cstdio>

namespace {

int fail(const QString& message) {
    std::fprintf(stderr, "makemainbaricons: %s\n", qPrintable(message));
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) return fail(QStringLiteral("usage: makemainbaricons <folder>")) + 1;
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.mkpath(QStringLiteral(".")))
        return fail(QStringLiteral("cannot make %1").arg(folder.path()));
    for (const char* key : toolbar::kMainBarIconKeys) {
        QImageWriter writer(folder.filePath(QLatin1String(key) + QStringLiteral(".ico")), "ico");
        if (!writer.write(toolbar::mainBarIcon(QLatin1String(key))))
            return fail(
                QStringLiteral("cannot write %1: %2").arg(writer.fileName(), writer.errorString()));
    }
    QSaveFile stamp(folder.filePath(QStringLiteral("icons.stamp")));
    if (!stamp.open(QIODevice::WriteOnly) || !stamp.commit())
        return fail(QStringLiteral("cannot write %1").arg(stamp.fileName()));
    return 0;
}
