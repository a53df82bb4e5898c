#pragma once
// The sound tracks of what plays, as the page's player tells them (after kAudioTracksMarker), their
// words in the player's menu, and the choice of one that is kept for a channel and found again
// among the tracks of a later play. Names and languages come from the stream: plain text, cleaned
// and cut to a bounded length.

#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

namespace zentavo {

struct AudioTrack {
    QString name; // as the stream names it; may be empty
    QString language; // as the stream says it (mostly an ISO 639 code); may be empty
    bool operator==(const AudioTrack&) const = default;
};

struct AudioTracks {
    QList<AudioTrack> tracks;
    int current = -1; // the one that plays; -1 when none is known
    bool operator==(const AudioTracks&) const = default;
};

inline constexpr qsizetype kMostAudioTracks = 32;
inline constexpr qsizetype kLongestTrackText = 80;
// A longer text is no list of tracks (which would be twice kMostAudioTracks tracks of the longest words).
inline constexpr qsizetype kLongestAudioTracksText = 64 * 1024;

// The tracks told in the page's words ({"tracks": [{"name", "language"}], "current": N}); none when
// the text is no such object. Names and languages lose control characters and are cut at
// kLongestTrackText; no more than kMostAudioTracks tracks are read; a current outside them is -1.
std::optional<AudioTracks> ReadAudioTracks(QStringView json);

// What the menu says for a track (at that index, from 0): its name and its language in words
// ("Commentary (English)", "French"), else "Track N".
QString AudioTrackLabel(const AudioTrack& track, int index);

// The choice of a track, kept for a channel: where it was and what it was called, so that it is
// found again when the tracks of a later play come in another order or a track is gone.
struct AudioTrackChoice {
    int index = -1;
    QString name;
    QString language;
    bool operator==(const AudioTrackChoice&) const = default;
};

// The choice of tracks' track at index (which must be one of them).
AudioTrackChoice ChoiceOf(const AudioTracks& tracks, int index);

// Which of tracks a kept choice stands for: the track with its name and language (the one at its
// place when several have them), else the only one in its language, else the one at its place;
// none when tracks has no track there either.
std::optional<int> FindChosenTrack(const AudioTracks& tracks, const AudioTrackChoice& choice);

} // namespace zentavo
