#pragma once
// Hex digits of protected strings: written in capitals, read in either case.

#include <string>
#include <string_view>

namespace zentavo {

// Two capital hex digits per byte, high nibble first, appended to out.
void AppendHexUpper(std::string_view bytes, std::string& out);

// Decodes pairs of digits from the first character on; an odd last digit alone gives one byte
// (0 to 15). Throws ConversionError "'0x..' is not a valid integer value" naming the first
// pair (or last character) that is not made of hex digits. Replaces the content of out.
void DecodeHexPairs(std::string_view text, std::string& out);

} // namespace zentavo
