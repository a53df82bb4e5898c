#include "redirect_guard.h"

#include "private_addresses.h"

#include <QNetworkReply>
#include <QNetworkRequest>

namespace zentavo {

namespace {

constexpr char kRefusedProperty[] = "zentavoRedirectRefused";

} // namespace

void FollowSafeRedirects(QNetworkRequest& request)
{
    // Qt follows each redirect itself (never from https down to http) and counts them; the new
    // request goes out from the event loop after the redirected signal, which can still stop it.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
}

void FollowRedirectsWithin(QNetworkReply* reply, bool channelIsLocal)
{
    QObject::connect(reply, &QNetworkReply::redirected, reply, [reply, channelIsLocal](const QUrl& target) {
        const QString to = target.scheme();
        const bool web = to == QLatin1String("http") || to == QLatin1String("https");
        if (!web || !MayReach(channelIsLocal, target)) {
            reply->setProperty(kRefusedProperty, true);
            reply->abort();
        }
    });
}

bool RedirectRefused(const QNetworkReply& reply)
{
    return reply.property(kRefusedProperty).toBool();
}

} // namespace zentavo
