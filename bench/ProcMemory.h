#pragma once
// This process's memory as the kernel counts it, for the benchmarks' memory figures.

#include <QByteArray>
#include <QFile>

// A field of /proc/self/status in KiB ("VmRSS", "VmHWM"); -1 when it cannot be read.
inline long StatusKb(const QByteArray& field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field + ':'))
            return line.mid(field.size() + 1).trimmed().split(' ').value(0).toLong();
    return -1;
}

inline long ResidentKb() {
    return StatusKb("VmRSS");
}
inline long PeakKb() {
    return StatusKb("VmHWM");
}
