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
//
// Hostile answers, per path: Redirect (a loop when the target is the path itself), AnswerStatus (an
// error status such as 414), CloseAfter (the connection closed, before or a while into the answer),
// GoSilentAfter (the connection kept open but silent after some bytes), SetContentType (a type other than the file's, such as a web page under a picture's name).
// RequireHeader makes it a server that refuses (403) every request without a header, as the
// servers of channels that want a certain user agent or referrer do.

#include <QHash>
#include <QList>
#include <QObject>
#include <QPair>
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
    // Forgets the request counts and the refusals for headers.
    void ResetCounts();
    // Requests for this path are read and then left unanswered until the server goes away.
    void Stall(const QString& path);
    // Whether answers carry "Access-Control-Allow-Origin: *" (on by default, as streaming servers do).
    void SetCorsAllowed(bool allowed);
    // Requests for this path are answered "302 Found" to the target path (relative to the folder).
    void Redirect(const QString& path, const QString& target);
    // Requests for this path are answered with this status, reason phrase and a short text body
    // (such as markup in the reason, as a hostile server sends it).
    void AnswerStatus(const QString& path, int status, const QByteArray& reason = "Refused");
    enum class Closing {
        BeforeAnswer, // read the request, answer nothing, close
        MidStream, // answer 200 (no length) with a few bytes of the file or of zeros, then close
    };
    // Requests for this path end with the server closing the connection after delayMs.
    void CloseAfter(const QString& path, int delayMs, Closing how);
    // Requests for this path are answered 200 (no length) with the file's first `bytes` bytes, and
    // then the connection stays open with nothing more on it: a live source that died behind a
    // server that keeps its listeners. 0 bytes: the answer's head only.
    void GoSilentAfter(const QString& path, qint64 bytes);
    // Answers for this path carry this Content-Type, whatever the file is.
    void SetContentType(const QString& path, const QByteArray& type);
    // The Cache-Control value of a path's answers ("no-store" unless set), such as a picture that
    // says it may be kept for an hour.
    void SetCacheControl(const QString& path, const QByteArray& value);

    // Every request must carry this header with exactly this value (the name compared without
    // case); others are answered "403 Forbidden" and counted.
    void RequireHeader(const QByteArray& name, const QByteArray& value);
    // How many requests were refused for a missing or wrong required header; the path of the last.
    int RefusedForHeaders() const { return refusedForHeaders_; }
    QString LastRefusedPath() const { return lastRefusedPath_; }

    static QUrl RefusedUrl(const QString& path);

private:
    void OnNewConnection();
    void OnReadyRead(QTcpSocket* socket);
    void Answer(QTcpSocket* socket, const QByteArray& method, const QString& path, const QByteArray& range);

    QString root_;
    QTcpServer server_;
    QHash<QString, int> counts_;
    QSet<QString> stalled_;
    QHash<QString, QString> redirects_;
    QHash<QString, QPair<int, QByteArray>> statuses_;
    QHash<QString, QPair<int, Closing>> closing_;
    QHash<QString, qint64> silentAfter_;
    QHash<QString, QByteArray> types_;
    QHash<QString, QByteArray> cacheControls_;
    QHash<QTcpSocket*, QByteArray> pending_;
    bool cors_ = true;
    QList<QPair<QByteArray, QByteArray>> required_; // lower-case name, value
    int refusedForHeaders_ = 0;
    QString lastRefusedPath_;
};

} // namespace zentavo::test
