#include "media_pipeline.h"

#include "player/contract/host_names.h"
#include "player/contract/private_addresses.h"
#include "player/gateway/audio_streams.h"
#include "player/gateway/audio_transcoder.h"
#include "player/gateway/ffmpeg_failure.h"
#include "player/gateway/gateway_error.h"
#include "player/gateway/input_attempts.h"
#include "player/gateway/stream_plan.h"
#include "player/gateway/timestamp_repair.h"
#include "player/gateway/video_transcoder.h"

#include <QString>
#include <QUrl>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <set>

namespace zentavo {
namespace {

constexpr int kOutputChunk = 16 * 1024;
constexpr char kOutOfReachWords[] =
    "Cannot play: the stream leads to an address on this computer or a private network, "
    "which a channel from the internet may not reach.";
constexpr int64_t kTimestampJumpSeconds = 10;
// A paced source's output goes in bursts of this much media (see PlayingPace).
constexpr std::chrono::milliseconds kPlayingBatch{1000};
// Enough of the source to know its streams, short so that the picture comes soon.
constexpr char kAnalyzeMicroseconds[] = "1000000";
constexpr char kProbeBytes[] = "1000000";
// What an address and the addresses inside it (HLS playlists, RTSP's transports) may use.
constexpr char kProtocols[] = "http,https,tls,tcp,udp,rtp,srtp,srt,rtsp,rtsps,rtmp,rtmps,rtmpt,rtmpts,mmsh,mmst,"
                              "httpproxy,crypto";

int64_t NowNanoseconds()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
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

// One stream of the source that plays: copied as it is, or through its transcoder.
struct MediaPipeline::Track {
    AVStream* in = nullptr;
    AVStream* out = nullptr;
    std::unique_ptr<StreamTranscoder> transcoder; // null: copied
    std::optional<TimestampRepair> times; // once the writer has fixed the output's time base
};

MediaPipeline::MediaPipeline(std::string address, StreamBuffer& output, const std::atomic<bool>& stop,
                             std::chrono::milliseconds networkTimeout, std::chrono::milliseconds playingLead,
                             TitleListener titleChanged, FactsListener factsKnown, RequestHeaders headers,
                             int audioTrack, SourceReach reach)
    : address_(std::move(address)), headers_(std::move(headers)), audioTrack_(audioTrack), reach_(reach),
      output_(output), stop_(stop), timeout_(networkTimeout), lead_(playingLead), title_(std::move(titleChanged)),
      factsKnown_(std::move(factsKnown))
{}

MediaPipeline::~MediaPipeline() = default;

int MediaPipeline::OpenWithinReach(AVFormatContext* context, AVIOContext** io, const char* url, int flags,
                                   AVDictionary** options)
{
    auto* pipeline = static_cast<MediaPipeline*>(context->opaque);
    if (pipeline->reach_ == SourceReach::PublicOnly && !zentavo::MayReach(false, QUrl(QString::fromUtf8(url))))
        return AVERROR(EACCES);
    return pipeline->defaultOpen_(context, io, url, flags, options);
}

bool MediaPipeline::MayReach(const char* url) const
{
    return reach_ == SourceReach::Anywhere || zentavo::MayReach(false, QUrl(QString::fromUtf8(url)));
}

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
    throw FfmpegFailure(error, step, AddressScheme(address_), timeout_, timedOut_);
}

void MediaPipeline::Open()
{
    // Network streams only: a page must not reach local files or devices through the gateway.
    static const std::set<std::string> allowed = {"http", "https", "mms",   "mmsh", "mmst", "rtsp", "rtsps",
                                                  "rtmp", "rtmps", "rtmpt", "udp",  "rtp",  "srt"};
    if (!allowed.contains(AddressScheme(address_)))
        Fail(AVERROR_PROTOCOL_NOT_FOUND, "opening the address");
    if (!MayReach(address_.c_str()))
        throw GatewayError(failure_kinds::kRefused, kOutOfReachWords);
    int error = AVERROR(EINVAL);
    // One time limit for all the ways of opening: a server that accepts and never answers is
    // reported once, not once per way.
    ArmDeadline();
    const int64_t openingDeadline = deadline_;
    for (const InputAttempt& attempt : InputAttempts(address_, headers_)) {
        if (attempt.answerLimit.count() > 0)
            deadline_ = std::min(
                openingDeadline,
                NowNanoseconds() + std::chrono::duration_cast<std::chrono::nanoseconds>(attempt.answerLimit).count());
        AVFormatContext* context = avformat_alloc_context();
        if (!context)
            throw GatewayError(failure_kinds::kError, "Cannot play: out of memory.");
        context->interrupt_callback = {&MediaPipeline::Interrupt, this};
        context->opaque = this;
        defaultOpen_ = context->io_open;
        context->io_open = &MediaPipeline::OpenWithinReach;
        AVDictionary* options = nullptr;
        av_dict_set(&options, "analyzeduration", kAnalyzeMicroseconds, 0);
        av_dict_set(&options, "probesize", kProbeBytes, 0);
        // Containers whose packets carry no presentation times (AVI with B-frames) get them made.
        av_dict_set(&options, "fflags", "+genpts", 0);
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
    played_.assign(in->nb_streams, false);
    const int video = av_find_best_stream(in, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    const int audio = ChooseAudioStream(in, audioTrack_);
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
            AddTranscode(stream, std::make_unique<VideoTranscoder>(stream, av_guess_frame_rate(in, stream, nullptr)));
    }
    if (audio >= 0) {
        AVStream* stream = in->streams[audio];
        if (AudioAction(stream->codecpar->codec_id) == StreamAction::Copy)
            AddCopy(stream);
        else
            AddTranscode(stream, std::make_unique<AudioTranscoder>(stream));
    }
    if (factsKnown_)
        factsKnown_(ReadSourceFacts(in, video, audio));
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
    AddTrack(std::move(track));
}

void MediaPipeline::AddTranscode(AVStream* in, std::unique_ptr<StreamTranscoder> transcoder)
{
    auto track = std::make_unique<Track>();
    track->in = in;
    track->transcoder = std::move(transcoder);
    const AVCodecContext* encoder = track->transcoder->Encoder();
    track->out = avformat_new_stream(muxer_.get(), nullptr);
    if (!track->out || avcodec_parameters_from_context(track->out->codecpar, encoder) < 0)
        throw GatewayError(failure_kinds::kError, "Cannot play: out of memory.");
    track->out->time_base = encoder->time_base;
    AddTrack(std::move(track));
}

void MediaPipeline::AddTrack(std::unique_ptr<Track> track)
{
    byInput_[static_cast<size_t>(track->in->index)] = track.get();
    played_[static_cast<size_t>(track->in->index)] = true;
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
    // A step of more than this is a jump of the source's clock, not a gap in what it sends.
    for (const auto& track : tracks_)
        track->times.emplace(av_rescale_q(kTimestampJumpSeconds, AVRational{1, 1}, track->out->time_base));
}

void MediaPipeline::KeepPace(const Track& track, const AVPacket& packet)
{
    const int64_t time = packet.dts != AV_NOPTS_VALUE ? packet.dts : packet.pts;
    if (time == AV_NOPTS_VALUE)
        return;
    const auto now = PlayingPace::Clock::now();
    const auto due = pace_->Due(static_cast<double>(time) * av_q2d(track.out->time_base), now);
    if (due > now)
        output_.WaitUntilClosed(due); // closed when the play is stopped, which ends the wait at once
}

void MediaPipeline::Write(Track& track, AVPacket* packet)
{
    if (track.times)
        track.times->Fix(*packet);
    if (pace_) {
        KeepPace(track, *packet);
        if (Stopped())
            return;
    }
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
    if (!track->transcoder) {
        av_packet_rescale_ts(packet, track->in->time_base, track->out->time_base);
        packet->stream_index = track->out->index;
        packet->pos = -1;
        Write(*track, packet);
        return;
    }
    Transcode(*track, packet);
}

void MediaPipeline::Transcode(Track& track, const AVPacket* packet)
{
    track.transcoder->Transcode(
        packet,
        [this, &track](AVPacket* encoded) {
            av_packet_rescale_ts(encoded, track.transcoder->Encoder()->time_base, track.out->time_base);
            encoded->stream_index = track.out->index;
            Write(track, encoded);
        },
        [this] { return Stopped(); });
}

void MediaPipeline::Run()
{
    Open();
    if (Stopped())
        return;
    const std::string scheme = AddressScheme(address_);
    if (PacedSource(scheme, input_->iformat->name, input_->duration, input_->pb ? avio_size(input_->pb) : -1))
        pace_.emplace(lead_, kPlayingBatch);
    Plan();
    OpenOutput();
    ffmpeg::Packet packet(av_packet_alloc());
    if (!packet)
        throw GatewayError(failure_kinds::kError, "Cannot play: out of memory.");
    bool any = false;
    SourcePace pace;
    // FFmpeg's RTP reader gives up on a silent source after 10 s of its own: the gateway's time limit
    // is the one that ends a play.
    const bool ownSilenceLimit = scheme == "rtp";
    // A read that the time limit ended can still hand over what the demultiplexer held (MPEG-TS
    // gives out its last packets at the end of its input); the reads after it only repeat the
    // interruption, and that is the source's silence, not a stream that broke off.
    bool limitPassed = false;
    while (!Stopped()) {
        limitPassed = limitPassed || timedOut_;
        ArmDeadline();
        int error = av_read_frame(input_.get(), packet.get());
        while (ownSilenceLimit && error == AVERROR(ETIMEDOUT) && !Stopped() && !timedOut_
               && NowNanoseconds() < deadline_)
            error = av_read_frame(input_.get(), packet.get());
        if (Stopped())
            return;
        if (error < 0 && limitPassed)
            timedOut_ = true;
        // A paced source has a length: it comes no faster than it plays because it is paced, and
        // its end is the end of the file, not a live stream that broke off.
        if (error < 0 && any && !timedOut_ && !pace_ && pace.Live(input_.get()))
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
        title_.Poll(input_.get(), played_);
        HandlePacket(packet.get());
        av_packet_unref(packet.get());
    }
    if (Stopped())
        return;
    // The source ended: what the decoders and encoders still hold goes out, then the end.
    for (const auto& track : tracks_) {
        if (track->transcoder)
            Transcode(*track, nullptr);
    }
    av_write_trailer(muxer_.get());
    avio_flush(muxer_->pb);
}

} // namespace zentavo
