#include "page_request_interceptor.h"

#include "player/contract/host_names.h"
#include "player/contract/page_plays.h"
#include "player/contract/private_addresses.h"

#include <QUrl>

namespace zentavo {

namespace {

bool IsHostScheme(const QString& scheme)
{
    return scheme == QLatin1String(host_names::kObjectsScheme) || scheme == QLatin1String(host_names::kGatewayScheme)
        || scheme.startsWith(QLatin1String(host_names::kRelayPrefix));
}

} // namespace

PageRequestInterceptor::PageRequestInterceptor(const PagePlays& plays, QObject* parent)
    : QWebEngineUrlRequestInterceptor(parent), plays_(plays)
{}

void PageRequestInterceptor::interceptRequest(QWebEngineUrlRequestInfo& info)
{
    const QUrl target = info.requestUrl();
    const QString scheme = target.scheme();
    if (scheme == QLatin1String("file") || scheme == QLatin1String("qrc")) {
        info.block(true);
        return;
    }
    // A page must not embed or read another page file, only be shown as the whole page.
    if (scheme == QLatin1String(host_names::kPageScheme)
        && info.resourceType() != QWebEngineUrlRequestInfo::ResourceTypeMainFrame) {
        info.block(true);
        return;
    }
    // The host's schemes answer by the request's origin themselves.
    if (scheme == QLatin1String(host_names::kPageScheme) || IsHostScheme(scheme))
        return;
    const QUrl page = info.firstPartyUrl();
    const PagePlay* play =
        page.scheme() == QLatin1String(host_names::kPageScheme) ? plays_.ForHost(page.host()) : nullptr;
    // What a page reaches by itself (http, https, ws, wss): a public channel's content may not lead
    // to this machine or a private network.
    if (!MayReach(play && play->channelIsLocal, target)) {
        info.block(true);
        return;
    }
    if (!play || (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        return;
    for (const RequestHeader& header : play->headers)
        info.setHttpHeader(QByteArray::fromStdString(header.name), QByteArray::fromStdString(header.value));
}

} // namespace zentavo
