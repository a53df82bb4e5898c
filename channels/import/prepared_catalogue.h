#pragma once
// Writes imported channels as a prepared catalogue: byte for byte the document that annotating
// and then enciphering a catalogue of the same channels with plain addresses would leave.

#include "playlist_import.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zentavo {

// <items> with one <item> a line, in order: id (1..n), name, country, bandwidth, type2, url, then
// logo, group, number and headers (EncodedRequestHeaders) when the channel has them, and the
// programme guide's keys tvgid, tvgname and tvgshift when the list gave them (plain text; readers
// that do not know them skip them), and last imgindex (the media kind of the plain address); the url
// is the address's protected string under the passphrase with Key256. A channel without any of
// those has none of their elements, so its item is the same as before they were kept. UTF-8,
// serialised as libxml2 writes such a document, so a
// catalogue saved again by the program is unchanged. The text fields must be valid UTF-8 without
// control characters (PlaylistImport cleans them). With ids, channel i gets ids[i] instead of i + 1
// (the user's own catalogues, whose ids lie in a range of their own); ids must then be one a channel.
std::string PreparedCatalogueBytes(const std::vector<ImportedChannel>& channels, std::string_view passphrase,
                                   std::span<const std::uint64_t> ids = {});

// Replaces the file whole (ReplaceFile); a failed write leaves an existing file as it was.
// Throws FileError (a std::runtime_error) with the reason in words.
void SavePreparedCatalogue(const std::vector<ImportedChannel>& channels, std::string_view passphrase,
                           const std::filesystem::path& path, std::span<const std::uint64_t> ids = {});

} // namespace zentavo
