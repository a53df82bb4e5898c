// Catalogue loading from any bytes: a document that loads can be enumerated, searched by each
// of its ids (the single lookup and the index agree, and find an item of exactly that id),
// prepared, saved and loaded again with the same records.
#include "channels/catalogue.h"
#include "channels/channel_id.h"
#include "channels/channel_id_index.h"
#include "channels/preparation.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

std::vector<zentavo::ChannelRecord> Records(const zentavo::Catalogue& catalogue)
{
    std::vector<zentavo::ChannelRecord> records;
    catalogue.ForEachChannel([&records](const zentavo::ChannelRecord& record) { records.push_back(record); });
    return records;
}

bool Same(const zentavo::ChannelRecord& a, const zentavo::ChannelRecord& b)
{
    return a.id == b.id && a.name == b.name && a.country == b.country && a.bandwidth == b.bandwidth
        && a.type2 == b.type2 && a.imgindex == b.imgindex && a.url == b.url;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::optional<zentavo::XmlDocument> document;
    try {
        document.emplace(zentavo::XmlDocument::LoadBytes(bytes));
    } catch (const zentavo::XmlError&) {
        return 0;
    }
    const zentavo::Catalogue catalogue = zentavo::Catalogue::FromDocument(std::move(*document));
    const std::vector<zentavo::ChannelRecord> records = Records(catalogue);
    const zentavo::ChannelIdIndex index(catalogue);
    std::size_t lookups = 0;
    for (const auto& record : records) {
        if (++lookups > 8)
            break;
        const std::string_view id = zentavo::TrimXmlSpace(record.id);
        const auto direct = catalogue.FindChannel(id);
        const auto indexed = index.Find(id);
        if (direct.has_value() != indexed.has_value() || (direct && !(*direct == *indexed)))
            std::abort();
        // Only an id in plain digits finds anything, and then an item of exactly that id.
        if (direct
            && (!zentavo::IsCanonicalChannelId(id)
                || zentavo::TrimXmlSpace(zentavo::Catalogue::ReadRecord(*direct).id) != id))
            std::abort();
        if (!zentavo::IsCanonicalChannelId(id) && catalogue.FindChannel(record.id))
            std::abort();
        (void)zentavo::IconIndexOf(record.imgindex);
    }

    // Saved and loaded again, the document gives the same records.
    const std::string saved = catalogue.Document().SaveToBytes();
    const zentavo::Catalogue again = zentavo::Catalogue::FromDocument(zentavo::XmlDocument::LoadBytes(saved));
    const std::vector<zentavo::ChannelRecord> reloaded = Records(again);
    if (reloaded.size() != records.size())
        std::abort();
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (!Same(records[i], reloaded[i]))
            std::abort();
    }

    // Preparation works on anything that loads and still saves a loadable document.
    zentavo::XmlDocument prepared = zentavo::XmlDocument::LoadBytes(saved);
    zentavo::AnnotateMediaKinds(prepared);
    zentavo::EncipherCatalogueAddresses(prepared, "fuzz key");
    (void)zentavo::XmlDocument::LoadBytes(prepared.SaveToBytes());
    return 0;
}
