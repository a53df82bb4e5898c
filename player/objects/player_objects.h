#pragma once
// The player objects that the host injects into every player page: they turn the Real object (RPOCX)
// and the Windows Media object (NSPlay) of the templates into players on the HTML5 media element.

#include <QList>
#include <QWebEngineScript>

namespace zentavo {

// Scripts to add to the profile's script collection (main world, document creation).
QList<QWebEngineScript> PlayerObjectScripts();

} // namespace zentavo
