#pragma once
// Keeps the gateway's output from running ahead of playing: a file or an on-demand stream could be
// read and transcoded as fast as the processor goes, and the page would buffer minutes that may never
// play (and pay for all of them at once). Each packet may go out `lead` ahead of a wall clock that
// starts at the first packet; a later one waits until then, and `batch` more, so that the output goes
// in bursts of that much media: the page then reads it in a few large pieces a second rather than a
// piece per picture (each piece costs the page a request and a step of its demultiplexer). Live sources are never paced: their
// server sends at the pace of playing, and a clock of ours would only drift from theirs.

#include <chrono>
#include <cstdint>
#include <string>

namespace zentavo {

// Whether a source is read at the pace of playing: it comes over http(s) and has a known length, in
// bytes (a file: a live server sends no Content-Length) or, for a playlist of segments (HLS, DASH),
// whose own size says nothing, in time (a playlist that ends). RTSP, RTMP and MMS servers send at the
// pace of playing themselves. format: FFmpeg's name of the container; duration: FFmpeg's, in
// AV_TIME_BASE units; bytes: the answer's length; unknown figures are 0 or less.
bool PacedSource(const std::string& scheme, const std::string& format, int64_t duration, int64_t bytes);

class PlayingPace {
public:
    using Clock = std::chrono::steady_clock;

    PlayingPace(std::chrono::milliseconds lead, std::chrono::milliseconds batch);

    // When the packet of media time `seconds` may go out (`now`: at once). Behind
    // real time by more than the lead (the reader paused, the source stalled, or the work is
    // slower than playing), or at a jump in the media's times, the clock starts again at this
    // packet, so that the output never rushes to catch up and the page gets its lead back.
    Clock::time_point Due(double seconds, Clock::time_point now);

private:
    void Restart(double seconds, Clock::time_point now);

    const Clock::duration lead_;
    const Clock::duration batch_;
    bool started_ = false;
    double firstSeconds_ = 0;
    Clock::time_point firstAt_;
};

} // namespace zentavo
