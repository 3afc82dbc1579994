#include "common/shellhelpers.h"

#include "platform/shell.h"

#include <QFileInfo>
#include <QUrl>

namespace {
// The browser every Debian desktop provides through its alternatives.
constexpr char kFixedBrowser[] = "/usr/bin/x-www-browser";

bool isWebAddress(const QString& target) {
    const QUrl url(target.trimmed(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    return url.isValid() && (scheme == u"http" || scheme == u"https") && !url.host().isEmpty();
}
} // namespace

bool OpenUrl(const QString& Target) {
    if (Target.contains(QStringLiteral("://"), Qt::CaseInsensitive)) {
        if (!isWebAddress(Target))
            return false;
        if (platform::shellOpen(Target.trimmed()))
            return true;
        (void)platform::startDetached(QString::fromLatin1(kFixedBrowser), {Target.trimmed()});
        return false;
    }
    if (Target.isEmpty() || !QFileInfo::exists(Target))
        return false;
    return platform::shellOpen(QFileInfo(Target).absoluteFilePath());
}

QString ShortPath(const QString& Path) { return Path; }
