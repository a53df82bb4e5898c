#pragma once
// Connects the media controls to the main window: what plays, the volume slider and whether channel
// up and down can go anywhere go out to the desktop; pause, stop, next, previous and the desktop's
// volume come back as the window's own commands.
// A template, so that this library does not depend on the window's library.

#include "mpris_service.h"

namespace zentavo {

template <typename Window> void ConnectMprisToWindow(MprisService& service, Window& window)
{
    QObject::connect(&window, &Window::ChannelStarted, &service, &MprisService::OnChannelStarted);
    QObject::connect(&window, &Window::PlaybackStopped, &service, &MprisService::OnPlaybackStopped);
    QObject::connect(&window, &Window::NowPlayingChanged, &service, &MprisService::OnNowPlaying);
    QObject::connect(&window, &Window::ProgrammeChanged, &service, &MprisService::OnProgramme);
    QObject::connect(&window, &Window::VolumePositionChanged, &service, &MprisService::OnVolumePositionChanged);
    QObject::connect(&window, &Window::ChannelStepsChanged, &service, &MprisService::OnCanStepChanged);
    QObject::connect(&service, &MprisService::StepRequested, &window, [&window](int step) {
        if (step > 0)
            window.NextChannel();
        else
            window.PreviousChannel();
    });
    QObject::connect(&service, &MprisService::PauseRequested, &window, &Window::btn_stopClick);
    QObject::connect(&service, &MprisService::VolumeRequested, &window, &Window::SetVolumePosition);
    QObject::connect(&service, &MprisService::RaiseRequested, &window, [&window] {
        window.show();
        window.raise();
        window.activateWindow();
    });
}

} // namespace zentavo
