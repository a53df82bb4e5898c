#include "gateway_stream.h"

namespace zentavo {

GatewayStream::GatewayStream(const QString& address, QObject* parent)
    : QObject(parent), buffer_(std::make_shared<StreamBuffer>(GatewaySession::kBufferBytes))
{
    // Called on the worker's thread: one queued notice at a time reaches this object's thread.
    buffer_->SetListener([this] {
        if (!notifyPending_.exchange(true)) {
            QMetaObject::invokeMethod(
                this,
                [this] {
                    notifyPending_ = false;
                    emit Changed();
                },
                Qt::QueuedConnection);
        }
    });
    session_ = std::make_unique<GatewaySession>(address.toStdString(), buffer_);
    session_->SetTitleListener([this] {
        QMetaObject::invokeMethod(
            this, [this] { emit TitleChanged(Title()); }, Qt::QueuedConnection);
    });
}

GatewayStream::~GatewayStream()
{
    session_.reset(); // joins the worker before the listener's object goes
}

QString GatewayStream::FailureKind() const
{
    return QString::fromStdString(session_->FailureKind());
}

} // namespace zentavo
