#pragma once
// The gateway's work for one address, run on its worker thread: open the source (trying each way of
// InputAttempts), plan each stream (StreamAction), and copy its packets, or transcode them
// (VideoTranscoder, AudioTranscoder), into MPEG-TS until the source ends, the reader goes away or
// stop is set, no faster than playing for a file (PlayingPace); the source's title is told as it changes (SourceTitlePoll). Failures are
// GatewayError (FfmpegFailure for FFmpeg's errors).

#include "player/gateway/ffmpeg_handles.h"
#include "player/gateway/playing_pace.h"
#include "player/gateway/source_facts.h"
#include "player/gateway/source_reach.h"
#include "player/gateway/source_title.h"
#include "player/gateway/stream_buffer.h"
#include "player/gateway/stream_transcoder.h"
#include "text/request_headers.h"

#include <QString>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zentavo {

class MediaPipeline {
public:
    // titleChanged hears the title of what plays (see stream_title.h) whenever it changes, on the
    // worker's thread.
    using TitleListener = std::function<void(const QString&)>;
    // factsKnown hears what the source is and what the gateway does with it, once it is planned.
    using FactsListener = std::function<void(const SourceFacts&)>;

    // Every request for the address sends the headers (InputAttempts). playingLead: how far a paced
    // source's output may run ahead of playing (see PlayingPace). audioTrack: which of the source's
    // sound streams plays (see ChooseAudioStream; -1: FFmpeg's pick). reach: where the source and
    // what it names (segments, playlists) may be.
    MediaPipeline(std::string address, StreamBuffer& output, const std::atomic<bool>& stop,
                  std::chrono::milliseconds networkTimeout, std::chrono::milliseconds playingLead,
                  TitleListener titleChanged = {}, FactsListener factsKnown = {}, RequestHeaders headers = {},
                  int audioTrack = -1, SourceReach reach = SourceReach::Anywhere);
    ~MediaPipeline();

    MediaPipeline(const MediaPipeline&) = delete;
    MediaPipeline& operator=(const MediaPipeline&) = delete;

    // Plays to the end; returns normally when the source ended or the play was stopped.
    void Run();

private:
    struct Track;

    static int Interrupt(void* self);
    bool MayReach(const char* url) const;
    // Opens what the source names (HLS segments and playlists) only where the reach allows.
    static int OpenWithinReach(AVFormatContext* context, AVIOContext** io, const char* url, int flags,
                               AVDictionary** options);
    static int WriteOutput(void* self, uint8_t* data, int size);

    void ArmDeadline();
    bool Stopped() const;
    void Open();
    void Plan();
    void OpenOutput();
    void AddCopy(AVStream* in);
    // The output stream of a transcoded stream, of its encoder's codec.
    void AddTranscode(AVStream* in, std::unique_ptr<StreamTranscoder> transcoder);
    void AddTrack(std::unique_ptr<Track> track);
    void HandlePacket(AVPacket* packet);
    // A packet of the source (null: its end) through the track's transcoder into the output.
    void Transcode(Track& track, const AVPacket* packet);
    // Writes a packet of the track (in its output time base) with its times repaired, once its
    // time has come when the source is paced.
    void Write(Track& track, AVPacket* packet);
    // Waits (until the play is stopped at most) while the packet is more than the lead ahead.
    void KeepPace(const Track& track, const AVPacket& packet);
    [[noreturn]] void Fail(int error, const std::string& step);

    const std::string address_;
    const RequestHeaders headers_;
    const int audioTrack_;
    const SourceReach reach_;
    StreamBuffer& output_;
    const std::atomic<bool>& stop_;
    const std::chrono::milliseconds timeout_;
    const std::chrono::milliseconds lead_;
    std::atomic<int64_t> deadline_{0};
    std::atomic<bool> timedOut_{false};
    ffmpeg::Input input_;
    ffmpeg::Output muxer_;
    std::vector<std::unique_ptr<Track>> tracks_;
    std::vector<Track*> byInput_; // the track of each input stream, or null
    std::vector<bool> played_; // whether each input stream plays
    SourceTitlePoll title_;
    FactsListener factsKnown_;
    std::optional<PlayingPace> pace_; // for a source that is paced
    // The input's own way of opening what it names, which OpenWithinReach calls once it allows.
    int (*defaultOpen_)(AVFormatContext*, AVIOContext**, const char*, int, AVDictionary**) = nullptr;
};

} // namespace zentavo
