#include "page_generation.h"

#include "channels/catalogue.h"
#include "crypto/string_cipher.h"
#include "player/page_address.h"

#include <QFile>

#include <algorithm>
#include <stdexcept>

namespace zentavo {

namespace {

constexpr std::string_view kOpen = "%|";
constexpr std::string_view kClose = "|%";
constexpr std::string_view kUndefinedTerms = "[undefined terms]";

// A value that brings back its own placeholder would be replaced forever (every search starts
// at the beginning of the text). No page needs more replacements than its placeholders and the
// placeholders its values bring in, nor more than a megabyte on top of its template.
constexpr std::size_t kMaxReplacements = 4096;
constexpr std::size_t kMaxGrowth = 1024 * 1024;

std::size_t CountOccurrences(std::string_view text, std::string_view what)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(what); at != std::string_view::npos; at = text.find(what, at + 1))
        ++count;
    return count;
}

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

    const std::size_t valueOpens = CountOccurrences(address, kOpen) + CountOccurrences(options.channelName, kOpen);
    const std::size_t replacementLimit =
        std::min(kMaxReplacements, (CountOccurrences(templateText, kOpen) + 1) * (valueOpens + 1));
    const std::size_t sizeLimit = templateText.size() + kMaxGrowth;

    std::string text(templateText);
    std::size_t replacements = 0;
    for (std::size_t open = text.find(kOpen); open != std::string::npos; open = text.find(kOpen)) {
        if (replacements == replacementLimit || text.size() > sizeLimit)
            break;
        // The name ends at the first "|%" of the whole text; one that does not lie behind the
        // "%|" gives an empty name.
        const std::size_t close = text.find(kClose);
        std::string_view name;
        if (close != std::string::npos && close >= open + kOpen.size())
            name = std::string_view(text).substr(open + kOpen.size(), close - open - kOpen.size());

        std::string_view value = kUndefinedTerms;
        if (name == "URL")
            value = address;
        else if (name == "VALUE01")
            value = value01;
        else if (name == "VALUE02")
            value = value02;
        else if (name == "TITLE")
            value = options.channelName;

        text.replace(open, name.size() + kOpen.size() + kClose.size(), value);
        ++replacements;
    }
    return text;
}

std::optional<PreparedPlay> PreparePlay(const std::filesystem::path& cataloguePath, std::string_view channelId,
                                        std::string_view passphrase, const FillOptions& options)
{
    const Catalogue catalogue = Catalogue::Load(cataloguePath);
    const std::optional<ChannelRecord> channel = catalogue.FindChannelRecord(channelId);
    if (!channel)
        return std::nullopt;

    PreparedPlay play;
    play.address = TrimControlBytes(DecipherString(channel->url, passphrase, KeySize::Key256));
    play.mediaKind = ParseImgIndex(channel->imgindex).value_or(0);
    if (play.mediaKind >= 0 && play.mediaKind <= 2) {
        // The page holds the address inside a script string and an attribute: bytes that could
        // end either are percent-encoded first.
        play.page = FillTemplate(PlayerTemplate(static_cast<MediaKind>(play.mediaKind)),
                                 EncodeAddressForPage(play.address), options);
    }
    return play;
}

} // namespace zentavo
