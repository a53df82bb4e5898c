#pragma once
// Rows of the TV, radio and webcam lists built from the catalogue, in file order:
// " country - name" plus "  (bandwidth)" when the bandwidth is not empty.

#include "list_row.h"

#include <filesystem>

namespace zentavo {

// Throws ListFileError when the catalogue cannot be loaded.
ChannelLists BuildChannelLists(const std::filesystem::path& cataloguePath);

} // namespace zentavo
