#include "address_check.h"

#include "text_util.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

namespace zentavo {
namespace {

constexpr std::array<std::string_view, 14> kSupportedSchemes = {
    "http", "https", "mms", "mmsh", "mmst", "rtsp", "rtsps", "rtmp", "rtmps", "rtmpt", "pnm", "udp", "rtp", "srt"};

// Operators' addresses: a port is what they must name; udp and rtp may name no address (any).
constexpr std::array<std::string_view, 3> kOperatorSchemes = {"udp", "rtp", "srt"};

// Schemes that exist but that the player cannot open: they are not misspellings.
constexpr std::array<std::string_view, 26> kOtherRealSchemes = {
    "ftp",   "ftps", "sftp",       "tcp",       "srtp",   "rist",    "rtsp2",  "rtmpe",  "rtmpte",
    "mmsu",  "data", "javascript", "acestream", "magnet", "sop",     "plugin", "mailto", "tel",
    "about", "blob", "ws",         "wss",       "icyx",   "udplite", "rtmfp",  "zixi"};

bool IsSchemeChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '+' || c == '-'
        || c == '.';
}

// Optimal string alignment distance, capped: only "at most one edit" matters here.
int EditDistance(std::string_view a, std::string_view b)
{
    const size_t n = a.size(), m = b.size();
    if (n > m + 2 || m > n + 2)
        return 3;
    std::vector<std::vector<int>> d(n + 1, std::vector<int>(m + 1));
    for (size_t i = 0; i <= n; ++i)
        d[i][0] = static_cast<int>(i);
    for (size_t j = 0; j <= m; ++j)
        d[0][j] = static_cast<int>(j);
    for (size_t i = 1; i <= n; ++i) {
        for (size_t j = 1; j <= m; ++j) {
            const int cost = a[i - 1] == b[j - 1] ? 0 : 1;
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + cost});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    }
    return d[n][m];
}

bool IsFilePath(std::string_view address)
{
    if (address.starts_with('/') || address.starts_with('~') || address.starts_with('.') || address.starts_with("\\\\"))
        return true;
    // "C:\Music\a.mp3", "c:/radio.pls"
    return address.size() >= 3 && ((address[0] >= 'a' && address[0] <= 'z') || (address[0] >= 'A' && address[0] <= 'Z'))
        && address[1] == ':' && (address[2] == '\\' || address[2] == '/');
}

// Blanks, control characters, quotes, angle brackets, backslash and backtick.
constexpr std::array<bool, 256> kUnsafe = [] {
    std::array<bool, 256> table{};
    for (int b = 0; b <= 0x20; ++b)
        table[static_cast<size_t>(b)] = true;
    for (const char c : {'\x7F', '"', '\'', '<', '>', '\\', '`'})
        table[static_cast<unsigned char>(c)] = true;
    return table;
}();

bool HasUnsafeCharacter(std::string_view address)
{
    return std::any_of(address.begin(), address.end(), [](char c) { return kUnsafe[static_cast<unsigned char>(c)]; });
}

// "239.1.1.1:1234", "[ff15::1]:1234", ":1234" (when anyAddress: no address, the port on all of them).
std::optional<LeftOutReason> CheckOperatorHost(std::string_view host, bool anyAddress)
{
    size_t portStart = std::string_view::npos;
    if (host.starts_with('[')) {
        const size_t close = host.find(']');
        if (close == std::string_view::npos || close == 1)
            return LeftOutReason::NotWebAddress;
        if (close + 1 < host.size() && host[close + 1] == ':')
            portStart = close + 2;
        else if (close + 1 != host.size())
            return LeftOutReason::NotWebAddress;
    } else {
        const size_t colon = host.rfind(':');
        if (colon != std::string_view::npos)
            portStart = colon + 1;
        if ((colon == 0 || host.empty()) && !anyAddress)
            return LeftOutReason::NotWebAddress;
    }
    if (portStart == std::string_view::npos)
        return LeftOutReason::BadPort;
    const std::string_view port = host.substr(portStart);
    if (port.empty() || port.size() > 5
        || !std::all_of(port.begin(), port.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return LeftOutReason::BadPort;
    int number = 0;
    for (const char c : port)
        number = number * 10 + (c - '0');
    if (number < 1 || number > 65535)
        return LeftOutReason::BadPort;
    return std::nullopt;
}

} // namespace

std::string_view LeftOutReasonText(LeftOutReason reason)
{
    switch (reason) {
    case LeftOutReason::NoAddress:
        return "no address";
    case LeftOutReason::NotWebAddress:
        return "not a web address";
    case LeftOutReason::BrokenScheme:
        return "broken scheme";
    case LeftOutReason::UnsupportedScheme:
        return "unsupported scheme";
    case LeftOutReason::BadPort:
        return "no port or a bad port";
    case LeftOutReason::UnsafeCharacters:
        return "blanks or quotes inside";
    case LeftOutReason::Duplicate:
        return "duplicate address";
    }
    return "unknown";
}

std::optional<LeftOutReason> CheckStreamAddress(std::string_view address)
{
    if (address.empty())
        return LeftOutReason::NoAddress;
    if (IsFilePath(address))
        return LeftOutReason::NotWebAddress;
    if (HasUnsafeCharacter(address))
        return LeftOutReason::UnsafeCharacters;
    const size_t colon = address.find(':');
    if (colon == std::string_view::npos || colon < 2
        || !std::all_of(address.begin(), address.begin() + static_cast<std::ptrdiff_t>(colon), IsSchemeChar))
        return LeftOutReason::NotWebAddress; // "www.example.com/live", "radio.mp3", "C:..."
    const std::string scheme = AsciiLowered(address.substr(0, colon));
    if (scheme == "file")
        return LeftOutReason::NotWebAddress;
    const bool supported =
        std::find(kSupportedSchemes.begin(), kSupportedSchemes.end(), scheme) != kSupportedSchemes.end();
    if (!supported) {
        if (std::find(kOtherRealSchemes.begin(), kOtherRealSchemes.end(), scheme) != kOtherRealSchemes.end())
            return LeftOutReason::UnsupportedScheme;
        const bool misspelt = scheme.find("http") != std::string::npos
            || std::any_of(kSupportedSchemes.begin(), kSupportedSchemes.end(),
                           [&](std::string_view good) { return EditDistance(scheme, good) <= 1; });
        return misspelt ? LeftOutReason::BrokenScheme : LeftOutReason::UnsupportedScheme;
    }
    const std::string_view rest = address.substr(colon + 1);
    if (!rest.starts_with("//"))
        return LeftOutReason::BrokenScheme; // "http:/host", "http:host"
    const std::string_view authority = rest.substr(2, FindHostEnd(rest, 2) - 2);
    const std::string_view host =
        authority.substr(authority.rfind('@') == std::string_view::npos ? 0 : authority.rfind('@') + 1);
    if (std::find(kOperatorSchemes.begin(), kOperatorSchemes.end(), scheme) != kOperatorSchemes.end())
        return CheckOperatorHost(host, scheme != "srt");
    if (host.empty() || host.front() == ':')
        return LeftOutReason::NotWebAddress;
    return std::nullopt;
}

std::string AddressKey(std::string_view address)
{
    const size_t colon = address.find("://");
    if (colon == std::string_view::npos)
        return std::string(address);
    const size_t authorityEnd = FindHostEnd(address, colon + 3);
    std::string key = AsciiLowered(address.substr(0, authorityEnd));
    if (authorityEnd != std::string_view::npos)
        key.append(address.substr(authorityEnd));
    return key;
}

} // namespace zentavo
