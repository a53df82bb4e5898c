#pragma once
// The player family of a channel; the code is stored as imgindex and picks the page template and the row icon.

#include <string_view>

namespace zentavo {

enum class MediaKind { WindowsMedia = 0, Real = 1, Snapshot = 2 };

// Pure rule over the plain stream address (ASCII case folded, nothing trimmed).
MediaKind ClassifyMediaKind(std::string_view address);

} // namespace zentavo
