#include "video_transcoder.h"

#include "player/contract/host_names.h"
#include "player/gateway/gateway_error.h"

extern "C" {
#include <libavutil/opt.h>
}

#include <algorithm>

namespace zentavo {

const char* X264Preset(int width, int height)
{
    // At CRF 23 ultrafast keeps the quality of veryfast (SSIM against the source) with 1.7 times the
    // bits at 720p for less than half the processor time; at standard definition and below the
    // encoding costs little either way, and veryfast keeps the stream small.
    constexpr int kStandardDefinition = 720 * 576;
    return width * height > kStandardDefinition ? "ultrafast" : "veryfast";
}

VideoTranscoder::VideoTranscoder(AVStream* in, AVRational frameRate) : StreamTranscoder(in)
{
    const AVCodec* codec = avcodec_find_encoder_by_name("libx264");
    if (!codec)
        throw GatewayError(failure_kinds::kDecoder,
                           "Cannot play: the player has no H.264 encoder (libx264) for this stream.");
    encoder_.reset(avcodec_alloc_context3(codec));
    AVCodecContext* encoder = encoder_.get();
    if (!encoder)
        throw GatewayError(failure_kinds::kError, "Cannot play: out of memory.");
    encoder->width = decoder_->width > 0 ? decoder_->width : in->codecpar->width;
    encoder->height = decoder_->height > 0 ? decoder_->height : in->codecpar->height;
    if (encoder->width <= 0 || encoder->height <= 0)
        throw GatewayError(failure_kinds::kFormat, "Cannot play: the picture of this stream has no size.");
    encoder->width &= ~1;
    encoder->height &= ~1;
    encoder->pix_fmt = AV_PIX_FMT_YUV420P;
    encoder->sample_aspect_ratio = in->codecpar->sample_aspect_ratio;
    encoder->time_base = in->time_base;
    if (frameRate.num <= 0 || frameRate.den <= 0)
        frameRate = {25, 1};
    encoder->framerate = frameRate;
    encoder->gop_size = std::clamp(2 * frameRate.num / frameRate.den, 10, 120); // a key picture every 2 s
    encoder->thread_count = 2;
    av_opt_set(encoder->priv_data, "preset", X264Preset(encoder->width, encoder->height), 0);
    av_opt_set(encoder->priv_data, "tune", "zerolatency", 0);
    if (avcodec_open2(encoder, codec, nullptr) < 0)
        throw GatewayError(failure_kinds::kError, "Cannot play: the H.264 encoder did not start.");
    FinishOpening();
}

void VideoTranscoder::Convert(AVFrame* decoded, const PacketSink& sink, const StopCheck& stopped)
{
    AVCodecContext* encoder = encoder_.get();
    // The encoder needs times that always grow; a source without them gets one frame's step.
    if (decoded->pts == AV_NOPTS_VALUE || (lastPts_ != AV_NOPTS_VALUE && decoded->pts <= lastPts_)) {
        const int64_t step = std::max<int64_t>(1, av_rescale_q(1, av_inv_q(encoder->framerate), encoder->time_base));
        decoded->pts = lastPts_ == AV_NOPTS_VALUE ? 0 : lastPts_ + step;
    }
    lastPts_ = decoded->pts;
    AVFrame* picture = decoded;
    if (decoded->format != AV_PIX_FMT_YUV420P || decoded->width != encoder->width
        || decoded->height != encoder->height) {
        scaler_.reset(sws_getCachedContext(scaler_.release(), decoded->width, decoded->height,
                                           static_cast<AVPixelFormat>(decoded->format), encoder->width, encoder->height,
                                           AV_PIX_FMT_YUV420P, SWS_BILINEAR, nullptr, nullptr, nullptr));
        if (!scaler_)
            throw GatewayError(failure_kinds::kDecoder, "Cannot play: the picture of this stream cannot be converted.");
        AVFrame* converted = converted_.get();
        av_frame_unref(converted);
        converted->format = AV_PIX_FMT_YUV420P;
        converted->width = encoder->width;
        converted->height = encoder->height;
        if (av_frame_get_buffer(converted, 0) < 0)
            throw GatewayError(failure_kinds::kError, "Cannot play: out of memory.");
        sws_scale(scaler_.get(), decoded->data, decoded->linesize, 0, decoded->height, converted->data,
                  converted->linesize);
        converted->pts = decoded->pts;
        picture = converted;
    }
    picture->pict_type = AV_PICTURE_TYPE_NONE;
    Encode(picture, sink, stopped);
}

} // namespace zentavo
