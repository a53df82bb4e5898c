#include "guide_list_channels.h"

#include "channels/catalogue.h"
#include "channels/channel_id.h"
#include "channels/playlists/playlist_store.h"

#include <optional>

namespace zentavo {
namespace {

int ShiftHours(std::string_view text)
{
    text = TrimXmlSpace(text);
    const bool negative = !text.empty() && text.front() == '-';
    if (negative || (!text.empty() && text.front() == '+'))
        text.remove_prefix(1);
    if (text.empty() || text.size() > 2 || text.find_first_not_of("0123456789") != std::string_view::npos)
        return 0;
    const int hours = std::stoi(std::string(text));
    return hours > 23 ? 0 : negative ? -hours : hours;
}

// The channel of a record, when its id is one a lookup can find.
std::optional<GuideListChannel> ChannelOf(const ChannelRecord& record)
{
    const std::string_view id = TrimXmlSpace(record.id);
    if (!IsCanonicalChannelId(id))
        return std::nullopt;
    GuideListChannel channel;
    channel.key = id;
    channel.name = TrimXmlSpace(record.name);
    channel.tvgId = TrimXmlSpace(record.tvgid);
    channel.tvgName = TrimXmlSpace(record.tvgname);
    channel.shiftHours = ShiftHours(record.tvgshift);
    return channel;
}

// A catalogue file read item by item: a list of a million channels never stands as a document.
// What a file that fails part way gave is dropped, as a file that cannot be read gives nothing.
void AppendChannelsOfFile(const std::filesystem::path& path, std::vector<GuideListChannel>& channels)
{
    const std::size_t before = channels.size();
    try {
        Catalogue::Stream(path, [&channels](const ChannelRecord& record, bool findable) {
            if (findable) {
                if (std::optional<GuideListChannel> channel = ChannelOf(record))
                    channels.push_back(std::move(*channel));
            }
            return Catalogue::StreamVisit::Continue;
        });
    } catch (const ListFileError&) {
        channels.resize(before);
    }
}

} // namespace

std::vector<GuideListChannel> GuideListChannelsOf(const Catalogue& catalogue)
{
    std::vector<GuideListChannel> channels;
    catalogue.ForEachItem([&channels](const XmlElement& item, std::string_view) {
        if (std::optional<GuideListChannel> channel = ChannelOf(Catalogue::ReadRecord(item)))
            channels.push_back(std::move(*channel));
    });
    return channels;
}

std::vector<GuideListChannel> CollectGuideListChannels(const std::filesystem::path& shippedCatalogue,
                                                       const PlaylistStore& playlists)
{
    std::vector<GuideListChannel> channels;
    AppendChannelsOfFile(shippedCatalogue, channels);
    std::vector<PlaylistInfo> listed;
    try {
        listed = playlists.Playlists();
    } catch (const ListFileError&) {
    }
    for (const PlaylistInfo& playlist : listed)
        AppendChannelsOfFile(playlists.CataloguePath(playlist), channels);
    return channels;
}

} // namespace zentavo
