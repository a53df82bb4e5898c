#include "guide_list_channels.h"

#include "channels/catalogue.h"
#include "channels/channel_id.h"
#include "channels/playlists/playlist_store.h"

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

void AppendChannels(const Catalogue& catalogue, std::vector<GuideListChannel>& channels)
{
    catalogue.ForEachChannel([&channels](const XmlElement& item, const ChannelRecord& record) {
        const std::string_view id = TrimXmlSpace(record.id);
        if (!IsCanonicalChannelId(id))
            return;
        GuideListChannel channel;
        channel.key = id;
        channel.name = TrimXmlSpace(record.name);
        channel.tvgId = TrimXmlSpace(item.ChildText("tvgid"));
        channel.tvgName = TrimXmlSpace(item.ChildText("tvgname"));
        channel.shiftHours = ShiftHours(item.ChildText("tvgshift"));
        channels.push_back(std::move(channel));
    });
}

} // namespace

std::vector<GuideListChannel> GuideListChannelsOf(const Catalogue& catalogue)
{
    std::vector<GuideListChannel> channels;
    AppendChannels(catalogue, channels);
    return channels;
}

std::vector<GuideListChannel> CollectGuideListChannels(const std::filesystem::path& shippedCatalogue,
                                                       const PlaylistStore& playlists)
{
    std::vector<GuideListChannel> channels;
    try {
        AppendChannels(Catalogue::Load(shippedCatalogue), channels);
    } catch (const ListFileError&) {
    }
    std::vector<PlaylistInfo> listed;
    try {
        listed = playlists.Playlists();
    } catch (const ListFileError&) {
    }
    for (const PlaylistInfo& playlist : listed) {
        try {
            AppendChannels(Catalogue::Load(playlists.CataloguePath(playlist)), channels);
        } catch (const ListFileError&) {
        }
    }
    return channels;
}

} // namespace zentavo
