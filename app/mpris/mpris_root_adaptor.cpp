#include "mpris_root_adaptor.h"

#include "mpris_service.h"

namespace zentavo {

MprisRootAdaptor::MprisRootAdaptor(MprisService* service) : QDBusAbstractAdaptor(service), service_(service) {}

QString MprisRootAdaptor::Identity() const
{
    return service_->Identity();
}

QString MprisRootAdaptor::DesktopEntry() const
{
    return service_->DesktopEntry();
}

void MprisRootAdaptor::Raise()
{
    service_->RequestRaise();
}

} // namespace zentavo
