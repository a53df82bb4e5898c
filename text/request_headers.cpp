#include "request_headers.h"

#include <algorithm>
#include <array>

namespace zentavo {
namespace {

char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b)
{
    return a.size() == b.size()
        && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Lower(x) == Lower(y); });
}

bool StartsWithName(std::string_view name, std::string_view prefix)
{
    return name.size() >= prefix.size() && SameName(name.substr(0, prefix.size()), prefix);
}

std::string_view TrimBlanks(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

// The headers a channel may set, in their usual spelling. Framing and routing headers (Host,
// Content-Length, Transfer-Encoding, Connection, Range, Proxy-*...) are not among them: the
// player's own requests decide those.
constexpr std::array<std::string_view, 7> kAllowedNames = {
    "User-Agent", "Referer", "Origin", "Cookie", "Authorization", "Accept", "Accept-Language",
};

// The host marks its own requests with headers of this prefix.
constexpr std::string_view kHostPrefix = "X-Zentavo-";

bool IsTokenName(std::string_view name)
{
    return std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-';
    });
}

// The usual spelling of an allowed name; an "X-" name as written.
std::string UsualName(std::string_view name)
{
    if (SameName(name, "Referrer"))
        return "Referer";
    for (const std::string_view allowed : kAllowedNames) {
        if (SameName(name, allowed))
            return std::string(allowed);
    }
    return std::string(name);
}

} // namespace

bool IsAllowedRequestHeader(std::string_view name, std::string_view value)
{
    if (name.empty() || name.size() > kMaxRequestHeaderName || !IsTokenName(name))
        return false;
    const bool known = std::any_of(kAllowedNames.begin(), kAllowedNames.end(),
                                   [name](std::string_view allowed) { return SameName(name, allowed); });
    const bool own = StartsWithName(name, "X-") && name.size() > 2 && !StartsWithName(name, kHostPrefix);
    if (!known && !own)
        return false;
    if (value.empty() || value.size() > kMaxRequestHeaderValue)
        return false;
    // Printable ASCII only: no CR or LF that would start a header of the list's choosing, no NUL
    // that would cut the line, nothing a server might read in another encoding.
    return std::all_of(value.begin(), value.end(), [](char c) { return c >= 0x20 && c < 0x7F; }) && value.front() != ' '
        && value.back() != ' ';
}

bool AddRequestHeader(RequestHeaders& headers, std::string_view name, std::string_view value)
{
    name = TrimBlanks(name);
    value = TrimBlanks(value);
    std::string usual = UsualName(name);
    if (!IsAllowedRequestHeader(usual, value))
        return false;
    for (RequestHeader& header : headers) {
        if (SameName(header.name, usual)) {
            header.value = value;
            return true;
        }
    }
    if (headers.size() >= kMaxRequestHeaders)
        return false;
    headers.push_back(RequestHeader{std::move(usual), std::string(value)});
    return true;
}

std::string EncodedRequestHeaders(const RequestHeaders& headers)
{
    constexpr char kHex[] = "0123456789ABCDEF";
    std::string text;
    for (const RequestHeader& header : headers) {
        if (!text.empty())
            text += '&';
        text.append(header.name).append("=");
        for (const char c : header.value) {
            const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-'
                || c == '.' || c == '_' || c == '~';
            if (plain) {
                text += c;
            } else {
                const auto byte = static_cast<unsigned char>(c);
                text.append({'%', kHex[byte >> 4], kHex[byte & 0x0F]});
            }
        }
    }
    return text;
}

std::string PercentDecoded(std::string_view text)
{
    const auto hex = [](char c) {
        c = Lower(c);
        return c >= '0' && c <= '9' ? c - '0' : (c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1);
    };
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hex(text[i + 1]) >= 0 && hex(text[i + 2]) >= 0) {
            out += static_cast<char>(hex(text[i + 1]) * 16 + hex(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

void AddEncodedRequestHeaders(RequestHeaders& headers, std::string_view encoded)
{
    while (!encoded.empty()) {
        const size_t end = std::min(encoded.find('&'), encoded.size());
        const std::string_view pair = encoded.substr(0, end);
        encoded.remove_prefix(std::min(end + 1, encoded.size()));
        const size_t equals = pair.find('=');
        if (equals != std::string_view::npos)
            AddRequestHeader(headers, PercentDecoded(pair.substr(0, equals)), PercentDecoded(pair.substr(equals + 1)));
    }
}

RequestHeaders DecodedRequestHeaders(std::string_view encoded)
{
    RequestHeaders headers;
    AddEncodedRequestHeaders(headers, encoded);
    return headers;
}

std::string_view RequestHeaderValue(const RequestHeaders& headers, std::string_view name)
{
    for (const RequestHeader& header : headers) {
        if (SameName(header.name, name))
            return header.value;
    }
    return {};
}

} // namespace zentavo
