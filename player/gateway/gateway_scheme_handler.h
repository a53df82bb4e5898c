#pragma once
// Serves gateway streams to player pages through the host's own URL scheme (no TCP port that other
// local users could reach). The page's engine in this version cannot stream a custom scheme with
// fetch, so the page reads the stream in chunks, one request after another:
//   zentavo-gateway:chunk?id=KEY&n=0&url=ADDRESS  starts session KEY and answers its first bytes;
//                                                 &audio=N plays the source's sound stream N
//                                                 (counted from 0 in the source's order)
//   zentavo-gateway:chunk?id=KEY&n=N              the next bytes, as soon as there are any; an empty
//                                                 answer is the end; an answer of the failure type
//                                                 (kGatewayFailureType) says why the session failed,
//                                                 as {outcome: kind, text: words}
//   zentavo-gateway:close?id=KEY                  ends session KEY
//   zentavo-gateway:title?id=KEY                  the title of what session KEY plays now (text,
//                                                 empty when none)
//   zentavo-gateway:tracks?id=KEY                 the sound streams of session KEY's source, as JSON
//                                                 {"tracks": [{"name", "language"}], "current": N}
//                                                 (no tracks while the source is not open yet)
//   zentavo-gateway:title?id=KEY&url=ADDRESS      the same for a radio stream the page plays itself:
//                                                 the first request starts reading the titles of
//                                                 ADDRESS (IcyTitleReader), close or kIdleMs end it
// A session whose page stops asking (pause, a new channel, a closed page) ends within kIdleMs.
// Pages of http(s) origins are refused.

#include "player/gateway/source_facts.h"
#include "text/request_headers.h"

#include <QHash>
#include <QList>
#include <QNetworkAccessManager>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWebEngineUrlSchemeHandler>

#include <optional>

class QWebEngineUrlRequestJob;

namespace zentavo {

class GatewayStream;
class PagePlays;
struct PagePlay;
class IcyTitleReader;

class GatewaySchemeHandler : public QWebEngineUrlSchemeHandler {
    Q_OBJECT
public:
    static constexpr int kIdleMs = 3000;
    static constexpr qint64 kChunkBytes = 256 * 1024;
    // The highest sound stream number a page may ask for.
    static constexpr int kMostAudioTrack = 63;

    // plays must outlive the handler. Only the pages of plays are answered; each session sends the
    // headers of its page's play and keeps to its reach.
    explicit GatewaySchemeHandler(const PagePlays& plays, QObject* parent = nullptr);
    ~GatewaySchemeHandler() override;

    void requestStarted(QWebEngineUrlRequestJob* job) override;

    // What the source of session KEY is and what the gateway does with it; none for a session that
    // has not opened its source (yet). The facts of the last kEndedFactsKept sessions that ended stay.
    std::optional<SourceFacts> SessionFacts(const QString& key) const;

signals:
    // The title of what the newest session plays changed (empty: it names none, or it ended).
    void TitleChanged(const QString& title);

private:
    struct Session {
        GatewayStream* stream = nullptr;
        QPointer<QWebEngineUrlRequestJob> pending;
        qint64 lastRequest = 0;
    };
    struct Reader {
        IcyTitleReader* reader = nullptr;
        qint64 lastRequest = 0;
    };

    void ServeChunk(QWebEngineUrlRequestJob* job, const PagePlay& play, const QString& key, qint64 sequence,
                    const QString& address, int audioTrack);
    void ServeTracks(QWebEngineUrlRequestJob* job, const QString& key) const;
    void Answer(const QString& key);
    void End(const QString& key);
    void EndIdle();
    void ServeTitle(QWebEngineUrlRequestJob* job, const PagePlay& play, const QString& key, const QString& address);
    void EmitTitle(const QString& key, const QString& title);
    void BecomeNewest(const QString& key);
    QHash<QString, Session> sessions_;
    QString newestKey_; // the session or title reader started last
    static constexpr int kMostReaders = 4;
    QHash<QString, Reader> readers_;
    static constexpr qsizetype kEndedFactsKept = 4;
    QList<QPair<QString, SourceFacts>> endedFacts_;
    const PagePlays& plays_;
    QNetworkAccessManager network_;
    QTimer idle_;
};

} // namespace zentavo
