#include "common/log.h"

#include "common/appinfo.h"
#include "platform/clock.h"
#include "platform/gbk.h"
#include "platform/savefile.h"
#include "platform/vbtext.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

QString logLine(const QDateTime& when, const QString& Text) {
    QString text = Text;
    text.remove(u'.' + QString::fromLatin1(kServiceDomain), Qt::CaseInsensitive);
    return platform::generalDateText(when) + QStringLiteral(" [") + platform::singleText(AppVer) +
           u']' + text;
}

void boundLogFile(const QString& path, qint64 limitBytes) {
    if (QFileInfo(path).size() <= limitBytes)
        return;
    const QFileInfo info(path);
    const QString older = info.dir().filePath(info.completeBaseName() + QStringLiteral(".old.") + info.suffix());
    // Moved over the older log in one step: a crash at any moment leaves either the older log or
    // this one as log.old.txt, never neither.
    platform::moveOver(path, older);
}

void dropUnfinishedLogLine(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return;
    const qint64 size = file.size();
    if (size == 0 || !file.seek(size - 1) || file.read(1) == "\n")
        return;
    // A process killed in the middle of a line leaves it cut; the next line starts after the last
    // whole one.
    constexpr qint64 kChunk = 4096;
    for (qint64 end = size; end > 0;) {
        const qint64 start = std::max<qint64>(0, end - kChunk);
        if (!file.seek(start))
            return;
        const QByteArray chunk = file.read(end - start);
        const qsizetype at = chunk.lastIndexOf('\n');
        if (at >= 0) {
            file.resize(start + at + 1);
            return;
        }
        end = start;
    }
    file.resize(0);
}

void WriteLog(const QString& Text) {
    const QString folder = programFolder();
    if (folder.isEmpty())
        return;
    const QString path = QDir(folder).filePath(QStringLiteral("log.txt"));
    boundLogFile(path, kLogLimitBytes);
    dropUnfinishedLogLine(path);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return;
    file.write(platform::toGbk(logLine(platform::pcNow(), Text)) + "\r\n");
}
