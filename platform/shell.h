#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace platform {

// The desktop shell: open an address or file with its default program, start a program
// detached. Tests install fakes; a null fake restores the real shell.
using ShellOpener = std::function<bool(const QString& target)>;
using ProcessStarter =
    std::function<bool(const QString& program, const QStringList& args, const QString& workDir)>;

[[nodiscard]] bool shellOpen(const QString& target);
[[nodiscard]] bool startDetached(const QString& program, const QStringList& args = {},
                                 const QString& workDir = {});

void setShellOpener(ShellOpener opener);
void setProcessStarter(ProcessStarter starter);

} // namespace platform
