#pragma once
// Turns the entries of one or more playlists into the channels of a catalogue: decides each
// channel's type, country and name, leaves out entries without a usable address and duplicates,
// and keeps count so that the summary accounts for every entry read.

#include "address_check.h"
#include "playlist_entry.h"
#include "playlist_error.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace zentavo {

struct ImportOptions {
    std::optional<ChannelType> type; // --type: every channel gets it
    std::string country; // --country: every channel gets it
};

// One channel as the catalogue will hold it, address still plain.
struct ImportedChannel {
    std::string name, country, bandwidth, type2, url;
    std::string logo = {}; // http(s) address of the channel's logo, empty when the list gives none
    std::string group = {}; // the list's group of the channel (group-title), empty when none
    std::string number = {}; // the channel's number in the list (tvg-chno): digits, empty when none
    RequestHeaders headers = {}; // sent on every request of the channel's play
    // What the programme guide matches the channel by: tvg-id, tvg-name, and tvg-shift in whole
    // hours (-23..23; another value is not kept). Empty or 0 when the list gives none.
    std::string tvgId = {};
    std::string tvgName = {};
    int tvgShift = 0;
};

struct LeftOutEntry {
    std::string source; // the playlist, as named to AddPlaylist
    int line = 0;
    LeftOutReason reason = LeftOutReason::NoAddress;
    std::string address; // as the list gave it (may be empty)
    std::string firstSource; // for a duplicate: where the address was first seen
    int firstLine = 0;
};

struct ImportSummary {
    long read = 0;
    long imported = 0;
    std::array<long, kLeftOutReasonCount> leftOut{};
    std::array<long, 3> byType{}; // of the imported channels, indexed by ChannelType

    long LeftOutTotal() const;
};

class PlaylistImport {
public:
    explicit PlaylistImport(ImportOptions options)
        : options_(std::move(options)), seen_(0, AddressHash{&hashes_}, AddressEqual{&channels_})
    {}
    // The set of addresses seen refers to the channels by position: no copies.
    PlaylistImport(const PlaylistImport&) = delete;
    PlaylistImport& operator=(const PlaylistImport&) = delete;

    // Parses one playlist (any supported format, bytes as read from the file) and takes its
    // entries. Throws PlaylistError when the bytes are no playlist at all; nothing is taken then.
    void AddPlaylist(std::string_view bytes, std::string_view source);
    void AddEntries(std::vector<PlaylistEntry> entries, std::string_view source);

    const std::vector<ImportedChannel>& Channels() const { return channels_; }
    // Moves the channels out, for an import that is done: a list of a million is not copied.
    // Nothing may be added after it.
    std::vector<ImportedChannel> TakeChannels() { return std::move(channels_); }
    const std::vector<LeftOutEntry>& LeftOut() const { return leftOut_; }
    const ImportSummary& Summary() const { return summary_; }
    // The programme guides the headers of the playlists added name, each once, in order.
    const std::vector<std::string>& GuideAddresses() const { return guides_; }

private:
    struct FirstSeen {
        size_t source;
        int line;
    };
    // The addresses seen so far, as positions in channels_, compared as AddressKey compares them
    // but without making a key for each address.
    struct AddressHash {
        using is_transparent = void;
        const std::vector<size_t>* hashes; // of the channels' addresses, computed once
        size_t operator()(std::string_view address) const;
        size_t operator()(std::uint32_t index) const { return (*hashes)[index]; }
    };
    struct AddressEqual {
        using is_transparent = void;
        const std::vector<ImportedChannel>* channels;
        std::string_view Url(std::uint32_t index) const { return (*channels)[index].url; }
        static bool Same(std::string_view a, std::string_view b);
        bool operator()(std::uint32_t a, std::uint32_t b) const { return Same(Url(a), Url(b)); }
        bool operator()(std::string_view a, std::uint32_t b) const { return Same(a, Url(b)); }
        bool operator()(std::uint32_t a, std::string_view b) const { return Same(Url(a), b); }
    };

    void LeaveOut(LeftOutReason reason, const PlaylistEntry& entry, std::string_view source);

    ImportOptions options_;
    std::vector<ImportedChannel> channels_;
    std::vector<FirstSeen> firstSeen_; // where each channel's address came from
    std::vector<size_t> hashes_; // AddressHash of each channel's address
    std::vector<LeftOutEntry> leftOut_;
    ImportSummary summary_;
    std::vector<std::string> sources_;
    std::vector<std::string> guides_;
    std::unordered_set<std::uint32_t, AddressHash, AddressEqual> seen_;
};

// The catalogue's type2 word: "tv", "radio", "webcam".
std::string_view ChannelTypeWord(ChannelType type);
std::optional<ChannelType> ChannelTypeFromWord(std::string_view word);

// The logo address worth keeping from a list: an http or https address without blanks or
// control characters, at most kMaxLogoAddress bytes; anything else (a data: image, a local path,
// a relative name) gives an empty string.
inline constexpr std::size_t kMaxLogoAddress = 2048;
std::string KeptLogoAddress(std::string_view logo);

// The channel number worth keeping from a list: 1 to 6 digits, leading zeros dropped ("007" is
// "7"); anything else, zero included, gives an empty string.
std::string KeptChannelNumber(std::string_view number);

// tvg-shift as hours: an optional sign and whole hours from -23 to 23 ("+2", "-5", "0"); 0 for
// any other text (a fraction, a word, a day or more).
int KeptTvgShift(std::string_view shift);

// True for the address of a still picture (.jpg, .jpeg, .png, .gif, .bmp, .webp before any query).
bool IsImageAddress(std::string_view address);

// What an address says it carries by its form alone. Audio: an audio file's ending (.mp3, .aac,
// .aacp, .ogg, .oga, .opus, .m4a, .flac, .wma, .mp2, .spx) or a .pls; a Shoutcast address, whose
// path holds "/;" ("/;", "/;stream.nsv"); a path without an ending that names an audio
// codec as a word of its own ("/stream/mp3", "/aac-128"). Video: a video file's ending (.mp4,
// .mkv, .ts, .mpd, .flv...). Anything else, HLS (.m3u8) and "/stream" included, is Unknown: a
// false radio is worse than a missed one.
enum class AddressMedia { Unknown, Audio, Video, Picture };
AddressMedia MediaOfAddress(std::string_view address);

// "list.m3u:12: left out (broken scheme): hhttps://example.com/live"
std::string DescribeLeftOut(const LeftOutEntry& entry);
// Several lines: entries read, imported, and left out by reason; the numbers add up.
std::string DescribeSummary(const ImportSummary& summary);

} // namespace zentavo
