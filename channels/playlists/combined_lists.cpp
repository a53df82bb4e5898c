#include "combined_lists.h"

#include "own_channel_id.h"

#include "channels/catalogue.h"
#include "channels/channel_id.h"
#include "channels/channel_lists.h"

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

ChannelLists BuildAllChannelLists(const std::filesystem::path& shippedCatalogue, const PlaylistStore& store)
{
    HeldIds held;
    ChannelLists lists = BuildChannelLists(shippedCatalogue, held);
    for (const PlaylistInfo& playlist : ReadablePlaylists(store)) {
        ChannelLists own;
        try {
            own = BuildChannelLists(store.CataloguePath(playlist), held, IsOwnChannelId);
        } catch (const ListFileError&) {
            continue;
        }
        AppendOwnRows(lists.tv, own.tv);
        AppendOwnRows(lists.radio, own.radio);
        AppendOwnRows(lists.webcam, own.webcam);
        AppendOwnRows(lists.leftOut, own.leftOut);
    }
    return lists;
}

std::filesystem::path CatalogueShowing(const std::filesystem::path& shippedCatalogue, const PlaylistStore& store,
                                       std::string_view id)
{
    const std::string_view trimmed = TrimXmlSpace(id);
    // Only an own id can be shown from an own catalogue (the lists leave the others out).
    if (!IsOwnChannelId(trimmed))
        return shippedCatalogue;
    try {
        if (Catalogue::FindRecordInFile(shippedCatalogue, trimmed))
            return shippedCatalogue;
    } catch (const ListFileError&) {
        return shippedCatalogue; // playing it says so
    }
    return store.CatalogueHolding(trimmed).value_or(shippedCatalogue);
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
