#include "input_attempts.h"

#include "player/gateway/operator_address.h"

#include <algorithm>
#include <cctype>

namespace zentavo {

std::string AddressScheme(const std::string& address)
{
    const size_t colon = address.find(':');
    if (colon == std::string::npos || colon == 0)
        return {};
    std::string scheme = address.substr(0, colon);
    const bool plain = std::all_of(scheme.begin(), scheme.end(),
                                   [](unsigned char c) { return std::isalnum(c) || c == '+' || c == '-' || c == '.'; });
    if (!plain || !std::isalpha(static_cast<unsigned char>(scheme.front())))
        return {};
    std::transform(scheme.begin(), scheme.end(), scheme.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return scheme;
}

namespace {

// FFmpeg's own options for the user agent and the referrer; the other headers as its "headers"
// option, one "Name: value" line each (AddRequestHeader refused any value with a line end).
std::vector<std::pair<std::string, std::string>> HeaderOptions(const RequestHeaders& headers)
{
    std::vector<std::pair<std::string, std::string>> options;
    std::string others;
    for (const RequestHeader& header : headers) {
        if (header.name == "User-Agent")
            options.emplace_back("user_agent", header.value);
        else if (header.name == "Referer")
            options.emplace_back("referer", header.value);
        else
            others.append(header.name).append(": ").append(header.value).append("\r\n");
    }
    if (!others.empty())
        options.emplace_back("headers", others);
    return options;
}

} // namespace

std::vector<InputAttempt> InputAttempts(const std::string& address, const RequestHeaders& headers)
{
    const std::string scheme = AddressScheme(address);
    const std::string rest = address.substr(scheme.size());
    if (scheme == "mms")
        return {{"mmst" + rest, {}, std::chrono::seconds(3)}, {"mmsh" + rest, {}}};
    if (scheme == "rtsp" || scheme == "rtsps")
        return {{address, {{"rtsp_transport", "tcp"}}}, {address, {}}};
    if (scheme == "http" || scheme == "https") {
        // Live streams are read from the start to the end: no seeking requests, and the server's
        // ICY titles are asked for.
        InputAttempt attempt{address, {{"seekable", "0"}, {"icy", "1"}}};
        for (auto& option : HeaderOptions(headers))
            attempt.options.push_back(std::move(option));
        return {attempt};
    }
    if (IsOperatorScheme(scheme))
        return {OperatorAttempt(address)};
    if (scheme == "rtmp" || scheme == "rtmps" || scheme == "rtmpt")
        return {{address, {{"rtmp_live", "any"}}}};
    return {{address, {}}};
}

} // namespace zentavo
