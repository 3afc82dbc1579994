#include "common/shellhelpers.h"

#include "platform/shell.h"

namespace {
// The browser every Debian desktop provides through its alternatives.
constexpr char kFixedBrowser[] = "/usr/bin/x-www-browser";
} // namespace

bool OpenUrl(const QString& Target) {
    // Targets come from the service over plain HTTP: a local path, another scheme or a text
    // without one would have the desktop open or run whatever it names.
    if (!platform::isWebAddress(Target))
        return false;
    const QString address = Target.trimmed();
    if (platform::shellOpen(address))
        return true;
    (void)platform::startDetached(QString::fromLatin1(kFixedBrowser), {address});
    return false;
}

QString ShortPath(const QString& Path) { return Path; }
