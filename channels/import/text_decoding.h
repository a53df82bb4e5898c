#pragma once
// Playlist bytes to UTF-8 text: byte order marks, UTF-16, and 8-bit lists in windows-1252.

#include <string>
#include <string_view>

namespace zentavo {

// True when the bytes are well-formed UTF-8 (no overlong forms, no surrogates).
bool IsValidUtf8(std::string_view bytes);

// Removes a UTF-8 byte order mark; converts UTF-16 (either byte order, with its mark) to UTF-8;
// keeps well-formed UTF-8; reads anything else as windows-1252, the usual encoding of 8-bit
// playlists. Line breaks stay where they were, so line numbers keep their meaning.
std::string DecodePlaylistText(std::string_view bytes);

} // namespace zentavo
