#pragma once
// Turning a channel into a player page: the three templates, FillTemplate, and the lookup that
// gives the page of one play (catalogue item -> deciphered address -> media kind -> filled template).

#include "channels/media_kind.h"
#include "text/request_headers.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace zentavo {

// The template text of a media kind (CR LF line ends, ASCII), from the program's resources:
// Label_wmp for WindowsMedia, Label_rm for Real, Label_photo for Snapshot.
std::string PlayerTemplate(MediaKind kind);

struct FillOptions {
    bool originalSize = true; // "Original size" chosen in the channel list window
    std::string channelName; // CurrentChannelName (TITLE)
};

// Replaces every "%|NAME|%" placeholder of the template in one pass: a placeholder that a value
// holds is never filled. Each value is encoded for its place (script string, attribute, text).
std::string FillTemplate(std::string_view templateText, std::string_view address, const FillOptions& options);

struct PreparedPlay {
    int mediaKind = 0; // imgindex as an integer, 0 when it is not one (may be outside 0..2)
    std::string address; // deciphered and trimmed
    std::string page; // filled template; empty for a kind outside 0..2
    RequestHeaders headers; // what every request of the play sends (the allowed ones of the item's)
};

class CatalogueIndexes;

// FindChannel + DecipherString + imgindex + FillTemplate. Throws ListFileError when the catalogue
// cannot be loaded and the cipher's errors for a malformed url; nothing when the id is not found.
// With indexes, the item is read at its place when the catalogue's index is good.
std::optional<PreparedPlay> PreparePlay(const std::filesystem::path& cataloguePath, std::string_view channelId,
                                        std::string_view passphrase, const FillOptions& options,
                                        const CatalogueIndexes* indexes = nullptr);

} // namespace zentavo
