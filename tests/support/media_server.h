#pragma once
// A small HTTP/1.1 server on 127.0.0.1 for tests: serves the files of one folder (GET and HEAD, with
// Range requests and keep-alive), answers 404 for what is missing, counts the requests per path, and
// can hold a path's requests open without ever answering (a stalled stream).
//
//   MediaServer server(folder);             // listens at once on a free port; throws if it cannot
//   QUrl url = server.Url("hls/index.m3u8"); // http://127.0.0.1:PORT/hls/index.m3u8
//   server.Stall("live.mp3");               // requests for /live.mp3 now hang
//   server.RequestCount("cam.jpg");         // how many requests /cam.jpg has had
//   MediaServer::RefusedUrl("x.mp3");       // an address on 127.0.0.1 where nothing listens

#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <QTcpServer>
#include <QUrl>

class QTcpSocket;

namespace zentavo::test {

class MediaServer : public QObject {
    Q_OBJECT
public:
    explicit MediaServer(QString rootFolder, QObject* parent = nullptr);
    ~MediaServer() override;

    quint16 Port() const;
    // The address of a path relative to the folder (no leading slash needed).
    QUrl Url(const QString& path) const;
    int RequestCount(const QString& path) const;
    void ResetCounts();
    // Requests for this path are read and then left unanswered until the server goes away.
    void Stall(const QString& path);
    // Whether answers carry "Access-Control-Allow-Origin: *" (on by default, as streaming servers do).
    void SetCorsAllowed(bool allowed);

    static QUrl RefusedUrl(const QString& path);

private:
    void OnNewConnection();
    void OnReadyRead(QTcpSocket* socket);
    void Answer(QTcpSocket* socket, const QByteArray& method, const QString& path, const QByteArray& range);

    QString root_;
    QTcpServer server_;
    QHash<QString, int> counts_;
    QSet<QString> stalled_;
    QHash<QTcpSocket*, QByteArray> pending_;
    bool cors_ = true;
};

} // namespace zentavo::test
