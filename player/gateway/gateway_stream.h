#pragma once
// One gateway session as the host's event loop sees it: the session and its buffer, and a signal
// (on the object's thread) whenever data or the end has come in.

#include "player/gateway/gateway_session.h"
#include "player/gateway/stream_buffer.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <memory>

namespace zentavo {

class GatewayStream : public QObject {
    Q_OBJECT
public:
    // Every request for the address sends the headers; audioTrack: which of the source's sound
    // streams plays (see ChooseAudioStream; -1: FFmpeg's pick); reach: where the source and what it
    // names may be.
    GatewayStream(const QString& address, RequestHeaders headers, int audioTrack, SourceReach reach,
                  QObject* parent = nullptr);
    // Ends the session: its worker and connections are gone on return, or, when the worker cannot
    // be interrupted at once (a host name lookup), soon after on a thread of their own.
    ~GatewayStream() override;

    StreamBuffer& Buffer() { return *buffer_; }
    // The failure's kind (see GatewayError); empty while it plays or when it ended without one.
    QString FailureKind() const;
    // The title of what plays now; empty when the stream names none.
    QString Title() const { return session_->Title(); }
    // What the source is and whether the gateway copies or transcodes it; none until it is open.
    std::optional<SourceFacts> Facts() const { return session_->Facts(); }

signals:
    void Changed();
    void TitleChanged(const QString& title);

private:
    struct Relay;

    std::shared_ptr<StreamBuffer> buffer_;
    std::shared_ptr<Relay> relay_;
    std::unique_ptr<GatewaySession> session_;
};

} // namespace zentavo
