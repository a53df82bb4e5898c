#pragma once
// A shaped network in front of a server on 127.0.0.1, for the zap benchmark: runs shaping_proxy.py
// (delay each way, a round trip per new connection, a shared rate per direction) and keeps the time
// of every connection it accepts, so a zap's new connections can be counted afterwards.
//
//   ShapingProxy proxy(script, server.Port(), 25, 4000);  // throws if it does not start within 10 s
//   url.setPort(proxy.Port());
//   proxy.AcceptedBetween(fromMs, toMs);                  // connections accepted in that span

#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <stdexcept>
#include <vector>

namespace zentavo::bench {

class ShapingProxy {
public:
    ShapingProxy(const QString& script, quint16 targetPort, int delayMs, int rateKbit)
    {
        const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
        if (python.isEmpty())
            throw std::runtime_error("the shaped network needs python3 (Debian package python3)");
        process_.start(python,
                       {script, QStringLiteral("--target"), QString::number(targetPort), QStringLiteral("--delay-ms"),
                        QString::number(delayMs), QStringLiteral("--rate-kbit"), QString::number(rateKbit)});
        // The first line names the port; nothing else runs on this thread yet, so blocking is fine.
        if (!process_.waitForStarted(10000) || !process_.waitForReadyRead(10000))
            throw std::runtime_error("the shaping proxy did not start");
        while (!process_.canReadLine() && process_.waitForReadyRead(10000)) {
        }
        const QString first = QString::fromUtf8(process_.readLine()).trimmed();
        if (!first.startsWith(QLatin1String("listening ")))
            throw std::runtime_error("the shaping proxy did not say where it listens");
        port_ = quint16(first.section(QLatin1Char(' '), 1).toUInt());
    }

    ~ShapingProxy()
    {
        // Its standard input closing ends it; a proxy that does not go in time is killed.
        process_.closeWriteChannel();
        process_.terminate();
        if (!process_.waitForFinished(5000)) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }

    ShapingProxy(const ShapingProxy&) = delete;
    ShapingProxy& operator=(const ShapingProxy&) = delete;

    quint16 Port() const { return port_; }

    // Connections accepted from `fromMs` up to and including `toMs` (milliseconds since the epoch).
    int AcceptedBetween(qint64 fromMs, qint64 toMs)
    {
        Collect();
        return int(
            std::count_if(accepted_.begin(), accepted_.end(), [&](qint64 at) { return at >= fromMs && at <= toMs; }));
    }

private:
    void Collect()
    {
        while (process_.canReadLine()) {
            const QString line = QString::fromUtf8(process_.readLine()).trimmed();
            if (line.startsWith(QLatin1String("accept ")))
                accepted_.push_back(line.section(QLatin1Char(' '), 1).toLongLong());
        }
    }

    QProcess process_;
    quint16 port_ = 0;
    std::vector<qint64> accepted_;
};

} // namespace zentavo::bench
