#include "favourites_store.h"

#include "catalogue.h"
#include "channel_id.h"
#include "channel_id_set.h"
#include "xml_document.h"

#include "text/format_characters.h"

#include <algorithm>
#include <stdexcept>
#include <system_error>
#include <unordered_map>

namespace zentavo {

namespace {

// A link counts as the file it points to: a dangling one is a store still to be created, at the
// link's target, as the save writes through links.
bool FileExists(const std::filesystem::path& path)
{
    std::error_code error;
    const bool exists = std::filesystem::exists(path, error);
    return exists && !error;
}

// Loads the store, creating an empty one first when there is no file. A file that exists but
// is not a favourites store (unreadable, not well-formed, another root) raises ListFileError
// and is left untouched: nothing that follows may overwrite it.
XmlDocument LoadStore(const std::filesystem::path& path)
{
    if (!FileExists(path))
        CreateEmptyFavourites(path);
    try {
        XmlDocument document = XmlDocument::LoadFile(path);
        if (document.Root().Name() != "items")
            throw ListFileError(path.string() + ": the root element is not 'items'");
        return document;
    } catch (const XmlError& error) {
        throw ListFileError(error.what());
    }
}

// The number a favourite's id stands for, as the digits without leading zeros ("0" for zero);
// nothing when the text, XML white space around it aside, is not digits alone.
std::optional<std::string_view> IdNumber(std::string_view id)
{
    id = TrimXmlSpace(id);
    if (id.empty() || !std::all_of(id.begin(), id.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    while (id.size() > 1 && id.front() == '0')
        id.remove_prefix(1);
    return id;
}

// The first "item" under the root "items" whose id attribute stands for the same number as id.
// The id is data: compared, never evaluated, and text that is not a number finds nothing.
std::optional<XmlElement> FindFavourite(const XmlDocument& store, std::string_view id)
{
    const std::optional<std::string_view> wanted = IdNumber(id);
    const XmlElement root = store.Root();
    if (!wanted || !root.HasPlainName("items"))
        return std::nullopt;
    for (auto item = root.FirstChildElement(); item; item = item->NextSiblingElement()) {
        if (!item->HasPlainName("item"))
            continue;
        const std::optional<std::string> itemId = item->Attribute("id");
        if (itemId && IdNumber(*itemId) == wanted)
            return item;
    }
    return std::nullopt;
}

} // namespace

void RequireChannelId(std::string_view id)
{
    // A decimal integer, possibly with the white space of a hand-formatted catalogue around it;
    // anything else could never be selected again, and each ADD would append it anew.
    if (!IdNumber(id))
        throw std::invalid_argument("'" + std::string(id) + "' is not a channel id");
}

void CreateEmptyFavourites(const std::filesystem::path& path)
{
    XmlDocument::Create("items").SaveFile(path);
}

EditResult AddFavourite(const std::filesystem::path& path, std::string_view id)
{
    RequireChannelId(id);
    XmlDocument store = LoadStore(path);
    if (FindFavourite(store, id))
        return EditResult::Unchanged;
    XmlElement item = store.Root().AppendChild("item");
    item.SetAttribute("id", id);
    item.SetAttribute("comment", "");
    store.SaveFile(path);
    return EditResult::Changed;
}

EditResult RemoveFavourite(const std::filesystem::path& path, std::string_view id)
{
    XmlDocument store = LoadStore(path);
    auto item = FindFavourite(store, id);
    if (!item)
        return EditResult::Unchanged;
    item->Remove();
    store.SaveFile(path);
    return EditResult::Changed;
}

std::optional<std::string> FavouriteComment(const std::filesystem::path& path, std::string_view id)
{
    const XmlDocument store = LoadStore(path);
    const auto item = FindFavourite(store, id);
    if (!item)
        return std::nullopt;
    return item->Attribute("comment").value_or(std::string());
}

EditResult SetFavouriteComment(const std::filesystem::path& path, std::string_view id, std::string_view comment)
{
    XmlDocument store = LoadStore(path);
    auto item = FindFavourite(store, id);
    if (!item)
        return EditResult::Unchanged;
    item->SetAttribute("comment", comment);
    store.SaveFile(path);
    return EditResult::Changed;
}

std::vector<ListRow> BuildFavouriteRows(const std::filesystem::path& favouritesPath,
                                        const std::filesystem::path& cataloguePath)
{
    return BuildFavouriteRows(favouritesPath, std::vector<std::filesystem::path>{cataloguePath});
}

std::vector<ListRow> BuildFavouriteRows(const std::filesystem::path& favouritesPath,
                                        const std::vector<std::filesystem::path>& cataloguePaths)
{
    if (!FileExists(favouritesPath))
        CreateEmptyFavourites(favouritesPath);
    const XmlDocument store = LoadStore(favouritesPath);
    // The ids the favourites name: only their channels are kept from the catalogues, which are
    // read item by item (a catalogue of a million channels is never held whole).
    ChannelIdSet wanted;
    for (auto favourite = store.Root().FirstChildElement(); favourite; favourite = favourite->NextSiblingElement())
        wanted.insert(TrimXmlSpace(favourite->Attribute("id").value_or(std::string())));
    // For each catalogue, the first findable item of each wanted id, as ChannelIdIndex finds it.
    std::vector<std::unordered_map<std::string, ChannelRecord>> found(cataloguePaths.size());
    for (size_t i = 0; i < cataloguePaths.size(); ++i) {
        // The first catalogue must load whole; another one is read only as far as it has to be.
        if (i > 0 && wanted.size() == 0)
            break;
        try {
            Catalogue::Stream(cataloguePaths[i], [&](const ChannelRecord& record, bool findable) {
                const std::string_view id = TrimXmlSpace(record.id);
                if (findable && wanted.contains(id))
                    found[i].try_emplace(std::string(id), record);
                return i > 0 && found[i].size() == wanted.size() ? Catalogue::StreamVisit::Stop
                                                                 : Catalogue::StreamVisit::Continue;
            });
        } catch (const ListFileError&) {
            if (i == 0)
                throw;
            found[i].clear(); // a catalogue that cannot be read holds no channel
        }
    }

    std::vector<ListRow> rows;
    for (auto favourite = store.Root().FirstChildElement(); favourite; favourite = favourite->NextSiblingElement()) {
        const std::string id = favourite->Attribute("id").value_or(std::string());
        const std::string bandwidth = favourite->Attribute("bandwidth").value_or(std::string());
        const std::string comment = favourite->Attribute("comment").value_or(std::string());
        std::string decoration;
        if (!bandwidth.empty())
            decoration.append("  (").append(bandwidth).append(")");
        if (!comment.empty())
            decoration.append("  [ ").append(comment).append(" ]");

        // A favourite whose channel no catalogue holds any more cannot show a name: left out.
        const ChannelRecord* channel = nullptr;
        const std::string trimmed(TrimXmlSpace(id));
        for (const auto& catalogue : found) {
            if (const auto item = catalogue.find(trimmed); item != catalogue.end()) {
                channel = &item->second;
                break;
            }
        }
        if (!channel)
            continue;
        ListRow& row = rows.emplace_back();
        row.caption = channel->country + " - " + channel->name + decoration;
        // A direction override in a name would reverse the rest of the row.
        RemoveHiddenFormatCharacters(row.caption);
        row.id = TrimXmlSpace(channel->id);
        row.iconIndex = IconIndexOf(channel->imgindex);
        row.logo = TrimXmlSpace(channel->logo);
    }
    return rows;
}

} // namespace zentavo
