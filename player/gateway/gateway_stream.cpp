#include "gateway_stream.h"

#include <mutex>

namespace zentavo {

// The worker's way back to the stream object: it posts notices only while the object lives. The
// object may go before the worker has ended (see GatewaySession::EndSoon).
struct GatewayStream::Relay {
    std::mutex mutex;
    GatewayStream* stream = nullptr;
    std::atomic<bool> changePending{false};

    template <typename Notice> void Post(Notice notice)
    {
        const std::lock_guard lock(mutex);
        if (stream)
            QMetaObject::invokeMethod(stream, std::move(notice), Qt::QueuedConnection);
    }
};

GatewayStream::GatewayStream(const QString& address, RequestHeaders headers, int audioTrack, SourceReach reach,
                             QObject* parent)
    : QObject(parent), buffer_(std::make_shared<StreamBuffer>(GatewaySession::kBufferBytes)),
      relay_(std::make_shared<Relay>())
{
    relay_->stream = this;
    // Called on the worker's thread: one queued notice at a time reaches this object's thread.
    buffer_->SetListener([this, relay = relay_] {
        if (!relay->changePending.exchange(true)) {
            relay->Post([this, relay] {
                relay->changePending = false;
                emit Changed();
            });
        }
    });
    session_ = std::make_unique<GatewaySession>(address.toStdString(), buffer_, GatewaySession::kNetworkTimeout,
                                                std::move(headers), GatewaySession::kPlayingLead, audioTrack, reach);
    session_->SetTitleListener([this, relay = relay_] { relay->Post([this] { emit TitleChanged(Title()); }); });
}

GatewayStream::~GatewayStream()
{
    {
        const std::lock_guard lock(relay_->mutex);
        relay_->stream = nullptr;
    }
    GatewaySession::EndSoon(std::move(session_));
}

QString GatewayStream::FailureKind() const
{
    return QString::fromStdString(session_->FailureKind());
}

} // namespace zentavo
