#include "first_playable_entry.h"

#include "channels/import/asx_parser.h"
#include "channels/import/m3u_parser.h"
#include "channels/import/playlist_format.h"
#include "channels/import/pls_parser.h"
#include "channels/import/text_decoding.h"
#include "channels/import/xspf_parser.h"

#include <string>
#include <string_view>
#include <vector>

namespace zentavo {
namespace {

bool IsHttp(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

QUrl Comparable(const QUrl& url)
{
    return url.adjusted(QUrl::RemoveFragment | QUrl::NormalizePathSegments);
}

// Binary data (media under a playlist's name) holds NUL bytes; UTF-16 text does too, after its mark.
bool IsBinary(std::string_view bytes)
{
    return bytes.find('\0') != std::string_view::npos && !bytes.starts_with("\xFF\xFE")
        && !bytes.starts_with("\xFE\xFF");
}

std::string_view Trimmed(std::string_view text)
{
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first);
}

// The addresses of the list in its order; a RealAudio list (.ram, read as M3U) ends at "--stop--".
std::vector<std::string> Addresses(std::vector<PlaylistEntry> entries, PlaylistFormat format)
{
    std::vector<std::string> addresses;
    for (PlaylistEntry& entry : entries) {
        if (format == PlaylistFormat::M3u) {
            if (entry.url == "--stop--")
                break;
            if (entry.url.starts_with("--"))
                continue;
        }
        if (!entry.alternatives.empty()) {
            for (std::string& alternative : entry.alternatives)
                addresses.push_back(std::move(alternative));
        } else if (!entry.url.empty()) {
            addresses.push_back(std::move(entry.url));
        }
    }
    return addresses;
}

} // namespace

PlaylistReading FirstPlayableEntry(const QByteArray& body, const QUrl& base, const QUrl& requested)
{
    PlaylistReading reading;
    const std::string_view bytes(body.constData(), static_cast<size_t>(body.size()));
    if (IsBinary(bytes))
        return reading;
    const std::string text = DecodePlaylistText(bytes);
    const std::string_view opening = Trimmed(text);
    const std::string name = base.path().toStdString();
    const PlaylistFormat format = DetectPlaylistFormat(text, name);

    const QUrl self = Comparable(base);
    const QUrl asked = requested.isEmpty() ? self : Comparable(requested);
    const auto isSelf = [&](const QUrl& url) {
        const QUrl comparable = Comparable(url);
        return comparable == self || comparable == asked;
    };

    if (opening.starts_with("#EXTM3U") && text.find("#EXT-X-") != std::string::npos) {
        // Played whole by the streaming library; a variant or segment that is the playlist itself
        // would have it load the same file for ever.
        for (const std::string& address : Addresses(ParseM3u(text), PlaylistFormat::M3u)) {
            if (isSelf(base.resolved(QUrl(QString::fromStdString(address))))) {
                reading.kind = PlaylistReading::Kind::RefersToItself;
                return reading;
            }
        }
        reading.kind = PlaylistReading::Kind::Hls;
        return reading;
    }

    std::vector<PlaylistEntry> entries;
    switch (format) {
    case PlaylistFormat::M3u:
        // An HTML page (an error page under a playlist's name) is no list of addresses.
        if (!opening.starts_with('<'))
            entries = ParseM3u(text);
        break;
    case PlaylistFormat::Pls:
        entries = ParsePls(text);
        break;
    case PlaylistFormat::Asx:
        entries = ParseAsx(text);
        break;
    case PlaylistFormat::Xspf:
        entries = ParseXspf(text);
        break;
    case PlaylistFormat::Tsv:
        break; // a catalogue table, not something a stream address names
    }

    QUrl first;
    bool namesItself = false;
    for (const std::string& address : Addresses(std::move(entries), format)) {
        const QUrl url = base.resolved(QUrl(QString::fromStdString(address)));
        if (!url.isValid() || url.scheme().isEmpty())
            continue;
        if (isSelf(url)) {
            namesItself = true;
            continue;
        }
        if (IsHttp(url)) {
            reading.kind = PlaylistReading::Kind::Entries;
            reading.entry = url;
            return reading;
        }
        if (first.isEmpty())
            first = url;
    }
    if (!first.isEmpty()) {
        reading.kind = PlaylistReading::Kind::Entries;
        reading.entry = first;
    } else if (namesItself) {
        reading.kind = PlaylistReading::Kind::RefersToItself;
    }
    return reading;
}

} // namespace zentavo
