#pragma once
// The ways to open one address, in the order they are tried: mms:// is tried as MMS over TCP, then
// as MMS over HTTP, as Windows Media clients did; rtsp:// asks for TCP interleaved transport first.

#include <string>
#include <utility>
#include <vector>

namespace zentavo {

struct InputAttempt {
    std::string url;
    std::vector<std::pair<std::string, std::string>> options; // FFmpeg's options for opening it
};

std::vector<InputAttempt> InputAttempts(const std::string& address);

// The scheme of an address in lower case ("mms"), empty when it has none.
std::string AddressScheme(const std::string& address);

} // namespace zentavo
