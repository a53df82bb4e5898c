#include "navigation_policy.h"

#include "player/page_scheme_handler.h"

namespace zentavo {

bool IsPlayerNavigationAllowed(const QUrl& url, QWebEnginePage::NavigationType type, bool isMainFrame)
{
    const QString scheme = url.scheme();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https"))
        return true;
    if (scheme == QLatin1String("about"))
        return url.path() == QLatin1String("blank") || url.path() == QLatin1String("srcdoc");
    if (scheme == QLatin1String(PageSchemeHandler::kScheme)) {
        // Only the host opens our pages (load, reload, history); a page's script or link cannot
        // switch to another page file or frame one.
        return isMainFrame
            && (type == QWebEnginePage::NavigationTypeTyped || type == QWebEnginePage::NavigationTypeReload
                || type == QWebEnginePage::NavigationTypeBackForward);
    }
    return false;
}

} // namespace zentavo
