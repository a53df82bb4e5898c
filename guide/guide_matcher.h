#pragma once
// Finds each list channel's guide channel while the guide's channels stream past. In order of
// preference: tvg-id equal to the guide channel's id; the same ignoring case; tvg-id without its
// "@feed" part, ignoring case; tvg-name or the channel's name equal to one of the guide channel's
// display names, both folded (FoldChannelName). Of two guide channels that match a list channel
// equally well, the first one read wins.

#include "guide_types.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace zentavo {

class GuideMatcher {
public:
    explicit GuideMatcher(const std::vector<GuideListChannel>& channels);

    // A guide channel (its row in the new guide, id and display names): true when it is the match,
    // or a candidate, of some list channel, so its programmes are worth keeping.
    bool Offer(std::int64_t row, std::string_view id, const std::vector<std::string>& names);

    // Whether a guide channel of that id would match some list channel by its id alone (one that
    // programmes name without the guide declaring it).
    bool MatchesId(std::string_view id) const;

    struct Match {
        std::int64_t row = 0;
        GuideMatchKind kind = GuideMatchKind::Id;
    };
    // The best guide channel offered for the list channel at that position, if any.
    std::optional<Match> Best(std::size_t listIndex) const { return best_[listIndex]; }
    std::size_t Size() const { return best_.size(); }

private:
    using Index = std::unordered_map<std::string, std::vector<std::uint32_t>>;
    bool Consider(const Index& index, const std::string& key, std::int64_t row, GuideMatchKind kind);

    Index byId_, byLowerId_, byLowerIdWithoutFeed_, byFoldedName_;
    std::vector<std::optional<Match>> best_;
};

} // namespace zentavo
