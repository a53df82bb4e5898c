#pragma once
// Protected strings: AES-ECB cipher text with an 8-byte length field, written as hex digits.

#include "key_size.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace zentavo {

// "'0xG7' is not a valid integer value"
class ConversionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
// "Stream read error"
class StreamReadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
// "Invalid buffer size for decryption"
class EAESError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Never fails. Upper-case hex digits.
std::string EncipherString(std::string_view plain, std::string_view keyText, KeySize size);
// Every deciphered byte (zero fill of the last block included). Throws the three errors above.
std::string DecipherString(std::string_view protectedText, std::string_view keyText, KeySize size);
// Removes every byte with a code of 32 or less from both ends, as every caller of DecipherString does.
std::string TrimControlBytes(std::string_view text);

} // namespace zentavo
