#pragma once
// One play of a channel, from its id to the page file that the window shows: the catalogue that
// holds the id (the shipped one, or the user's own playlist that has it), its deciphered address
// and media kind, the filled template, the page written into the scratch folder. No widgets: the
// window only shows the result.

#include "player/contract/page_plays.h"
#include "player/page_generation.h"

#include <filesystem>
#include <string>

namespace zentavo {

struct AppContext;
class ScratchFolder;

// What the window shows for a play.
struct ChannelPlay {
    int mediaKind = 0; // imgindex as an integer (0 when it is none); outside 0..2 no bar changes
    std::filesystem::path page; // the page file written for this play
    PagePlay reach = {}; // the channel's headers and whether its address is local (PlayerProfile::UrlForFile)
};

class ChannelPlayback {
public:
    // The paths and the passphrase are read from the context at each play; both must outlive this.
    ChannelPlayback(const AppContext& context, ScratchFolder& scratch);

    // Plays the channel with that id. Throws ListFileError when a catalogue cannot be loaded, and
    // std::runtime_error with the reason in words when the id names no channel, its address is
    // malformed, or the scratch folder cannot take the page; nothing is written then.
    ChannelPlay Play(const std::string& channelId, const FillOptions& options) const;

private:
    const AppContext& context_;
    ScratchFolder& scratch_;
};

} // namespace zentavo
