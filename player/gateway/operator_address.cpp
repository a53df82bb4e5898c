#include "operator_address.h"

#include "player/contract/host_names.h"
#include "player/gateway/gateway_error.h"

#include <arpa/inet.h>

#include <algorithm>
#include <cctype>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace zentavo {
namespace {

// What the receiving socket may hold, and what FFmpeg's reading thread keeps beyond it (in MPEG-TS
// packets of 188 bytes): about 8 MiB, a few seconds of a broadcast channel, so that a busy moment
// of the page loses nothing. When it fills anyway, the oldest is dropped and the play goes on.
constexpr char kSocketBufferBytes[] = "2097152";
constexpr char kReadingBufferPackets[] = "44620";
// SRT's own default latency: how long the receiver holds packets for lost ones to come again.
constexpr long kDefaultSrtLatencyMs = 120;
constexpr long kMostSrtLatencyMs = 60000;
// The gateway's own time limit (its interrupt callback) ends a call that gets no answer; SRT's limit
// of 3 s would end it sooner, with no words for why.
constexpr char kSrtConnectLimitMs[] = "60000";

[[noreturn]] void Refuse(const std::string& words)
{
    throw GatewayError(failure_kinds::kProtocol, "Cannot play: " + words);
}

bool IsPrintable(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return c > 0x20 && c < 0x7F; });
}

// "%41" -> "A"; a "%" without two hex digits stays as it is.
std::string PercentDecoded(std::string_view text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && std::isxdigit(static_cast<unsigned char>(text[i + 1]))
            && std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
            out.push_back(static_cast<char>(std::stoi(std::string(text.substr(i + 1, 2)), nullptr, 16)));
            i += 2;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

enum class IpKind { None, Unicast, Multicast };

IpKind IpLiteral(const std::string& text)
{
    unsigned char bytes[16];
    if (inet_pton(AF_INET, text.c_str(), bytes) == 1)
        return bytes[0] >= 224 && bytes[0] <= 239 ? IpKind::Multicast : IpKind::Unicast;
    if (inet_pton(AF_INET6, text.c_str(), bytes) == 1)
        return bytes[0] == 0xFF ? IpKind::Multicast : IpKind::Unicast;
    return IpKind::None;
}

bool IsHostName(std::string_view host)
{
    return !host.empty() && host.size() <= 253 && host.front() != '-' && host.front() != '.'
        && std::all_of(host.begin(), host.end(),
                       [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.'; });
}

// "10.0.0.1,10.0.0.2": addresses of senders, as FFmpeg's sources and block options take them.
bool IsAddressList(const std::string& text)
{
    if (text.empty())
        return false;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t comma = std::min(text.find(',', start), text.size());
        if (IpLiteral(text.substr(start, comma - start)) == IpKind::None)
            return false;
        start = comma + 1;
    }
    return true;
}

struct ParsedAddress {
    std::string scheme;
    bool bound = false; // written with an "@": the address after it is the one to receive on
    std::string sender; // before the "@": the one sender to receive from, empty for any
    std::string host; // an IPv6 literal without its brackets
    bool bracketed = false;
    std::string port;
    std::vector<std::pair<std::string, std::string>> query; // decoded
};

ParsedAddress Parse(const std::string& address, const std::string& scheme)
{
    ParsedAddress parsed;
    parsed.scheme = scheme;
    std::string_view rest = std::string_view(address).substr(scheme.size() + 1);
    if (!rest.starts_with("//"))
        Refuse("the address does not say where to receive (" + scheme + "://address:port).");
    rest.remove_prefix(2);
    rest = rest.substr(0, rest.find('#'));
    const size_t queryStart = rest.find('?');
    std::string_view query = queryStart == std::string_view::npos ? std::string_view() : rest.substr(queryStart + 1);
    std::string_view authority = rest.substr(0, std::min(queryStart, rest.find('/')));
    if (const size_t at = authority.rfind('@'); at != std::string_view::npos) {
        parsed.bound = true;
        parsed.sender = PercentDecoded(authority.substr(0, at));
        authority.remove_prefix(at + 1);
    }
    std::string_view port;
    if (authority.starts_with('[')) {
        const size_t close = authority.find(']');
        if (close == std::string_view::npos)
            Refuse("the address of this stream is not written correctly.");
        parsed.host = std::string(authority.substr(1, close - 1));
        parsed.bracketed = true;
        const std::string_view after = authority.substr(close + 1);
        if (!after.empty() && !after.starts_with(':'))
            Refuse("the address of this stream is not written correctly.");
        port = after.empty() ? after : after.substr(1);
    } else {
        const size_t colon = authority.rfind(':');
        parsed.host = std::string(authority.substr(0, colon));
        port = colon == std::string_view::npos ? std::string_view() : authority.substr(colon + 1);
    }
    if (port.empty())
        Refuse("the address names no port (" + scheme + "://address:port).");
    const bool digits =
        port.size() <= 5 && std::all_of(port.begin(), port.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (!digits || std::stol(std::string(port)) < 1 || std::stol(std::string(port)) > 65535)
        Refuse("the port of this address is not a number from 1 to 65535.");
    parsed.port = std::string(port);
    if (!parsed.host.empty() && IpLiteral(parsed.host) == IpKind::None
        && (parsed.bracketed || !IsHostName(parsed.host)))
        Refuse("the address names no valid host.");
    while (!query.empty()) {
        const size_t amp = std::min(query.find('&'), query.size());
        const std::string_view item = query.substr(0, amp);
        const size_t equals = std::min(item.find('='), item.size());
        if (!item.empty())
            parsed.query.emplace_back(PercentDecoded(item.substr(0, equals)),
                                      PercentDecoded(item.substr(std::min(equals + 1, item.size()))));
        query.remove_prefix(std::min(amp + 1, query.size()));
    }
    return parsed;
}

std::string HostInUrl(const ParsedAddress& parsed)
{
    return parsed.host.find(':') != std::string::npos ? "[" + parsed.host + "]" : parsed.host;
}

[[noreturn]] void RefuseValue(const std::string& name)
{
    Refuse("the address's option " + name + " has a value that the player does not take.");
}

// UDP, bare or in RTP: the group (or address) and port to receive on; a sender to hear only.
InputAttempt DatagramAttempt(const ParsedAddress& parsed)
{
    if (!parsed.sender.empty() && IpLiteral(parsed.sender) == IpKind::None)
        Refuse("the sender named before the \"@\" is not an IP address.");
    std::string sources = parsed.sender;
    std::string block;
    std::string localAddress;
    for (const auto& [name, value] : parsed.query) {
        if (name == "sources" || name == "block") {
            if (!IsAddressList(value))
                RefuseValue(name);
            std::string& list = name == "sources" ? sources : block;
            list += (list.empty() ? "" : ",") + value;
        } else if (name == "localaddr") {
            if (IpLiteral(value) != IpKind::Unicast)
                RefuseValue(name);
            localAddress = value;
        }
        // Any other option is left out.
    }
    const std::string url = parsed.scheme + "://" + HostInUrl(parsed) + ":" + parsed.port;
    InputAttempt attempt;
    attempt.options.emplace_back("buffer_size", kSocketBufferBytes);
    if (parsed.scheme == "udp") {
        attempt.url = url;
        attempt.options.emplace_back("fifo_size", kReadingBufferPackets);
        attempt.options.emplace_back("overrun_nonfatal", "1");
        // "@address" names the one address to receive on (without the "@" players took the address
        // for the sender's, and receive on all); a group is joined on the system's choice of
        // interface unless the list names one.
        if (localAddress.empty() && parsed.bound && IpLiteral(parsed.host) == IpKind::Unicast)
            localAddress = parsed.host;
        if (!sources.empty())
            attempt.options.emplace_back("sources", sources);
        if (!block.empty())
            attempt.options.emplace_back("block", block);
    } else {
        // FFmpeg's RTP reader takes the senders from its address only.
        std::string query;
        if (!sources.empty())
            query += "sources=" + sources;
        if (!block.empty())
            query += (query.empty() ? "" : "&") + ("block=" + block);
        attempt.url = query.empty() ? url : url + "?" + query;
    }
    if (!localAddress.empty())
        attempt.options.emplace_back("localaddr", localAddress);
    return attempt;
}

// SRT: always called, with a latency; an encrypted stream's passphrase and a stream id pass.
InputAttempt SrtAttempt(const ParsedAddress& parsed)
{
    if (parsed.host.empty())
        Refuse("the address names no server to call (srt://server:port).");
    long latencyMs = kDefaultSrtLatencyMs;
    InputAttempt attempt{"srt://" + HostInUrl(parsed) + ":" + parsed.port, {}};
    std::vector<std::pair<std::string, std::string>> extra;
    for (const auto& [name, value] : parsed.query) {
        if (name == "mode") {
            if (value != "caller")
                Refuse("the address asks the player to wait for the sender (mode=" + value
                       + "); the player calls SRT servers only.");
        } else if (name == "latency") {
            if (value.empty() || value.size() > 9
                || !std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; }))
                RefuseValue(name);
            // Lists written for VLC and srt-live-transmit give milliseconds, FFmpeg's microseconds:
            // no latency of more than a minute is meant, so a larger figure is in microseconds.
            const long figure = std::stol(value);
            latencyMs = figure > kMostSrtLatencyMs ? figure / 1000 : figure;
            if (latencyMs > kMostSrtLatencyMs)
                RefuseValue(name);
        } else if (name == "passphrase") {
            if (value.size() < 10 || value.size() > 79 || !IsPrintable(value))
                RefuseValue(name);
            extra.emplace_back("passphrase", value);
        } else if (name == "pbkeylen") {
            if (value != "0" && value != "16" && value != "24" && value != "32")
                RefuseValue(name);
            extra.emplace_back("pbkeylen", value);
        } else if (name == "streamid" || name == "srt_streamid") {
            if (value.empty() || value.size() > 512 || !IsPrintable(value))
                RefuseValue(name);
            extra.emplace_back("streamid", value);
        }
        // Any other option is left out.
    }
    attempt.options = {
        {"mode", "caller"}, {"latency", std::to_string(latencyMs * 1000)}, {"connect_timeout", kSrtConnectLimitMs}};
    attempt.options.insert(attempt.options.end(), extra.begin(), extra.end());
    return attempt;
}

} // namespace

bool IsOperatorScheme(const std::string& scheme)
{
    return scheme == "udp" || scheme == "rtp" || scheme == "srt";
}

InputAttempt OperatorAttempt(const std::string& address)
{
    const std::string scheme = AddressScheme(address);
    const ParsedAddress parsed = Parse(address, scheme);
    return scheme == "srt" ? SrtAttempt(parsed) : DatagramAttempt(parsed);
}

} // namespace zentavo
