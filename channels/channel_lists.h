#pragma once
// Rows of the TV, radio and webcam lists built from the catalogue, in file order:
// " country - name" plus "  (bandwidth)" when the bandwidth is not empty.

#include "channel_id_set.h"
#include "list_row.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace zentavo {

// The catalogue is read item by item (Catalogue::Stream), never held whole.
// Throws ListFileError when the catalogue cannot be loaded. A row whose id an earlier item
// already has is left out of the lists and put into leftOut. Row ids are the id text without
// the XML white space around it.
ChannelLists BuildChannelLists(const std::filesystem::path& cataloguePath);

// The ids (channel_id.h) that the items of the catalogues read so far have, when the lists of
// several catalogues are built as one.
using HeldIds = ChannelIdSet;
// Whether a catalogue's item with that id belongs in the lists at all; the others are skipped as if
// the catalogue did not hold them.
using IdFilter = bool (*)(std::string_view id);

// One catalogue of several read in turn, with the rule of one catalogue over all of them: a row
// whose id an item of an earlier catalogue has (held) is left out as well; then the ids of this
// catalogue's items are added to held. With a filter, only items whose id it takes count.
ChannelLists BuildChannelLists(const std::filesystem::path& cataloguePath, HeldIds& held, IdFilter takes = nullptr);

class CatalogueIndex;
// The same, taking the places of the catalogue's items into index as they are read (every item,
// whether the filter takes it or not: lookups do not filter).
ChannelLists BuildChannelLists(const std::filesystem::path& cataloguePath, HeldIds& held, IdFilter takes,
                               CatalogueIndex& index);

// The words that tell the user which rows were left out; empty when none was.
std::string LeftOutRowsMessage(const std::vector<ListRow>& leftOut);

} // namespace zentavo
