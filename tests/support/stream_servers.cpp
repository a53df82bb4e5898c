#include "tests/support/stream_servers.h"

#include <QFile>

#include <stdexcept>

namespace zentavo::test {

namespace {

const char* const kVlc = "VLC (Debian packages vlc-bin and vlc-plugin-base)";
const char* const kRtmpModule = "/usr/lib/nginx/modules/ngx_rtmp_module.so";

QStringList VlcArguments(const QString& file, const QString& output)
{
    return {QStringLiteral("-I"),
            QStringLiteral("dummy"),
            QStringLiteral("--no-stats"),
            QStringLiteral("--loop"),
            file,
            QStringLiteral("--sout"),
            output};
}

} // namespace

std::unique_ptr<ServerProcess> StartVlcRtsp(const QString& file, quint16 port)
{
    QStringList arguments = VlcArguments(file, QStringLiteral("#rtp{sdp=rtsp://127.0.0.1:%1/live}").arg(port));
    arguments << QStringLiteral("--rtsp-host=127.0.0.1");
    return std::make_unique<ServerProcess>(QLatin1String(kVlc), QStringLiteral("cvlc"), arguments, port);
}

std::unique_ptr<ServerProcess> StartVlcMmsh(const QString& file, quint16 port)
{
    return std::make_unique<ServerProcess>(
        QLatin1String(kVlc), QStringLiteral("cvlc"),
        VlcArguments(file, QStringLiteral("#std{access=mmsh,mux=asfh,dst=127.0.0.1:%1}").arg(port)), port);
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

} // namespace zentavo::test
