#pragma once
// A small HTTP/1.1 server on 127.0.0.1 for the page tests: fixed bodies by path, with their own
// headers, and a count of the requests each path received.

#include <QByteArray>
#include <QHash>
#include <QTcpServer>
#include <QUrl>

namespace zentavo {

class LocalHttpServer : public QObject {
    Q_OBJECT
public:
    explicit LocalHttpServer(QObject* parent = nullptr);

    // Serves body under path ("/name") with that content type and extra header lines ("Name: value\r\n").
    void Serve(const QByteArray& path, const QByteArray& contentType, const QByteArray& body,
               const QByteArray& extraHeaders = {});
    QUrl Url(const QByteArray& path) const;
    int Requests(const QByteArray& path) const { return requests_.value(path); }

private:
    struct Resource {
        QByteArray contentType, body, extraHeaders;
    };
    void Answer(QTcpSocket* socket);

    QTcpServer server_;
    QHash<QByteArray, Resource> resources_;
    QHash<QByteArray, int> requests_;
};

} // namespace zentavo
