#pragma once
// Lookup by id over a whole catalogue at once, for callers that look up many ids in one document
// (the favourites list): one pass over the items instead of one XPath walk per id, with the same
// result as Catalogue::FindChannel.

#include "catalogue.h"

#include <optional>
#include <string_view>
#include <unordered_map>

namespace zentavo {

class ChannelIdIndex {
public:
    // The catalogue must outlive the index.
    explicit ChannelIdIndex(const Catalogue& catalogue);

    // The first item, in document order, that "/items/item[id=" + id + "]" selects.
    std::optional<XmlElement> Find(std::string_view id) const;

private:
    const Catalogue& catalogue_;
    // "[id=17]" compares numbers: an item matches when any of its id children, read as an XPath
    // number, equals the literal. Keyed by that number; the first item in document order wins.
    std::unordered_map<double, XmlElement> byNumber_;
};

} // namespace zentavo
