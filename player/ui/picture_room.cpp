#include "picture_room.h"

#include <algorithm>

namespace zentavo {
namespace {

// The start of a span of `length` placed as near to `start` as the span [low, low + room) allows.
int KeptInside(int start, int length, int low, int room)
{
    return std::clamp(start, low, low + room - length);
}

} // namespace

std::optional<QRect> FrameForPictureRoom(const QRect& frame, const QSize& view, const QSize& room,
                                         const QRect& available)
{
    const QSize lacking(std::max(0, room.width() - view.width()), std::max(0, room.height() - view.height()));
    if (lacking.isNull())
        return std::nullopt;
    QRect wanted(frame.topLeft(), frame.size() + lacking);
    if (wanted.width() > available.width() || wanted.height() > available.height())
        return std::nullopt;
    wanted.moveTo(KeptInside(wanted.left(), wanted.width(), available.left(), available.width()),
                  KeptInside(wanted.top(), wanted.height(), available.top(), available.height()));
    return wanted;
}

} // namespace zentavo
