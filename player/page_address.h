#pragma once
// Makes a stream address safe to stand inside the player pages: the templates put it into a
// double-quoted script string and into an img element's src attribute, unescaped.

#include <string>
#include <string_view>

namespace zentavo {

// Percent-encodes every byte that no URL can hold and that could end the script string or the
// element: '"', '<', '>', '\', blanks, control bytes and bytes outside ASCII. Every other byte,
// "%" and "|" included, stays as it is, so a valid URL passes unchanged.
std::string EncodeAddressForPage(std::string_view address);

} // namespace zentavo
