#pragma once
// The sound tracks of the channel that plays: the tracks its page told last, the track kept for the
// channel switched to once its tracks are told, and the user's choice kept for the channel. No
// widgets: the window shows the tracks and sends the switches to the page.

#include "player/audio_track_choices.h"
#include "player/audio_tracks.h"

#include <QString>

#include <optional>

namespace zentavo {

class ChannelAudioTracks {
public:
    explicit ChannelAudioTracks(AudioTrackChoices choices);

    // A play of that channel begins (empty: nothing plays); no tracks are known until the page tells them.
    void Playing(const QString& channelId);
    // The page told the tracks of what plays. Returns the track to switch to: the one kept for the
    // channel, when it is not the one that plays. Once a play, for the first list with two tracks or
    // more, so that a page that cannot switch is not asked again and again.
    std::optional<int> Told(const AudioTracks& tracks);
    // The user chose the track at index of the tracks told last: kept for the channel. Throws
    // std::runtime_error with the reason in words when it cannot be kept (the switch may go ahead).
    void Choose(int index);

    const AudioTracks& Tracks() const { return tracks_; }
    const QString& ChannelId() const { return channelId_; }

private:
    AudioTrackChoices choices_;
    QString channelId_;
    AudioTracks tracks_;
    bool settled_ = false; // the kept choice was looked at for this play
};

} // namespace zentavo
