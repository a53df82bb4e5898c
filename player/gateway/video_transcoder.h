#pragma once
// The picture of a stream the page cannot decode, made H.264 (libx264) in the page's 4:2:0 format.

#include "player/gateway/stream_transcoder.h"

namespace zentavo {

// libx264's preset for a picture of this size (with tune zerolatency and its default CRF of 23):
// "ultrafast" above 720x576, "veryfast" up to it. The output goes to the page on this machine, where
// bits cost little, so the preset is chosen by processor time at equal quality.
const char* X264Preset(int width, int height);

class VideoTranscoder : public StreamTranscoder {
public:
    // frameRate: the source's frame rate as FFmpeg guesses it (a zero rate is taken as 25).
    // Throws GatewayError.
    VideoTranscoder(AVStream* in, AVRational frameRate);

protected:
    void Convert(AVFrame* decoded, const PacketSink& sink, const StopCheck& stopped) override;

private:
    ffmpeg::Scaler scaler_;
    int64_t lastPts_ = AV_NOPTS_VALUE;
};

} // namespace zentavo
