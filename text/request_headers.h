#pragma once
// The HTTP request headers a channel asks for (a user agent, a referrer, ...), which its playlist
// names and the player sends on every request of the channel's play. A playlist is foreign input:
// only headers that cannot change how a request is framed or routed are taken, each within bounds,
// and nothing that could end a header line early (CR, LF or any other control character).

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zentavo {

struct RequestHeader {
    std::string name;
    std::string value;
    bool operator==(const RequestHeader&) const = default;
};
using RequestHeaders = std::vector<RequestHeader>;

inline constexpr std::size_t kMaxRequestHeaders = 16;
inline constexpr std::size_t kMaxRequestHeaderName = 64;
inline constexpr std::size_t kMaxRequestHeaderValue = 2048;

// Whether a channel may ask for that header: User-Agent, Referer, Origin, Cookie, Authorization,
// Accept, Accept-Language or an "X-" header of the server's own; the value printable ASCII
// (blanks inside allowed), not empty, within the bounds. Names compare without case.
bool IsAllowedRequestHeader(std::string_view name, std::string_view value);

// Adds the header when it is allowed, under its usual spelling ("user-agent" becomes "User-Agent",
// "Referrer" becomes "Referer"); a header of the same name is replaced. Blanks around the value go.
// Returns false, and leaves the list as it was, for a header that is not allowed or when the list
// holds kMaxRequestHeaders already.
bool AddRequestHeader(RequestHeaders& headers, std::string_view name, std::string_view value);

// "Name=value&Name=value" with the values percent-encoded (all but letters, digits and "-._~"):
// one line of plain text, the form in which a catalogue keeps them and Kodi's lists write them.
std::string EncodedRequestHeaders(const RequestHeaders& headers);
// Adds the headers of that form (AddRequestHeader: those not allowed are skipped, a name met
// again replaces the value). A '%' without two hex digits stays as it is.
void AddEncodedRequestHeaders(RequestHeaders& headers, std::string_view encoded);
RequestHeaders DecodedRequestHeaders(std::string_view encoded);
// "%41" and the like become their bytes; a '%' without two hex digits stays as it is.
std::string PercentDecoded(std::string_view text);

// The value of the header of that name (compared without case); empty when there is none.
std::string_view RequestHeaderValue(const RequestHeaders& headers, std::string_view name);

} // namespace zentavo
