#pragma once
// Where the gateway may connect for a play: anywhere, for a channel whose own address is local, or
// only to public hosts, for a public channel (its playlists and segments may not lead to this
// machine or a private network).

namespace zentavo {

enum class SourceReach { Anywhere, PublicOnly };

} // namespace zentavo
