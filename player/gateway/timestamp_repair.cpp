#include "timestamp_repair.h"

extern "C" {
#include <libavcodec/packet.h>
#include <libavutil/avutil.h>
}

#include <algorithm>

namespace zentavo {

TimestampRepair::Times TimestampRepair::Fix(Times times)
{
    // A missing time is taken from the other one, or from where the stream was.
    if (times.dts == AV_NOPTS_VALUE)
        times.dts = started_ ? lastDts_ - offset_ + lastStep_ : (times.pts != AV_NOPTS_VALUE ? times.pts : 0);
    if (times.pts == AV_NOPTS_VALUE)
        times.pts = times.dts;
    int64_t dts = times.dts + offset_;
    int64_t pts = times.pts + offset_;
    if (started_ && (dts <= lastDts_ || dts - lastDts_ > jumpLimit_)) {
        // A discontinuity: the stream goes on one step after its last packet.
        const int64_t shift = lastDts_ + lastStep_ - dts;
        offset_ += shift;
        dts += shift;
        pts += shift;
    }
    pts = std::max(pts, dts);
    if (started_ && dts > lastDts_ && dts - lastDts_ <= jumpLimit_)
        lastStep_ = std::max<int64_t>(1, dts - lastDts_);
    if (times.duration > 0)
        lastStep_ = times.duration;
    lastDts_ = dts;
    started_ = true;
    return {dts, pts, times.duration};
}

void TimestampRepair::Fix(AVPacket& packet)
{
    const Times fixed = Fix(Times{packet.dts, packet.pts, packet.duration});
    packet.dts = fixed.dts;
    packet.pts = fixed.pts;
}

} // namespace zentavo
