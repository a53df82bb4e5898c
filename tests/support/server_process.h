#pragma once
// A server program that a test or benchmark starts on 127.0.0.1 (VLC, nginx, icecast2, ffmpeg).
// When the caller is root it runs as the user nobody, since VLC and icecast2 refuse root; setpriv
// keeps it in a process of its own, so ending that process ends the server. The destructor ends it.
//
//   ServerProcess vlc("VLC (Debian package vlc-bin)", "cvlc", {...}, port); // throws unless it listens
//   vlc.Stop();
//
// A folder that such a server reads must be readable by nobody: SharedFolder is a temporary folder
// under /tmp that every user may read (and, for servers that write there, write).

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

namespace zentavo::test {

class ServerProcess {
public:
    // Starts program and waits up to 15 s until something listens on 127.0.0.1:port (port 0: only
    // until it has started). Throws std::runtime_error naming `what` when the program is missing,
    // exits or never listens.
    ServerProcess(QString what, const QString& program, const QStringList& arguments, quint16 port,
                  const QString& workingFolder = {});
    ~ServerProcess();
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    bool Running() const;
    // Ends the server (terminate, then kill) and waits until it is gone.
    void Stop();
    // What the server wrote to its output and error streams so far.
    QString Output();

private:
    QString what_;
    std::unique_ptr<QProcess> process_;
};

// A temporary folder under /tmp that other users (the servers run as nobody) may read and write.
class SharedFolder {
public:
    SharedFolder();
    QString path() const { return dir_.path(); }
    QString filePath(const QString& name) const { return dir_.filePath(name); }
    // Copies a file in, readable by all; returns its path here.
    QString Add(const QString& file) const;

private:
    QTemporaryDir dir_;
};

// A TCP port on 127.0.0.1 that nothing listens on now.
quint16 FreeLocalPort();
// How many threads of this process carry this name (threads inherit the name of the one that starts
// them, so this counts a worker and the threads it started).
int ThreadsNamed(const QByteArray& name);
// Whether something listens on 127.0.0.1:port (or any address with that port), as /proc/net/tcp says.
bool ListeningOn(quint16 port);
// Whether a UDP socket of any process is bound to that port, as /proc/net/udp says.
bool UdpBound(quint16 port);

} // namespace zentavo::test
