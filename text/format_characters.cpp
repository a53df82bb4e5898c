#include "format_characters.h"

#include <utility>

namespace zentavo {
namespace {

constexpr char32_t kZeroWidthNonJoiner = 0x200C;
constexpr char32_t kZeroWidthJoiner = 0x200D;

// The character that starts at text[at] and its length in bytes; length 0 when the bytes there are
// not a well-formed UTF-8 sequence.
std::pair<char32_t, size_t> DecodeAt(const std::string& text, size_t at)
{
    const auto lead = static_cast<unsigned char>(text[at]);
    size_t length = 0;
    char32_t c = 0;
    char32_t least = 0;
    if ((lead & 0xE0) == 0xC0)
        length = 2, c = lead & 0x1F, least = 0x80;
    else if ((lead & 0xF0) == 0xE0)
        length = 3, c = lead & 0x0F, least = 0x800;
    else if ((lead & 0xF8) == 0xF0)
        length = 4, c = lead & 0x07, least = 0x10000;
    else
        return {0, 0};
    if (text.size() - at < length)
        return {0, 0};
    for (size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xC0) != 0x80)
            return {0, 0};
        c = (c << 6) | (next & 0x3F);
    }
    if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return {0, 0};
    return {c, length};
}

} // namespace

bool IsHiddenFormatCharacter(char32_t c)
{
    return QChar::category(c) == QChar::Other_Format && c != kZeroWidthNonJoiner && c != kZeroWidthJoiner;
}

void RemoveHiddenFormatCharacters(std::string& utf8)
{
    // Every format character lies outside ASCII: a text without a byte from 0x80 up has none.
    size_t at = 0;
    while (at < utf8.size() && static_cast<unsigned char>(utf8[at]) < 0x80)
        ++at;
    size_t out = at;
    while (at < utf8.size()) {
        const auto [c, length] = DecodeAt(utf8, at);
        if (length == 0) {
            utf8[out++] = utf8[at++];
            continue;
        }
        if (!IsHiddenFormatCharacter(c)) {
            for (size_t i = 0; i < length; ++i)
                utf8[out++] = utf8[at + i];
        }
        at += length;
    }
    utf8.resize(out);
}

} // namespace zentavo
