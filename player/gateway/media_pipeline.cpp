#include "media_pipeline.h"

#include "player/contract/host_names.h"
#include "player/gateway/gateway_error.h"
#include "player/gateway/input_attempts.h"
#include "player/gateway/stream_plan.h"
#include "player/gateway/stream_title.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

#include <algorithm>
#include <cerrno>
#include <set>

namespace zentavo {
namespace {

constexpr int kOutputChunk = 16 * 1024;
constexpr int kAudioBitRate = 128000;
// Enough of the source to know its streams, short so that the picture comes soon.
constexpr char kAnalyzeMicroseconds[] = "1000000";
constexpr char kProbeBytes[] = "1000000";
// What an address and the addresses inside it (HLS playlists, RTSP's transports) may use.
constexpr char kProtocols[] = "http,https,tls,tcp,udp,rtp,srtp,rtsp,rtsps,rtmp,rtmps,rtmpt,rtmpts,mmsh,mmst,"
                              "httpproxy,crypto";

int64_t NowNanoseconds()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::string Seconds(std::chrono::milliseconds timeout)
{
    return std::to_string((timeout.count() + 999) / 1000);
}

// Tells a live source from a file: a file has a length, or comes faster than it plays; a live
// stream comes as fast as it plays. A live source that ends after it played has broken off.
class SourcePace {
public:
    void Note(const AVPacket& packet)
    {
        if (packet.dts == AV_NOPTS_VALUE || (stream_ >= 0 && packet.stream_index != stream_))
            return;
        if (stream_ < 0) {
            stream_ = packet.stream_index;
            first_ = packet.dts;
            start_ = std::chrono::steady_clock::now();
        }
        last_ = packet.dts;
    }

    bool Live(const AVFormatContext* input) const
    {
        if (input->duration != AV_NOPTS_VALUE && input->duration > 0)
            return false;
        if (stream_ < 0)
            return true;
        const double media = static_cast<double>(last_ - first_) * av_q2d(input->streams[stream_]->time_base);
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
        return media < wall + kLeadSeconds;
    }

private:
    static constexpr double kLeadSeconds = 5; // what a live server may send ahead at the start

    int stream_ = -1;
    int64_t first_ = 0;
    int64_t last_ = 0;
    std::chrono::steady_clock::time_point start_;
};

} // namespace

struct MediaPipeline::Track {
    AVStream* in = nullptr;
    AVStream* out = nullptr;
    ffmpeg::Codec decoder;
    ffmpeg::Codec encoder;
    ffmpeg::Frame frame;
    ffmpeg::Frame converted;
    ffmpeg::Scaler scaler;
    ffmpeg::Resampler resampler;
    ffmpeg::Fifo fifo;
    ffmpeg::Packet packet;
    int64_t nextAudioPts = AV_NOPTS_VALUE;
    int64_t lastVideoPts = AV_NOPTS_VALUE;
};

MediaPipeline::MediaPipeline(std::string address, StreamBuffer& output, const std::atomic<bool>& stop,
                             std::chrono::milliseconds networkTimeout, TitleListener titleChanged)
    : address_(std::move(address)), output_(output), stop_(stop), timeout_(networkTimeout),
      titleChanged_(std::move(titleChanged))
{}

MediaPipeline::~MediaPipeline() = default;

int MediaPipeline::Interrupt(void* self)
{
    auto* pipeline = static_cast<MediaPipeline*>(self);
    if (pipeline->Stopped())
        return 1;
    if (NowNanoseconds() > pipeline->deadline_.load()) {
        pipeline->timedOut_ = true;
        return 1;
    }
    return 0;
}

int MediaPipeline::WriteOutput(void* self, uint8_t* data, int size)
{
    auto* pipeline = static_cast<MediaPipeline*>(self);
    if (!pipeline->output_.Write(data, static_cast<size_t>(size)))
        return AVERROR_EXIT;
    return size;
}

void MediaPipeline::ArmDeadline()
{
    deadline_ = NowNanoseconds() + std::chrono::duration_cast<std::chrono::nanoseconds>(timeout_).count();
    timedOut_ = false;
}

bool MediaPipeline::Stopped() const
{
    return stop_.load() || output_.Closed();
}

void MediaPipeline::Fail(int error, const std::string& step)
{
    if (timedOut_)
        throw GatewayError(failure_kinds::kTimeout,
                           "Cannot play: the server gave no answer within " + Seconds(timeout_) + " seconds.");
    switch (error) {
    case AVERROR_PROTOCOL_NOT_FOUND:
        if (AddressScheme(address_).empty())
            throw GatewayError(failure_kinds::kProtocol, "Cannot play: this is not the address of a network stream.");
        throw GatewayError(failure_kinds::kProtocol,
                           "Cannot play: the " + AddressScheme(address_)
                               + ": protocol of this address is not supported.");
    case AVERROR(ECONNREFUSED):
        throw GatewayError(failure_kinds::kRefused, "Cannot play: the server refused the connection.");
    case AVERROR(ETIMEDOUT):
        throw GatewayError(failure_kinds::kTimeout,
                           "Cannot play: the server gave no answer within " + Seconds(timeout_) + " seconds.");
    case AVERROR_HTTP_NOT_FOUND:
        throw GatewayError(failure_kinds::kNotFound,
                           "Cannot play: the server has no stream at this address (not found).");
    case AVERROR_HTTP_BAD_REQUEST:
    case AVERROR_HTTP_UNAUTHORIZED:
    case AVERROR_HTTP_FORBIDDEN:
    case AVERROR_HTTP_OTHER_4XX:
        throw GatewayError(failure_kinds::kHttp, "Cannot play: the server refused the request.");
    case AVERROR_HTTP_SERVER_ERROR:
        throw GatewayError(failure_kinds::kHttp, "Cannot play: the server reported an error.");
    case AVERROR_INVALIDDATA:
        throw GatewayError(failure_kinds::kFormat, "Cannot play: the format of this stream is not recognised.");
    case AVERROR(ECONNRESET):
    case AVERROR(EPIPE):
    case AVERROR_EOF:
        throw GatewayError(failure_kinds::kClosed, "Cannot play: the server closed the connection.");
    default:
        break;
    }
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(error, text, sizeof text);
    throw GatewayError(failure_kinds::kError, "Cannot play this stream: " + step + " failed (" + text + ").");
}

void MediaPipeline::Open()
{
    // Network streams only: a page must not reach local files or devices through the gateway.
    static const std::set<std::string> allowed = {"http", "https", "mms",  "mmsh",  "mmst",
                                                  "rtsp", "rtsps", "rtmp", "rtmps", "rtmpt"};
    if (!allowed.contains(AddressScheme(address_)))
        Fail(AVERROR_PROTOCOL_NOT_FOUND, "opening the address");
    int error = AVERROR(EINVAL);
    // One time limit for all the ways of opening: a server that accepts and never answers is
    // reported once, not once per way.
    ArmDeadline();
    const int64_t openingDeadline = deadline_;
    for (const InputAttempt& attempt : InputAttempts(address_)) {
        if (attempt.answerLimit.count() > 0)
            deadline_ = std::min(
                openingDeadline,
                NowNanoseconds() + std::chrono::duration_cast<std::chrono::nanoseconds>(attempt.answerLimit).count());
        AVFormatContext* context = avformat_alloc_context();
        if (!context)
            throw GatewayError(failure_kinds::kError, "Cannot play: out of memory.");
        context->interrupt_callback = {&MediaPipeline::Interrupt, this};
        AVDictionary* options = nullptr;
        av_dict_set(&options, "analyzeduration", kAnalyzeMicroseconds, 0);
        av_dict_set(&options, "probesize", kProbeBytes, 0);
        for (const auto& [name, value] : attempt.options) // a way's own options come over the defaults
            av_dict_set(&options, name.c_str(), value.c_str(), 0);
        av_dict_set(&options, "protocol_whitelist", kProtocols, 0);
        error = avformat_open_input(&context, attempt.url.c_str(), nullptr, &options); // frees context on failure
        av_dict_free(&options);
        if (error >= 0) {
            input_.reset(context);
            break;
        }
        if (Stopped() || (timedOut_ && NowNanoseconds() > openingDeadline))
            break;
        // This way's own limit passed: the next way gets what is left of the time.
        deadline_ = openingDeadline;
        timedOut_ = false;
    }
    if (Stopped())
        return;
    if (!input_)
        Fail(error, "opening the address");
    ArmDeadline();
    error = avformat_find_stream_info(input_.get(), nullptr);
    if (Stopped())
        return;
    if (error < 0)
        Fail(error, "reading the stream's format");
}

void MediaPipeline::Plan()
{
    AVFormatContext* in = input_.get();
    byInput_.assign(in->nb_streams, nullptr);
    const int video = av_find_best_stream(in, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    const int audio = av_find_best_stream(in, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (video < 0 && audio < 0)
        throw GatewayError(failure_kinds::kFormat,
                           "Cannot play: the stream carries neither sound nor picture that the player knows.");
    AVFormatContext* muxer = nullptr;
    if (avformat_alloc_output_context2(&muxer, nullptr, "mpegts", nullptr) < 0 || !muxer)
        throw GatewayError(failure_kinds::kError, "Cannot play: the MPEG-TS writer is missing.");
    muxer_.reset(muxer);
    if (video >= 0) {
        AVStream* stream = in->streams[video];
        const auto format = static_cast<AVPixelFormat>(stream->codecpar->format);
        if (VideoAction(stream->codecpar->codec_id, format) == StreamAction::Copy)
            AddCopy(stream);
        else
            AddVideoTranscode(stream);
    }
    if (audio >= 0) {
        AVStream* stream = in->streams[audio];
        if (AudioAction(stream->codecpar->codec_id) == StreamAction::Copy)
            AddCopy(stream);
        else
            AddAudioTranscode(stream);
    }
}

void MediaPipeline::AddCopy(AVStream* in)
{
    auto track = std::make_unique<Track>();
    track->in = in;
    track->out = avformat_new_stream(muxer_.get(), nullptr);
    if (!track->out || avcodec_parameters_copy(track->out->codecpar, in->codecpar) < 0)
        throw GatewayError(failure_kinds::kError, "Cannot play: out of memory.");
    track->out->codecpar->codec_tag = 0;
    track->out->time_base = in->time_base;
    byInput_[static_cast<size_t>(in->index)] = track.get();
    tracks_.push_back(std::move(track));
}

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

void MediaPipeline::AddVideoTranscode(AVStream* in)
{
    auto track = std::make_unique<Track>();
    track->in = in;
    track->decoder = OpenDecoder(in);
    const AVCodec* codec = avcodec_find_encoder_by_name("libx264");
    if (!codec)
        throw GatewayError(failure_kinds::kDecoder,
                           "Cannot play: the player has no H.264 encoder (libx264) for this stream.");
    track->encoder.reset(avcodec_alloc_context3(codec));
    AVCodecContext* encoder = track->encoder.get();
    if (!encoder)
        throw GatewayError(failure_kinds::kError, "Cannot play: out of memory.");
    encoder->width = track->decoder->width > 0 ? track->decoder->width : in->codecpar->width;
    encoder->height = track->decoder->height > 0 ? track->decoder->height : in->codecpar->height;
    if (encoder->width <= 0 || encoder->height <= 0)
        throw GatewayError(failure_kinds::kFormat, "Cannot play: the picture of this stream has no size.");
    encoder->width &= ~1;
    encoder->height &= ~1;
    encoder->pix_fmt = AV_PIX_FMT_YUV420P;
    encoder->sample_aspect_ratio = in->codecpar->sample_aspect_ratio;
    encoder->time_base = in->time_base;
    AVRational rate = av_guess_frame_rate(input_.get(), in, nullptr);
    if (rate.num <= 0 || rate.den <= 0)
        rate = {25, 1};
    encoder->framerate = rate;
    encoder->gop_size = std::clamp(2 * rate.num / rate.den, 10, 120); // a key picture every 2 s
    encoder->thread_count = 2;
    av_opt_set(encoder->priv_data, "preset", "veryfast", 0);
    av_opt_set(encoder->priv_data, "tune", "zerolatency", 0);
    if (avcodec_open2(encoder, codec, nullptr) < 0)
        throw GatewayError(failure_kinds::kError, "Cannot play: the H.264 encoder did not start.");
    AddEncodingTrack(std::move(track));
}

void MediaPipeline::AddAudioTranscode(AVStream* in)
{
    auto track = std::make_unique<Track>();
    track->in = in;
    track->decoder = OpenDecoder(in);
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_AAC);
    if (!codec)
        throw GatewayError(failure_kinds::kDecoder, "Cannot play: the player has no AAC encoder for this stream.");
    track->encoder.reset(avcodec_alloc_context3(codec));
    AVCodecContext* encoder = track->encoder.get();
    if (!encoder)
        throw GatewayError(failure_kinds::kError, "Cannot play: out of memory.");
    AVCodecContext* decoder = track->decoder.get();
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
    track->resampler.reset(resampler);
    if (made < 0 || swr_init(resampler) < 0)
        throw GatewayError(failure_kinds::kDecoder, "Cannot play: the sound of this stream cannot be converted.");
    track->fifo.reset(av_audio_fifo_alloc(encoder->sample_fmt, encoder->ch_layout.nb_channels, encoder->frame_size));
    if (!track->fifo)
        throw GatewayError(failure_kinds::kError, "Cannot play: out of memory.");
    AddEncodingTrack(std::move(track));
}

void MediaPipeline::AddEncodingTrack(std::unique_ptr<Track> track)
{
    const AVCodecContext* encoder = track->encoder.get();
    track->out = avformat_new_stream(muxer_.get(), nullptr);
    if (!track->out || avcodec_parameters_from_context(track->out->codecpar, encoder) < 0)
        throw GatewayError(failure_kinds::kError, "Cannot play: out of memory.");
    track->out->time_base = encoder->time_base;
    track->frame.reset(av_frame_alloc());
    track->converted.reset(av_frame_alloc());
    track->packet.reset(av_packet_alloc());
    if (!track->frame || !track->converted || !track->packet)
        throw GatewayError(failure_kinds::kError, "Cannot play: out of memory.");
    byInput_[static_cast<size_t>(track->in->index)] = track.get();
    tracks_.push_back(std::move(track));
}

void MediaPipeline::OpenOutput()
{
    auto* chunk = static_cast<unsigned char*>(av_malloc(kOutputChunk));
    if (!chunk)
        throw GatewayError(failure_kinds::kError, "Cannot play: out of memory.");
    muxer_->pb = avio_alloc_context(chunk, kOutputChunk, 1, this, nullptr, &MediaPipeline::WriteOutput, nullptr);
    if (!muxer_->pb) {
        av_free(chunk);
        throw GatewayError(failure_kinds::kError, "Cannot play: out of memory.");
    }
    // Each packet goes to the page at once, and one stream never waits long for another.
    muxer_->flush_packets = 1;
    muxer_->max_interleave_delta = 500000;
    if (avformat_write_header(muxer_.get(), nullptr) < 0) {
        if (Stopped())
            return;
        throw GatewayError(failure_kinds::kError, "Cannot play: the MPEG-TS writer did not start.");
    }
}

void MediaPipeline::Write(AVPacket* packet)
{
    const int error = av_interleaved_write_frame(muxer_.get(), packet);
    if (error < 0 && !Stopped())
        Fail(error, "writing the stream");
}

void MediaPipeline::HandlePacket(AVPacket* packet)
{
    Track* track = packet->stream_index >= 0 && static_cast<size_t>(packet->stream_index) < byInput_.size()
        ? byInput_[static_cast<size_t>(packet->stream_index)]
        : nullptr;
    if (!track)
        return;
    if (!track->decoder) {
        av_packet_rescale_ts(packet, track->in->time_base, track->out->time_base);
        packet->stream_index = track->out->index;
        packet->pos = -1;
        Write(packet);
        return;
    }
    Decode(*track, packet);
}

void MediaPipeline::Decode(Track& track, const AVPacket* packet)
{
    // A damaged packet is skipped, as players do; the stream goes on.
    if (avcodec_send_packet(track.decoder.get(), packet) < 0 && packet)
        return;
    while (!Stopped()) {
        const int got = avcodec_receive_frame(track.decoder.get(), track.frame.get());
        if (got == AVERROR(EAGAIN) || got == AVERROR_EOF)
            break;
        if (got < 0)
            break;
        AVFrame* frame = track.frame.get();
        frame->pts = frame->best_effort_timestamp;
        if (track.in->codecpar->codec_type == AVMEDIA_TYPE_VIDEO)
            EncodeVideo(track, frame);
        else
            EncodeAudio(track, frame);
        av_frame_unref(frame);
    }
}

void MediaPipeline::EncodeVideo(Track& track, AVFrame* frame)
{
    AVCodecContext* encoder = track.encoder.get();
    // The encoder needs times that always grow; a source without them gets one frame's step.
    if (frame->pts == AV_NOPTS_VALUE || (track.lastVideoPts != AV_NOPTS_VALUE && frame->pts <= track.lastVideoPts)) {
        const int64_t step = std::max<int64_t>(1, av_rescale_q(1, av_inv_q(encoder->framerate), encoder->time_base));
        frame->pts = track.lastVideoPts == AV_NOPTS_VALUE ? 0 : track.lastVideoPts + step;
    }
    track.lastVideoPts = frame->pts;
    AVFrame* picture = frame;
    if (frame->format != AV_PIX_FMT_YUV420P || frame->width != encoder->width || frame->height != encoder->height) {
        track.scaler.reset(sws_getCachedContext(
            track.scaler.release(), frame->width, frame->height, static_cast<AVPixelFormat>(frame->format),
            encoder->width, encoder->height, AV_PIX_FMT_YUV420P, SWS_BILINEAR, nullptr, nullptr, nullptr));
        if (!track.scaler)
            throw GatewayError(failure_kinds::kDecoder, "Cannot play: the picture of this stream cannot be converted.");
        AVFrame* converted = track.converted.get();
        av_frame_unref(converted);
        converted->format = AV_PIX_FMT_YUV420P;
        converted->width = encoder->width;
        converted->height = encoder->height;
        if (av_frame_get_buffer(converted, 0) < 0)
            throw GatewayError(failure_kinds::kError, "Cannot play: out of memory.");
        sws_scale(track.scaler.get(), frame->data, frame->linesize, 0, frame->height, converted->data,
                  converted->linesize);
        converted->pts = frame->pts;
        picture = converted;
    }
    picture->pict_type = AV_PICTURE_TYPE_NONE;
    Encode(track, picture);
}

void MediaPipeline::EncodeAudio(Track& track, AVFrame* frame)
{
    AVCodecContext* encoder = track.encoder.get();
    if (track.nextAudioPts == AV_NOPTS_VALUE)
        track.nextAudioPts =
            frame->pts == AV_NOPTS_VALUE ? 0 : av_rescale_q(frame->pts, track.in->time_base, encoder->time_base);
    const int room = swr_get_out_samples(track.resampler.get(), frame->nb_samples);
    if (room <= 0)
        return;
    uint8_t** samples = nullptr;
    if (av_samples_alloc_array_and_samples(&samples, nullptr, encoder->ch_layout.nb_channels, room, encoder->sample_fmt,
                                           0)
        < 0)
        throw GatewayError(failure_kinds::kError, "Cannot play: out of memory.");
    const int count = swr_convert(track.resampler.get(), samples, room,
                                  const_cast<const uint8_t**>(frame->extended_data), frame->nb_samples);
    if (count > 0)
        av_audio_fifo_write(track.fifo.get(), reinterpret_cast<void**>(samples), count);
    av_freep(&samples[0]);
    av_freep(&samples);
    const int size = encoder->frame_size > 0 ? encoder->frame_size : 1024;
    while (av_audio_fifo_size(track.fifo.get()) >= size && !Stopped()) {
        AVFrame* chunk = track.converted.get();
        av_frame_unref(chunk);
        chunk->nb_samples = size;
        chunk->format = encoder->sample_fmt;
        chunk->sample_rate = encoder->sample_rate;
        if (av_channel_layout_copy(&chunk->ch_layout, &encoder->ch_layout) < 0 || av_frame_get_buffer(chunk, 0) < 0)
            throw GatewayError(failure_kinds::kError, "Cannot play: out of memory.");
        av_audio_fifo_read(track.fifo.get(), reinterpret_cast<void**>(chunk->data), size);
        chunk->pts = track.nextAudioPts;
        track.nextAudioPts += size;
        Encode(track, chunk);
    }
}

void MediaPipeline::Encode(Track& track, AVFrame* frame)
{
    if (avcodec_send_frame(track.encoder.get(), frame) < 0)
        return;
    AVPacket* packet = track.packet.get();
    while (!Stopped()) {
        const int got = avcodec_receive_packet(track.encoder.get(), packet);
        if (got < 0)
            break;
        av_packet_rescale_ts(packet, track.encoder->time_base, track.out->time_base);
        packet->stream_index = track.out->index;
        Write(packet);
        av_packet_unref(packet);
    }
}

void MediaPipeline::Run()
{
    Open();
    if (Stopped())
        return;
    Plan();
    OpenOutput();
    ffmpeg::Packet packet(av_packet_alloc());
    if (!packet)
        throw GatewayError(failure_kinds::kError, "Cannot play: out of memory.");
    bool any = false;
    SourcePace pace;
    while (!Stopped()) {
        ArmDeadline();
        const int error = av_read_frame(input_.get(), packet.get());
        if (Stopped())
            return;
        if (error < 0 && any && !timedOut_ && pace.Live(input_.get()))
            throw GatewayError(failure_kinds::kDropped, "Cannot play: the stream broke off.");
        if (error == AVERROR_EOF) {
            if (!any)
                Fail(error, "reading the stream");
            break;
        }
        if (error < 0)
            Fail(error, "reading the stream");
        any = true;
        pace.Note(*packet);
        PollTitle();
        HandlePacket(packet.get());
        av_packet_unref(packet.get());
    }
    if (Stopped())
        return;
    // The source ended: what the decoders and encoders still hold goes out, then the end.
    for (const auto& track : tracks_) {
        if (!track->decoder)
            continue;
        Decode(*track, nullptr);
        Encode(*track, nullptr);
    }
    av_write_trailer(muxer_.get());
    avio_flush(muxer_->pb);
}

} // namespace zentavo

namespace zentavo {

// Looks for a new title at most once a second, as packets come in.
void MediaPipeline::PollTitle()
{
    if (!titleChanged_)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (now < nextTitlePoll_)
        return;
    nextTitlePoll_ = now + std::chrono::seconds(1);
    const QString title = SourceTitle();
    if (title == title_)
        return;
    title_ = title;
    titleChanged_(title_);
}

// The latest ICY metadata block of an Icecast or Shoutcast server (FFmpeg's http protocol keeps it
// in its "icy_metadata_packet" option), else a title in the container's metadata.
QString MediaPipeline::SourceTitle() const
{
    AVFormatContext* in = input_.get();
    if (in->pb) {
        uint8_t* block = nullptr;
        if (av_opt_get(in->pb, "icy_metadata_packet", AV_OPT_SEARCH_CHILDREN, &block) >= 0 && block) {
            const QString title = IcyStreamTitle(reinterpret_cast<const char*>(block));
            const bool hasBlock = block[0] != 0;
            av_free(block);
            if (hasBlock)
                return title;
        }
    }
    if (const AVDictionaryEntry* entry = av_dict_get(in->metadata, "title", nullptr, 0);
        entry && !ContainerTitle(entry->value).isEmpty())
        return ContainerTitle(entry->value);
    for (unsigned index = 0; index < in->nb_streams; ++index) {
        if (!byInput_[index])
            continue;
        if (const AVDictionaryEntry* entry = av_dict_get(in->streams[index]->metadata, "title", nullptr, 0);
            entry && !ContainerTitle(entry->value).isEmpty())
            return ContainerTitle(entry->value);
    }
    return {};
}

} // namespace zentavo
