#pragma once
// Fetches one address for a player page whose streaming library may not read it itself: a server
// that sends no CORS consent refuses every cross-origin read from a page, while the host can read it.
// The relay addresses mirror the real ones ("zentavo-relay-http://host:port/path" for
// "http://host:port/path"), so the addresses a playlist names relative to its own resolve as usual.

#include "player/contract/host_names.h"
#include "text/request_headers.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;
class QWebEngineUrlRequestJob;

namespace zentavo {

struct PagePlay;

class StreamRelay : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kHttpScheme = host_names::kRelayHttpScheme;
    static constexpr const char* kHttpsScheme = host_names::kRelayHttpsScheme;
    static constexpr int kTimeoutMs = 15000;
    static constexpr qint64 kMaxBytes = 64 * 1024 * 1024; // a playlist or a segment, never a whole stream

    // The real address behind a relay address; empty when it is none.
    static QUrl RealAddress(const QUrl& relayAddress);

    // Answers the job with the body of its real address, asked for with the play's headers, or fails
    // it (an address outside the play's reach too); deletes itself when done.
    StreamRelay(QNetworkAccessManager& network, QWebEngineUrlRequestJob* job, const PagePlay& play,
                QObject* parent = nullptr);
    ~StreamRelay() override;

private:
    void OnFinished();

    QPointer<QWebEngineUrlRequestJob> job_;
    QPointer<QNetworkReply> reply_;
};

} // namespace zentavo
