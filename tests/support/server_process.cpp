#include "tests/support/server_process.h"
#include "waits.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTcpServer>
#include <QThread>

#include <initializer_list>
#include <stdexcept>
#include <unistd.h>

namespace zentavo::test {

namespace {

constexpr int kListenWaitMs = 15000;

constexpr QFileDevice::Permissions kEveryone = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
    | QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther
    | QFileDevice::WriteOther | QFileDevice::ExeOther;

} // namespace

ServerProcess::ServerProcess(QString what, const QString& program, const QStringList& arguments, quint16 port,
                             const QString& workingFolder)
    : what_(std::move(what)), process_(std::make_unique<QProcess>())
{
    if (QStandardPaths::findExecutable(program).isEmpty())
        throw std::runtime_error(what_.toStdString() + " is needed: " + program.toStdString() + " is not installed");
    process_->setProcessChannelMode(QProcess::MergedChannels);
    if (!workingFolder.isEmpty())
        process_->setWorkingDirectory(workingFolder);
    if (geteuid() == 0) {
        process_->start(QStringLiteral("setpriv"),
                        QStringList{QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
                                    QStringLiteral("--clear-groups"), program}
                            + arguments);
    } else {
        process_->start(program, arguments);
    }
    if (!process_->waitForStarted(10000))
        throw std::runtime_error(what_.toStdString() + " did not start: " + process_->errorString().toStdString());
    if (port == 0)
        return;
    const QDeadlineTimer deadline(Limit(kListenWaitMs));
    while (!ListeningOn(port)) {
        if (process_->state() == QProcess::NotRunning || deadline.hasExpired()) {
            const QString output = Output();
            Stop();
            throw std::runtime_error(QStringLiteral("%1 did not listen on port %2: %3")
                                         .arg(what_)
                                         .arg(port)
                                         .arg(output.right(2000))
                                         .toStdString());
        }
        process_->waitForFinished(50);
        QCoreApplication::processEvents();
    }
}

ServerProcess::~ServerProcess()
{
    Stop();
}

bool ServerProcess::Running() const
{
    return process_->state() != QProcess::NotRunning;
}

void ServerProcess::Stop()
{
    if (!Running())
        return;
    process_->terminate();
    if (!process_->waitForFinished(5000)) {
        process_->kill();
        process_->waitForFinished(5000);
    }
}

QString ServerProcess::Output()
{
    return QString::fromLocal8Bit(process_->readAll());
}

SharedFolder::SharedFolder() : dir_(QStringLiteral("/tmp/zentavo-shared-XXXXXX"))
{
    if (!dir_.isValid() || !QFile::setPermissions(dir_.path(), kEveryone))
        throw std::runtime_error("cannot make a shared folder under /tmp");
}

QString SharedFolder::Add(const QString& file) const
{
    const QString target = dir_.filePath(QFileInfo(file).fileName());
    QFile::remove(target);
    if (!QFile::copy(file, target)
        || !QFile::setPermissions(
            target, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther))
        throw std::runtime_error("cannot copy " + file.toStdString() + " into the shared folder");
    return target;
}

quint16 FreeLocalPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

int ThreadsNamed(const QByteArray& name)
{
    int count = 0;
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile comm(tasks.filePath(task + QStringLiteral("/comm")));
        if (comm.open(QIODevice::ReadOnly) && comm.readAll().trimmed() == name)
            ++count;
    }
    return count;
}

namespace {

// Whether a row of the kernel's socket tables (/proc/net/tcp and the like) holds a socket on this
// port (its local address's port, field 1) that `wanted` accepts, given the row's fields.
template <typename Wanted> bool AnySocketOn(std::initializer_list<const char*> tables, quint16 port, Wanted wanted)
{
    for (const char* table : tables) {
        QFile file{QString::fromLatin1(table)};
        if (!file.open(QIODevice::ReadOnly))
            continue;
        file.readLine();
        while (!file.atEnd()) {
            const QList<QByteArray> fields = file.readLine().simplified().split(' ');
            if (fields.size() > 1 && fields[1].split(':').value(1).toUInt(nullptr, 16) == port && wanted(fields))
                return true;
        }
    }
    return false;
}

} // namespace

bool ListeningOn(quint16 port)
{
    // Field 3 is the state; 0A is LISTEN.
    return AnySocketOn({"/proc/net/tcp", "/proc/net/tcp6"}, port,
                       [](const QList<QByteArray>& fields) { return fields.size() > 3 && fields[3] == "0A"; });
}

bool UdpBound(quint16 port)
{
    return AnySocketOn({"/proc/net/udp", "/proc/net/udp6"}, port, [](const QList<QByteArray>&) { return true; });
}

} // namespace zentavo::test
