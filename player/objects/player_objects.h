#pragma once
// The player objects that the host injects into every player page: they turn the Real object (RPOCX)
// and the Windows Media object (NSPlay) of the templates into players on the HTML5 media element.
// The pages load the streaming libraries and resolve playlists through the scheme of
// PlayerObjectsSchemeHandler, so a profile that shows player pages needs both (InstallPlayerObjects).

#include <QList>
#include <QWebEngineScript>

class QWebEngineProfile;

namespace zentavo {

class PagePlays;

// Scripts to add to the profile's script collection: the objects themselves (main world, at document
// creation) and a pass over the finished document (main world, when the document is ready).
QList<QWebEngineScript> PlayerObjectScripts();

// Adds PlayerObjectScripts() to the profile and installs the scheme handler (owned by the profile),
// which sends the headers of each page's play; headers must outlive the profile's handlers.
void InstallPlayerObjects(QWebEngineProfile& profile, const PagePlays& plays);

} // namespace zentavo
