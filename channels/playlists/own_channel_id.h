#pragma once
// Ids of the channels of the user's own playlists. They lie in a range of their own, far above any id
// the shipped catalogue uses or will use (it numbers its items from 1), so the two never meet; and an
// id comes from the channel's address, so reading the same list again gives the same ids and the
// favourites of its channels survive a refresh.

#include "channels/import/playlist_import.h"
#include "channels/number_set.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace zentavo {

// Own ids are the 16-digit numbers kOwnIdFirst .. kOwnIdFirst + kOwnIdCount - 1.
inline constexpr std::uint64_t kOwnIdFirst = 1'000'000'000'000'000ULL;
inline constexpr std::uint64_t kOwnIdCount = 1'000'000'000'000'000ULL;

// The id is a channel id (channel_id.h) within the own range.
bool IsOwnChannelId(std::string_view id);

// The id an address asks for: a 64-bit FNV-1a hash of the address, scheme and host in lower case
// (the import takes "HTTP://Host/x" and "http://host/x" for one address), folded into the range.
std::uint64_t PreferredOwnId(std::string_view address);

// One id a channel, in the channels' order. A channel whose address had an id before (previous, by
// AddressKey) keeps it; the others take PreferredOwnId and, when that is taken, the next number
// of the range that is free (wrapping at its end). taken holds the ids of the user's other playlists.
// The same channels, previous and taken always give the same ids.
std::vector<std::uint64_t> AssignOwnIds(const std::vector<ImportedChannel>& channels,
                                        const std::unordered_map<std::string, std::uint64_t>& previous,
                                        NumberSet taken);

} // namespace zentavo
