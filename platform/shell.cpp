#include "platform/shell.h"

#include <QDesktopServices>
#include <QProcess>
#include <QUrl>

namespace platform {
namespace {
ShellOpener& opener() {
    static ShellOpener o;
    return o;
}
ProcessStarter& starter() {
    static ProcessStarter s;
    return s;
}
} // namespace

bool isWebAddress(QStringView address) {
    const QStringView trimmed = address.trimmed();
    if (!trimmed.startsWith(QLatin1String("http://"), Qt::CaseInsensitive) &&
        !trimmed.startsWith(QLatin1String("https://"), Qt::CaseInsensitive))
        return false;
    const QUrl url(trimmed.toString());
    return url.isValid() && !url.host().isEmpty();
}

bool shellOpen(const QString& target) {
    if (!isWebAddress(target))
        return false;
    if (opener())
        return opener()(target);
    const QUrl url(target.trimmed());
    return QDesktopServices::openUrl(url);
}

bool startDetached(const QString& program, const QStringList& args, const QString& workDir) {
    if (starter())
        return starter()(program, args, workDir);
    return QProcess::startDetached(program, args, workDir);
}

void setShellOpener(ShellOpener o) { opener() = std::move(o); }
void setProcessStarter(ProcessStarter s) { starter() = std::move(s); }

} // namespace platform
