#pragma once
// Connects the media controls to the main window: what plays and the volume slider go out to the
// desktop; pause, stop and the desktop's volume come back as the window's own commands.
// A template, so that this library does not depend on the window's library.

#include "mpris_service.h"

namespace zentavo {

template <typename Window> void ConnectMprisToWindow(MprisService& service, Window& window)
{
    QObject::connect(&window, &Window::ChannelStarted, &service, &MprisService::OnChannelStarted);
    QObject::connect(&window, &Window::PlaybackStopped, &service, &MprisService::OnPlaybackStopped);
    QObject::connect(&window, &Window::NowPlayingChanged, &service, &MprisService::OnNowPlaying);
    QObject::connect(&window, &Window::VolumePositionChanged, &service, &MprisService::OnVolumePositionChanged);
    QObject::connect(&service, &MprisService::PauseRequested, &window, &Window::btn_stopClick);
    QObject::connect(&service, &MprisService::VolumeRequested, &window, &Window::SetVolumePosition);
    QObject::connect(&service, &MprisService::RaiseRequested, &window, [&window] {
        window.show();
        window.raise();
        window.activateWindow();
    });
}

} // namespace zentavo
