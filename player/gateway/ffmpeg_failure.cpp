#include "ffmpeg_failure.h"

#include "player/contract/host_names.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/error.h>
}

#include <cerrno>

namespace zentavo {

namespace {

std::string Seconds(std::chrono::milliseconds timeout)
{
    return std::to_string((timeout.count() + 999) / 1000);
}

} // namespace

GatewayError FfmpegFailure(int error, const std::string& step, const std::string& scheme,
                           std::chrono::milliseconds timeout, bool timedOut)
{
    using namespace failure_kinds;
    if (timedOut || error == AVERROR(ETIMEDOUT)) {
        // UDP and RTP have no server that answers: the sender sends, or nothing comes.
        if (scheme == "udp" || scheme == "rtp")
            return {kTimeout, "Cannot play: no data has come from the stream for " + Seconds(timeout) + " seconds."};
        return {kTimeout, "Cannot play: the server gave no answer within " + Seconds(timeout) + " seconds."};
    }
    switch (error) {
    case AVERROR_PROTOCOL_NOT_FOUND:
        if (scheme.empty())
            return {kProtocol, "Cannot play: this is not the address of a network stream."};
        return {kProtocol, "Cannot play: the " + scheme + ": protocol of this address is not supported."};
    case AVERROR(ECONNREFUSED):
        return {kRefused, "Cannot play: the server refused the connection."};
    case AVERROR(EADDRINUSE):
        return {kError, "Cannot play: another program already receives on the port of this address."};
    case AVERROR(EADDRNOTAVAIL):
        return {kError, "Cannot play: this computer has no network address to receive this stream on."};
    case AVERROR_HTTP_NOT_FOUND:
        return {kNotFound, "Cannot play: the server has no stream at this address (not found)."};
    case AVERROR_HTTP_BAD_REQUEST:
    case AVERROR_HTTP_UNAUTHORIZED:
    case AVERROR_HTTP_FORBIDDEN:
    case AVERROR_HTTP_OTHER_4XX:
        return {kHttp, "Cannot play: the server refused the request."};
    case AVERROR_HTTP_SERVER_ERROR:
        return {kHttp, "Cannot play: the server reported an error."};
    case AVERROR_INVALIDDATA:
        return {kFormat, "Cannot play: the format of this stream is not recognised."};
    case AVERROR(ECONNRESET):
    case AVERROR(EPIPE):
    case AVERROR_EOF:
        return {kClosed, "Cannot play: the server closed the connection."};
    default:
        break;
    }
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(error, text, sizeof text);
    return {kError, "Cannot play this stream: " + step + " failed (" + text + ")."};
}

} // namespace zentavo
