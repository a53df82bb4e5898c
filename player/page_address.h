#pragma once
// Makes a stream address fit to stand inside the player pages: the templates put it into a
// double-quoted script string and into an img element's src attribute.

#include <string>
#include <string_view>

namespace zentavo {

// Percent-encodes every byte that no URL can hold and that could end the script string or the
// element: '"', '<', '>', '\', blanks, control bytes and bytes outside ASCII, and '|', so that an
// address can never hold "%|" or "|%". Every other byte, "%" included, stays as it is, so a
// valid URL passes unchanged.
std::string EncodeAddressForPage(std::string_view address);

} // namespace zentavo
