#pragma once
// Reading one playlist the user adds: its channels as the catalogue import takes them, and the
// result in words for the window.

#include "channels/import/playlist_import.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zentavo {

struct PlaylistReading {
    std::vector<ImportedChannel> channels;
    ImportSummary summary;
    std::vector<std::string> guides; // the programme guides its header names
};

// Throws PlaylistError when the bytes are no playlist at all. source names the file in the
// summary and decides the format when the content does not.
// With a type, every channel goes to that list (a file of radio stations that does not say so).
PlaylistReading ReadPlaylist(std::string_view bytes, std::string_view source,
                             std::optional<ChannelType> type = std::nullopt);

// "Imported 12 channels from “Radios”.", then how many went to each tab ("Radio Stations: 12.")
// and, when entries were left out, how many for each reason.
std::string SummaryInWords(std::string_view name, const ImportSummary& summary);

// An http or https address (any case of the scheme), as opposed to a file.
bool IsAddressSource(std::string_view source);
// The name a playlist gets when the user gives none: the file's name without its ending, or the
// address's host.
std::string DefaultPlaylistName(std::string_view source);

} // namespace zentavo
