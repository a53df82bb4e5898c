#pragma once
// The order of the channel lists when a column is clicked: ASCII letters compared without case,
// every other character by its code, a text that begins another comes first, always ascending.
// Channel numbers compare as numbers; rows without a number or a group come after those with one.

#include "channels/list_row.h"

#include <string_view>

namespace zentavo {

// <0, 0 or >0. Texts are UTF-8, so comparing bytes compares character codes.
int CompareListText(std::string_view a, std::string_view b);

// The compare rule of all four lists: column 0 compares captions, column 1 the ids (as text),
// column 2 the channel numbers (as numbers), column 3 the groups.
int ListView1Compare(const ListRow& a, const ListRow& b, int sortColumn);

} // namespace zentavo
