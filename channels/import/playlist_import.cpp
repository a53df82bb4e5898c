#include "playlist_import.h"

#include "country_names.h"
#include "line_reader.h"
#include "playlist_format.h"
#include "text_util.h"

#include "text/format_characters.h"

#include <algorithm>
#include <numeric>

namespace zentavo {
namespace {

// Catalogue text must not hold control characters (XML 1.0 cannot carry most of them, and the
// lists show one line per channel): they become blanks, runs of blanks become one, and blanks at
// both ends go. Invisible format characters go altogether: a direction override would reverse the
// rest of the channel's row. Done in place: most names are clean already and cost one pass each.
void CleanText(std::string& text)
{
    RemoveHiddenFormatCharacters(text);
    size_t out = 0;
    bool blank = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const auto b = static_cast<unsigned char>(c);
        if (b <= 0x20 || b == 0x7F) {
            blank = true;
            continue;
        }
        // U+FFFE and U+FFFF are no XML characters either.
        if (b == 0xEF && i + 2 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0xBF
            && (static_cast<unsigned char>(text[i + 2]) & 0xFE) == 0xBE) {
            i += 2;
            blank = true;
            continue;
        }
        if (blank && out > 0)
            text[out++] = ' ';
        blank = false;
        text[out++] = c;
    }
    text.resize(out);
}

std::string CleanText(std::string_view text)
{
    std::string out(text);
    CleanText(out);
    return out;
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Moves a resolution label at the end of a name into the bandwidth:
// "Das Erste (1080p) [Geo-blocked]" -> "Das Erste [Geo-blocked]" and "1080p".
std::string TakeResolution(std::string& name)
{
    size_t end = name.size();
    // Skip trailing "[...]" notes.
    while (end > 0 && name[end - 1] == ']') {
        const size_t open = name.rfind('[', end - 1);
        if (open == std::string::npos)
            break;
        end = open;
        while (end > 0 && name[end - 1] == ' ')
            --end;
    }
    if (end < 5 || name[end - 1] != ')')
        return {};
    const size_t open = name.rfind('(', end - 1);
    if (open == std::string::npos)
        return {};
    const std::string_view label = std::string_view(name).substr(open + 1, end - open - 2);
    if (label.size() < 2 || (label.back() != 'p' && label.back() != 'i')
        || !std::all_of(label.begin(), label.end() - 1, IsDigit))
        return {};
    std::string result(label);
    size_t start = open;
    while (start > 0 && name[start - 1] == ' ')
        --start;
    name.erase(start, end - start);
    CleanText(name);
    return result;
}

std::string HostOf(std::string_view address)
{
    const size_t scheme = address.find("://");
    if (scheme == std::string_view::npos)
        return std::string(address);
    const size_t start = scheme + 3;
    return std::string(address.substr(start, FindHostEnd(address, start) - start));
}

std::string CountryOf(const PlaylistEntry& entry)
{
    if (!entry.country.empty()) {
        const std::string_view first =
            TrimBlanks(std::string_view(entry.country).substr(0, entry.country.find_first_of(";,")));
        const std::string_view named = CountryNameForCode(first);
        return std::string(named.empty() ? first : named);
    }
    // A group names a kind of programme as often as a place: it is kept as the channel's group.
    return std::string(CountryFromTvgId(entry.tvgId));
}

} // namespace

long ImportSummary::LeftOutTotal() const
{
    return std::accumulate(leftOut.begin(), leftOut.end(), 0L);
}

std::string_view ChannelTypeWord(ChannelType type)
{
    switch (type) {
    case ChannelType::Tv:
        return "tv";
    case ChannelType::Radio:
        return "radio";
    case ChannelType::Webcam:
        return "webcam";
    }
    return "tv";
}

std::optional<ChannelType> ChannelTypeFromWord(std::string_view word)
{
    for (const ChannelType type : {ChannelType::Tv, ChannelType::Radio, ChannelType::Webcam}) {
        if (word == ChannelTypeWord(type))
            return type;
    }
    return std::nullopt;
}

int KeptTvgShift(std::string_view shift)
{
    shift = TrimBlanks(shift);
    const bool negative = !shift.empty() && shift.front() == '-';
    if (!shift.empty() && (shift.front() == '-' || shift.front() == '+'))
        shift.remove_prefix(1);
    if (shift.empty() || shift.size() > 2)
        return 0;
    int hours = 0;
    for (const char c : shift) {
        if (c < '0' || c > '9')
            return 0;
        hours = hours * 10 + (c - '0');
    }
    if (hours > 23)
        return 0;
    return negative ? -hours : hours;
}

std::string KeptLogoAddress(std::string_view logo)
{
    logo = TrimBlanks(logo);
    if (logo.size() > kMaxLogoAddress || !(StartsWithNoCase(logo, "http://") || StartsWithNoCase(logo, "https://")))
        return {};
    for (const char c : logo) {
        const auto b = static_cast<unsigned char>(c);
        if (b <= 0x20 || b == 0x7F)
            return {};
    }
    // Past the scheme there must be a host.
    const std::string_view rest = logo.substr(logo.find("//") + 2);
    if (rest.empty() || rest.front() == '/')
        return {};
    return std::string(logo);
}

std::string KeptChannelNumber(std::string_view number)
{
    number = TrimBlanks(number);
    if (number.empty() || number.size() > 6 || !std::all_of(number.begin(), number.end(), IsDigit))
        return {};
    while (number.size() > 1 && number.front() == '0')
        number.remove_prefix(1);
    return number == "0" ? std::string() : std::string(number);
}

bool IsImageAddress(std::string_view address)
{
    const std::string_view path = address.substr(0, FindPathEnd(address));
    for (const std::string_view ending : {".jpg", ".jpeg", ".png", ".gif", ".bmp", ".webp"}) {
        if (EndsWithNoCase(path, ending))
            return true;
    }
    return false;
}

namespace {

bool IsAlnum(char c)
{
    return IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Whether one of the path's words (its runs of letters and digits) is the name of an audio codec.
bool NamesAudioCodec(std::string_view path)
{
    size_t i = 0;
    while (i < path.size()) {
        if (!IsAlnum(path[i])) {
            ++i;
            continue;
        }
        size_t end = i;
        while (end < path.size() && IsAlnum(path[end]))
            ++end;
        const std::string_view word = path.substr(i, end - i);
        for (const std::string_view codec : {"mp3", "aac", "aacp", "ogg", "opus", "vorbis", "flac"}) {
            if (EqualsNoCase(word, codec))
                return true;
        }
        i = end;
    }
    return false;
}

// A playlist is a list of radio stations when enough of its unmarked entries say so by their
// address (at least this many, and at least a fifth of those that are no pictures) and none says
// it is video. Its other unmarked entries then go to Radio as well: radio lists are mostly
// "/stream", "/listen" and bare ports, which say nothing by themselves.
constexpr long kRadioListMinAudio = 5;
constexpr long kRadioListShareDivisor = 5;

bool IsRadioList(const std::vector<PlaylistEntry>& entries)
{
    long considered = 0;
    long audio = 0;
    for (const PlaylistEntry& entry : entries) {
        if (entry.type || entry.url.empty())
            continue;
        switch (MediaOfAddress(entry.url)) {
        case AddressMedia::Video:
            return false;
        case AddressMedia::Picture:
            continue;
        case AddressMedia::Audio:
            ++audio;
            break;
        case AddressMedia::Unknown:
            break;
        }
        ++considered;
    }
    return audio >= kRadioListMinAudio && audio * kRadioListShareDivisor >= considered;
}

// Where the part of an address that is compared without regard to case ends: after the scheme and
// the host ("HTTP://Example.COM" and "http://example.com" are one address, their paths are not).
size_t CaseFoldedPrefix(std::string_view address)
{
    const size_t scheme = address.find("://");
    if (scheme == std::string_view::npos)
        return 0;
    const size_t end = FindHostEnd(address, scheme + 3);
    return end == std::string_view::npos ? address.size() : end;
}

} // namespace

AddressMedia MediaOfAddress(std::string_view address)
{
    if (IsImageAddress(address))
        return AddressMedia::Picture;
    const size_t scheme = address.find("://");
    const size_t pathEnd = std::min(FindPathEnd(address), address.size());
    size_t pathStart = scheme == std::string_view::npos ? 0 : FindHostEnd(address, scheme + 3);
    if (pathStart == std::string_view::npos || pathStart > pathEnd)
        pathStart = pathEnd;
    const std::string_view path = address.substr(pathStart, pathEnd - pathStart);
    const std::string_view last = path.substr(path.rfind('/') + 1);
    if (path.find("/;") != std::string_view::npos) // Shoutcast: "/;", "/;stream.nsv", "/;stream/1"
        return AddressMedia::Audio;
    const size_t dot = last.rfind('.');
    if (dot == std::string_view::npos)
        return NamesAudioCodec(path) ? AddressMedia::Audio : AddressMedia::Unknown;
    const std::string_view ending = last.substr(dot);
    for (const std::string_view audio :
         {".mp3", ".aac", ".aacp", ".ogg", ".oga", ".opus", ".m4a", ".flac", ".wma", ".mp2", ".spx", ".pls"}) {
        if (EqualsNoCase(ending, audio))
            return AddressMedia::Audio;
    }
    for (const std::string_view video : {".mp4", ".m4v", ".mkv", ".webm", ".ts", ".mpd", ".flv", ".avi", ".mov", ".wmv",
                                         ".mpg", ".mpeg", ".3gp", ".ogv"}) {
        if (EqualsNoCase(ending, video))
            return AddressMedia::Video;
    }
    return AddressMedia::Unknown;
}

size_t PlaylistImport::AddressHash::operator()(std::string_view address) const
{
    // The hash of the address as AddressKey writes it; most addresses have nothing to fold.
    const size_t folded = CaseFoldedPrefix(address);
    const auto upper = [](char c) { return c >= 'A' && c <= 'Z'; };
    if (std::none_of(address.begin(), address.begin() + static_cast<std::ptrdiff_t>(folded), upper))
        return std::hash<std::string_view>{}(address);
    std::string key(address);
    for (size_t i = 0; i < folded; ++i)
        key[i] = AsciiLower(key[i]);
    return std::hash<std::string_view>{}(key);
}

bool PlaylistImport::AddressEqual::Same(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    const size_t folded = CaseFoldedPrefix(a);
    return folded == CaseFoldedPrefix(b) && EqualsNoCase(a.substr(0, folded), b.substr(0, folded))
        && a.substr(folded) == b.substr(folded);
}

void PlaylistImport::AddPlaylist(std::string_view bytes, std::string_view source)
{
    if (bytes.find('\0') != std::string_view::npos && !bytes.starts_with("\xFF\xFE") && !bytes.starts_with("\xFE\xFF"))
        throw PlaylistError("not a playlist: the file holds binary data");
    if (IsWebPage(bytes))
        throw PlaylistError("not a playlist: this is a web page (HTML)");
    PlaylistHeader header;
    AddEntries(ParsePlaylist(bytes, source, &header), source);
    for (std::string& guide : header.guides) {
        if (std::find(guides_.begin(), guides_.end(), guide) == guides_.end())
            guides_.push_back(std::move(guide));
    }
}

void PlaylistImport::LeaveOut(LeftOutReason reason, const PlaylistEntry& entry, std::string_view source)
{
    ++summary_.leftOut[static_cast<size_t>(reason)];
    leftOut_.push_back(LeftOutEntry{std::string(source), entry.line, reason, entry.url, {}, 0});
}

void PlaylistImport::AddEntries(std::vector<PlaylistEntry> entries, std::string_view source)
{
    const size_t sourceIndex = sources_.size();
    sources_.emplace_back(source);
    channels_.reserve(channels_.size() + entries.size());
    firstSeen_.reserve(firstSeen_.size() + entries.size());
    hashes_.reserve(hashes_.size() + entries.size());
    seen_.reserve(seen_.size() + entries.size());
    const bool radioList = !options_.type && IsRadioList(entries);
    for (PlaylistEntry& entry : entries) {
        ++summary_.read;
        if (const auto reason = CheckStreamAddress(entry.url)) {
            LeaveOut(*reason, entry, source);
            continue;
        }
        const size_t hash = seen_.hash_function()(std::string_view(entry.url));
        if (const auto seen = seen_.find(std::string_view(entry.url)); seen != seen_.end()) {
            LeaveOut(LeftOutReason::Duplicate, entry, source);
            leftOut_.back().firstSource = sources_[firstSeen_[*seen].source];
            leftOut_.back().firstLine = firstSeen_[*seen].line;
            continue;
        }
        ImportedChannel channel;
        channel.name = std::move(entry.name);
        CleanText(channel.name);
        channel.bandwidth = std::move(entry.bandwidth);
        CleanText(channel.bandwidth);
        if (channel.bandwidth.empty())
            channel.bandwidth = TakeResolution(channel.name);
        if (channel.name.empty())
            channel.name = CleanText(HostOf(entry.url));
        channel.country = options_.country.empty() ? CountryOf(entry) : options_.country;
        CleanText(channel.country);
        ChannelType type = ChannelType::Tv;
        if (options_.type) {
            type = *options_.type;
        } else if (entry.type) {
            type = *entry.type;
        } else {
            const AddressMedia media = MediaOfAddress(entry.url);
            type = media == AddressMedia::Picture             ? ChannelType::Webcam
                : media == AddressMedia::Audio                ? ChannelType::Radio
                : radioList && media == AddressMedia::Unknown ? ChannelType::Radio
                                                              : ChannelType::Tv;
        }
        channel.type2 = ChannelTypeWord(type);
        ++summary_.byType[static_cast<size_t>(type)];
        channel.url = std::move(entry.url);
        channel.logo = KeptLogoAddress(entry.logo);
        // "News;Kids": a channel shows in the first group its list names.
        channel.group = CleanText(std::string_view(entry.group).substr(0, entry.group.find(';')));
        channel.number = KeptChannelNumber(entry.number);
        channel.headers = std::move(entry.headers);
        channel.tvgId = CleanText(std::string_view(entry.tvgId));
        channel.tvgName = CleanText(std::string_view(entry.tvgName));
        channel.tvgShift = KeptTvgShift(entry.tvgShift);
        channels_.push_back(std::move(channel));
        firstSeen_.push_back(FirstSeen{sourceIndex, entry.line});
        hashes_.push_back(hash);
        seen_.insert(static_cast<std::uint32_t>(channels_.size() - 1));
        ++summary_.imported;
    }
}

std::string DescribeLeftOut(const LeftOutEntry& entry)
{
    std::string text = entry.source + ":" + std::to_string(entry.line) + ": left out ("
        + std::string(LeftOutReasonText(entry.reason)) + ")";
    if (!entry.address.empty())
        text += ": " + CleanText(entry.address);
    if (entry.reason == LeftOutReason::Duplicate) {
        text += " (first at ";
        if (entry.firstSource != entry.source)
            text += entry.firstSource + ":";
        text += "line " + std::to_string(entry.firstLine) + ")";
    }
    return text;
}

std::string DescribeSummary(const ImportSummary& summary)
{
    std::string text = "read " + std::to_string(summary.read) + " entries\n";
    text += "imported " + std::to_string(summary.imported) + "\n";
    text += "left out " + std::to_string(summary.LeftOutTotal()) + "\n";
    for (int i = 0; i < kLeftOutReasonCount; ++i) {
        if (summary.leftOut[static_cast<size_t>(i)] == 0)
            continue;
        text += "  " + std::string(LeftOutReasonText(static_cast<LeftOutReason>(i))) + ": "
            + std::to_string(summary.leftOut[static_cast<size_t>(i)]) + "\n";
    }
    return text;
}

} // namespace zentavo
