#pragma once

#include <QByteArray>
#include <QFile>

// Resident memory of this process in kB, as the kernel counts it; -1 when
// the kernel does not say.
inline qint64 ResidentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return -1;
}
