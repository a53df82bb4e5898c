#pragma once
// Fetches a guide from an http(s) address into a file, asynchronously on the caller's thread: the
// bytes go to "<target>.part" as they come, and only a complete download is renamed to the target,
// so a failed one leaves the copy downloaded before. Limits: no data for a while, the whole
// download's time, its size, and the free disk (a margin is left for the database read from it).

#include <QFile>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>

#include <filesystem>

class QNetworkAccessManager;
class QNetworkReply;

namespace zentavo {

struct GuideDownloadLimits {
    int silenceMs = 60'000; // no byte for this long ends the download
    int totalMs = 30 * 60'000; // the whole download
    qint64 maxBytes = 512LL * 1024 * 1024; // guides compressed run to a few hundred MB at most
    qint64 freeDiskMargin = 256LL * 1024 * 1024; // left free on the disk beside the download
};

class GuideDownload : public QObject {
    Q_OBJECT
public:
    // Starts at once; exactly one of Finished and Failed follows, unless Abort comes first.
    GuideDownload(QNetworkAccessManager& network, const QUrl& address, std::filesystem::path target,
                  GuideDownloadLimits limits, QObject* parent = nullptr);
    ~GuideDownload() override;

    // Stops the download and removes what it wrote; no signal follows.
    void Abort();

signals:
    void Progress(qint64 received, qint64 total); // total -1 when the server does not say
    void Finished();
    void Failed(const QString& reason);

private:
    void Fail(const QString& reason);
    void TakeBytes();
    void OnFinished();
    bool RoomFor(qint64 bytes) const;

    QPointer<QNetworkReply> reply_;
    std::filesystem::path target_;
    GuideDownloadLimits limits_;
    QFile part_;
    qint64 received_ = 0;
    QTimer silence_;
    QTimer total_;
};

} // namespace zentavo
