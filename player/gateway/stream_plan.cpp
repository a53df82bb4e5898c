#include "stream_plan.h"

namespace zentavo {

StreamAction VideoAction(AVCodecID codec, AVPixelFormat format)
{
    // 8-bit 4:2:0 only: High 10 and 4:2:2/4:4:4 profiles are H.264 that the page cannot decode.
    const bool plain = format == AV_PIX_FMT_YUV420P || format == AV_PIX_FMT_YUVJ420P || format == AV_PIX_FMT_NONE;
    return codec == AV_CODEC_ID_H264 && plain ? StreamAction::Copy : StreamAction::Transcode;
}

StreamAction AudioAction(AVCodecID codec)
{
    return codec == AV_CODEC_ID_AAC || codec == AV_CODEC_ID_MP3 ? StreamAction::Copy : StreamAction::Transcode;
}

} // namespace zentavo
