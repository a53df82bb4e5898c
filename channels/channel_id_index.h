#pragma once
// Lookup by id over a whole catalogue at once, for callers that look up many ids in one document
// (the favourites list): one pass over the items instead of one walk per id, with the same result
// as Catalogue::FindChannel.

#include "catalogue.h"

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace zentavo {

class ChannelIdIndex {
public:
    // The catalogue must outlive the index.
    explicit ChannelIdIndex(const Catalogue& catalogue);

    // The first item, in document order, that Catalogue::FindChannel finds for that id.
    std::optional<XmlElement> Find(std::string_view id) const;

private:
    // Keyed by the id text as written (trimmed); only ids that can name a channel, first item wins.
    std::unordered_map<std::string, XmlElement> byId_;
};

} // namespace zentavo
