#include "local_http_server.h"

#include <QTcpSocket>

namespace zentavo {

LocalHttpServer::LocalHttpServer(QObject* parent) : QObject(parent)
{
    server_.listen(QHostAddress::LocalHost);
    connect(&server_, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = server_.nextPendingConnection()) {
            socket->setParent(this);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { Answer(socket); });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
}

void LocalHttpServer::Serve(const QByteArray& path, const QByteArray& contentType, const QByteArray& body,
                            const QByteArray& extraHeaders)
{
    resources_.insert(path, Resource{contentType, body, extraHeaders});
}

QUrl LocalHttpServer::Url(const QByteArray& path) const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(server_.serverPort()) + QString::fromLatin1(path));
}

void LocalHttpServer::Answer(QTcpSocket* socket)
{
    QByteArray request = socket->property("request").toByteArray() + socket->readAll();
    const qsizetype headerEnd = request.indexOf("\r\n\r\n");
    if (headerEnd < 0) {
        socket->setProperty("request", request);
        return;
    }
    socket->setProperty("request", QByteArray());
    const QList<QByteArray> requestLine = request.left(request.indexOf("\r\n")).split(' ');
    QByteArray path = requestLine.value(1);
    path = path.left(path.indexOf('?') < 0 ? path.size() : path.indexOf('?'));
    requests_[path] += 1;

    const auto found = resources_.constFind(path);
    QByteArray response;
    if (found == resources_.constEnd()) {
        response = "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
    } else {
        response = "HTTP/1.1 200 OK\r\nContent-Type: " + found->contentType
            + "\r\nContent-Length: " + QByteArray::number(found->body.size()) + "\r\n" + found->extraHeaders
            + "Connection: close\r\n\r\n" + found->body;
    }
    socket->write(response);
    socket->disconnectFromHost();
}

} // namespace zentavo
