#pragma once
// XMLTV's times: "20261211183000 +0100". The date and time may stop after the hour or the minute;
// the offset from UTC may be "+hhmm", "+hh:mm", "+hh", "Z", "UTC" or "GMT", or missing, in
// which case XMLTV takes the time as UTC.

#include <cstdint>
#include <optional>
#include <string_view>

namespace zentavo {

struct XmltvTime {
    std::int64_t utc = 0; // seconds since 1970
    bool hadOffset = true; // false: no offset was given, the time was taken as UTC
};

// Nothing when the text is no such time: not 8 to 14 digits, a month, day, hour or minute out of
// range, an offset beyond ±14:00 or with minutes past 59, or anything after it.
std::optional<XmltvTime> ParseXmltvTime(std::string_view text);

} // namespace zentavo
