#include "page_address.h"

namespace zentavo {

namespace {

bool NeedsEncoding(unsigned char byte)
{
    return byte <= 0x20 || byte >= 0x7F || byte == '"' || byte == '<' || byte == '>' || byte == '\\' || byte == '|';
}

} // namespace

std::string EncodeAddressForPage(std::string_view address)
{
    static constexpr char kHexDigits[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(address.size());
    for (const char c : address) {
        const auto byte = static_cast<unsigned char>(c);
        if (NeedsEncoding(byte)) {
            encoded += '%';
            encoded += kHexDigits[byte >> 4];
            encoded += kHexDigits[byte & 0x0F];
        } else {
            encoded += c;
        }
    }
    return encoded;
}

} // namespace zentavo
