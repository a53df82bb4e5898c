#pragma once
// What the guide holds, as the lists, the guide window and the reader pass it around. Times are
// seconds since 1970 (UTC).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zentavo {

struct GuideProgramme {
    std::int64_t start = 0;
    std::int64_t stop = 0;
    std::string title;
    std::string subTitle;
    std::string episode; // as the guide writes it: "S2 E5", or xmltv_ns "1.4.0/1" made readable
    std::string description;
    std::string category; // the programme's categories, joined by ", "

    bool operator==(const GuideProgramme&) const = default;
};

// The texts of a programme as views, for handing on and writing without copies.
struct GuideProgrammeTexts {
    std::string_view title;
    std::string_view subTitle;
    std::string_view episode;
    std::string_view description;
    std::string_view category;
};

struct GuideNowNext {
    std::optional<GuideProgramme> now; // on at the time asked for
    std::optional<GuideProgramme> next; // the first that starts after it
};

// A channel of the guide: its id in the XMLTV file and its display names, first the preferred one.
struct GuideChannel {
    std::string id;
    std::vector<std::string> names;

    bool operator==(const GuideChannel&) const = default;
};

struct GuideTitleHit {
    GuideChannel channel;
    GuideProgramme programme;
};

// How a channel of the lists found its guide channel, best first.
enum class GuideMatchKind {
    Hand, // the user chose it
    Id, // tvg-id equal to the guide channel's id
    IdIgnoringCase, // the same, ignoring case
    Name, // tvg-name or the channel's name equal to one of its display names, folded
    IdWithoutFeed, // tvg-id without its "@feed" part ("BBCOne.uk@HD") equal to the id, ignoring case
};

// The better of two kinds of match comes first: Hand, Id, IdIgnoringCase, IdWithoutFeed, Name.
inline int GuideMatchRank(GuideMatchKind kind)
{
    switch (kind) {
    case GuideMatchKind::Hand:
        return 0;
    case GuideMatchKind::Id:
        return 1;
    case GuideMatchKind::IdIgnoringCase:
        return 2;
    case GuideMatchKind::IdWithoutFeed:
        return 3;
    case GuideMatchKind::Name:
        return 4;
    }
    return 5;
}

struct GuideMatch {
    std::string guideChannelId; // empty: the user chose "no guide" for the channel
    GuideMatchKind kind = GuideMatchKind::Id;
    int shiftHours = 0; // tvg-shift of the list channel, added to the guide's times

    bool operator==(const GuideMatch&) const = default;
};

// A channel of the user's lists or of the shipped catalogue as matching sees it.
struct GuideListChannel {
    std::string key; // the channel id of the lists (catalogue id, or own playlist id)
    std::string tvgId;
    std::string tvgName;
    std::string name;
    int shiftHours = 0;
};

// What a reading of a guide found and kept.
struct GuideReadSummary {
    long guideChannels = 0; // <channel> elements read
    long programmes = 0; // <programme> elements read
    long programmesKept = 0; // of the list's channels, within the days kept
    long listChannels = 0; // channels of the lists offered for matching
    long listChannelsMatched = 0; // of those, channels that got a guide channel (hand choices included)
    std::vector<std::string> warnings; // what was skipped or repaired, in words, a few of each kind
};

} // namespace zentavo
