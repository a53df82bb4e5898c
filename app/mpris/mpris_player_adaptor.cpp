#include "mpris_player_adaptor.h"

#include "mpris_service.h"

namespace zentavo {

MprisPlayerAdaptor::MprisPlayerAdaptor(MprisService* service) : QDBusAbstractAdaptor(service), service_(service) {}

QString MprisPlayerAdaptor::PlaybackStatus() const
{
    return service_->PlaybackStatus();
}

QVariantMap MprisPlayerAdaptor::Metadata() const
{
    return service_->Metadata();
}

double MprisPlayerAdaptor::Volume() const
{
    return service_->Volume();
}

void MprisPlayerAdaptor::SetVolume(double volume)
{
    service_->RequestVolume(volume);
}

bool MprisPlayerAdaptor::Playing() const
{
    return service_->Playing();
}

bool MprisPlayerAdaptor::CanStep() const
{
    return service_->CanStep();
}

void MprisPlayerAdaptor::Next()
{
    service_->RequestStep(1);
}

void MprisPlayerAdaptor::Previous()
{
    service_->RequestStep(-1);
}

void MprisPlayerAdaptor::Pause()
{
    service_->RequestPause();
}

void MprisPlayerAdaptor::PlayPause()
{
    service_->RequestPause();
}

void MprisPlayerAdaptor::Stop()
{
    service_->RequestPause();
}

} // namespace zentavo
