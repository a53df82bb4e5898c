#include "tests/support/icecast_server.h"
#include "waits.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTimer>
#include <QUrlQuery>

#include <stdexcept>

namespace zentavo::test {

namespace {

const char* const kAdminPassword = "admin-pw";
const char* const kSourcePassword = "source-pw";
const char* const kFfmpeg = "ffmpeg (Debian package ffmpeg)";

} // namespace

IcecastServer::IcecastServer(const SharedFolder& folder) : port_(FreeLocalPort())
{
    const QString config =
        QStringLiteral("<icecast>\n"
                       "  <limits><clients>20</clients><sources>4</sources><burst-size>65536</burst-size></limits>\n"
                       "  <authentication><source-password>%2</source-password><admin-user>admin</admin-user>"
                       "<admin-password>%3</admin-password></authentication>\n"
                       "  <hostname>127.0.0.1</hostname>\n"
                       // As radio servers that web players read set it up.
                       "  <http-headers><header name=\"Access-Control-Allow-Origin\" value=\"*\" /></http-headers>\n"
                       "  <listen-socket><port>%1</port><bind-address>127.0.0.1</bind-address></listen-socket>\n"
                       "  <paths><basedir>/usr/share/icecast2</basedir><logdir>%4</logdir>"
                       "<webroot>/usr/share/icecast2/web</webroot><adminroot>/usr/share/icecast2/admin</adminroot>"
                       "</paths>\n"
                       "  <logging><errorlog>-</errorlog><loglevel>1</loglevel></logging>\n"
                       "</icecast>\n")
            .arg(port_)
            .arg(QLatin1String(kSourcePassword), QLatin1String(kAdminPassword), folder.path());
    const QString configPath = folder.filePath(QStringLiteral("icecast.xml"));
    QFile file(configPath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(config.toUtf8()) < 0)
        throw std::runtime_error("cannot write the icecast2 configuration");
    file.close();
    icecast_ = std::make_unique<ServerProcess>(QStringLiteral("icecast2 (Debian package icecast2)"),
                                               QStringLiteral("icecast2"),
                                               QStringList{QStringLiteral("-c"), configPath}, port_);
}

QString IcecastServer::Url(const QString& mount) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(port_).arg(mount);
}

std::unique_ptr<ServerProcess> IcecastServer::StartSource(const QString& mount, const QStringList& input) const
{
    return std::make_unique<ServerProcess>(QLatin1String(kFfmpeg), QStringLiteral("ffmpeg"),
                                           QStringList{QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"),
                                                       QStringLiteral("error"), QStringLiteral("-re")}
                                               + input
                                               + QStringList{QStringLiteral("-ice_name"), QStringLiteral("Test Radio"),
                                                             QStringLiteral("icecast://source:%1@127.0.0.1:%2%3")
                                                                 .arg(QLatin1String(kSourcePassword))
                                                                 .arg(port_)
                                                                 .arg(mount)},
                                           0);
}

std::unique_ptr<ServerProcess> IcecastServer::StartToneSource(const QString& mount, const QString& codec) const
{
    return StartSource(mount,
                       {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                        QStringLiteral("sine=frequency=440:sample_rate=44100"), QStringLiteral("-c:a"),
                        codec == QLatin1String("mp3") ? QStringLiteral("libmp3lame") : codec, QStringLiteral("-b:a"),
                        QStringLiteral("128k"), QStringLiteral("-content_type"), QStringLiteral("audio/mpeg"),
                        QStringLiteral("-f"), codec});
}

std::unique_ptr<ServerProcess> IcecastServer::StartTransportStreamSource(const QString& mount,
                                                                         const QString& file) const
{
    return StartSource(mount,
                       {QStringLiteral("-stream_loop"), QStringLiteral("-1"), QStringLiteral("-i"), file,
                        QStringLiteral("-c"), QStringLiteral("copy"), QStringLiteral("-content_type"),
                        QStringLiteral("video/mp2t"), QStringLiteral("-f"), QStringLiteral("mpegts")});
}

QByteArray IcecastServer::Get(const QString& path, bool asAdmin) const
{
    QNetworkAccessManager network;
    QNetworkRequest request(QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(port_).arg(path)));
    if (asAdmin)
        request.setRawHeader("Authorization", "Basic " + QByteArray("admin:").append(kAdminPassword).toBase64());
    std::unique_ptr<QNetworkReply> reply(network.get(request));
    QEventLoop loop;
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    if (!reply->isFinished())
        loop.exec();
    return reply->isFinished() ? reply->readAll() : QByteArray();
}

void IcecastServer::WaitForMount(const QString& mount) const
{
    const QDeadlineTimer deadline(Limit(15000));
    const QByteArray quoted = "\"" + Url(mount).toUtf8() + "\"";
    while (!Get(QStringLiteral("/status-json.xsl"), false).contains(quoted)) {
        if (deadline.hasExpired())
            throw std::runtime_error("icecast2 did not get a source for " + mount.toStdString() + " within 15 s");
        QEventLoop loop;
        QTimer::singleShot(100, &loop, &QEventLoop::quit);
        loop.exec();
    }
}

void IcecastServer::SetTitle(const QString& mount, const QString& title) const
{
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("mount"), mount);
    query.addQueryItem(QStringLiteral("mode"), QStringLiteral("updinfo"));
    query.addQueryItem(QStringLiteral("song"), QString::fromLatin1(QUrl::toPercentEncoding(title)));
    const QByteArray answer = Get(QStringLiteral("/admin/metadata?") + query.toString(QUrl::FullyEncoded), true);
    if (!answer.contains("Metadata update successful"))
        throw std::runtime_error("icecast2 did not take the title: " + answer.toStdString());
}

} // namespace zentavo::test
