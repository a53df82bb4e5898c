#include "player_objects.h"

namespace zentavo {

QList<QWebEngineScript> PlayerObjectScripts() { return {}; }

} // namespace zentavo
