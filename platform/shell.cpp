#include "platform/shell.h"

#include <QDesktopServices>
#include <QFileInfo>
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

bool shellOpen(const QString& target) {
    if (opener())
        return opener()(target);
    QUrl url = QUrl::fromUserInput(target);
    if (url.isLocalFile() && !QFileInfo::exists(url.toLocalFile()))
        return false;
    return url.isValid() && QDesktopServices::openUrl(url);
}

bool startDetached(const QString& program, const QStringList& args, const QString& workDir) {
    if (starter())
        return starter()(program, args, workDir);
    return QProcess::startDetached(program, args, workDir);
}

void setShellOpener(ShellOpener o) { opener() = std::move(o); }
void setProcessStarter(ProcessStarter s) { starter() = std::move(s); }

} // namespace platform
