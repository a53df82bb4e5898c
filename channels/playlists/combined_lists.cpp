#include "combined_lists.h"

#include "own_channel_id.h"

#include "channels/catalogue.h"
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
        if (!IsOwnChannelId(row.id))
            continue;
        row.caption += kOwnRowMarker;
        to.push_back(std::move(row));
    }
}

} // namespace

ChannelLists BuildAllChannelLists(const std::filesystem::path& shippedCatalogue, const PlaylistStore& store)
{
    ChannelLists lists = BuildChannelLists(shippedCatalogue);
    for (const PlaylistInfo& playlist : ReadablePlaylists(store)) {
        ChannelLists own;
        try {
            own = BuildChannelLists(store.CataloguePath(playlist));
        } catch (const ListFileError&) {
            continue;
        }
        AppendOwnRows(lists.tv, own.tv);
        AppendOwnRows(lists.radio, own.radio);
        AppendOwnRows(lists.webcam, own.webcam);
    }
    return lists;
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
