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
    UnsupportedScheme, // a real scheme that no player here opens (ftp, javascript, acestream ...)
    BadPort, // a udp, rtp or srt address without a port from 1 to 65535
    UnsafeCharacters, // blanks, quotes, angle brackets, backslashes or control characters inside
    Duplicate, // an address that an earlier entry already has
};
inline constexpr int kLeftOutReasonCount = 7;

// Summary wording of a reason, e.g. "broken scheme".
std::string_view LeftOutReasonText(LeftOutReason reason);

// Nothing when the address (already trimmed of blanks at both ends) is usable; else the reason.
// Usable: http, https, mms, mmsh, mmst, rtsp, rtsps, rtmp, rtmps, rtmpt and pnm with a host; udp and
// rtp with a port, and a group or address or none ("udp://@239.1.1.1:1234", "udp://@:1234"); srt
// with a host and a port. Never reports Duplicate: that needs the other entries.
std::optional<LeftOutReason> CheckStreamAddress(std::string_view address);

// The same address for duplicate detection: scheme and host in lower case, the rest as written.
std::string AddressKey(std::string_view address);

} // namespace zentavo
