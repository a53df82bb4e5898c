#include "audio_transcoder.h"

#include "player/contract/host_names.h"
#include "player/gateway/gateway_error.h"

extern "C" {
#include <libavutil/channel_layout.h>
}

#include <algorithm>

namespace zentavo {

namespace {

constexpr int kAudioBitRate = 128000;

} // namespace

AudioTranscoder::AudioTranscoder(AVStream* in) : StreamTranscoder(in)
{
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_AAC);
    if (!codec)
        throw GatewayError(failure_kinds::kDecoder, "Cannot play: the player has no AAC encoder for this stream.");
    encoder_.reset(avcodec_alloc_context3(codec));
    AVCodecContext* encoder = encoder_.get();
    if (!encoder)
        throw GatewayError(failure_kinds::kError, "Cannot play: out of memory.");
    AVCodecContext* decoder = decoder_.get();
    const int channels = decoder->ch_layout.nb_channels > 0 ? decoder->ch_layout.nb_channels : 2;
    av_channel_layout_default(&encoder->ch_layout, std::min(channels, 2));
    encoder->sample_rate = decoder->sample_rate > 0 ? decoder->sample_rate : 48000;
    encoder->sample_fmt = AV_SAMPLE_FMT_FLTP;
    encoder->bit_rate = kAudioBitRate;
    encoder->time_base = {1, encoder->sample_rate};
    if (avcodec_open2(encoder, codec, nullptr) < 0)
        throw GatewayError(failure_kinds::kError, "Cannot play: the AAC encoder did not start.");
    AVChannelLayout sourceLayout{};
    if (decoder->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || decoder->ch_layout.nb_channels <= 0)
        av_channel_layout_default(&sourceLayout, channels);
    else
        av_channel_layout_copy(&sourceLayout, &decoder->ch_layout);
    SwrContext* resampler = nullptr;
    const int made = swr_alloc_set_opts2(&resampler, &encoder->ch_layout, encoder->sample_fmt, encoder->sample_rate,
                                         &sourceLayout, decoder->sample_fmt, decoder->sample_rate, 0, nullptr);
    av_channel_layout_uninit(&sourceLayout);
    resampler_.reset(resampler);
    if (made < 0 || swr_init(resampler) < 0)
        throw GatewayError(failure_kinds::kDecoder, "Cannot play: the sound of this stream cannot be converted.");
    fifo_.reset(av_audio_fifo_alloc(encoder->sample_fmt, encoder->ch_layout.nb_channels, encoder->frame_size));
    if (!fifo_)
        throw GatewayError(failure_kinds::kError, "Cannot play: out of memory.");
    FinishOpening();
}

void AudioTranscoder::Convert(AVFrame* decoded, const PacketSink& sink, const StopCheck& stopped)
{
    AVCodecContext* encoder = encoder_.get();
    if (nextPts_ == AV_NOPTS_VALUE)
        nextPts_ = decoded->pts == AV_NOPTS_VALUE ? 0 : av_rescale_q(decoded->pts, in_->time_base, encoder->time_base);
    const int room = swr_get_out_samples(resampler_.get(), decoded->nb_samples);
    if (room <= 0)
        return;
    uint8_t** samples = nullptr;
    if (av_samples_alloc_array_and_samples(&samples, nullptr, encoder->ch_layout.nb_channels, room, encoder->sample_fmt,
                                           0)
        < 0)
        throw GatewayError(failure_kinds::kError, "Cannot play: out of memory.");
    const int count = swr_convert(resampler_.get(), samples, room, const_cast<const uint8_t**>(decoded->extended_data),
                                  decoded->nb_samples);
    if (count > 0)
        av_audio_fifo_write(fifo_.get(), reinterpret_cast<void**>(samples), count);
    av_freep(&samples[0]);
    av_freep(&samples);
    const int size = encoder->frame_size > 0 ? encoder->frame_size : 1024;
    while (av_audio_fifo_size(fifo_.get()) >= size && !stopped()) {
        AVFrame* chunk = converted_.get();
        av_frame_unref(chunk);
        chunk->nb_samples = size;
        chunk->format = encoder->sample_fmt;
        chunk->sample_rate = encoder->sample_rate;
        if (av_channel_layout_copy(&chunk->ch_layout, &encoder->ch_layout) < 0 || av_frame_get_buffer(chunk, 0) < 0)
            throw GatewayError(failure_kinds::kError, "Cannot play: out of memory.");
        av_audio_fifo_read(fifo_.get(), reinterpret_cast<void**>(chunk->data), size);
        chunk->pts = nextPts_;
        nextPts_ += size;
        Encode(chunk, sink, stopped);
    }
}

} // namespace zentavo
