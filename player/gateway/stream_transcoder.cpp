#include "stream_transcoder.h"

#include "player/contract/host_names.h"
#include "player/gateway/gateway_error.h"

#include <string>

namespace zentavo {

namespace {

ffmpeg::Codec OpenDecoder(AVStream* in)
{
    const AVCodec* codec = avcodec_find_decoder(in->codecpar->codec_id);
    if (!codec)
        throw GatewayError(failure_kinds::kDecoder,
                           std::string("Cannot play: the player has no decoder for the ")
                               + avcodec_get_name(in->codecpar->codec_id) + " codec of this stream.");
    ffmpeg::Codec decoder(avcodec_alloc_context3(codec));
    if (!decoder || avcodec_parameters_to_context(decoder.get(), in->codecpar) < 0)
        throw GatewayError(failure_kinds::kError, "Cannot play: out of memory.");
    decoder->pkt_timebase = in->time_base;
    decoder->thread_count = 2;
    if (avcodec_open2(decoder.get(), codec, nullptr) < 0)
        throw GatewayError(failure_kinds::kDecoder,
                           std::string("Cannot play: the ") + avcodec_get_name(in->codecpar->codec_id)
                               + " codec of this stream could not be decoded.");
    return decoder;
}

} // namespace

StreamTranscoder::StreamTranscoder(AVStream* in) : in_(in), decoder_(OpenDecoder(in)) {}

void StreamTranscoder::FinishOpening()
{
    decoded_.reset(av_frame_alloc());
    converted_.reset(av_frame_alloc());
    packet_.reset(av_packet_alloc());
    if (!decoded_ || !converted_ || !packet_)
        throw GatewayError(failure_kinds::kError, "Cannot play: out of memory.");
}

void StreamTranscoder::Transcode(const AVPacket* packet, const PacketSink& sink, const StopCheck& stopped)
{
    if (avcodec_send_packet(decoder_.get(), packet) < 0 && packet)
        return;
    while (!stopped()) {
        const int got = avcodec_receive_frame(decoder_.get(), decoded_.get());
        if (got < 0) // EAGAIN: it needs the next packet; EOF: it is drained; else a damaged frame
            break;
        AVFrame* frame = decoded_.get();
        frame->pts = frame->best_effort_timestamp;
        Convert(frame, sink, stopped);
        av_frame_unref(frame);
    }
    if (!packet)
        Encode(nullptr, sink, stopped);
}

void StreamTranscoder::Encode(AVFrame* frame, const PacketSink& sink, const StopCheck& stopped)
{
    if (avcodec_send_frame(encoder_.get(), frame) < 0)
        return;
    AVPacket* packet = packet_.get();
    while (!stopped()) {
        if (avcodec_receive_packet(encoder_.get(), packet) < 0)
            break;
        sink(packet);
        av_packet_unref(packet);
    }
}

} // namespace zentavo
