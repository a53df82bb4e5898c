#include "xmltv_time.h"

#include <chrono>

namespace zentavo {
namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

int Digits(std::string_view text, size_t at, size_t count)
{
    int value = 0;
    for (size_t i = at; i < at + count; ++i)
        value = value * 10 + (text[i] - '0');
    return value;
}

void SkipBlanks(std::string_view& text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
}

// Seconds east of UTC, or nothing for an offset that is no offset.
std::optional<int> ParseOffset(std::string_view text)
{
    if (text == "Z" || text == "UTC" || text == "GMT")
        return 0;
    if (text.size() < 3 || (text[0] != '+' && text[0] != '-'))
        return std::nullopt;
    const int sign = text[0] == '-' ? -1 : 1;
    text.remove_prefix(1);
    int hours = 0;
    int minutes = 0;
    if (text.size() == 2 && IsDigit(text[0]) && IsDigit(text[1])) {
        hours = Digits(text, 0, 2);
    } else if (text.size() == 4 && IsDigit(text[0]) && IsDigit(text[1]) && IsDigit(text[2]) && IsDigit(text[3])) {
        hours = Digits(text, 0, 2);
        minutes = Digits(text, 2, 2);
    } else if (text.size() == 5 && text[2] == ':' && IsDigit(text[0]) && IsDigit(text[1]) && IsDigit(text[3])
               && IsDigit(text[4])) {
        hours = Digits(text, 0, 2);
        minutes = Digits(text, 3, 2);
    } else {
        return std::nullopt;
    }
    if (minutes > 59 || hours * 60 + minutes > 14 * 60)
        return std::nullopt;
    return sign * (hours * 3600 + minutes * 60);
}

} // namespace

std::optional<XmltvTime> ParseXmltvTime(std::string_view text)
{
    SkipBlanks(text);
    size_t digits = 0;
    while (digits < text.size() && IsDigit(text[digits]))
        ++digits;
    if (digits < 8 || digits > 14 || digits % 2 != 0)
        return std::nullopt;
    const int year = Digits(text, 0, 4);
    const unsigned month = static_cast<unsigned>(Digits(text, 4, 2));
    const unsigned day = static_cast<unsigned>(Digits(text, 6, 2));
    const int hour = digits >= 10 ? Digits(text, 8, 2) : 0;
    const int minute = digits >= 12 ? Digits(text, 10, 2) : 0;
    const int second = digits >= 14 ? Digits(text, 12, 2) : 0;
    const std::chrono::year_month_day date{std::chrono::year(year), std::chrono::month(month), std::chrono::day(day)};
    if (!date.ok() || hour > 23 || minute > 59 || second > 60)
        return std::nullopt;
    std::string_view rest = text.substr(digits);
    SkipBlanks(rest);
    while (!rest.empty() && (rest.back() == ' ' || rest.back() == '\t'))
        rest.remove_suffix(1);
    XmltvTime time;
    int offset = 0;
    if (rest.empty()) {
        time.hadOffset = false;
    } else {
        const std::optional<int> parsed = ParseOffset(rest);
        if (!parsed)
            return std::nullopt;
        offset = *parsed;
    }
    const std::int64_t days = std::chrono::sys_days(date).time_since_epoch().count();
    time.utc = days * 86400 + hour * 3600 + minute * 60 + second - offset;
    return time;
}

} // namespace zentavo
