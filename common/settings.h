#pragma once

#include <QList>
#include <QPair>
#include <QString>

// The settings file: "set.ini" in the program folder, section "Main Set".

// Value of Key, trimmed and cut to 255 bytes; "" when the key, the section or the file is missing.
[[nodiscard]] QString GetIni(const QString& Key);
// Writes Value under Key, creating what is missing; an empty Value keeps the key with no value.
void SetIni(const QString& Key, const QString& Value);
// Several keys in one replacement of the file: they land together or not at all.
void SetIniMany(const QList<QPair<QString, QString>>& KeyValues);
// Takes Key out of the file.
void RemoveIni(const QString& Key);

[[nodiscard]] QString settingsFilePath();
