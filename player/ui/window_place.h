#pragma once
// Whether a stored window rectangle may be used again: a screen that is gone, or a resolution
// that shrank, must not leave the window where nobody can reach it.

#include <QList>
#include <QRect>
#include <algorithm>

namespace zentavo {

// True when at least a grip's worth of the rectangle (100 x 40 pixels, or all of a smaller
// rectangle) lies on one of the screens' available areas.
inline bool ReachableOnScreens(const QRect& window, const QList<QRect>& screens)
{
    if (!window.isValid())
        return false;
    for (const QRect& screen : screens) {
        const QRect shared = window.intersected(screen);
        if (shared.width() >= std::min(100, window.width()) && shared.height() >= std::min(40, window.height()))
            return true;
    }
    return false;
}

} // namespace zentavo
