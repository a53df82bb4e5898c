#pragma once
// Whether a playlist address is one the player can try to play, and if not, why not.

#include <optional>
#include <string>
#include <string_view>

namespace zentavo {

// Why the import leaves an entry out. The order is the order of the summary lines.
enum class LeftOutReason {
    NoAddress, // the entry has no address at all
    NotWebAddress, // a file path, a bare host, no host after the scheme
    BrokenScheme, // a misspelt scheme ("hhttps:", "ttps:", "http:/host")
    UnsupportedScheme, // a real scheme other than http, https, mms, mmsh, rtsp, rtmp, pnm
    UnsafeCharacters, // blanks, quotes, angle brackets, backslashes or control characters inside
    Duplicate, // an address that an earlier entry already has
};
inline constexpr int kLeftOutReasonCount = 6;

// Summary wording of a reason, e.g. "broken scheme".
std::string_view LeftOutReasonText(LeftOutReason reason);

// Nothing when the address (already trimmed of blanks at both ends) is usable; else the reason.
// Never reports Duplicate: that needs the other entries.
std::optional<LeftOutReason> CheckStreamAddress(std::string_view address);

// The same address for duplicate detection: scheme and host in lower case, the rest as written.
std::string AddressKey(std::string_view address);

} // namespace zentavo
