#include "playlist_format.h"

#include "asx_parser.h"
#include "line_reader.h"
#include "m3u_parser.h"
#include "pls_parser.h"
#include "text_decoding.h"
#include "text_util.h"
#include "tsv_parser.h"
#include "xspf_parser.h"

#include <string>

namespace zentavo {
namespace {

// The start of the text without blanks, XML declarations and comments, lower case.
std::string Opening(std::string_view text)
{
    for (;;) {
        text = TrimBlanks(text);
        if (text.starts_with("<?") || text.starts_with("<!--") || text.starts_with("<!")) {
            const size_t end = text.find('>');
            if (end == std::string_view::npos)
                return {};
            text.remove_prefix(end + 1);
            continue;
        }
        return AsciiLowered(text.substr(0, 64));
    }
}

} // namespace

PlaylistFormat DetectPlaylistFormat(std::string_view text, std::string_view fileName)
{
    const std::string opening = Opening(text);
    if (opening.starts_with("#extm3u") || opening.starts_with("#extinf"))
        return PlaylistFormat::M3u;
    if (opening.starts_with("[playlist]") || opening.starts_with("[reference]"))
        return PlaylistFormat::Pls;
    if (opening.starts_with("<playlist"))
        return PlaylistFormat::Xspf;
    if (opening.starts_with("<asx"))
        return PlaylistFormat::Asx;
    if (EndsWithNoCase(fileName, ".pls"))
        return PlaylistFormat::Pls;
    if (EndsWithNoCase(fileName, ".xspf"))
        return PlaylistFormat::Xspf;
    if (EndsWithNoCase(fileName, ".asx") || EndsWithNoCase(fileName, ".wax") || EndsWithNoCase(fileName, ".wvx"))
        return PlaylistFormat::Asx;
    if (EndsWithNoCase(fileName, ".tsv"))
        return PlaylistFormat::Tsv;
    LineReader reader(text);
    std::string_view first;
    while (reader.Next(first) && TrimBlanks(first).empty()) {
    }
    if (first.find('\t') != std::string_view::npos && !EndsWithNoCase(fileName, ".m3u")
        && !EndsWithNoCase(fileName, ".m3u8"))
        return PlaylistFormat::Tsv;
    return PlaylistFormat::M3u;
}

std::vector<PlaylistEntry> ParsePlaylist(std::string_view bytes, std::string_view fileName)
{
    const std::string text = DecodePlaylistText(bytes);
    switch (DetectPlaylistFormat(text, fileName)) {
    case PlaylistFormat::M3u:
        return ParseM3u(text);
    case PlaylistFormat::Pls:
        return ParsePls(text);
    case PlaylistFormat::Xspf:
        return ParseXspf(text);
    case PlaylistFormat::Asx:
        return ParseAsx(text);
    case PlaylistFormat::Tsv:
        return ParseTsv(text);
    }
    return {};
}

} // namespace zentavo
