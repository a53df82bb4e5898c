#include "channel_lists.h"

#include "catalogue.h"
#include "catalogue_index.h"
#include "channel_id.h"
#include "channel_id_set.h"

#include "text/format_characters.h"

#include <algorithm>

namespace zentavo {

namespace {

// The rows a message names one by one; the rest are counted.
constexpr std::size_t kNamedLeftOutRows = 20;

// Rows of items that no lookup can find (not an "item" of "items") whose id no findable item before
// them had: a findable item after them with that id would be what playing the id finds.
struct UndecidedRow {
    std::vector<ListRow>* list;
    std::size_t index; // in list
    std::size_t order; // position among the catalogue's children
};

// Moves the undecided rows whose id a findable item has into leftOut, in file order.
void LeaveOutShadowedRows(ChannelLists& lists, std::vector<std::size_t>& leftOutOrder,
                          const std::vector<UndecidedRow>& undecided, const ChannelIdSet& findable)
{
    std::vector<std::pair<std::size_t, ListRow>> moved;
    for (const UndecidedRow& row : undecided) {
        ListRow& listed = (*row.list)[row.index];
        if (!findable.contains(listed.id))
            continue;
        moved.emplace_back(row.order, std::move(listed));
        listed.id = "\n"; // no id has a line end: marks the place for removal
    }
    if (moved.empty())
        return;
    for (std::vector<ListRow>* list : {&lists.tv, &lists.radio, &lists.webcam})
        std::erase_if(*list, [](const ListRow& row) { return row.id == "\n"; });
    std::vector<ListRow> leftOut;
    leftOut.reserve(lists.leftOut.size() + moved.size());
    std::size_t a = 0;
    std::size_t b = 0;
    while (a < lists.leftOut.size() || b < moved.size()) {
        if (b == moved.size() || (a < lists.leftOut.size() && leftOutOrder[a] < moved[b].first))
            leftOut.push_back(std::move(lists.leftOut[a++]));
        else
            leftOut.push_back(std::move(moved[b++].second));
    }
    lists.leftOut = std::move(leftOut);
}

ChannelLists BuildLists(const std::filesystem::path& cataloguePath, HeldIds* held, IdFilter takes,
                        CatalogueIndex* index)
{
    ChannelLists lists;
    // The ids of the items a lookup can find, read so far: the first item of each id is the one
    // playing the id finds.
    ChannelIdSet findable;
    // Ids of this catalogue join held once it is read: within it, the rule above decides. They are
    // the findable ids and these, of the items no lookup finds.
    std::vector<std::string> unfindableIds;
    std::vector<std::size_t> leftOutOrder;
    std::vector<UndecidedRow> undecided;
    std::size_t order = 0;
    const auto visit = [&](const ChannelRecord& record, bool isFindable, std::uint64_t place) {
        const std::size_t position = order++;
        const std::string_view id = TrimXmlSpace(record.id);
        if (index)
            index->Add(id, isFindable, place);
        if (takes && !takes(id))
            return Catalogue::StreamVisit::Continue;
        const bool canonical = IsCanonicalChannelId(id);
        if (held && canonical && !isFindable)
            unfindableIds.emplace_back(id);
        // Playing looks the id up: when that finds another item (an earlier one with the same
        // id, in this catalogue or in one read before), the row would play that item's stream under
        // this row's name.
        bool shadowed = false;
        bool maybeShadowed = false;
        if (canonical) {
            if (isFindable)
                shadowed = !findable.insert(id);
            else if (findable.contains(id))
                shadowed = true;
            else
                maybeShadowed = true; // by a findable item further on
            shadowed = shadowed || (held && held->contains(id));
        }
        // type2 is compared exactly; an item of any other type has no list and is skipped.
        std::vector<ListRow>* list = nullptr;
        if (record.type2 == "tv")
            list = &lists.tv;
        else if (record.type2 == "radio")
            list = &lists.radio;
        else if (record.type2 == "webcam")
            list = &lists.webcam;
        else
            return Catalogue::StreamVisit::Continue;
        if (shadowed) {
            list = &lists.leftOut;
            leftOutOrder.push_back(position);
        } else if (maybeShadowed) {
            undecided.push_back(UndecidedRow{list, list->size(), position});
        }
        ListRow& row = list->emplace_back();
        row.caption.reserve(record.country.size() + record.name.size() + record.bandwidth.size() + 8);
        row.caption.append(" ").append(record.country).append(" - ").append(record.name);
        if (!record.bandwidth.empty())
            row.caption.append("  (").append(record.bandwidth).append(")");
        // A direction override in a name (lists written before the import removed them, or by
        // hand) would reverse the rest of the row, the marks the lists add after it included.
        RemoveHiddenFormatCharacters(row.caption);
        row.id = id;
        // An imgindex that is not a decimal integer leaves the row without an icon; the row
        // itself, and every other row, is listed as usual.
        row.iconIndex = IconIndexOf(record.imgindex);
        row.logo = TrimXmlSpace(record.logo);
        row.group = TrimXmlSpace(record.group);
        RemoveHiddenFormatCharacters(row.group);
        row.number = TrimXmlSpace(record.number);
        // Only a plain number sorts as one; a catalogue edited by hand may hold anything.
        if (row.number.size() > 9 || row.number.find_first_not_of("0123456789") != std::string::npos)
            row.number.clear();
        row.number.erase(0, std::min(row.number.find_first_not_of('0'), row.number.size() - 1));
        return Catalogue::StreamVisit::Continue;
    };
    if (index)
        index->Finish(Catalogue::StreamWithPlaces(cataloguePath, visit));
    else
        Catalogue::Stream(cataloguePath,
                          [&](const ChannelRecord& record, bool isFindable) { return visit(record, isFindable, 0); });
    LeaveOutShadowedRows(lists, leftOutOrder, undecided, findable);
    if (held) {
        held->insert_all(findable);
        for (const std::string& id : unfindableIds)
            held->insert(id);
    }
    return lists;
}

} // namespace

ChannelLists BuildChannelLists(const std::filesystem::path& cataloguePath)
{
    return BuildLists(cataloguePath, nullptr, nullptr, nullptr);
}

ChannelLists BuildChannelLists(const std::filesystem::path& cataloguePath, HeldIds& held, IdFilter takes)
{
    return BuildLists(cataloguePath, &held, takes, nullptr);
}

ChannelLists BuildChannelLists(const std::filesystem::path& cataloguePath, HeldIds& held, IdFilter takes,
                               CatalogueIndex& index)
{
    return BuildLists(cataloguePath, &held, takes, &index);
}

std::string LeftOutRowsMessage(const std::vector<ListRow>& leftOut)
{
    if (leftOut.empty())
        return {};
    std::string text = leftOut.size() == 1
        ? "One channel in the channel list has the same id as a channel before it. It would play the "
          "earlier channel, so it is left out of the lists:\n"
        : std::to_string(leftOut.size())
            + " channels in the channel list have the same id as a channel before them. They would play "
              "the earlier channel, so they are left out of the lists:\n";
    for (std::size_t i = 0; i < leftOut.size() && i < kNamedLeftOutRows; ++i) {
        std::string_view caption = leftOut[i].caption;
        if (!caption.empty() && caption.front() == ' ')
            caption.remove_prefix(1);
        text.append("\n").append(caption).append(" (id ").append(leftOut[i].id).append(")");
    }
    if (leftOut.size() > kNamedLeftOutRows)
        text.append("\nand ").append(std::to_string(leftOut.size() - kNamedLeftOutRows)).append(" more.");
    return text;
}

} // namespace zentavo
