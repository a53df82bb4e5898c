#pragma once
// Small ASCII helpers shared by the playlist parsers.

#include <string>
#include <string_view>

namespace zentavo {

inline char AsciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string AsciiLowered(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = AsciiLower(c);
    return out;
}

inline bool EqualsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i]))
            return false;
    }
    return true;
}

inline bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

inline bool EndsWithNoCase(std::string_view text, std::string_view suffix)
{
    return text.size() >= suffix.size() && EqualsNoCase(text.substr(text.size() - suffix.size()), suffix);
}

// Position of the first '/', '?' or '#' from pos (the end of an address's host), or npos.
// A plain loop: string_view::find_first_of runs a memchr over the set for every character.
inline size_t FindHostEnd(std::string_view text, size_t pos = 0)
{
    for (size_t i = pos; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '/' || c == '?' || c == '#')
            return i;
    }
    return std::string_view::npos;
}

// Position of the first '?' or '#' (the end of an address's path), or npos.
inline size_t FindPathEnd(std::string_view text)
{
    const size_t query = text.find('?');
    const size_t fragment = text.substr(0, query).find('#');
    return fragment != std::string_view::npos ? fragment : query;
}

} // namespace zentavo
