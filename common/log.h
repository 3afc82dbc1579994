#pragma once

#include <QDateTime>
#include <QString>

// Appends "<general date> [<version>]<text>" and CR LF to log.txt in the program folder, in GBK,
// with the service's domain (and its leading dot) taken out of the text. Never fails towards the
// caller: a line that cannot be written is lost.
void WriteLog(const QString& Text);

// The line WriteLog writes at `when`.
[[nodiscard]] QString logLine(const QDateTime& when, const QString& Text);
