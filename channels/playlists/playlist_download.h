#pragma once
// Fetches a playlist from an http(s) address for the window: asynchronous on the caller's thread
// (the network never blocks it), with a time limit on the whole download and a limit on its size,
// and the reason for a failure in words.

#include "channels/import/file_bytes.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;

namespace zentavo {

// The most entries one playlist may have: its channels are listed, searched and kept in memory
// with those of every other playlist, and lists much longer would leave the windows slow to use.
inline constexpr long kMaxPlaylistEntries = 2'000'000;

struct DownloadLimits {
    int timeoutMs = 60'000;
    qint64 maxBytes = kMaxPlaylistBytes; // a file is held to the same
    long maxEntries = kMaxPlaylistEntries; // entries read, of a file or a download
};

class PlaylistDownload : public QObject {
    Q_OBJECT
public:
    // Starts at once; exactly one of Finished and Failed follows, unless Abort comes first.
    PlaylistDownload(QNetworkAccessManager& network, const QUrl& address, DownloadLimits limits,
                     QObject* parent = nullptr);
    ~PlaylistDownload() override;

    // Stops the download; no signal follows.
    void Abort();

signals:
    void Progress(qint64 received, qint64 total); // total -1 when the server does not say
    void Finished(const QByteArray& bytes, const QString& contentType); // contentType empty when not sent
    void Failed(const QString& reason);

private:
    void Fail(const QString& reason);
    void OnFinished();

    QPointer<QNetworkReply> reply_; // the network manager may go first and take its replies along
    DownloadLimits limits_;
    QTimer timer_;
    QByteArray bytes_;
};

} // namespace zentavo
