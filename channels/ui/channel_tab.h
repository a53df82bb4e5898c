#pragma once
// The tabs of the channel list window, in their order, and the favourites commands it runs.

namespace zentavo {

enum class ChannelTab { Tv = 0, Radio = 1, Webcams = 2, Favourites = 3 };

// ADD, DEL and ADDCOMMENT on the favourites file.
enum class FavouritesCommand { Add, Remove, AddComment };

} // namespace zentavo
