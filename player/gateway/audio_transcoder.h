#pragma once
// The sound of a stream the page cannot decode, made AAC (at most two channels, 128 kbit/s).

#include "player/gateway/stream_transcoder.h"

namespace zentavo {

class AudioTranscoder : public StreamTranscoder {
public:
    // Throws GatewayError.
    explicit AudioTranscoder(AVStream* in);

protected:
    void Convert(AVFrame* decoded, const PacketSink& sink, const StopCheck& stopped) override;

private:
    ffmpeg::Resampler resampler_;
    ffmpeg::Fifo fifo_; // resampled sound waiting for a whole frame of the encoder
    int64_t nextPts_ = AV_NOPTS_VALUE;
};

} // namespace zentavo
