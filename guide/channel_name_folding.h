#pragma once
// Channel names as matching compares them: "Das Erste HD", "das erste (720p)" and "Das-Erste"
// all fold to "daserste".

#include <string>
#include <string_view>

namespace zentavo {

// Case folded, accents removed (é → e, ß → ss), notes in square brackets at the end removed
// ("[Geo-blocked]"), then trailing picture-quality words, bare or in brackets, removed one after
// another ("HD", "FHD", "UHD", "SD", "4K", "720p", "1080i", "HEVC", "H.265"), and last every
// character that is not a letter or a digit. A name that is nothing but such a word keeps it
// ("HD" folds to "hd"). UTF-8 in and out.
std::string FoldChannelName(std::string_view name);

// The id in lower case (ASCII letters only: ids are ASCII in practice, and anything else stays as written).
std::string LowerAsciiId(std::string_view id);

// The id without a trailing "@feed" part: "BBCOne.uk@HD" gives "BBCOne.uk"; an id without one is unchanged.
std::string_view IdWithoutFeed(std::string_view id);

} // namespace zentavo
