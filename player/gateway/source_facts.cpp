#include "source_facts.h"

#include "player/gateway/stream_plan.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace zentavo {

SourceFacts ReadSourceFacts(AVFormatContext* source, int video, int audio)
{
    SourceFacts facts;
    if (source->iformat)
        facts.container =
            QString::fromUtf8(source->iformat->long_name ? source->iformat->long_name : source->iformat->name);
    facts.bitRate = source->bit_rate > 0 ? source->bit_rate : 0;
    if (video >= 0) {
        AVStream* stream = source->streams[video];
        const AVCodecParameters* p = stream->codecpar;
        facts.hasVideo = true;
        facts.videoCodec = QString::fromUtf8(avcodec_get_name(p->codec_id));
        facts.width = p->width;
        facts.height = p->height;
        const AVRational rate = av_guess_frame_rate(source, stream, nullptr);
        if (rate.num > 0 && rate.den > 0)
            facts.frameRate = av_q2d(rate);
        facts.videoCopied = VideoAction(p->codec_id, static_cast<AVPixelFormat>(p->format)) == StreamAction::Copy;
    }
    if (audio >= 0) {
        const AVCodecParameters* p = source->streams[audio]->codecpar;
        facts.hasAudio = true;
        facts.audioCodec = QString::fromUtf8(avcodec_get_name(p->codec_id));
        facts.channels = p->ch_layout.nb_channels;
        facts.sampleRate = p->sample_rate;
        facts.audioCopied = AudioAction(p->codec_id) == StreamAction::Copy;
    }
    facts.audioTracks = AudioStreamNames(source);
    facts.audioTrack = static_cast<int>(AudioStreamIndices(source).indexOf(audio));
    return facts;
}

} // namespace zentavo
