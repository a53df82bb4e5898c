#include "catalogue_index.h"

#include "channel_id.h"

#include <algorithm>
#include <charconv>

namespace zentavo {
namespace {

constexpr std::size_t kMaxNumberDigits = 19; // every id of up to 19 digits fits in 64 bits

std::uint64_t NumberOf(std::string_view digits)
{
    std::uint64_t number = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), number);
    return number;
}

} // namespace

void CatalogueIndex::Add(std::string_view id, bool findable, std::uint64_t place)
{
    if (!findable)
        return;
    id = TrimXmlSpace(id);
    if (!IsCanonicalChannelId(id))
        return; // no lookup finds it
    if (id.size() > kMaxNumberDigits)
        longIds_ = true;
    else
        places_.push_back(Place{NumberOf(id), place});
}

void CatalogueIndex::Finish(const Catalogue::StreamedFile& file)
{
    stamp_ = file.stamp;
    usable_ = file.plain;
    if (!usable_) {
        places_ = {};
        return;
    }
    // A lookup finds the first item of an id: of equal ids the lowest place stays.
    std::sort(places_.begin(), places_.end(),
              [](const Place& a, const Place& b) { return a.id != b.id ? a.id < b.id : a.place < b.place; });
    places_.erase(
        std::unique(places_.begin(), places_.end(), [](const Place& a, const Place& b) { return a.id == b.id; }),
        places_.end());
    places_.shrink_to_fit();
}

std::optional<std::optional<ChannelRecord>> CatalogueIndex::Find(const std::filesystem::path& path,
                                                                 std::string_view id) const
{
    using Known = std::optional<std::optional<ChannelRecord>>;
    const Known absent{std::optional<ChannelRecord>()};
    if (!usable_)
        return std::nullopt;
    if (!IsCanonicalChannelId(id))
        return absent;
    if (id.size() > kMaxNumberDigits)
        return longIds_ ? Known() : absent;
    const std::uint64_t number = NumberOf(id);
    const auto found = std::lower_bound(places_.begin(), places_.end(), number,
                                        [](const Place& place, std::uint64_t value) { return place.id < value; });
    if (found == places_.end() || found->id != number) {
        // Not held, as long as the file is the one indexed.
        if (CurrentFileStamp(path) == stamp_)
            return absent;
        return std::nullopt;
    }
    std::optional<Catalogue::PlacedItem> item = Catalogue::ReadItemAt(path, stamp_, found->place);
    // The item read there must be the one indexed; anything else (a file changed within the same
    // stamp) is left to the reading item by item.
    if (!item || !item->findable || TrimXmlSpace(item->record.id) != id)
        return std::nullopt;
    return Known(std::optional<ChannelRecord>(std::move(item->record)));
}

void CatalogueIndexes::Replace(std::map<std::string, std::shared_ptr<const CatalogueIndex>> indexes)
{
    {
        const std::lock_guard lock(mutex_);
        indexes_.swap(indexes);
    }
    // The indexes replaced are freed here, after the lock: a lookup never waits for that.
}

std::shared_ptr<const CatalogueIndex> CatalogueIndexes::Of(const std::filesystem::path& path) const
{
    const std::lock_guard lock(mutex_);
    const auto found = indexes_.find(path.string());
    return found == indexes_.end() ? nullptr : found->second;
}

std::optional<ChannelRecord> FindRecord(const std::filesystem::path& path, std::string_view id,
                                        const CatalogueIndexes* indexes)
{
    if (indexes) {
        if (const std::shared_ptr<const CatalogueIndex> index = indexes->Of(path)) {
            if (auto known = index->Find(path, id))
                return std::move(*known);
        }
    }
    return Catalogue::FindRecordInFile(path, id);
}

} // namespace zentavo
