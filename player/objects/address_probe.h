#pragma once
// One look at a stream address from the host, for the player objects: what the server answers
// (found, not found, no such host, refused, timed out) and, for a playlist, which entry to play.
// The page cannot learn this itself: a media element reports every failed load alike, and a
// remote playlist is a cross-origin read.

#include <QByteArray>
#include <QJsonObject>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;

namespace zentavo {

struct ProbeResult {
    QString outcome;     // "ok", "notfound", "nohost", "refused", "timeout", "http" or "error"
    int status = 0;      // HTTP status, 0 when there was no answer
    QString contentType; // without parameters
    QString kind;        // "hls", "playlist" (see entry) or "media"; empty unless outcome is "ok"
    QString entry;       // the playlist's entry to play

    QJsonObject ToJson() const;
};

class AddressProbe : public QObject {
    Q_OBJECT
public:
    static constexpr int kTimeoutMs = 10000;
    static constexpr qsizetype kMaxPlaylistBytes = 256 * 1024;

    // Starts at once; emits finished exactly once, then may be deleted.
    AddressProbe(QNetworkAccessManager& network, const QUrl& address, QObject* parent = nullptr);
    ~AddressProbe() override;

signals:
    void finished(const zentavo::ProbeResult& result);

private:
    void OnMetaData();
    void OnReadyRead();
    void OnFinished();
    void Finish(ProbeResult result);

    QUrl address_;
    QPointer<QNetworkReply> reply_;
    QByteArray body_;
    bool wantsBody_ = false;
    bool done_ = false;
};

} // namespace zentavo
