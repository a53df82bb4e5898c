#pragma once
// What an FFmpeg error means to the user: the gateway's failure, in words, with its kind.

#include "player/gateway/gateway_error.h"

#include <chrono>
#include <string>

namespace zentavo {

// The failure of `step` ("opening the address", "reading the stream", ...) of a play of an address
// of that scheme, FFmpeg having answered `error`; timedOut: the network time limit of `timeout`
// ran out first (FFmpeg then reports only that it was interrupted).
GatewayError FfmpegFailure(int error, const std::string& step, const std::string& scheme,
                           std::chrono::milliseconds timeout, bool timedOut);

} // namespace zentavo
