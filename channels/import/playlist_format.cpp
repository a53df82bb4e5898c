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

// The first non-blank line.
std::string_view FirstLine(std::string_view text)
{
    LineReader reader(text);
    std::string_view line;
    while (reader.Next(line) && TrimBlanks(line).empty()) {
    }
    return line;
}

std::optional<PlaylistFormat> FormatOfText(std::string_view text)
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
    return std::nullopt;
}

// The start of the bytes as text: what tells a format or a web page is at the start, and a list of
// 64 MB need not be decoded twice for it. An even length keeps UTF-16 whole.
std::string OpeningText(std::string_view bytes)
{
    return DecodePlaylistText(bytes.substr(0, 64 * 1024));
}

// The media type of a Content-Type, lower case, without parameters and blanks.
std::string MediaType(std::string_view contentType)
{
    return AsciiLowered(TrimBlanks(contentType.substr(0, contentType.find(';'))));
}

bool IsElementStart(std::string_view text, std::string_view name)
{
    return StartsWithNoCase(text, name)
        && (text.size() == name.size() || text[name.size()] == '>' || text[name.size()] == '/'
            || static_cast<unsigned char>(text[name.size()]) <= 0x20);
}

} // namespace

std::optional<PlaylistFormat> FormatShownByContent(std::string_view bytes)
{
    const std::string text = OpeningText(bytes);
    if (const auto format = FormatOfText(text))
        return format;
    if (IsTsvHeader(FirstLine(text)))
        return PlaylistFormat::Tsv;
    return std::nullopt;
}

bool IsWebPage(std::string_view bytes)
{
    const std::string opening = OpeningText(bytes.substr(0, 4096));
    std::string_view text = opening;
    // An XML declaration and comments may come first, a few of them at most.
    for (int skipped = 0; skipped < 16; ++skipped) {
        text = TrimBlanks(text);
        if (IsElementStart(text, "<!doctype html"))
            return true;
        const std::string_view end = text.starts_with("<?") ? "?>" : text.starts_with("<!--") ? "-->" : "";
        if (end.empty())
            break;
        const size_t at = text.find(end);
        if (at == std::string_view::npos)
            return false;
        text.remove_prefix(at + end.size());
    }
    return IsElementStart(text, "<html");
}

bool IsWebPageType(std::string_view contentType)
{
    const std::string type = MediaType(contentType);
    return type == "text/html" || type == "application/xhtml+xml";
}

bool IsPlaylistType(std::string_view contentType)
{
    static constexpr std::string_view kTypes[] = {"audio/x-mpegurl",
                                                  "audio/mpegurl",
                                                  "application/x-mpegurl",
                                                  "application/mpegurl",
                                                  "application/vnd.apple.mpegurl",
                                                  "audio/x-scpls",
                                                  "audio/scpls",
                                                  "application/pls+xml",
                                                  "application/xspf+xml",
                                                  "video/x-ms-asf",
                                                  "video/x-ms-asx",
                                                  "audio/x-ms-asx",
                                                  "audio/x-ms-wax",
                                                  "video/x-ms-wvx",
                                                  "text/tab-separated-values"};
    const std::string type = MediaType(contentType);
    for (const std::string_view known : kTypes) {
        if (type == known)
            return true;
    }
    return false;
}

PlaylistFormat DetectPlaylistFormat(std::string_view text, std::string_view fileName)
{
    if (const auto format = FormatOfText(text))
        return *format;
    if (EndsWithNoCase(fileName, ".pls"))
        return PlaylistFormat::Pls;
    if (EndsWithNoCase(fileName, ".xspf"))
        return PlaylistFormat::Xspf;
    if (EndsWithNoCase(fileName, ".asx") || EndsWithNoCase(fileName, ".wax") || EndsWithNoCase(fileName, ".wvx"))
        return PlaylistFormat::Asx;
    if (EndsWithNoCase(fileName, ".tsv"))
        return PlaylistFormat::Tsv;
    const std::string_view first = FirstLine(text);
    if (first.find('\t') != std::string_view::npos && !EndsWithNoCase(fileName, ".m3u")
        && !EndsWithNoCase(fileName, ".m3u8"))
        return PlaylistFormat::Tsv;
    return PlaylistFormat::M3u;
}

std::vector<PlaylistEntry> ParsePlaylist(std::string_view bytes, std::string_view fileName, PlaylistHeader* header)
{
    const std::string text = DecodePlaylistText(bytes);
    switch (DetectPlaylistFormat(text, fileName)) {
    case PlaylistFormat::M3u:
        if (header)
            header->guides = M3uGuideAddresses(text);
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
