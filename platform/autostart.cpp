#include "platform/autostart.h"

#include "platform/savefile.h"

#include <QDir>
#include <QFile>

namespace platform {
namespace {

QString autostartFolder() {
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::home().filePath(QStringLiteral(".config"));
    return QDir(base).filePath(QStringLiteral("autostart"));
}

// Exec lines take a quoted argument; inside quotes, backslash, quote, backtick and dollar need a
// backslash, the entry format then doubles every backslash again, and "%" starts a field code.
QString quotedExec(const QString& program) {
    QString quoted;
    for (const QChar c : program) {
        if (c == u'%') {
            quoted += QStringLiteral("%%");
            continue;
        }
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        quoted += c;
    }
    quoted.replace(u'\\', QStringLiteral("\\\\"));
    return u'"' + quoted + u'"';
}

} // namespace

QString autostartEntryPath(const QString& name) {
    return QDir(autostartFolder()).filePath(name + QStringLiteral(".desktop"));
}

bool setAutostart(const QString& name, const QString& program, bool enable) {
    const QString path = autostartEntryPath(name);
    if (!enable)
        return !QFile::exists(path) || QFile::remove(path);
    if (program.isEmpty() || program.contains(u'\n') || program.contains(u'\r') ||
        !QDir().mkpath(autostartFolder()))
        return false;
    const QString entry = QStringLiteral("[Desktop Entry]\nType=Application\nName=") + name +
                          QStringLiteral("\nExec=") + quotedExec(program) +
                          QStringLiteral("\nX-GNOME-Autostart-enabled=true\nTerminal=false\n");
    return saveWholeFile(path, entry.toUtf8());
}

} // namespace platform
