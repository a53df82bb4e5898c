#include "channel_audio_tracks.h"

namespace zentavo {

ChannelAudioTracks::ChannelAudioTracks(AudioTrackChoices choices) : choices_(std::move(choices)) {}

void ChannelAudioTracks::Playing(const QString& channelId)
{
    channelId_ = channelId;
    tracks_ = {};
    settled_ = false;
}

std::optional<int> ChannelAudioTracks::Told(const AudioTracks& tracks)
{
    tracks_ = tracks;
    if (settled_ || channelId_.isEmpty() || tracks.tracks.size() < 2)
        return std::nullopt;
    settled_ = true;
    const std::optional<AudioTrackChoice> kept = choices_.Find(channelId_);
    if (!kept)
        return std::nullopt;
    const std::optional<int> track = FindChosenTrack(tracks, *kept);
    if (!track || *track == tracks.current)
        return std::nullopt;
    return track;
}

void ChannelAudioTracks::Choose(int index)
{
    // A choice made before the kept one was applied replaces it.
    settled_ = true;
    if (channelId_.isEmpty() || index < 0 || index >= tracks_.tracks.size())
        return;
    choices_.Keep(channelId_, ChoiceOf(tracks_, index));
}

} // namespace zentavo
