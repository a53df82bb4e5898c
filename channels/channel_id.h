#pragma once
// Channel ids are data: a lookup compares the id as written, never evaluates it. An id names a
// channel only when it is a decimal integer written in digits alone, without sign or leading
// zeros ("0" itself excepted), so that one number has exactly one spelling.

#include <string_view>

namespace zentavo {

inline bool IsXmlSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// The text without the XML white space around it (the layout of a hand-formatted file).
inline std::string_view TrimXmlSpace(std::string_view text)
{
    while (!text.empty() && IsXmlSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsXmlSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

inline bool IsCanonicalChannelId(std::string_view id)
{
    if (id.empty() || (id.front() == '0' && id.size() > 1))
        return false;
    for (const char c : id) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

} // namespace zentavo
