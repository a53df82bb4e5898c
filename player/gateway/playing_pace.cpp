#include "playing_pace.h"

namespace zentavo {
namespace {

// A wait longer than this is a jump of the media's clock (a gap that the page skips), not playing.
constexpr std::chrono::seconds kLongestWait{10};

} // namespace

bool PacedSource(const std::string& scheme, const std::string& format, int64_t duration, int64_t bytes)
{
    if (scheme != "http" && scheme != "https")
        return false;
    if (format == "hls" || format == "dash")
        return duration > 0;
    return bytes > 0 || duration > 0;
}

PlayingPace::PlayingPace(std::chrono::milliseconds lead, std::chrono::milliseconds batch) : lead_(lead), batch_(batch)
{}

void PlayingPace::Restart(double seconds, Clock::time_point now)
{
    started_ = true;
    firstSeconds_ = seconds;
    firstAt_ = now;
}

PlayingPace::Clock::time_point PlayingPace::Due(double seconds, Clock::time_point now)
{
    if (!started_) {
        Restart(seconds, now);
        return now;
    }
    const auto onTime =
        firstAt_ + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds - firstSeconds_));
    const auto due = onTime - lead_;
    if (onTime < now - lead_ || due > now + kLongestWait) {
        Restart(seconds, now);
        return now;
    }
    return due > now ? due + batch_ : now;
}

} // namespace zentavo
