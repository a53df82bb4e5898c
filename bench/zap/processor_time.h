#pragma once
// Processor time (user + system) of processes and threads, as /proc tells it, for the benchmarks.

#include <QDir>
#include <QFile>
#include <QHash>
#include <QList>
#include <QString>

#include <unistd.h>

namespace zentavo::bench {

// utime + stime of a /proc/.../stat file, in seconds; 0 when it is gone.
inline double StatSeconds(const QString& path)
{
    QFile stat(path);
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return 0;
    return (fields[11].toDouble() + fields[12].toDouble()) / double(sysconf(_SC_CLK_TCK));
}

inline double ProcessSeconds(qint64 pid)
{
    return StatSeconds(QStringLiteral("/proc/%1/stat").arg(pid));
}

// The processor time of each thread of this process that bears `name` (threads take the name of
// the thread that starts them), by thread id.
inline QHash<qint64, double> NamedThreadSeconds(const QByteArray& name)
{
    QHash<qint64, double> seconds;
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile comm(tasks.filePath(task + QStringLiteral("/comm")));
        if (comm.open(QIODevice::ReadOnly) && comm.readAll().trimmed() == name)
            seconds.insert(task.toLongLong(), StatSeconds(tasks.filePath(task + QStringLiteral("/stat"))));
    }
    return seconds;
}

// What the named threads used between two readings (threads that came or went count from 0).
inline double SecondsBetween(const QHash<qint64, double>& before, const QHash<qint64, double>& after)
{
    double used = 0;
    for (auto it = after.cbegin(); it != after.cend(); ++it)
        used += it.value() - before.value(it.key());
    return used;
}

} // namespace zentavo::bench
