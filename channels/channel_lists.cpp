#include "channel_lists.h"

#include "catalogue.h"

namespace zentavo {

ChannelLists BuildChannelLists(const std::filesystem::path& cataloguePath)
{
    const Catalogue catalogue = Catalogue::Load(cataloguePath);
    ChannelLists lists;
    catalogue.ForEachChannel([&lists](const ChannelRecord& record) {
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
        ListRow& row = list->emplace_back();
        row.caption.reserve(record.country.size() + record.name.size() + record.bandwidth.size() + 8);
        row.caption.append(" ").append(record.country).append(" - ").append(record.name);
        if (!record.bandwidth.empty())
            row.caption.append("  (").append(record.bandwidth).append(")");
        row.id = record.id;
        // An imgindex that is not a decimal integer leaves the row without an icon; the row
        // itself, and every other row, is listed as usual.
        row.iconIndex = IconIndexOf(record.imgindex);
    });
    return lists;
}

} // namespace zentavo
