#pragma once
// The icons of the channel list window, drawn as SVG for this program and rendered at 16 x 16
// (and 32 x 32 for high-density screens).

#include <QIcon>
#include <QList>

namespace zentavo {

// Row icons by media kind code: 0 Windows Media, 1 Real, 2 snapshot.
QList<QIcon> RowIcons();
// Tab icons: 0 TV, 1 radio, 2 webcam, 3 favourites.
QList<QIcon> TabIcons();

} // namespace zentavo
