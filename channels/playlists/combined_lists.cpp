#include "combined_lists.h"

#include "own_channel_id.h"

#include "channels/catalogue.h"
#include "channels/catalogue_index.h"
#include "channels/channel_id.h"
#include "channels/channel_lists.h"

#include <map>
#include <memory>
#include <string>

namespace zentavo {
namespace {

std::vector<PlaylistInfo> ReadablePlaylists(const PlaylistStore& store)
{
    try {
        return store.Playlists();
    } catch (const ListFileError&) {
        return {};
    }
}

void AppendOwnRows(std::vector<ListRow>& to, std::vector<ListRow>& from)
{
    for (ListRow& row : from) {
        row.caption += kOwnRowMarker;
        to.push_back(std::move(row));
    }
}

} // namespace

ChannelLists BuildAllChannelLists(const std::filesystem::path& shippedCatalogue, const PlaylistStore& store,
                                  CatalogueIndexes* indexes)
{
    std::map<std::string, std::shared_ptr<const CatalogueIndex>> places;
    // Reads one catalogue's rows, taking the places of its items when indexes are kept.
    const auto build = [&](const std::filesystem::path& path, HeldIds& held, IdFilter takes) {
        if (!indexes)
            return BuildChannelLists(path, held, takes);
        auto index = std::make_shared<CatalogueIndex>();
        ChannelLists built = BuildChannelLists(path, held, takes, *index);
        places[path.string()] = std::move(index);
        return built;
    };
    HeldIds held;
    ChannelLists lists = build(shippedCatalogue, held, nullptr);
    for (const PlaylistInfo& playlist : ReadablePlaylists(store)) {
        ChannelLists own;
        try {
            own = build(store.CataloguePath(playlist), held, IsOwnChannelId);
        } catch (const ListFileError&) {
            continue;
        }
        AppendOwnRows(lists.tv, own.tv);
        AppendOwnRows(lists.radio, own.radio);
        AppendOwnRows(lists.webcam, own.webcam);
        AppendOwnRows(lists.leftOut, own.leftOut);
    }
    if (indexes)
        indexes->Replace(std::move(places));
    return lists;
}

std::filesystem::path CatalogueShowing(const std::filesystem::path& shippedCatalogue, const PlaylistStore& store,
                                       std::string_view id, const CatalogueIndexes* indexes)
{
    const std::string_view trimmed = TrimXmlSpace(id);
    // Only an own id can be shown from an own catalogue (the lists leave the others out).
    if (!IsOwnChannelId(trimmed))
        return shippedCatalogue;
    try {
        if (FindRecord(shippedCatalogue, trimmed, indexes))
            return shippedCatalogue;
    } catch (const ListFileError&) {
        return shippedCatalogue; // playing it says so
    }
    return store.CatalogueHolding(trimmed, indexes).value_or(shippedCatalogue);
}

std::vector<std::filesystem::path> AllCataloguePaths(const std::filesystem::path& shippedCatalogue,
                                                     const PlaylistStore& store)
{
    std::vector<std::filesystem::path> paths{shippedCatalogue};
    for (const PlaylistInfo& playlist : ReadablePlaylists(store))
        paths.push_back(store.CataloguePath(playlist));
    return paths;
}

} // namespace zentavo
