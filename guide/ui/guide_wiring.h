#pragma once
// Connects the guide's windows to the main window: Channels > Guide... opens the guide window, a
// channel chosen there plays as one of the lists does, and the programme on now on the channel
// that plays goes to the window's title and the media controls. A template, so that this library
// does not depend on the main window's.

#include "guide_windows.h"
#include "playing_programme.h"

#include "channels/app_context.h"

namespace zentavo {

template <typename Window> void ConnectGuideToMainWindow(GuideWindows& guide, Window& window, AppContext& context)
{
    QObject::connect(&window, &Window::GuideRequested, &guide, [&guide, &window] { guide.ShowGuide(&window); });
    QObject::connect(&guide, &GuideWindows::GuideRequested, &window, [&guide, &window] { guide.ShowGuide(&window); });
    QObject::connect(&guide, &GuideWindows::PlayChannelRequested, &window, &Window::PlayChannelById);
    PlayingProgramme* playing = guide.Playing();
    if (!playing)
        return;
    // The window sets the current channel before it announces the play.
    QObject::connect(&window, &Window::ChannelStarted, playing,
                     [playing, &context] { playing->Track(context.CurrentChannelId); });
    QObject::connect(&window, &Window::PlaybackStopped, playing, &PlayingProgramme::Stop);
    QObject::connect(playing, &PlayingProgramme::Changed, &window, &Window::ShowProgramme);
}

} // namespace zentavo
