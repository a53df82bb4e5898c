#pragma once
// Keeps the gateway's output from running ahead of playing: a file or an on-demand stream could be
// read and transcoded as fast as the processor goes, and the page would buffer minutes that may never
// play (and pay for all of them at once). Each packet may go out `lead` ahead of a wall clock that
// starts at the first packet; a later one waits until then. Live sources are never paced: their
// server sends at the pace of playing, and a clock of ours would only drift from theirs.

#include <chrono>
#include <cstdint>
#include <string>

namespace zentavo {

// Whether a source is read at the pace of playing: it comes over http(s) and has a known length (a
// file, or an HLS playlist that ends). RTSP, RTMP and MMS servers send at the pace of playing
// themselves; an http(s) source without a length is a live stream. duration: FFmpeg's, in its
// AV_TIME_BASE, or AV_NOPTS_VALUE / 0 when unknown.
bool PacedSource(const std::string& scheme, int64_t duration);

class PlayingPace {
public:
    using Clock = std::chrono::steady_clock;

    explicit PlayingPace(std::chrono::milliseconds lead);

    // When the packet of media time `seconds` may go out (at or before `now`: at once). Behind
    // real time by more than the lead (the reader paused, the source stalled, or the work is
    // slower than playing), or at a jump in the media's times, the clock starts again at this
    // packet, so that the output never rushes to catch up and the page gets its lead back.
    Clock::time_point Due(double seconds, Clock::time_point now);

private:
    void Restart(double seconds, Clock::time_point now);

    const Clock::duration lead_;
    bool started_ = false;
    double firstSeconds_ = 0;
    Clock::time_point firstAt_;
};

} // namespace zentavo
