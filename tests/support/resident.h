#pragma once

#include <QCoreApplication>
#include <QFile>

// One figure of a process's status in KiB ("VmRSS", "VmHWM", ...); -1 once it has ended.
inline long statusKiB(qint64 pid, const QByteArray& field) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray key = field + ':';
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').value(0).toLong();
    return -1;
}

// Resident memory of a process in KiB, from its status; -1 once it has ended.
inline long residentKiB(qint64 pid) { return statusKiB(pid, "VmRSS"); }

// The most this process has had resident since the last resetResidentPeak, in KiB.
inline long residentPeakKiB() { return statusKiB(QCoreApplication::applicationPid(), "VmHWM"); }

// Starts this process's resident peak again from what it holds now; false where the kernel
// does not let it.
inline bool resetResidentPeak() {
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    return clear.open(QIODevice::WriteOnly) && clear.write("5") == 1;
}
