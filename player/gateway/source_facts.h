#pragma once
// What the gateway learnt of a source when it opened it, and what it does with each stream: for the
// player's stream information. Read from FFmpeg's stream parameters on the worker's thread.

#include "player/gateway/audio_streams.h"

#include <QList>
#include <QString>

struct AVFormatContext;

namespace zentavo {

struct SourceFacts {
    QString container; // FFmpeg's long name of the source's format ("MPEG-TS (MPEG-2 Transport Stream)")
    bool hasVideo = false;
    QString videoCodec; // FFmpeg's codec name ("h264", "mpeg2video")
    int width = 0;
    int height = 0;
    double frameRate = 0;
    bool videoCopied = false; // copied as it is; otherwise transcoded to H.264
    bool hasAudio = false;
    QString audioCodec;
    int channels = 0;
    int sampleRate = 0;
    bool audioCopied = false; // copied as it is; otherwise transcoded to AAC
    QList<AudioStreamName> audioTracks; // every sound stream of the source (see AudioStreamNames)
    int audioTrack = -1; // the one of audioTracks that plays
    qint64 bitRate = 0; // bits a second of the whole source; 0 when it does not say
};

// The facts of an opened source whose streams video and audio (indices, -1 for none) play.
SourceFacts ReadSourceFacts(AVFormatContext* source, int video, int audio);

} // namespace zentavo
