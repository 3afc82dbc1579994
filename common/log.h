#pragma once

#include <QDateTime>
#include <QString>

// Appends "<general date> [<version>]<text>" and CR LF to log.txt in the program folder, in GBK,
// with the service's domain (and its leading dot) taken out of the text. Never fails towards the
// caller: a line that cannot be written is lost.
void WriteLog(const QString& Text);

// A program left running through an outage logs a few lines every few seconds: past this size
// (checked before each line, so also at start-up) log.txt moves to log.old.txt, replacing the one
// before it, and a new log.txt starts.
inline constexpr qint64 kLogLimitBytes = 2 * 1024 * 1024;
void boundLogFile(const QString& path, qint64 limitBytes);
// A line cut by a crash is taken out before the next line is written, so every line stays whole.
void dropUnfinishedLogLine(const QString& path);

// The line WriteLog writes at `when`.
[[nodiscard]] QString logLine(const QDateTime& when, const QString& Text);
