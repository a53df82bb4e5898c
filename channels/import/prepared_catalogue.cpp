#include "prepared_catalogue.h"

#include "channels/media_kind.h"
#include "crypto/protected_string_cipher.h"
#include "files/file_writer.h"

#include <stdexcept>

namespace zentavo {
namespace {

// Element text as libxml2 escapes it when it writes UTF-8.
void AppendEscaped(std::string& out, std::string_view text)
{
    size_t plain = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char* entity = nullptr;
        switch (text[i]) {
        case '<':
            entity = "&lt;";
            break;
        case '>':
            entity = "&gt;";
            break;
        case '&':
            entity = "&amp;";
            break;
        case '\r':
            entity = "&#13;";
            break;
        default:
            continue;
        }
        out.append(text.substr(plain, i - plain));
        out.append(entity);
        plain = i + 1;
    }
    out.append(text.substr(plain));
}

void AppendElement(std::string& out, std::string_view name, std::string_view text, bool escape = true)
{
    out += '<';
    out.append(name);
    if (text.empty()) {
        out.append("/>");
        return;
    }
    out += '>';
    if (escape)
        AppendEscaped(out, text);
    else
        out.append(text);
    out.append("</");
    out.append(name);
    out += '>';
}

// The programme guide's keys of the channel (tvgid, tvgname, tvgshift), each only when the list gave
// it, so that a channel without them has the item it had before they were kept.
void AppendGuideKeys(std::string& out, const ImportedChannel& channel)
{
    if (!channel.tvgId.empty())
        AppendElement(out, "tvgid", channel.tvgId);
    if (!channel.tvgName.empty())
        AppendElement(out, "tvgname", channel.tvgName);
    if (channel.tvgShift != 0)
        AppendElement(out, "tvgshift", std::to_string(channel.tvgShift), false);
}

} // namespace

std::string PreparedCatalogueBytes(const std::vector<ImportedChannel>& channels, std::string_view passphrase,
                                   std::span<const std::uint64_t> ids)
{
    if (!ids.empty() && ids.size() != channels.size())
        throw std::invalid_argument("one id a channel is needed");
    const ProtectedStringCipher cipher(passphrase, KeySize::Key256);
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<items>\n";
    // Room for the whole file: the tags of an item, its texts, and its address as hex digits
    // (16 for the length and 32 for every block of 16 bytes).
    size_t size = out.size() + 16;
    for (const ImportedChannel& channel : channels)
        size += 160 + channel.name.size() * 2 + channel.country.size() + channel.bandwidth.size() + 48
            + 2 * channel.url.size() + (channel.logo.empty() ? 0 : 16 + channel.logo.size() * 2)
            + channel.group.size() * 2 + channel.number.size() + 64 * channel.headers.size() + channel.tvgId.size()
            + channel.tvgName.size();
    out.reserve(size);
    std::uint64_t position = 0;
    for (const ImportedChannel& channel : channels) {
        out.append("<item>");
        AppendElement(out, "id", std::to_string(ids.empty() ? position + 1 : ids[position]), false);
        ++position;
        AppendElement(out, "name", channel.name);
        AppendElement(out, "country", channel.country);
        AppendElement(out, "bandwidth", channel.bandwidth);
        AppendElement(out, "type2", channel.type2);
        AppendElement(out, "url", cipher.Encipher(channel.url), false);
        if (!channel.logo.empty())
            AppendElement(out, "logo", channel.logo);
        if (!channel.group.empty())
            AppendElement(out, "group", channel.group);
        if (!channel.number.empty())
            AppendElement(out, "number", channel.number, false);
        if (!channel.headers.empty())
            AppendElement(out, "headers", EncodedRequestHeaders(channel.headers));
        AppendGuideKeys(out, channel);
        AppendElement(out, "imgindex", std::to_string(static_cast<int>(ClassifyMediaKind(channel.url))), false);
        out.append("</item>\n");
    }
    out.append("</items>\n");
    return out;
}

void SavePreparedCatalogue(const std::vector<ImportedChannel>& channels, std::string_view passphrase,
                           const std::filesystem::path& path, std::span<const std::uint64_t> ids)
{
    ReplaceFile(path, PreparedCatalogueBytes(channels, passphrase, ids));
}

} // namespace zentavo
