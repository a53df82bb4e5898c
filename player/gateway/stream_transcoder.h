#pragma once
// A decoder and an encoder for one stream of a source whose codec the page cannot play: packets of
// the source in, packets of the new codec out. VideoTranscoder and AudioTranscoder say how a
// decoded frame becomes what their encoder takes.

#include "player/gateway/ffmpeg_handles.h"

#include <functional>

namespace zentavo {

class StreamTranscoder {
public:
    // Takes each packet the encoder makes (in the encoder's time base); it may keep nothing of it.
    using PacketSink = std::function<void(AVPacket* packet)>;
    // Asked between frames: true when the play was stopped, so that the work ends at once.
    using StopCheck = std::function<bool()>;

    virtual ~StreamTranscoder() = default;
    StreamTranscoder(const StreamTranscoder&) = delete;
    StreamTranscoder& operator=(const StreamTranscoder&) = delete;

    const AVCodecContext* Encoder() const { return encoder_.get(); }

    // Decodes a packet of the source and encodes what it held. A null packet is the source's end:
    // what the decoder and the encoder still hold goes out. A damaged packet is skipped, as players
    // do; the stream goes on. Throws GatewayError.
    void Transcode(const AVPacket* packet, const PacketSink& sink, const StopCheck& stopped);

protected:
    // Opens the decoder of the source's stream; throws GatewayError.
    explicit StreamTranscoder(AVStream* in);
    // Allocates the working frames and packet once the subclass has opened the encoder.
    void FinishOpening();

    // Turns a decoded frame (its pts the best guess of its time, in the stream's time base) into
    // frames for the encoder, each handed to Encode.
    virtual void Convert(AVFrame* decoded, const PacketSink& sink, const StopCheck& stopped) = 0;
    // Hands one frame (null: the end) to the encoder and its packets to sink.
    void Encode(AVFrame* frame, const PacketSink& sink, const StopCheck& stopped);

    AVStream* const in_;
    ffmpeg::Codec decoder_;
    ffmpeg::Codec encoder_;
    ffmpeg::Frame converted_; // a frame of the encoder's format, for Convert's use

private:
    ffmpeg::Frame decoded_;
    ffmpeg::Packet packet_;
};

} // namespace zentavo
