#pragma once
// Writes imported channels as a prepared catalogue: the document that annotating and then
// enciphering a catalogue of plain addresses would leave.

#include "channels/xml_document.h"
#include "playlist_import.h"

#include <string_view>
#include <vector>

namespace zentavo {

// <items> with one <item> per channel in order: id (1..n), name, country, bandwidth, type2, url;
// then each item's imgindex appended after its other children (the media kind of the plain
// address), then every url replaced by its protected string under the passphrase with Key256.
XmlDocument BuildPreparedCatalogue(const std::vector<ImportedChannel>& channels, std::string_view passphrase);

} // namespace zentavo
