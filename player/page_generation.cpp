#include "page_generation.h"

#include "channels/catalogue.h"
#include "channels/catalogue_index.h"
#include "channels/channel_id.h"
#include "crypto/string_cipher.h"
#include "player/page_address.h"
#include "player/page_value_encoding.h"

#include <QFile>

#include <algorithm>
#include <stdexcept>

namespace zentavo {

namespace {

constexpr std::string_view kOpen = "%|";
constexpr std::string_view kClose = "|%";
constexpr std::string_view kUndefinedTerms = "[undefined terms]";

const char* TemplateResource(MediaKind kind)
{
    switch (kind) {
    case MediaKind::WindowsMedia:
        return ":/zentavo/templates/wmp.html";
    case MediaKind::Real:
        return ":/zentavo/templates/real.html";
    case MediaKind::Snapshot:
        return ":/zentavo/templates/photo.html";
    }
    throw std::invalid_argument("Unknown media kind");
}

} // namespace

std::string PlayerTemplate(MediaKind kind)
{
    QFile file(QString::fromLatin1(TemplateResource(kind)));
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("The player page template is missing from the program's resources");
    const QByteArray bytes = file.readAll();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

std::string FillTemplate(std::string_view templateText, std::string_view address, const FillOptions& options)
{
    const std::string_view value01 = options.originalSize ? "1" : "0";
    const std::string_view value02 = options.originalSize ? "0" : "2";

    // One pass over the template, left to right. A value goes into the result and is never read
    // again, so a placeholder that a value brings in stays as it is written, and every value is
    // encoded for the place where its placeholder stands in the template.
    PagePlaceTracker places(templateText);
    std::string page;
    page.reserve(templateText.size() + address.size() + options.channelName.size());
    std::size_t done = 0;
    for (std::size_t open = templateText.find(kOpen, done); open != std::string_view::npos;
         open = templateText.find(kOpen, done)) {
        page.append(templateText.substr(done, open - done));
        // The name ends at the first "|%" of the text not yet filled; one that does not lie behind
        // the "%|" gives an empty name, and the "%|" with the next two characters gives way.
        const std::size_t close = templateText.find(kClose, done);
        std::string_view name;
        if (close != std::string_view::npos && close >= open + kOpen.size())
            name = templateText.substr(open + kOpen.size(), close - open - kOpen.size());

        std::string_view value = kUndefinedTerms;
        if (name == "URL")
            value = address;
        else if (name == "VALUE01")
            value = value01;
        else if (name == "VALUE02")
            value = value02;
        else if (name == "TITLE")
            value = options.channelName;
        page.append(EncodeForPlace(value, places.PlaceAt(open)));
        done = std::min(templateText.size(), open + name.size() + kOpen.size() + kClose.size());
    }
    page.append(templateText.substr(done));
    return page;
}

std::optional<PreparedPlay> PreparePlay(const std::filesystem::path& cataloguePath, std::string_view channelId,
                                        std::string_view passphrase, const FillOptions& options,
                                        const CatalogueIndexes* indexes)
{
    // Read only the channel's item, or up to it: an own catalogue may hold a million channels.
    const std::optional<ChannelRecord> channel = FindRecord(cataloguePath, channelId, indexes);
    if (!channel)
        return std::nullopt;

    PreparedPlay play;
    play.address = TrimControlBytes(DecipherString(channel->url, passphrase, KeySize::Key256));
    play.mediaKind = ParseImgIndex(channel->imgindex).value_or(0);
    play.headers = DecodedRequestHeaders(TrimXmlSpace(channel->headers));
    if (play.mediaKind >= 0 && play.mediaKind <= 2) {
        // Bytes that no address needs, and '|' (so that no address can hold a placeholder), are
        // percent-encoded; FillTemplate then encodes the address for its place in the page.
        play.page = FillTemplate(PlayerTemplate(static_cast<MediaKind>(play.mediaKind)),
                                 EncodeAddressForPage(play.address), options);
    }
    return play;
}

} // namespace zentavo
