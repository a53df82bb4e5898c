#include "hex_codec.h"

#include "string_cipher.h"

#include <array>
#include <cstdint>

namespace zentavo {

namespace {

constexpr char kUpperDigits[] = "0123456789ABCDEF";

// Value of a hex digit, or -1.
constexpr std::array<std::int8_t, 256> MakeDigitTable()
{
    std::array<std::int8_t, 256> table{};
    for (auto& value : table)
        value = -1;
    for (int c = '0'; c <= '9'; ++c)
        table[static_cast<std::size_t>(c)] = static_cast<std::int8_t>(c - '0');
    for (int c = 'A'; c <= 'F'; ++c) {
        table[static_cast<std::size_t>(c)] = static_cast<std::int8_t>(c - 'A' + 10);
        table[static_cast<std::size_t>(c - 'A' + 'a')] = static_cast<std::int8_t>(c - 'A' + 10);
    }
    return table;
}

constexpr std::array<std::int8_t, 256> kDigitValue = MakeDigitTable();

int DigitValue(char c)
{
    return kDigitValue[static_cast<unsigned char>(c)];
}

[[noreturn]] void ThrowNotHex(std::string_view digits)
{
    throw ConversionError("'0x" + std::string(digits) + "' is not a valid integer value");
}

} // namespace

void AppendHexUpper(std::string_view bytes, std::string& out)
{
    const std::size_t start = out.size();
    out.resize(start + 2 * bytes.size());
    char* digit = out.data() + start;
    for (const char byte : bytes) {
        const auto value = static_cast<unsigned char>(byte);
        *digit++ = kUpperDigits[value >> 4];
        *digit++ = kUpperDigits[value & 0x0F];
    }
}

void DecodeHexPairs(std::string_view text, std::string& out)
{
    out.resize((text.size() + 1) / 2);
    std::size_t pos = 0;
    char* byte = out.data();
    for (; pos + 1 < text.size(); pos += 2) {
        const int high = DigitValue(text[pos]);
        const int low = DigitValue(text[pos + 1]);
        if (high < 0 || low < 0)
            ThrowNotHex(text.substr(pos, 2));
        *byte++ = static_cast<char>((high << 4) | low);
    }
    if (pos < text.size()) {
        const int value = DigitValue(text[pos]);
        if (value < 0)
            ThrowNotHex(text.substr(pos, 1));
        *byte = static_cast<char>(value);
    }
}

} // namespace zentavo
