#include "tests/support/stream_servers.h"
#include "waits.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTcpSocket>
#include <QThread>

#include <stdexcept>
#include <sys/stat.h>

namespace zentavo::test {

namespace {

const char* const kVlc = "VLC (Debian packages vlc-bin and vlc-plugin-base)";
const char* const kRtmpModule = "/usr/lib/nginx/modules/ngx_rtmp_module.so";

} // namespace

VlcStreamServer::VlcStreamServer(const QString& file, const QString& pipeFormat, const QStringList& output,
                                 quint16 port)
{
    if (QStandardPaths::findExecutable(QStringLiteral("cvlc")).isEmpty())
        throw std::runtime_error(std::string(kVlc) + " is needed: cvlc is not installed");
    QString input = file;
    QStringList demux;
    if (!pipeFormat.isEmpty()) {
        input = QFileInfo(file).dir().filePath(QStringLiteral("vlc-%1.fifo").arg(port));
        QFile::remove(input);
        const QByteArray path = QFile::encodeName(input);
        if (mkfifo(path.constData(), 0666) != 0 || chmod(path.constData(), 0666) != 0)
            throw std::runtime_error("cannot make the pipe " + input.toStdString());
        feed_ = std::make_unique<ServerProcess>(
            QStringLiteral("ffmpeg (Debian package ffmpeg)"), QStringLiteral("ffmpeg"),
            QStringList{QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"), QStringLiteral("error"),
                        QStringLiteral("-re"), QStringLiteral("-stream_loop"), QStringLiteral("-1"),
                        QStringLiteral("-i"), file, QStringLiteral("-c"), QStringLiteral("copy"), QStringLiteral("-f"),
                        pipeFormat, QStringLiteral("-y"), input},
            0);
        // VLC is told the format: probing a pipe that fills in real time can take it many seconds.
        demux = {QStringLiteral("--demux=ts"), QStringLiteral("--file-caching=300")};
    }
    vlc_ = std::make_unique<ServerProcess>(
        QLatin1String(kVlc), QStringLiteral("cvlc"),
        QStringList{QStringLiteral("-I"), QStringLiteral("dummy"), QStringLiteral("--no-stats")} + demux
            + QStringList{input} + output,
        port);
}

// VLC listens before its stream is ready, and a client that comes then gets nothing: waits until a
// request is answered with `expected` and at least minimumBytes.
void VlcStreamServer::WaitUntilServing(const QByteArray& request, const QByteArray& expected, int minimumBytes,
                                       quint16 port)
{
    const QDeadlineTimer deadline(Limit(15000));
    while (!deadline.hasExpired() && vlc_->Running()) {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, port);
        if (socket.waitForConnected(1000)) {
            socket.write(request);
            QByteArray answer;
            const QDeadlineTimer reading(1000);
            while (answer.size() < minimumBytes && !reading.hasExpired() && socket.waitForReadyRead(200))
                answer += socket.readAll();
            if (answer.startsWith(expected) && answer.size() >= minimumBytes)
                return;
        }
        QThread::msleep(100);
    }
    throw std::runtime_error("VLC did not start serving on port " + std::to_string(port) + ": "
                             + vlc_->Output().toStdString());
}

std::unique_ptr<VlcStreamServer> StartVlcRtsp(const QString& file, quint16 port)
{
    auto server =
        std::make_unique<VlcStreamServer>(file, QStringLiteral("mpegts"),
                                          QStringList{QStringLiteral("--rtsp-host=127.0.0.1"), QStringLiteral("--sout"),
                                                      QStringLiteral("#rtp{sdp=rtsp://127.0.0.1:%1/live}").arg(port)},
                                          port);
    server->WaitUntilServing(
        QStringLiteral("DESCRIBE rtsp://127.0.0.1:%1/live RTSP/1.0\r\nCSeq: 1\r\n\r\n").arg(port).toLatin1(),
        "RTSP/1.0 200", 100, port);
    return server;
}

std::unique_ptr<VlcStreamServer> StartVlcMmsh(const QString& file, quint16 port)
{
    auto server = std::make_unique<VlcStreamServer>(
        file, QString(),
        QStringList{QStringLiteral("--sout"), QStringLiteral("#std{access=mmsh,mux=asfh,dst=127.0.0.1:%1}").arg(port)},
        port);
    // A Windows Media client's first request: the stream's header.
    server->WaitUntilServing("GET / HTTP/1.0\r\nUser-Agent: NSPlayer/4.1.0.3856\r\nPragma: no-cache\r\n\r\n",
                             "HTTP/1.0 200", 500, port);
    return server;
}

NginxRtmpServer::NginxRtmpServer(const SharedFolder& folder, const QString& file) : port_(FreeLocalPort())
{
    if (!QFile::exists(QLatin1String(kRtmpModule)))
        throw std::runtime_error("nginx's rtmp module (Debian package libnginx-mod-rtmp) is needed");
    const QString config = folder.filePath(QStringLiteral("nginx-rtmp.conf"));
    QFile out(config);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error("cannot write the nginx configuration");
    // One process in the foreground, so that ending it ends the server; logs to its error stream.
    out.write(QStringLiteral("load_module %1;\n"
                             "daemon off;\nmaster_process off;\npid %2;\nerror_log stderr warn;\n"
                             "events { worker_connections 64; }\n"
                             "rtmp { access_log off; server { listen 127.0.0.1:%3; application live { live on; } } }\n")
                  .arg(QLatin1String(kRtmpModule), folder.filePath(QStringLiteral("nginx.pid")))
                  .arg(port_)
                  .toUtf8());
    out.close();
    nginx_ = std::make_unique<ServerProcess>(QStringLiteral("nginx (Debian packages nginx and libnginx-mod-rtmp)"),
                                             QStringLiteral("nginx"),
                                             QStringList{QStringLiteral("-p"), folder.path(), QStringLiteral("-e"),
                                                         QStringLiteral("stderr"), QStringLiteral("-c"), config},
                                             port_);
    feed_ = std::make_unique<ServerProcess>(
        QStringLiteral("ffmpeg (Debian package ffmpeg)"), QStringLiteral("ffmpeg"),
        QStringList{QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"), QStringLiteral("error"),
                    QStringLiteral("-re"), QStringLiteral("-stream_loop"), QStringLiteral("-1"), QStringLiteral("-i"),
                    file, QStringLiteral("-c"), QStringLiteral("copy"), QStringLiteral("-f"), QStringLiteral("flv"),
                    Url()},
        0);
}

QString NginxRtmpServer::Url() const
{
    return QStringLiteral("rtmp://127.0.0.1:%1/live/x").arg(port_);
}

std::unique_ptr<ServerProcess> StartOperatorSender(OperatorProtocol protocol, const QString& file, quint16 port)
{
    // Datagrams of seven MPEG-TS packets, as operators send them.
    QString format = QStringLiteral("mpegts");
    QString target = QStringLiteral("udp://127.0.0.1:%1?pkt_size=1316").arg(port);
    if (protocol == OperatorProtocol::Rtp) {
        format = QStringLiteral("rtp_mpegts");
        target = QStringLiteral("rtp://127.0.0.1:%1?pkt_size=1316").arg(port);
    } else if (protocol == OperatorProtocol::Srt) {
        target = QStringLiteral("srt://127.0.0.1:%1?mode=listener").arg(port);
    }
    auto sender = std::make_unique<ServerProcess>(
        QStringLiteral("ffmpeg (Debian package ffmpeg)"), QStringLiteral("ffmpeg"),
        QStringList{QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"), QStringLiteral("error"),
                    QStringLiteral("-re"), QStringLiteral("-stream_loop"), QStringLiteral("-1"), QStringLiteral("-i"),
                    file, QStringLiteral("-c"), QStringLiteral("copy"), QStringLiteral("-f"), format, target},
        0);
    // An SRT server binds its UDP port once it has read its input; datagrams simply go.
    if (protocol == OperatorProtocol::Srt) {
        const QDeadlineTimer deadline(Limit(15000));
        while (!UdpBound(port)) {
            if (!sender->Running() || deadline.hasExpired())
                throw std::runtime_error("ffmpeg did not wait for SRT callers on port " + std::to_string(port) + ": "
                                         + sender->Output().toStdString());
            QThread::msleep(20);
        }
    }
    return sender;
}

} // namespace zentavo::test
