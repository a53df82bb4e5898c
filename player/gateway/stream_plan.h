#pragma once
// What the gateway does with each stream of a source: the page's media engine decodes H.264 video
// and AAC or MP3 sound from MPEG-TS, so those are copied as they are (no loss, little processor
// time); any other video becomes H.264 and any other sound AAC.

extern "C" {
#include <libavcodec/codec_id.h>
#include <libavutil/pixfmt.h>
}

namespace zentavo {

enum class StreamAction { Copy, Transcode };

StreamAction VideoAction(AVCodecID codec, AVPixelFormat format);
StreamAction AudioAction(AVCodecID codec);

} // namespace zentavo
