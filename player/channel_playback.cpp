#include "channel_playback.h"

#include "scratch_folder.h"

#include "channels/app_context.h"
#include "channels/channel_id.h"
#include "channels/playlists/combined_lists.h"
#include "channels/playlists/playlist_store.h"
#include "player/contract/private_addresses.h"

#include <QFile>
#include <QUrl>

#include <stdexcept>

namespace zentavo {

namespace {

std::filesystem::path ToPath(const QString& path)
{
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

} // namespace

ChannelPlayback::ChannelPlayback(const AppContext& context, ScratchFolder& scratch)
    : context_(context), scratch_(scratch)
{}

ChannelPlay ChannelPlayback::Play(const std::string& channelId, const FillOptions& options) const
{
    // A channel of the user's own playlists is played from the catalogue that holds it: the one
    // whose row the lists show for that id, never another that holds the id as well.
    // The places the lists took when they read the catalogues make this one item read, not a
    // reading of every item up to it.
    const CatalogueIndexes* places = context_.CataloguePlaces.get();
    const std::filesystem::path catalogue = CatalogueShowing(
        ToPath(context_.CataloguePath()), PlaylistStore(ToPath(context_.PlaylistsFolder())), channelId, places);
    const std::optional<PreparedPlay> play =
        PreparePlay(catalogue, channelId, context_.StreamPassphrase, options, places);
    if (!play) {
        // A lookup compares ids as written: text that is not a plain number finds no channel.
        if (!IsCanonicalChannelId(channelId))
            throw std::runtime_error(
                "The channel id '" + channelId
                + "' is not a number (digits only, without leading zeros), so it names no channel");
        throw std::runtime_error("The channel " + channelId + " is not in the channel list any more");
    }
    const bool local = IsPrivateAddress(QUrl(QString::fromStdString(play->address)));
    return ChannelPlay{play->mediaKind, scratch_.WritePage(play->page), PagePlay{play->headers, local}};
}

} // namespace zentavo
