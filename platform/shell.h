#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace platform {

// The desktop shell: open a web address with its default program, start a program detached.
// Tests install fakes; a null fake restores the real shell.
using ShellOpener = std::function<bool(const QString& target)>;
using ProcessStarter =
    std::function<bool(const QString& program, const QStringList& args, const QString& workDir)>;

// An "http://" or "https://" address (any case) with a host: the only kind the program's web
// panes and the desktop are given. Addresses come from the service over plain HTTP, so a local
// file, a script or an inline page named there must never be opened.
[[nodiscard]] bool isWebAddress(QStringView address);

// Hands a web address to the desktop (or the fake); anything else is refused with False and never
// reaches either.
[[nodiscard]] bool shellOpen(const QString& target);
[[nodiscard]] bool startDetached(const QString& program, const QStringList& args = {},
                                 const QString& workDir = {});

void setShellOpener(ShellOpener opener);
void setProcessStarter(ProcessStarter starter);

} // namespace platform
