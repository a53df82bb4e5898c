#include "navigation_policy.h"

#include "channels/app_context.h"
#include "player/page_scheme_handler.h"

namespace zentavo {

bool IsPlayerNavigationAllowed(const QUrl& url, QWebEnginePage::NavigationType type, bool isMainFrame)
{
    const QString scheme = url.scheme();
    // The view shows our own pages only; the one web page it may go to is the maker's home page,
    // which a player page falls back to when its player is missing.
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https"))
        return isMainFrame && url == QUrl(QString::fromLatin1(kHomePageUrl));
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
