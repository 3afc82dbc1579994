#include "common/settings.h"

#include "common/appinfo.h"
#include "platform/inifile.h"

#include <QDir>

namespace {
const QString kSection = QStringLiteral("Main Set");
}

QString settingsFilePath() { return QDir(programFolder()).filePath(QStringLiteral("set.ini")); }

QString GetIni(const QString& Key) {
    return platform::cutToProfileBuffer(
        platform::readProfileString(settingsFilePath(), kSection, Key).value_or(QString()));
}

void SetIni(const QString& Key, const QString& Value) {
    (void)platform::writeProfileString(settingsFilePath(), kSection, Key, Value);
}

void SetIniMany(const QList<QPair<QString, QString>>& KeyValues) {
    (void)platform::editProfile(settingsFilePath(), [&](platform::IniDocument& doc) {
        for (const auto& [k, v] : KeyValues)
            doc.setValue(kSection, k, v);
    });
}

void RemoveIni(const QString& Key) {
    (void)platform::writeProfileString(settingsFilePath(), kSection, Key, std::nullopt);
}
