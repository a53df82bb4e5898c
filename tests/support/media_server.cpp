#include "media_server.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QPointer>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTimer>
#include <algorithm>

#include <stdexcept>

namespace zentavo::test {
namespace {

QByteArray ContentType(const QString& path)
{
    static const QHash<QString, QByteArray> types = {
        {QStringLiteral("mp4"), "video/mp4"},
        {QStringLiteral("m4s"), "video/iso.segment"},
        {QStringLiteral("mp3"), "audio/mpeg"},
        {QStringLiteral("aac"), "audio/aac"},
        {QStringLiteral("ogg"), "audio/ogg"},
        {QStringLiteral("opus"), "audio/ogg"},
        {QStringLiteral("webm"), "video/webm"},
        {QStringLiteral("ts"), "video/mp2t"},
        {QStringLiteral("m3u8"), "application/vnd.apple.mpegurl"},
        {QStringLiteral("mpd"), "application/dash+xml"},
        {QStringLiteral("jpg"), "image/jpeg"},
        {QStringLiteral("m3u"), "audio/x-mpegurl"},
        {QStringLiteral("pls"), "audio/x-scpls"},
        {QStringLiteral("asx"), "video/x-ms-asf"},
        {QStringLiteral("ram"), "audio/x-pn-realaudio"},
        {QStringLiteral("html"), "text/html"},
    };
    return types.value(QFileInfo(path).suffix().toLower(), "application/octet-stream");
}

QString NormalPath(QString path)
{
    path = QUrl::fromPercentEncoding(path.toUtf8());
    while (path.startsWith(QLatin1Char('/')))
        path.remove(0, 1);
    return path.section(QLatin1Char('?'), 0, 0);
}

} // namespace

MediaServer::MediaServer(QString rootFolder, QObject* parent) : QObject(parent), root_(std::move(rootFolder))
{
    connect(&server_, &QTcpServer::newConnection, this, &MediaServer::OnNewConnection);
    if (!server_.listen(QHostAddress::LocalHost, 0))
        throw std::runtime_error("MediaServer: cannot listen on 127.0.0.1: " + server_.errorString().toStdString());
}

MediaServer::~MediaServer()
{
    server_.close();
    for (QTcpSocket* socket : pending_.keys())
        socket->abort();
}

quint16 MediaServer::Port() const
{
    return server_.serverPort();
}

QUrl MediaServer::Url(const QString& path) const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1/%2").arg(Port()).arg(NormalPath(path)));
}

int MediaServer::RequestCount(const QString& path) const
{
    return counts_.value(NormalPath(path));
}
void MediaServer::ResetCounts()
{
    counts_.clear();
    refusedForHeaders_ = 0;
    lastRefusedPath_.clear();
}
void MediaServer::Stall(const QString& path)
{
    stalled_.insert(NormalPath(path));
}
void MediaServer::SetCorsAllowed(bool allowed)
{
    cors_ = allowed;
}
void MediaServer::Redirect(const QString& path, const QString& target)
{
    redirects_.insert(NormalPath(path), NormalPath(target));
}
void MediaServer::AnswerStatus(const QString& path, int status, const QByteArray& reason)
{
    statuses_.insert(NormalPath(path), qMakePair(status, reason));
}
void MediaServer::CloseAfter(const QString& path, int delayMs, Closing how)
{
    closing_.insert(NormalPath(path), qMakePair(delayMs, how));
}
void MediaServer::GoSilentAfter(const QString& path, qint64 bytes)
{
    silentAfter_.insert(NormalPath(path), bytes);
}
void MediaServer::SetContentType(const QString& path, const QByteArray& type)
{
    types_.insert(NormalPath(path), type);
}

void MediaServer::SetCacheControl(const QString& path, const QByteArray& value)
{
    cacheControls_.insert(NormalPath(path), value);
}

QUrl MediaServer::RefusedUrl(const QString& path)
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close(); // nothing listens there any more: connections are refused
    return QUrl(QStringLiteral("http://127.0.0.1:%1/%2").arg(port).arg(NormalPath(path)));
}

void MediaServer::OnNewConnection()
{
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
        socket->setParent(this);
        pending_.insert(socket, {});
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { OnReadyRead(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            pending_.remove(socket);
            socket->deleteLater();
        });
    }
}

void MediaServer::RequireHeader(const QByteArray& name, const QByteArray& value)
{
    required_.append({name.toLower(), value});
}

void MediaServer::OnReadyRead(QTcpSocket* socket)
{
    QByteArray& buffer = pending_[socket];
    buffer += socket->readAll();
    for (;;) {
        const qsizetype end = buffer.indexOf("\r\n\r\n");
        if (end < 0)
            return;
        const QByteArray head = buffer.left(end);
        buffer.remove(0, end + 4);
        const QList<QByteArray> lines = head.split('\n');
        const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
        QByteArray range;
        QHash<QByteArray, QByteArray> headers;
        for (const QByteArray& line : lines.mid(1)) {
            const qsizetype colon = line.indexOf(':');
            if (colon > 0)
                headers.insert(line.left(colon).trimmed().toLower(), line.mid(colon + 1).trimmed());
            if (line.toLower().startsWith("range:"))
                range = line.mid(6).trimmed();
        }
        const QString path = NormalPath(QString::fromUtf8(requestLine.value(1)));
        counts_[path]++;
        const bool hasRequired = std::all_of(required_.begin(), required_.end(), [&headers](const auto& required) {
            return headers.value(required.first) == required.second;
        });
        if (!hasRequired) {
            ++refusedForHeaders_;
            lastRefusedPath_ = path;
            const QByteArray body = "this server wants its headers\n";
            socket->write("HTTP/1.1 403 Forbidden\r\nContent-Type: text/plain\r\n"
                          + (cors_ ? QByteArrayLiteral("Access-Control-Allow-Origin: *\r\n") : QByteArray())
                          + "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body);
            continue;
        }
        if (stalled_.contains(path))
            return; // keep the connection, never answer
        const QByteArray cors = cors_ ? QByteArrayLiteral("Access-Control-Allow-Origin: *\r\n") : QByteArray();
        if (redirects_.contains(path)) {
            socket->write("HTTP/1.1 302 Found\r\nLocation: /" + QUrl::toPercentEncoding(redirects_.value(path), "/")
                          + "\r\n" + cors + "Content-Length: 0\r\nCache-Control: no-store\r\n\r\n");
            continue;
        }
        if (statuses_.contains(path)) {
            const QByteArray body = "refused\n";
            const auto [status, reason] = statuses_.value(path);
            socket->write("HTTP/1.1 " + QByteArray::number(status) + ' ' + reason + "\r\nContent-Type: text/plain\r\n"
                          + cors + "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body);
            continue;
        }
        if (silentAfter_.contains(path)) {
            QFile file(QDir(root_).filePath(path));
            const QByteArray bytes =
                file.open(QIODevice::ReadOnly) ? file.read(silentAfter_.value(path)) : QByteArray();
            socket->write("HTTP/1.1 200 OK\r\nContent-Type: " + ContentType(path) + "\r\n" + cors
                          + "Cache-Control: no-store\r\nConnection: close\r\n\r\n" + bytes);
            return; // keep the connection, send nothing more
        }
        if (closing_.contains(path)) {
            const auto [delayMs, how] = closing_.value(path);
            if (how == Closing::MidStream) {
                QFile file(QDir(root_).filePath(path));
                QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.read(4096) : QByteArray(4096, '\0');
                socket->write("HTTP/1.1 200 OK\r\nContent-Type: " + ContentType(path) + "\r\n" + cors
                              + "Connection: close\r\n\r\n" + bytes);
            }
            QPointer<QTcpSocket> guarded(socket);
            QTimer::singleShot(delayMs, this, [guarded] {
                if (guarded)
                    guarded->disconnectFromHost();
            });
            return;
        }
        Answer(socket, requestLine.value(0), path, range);
    }
}

void MediaServer::Answer(QTcpSocket* socket, const QByteArray& method, const QString& path, const QByteArray& range)
{
    QByteArray head;
    QByteArray body;
    const QString local = QDir(root_).filePath(path);
    QFile file(local);
    const bool inside = !path.contains(QLatin1String("..")) && QFileInfo(local).isFile();
    if (method != "GET" && method != "HEAD") {
        head = "HTTP/1.1 405 Method Not Allowed\r\n";
    } else if (!inside || !file.open(QIODevice::ReadOnly)) {
        head = "HTTP/1.1 404 Not Found\r\nContent-Type: text/plain\r\n";
        body = "not found\n";
    } else {
        const QByteArray data = file.readAll();
        const qint64 size = data.size();
        static const QRegularExpression bytes(QStringLiteral(R"(^bytes=(\d*)-(\d*)$)"));
        const auto match = bytes.match(QString::fromLatin1(range));
        if (match.hasMatch() && (!match.captured(1).isEmpty() || !match.captured(2).isEmpty())) {
            qint64 first = 0;
            qint64 last = size - 1;
            if (match.captured(1).isEmpty()) {
                first = qMax<qint64>(0, size - match.captured(2).toLongLong());
            } else {
                first = match.captured(1).toLongLong();
                if (!match.captured(2).isEmpty())
                    last = qMin(last, match.captured(2).toLongLong());
            }
            if (first >= size || first > last) {
                head =
                    "HTTP/1.1 416 Range Not Satisfiable\r\nContent-Range: bytes */" + QByteArray::number(size) + "\r\n";
            } else {
                head = "HTTP/1.1 206 Partial Content\r\nContent-Range: bytes " + QByteArray::number(first) + "-"
                    + QByteArray::number(last) + "/" + QByteArray::number(size) + "\r\n";
                body = data.mid(first, last - first + 1);
            }
        } else {
            head = "HTTP/1.1 200 OK\r\n";
            body = data;
        }
        head += "Content-Type: " + types_.value(path, ContentType(path)) + "\r\nAccept-Ranges: bytes\r\nCache-Control: "
            + cacheControls_.value(path, QByteArrayLiteral("no-store")) + "\r\n";
    }
    if (cors_)
        head += "Access-Control-Allow-Origin: *\r\nAccess-Control-Expose-Headers: Date\r\n";
    // The time of the answer, as HTTP servers give it: dash.js sets its clock for live DASH from it.
    head += "Date: "
        + QLocale::c().toString(QDateTime::currentDateTimeUtc(), QStringLiteral("ddd, dd MMM yyyy hh:mm:ss")).toLatin1()
        + " GMT\r\n";
    head += "Content-Length: " + QByteArray::number(body.size()) + "\r\nConnection: keep-alive\r\n\r\n";
    socket->write(head);
    if (method != "HEAD")
        socket->write(body);
}

} // namespace zentavo::test
