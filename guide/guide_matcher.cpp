#include "guide_matcher.h"

#include "channel_name_folding.h"

namespace zentavo {

GuideMatcher::GuideMatcher(const std::vector<GuideListChannel>& channels) : best_(channels.size())
{
    for (std::uint32_t i = 0; i < channels.size(); ++i) {
        const GuideListChannel& channel = channels[i];
        if (!channel.tvgId.empty()) {
            byId_[channel.tvgId].push_back(i);
            byLowerId_[LowerAsciiId(channel.tvgId)].push_back(i);
            const std::string_view withoutFeed = IdWithoutFeed(channel.tvgId);
            if (withoutFeed.size() != channel.tvgId.size())
                byLowerIdWithoutFeed_[LowerAsciiId(withoutFeed)].push_back(i);
        }
        std::string tvgName = channel.tvgName.empty() ? std::string() : FoldChannelName(channel.tvgName);
        if (!tvgName.empty())
            byFoldedName_[tvgName].push_back(i);
        const std::string name = FoldChannelName(channel.name);
        if (!name.empty() && name != tvgName)
            byFoldedName_[name].push_back(i);
    }
}

bool GuideMatcher::Consider(const Index& index, const std::string& key, std::int64_t row, GuideMatchKind kind)
{
    const auto found = index.find(key);
    if (found == index.end())
        return false;
    for (const std::uint32_t listIndex : found->second) {
        std::optional<Match>& best = best_[listIndex];
        if (!best || GuideMatchRank(kind) < GuideMatchRank(best->kind))
            best = Match{row, kind};
    }
    return true;
}

bool GuideMatcher::MatchesId(std::string_view id) const
{
    const std::string lowerId = LowerAsciiId(id);
    return byId_.contains(std::string(id)) || byLowerId_.contains(lowerId) || byLowerIdWithoutFeed_.contains(lowerId);
}

bool GuideMatcher::Offer(std::int64_t row, std::string_view id, const std::vector<std::string>& names)
{
    bool wanted = Consider(byId_, std::string(id), row, GuideMatchKind::Id);
    const std::string lowerId = LowerAsciiId(id);
    wanted = Consider(byLowerId_, lowerId, row, GuideMatchKind::IdIgnoringCase) || wanted;
    wanted = Consider(byLowerIdWithoutFeed_, lowerId, row, GuideMatchKind::IdWithoutFeed) || wanted;
    for (const std::string& name : names) {
        const std::string folded = FoldChannelName(name);
        if (!folded.empty())
            wanted = Consider(byFoldedName_, folded, row, GuideMatchKind::Name) || wanted;
    }
    return wanted;
}

} // namespace zentavo
