#pragma once
// The channels whose programmes a reading of the guide keeps: those of the shipped catalogue and of
// the user's own playlists, with what matching needs of each.

#include "guide_types.h"

#include <filesystem>
#include <vector>

namespace zentavo {

class Catalogue;
class PlaylistStore;

// id, name, and the guide keys an imported list gave (tvgid, tvgname, tvgshift elements).
std::vector<GuideListChannel> GuideListChannelsOf(const Catalogue& catalogue);

// The shipped catalogue's channels, then each own playlist's. A catalogue that cannot be read is
// passed over: the guide then simply has nothing for its channels.
std::vector<GuideListChannel> CollectGuideListChannels(const std::filesystem::path& shippedCatalogue,
                                                       const PlaylistStore& playlists);

} // namespace zentavo
