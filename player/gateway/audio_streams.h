#pragma once
// The sound streams of a source as the page offers them as tracks: every sound stream in the
// source's order, named by its title and language where the source gives them; and which of them
// plays when the page asks for one by its place in that order.

#include <QList>
#include <QString>

struct AVFormatContext;

namespace zentavo {

struct AudioStreamName {
    QString name; // the stream's title; empty when it has none
    QString language; // its language as the source says it (an ISO 639-2 code, mostly)
};

// The indices of the source's sound streams, in the source's order.
QList<int> AudioStreamIndices(const AVFormatContext* source);

// The sound stream that plays: the wanted one of AudioStreamIndices when the source has it, else
// FFmpeg's pick; -1 when the source has no sound.
int ChooseAudioStream(AVFormatContext* source, int wanted);

// The name and language of each stream of AudioStreamIndices, each at most kLongestAudioStreamName characters.
QList<AudioStreamName> AudioStreamNames(const AVFormatContext* source);
inline constexpr qsizetype kLongestAudioStreamName = 80;

} // namespace zentavo
