#pragma once
// Which navigations a player page may make: the host shows our own pages; pages themselves may go
// to the web (the Real page falls back to the home page), never to local files or other schemes.

#include <QUrl>
#include <QWebEnginePage>

namespace zentavo {

bool IsPlayerNavigationAllowed(const QUrl& url, QWebEnginePage::NavigationType type, bool isMainFrame);

} // namespace zentavo
