#pragma once
// The sound track the user chose for each channel, kept between runs in one small JSON file of the
// user's (audio-tracks.json beside the user's playlists): {"channels": [{"id", "index", "name",
// "language"}]}, the channel chosen for last at the end. Each operation reads the file afresh; a
// file that cannot be read holds no choice. Only the channels chosen for last are kept.

#include "player/audio_tracks.h"

#include <QString>

#include <filesystem>
#include <optional>

namespace zentavo {

class AudioTrackChoices {
public:
    static constexpr qsizetype kMostChannels = 2000;
    static constexpr qsizetype kLongestChannelId = 200;

    // mostChannels: how many channels' choices are kept.
    explicit AudioTrackChoices(std::filesystem::path file, qsizetype mostChannels = kMostChannels);

    // The choice kept for the channel; none when there is none or the file cannot be read.
    std::optional<AudioTrackChoice> Find(const QString& channelId) const;
    // Keeps the choice for the channel, in place of any before. Throws std::runtime_error with the
    // reason in words when the file cannot be written.
    void Keep(const QString& channelId, const AudioTrackChoice& choice);

private:
    std::filesystem::path file_;
    qsizetype mostChannels_;
};

} // namespace zentavo
