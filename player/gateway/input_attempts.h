#pragma once
// The ways to open one address, in the order they are tried: mms:// is tried as MMS over TCP, then
// as MMS over HTTP, as Windows Media clients did; rtsp:// asks for TCP interleaved transport first;
// udp://, rtp:// and srt:// are written anew with options of the gateway's own (operator_address.h).

#include "text/request_headers.h"

#include <chrono>
#include <string>
#include <utility>
#include <vector>

namespace zentavo {

struct InputAttempt {
    std::string url;
    std::vector<std::pair<std::string, std::string>> options; // FFmpeg's options for opening it
    // How long this way may wait for an answer before the next way is tried; zero: the whole time
    // limit of opening. A server that takes the connection but does not speak this way (an MMS
    // over HTTP server asked in MMS over TCP) says nothing, and must not use up the time of the next.
    std::chrono::milliseconds answerLimit{0};
};

// An http(s) address (HLS included) is asked for with the headers, as FFmpeg's user_agent, referer
// and headers options; other schemes have no such headers and ignore them. Throws GatewayError for
// an operator address that cannot be received (no port, an option value that is not taken).
std::vector<InputAttempt> InputAttempts(const std::string& address, const RequestHeaders& headers = {});

// The scheme of an address in lower case ("mms"), empty when it has none.
std::string AddressScheme(const std::string& address);

} // namespace zentavo
