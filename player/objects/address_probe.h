#pragma once
// One look at a stream address from the host, for the player objects: what the server answers
// (found, not found, refused, no such host, timed out, closed, redirected in circles) and, for a
// playlist, which entry to play. The page cannot learn this itself: a media element reports every
// failed load alike, and a remote playlist is a cross-origin read.

#include <QByteArray>
#include <QJsonObject>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

#include "text/request_headers.h"

class QNetworkAccessManager;
class QNetworkReply;

namespace zentavo {
struct PagePlay;
}

namespace zentavo {

struct ProbeResult {
    // "ok", "notfound", "nohost", "refused", "timeout", "closed" (the server closed the connection),
    // "redirects" (too many), "selfref" (a playlist that names only itself), "http" (see status) or "error"
    QString outcome;
    int status = 0; // HTTP status, 0 when there was no answer
    QString contentType; // without parameters
    QString kind; // "hls", "playlist" (see entry) or "media"; empty unless outcome is "ok"
    QString entry; // the playlist's entry to play

    QJsonObject ToJson() const;
};

class AddressProbe : public QObject {
    Q_OBJECT
public:
    static constexpr int kTimeoutMs = 10000;
    // Large lists of channels are playlists too: read up to this much before taking the body for media.
    static constexpr qsizetype kMaxPlaylistBytes = 8 * 1024 * 1024;
    // How long a watching probe reads a stream that answers, to see whether the server closes it.
    static constexpr int kWatchMs = 3000;

    enum class Mode {
        Resolve, // answer as soon as the kind is known
        Watch, // for a failed load: read media a little longer, to tell a connection the server closes
    };

    // Starts at once, asking with the play's headers; emits finished exactly once, then may be
    // deleted. An address outside the play's reach is refused without a connection.
    AddressProbe(QNetworkAccessManager& network, const QUrl& address, const PagePlay& play, QObject* parent = nullptr,
                 Mode mode = Mode::Resolve);
    ~AddressProbe() override;

signals:
    void finished(const zentavo::ProbeResult& result);

private:
    void OnMetaData();
    void OnReadyRead();
    void OnFinished();
    void Finish(ProbeResult result);
    ProbeResult Answered() const;
    void StartWatching(ProbeResult result);

    QUrl address_;
    Mode mode_;
    bool watching_ = false;
    ProbeResult watched_;
    QPointer<QNetworkReply> reply_;
    QByteArray body_;
    bool wantsBody_ = false;
    bool done_ = false;
};

} // namespace zentavo
