#pragma once
// Lookup by id over a whole catalogue at once, for callers that look up many ids in one document
// (the favourites list, the duplicate check of the channel lists): one pass over the items
// instead of one walk per id, with the same result as Catalogue::FindChannel.

#include "catalogue.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace zentavo {

class ChannelIdIndex {
public:
    // The catalogue must outlive the index.
    explicit ChannelIdIndex(const Catalogue& catalogue);

    // The first item, in document order, that Catalogue::FindChannel finds for that id.
    std::optional<XmlElement> Find(std::string_view id) const;

private:
    // Only ids that can name a channel are kept. One spelling per number makes the number a key
    // as exact as the text; sorted by number, document order kept among equal numbers.
    std::vector<std::pair<std::uint64_t, XmlElement>> byNumber_;
    // Ids too long for 64 bits, by their text; the first item wins.
    std::unordered_map<std::string, XmlElement> byLongId_;
};

} // namespace zentavo
