#include "channel_id_index.h"

#include "channel_id.h"

namespace zentavo {

ChannelIdIndex::ChannelIdIndex(const Catalogue& catalogue)
{
    catalogue.ForEachItem([this](const XmlElement& item, std::string_view id) {
        if (IsCanonicalChannelId(id))
            byId_.try_emplace(std::string(id), item);
    });
}

std::optional<XmlElement> ChannelIdIndex::Find(std::string_view id) const
{
    if (!IsCanonicalChannelId(id))
        return std::nullopt;
    const auto found = byId_.find(std::string(id));
    if (found == byId_.end())
        return std::nullopt;
    return found->second;
}

} // namespace zentavo
