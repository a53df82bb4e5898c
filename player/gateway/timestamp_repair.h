#pragma once
// Keeps the timestamps of one stream of the gateway's output continuous and growing, whatever the
// source does: a live source whose timestamps jump (an encoder restarted, a looped file, an advert
// put in) or that leaves them out would otherwise end the play, since the MPEG-TS writer refuses a
// decoding time that does not grow. A jump back, or forward by more than the limit, goes on from
// where the stream was, one packet's duration on; the times after it keep their own steps.

#include <cstdint>

struct AVPacket;

namespace zentavo {

class TimestampRepair {
public:
    // jumpLimit: the longest step forward that is still taken as it is (in the stream's time base).
    explicit TimestampRepair(int64_t jumpLimit) : jumpLimit_(jumpLimit) {}

    // Rewrites the packet's decoding and presentation times (in the stream's time base) in place.
    void Fix(AVPacket& packet);

    // Decoding and presentation times without FFmpeg's packet, for the rule alone.
    struct Times {
        int64_t dts;
        int64_t pts;
        int64_t duration;
    };
    Times Fix(Times times);

private:
    const int64_t jumpLimit_;
    int64_t offset_ = 0; // added to the source's times since its last jump
    int64_t lastDts_ = 0;
    int64_t lastStep_ = 1; // the last packet's duration, or its step from the one before
    bool started_ = false;
};

} // namespace zentavo
