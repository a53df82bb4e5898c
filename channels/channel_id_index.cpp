#include "channel_id_index.h"

#include "channel_id.h"

#include <algorithm>
#include <charconv>

namespace zentavo {

namespace {

// Every id of up to 19 digits fits in 64 bits.
constexpr std::size_t kMaxNumberDigits = 19;

std::uint64_t NumberOf(std::string_view digits)
{
    std::uint64_t number = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), number);
    return number;
}

bool LessNumber(const std::pair<std::uint64_t, XmlElement>& entry, std::uint64_t number)
{
    return entry.first < number;
}

} // namespace

ChannelIdIndex::ChannelIdIndex(const Catalogue& catalogue)
{
    catalogue.ForEachItem([this](const XmlElement& item, std::string_view id) {
        if (!IsCanonicalChannelId(id))
            return;
        if (id.size() <= kMaxNumberDigits)
            byNumber_.emplace_back(NumberOf(id), item);
        else
            byLongId_.try_emplace(std::string(id), item);
    });
    std::stable_sort(byNumber_.begin(), byNumber_.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
}

std::optional<XmlElement> ChannelIdIndex::Find(std::string_view id) const
{
    if (!IsCanonicalChannelId(id))
        return std::nullopt;
    if (id.size() > kMaxNumberDigits) {
        const auto found = byLongId_.find(std::string(id));
        if (found == byLongId_.end())
            return std::nullopt;
        return found->second;
    }
    const std::uint64_t number = NumberOf(id);
    const auto found = std::lower_bound(byNumber_.begin(), byNumber_.end(), number, LessNumber);
    if (found == byNumber_.end() || found->first != number)
        return std::nullopt;
    return found->second;
}

} // namespace zentavo
