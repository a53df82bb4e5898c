#pragma once
// Rows of the TV, radio and webcam lists built from the catalogue, in file order:
// " country - name" plus "  (bandwidth)" when the bandwidth is not empty.

#include "list_row.h"

#include <filesystem>
#include <string>
#include <vector>

namespace zentavo {

// Throws ListFileError when the catalogue cannot be loaded. A row whose id an earlier item
// already has is left out of the lists and put into leftOut. Row ids are the id text without
// the XML white space around it.
ChannelLists BuildChannelLists(const std::filesystem::path& cataloguePath);

// The words that tell the user which rows were left out; empty when none was.
std::string LeftOutRowsMessage(const std::vector<ListRow>& leftOut);

} // namespace zentavo
