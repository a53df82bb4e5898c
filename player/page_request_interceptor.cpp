#include "page_request_interceptor.h"

#include "player/page_scheme_handler.h"

#include <QUrl>

namespace zentavo {

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
    }
}

} // namespace zentavo
