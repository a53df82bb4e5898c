#pragma once
// One entry of a playlist as a parser found it, before the import decides whether to keep it.

#include "text/request_headers.h"

#include <optional>
#include <string>
#include <vector>

namespace zentavo {

// The three lists of the catalogue; the words are the catalogue's type2 values.
enum class ChannelType { Tv, Radio, Webcam };

struct PlaylistEntry {
    std::string name; // display name as the list gives it (may be empty)
    std::string url; // stream address, blanks at both ends removed; empty when the entry has none
    std::string country; // country the entry names itself (a country column, tvg-country)
    std::string tvgId; // M3U tvg-id, whose suffix may name the country (".de")
    std::string tvgName; // M3U tvg-name: the channel's name in the programme guide
    std::string tvgShift; // M3U tvg-shift: hours to add to the guide's times, as written
    std::string group; // group-title, #EXTGRP, a group/genre column
    std::string logo; // tvg-logo, XSPF image, a logo column
    std::string bandwidth; // a bandwidth or bitrate label when the list has one
    std::string number; // the channel's number in the list's own numbering (tvg-chno)
    RequestHeaders headers; // what the stream's server wants to be sent (#EXTVLCOPT, "address|User-Agent=...")
    std::optional<ChannelType> type; // what the entry says it is (radio="true", an image-stream column)
    // Every address the entry offers, in the list's order, when it offers more than one (the <ref>
    // alternatives of an ASX entry); url holds the one the import takes.
    std::vector<std::string> alternatives;
    int line = 0; // 1-based line of the address, or of the entry's start when it has no address
};

} // namespace zentavo
