#include "common/log.h"

#include "common/appinfo.h"
#include "platform/clock.h"
#include "platform/gbk.h"
#include "platform/vbtext.h"

#include <QDir>
#include <QFile>

QString logLine(const QDateTime& when, const QString& Text) {
    QString text = Text;
    text.remove(u'.' + QString::fromLatin1(kServiceDomain), Qt::CaseInsensitive);
    return platform::generalDateText(when) + QStringLiteral(" [") + platform::singleText(AppVer) +
           u']' + text;
}

void WriteLog(const QString& Text) {
    const QString folder = programFolder();
    if (folder.isEmpty())
        return;
    QFile file(QDir(folder).filePath(QStringLiteral("log.txt")));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return;
    file.write(platform::toGbk(logLine(platform::pcNow(), Text)) + "\r\n");
}
