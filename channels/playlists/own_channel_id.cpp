#include "own_channel_id.h"

#include "channels/channel_id.h"
#include "channels/import/address_check.h"

#include <charconv>

namespace zentavo {

bool IsOwnChannelId(std::string_view id)
{
    if (!IsCanonicalChannelId(id))
        return false;
    std::uint64_t number = 0;
    const auto [end, error] = std::from_chars(id.data(), id.data() + id.size(), number);
    return error == std::errc() && end == id.data() + id.size() && number >= kOwnIdFirst
        && number - kOwnIdFirst < kOwnIdCount;
}

std::uint64_t PreferredOwnId(std::string_view address)
{
    std::uint64_t hash = 14695981039346656037ULL;
    for (const char c : AddressKey(address)) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ULL;
    }
    return kOwnIdFirst + hash % kOwnIdCount;
}

std::vector<std::uint64_t> AssignOwnIds(const std::vector<ImportedChannel>& channels,
                                        const std::unordered_map<std::string, std::uint64_t>& previous, NumberSet taken)
{
    std::vector<std::uint64_t> ids(channels.size(), 0);
    taken.reserve(taken.size() + channels.size());
    // Ids the channels had before come first, so that a new channel never takes one of them.
    if (!previous.empty()) {
        for (size_t i = 0; i < channels.size(); ++i) {
            const auto found = previous.find(AddressKey(channels[i].url));
            if (found != previous.end() && taken.insert(found->second))
                ids[i] = found->second;
        }
    }
    for (size_t i = 0; i < channels.size(); ++i) {
        if (ids[i] != 0)
            continue;
        std::uint64_t id = PreferredOwnId(channels[i].url);
        while (!taken.insert(id))
            id = id + 1 == kOwnIdFirst + kOwnIdCount ? kOwnIdFirst : id + 1;
        ids[i] = id;
    }
    return ids;
}

} // namespace zentavo
