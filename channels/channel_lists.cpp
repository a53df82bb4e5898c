#include "channel_lists.h"

#include "catalogue.h"
#include "channel_id.h"
#include "channel_id_index.h"

#include "text/format_characters.h"

namespace zentavo {

namespace {

// The rows a message names one by one; the rest are counted.
constexpr std::size_t kNamedLeftOutRows = 20;

} // namespace

ChannelLists BuildChannelLists(const std::filesystem::path& cataloguePath)
{
    const Catalogue catalogue = Catalogue::Load(cataloguePath);
    const ChannelIdIndex index(catalogue);
    ChannelLists lists;
    catalogue.ForEachChannel([&lists, &index](const XmlElement& element, const ChannelRecord& record) {
        // type2 is compared exactly; an item of any other type has no list and is skipped.
        std::vector<ListRow>* list = nullptr;
        if (record.type2 == "tv")
            list = &lists.tv;
        else if (record.type2 == "radio")
            list = &lists.radio;
        else if (record.type2 == "webcam")
            list = &lists.webcam;
        else
            return;
        const std::string_view id = TrimXmlSpace(record.id);
        // Playing looks the id up: when that finds another item (an earlier one with the same
        // id), the row would play that item's stream under this row's name.
        if (IsCanonicalChannelId(id)) {
            const auto found = index.Find(id);
            if (found && !(*found == element))
                list = &lists.leftOut;
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
    });
    return lists;
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
