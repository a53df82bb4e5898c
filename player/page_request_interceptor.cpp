#include "page_request_interceptor.h"

#include "player/contract/host_names.h"
#include "player/contract/play_headers.h"
#include "player/page_scheme_handler.h"

#include <QUrl>

namespace zentavo {

namespace {

bool IsHostScheme(const QString& scheme)
{
    return scheme == QLatin1String(host_names::kObjectsScheme) || scheme == QLatin1String(host_names::kGatewayScheme)
        || scheme.startsWith(QLatin1String(host_names::kRelayPrefix));
}

} // namespace

PageRequestInterceptor::PageRequestInterceptor(const PlayHeaders& headers, QObject* parent)
    : QWebEngineUrlRequestInterceptor(parent), headers_(headers)
{}

void PageRequestInterceptor::interceptRequest(QWebEngineUrlRequestInfo& info)
{
    const QString scheme = info.requestUrl().scheme();
    if (scheme == QLatin1String("file") || scheme == QLatin1String("qrc")) {
        info.block(true);
        return;
    }
    // A page must not embed or read another page file, only be shown as the whole page.
    if (scheme == QLatin1String(PageSchemeHandler::kScheme)
        && info.resourceType() != QWebEngineUrlRequestInfo::ResourceTypeMainFrame) {
        info.block(true);
        return;
    }
    const QUrl page = info.firstPartyUrl();
    const bool playerPage = page.scheme() == QLatin1String(PageSchemeHandler::kScheme);
    if (IsHostScheme(scheme)) {
        // Always set, so that no script can name another page's play: empty for other pages.
        info.setHttpHeader(QByteArray(PlayHeaders::kPageHeader), playerPage ? page.toEncoded() : QByteArray());
        return;
    }
    if (!playerPage || (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        return;
    for (const RequestHeader& header : headers_.For(page))
        info.setHttpHeader(QByteArray::fromStdString(header.name), QByteArray::fromStdString(header.value));
}

} // namespace zentavo
