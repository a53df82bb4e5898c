#pragma once
// Where the main window goes when a page asks for room to draw its picture at the picture's own
// size: the window grows by what the view lacks, and moves as little as it must to stay on the
// screen. A window that would not fit the screen stays as it is (the page then scales the picture
// down), as does one that already gives the room.

#include <QRect>
#include <QSize>
#include <optional>

namespace zentavo {

// frame: the window with its frame; view: the web view's size now; room: what the page asks for;
// available: the screen's area free of panels. Returns the new frame rectangle, if any.
std::optional<QRect> FrameForPictureRoom(const QRect& frame, const QSize& view, const QSize& room,
                                         const QRect& available);

} // namespace zentavo
