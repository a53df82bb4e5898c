#pragma once
// Which navigations a player page may make: the host shows our own pages; a page itself may go only
// to the maker's home page (the Real page's fall-back), never to other web pages, local files or
// other schemes, and frames hold nothing but blank or inline documents.

#include <QUrl>
#include <QWebEnginePage>

namespace zentavo {

bool IsPlayerNavigationAllowed(const QUrl& url, QWebEnginePage::NavigationType type, bool isMainFrame);

} // namespace zentavo
